// The received page, driven as the main window and a user would.
#include "gui/sms/received_record_view.h"

#include "contacts/contact_list_query.h"
#include "core/app_globals.h"
#include "core/helpers.h"
#include "core/paths.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "core/virtual_list.h"
#include "gui/contacts/contact_base_page.h"
#include "gui/contacts/contact_info_dialog.h"
#include "gui/main/main_window.h"
#include "gui/sms/interactive_msg_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/sms/senior_query_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/record_generator.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"
#include "tests/support/xlsx_reader.h"

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

const QString kRightsText = QStringLiteral("您没有相应权限进行此操作.");

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void LeftClick(QWidget* w, const QPoint& pos) {
    const QPointF global = w->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Rows in list order (newest first):
//   0 rowid 4  12345       王五  NULL read  2024-05-02 08:00:00  multi-line text with a comma
//   1 rowid 3  13800000003 NULL  unread     2024-05-01 23:59:59  receiveID 7
//   2 rowid 2  13800000002 李四  unread     2024-05-01 09:00:00  receiveID 7 again
//   3 rowid 1  13800000001 张三  read       2024-04-30 10:00:00
constexpr const char* kMessages =
    "INSERT INTO receivedMSGRecord(rowid,receiveID,sendNum,msgContent,sendTime,alreadyRead,name,coName,"
    "send_receive_Num) VALUES"
    "(1,5,'13800000001','你好','2024-04-30 10:00:00',1,'张三','甲公司',-1),"
    "(2,7,'13800000002','it''s','2024-05-01 09:00:00',0,'李四','',3),"
    "(3,7,'13800000003','请回电','2024-05-01 23:59:59',0,NULL,NULL,-1),"
    "(4,9,'12345','第一行\r\n第二行,逗号','2024-05-02 08:00:00',NULL,'王五','乙公司',-1);";

class ReceivedView : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        Exec(kMessages);
        Exec("CREATE TABLE writes(what TEXT, id INTEGER);"
             "CREATE TRIGGER w_upd AFTER UPDATE ON receivedMSGRecord BEGIN "
             "INSERT INTO writes VALUES('update', NEW.rowid); END;"
             "CREATE TRIGGER w_del AFTER DELETE ON receivedMSGRecord BEGIN "
             "INSERT INTO writes VALUES('delete', OLD.rowid); END;");
        g_strAccountIni = m_folder->file(QStringLiteral("SN-TEST-01.ini"));
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
        ReceivedSortState().Reset();
        m_previousRunner = SetModalRunner([this](QDialog& dialog) {
            m_modals << QString::fromLatin1(dialog.metaObject()->className());
            return m_onModal ? m_onModal(dialog) : int(IDCANCEL);
        });
    }
    void TearDown() override {
        m_page.reset();
        SetNextFileName(std::nullopt);
        SetModalRunner(m_previousRunner);
        g_pLoginRights.reset();
        g_strAccountIni.clear();
        ServiceTest::TearDown();
    }

    static void Exec(const std::string& sql) {
        std::string error;
        ASSERT_EQ(ExecSql(&error, g_pDB, sql), SQLITE_OK) << error;
    }
    static QStringList Column(const std::string& sql) {
        QStringList out;
        SqlStatement st(g_pDB, sql);
        while (st.step() == SQLITE_ROW)
            out << st.qtext(0);
        return out;
    }
    // An operator holding every right but those in `missing`.
    static void LogInOperator(std::initializer_list<int> missing) {
        QStringList rights(21, QStringLiteral("1"));
        rights[0] = QStringLiteral("OP");
        for (int r : missing)
            rights[r] = QStringLiteral("0");
        g_pLoginRights = std::make_unique<QStringList>(rights);
    }

    CDlgMsgRecord1Received& Open(const QString& filter = {}) {
        m_page = std::make_unique<CDlgMsgRecord1Received>(nullptr);
        m_page->resize(900, 500);
        m_page->show();
        m_page->QueryRecords(filter, -1);
        return *m_page;
    }
    void SelectRows(std::initializer_list<int> rows) {
        m_page->List()->clearSelection();
        for (int r : rows)
            m_page->List()->selectionModel()->select(m_page->List()->model()->index(r, 0),
                                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString Total() { return Child<QLabel>(*m_page, "1084")->text(); }
    QStringList ShownNumbers() {
        QStringList out;
        for (int r = 0; r < m_page->Records().Count(); ++r)
            out << m_page->CellText(r, kRecvNumber);
        return out;
    }
    // The composer's recipients once its intake has run, as numbers.
    static QStringList ComposerNumbers(CDlgSendSMS& composer) {
        composer.show();
        Wait(120);
        EXPECT_TRUE(WaitUntil([&] { return !composer.IntakeRunning(); }));
        QStringList out;
        for (int i = 0; i < composer.NumberList().GetCount(); ++i)
            out << QString::number(composer.NumberList().GetKey(i));
        composer.hide();
        return out;
    }

    std::unique_ptr<CDlgMsgRecord1Received> m_page;
    ModalRunner m_previousRunner;
    std::function<int(QDialog&)> m_onModal;
    QStringList m_modals;
};

TEST_F(ReceivedView, AnUnreadClickRunsOneUpdateAndTheRowTurnsBlackAndTicked) {
    CDlgMsgRecord1Received& page = Open();
    CVirtualListCtrl* list = page.List();
    ASSERT_EQ(list->ItemCount(), 4);
    EXPECT_EQ(Total(), QStringLiteral("4"));
    QAbstractItemModel* model = list->model();
    auto color = [&](int row) { return model->data(model->index(row, 3), Qt::ForegroundRole); };
    auto check = [&](int row) { return model->data(model->index(row, 0), Qt::CheckStateRole).toInt(); };
    // NULL and 0 are unread, 1 is read.
    EXPECT_EQ(color(0).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(color(2).value<QColor>(), QColor(255, 0, 0));
    EXPECT_FALSE(color(3).isValid());
    EXPECT_EQ(check(2), int(Qt::Unchecked));
    EXPECT_EQ(check(3), int(Qt::Checked));
    EXPECT_EQ(model->data(model->index(2, 0), Qt::DisplayRole).toString(), QString());

    // Row 2 is rowid 2, whose receiveID 7 rowid 3 shares.
    const QRect cell = list->visualRect(model->index(2, 3));
    LeftClick(list->viewport(), cell.center());
    EXPECT_EQ(page.CurrentRow(), 2);
    EXPECT_EQ(Column("SELECT what||id FROM writes"), QStringList{"update2"});
    EXPECT_FALSE(color(2).isValid()) << "the row is black";
    EXPECT_EQ(check(2), int(Qt::Checked));
    EXPECT_EQ(color(1).value<QColor>(), QColor(255, 0, 0)) << "the other message of the same id stays unread";

    LeftClick(list->viewport(), cell.center());
    EXPECT_EQ(Column("SELECT what||id FROM writes"), QStringList{"update2"}) << "a second click runs nothing";
    // A read row clicked runs nothing either.
    LeftClick(list->viewport(), list->visualRect(model->index(3, 3)).center());
    EXPECT_EQ(Column("SELECT COUNT(*) FROM writes"), QStringList{"1"});
}

TEST_F(ReceivedView, RadioButtonsFollowTheSettingsAndTheSavedConditionIsReadWhole) {
    struct Case {
        const char* showAll;
        const char* showSome;
        const char* checked;
    } cases[] = {
        {"0", "0", "1027"},
        {"1", "0", "1027"},
        {"0", "1", "1028"},
        // The main window lists by the condition then, and the buttons agree.
        {"1", "1", "1028"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.showAll) + c.showSome);
        ini::WriteStrings(g_strAccountIni, QStringLiteral("ReceiveMsg"),
                          {{QStringLiteral("ShowAll"), QString::fromLatin1(c.showAll)},
                           {QStringLiteral("ShowSome"), QString::fromLatin1(c.showSome)}});
        CDlgMsgRecord1Received& page = Open();
        EXPECT_TRUE(Child<QRadioButton>(page, c.checked)->isChecked());
    }

    // A condition of 150 characters.
    QString condition =
        QStringLiteral("AND (a.sendNum='13800000002' OR a.msgContent like '%not in any text%')");
    while (condition.size() < 150)
        condition += QStringLiteral(" AND 1=1");
    ini::WriteString(g_strAccountIni, QStringLiteral("ReceiveMsg"), QStringLiteral("Sql"), condition);
    CDlgMsgRecord1Received& page = Open();
    Click(page, "1028");
    EXPECT_EQ(ini::ReadString(g_strAccountIni, "ReceiveMsg", "ShowAll"), QStringLiteral("0"));
    EXPECT_EQ(ini::ReadString(g_strAccountIni, "ReceiveMsg", "ShowSome"), QStringLiteral("1"));
    EXPECT_EQ(ShownNumbers(), QStringList{"13800000002"});
    EXPECT_EQ(Total(), QStringLiteral("1"));
    Click(page, "1027");
    EXPECT_EQ(ini::ReadString(g_strAccountIni, "ReceiveMsg", "ShowAll"), QStringLiteral("1"));
    EXPECT_EQ(ini::ReadString(g_strAccountIni, "ReceiveMsg", "ShowSome"), QStringLiteral("0"));
    EXPECT_EQ(page.Records().Count(), 4);
}

TEST_F(ReceivedView, AHostileSavedConditionRunsNothingAndIsLogged) {
    ini::WriteString(g_strAccountIni, QStringLiteral("ReceiveMsg"), QStringLiteral("Sql"),
                     QStringLiteral("1=1; DELETE FROM receivedMSGRecord"));
    CDlgMsgRecord1Received& page = Open();
    Click(page, "1028");
    EXPECT_EQ(page.Records().Count(), 0);
    EXPECT_EQ(Total(), QStringLiteral("0"));
    EXPECT_EQ(Column("SELECT COUNT(*) FROM receivedMSGRecord"), QStringList{"4"});
    EXPECT_EQ(Column("SELECT COUNT(*) FROM writes"), QStringList{"0"});
    EXPECT_TRUE(logLines().contains(QStringLiteral("加载接收到的短信记录列表出错了")));
}

TEST_F(ReceivedView, DeleteRefusalsQuestionsAndPaths) {
    CDlgMsgRecord1Received& page = Open();
    // Right 13 missing: refused before anything else.
    LogInOperator({13});
    page.List()->selectAll();
    page.OnCommand(1013);
    EXPECT_EQ(m_boxes->texts(), QStringList{kRightsText});
    m_boxes->clear();
    LogInOperator({});
    // Nothing selected.
    page.List()->clearSelection();
    page.OnCommand(1013);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(180)});
    m_boxes->clear();
    // "No" deletes nothing.
    page.List()->selectAll();
    m_boxes->queueAnswer(IDNO);
    page.OnCommand(10005);
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("4") + LoadStr(159)});
    EXPECT_EQ(Column("SELECT COUNT(*) FROM writes"), QStringList{"0"});
    m_boxes->clear();

    // Everything selected under a date filter: only the listed rows, by rowid.
    Child<QCheckBox>(page, "fromTick")->setChecked(true);
    Child<QDateEdit>(page, "21008")->setDate(QDate(2024, 5, 1));
    Click(page, "1003");
    ASSERT_EQ(page.Records().Count(), 3);
    // A message stored after the query is no part of the selection.
    Exec("INSERT INTO receivedMSGRecord(rowid,receiveID,sendNum,msgContent,sendTime) "
         "VALUES(5,7,'13900000009','新的','2024-05-03 00:00:00')");
    page.List()->selectAll();
    page.OnCommand(1013);
    EXPECT_EQ(m_boxes->texts(), (QStringList{QStringLiteral("3") + LoadStr(159), LoadStr(227)}));
    EXPECT_EQ(Column("SELECT rowid FROM receivedMSGRecord ORDER BY rowid"), (QStringList{"1", "5"}));
    EXPECT_TRUE(logLines().contains(QStringLiteral("删除了接收短信记录 3 条")));
    m_boxes->clear();

    // Everything selected without a filter: the single statement, up to the
    // query's last row.
    page.QueryRecords(QString(), -1);
    Exec("INSERT INTO receivedMSGRecord(rowid,receiveID,sendNum,msgContent,sendTime) "
         "VALUES(6,12,'13900000010','更新的','2024-05-04 00:00:00')");
    page.List()->selectAll();
    page.OnCommand(1013);
    EXPECT_EQ(m_boxes->texts(), (QStringList{QStringLiteral("2") + LoadStr(159), LoadStr(227)}));
    EXPECT_EQ(Column("SELECT rowid FROM receivedMSGRecord"), QStringList{"6"});
    EXPECT_EQ(page.Records().Count(), 1) << "the page re-queried";
    m_boxes->clear();

    // A failing statement deletes nothing and says so.
    Exec("CREATE TRIGGER keep BEFORE DELETE ON receivedMSGRecord BEGIN SELECT RAISE(ABORT,'kept'); END;");
    page.List()->selectAll();
    page.OnCommand(1013);
    EXPECT_EQ(m_boxes->texts(), (QStringList{QStringLiteral("1") + LoadStr(159), LoadStr(160)}));
    EXPECT_EQ(Column("SELECT rowid FROM receivedMSGRecord"), QStringList{"6"});
}

