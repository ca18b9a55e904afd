#pragma once
// Pinyin initials of contact names, kept in ContactList.firstLetter so the
// picker's letter buttons can filter by them. The letters come from the
// GB2312 zone-position number of each character (code page 936 bytes).
#include "core/database.h"

#include <QString>
#include <QStringView>

#include <string_view>

// The initials of a name given as code page 936 bytes: ASCII bytes as they
// are (lower-case letters upper-cased); a double-byte character (lead
// 0x81-0xFE) takes both bytes and adds the letter of its zone-position number
// when both bytes are 0xA1 or above and the number lies in 1601..5589,
// otherwise nothing; any other byte above 0x7F adds nothing.
QString GetPinyinInitials(std::string_view gbk);
// The same for a UTF-16 name, converted by the code page table one code unit
// at a time (a character the code page cannot hold counts as "?").
QString GetPinyinInitials(QStringView name);

// True when some contact with a name has no initial. Stops at the first one.
bool HasContactsWithoutInitials(sqlite3* db = g_pDB);

// Writes the first character of the initials into firstLetter of every row
// with a name and no initial, in one transaction, by rowid. A row that cannot
// be written is logged ("写入首字母出错了") and the others still are. The
// number of rows written; -1 when the rows could not be read or the
// transaction could not be started or committed (nothing written).
int GenerateMissingInitials(sqlite3* db = g_pDB);
