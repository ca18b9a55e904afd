#include "contacts/number_entry.h"

#include "core/numbers.h"
#include "core/sql.h"

#include <QStringList>

#include <algorithm>
#include <memory>
#include <optional>
#include <type_traits>

namespace {

bool IsLineEnd(QChar c) {
    const char16_t u = c.unicode();
    // Most characters are above CR and below the separators: one test each.
    if (u > u'\r' && u < u'\u2028')
        return false;
    return u == u'\n' || u == u'\r' || u == u'\u2028' || u == u'\u2029';
}

// Hands one line to `each`; false when `each` asks to stop.
template <typename Each> bool CallEach(Each& each, QStringView line) {
    if constexpr (std::is_void_v<decltype(each(line))>) {
        each(line);
        return true;
    } else {
        return each(line);
    }
}

// Calls `each` with every line of `text`; CR LF, LF, CR and the Unicode
// separators all end a line. An empty text has no line. `each` returns
// nothing, or false to stop.
template <typename Each> void ForEachLine(QStringView text, Each each) {
    qsizetype start = 0;
    const qsizetype n = text.size();
    if (n == 0)
        return;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (!IsLineEnd(c))
            continue;
        if (!CallEach(each, text.mid(start, i - start)))
            return;
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n || IsLineEnd(text[n - 1]))
        CallEach(each, text.mid(start));
}

// The name of the first contact with this mobile number, or none.
class NameLookup {
public:
    explicit NameLookup(sqlite3* db)
        : m_statement(db, "SELECT name FROM ContactList WHERE mobileNum=?1 AND name IS NOT NULL AND "
                          "name<>'' LIMIT 1") {}
    std::optional<QString> find(const QString& mobile) {
        if (!m_statement.ok())
            return std::nullopt;
        m_statement.reset();
        m_statement.bind(1, mobile);
        if (m_statement.step() != SQLITE_ROW)
            return std::nullopt;
        return m_statement.qtext(0);
    }

private:
    SqlStatement m_statement;
};

} // namespace

QString EntryText(const QString& typed) {
    QStringList lines;
    ForEachLine(QStringView(typed).trimmed(), [&](QStringView line) { lines.append(line.toString()); });
    return lines.join(QLatin1String("\r\n"));
}

NumberEntryCounts AddEntryNumbers(const QString& text, VIRTUAL_LIST& list, sqlite3* db) {
    NumberEntryCounts counts;
    // Only whether there are fewer than the limit matters: stop counting there.
    int lineCount = 0;
    ForEachLine(text, [&](QStringView) { return ++lineCount < kNameLookupLineLimit; });

    std::unique_ptr<NameLookup> names;
    if (db && lineCount < kNameLookupLineLimit)
        names = std::make_unique<NameLookup>(db);

    ForEachLine(text, [&](QStringView view) {
        // Only the leading digits count, at most 16 of them; the text is
        // borrowed, not copied, as it outlives the token.
        const NumberToken token = ParseNumberToken(
            QString::fromRawData(view.data(), std::min<qsizetype>(view.size(), kSingleNumberMaxLength + 1)));
        if (!token.key)
            return;
        const qint64 key = *token.key;
        // The list also holds what this run added, so a repeat is caught here.
        if (list.Lookup(key, nullptr))
            return;
        if (token.international)
            ++counts.international;
        else
            ++counts.domestic;
        std::optional<QString> name;
        if (names)
            name = names->find(token.digits);
        list.SetItem(list.GetCount(), &key, name ? &*name : nullptr);
    });
    return counts;
}

SingleNumberCheck CheckSingleNumber(const QString& text, QString* number) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() > kSingleNumberMaxLength)
        return SingleNumberCheck::TooLong;
    const NumberToken token = ParseNumberToken(trimmed);
    if (!token.key)
        return SingleNumberCheck::Refused;
    if (number)
        *number = token.digits;
    return SingleNumberCheck::Accepted;
}
