// The GUI side of message boxes: a worker's question is answered by the user
// on the GUI thread, never by a default OK; boxes speak the chosen language.
#include "core/string_table.h"
#include "gui/main/app_control.h"
#include "gui/widgets/gui_services.h"
#include "platform/msgbox.h"
#include "platform/url_open.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// Installs the real GUI services for one test and puts back what was there.
class GuiServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_box = SetMessageBoxHandler(nullptr);
        m_balloon = SetTrayBalloonHandler(nullptr);
        m_url = SetUrlOpener(nullptr);
        InstallGuiServices();
    }
    void TearDown() override {
        SetMessageBoxHandler(m_box);
        SetTrayBalloonHandler(m_balloon);
        SetUrlOpener(m_url);
        ReopenMessageBoxes();
        ClearQuitRequest();
        SetUiLanguage(kLangChinese);
    }

    // Runs `act` on the box once it is up on the GUI thread (from inside its
    // own loop), while the GUI thread waits for `done`.
    static void WhenBoxIsUp(const std::function<void(QMessageBox&)>& act, const std::atomic<bool>& done) {
        QTimer poll;
        bool acted = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && !acted) {
                acted = true;
                act(*box);
            }
        });
        poll.start(10);
        QElapsedTimer t;
        t.start();
        while (!done && t.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        poll.stop();
    }

    MessageBoxHandler m_box;
    TrayBalloonHandler m_balloon;
    UrlOpener m_url;
};

TEST_F(GuiServicesTest, WorkerQuestionWaitsForTheAnswerFromTheGuiThread) {
    struct Case {
        unsigned type;
        QMessageBox::StandardButton click; // NoButton: "quit" ends the box
        int expected;
    } cases[] = {
        {mb::YesNo | mb::IconQuestion, QMessageBox::Yes, IDYES},
        {mb::YesNo | mb::IconQuestion, QMessageBox::No, IDNO},
        {mb::OkCancel, QMessageBox::Cancel, IDCANCEL},
        {mb::OkCancel, QMessageBox::Ok, IDOK},
        {mb::YesNoCancel, QMessageBox::NoButton, IDCANCEL},
        {mb::YesNo, QMessageBox::NoButton, IDNO},
    };
    for (const auto& c : cases) {
        std::atomic<bool> done{false};
        int answer = 0;
        std::thread worker([&] {
            answer = ShowMessageBox(QStringLiteral("继续吗?"), c.type);
            done = true;
        });
        bool onGuiThread = false;
        WhenBoxIsUp(
            [&](QMessageBox& box) {
                onGuiThread = box.thread() == qApp->thread();
                EXPECT_FALSE(done.load()); // the worker still waits
                if (c.click == QMessageBox::NoButton)
                    RequestQuit();
                else
                    box.button(c.click)->click();
            },
            done);
        worker.join();
        EXPECT_TRUE(onGuiThread);
        EXPECT_EQ(answer, c.expected) << c.type << " " << c.click;
        ClearQuitRequest();
    }
}

TEST_F(GuiServicesTest, ClosingGivesWaitingWorkersTheCautiousAnswer) {
    std::atomic<bool> done{false};
    int answer = 0;
    std::thread worker([&] {
        answer = ShowMessageBox(QStringLiteral("覆盖吗?"), mb::OkCancel);
        done = true;
    });
    // The GUI thread does not come round to the box: the program is closing.
    QThread::msleep(100);
    EXPECT_FALSE(done.load());
    CloseMessageBoxes();
    worker.join();
    EXPECT_EQ(answer, IDCANCEL);
    // The box that was on its way is not shown any more, and later questions
    // are answered at once.
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    int later = 0;
    std::thread again([&] { later = ShowMessageBox(QStringLiteral("删除吗?"), mb::YesNo); });
    again.join();
    EXPECT_EQ(later, IDNO);
}

TEST_F(GuiServicesTest, BoxesSpeakTheChosenLanguage) {
    struct Case {
        int language;
        QString ok;
        QString cancel;
    } cases[] = {
        {kLangChinese, QStringLiteral("确定"), QStringLiteral("取消")},
        {kLangEnglish, QStringLiteral("OK"), QStringLiteral("Cancel")},
        {kLangChinese, QStringLiteral("确定"), QStringLiteral("取消")}, // and back again
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetUiLanguage(c.language));
        QString ok, cancel;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            ok = box->button(QMessageBox::Ok)->text().remove(QLatin1Char('&'));
            cancel = box->button(QMessageBox::Cancel)->text().remove(QLatin1Char('&'));
            box->button(QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(ShowMessageBox(QStringLiteral("保存吗?"), mb::OkCancel), IDCANCEL);
        EXPECT_EQ(ok, c.ok) << c.language;
        EXPECT_EQ(cancel, c.cancel) << c.language;
    }
}

} // namespace
