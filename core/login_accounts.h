#pragma once
// The two login accounts of an installation (administrator "AD", operator
// "OP"), the operator's rights and the stored service password: the reads,
// checks and writes behind the login and account dialogs, callable without a
// window. Values in accountInfo: fieldName "0" holds "AD" + the administrator's
// password, "1" holds "OP" + the operator's, "name01".."name20" the operator's
// right flags ("0" = not granted).
#include <QString>
#include <QStringList>
#include <sqlite3.h>

#include <array>

enum class LoginKind { Administrator, Operator };

// Rights 1..20; a rights array has element 0 (the account value) and one
// element per right.
constexpr int kRightCount = 20;

// "0" / "1": the accountInfo row of the kind's account value.
QString LoginAccountFieldName(LoginKind kind);
// "AD" / "OP".
QString LoginAccountPrefix(LoginKind kind);
// "name01".."name20".
QString RightFieldName(int right);

enum class LoginReadResult {
    Ok,
    QueryFailed,     // the table could not be read
    AccountMissing,  // no usable account value of the kind
};

// Builds the rights array of a login of `kind`: element 0 is the kind's
// account value, element n the value of row "name%02d" ("0" when the row is
// missing), so a missing row never moves the later rights. An account value
// that does not begin with the kind's prefix counts as missing: an operator
// row holding "AD..." must not make its user an administrator.
LoginReadResult ReadLoginRights(sqlite3* db, LoginKind kind, QStringList& rights);

// True when `typed` equals the stored password (element 0 without its prefix).
bool CheckLoginPassword(const QStringList& rights, const QString& typed);

// Stores prefix + `password` as typed. Runs in one transaction and keeps the
// change only when exactly one row changed; otherwise logs
// "更新操作员权限出错了" and leaves the table as it was.
bool ChangeLoginPassword(sqlite3* db, LoginKind kind, const QString& password);

// ---- Operator rights ----------------------------------------------------------

// The rights the administrator can set, ascending (1..20 without 6).
const std::array<int, 19>& EditableRights();

// Element `right` of a rights array read as a number (leading digits, like
// atoi): non-zero is granted. A right outside the array is not granted.
bool IsRightFlagSet(const QStringList& rights, int right);

// Stores the flag of every editable right: granted[n] for right n (index 0
// unused). One transaction; a missing row is inserted before it is set. Any
// failure logs "更新操作员权限出错了" and rolls the whole save back.
bool SaveOperatorRights(sqlite3* db, const std::array<bool, kRightCount + 1>& granted);

// ---- Service password ---------------------------------------------------------

// 0 when the boxes may be sent, else the string id to show: 220 (a box not 6
// to 11 characters), 221 (current password wrong), 218 (new and confirmation
// differ), checked in that order.
int CheckServicePasswordInput(const QString& current, const QString& newPassword, const QString& confirm,
                              const QString& accountPassword);

// After the service accepted `password`: the account record takes it first, so
// later service calls use it whatever happens to the database, then Register.
// False, logged "修改密码时，数据库更新数据出错", when no row of Register took it.
bool StoreServicePassword(sqlite3* db, const QString& password);

// ---- Recharge -----------------------------------------------------------------

// A card number of exactly 17 characters and a card password of exactly 6.
bool IsRechargeInputValid(const QString& cardNo, const QString& cardPassword);

// The message count of the balance page's answer: its leading whole number
// (blanks before it skipped). -1 when the answer does not begin with one, or
// begins with a negative one, which is the page's error convention.
int BalanceCountOfReply(const QString& reply);
