#pragma once
// Generated contacts for the list tests, screenshots and the benchmark,
// written in one transaction. The rows mix Chinese names, Latin names and
// names starting with a GBK-extension character; every seventh row repeats
// an earlier row's number, and displayIndex is i / 3, so rows tie in threes.
#include "core/database.h"

#include <QString>
#include <QtGlobal>

struct GeneratedContacts {
    qint64 firstPerNo = 0; // perNO of row 0; row i has firstPerNo + i
    int count = 0;
};

// The name and number row i gets (the same for every run).
QString GeneratedName(int i);
QString GeneratedNumber(int i);

// Appends `count` contacts to group `groupId`. Fails the running test when
// a statement fails.
GeneratedContacts GenerateContacts(int count, int groupId, sqlite3* db = g_pDB);
