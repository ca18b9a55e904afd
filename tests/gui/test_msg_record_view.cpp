// The record page of the main window: what each record node shows, sorting
// and dates, selections named by rowid, deletes and their rights, masked
// numbers, exports read back by another program, the hand-overs to the
// composers, and the cache bound while a long list is scrolled and exported.
#include "core/database.h"
#include "core/helpers.h"
#include "core/row_source.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/sms/msg_record_view.h"
#include "gui/sms/per_msg_dialog.h"
#include "gui/sms/relevant_reply_dialog.h"
#include "gui/sms/seek_num_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/sms/senior_query_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/zsplitter.h"
#include "platform/encoding.h"
#include "sms/sent_records.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"
#include "tests/support/record_generator.h"
#include "tests/support/xlsx_reader.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const QString kRightsText = QStringLiteral("您没有相应权限进行此操作.");

void Insert(const SentRecordRow& r) {
    ASSERT_TRUE(InsertSentRecord(r, 3));
}

void InsertNumber(qint64 sendId, const QString& number, const QString& name, const QString& status = {}) {
    ASSERT_TRUE(InsertSendNumber(sendId, number, name, status));
}

QString SendIds() {
    SqlStatement st(g_pDB, "SELECT group_concat(sendID) FROM (SELECT sendID FROM sendInfo ORDER BY sendID)");
    return st.step() == SQLITE_ROW ? st.qtext(0) : QString();
}

QStringList Rights(std::initializer_list<int> denied) {
    QStringList rights(17, QStringLiteral("1"));
    rights[0] = QStringLiteral("OP");
    for (int r : denied)
        rights[r] = QStringLiteral("0");
    return rights;
}

// Code page 936 bytes as another program decodes them.
QString IconvFromGbk(const QByteArray& bytes) {
    QProcess iconv;
    iconv.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("CP936"), QStringLiteral("-t"),
                                          QStringLiteral("UTF-8")});
    EXPECT_TRUE(iconv.waitForStarted());
    iconv.write(bytes);
    iconv.closeWriteChannel();
    EXPECT_TRUE(iconv.waitForFinished());
    return QString::fromUtf8(iconv.readAllStandardOutput());
}

class RecordViewPage : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
        SetModalRunner([this](QDialog& dialog) {
            m_modals << QString::fromLatin1(dialog.metaObject()->className());
            if (auto* sms = qobject_cast<CDlgSendSMS*>(&dialog)) {
                m_triples = sms->NumberTriples();
                m_survey = sms->SurveyMode();
                m_keep = sms->KeepRecord();
                m_loaded = sms->LoadedRecordId();
                m_prefill = sms->content();
            }
            if (auto* per = qobject_cast<CDlgPerMSG*>(&dialog))
                m_perIds = per->ResendRecords();
            return int(IDCANCEL);
        });
        m_page = std::make_unique<CDlgMsgRecord>(nullptr);
    }
    void TearDown() override {
        m_page.reset();
        SetModalRunner({});
        SetNextFileName(std::nullopt);
        g_pLoginRights.reset();
        g_nCustomize = 0;
        ProgramFolderTest::TearDown();
    }

    CDlgMsgRecord& Page() { return *m_page; }
    QString Label(const char* id) { return Child<QLabel>(*m_page, id)->text(); }
    bool Shown(const char* id) { return !Child<QWidget>(*m_page, id)->isHidden(); }
    void Select(int first, int last) {
        auto* model = m_page->RecordList()->model();
        m_page->RecordList()->selectionModel()->select(
            QItemSelection(model->index(first, 0), model->index(last, model->columnCount() - 1)),
            QItemSelectionModel::ClearAndSelect);
    }
    QStringList RecordColumn(int column) {
        QStringList texts;
        for (int row = 0; row < m_page->RecordList()->ItemCount(); ++row)
            texts << m_page->RecordCellText(row, column);
        return texts;
    }
    QStringList RecipientRow(int row) {
        QStringList texts;
        for (int c = 0; c < m_page->RecipientList()->ColumnCount(); ++c)
            texts << m_page->RecipientCellText(row, c);
        return texts;
    }

    std::unique_ptr<CDlgMsgRecord> m_page;
    MessageBoxRecorder m_boxes;
    QStringList m_modals;
    QStringList m_triples;
    bool m_survey = false;
    bool m_keep = false;
    int m_loaded = -1;
    QString m_prefill;
    std::vector<qint64> m_perIds;
};

// ---- what each node shows -----------------------------------------------------------

