#include "sms/interactive_rules.h"

#include "core/convert.h"
#include "core/log.h"
#include "core/sql.h"
#include "platform/ini.h"

#include <array>

namespace {

enum class ValueForm { AsTyped, Contains, StartsWith };

struct Comparison {
    const char16_t* display;
    const char* op;
    ValueForm form;
};

constexpr std::array<Comparison, 6> kComparisons{{
    {u"大于", ">", ValueForm::AsTyped},
    {u"小于", "<", ValueForm::AsTyped},
    {u"等于", "=", ValueForm::AsTyped},
    {u"包含", "like", ValueForm::Contains},
    {u"不等于", "!=", ValueForm::AsTyped},
    {u"开始于", "like", ValueForm::StartsWith},
}};

// Runs a prepared write to its end; on a failure logs `line` and returns false.
bool RunWrite(sqlite3* db, SqlStatement& st, const char* line) {
    const int rc = st.ok() ? st.exec() : st.prepareResult();
    if (rc == SQLITE_OK)
        return true;
    LogSqlError(SqlErrorText(db), rc ? rc : SQLITE_ERROR, line);
    return false;
}

// " AND <column> <op> '<value>'" with the value quoted.
std::string Condition(const std::string& column, const std::string& op, const QString& value) {
    return " AND " + column + " " + op + " '" + SqlEscape(value) + "'";
}

} // namespace

QStringList RuleComparisonNames() {
    QStringList names;
    for (const Comparison& c : kComparisons)
        names << QString::fromUtf16(c.display);
    return names;
}

bool RuleComparisonSql(const QString& symbol, const QString& value, std::string* op, QString* sqlValue) {
    for (const Comparison& c : kComparisons) {
        if (symbol != QStringView(c.display))
            continue;
        *op = c.op;
        switch (c.form) {
        case ValueForm::AsTyped:
            *sqlValue = value;
            break;
        case ValueForm::Contains:
            *sqlValue = QLatin1Char('%') + value + QLatin1Char('%');
            break;
        case ValueForm::StartsWith:
            *sqlValue = value + QLatin1Char('%');
            break;
        }
        return true;
    }
    return false;
}

std::optional<std::string> BuildRuleStatement(const std::vector<RuleCondition>& rows,
                                              const std::vector<FIELDINFO>& fields, sqlite3* db) {
    std::string received;
    std::string contact;
    for (const RuleCondition& row : rows) {
        std::string op;
        QString value;
        if (!RuleComparisonSql(row.symbol, row.value, &op, &value)) {
            LogWrite(g_logRun, "ERROR,BuildRuleStatement,unknown comparison " + LogEscape(row.symbol));
            return std::nullopt;
        }
        if (row.field == kRuleTextField) {
            received += Condition("msgContent", op, value);
            continue;
        }
        if (row.field == kRuleNumberField) {
            received += Condition("sendNum", op, value);
            continue;
        }
        const FIELDINFO* field = nullptr;
        for (const FIELDINFO& f : fields) {
            if (f.name == row.field) {
                field = &f;
                break;
            }
        }
        const std::string column = field ? UnicodeToUtf8(field->nameOfValue) : std::string();
        // The column name comes from the field table, so it is checked before
        // it becomes part of a statement that runs on every received batch.
        if (column.empty() || !IsTableColumn(db, "ContactList", column)) {
            LogWrite(g_logRun, "ERROR,BuildRuleStatement,no contact column for the field " + LogEscape(row.field));
            return std::nullopt;
        }
        contact += Condition(column, op, value);
    }
    std::string statement = "select sendNum from receivedMSGRecord\twhere 1=1 " + received;
    if (contact.empty())
        return statement + " ";
    return statement + " and sendNum in \t\t\t\t\t\t\t( select distinct mobileNum  from ContactList where 1=1 " +
           contact + ")";
}

QStringList ListRuleNames(sqlite3* db) {
    QStringList names;
    SqlStatement st(db, "SELECT name FROM interactiveMsgSql ORDER BY name");
    while (st.ok() && st.step() == SQLITE_ROW)
        names << st.qtext(0);
    return names;
}

std::vector<RuleListEntry> ListRules(sqlite3* db) {
    std::vector<RuleListEntry> rules;
    SqlStatement st(db, "SELECT name,recID FROM interactiveMsgSql ORDER BY name");
    while (st.ok() && st.step() == SQLITE_ROW)
        rules.push_back({st.qtext(0), st.int64(1)});
    return rules;
}

bool RuleNameExists(const QString& name, sqlite3* db) {
    SqlStatement st(db, "SELECT 1 FROM interactiveMsgSql WHERE name=? LIMIT 1");
    if (!st.ok())
        return false;
    st.bind(1, name);
    return st.step() == SQLITE_ROW;
}

