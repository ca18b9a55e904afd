// Contacts from the numbers of a text or web page: which digit runs are
// numbers, one contact per number and ticked group, counted once.
#include "contacts/contact_import.h"
#include "core/sql.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/test_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class NumberScan : public ContactsFixtureTest {
protected:
    ImportRequest Numbers(const std::string& bytes, std::vector<int> groups = {4}, size_t blockSize = 0) {
        m_folder->writeFile(QStringLiteral("page.htm"), QByteArray::fromStdString(bytes));
        ImportRequest r;
        r.mode = kImportNumbers;
        r.path = m_folder->file(QStringLiteral("page.htm"));
        r.groups = std::move(groups);
        r.blockSize = blockSize;
        return r;
    }
    static std::vector<std::string> NewNumbers() {
        return QueryRows(g_pDB, "SELECT mobileNum FROM ContactList WHERE rowid>10 ORDER BY rowid");
    }
};

TEST_F(NumberScan, DigitRunsThatAreNumbers) {
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> numbers;
        int skipped;
    } cases[] = {
        {"10 digits", "<td>1380013800</td>", {}, 0},
        {"11 digits", "<td>13800138000</td>", {"13800138000"}, 0},
        {"13 digits, whole", "tel:0085212345678;", {"0085212345678"}, 0},
        {"15 digits", "008521234567890", {"008521234567890"}, 0},
        {"16 digits skipped", "0085212345678901", {}, 1},
        {"2 and 11 digits: from the first 0 or 1", "213800138000", {"13800138000"}, 0},
        {"other first digits leave too few", "23800138000", {}, 0},
        {"the same number twice", "13800138000,13800138000", {"13800138000", "13800138000"}, 0},
        {"an empty file", "", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE rowid>10");
        const ImportRequest r = Numbers(c.text);
        const ImportOutcome o = RunContactImport(g_pDB, r);
        EXPECT_EQ(o.status, ImportOutcome::Status::Done);
        EXPECT_EQ(NewNumbers(), c.numbers);
        EXPECT_EQ(o.skipped, c.skipped);
        const int n = static_cast<int>(c.numbers.size());
        EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("文件共%1条记录,此次导入成功%1条,失败0条").arg(n));
    }
}

TEST_F(NumberScan, EveryTickedGroupGetsAContactOfItsOwn) {
    const ImportRequest r = Numbers("<p>13800138000</p>", {1, 3});
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("文件共1条记录,此次导入成功1条,失败0条"));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT mobileNum,groupID,perNO,displayIndex,name FROM ContactList "
                               "WHERE rowid>10 ORDER BY rowid"),
              (std::vector<std::string>{"13800138000|1|10|8|<null>", "13800138000|3|11|9|<null>"}));
}

TEST_F(NumberScan, ANumberAcrossBlockEndsIsReadOnce) {
    std::string text;
    std::vector<std::string> want;
    for (int i = 0; i < 50; ++i) {
        want.push_back(std::to_string(13800000000LL + i * 7));
        text += want.back() + (i % 3 ? "," : "\r\n<br>");
    }
    for (const size_t block : {size_t(1), size_t(4), size_t(11), size_t(0)}) {
        SCOPED_TRACE(block);
        ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE rowid>10");
        int calls = 0;
        const ImportOutcome o = RunContactImport(g_pDB, Numbers(text, {4}, block), [&](qint64, qint64) {
            ++calls;
            return true;
        });
        EXPECT_EQ(o.imported, 50);
        EXPECT_EQ(NewNumbers(), want);
        if (block == 11) {
            EXPECT_GT(calls, static_cast<int>(text.size() / 11)) << "progress after every block";
        }
    }
}

TEST_F(NumberScan, ACancelOrARefusedInsertIsHandledLikeAFile) {
    const std::string text = "13800138000 13900139000 13700137000";
    const std::vector<std::string> before = QueryRows(g_pDB, "SELECT * FROM ContactList");
    const ImportOutcome cancelled =
        RunContactImport(g_pDB, Numbers(text, {4}, 12), [](qint64 done, qint64) { return done < 24; });
    EXPECT_EQ(cancelled.status, ImportOutcome::Status::Cancelled);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT * FROM ContactList"), before);

    ExecSql(nullptr, g_pDB,
            "CREATE TRIGGER refuse BEFORE INSERT ON ContactList WHEN NEW.mobileNum='13900139000' AND "
            "NEW.groupID=3 "
            "BEGIN SELECT RAISE(ABORT, 'no'); END;");
    const ImportRequest r = Numbers(text, {1, 3});
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("文件共3条记录,此次导入成功2条,失败1条"));
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM ContactList WHERE mobileNum='13900139000'"), 0)
        << "a number lands in all its groups or in none";

    ImportRequest missing = r;
    missing.path = m_folder->file(QStringLiteral("none.txt"));
    EXPECT_EQ(RunContactImport(g_pDB, missing).status, ImportOutcome::Status::OpenFailed);
}

} // namespace
