#pragma once
// The timed-send picker every send dialog opens from its timed-send button:
// a day in the month calendar and a time of day, given back as
// "yyyy-MM-dd HH:mm:00". A time before the current minute is refused and the
// picker stays open.
#include <QDateTime>
#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class CDlgMSGTimeSend;
}

class CDlgMSGTimeSend : public QDialog {
    Q_OBJECT
public:
    // The picker opens on the current day and minute; the chosen time is
    // empty until OK accepts one.
    explicit CDlgMSGTimeSend(QWidget* parent = nullptr);
    ~CDlgMSGTimeSend() override;

    // "yyyy-MM-dd HH:mm:00" after the dialog ended with IDOK, else empty.
    const QString& ChosenTime() const { return m_chosenTime; }

    // The time the picker shows, as the text OK would take (the seconds are
    // always "00").
    QString PickedTime() const;
    // Sets the calendar's day and the time of day (tests, callers that
    // propose a time).
    void SetPickedTime(const QDateTime& when);

    // "确定": takes the picked time when it is not before the current
    // minute and ends with IDOK; otherwise says so and stays open.
    void OnOK();

    // Where "now" comes from, for every picker of the process; tests fix it.
    // An empty clock restores the system's local time. Returns the previous one.
    using Clock = std::function<QDateTime()>;
    static Clock SetClock(Clock clock);
    // The current minute as "yyyy-MM-dd HH:mm:00", from that clock.
    static QString CurrentMinuteText();

public slots:
    // "取消", Esc and the close box: the cancel result, nothing chosen.
    void reject() override;

private:
    std::unique_ptr<Ui::CDlgMSGTimeSend> m_ui;
    QString m_chosenTime;
};