TEST_F(RecordViewPage, EachCategoryShowsItsButtonsLabelsAndColumns) {
    g_nCustomize = 1;
    struct Case {
        qint64 code;
        const char* kindLabel;
        const char* removeCaption;
        bool advanced, perResend, statistics, total;
        int columns, recipientColumns;
    };
    const Case cases[] = {
        {1000000001, "草稿记录条数:", "删除", false, false, false, false, 3, 2},
        {1000000002, "发送失败记录条数:", "删除", false, true, false, false, 4, 2},
        {1000000003, "发送成功记录条数:", "删除", true, false, true, true, 4, 3},
        {1000000005, "调查记录条数:", "发送调查记录", true, false, false, true, 3, 4},
        {1000002003, "发送成功记录条数:", "删除", true, false, false, false, 3, 3},
        {1000004003, "发送成功记录条数:", "删除", true, false, false, true, 4, 3},
        {1000005001, "草稿记录条数:", "删除", false, false, false, false, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Page().QueryRecords(c.code, QString(), -1);
        EXPECT_EQ(Label("1085"), QString::fromUtf8(c.kindLabel));
        EXPECT_EQ(Child<QPushButton>(Page(), "1005")->text(), QString::fromUtf8(c.removeCaption));
        EXPECT_EQ(Shown("1004"), c.advanced);
        EXPECT_EQ(Shown("1014"), c.perResend);
        EXPECT_EQ(Shown("1168"), c.statistics);
        EXPECT_EQ(Shown("1086"), c.total);
        EXPECT_EQ(Page().RecordList()->ColumnCount(), c.columns);
        EXPECT_EQ(Page().RecipientList()->ColumnCount(), c.recipientColumns);
        // An empty category: nothing listed, both counts 0, no record text.
        EXPECT_EQ(Label("1083"), QStringLiteral("0"));
        EXPECT_EQ(Label("1084"), QStringLiteral("0"));
        EXPECT_EQ(Page().RecipientList()->ItemCount(), 0);
        EXPECT_TRUE(Child<QPlainTextEdit>(Page(), "21015")->toPlainText().isEmpty());
        EXPECT_TRUE(Child<QPlainTextEdit>(Page(), "21015")->isReadOnly());
    }
    // Without the customised edition the statistics stay hidden.
    g_nCustomize = 0;
    Page().QueryRecords(1000000002, QString(), -1);
    Page().QueryRecords(1000000003, QString(), -1);
    EXPECT_FALSE(Shown("1168"));
}

TEST_F(RecordViewPage, TheFirstRecordIsShownWithItsRecipientsAndTotal) {
    Insert({1, 1, 0, 0, "旧的", "2024-05-01 08:00:00", 2});
    Insert({2, 1, 0, 0, "新的", "2024-05-02 08:00:00", 5});
    InsertNumber(2, "13812345678", "张三", "未知");
    InsertNumber(2, "13800000002", "李四", "成功");
    InsertNumber(1, "13800000009", "王五");
    Page().QueryRecords(1000000003, QString(), -1);
    EXPECT_EQ(Label("1083"), QStringLiteral("2"));
    EXPECT_EQ(Label("1084"), QStringLiteral("2"));
    EXPECT_EQ(Label("1086"), QStringLiteral("    条数合计: 7"));
    EXPECT_EQ(Child<QPlainTextEdit>(Page(), "21015")->toPlainText(), QStringLiteral("新的"));
    // The outcome the service never reported shows as such.
    EXPECT_EQ(RecipientRow(0), (QStringList{"张三", "13812345678", "未知"}));

    // Another row becomes current: its recipients follow, with the status
    // text written while they load.
    Page().RecordList()->setCurrentIndex(Page().RecordList()->model()->index(1, 0));
    Page().ShowCurrentRecord();
    EXPECT_EQ(Page().CurrentSendId(), 1);
    EXPECT_EQ(RecipientRow(0), (QStringList{"王五", "13800000009", ""}));
    EXPECT_EQ(Child<QPlainTextEdit>(Page(), "21015")->toPlainText(), QStringLiteral("旧的"));
}

// A pending record of any channel (recorded before its call, outcome never
// read) shows its recipients as "未知"; a settled one shows no status.
using MmsRecordsInViews = RecordViewPage;
TEST_F(MmsRecordsInViews, EveryChannelsSentRecordsShowTheSendStatus) {
    const struct {
        qint64 code;
        int sendType;
    } cases[] = {{1000002003, 2}, {1000003003, 3}, {1000004003, 4}, {1000005003, 5}};
    qint64 id = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        Insert({id, c.sendType, 0, 0, QStringLiteral("r"), QStringLiteral("2024-05-02 08:00:00"), 0});
        InsertNumber(id, QStringLiteral("13812345678"), QStringLiteral("张三"), QStringLiteral("未知"));
        InsertNumber(id, QStringLiteral("13800000002"), QStringLiteral("李四"));
        Page().QueryRecords(c.code, QString(), -1);
        ASSERT_EQ(Page().RecipientList()->ColumnCount(), 3);
        EXPECT_EQ(RecipientRow(0), (QStringList{"张三", "13812345678", "未知"}));
        EXPECT_EQ(RecipientRow(1), (QStringList{"李四", "13800000002", ""}));
        ++id;
    }
}

