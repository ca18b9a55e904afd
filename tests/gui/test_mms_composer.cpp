// The MMS composer driven as a user would, against the loopback messaging
// service: the number list as shown, the frame tabs and their commands, the
// checks before a send, a send seen from the window and the files.
#include "channels/mobile_news.h"
#include "contacts/contact_selection.h"
#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "core/virtual_list.h"
#include "gui/channels/edit_pic_dialog.h"
#include "gui/channels/mms_frame_dialog.h"
#include "gui/channels/mms_preview_dialog.h"
#include "gui/channels/send_mms_dialog.h"
#include "gui/contacts/contact_base_page.h"
#include "gui/contacts/contact_info_dialog.h"
#include "gui/main/app_control.h"
#include "gui/sms/msg_record_view.h"
#include "gui/widgets/modal_runner.h"
#include "platform/ini.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

#include <memory>

namespace {

constexpr auto kSendBound = std::chrono::milliseconds(TimeBoundMs(15000));

class MmsComposer : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        LoginAs(QStringLiteral("AD"), false);
    }
    void TearDown() override {
        m_dialog.reset();
        SetModalRunner({});
        SetNextFileName(std::nullopt);
        g_pLoginRights.reset();
        ServiceTest::TearDown();
    }

    // An administrator, or an operator with or without right 16.
    static void LoginAs(const QString& account, bool right16) {
        auto rights = std::make_unique<QStringList>();
        *rights << account;
        for (int i = 1; i <= 20; ++i)
            *rights << (i == 16 && !right16 ? QStringLiteral("0") : QStringLiteral("1"));
        g_pLoginRights = std::move(rights);
    }

    // Builds the composer, lets the opener's setters run, shows it and waits
    // for the deferred loading.
    CDlgSendMMS& Open(const std::function<void(CDlgSendMMS&)>& setup = {}) {
        m_dialog = std::make_unique<CDlgSendMMS>();
        if (setup)
            setup(*m_dialog);
        m_dialog->show();
        bool loaded = false;
        QTimer::singleShot(150, [&] { loaded = true; });
        EXPECT_TRUE(WaitUntil([&] { return loaded && !m_dialog->IntakeRunning(); }));
        return *m_dialog;
    }

    QPushButton* Button(const char* id) { return Child<QPushButton>(*m_dialog, id); }
    QTabWidget* Tabs() { return Child<QTabWidget>(*m_dialog, "1099"); }
    QStringList TabLabels() {
        QStringList labels;
        for (int i = 0; i < Tabs()->count(); ++i)
            labels << Tabs()->tabText(i);
        return labels;
    }
    static QStringList Labels(int n) {
        QStringList labels;
        for (int i = 1; i <= n; ++i)
            labels << QStringLiteral("第%1帧").arg(i);
        return labels;
    }
    void SetTitle(const QString& title) { Child<QLineEdit>(*m_dialog, "21020")->setText(title); }
    void SetFrameText(int frame, const QString& text) {
        m_dialog->FrameEditor(frame)->TextBox()->setPlainText(text);
    }

    QString Jpeg(const QString& name) {
        const QString path = m_folder->file(name);
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(path, "JPG"));
        return path;
    }
    static qint64 Scalar(const std::string& sql) {
        SqlStatement st(g_pDB, sql);
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }
    static QString Text(const std::string& sql) {
        SqlStatement st(g_pDB, sql);
        return st.step() == SQLITE_ROW ? st.qtext(0) : QString();
    }
    // Sends now, answers the question with yes and waits for the end.
    void SendNowAndWait() {
        bool finished = false;
        auto c = QObject::connect(m_dialog.get(), &CDlgSendMMS::sendFinished, [&] { finished = true; });
        m_dialog->OnSendNow();
        EXPECT_TRUE(WaitUntil([&] { return finished; }, kSendBound));
        QObject::disconnect(c);
    }

    std::unique_ptr<CDlgSendMMS> m_dialog;
};

QStringList Triples(std::initializer_list<std::pair<const char*, const char*>> rows) {
    QStringList out;
    for (const auto& [number, name] : rows)
        out << QString::fromUtf8(number) << QString::fromUtf8(name) << QStringLiteral("0");
    return out;
}

