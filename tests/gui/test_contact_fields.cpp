// The field switcher and the column order dialog, driven as a user would.
#include "core/app_globals.h"
#include "core/sql.h"
#include "gui/contacts/add_field_dialog.h"
#include "gui/contacts/alter_field_order_dialog.h"
#include "platform/ini.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class ContactFields : public ContactsFixtureTest {
protected:
    void SetUp() override {
        ContactsFixtureTest::SetUp();
        m_savedAccountIni = g_strAccountIni;
        g_strAccountIni = m_folder->file(QStringLiteral("10001.ini"));
    }
    void TearDown() override {
        g_strAccountIni = m_savedAccountIni;
        ContactsFixtureTest::TearDown();
    }
    static QString AutoSend3() {
        return ini::ReadString(g_strAccountIni, QStringLiteral("DateMSG"), QStringLiteral("AutoSend3"),
                               QStringLiteral("-"));
    }
    static QString Column(int fieldId, const char* column) {
        SqlStatement st(g_pDB, std::string("SELECT ") + column + " FROM fieldDisplay WHERE fieldID=?");
        st.bind(1, fieldId);
        return st.step() == SQLITE_ROW ? st.qtext(0) : QStringLiteral("<none>");
    }
    static int RowOf(QTableWidget* list, int fieldId) {
        for (int row = 0; row < list->rowCount(); ++row)
            if (list->item(row, 0)->data(Qt::UserRole).toInt() == fieldId)
                return row;
        throw std::runtime_error("field not listed");
    }
    // Clicks the name cell, types, presses Enter.
    static void Rename(CDlgAddField& dialog, int fieldId, const QString& text) {
        QTableWidget* list = Child<QTableWidget>(dialog, "1014");
        emit list->cellClicked(RowOf(list, fieldId), 2);
        QLineEdit* edit = Child<QLineEdit>(dialog, "renameEdit");
        edit->clear();
        Type(edit, text);
        SendKey(edit, Qt::Key_Return);
        // The box goes away once control is back in the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static void Tick(CDlgAddField& dialog, int fieldId, bool on) {
        QTableWidget* list = Child<QTableWidget>(dialog, "1014");
        list->item(RowOf(list, fieldId), 0)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }

    MessageBoxRecorder m_boxes;
    QString m_savedAccountIni;
};

