#include "gui/sms/time_send_dialog.h"

#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_time_send_dialog.h"

#include <QCalendarWidget>
#include <QPushButton>
#include <QTimeEdit>

#include <utility>

namespace {

CDlgMSGTimeSend::Clock& ClockFunction() {
    static CDlgMSGTimeSend::Clock clock;
    return clock;
}

QDateTime Now() {
    const CDlgMSGTimeSend::Clock& clock = ClockFunction();
    return clock ? clock() : QDateTime::currentDateTime();
}

// Fixed-width digits only, so the texts order by time when compared as text.
QString MinuteText(QDate day, QTime time) {
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') +
           time.toString(QStringLiteral("HH:mm")) + QStringLiteral(":00");
}

} // namespace

CDlgMSGTimeSend::Clock CDlgMSGTimeSend::SetClock(Clock clock) {
    return std::exchange(ClockFunction(), std::move(clock));
}

QString CDlgMSGTimeSend::CurrentMinuteText() {
    const QDateTime now = Now();
    return MinuteText(now.date(), now.time());
}

CDlgMSGTimeSend::CDlgMSGTimeSend(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgMSGTimeSend>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgMSGTimeSend::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgMSGTimeSend::reject);
    SetPickedTime(Now());
}

CDlgMSGTimeSend::~CDlgMSGTimeSend() = default;

QString CDlgMSGTimeSend::PickedTime() const {
    return MinuteText(m_ui->calendar->selectedDate(), m_ui->time->time());
}

void CDlgMSGTimeSend::SetPickedTime(const QDateTime& when) {
    m_ui->calendar->setSelectedDate(when.date());
    m_ui->time->setTime(when.time());
}

void CDlgMSGTimeSend::reject() {
    done(IDCANCEL);
}

void CDlgMSGTimeSend::OnOK() {
    const QString chosen = PickedTime();
    // The same minute is still in time: only an earlier text is refused.
    if (chosen < CurrentMinuteText()) {
        ShowMessageBox(tr("定时时间不能小于当前时间"), mb::Ok | mb::IconWarning);
        return;
    }
    m_chosenTime = chosen;
    done(IDOK);
}
