#include "core/helpers.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "sms/number_import.h"
#include "sms/number_rules.h"
#include "sms/recipient_intake.h"
#include "sms/row_sources.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/program_folder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<qint64> Keys(const VIRTUAL_LIST& list) {
    std::vector<qint64> keys;
    for (int i = 0; i < list.GetCount(); ++i)
        keys.push_back(list.GetKey(i));
    return keys;
}

TEST(NumberRules, OneRuleForEveryRoad) {
    struct Case {
        const char* number;
        NumberCheck check;
        qint64 key;
        bool international;
        const char* sent; // the number as requests and records carry it
    };
    const Case cases[] = {
        {"13000000000", NumberCheck::Accepted, 13000000000LL, false, "13000000000"},
        {"20000000000", NumberCheck::Accepted, 20000000000LL, false, "20000000000"},
        {"13800138000", NumberCheck::Accepted, 13800138000LL, false, "13800138000"},
        {" \t13800138000\u3000", NumberCheck::Accepted, 13800138000LL, false, "13800138000"},
        {"01012345678", NumberCheck::Accepted, 201012345678LL, false, "01012345678"},
        {"010123456", NumberCheck::Accepted, 2010123456LL, false, "010123456"},
        {"0085212345678", NumberCheck::Accepted, 20085212345678LL, true, "0085212345678"},
        {"008521234567890", NumberCheck::Accepted, 2008521234567890LL, true, "008521234567890"},
        {"0000000001", NumberCheck::Accepted, 20000000001LL, true, "0000000001"},
        {"12999999999", NumberCheck::Accepted, 12999999999LL, false, "12999999999"}, // landline-like, not "2"
        {"12345678", NumberCheck::Refused, -1, false, ""},                           // 8 digits
        {"2123456789", NumberCheck::Refused, -1, false, ""},                         // begins with "2"
        {"20000000001", NumberCheck::Refused, -1, false, ""},   // past the mobile range, begins with "2"
        {"138-0013-8000", NumberCheck::Refused, -1, false, ""}, // not "138"
        {"13800138000abc", NumberCheck::Refused, -1, false, ""},
        {"1380013 8000", NumberCheck::Refused, -1, false, ""},
        {"0000000000", NumberCheck::Refused, -1, false, ""},             // its key would read as 20000000000
        {"0085212345678901", NumberCheck::Refused, -1, false, ""},       // 16 digits
        {"１３８００１３８０００", NumberCheck::Refused, -1, false, ""}, // full-width digits
        {"+8613800138000", NumberCheck::Refused, -1, false, ""},
        {"", NumberCheck::Empty, -1, false, ""},
        {" \r\n", NumberCheck::Empty, -1, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        const QString text = QString::fromUtf8(c.number);
        const NumberAcceptance a = AcceptNumber(QStringView(text));
        EXPECT_EQ(a.check, c.check);
        // The byte road (database rows) agrees with the text road.
        const QByteArray bytes = text.toUtf8();
        const NumberAcceptance b = AcceptNumber(std::string_view(bytes.constData(), size_t(bytes.size())));
        if (text.contains(QChar(0x3000)))
            EXPECT_EQ(b.check, NumberCheck::Refused) << "only ASCII blanks are trimmed from bytes";
        else
            EXPECT_EQ(b.check, c.check);
        if (c.check != NumberCheck::Accepted)
            continue;
        EXPECT_EQ(a.key, c.key);
        EXPECT_EQ(a.international, c.international);
        EXPECT_EQ(IsInternationalKey(a.key), c.international);
        EXPECT_EQ(IsInternationalNumber(NumberFromKey(a.key)), c.international);
        EXPECT_EQ(NumberFromKey(a.key), QString::fromUtf8(c.sent)) << "no digit is lost";
    }
}

TEST(NumberRules, ARepeatIsListedOnceAndTheListTalliesItself) {
    VIRTUAL_LIST_BUF list;
    const struct {
        const char* number;
        AddNumberResult result;
    } steps[] = {
        {"13800138000", AddNumberResult::Added},   {" 13800138000 ", AddNumberResult::Duplicate},
        {"0085212345678", AddNumberResult::Added}, {"0085212345678", AddNumberResult::Duplicate},
        {"01012345678", AddNumberResult::Added},   {"", AddNumberResult::Empty},
        {"12345678", AddNumberResult::Refused},
    };
    AddNumberCounts counts;
    for (const auto& s : steps) {
        const AddNumberResult r =
            AddRecipientNumber(list, QString::fromUtf8(s.number), QStringLiteral("名"), 7);
        EXPECT_EQ(r, s.result) << s.number;
        counts.Count(r);
    }
    EXPECT_EQ(Keys(list), (std::vector<qint64>{13800138000LL, 20085212345678LL, 201012345678LL}));
    EXPECT_EQ(list.DomesticCount(), 2) << "a landline with one leading 0 is domestic";
    EXPECT_EQ(list.InternationalCount(), 1);
    EXPECT_EQ(counts.added, 3);
    EXPECT_EQ(counts.duplicates, 2);
    EXPECT_EQ(counts.empty, 1);
    EXPECT_EQ(counts.refused, 1);
}

TEST(NumberRules, PhsFilterKeepsElevenDigitsBeginningWithOne) {
    VIRTUAL_LIST_BUF list;
    for (const char* n : {"0085212345678", "13800138000", "01012345678", "12999999999", "20000000000",
                          "123456789012", "13900139000"})
        AddRecipientNumber(list, QString::fromUtf8(n), QString());
    EXPECT_EQ(FilterPhsNumbers(list), 4);
    EXPECT_EQ(Keys(list), (std::vector<qint64>{13800138000LL, 12999999999LL, 13900139000LL}));
    EXPECT_EQ(list.DomesticCount(), 3);
    EXPECT_EQ(list.InternationalCount(), 0);
    EXPECT_TRUE(list.Lookup(13900139000LL, nullptr)) << "the index follows the rows that moved up";
}

TEST(NumberRules, DisplayMasksOnlyWhereTheOperatorMayNotSee) {
    QStringList masked{"OPpw"};
    for (int i = 1; i < 20; ++i)
        masked << (i == 16 ? "1" : "0");
    g_pLoginRights = std::make_unique<QStringList>(masked);
    VIRTUAL_LIST_BUF list;
    AddRecipientNumber(list, u"13812345678", QString());
    AddRecipientNumber(list, u"0085212345678", QStringLiteral("陈"));
    EXPECT_EQ(DisplayNumber(list.GetKey(0)), "138****5678");
    EXPECT_EQ(DisplayNumber(list.GetKey(0), true), "13812345678") << "personalised mode shows it whole";
    EXPECT_EQ(DisplayNumber(list.GetKey(1)), "008****345678");
    EXPECT_EQ(DisplayName(list, 0), "138****5678") << "a nameless row shows its number";
    EXPECT_EQ(DisplayName(list, 1), QStringLiteral("陈"));
    EXPECT_EQ(DisplayName(list, 2), "");
    g_pLoginRights.reset();
}

// ---------------------------------------------------------------------------
// Text files

std::vector<std::string> Scan(const std::vector<std::string>& pieces, int* tooLong = nullptr) {
    std::vector<std::string> found;
    NumberRunScanner scanner([&](std::string_view run) { found.emplace_back(run); });
    for (const std::string& p : pieces)
        scanner.Feed(p.data(), p.size());
    scanner.Finish();
    if (tooLong)
        *tooLong = scanner.TooLong();
    return found;
}

TEST(NumberRules, ImportRunsAreTakenWholeAcrossPieces) {
    const struct {
        const char* what;
        std::vector<std::string> pieces;
        std::vector<std::string> runs;
        int tooLong;
    } cases[] = {
        {"LF", {"13800138000\n13900139000\n"}, {"13800138000", "13900139000"}, 0},
        {"CR LF, no end of line", {"13800138000\r\n13900139000"}, {"13800138000", "13900139000"}, 0},
        {"split inside a number", {"1380013", "8000,139", "00139000"}, {"13800138000", "13900139000"}, 0},
        {"split at every byte", {"1", "3", "8", "0", "0", "1", "3", "8", "0", "0", "0"}, {"13800138000"}, 0},
        {"international, 13 digits whole", {"tel:0085212345678;"}, {"0085212345678"}, 0},
        {"15 digits", {"008521234567890"}, {"008521234567890"}, 0},
        {"16 digits skipped and counted", {"0085212345678901 13800138000"}, {"13800138000"}, 1},
        {"a long run across pieces", {"13800138000", "13800138000", " 1"}, {}, 1},
        {"short and other first digits ignored", {"1380013800 23800138000 93800138000"}, {}, 0},
        {"read from the first 0 or 1 of a run",
         {"213800138000 9990085212345678"},
         {"13800138000", "0085212345678"},
         0},
        {"a long candidate behind other digits", {"2", "1380013800013800"}, {}, 1},
        {"other digits alone are no candidate", {"23456789234567892345"}, {}, 0},
        {"binary noise",
         {std::string("\x00\xff"
                      "13800138000\x80\x01",
                      16)},
         {"13800138000"},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int tooLong = -1;
        EXPECT_EQ(Scan(c.pieces, &tooLong), c.runs);
        EXPECT_EQ(tooLong, c.tooLong);
    }
}

class NumberRulesImport : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& data) {
        m_folder.writeFile(name, data);
        return m_folder.file(name);
    }
    ProgramFolder m_folder;
};

