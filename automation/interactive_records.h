#pragma once
// The records of messages the program sends by itself: rule answers,
// automatic replies and forwards, date messages (WriteInteractiveRecord) and
// the mail loop's SMS batches (WriteRecord).
//
// A send is written as pending before the service is called (committed, so
// a crash or a call that never returns leaves "未知" rows, not nothing) and
// updated with the call's outcome afterwards, each step one transaction on
// the connection the caller hands in (each thread has its own). Ids come
// from the process-wide allocator, every value is bound.
#include "sms/num_content.h"

#include <QString>
#include <QtGlobal>
#include <sqlite3.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum class CallOutcome; // service/web_service_client.h
class CWebServiceClient;

// What a pending write left behind for its outcome update: the sendInfo ids
// of the send and, per id, the `count` its row gets once the send went out
// (sent or refused). The sendNums rows are found by these ids.
struct AutoSendRecord {
    std::vector<qint64> sendIds;
    std::vector<int> counts;
    bool empty() const { return sendIds.empty(); }
};

// The pending write of an automatic send to `items`, before the call, in one
// committed transaction:
// - not personalised: one sendInfo row (the last item's text) and one
//   sendNums row per item under one new id; the row's count, once sent or
//   refused, is the text's parts x the number of items;
// - personalised: per item one new id with its own sendInfo row (its own
//   text and parts) and its sendNums row.
// sendInfo rows start with count 0 and isFail 0 (sendType and isDraft take
// their defaults, so the rows list under SMS), sendNums rows with rrid ''
// and status "未知". A text's parts are ceil(length / 70) of the text as
// sent. False (rolled back, logged) on any failure or without items: then
// the caller must not call the service. `record` receives the ids.
bool WriteInteractiveRecord(sqlite3* db, bool personalised, const std::vector<NUM_CONTENT>& items,
                            AutoSendRecord& record);

// The outcome of the call that followed a pending write (of either writer),
// in one transaction. `wrapperResult` is the send wrapper's result and
// `transport` the client's LastCallOutcome(), judged by the SMS composer's
// one rule (OutcomeOfCall):
// - sent: the sendNums rows get `rrid` and status NULL, the sendInfo rows
//   their counts;
// - failed: the sendInfo rows get isFail 1 and their counts, the sendNums
//   rows status NULL;
// - unknown: nothing changes; the rows stay "未知" with count 0.
// False when the transaction did not commit (logged); the rows then stay
// pending.
bool WriteAutoSendOutcome(sqlite3* db, const AutoSendRecord& record, int wrapperResult, CallOutcome transport,
                          const std::string& rrid);

// The whole round of one automatic send: the pending write, then `call`
// (only when that write committed), then the outcome with the client's
// LastCallOutcome(). `call` returns the wrapper's result and may fill the
// service's id into its argument (CallSmsSendAuto does; CallGxmt leaves it
// empty). Returns the wrapper's result, or -1 when nothing was called.
int SendAndRecordInteractive(sqlite3* db, CWebServiceClient& client, bool personalised,
                             const std::vector<NUM_CONTENT>& items,
                             const std::function<int(std::string& rrid)>& call);

// The parts an automatic send's text is counted for: ceil(length / 70).
int InteractiveSegments(const QString& text);
// The parts of a mail loop batch: 1 up to 70 characters, else length / 67 + 1.
int MailRecordSegments(const QString& content);

// The numbers of a mail loop batch: the comma-separated pieces of `numbers`,
// at most `numberCount` of them, the walk ending at the end of the text. A
// number longer than 15 characters is kept whole. Empty pieces are skipped.
std::vector<std::string> MailRecordNumbers(std::string_view numbers, int numberCount);

// The record of one SMS batch the mail loop sent, in one transaction: one
// sendInfo row (content as given, `submitTime`, count = parts x
// `numberCount`, isFail = `failed`) and one sendNums row per number of
// MailRecordNumbers with `rrid`. Returns the new sendID, 0 when nothing was
// written (rolled back, logged).
qint64 WriteRecord(sqlite3* db, bool failed, const QString& content, int numberCount,
                   const QString& submitTime, std::string_view numbers, std::string_view rrid);

// The same rows as a pending write before the call (count 0, isFail 0, rrid
// '', status "未知"), for WriteAutoSendOutcome afterwards. False (rolled
// back, logged) on failure: then the caller must not call the service.
bool WriteRecordPending(sqlite3* db, const QString& content, int numberCount, const QString& submitTime,
                        std::string_view numbers, AutoSendRecord& record);

// The texts of an automatic send to `items` (numbers set): `content` for
// every item, its "<%" field "%>" markers filled per number from `db` when
// it has any. True when it had markers (a personalised send).
bool FillAutoSendTexts(sqlite3* db, const QString& content, std::vector<NUM_CONTENT>& items);