TEST_F(ReceivedView, ExportsRefusedMaskedAndFallingBackToCsv) {
    QTemporaryDir dir;
    CDlgMsgRecord1Received& page = Open();
    LogInOperator({15});
    page.OnCommand(1012);
    EXPECT_EQ(m_boxes->texts(), QStringList{kRightsText});
    m_boxes->clear();

    // Masked for an operator under right 16, also in the file; the name
    // gets its "x".
    LogInOperator({});
    EXPECT_EQ(ShownNumbers(), (QStringList{"123**", "138****0003", "138****0002", "138****0001"}));
    SetNextFileName(dir.filePath(QStringLiteral("out.xls")));
    page.OnCommand(10004);
    EXPECT_EQ(LastProposedFileName(), QStringLiteral("已接收短信记录"));
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(228)});
    const auto book = ReadXlsx(dir.filePath(QStringLiteral("out.xlsx")));
    ASSERT_EQ(book.count(QStringLiteral("已接收短信记录")), 1u);
    const std::vector<QStringList>& rows = book.at(QStringLiteral("已接收短信记录"));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (QStringList{"姓名", "联系电话", "短信内容", "公司名称", "发送时间"}));
    EXPECT_EQ(rows[4], (QStringList{"张三", "138****0001", "你好", "甲公司", "2024-04-30 10:00:00"}));
    m_boxes->clear();

    // A file that cannot be written: the fallback to CSV.
    SetNextFileName(dir.filePath(QStringLiteral("missing/out.xlsx")));
    SetNextFileName(dir.filePath(QStringLiteral("out.csv")));
    page.OnCommand(1012);
    EXPECT_EQ(m_boxes->texts(),
              (QStringList{QStringLiteral("Excel组件存在问题，导出失败。将导出csv格式文件"), LoadStr(228)}));
    QFile csv(dir.filePath(QStringLiteral("out.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    ASSERT_EQ(lines.size(), 6) << "header, four rows, and the end after the last \\n";
    EXPECT_TRUE(lines[1].startsWith(QByteArray("\xcd\xf5\xce\xe5,123**,"))) << "王五 in code page 936";
    m_boxes->clear();

    // A cancelled chooser writes nothing and says nothing.
    SetNextFileName(QString());
    page.OnCommand(1012);
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

TEST_F(ReceivedView, CustomerReportWhenTheEditionAsksForIt) {
    Exec("INSERT INTO sendInfo(content,submitTime,sendID,sendType,isDraft,isFail) VALUES"
         "('通知','2024-05-01 08:00:00',1,1,0,0);"
         "INSERT INTO sendNums(sendID,numOrMailAddr,name) "
         "VALUES(1,'13800000002','李四'),(1,'13700000000','');");
    m_folder->writeFile(QStringLiteral("OEM/OemInfo.ini"), "[System]\nCustomize2=1\n");
    CDlgMsgRecord1Received& page = Open();
    ASSERT_TRUE(page.CustomerReport());
    Child<QDateEdit>(page, "21008")->setDate(QDate(2024, 5, 1));
    Child<QDateEdit>(page, "21009")->setDate(QDate(2024, 5, 1));
    QTemporaryDir dir;
    SetNextFileName(dir.filePath(QStringLiteral("report.csv")));
    page.OnCommand(1012);
    EXPECT_EQ(LastProposedFileName(), QStringLiteral("已接收短信记录"));
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(228)});
    QFile file(dir.filePath(QStringLiteral("report.csv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4);
    std::sort(lines.begin() + 1, lines.end() - 1);
    EXPECT_EQ(lines[1], QByteArray("13700000000,\xcd\xa8\xd6\xaa,2024-05-01 08:00:00,0,,"));
    EXPECT_EQ(lines[2],
              QByteArray("13800000002,\xcd\xa8\xd6\xaa,2024-05-01 08:00:00,1,it's,2024-05-01 09:00:00"));
}

TEST_F(ReceivedView, HandOversUseTheRealNumbersAndTheFilteredList) {
    LogInOperator({});
    CDlgMsgRecord1Received& page = Open();

    // Forward: exactly one row; the composer gets cell 3 as it is stored.
    page.OnCommand(1005);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(179)});
    m_boxes->clear();
    QString prefill;
    m_onModal = [&](QDialog& dialog) {
        if (auto* composer = qobject_cast<CDlgSendSMS*>(&dialog))
            prefill = composer->content();
        return int(IDCANCEL);
    };
    SelectRows({0});
    page.OnCommand(10002);
    EXPECT_EQ(prefill, QStringLiteral("第一行\r\n第二行,逗号"));
    SelectRows({0, 1});
    page.OnCommand(1005);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(179)});
    m_boxes->clear();

    // Reply under a date filter: every sender of the filtered list, whatever
    // is selected, and no message stored after the query.
    Child<QCheckBox>(page, "fromTick")->setChecked(true);
    Child<QDateEdit>(page, "21008")->setDate(QDate(2024, 5, 1));
    Child<QCheckBox>(page, "toTick")->setChecked(true);
    Child<QDateEdit>(page, "21009")->setDate(QDate(2024, 5, 1));
    Click(page, "1003");
    ASSERT_EQ(page.Records().Count(), 2);
    Exec("INSERT INTO receivedMSGRecord(receiveID,sendNum,msgContent,sendTime) "
         "VALUES(30,'13900000009','later','2024-05-01 12:00:00')");
    QStringList replyTo;
    m_onModal = [&](QDialog& dialog) {
        if (auto* composer = qobject_cast<CDlgSendSMS*>(&dialog))
            replyTo = ComposerNumbers(*composer);
        return int(IDCANCEL);
    };
    SelectRows({1});
    page.OnCommand(1011);
    replyTo.sort();
    EXPECT_EQ(replyTo, (QStringList{"13800000002", "13800000003"}));

    // Save as contact: the stored number, not the masked cell.
    QString editorNumber;
    m_onModal = [&](QDialog& dialog) {
        if (auto* editor = qobject_cast<CDlgContactInfo*>(&dialog))
            editorNumber = editor->BasePage()->MobileToSave();
        return int(IDCANCEL);
    };
    SelectRows({0});
    ASSERT_EQ(page.CellText(0, kRecvNumber), QStringLiteral("138****0003"));
    page.OnCommand(10001);
    EXPECT_EQ(editorNumber, QStringLiteral("13800000003"));

    // 1014 and 1004 open their dialogs; the advanced query's condition
    // reaches the list.
    m_modals.clear();
    m_onModal = [&](QDialog& dialog) {
        auto* query = qobject_cast<CDlgSeniorQuery*>(&dialog);
        if (!query)
            return int(IDCANCEL);
        // Received mode: "发送时间" "等于" a day.
        query->OnInitDialog();
        Child<QComboBox>(*query, "1042")
            ->setCurrentIndex(Child<QComboBox>(*query, "1042")->findText("发送时间"));
        auto* ops = Child<QComboBox>(*query, "21040");
        ops->setCurrentIndex(ops->findText(QStringLiteral("等于")));
        Child<QDateEdit>(*query, "21008")->setDate(QDate(2024, 4, 30));
        Click(*query, "21013");
        Click(*query, "31013");
        return query->result();
    };
    page.OnCommand(1014);
    page.OnCommand(1004);
    EXPECT_EQ(m_modals, (QStringList{"CDlgInteractiveMSG", "CDlgSeniorQuery"}));
    EXPECT_EQ(page.Records().Filter(), QStringLiteral(" AND a.sendTime like '2024-04-30%'"));
    EXPECT_EQ(page.Records().Count(), 1);
    EXPECT_EQ(page.Records().Cell(0, kRecvNumber), QStringLiteral("13800000001"));
}

