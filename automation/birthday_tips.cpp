#include "automation/birthday_tips.h"

#include "core/log.h"
#include "core/sql.h"

#include <algorithm>
#include <set>

namespace {

// Well below SQLite's smallest limit of bound parameters.
constexpr size_t kChunk = 500;

} // namespace

std::vector<BIRTHTIP> LoadBirthTips(sqlite3* db, const std::vector<QString>& numbers) {
    std::vector<QString> unique;
    std::set<QString> seen;
    for (const QString& n : numbers)
        if (!n.isEmpty() && seen.insert(n).second)
            unique.push_back(n);

    std::vector<BIRTHTIP> tips;
    for (size_t from = 0; from < unique.size(); from += kChunk) {
        const size_t count = std::min(kChunk, unique.size() - from);
        const std::string sql =
            "SELECT DISTINCT name,mobileNum,substr(birthDay,6,5) bd,perNO FROM ContactList WHERE "
            " bd IS NOT NULL AND bd!='' AND mobileNum IN (" +
            SqlParameterList(count) + ") ORDER BY bd";
        SqlStatement query(db, sql);
        for (size_t i = 0; i < count; ++i)
            query.bind(static_cast<int>(i + 1), unique[from + i]);
        int rc = SQLITE_ERROR;
        while (query.ok() && (rc = query.step()) == SQLITE_ROW)
            tips.push_back({query.qtext(0), query.qtext(1), query.qtext(2), query.qtext(3)});
        if (rc != SQLITE_DONE)
            LogWrite(g_logRun, "ERROR,CDlgTipWnd,birthdays not loaded");
    }
    // Each chunk comes ordered; the whole list must be too.
    std::stable_sort(tips.begin(), tips.end(),
                     [](const BIRTHTIP& a, const BIRTHTIP& b) { return a.bd < b.bd; });
    return tips;
}
