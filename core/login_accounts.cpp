#include "core/login_accounts.h"

#include "core/account.h"
#include "core/log.h"
#include "core/sql.h"

#include <climits>
#include <cstdlib>
#include <map>

namespace {

constexpr char kRightsUpdateFailed[] = "更新操作员权限出错了";
constexpr char kUpdateRight[] = "UPDATE  accountInfo SET fieldValue=? WHERE fieldName=?";

} // namespace

QString LoginAccountFieldName(LoginKind kind) {
    return kind == LoginKind::Administrator ? QStringLiteral("0") : QStringLiteral("1");
}

QString LoginAccountPrefix(LoginKind kind) {
    return kind == LoginKind::Administrator ? QStringLiteral("AD") : QStringLiteral("OP");
}

QString RightFieldName(int right) {
    return QStringLiteral("name%1").arg(right, 2, 10, QLatin1Char('0'));
}

LoginReadResult ReadLoginRights(sqlite3* db, LoginKind kind, QStringList& rights) {
    rights.clear();
    SqlStatement st(db, "SELECT fieldName, fieldValue FROM accountInfo ORDER BY rowid");
    if (!st.ok())
        return LoginReadResult::QueryFailed;
    // Rows are taken by name, not by position: the first row of a name wins.
    std::map<QString, QString> values;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        if (st.isNull(0) || st.isNull(1))
            continue;
        values.try_emplace(st.qtext(0), st.qtext(1));
    }
    if (rc != SQLITE_DONE)
        return LoginReadResult::QueryFailed;

    const auto account = values.find(LoginAccountFieldName(kind));
    if (account == values.end() || !account->second.startsWith(LoginAccountPrefix(kind)))
        return LoginReadResult::AccountMissing;
    rights.reserve(kRightCount + 1);
    rights << account->second;
    for (int right = 1; right <= kRightCount; ++right) {
        const auto flag = values.find(RightFieldName(right));
        rights << (flag == values.end() ? QStringLiteral("0") : flag->second);
    }
    return LoginReadResult::Ok;
}

bool CheckLoginPassword(const QStringList& rights, const QString& typed) {
    return !rights.isEmpty() && rights.front().mid(2) == typed;
}

bool ChangeLoginPassword(sqlite3* db, LoginKind kind, const QString& password) {
    // A missing row, or a duplicate on a database without the unique index,
    // must not pass for a stored password.
    bool stored = false;
    {
        SqlTransaction tx(db);
        if (tx.active()) {
            SqlStatement st(db, kUpdateRight);
            st.bind(1, LoginAccountPrefix(kind) + password).bind(2, LoginAccountFieldName(kind));
            stored = st.exec() == SQLITE_OK && sqlite3_changes(db) == 1 && tx.commit() == SQLITE_OK;
        }
    }
    if (!stored)
        LogWrite(g_logRun, kRightsUpdateFailed);
    return stored;
}

// ---- Operator rights ----------------------------------------------------------

const std::array<int, 19>& EditableRights() {
    // Right 6 went out of use; its row is left as it is.
    static const std::array<int, 19> rights{1,  2,  3,  4,  5,  7,  8,  9,  10, 11,
                                            12, 13, 14, 15, 16, 17, 18, 19, 20};
    return rights;
}

bool IsRightFlagSet(const QStringList& rights, int right) {
    if (right <= 0 || right >= rights.size())
        return false;
    const QByteArray text = rights.at(right).toUtf8();
    return std::strtol(text.constData(), nullptr, 10) != 0;
}

bool SaveOperatorRights(sqlite3* db, const std::array<bool, kRightCount + 1>& granted) {
    bool saved = false;
    {
        SqlTransaction tx(db);
        if (tx.active()) {
            SqlStatement insert(db, "INSERT INTO accountInfo (fieldName,fieldValue) SELECT ?1,'0' "
                                    "WHERE NOT EXISTS (SELECT 1 FROM accountInfo WHERE fieldName=?1)");
            SqlStatement update(db, kUpdateRight);
            saved = insert.ok() && update.ok();
            for (int right : EditableRights()) {
                if (!saved)
                    break;
                const QString name = RightFieldName(right);
                insert.bind(1, name);
                update.bind(1, granted[static_cast<size_t>(right)] ? "1" : "0").bind(2, name);
                saved = insert.exec() == SQLITE_OK && update.exec() == SQLITE_OK && sqlite3_changes(db) > 0;
            }
            saved = saved && tx.commit() == SQLITE_OK;
        }
    }
    if (!saved)
        LogWrite(g_logRun, kRightsUpdateFailed);
    return saved;
}

// ---- Service password ---------------------------------------------------------

int CheckServicePasswordInput(const QString& current, const QString& newPassword, const QString& confirm,
                              const QString& accountPassword) {
    for (const QString* box : {&current, &newPassword, &confirm}) {
        if (box->size() < 6 || box->size() > 11)
            return 220;
    }
    if (current != accountPassword)
        return 221;
    if (newPassword != confirm)
        return 218;
    return 0;
}

bool StoreServicePassword(sqlite3* db, const QString& password) {
    g_pAccount.setField(kAccountPassword, password);
    SqlStatement st(db, "UPDATE Register SET PassWd=?");
    st.bind(1, password);
    if (st.exec() == SQLITE_OK && sqlite3_changes(db) > 0)
        return true;
    LogWrite(g_logRun, "修改密码时，数据库更新数据出错");
    return false;
}

// ---- Recharge -----------------------------------------------------------------

bool IsRechargeInputValid(const QString& cardNo, const QString& cardPassword) {
    return cardNo.size() == 17 && cardPassword.size() == 6;
}

int BalanceCountOfReply(const QString& reply) {
    qsizetype i = 0;
    while (i < reply.size() && reply.at(i).isSpace())
        ++i;
    if (i < reply.size() && reply.at(i) == QLatin1Char('+'))
        ++i;
    long long count = 0;
    const qsizetype first = i;
    for (; i < reply.size() && reply.at(i) >= QLatin1Char('0') && reply.at(i) <= QLatin1Char('9'); ++i) {
        count = count * 10 + (reply.at(i).unicode() - '0');
        if (count > INT_MAX)
            return -1;
    }
    return i == first ? -1 : static_cast<int>(count);
}