TEST_F(RecordViewPage, HeaderClicksAndDateQueries) {
    Insert({1, 1, 0, 0, "b", "2024-05-01 23:59:59"});
    Insert({2, 1, 0, 0, "a", "2024-05-02 00:00:00"});
    Insert({3, 1, 0, 0, "c", "2024-04-30 10:00:00"});
    Page().QueryRecords(1000000003, QString(), -1);
    EXPECT_TRUE(Page().ListStatement().endsWith(QLatin1String(" ORDER BY submitTime DESC, rowid")));
    EXPECT_EQ(RecordColumn(0), (QStringList{"a", "b", "c"}));
    struct Click {
        int column;
        QStringList contents;
        int arrow;
    };
    const Click clicks[] = {{0, {"a", "b", "c"}, 1}, {0, {"c", "b", "a"}, -1}, {1, {"c", "b", "a"}, 1}};
    for (const Click& c : clicks) {
        Page().OnHeaderClicked(c.column);
        EXPECT_EQ(RecordColumn(0), c.contents) << c.column;
        EXPECT_EQ(Page().RecordList()->SortColumn(), c.column);
        EXPECT_EQ(Page().RecordList()->SortDirection(), c.arrow);
    }
    // A date query returns to the default order; the to-day counts whole.
    Child<QCheckBox>(Page(), "toTick")->setChecked(true);
    Child<QDateEdit>(Page(), "21009")->setDate(QDate(2024, 5, 1));
    Page().OnDateQuery();
    EXPECT_TRUE(Page().ListStatement().endsWith(QLatin1String(" ORDER BY submitTime DESC, rowid")));
    EXPECT_EQ(RecordColumn(0), (QStringList{"b", "c"}));
    EXPECT_EQ(Page().RecordList()->SortColumn(), -1);
}

