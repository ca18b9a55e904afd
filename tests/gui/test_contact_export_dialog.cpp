// The group export dialog driven as a user would: ticking groups, answering
// the file question, waiting for the worker while the window goes on.
#include "contacts/contact_export.h"
#include "core/string_table.h"
#include "gui/contacts/export_group_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "platform/encoding.h"
#include "tests/support/contact_generator.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/test_helpers.h"
#include "tests/support/xlsx_reader.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>

namespace {

class ContactExportDialog : public ContactsFixtureTest {
protected:
    void TearDown() override {
        SetNextFileName(std::nullopt);
        ContactsFixtureTest::TearDown();
    }
    static QTreeWidget* Tree(CDlgExportGroup& dialog) { return Child<QTreeWidget>(dialog, "1013"); }
    static void Tick(CDlgExportGroup& dialog, std::initializer_list<qint64> groups) {
        for (qint64 group : groups) {
            QTreeWidgetItem* item = FindTreeItemByData(Tree(dialog), nullptr, group);
            ASSERT_NE(item, nullptr) << group;
            item->setCheckState(0, Qt::Checked);
        }
    }
    static bool WaitForEnd(CDlgExportGroup& dialog) {
        return WaitUntil([&] { return !dialog.exporting(); }, std::chrono::milliseconds(TimeBoundMs(60000)));
    }
    static QByteArray Bytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    MessageBoxRecorder m_boxes;
};

// "name#data[children]" of the tree, each item ticked "+" or not "-".
QString Describe(const QTreeWidgetItem* item) {
    QStringList children;
    for (int i = 0; i < item->childCount(); ++i) {
        const QTreeWidgetItem* child = item->child(i);
        QString text = child->text(0) + QLatin1Char('#') + QString::number(TreeItemData(child)) +
                       (child->checkState(0) == Qt::Checked ? QLatin1Char('+') : QLatin1Char('-'));
        if (child->childCount() > 0)
            text += QLatin1Char('[') + Describe(child) + QLatin1Char(']');
        children << text;
    }
    return children.join(QLatin1Char(','));
}

TEST_F(ContactExportDialog, GroupsUntickedAndExpanded) {
    CDlgExportGroup dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("选择组"));
    // E's parent does not exist, so E is not offered.
    EXPECT_EQ(Describe(Tree(dialog)->invisibleRootItem()), QStringLiteral("A#1-[B#2-[C#3-]],D#4-"));
    for (QTreeWidgetItemIterator it(Tree(dialog)); *it; ++it) {
        EXPECT_TRUE((*it)->flags() & Qt::ItemIsUserCheckable);
        EXPECT_TRUE((*it)->childCount() == 0 || (*it)->isExpanded());
    }
    EXPECT_FALSE(Child<QProgressBar>(dialog, "1094")->isVisible());
    EXPECT_EQ(Child<QCheckBox>(dialog, "1006")->text(), QStringLiteral("xls格式"));
}

TEST_F(ContactExportDialog, TickedGroupToCsv) {
    CDlgExportGroup dialog;
    dialog.show();
    Tick(dialog, {2});
    const QString path = m_folder->file(QStringLiteral("b.csv"));
    SetNextFileName(path);
    Click(dialog, "1");
    EXPECT_TRUE(dialog.exporting());
    EXPECT_FALSE(Child<QPushButton>(dialog, "1")->isVisible());
    EXPECT_FALSE(Child<QPushButton>(dialog, "2")->isVisible());
    EXPECT_TRUE(Child<QProgressBar>(dialog, "1094")->isVisible());
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(162)});
    EXPECT_EQ(LastProposedFileName(), QStringLiteral("联系人信息表"));

    // Group B holds one row of 张三; the fields in use are the twenty fixed
    // ones, 爱好 and 会员.
    QStringList header;
    for (const ExportField& f : ReadExportFields())
        header << f.name;
    QStringList row{"张三", "男", "13800000001"};
    for (int i = 0; i < 18; ++i)
        row << QString();
    row << QStringLiteral("是");
    ASSERT_EQ(header.size(), row.size());
    EXPECT_EQ(Bytes(path),
              QByteArray::fromStdString(enc::ToGbk(header.join(',') + "\r\n" + row.join(',') + "\r\n")));
}

