#include "contacts/address_list.h"

#include "contacts/contact_selection.h"
#include "core/sql.h"
#include "tests/support/contacts_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QStringList kFields = {QStringLiteral("name"), QStringLiteral("mobileNum")};

// Names of the rows a query lists, in list order.
QStringList Names(const AddressListQuery& query) {
    SqlStatement st(g_pDB, query.listSql.toStdString());
    EXPECT_TRUE(st.ok()) << query.listSql.toStdString();
    QStringList names;
    while (st.step() == SQLITE_ROW)
        names << st.qtext(2);
    return names;
}

class AddressListQueryTest : public ContactsFixtureTest {
protected:
    void SetUp() override {
        ContactsFixtureTest::SetUp();
        // Twelve contacts M01..M12 in group 6, initial "M", mark "m", listed after the fixture.
        SqlStatement st(
            g_pDB,
            "INSERT INTO ContactList (name, mobileNum, groupID, perNO, firstLetter, mark, displayIndex)"
            " VALUES (?, ?, 6, ?, 'M', 'm', ?)");
        for (int i = 1; i <= 12; ++i) {
            st.reset();
            st.bind(1, QStringLiteral("M%1").arg(i, 2, 10, QLatin1Char('0')))
                .bind(2, QStringLiteral("1370000%1").arg(i, 4, 10, QLatin1Char('0')))
                .bind(3, 100 + i)
                .bind(4, 100 + i);
            ASSERT_EQ(st.exec(), SQLITE_OK);
        }
        PickerSortState().Reset();
    }
};

using AddressListRange = AddressListQueryTest;

TEST_F(AddressListRange, RangeMatrixWithEveryKindOfCondition) {
    const QString defaultOrder = QString(kDefaultContactOrder);
    struct Context {
        const char* what;
        QString condition;
    };
    const Context contexts[] = {
        {"group", GroupCondition({6})},
        {"letter", LetterCondition(QLatin1Char('M'))},
        {"advanced", QStringLiteral(" AND mark='m'")},
        {"group, letter and advanced",
         GroupCondition({6, 4}) + LetterCondition(QLatin1Char('M')) + QStringLiteral(" AND mark='m'")},
    };
    struct Case {
        const char* start;
        const char* end;
        RowRangeResult result;
        int first; // first listed of M01..M12 (1-based), 0 when none
        int last;
    };
    const Case cases[] = {
        {"5", "9", RowRangeResult::Range, 5, 9}, {"5", "", RowRangeResult::Range, 5, 12},
        {"1", "1", RowRangeResult::Range, 1, 1}, {"11", "30", RowRangeResult::Range, 11, 12},
        {"9", "5", RowRangeResult::Range, 0, 0}, {"20", "", RowRangeResult::Range, 0, 0},
        {"", "7", RowRangeResult::None, 1, 12},
    };
    for (const Context& context : contexts) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(context.what) + " " + c.start + "-" + c.end);
            RowNumberRange range;
            ASSERT_EQ(ParseRowRange(QString::fromUtf8(c.start), QString::fromUtf8(c.end), range), c.result);
            const std::optional<RowNumberRange> used =
                c.result == RowRangeResult::Range ? std::optional<RowNumberRange>(range) : std::nullopt;
            const AddressListQuery query =
                BuildAddressListQuery(kFields, context.condition, defaultOrder, used);
            QStringList expected;
            for (int i = c.first; c.first && i <= c.last; ++i)
                expected << QStringLiteral("M%1").arg(i, 2, 10, QLatin1Char('0'));
            EXPECT_EQ(Names(query), expected);
            EXPECT_EQ(CountAddressList(query), expected.size());
            EXPECT_FALSE(query.unrangedSql.contains("LIMIT"));
            EXPECT_EQ(query.rowNumberBase, used ? range.start : 1);
        }
    }
}

TEST_F(AddressListRange, StartsThatAreNoPositiveNumberAreRefused) {
    for (const char* start : {"0", "-3", "x", "  ", ""}) {
        SCOPED_TRACE(start);
        RowNumberRange range;
        const RowRangeResult expected =
            QString::fromUtf8(start).trimmed().isEmpty() ? RowRangeResult::None : RowRangeResult::Invalid;
        EXPECT_EQ(ParseRowRange(QString::fromUtf8(start), QStringLiteral("9"), range), expected);
    }
}