TEST_F(ContactFields, ListShowsTheSwitchableFields) {
    CDlgAddField dialog;
    QTableWidget* list = Child<QTableWidget>(dialog, "1014");
    EXPECT_EQ(list->rowCount(), 25); // 5..34 without 8, 14, 15, 17, 19
    const int hobby = RowOf(list, 21);
    EXPECT_EQ(list->item(hobby, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(hobby, 1)->text(), "文本");
    EXPECT_EQ(list->item(hobby, 2)->text(), "爱好");
    EXPECT_EQ(list->item(RowOf(list, 22), 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list->item(RowOf(list, 31), 1)->text(), "是/否");
    EXPECT_EQ(list->item(RowOf(list, 33), 1)->text(), "日期");
    EXPECT_TRUE(ShownTexts(dialog).contains("名称 (单击两次修改)"));
}

TEST_F(ContactFields, Field33SwitchesTheDateGreeting) {
    ini::WriteString(g_strAccountIni, QStringLiteral("DateMSG"), QStringLiteral("AutoSend3"),
                     QStringLiteral("1"));
    {
        CDlgAddField dialog;
        Tick(dialog, 33, true);
        Click(dialog, "1");
        ASSERT_EQ(dialog.result(), 1003);
    }
    EXPECT_EQ(Column(33, "isVisible"), "1");
    EXPECT_EQ(AutoSend3(), "1");
    {
        CDlgAddField dialog;
        Tick(dialog, 33, false);
        Click(dialog, "1");
        ASSERT_EQ(dialog.result(), 1003);
    }
    EXPECT_EQ(Column(33, "inUse"), "0");
    EXPECT_EQ(Column(33, "isVisible"), "0");
    EXPECT_EQ(AutoSend3(), "0");
    {
        ini::WriteString(g_strAccountIni, QStringLiteral("DateMSG"), QStringLiteral("AutoSend3"),
                         QStringLiteral("1"));
        CDlgAddField dialog;
        Tick(dialog, 33, true);
        Click(dialog, "1");
    }
    EXPECT_EQ(Column(33, "isVisible"), "1");
    EXPECT_EQ(AutoSend3(), "1");
    EXPECT_TRUE(m_boxes.texts().isEmpty());
}

TEST_F(ContactFields, RenameChecks) {
    const struct {
        const char* typed;
        const char* shown; // "" when the name is taken
        const char* name;  // the cell afterwards
    } cases[] = {
        {"城市", "字段名称已存在", "自定义文本3"},  {"EMail", "字段名称已存在", "自定义文本3"},
        {"   ", "字段名称不能为空", "自定义文本3"}, {"爱好", "字段名称不能重复", "自定义文本3"},
        {"  O'Brien \"q\" ", "", "O'Brien \"q\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        m_boxes.clear();
        CDlgAddField dialog;
        Rename(dialog, 23, QString::fromUtf8(c.typed));
        const QStringList shown = m_boxes.texts();
        if (*c.shown)
            EXPECT_EQ(shown, QStringList{QString::fromUtf8(c.shown)});
        else
            EXPECT_TRUE(shown.isEmpty()) << shown.join('|').toStdString();
        QTableWidget* list = Child<QTableWidget>(dialog, "1014");
        EXPECT_EQ(list->item(RowOf(list, 23), 2)->text(), QString::fromUtf8(c.name));
        EXPECT_EQ(dialog.findChild<QLineEdit*>("renameEdit"), nullptr);
    }

    // The accepted name is stored as typed (trimmed), quotes and all.
    CDlgAddField dialog;
    Rename(dialog, 23, QStringLiteral("O'Brien \"q\""));
    Tick(dialog, 23, true);
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(Column(23, "name"), "O'Brien \"q\"");
    EXPECT_EQ(Column(23, "inUse"), "1");
}

TEST_F(ContactFields, EscDropsTheEditAndCancelStoresNothing) {
    CDlgAddField dialog;
    QTableWidget* list = Child<QTableWidget>(dialog, "1014");
    emit list->cellClicked(RowOf(list, 21), 2);
    QLineEdit* edit = Child<QLineEdit>(dialog, "renameEdit");
    Type(edit, QStringLiteral("x"));
    SendKey(edit, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("renameEdit"), nullptr);
    EXPECT_EQ(dialog.result(), kStayedOpen);
    EXPECT_EQ(list->item(RowOf(list, 21), 2)->text(), "爱好");

    Tick(dialog, 21, false);
    Click(dialog, "2");
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_EQ(Column(21, "inUse"), "1");
}

TEST_F(ContactFields, FailedSaveStaysOpenAndWritesNoGreetingSwitch) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER fail_field BEFORE UPDATE ON fieldDisplay WHEN NEW.name='FAIL'"
                      " BEGIN SELECT RAISE(ABORT, 'x'); END"),
              SQLITE_OK);
    CDlgAddField dialog;
    Tick(dialog, 33, false);
    Rename(dialog, 34, QStringLiteral("FAIL"));
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), kStayedOpen);
    EXPECT_EQ(m_boxes.texts(), QStringList{"保存字段设置失败"});
    EXPECT_EQ(AutoSend3(), "-");
    EXPECT_EQ(Column(34, "name"), "自定义日期2");

    // Fixed, the same dialog saves.
    m_boxes.clear();
    Rename(dialog, 34, QStringLiteral("纪念日"));
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(Column(34, "name"), "纪念日");
    EXPECT_EQ(AutoSend3(), "0");
}

// ---------------------------------------------------------------- column order