TEST_F(NumberRulesImport, ARunAcrossTheBlockBoundaryIsOneNumber) {
    // The number starts 5 bytes before the end of the first 1 MB block.
    QByteArray data(int(kNumberImportBlock) - 5, 'x');
    data.replace(0, 12, "13900139000\n");
    data += "13800138000\r\n0085212345678\n0000000000\n13800138000\n";
    data += QByteArray(int(kNumberImportBlock), '\0'); // binary noise after it
    data += "01012345678";
    VIRTUAL_LIST_BUF list;
    std::vector<std::pair<qint64, qint64>> progress;
    const NumberImportResult r = ImportNumberFile(list, Write("n.txt", data), [&](qint64 done, qint64 total) {
        progress.emplace_back(done, total);
        return true;
    });
    EXPECT_TRUE(r.opened);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(Keys(list),
              (std::vector<qint64>{13900139000LL, 13800138000LL, 20085212345678LL, 201012345678LL}));
    EXPECT_EQ(list.InternationalCount(), 1);
    EXPECT_EQ(r.counts.added, 4);
    EXPECT_EQ(r.counts.refused, 0) << "0000000000 is too short a run to be taken";
    EXPECT_EQ(r.counts.duplicates, 1);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(qint64(data.size()), qint64(data.size())));
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_GE(progress[i].first, progress[i - 1].first);
}