TEST_F(AddressListRange, RangeOfAllContactsFollowsTheSortOrder) {
    // Group 6 by name descending.
    SortState& sort = PickerSortState();
    sort.Click(3, QStringLiteral("name"));
    const QString descending = sort.Click(3, QStringLiteral("name"));
    ASSERT_EQ(sort.Direction(), -1);
    RowNumberRange range;
    ASSERT_EQ(ParseRowRange(QStringLiteral("2"), QStringLiteral("4"), range), RowRangeResult::Range);
    AddressListQuery query = BuildAddressListQuery(kFields, GroupCondition({6}), descending, range);
    EXPECT_EQ(Names(query), (QStringList{"M11", "M10", "M09"}));
    EXPECT_EQ(CountAddressList(query), 3);
    EXPECT_EQ(query.rowNumberBase, 2);

    // All 22 contacts in the default order: the fixture's ten, then M01..M12.
    ASSERT_EQ(ParseRowRange(QStringLiteral("21"), QString(), range), RowRangeResult::Range);
    query = BuildAddressListQuery(kFields, QString(), QString(kDefaultContactOrder), range);
    EXPECT_EQ(CountAddressList(query), 2);
    EXPECT_EQ(Names(query), (QStringList{"M11", "M12"}));
}

using AddressListReload = AddressListQueryTest;

TEST_F(AddressListReload, AdvancedConditionLastsAndReplacesTheContent) {
    const QStringList fields = {QStringLiteral("name"), QStringLiteral("mobileNum")};
    struct Case {
        const char* what;
        AddressListInputs inputs;
        RowRangeResult result;
        QStringList before; // names listed before the advanced condition arrives
        QStringList after;  // and after it (" AND mark='m' AND name>='M10'")
    };
    const QStringList all12 = {"M01", "M02", "M03", "M04", "M05", "M06",
                               "M07", "M08", "M09", "M10", "M11", "M12"};
    const Case cases[] = {
        {"name contains",
         {{6}, QChar(), 1, FieldCondition::Contains, "M0", ""},
         RowRangeResult::None,
         all12.mid(0, 9),
         {"M10", "M11", "M12"}},
        {"letter and mobile equal",
         {{}, QLatin1Char('M'), 2, FieldCondition::Equal, "13700000003", ""},
         RowRangeResult::None,
         {"M03"},
         {"M10", "M11", "M12"}},
        {"range 2-3 of the root",
         {{0, 6}, QChar(), 0, FieldCondition::Contains, "2", "3"},
         RowRangeResult::Range,
         {"张三", "李四"},
         {"M10", "M11", "M12"}},
        {"a refused start",
         {{6}, QChar(), 0, FieldCondition::Contains, "0", ""},
         RowRangeResult::Invalid,
         {},
         {"M10", "M11", "M12"}},
        {"the wrong letter",
         {{6}, QLatin1Char('Z'), 1, FieldCondition::Contains, "", ""},
         RowRangeResult::None,
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AddressListFilter filter;
        for (const QStringList* expected : {&c.before, &c.after}) {
            QString condition;
            std::optional<RowNumberRange> range;
            const RowRangeResult result = filter.Build(c.inputs, fields, condition, range);
            if (filter.UsesAdvanced()) {
                EXPECT_NE(result, RowRangeResult::Invalid);
                EXPECT_TRUE(condition.endsWith(filter.AdvancedCondition()));
            } else {
                EXPECT_EQ(result, c.result);
            }
            if (result != RowRangeResult::Invalid) {
                const AddressListQuery query =
                    BuildAddressListQuery(fields, condition, QString(kDefaultContactOrder), range);
                EXPECT_EQ(Names(query), *expected);
                EXPECT_EQ(query.rowNumberBase, range ? range->start : 1);
            }
            filter.SetAdvancedCondition(QStringLiteral(" AND mark='m' AND name>='M10'"));
        }
    }
}

using AddressListConditions = AddressListQueryTest;

TEST_F(AddressListConditions, RootWithGroupsListsAllContacts) {
    struct Case {
        std::vector<qint64> groups;
        qint64 rows;
    };
    const Case cases[] = {
        {{}, 22}, {{0}, 22}, {{4, 0, 1}, 22}, {{1, 3}, 3}, {{4}, 6}, {{99}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.groups.size());
        const AddressListQuery query = BuildAddressListQuery(kFields, GroupCondition(c.groups),
                                                             QString(kDefaultContactOrder), std::nullopt);
        EXPECT_EQ(CountAddressList(query), c.rows);
        EXPECT_EQ(Names(query).size(), c.rows);
    }
}

TEST_F(AddressListConditions, FieldContentIsQueriedLiterally) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO ContactList (name, eMail, groupID, perNO, displayIndex) VALUES"
                      " ('O''Brien', 'Abc@x.cn', 7, 201, 300), ('100%', 'abc@x.cn', 7, 202, 301),"
                      " ('a_b', '', 7, 203, 302), ('axb', '', 7, 204, 303)"),
              SQLITE_OK);
    struct Case {
        const char* column;
        FieldCondition condition;
        const char* content;
        QStringList names;
    };
    const Case cases[] = {
        {"name", FieldCondition::Contains, "'", {"O'Brien"}},
        {"name", FieldCondition::Equal, "O'Brien", {"O'Brien"}},
        {"name", FieldCondition::Equal, "' OR 1=1 --", {}},
        {"name", FieldCondition::Contains, "' OR 1=1 --", {}},
        {"name", FieldCondition::Equal, "100%", {"100%"}},
        {"name", FieldCondition::Equal, "100", {}},
        // "%" and "_" stay wildcards of LIKE.
        {"name", FieldCondition::Contains, "a_b", {"a_b", "axb"}},
        {"name", FieldCondition::Contains, "0%", {"100%"}},
        {"eMail", FieldCondition::Equal, "Abc@x.cn", {"O'Brien"}},
        {"eMail", FieldCondition::NotEqual, "Abc@x.cn", {"100%", "a_b", "axb"}},
        {"name", FieldCondition::GreaterOrEqual, "axb", {"axb"}},
        {"name", FieldCondition::Less, "P", {"O'Brien", "100%"}},
    };
    const QString group7 = GroupCondition({7});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.column) + " " + FieldConditionText(c.condition) + " " + c.content);
        const QString field =
            BuildFieldCondition(QString::fromUtf8(c.column), c.condition, QString::fromUtf8(c.content));
        ASSERT_FALSE(field.isEmpty());
        const AddressListQuery query =
            BuildAddressListQuery(kFields, group7 + field, QString(kDefaultContactOrder), std::nullopt);
        EXPECT_EQ(Names(query), c.names);
        EXPECT_EQ(CountAddressList(query), c.names.size());
    }
    EXPECT_FALSE(runLog().contains("ERROR"));
}