TEST_F(RecordViewPage, AnAdvancedConditionNarrowsTheListAndAHostileOneRunsNothing) {
    Insert({1, 1, 0, 0, "it's mine", "2024-05-01 08:00:00"});
    Insert({2, 1, 0, 0, "other", "2024-05-02 08:00:00"});
    Page().QueryRecords(1000000003, QString(), -1);
    struct Case {
        const char* condition;
        QStringList listed;
        bool logged;
    };
    const Case cases[] = {
        {" AND content LIKE '%it''s%'", {"it's mine"}, false},
        {" AND 1=1; DELETE FROM sendInfo", {}, true},
        {" AND 1=1; DELETE FROM sendInfo; SELECT 1 FROM sendInfo WHERE 1=1", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        // The advanced query hands its condition back through its signal.
        SetModalRunner([&](QDialog& dialog) {
            QMetaObject::invokeMethod(&dialog, "ConditionChosen",
                                      Q_ARG(QString, QString::fromUtf8(c.condition)));
            return 1003;
        });
        Page().OnAdvancedQuery();
        EXPECT_EQ(RecordColumn(0), c.listed);
        EXPECT_EQ(runLog().contains(QStringLiteral("加载记录列表出错了")), c.logged);
        EXPECT_EQ(SendIds(), QStringLiteral("1,2"));
    }
}

TEST_F(RecordViewPage, TheRealAdvancedQueryFiltersSentAndSurveyRecords) {
    Insert({1, 1, 0, 0, "it's sent", "2024-05-01 08:00:00"});
    Insert({2, 1, 0, 0, "other", "2024-05-01 09:00:00"});
    // A survey whose send failed is listed among the survey records.
    Insert({3, 6, 0, 1, "it's a failed survey", "2024-05-01 10:00:00"});
    Insert({4, 6, 0, 0, "it's a survey", "2024-05-01 11:00:00"});
    struct Case {
        qint64 code;
        QStringList listed;
    };
    const Case cases[] = {
        {1000000003, {"it's sent"}},
        {1000000005, {"it's a survey", "it's a failed survey"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Page().QueryRecords(c.code, QString(), -1);
        SetModalRunner([](QDialog& dialog) {
            auto* query = qobject_cast<CDlgSeniorQuery*>(&dialog);
            EXPECT_NE(query, nullptr);
            if (!query)
                return int(IDCANCEL);
            query->OnInitDialog();
            Child<QComboBox>(dialog, "1042")->setCurrentIndex(0); // the text
            Child<QComboBox>(dialog, "21040")->setCurrentText(QStringLiteral("包含"));
            Child<QLineEdit>(dialog, "1014")->setText(QStringLiteral("it's"));
            query->OnAdd();
            query->OnQuery();
            return dialog.result();
        });
        Page().OnAdvancedQuery();
        EXPECT_EQ(RecordColumn(0), c.listed);
    }
}

// ---- selections, deletes, rights ------------------------------------------------------

TEST_F(RecordViewPage, RecordsWrittenAfterTheQueryAreNeitherShiftedNorDeleted) {
    for (int i = 1; i <= 5; ++i)
        Insert({i, 1, 0, 0, QString::number(i), QStringLiteral("2024-05-0%1 08:00:00").arg(i)});
    Page().QueryRecords(1000000003, QString(), -1);
    Select(0, 1); // records 5 and 4
    // A record sent meanwhile would be row 0 of a query run now.
    Insert({6, 1, 0, 0, "6", "2030-01-01 08:00:00"});
    EXPECT_EQ(Page().GetDbIDofSelected(), (std::vector<qint64>{5, 4}));
    m_boxes.queueAnswer(IDYES);
    Page().OnDeleteOrSurvey();
    EXPECT_EQ(SendIds(), QStringLiteral("1,2,3,6"));
    EXPECT_EQ(m_boxes.texts(), (QStringList{QStringLiteral("2") + LoadStr(159), LoadStr(227)}));
    EXPECT_TRUE(runLog().contains(QStringLiteral("删除了短信发送成功记录 2 条")));

    // Delete all asks nothing and leaves what came after the query.
    Page().QueryRecords(1000000003, QString(), -1);
    Insert({7, 1, 0, 0, "7", "2030-01-02 08:00:00"});
    Insert({8, 1, 0, 1, "failed", "2024-01-01 08:00:00"});
    m_boxes.clear();
    Page().OnMenuCommand(10006);
    EXPECT_EQ(SendIds(), QStringLiteral("7,8"));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(227)});
    // The list shows what is left.
    EXPECT_EQ(RecordColumn(0), QStringList{"7"});
}

TEST_F(RecordViewPage, DeleteMenusExistWhereTheyBelong) {
    struct Case {
        qint64 code;
        QStringList entries; // in menu order; "-" marks a greyed one
    };
    const Case cases[] = {
        {1000000001, {"10002-", "10003-", "10004", "10005-"}},
        {1000000002, {"10002-", "10003-", "10004", "10001-", "10005-", "10006-"}},
        {1000000003, {"10002-", "10003-", "10004", "10001-", "10005-", "10006-"}},
        {1000000005, {"10002-", "10003-", "10004"}},
        {1000004003, {"10002-", "10003-", "10004", "10005-"}},
    };
    for (const Case& c : cases) {
        Page().QueryRecords(c.code, QString(), -1);
        QStringList entries;
        const std::unique_ptr<QMenu> menu = Page().BuildRecordMenu(false);
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                entries << QString::number(a->data().toInt()) + (a->isEnabled() ? "" : "-");
        EXPECT_EQ(entries, c.entries) << c.code;
        // Delete all on any other category does nothing.
        if (!c.entries.contains(QStringLiteral("10006-"))) {
            Insert({1, 1, 0, 0, "x", "2024-01-01 08:00:00"});
            Page().OnMenuCommand(10006);
            EXPECT_EQ(SendIds(), QStringLiteral("1")) << c.code;
            ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo"), SQLITE_OK);
        }
    }
    Page().QueryRecords(1000000003, QString(), -1);
    EXPECT_EQ(Page().BuildRecipientMenu()->actions().size(), 2);
    Page().QueryRecords(1000002003, QString(), -1);
    EXPECT_TRUE(Page().BuildRecipientMenu()->actions().isEmpty());
}

TEST_F(RecordViewPage, AFailedBatchDeletesNothingAndSays160) {
    for (int i = 1; i <= 3; ++i) {
        Insert({i, 1, 0, 1, QString::number(i), QStringLiteral("2024-05-0%1 08:00:00").arg(i)});
        InsertNumber(i, QStringLiteral("1380000000%1").arg(i), QString());
    }
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER refuse BEFORE DELETE ON sendInfo WHEN old.sendID=2 "
                      "BEGIN SELECT RAISE(ABORT, 'refused'); END"),
              SQLITE_OK);
    Page().QueryRecords(1000000002, QString(), -1);
    Select(0, 2);
    m_boxes.queueAnswer(IDYES);
    Page().OnDeleteOrSurvey();
    EXPECT_EQ(SendIds(), QStringLiteral("1,2,3"));
    SqlStatement numbers(g_pDB, "SELECT COUNT(*) FROM sendNums");
    ASSERT_EQ(numbers.step(), SQLITE_ROW);
    EXPECT_EQ(numbers.int64(0), 3);
    ASSERT_EQ(m_boxes.shown().size(), 2u);
    EXPECT_EQ(m_boxes.shown()[1].text, LoadStr(160));
    EXPECT_TRUE(m_boxes.shown()[1].type & mb::IconError);
}

