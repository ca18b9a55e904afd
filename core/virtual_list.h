#pragma once
// The row source of the large number lists (hundreds of thousands of rows):
// each row is a 64-bit key (a phone number as core/numbers keys it), a row
// text (the contact's name) and the id of the contact it came from (0 for
// none). The dialog that owns a list view keeps one and answers the view's
// cell requests from it; the view itself never calls it. The SMS and contact
// subsystems provide the implementations (keyed by a hash map, or by
// position).
//
// A source also keeps how many of its rows are domestic and how many
// international (core/numbers' IsInternationalKey), through every add,
// replacement and removal, so its owner never keeps a second tally that can
// drift from the rows.
//
// An index outside the rows is a failure the source logs and reports through
// its return value; nothing throws.
#include <QString>
#include <QtGlobal>

#include <vector>

class VIRTUAL_LIST {
public:
    // Deleting a source frees its rows.
    virtual ~VIRTUAL_LIST() = default;

    // The number of rows.
    virtual int GetCount() const = 0;
    // The key of row i; -1 (logged) for an index outside 0..count-1.
    virtual qint64 GetKey(int i) const = 0;
    // Key and text of row i; false when i is outside the rows or the row has
    // no text (the outputs are then left as they were).
    virtual bool GetRow(int i, qint64* key, QString* row) const = 0;
    // The contact id stored with row i; 0 for none or an index outside the rows.
    virtual int GetContactId(int i) const = 0;
    // True when a row with this key is present; its text goes to *row when
    // row is not null (a caller that only checks for duplicates passes null).
    // A source kept by position never finds a key.
    virtual bool Lookup(qint64 key, QString* row) const = 0;
    // Replaces key and text of row i (the old key is dropped, the contact id
    // kept). False (logged) for an index outside 0..count-1, or when a source
    // that holds a key once already holds `key` in another row.
    virtual bool SetRow(int i, qint64 key, const QString& row) = 0;
    // Stores key, text (none when name is null) and contact id at index:
    // index == GetCount() appends a row, a smaller index replaces that row.
    // False (logged) for a null key, an index outside 0..count, or a key a
    // once-only source already holds in another row.
    virtual bool SetItem(int index, const qint64* key, const QString* name, int contactId = 0) = 0;
    // Removes row i; later rows move up. False (logged) for an index outside
    // 0..count-1.
    virtual bool RemoveAt(int i) = 0;
    // Removes the rows at these indexes (any order, repeats and indexes
    // outside the rows ignored) in one pass; returns how many went.
    virtual int RemoveRows(const std::vector<int>& indexes) = 0;
    // Deletes every row; the count becomes 0.
    virtual void FreeItems() = 0;
    // Frees every row; the count and both tallies become 0. The source stays
    // usable (the composer empties its list this way after a send).
    virtual void FreeRows() = 0;

    // Rows whose number is domestic / international.
    virtual int DomesticCount() const = 0;
    virtual int InternationalCount() const = 0;

protected:
    VIRTUAL_LIST() = default;
    VIRTUAL_LIST(const VIRTUAL_LIST&) = default;
    VIRTUAL_LIST& operator=(const VIRTUAL_LIST&) = default;
};
