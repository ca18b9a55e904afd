#include "core/numbers.h"
#include "sms/row_sources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace {

struct Model {
    qint64 key;
    QString name;
    int id;
};

// Every observable of the source agrees with a plain vector of rows.
void ExpectSame(const VIRTUAL_LIST& list, const std::vector<Model>& model, bool keyed) {
    ASSERT_EQ(list.GetCount(), int(model.size()));
    int international = 0;
    for (size_t i = 0; i < model.size(); ++i) {
        const int row = int(i);
        ASSERT_EQ(list.GetKey(row), model[i].key) << row;
        ASSERT_EQ(list.GetContactId(row), model[i].id) << row;
        qint64 key = 0;
        QString name;
        ASSERT_TRUE(list.GetRow(row, &key, &name));
        ASSERT_EQ(name, model[i].name);
        QString found;
        ASSERT_EQ(list.Lookup(model[i].key, &found), keyed);
        if (keyed) {
            ASSERT_EQ(found, model[i].name);
        }
        international += IsInternationalKey(model[i].key) ? 1 : 0;
    }
    EXPECT_EQ(list.InternationalCount(), international);
    EXPECT_EQ(list.DomesticCount(), int(model.size()) - international);
}

qint64 RandomKey(std::mt19937& rng) {
    // A small key space, so removals, repeats and re-adds meet often; a third
    // of them international.
    const qint64 n = std::uniform_int_distribution<qint64>(0, 2999)(rng);
    return n % 3 == 0 ? 20085200000000LL + n : 13800000000LL + n;
}

TEST(RowSources, KeyedSourceFollowsEveryChange) {
    std::mt19937 rng(11);
    VIRTUAL_LIST_BUF list;
    std::vector<Model> model;
    for (int round = 0; round < 4000; ++round) {
        const int op = std::uniform_int_distribution<int>(0, 9)(rng);
        const qint64 key = RandomKey(rng);
        const bool present =
            std::any_of(model.begin(), model.end(), [&](const Model& m) { return m.key == key; });
        if (op < 6) {
            const QString name = QString::number(round);
            EXPECT_EQ(list.SetItem(list.GetCount(), &key, &name, round), !present);
            if (!present)
                model.push_back({key, name, round});
        } else if (op < 7 && !model.empty()) {
            const int i = std::uniform_int_distribution<int>(0, int(model.size()) - 1)(rng);
            const bool taken = present && model[size_t(i)].key != key;
            EXPECT_EQ(list.SetRow(i, key, QStringLiteral("r")), !taken);
            if (!taken)
                model[size_t(i)] = {key, QStringLiteral("r"), model[size_t(i)].id};
        } else if (op < 9 && !model.empty()) {
            std::vector<int> drop;
            const int n = std::uniform_int_distribution<int>(1, 40)(rng);
            for (int k = 0; k < n; ++k)
                drop.push_back(std::uniform_int_distribution<int>(-2, int(model.size()) + 2)(rng));
            std::vector<int> sorted;
            for (const int d : drop)
                if (d >= 0 && d < int(model.size()))
                    sorted.push_back(d);
            std::sort(sorted.begin(), sorted.end());
            sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
            EXPECT_EQ(list.RemoveRows(drop), int(sorted.size()));
            for (auto it = sorted.rbegin(); it != sorted.rend(); ++it)
                model.erase(model.begin() + *it);
        } else if (!model.empty()) {
            const int i = std::uniform_int_distribution<int>(0, int(model.size()) - 1)(rng);
            EXPECT_TRUE(list.RemoveAt(i));
            model.erase(model.begin() + i);
        }
        if (round % 97 == 0)
            ExpectSame(list, model, true);
    }
    ExpectSame(list, model, true);
    for (qint64 k = 0; k < 3000; ++k) {
        const qint64 key = k % 3 == 0 ? 20085200000000LL + k : 13800000000LL + k;
        const bool present =
            std::any_of(model.begin(), model.end(), [&](const Model& m) { return m.key == key; });
        ASSERT_EQ(list.Lookup(key, nullptr), present) << key << " (a removed key must not linger)";
    }
}

