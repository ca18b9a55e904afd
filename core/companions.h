#pragma once
// Starting the updater and the converter. Both run as separate processes
// from the program folder; the main program never waits for them.
#include <QString>

// Moves a new updater left in "temp/Brannock" over "Brannock" (by rename,
// keeping the old file's mode). A failed move keeps the old updater and is
// logged. Nothing to do when no new copy waits.
void MoveWaitingUpdater();

// Starts the updater with the update address, and "/hide" for a silent check.
// An empty address is still passed as an argument of its own. True when the
// process really started.
bool StartUpdater(const QString& updateAddress, bool silentCheck);

// Starts the converter: with "/auto" at start-up, without arguments from the menu.
bool StartConverter(bool automatic);
