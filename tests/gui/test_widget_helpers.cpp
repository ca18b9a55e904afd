#include "gui/widgets/widget_helpers.h"

#include "tests/support/msgbox_recorder.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTextEdit>
#include <QThread>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <thread>

namespace {

// A shown, active window holding one box, so focus can be observed.
template <typename Edit> struct EditWindow {
    QWidget window;
    Edit* edit = new Edit(&window);
    QLineEdit* other = new QLineEdit(&window);
    EditWindow() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        other->setFocus();
        QApplication::processEvents();
    }
};

QString TextOf(QLineEdit* e) { return e->text(); }
QString TextOf(QPlainTextEdit* e) { return e->toPlainText(); }
QString TextOf(QTextEdit* e) { return e->toPlainText(); }
void SetText(QLineEdit* e, const QString& t) { e->setText(t); }
void SetText(QPlainTextEdit* e, const QString& t) { e->setPlainText(t); }
void SetText(QTextEdit* e, const QString& t) { e->setPlainText(t); }

template <typename Edit> void CheckEditNotEmptyCases() {
    struct Case {
        QString text;
        bool accepted;
    };
    const Case cases[] = {{"", false}, {" \t\r\n ", false}, {"x", true}, {"  text  ", true}};
    for (const Case& c : cases) {
        MessageBoxRecorder recorder;
        EditWindow<Edit> w;
        SetText(w.edit, c.text);
        EXPECT_EQ(CheckEditNotEmpty(w.edit), c.accepted) << c.text.toStdString();
        QApplication::processEvents();
        if (c.accepted) {
            EXPECT_TRUE(recorder.shown().empty());
            EXPECT_EQ(TextOf(w.edit), c.text) << "an accepted text is left as typed";
            EXPECT_FALSE(w.edit->hasFocus());
        } else {
            const auto shown = recorder.shown();
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, QString::fromUtf8("内容不能为空."));
            EXPECT_EQ(shown[0].type & mb::IconMask, mb::IconWarning);
            EXPECT_EQ(shown[0].type & mb::ButtonMask, mb::Ok);
            EXPECT_EQ(shown[0].title, MessageBoxTitle());
            EXPECT_EQ(TextOf(w.edit), "") << "blanks are cleared";
            EXPECT_TRUE(w.edit->hasFocus());
        }
    }
}

TEST(CheckEditNotEmptyTest, LineEdit) { CheckEditNotEmptyCases<QLineEdit>(); }
TEST(CheckEditNotEmptyTest, PlainTextEdit) { CheckEditNotEmptyCases<QPlainTextEdit>(); }
TEST(CheckEditNotEmptyTest, TextEdit) { CheckEditNotEmptyCases<QTextEdit>(); }

TEST(CheckEditNotEmptyTest, NullBoxIsRefusedQuietly) {
    MessageBoxRecorder recorder;
    EXPECT_FALSE(CheckEditNotEmpty(static_cast<QLineEdit*>(nullptr)));
    EXPECT_TRUE(recorder.shown().empty());
}

// ---- CheckNumberListEdit -----------------------------------------------------

template <typename Edit> void CheckNumberListCases() {
    struct Case {
        QString text;
        QString after;
        bool valid;
    };
    const Case cases[] = {
        {"13800138000,13900139000", "13800138000\n13900139000", true},
        {"138,,139,", "138\n\n139\n", true},
        {"138 \r\n139\n", "138 \n139\n", true}, // the editor itself keeps LF only
        {"", "", true},
        {"138a", "138a", false},
        {"1,a", "1\na", false},
        {"138-0013", "138-0013", false},
        {"138\t139", "138\t139", false},
        {QString::fromUtf8("１３８"), QString::fromUtf8("１３８"), false},  // full-width digits
        {QString::fromUtf8("138，139"), QString::fromUtf8("138，139"), false}, // full-width comma
    };
    for (const Case& c : cases) {
        Edit edit;
        edit.setPlainText(c.text);
        EXPECT_EQ(CheckNumberListEdit(&edit), c.valid) << c.text.toStdString();
        EXPECT_EQ(edit.toPlainText(), c.after) << c.text.toStdString();
        if (c.text.contains(',')) {
            EXPECT_EQ(edit.textCursor().position(), c.after.size()) << "caret at the end";
        }
    }
}

TEST(CheckNumberListEditTest, PlainTextEdit) { CheckNumberListCases<QPlainTextEdit>(); }
TEST(CheckNumberListEditTest, TextEdit) { CheckNumberListCases<QTextEdit>(); }

// Dialogs run the check on every change of the box; writing the text back
// must not keep re-triggering it, and typing without a comma must not move
// the caret away from where the user is typing.
TEST(CheckNumberListEditTest, SafeAsAChangeHandler) {
    QPlainTextEdit edit;
    int calls = 0;
    QObject::connect(&edit, &QPlainTextEdit::textChanged, [&] {
        ++calls;
        if (calls < 100)
            CheckNumberListEdit(&edit);
    });
    edit.setPlainText("1,2,3");
    EXPECT_EQ(edit.toPlainText(), "1\n2\n3");
    EXPECT_LE(calls, 3);

    edit.setPlainText("12345");
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(2);
    edit.setTextCursor(cursor);
    calls = 0;
    EXPECT_TRUE(CheckNumberListEdit(&edit));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(edit.textCursor().position(), 2);
}