TEST_F(ContactExportDialog, CancelledFileChoiceThenOkExportsAllOnce) {
    CDlgExportGroup dialog;
    dialog.show();
    Child<QCheckBox>(dialog, "1006")->setChecked(true);
    SetNextFileName(QString());
    Click(dialog, "1");
    EXPECT_FALSE(dialog.exporting());
    EXPECT_EQ(dialog.result(), kStayedOpen);
    EXPECT_TRUE(Child<QPushButton>(dialog, "1")->isVisible());
    EXPECT_TRUE(m_boxes.texts().isEmpty());

    // Nothing ticked: every contact, once. ".xls" is written as ".xlsx".
    SetNextFileName(m_folder->file(QStringLiteral("all.xls")));
    Click(dialog, "1");
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(162)});
    EXPECT_FALSE(QFile::exists(m_folder->file(QStringLiteral("all.xls"))));
    auto sheets = ReadXlsx(m_folder->file(QStringLiteral("all.xlsx")));
    ASSERT_EQ(sheets.size(), 1u);
    const std::vector<QStringList>& rows = sheets[QStringLiteral("Sheet1")];
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows[1].mid(0, 3), (QStringList{"张三", "男", "13800000001"}));
    EXPECT_EQ(rows[10].mid(0, 3), (QStringList{"戊", "", "13900000005"}));
}

TEST_F(ContactExportDialog, AnExistingWorkbookIsReplacedOnlyWhenTheUserSaysSo) {
    struct Case {
        int answer;
        QStringList boxes;
        bool replaced;
    };
    const Case cases[] = {
        {IDNO, {LoadStr(195), LoadStr(194)}, false},
        {IDYES, {LoadStr(195), LoadStr(162)}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        m_boxes.clear();
        m_folder->writeFile(QStringLiteral("book.xlsx"), "earlier export");
        CDlgExportGroup dialog;
        dialog.show();
        Child<QCheckBox>(dialog, "1006")->setChecked(true);
        m_boxes.queueAnswer(c.answer);
        SetNextFileName(m_folder->file(QStringLiteral("book.xls")));
        Click(dialog, "1");
        ASSERT_TRUE(WaitForEnd(dialog));
        EXPECT_EQ(dialog.result(), 1003);
        EXPECT_EQ(m_boxes.texts(), c.boxes);
        EXPECT_EQ(Bytes(m_folder->file(QStringLiteral("book.xlsx"))) != "earlier export", c.replaced);
    }
}

TEST_F(ContactExportDialog, TheWindowGoesOnWhileTheRowsAreWritten) {
    GenerateContacts(200000, 4);
    const QString path = m_folder->file(QStringLiteral("big.csv"));
    CDlgExportGroup dialog;
    dialog.show();
    SetNextFileName(path);
    Click(dialog, "1");
    auto* progress = Child<QProgressBar>(dialog, "1094");
    // The bar moves on the GUI thread while the worker still writes.
    EXPECT_TRUE(WaitUntil([&] { return dialog.exporting() && progress->value() > 0; },
                          std::chrono::milliseconds(TimeBoundMs(30000))));
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(162)});
    EXPECT_EQ(progress->maximum(), 200010 - 1);
    EXPECT_EQ(progress->value(), progress->maximum());
}

TEST_F(ContactExportDialog, ClosingDuringTheExportStopsIt) {
    GenerateContacts(50000, 4);
    const QString path = m_folder->file(QStringLiteral("old.csv"));
    m_folder->writeFile(QStringLiteral("old.csv"), "earlier export");
    CDlgExportGroup dialog;
    dialog.show();
    SetNextFileName(path);
    Click(dialog, "1");
    ASSERT_TRUE(dialog.exporting());
    dialog.reject();
    EXPECT_TRUE(dialog.isVisible()) << "the dialog waits for the worker";
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_EQ(dialog.result(), 1003);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(194)});
    EXPECT_EQ(Bytes(path), "earlier export");
    EXPECT_FALSE(QFile::exists(path + ".tmp"));
}

class ContactExportDialogScreenshots : public ContactExportDialog {};

TEST_F(ContactExportDialogScreenshots, TwoGroupsTicked) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    CDlgExportGroup dialog;
    dialog.show();
    Tick(dialog, {2, 4});
    Child<QCheckBox>(dialog, "1006")->setChecked(true);
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialog.grab().save(QDir(dir).filePath(QStringLiteral("export-group.png"))));
}

} // namespace