TEST_F(AddressListConditions, NoConditionWithoutContentOrFromAnUnknownColumn) {
    EXPECT_EQ(BuildFieldCondition(QStringLiteral("name"), FieldCondition::Equal, QString()), QString());
    EXPECT_EQ(BuildFieldCondition(QStringLiteral("nosuch"), FieldCondition::Equal, QStringLiteral("a")),
              QString());
    EXPECT_EQ(
        BuildFieldCondition(QStringLiteral("name=name OR 1"), FieldCondition::Equal, QStringLiteral("a")),
        QString());
    // An unknown field column is left out of the list; mobileNum's place is kept.
    const AddressListQuery query = BuildAddressListQuery({"nosuch", "mobileNum", "name"}, QString(),
                                                         QString(kDefaultContactOrder), std::nullopt);
    EXPECT_TRUE(
        query.listSql.startsWith("SELECT  perNO,groupID,mobileNum,name,rowid FROM contactList WHERE 1=1"));
    EXPECT_EQ(query.mobileColumn, 2);
    EXPECT_TRUE(query.indexedOrder);
    EXPECT_FALSE(
        BuildAddressListQuery(kFields, GroupCondition({4}), QString(kDefaultContactOrder), std::nullopt)
            .indexedOrder);
    SortState byName;
    EXPECT_FALSE(
        BuildAddressListQuery(kFields, QString(), byName.Click(3, QStringLiteral("name")), std::nullopt)
            .indexedOrder);
}

TEST(AddressListSort, ColumnsAndClicks) {
    const QStringList fields = {QStringLiteral("name"), QStringLiteral("mobileNum")};
    EXPECT_EQ(PickerSortColumn(0, fields), std::nullopt);
    EXPECT_EQ(PickerSortColumn(1, fields), std::nullopt);
    EXPECT_EQ(PickerSortColumn(2, fields), QStringLiteral("groupID"));
    EXPECT_EQ(PickerSortColumn(3, fields), QStringLiteral("name"));
    EXPECT_EQ(PickerSortColumn(4, fields), QStringLiteral("mobileNum"));
    EXPECT_EQ(PickerSortColumn(5, fields), std::nullopt);

    // The picker's state is its own: a pane click on the same column does not flip it.
    SortState& sort = PickerSortState();
    sort.Reset();
    const QString expected[] = {
        " ORDER BY name  collate pinyin ASC, rowid",
        " ORDER BY name collate pinyin DESC, rowid",
        " ORDER BY name  collate pinyin ASC, rowid",
    };
    SortState::Pane(SortState::Kind::Normal).Reset();
    for (const QString& clause : expected) {
        SortState::Pane(SortState::Kind::Normal).Click(2, QStringLiteral("name"));
        EXPECT_EQ(sort.Click(3, QStringLiteral("name")), clause);
    }
    EXPECT_EQ(sort.Click(4, QStringLiteral("mobileNum")), " ORDER BY mobileNum  collate pinyin ASC, rowid");
    sort.Reset();
    SortState::Pane(SortState::Kind::Normal).Reset();
}

