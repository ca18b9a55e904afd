#include "core/row_source.h"

#include "contacts/contact_list_query.h"
#include "contacts/contact_selection.h"
#include "core/sql.h"
#include "tests/support/contact_generator.h"
#include "tests/support/contacts_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using RowSourceTest = ContactsFixtureTest;

// One read of the rows as the list must show them: `columns` of the
// statement's rows, in its order.
std::vector<QString> ReadAll(const QString& statement, const QString& column) {
    SqlStatement st(
        g_pDB, (QStringLiteral("SELECT %1 ").arg(column) + RowSource::FromClause(statement)).toStdString());
    std::vector<QString> rows;
    while (st.step() == SQLITE_ROW)
        rows.push_back(st.qtext(0));
    return rows;
}

QString NameOrder(SortState& state) {
    const int nameColumn = 2 + VisibleFieldRegistry::IndexOfColumn(QStringLiteral("name"));
    return state.Click(nameColumn, QStringLiteral("name"));
}

struct ListCase {
    const char* label;
    int group;
    bool byName;
    RowOrder order;
};

const ListCase kListCases[] = {
    {"group, default order", 4, false, RowOrder::Paged},
    {"group, name order", 4, true, RowOrder::Fixed},
    {"all contacts, default order", 0, false, RowOrder::Fixed},
};

} // namespace

// Ticks name rows, not positions: the composer gets the ticked rows even
// after an update moved them in the list, whatever the way of paging.
TEST_F(RowSourceTest, TickedTiedRowsReachTheComposerAfterAnUpdate) {
    ASSERT_TRUE(VisibleFieldRegistry::Rebuild());
    const int nameColumn = 2 + VisibleFieldRegistry::IndexOfColumn(QStringLiteral("name"));
    ASSERT_GE(nameColumn, 2);
    for (const ListCase& c : kListCases) {
        SCOPED_TRACE(c.label);
        LoadContactsFixture();
        SortState state;
        const QString order = c.byName ? NameOrder(state) : QString::fromLatin1(kDefaultContactOrder);
        const ContactListQuery q =
            BuildContactListQuery(c.group, false, order, VisibleFieldRegistry::Fields());
        EXPECT_EQ(q.order, c.order);
        RowSource source;
        ASSERT_TRUE(source.Open(g_pDB, q.listSql, q.order, q.countSql));

        // The five rows tied on displayIndex, as the list shows them.
        std::vector<int> tied;
        for (int r = 0; r < source.Count(); ++r)
            if (source.CellText(r, 1) == QLatin1String("7"))
                tied.push_back(r);
        ASSERT_EQ(tied.size(), 5u);

        ContactSelection selection(q.listSql);
        const QString second = source.CellText(tied[1], nameColumn);
        const QString fourth = source.CellText(tied[3], nameColumn);
        selection.Tick(source.Rowid(tied[1]), true);
        selection.Tick(source.Rowid(tied[3]), true);

        const auto received = [&] {
            std::vector<QString> names;
            EXPECT_TRUE(
                selection.ForEachTicked(g_pDB, QStringLiteral("name"), [&](SqlStatement& row, qint64) {
                    names.push_back(row.qtext(0));
                    return true;
                }));
            return names;
        };
        EXPECT_EQ(received(), (std::vector<QString>{second, fourth}));

        // Move the fourth before every other row; the tied rows are renumbered.
        std::string error;
        ASSERT_EQ(ExecSql(&error, g_pDB,
                          "UPDATE ContactList SET displayIndex=-5 WHERE rowid=" +
                              std::to_string(source.Rowid(tied[3]))),
                  SQLITE_OK);
        std::vector<QString> now = received();
        ASSERT_EQ(now.size(), 2u);
        std::sort(now.begin(), now.end());
        std::vector<QString> expected{second, fourth};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(now, expected);
    }
}

