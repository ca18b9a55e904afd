#include "sms/send_records.h"

#include "core/virtual_list.h"

SmsNumberLists BuildNumberLists(const VIRTUAL_LIST&) { return {}; }
std::vector<SmsRecipient> BuildDraftNumberList(const VIRTUAL_LIST&, int* international) {
    if (international)
        *international = 0;
    return {};
}
int SmsBatchSize(bool single) { return single ? 1 : kDefaultSmsBatchSize; }
std::string CutNumberBatch(std::string_view, bool, int* count, std::string_view* rest) {
    if (count)
        *count = 0;
    if (rest)
        *rest = {};
    return {};
}
SmsSendOutcome OutcomeOfCall(int wrapperResult, CallOutcome transport, bool voiceCall) {
    if (voiceCall ? wrapperResult > 10000 : wrapperResult == 0)
        return SmsSendOutcome::Sent;
    return transport == CallOutcome::NoAnswer ? SmsSendOutcome::Unknown : SmsSendOutcome::Failed;
}
SmsJobInfo MakeSmsJobInfo(const QDateTime&, const QString&, bool, int, const QString&) { return {}; }
std::string SendRecordLine(const QString&, const SmsRecipient&, const QString&, const QString&) { return {}; }
bool AllocateSubmissionIds(sqlite3*, std::vector<SEND_INFO_WRITEDB>&) { return false; }
qint64 AllocateSendId(sqlite3*) { return 0; }
SmsOutbox::SmsOutbox(sqlite3* db, sqlite3* customerDb) : m_db(db), m_customerDb(customerDb) {}
bool SmsOutbox::WritePending(SEND_INFO_WRITEDB&, const SmsJobInfo&) { return false; }
bool SmsOutbox::WriteOutcome(SEND_INFO_WRITEDB&, const SmsJobInfo&, SmsSendOutcome, const std::string&, bool, qint64) {
    return false;
}
bool SmsOutbox::WriteUnsubmitted(SEND_INFO_WRITEDB&, const SmsJobInfo&, bool, qint64) { return false; }
bool SmsOutbox::WriteDraft(const SEND_INFO_WRITEDB&, const SmsJobInfo&, int) { return false; }
qint64 SaveSmsDraft(sqlite3*, const QString&, const std::vector<SmsRecipient>&, int, int, bool, int, const QDateTime&) {
    return 0;
}
