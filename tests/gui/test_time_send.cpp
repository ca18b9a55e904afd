// The timed-send picker: which picked minutes it accepts against a fixed
// "now", and what it hands back.
#include "gui/sms/time_send_dialog.h"
#include "platform/msgbox.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"

#include <QCalendarWidget>
#include <QDateTime>
#include <QGroupBox>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace {

const QString kRefusal = QStringLiteral("定时时间不能小于当前时间");

class TimeSend : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = CDlgMSGTimeSend::SetClock([this] { return m_now; });
    }
    void TearDown() override { CDlgMSGTimeSend::SetClock(m_previous); }

    // Picks through the controls a user touches, found by their ids.
    static void Pick(CDlgMSGTimeSend& dialog, const char* when) {
        const QDateTime at =
            QDateTime::fromString(QString::fromLatin1(when), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        ASSERT_TRUE(at.isValid()) << when;
        Child<QCalendarWidget>(dialog, "1014")->setSelectedDate(at.date());
        Child<QTimeEdit>(dialog, "21008")->setTime(at.time());
    }

    QDateTime m_now = QDateTime(QDate(2026, 3, 15), QTime(10, 30, 45));
    CDlgMSGTimeSend::Clock m_previous;
    MessageBoxRecorder m_boxes;
};

TEST_F(TimeSend, AcceptsFromTheCurrentMinuteOn) {
    const struct {
        const char* picked;
        const char* chosen; // nullptr: refused
    } cases[] = {
        // The current minute, whatever the seconds on either side.
        {"2026-03-15 10:30:00", "2026-03-15 10:30:00"},
        {"2026-03-15 10:30:59", "2026-03-15 10:30:00"},
        {"2026-03-15 10:31:59", "2026-03-15 10:31:00"},
        {"2026-03-16 00:00:00", "2026-03-16 00:00:00"},
        {"2027-01-01 09:05:00", "2027-01-01 09:05:00"},
        {"2026-03-15 10:29:59", nullptr},
        {"2026-03-15 09:45:00", nullptr},
        // A later hour on an earlier day is still the past.
        {"2026-03-14 23:59:00", nullptr},
        {"2025-12-31 11:00:00", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picked);
        m_boxes.clear();
        CDlgMSGTimeSend dialog;
        dialog.show();
        Pick(dialog, c.picked);
        Click(dialog, "1");
        if (c.chosen) {
            EXPECT_EQ(dialog.result(), IDOK);
            EXPECT_EQ(dialog.ChosenTime(), QString::fromLatin1(c.chosen));
            EXPECT_TRUE(m_boxes.texts().isEmpty());
        } else {
            EXPECT_EQ(dialog.result(), kStayedOpen);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_TRUE(dialog.ChosenTime().isEmpty());
            ASSERT_EQ(m_boxes.shown().size(), 1u);
            EXPECT_EQ(m_boxes.shown()[0].text, kRefusal);
            EXPECT_EQ(m_boxes.shown()[0].type & mb::IconMask, mb::IconWarning);
        }
    }
}

TEST_F(TimeSend, RefusedPickerCanStillBeCorrected) {
    CDlgMSGTimeSend dialog;
    dialog.show();
    Pick(dialog, "2026-03-15 10:29:00");
    Click(dialog, "1");
    ASSERT_EQ(dialog.result(), kStayedOpen);
    Pick(dialog, "2026-03-15 10:45:00");
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.ChosenTime(), QStringLiteral("2026-03-15 10:45:00"));
    EXPECT_EQ(m_boxes.texts(), QStringList{kRefusal});
}

TEST_F(TimeSend, OpensOnTheCurrentMinuteWhichOkTakes) {
    CDlgMSGTimeSend dialog;
    EXPECT_EQ(Child<QGroupBox>(dialog, "timeGroup")->title(), QStringLiteral("时间"));
    EXPECT_EQ(dialog.PickedTime(), QStringLiteral("2026-03-15 10:30:00"));
    EXPECT_TRUE(dialog.ChosenTime().isEmpty());
    dialog.show();
    // The minute turns while the picker is open: its own minute is now past.
    m_now = m_now.addSecs(60);
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), kStayedOpen);
    m_now = m_now.addSecs(-60);
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.ChosenTime(), QStringLiteral("2026-03-15 10:30:00"));
}

TEST_F(TimeSend, CancelChoosesNothing) {
    for (const bool viaEscape : {false, true}) {
        SCOPED_TRACE(viaEscape);
        CDlgMSGTimeSend dialog;
        dialog.show();
        Pick(dialog, "2026-04-01 08:00:00");
        if (viaEscape)
            SendKey(&dialog, Qt::Key_Escape);
        else
            Click(dialog, "2");
        EXPECT_EQ(dialog.result(), IDCANCEL);
        EXPECT_TRUE(dialog.ChosenTime().isEmpty());
        EXPECT_TRUE(m_boxes.texts().isEmpty());
    }
}

} // namespace