TEST_F(NumberRulesImport, UnreadableFilesFailAndCancelStops) {
    VIRTUAL_LIST_BUF list;
    EXPECT_FALSE(ImportNumberFile(list, m_folder.file("missing.txt")).opened);
    EXPECT_FALSE(ImportNumberFile(list, m_folder.path()).opened) << "a folder is no file";
    EXPECT_EQ(list.GetCount(), 0);

    // Three blocks, a number in each; cancelled after the first block.
    QByteArray data;
    for (int i = 0; i < 3; ++i) {
        QByteArray block(int(kNumberImportBlock), ' ');
        block.replace(0, 11, QByteArray::number(13800138000LL + i));
        data += block;
    }
    const NumberImportResult r =
        ImportNumberFile(list, Write("big.txt", data), [](qint64, qint64) { return false; });
    EXPECT_TRUE(r.opened);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(Keys(list), (std::vector<qint64>{13800138000LL}));

    // Driven a block at a time, as a window's timer does.
    VIRTUAL_LIST_BUF stepped;
    NumberFileImport import(stepped, Write("big.txt", data));
    ASSERT_TRUE(import.IsOpen());
    EXPECT_EQ(import.BytesTotal(), data.size());
    int steps = 0;
    while (import.Step())
        ++steps;
    EXPECT_GE(steps, 2);
    EXPECT_EQ(stepped.GetCount(), 3);
}

// ---------------------------------------------------------------------------
// Recipients handed over by the openers

