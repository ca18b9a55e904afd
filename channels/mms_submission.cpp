#include "channels/mms_submission.h"

#include "core/database.h"
#include "sms/call_runner.h"

#include <QTimer>

struct MmsSubmission::FieldReader {};

ServiceMmsSender::ServiceMmsSender() : ServiceMmsSender(QString(), QString()) {}
ServiceMmsSender::ServiceMmsSender(const QString& serial, const QString& password)
    : m_client(std::make_unique<CWebServiceClient>(serial, password)) {}
ServiceMmsSender::~ServiceMmsSender() = default;
MmsSendAnswer ServiceMmsSender::Send(const MmsSendCall&) {
    return {};
}

SmsEndMessage MmsSubmitEndMessage(const MmsSubmitResult&) {
    return {};
}

MmsSubmission::MmsSubmission(std::unique_ptr<MmsSender> sender, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_runner(std::make_unique<CallRunner>()), m_db(g_pDB) {}
MmsSubmission::~MmsSubmission() {
    m_runner.reset();
}
void MmsSubmission::SetDatabase(sqlite3* db) {
    m_db = db;
}
void MmsSubmission::SetClock(SmsClock clock) {
    m_clock = std::move(clock);
}
MmsStartResult MmsSubmission::Start(MmsSubmitRequest) {
    return MmsStartResult::Nothing;
}
void MmsSubmission::RequestStop() {}

qint64 SaveMmsDraft(sqlite3*, const QString&, const std::vector<MMSCONTENT>&,
                    const std::vector<SmsRecipient>&, qint64, const QDateTime&) {
    return 0;
}
