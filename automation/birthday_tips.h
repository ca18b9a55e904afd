#pragma once
// The contacts behind the birthday reminder's numbers.
#include <QString>

#include <vector>

struct sqlite3;

// One listed birthday.
struct BIRTHTIP {
    QString name;
    QString mobileNum;
    QString bd;    // "MM-DD"
    QString perNO; // the contact's key
};

// The contacts with a birthday whose mobile number is one of `numbers`,
// ordered by birthday. A contact kept in several groups is listed once;
// numbers are compared as texts, so a leading "0" counts. The numbers go to
// the database in bound chunks, however many there are.
std::vector<BIRTHTIP> LoadBirthTips(sqlite3* db, const std::vector<QString>& numbers);