TEST_F(RecordViewPage, RightsFourteenAndFifteenAreAsked) {
    Insert({1, 1, 0, 0, "x", "2024-05-01 08:00:00"});
    InsertNumber(1, "13800000001", "n");
    struct Case {
        int denied;
        int command;
    };
    const Case cases[] = {{14, 10005}, {14, 10006}, {15, 10004}, {15, 10007}};
    for (const Case& c : cases) {
        g_pLoginRights = std::make_unique<QStringList>(Rights({c.denied}));
        Page().QueryRecords(1000000003, QString(), -1);
        m_boxes.clear();
        SetNextFileName(m_folder->file(QStringLiteral("out.xlsx")));
        Page().OnMenuCommand(c.command);
        EXPECT_EQ(m_boxes.texts(), QStringList{kRightsText}) << c.command;
        EXPECT_EQ(SendIds(), QStringLiteral("1")) << c.command;
        EXPECT_FALSE(QFile::exists(m_folder->file(QStringLiteral("out.xlsx")))) << c.command;
        SetNextFileName(std::nullopt);
    }
}

// ---- numbers as the operator may see them --------------------------------------------------

TEST_F(RecordViewPage, NumbersAreMaskedForTheMaskedOperatorOnly) {
    Insert({1, 1, 0, 0, "x", "2024-05-01 08:00:00"});
    InsertNumber(1, "13812345678", "甲", "未知");
    InsertNumber(1, "12345", "乙", "成功");
    struct Case {
        QStringList rights;
        QStringList first, second;
    };
    const Case cases[] = {
        {Rights({}), {"甲", "138****5678", "未知"}, {"乙", "123**", "成功"}},
        {QStringList{"AD"}, {"甲", "13812345678", "未知"}, {"乙", "12345", "成功"}},
    };
    for (const Case& c : cases) {
        g_pLoginRights = std::make_unique<QStringList>(c.rights);
        Page().QueryRecords(1000000003, QString(), -1);
        EXPECT_EQ(RecipientRow(0), c.first);
        EXPECT_EQ(RecipientRow(1), c.second);
    }
}

// ---- exports ---------------------------------------------------------------------------------

using RecordExportPage = RecordViewPage;

TEST_F(RecordExportPage, EachCategoryExportsItsOwnHeader) {
    struct Case {
        qint64 code;
        int sendType, isDraft, isFail;
        QStringList header;
        QStringList row;
    };
    const Case cases[] = {
        {1000000001, 1, 1, 0, {"短信内容", "发送时间", "条数"}, {"草稿'1", "2024-05-01 08:00:00", "2"}},
        {1000000003,
         1,
         0,
         0,
         {"短信内容", "发送时间", "定时发送时间", "条数"},
         {"成功", "2024-05-01 08:00:00", "2024-05-02 09:00:00", "2"}},
        {1000000005, 6, 0, 0, {"短信内容", "发送时间", "条数"}, {"调查", "2024-05-01 08:00:00", "2"}},
        {1000002002,
         2,
         0,
         1,
         {"传真文件", "发送时间", "定时发送时间"},
         {"/tmp/a.tif", "2024-05-01 08:00:00", "2024-05-02 09:00:00"}},
        {1000003001, 3, 1, 0, {"主题", "发送时间"}, {"主题一", "2024-05-01 08:00:00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo"), SQLITE_OK);
        Insert({1, c.sendType, c.isDraft, c.isFail, c.row.at(0), "2024-05-01 08:00:00", 2,
                "2024-05-02 09:00:00"});
        Page().QueryRecords(c.code, QString(), -1);
        const QString title = Page().Category()->title;
        // A name chosen with the old extension gets the new one.
        const QString chosen = m_folder->file(QStringLiteral("export%1.xls").arg(c.code));
        SetNextFileName(chosen);
        m_boxes.clear();
        Page().OnExport();
        EXPECT_EQ(LastProposedFileName(), title);
        EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(228)});
        const auto sheets = ReadXlsx(chosen + QLatin1Char('x'));
        ASSERT_EQ(sheets.size(), 1u);
        EXPECT_EQ(sheets.begin()->first, title);
        const std::vector<QStringList>& rows = sheets.begin()->second;
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0], c.header);
        EXPECT_EQ(rows[1], c.row);
    }
}