TEST_F(ReceivedView, ContextMenuAndHeaderSort) {
    CDlgMsgRecord1Received& page = Open();
    auto state = [&](int row) {
        std::map<QString, bool> out;
        std::unique_ptr<QMenu> menu = page.CreateContextMenu(row);
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                out[a->objectName()] = a->isEnabled();
        return out;
    };
    using M = std::map<QString, bool>;
    // Row 1 has no name; row 0 has one; -1 hit no row.
    EXPECT_EQ(state(1),
              (M{{"10001", true}, {"10002", true}, {"10003", true}, {"10004", true}, {"10005", true}}));
    EXPECT_EQ(state(0),
              (M{{"10001", false}, {"10002", true}, {"10003", true}, {"10004", true}, {"10005", true}}));
    EXPECT_EQ(state(-1),
              (M{{"10001", false}, {"10002", false}, {"10003", false}, {"10004", true}, {"10005", false}}));

    // A header twice: ascending, then descending; the arrow follows; the
    // filter in force stays.
    page.QueryRecords(QStringLiteral(" AND a.sendNum like '138%'"), -1);
    EXPECT_TRUE(page.HeaderClicked(kRecvName));
    EXPECT_TRUE(page.Records().ListStatement().endsWith(QLatin1String("name  collate pinyin ASC, rowid")));
    EXPECT_EQ(page.List()->SortColumn(), kRecvName);
    EXPECT_EQ(page.List()->SortDirection(), 1);
    EXPECT_EQ(page.Records().Count(), 3);
    // In code page 936 order: no name, 李四 (li), 张三 (zhang).
    EXPECT_EQ(page.Records().Cell(1, kRecvName), QStringLiteral("李四"));
    EXPECT_EQ(page.Records().Cell(2, kRecvName), QStringLiteral("张三"));
    EXPECT_TRUE(page.HeaderClicked(kRecvName));
    EXPECT_EQ(page.List()->SortDirection(), -1);
    EXPECT_EQ(page.Records().Cell(0, kRecvName), QStringLiteral("张三"));
    EXPECT_EQ(page.Records().Count(), 3);
    // A date query brings the default order back.
    Click(page, "1003");
    EXPECT_EQ(page.List()->SortColumn(), -1);
    EXPECT_TRUE(page.Records().ListStatement().endsWith(QLatin1String(" ORDER BY sendTime DESC, rowid")));
}