// Scrolling through 10,000 rows keeps the cache near one window, and every
// window shows the rows of one full read in the same order.
TEST_F(RowSourceTest, WindowsStayBoundedAndMatchAFullRead) {
    GenerateContacts(10000, 6);
    ASSERT_TRUE(VisibleFieldRegistry::Rebuild());
    const int nameColumn = 2 + VisibleFieldRegistry::IndexOfColumn(QStringLiteral("name"));
    struct Case {
        const char* label;
        int group;
        bool byName;
    } cases[] = {{"indexed", 6, false}, {"name order", 6, true}, {"all contacts", 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SortState state;
        const QString order = c.byName ? NameOrder(state) : QString::fromLatin1(kDefaultContactOrder);
        const ContactListQuery q =
            BuildContactListQuery(c.group, false, order, VisibleFieldRegistry::Fields());
        const std::vector<QString> names = ReadAll(q.listSql, QStringLiteral("name"));
        const std::vector<QString> rowids = ReadAll(q.listSql, QStringLiteral("rowid"));

        RowSource source;
        ASSERT_TRUE(source.Open(g_pDB, q.listSql, q.order, q.countSql));
        ASSERT_EQ(source.Count(), static_cast<int>(names.size()));
        const size_t limit = RowSource::kWindowRows + source.CacheBound();
        size_t mismatches = 0;
        // A page of 30 rows at a time, downwards, then jumps back up.
        for (int first = 0; first < source.Count(); first += 30) {
            const int last = std::min(first + 29, source.Count() - 1);
            source.Hint(first, last);
            ASSERT_LE(source.CachedRows(), limit) << "at row " << first;
            for (int r : {first, last})
                if (source.CellText(r, nameColumn) != names[r] ||
                    QString::number(source.Rowid(r)) != rowids[r])
                    ++mismatches;
        }
        for (int r : {9999, 0, 5003, 7, 9998})
            if (r < source.Count() && source.CellText(r, nameColumn) != names[r])
                ++mismatches;
        EXPECT_LE(source.CachedRows(), limit);
        EXPECT_EQ(mismatches, 0u);
        EXPECT_EQ(source.OrderRows(), q.order == RowOrder::Fixed ? names.size() : 0u);
    }
}

// The name order is the pinyin order with ties broken by rowid, in every
// window, also for Latin names and GBK-extension characters; a row range
// restricts the list and its windows.
TEST_F(RowSourceTest, PinyinSortedWindows) {
    GenerateContacts(10000, 6);
    ASSERT_TRUE(VisibleFieldRegistry::Rebuild());
    const int nameColumn = 2 + VisibleFieldRegistry::IndexOfColumn(QStringLiteral("name"));
    SortState state;
    const ContactListQuery q =
        BuildContactListQuery(6, false, NameOrder(state), VisibleFieldRegistry::Fields());
    EXPECT_TRUE(q.listSql.endsWith(QLatin1String(" ORDER BY name  collate pinyin ASC, rowid")));

    std::vector<std::pair<QString, qint64>> expected;
    {
        SqlStatement st(g_pDB, "SELECT name, rowid FROM ContactList WHERE groupID=6");
        while (st.step() == SQLITE_ROW)
            expected.emplace_back(st.qtext(0), st.int64(1));
        std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
            const QByteArray x = a.first.toUtf8(), y = b.first.toUtf8();
            const int c = PinyinCompare(nullptr, x.size(), x.constData(), y.size(), y.constData());
            return c != 0 ? c < 0 : a.second < b.second;
        });
    }

    struct Case {
        const char* label;
        RowSource::Range range;
        int first; // index into `expected` of list row 0
        int count;
    } cases[] = {
        {"whole list", {}, 0, 10000},
        {"rows 4001..4500", {4000, 500}, 4000, 500},
        {"row 9996 to the end", {9995, -1}, 9995, 5},
        {"past the end", {20000, 10}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RowSource source;
        ASSERT_TRUE(source.Open(g_pDB, q.listSql, RowOrder::Fixed, {}, c.range));
        ASSERT_EQ(source.Count(), c.count);
        for (int r : {0, 1, 1999, 2000, 4001, 6500, 9999}) {
            if (r >= c.count)
                continue;
            EXPECT_EQ(source.CellText(r, nameColumn), expected[c.first + r].first) << "row " << r;
            EXPECT_EQ(source.Rowid(r), expected[c.first + r].second) << "row " << r;
        }
        // The same range read page by page with LIMIT/OFFSET gives the same rows.
        const ContactListQuery paged =
            BuildContactListQuery(6, false, kDefaultContactOrder, VisibleFieldRegistry::Fields());
        RowSource byOffset;
        ASSERT_TRUE(byOffset.Open(g_pDB, paged.listSql, RowOrder::Paged, paged.countSql, c.range));
        EXPECT_EQ(byOffset.Count(), c.count);
    }
}

// Header clicks: ascending, descending, ascending; another column starts
// ascending; the default order forgets the column; the state is packed as
// (direction << 16) | column.
TEST(RowSourceSortState, ClicksFlipTheDirectionOfOneColumn) {
    SortState s;
    struct Step {
        int column;
        const char* name;
        const char* order;
        int direction;
    } steps[] = {
        {3, "name", " ORDER BY name  collate pinyin ASC, rowid", 1},
        {3, "name", " ORDER BY name collate pinyin DESC, rowid", -1},
        {3, "name", " ORDER BY name  collate pinyin ASC, rowid", 1},
        {4, "mobileNum", " ORDER BY mobileNum  collate pinyin ASC, rowid", 1},
        {4, "mobileNum", " ORDER BY mobileNum collate pinyin DESC, rowid", -1},
        {-1, nullptr, nullptr, 0},
        {4, "mobileNum", " ORDER BY mobileNum  collate pinyin ASC, rowid", 1},
    };
    for (const Step& step : steps) {
        if (step.column < 0) {
            s.Reset();
        } else {
            EXPECT_EQ(s.Click(step.column, QString::fromLatin1(step.name)), QString::fromLatin1(step.order));
            EXPECT_EQ(s.Packed(), (step.direction << 16) | step.column);
        }
        EXPECT_EQ(s.Direction(), step.direction);
    }
    // The duplicates list keeps its own blanks before "collate".
    SortState d;
    d.Click(2, QStringLiteral("name"), SortState::Kind::Duplicates);
    EXPECT_EQ(d.Click(2, QStringLiteral("name"), SortState::Kind::Duplicates),
              QStringLiteral(" ORDER BY name  collate pinyin DESC, rowid"));
}