TEST_F(MmsComposer, NumbersAreTakenLastFirstAndShownDecoded) {
    CDlgSendMMS& d = Open([](CDlgSendMMS& dialog) {
        dialog.SetNumberTriples(Triples({{"13800138000", "张三"},
                                         {"0755123456", "深圳"},    // keyed 20755123456: out of range
                                         {"20000000001", "超出"},   // one above the range
                                         {" 20000000000 ", "边界"}, // the upper bound itself
                                         {"13800138000", "重复"},
                                         {"", "空"},
                                         {"1380013800a", "字母"}}));
    });
    ASSERT_EQ(d.NumberList().GetCount(), 2);
    // The last triple is taken first, so a repeat keeps the later row's name.
    EXPECT_EQ(d.CellText(0, 0), "13800138000");
    EXPECT_EQ(d.CellText(0, 1), "重复");
    EXPECT_EQ(d.CellText(1, 0), "20000000000");
    EXPECT_EQ(d.CellText(1, 1), "边界");
    EXPECT_EQ(Child<QLabel>(d, "1024")->text(), "号码列表 共 2 条记录");
    EXPECT_EQ(Child<QLabel>(d, "61028")->text(), "本次按 6 条扣费.");
    EXPECT_TRUE(m_boxes->texts().isEmpty());

    // The picker's contacts go the same way.
    d.ReceivePickedContacts({{QStringLiteral("13900139000"), QStringLiteral("李四"), 7},
                             {QStringLiteral("13800138000"), QStringLiteral("又一个"), 8}});
    ASSERT_EQ(d.NumberList().GetCount(), 3);
    EXPECT_EQ(d.CellText(2, 1), "李四");
    EXPECT_EQ(Child<QLabel>(d, "1024")->text(), "号码列表 共 3 条记录");
}

TEST_F(MmsComposer, TickedContactsAndTypedNumbersJoinTheList) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO ContactList (name,mobileNum,groupID,perNO,isDeleted) VALUES "
                      "('甲','13800000003',1,1,0),('乙','13800000002',1,2,0),('丙','13800000001',1,3,0)"),
              SQLITE_OK);
    ContactSelection ticked(QStringLiteral("SELECT name FROM ContactList ORDER BY mobileNum DESC, rowid"));
    ticked.TickAll();
    ticked.Tick(2, false); // 乙
    CDlgSendMMS& d = Open([&](CDlgSendMMS& dialog) { dialog.SetRecipientSource(&ticked); });
    ASSERT_EQ(d.NumberList().GetCount(), 2);
    EXPECT_EQ(d.CellText(0, 1), "甲");
    EXPECT_EQ(d.CellText(1, 1), "丙");
    EXPECT_EQ(Child<QLabel>(d, "1024")->text(), "号码列表 共 2 条记录");

    // "添加新号码" adds to the list itself; an international number keeps
    // both its zeros on screen.
    SetModalRunner([](QDialog& dialog) {
        Child<QTextEdit>(dialog, "21021")->setPlainText(QStringLiteral("0085212345678\n13800000004"));
        Click(dialog, "1");
        return dialog.result();
    });
    d.OnAddNumber();
    ASSERT_EQ(d.NumberList().GetCount(), 4);
    EXPECT_EQ(d.CellText(2, 0), "0085212345678");
    EXPECT_EQ(d.CellText(3, 0), "13800000004");
    EXPECT_EQ(Child<QLabel>(d, "1024")->text(), "号码列表 共 4 条记录");
}

