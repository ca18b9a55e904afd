// The rich edit with its own menu and plain-text paste, and the list box
// whose items wrap over several lines.
#include "gui/widgets/multiline_list_box.h"
#include "gui/widgets/rich_edit.h"
#include "tests/support/dialog_driver.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

QAction* MenuEntry(QMenu& menu, const QString& text) {
    for (QAction* a : menu.actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

// Rich text as a word processor puts it on the clipboard.
void PutRichTextOnClipboard() {
    auto* mime = new QMimeData;
    mime->setHtml(
        QStringLiteral("<p><b style=\"font-weight:700\">加粗</b><span style=\"color:#ff0000\">red</span>"
                       "<img src=\"x.png\"></p>"));
    mime->setText(QStringLiteral("加粗red"));
    QApplication::clipboard()->setMimeData(mime);
}

bool HasOnlyPlainFormat(const QTextEdit& edit) {
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (f.isImageFormat() || f.fontWeight() > QFont::Normal ||
                f.hasProperty(QTextFormat::ForegroundBrush))
                return false;
        }
    return true;
}

TEST(SmallControls, RichTextArrivesAsPlainText) {
    const struct {
        const char* name;
        std::function<void(MyRichEditCtrl&)> paste;
        const char* result;
    } ways[] = {
        {"menu", [](MyRichEditCtrl& e) { MenuEntry(*e.BuildContextMenu(), "粘贴")->trigger(); }, "a加粗red"},
        {"Ctrl+V", [](MyRichEditCtrl& e) { SendKey(&e, Qt::Key_V, Qt::ControlModifier, "\x16"); },
         "a加粗red"},
        {"drop at the end",
         [](MyRichEditCtrl& e) {
             const QMimeData* clip = QApplication::clipboard()->mimeData();
             QMimeData mime;
             mime.setHtml(clip->html());
             mime.setText(clip->text());
             QTextCursor end = e.textCursor();
             end.movePosition(QTextCursor::End);
             const QPoint at = e.cursorRect(end).center();
             QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(e.viewport(), &enter);
             QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(e.viewport(), &drop);
         },
         "ab加粗red"},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        MyRichEditCtrl edit;
        edit.resize(300, 100);
        edit.show(); // laid out, so a drop point maps to a text position
        edit.setPlainText("ab");
        QTextCursor c = edit.textCursor();
        c.setPosition(1);
        c.setPosition(2, QTextCursor::KeepAnchor); // "b" is replaced
        edit.setTextCursor(c);
        PutRichTextOnClipboard();
        way.paste(edit);
        EXPECT_EQ(edit.toPlainText(), QString::fromUtf8(way.result));
        EXPECT_TRUE(HasOnlyPlainFormat(edit));
    }
}

TEST(SmallControls, DigitsOnlyFiltersTypedCharactersNotEditingOrPaste) {
    MyRichEditCtrl edit;
    edit.m_bDigitsOnly = true;
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        QString text;
        QString after;
    } steps[] = {
        {Qt::Key_A, Qt::NoModifier, "a", ""},
        {Qt::Key_Plus, Qt::ShiftModifier, "+", "+"},
        {Qt::Key_7, Qt::NoModifier, "7", "+7"},
        {Qt::Key_Space, Qt::NoModifier, " ", "+7"},
        {0, Qt::NoModifier, QString::fromUtf8("８"), "+7"}, // a full-width digit is no digit here
        {Qt::Key_Backspace, Qt::NoModifier, "\b", "+"},
        {Qt::Key_1, Qt::NoModifier, "1", "+1"},
        {Qt::Key_Left, Qt::NoModifier, "", "+1"},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", "+"},
        {Qt::Key_A, Qt::ControlModifier, "a", "+"}, // select all: a shortcut, not a character
        {Qt::Key_5, Qt::NoModifier, "5", "5"},      // replaces the selection
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.text.toStdString());
        SendKey(&edit, s.key, s.mods, s.text);
        EXPECT_EQ(edit.toPlainText(), s.after);
    }

    // An input method's commit keeps only its digits.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("1a2"));
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(edit.toPlainText(), "512");

    // Pasted text is the user's own choice: not filtered.
    QApplication::clipboard()->setText(QStringLiteral(" 张三 "));
    edit.paste();
    EXPECT_EQ(edit.toPlainText(), "512 张三 ");

    // Without the flag letters are typed as usual.
    MyRichEditCtrl free;
    SendKey(&free, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_EQ(free.toPlainText(), "a");
}

