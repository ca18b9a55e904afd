#include "gui/automation/auto_send_dialog.h"

#include "automation/contact_greeting_times.h"
#include "core/account.h"
#include "core/database.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "service/web_service_client.h"
#include "sms/call_runner.h"

#include "ui_auto_send_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <utility>

namespace {

constexpr int kMaxDaysBefore = 30;
constexpr int kMaxYears = 10;
constexpr int kDefaultYearsIndex = 2; // 3 years

} // namespace

CDlgAutoSend::CDlgAutoSend(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgAutoSend>()), m_runner(std::make_unique<CallRunner>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    QFont font = m_ui->mobile->font();
    font.setPixelSize(15);
    m_ui->mobile->setFont(font);
    // Digits only: a "-" would schedule the greeting after the date.
    m_ui->daysBefore->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_ui->daysBefore));
    for (int years = 1; years <= kMaxYears; ++years)
        m_ui->years->addItem(tr("%d年").replace(QLatin1String("%d"), QString::number(years)), years);
    m_ui->years->setCurrentIndex(kDefaultYearsIndex);
    m_ui->time->setTime(Now().time());
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgAutoSend::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgAutoSend::reject);
}

CDlgAutoSend::~CDlgAutoSend() {
    // The runner first: it waits for a call in flight and delivers nothing
    // afterwards, so no answer reaches a half-destroyed dialog.
    m_runner.reset();
}

void CDlgAutoSend::SetMobile(const QString& mobile) {
    m_mobile = mobile;
    m_ui->mobile->setText(mobile);
}

void CDlgAutoSend::SetDate(const QString& date) {
    m_date = date;
}

void CDlgAutoSend::SetKind(int kind) {
    m_kind = kind;
    setWindowTitle(kind == 1 ? tr("特殊日期 － 短信发送") : tr("生日 － 短信发送"));
}

void CDlgAutoSend::SetClock(Clock clock) {
    m_clock = std::move(clock);
    m_ui->time->setTime(Now().time());
}

QDateTime CDlgAutoSend::Now() const {
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void CDlgAutoSend::reject() {
    if (m_busy)
        return;
    done(IDCANCEL);
}

void CDlgAutoSend::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CDlgAutoSend::SetBusy(bool busy) {
    m_busy = busy;
    m_ui->ok->setEnabled(!busy);
    m_ui->cancel->setEnabled(!busy);
}

void CDlgAutoSend::OnOK() {
    if (m_busy || m_called)
        return;
    const int daysBefore = m_ui->daysBefore->text().toInt();
    if (daysBefore > kMaxDaysBefore) {
        ShowMessageBox(LoadStr(166), mb::Ok | mb::IconWarning);
        return;
    }
    const QString content = m_ui->content->text().trimmed();
    if (content.isEmpty()) {
        ShowMessageBox(LoadStr(151), mb::Ok | mb::IconWarning);
        return;
    }
    const QDateTime now = Now();
    const ContactGreetingTimes schedule =
        GreetingTimes(m_date, daysBefore, m_ui->time->time(), m_ui->years->currentData().toInt(), now);
    if (schedule.nearNow && ShowMessageBox(LoadStr(167), mb::YesNo | mb::IconQuestion) != IDYES)
        return;
    if (schedule.times.isEmpty()) {
        ShowMessageBox(LoadStr(168), mb::Ok | mb::IconWarning);
        return;
    }
    QString listed;
    for (const QString& time : schedule.times)
        listed += time + QStringLiteral("\r\n");
    if (ShowMessageBox(LoadStr(169) + QLatin1Char(':') + listed + QStringLiteral("\r\n\r\n ") + LoadStr(170),
                       mb::YesNo | mb::IconQuestion) != IDYES)
        return;

    TimedSubmission submission;
    submission.submitTime = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (const QString& time : schedule.times)
        submission.items.push_back({m_mobile, content, time});
    if (!WriteTimedPending(g_pDB, submission, m_record)) {
        ShowMessageBox(QCoreApplication::translate("SmsSubmission", "写短信记录出错，发送已停止。"),
                       mb::Ok | mb::IconWarning);
        return;
    }

    auto client = std::make_shared<CWebServiceClient>(g_pAccount.field(kAccountSerial),
                                                      g_pAccount.field(kAccountPassword));
    std::vector<GxmtItem> items = std::move(submission.items);
    m_called = true;
    SetBusy(true);
    const bool started = m_runner->Run<TimedCallAnswer>(
        this, [client, items] { return CallTimedSubmission(*client, items); },
        [this](TimedCallAnswer answer) { OnCallDone(answer); });
    if (!started) {
        // The worker could not take the call: nothing went out, so the
        // jobs are failed records to resend.
        SetBusy(false);
        OnCallDone(TimedCallAnswer());
    }
}

void CDlgAutoSend::OnCallDone(TimedCallAnswer answer) {
    SetBusy(false);
    switch (WriteTimedOutcome(g_pDB, m_record, answer)) {
    case SmsSendOutcome::Sent:
        done(kSubmitted);
        break;
    case SmsSendOutcome::Failed:
        ShowMessageBox(tr("定时短信未被接受，已记入失败记录。"), mb::Ok | mb::IconWarning);
        done(kRefused);
        break;
    case SmsSendOutcome::Unknown:
        ShowMessageBox(tr("定时短信已提交，但未收到服务应答，结果未知，请核对后再决定是否重新提交。"),
                       mb::Ok | mb::IconWarning);
        done(kSubmitted);
        break;
    }
}
