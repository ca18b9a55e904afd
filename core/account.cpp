#include "core/account.h"

AccountRecord g_pAccount;

AccountFields AccountRecord::get() const {
    std::lock_guard lock(m_mutex);
    return m_fields;
}

void AccountRecord::set(const AccountFields& fields) {
    std::lock_guard lock(m_mutex);
    m_fields = fields;
    m_set = true;
}

QString AccountRecord::field(int index) const {
    if (index < 0 || index >= kAccountFieldCount)
        return QString();
    std::lock_guard lock(m_mutex);
    return m_fields[static_cast<size_t>(index)];
}

void AccountRecord::setField(int index, const QString& value) {
    if (index < 0 || index >= kAccountFieldCount)
        return;
    std::lock_guard lock(m_mutex);
    m_fields[static_cast<size_t>(index)] = value;
    m_set = true;
}

void AccountRecord::clear() {
    std::lock_guard lock(m_mutex);
    m_fields = AccountFields{};
    m_set = false;
}

bool AccountRecord::isSet() const {
    std::lock_guard lock(m_mutex);
    return m_set;
}
