// The MMS frame editor and its phone pane, the preview of a whole MMS and the
// picture editor, driven as a user would.
#include "channels/mms_preview_files.h"
#include "channels/picture_helpers.h"
#include "core/app_globals.h"
#include "core/paths.h"
#include "gui/channels/edit_image_view.h"
#include "gui/channels/edit_pic_dialog.h"
#include "gui/channels/mms_frame_dialog.h"
#include "gui/channels/mms_frame_wnd.h"
#include "gui/channels/mms_preview_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QSlider>
#include <QTextEdit>

#include <gif_lib.h>

#include <set>

namespace {

// Two frames of two colours each, looping.
bool WriteAnimatedGif(const QString& path) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.toLocal8Bit().constData(), false, &error);
    if (!gif)
        return false;
    EGifSetGifVersion(gif, true);
    GifColorType colors[2] = {{255, 0, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(2, colors);
    bool ok = EGifPutScreenDesc(gif, 60, 40, 1, 0, map) == GIF_OK;
    for (int frame = 0; ok && frame < 2; ++frame) {
        const unsigned char control[4] = {0, 10, 0, 0}; // 0.1 s
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, 60, 40, false, nullptr) == GIF_OK;
        std::vector<GifPixelType> line(60, static_cast<GifPixelType>(frame));
        for (int y = 0; ok && y < 40; ++y)
            ok = EGifPutLine(gif, line.data(), 60) == GIF_OK;
    }
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

class MmsFrameTest : public ProgramFolderTest {
protected:
    QString Picture(const QString& name, int width, int height) {
        const QString path = m_folder->file(QStringLiteral("pics/") + name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(PositionPicture(width, height).save(path, "JPEG", 90));
        return path;
    }
    MessageBoxRecorder m_boxes;
};

} // namespace

TEST_F(MmsFrameTest, PanePlacesPictureAndText) {
    const QString wide = Picture(QStringLiteral("wide.jpg"), 200, 100);
    const QString square = Picture(QStringLiteral("square.jpg"), 120, 120);
    const QString animated = m_folder->file(QStringLiteral("pics/moving.gif"));
    ASSERT_TRUE(WriteAnimatedGif(animated));

    CDlgMMSFrame frame;
    CMmsFrameWnd* pane = frame.Pane();
    const int textTop = CMmsFrameWnd::PictureRect().bottom() + 1;
    EXPECT_FALSE(pane->PictureShown());
    EXPECT_EQ(pane->TextBox()->y(), textTop - CMmsFrameWnd::kTextShift);

    struct Case {
        QString path;
        QSize shown;
    };
    for (const Case& c : {Case{wide, {130, 65}}, Case{square, {120, 120}}}) {
        frame.FillFromContent({QString(), c.path, QString(), QStringLiteral("hello")});
        EXPECT_TRUE(pane->PictureShown());
        EXPECT_EQ(pane->TextBox()->y(), textTop);
        EXPECT_EQ(pane->TextBox()->toPlainText(), QStringLiteral("hello"));
        EXPECT_EQ(pane->PictureView()->pixmap().size(), c.shown);
        EXPECT_EQ(frame.ShowPicture(c.path), c.shown.height());
    }

    frame.FillFromContent({QString(), animated, QString(), QString()});
    ASSERT_NE(pane->PictureView()->movie(), nullptr);
    EXPECT_GE(pane->PictureView()->movie()->frameCount(), 2);
    EXPECT_EQ(QImageReader(pane->PicturePath()).size(), QSize(60, 40));

    // Emptying the picture moves the text up; a new picture moves it back.
    frame.OnClearPicture();
    EXPECT_TRUE(frame.PictureBox()->text().isEmpty());
    EXPECT_FALSE(pane->PictureShown());
    EXPECT_EQ(pane->TextBox()->y(), textTop - CMmsFrameWnd::kTextShift);
    frame.FillFromContent({QString(), wide, QString(), QString()});
    EXPECT_EQ(pane->TextBox()->y(), textTop);

    // Typing goes to the pane at once.
    frame.TextBox()->setPlainText(QStringLiteral("typed"));
    EXPECT_EQ(pane->TextBox()->toPlainText(), QStringLiteral("typed"));
    const MMSCONTENT content = frame.Content();
    EXPECT_EQ(content.picturePath, wide);
    EXPECT_EQ(content.text, QStringLiteral("typed"));
}

TEST_F(MmsFrameTest, PickedFilesFillThisFrameAndAskForMore) {
    const QString a = Picture(QStringLiteral("a.jpg"), 50, 50);
    const QString b = Picture(QStringLiteral("b.JPG"), 50, 50);
    const QString png = m_folder->file(QStringLiteral("pics/c.png"));
    const QString d = Picture(QStringLiteral("d.jpg"), 50, 50);
    struct Case {
        QStringList chosen;
        QString picture;
        QStringList requested;
        QStringList messages;
    };
    const Case cases[] = {
        {{a, b, d}, a, {b, d}, {}},
        {{a, png, d}, a, {}, {QStringLiteral("图片格式不正确")}},
        {{png, a}, QString(), {}, {QStringLiteral("图片格式不正确")}},
        {{}, QString(), {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.join(QLatin1Char(',')).toStdString());
        m_boxes.clear();
        CDlgMMSFrame frame;
        QStringList requested;
        QObject::connect(&frame, &CDlgMMSFrame::FrameRequested,
                         [&](const MMSCONTENT& content) { requested << content.picturePath; });
        SetNextFileName(c.chosen.join(QLatin1Char('\n')));
        frame.OnAddPicture();
        EXPECT_EQ(frame.PictureBox()->text(), c.picture);
        EXPECT_EQ(frame.Pane()->PictureShown(), !c.picture.isEmpty());
        EXPECT_EQ(requested, c.requested);
        EXPECT_EQ(m_boxes.texts(), c.messages);
    }

    const std::pair<const char*, bool> sounds[] = {
        {"ring.mid", true}, {"ring.AMR", true}, {"ring.wav", false}, {"mid", false}};
    for (const auto& [name, accepted] : sounds) {
        m_boxes.clear();
        CDlgMMSFrame frame;
        SetNextFileName(QStringLiteral("/x/") + QLatin1String(name));
        frame.OnAddSound();
        EXPECT_EQ(frame.SoundBox()->text().isEmpty(), !accepted) << name;
        EXPECT_EQ(m_boxes.texts(),
                  accepted ? QStringList() : QStringList{QStringLiteral("声音文件格式不正确")});
    }
}

TEST_F(MmsFrameTest, FieldGoesToTheCursorOfTheLastBox) {
    CDlgMMSFrame plain;
    EXPECT_TRUE(Child<QComboBox>(plain, "21040")->isHidden());

    CDlgMMSFrame frame(nullptr, true);
    frame.show();
    auto* combo = Child<QComboBox>(frame, "21040");
    ASSERT_FALSE(combo->isHidden());
    const int name = combo->findText(QStringLiteral("姓名"));
    ASSERT_GE(name, 0);

    frame.TextBox()->setPlainText(QStringLiteral("AB"));
    frame.TextBox()->setFocus();
    QTextCursor cursor = frame.TextBox()->textCursor();
    cursor.setPosition(1);
    frame.TextBox()->setTextCursor(cursor);
    QFocusEvent textFocus(QEvent::FocusIn); // the box had the focus last
    QApplication::sendEvent(frame.TextBox(), &textFocus);
    frame.OnInsertField(name);
    EXPECT_EQ(frame.TextBox()->toPlainText(), QStringLiteral("A<%姓名%>B"));

    frame.PictureBox()->setText(QStringLiteral("/p/.jpg"));
    QFocusEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(frame.PictureBox(), &focus);
    frame.PictureBox()->setCursorPosition(3);
    frame.OnInsertField(name);
    EXPECT_EQ(frame.PictureBox()->text(), QStringLiteral("/p/<%姓名%>.jpg"));
    EXPECT_EQ(frame.TextBox()->toPlainText(), QStringLiteral("A<%姓名%>B"));
}

TEST_F(MmsFrameTest, EditedPictureSurvivesBeingShown) {
    QDir().mkpath(PreviewFolder());
    const QString edited = PreviewFolder() + QStringLiteral("/0_photo.jpg");
    ASSERT_TRUE(PositionPicture(176, 130).save(edited, "JPEG"));
    const QByteArray bytes = ReadFileBytes(edited);
    CDlgMMSFrame frame;
    frame.FillFromContent({QString(), edited, QString(), QString()});
    frame.FillFromContent({QString(), edited, QString(), QString()});
    EXPECT_EQ(ReadFileBytes(edited), bytes);
    EXPECT_EQ(frame.Pane()->PictureView()->pixmap().size(), QSize(130, 96));
}

TEST(MmsPreviewLayout, PanesInColumnsAndRows) {
    struct Case {
        QSize client;
        int frames;
        int columns;
        int rows;
    };
    const Case cases[] = {
        {{500, 600}, 3, 2, 2},     {{1000, 800}, 3, 3, 1}, {{100, 300}, 2, 1, 2},
        {{1920, 1000}, 20, 10, 2}, {{400, 300}, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        const std::vector<QRect> rects = CDlgMMSPreview::LayoutPanes(c.client, c.frames);
        ASSERT_EQ(static_cast<int>(rects.size()), c.frames);
        std::set<int> xs, ys;
        for (const QRect& r : rects) {
            EXPECT_EQ(r.size(), QSize(184, 257));
            EXPECT_GE(r.top(), 30);
            xs.insert(r.left());
            ys.insert(r.top());
        }
        EXPECT_EQ(static_cast<int>(xs.size()), c.columns);
        EXPECT_EQ(static_cast<int>(ys.size()), c.rows);
        EXPECT_EQ(rects[0].top(), *ys.begin());
        if (c.columns > 1) {
            EXPECT_EQ(rects[1].left() - rects[0].left(), 192);
        }
        if (c.rows > 1) {
            EXPECT_EQ(rects[c.columns].top() - rects[0].top(), 277);
        }
    }
    EXPECT_TRUE(CDlgMMSPreview::LayoutPanes({500, 500}, 0).empty());
}

class MmsPreviewTest : public MmsFrameTest {
protected:
    void SetUp() override {
        MmsFrameTest::SetUp();
        m_limit = g_nMmsMaxSize;
        g_nMmsMaxSize = 51200;
        m_interval = CDlgMMSPreview::SetTickInterval(1);
    }
    void TearDown() override {
        CDlgMMSPreview::SetTickInterval(m_interval);
        g_nMmsMaxSize = m_limit;
        MmsFrameTest::TearDown();
    }
    int m_limit = 0;
    int m_interval = 0;
};

TEST_F(MmsPreviewTest, SizeProblemsComeBeforeTheCountDownThatSends) {
    const QString small = Picture(QStringLiteral("small.jpg"), 40, 40);
    const QString big = m_folder->file(QStringLiteral("pics/big.jpg"));
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(60000, 'x'));
    }
    CDlgMMSPreview preview;
    preview.SetFrames({{QString(), small, QString(), QStringLiteral("one")},
                       {QString(), big, QString(), QStringLiteral("two")},
                       {QString(), QString(), QString(), QStringLiteral("three")}});
    preview.SetAutoSend(true);
    QStringList titles;
    QObject::connect(&preview, &QWidget::windowTitleChanged, [&](const QString& title) { titles << title; });
    preview.open();
    // Shown at once, before any tick.
    EXPECT_EQ(m_boxes.texts(),
              (QStringList{QStringLiteral("第2帧图片大小超过50K"), QStringLiteral("本条彩信超过50K")}));
    EXPECT_EQ(preview.SecondsLeft(), 10);
    ASSERT_EQ(preview.Panes().size(), 3u);
    EXPECT_TRUE(preview.Panes()[0]->PictureShown());
    EXPECT_EQ(preview.Panes()[2]->TextBox()->toPlainText(), QStringLiteral("three"));
    const qint64 total = QFileInfo(small).size() + 60000 + 11;
    EXPECT_EQ(preview.TotalBytes(), total);

    ASSERT_TRUE(
        WaitUntil([&] { return !preview.isVisible(); }, std::chrono::milliseconds(TimeBoundMs(5000))));
    EXPECT_EQ(preview.result(), 0);
    // The count-down showed 10 to 0 behind the size title.
    ASSERT_GE(titles.size(), 12);
    EXPECT_TRUE(titles[0].startsWith(
        QStringLiteral("预览彩信　(共3帧,占用%1字节,约%2KB)").arg(total).arg(total / 1024)));
    const QStringList countDown = titles.mid(titles.size() - 11);
    for (int i = 0; i <= 10; ++i)
        EXPECT_TRUE(countDown[i].contains(QStringLiteral("本窗口%1秒后自动关闭").arg(10 - i))) << i;
    EXPECT_EQ(m_boxes.texts().size(), 2);
}

TEST_F(MmsPreviewTest, CloseAsksOnlyWhenItWouldSendAndEscNeverSends) {
    CDlgMMSPreview::SetTickInterval(60000);
    struct Case {
        bool autoSend;
        bool esc;
        int answer;
        int result;
        int questions;
    };
    const Case cases[] = {
        {true, false, IDNO, -1, 1},       {true, false, IDYES, 0, 1},        {false, false, IDNO, 0, 0},
        {true, true, IDYES, IDCANCEL, 0}, {false, true, IDYES, IDCANCEL, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.autoSend << c.esc << c.answer);
        m_boxes.clear();
        m_boxes.queueAnswer(c.answer);
        CDlgMMSPreview preview;
        preview.AddFrame({QString(), QString(), QString(), QStringLiteral("text")});
        preview.SetAutoSend(c.autoSend);
        preview.open();
        if (c.esc)
            SendKey(&preview, Qt::Key_Escape);
        else
            preview.close();
        EXPECT_FALSE(preview.isVisible());
        EXPECT_EQ(preview.result(), c.result);
        ASSERT_EQ(static_cast<int>(m_boxes.shown().size()), c.questions);
        if (c.questions) {
            EXPECT_EQ(m_boxes.shown()[0].text, QStringLiteral("确定要发送本条彩信吗？"));
            EXPECT_EQ(m_boxes.shown()[0].title, QStringLiteral("彩信"));
        }
    }
}

class PictureEditorTest : public MmsFrameTest {};

TEST_F(PictureEditorTest, SliderAndPresetsResizeIntoNewNumberedFiles) {
    const QString photo = Picture(QStringLiteral("photo.jpg"), 400, 300);
    CDlgEditPic editor;
    ASSERT_TRUE(editor.SetPicturePath(photo));
    auto* width = Child<QLineEdit>(editor, "1102");
    auto* height = Child<QLineEdit>(editor, "1103");
    EXPECT_EQ(width->text(), QStringLiteral("400"));
    Child<QSlider>(editor, "1101")->setValue(50);
    EXPECT_EQ(width->text(), QStringLiteral("200"));
    EXPECT_EQ(height->text(), QStringLiteral("150"));
    EXPECT_EQ(editor.CropView()->ShownSize(), QSize(200, 150));

    const QString card = Picture(QStringLiteral("card.jpg"), 352, 260);
    CDlgEditPic second;
    ASSERT_TRUE(second.SetPicturePath(card));
    auto* presets = Child<QComboBox>(second, "21040");
    const int preset = presets->findText(QStringLiteral("176*130"));
    ASSERT_GT(preset, 0);
    QDir().mkpath(PreviewFolder());
    // Someone else's "1_card.jpg" is never overwritten.
    ASSERT_TRUE(QFile(photo).copy(PreviewFolder() + QStringLiteral("/1_card.jpg")));
    const QByteArray foreign = ReadFileBytes(PreviewFolder() + QStringLiteral("/1_card.jpg"));
    for (const char* expected : {"0_card.jpg", "2_card.jpg"}) {
        second.OnPresetChanged(preset);
        const QString written = PreviewFolder() + QLatin1Char('/') + QLatin1String(expected);
        EXPECT_EQ(QImageReader(written).size(), QSize(176, 130)) << expected;
        EXPECT_EQ(second.CropView()->ShownPath(), written);
    }
    EXPECT_EQ(ReadFileBytes(PreviewFolder() + QStringLiteral("/1_card.jpg")), foreign);

    // Sizes out of 1..999 do nothing.
    const int files = QDir(PreviewFolder()).entryList(QDir::Files).size();
    for (const auto& [w, h] : {std::pair{"0", "10"}, {"1000", "10"}, {"10", ""}, {"a", "5"}})
        EXPECT_FALSE(second.Resize(QLatin1String(w), QLatin1String(h)));
    EXPECT_EQ(QDir(PreviewFolder()).entryList(QDir::Files).size(), files);
}

TEST_F(PictureEditorTest, SaveWritesOnlyOnYes) {
    const QString photo = Picture(QStringLiteral("a.jpg"), 120, 90);
    const QString saved = m_folder->file(QStringLiteral("pics/a_0.jpg"));

    // "No": nothing written, the editor stays on its picture.
    {
        CDlgEditPic editor;
        ASSERT_TRUE(editor.SetPicturePath(photo));
        m_boxes.queueAnswer(IDNO);
        editor.OnOK();
        EXPECT_FALSE(QFile::exists(saved));
        EXPECT_EQ(editor.CropView()->ShownPath(), photo);
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_TRUE(m_boxes.shown()[0].text.contains(saved));
        EXPECT_TRUE(m_boxes.shown()[0].text.contains(QStringLiteral("宽:120 高:90")));
    }
    // "确定" without a selection: the whole shown picture.
    {
        m_boxes.clear();
        CDlgEditPic editor;
        ASSERT_TRUE(editor.SetPicturePath(photo));
        editor.open();
        editor.OnOK();
        EXPECT_EQ(editor.result(), 1003);
        EXPECT_EQ(editor.OutputPath(), saved);
        EXPECT_EQ(QImageReader(saved).size(), QSize(120, 90));
        const QString question = m_boxes.shown().at(0).text;
        EXPECT_TRUE(question.contains(QStringLiteral("文件大小: %1 字节").arg(QFileInfo(saved).size())));
        QFile::remove(saved);
    }
    // A selection at zoom 1: the source's pixels there.
    {
        m_boxes.clear();
        CDlgEditPic editor;
        ASSERT_TRUE(editor.SetPicturePath(photo));
        editor.CropView()->Select(QRect(10, 20, 40, 30));
        ASSERT_TRUE(editor.CropView()->Save());
        QImage cut(saved);
        ASSERT_EQ(cut.size(), QSize(40, 30));
        const QImage source(photo);
        for (const QPoint p : {QPoint(0, 0), QPoint(39, 29), QPoint(20, 15)}) {
            const QRgb a = cut.pixel(p), b = source.pixel(p + QPoint(10, 20));
            EXPECT_LE(std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)), 24);
        }
    }
}

