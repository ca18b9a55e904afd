// The record views' search dialogs driven as a user would: the number
// search, the replies of a send with their export, and the advanced query in
// each of its modes, including the contact picker that opens it.
#include "core/app_globals.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/contacts/address_list_dialog.h"
#include "gui/sms/relevant_reply_dialog.h"
#include "gui/sms/seek_num_dialog.h"
#include "gui/sms/senior_query_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/virtual_list_ctrl.h"
#include "platform/ini.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/xlsx_reader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

// An operator who holds every right, the masking right (16) included.
QStringList MaskedOperator() {
    QStringList rights(21, QStringLiteral("1"));
    rights[0] = QStringLiteral("OP");
    return rights;
}

class RecordSearchDialogs : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
    }
    void TearDown() override {
        SetNextFileName(std::nullopt);
        g_pLoginRights.reset();
        ProgramFolderTest::TearDown();
    }
    void Exec(const char* sql) { ASSERT_EQ(ExecSql(nullptr, g_pDB, sql), SQLITE_OK) << sql; }
    MessageBoxRecorder m_boxes;
};

TEST_F(RecordSearchDialogs, SeekLocatesTheFirstOccurrenceAndEndsWithItsPlace) {
    Exec("INSERT INTO sendNums (sendID, numOrMailAddr, name) VALUES (9, '13812345678', '甲'),"
         "(3, '13812345678', '外'), (9, '13800000000', '乙'), (9, '13812345678', '丙')");
    struct Case {
        bool masked;
        bool locate;
        const char* shown;
        int result;
        int position;
    } cases[] = {
        {false, true, "13812345678", 1003, 1},
        {true, true, "138****5678", 1003, 1},
        {false, false, "13812345678", kStayedOpen, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        g_pLoginRights = std::make_unique<QStringList>(c.masked ? MaskedOperator() : QStringList{"AD"});
        DlgSeekNum dialog(9);
        Child<QCheckBox>(dialog, "1006")->setChecked(c.locate);
        Child<QLineEdit>(dialog, "1138")->setText(QStringLiteral("13812345678"));
        Click(dialog, "1137");
        EXPECT_EQ(Child<QLineEdit>(dialog, "1140")->text(), "甲");
        EXPECT_EQ(Child<QLineEdit>(dialog, "1139")->text(), c.shown);
        EXPECT_EQ(dialog.result(), c.result);
        EXPECT_EQ(dialog.FoundPosition(), c.position);
    }
    EXPECT_TRUE(m_boxes.texts().isEmpty());

    // By name: the place in the list, not the first row of the table.
    DlgSeekNum byName(9);
    Child<QComboBox>(byName, "21040")->setCurrentIndex(1);
    Child<QLineEdit>(byName, "1138")->setText(QStringLiteral("丙"));
    Click(byName, "1137");
    EXPECT_EQ(byName.result(), 1003);
    EXPECT_EQ(byName.FoundPosition(), 3);
}

TEST_F(RecordSearchDialogs, SeekSaysWhatIsMissing) {
    Exec("INSERT INTO sendNums (sendID, numOrMailAddr, name) VALUES (9, '13812345678', '甲')");
    DlgSeekNum dialog(9);
    Click(dialog, "1137");
    Child<QComboBox>(dialog, "21040")->setCurrentIndex(1);
    Click(dialog, "1137");
    Child<QLineEdit>(dialog, "1138")->setText(QStringLiteral("甲"));
    Click(dialog, "1137");
    dialog.setResult(kStayedOpen);
    Child<QCheckBox>(dialog, "1006")->setChecked(false);
    Click(dialog, "1137");
    ASSERT_EQ(Child<QLineEdit>(dialog, "1140")->text(), "甲");
    // A miss empties the earlier result.
    Child<QLineEdit>(dialog, "1138")->setText(QStringLiteral("甲' OR '1'='1"));
    Click(dialog, "1137");
    EXPECT_EQ(Child<QLineEdit>(dialog, "1140")->text(), "");
    EXPECT_EQ(Child<QLineEdit>(dialog, "1139")->text(), "");
    Child<QComboBox>(dialog, "21040")->setCurrentIndex(0);
    Child<QLineEdit>(dialog, "1138")->setText(QStringLiteral("13800000000"));
    Click(dialog, "1137");
    EXPECT_EQ(m_boxes.texts(), (QStringList{"请添加要查询的手机号码!", "请添加要查询的姓名!", "查询的姓名不存在!",
                                            "查询的号码不存在!"}));
    // Enter does not end it.
    dialog.accept();
    EXPECT_EQ(dialog.result(), kStayedOpen);
}

TEST_F(RecordSearchDialogs, RepliesListMasksAndAnEmptyExportIsAHeaderRow) {
    Exec("INSERT INTO ContactList (name, mobileNum, coName, groupID, perNO, isDeleted) VALUES "
         "('张三', '13912345678', '甲公司', 1, 1, 0);"
         "INSERT INTO receivedMSGRecord (receiveID, sendNum, msgContent, sendTime, alreadyRead, send_receive_Num) "
         "VALUES (11, '13912345678', 'ok', '2024-05-01 10:00:00', 1, 4), (12, '12345', 'no', "
         "'2024-05-02 10:00:00', NULL, 4), (13, '13900000000', 'other', '2024-05-03 10:00:00', 0, 5)");
    g_pLoginRights = std::make_unique<QStringList>(MaskedOperator());
    {
        DlgRelevantReplySMS dialog(QStringLiteral("4"));
        ASSERT_EQ(dialog.RowCount(), 2);
        EXPECT_EQ(dialog.CellText(0, 2), "123**");
        EXPECT_EQ(dialog.CellText(1, 2), "139****5678");
        EXPECT_EQ(dialog.CellText(1, 1), "张三");
        EXPECT_EQ(dialog.CellText(1, 4), "甲公司");
        EXPECT_EQ(dialog.CellChecked(0, 0), false);
        EXPECT_EQ(dialog.CellChecked(1, 0), true);
        EXPECT_EQ(dialog.ReceiveId(1), 11);

        SetNextFileName(m_folder->file("replies.xls"));
        Click(dialog, "1003");
        EXPECT_EQ(LastProposedFileName(), "相应的回复记录");
        const auto sheets = ReadXlsx(m_folder->file("replies.xlsx"));
        ASSERT_EQ(sheets.count(QStringLiteral("相应的回复记录")), 1u);
        const std::vector<QStringList>& rows = sheets.at(QStringLiteral("相应的回复记录"));
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0].size(), 22);
        EXPECT_EQ(rows[0].first(), "姓名");
        EXPECT_EQ(rows[0].last(), "备注");
        EXPECT_EQ(rows[2].mid(0, 4), (QStringList{"张三", "139****5678", "ok", "甲公司"}));
    }
    g_pLoginRights = std::make_unique<QStringList>(QStringList{"AD"});
    DlgRelevantReplySMS empty(QStringLiteral("77"));
    EXPECT_EQ(empty.RowCount(), 0);
    SetNextFileName(m_folder->file("none.xlsx"));
    Click(empty, "1003");
    const auto sheets = ReadXlsx(m_folder->file("none.xlsx"));
    ASSERT_EQ(sheets.count(QStringLiteral("相应的回复记录")), 1u);
    const std::vector<QStringList>& rows = sheets.at(QStringLiteral("相应的回复记录"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].size(), 22);

    // A file that cannot be written is not reported as exported.
    SetNextFileName(m_folder->file("no/such/folder/x.xlsx"));
    Click(empty, "1003");
    EXPECT_EQ(m_boxes.texts(), (QStringList{"导出记录成功", "导出记录成功", "导出记录失败"}));
}

