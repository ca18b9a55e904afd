#include "sms/row_sources.h"

#include "core/log.h"
#include "core/numbers.h"
#include "platform/huge_pages.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

namespace {

void LogBadIndex(const char* where, int i, int count) {
    LogWrite(g_logRun,
             std::string("ERROR,") + where + " 行号越界: " + std::to_string(i) + "/" + std::to_string(count));
}

// Indexes to remove, sorted, without repeats and inside 0..count-1.
std::vector<int> RemovalSet(const std::vector<int>& indexes, int count) {
    std::vector<int> sorted;
    sorted.reserve(indexes.size());
    for (const int i : indexes)
        if (i >= 0 && i < count)
            sorted.push_back(i);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    return sorted;
}

// Drops the rows at the sorted indexes in one pass, keeping the order of the
// others; `dropped` sees each row that goes.
template <typename Row, typename Dropped>
void Compact(std::vector<Row>& rows, const std::vector<int>& sorted, Dropped dropped) {
    size_t out = 0;
    size_t next = 0;
    for (size_t in = 0; in < rows.size(); ++in) {
        if (next < sorted.size() && static_cast<size_t>(sorted[next]) == in) {
            dropped(rows[in]);
            ++next;
            continue;
        }
        if (out != in)
            rows[out] = std::move(rows[in]);
        ++out;
    }
    rows.resize(out);
}

// Row storage grows by this many rows at a time: a million-number intake
// copies its rows once or twice instead of twenty times, and capacity not
// yet written costs address space, not memory. The unwritten part is
// offered huge pages, so the rows fill it with few page faults.
constexpr size_t kRowBlock = 500000;

template <typename Row> void ReserveRows(std::vector<Row>& rows, size_t count) {
    if (count <= rows.capacity())
        return;
    rows.reserve(count);
    AdviseHugePages(rows.data() + rows.size(), (rows.capacity() - rows.size()) * sizeof(Row));
}

template <typename Row> void MakeRoomForOne(std::vector<Row>& rows) {
    if (rows.size() == rows.capacity())
        ReserveRows(rows, rows.size() + kRowBlock);
}

size_t SlotsFor(size_t rows) {
    // At most half full, so probes stay short.
    size_t n = 16;
    while (n < rows * 2)
        n *= 2;
    return n;
}

// A slot holds the row index + 1 in its low half (0: empty) and a tag of the
// key's hash in its high half, so a probe compares tags in the table itself
// and reads a row only when the tag matches.
inline quint64 HashOf(qint64 key) {
    return static_cast<quint64>(key) * 0x9E3779B97F4A7C15ULL;
}
// The home slot: the hash's top bits.
inline size_t Home(quint64 hash, size_t tableSize) {
    return static_cast<size_t>(hash >> (64 - std::countr_zero(static_cast<quint64>(tableSize))));
}
inline quint64 Tag(quint64 hash) {
    return hash << 32;
}
inline int RowOf(quint64 slot) {
    return static_cast<int>(static_cast<quint32>(slot)) - 1;
}
inline quint64 SlotFor(quint64 hash, int row) {
    return Tag(hash) | static_cast<quint32>(row + 1);
}

} // namespace

std::string_view CutRowName(std::string_view utf8) {
    if (utf8.size() <= static_cast<size_t>(kRowNameBytes))
        return utf8;
    size_t n = kRowNameBytes;
    // Back off the continuation bytes of a character the cut would split.
    while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80)
        --n;
    return utf8.substr(0, n);
}

void NumberRow::SetName(std::string_view utf8) {
    const std::string_view cut = CutRowName(utf8);
    std::memcpy(name, cut.data(), cut.size());
    nameBytes = static_cast<quint8>(cut.size());
    hasName = true;
}

