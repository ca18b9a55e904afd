#pragma once
// Decisions start-up takes before the first window, kept apart from main so
// tests can call them.
#include <sqlite3.h>

// The user-interface language id: the first four bytes of "Language.ini" in
// the program folder (little-endian) when their primary language is English
// or Chinese (2057 and 1028 stay as they are; SetUiLanguage chooses by the
// primary language); otherwise, or without the file, a Chinese system locale
// gives 2052 and any other 1033.
int ReadLanguageSetting();

enum class ProbeResult { Empty, HasRows, Failed };
// Whether a table holds a row; the query stops at the first one. A failure is
// logged with "访问数据库出错".
ProbeResult ProbeTableRows(sqlite3* db, const char* table);

// The old client's "crm.mdb" lies beside the program and the new database
// certainly holds no contacts and no send records. A probe that failed
// counts as "not empty": the converter rewrites tables and must never run
// over data that could not be seen.
bool OldDatabaseWaitsForConversion(sqlite3* db);

// A marker beside the logs ("enc/Corvelane.running") says a run is under way.
// A start that finds it follows a run that did not end cleanly (a crash, a
// kill, a power cut), so the database is checked before it is used.
QString RunMarkerPath();
bool PreviousRunUnfinished();
void MarkRunStarted();
void MarkRunEnded();
