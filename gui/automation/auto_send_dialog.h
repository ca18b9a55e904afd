#pragma once
// One contact's greetings for the coming years, opened by the contact
// editor's date switches: one send time per year (the date's month and day,
// some days before, at a time of day), confirmed by the user, handed to the
// service as one timed submission and recorded as one send job per time.
//
// The call runs on a worker thread; meanwhile the buttons are disabled and
// the dialog cannot be closed. It ends with 1003 when the messages were
// accepted or their outcome is unknown (the editor keeps its switch ticked),
// 1002 when the service refused them, IDCANCEL when nothing was submitted.
#include "automation/timed_submission.h"

#include <QDateTime>
#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class CDlgAutoSend;
}
class CallRunner;

class CDlgAutoSend : public QDialog {
    Q_OBJECT
public:
    // The results besides IDCANCEL.
    static constexpr int kSubmitted = 1003;
    static constexpr int kRefused = 1002;

    explicit CDlgAutoSend(QWidget* parent = nullptr);
    ~CDlgAutoSend() override;

    void SetMobile(const QString& mobile);
    // "yyyy-mm-dd".
    void SetDate(const QString& date);
    // 0 birthday, 1 special date.
    void SetKind(int kind);

    // Where "now" comes from (tests fix it); empty: the system's local time.
    // The time picker moves to that clock's time.
    using Clock = std::function<QDateTime()>;
    void SetClock(Clock clock);

    // "确定": checks the input, works out the times, asks, then submits.
    void OnOK();
    // A submission's call is in flight.
    bool IsBusy() const { return m_busy; }

public slots:
    // Cancel, Esc: IDCANCEL, refused while the call runs.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QDateTime Now() const;
    void SetBusy(bool busy);
    void OnCallDone(TimedCallAnswer answer);

    std::unique_ptr<Ui::CDlgAutoSend> m_ui;
    std::unique_ptr<CallRunner> m_runner;
    Clock m_clock;
    QString m_mobile;
    QString m_date;
    int m_kind = 0;
    bool m_busy = false;
    bool m_called = false; // a submission went out: never again from this dialog
    AutoSendRecord m_record;
};