QStringList Names(QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

bool Enabled(QWidget& dialog, const char* id) {
    return Child<QPushButton>(dialog, id)->isEnabled();
}

TEST_F(ContactFields, HideAllKeepsNameAndMobile) {
    CDlgAlterFieldOrder dialog;
    QListWidget* visible = Child<QListWidget>(dialog, "1014");
    QListWidget* hidden = Child<QListWidget>(dialog, "1015");
    EXPECT_EQ(visible->count(), 22); // the twenty fixed fields, 爱好 and 会员
    EXPECT_EQ(hidden->count(), 0);
    EXPECT_FALSE(Enabled(dialog, "31013"));
    EXPECT_FALSE(Enabled(dialog, "1010"));

    Click(dialog, "21012");
    EXPECT_EQ(Names(visible), (QStringList{"姓名", "手机或小灵通"}));
    EXPECT_EQ(hidden->count(), 20);
    EXPECT_FALSE(Enabled(dialog, "21011"));
    EXPECT_FALSE(Enabled(dialog, "21012"));
    EXPECT_TRUE(Enabled(dialog, "1010"));

    // The two can never be hidden, one at a time either.
    visible->setCurrentRow(1);
    EXPECT_FALSE(Enabled(dialog, "21011"));
    dialog.OnHideOne();
    EXPECT_EQ(visible->count(), 2);

    hidden->setCurrentRow(hidden->count() - 1); // 会员
    EXPECT_TRUE(Enabled(dialog, "31013"));
    Click(dialog, "31013");
    EXPECT_EQ(Names(visible).last(), "会员");
    EXPECT_TRUE(Enabled(dialog, "21012"));
    Click(dialog, "1010");
    EXPECT_EQ(hidden->count(), 0);
    EXPECT_EQ(visible->count(), 22);
}

TEST_F(ContactFields, SavedOrderIsTheListOrder) {
    CDlgAlterFieldOrder dialog;
    QListWidget* visible = Child<QListWidget>(dialog, "1014");
    // Up and down keep the field selected and stop at the ends.
    visible->setCurrentRow(0);
    EXPECT_FALSE(Enabled(dialog, "1003"));
    Click(dialog, "21004");
    Click(dialog, "21004");
    EXPECT_EQ(visible->currentRow(), 2);
    EXPECT_EQ(visible->item(2)->text(), "姓名");
    Click(dialog, "1003");
    EXPECT_EQ(visible->item(1)->text(), "姓名");
    visible->setCurrentRow(visible->count() - 1);
    EXPECT_FALSE(Enabled(dialog, "21004"));
    Click(dialog, "21011"); // hide the last one
    const QStringList order = Names(visible);
    Click(dialog, "1");
    ASSERT_EQ(dialog.result(), 1003);

    SqlStatement st(
        g_pDB, "SELECT name,indexField FROM fieldDisplay WHERE inUse=1 AND isVisible=1 ORDER BY indexField");
    QStringList stored;
    int index = 0;
    while (st.step() == SQLITE_ROW) {
        stored << st.qtext(0);
        EXPECT_EQ(st.int64(1), index++);
    }
    EXPECT_EQ(stored, order);
    EXPECT_EQ(Column(31, "isVisible"), "0");
}

TEST_F(ContactFields, FailedOrderSaveStaysOpen) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER fail_order BEFORE UPDATE ON fieldDisplay WHEN NEW.isVisible=0"
                      " BEGIN SELECT RAISE(ABORT, 'x'); END"),
              SQLITE_OK);
    CDlgAlterFieldOrder dialog;
    QListWidget* visible = Child<QListWidget>(dialog, "1014");
    visible->setCurrentRow(0);
    Click(dialog, "21004");
    Click(dialog, "21012");
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), kStayedOpen);
    EXPECT_EQ(m_boxes.texts(), QStringList{"保存字段设置失败"});
    EXPECT_EQ(Column(1, "indexField"), "0");
    EXPECT_EQ(Column(6, "isVisible"), "1");
}

// ---------------------------------------------------------------- screenshots

class ContactFieldsScreenshots : public ContactFields {};

TEST_F(ContactFieldsScreenshots, AddField) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    CDlgAddField dialog;
    dialog.resize(dialog.sizeHint().expandedTo(QSize(420, 440)));
    dialog.show();
    ASSERT_TRUE(dialog.grab().save(QDir(dir).filePath(QStringLiteral("contact-fields.png"))));
    CDlgAlterFieldOrder order;
    order.show();
    ASSERT_TRUE(order.grab().save(QDir(dir).filePath(QStringLiteral("contact-field-order.png"))));
}

} // namespace
