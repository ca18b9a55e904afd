#include "contacts/address_list.h"
#include "contacts/xlsx_writer.h"

#include "core/helpers.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/xlsx_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

TEST(AddressListExportWriter, TextRowsOnSeveralSheets) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    const std::vector<QStringList> first = {
        {"所属分组", "姓名", "手机号码"},
        {"同事", "O'Brien", "0012"},
        {"", "<&>\"", "13800000001"},
        {"家人", "", "1e5"},
    };
    const std::vector<QStringList> second = {{"=1+1"}, {"  lead and trail  ", "😀"}};
    {
        XlsxWriter writer(path);
        ASSERT_TRUE(writer.AddSheet(QStringLiteral("addList")));
        for (const QStringList& row : first)
            ASSERT_TRUE(writer.AddRow(row));
        ASSERT_TRUE(writer.AddSheet(QStringLiteral("第二页")));
        for (const QStringList& row : second)
            ASSERT_TRUE(writer.AddRow(row));
        ASSERT_TRUE(writer.Close()) << writer.ErrorText().toStdString();
    }
    auto sheets = ReadXlsx(path);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets["addList"], first);
    EXPECT_EQ(sheets[QStringLiteral("第二页")], second);
}

TEST(AddressListExportWriter, FailuresAreReported) {
    QTemporaryDir dir;
    // A folder that does not exist, and a name taken by a folder.
    const QString folder = dir.filePath(QStringLiteral("taken.xlsx"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& path : {dir.filePath(QStringLiteral("missing/book.xlsx")), folder}) {
        SCOPED_TRACE(path.toStdString());
        XlsxWriter writer(path);
        writer.AddRow({QStringLiteral("a")});
        EXPECT_FALSE(writer.Close());
        EXPECT_FALSE(writer.ErrorText().isEmpty());
        EXPECT_FALSE(QFileInfo(path).isFile());
    }

    // A refused sheet name makes the whole file a failure, and no file is left.
    const QString path = dir.filePath(QStringLiteral("bad.xlsx"));
    XlsxWriter writer(path);
    EXPECT_FALSE(writer.AddSheet(QStringLiteral("a/b")));
    EXPECT_FALSE(writer.AddSheet(QString()));
    writer.AddRow({QStringLiteral("a")});
    EXPECT_FALSE(writer.Close());
    EXPECT_FALSE(QFile::exists(path));
}

TEST(AddressListExportWriter, XlsxFileNames) {
    EXPECT_EQ(XlsxFileName("/a/list.xls"), "/a/list.xlsx");
    EXPECT_EQ(XlsxFileName("/a/list.XLS"), "/a/list.XLSx");
    EXPECT_EQ(XlsxFileName("/a/list.xlsx"), "/a/list.xlsx");
    EXPECT_EQ(XlsxFileName("/a/list"), "/a/list.xlsx");
}

class AddressListExport : public ContactsFixtureTest {
protected:
    void TearDown() override {
        g_pLoginRights.reset();
        ContactsFixtureTest::TearDown();
    }
};

TEST_F(AddressListExport, EveryRowAsTheListShowsIt) {
    // Enough rows that a list would never have loaded them all: 3,000 more in group 4.
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<3000)"
                      " INSERT INTO ContactList (name, mobileNum, groupID, perNO, displayIndex)"
                      " SELECT 'N'||i, '1500000'||substr('0000'||i, -4), 4, 1000+i, 1000+i FROM n;"
                      "UPDATE ContactList SET name='O''Brien' WHERE name='甲';"
                      "UPDATE ContactList SET groupID=77 WHERE name='乙'"),
              SQLITE_OK);
    const std::map<qint64, QString> groups = {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}};
    const QStringList names = {QStringLiteral("姓名"), QStringLiteral("手机号码")};
    const AddressListQuery query =
        BuildAddressListQuery({"name", "mobileNum"}, GroupCondition({4, 77}),
                              QStringLiteral(" ORDER BY displayIndex, rowid"), std::nullopt);

    QStringList operatorWith16(21, QStringLiteral("1"));
    operatorWith16[0] = QStringLiteral("OP");
    struct Case {
        const char* who;
        QStringList rights;
        QString mobile1; // how 13800000002 is written
        QString lastMobile;
    };
    const Case cases[] = {
        {"administrator", {QStringLiteral("AD")}, "13800000002", "15000003000"},
        {"operator with right 16", operatorWith16, "138****0002", "150****3000"},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.who);
        g_pLoginRights = std::make_unique<QStringList>(c.rights);
        const QString path = dir.filePath(QString::fromUtf8(c.who) + ".xlsx");
        ASSERT_EQ(ExportAddressList(path, query, names, groups), 162);
        auto sheets = ReadXlsx(path);
        ASSERT_EQ(sheets.size(), 1u);
        const std::vector<QStringList>& rows = sheets["addList"];
        ASSERT_EQ(rows.size(), 1u + 6 + 3000);
        EXPECT_EQ(rows[0], (QStringList{"所属分组", "姓名", "手机号码"}));
        EXPECT_EQ(rows[1], (QStringList{"D", "李四", c.mobile1}));
        EXPECT_EQ(rows[2][1], "O'Brien");
        EXPECT_EQ(rows[3], (QStringList{"", "乙", MaskNumber("13900000002")}));
        EXPECT_EQ(rows.back(), (QStringList{"D", "N3000", c.lastMobile}));
    }
}

TEST_F(AddressListExport, UnwritableFileGives194) {
    const AddressListQuery query = BuildAddressListQuery(
        {"name"}, QString(), QStringLiteral(" ORDER BY displayIndex, rowid"), std::nullopt);
    EXPECT_EQ(ExportAddressList(m_folder->file("no/such/folder/list.xlsx"), query, {"姓名"}, {}), 194);
    EXPECT_TRUE(runLog().contains("导出联系人失败"));
    // A statement that fails leaves no file either.
    AddressListQuery broken = query;
    broken.listSql = QStringLiteral("SELECT nosuch FROM contactList");
    const QString path = m_folder->file("list.xlsx");
    EXPECT_EQ(ExportAddressList(path, broken, {"姓名"}, {}), 194);
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
