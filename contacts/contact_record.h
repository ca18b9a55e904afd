#pragma once
// One contact in memory: one row of ContactList plus every group the contact
// belongs to. A contact is stored once per group, so the row reader appends
// one group id per row it reads into the same record.
#include "core/database.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <vector>

struct CONTACTINFO {
    // The twenty fixed fields (field ids 1 to 20), in table order.
    QString name;
    QString sex;
    QString mobileNum;
    QString birthDay;
    QString specialDay;
    QString qq;
    QString msn;
    QString eMail;
    QString faTel;
    QString faAddr;
    QString coName;
    QString coDept;
    QString coEmp;
    QString province;
    QString city;
    QString conAddr;
    QString conIndusty;
    QString conTel;
    QString conFax;
    QString mark;
    std::vector<quint32> groupIds;
    qint32 perNO = 0;
    // The user-defined fields (field ids 21 to 34).
    std::array<QString, 7> txtDef;
    std::array<QString, 3> numDef;
    QString boolDef1 = QStringLiteral("否");
    QString boolDef2 = QStringLiteral("否");
    QString dateDef1;
    QString dateDef2;
};

// The 39 columns of ContactList in table order.
inline constexpr int kContactColumnCount = 39;
extern const std::array<const char*, kContactColumnCount> kContactColumns;
// The same names joined by ",", for statements that name every column.
const char* ContactColumnList();
// "SELECT <the 39 columns> FROM ContactList": add a WHERE clause.
std::string ContactRowSelect();

// The text of fixed field `fieldId` (1..20) or user-defined field
// `fieldId` (21..34); null for any other id.
QString* ContactText(CONTACTINFO& record, int fieldId);
const QString* ContactText(const CONTACTINFO& record, int fieldId);

// Row callback for ExecSql over ContactRowSelect(): `context` is the
// CONTACTINFO. Texts from UTF-8 (NULL gives ""), groupID appended to the
// group ids, perNO overwritten (NULL reads 0), isDeleted, firstLetter and
// displayIndex skipped. Returns 0 (go on).
int ReadContactRow(void* context, int columns, char** values, char** names);

// Reads the row `rowid` into `record` (its group ids become that row's
// group). False when there is no such row or the query failed (logged).
bool ReadContactByRowid(sqlite3* db, qint64 rowid, CONTACTINFO& record);

// The rowid of the first row (in rowid order) of a perNO; 0 when none.
qint64 FirstRowidOfPerNo(sqlite3* db, qint64 perNO);

// Replaces the record's group ids with the groupID of every row that carries
// its mobile number, in the order the database returns them. False when the
// query failed (logged; the ids are then those read until the failure).
bool LoadContactGroups(sqlite3* db, CONTACTINFO& record);