TEST_F(ReceivedView, TheMainWindowsReceivedNodeShowsThisPage) {
    QString condition = QStringLiteral("AND a.sendNum='13800000002'");
    while (condition.size() < 150)
        condition += QStringLiteral(" AND 1=1");
    ini::WriteStrings(g_strAccountIni, QStringLiteral("ReceiveMsg"),
                      {{QStringLiteral("ShowAll"), QStringLiteral("0")},
                       {QStringLiteral("ShowSome"), QStringLiteral("1")},
                       {QStringLiteral("Sql"), condition}});
    m_main->script("GetAllInfo2", LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}}));
    auto window = std::make_unique<CCorvelaneDlg>(std::make_unique<QStringList>(QStringList{"AD"}));
    window->show();
    ASSERT_TRUE(WaitUntil([&] { return window->commandsReady(); }));
    ASSERT_TRUE(WaitUntil([&] { return window->timer(1) && !window->timer(1)->isActive(); }));
    window->SelectNode(node::Received);
    auto* page = qobject_cast<CDlgMsgRecord1Received*>(window->currentView());
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    // The saved condition of 150 characters, read whole.
    EXPECT_EQ(page->Records().Count(), 1);
    EXPECT_TRUE(Child<QRadioButton>(*page, "1028")->isChecked());
    EXPECT_FALSE(logLines().contains(QStringLiteral("加载接收到的短信记录列表出错了")));
    // After a VACUUM the page lists again (the same rows, nothing selected).
    page->List()->selectAll();
    window->RequeryRecordViews();
    EXPECT_EQ(page->Records().Count(), 1);
    EXPECT_TRUE(page->SelectedSpans().empty());
    window.reset();
}

} // namespace

