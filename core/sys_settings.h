#pragma once
// The automatic-behaviour settings as the system settings dialog edits them:
// the values of its controls, the rules checked on OK, the check of the
// split-message prefix, and the save into the per-account settings file.
// Plain functions, so the rules and the order of the writes are tested
// without a window.
#include "core/helpers.h"

#include <QString>
#include <QStringList>

#include <vector>

// The reply text holds at most this many UTF-16 units.
inline constexpr int kMaxReplyLength = 70;
// Name0 (the forward line's group) and Name1-Name6 (extension codes 1-6).
inline constexpr int kGroupNameCount = 7;

struct SysSettingValues {
    bool autoReceive = false;    // Auto1
    QString receiveSeconds;      // Content1
    bool autoReply = false;      // Auto2
    QString replyText;           // Content2
    bool autoForward = false;    // Auto3
    QString forwardNumbers;      // Content3 as shown: one number a line
    QString splashText;          // Content4 (Auto4 is always "0")
    bool sound = false;          // Auto5
    QString soundPath;           // Content5
    bool birthday = false;       // Auto6
    QString birthdayDays;        // Content6
    bool noBackupPrompt = false; // Auto7 (Content7 is always empty)
    bool transpondName = false;  // TranspondName
    bool diySmsCount = false;    // DIYSmsCount
    QString smsCount;            // SmsCount
    bool diyPerMsgCount = false; // DIYPerMsgCount
    QString perMsgCount;         // PerMsgCount
    QString startTime;           // StartTime, "HH:mm:ss"
    QString endTime;             // EndTime
    bool skipWeekend = false;    // Auto100
    bool prefixInUse = false;    // [SMPre] inUse
    bool showPartNumber = true;  // the "A" box; the prefix needs it
    QString pre1;
    QString pre2;
    QString pre3;
    bool showPartCount = false; // [SMPre] bHasB
    QStringList groupNames;     // [GroupName] Name0-Name6; missing ones are written empty
};

// The dialog's values from the settings array (entries 0-9 as the loader
// fills them; a null or short array leaves the rest empty) and from the keys
// of `iniPath` the array does not hold. The forward numbers come one a line.
SysSettingValues ReadSysSettingValues(const std::vector<SYSSETTING>* settings, const QString& iniPath);

// The reply as it may stand in its box: line breaks become blanks, and the
// text is cut to kMaxReplyLength units without splitting a surrogate pair.
QString NormalizeReplyText(const QString& text);

// The stored form of the forward numbers: each line break (CR LF, LF or CR)
// becomes ",". The reverse turns every "," into a line feed.
QString JoinForwardNumbers(const QString& lines);
QString SplitForwardNumbers(const QString& stored);

// 0 when the prefix may be saved, else the id of the refusal: 319 when the
// prefix is in use without the part number, 320 when pre1 or pre3 begins
// with a digit, 321 for "(" with ")".
int CheckSmsPrefix(bool inUse, bool showPartNumber, const QString& pre1, const QString& pre3);

// SaveSysSettings' answer when the settings file could not be written.
inline constexpr int kSysSettingsWriteFailed = -1;

// Writes the values into `iniPath` in the dialog's order, checking each
// rule of a ticked box just before its keys. Returns 0 when everything was
// written; otherwise the string id of the first rule that refused (313-317,
// 319-321) or kSysSettingsWriteFailed, and the keys written before that
// point stay written.
int SaveSysSettings(const QString& iniPath, const SysSettingValues& values);
