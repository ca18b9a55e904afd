#include "contacts/field_settings.h"

#include "core/log.h"
#include "core/sql.h"
#include "platform/ini.h"

namespace {

// The names of the fields the contact editor builds its own controls for.
const char* const kFixedFieldNames[] = {"姓名", "性别", "手机或小灵通", "生日",
                                        "省份", "城市", "行业",         "传真"};

// The fields that are never switched or renamed by the user.
constexpr char kNotOffered[] = "1,2,3,4,8,14,15,17,19";

} // namespace

std::vector<AUTOFIELD> LoadAutoFields(sqlite3* db) {
    std::vector<AUTOFIELD> rows;
    SqlStatement st(db, std::string("SELECT nameOfValue,name,inUse,fieldId,indexField FROM fieldDisplay "
                                    "WHERE fieldId>4 AND fieldId NOT IN (") +
                            kNotOffered + ") ORDER BY fieldId");
    int rc = st.ok() ? SQLITE_ROW : SQLITE_ERROR;
    while (st.ok() && (rc = st.step()) == SQLITE_ROW) {
        AUTOFIELD row;
        row.nameOfValue = st.qtext(0);
        row.name = st.qtext(1);
        row.inUse = static_cast<int>(st.int64(2));
        row.fieldId = static_cast<int>(st.int64(3));
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        LogWrite(g_logRun, "加载已存在的自定义字段出错了");
    return rows;
}

const char* AutoFieldTypeText(int fieldId, const QString& nameOfValue) {
    if (fieldId >= 6 && fieldId <= 20)
        return "文本";
    if (nameOfValue.contains(QLatin1String("txt")))
        return "文本";
    if (nameOfValue.contains(QLatin1String("num")))
        return "数字";
    if (nameOfValue.contains(QLatin1String("bool")))
        return "是/否";
    if (nameOfValue == QLatin1String("specialDay") || nameOfValue.contains(QLatin1String("date")))
        return "日期";
    return "";
}

QStringList ReservedFieldNames(sqlite3* db) {
    QStringList names;
    for (const char* name : kFixedFieldNames)
        names << QString::fromUtf8(name);
    // Also the names these fields carry in this database (the e-mail field
    // has none of the fixed names, and a name may have been changed by hand).
    SqlStatement st(db, std::string("SELECT name FROM fieldDisplay WHERE fieldId IN (") + kNotOffered + ")");
    while (st.ok() && st.step() == SQLITE_ROW) {
        const QString name = st.qtext(0).trimmed();
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names;
}

int CheckFieldName(const QString& name, const std::vector<AUTOFIELD>& rows, int row,
                   const QStringList& reserved) {
    if (name.isEmpty())
        return 155;
    if (reserved.contains(name))
        return 156;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (static_cast<int>(i) != row && rows[i].name == name)
            return 157;
    }
    return 0;
}

bool SaveAutoFields(const std::vector<AUTOFIELD>& rows, const std::set<int>& inUseBefore,
                    const QString& accountIni, sqlite3* db) {
    bool switchedOff33 = false;
    bool switchedOff34 = false;
    {
        SqlTransaction tx(db);
        if (!tx.active())
            return false;
        SqlStatement keep(db, "UPDATE fieldDisplay SET inUse=1,name=? WHERE fieldID=?");
        SqlStatement switchOn(db, "UPDATE fieldDisplay SET isVisible=1,inUse=1,name=? WHERE fieldID=?");
        SqlStatement switchOff(db, "UPDATE fieldDisplay SET isVisible=0,inUse=0,name=? WHERE fieldID=?");
        if (!keep.ok() || !switchOn.ok() || !switchOff.ok())
            return false;
        for (const AUTOFIELD& row : rows) {
            SqlStatement& st = !row.inUse ? switchOff : inUseBefore.contains(row.fieldId) ? keep : switchOn;
            st.reset();
            st.bind(1, row.name).bind(2, row.fieldId);
            if (st.exec() != SQLITE_OK)
                return false;
            if (!row.inUse) {
                switchedOff33 = switchedOff33 || row.fieldId == 33;
                switchedOff34 = switchedOff34 || row.fieldId == 34;
            }
        }
        if (tx.commit() != SQLITE_OK)
            return false;
    }
    // Only a stored switch-off turns the greetings off.
    if (!accountIni.isEmpty()) {
        if (switchedOff33)
            ini::WriteString(accountIni, QStringLiteral("DateMSG"), QStringLiteral("AutoSend3"),
                             QStringLiteral("0"));
        if (switchedOff34)
            ini::WriteString(accountIni, QStringLiteral("DateMSG"), QStringLiteral("AutoSend4"),
                             QStringLiteral("0"));
    }
    return true;
}

bool LoadFieldOrder(std::vector<FieldEntry>& visible, std::vector<FieldEntry>& hidden, sqlite3* db) {
    visible.clear();
    hidden.clear();
    SqlStatement st(
        db, "SELECT fieldID,name,isVisible FROM fieldDisplay WHERE inUse=1 ORDER BY indexField, fieldID");
    int rc = st.ok() ? SQLITE_ROW : SQLITE_ERROR;
    while (st.ok() && (rc = st.step()) == SQLITE_ROW) {
        FieldEntry entry{static_cast<int>(st.int64(0)), st.qtext(1)};
        (st.int64(2) == 1 ? visible : hidden).push_back(std::move(entry));
    }
    if (rc != SQLITE_DONE) {
        LogWrite(g_logRun, "初始化显示和隐藏字段出错了");
        return false;
    }
    return true;
}

bool IsFieldAlwaysVisible(int fieldId) {
    return fieldId == 1 || fieldId == 3;
}

bool SaveFieldOrder(const std::vector<int>& visibleIds, const std::vector<int>& hiddenIds, sqlite3* db) {
    SqlTransaction tx(db);
    if (!tx.active())
        return false;
    SqlStatement show(db, "UPDATE fieldDisplay SET isVisible=1,indexField=? WHERE fieldID=?");
    SqlStatement hide(db, "UPDATE fieldDisplay SET isVisible=0 WHERE fieldID=?");
    if (!show.ok() || !hide.ok())
        return false;
    int index = 0;
    for (int id : visibleIds) {
        show.reset();
        show.bind(1, index++).bind(2, id);
        if (const int rc = show.exec(); rc != SQLITE_OK) {
            LogSqlError(sqlite3_errmsg(db), rc, "CDlgAlterFieldOrder类中SQL语句pSqlForVisible执行错误");
            return false;
        }
    }
    for (int id : hiddenIds) {
        hide.reset();
        hide.bind(1, id);
        if (const int rc = hide.exec(); rc != SQLITE_OK) {
            LogSqlError(sqlite3_errmsg(db), rc, "CDlgAlterFieldOrder类中SQL语句pSqlForHide执行错误");
            return false;
        }
    }
    if (const int rc = tx.commit(); rc != SQLITE_OK) {
        LogSqlError(sqlite3_errmsg(db), rc, "CDlgAlterFieldOrder::OnBnClicked1提交事务出错");
        return false;
    }
    return true;
}