TEST_F(MmsComposer, MaskedForRightSixteenButSavedWhole) {
    const struct {
        const char* account;
        bool right16;
        const char* shown;
    } cases[] = {{"OP", true, "138****8000"}, {"OP", false, "13800138000"}, {"AD", true, "13800138000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.account);
        LoginAs(QString::fromLatin1(c.account), c.right16);
        CDlgSendMMS& d = Open([](CDlgSendMMS& dialog) {
            dialog.SetNumberTriples(Triples({{"13800138000", ""}}));
        });
        EXPECT_EQ(d.CellText(0, 0), c.shown);
        // An operator may not type numbers in.
        EXPECT_EQ(Button("1003")->isHidden(), QString::fromLatin1(c.account) == "OP");
    }

    // The contact editor gets the number itself, never the masked text.
    LoginAs(QStringLiteral("OP"), true);
    CDlgSendMMS& d = Open([](CDlgSendMMS& dialog) {
        dialog.SetNumberTriples(Triples({{"13800138000", ""}, {"13900139000", ""}}));
    });
    QStringList editorNumbers;
    SetModalRunner([&](QDialog& dialog) {
        if (auto* editor = qobject_cast<CDlgContactInfo*>(&dialog))
            editorNumbers << editor->BasePage()->MobileToSave();
        return int(IDCANCEL);
    });
    d.OnListMenuCommand(10002);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(179)});
    auto* list = Child<CVirtualListCtrl>(d, "1034");
    list->selectRow(1);
    d.OnListMenuCommand(10002);
    EXPECT_EQ(editorNumbers, QStringList{"13800138000"});

    // Remove, then clear.
    list->selectRow(0);
    d.OnListMenuCommand(10001);
    ASSERT_EQ(d.NumberList().GetCount(), 1);
    EXPECT_EQ(NumberFromKey(d.NumberList().GetKey(0)), "13800138000");
    d.OnListMenuCommand(10003);
    EXPECT_EQ(d.NumberList().GetCount(), 0);
    EXPECT_EQ(Child<QLabel>(d, "1024")->text(), "号码列表 共 0 条记录");
}

TEST_F(MmsComposer, FrameCommandsKeepTwentyAtMostAndLabelsWithoutGaps) {
    CDlgSendMMS& d = Open();
    ASSERT_EQ(d.FrameCount(), 1);
    EXPECT_FALSE(Button("41031")->isEnabled());
    EXPECT_TRUE(Button("21026")->isEnabled());

    for (int i = 1; i < 20; ++i) {
        SetFrameText(d.CurrentFrame(), QStringLiteral("帧%1").arg(i));
        d.OnAddFrame();
    }
    EXPECT_EQ(d.FrameCount(), 20);
    EXPECT_FALSE(Button("21026")->isEnabled());
    EXPECT_TRUE(Button("41031")->isEnabled());
    d.OnAddFrame();
    EXPECT_EQ(d.FrameCount(), 20);
    EXPECT_EQ(TabLabels(), Labels(20));

    // Deleting the last frame makes the previous one current.
    SetFrameText(19, QStringLiteral("最后"));
    Tabs()->setCurrentIndex(19);
    EXPECT_EQ(d.CurrentFrame(), 19);
    d.OnDeleteFrame();
    EXPECT_EQ(d.FrameCount(), 19);
    EXPECT_EQ(d.CurrentFrame(), 18);
    EXPECT_EQ(Tabs()->currentIndex(), 18);
    EXPECT_EQ(d.FrameEditor(18)->TextBox()->toPlainText(), "帧19");
    EXPECT_TRUE(Button("21026")->isEnabled());

    // Deleting in the middle: the next frame takes the place, labels close up.
    Tabs()->setCurrentIndex(4);
    d.OnDeleteFrame();
    EXPECT_EQ(d.CurrentFrame(), 4);
    EXPECT_EQ(d.FrameEditor(4)->TextBox()->toPlainText(), "帧6");
    EXPECT_EQ(TabLabels(), Labels(18));
    EXPECT_EQ(Tabs()->currentWidget(), d.FrameEditor(4));

    // A new frame goes right after the current one.
    d.OnAddFrame();
    EXPECT_EQ(d.CurrentFrame(), 5);
    EXPECT_TRUE(d.FrameEditor(5)->TextBox()->toPlainText().isEmpty());
    EXPECT_EQ(d.FrameEditor(6)->TextBox()->toPlainText(), "帧7");
    EXPECT_EQ(TabLabels(), Labels(19));

    while (d.FrameCount() > 1)
        d.OnDeleteFrame();
    EXPECT_FALSE(Button("41031")->isEnabled());
    d.OnDeleteFrame();
    EXPECT_EQ(d.FrameCount(), 1);
}