TEST_F(RecordExportPage, AnUnwritableFileFallsBackToCsv) {
    Insert({1, 1, 0, 0, "第一行\r\n第二,行", "2024-05-01 08:00:00", 2, ""});
    Insert({2, 1, 0, 0, "plain", "2024-05-02 08:00:00", 1, "2024-05-03 00:00:00"});
    Page().QueryRecords(1000000003, QString(), -1);
    const QString csv = m_folder->file(QStringLiteral("records.csv"));
    SetNextFileName(m_folder->file(QStringLiteral("missing/dir/records.xlsx")));
    SetNextFileName(csv);
    Page().OnExport();
    EXPECT_EQ(m_boxes.texts(),
              (QStringList{QStringLiteral("Excel组件存在问题，导出失败。将导出csv格式文件"), LoadStr(228)}));
    EXPECT_EQ(LastProposedFileName(), QStringLiteral("短信成功记录"));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(IconvFromGbk(file.readAll()), QStringLiteral("短信内容,发送时间,定时发送时间,条数\n"
                                                           "plain,2024-05-02 08:00:00,2024-05-03 00:00:00,1\n"
                                                           "第一行 第二，行,2024-05-01 08:00:00,,2\n"));
}

TEST_F(RecordExportPage, TheNumbersCsvIsMasked) {
    Insert({1, 1, 0, 0, "x", "2024-05-01 08:00:00"});
    InsertNumber(1, "13812345678", "甲");
    InsertNumber(1, "12345", "乙");
    g_pLoginRights = std::make_unique<QStringList>(Rights({}));
    Page().QueryRecords(1000000003, QString(), -1);
    const QString csv = m_folder->file(QStringLiteral("numbers.csv"));
    SetNextFileName(csv);
    Page().OnMenuCommand(10007);
    EXPECT_EQ(LastProposedFileName(), QStringLiteral("号码列表"));
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(228)});
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(IconvFromGbk(file.readAll()), QStringLiteral("姓名,号码\n甲,138****5678\n乙,123**\n"));
}

// ---- hand-overs ---------------------------------------------------------------------------------

TEST_F(RecordViewPage, ResendAndForwardHandTheRecordToTheComposer) {
    Insert({7, 1, 0, 0, "已发送", "2024-05-02 08:00:00"});
    Insert({8, 1, 0, 1, "失败了", "2024-05-01 08:00:00"});
    for (qint64 id : {7, 8}) {
        InsertNumber(id, QStringLiteral("1380000000%1").arg(id), QStringLiteral("甲"));
        InsertNumber(id, QStringLiteral("1390000000%1").arg(id), QString());
    }
    struct Case {
        qint64 code;
        int command;
        QStringList triples;
        int loaded;
        bool keep;
        const char* prefill;
    };
    const Case cases[] = {
        {1000000003, 10003, {"13800000007", "甲", "0", "13900000007", "", "0"}, 7, true, "已发送"},
        {1000000003, 10002, {}, 7, true, "已发送"},
        {1000000002, 10003, {"13800000008", "甲", "0", "13900000008", "", "0"}, 8, false, "失败了"},
    };
    // The real numbers go to the composer, also for a masked operator.
    g_pLoginRights = std::make_unique<QStringList>(Rights({}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Page().QueryRecords(c.code, QString(), -1);
        m_modals.clear();
        Page().OnMenuCommand(c.command);
        EXPECT_EQ(m_modals, QStringList{"CDlgSendSMS"});
        EXPECT_EQ(m_triples, c.triples);
        EXPECT_EQ(m_loaded, c.loaded);
        EXPECT_EQ(m_keep, c.keep);
        EXPECT_EQ(m_prefill, QString::fromUtf8(c.prefill));
        EXPECT_FALSE(m_survey);
    }
    // Two records selected: neither is handed over.
    Insert({9, 1, 0, 0, "又一条", "2024-05-03 08:00:00"});
    Page().QueryRecords(1000000003, QString(), -1);
    Select(0, 1);
    m_modals.clear();
    m_boxes.clear();
    Page().OnResend();
    EXPECT_TRUE(m_modals.isEmpty());
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(179)});
}

