#include "contacts/pinyin_initials.h"

#include "core/log.h"
#include "core/sql.h"
#include "platform/encoding.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace {

// First zone-position number of each letter; the last letter ends at 5589.
// There is no I, U or V.
constexpr std::array<std::pair<int, char>, 23> kLetterStarts = {{
    {1601, 'A'}, {1637, 'B'}, {1833, 'C'}, {2078, 'D'}, {2274, 'E'}, {2302, 'F'}, {2433, 'G'}, {2594, 'H'},
    {2787, 'J'}, {3106, 'K'}, {3212, 'L'}, {3472, 'M'}, {3635, 'N'}, {3722, 'O'}, {3730, 'P'}, {3858, 'Q'},
    {4027, 'R'}, {4086, 'S'}, {4390, 'T'}, {4558, 'W'}, {4684, 'X'}, {4925, 'Y'}, {5249, 'Z'},
}};
constexpr int kLastCode = 5589;

char LetterOfCode(int code) {
    if (code < kLetterStarts.front().first || code > kLastCode)
        return 0;
    char letter = 0;
    for (const auto& [start, l] : kLetterStarts) {
        if (code < start)
            break;
        letter = l;
    }
    return letter;
}

const char kSelectMissing[] =
    "SELECT rowid,name FROM ContactList WHERE name!='' AND (firstLetter='' OR firstLetter IS NULL)";

} // namespace

QString GetPinyinInitials(std::string_view gbk) {
    QString initials;
    size_t i = 0;
    while (i < gbk.size()) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            initials += QChar(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
            ++i;
        } else if (b >= 0x81 && b <= 0xFE && i + 1 < gbk.size()) {
            const auto n = static_cast<unsigned char>(gbk[i + 1]);
            if (b >= 0xA1 && n >= 0xA1) {
                if (char letter = LetterOfCode((b - 0xA0) * 100 + (n - 0xA0)))
                    initials += QChar(letter);
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return initials;
}

QString GetPinyinInitials(QStringView name) {
    std::string gbk;
    gbk.reserve(name.size() * 2);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        // A surrogate pair is one character the code page cannot hold.
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() &&
            QChar::isLowSurrogate(name[i + 1].unicode())) {
            gbk += '?';
            ++i;
            continue;
        }
        const uint16_t code = enc::GbkOfCodeUnit(c);
        if (code > 0xFF)
            gbk += static_cast<char>(code >> 8);
        gbk += static_cast<char>(code & 0xFF);
    }
    return GetPinyinInitials(std::string_view(gbk));
}

bool HasContactsWithoutInitials(sqlite3* db) {
    bool found = false;
    ExecSql(nullptr, db, kSelectMissing, [&found](int, char**, char**) {
        found = true;
        return false; // the first row is enough
    });
    return found;
}

int GenerateMissingInitials(sqlite3* db) {
    std::vector<std::pair<qint64, QString>> letters;
    {
        SqlStatement select(db, kSelectMissing);
        if (!select.ok())
            return -1;
        int rc;
        while ((rc = select.step()) == SQLITE_ROW)
            letters.emplace_back(select.int64(0), GetPinyinInitials(QStringView(select.qtext(1))).left(1));
        if (rc != SQLITE_DONE)
            return -1;
    }
    if (letters.empty())
        return 0;
    SqlTransaction transaction(db);
    if (!transaction.active())
        return -1;
    SqlStatement update(db, "UPDATE ContactList SET firstLetter=? WHERE rowid=?");
    if (!update.ok())
        return -1;
    int written = 0;
    for (const auto& [rowid, letter] : letters) {
        update.reset();
        update.bind(1, letter).bind(2, static_cast<int64_t>(rowid));
        if (update.exec() == SQLITE_OK)
            ++written;
        else
            LogWrite(g_logRun, "写入首字母出错了");
    }
    return transaction.commit() == SQLITE_OK ? written : -1;
}