TEST(RowSources, PositionalSourceKeepsRepeatsAndTextsWithTheirRows) {
    std::mt19937 rng(5);
    VIRTUAL_LIST_PERMSG list;
    std::vector<Model> model;
    for (int round = 0; round < 2000; ++round) {
        const qint64 key = RandomKey(rng);
        if (std::uniform_int_distribution<int>(0, 2)(rng) != 0 || model.empty()) {
            const QString name = QString::number(round);
            ASSERT_TRUE(list.SetItem(list.GetCount(), &key, &name, round));
            ASSERT_TRUE(list.SetContent(list.GetCount() - 1, QStringLiteral("text %1").arg(round)));
            model.push_back({key, name, round});
        } else {
            const int i = std::uniform_int_distribution<int>(0, int(model.size()) - 1)(rng);
            ASSERT_EQ(list.RemoveRows({i, i, -1}), 1);
            model.erase(model.begin() + i);
        }
    }
    ExpectSame(list, model, false);
    for (size_t i = 0; i < model.size(); ++i) {
        const NUM_CONTENT nc = list.GetNumContent(int(i));
        ASSERT_EQ(nc.number, NumberFromKey(model[i].key));
        ASSERT_EQ(nc.text, QStringLiteral("text %1").arg(model[i].id)) << "a row's text moved with its row";
    }
}

TEST(RowSources, OutOfRangeIsAFailureNotAnException) {
    VIRTUAL_LIST_BUF buf;
    VIRTUAL_LIST_PERMSG permsg;
    for (VIRTUAL_LIST* list : std::initializer_list<VIRTUAL_LIST*>{&buf, &permsg}) {
        const qint64 key = 13800138000LL;
        const QString name = QStringLiteral("甲");
        ASSERT_TRUE(list->SetItem(0, &key, &name, 3));
        for (const int i : {-1, 1, 1000000}) {
            SCOPED_TRACE(i);
            EXPECT_EQ(list->GetKey(i), -1);
            qint64 k = 42;
            QString text = "kept";
            EXPECT_FALSE(list->GetRow(i, &k, &text));
            EXPECT_EQ(k, 42);
            EXPECT_EQ(text, "kept");
            EXPECT_EQ(list->GetContactId(i), 0);
            EXPECT_FALSE(list->SetRow(i, 13900139000LL, name));
            EXPECT_FALSE(list->RemoveAt(i));
        }
        EXPECT_FALSE(list->SetItem(2, &key, &name)) << "past the end";
        EXPECT_FALSE(list->SetItem(1, nullptr, &name)) << "no key";
        EXPECT_EQ(list->GetCount(), 1);
        EXPECT_EQ(list->DomesticCount(), 1);
    }
}

TEST(RowSources, SetRowAndSetItemReplaceTheOldKey) {
    VIRTUAL_LIST_BUF list;
    const qint64 a = 13800138000LL, b = 20085212345678LL, c = 13900139000LL;
    const QString name = QStringLiteral("甲");
    ASSERT_TRUE(list.SetItem(0, &a, &name, 5));
    ASSERT_TRUE(list.SetItem(1, &c, nullptr, 6));
    EXPECT_TRUE(list.SetRow(0, b, QStringLiteral("乙")));
    EXPECT_FALSE(list.Lookup(a, nullptr)) << "the old key is dropped";
    EXPECT_TRUE(list.Lookup(b, nullptr));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetContactId(0), 5);
    EXPECT_EQ(list.DomesticCount(), 1);
    EXPECT_EQ(list.InternationalCount(), 1);
    EXPECT_FALSE(list.SetRow(0, c, name)) << "a key once: row 1 holds it";
    EXPECT_TRUE(list.SetItem(1, &a, nullptr, 8)) << "an index inside the rows replaces that row";
    EXPECT_FALSE(list.Lookup(c, nullptr));
    EXPECT_EQ(list.GetContactId(1), 8);
    EXPECT_EQ(list.DomesticCount(), 1);
    EXPECT_FALSE(list.GetRow(1, nullptr, nullptr)) << "stored without a name";
}