// ---- advanced query ----------------------------------------------------------

class SeniorQueryDialog : public RecordSearchDialogs {
protected:
    void Open(void (CDlgSeniorQuery::*mode)(bool), const QStringList& fields) {
        m_dialog = std::make_unique<CDlgSeniorQuery>();
        if (mode)
            (m_dialog.get()->*mode)(true);
        m_dialog->SetFields(&fields, nullptr);
        m_dialog->OnInitDialog();
        Listen();
    }
    void Listen() {
        QObject::connect(m_dialog.get(), &CDlgSeniorQuery::ConditionChosen,
                         [this](const QString& c) { m_chosen << c; });
    }
    void Add(int field, const char* op, const QString& value, bool orJoin = false) {
        Child<QComboBox>(*m_dialog, "1042")->setCurrentIndex(field);
        auto* ops = Child<QComboBox>(*m_dialog, "21040");
        ops->setCurrentIndex(ops->findText(QString::fromUtf8(op)));
        if (Child<QDateEdit>(*m_dialog, "21008")->isVisibleTo(m_dialog.get()))
            Child<QDateEdit>(*m_dialog, "21008")->setDate(QDate::fromString(value, QStringLiteral("yyyy-MM-dd")));
        else
            Child<QLineEdit>(*m_dialog, "1014")->setText(value);
        Child<QRadioButton>(*m_dialog, orJoin ? "1028" : "1027")->setChecked(true);
        Click(*m_dialog, "21013");
    }
    QStringList Row(int row) {
        auto* list = Child<QTableWidget>(*m_dialog, "1015");
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << (list->item(row, c) ? list->item(row, c)->text() : QString());
        return cells;
    }
    std::unique_ptr<CDlgSeniorQuery> m_dialog;
    QStringList m_chosen;
};