void NumberRow::SetName(const QString* text) {
    if (!text) {
        nameBytes = 0;
        hasName = false;
        return;
    }
    const QByteArray utf8 = text->toUtf8();
    SetName(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

QString NumberRow::Name() const {
    return QString::fromUtf8(name, nameBytes);
}

// ---------------------------------------------------------------------------

VIRTUAL_LIST_BUF::VIRTUAL_LIST_BUF(int reserveRows) {
    Reserve(reserveRows);
}

VIRTUAL_LIST_BUF::~VIRTUAL_LIST_BUF() = default;

void VIRTUAL_LIST_BUF::Reserve(int rows) {
    if (rows <= 0)
        return;
    ReserveRows(m_rows, static_cast<size_t>(rows));
    if (SlotsFor(static_cast<size_t>(rows)) > m_slots.size())
        Rebuild(static_cast<size_t>(rows));
}

int VIRTUAL_LIST_BUF::GetCount() const {
    return static_cast<int>(m_rows.size());
}

qint64 VIRTUAL_LIST_BUF::GetKey(int i) const {
    if (i < 0 || i >= GetCount()) {
        LogBadIndex("VIRTUAL_LIST_BUF::GetKey", i, GetCount());
        return -1;
    }
    return m_rows[static_cast<size_t>(i)].key;
}

bool VIRTUAL_LIST_BUF::GetRow(int i, qint64* key, QString* row) const {
    if (i < 0 || i >= GetCount())
        return false;
    const NumberRow& r = m_rows[static_cast<size_t>(i)];
    if (!r.hasName)
        return false;
    if (key)
        *key = r.key;
    if (row)
        *row = r.Name();
    return true;
}

int VIRTUAL_LIST_BUF::GetContactId(int i) const {
    if (i < 0 || i >= GetCount())
        return 0;
    return m_rows[static_cast<size_t>(i)].contactId;
}

int VIRTUAL_LIST_BUF::Find(qint64 key) const {
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    const quint64 hash = HashOf(key);
    const quint64 tag = Tag(hash);
    for (size_t s = Home(hash, m_slots.size());; s = (s + 1) & mask) {
        const quint64 slot = m_slots[s];
        if (slot == 0)
            return -1;
        if ((slot & 0xFFFFFFFF00000000ULL) == tag && m_rows[static_cast<size_t>(RowOf(slot))].key == key)
            return RowOf(slot);
    }
}

bool VIRTUAL_LIST_BUF::Lookup(qint64 key, QString* row) const {
    const int i = Find(key);
    if (i < 0)
        return false;
    if (row)
        *row = m_rows[static_cast<size_t>(i)].Name();
    return true;
}

void VIRTUAL_LIST_BUF::IndexInsert(qint64 key, int row) {
    if (SlotsFor(m_rows.size()) > m_slots.size()) {
        Rebuild(); // the new row is in m_rows already, so Rebuild indexes it
        return;
    }
    const size_t mask = m_slots.size() - 1;
    const quint64 hash = HashOf(key);
    size_t s = Home(hash, m_slots.size());
    while (m_slots[s] != 0)
        s = (s + 1) & mask;
    m_slots[s] = SlotFor(hash, row);
}

void VIRTUAL_LIST_BUF::IndexErase(qint64 key) {
    if (m_slots.empty())
        return;
    const size_t mask = m_slots.size() - 1;
    size_t s = Home(HashOf(key), m_slots.size());
    while (m_slots[s] != 0 && m_rows[static_cast<size_t>(RowOf(m_slots[s]))].key != key)
        s = (s + 1) & mask;
    if (m_slots[s] == 0)
        return;
    // Backward-shift deletion: later entries of the probe run move up, so no
    // tombstones are needed.
    size_t hole = s;
    for (size_t j = (hole + 1) & mask; m_slots[j] != 0; j = (j + 1) & mask) {
        const size_t home = Home(HashOf(m_rows[static_cast<size_t>(RowOf(m_slots[j]))].key), m_slots.size());
        // Move j into the hole when its home does not lie in (hole, j].
        const bool between = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
        if (!between) {
            m_slots[hole] = m_slots[j];
            hole = j;
        }
    }
    m_slots[hole] = 0;
}

void VIRTUAL_LIST_BUF::Rebuild(size_t room) {
    m_slots.assign(SlotsFor(std::max(room, m_rows.size())), 0);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const quint64 hash = HashOf(m_rows[i].key);
        size_t s = Home(hash, m_slots.size());
        while (m_slots[s] != 0)
            s = (s + 1) & mask;
        m_slots[s] = SlotFor(hash, static_cast<int>(i));
    }
}

void VIRTUAL_LIST_BUF::Tally(qint64 key, int delta) {
    if (IsInternationalKey(key))
        m_international += delta;
    else
        m_domestic += delta;
}

bool VIRTUAL_LIST_BUF::Append(qint64 key, std::string_view nameUtf8, int contactId) {
    // One probe finds a repeat or the free slot of the new row.
    if (SlotsFor(m_rows.size() + 1) > m_slots.size())
        Rebuild(m_rows.size() + 1);
    const size_t mask = m_slots.size() - 1;
    const quint64 hash = HashOf(key);
    const quint64 tag = Tag(hash);
    size_t s = Home(hash, m_slots.size());
    for (; m_slots[s] != 0; s = (s + 1) & mask) {
        if ((m_slots[s] & 0xFFFFFFFF00000000ULL) == tag &&
            m_rows[static_cast<size_t>(RowOf(m_slots[s]))].key == key)
            return false;
    }
    m_slots[s] = SlotFor(hash, static_cast<int>(m_rows.size()));
    MakeRoomForOne(m_rows);
    NumberRow& row = m_rows.emplace_back();
    row.key = key;
    row.contactId = contactId;
    row.SetName(nameUtf8);
    Tally(key, 1);
    return true;
}

bool VIRTUAL_LIST_BUF::SetRow(int i, qint64 key, const QString& row) {
    if (i < 0 || i >= GetCount()) {
        LogBadIndex("VIRTUAL_LIST_BUF::SetRow", i, GetCount());
        return false;
    }
    NumberRow& r = m_rows[static_cast<size_t>(i)];
    if (r.key != key) {
        if (Find(key) >= 0) {
            LogWrite(g_logRun, "ERROR,VIRTUAL_LIST_BUF::SetRow 号码已在列表中");
            return false;
        }
        IndexErase(r.key);
        Tally(r.key, -1);
        r.key = key;
        IndexInsert(key, i);
        Tally(key, 1);
    }
    r.SetName(&row);
    return true;
}

bool VIRTUAL_LIST_BUF::SetItem(int index, const qint64* key, const QString* name, int contactId) {
    if (!key || index < 0 || index > GetCount()) {
        LogBadIndex("VIRTUAL_LIST_BUF::SetItem", index, GetCount());
        return false;
    }
    if (index < GetCount()) {
        if (!SetRow(index, *key, name ? *name : QString()))
            return false;
        NumberRow& r = m_rows[static_cast<size_t>(index)];
        r.SetName(name);
        r.contactId = contactId;
        return true;
    }
    if (Find(*key) >= 0) {
        LogWrite(g_logRun, "ERROR,VIRTUAL_LIST_BUF::SetItem 号码已在列表中");
        return false;
    }
    MakeRoomForOne(m_rows);
    NumberRow& row = m_rows.emplace_back();
    row.key = *key;
    row.contactId = contactId;
    row.SetName(name);
    IndexInsert(*key, index);
    Tally(*key, 1);
    return true;
}

bool VIRTUAL_LIST_BUF::RemoveAt(int i) {
    if (i < 0 || i >= GetCount()) {
        LogBadIndex("VIRTUAL_LIST_BUF::RemoveAt", i, GetCount());
        return false;
    }
    return RemoveRows({i}) == 1;
}

int VIRTUAL_LIST_BUF::RemoveRows(const std::vector<int>& indexes) {
    const std::vector<int> sorted = RemovalSet(indexes, GetCount());
    if (sorted.empty())
        return 0;
    Compact(m_rows, sorted, [this](const NumberRow& r) { Tally(r.key, -1); });
    // Later rows moved up: one rebuild of the index for the whole removal.
    Rebuild();
    return static_cast<int>(sorted.size());
}

void VIRTUAL_LIST_BUF::FreeItems() {
    FreeRows();
}

void VIRTUAL_LIST_BUF::FreeRows() {
    // The memory goes too: a list that held a million numbers should not keep
    // it for the next, usually small, message.
    std::vector<NumberRow>().swap(m_rows);
    std::vector<quint64>().swap(m_slots);
    m_domestic = 0;
    m_international = 0;
}

int VIRTUAL_LIST_BUF::DomesticCount() const {
    return m_domestic;
}
int VIRTUAL_LIST_BUF::InternationalCount() const {
    return m_international;
}

// ---------------------------------------------------------------------------

VIRTUAL_LIST_PERMSG::VIRTUAL_LIST_PERMSG(int reserveRows) {
    Reserve(reserveRows);
}

VIRTUAL_LIST_PERMSG::~VIRTUAL_LIST_PERMSG() = default;

void VIRTUAL_LIST_PERMSG::Reserve(int rows) {
    if (rows > 0)
        ReserveRows(m_rows, static_cast<size_t>(rows));
}

int VIRTUAL_LIST_PERMSG::GetCount() const {
    return static_cast<int>(m_rows.size());
}

qint64 VIRTUAL_LIST_PERMSG::GetKey(int i) const {
    if (i < 0 || i >= GetCount()) {
        LogBadIndex("VIRTUAL_LIST_PERMSG::GetKey", i, GetCount());
        return -1;
    }
    return m_rows[static_cast<size_t>(i)].number.key;
}

bool VIRTUAL_LIST_PERMSG::GetRow(int i, qint64* key, QString* row) const {
    if (i < 0 || i >= GetCount())
        return false;
    const NumberRow& r = m_rows[static_cast<size_t>(i)].number;
    if (!r.hasName)
        return false;
    if (key)
        *key = r.key;
    if (row)
        *row = r.Name();
    return true;
}

int VIRTUAL_LIST_PERMSG::GetContactId(int i) const {
    if (i < 0 || i >= GetCount())
        return 0;
    return m_rows[static_cast<size_t>(i)].number.contactId;
}

bool VIRTUAL_LIST_PERMSG::Lookup(qint64, QString*) const {
    return false;
}

void VIRTUAL_LIST_PERMSG::Tally(qint64 key, int delta) {
    if (IsInternationalKey(key))
        m_international += delta;
    else
        m_domestic += delta;
}

bool VIRTUAL_LIST_PERMSG::SetRow(int i, qint64 key, const QString& row) {
    if (i < 0 || i >= GetCount()) {
        LogBadIndex("VIRTUAL_LIST_PERMSG::SetRow", i, GetCount());
        return false;
    }
    NumberRow& r = m_rows[static_cast<size_t>(i)].number;
    Tally(r.key, -1);
    r.key = key;
    Tally(key, 1);
    r.SetName(&row);
    return true;
}

bool VIRTUAL_LIST_PERMSG::SetItem(int index, const qint64* key, const QString* name, int contactId) {
    if (!key || index < 0 || index > GetCount()) {
        LogBadIndex("VIRTUAL_LIST_PERMSG::SetItem", index, GetCount());
        return false;
    }
    if (index == GetCount()) {
        MakeRoomForOne(m_rows);
        m_rows.emplace_back();
    } else {
        Tally(m_rows[static_cast<size_t>(index)].number.key, -1);
        m_rows[static_cast<size_t>(index)] = Row();
    }
    NumberRow& r = m_rows[static_cast<size_t>(index)].number;
    r.key = *key;
    r.contactId = contactId;
    r.SetName(name);
    Tally(*key, 1);
    return true;
}

bool VIRTUAL_LIST_PERMSG::RemoveAt(int i) {
    if (i < 0 || i >= GetCount()) {
        LogBadIndex("VIRTUAL_LIST_PERMSG::RemoveAt", i, GetCount());
        return false;
    }
    return RemoveRows({i}) == 1;
}

int VIRTUAL_LIST_PERMSG::RemoveRows(const std::vector<int>& indexes) {
    const std::vector<int> sorted = RemovalSet(indexes, GetCount());
    Compact(m_rows, sorted, [this](const Row& r) { Tally(r.number.key, -1); });
    return static_cast<int>(sorted.size());
}

void VIRTUAL_LIST_PERMSG::FreeItems() {
    FreeRows();
}

void VIRTUAL_LIST_PERMSG::FreeRows() {
    std::vector<Row>().swap(m_rows);
    m_domestic = 0;
    m_international = 0;
}

int VIRTUAL_LIST_PERMSG::DomesticCount() const {
    return m_domestic;
}
int VIRTUAL_LIST_PERMSG::InternationalCount() const {
    return m_international;
}

QString VIRTUAL_LIST_PERMSG::GetContent(int i) const {
    if (i < 0 || i >= GetCount())
        return {};
    return m_rows[static_cast<size_t>(i)].content;
}

bool VIRTUAL_LIST_PERMSG::SetContent(int i, const QString& text) {
    if (i < 0 || i >= GetCount()) {
        LogBadIndex("VIRTUAL_LIST_PERMSG::SetContent", i, GetCount());
        return false;
    }
    m_rows[static_cast<size_t>(i)].content = text;
    return true;
}

NUM_CONTENT VIRTUAL_LIST_PERMSG::GetNumContent(int i) const {
    if (i < 0 || i >= GetCount())
        return {};
    const Row& r = m_rows[static_cast<size_t>(i)];
    return NUM_CONTENT{NumberFromKey(r.number.key), r.content};
}

void VIRTUAL_LIST_PERMSG::AppendMessage(Message message) {
    MakeRoomForOne(m_rows);
    Row& r = m_rows.emplace_back();
    r.number.key = message.key;
    r.number.contactId = static_cast<qint32>(message.contactId);
    r.content = std::move(message.text);
    r.mark = std::move(message.mark);
    r.sendTime = std::move(message.sendTime);
    r.sourceId = message.sourceId;
    r.sourceRowid = message.sourceRowid;
    Tally(message.key, 1);
}

bool VIRTUAL_LIST_PERMSG::GetMessage(int i, Message* message) const {
    if (i < 0 || i >= GetCount()) {
        LogBadIndex("VIRTUAL_LIST_PERMSG::GetMessage", i, GetCount());
        return false;
    }
    const Row& r = m_rows[static_cast<size_t>(i)];
    message->key = r.number.key;
    message->contactId = r.number.contactId;
    message->text = r.content;
    message->mark = r.mark;
    message->sendTime = r.sendTime;
    message->sourceId = r.sourceId;
    message->sourceRowid = r.sourceRowid;
    return true;
}

QString VIRTUAL_LIST_PERMSG::GetMark(int i) const {
    if (i < 0 || i >= GetCount())
        return {};
    return m_rows[static_cast<size_t>(i)].mark;
}

QString VIRTUAL_LIST_PERMSG::GetSendTime(int i) const {
    if (i < 0 || i >= GetCount())
        return {};
    return m_rows[static_cast<size_t>(i)].sendTime;
}