TEST_F(MmsComposer, SeveralPicturesOpenFramesOfTheirOwnUnlessOneIsNotJpegOrGif) {
    const QString a = Jpeg("a.jpg"), b = Jpeg("b.jpg"), c = Jpeg("c.jpg");
    CDlgSendMMS& d = Open();
    SetNextFileName(QStringList{a, b, c}.join(QLatin1Char('\n')));
    d.FrameEditor(0)->OnAddPicture();
    ASSERT_EQ(d.FrameCount(), 3);
    const QString pictures[] = {a, b, c};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(d.FrameEditor(i)->Content().picturePath, pictures[i]);
    EXPECT_EQ(TabLabels(), Labels(3));
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    // The size line counts the three files.
    const qint64 bytes = QFileInfo(a).size() + QFileInfo(b).size() + QFileInfo(c).size();
    EXPECT_TRUE(Child<QLabel>(d, "1183")->text().startsWith(QString::number(bytes) + QStringLiteral("字节")));

    const QString png = m_folder->file(QStringLiteral("d.png"));
    ASSERT_TRUE(QImage(10, 10, QImage::Format_RGB32).save(png, "PNG"));
    SetNextFileName(QStringList{a, png, b}.join(QLatin1Char('\n')));
    Tabs()->setCurrentIndex(1);
    d.FrameEditor(1)->OnAddPicture();
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(212)});
    // The picture before the PNG was taken, nothing after it.
    EXPECT_EQ(d.FrameCount(), 3);
    EXPECT_EQ(d.FrameEditor(1)->Content().picturePath, a);
}

TEST_F(MmsComposer, ChecksBeforeSendAndDraft) {
    CDlgSendMMS& d = Open();
    d.OnSendNow();
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(274)});

    d.OnAddNumbers(Triples({{"13800138000", ""}}));
    const struct {
        const char* name;
        QString title;
        QString box; // the message, none when the checks pass
    } titles[] = {
        {"empty", QStringLiteral("   "), LoadStr(275)},
        {"31 characters", QString(31, QChar(0x5B57)), LoadStr(290)},
        {"30 characters", QString(30, QChar(0x5B57)), QString()},
    };
    SetFrameText(0, QStringLiteral("第一帧"));
    for (const auto& t : titles) {
        SCOPED_TRACE(t.name);
        m_boxes->clear();
        SetTitle(t.title);
        EXPECT_EQ(d.CheckBeforeSend(), !t.box.isEmpty());
        EXPECT_EQ(m_boxes->texts(), t.box.isEmpty() ? QStringList{} : QStringList{t.box});
    }

    // A frame with nothing in it is refused by send and draft alike, by its number.
    d.OnAddFrame();
    d.OnAddFrame();
    SetFrameText(2, QStringLiteral("第三帧"));
    const QString empty2 = QStringLiteral("第2帧的文件及文本内容不能全为空");
    m_boxes->clear();
    d.OnSendNow();
    EXPECT_EQ(m_boxes->texts(), QStringList{empty2});
    m_boxes->clear();
    d.OnSaveDraft();
    EXPECT_EQ(m_boxes->texts(), QStringList{empty2});
    m_boxes->clear();
    d.OnTimingSend();
    EXPECT_EQ(m_boxes->texts(), QStringList{empty2});
    EXPECT_EQ(Scalar("SELECT count(*) FROM sendInfo"), 0);
    EXPECT_TRUE(m_main->calls("qxMmsSend").empty());
}

TEST_F(MmsComposer, MobileNewspaperWithTwoSeparatorLinesIsRefused) {
    std::vector<MMSCONTENT> frames;
    for (const QString& piece : SplitNewsFrames(QStringLiteral("头条\n**\n**\n股市"))) {
        MMSCONTENT frame;
        frame.text = piece;
        frames.push_back(frame);
    }
    CDlgSendMMS& d = Open([&](CDlgSendMMS& dialog) {
        dialog.SetTitle(QStringLiteral("快讯"));
        dialog.SetPresetFrames(frames);
        dialog.SetNumberTriples(Triples({{"13800138000", ""}}));
    });
    EXPECT_EQ(Child<QLineEdit>(d, "21020")->text(), "快讯");
    ASSERT_EQ(d.FrameCount(), 3);
    EXPECT_EQ(d.CurrentFrame(), 0);
    EXPECT_EQ(TabLabels(), Labels(3));
    d.OnSendNow();
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("第2帧的文件及文本内容不能全为空")});
    EXPECT_TRUE(m_main->calls("qxMmsSend").empty());
}