// The registry lists the visible fields in ascending indexField; a field
// whose column is not a ContactList column is left out.
TEST_F(RowSourceTest, RegistryFollowsIndexFieldAndSkipsUnknownColumns) {
    std::string error;
    ASSERT_EQ(ExecSql(&error, g_pDB,
                      "UPDATE fieldDisplay SET isVisible=0 WHERE fieldID>3;"
                      "UPDATE fieldDisplay SET indexField=10 WHERE fieldID=1;"
                      "UPDATE fieldDisplay SET indexField=5 WHERE fieldID=2;"
                      "UPDATE fieldDisplay SET indexField=7 WHERE fieldID=3;"
                      "INSERT INTO fieldDisplay (fieldID, name, nameOfValue, inUse, isVisible, indexField) "
                      "VALUES (40, 'x', 'name;DROP TABLE ContactList', 1, 1, 1)"),
              SQLITE_OK)
        << error;
    ASSERT_TRUE(VisibleFieldRegistry::Rebuild());
    EXPECT_EQ(VisibleFieldRegistry::ColumnNames(), (QStringList{"sex", "mobileNum", "name"}));
    const ContactListQuery q =
        BuildContactListQuery(3, false, kDefaultContactOrder, VisibleFieldRegistry::Fields());
    EXPECT_EQ(q.columns, QStringLiteral("perNO,displayIndex,sex,mobileNum,name,rowid"));
    EXPECT_EQ(q.mobileColumn, 2);
    EXPECT_EQ(q.listSql,
              QStringLiteral("SELECT  perNO,displayIndex,sex,mobileNum,name,rowid FROM contactList WHERE "
                             "1=1  AND groupID=3 ORDER BY displayIndex, rowid"));
    EXPECT_EQ(q.countSql, QStringLiteral("SELECT COUNT(perNO) FROM contactList WHERE 1=1 AND groupID=3"));
}

// A window is read in one pass over its span of rowids when they lie close
// together, else row by row: both give each row its own cells, and a row
// deleted after the query gives none (it is not taken from a neighbour).
TEST(RowSourceWindows, DenseAndSparseWindowsGiveEachRowItsCells) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    ASSERT_EQ(ExecSql(nullptr, db, "CREATE TABLE t(a TEXT, b INTEGER)"), SQLITE_OK);
    {
        SqlTransaction tx(db);
        SqlStatement ins(db, "INSERT INTO t(a,b) VALUES(?,?)");
        for (int i = 1; i <= 9000; ++i) {
            // b scatters the rowids: sorting by it gives sparse windows.
            ins.reset();
            ins.bind(1, "row" + std::to_string(i)).bind(2, (i * 7919) % 9001);
            ASSERT_EQ(ins.exec(), SQLITE_OK);
        }
        ASSERT_EQ(tx.commit(), SQLITE_OK);
    }
    struct Case {
        const char* label;
        const char* statement;
    } cases[] = {
        {"rowid order (dense)", "SELECT a,b FROM t WHERE 1=1 ORDER BY rowid"},
        {"time-like order, descending (dense)", "SELECT a,b FROM t WHERE b>=0 ORDER BY rowid DESC"},
        {"scattered order (sparse)", "SELECT a,b FROM t ORDER BY b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RowSource source;
        ASSERT_TRUE(source.Open(db, QString::fromLatin1(c.statement), RowOrder::Fixed));
        ASSERT_EQ(source.Count(), 9000);
        // Rows deleted after the query are in the order list but gone.
        ASSERT_EQ(ExecSql(nullptr, db, "DELETE FROM t WHERE rowid IN (5, 4500, 8999)"), SQLITE_OK);
        int wrong = 0;
        for (int r : {0, 1, 2500, 4499, 6000, 8998, 8999}) {
            const qint64 rowid = source.Rowid(r);
            const std::optional<QString> a = source.Cell(r, 0);
            if (rowid == 5 || rowid == 4500 || rowid == 8999) {
                wrong += a.has_value();
                continue;
            }
            wrong += a != QStringLiteral("row%1").arg(rowid);
            wrong += source.CellText(r, 1) != QString::number((rowid * 7919) % 9001);
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(source.ColumnCount(), 2);
        ASSERT_EQ(ExecSql(nullptr, db, "INSERT INTO t(rowid,a,b) VALUES (5,'row5',39595 % 9001),"
                                        "(4500,'row4500',(4500*7919)%9001),(8999,'row8999',(8999*7919)%9001)"),
                  SQLITE_OK);
    }
    sqlite3_close(db);
}