const QStringList kSentFields{"短信内容", "发送时间", "定时发送时间", "条数", "姓名", "手机"};
const QStringList kReceivedFields{"姓名", "手机", "短信内容", "公司名称", "发送时间"};

TEST_F(SeniorQueryDialog, ModesDecideTheSuffixTheDayMatchAndTheSaveButton) {
    struct Case {
        void (CDlgSeniorQuery::*mode)(bool);
        const QStringList* fields;
        int field;
        const char* op;
        const char* value;
        bool saveShown;
        const char* filter;
    } cases[] = {
        {nullptr, &kSentFields, 0, "包含", "促销", false, " AND content like '%促销%'  AND isDraft=0 AND isFail=0"},
        {&CDlgSeniorQuery::SetSurveyMode, &kSentFields, 0, "包含", "促销", false, " AND content like '%促销%'"},
        {&CDlgSeniorQuery::SetReceivedMode, &kReceivedFields, 4, "等于", "2024-05-01", true,
         " AND a.sendTime like '2024-05-01%'"},
        {&CDlgSeniorQuery::SetReceivedMode, &kReceivedFields, 2, "等于", "It's", true,
         " AND a.msgContent = 'It''s'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        m_chosen.clear();
        Open(c.mode, *c.fields);
        EXPECT_EQ(Child<QPushButton>(*m_dialog, "1171")->isVisibleTo(m_dialog.get()), c.saveShown);
        Add(c.field, c.op, QString::fromUtf8(c.value));
        Click(*m_dialog, "31013");
        EXPECT_EQ(m_dialog->result(), 1003);
        EXPECT_EQ(m_chosen, QStringList{QString::fromUtf8(c.filter)});
        EXPECT_EQ(m_dialog->Result(), QString::fromUtf8(c.filter));
    }
    EXPECT_TRUE(m_boxes.texts().isEmpty());
}

TEST_F(SeniorQueryDialog, FirstRowShowsNoRelationAlsoAfterItsPredecessorIsDeleted) {
    Open(&CDlgSeniorQuery::SetReceivedMode, kReceivedFields);
    // A time field takes its value from the date picker.
    Child<QComboBox>(*m_dialog, "1042")->setCurrentIndex(4);
    EXPECT_TRUE(Child<QDateEdit>(*m_dialog, "21008")->isVisibleTo(m_dialog.get()));
    EXPECT_FALSE(Child<QLineEdit>(*m_dialog, "1014")->isVisibleTo(m_dialog.get()));
    Child<QComboBox>(*m_dialog, "1042")->setCurrentIndex(2);
    EXPECT_FALSE(Child<QDateEdit>(*m_dialog, "21008")->isVisibleTo(m_dialog.get()));

    Add(2, "包含", "a", true);
    Add(2, "包含", "b", true);
    Add(1, "等于", "139", false);
    EXPECT_EQ(Row(0), (QStringList{"", "短信内容", "包含", "a"}));
    EXPECT_EQ(Row(1)[0], "或者");
    EXPECT_EQ(Row(2)[0], "并且");

    auto* list = Child<QTableWidget>(*m_dialog, "1015");
    list->selectRow(0);
    m_boxes.queueAnswer(IDYES);
    Click(*m_dialog, "21011");
    EXPECT_EQ(m_boxes.texts(), QStringList{"1条记录已选中,确定删除?"});
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(Row(0), (QStringList{"", "短信内容", "包含", "b"}));
    EXPECT_EQ(m_dialog->Filter(), " AND a.msgContent like '%b%' AND a.sendNum = '139'");

    // No on the question keeps the rows.
    list->selectRow(1);
    m_boxes.queueAnswer(IDNO);
    Click(*m_dialog, "21011");
    EXPECT_EQ(list->rowCount(), 2);
    Click(*m_dialog, "21012");
    EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(SeniorQueryDialog, RefusalsLeaveTheListAsItWas) {
    Open(nullptr, kSentFields);
    Click(*m_dialog, "21013"); // nothing chosen
    Child<QComboBox>(*m_dialog, "1042")->setCurrentIndex(0);
    Child<QComboBox>(*m_dialog, "21040")->setCurrentIndex(0);
    Click(*m_dialog, "21013"); // no value
    Click(*m_dialog, "21011"); // nothing selected
    Click(*m_dialog, "31013"); // empty list
    EXPECT_EQ(m_boxes.texts(), (QStringList{"查询字段和条件及内容都不能为空", "查询内容不能为空", "请选择要删除的记录",
                                            "条件列表不能为空"}));
    EXPECT_EQ(m_dialog->ConditionCount(), 0);
    EXPECT_EQ(m_dialog->result(), kStayedOpen);
    EXPECT_TRUE(m_chosen.isEmpty());
}

TEST_F(SeniorQueryDialog, SaveWritesTheReceivedConditionWhole) {
    const QString previousIni = g_strAccountIni;
    g_strAccountIni = m_folder->file("account.ini");
    Open(&CDlgSeniorQuery::SetReceivedMode, kReceivedFields);
    Click(*m_dialog, "1171");
    EXPECT_EQ(m_boxes.texts(), QStringList{"条件列表不能为空"});
    // Long enough that a cut value would break the statement.
    const QString longText(120, QLatin1Char('x'));
    Add(2, "包含", longText);
    Add(0, "等于", QStringLiteral("O'Neil"), true);
    Click(*m_dialog, "1171");
    const QString saved = ini::ReadString(g_strAccountIni, QStringLiteral("ReceiveMsg"), QStringLiteral("Sql"));
    // The settings file keeps no leading blank.
    EXPECT_EQ(saved, m_dialog->Filter().trimmed());
    EXPECT_GT(saved.size(), 150);
    EXPECT_EQ(m_boxes.texts().last(), "保存成功");
    EXPECT_EQ(m_dialog->result(), 1003);
    EXPECT_TRUE(m_chosen.isEmpty());
    // The saved condition runs.
    SqlStatement st(g_pDB, ("SELECT COUNT(*) FROM receivedMSGRecord a WHERE 1=1 " + saved).toStdString());
    EXPECT_EQ(st.step(), SQLITE_ROW);
    g_strAccountIni = previousIni;
}

class SeniorQueryPicker : public ContactsFixtureTest {
protected:
    void TearDown() override {
        SetModalRunner({});
        g_pLoginRights.reset();
        ContactsFixtureTest::TearDown();
    }
    MessageBoxRecorder m_boxes;
};

// The contact picker opens the real dialog; its condition narrows the list.
TEST_F(SeniorQueryPicker, ContactConditionFiltersThePicker) {
    g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
    CDlgAddressList picker;
    picker.OnInitDialog();
    ASSERT_EQ(picker.List()->ItemCount(), 10);
    QStringList offered;
    SetModalRunner([&offered](QDialog& dialog) {
        auto* query = qobject_cast<CDlgSeniorQuery*>(&dialog);
        if (!query)
            return int(IDCANCEL);
        query->OnInitDialog();
        auto* fields = Child<QComboBox>(dialog, "1042");
        for (int i = 0; i < fields->count(); ++i)
            offered << fields->itemText(i);
        fields->setCurrentIndex(fields->findText(QStringLiteral("姓名")));
        auto* ops = Child<QComboBox>(dialog, "21040");
        ops->setCurrentIndex(ops->findText(QStringLiteral("等于")));
        Child<QLineEdit>(dialog, "1014")->setText(QStringLiteral("李四"));
        Click(dialog, "21013");
        Click(dialog, "31013");
        return dialog.result();
    });
    Click(picker, "1182");
    EXPECT_TRUE(offered.contains(QStringLiteral("姓名")));
    EXPECT_EQ(picker.List()->ItemCount(), 3); // 李四 in three groups
    EXPECT_TRUE(m_boxes.texts().isEmpty());
}

} // namespace

namespace {

TEST_F(RecordSearchDialogs, FormsSpeakEnglish) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    {
        DlgSeekNum seek(1);
        DlgRelevantReplySMS replies(QStringLiteral("1"));
        // The received mode's own fields, in English; the time still takes
        // the date picker.
        CDlgSeniorQuery query;
        query.SetReceivedMode(true);
        query.OnInitDialog();
        ASSERT_EQ(Child<QComboBox>(query, "1042")->count(), 5);
        Child<QComboBox>(query, "1042")->setCurrentIndex(4);
        EXPECT_EQ(Child<QComboBox>(query, "1042")->currentText(), "Send time");
        EXPECT_TRUE(Child<QDateEdit>(query, "21008")->isVisibleTo(&query));
        Child<QComboBox>(query, "1042")->setCurrentIndex(2);
        Child<QComboBox>(query, "21040")->setCurrentIndex(3);
        Child<QLineEdit>(query, "1014")->setText(QStringLiteral("x"));
        Click(query, "21013");
        Child<QRadioButton>(query, "1028")->setChecked(true);
        Click(query, "21013");
        EXPECT_EQ(seek.windowTitle(), "Query");
        EXPECT_EQ(replies.windowTitle(), "The corresponding reply");
        EXPECT_EQ(query.windowTitle(), "Advanced query");
        for (QDialog* dialog : std::initializer_list<QDialog*>{&seek, &replies, &query})
            for (const QString& shown : ShownTexts(*dialog))
                EXPECT_FALSE(HasChinese(shown)) << shown.toStdString();
        auto* list = Child<QTableWidget>(query, "1015");
        for (int r = 0; r < list->rowCount(); ++r)
            for (int c = 0; c < list->columnCount(); ++c)
                EXPECT_FALSE(HasChinese(list->item(r, c)->text())) << list->item(r, c)->text().toStdString();
    }
    SetUiLanguage(kLangChinese);
}

} // namespace
