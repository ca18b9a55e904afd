#include "contacts/contact_record.h"

#include "core/log.h"
#include "core/sql.h"

#include <cstdlib>

const std::array<const char*, kContactColumnCount> kContactColumns = {
    "name",     "sex",      "mobileNum", "birthDay", "specialDay", "qq",        "msn",          "eMail",
    "faTel",    "faAddr",   "coName",    "coDept",   "coEmp",      "province",  "city",         "conAddr",
    "conIndusty", "conTel", "conFax",    "mark",     "groupID",    "perNO",     "isDeleted",    "firstLetter",
    "displayIndex", "txtDef1", "txtDef2", "txtDef3", "txtDef4",    "txtDef5",   "txtDef6",      "txtDef7",
    "numDef1",  "numDef2",  "numDef3",   "boolDef1", "boolDef2",   "dateDef1",  "dateDef2",
};

const char* ContactColumnList() {
    static const std::string list = [] {
        std::string s;
        for (const char* column : kContactColumns) {
            if (!s.empty())
                s += ',';
            s += column;
        }
        return s;
    }();
    return list.c_str();
}

std::string ContactRowSelect() { return std::string("SELECT ") + ContactColumnList() + " FROM ContactList"; }

namespace {

using TextMember = QString CONTACTINFO::*;
constexpr std::array<TextMember, 20> kFixedTexts = {
    &CONTACTINFO::name,    &CONTACTINFO::sex,      &CONTACTINFO::mobileNum, &CONTACTINFO::birthDay,
    &CONTACTINFO::specialDay, &CONTACTINFO::qq,    &CONTACTINFO::msn,       &CONTACTINFO::eMail,
    &CONTACTINFO::faTel,   &CONTACTINFO::faAddr,   &CONTACTINFO::coName,    &CONTACTINFO::coDept,
    &CONTACTINFO::coEmp,   &CONTACTINFO::province, &CONTACTINFO::city,      &CONTACTINFO::conAddr,
    &CONTACTINFO::conIndusty, &CONTACTINFO::conTel, &CONTACTINFO::conFax,   &CONTACTINFO::mark,
};

QString FromUtf8(const char* value) { return value ? QString::fromUtf8(value) : QString(); }

qint64 ReadNumber(const char* value) { return value ? std::strtoll(value, nullptr, 10) : 0; }

} // namespace

QString* ContactText(CONTACTINFO& record, int fieldId) {
    if (fieldId >= 1 && fieldId <= 20)
        return &(record.*kFixedTexts[fieldId - 1]);
    if (fieldId >= 21 && fieldId <= 27)
        return &record.txtDef[fieldId - 21];
    if (fieldId >= 28 && fieldId <= 30)
        return &record.numDef[fieldId - 28];
    switch (fieldId) {
    case 31:
        return &record.boolDef1;
    case 32:
        return &record.boolDef2;
    case 33:
        return &record.dateDef1;
    case 34:
        return &record.dateDef2;
    default:
        return nullptr;
    }
}

const QString* ContactText(const CONTACTINFO& record, int fieldId) {
    return ContactText(const_cast<CONTACTINFO&>(record), fieldId);
}

int ReadContactRow(void* context, int columns, char** values, char** /*names*/) {
    auto* record = static_cast<CONTACTINFO*>(context);
    for (int c = 0; c < columns && c < kContactColumnCount; ++c) {
        const char* value = values[c];
        if (c < 20)
            record->*kFixedTexts[c] = FromUtf8(value);
        else if (c == 20)
            record->groupIds.push_back(static_cast<quint32>(ReadNumber(value)));
        else if (c == 21)
            record->perNO = static_cast<qint32>(ReadNumber(value));
        else if (c >= 25)
            *ContactText(*record, c - 25 + 21) = FromUtf8(value);
    }
    return 0;
}

bool ReadContactByRowid(sqlite3* db, qint64 rowid, CONTACTINFO& record) {
    SqlStatement st(db, ContactRowSelect() + " WHERE rowid=?");
    if (!st.ok())
        return false;
    st.bind(1, static_cast<int64_t>(rowid));
    if (st.step() != SQLITE_ROW)
        return false;
    std::vector<std::string> texts(kContactColumnCount);
    std::vector<char*> values(kContactColumnCount, nullptr);
    for (int c = 0; c < kContactColumnCount; ++c) {
        if (st.isNull(c))
            continue;
        texts[c] = st.text(c);
        values[c] = texts[c].data();
    }
    ReadContactRow(&record, kContactColumnCount, values.data(), nullptr);
    return true;
}

qint64 FirstRowidOfPerNo(sqlite3* db, qint64 perNO) {
    SqlStatement st(db, "SELECT rowid FROM ContactList WHERE perNO=? ORDER BY rowid LIMIT 1");
    if (!st.ok())
        return 0;
    st.bind(1, static_cast<int64_t>(perNO));
    return st.step() == SQLITE_ROW ? st.int64(0) : 0;
}

bool LoadContactGroups(sqlite3* db, CONTACTINFO& record) {
    record.groupIds.clear();
    SqlStatement st(db, "SELECT groupID FROM ContactList WHERE mobileNum=?");
    if (!st.ok())
        return false;
    st.bind(1, record.mobileNum);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW)
        record.groupIds.push_back(static_cast<quint32>(st.int64(0)));
    return rc == SQLITE_DONE;
}
