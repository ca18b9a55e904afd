#include "sms/per_msg_submission.h"

#include "core/account.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "platform/msgbox.h"
#include "sms/call_runner.h"
#include "sms/gxmt_list.h"
#include "sms/sms_text.h"

#include <QCoreApplication>

#include <algorithm>
#include <climits>

namespace {

constexpr char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";
constexpr char kMinuteFormat[] = "yyyy-MM-dd HH:mm:00";

QString Tr(const char* text) {
    return QCoreApplication::translate("PerMsgSubmission", text);
}

// A field of a send-record line: one line per message, so a line break of
// the text becomes one blank.
std::string OneLineField(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text.toStdString();
}

bool Commit(sqlite3* db, SqlTransaction& tx, const char* what) {
    if (tx.commit() != SQLITE_OK) {
        LogSqlError(SqlErrorText(db), SQLITE_ERROR, what);
        tx.rollback();
        return false;
    }
    return true;
}

} // namespace

// One message of a batch as it is sent and recorded.
struct PerMsgItem {
    int row = 0;
    QString number;
    QString text; // as sent: the row text, and the signature when appended
    QString mark;
    QString timing; // what the service gets for this item; "" = now
    QString rrid;
    int parts = 0;
    qint64 sendId = 0;      // its record (the resent record on the resend road)
    qint64 sourceRowid = 0; // resend road: its sendNums row
    bool inPlace = true;    // resend road: the record holds this number alone
};

struct PerMsgSubmission::Batch {
    std::vector<PerMsgItem> items;
};

int PerMsgBatchSizeOf(const QString& text) {
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    return ok && size >= 1 ? size : kDefaultPerMsgBatchSize;
}

int PerMsgBatchSize() {
    if (g_sysSettings.size() > 9)
        return PerMsgBatchSizeOf(g_sysSettings[9].text);
    return kDefaultPerMsgBatchSize;
}

bool PerMsgSignatureAppended(PerMsgRoad road, bool signedFlag) {
    return signedFlag && (road == PerMsgRoad::Imported || road == PerMsgRoad::BatchDate);
}

ServiceGxmtSender::ServiceGxmtSender()
    : ServiceGxmtSender(g_pAccount.field(kAccountSerial), g_pAccount.field(kAccountPassword)) {}

ServiceGxmtSender::ServiceGxmtSender(const QString& serial, const QString& password)
    : m_client(std::make_unique<CWebServiceClient>(serial, password)) {}

ServiceGxmtSender::~ServiceGxmtSender() = default;

GxmtAnswer ServiceGxmtSender::Send(const GxmtCall& call) {
    GxmtAnswer answer;
    answer.result = m_client->CallGxmt(call.numbers, call.contents, call.times, call.rrids);
    answer.transport = m_client->LastCallOutcome();
    return answer;
}

std::vector<SmsEndMessage> PerMsgEndMessages(const PerMsgSubmitResult& result, bool submitWording) {
    const QString verb = LoadStr(submitWording ? 244 : 243).left(2);
    std::vector<SmsEndMessage> messages;
    if (result.stoppedByWriteFailure)
        messages.push_back(
            {QCoreApplication::translate("SmsSubmission", "写短信记录出错，发送已停止。"), mb::IconWarning});
    if (result.failedCount > 0)
        messages.push_back({LoadStr(247) + verb, mb::IconError});
    const int unknown = result.unknownCount;
    if (unknown > 0)
        messages.push_back(
            {QCoreApplication::translate("SmsSubmission",
                                         "有%d个号码未收到服务应答，发送结果未知，请核对后再决定是否重发。")
                 .replace(QLatin1String("%d"), QString::number(unknown)),
             mb::IconWarning});
    if (messages.empty())
        messages.push_back({verb + LoadStr(246), mb::IconInformation});
    return messages;
}

PerMsgSubmission::PerMsgSubmission(std::unique_ptr<GxmtSender> sender, QObject* parent)
    : QObject(parent), m_sender(std::move(sender)), m_runner(std::make_unique<CallRunner>()), m_db(g_pDB),
      m_customerDb(g_nCustomize ? g_pCustomerDB : nullptr) {}

PerMsgSubmission::~PerMsgSubmission() {
    // The runner first: it waits for a call in flight and then delivers
    // nothing, so no completion reaches a half-destroyed submission.
    m_runner.reset();
}

void PerMsgSubmission::SetDatabases(sqlite3* db, sqlite3* customerDb) {
    m_db = db;
    m_customerDb = customerDb;
}

void PerMsgSubmission::SetClock(PerMsgClock clock) {
    m_clock = std::move(clock);
}

bool PerMsgSubmission::Start(PerMsgSubmitRequest request) {
    if (m_busy || !request.rows || request.rows->GetCount() == 0 || !m_db)
        return false;
    m_request = std::move(request);
    m_result = PerMsgSubmitResult();
    m_stopRequested = false;
    m_copies.clear();
    m_batchSize = m_request.batchSize > 0 ? m_request.batchSize : PerMsgBatchSize();
    m_start = m_clock ? m_clock() : QDateTime::currentDateTime();
    m_next = 0;
    m_done = 0;
    m_total = m_request.rows->GetCount();
    m_busy = true;
    LogWrite(g_logRun, "In CDlgPerMSG::SendPerMSG");
    Advance();
    return true;
}

void PerMsgSubmission::RequestStop() {
    if (m_busy)
        m_stopRequested = true;
}

void PerMsgSubmission::Advance() {
    // Stub: filled in below.
    Finish();
}

void PerMsgSubmission::OnCallDone(GxmtAnswer) {
    Advance();
}

void PerMsgSubmission::RecordUnsubmitted() {}

void PerMsgSubmission::Finish() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_busy = false;
            m_batch.reset();
            emit finished(m_result);
        },
        Qt::QueuedConnection);
}
