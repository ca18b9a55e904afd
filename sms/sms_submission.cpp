#include "sms/sms_submission.h"

#include "core/account.h"
#include "core/database.h"
#include "platform/worker_thread.h"

struct SmsSubmission::ListState {};

ServiceSmsSender::ServiceSmsSender()
    : ServiceSmsSender(g_pAccount.field(kAccountSerial), g_pAccount.field(kAccountPassword)) {}
ServiceSmsSender::ServiceSmsSender(const QString& serial, const QString& password)
    : m_client(std::make_unique<CWebServiceClient>(serial, password)) {}
ServiceSmsSender::~ServiceSmsSender() = default;
SmsSendAnswer ServiceSmsSender::Send(const SmsSendCall&) { return {}; }

std::vector<SmsEndMessage> SmsSubmitEndMessages(const SmsSubmitResult&) { return {}; }

SmsSubmission::SmsSubmission(std::unique_ptr<SmsSender> sender, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_worker(std::make_unique<WorkerThread>()), m_db(g_pDB),
      m_customerDb(g_nCustomize ? g_pCustomerDB : nullptr), m_generation(std::make_shared<int>(0)) {}
SmsSubmission::~SmsSubmission() = default;
void SmsSubmission::SetDatabases(sqlite3* db, sqlite3* customerDb) {
    m_db = db;
    m_customerDb = customerDb;
}
void SmsSubmission::SetClock(SmsClock clock) { m_clock = std::move(clock); }
bool SmsSubmission::Start(SmsSubmitRequest) { return false; }
void SmsSubmission::RequestStop() { m_stopRequested = true; }
void SmsSubmission::Advance() {}
void SmsSubmission::BeginCall() {}
void SmsSubmission::OnCallDone(SmsSendAnswer) {}
void SmsSubmission::RecordUnsubmitted() {}
void SmsSubmission::Finish() {}
bool SmsSubmission::IsLastWrite() const { return false; }
