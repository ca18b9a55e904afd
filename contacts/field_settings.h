#pragma once
// The contact fields as the user sees them (fieldDisplay): which optional
// fields are switched on and what they are called, and which fields in use
// are list columns in which order. Kept apart from the two dialogs that edit
// them so the rules can be checked without a window.
#include "core/database.h"

#include <QString>
#include <QStringList>

#include <set>
#include <vector>

// One row of the field switcher.
struct AUTOFIELD {
    int inUse = 0;
    QString nameOfValue;
    QString name;
    int fieldId = 0;
};

// The fields the user may switch on, off and rename, by field id: every
// field above 4 except 8, 14, 15, 17 and 19, whose columns the program
// itself relies on. A failure is logged "加载已存在的自定义字段出错了"
// and gives the rows read until then.
std::vector<AUTOFIELD> LoadAutoFields(sqlite3* db = g_pDB);

// The type shown for a field, as its untranslated source text ("文本",
// "数字", "是/否", "日期" or ""), for translation in context "CDlgAddField".
const char* AutoFieldTypeText(int fieldId, const QString& nameOfValue);

// The names no switchable field may take: the fixed fields' names and the
// names the database gives the fields that are never offered.
QStringList ReservedFieldNames(sqlite3* db = g_pDB);

// Checks the trimmed new name of row `row` of `rows`: 155 when empty, 156
// when reserved, 157 when another row already has it, else 0.
int CheckFieldName(const QString& name, const std::vector<AUTOFIELD>& rows, int row,
                   const QStringList& reserved);

// Stores every row's switch and name in one transaction: a field switched
// on now that was off when the rows were loaded (`inUseBefore` holds the ids
// that were on) also becomes a list column, a field switched off stops being
// one. After the commit, switching off field 33 or 34 turns off the
// automatic greeting of that date (AutoSend3 / AutoSend4 = "0" in section
// DateMSG of `accountIni`). On any failure nothing is stored or written:
// false.
bool SaveAutoFields(const std::vector<AUTOFIELD>& rows, const std::set<int>& inUseBefore,
                    const QString& accountIni, sqlite3* db = g_pDB);

// One field of the column order.
struct FieldEntry {
    int fieldId = 0;
    QString name;
};

// The fields in use, visible ones and hidden ones, each in display order. A
// failure is logged "初始化显示和隐藏字段出错了": false.
bool LoadFieldOrder(std::vector<FieldEntry>& visible, std::vector<FieldEntry>& hidden, sqlite3* db = g_pDB);

// True for the fields that are always list columns (the name and the mobile
// number).
bool IsFieldAlwaysVisible(int fieldId);

// Stores the order in one transaction: the visible fields get indexField
// 0..n-1, the hidden ones are marked hidden. Fields are matched by id, so
// two fields of one name keep their own places. False (and nothing stored)
// on any failure.
bool SaveFieldOrder(const std::vector<int>& visibleIds, const std::vector<int>& hiddenIds,
                    sqlite3* db = g_pDB);
