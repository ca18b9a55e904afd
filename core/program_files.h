#pragma once
// Names shared by the three programs of one program folder.

// The main program's version: the start lines, the status bar and About.
inline constexpr double kProgramVersion = 4.61;

// The main program and the companions, together in the program folder.
inline constexpr const char kMainExecutable[] = "Corvelane";
inline constexpr const char kUpdaterExecutable[] = "Brannock";
inline constexpr const char kConverterExecutable[] = "Keldrune";
// The updater's downloads. It never replaces itself: it leaves its new copy
// here and the main program moves it over the old one before it next starts
// the updater.
inline constexpr const char kTempFolder[] = "temp";
inline constexpr const char kWaitingUpdater[] = "temp/Brannock";
// The installed versions, and the server's description of the newest ones,
// downloaded into the temporary folder and adopted after a full update.
inline constexpr const char kLocalDescription[] = "Update.dat";
inline constexpr const char kServerDescription[] = "temp/update.dat";
// The old client's database, converted once.
inline constexpr const char kOldDatabase[] = "crm.mdb";
// The settings file shared with the companions.
inline constexpr const char kConfigIni[] = "CsqxConfig.ini";

// Messages of the running program's inbox (the companions and a second start send them).
inline constexpr const char kInstanceShow[] = "show";
inline constexpr const char kInstanceQuit[] = "quit";
// The fields of an add-in command are joined by this text.
inline constexpr const char kCommandFieldSeparator[] = ",|,|";