TEST_F(RecordViewPage, SurveyAndPersonalisedResend) {
    Insert({3, 6, 0, 0, "调查问题", "2024-05-01 08:00:00", 1, "2024-05-01 09:00:00"});
    Page().QueryRecords(1000000005, QString(), -1);
    EXPECT_TRUE(Child<QPlainTextEdit>(Page(), "21015")->toPlainText().endsWith(QStringLiteral("调查问题")));
    Page().OnDeleteOrSurvey();
    EXPECT_EQ(m_modals, QStringList{"CDlgSendSMS"});
    EXPECT_TRUE(m_survey);
    EXPECT_EQ(SendIds(), QStringLiteral("3"));
    m_modals.clear();
    Page().OnForward();
    EXPECT_TRUE(m_survey);
    EXPECT_EQ(m_prefill, QStringLiteral("调查问题"));

    for (int i = 1; i <= 3; ++i)
        Insert({10 + i, 1, 0, 1, "f", QStringLiteral("2024-05-0%1 08:00:00").arg(i)});
    Page().QueryRecords(1000000002, QString(), -1);
    Page().RecordList()->clearSelection();
    m_modals.clear();
    Page().OnPerResend();
    EXPECT_TRUE(m_modals.isEmpty());
    EXPECT_EQ(m_boxes.texts().last(), LoadStr(229));
    Select(1, 2);
    Page().OnPerResend();
    EXPECT_EQ(m_modals, QStringList{"CDlgPerMSG"});
    EXPECT_EQ(m_perIds, (std::vector<qint64>{12, 11}));

    // "统计" opens the statistics window.
    m_modals.clear();
    Child<QPushButton>(Page(), "1168")->click();
    EXPECT_EQ(m_modals, QStringList{"DlgTJRecord"});
}

TEST_F(RecordViewPage, SpeaksEnglish) {
    struct ChineseAfterwards {
        ~ChineseAfterwards() { SetUiLanguage(kLangChinese); }
    } restore;
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    Insert({1, 6, 0, 0, "?", "2024-05-01 08:00:00", 1, "2024-05-01 09:00:00"});
    CDlgMsgRecord page(nullptr);
    for (const qint64 code : RecordCategoryCodes()) {
        page.QueryRecords(code, QString(), -1);
        QStringList shown = ShownTexts(page);
        for (int c = 0; c < page.RecordList()->ColumnCount(); ++c)
            shown << page.RecordList()->model()->headerData(c, Qt::Horizontal).toString();
        for (int c = 0; c < page.RecipientList()->ColumnCount(); ++c)
            shown << page.RecipientList()->model()->headerData(c, Qt::Horizontal).toString();
        shown << page.Category()->title << page.Category()->exportNames;
        shown << Child<QPlainTextEdit>(page, "21015")->toPlainText();
        for (const QString& text : shown)
            EXPECT_FALSE(HasChinese(text)) << code << " " << text.toStdString();
    }
}

