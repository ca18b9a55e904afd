#pragma once
// A number list for tests and benchmarks below the SMS library: rows in a
// vector, keys found through a hash map, a key once.
#include "core/numbers.h"
#include "core/virtual_list.h"

#include <QHash>
#include <QString>

#include <algorithm>
#include <optional>
#include <vector>

class HashVirtualList : public VIRTUAL_LIST {
public:
    int GetCount() const override { return static_cast<int>(m_rows.size()); }

    qint64 GetKey(int i) const override { return inside(i) ? m_rows[static_cast<size_t>(i)].key : -1; }

    bool GetRow(int i, qint64* key, QString* row) const override {
        if (!inside(i) || !m_rows[static_cast<size_t>(i)].name)
            return false;
        if (key)
            *key = m_rows[static_cast<size_t>(i)].key;
        if (row)
            *row = *m_rows[static_cast<size_t>(i)].name;
        return true;
    }

    int GetContactId(int i) const override {
        return inside(i) ? m_rows[static_cast<size_t>(i)].contactId : 0;
    }

    bool Lookup(qint64 key, QString* row) const override {
        const auto it = m_index.find(key);
        if (it == m_index.end())
            return false;
        if (row)
            *row = m_rows[static_cast<size_t>(*it)].name.value_or(QString());
        return true;
    }

    bool SetRow(int i, qint64 key, const QString& row) override {
        if (!inside(i))
            return false;
        Row& r = m_rows[static_cast<size_t>(i)];
        if (r.key != key) {
            if (m_index.contains(key))
                return false;
            m_index.remove(r.key);
            r.key = key;
            m_index.insert(key, i);
        }
        r.name = row;
        return true;
    }

    bool SetItem(int index, const qint64* key, const QString* name, int contactId = 0) override {
        if (!key || index < 0 || index > GetCount())
            return false;
        if (index < GetCount()) {
            if (!SetRow(index, *key, QString()))
                return false;
        } else {
            if (m_index.contains(*key))
                return false;
            m_rows.push_back(Row{*key, std::nullopt, 0});
            m_index.insert(*key, index);
        }
        Row& r = m_rows[static_cast<size_t>(index)];
        r.name = name ? std::optional<QString>(*name) : std::nullopt;
        r.contactId = contactId;
        return true;
    }

    bool RemoveAt(int i) override { return RemoveRows({i}) == 1; }

    int RemoveRows(const std::vector<int>& indexes) override {
        std::vector<bool> drop(m_rows.size(), false);
        int removed = 0;
        for (const int i : indexes)
            if (inside(i) && !drop[static_cast<size_t>(i)]) {
                drop[static_cast<size_t>(i)] = true;
                ++removed;
            }
        std::vector<Row> kept;
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (!drop[i])
                kept.push_back(m_rows[i]);
        m_rows.swap(kept);
        m_index.clear();
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_index.insert(m_rows[i].key, static_cast<int>(i));
        return removed;
    }

    void FreeItems() override { clear(); }
    void FreeRows() override { clear(); }

    int DomesticCount() const override {
        return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(),
                                              [](const Row& r) { return !IsInternationalKey(r.key); }));
    }
    int InternationalCount() const override { return GetCount() - DomesticCount(); }

private:
    struct Row {
        qint64 key;
        std::optional<QString> name;
        int contactId;
    };
    bool inside(int i) const { return i >= 0 && i < GetCount(); }
    void clear() {
        m_rows.clear();
        m_index.clear();
    }

    std::vector<Row> m_rows;
    QHash<qint64, int> m_index;
};