TEST_F(PictureEditorTest, UnreadablePictureIsRefusedAndResizesNothing) {
    const QString broken = m_folder->file(QStringLiteral("pics/broken.jpg"));
    QDir().mkpath(QFileInfo(broken).absolutePath());
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("garbage");
    }
    CDlgEditPic editor;
    EXPECT_FALSE(editor.SetPicturePath(broken));
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("图片过大或无法读取")});
    EXPECT_FALSE(editor.Resize(QStringLiteral("100"), QStringLiteral("100")));
    Child<QSlider>(editor, "1101")->setValue(50);
    EXPECT_FALSE(QDir(PreviewFolder()).exists() && !QDir(PreviewFolder()).isEmpty());
}

TEST_F(MmsPreviewTest, Screenshots) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    CDlgMMSPreview::SetTickInterval(60000);
    const QString photo = Picture(QStringLiteral("photo.jpg"), 400, 300);
    const QString square = Picture(QStringLiteral("square.jpg"), 120, 120);
    {
        CDlgMMSPreview preview;
        preview.SetFrames(
            {{QString(), photo, QString(), QStringLiteral("新品上市，欢迎选购。")},
             {QString(), square, QString(), QStringLiteral("凭本彩信到店可享九折优惠。")},
             {QString(), QString(), QString(), QStringLiteral("地址：人民路 88 号\n电话：12345678")}});
        preview.setWindowState(Qt::WindowNoState);
        preview.resize(820, 600);
        preview.open();
        preview.resize(820, 600);
        QApplication::processEvents();
        ASSERT_TRUE(preview.grab().save(QDir(dir).filePath(QStringLiteral("mms-preview.png"))));
        preview.reject();
    }
    {
        CDlgEditPic editor;
        ASSERT_TRUE(editor.SetPicturePath(photo));
        editor.setWindowState(Qt::WindowNoState);
        editor.resize(820, 600);
        editor.show();
        QApplication::processEvents();
        editor.CropView()->Select(QRect(200, 70, 160, 120));
        ASSERT_TRUE(editor.grab().save(QDir(dir).filePath(QStringLiteral("picture-editor.png"))));
        editor.reject();
    }
}
