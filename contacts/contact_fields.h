#pragma once
// A contact's field values by the fields' display names (for the
// personalised-field markers of message texts) and the names of the fields
// in use and visible.
#include "core/database.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SqlStatement;

// One field reference: the ContactList column holding the value and the
// fieldDisplay id.
struct NAMEORID {
    QString nameOfValue;
    int fieldID = 0;
};

// Appends to `out` exactly one value per entry of `names` (display names of
// fieldDisplay), so later values stay aligned with their names: the value of
// the contact `perNO` when it is not 0, else of the first contact that is not
// deleted with the mobile number `mobile`. A field that is unknown, names no
// ContactList column, or has no value gives "". The sex values "男" and "女"
// come out as "先生" and "女士", so a message can address the contact.
// Returns the field references, one per name (empty for an unknown field).
// Failures are logged "查询ID和名称时出错了" and "查询字段值时出错了".
std::vector<NAMEORID> GetContactFieldValues(QStringList& out, const QStringList& names, const QString& mobile,
                                            int64_t perNO, sqlite3* db = g_pDB);

// The same for many contacts: the fields are looked up and the statement
// prepared once, then each Read() is one step. For a text filled for
// thousands of recipients.
class ContactFieldReader {
public:
    ContactFieldReader(sqlite3* db, const QStringList& names);
    ~ContactFieldReader();
    ContactFieldReader(const ContactFieldReader&) = delete;
    ContactFieldReader& operator=(const ContactFieldReader&) = delete;

    // Appends one value per name, as GetContactFieldValues does.
    void Read(QStringList& out, const QString& mobile, int64_t perNO);
    const std::vector<NAMEORID>& refs() const { return m_refs; }

private:
    SqlStatement* Statement(bool byPerNO);

    sqlite3* m_db;
    std::vector<NAMEORID> m_refs;
    std::vector<int> m_columnOf; // per name: its column in the statement, or -1
    std::string m_columns;       // "a,b" of the valid columns
    std::unique_ptr<SqlStatement> m_byMobile;
    std::unique_ptr<SqlStatement> m_byPerNO;
};

// One contact field in use: its display name, the ContactList column holding
// it, and its fieldDisplay id.
struct FIELDINFO {
    QString name;
    QString nameOfValue;
    int fieldID = 0;
};

// The fields in use and visible, in display order. `condition` is a fragment
// of our own code ("AND fieldID<>3") put into the statement's WHERE clause;
// never pass text from outside. A failure is logged "查询在用且可见的字段时
// 出错了" and gives the fields read until then.
std::vector<FIELDINFO> LoadFieldInfo(const QString& condition = QString(), sqlite3* db = g_pDB);
// Their display names.
QStringList VisibleFieldNames(const QString& condition, sqlite3* db = g_pDB);