TEST_F(MmsComposer, WhileTheServiceHoldsTheWindowLivesButWillNotClose) {
    m_main->script("qxMmsSend", LoopbackAnswer::Held(LoopbackAnswer::Text("1234567")));
    CDlgSendMMS& d = Open([](CDlgSendMMS& dialog) {
        dialog.SetTitle(QStringLiteral("周末特惠"));
        dialog.SetNumberTriples(Triples({{"13800138000", "张三"}, {"13900139000", ""}}));
    });
    SetFrameText(0, QStringLiteral("全场八折"));
    bool finished = false;
    QObject::connect(&d, &CDlgSendMMS::sendFinished, [&] { finished = true; });
    d.OnSendNow();
    ASSERT_TRUE(m_main->waitForHeld(TimeBoundMs(10000)));
    EXPECT_TRUE(d.IsBusy());
    EXPECT_TRUE(Button("1019")->isHidden());
    EXPECT_TRUE(Button("1018")->isHidden());
    EXPECT_TRUE(Button("51029")->isHidden());

    // The GUI thread goes on: a timer fires while the call is held.
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    EXPECT_TRUE(WaitUntil([&] { return fired; }));
    // Closing is refused, by the close box and by Esc.
    d.close();
    SendKey(&d, Qt::Key_Escape);
    d.reject();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.result(), kStayedOpen);
    EXPECT_FALSE(finished);

    m_main->release();
    ASSERT_TRUE(WaitUntil([&] { return finished; }, kSendBound));
    EXPECT_EQ(d.result(), 1003);
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(276), LoadStr(280)}));
    EXPECT_EQ(Scalar("SELECT count(*) FROM sendInfo WHERE sendType=4 AND isFail=0 AND isDraft=0"), 1);
    EXPECT_EQ(Text("SELECT content FROM sendInfo"), "周末特惠");
    EXPECT_EQ(Text("SELECT group_concat(numOrMailAddr || ':' || ifnull(name, ''), ' ') FROM sendNums"),
              "13900139000: 13800138000:张三");
    EXPECT_EQ(Text("SELECT txtContent FROM attachmentContent"), "全场八折");
}

TEST_F(MmsComposer, AQuitWhileSendingLetsTheBatchFinishWithoutABox) {
    m_main->script("qxMmsSend", LoopbackAnswer::Held(LoopbackAnswer::Text("7654321")));
    CDlgSendMMS& d = Open([](CDlgSendMMS& dialog) {
        dialog.SetTitle(QStringLiteral("通知"));
        dialog.SetNumberTriples(Triples({{"13800138000", ""}}));
    });
    SetFrameText(0, QStringLiteral("明日休息"));
    d.OnSendNow();
    ASSERT_TRUE(m_main->waitForHeld(TimeBoundMs(10000)));
    EXPECT_TRUE(d.property(kFinishingWorkProperty).toBool());
    RequestQuit();
    d.reject();
    EXPECT_TRUE(d.isVisible());
    m_main->release();
    const bool ended = WaitUntil([&] { return !d.isVisible(); }, kSendBound);
    ClearQuitRequest();
    ASSERT_TRUE(ended);
    EXPECT_EQ(d.result(), int(IDCANCEL));
    // Nobody is there to read the end box: the record tells.
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(276)});
    EXPECT_EQ(Scalar("SELECT count(*) FROM sendInfo WHERE isFail=0 AND count=3"), 1);
}

TEST_F(MmsComposer, AFirstRecordThatCannotBeWrittenKeepsTheMmsHere) {
    ASSERT_EQ(
        ExecSql(
            nullptr, g_pDB,
            "CREATE TEMP TRIGGER refuse BEFORE INSERT ON sendInfo BEGIN SELECT RAISE(ABORT, 'full'); END"),
        SQLITE_OK);
    CDlgSendMMS& d = Open([](CDlgSendMMS& dialog) {
        dialog.SetTitle(QStringLiteral("通知"));
        dialog.SetNumberTriples(Triples({{"13800138000", ""}}));
    });
    SetFrameText(0, QStringLiteral("明日休息"));
    SendNowAndWait();
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(276), LoadStr(291)}));
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.IsBusy());
    EXPECT_FALSE(Button("1019")->isHidden());
    EXPECT_EQ(d.FrameEditor(0)->TextBox()->toPlainText(), "明日休息");
    EXPECT_TRUE(m_main->calls("qxMmsSend").empty());
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "DROP TRIGGER refuse"), SQLITE_OK);
}