TEST(RowSources, NamesAreCutAtACharacterBoundary) {
    const struct {
        QString name;
        QString stored;
    } cases[] = {
        {QString(31, 'a'), QString(31, 'a')},
        {QString(40, 'a'), QString(31, 'a')},
        {QString(11, QChar(0x4E2D)), QString(10, QChar(0x4E2D))}, // 33 bytes: 10 whole characters
        {QStringLiteral("a") + QString(11, QChar(0x4E2D)), QStringLiteral("a") + QString(10, QChar(0x4E2D))},
        {QString(9, QChar(0x4E2D)) + QStringLiteral("😀"), QString(9, QChar(0x4E2D)) + QStringLiteral("😀")},
        {QString(8, QChar(0x4E2D)) + QStringLiteral("😀😀"), QString(8, QChar(0x4E2D)) + QStringLiteral("😀")},
        {QString(), QString()},
    };
    for (const auto& c : cases) {
        VIRTUAL_LIST_BUF list;
        const qint64 key = 13800138000LL;
        ASSERT_TRUE(list.SetItem(0, &key, &c.name));
        QString stored;
        ASSERT_TRUE(list.Lookup(key, &stored));
        EXPECT_EQ(stored, c.stored) << c.name.toStdString();
        EXPECT_LE(stored.toUtf8().size(), kRowNameBytes);
    }
}

TEST(RowSources, FreeRowsEmptiesAndTheSourceStaysUsable) {
    VIRTUAL_LIST_BUF buf;
    VIRTUAL_LIST_PERMSG permsg;
    for (VIRTUAL_LIST* list : std::initializer_list<VIRTUAL_LIST*>{&buf, &permsg}) {
        for (qint64 k = 0; k < 1000; ++k) {
            const qint64 key = (k % 2 ? 20085200000000LL : 13800000000LL) + k;
            ASSERT_TRUE(list->SetItem(list->GetCount(), &key, nullptr));
        }
        list->FreeRows();
        EXPECT_EQ(list->GetCount(), 0);
        EXPECT_EQ(list->DomesticCount(), 0);
        EXPECT_EQ(list->InternationalCount(), 0);
        EXPECT_EQ(list->GetKey(0), -1);
        EXPECT_FALSE(list->Lookup(13800000000LL, nullptr));
        const qint64 again = 13800000000LL;
        EXPECT_TRUE(list->SetItem(0, &again, nullptr)) << "a key of the freed rows may come back";
        EXPECT_EQ(list->GetCount(), 1);
        EXPECT_EQ(list->DomesticCount(), 1);
    }
}

TEST(RowSources, AMillionRowsAndABulkRemoval) {
    VIRTUAL_LIST_BUF list(1000000);
    for (int i = 0; i < 1000000; ++i)
        ASSERT_TRUE(list.Append(13000000000LL + i * 7, "", i));
    EXPECT_FALSE(list.Append(13000000000LL, "", 0));
    std::vector<int> odd;
    for (int i = 1; i < 1000000; i += 2)
        odd.push_back(i);
    EXPECT_EQ(list.RemoveRows(odd), 500000);
    EXPECT_EQ(list.GetCount(), 500000);
    EXPECT_EQ(list.Find(13000000000LL + 7 * 999998), 499999);
    EXPECT_EQ(list.Find(13000000000LL + 7 * 999999), -1);
    EXPECT_EQ(list.GetContactId(499999), 999998) << "ids stay with their rows";
}

} // namespace
