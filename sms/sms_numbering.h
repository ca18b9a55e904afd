#pragma once
// The numbering written before each part of a split long message ("[1/2]"),
// shared by the system settings' preview and the SMS composer.
#include <QString>

// [SMPre] of the per-account settings file.
struct SmsNumbering {
    QString inUse;  // "1": the custom texts below; anything else "[", "/", "]"
    QString pre1;   // before the part number
    QString pre2;   // between the number and the count
    QString pre3;   // after the count
    int bHasB = 1;  // custom numbering only: non-zero writes the part count
};

// Reads [SMPre] from `iniPath`.
SmsNumbering ReadSmsNumbering(const QString& iniPath);

// The numbering of part `part` of `count`: pre1 + part + pre2 + count + pre3,
// with the count left out of a custom numbering without bHasB.
QString FormatSmsNumbering(const SmsNumbering& numbering, int part, int count);

// The characters a numbering takes from each part: 5 for the default texts,
// else the three texts plus 1, plus 1 more with bHasB.
int SmsNumberingReservedLength(const SmsNumbering& numbering);