TEST_F(MmsComposer, DraftStaysOpenAndStoredFramesComeBackInOrder) {
    CDlgSendMMS& d = Open([](CDlgSendMMS& dialog) { dialog.SetTitle(QStringLiteral("草稿")); });
    for (int i = 0; i < 12; ++i) {
        if (i > 0)
            d.OnAddFrame();
        SetFrameText(i, QStringLiteral("第%1段").arg(i + 1));
    }
    // An empty list is allowed for a draft.
    d.OnSaveDraft();
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(267)});
    EXPECT_EQ(d.result(), kStayedOpen);
    const qint64 draftId = Scalar("SELECT sendID FROM sendInfo WHERE isDraft=1");
    ASSERT_GT(draftId, 0);

    // Finishing the draft from the record view: its frames, in frame order
    // (the tenth and later sort after the ninth), and the first save replaces it.
    m_dialog.reset();
    m_boxes->clear();
    CDlgSendMMS& again = Open([&](CDlgSendMMS& dialog) {
        dialog.SetTitle(QStringLiteral("草稿"));
        dialog.SetStoredRecord(static_cast<int>(draftId), true);
    });
    ASSERT_EQ(again.FrameCount(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(again.FrameEditor(i)->TextBox()->toPlainText(), QStringLiteral("第%1段").arg(i + 1));
    EXPECT_EQ(TabLabels(), Labels(12));
    EXPECT_TRUE(Button("41031")->isEnabled());
    again.OnSaveDraft();
    again.OnSaveDraft();
    EXPECT_EQ(Scalar("SELECT count(*) FROM sendInfo WHERE sendID=" + std::to_string(draftId)), 0);
    EXPECT_EQ(Scalar("SELECT count(*) FROM sendInfo"), 2);
    EXPECT_EQ(Scalar("SELECT count(*) FROM attachmentContent"), 24);
}

TEST_F(MmsComposer, ExportThenImportAndAFailedImportChangesNothing) {
    const QString picture = Jpeg("photo.jpg");
    CDlgSendMMS& d = Open([](CDlgSendMMS& dialog) { dialog.SetTitle(QStringLiteral("模板")); });
    d.FrameEditor(0)->FillFromContent({QString(), picture, QString(), QStringLiteral("图文")});
    d.OnAddFrame();
    SetFrameText(1, QStringLiteral("纯文字"));
    const QString file = m_folder->file(QStringLiteral("out.mms"));
    SetNextFileName(file);
    d.OnExport();
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("导出本条彩信成功!")});
    EXPECT_EQ(LastProposedFileName(), "模板");

    m_dialog.reset();
    m_boxes->clear();
    CDlgSendMMS& fresh = Open();
    const QString bad = m_folder->file(QStringLiteral("bad.mms"));
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("\xff\xfe\xff\x02\x41\x00", 6)); // a title cut short
    }
    SetFrameText(0, QStringLiteral("原来的"));
    SetNextFileName(bad);
    fresh.OnImport();
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("导入彩信失败!")});
    ASSERT_EQ(fresh.FrameCount(), 1);
    EXPECT_EQ(fresh.FrameEditor(0)->TextBox()->toPlainText(), "原来的");

    m_boxes->clear();
    SetNextFileName(file);
    fresh.OnImport();
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("导入彩信成功!")});
    EXPECT_EQ(Child<QLineEdit>(fresh, "21020")->text(), "模板");
    ASSERT_EQ(fresh.FrameCount(), 2);
    EXPECT_EQ(TabLabels(), Labels(2));
    const MMSCONTENT first = fresh.FrameEditor(0)->Content();
    EXPECT_EQ(first.text, "图文");
    EXPECT_NE(first.picturePath, picture); // a copy of its own under MMS/
    QFile copy(first.picturePath), original(picture);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original.readAll());
    EXPECT_EQ(fresh.FrameEditor(1)->Content().text, "纯文字");
}

