// The mobile newspaper: how a long text becomes frames, the frame count as
// the user types, the 20-frame limit and what "生成(&M)" hands on.
#include "channels/mobile_news.h"
#include "gui/channels/tel_paper_dialog.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

TEST(MobileNews, SplitsAtSeparatorLines) {
    const struct {
        const char* name;
        QString text;
        QStringList frames;
    } cases[] = {
        {"no separator: the whole text",
         QStringLiteral("  早间新闻\n第二行  "),
         {QStringLiteral("早间新闻\n第二行")}},
        {"LF", QStringLiteral("a\n**\nb\n**\nc"), {"a", "b", "c"}},
        {"CR LF like LF", QStringLiteral("a\r\n**\r\nb\r\n**\r\nc"), {"a", "b", "c"}},
        {"two separator lines: an empty frame", QStringLiteral("a\n**\n**\nb"), {"a", "", "b"}},
        {"a separator as the last line opens nothing yet", QStringLiteral("a\n**\n"), {"a"}},
        {"stars inside a line are text",
         QStringLiteral("a ** b\n***\nc"),
         {QStringLiteral("a ** b\n***\nc")}},
        {"empty text", QStringLiteral(" \n "), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitNewsFrames(c.text), c.frames);
    }
}

class MobileNewsDialog : public ::testing::Test {
protected:
    QTextEdit* Text() { return Child<QTextEdit>(m_dialog, "1012"); }
    QString CountText() { return Child<QLabel>(m_dialog, "1048")->text(); }
    // Types at the end of the text box, as the keyboard would.
    void TypeText(const QString& text) {
        Text()->moveCursor(QTextCursor::End);
        Text()->insertPlainText(text);
    }

    MessageBoxRecorder m_boxes;
    CDlgTelPaper m_dialog;
};

TEST_F(MobileNewsDialog, TwentyFramesAtMostTheTwentyFirstIsUndone) {
    EXPECT_EQ(CountText(), QStringLiteral("您共输入0帧"));
    QString twenty = QStringLiteral("第1帧");
    for (int i = 2; i <= 20; ++i)
        twenty += QStringLiteral("\n**\n第%1帧").arg(i);
    Text()->setPlainText(twenty);
    EXPECT_EQ(CountText(), QStringLiteral("您共输入20帧"));

    // The separator line alone opens no frame yet; the first character after it does.
    TypeText(QStringLiteral("\n**\n"));
    EXPECT_TRUE(m_boxes.texts().isEmpty());
    TypeText(QStringLiteral("x"));
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("帧数不能超过20")});
    EXPECT_EQ(Text()->toPlainText(), twenty + QStringLiteral("\n**\n"));
    EXPECT_EQ(CountText(), QStringLiteral("您共输入20帧"));

    // Still within the limit: typing goes on in the last frame.
    m_boxes.clear();
    Text()->setPlainText(twenty);
    TypeText(QStringLiteral("!"));
    EXPECT_TRUE(m_boxes.texts().isEmpty());
    EXPECT_TRUE(Text()->toPlainText().endsWith(QStringLiteral("第20帧!")));
}

TEST_F(MobileNewsDialog, CreateNeedsTitleThenHandsOnTextFrames) {
    Text()->setPlainText(QStringLiteral("头条\r\n**\r\n天气\n**\n股市"));
    Click(m_dialog, "1003");
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("主题不能为空")});
    EXPECT_EQ(m_dialog.result(), kStayedOpen);

    Type(Child<QLineEdit>(m_dialog, "21020"), QStringLiteral("每日快讯"));
    Click(m_dialog, "1003");
    EXPECT_EQ(m_dialog.result(), 1003);
    EXPECT_EQ(m_dialog.Title(), QStringLiteral("每日快讯"));
    ASSERT_EQ(m_dialog.Frames().size(), 3u);
    const QString texts[] = {QStringLiteral("头条"), QStringLiteral("天气"), QStringLiteral("股市")};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(m_dialog.Frames()[i].text, texts[i]);
        EXPECT_TRUE(m_dialog.Frames()[i].picturePath.isEmpty());
        EXPECT_TRUE(m_dialog.Frames()[i].soundPath.isEmpty());
    }
}

} // namespace
