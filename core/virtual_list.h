#pragma once
// The row source of the large number lists (hundreds of thousands of rows):
// each row is a 64-bit key (a phone number read as an integer) and a row
// text. The dialog that owns a list view keeps one and answers the view's
// cell requests from it; the view itself never calls it. The SMS and contact
// subsystems provide the implementations (keyed by a hash map, or by
// position).
#include <QString>
#include <QtGlobal>

class VIRTUAL_LIST {
public:
    // Deleting a source frees its rows and both of its arrays.
    virtual ~VIRTUAL_LIST() = default;

    // The number of rows.
    virtual int GetCount() const = 0;
    // The key of row i; an index outside 0..count-1 throws std::out_of_range.
    virtual qint64 GetKey(int i) const = 0;
    // Key and text of row i; false when i is past the last row or the row has
    // no text (the outputs are then left as they were).
    virtual bool GetRow(int i, qint64* key, QString* row) const = 0;
    // True when a row with this key is present; its text goes to *row when
    // row is not null (a caller that only checks for duplicates passes null).
    virtual bool Lookup(qint64 key, QString* row) const = 0;
    // Stores key and text at index i; an index outside 0..count-1 throws
    // std::out_of_range.
    virtual void SetRow(int i, qint64 key, const QString& row) = 0;
    // Stores the key and the text (none when name is null) at index and
    // counts a new row; index == GetCount() appends.
    virtual void SetItem(int index, const qint64* key, const QString* name) = 0;
    // Removes row i; later rows move up. An index outside 0..count-1 throws
    // std::out_of_range.
    virtual void RemoveAt(int i) = 0;
    // Deletes every row object; every key becomes -1 and the count 0.
    virtual void FreeItems() = 0;
    // Frees every row text; every key becomes -1 and the count 0. The source
    // stays usable (the composer empties its list this way after a send).
    virtual void FreeRows() = 0;

protected:
    VIRTUAL_LIST() = default;
    VIRTUAL_LIST(const VIRTUAL_LIST&) = default;
    VIRTUAL_LIST& operator=(const VIRTUAL_LIST&) = default;
};