TEST_F(RecordViewPage, TheBarMovesThePanesAndStaysWhereItWasLeft) {
    Page().resize(800, 500);
    Page().show();
    QApplication::processEvents();
    auto* bar = Child<ZSplitter>(Page(), "1082");
    QWidget* records = Page().RecordList();
    QWidget* recipients = Page().RecipientList();
    QWidget* text = Child<QWidget>(Page(), "21015");
    const int barX = bar->x();
    const int recordsWidth = records->width();
    const int recipientsLeft = recipients->x();
    auto send = [&](QEvent::Type type, const QPoint& local, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, local, bar->mapToGlobal(local), button, held, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    };
    send(QEvent::MouseButtonPress, {2, 10}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {42, 10}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {42, 10}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(bar->x(), barX + 40);
    EXPECT_EQ(records->width(), recordsWidth + 40);
    EXPECT_EQ(recipients->x(), recipientsLeft + 40);
    EXPECT_EQ(text->x(), recipientsLeft + 40);
    // A larger window keeps the bar where the user left it.
    Page().resize(1000, 600);
    QApplication::processEvents();
    EXPECT_EQ(bar->x(), barX + 40);
    EXPECT_EQ(recipients->x() + recipients->width(), Child<QWidget>(Page(), "listArea")->width());
}

TEST_F(RecordViewPage, NumberSearchSelectsTheFirstPlaceAndRepliesGoByTheSubNumber) {
    Insert({1, 1, 0, 0, "x", "2024-05-01 08:00:00"});
    for (const char* number : {"13900000001", "13800000002", "13900000003", "13800000002"})
        InsertNumber(1, QString::fromLatin1(number), QStringLiteral("n"));
    Page().QueryRecords(1000000003, QString(), -1);
    int replies = -1;
    SetModalRunner([&](QDialog& dialog) {
        if (auto* seek = qobject_cast<DlgSeekNum*>(&dialog)) {
            EXPECT_EQ(seek->SendId(), 1);
            Child<QLineEdit>(dialog, "1138")->setText(QStringLiteral("13800000002"));
            seek->OnSeek();
            return dialog.result();
        }
        if (auto* reply = qobject_cast<DlgRelevantReplySMS*>(&dialog))
            replies = reply->RowCount();
        return int(IDCANCEL);
    });
    Page().OnMenuCommand(10008);
    // The number is in rows 1 and 3: the first place is selected.
    EXPECT_EQ(Page().RecipientList()->currentIndex().row(), 1);
    EXPECT_TRUE(Page().RecipientList()->selectionModel()->isRowSelected(1, QModelIndex()));

    // The record's sub-number is 3: only the reply that carries it is listed.
    ASSERT_EQ(
        ExecSql(nullptr, g_pDB,
                "INSERT INTO receivedMSGRecord (receiveID,sendNum,msgContent,sendTime,send_receive_Num) "
                "VALUES (1,'13800000002','yes','2024-05-01 09:00:00',3),"
                "(2,'13800000002','other','2024-05-01 09:00:00',5)"),
        SQLITE_OK);
    Page().OnMenuCommand(10001);
    EXPECT_EQ(replies, 1);
}

// ---- memory ----------------------------------------------------------------------------------------

TEST_F(RecordViewPage, TheCacheStaysBoundedWhileALongListIsScrolledAndExported) {
    RecordGeneratorOptions options;
    options.smsSentOnly = true;
    options.received = 0;
    options.bigRecordNumbers = 10000;
    const GeneratedRecords generated = GenerateRecords(options, g_pDB, nullptr);
    ASSERT_TRUE(generated.ok);
    Page().resize(900, 600);
    Page().show();
    Page().QueryRecords(1000000003, QString(), -1);
    ASSERT_EQ(Page().RecordList()->ItemCount(), 10001);
    RowSource& rows = Page().Rows();
    const size_t bound = size_t(rows.CacheBound()) + RowSource::kWindowRows;
    QScrollBar* bar = Page().RecordList()->verticalScrollBar();
    size_t most = 0;
    for (int value = 0; value <= bar->maximum(); value += std::max(1, bar->maximum() / 40)) {
        bar->setValue(value);
        QApplication::processEvents();
        most = std::max(most, rows.CachedRows());
    }
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    // The last rows were painted, so they were read.
    EXPECT_TRUE(rows.IsCached(9999));
    most = std::max(most, rows.CachedRows());
    EXPECT_LE(most, bound);
    EXPECT_EQ(rows.OrderRows(), 10001u);

    // The big record lists last; its recipients scroll within the bound too.
    Page().RecordList()->setCurrentIndex(Page().RecordList()->model()->index(10000, 0));
    Page().ShowCurrentRecord();
    ASSERT_EQ(Page().CurrentSendId(), generated.bigSendID);
    ASSERT_EQ(Page().RecipientList()->ItemCount(), 10000);
    RowSource& recipients = Page().Recipients();
    QScrollBar* recipientBar = Page().RecipientList()->verticalScrollBar();
    for (int value = 0; value <= recipientBar->maximum();
         value += std::max(1, recipientBar->maximum() / 40)) {
        recipientBar->setValue(value);
        QApplication::processEvents();
        EXPECT_LE(recipients.CachedRows(), bound);
    }

    const QString path = m_folder->file(QStringLiteral("all.xlsx"));
    SetNextFileName(path);
    Page().OnExport();
    EXPECT_LE(rows.CachedRows(), bound);
    const auto sheets = ReadXlsx(path);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets.begin()->second.size(), 10002u);
}

} // namespace