// ---- ConfirmCloseIfEdited ----------------------------------------------------

TEST(ConfirmCloseIfEditedTest, Table) {
    struct Case {
        QString content;
        int rows;
        int answer;
        bool asked;
        bool closes;
    };
    const Case cases[] = {
        {"", 0, IDNO, false, true},
        {"hello", 0, IDYES, true, true},
        {"hello", 0, IDNO, true, false},
        {"", 2, IDYES, true, true},
        {"", 1, IDNO, true, false},
        {" ", 0, IDNO, true, false},
        {"hello", 5, IDCANCEL, true, false},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder recorder;
        recorder.queueAnswer(c.answer);
        EXPECT_EQ(ConfirmCloseIfEdited(c.content, c.rows), c.closes)
            << '"' << c.content.toStdString() << "\", " << c.rows << " rows";
        const auto shown = recorder.shown();
        ASSERT_EQ(shown.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(shown[0].text, QString::fromUtf8("确定退出?"));
            EXPECT_EQ(shown[0].title, QString::fromUtf8("退出确认"));
            EXPECT_EQ(shown[0].type, mb::YesNo | mb::IconQuestion);
        }
    }
}

TEST(ConfirmCloseIfEditedTest, ReadsTheWidgets) {
    MessageBoxRecorder recorder;
    QPlainTextEdit plain;
    QTextEdit rich;
    QLineEdit line;
    QListWidget list;
    QTableView table;
    QStandardItemModel model(3, 2);

    EXPECT_TRUE(ConfirmCloseIfEdited(&plain, &list));
    EXPECT_TRUE(ConfirmCloseIfEdited(&rich, &table)) << "a view without a model is empty";
    EXPECT_TRUE(ConfirmCloseIfEdited(static_cast<QTextEdit*>(nullptr), nullptr));
    EXPECT_TRUE(recorder.shown().empty());

    recorder.queueAnswer(IDNO);
    list.addItem("13800138000");
    EXPECT_FALSE(ConfirmCloseIfEdited(&plain, &list));

    recorder.queueAnswer(IDNO);
    table.setModel(&model);
    EXPECT_FALSE(ConfirmCloseIfEdited(&rich, &table));

    recorder.queueAnswer(IDYES);
    line.setText("subject");
    EXPECT_TRUE(ConfirmCloseIfEdited(&line, 0));

    recorder.queueAnswer(IDNO);
    rich.setHtml("<b>bold</b>");
    EXPECT_FALSE(ConfirmCloseIfEdited(&rich, 0));
    EXPECT_EQ(recorder.shown().size(), 4u);
}

// ---- ShowTrayBalloon ---------------------------------------------------------

TEST(ShowTrayBalloonTest, WorkersHandTheBalloonToTheGuiThread) {
    struct Shown {
        QSystemTrayIcon* icon;
        bool onGuiThread;
        QString text;
    };
    std::vector<Shown> shown;
    const TrayBalloonPresenter previous = SetTrayBalloonPresenter([&](QSystemTrayIcon& icon,
                                                                      const QString& title,
                                                                      const QString& text) {
        shown.push_back({&icon, QThread::currentThread() == qApp->thread(), title + QLatin1Char('|') + text});
    });

    ASSERT_EQ(g_trayIcon, nullptr);
    ShowTrayBalloon("title", "no icon yet");
    EXPECT_TRUE(shown.empty());

    QSystemTrayIcon icon;
    g_trayIcon = &icon;
    ShowTrayBalloon("title", "from the GUI thread");
    ASSERT_EQ(shown.size(), 1u);

    std::thread worker([] { ShowTrayBalloon("title", "from a worker"); });
    worker.join();
    EXPECT_EQ(shown.size(), 1u); // not from the worker itself: it waits for the GUI thread
    QApplication::processEvents();
    ASSERT_EQ(shown.size(), 2u);

    // The window drops the icon before the queued balloon arrives.
    std::thread late([] { ShowTrayBalloon("title", "after the icon went away"); });
    late.join();
    g_trayIcon = nullptr;
    QApplication::processEvents();
    SetTrayBalloonPresenter(previous);

    ASSERT_EQ(shown.size(), 2u);
    for (const Shown& s : shown) {
        EXPECT_EQ(s.icon, &icon);
        EXPECT_TRUE(s.onGuiThread) << s.text.toStdString();
    }
    EXPECT_EQ(shown[0].text, QStringLiteral("title|from the GUI thread"));
    EXPECT_EQ(shown[1].text, QStringLiteral("title|from a worker"));
}

} // namespace