TEST_F(MmsComposer, RecordViewsHandOverTitleFramesAndRecipients) {
    ASSERT_EQ(
        ExecSql(nullptr, g_pDB,
                "INSERT INTO sendInfo (content,submitTime,timingTime,count,isDraft,isFail,sendID,sendType,"
                "send_receive_Num) VALUES ('已发彩信','2024-05-02 08:00:00','',6,0,0,7,4,0),"
                "('失败彩信','2024-05-01 08:00:00','',6,0,1,8,4,0);"
                "INSERT INTO attachmentContent (soundFileFullPath,pictureFullPath,txtContent,sendID,"
                "sendIDChildID) VALUES ('','','第二帧',7,'2'),('','','第一帧',7,'1'),"
                "('','','失败帧',8,'1');"
                "INSERT INTO sendNums (sendID,numOrMailAddr,name) VALUES (7,'13800000007','甲'),"
                "(7,'13900000007',''),(8,'13800000008','乙')"),
        SQLITE_OK);
    struct Seen {
        QString title;
        QStringList frames;
        QStringList numbers;
    };
    const struct {
        const char* name;
        qint64 code; // the record view's category
        bool resend;
        Seen seen;
        bool replaced; // a draft saved from the composer takes the record's place
    } cases[] = {
        {"forward a sent record", 1000004003, false, {"已发彩信", {"第一帧", "第二帧"}, {}}, false},
        {"resend a sent record",
         1000004003,
         true,
         {"已发彩信", {"第一帧", "第二帧"}, {"13900000007", "13800000007"}},
         false},
        {"resend a failed record", 1000004002, true, {"失败彩信", {"失败帧"}, {"13800000008"}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 records = Scalar("SELECT count(*) FROM sendInfo");
        const qint64 sendId = c.code == 1000004003 ? 7 : 8;
        Seen seen;
        int composers = 0;
        SetModalRunner([&](QDialog& dialog) {
            auto* composer = qobject_cast<CDlgSendMMS*>(&dialog);
            if (!composer)
                return int(IDCANCEL);
            ++composers;
            composer->show();
            bool loaded = false;
            QTimer::singleShot(150, [&] { loaded = true; });
            WaitUntil([&] { return loaded && !composer->IntakeRunning(); });
            seen.title = Child<QLineEdit>(*composer, "21020")->text();
            for (int i = 0; i < composer->FrameCount(); ++i)
                seen.frames << composer->FrameEditor(i)->Content().text;
            for (int i = 0; i < composer->NumberList().GetCount(); ++i)
                seen.numbers << composer->CellText(i, 0);
            composer->OnSaveDraft();
            composer->hide();
            return int(IDCANCEL);
        });
        CDlgMsgRecord page(nullptr);
        page.QueryRecords(c.code, QString(), -1);
        page.RecordList()->selectRow(0);
        if (c.resend)
            page.OnResend();
        else
            page.OnForward();
        ASSERT_EQ(composers, 1);
        EXPECT_EQ(seen.title, c.seen.title);
        EXPECT_EQ(seen.frames, c.seen.frames);
        EXPECT_EQ(seen.numbers, c.seen.numbers);
        EXPECT_EQ(Scalar("SELECT count(*) FROM sendInfo WHERE sendID=" + std::to_string(sendId)),
                  c.replaced ? 0 : 1);
        EXPECT_EQ(Scalar("SELECT count(*) FROM sendInfo"), c.replaced ? records : records + 1);
    }
}

TEST_F(MmsComposer, AutoPreviewSendsOnlyWhenThePreviewEndsWithZero) {
    const struct {
        const char* autoPreview;
        int previewResult; // what the preview ends with, when it runs
        bool previewed;
        bool sent;
    } cases[] = {
        {"0", 0, false, true},
        {"1", 0, true, true},   // the count-down ran out, or Yes on closing
        {"1", -1, true, false}, // No on closing
        {"1", 2, true, false},  // Esc
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.autoPreview) + " " + std::to_string(c.previewResult));
        ASSERT_TRUE(ini::WriteString(OemInfoIniPath(), QStringLiteral("System"),
                                     QStringLiteral("AutoPreviewMMS"), QString::fromLatin1(c.autoPreview)));
        m_main->clear();
        int previews = 0;
        SetModalRunner([&](QDialog& dialog) {
            if (!qobject_cast<CDlgMMSPreview*>(&dialog))
                return int(IDCANCEL);
            ++previews;
            return c.previewResult;
        });
        CDlgSendMMS& d = Open([](CDlgSendMMS& dialog) {
            dialog.SetTitle(QStringLiteral("预览"));
            dialog.SetNumberTriples(Triples({{"13800138000", ""}}));
        });
        SetFrameText(0, QStringLiteral("内容"));
        bool finished = false;
        QObject::connect(&d, &CDlgSendMMS::sendFinished, [&] { finished = true; });
        d.OnSendNow();
        if (c.sent) {
            EXPECT_TRUE(WaitUntil([&] { return finished; }, kSendBound));
        }
        EXPECT_EQ(previews, c.previewed ? 1 : 0);
        EXPECT_EQ(m_main->calls("qxMmsSend").size(), c.sent ? 1u : 0u);
        EXPECT_EQ(d.result(), c.sent ? 1003 : kStayedOpen);
    }
}