int64_t SaveRule(const QString& name, bool replace, const QString& reply, const std::string& statement,
                 const std::vector<RuleCondition>& rows, sqlite3* db) {
    SqlTransaction transaction(db);
    if (!transaction.active()) {
        LogSqlError(SqlErrorText(db), transaction.beginResult() ? transaction.beginResult() : SQLITE_ERROR,
                    "插入互动短信条件出错了");
        return 0;
    }
    const int64_t id = AllocateId(db, "interactiveMsgSql", "recID");
    if (id <= 0) {
        LogSqlError(SqlErrorText(db), SQLITE_ERROR, "插入互动短信条件出错了");
        return 0;
    }
    if (replace) {
        SqlStatement remove(db, "DELETE FROM interactiveMsgSql WHERE name=?");
        if (remove.ok())
            remove.bind(1, name);
        if (!RunWrite(db, remove, "删除互动短信的原条件记录出错了"))
            return 0;
    }
    {
        SqlStatement insert(db, "INSERT INTO interactiveMsgSql (recID,name,content,sqlDes) VALUES (?,?,?,?)");
        if (insert.ok())
            insert.bind(1, id).bind(2, name).bind(3, reply).bind(4, std::string_view(statement));
        if (!RunWrite(db, insert, "插入互动短信条件出错了"))
            return 0;
    }
    if (replace) {
        SqlStatement remove(db, "DELETE FROM interactiveMsgSqlField WHERE parentName=?");
        if (remove.ok())
            remove.bind(1, name);
        if (!RunWrite(db, remove, "删除互动短信的界面记录出错了"))
            return 0;
    }
    SqlStatement insertRow(db, "INSERT INTO interactiveMsgSqlField (parentID,parentName,field,symbol,filterValue) "
                               "VALUES (?,?,?,?,?)");
    for (const RuleCondition& row : rows) {
        if (insertRow.ok()) {
            insertRow.reset();
            insertRow.bind(1, id).bind(2, name).bind(3, row.field).bind(4, row.symbol).bind(5, row.value);
        }
        if (!RunWrite(db, insertRow, "插入条件列表内容出错了"))
            return 0;
    }
    const int rc = transaction.commit();
    if (rc != SQLITE_OK) {
        LogSqlError(SqlErrorText(db), rc, "插入互动短信条件出错了");
        return 0;
    }
    return id;
}

std::optional<OpenedRule> OpenRule(int64_t recID, sqlite3* db) {
    // Stored order is the order the rows were listed in.
    SqlStatement st(db, "SELECT field,symbol,filterValue,content FROM interactiveMsgSqlField,interactiveMsgSql "
                        "WHERE recID=parentID AND parentID =? ORDER BY interactiveMsgSqlField.rowid");
    if (!st.ok())
        return std::nullopt;
    st.bind(1, recID);
    OpenedRule rule;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        rule.rows.push_back({st.qtext(0), st.qtext(1), st.qtext(2)});
        rule.reply = st.qtext(3);
    }
    if (rc != SQLITE_DONE || rule.rows.empty())
        return std::nullopt;
    return rule;
}

bool DeleteRule(int64_t recID, sqlite3* db) {
    SqlTransaction transaction(db);
    if (!transaction.active()) {
        LogSqlError(SqlErrorText(db), transaction.beginResult() ? transaction.beginResult() : SQLITE_ERROR,
                    "删除互动短信的条件名称记录出错了");
        return false;
    }
    {
        SqlStatement remove(db, "DELETE FROM interactiveMsgSql WHERE recID=?");
        if (remove.ok())
            remove.bind(1, recID);
        if (!RunWrite(db, remove, "删除互动短信的条件名称记录出错了"))
            return false;
    }
    {
        SqlStatement remove(db, "DELETE FROM interactiveMsgSqlField WHERE parentID =?");
        if (remove.ok())
            remove.bind(1, recID);
        if (!RunWrite(db, remove, "删除互动短信的界面记录出错了"))
            return false;
    }
    const int rc = transaction.commit();
    if (rc != SQLITE_OK) {
        LogSqlError(SqlErrorText(db), rc, "删除互动短信的条件名称记录出错了");
        return false;
    }
    return true;
}

QString ReadUnsubscribeCode(const QString& accountIni) {
    return ini::ReadString(accountIni, QStringLiteral("Td"), QStringLiteral("TdContact"));
}

bool WriteUnsubscribeCode(const QString& accountIni, const QString& code) {
    return ini::WriteString(accountIni, QStringLiteral("Td"), QStringLiteral("TdContact"), code);
}
