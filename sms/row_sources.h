#pragma once
// The two row sources of the sending lists.
//
// VIRTUAL_LIST_BUF: rows in list order, found by key through an
// open-addressing index; a key occurs once, so the count is the number of
// distinct keys. The composer's list.
// VIRTUAL_LIST_PERMSG: rows by position; repeats allowed, Lookup never finds
// anything; each row may carry its own text (personalised messages).
//
// A row is the key, the contact's name as UTF-8 cut to at most 31 bytes at a
// character boundary (kept inline, so a million rows cost no heap block
// each) and the contact id.
#include "core/virtual_list.h"
#include "sms/num_content.h"

#include <cstdint>
#include <string_view>
#include <vector>

// The longest stored name, in UTF-8 bytes.
inline constexpr int kRowNameBytes = 31;

// `name` as UTF-8, cut to at most kRowNameBytes bytes without splitting a
// character.
std::string_view CutRowName(std::string_view utf8);

struct NumberRow {
    qint64 key = -1;
    qint32 contactId = 0;
    quint8 nameBytes = 0;
    bool hasName = false;
    char name[kRowNameBytes] = {};

    void SetName(std::string_view utf8); // cut with CutRowName
    void SetName(const QString* name);   // null: no name
    QString Name() const;
};

class VIRTUAL_LIST_BUF : public VIRTUAL_LIST {
public:
    // `reserveRows`: rows to make room for at once.
    explicit VIRTUAL_LIST_BUF(int reserveRows = 0);
    ~VIRTUAL_LIST_BUF() override;

    int GetCount() const override;
    qint64 GetKey(int i) const override;
    bool GetRow(int i, qint64* key, QString* row) const override;
    int GetContactId(int i) const override;
    bool Lookup(qint64 key, QString* row) const override;
    bool SetRow(int i, qint64 key, const QString& row) override;
    bool SetItem(int index, const qint64* key, const QString* name, int contactId = 0) override;
    bool RemoveAt(int i) override;
    int RemoveRows(const std::vector<int>& indexes) override;
    void FreeItems() override;
    void FreeRows() override;
    int DomesticCount() const override;
    int InternationalCount() const override;

    // The row index of `key`, -1 when absent.
    int Find(qint64 key) const;
    // Appends a row unless its key is present; the name as UTF-8 bytes (cut
    // here). False when the key was present. The fast road of large intakes.
    bool Append(qint64 key, std::string_view nameUtf8, int contactId);
    // Makes room for this many rows in all.
    void Reserve(int rows);

private:
    // Indexes every row afresh in a table with room for `room` rows.
    void Rebuild(size_t room = 0);
    void IndexInsert(qint64 key, int row);
    void IndexErase(qint64 key);
    void Tally(qint64 key, int delta);

    std::vector<NumberRow> m_rows;
    std::vector<quint64> m_slots; // hash tag and row index + 1; 0 = empty; size a power of two
    int m_domestic = 0;
    int m_international = 0;
};

class VIRTUAL_LIST_PERMSG : public VIRTUAL_LIST {
public:
    explicit VIRTUAL_LIST_PERMSG(int reserveRows = 0);
    ~VIRTUAL_LIST_PERMSG() override;

    int GetCount() const override;
    qint64 GetKey(int i) const override;
    bool GetRow(int i, qint64* key, QString* row) const override;
    int GetContactId(int i) const override;
    bool Lookup(qint64 key, QString* row) const override;
    bool SetRow(int i, qint64 key, const QString& row) override;
    bool SetItem(int index, const qint64* key, const QString* name, int contactId = 0) override;
    bool RemoveAt(int i) override;
    int RemoveRows(const std::vector<int>& indexes) override;
    void FreeItems() override;
    void FreeRows() override;
    int DomesticCount() const override;
    int InternationalCount() const override;

    // The row's own text (personalised message); empty when none or outside.
    QString GetContent(int i) const;
    // False (logged) for an index outside the rows.
    bool SetContent(int i, const QString& text);
    // Number (as sent) and own text of row i; number empty when outside.
    NUM_CONTENT GetNumContent(int i) const;
    void Reserve(int rows);

    // A personalised message as it will be sent: the number's key, the text
    // (filled once, without mark and signature), its statistics mark ("" for
    // none), the contact id, its own send time ("" = the submission's) and,
    // for a resent record, the sendNums row it came from.
    struct Message {
        qint64 key = -1;
        qint64 contactId = 0;
        QString text;
        QString mark;
        QString sendTime;
        qint64 sourceId = 0;    // sendInfo.sendID of a resent record; 0 none
        qint64 sourceRowid = 0; // rowid of its sendNums row
    };
    // Appends a message row.
    void AppendMessage(Message message);
    // Row i as a message; false (logged) for an index outside the rows.
    bool GetMessage(int i, Message* message) const;
    QString GetMark(int i) const;
    QString GetSendTime(int i) const;

private:
    void Tally(qint64 key, int delta);

    struct Row {
        NumberRow number;
        QString content; // the row's own text; one record, so it moves with its row
        QString mark;
        QString sendTime;
        qint64 sourceId = 0;
        qint64 sourceRowid = 0;
    };
    std::vector<Row> m_rows;
    int m_domestic = 0;
    int m_international = 0;
};
