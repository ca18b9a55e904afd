#pragma once
// The logged-in service account: fifteen texts, of which field 0 is the
// service serial number, field 1 its password, field 13 the enterprise
// signature and field 14 the account's service number. Filled at login, read
// by every service call from any thread, so it is a guarded value: readers
// get a copy.
#include <QString>

#include <array>
#include <mutex>

constexpr int kAccountFieldCount = 15;
enum AccountField {
    kAccountSerial = 0,
    kAccountPassword = 1,
    kAccountSignature = 13,
    kAccountServiceNumber = 14,
};

using AccountFields = std::array<QString, kAccountFieldCount>;

class AccountRecord {
public:
    AccountFields get() const;
    void set(const AccountFields& fields);
    QString field(int index) const;
    void setField(int index, const QString& value);
    // Empties every field (exit, logout).
    void clear();
    // True once a login filled the serial number.
    bool isSet() const;

private:
    mutable std::mutex m_mutex;
    AccountFields m_fields;
    bool m_set = false;
};

extern AccountRecord g_pAccount;
