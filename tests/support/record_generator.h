#pragma once
// Generated send records and received messages for the record-view tests,
// screenshots and the benchmark, written in one transaction per database
// with prepared statements (a million rows in a few seconds).
//
// What the rows hold (the same for every run):
//   - sendInfo: record i has sendID firstSendID + i and the category
//     GeneratedRecordCode(i) (drafts, failed and sent records of every
//     channel and the SMS survey records, in turn); submitTime is
//     2024-01-01 00:00:00 plus i minutes; SMS and survey records carry the
//     sub-number 1 + i % 100; a survey's timingTime (the end of its reply
//     window) is an hour after its submitTime;
//   - sendNums: numbersPerRecord rows per record (GeneratedRecordNumber),
//     statuses in turn NULL, "未知", "成功", "失败"; in every record whose
//     index ends in 7 (and with three or more numbers) the last number
//     repeats the first one under another name;
//   - attachmentContent: one row per e-mail, MMS and voice record;
//   - receivedMSGRecord: `received` messages, unread (0 and NULL) and read in
//     turn, texts with quotes, with commas over two lines, or plain, every
//     50th repeating the receiveID before it; then per survey record replies
//     within its minute from its first recipient (twice) and its second one,
//     and once per run a NULL-time message from a number that is nobody's
//     recipient (kOutsiderNumber);
//   - CountmsgRecord (customer database, when given): one row per SMS failed
//     and sent record.
#include "core/database.h"

#include <QString>
#include <QtGlobal>

struct RecordGeneratorOptions {
    int records = 10'000;      // sendInfo rows
    int numbersPerRecord = 3;  // sendNums rows per record
    int received = 10'000;     // received messages (survey replies come on top)
    bool smsSentOnly = false;  // every record in "SMS sent" (1000000003)
    int bigRecordNumbers = 0;  // > 0: one more SMS sent record with this many numbers,
                               // submitted at the time of record 0 (listed last)
};

struct GeneratedRecords {
    bool ok = false;
    qint64 firstSendID = 0;   // sendID of record 0; record i has firstSendID + i
    int records = 0;
    qint64 bigSendID = 0;     // sendID of the big record; 0 when none
    qint64 firstReceiveID = 0;
    int receivedRows = 0;     // every receivedMSGRecord row written, replies included
    int surveyReplies = 0;    // of which survey replies (the outsider's message included)
};

inline constexpr const char* kOutsiderNumber = "13700000000";

// The category code of record i (the benchmark's records are all 1000000003).
int GeneratedRecordCode(int i, const RecordGeneratorOptions& options = {});
// The number (or e-mail address, channel 3) and the name of recipient k of
// record i.
QString GeneratedRecordNumber(int i, int k, const RecordGeneratorOptions& options = {});
QString GeneratedRecipientName(int i, int k);
// "YYYY-MM-DD hh:mm:ss", `seconds` after 2024-01-01 00:00:00.
QString GeneratedTime(qint64 seconds);

// Appends the rows described above. `customerDb` may be null (no
// CountmsgRecord rows). `ok` is false when a statement failed; nothing is
// then written to that database.
GeneratedRecords GenerateRecords(const RecordGeneratorOptions& options = {}, sqlite3* db = g_pDB,
                                 sqlite3* customerDb = g_pCustomerDB);

// One hand-made send record, for tests that need exact rows.
struct SentRecordRow {
    qint64 sendId;
    int sendType;
    int isDraft;
    int isFail;
    QString content;
    QString submitTime;
    int count = 1;
    QString timingTime = QString();
};
// Writes it into sendInfo with the sub-number `subNumber`; false on failure.
bool InsertSentRecord(const SentRecordRow& r, int subNumber, sqlite3* db = g_pDB);
// One recipient of a send record; false on failure.
bool InsertSendNumber(qint64 sendId, const QString& number, const QString& name, const QString& status = {},
                      sqlite3* db = g_pDB);
