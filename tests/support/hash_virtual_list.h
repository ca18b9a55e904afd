#pragma once
// A number list for tests and benchmarks: rows in a vector, keys found
// through a hash map, as the composers' own list will keep them.
#include "core/virtual_list.h"

#include <QHash>
#include <QString>

#include <optional>
#include <stdexcept>
#include <vector>

class HashVirtualList : public VIRTUAL_LIST {
public:
    int GetCount() const override { return static_cast<int>(m_keys.size()); }

    qint64 GetKey(int i) const override {
        check(i);
        return m_keys[static_cast<size_t>(i)];
    }

    bool GetRow(int i, qint64* key, QString* row) const override {
        if (i < 0 || i >= GetCount() || !m_rows[static_cast<size_t>(i)])
            return false;
        if (key)
            *key = m_keys[static_cast<size_t>(i)];
        if (row)
            *row = *m_rows[static_cast<size_t>(i)];
        return true;
    }

    bool Lookup(qint64 key, QString* row) const override {
        const auto it = m_index.find(key);
        if (it == m_index.end())
            return false;
        if (row)
            *row = m_rows[static_cast<size_t>(*it)].value_or(QString());
        return true;
    }

    void SetRow(int i, qint64 key, const QString& row) override {
        check(i);
        unindex(i);
        m_keys[static_cast<size_t>(i)] = key;
        m_rows[static_cast<size_t>(i)] = row;
        m_index.insert(key, i);
    }

    void SetItem(int index, const qint64* key, const QString* name) override {
        if (index < 0 || index > GetCount())
            throw std::out_of_range("HashVirtualList::SetItem");
        const qint64 k = key ? *key : -1;
        std::optional<QString> text;
        if (name)
            text = *name;
        if (index == GetCount()) {
            m_keys.push_back(k);
            m_rows.push_back(std::move(text));
        } else {
            unindex(index);
            m_keys[static_cast<size_t>(index)] = k;
            m_rows[static_cast<size_t>(index)] = std::move(text);
        }
        m_index.insert(k, index);
    }

    void RemoveAt(int i) override {
        check(i);
        m_keys.erase(m_keys.begin() + i);
        m_rows.erase(m_rows.begin() + i);
        reindex();
    }

    void FreeItems() override { clear(); }
    void FreeRows() override { clear(); }

private:
    void check(int i) const {
        if (i < 0 || i >= GetCount())
            throw std::out_of_range("HashVirtualList index");
    }
    void unindex(int i) {
        const auto it = m_index.find(m_keys[static_cast<size_t>(i)]);
        if (it != m_index.end() && *it == i)
            m_index.erase(it);
    }
    void reindex() {
        m_index.clear();
        for (size_t i = 0; i < m_keys.size(); ++i)
            m_index.insert(m_keys[i], static_cast<int>(i));
    }
    void clear() {
        m_keys.clear();
        m_rows.clear();
        m_index.clear();
    }

    std::vector<qint64> m_keys;
    std::vector<std::optional<QString>> m_rows;
    QHash<qint64, int> m_index;
};