namespace {

TEST_F(ReceivedView, SpeaksEnglish) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    struct Restore {
        ~Restore() { SetUiLanguage(kLangChinese); }
    } restore;
    CDlgMsgRecord1Received& page = Open();
    QStringList chinese;
    QStringList shown = ShownTexts(page);
    std::unique_ptr<QMenu> menu = page.CreateContextMenu(0);
    for (QAction* a : menu->actions())
        shown << a->text();
    for (const QString& text : shown)
        if (HasChinese(text))
            chinese << text;
    EXPECT_TRUE(chinese.isEmpty()) << chinese.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Received records in total:")));
}

} // namespace

namespace {

TEST_F(ReceivedView, GeneratedTenThousandRowsScrollExportAndMarkWithinTheBound) {
    RecordGeneratorOptions options;
    options.records = 20;
    const GeneratedRecords generated = GenerateRecords(options);
    ASSERT_TRUE(generated.ok);
    CDlgMsgRecord1Received& page = Open();
    const int count = page.List()->ItemCount();
    ASSERT_EQ(count, generated.receivedRows + 4);
    ASSERT_GE(count, 10000);
    RowSource& source = page.Records().Source();
    const size_t bound = static_cast<size_t>(source.CacheBound() + RowSource::kWindowRows);
    size_t most = 0;
    for (int row : {0, count / 2, count - 1, count / 4, 7777, count - 1}) {
        page.List()->scrollTo(page.List()->model()->index(row, 0));
        page.List()->viewport()->repaint();
        QApplication::processEvents();
        EXPECT_TRUE(source.IsCached(row)) << row;
        most = std::max(most, source.CachedRows());
    }
    EXPECT_LE(most, bound);

    // Every generated text, also those over two lines with commas, stays on
    // its row of the CSV; the cache keeps its bound through the export.
    QTemporaryDir dir;
    const RecordExportResult csv = page.Records().ExportCsv(dir.filePath(QStringLiteral("all.csv")));
    ASSERT_TRUE(csv.ok);
    EXPECT_LE(source.CachedRows(), bound);
    QFile file(dir.filePath(QStringLiteral("all.csv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), count + 2) << "header, one line a row, the end";
    for (const QByteArray& line : lines.mid(1, count))
        ASSERT_EQ(line.count(','), 4) << line.toStdString();

    // A message whose receiveID another one repeats: only it is marked read.
    SqlStatement twin(g_pDB, "SELECT a.rowid FROM receivedMSGRecord a JOIN receivedMSGRecord b "
                             "ON a.receiveID=b.receiveID AND a.rowid<>b.rowid "
                             "WHERE IFNULL(a.alreadyRead,0)<>1 AND IFNULL(b.alreadyRead,0)<>1 LIMIT 1");
    ASSERT_EQ(twin.step(), SQLITE_ROW);
    const qint64 rowid = twin.int64(0);
    int row = -1;
    source.ForEachRowid(0, count - 1, [&](int r, qint64 id) {
        if (id == rowid)
            row = r;
    });
    ASSERT_GE(row, 0);
    page.OnRowClicked(row);
    EXPECT_EQ(Column("SELECT what||id FROM writes"), QStringList{QStringLiteral("update%1").arg(rowid)});
}

} // namespace

namespace {

TEST_F(ReceivedView, RowsGoneSinceTheQueryAreLoggedOnceAndShowEmpty) {
    CDlgMsgRecord1Received& page = Open();
    page.Records().Source().DropCache();
    Exec("DELETE FROM receivedMSGRecord");
    page.CacheHint(0, 3);
    page.CacheHint(0, 3);
    EXPECT_EQ(page.CellText(0, kRecvNumber), QString());
    EXPECT_EQ(logLines().count(QStringLiteral("CDlgMsgRecord1Received::ReadDbToMemory出错了")), 1);
    // Mark read on such a row writes nothing.
    page.OnRowClicked(0);
    EXPECT_EQ(Column("SELECT COUNT(*) FROM writes WHERE what='update'"), QStringList{"0"});
}

} // namespace

namespace {

TEST_F(ReceivedView, Screenshots) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    CDlgMsgRecord1Received& page = Open();
    // One message read by a click: black and ticked among the red unread ones.
    page.OnRowClicked(2);
    SelectRows({2});
    QApplication::processEvents();
    EXPECT_TRUE(page.grab().save(QDir(dir).filePath(QStringLiteral("received-records.png"))));
}

} // namespace

namespace {

// What the service's "mo" call gives for one message.
std::string MoRecord(const std::string& id, const std::string& sender, const char* textUtf8) {
    return id + ",10690000," + sender + "," + UrlEncode(enc::ToGbk(QString::fromUtf8(textUtf8))) +
           ",2026-12-10 10:00:00";
}

TEST_F(ReceivedView, AReceivedBatchReachesThePageInTheMainWindow) {
    m_main->script("GetAllInfo2",
                   LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", "10690000"}}));
    auto window = std::make_unique<CCorvelaneDlg>(std::make_unique<QStringList>(QStringList{"AD"}));
    window->show();
    ASSERT_TRUE(WaitUntil([&] { return window->commandsReady(); }));
    ASSERT_TRUE(WaitUntil([&] { return window->timer(1) && !window->timer(1)->isActive(); }));
    window->SelectNode(node::Received);
    auto* page = qobject_cast<CDlgMsgRecord1Received*>(window->currentView());
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->Records().Count(), 4);

    m_main->script("mo", LoopbackAnswer::Text(MoRecord("77", "13900000077", "新到的,消息")));
    window->ReceiveMessages(1);
    ASSERT_TRUE(WaitUntil([&] { return !window->receiveWorkerRunning(); }, std::chrono::milliseconds(10000)));
    ASSERT_TRUE(WaitUntil([&] { return page->Records().Count() == 5; }));
    EXPECT_EQ(window->currentView(), page);
    // The newest message first, unread: red and without its tick.
    EXPECT_EQ(page->CellText(0, kRecvNumber), QStringLiteral("13900000077"));
    EXPECT_EQ(page->CellText(0, kRecvContent), QStringLiteral("新到的,消息"));
    EXPECT_EQ(page->RowTextColor(0), std::optional<QRgb>(qRgb(255, 0, 0)));
    EXPECT_EQ(Child<QLabel>(*page, "1084")->text(), QStringLiteral("5"));
    window.reset();
}

} // namespace