TEST_F(MmsComposer, EditPictureRefusesNoneAndGifThenTakesTheEditorsFile) {
    const QString jpeg = Jpeg("photo.jpg");
    CDlgSendMMS& d = Open();
    int editors = 0;
    SetModalRunner([&](QDialog& dialog) {
        auto* editor = qobject_cast<CDlgEditPic*>(&dialog);
        if (!editor)
            return int(IDCANCEL);
        ++editors;
        // Half size, then "确定" without a selection saves the whole picture
        // (its question answered yes).
        EXPECT_TRUE(editor->Resize(QStringLiteral("20"), QStringLiteral("15")));
        editor->OnOK();
        return dialog.result();
    });
    const struct {
        QString picture;
        QString box; // the refusal, none when the editor runs
    } cases[] = {
        {QString(), LoadStr(295)},
        {m_folder->file(QStringLiteral("moving.GIF")), LoadStr(296)},
    };
    for (const auto& c : cases) {
        m_boxes->clear();
        d.FrameEditor(0)->FillFromContent({QString(), c.picture, QString(), QStringLiteral("文字")});
        d.OnEditPicture();
        EXPECT_EQ(m_boxes->texts(), QStringList{c.box});
    }
    EXPECT_EQ(editors, 0);

    d.FrameEditor(0)->FillFromContent({QString(), jpeg, QString(), QStringLiteral("文字")});
    d.OnEditPicture();
    EXPECT_EQ(editors, 1);
    const MMSCONTENT edited = d.FrameEditor(0)->Content();
    EXPECT_NE(edited.picturePath, jpeg);
    EXPECT_EQ(QImage(edited.picturePath).size(), QSize(20, 15));
    EXPECT_EQ(edited.text, "文字");
}

} // namespace

namespace {

TEST_F(MmsComposer, Screenshots) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    const QString picture = m_folder->file(QStringLiteral("sale.jpg"));
    QImage image(176, 130, QImage::Format_RGB32);
    image.fill(QColor(0xE0, 0x50, 0x30));
    ASSERT_TRUE(image.save(picture, "JPG"));
    const std::vector<MMSCONTENT> frames{
        {QString(), picture, QString(), QStringLiteral("周年庆：全场八折，会员再享九五折。")},
        {QString(), QString(), QString(), QStringLiteral("活动时间：本周六上午九点至晚上九点。")},
        {QString(), QString(), QString(), QStringLiteral("地址：人民路一百号，欢迎光临！")}};
    CDlgSendMMS& d = Open([&](CDlgSendMMS& dialog) {
        dialog.SetTitle(QStringLiteral("周年庆活动"));
        dialog.SetPresetFrames(frames);
        dialog.SetNumberTriples(
            Triples({{"13698765432", "王五"}, {"13912345678", "李四"}, {"13800138000", "张三"}}));
    });
    ASSERT_TRUE(d.grab().save(QDir(dir).filePath(QStringLiteral("mms-composer.png"))));
}

} // namespace