using AddressListPick = ContactsFixtureTest;

const QString kAllContacts = QStringLiteral(
    "SELECT  perNO,groupID,name,mobileNum,rowid FROM contactList WHERE 1=1  ORDER BY displayIndex, rowid ");

TEST_F(AddressListPick, TickedRowsWithANumberInListOrder) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "UPDATE ContactList SET conFax='F-'||name WHERE name IN ('甲','戊');"
                      "UPDATE ContactList SET mobileNum='', eMail='Abc@X.cn' WHERE name='丙';"
                      "UPDATE ContactList SET eMail='Li@Mail.CN' WHERE name='李四' AND groupID=3"),
              SQLITE_OK);
    ContactSelection selection(kAllContacts);
    // Ticked out of list order.
    for (const char* mobile : {"13900000005", "13900000001"})
        selection.Tick(FixtureRowid(QString::fromUtf8(mobile), 4), true);
    selection.Tick(FixtureRowid(QString(), 4), true); // 丙, no mobile number
    selection.Tick(FixtureRowid("13800000002", 3), true);

    struct Case {
        PickerMode mode;
        std::vector<std::string> picked; // number|name|perNO
    };
    const Case cases[] = {
        {PickerMode::Sms, {"13800000002|李四|3", "13900000001|甲|5", "13900000005|戊|9"}},
        {PickerMode::Task, {"13800000002|李四|3", "13900000001|甲|5", "13900000005|戊|9"}},
        {PickerMode::Fax, {"F-甲|甲|5", "F-戊|戊|9"}},
        {PickerMode::Email, {"Li@Mail.CN|李四|3", "Abc@X.cn|丙|7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(PickerNumberColumn(c.mode));
        std::vector<PickedContact> contacts;
        ASSERT_TRUE(CollectPickedContacts(selection, PickerNumberColumn(c.mode), contacts));
        std::vector<std::string> picked;
        for (const PickedContact& p : contacts)
            picked.push_back((p.number + "|" + p.name + "|" + QString::number(p.perNO)).toStdString());
        EXPECT_EQ(picked, c.picked);
    }
}

TEST_F(AddressListPick, DeleteRemovesExactlyTheTickedRows) {
    ContactSelection selection(kAllContacts);
    // One of 张三's two rows (one perNO) and one of 李四's three.
    selection.Tick(FixtureRowid("13800000001", 2), true);
    selection.Tick(FixtureRowid("13800000002", 4), true);
    EXPECT_EQ(DeleteTickedContacts(selection), 2);
    EXPECT_NE(FixtureRowid("13800000001", 1), 0);
    EXPECT_EQ(FixtureRowid("13800000001", 2), 0);
    EXPECT_NE(FixtureRowid("13800000002", 1), 0);
    EXPECT_NE(FixtureRowid("13800000002", 3), 0);
    EXPECT_EQ(FixtureRowid("13800000002", 4), 0);

    // "All except" reaches every other row of the list.
    ContactSelection all(
        QStringLiteral("SELECT  perNO,groupID,name,mobileNum,rowid FROM contactList WHERE 1=1 "
                       " AND ( groupID=4) ORDER BY displayIndex, rowid "));
    all.TickAll();
    all.Tick(FixtureRowid("13900000003", 4), false);
    EXPECT_EQ(DeleteTickedContacts(all), 4);
    SqlStatement left(g_pDB, "SELECT name FROM ContactList WHERE groupID=4");
    ASSERT_EQ(left.step(), SQLITE_ROW);
    EXPECT_EQ(left.qtext(0), "丙");
    EXPECT_EQ(left.step(), SQLITE_DONE);
}

TEST_F(AddressListPick, AFailedDeleteDeletesNothing) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER no_delete BEFORE DELETE ON ContactList WHEN OLD.name='戊'"
                      " BEGIN SELECT RAISE(ABORT, 'x'); END;"),
              SQLITE_OK);
    ContactSelection selection(kAllContacts);
    selection.TickAll();
    EXPECT_EQ(DeleteTickedContacts(selection), -1);
    SqlStatement count(g_pDB, "SELECT COUNT(*) FROM ContactList");
    ASSERT_EQ(count.step(), SQLITE_ROW);
    EXPECT_EQ(count.int64(0), 10);
    EXPECT_TRUE(runLog().contains("删除联系人主表出错了"));
}

} // namespace