TEST(NumberRules, TriplesAndPassedQueries) {
    const std::vector<RecipientTriple> triples =
        TriplesFromStrings({"13800138000", "张三", "12", "0085212345678", "", "x", "13900139000", "李四"});
    ASSERT_EQ(triples.size(), 2u) << "an incomplete last group is dropped";
    EXPECT_EQ(triples[0].contactId, 12);
    EXPECT_EQ(triples[1].contactId, 0);

    const struct {
        const char* passed;
        const char* statement;
    } queries[] = {
        {"SELECT * FROM receivedMSGRecord WHERE a='from' ORDER BY id",
         "SELECT sendNum,name FROM receivedMSGRecord WHERE a='from' ORDER BY id"},
        {"select x from ReceivedMsgRecord", "SELECT sendNum,name from ReceivedMsgRecord"},
        {"SELECT perNO FROM ContactList WHERE groupID=4",
         "SELECT mobileNum,name FROM ContactList WHERE groupID=4"},
        {"no clause", ""},
    };
    for (const auto& q : queries)
        EXPECT_EQ(RecipientQueryStatement(QString::fromUtf8(q.passed)), QString::fromUtf8(q.statement))
            << q.passed;
}

using NumberRulesIntake = ContactsFixtureTest;

TEST_F(NumberRulesIntake, SlicesKeepOrderIdsAndTheDuplicateRule) {
    // Ticked: 戊, 甲, 丙 and 张三's row in group 2; list order is by number.
    ContactSelection selection(
        QStringLiteral("SELECT name FROM ContactList WHERE groupID IN (2,4) ORDER BY mobileNum,rowid"));
    for (const char* m : {"13900000005", "13900000001", "13900000003"})
        selection.Tick(FixtureRowid(QString::fromLatin1(m), 4), true);
    selection.Tick(FixtureRowid(QStringLiteral("13800000001"), 2), true);

    VIRTUAL_LIST_BUF list;
    RecipientIntake intake(list);
    intake.AddTriples({{"13900000003", "先到", 99}, {"abc", "", 0}});
    intake.AddSelection(g_pDB, selection);
    intake.AddQuery(g_pDB, QStringLiteral("SELECT * FROM ContactList WHERE groupID=1 ORDER BY mobileNum"));

    std::vector<int> counts;
    while (intake.Step(2))
        counts.push_back(list.GetCount());
    counts.push_back(list.GetCount());
    EXPECT_GE(counts.size(), 3u) << "the work is handed back between slices";
    EXPECT_TRUE(intake.Done());
    EXPECT_FALSE(intake.QueryFailed());

    EXPECT_EQ(Keys(list), (std::vector<qint64>{13900000003LL, 13800000001LL, 13900000001LL, 13900000005LL,
                                               13800000002LL}));
    QString name;
    EXPECT_TRUE(list.Lookup(13900000003LL, &name));
    EXPECT_EQ(name, QStringLiteral("先到")) << "the first road to bring a number keeps it";
    EXPECT_EQ(list.GetContactId(0), 99);
    EXPECT_EQ(list.GetContactId(1), 1) << "perNO of 张三";
    SqlStatement perNo(g_pDB, "SELECT perNO FROM ContactList WHERE mobileNum='13900000005'");
    ASSERT_EQ(perNo.step(), SQLITE_ROW);
    EXPECT_EQ(list.GetContactId(3), perNo.int64(0));
    EXPECT_EQ(list.GetContactId(4), 0) << "a passed query brings no ids";
    EXPECT_EQ(intake.Counts().refused, 1);
    EXPECT_EQ(intake.Counts().duplicates, 2) << "13900000003 ticked, 张三 again from group 1";
}

TEST_F(NumberRulesIntake, AFailedQueryIsLoggedAndTheRestStillRuns) {
    VIRTUAL_LIST_BUF list;
    RecipientIntake intake(list);
    intake.AddQuery(g_pDB, QStringLiteral("SELECT * FROM NoSuchTable"));
    intake.AddTriples({{"13800138000", "", 0}});
    intake.Run();
    EXPECT_TRUE(intake.QueryFailed());
    EXPECT_EQ(Keys(list), (std::vector<qint64>{13800138000LL}));
    EXPECT_TRUE(runLog().contains(QStringLiteral("用传递过来的SQL查询联系人出错了")));
}

} // namespace