TEST(SmallControls, MenuEntriesFollowSelectionClipboardAndText) {
    const QStringList entries = {"剪切", "复制", "粘贴", "删除", "全选"};
    const struct {
        const char* name;
        QString text;
        bool select;
        bool clipboardText;
        QList<bool> enabled;
    } cases[] = {
        {"empty, clipboard text", "", false, true, {false, false, true, false, false}},
        {"empty, clipboard empty", "", false, false, {false, false, false, false, false}},
        {"text, no selection", "abc", false, false, {false, false, false, false, true}},
        {"text selected", "abc", true, true, {true, true, true, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.clipboardText)
            QApplication::clipboard()->setText(QStringLiteral("x"));
        else
            QApplication::clipboard()->clear();
        MyRichEditCtrl edit;
        edit.setPlainText(c.text);
        if (c.select)
            edit.selectAll();
        std::unique_ptr<QMenu> menu = edit.BuildContextMenu();
        QList<bool> enabled;
        for (const QString& e : entries) {
            QAction* a = MenuEntry(*menu, e);
            ASSERT_NE(a, nullptr) << e.toStdString();
            enabled << a->isEnabled();
        }
        EXPECT_EQ(enabled, c.enabled);
        EXPECT_EQ(menu->actions().size(), 6); // with the separator before "全选"
        EXPECT_TRUE(menu->actions().at(4)->isSeparator());
    }

    // The entries act on the control.
    MyRichEditCtrl edit;
    edit.setPlainText("abc");
    MenuEntry(*edit.BuildContextMenu(), "全选")->trigger();
    EXPECT_EQ(edit.textCursor().selectedText(), "abc");
    MenuEntry(*edit.BuildContextMenu(), "删除")->trigger();
    EXPECT_TRUE(edit.toPlainText().isEmpty());
    EXPECT_FALSE(edit.m_bMenuShown);
}

TEST(SmallControls, ListItemIsAsHighAsItsWrappedText) {
    CMultiLineListBox list;
    list.resize(200, 300);
    list.show();
    const QFontMetrics fm(list.font());
    const int width = list.ItemTextWidth();
    // The longest run of "m" that fits one line: two of them never do.
    QString word;
    while (fm.horizontalAdvance(word + QLatin1Char('m')) <= width)
        word += QLatin1Char('m');
    ASSERT_FALSE(word.isEmpty());
    const int oneLine = fm.boundingRect(QRect(0, 0, width, INT_MAX / 2), Qt::TextWordWrap, "m").height();

    const struct {
        const char* name;
        QString text;
        int lines;
    } cases[] = {
        {"short", "m", 1},
        {"three words wrapped", word + " " + word + " " + word, 3},
        {"three lines broken", "one\ntwo\nthree", 3},
    };
    for (const auto& c : cases)
        list.addItem(c.text);
    for (int i = 0; i < int(std::size(cases)); ++i) {
        SCOPED_TRACE(cases[i].name);
        const int height = list.visualItemRect(list.item(i)).height();
        EXPECT_EQ(height, list.MeasureItem(cases[i].text));
        EXPECT_GE(height, cases[i].lines * fm.height());
        EXPECT_LT(height, (cases[i].lines + 1) * fm.height());
        if (cases[i].lines == 1) {
            EXPECT_EQ(height, oneLine);
        }
    }

    // Wider, the wrapped item needs fewer lines.
    list.resize(2000, 300);
    QApplication::processEvents();
    EXPECT_LT(list.visualItemRect(list.item(1)).height(), 2 * fm.height());
}

} // namespace
