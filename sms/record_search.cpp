#include "sms/record_search.h"

#include "core/sql.h"

#include <algorithm>

// ---- finding a recipient ---------------------------------------------------

SeekResult SeekRecipient(sqlite3* db, qint64 sendId, SeekBy by, const QString& text, bool locate) {
    SeekResult result;
    if (!db)
        return result;
    // The first match in the order the recipient list shows (by rowid), so
    // a number that occurs twice in one record is found where it first is.
    SqlStatement find(db, by == SeekBy::Number
                              ? "SELECT name,numOrMailAddr,rowid FROM sendNums WHERE numOrMailAddr=?1 AND "
                                "sendID=?2 ORDER BY rowid LIMIT 1"
                              : "SELECT name,numOrMailAddr,rowid FROM sendNums WHERE name=?1 AND sendID=?2 "
                                "ORDER BY rowid LIMIT 1");
    find.bind(1, text).bind(2, static_cast<int64_t>(sendId));
    if (find.step() != SQLITE_ROW)
        return result;
    result.found = true;
    result.name = find.qtext(0);
    result.number = find.qtext(1);
    if (!locate)
        return result;
    // Its place: the rows of the record up to and including it. One counting
    // statement, never an interrupt on the shared connection.
    SqlStatement place(db, "SELECT COUNT(*) FROM sendNums WHERE sendID=?1 AND rowid<=?2");
    place.bind(1, static_cast<int64_t>(sendId)).bind(2, find.int64(2));
    if (place.step() == SQLITE_ROW)
        result.position = static_cast<int>(place.int64(0));
    return result;
}

// ---- replies of one send ---------------------------------------------------

namespace {

const char kRepliesHead[] =
    "SELECT DISTINCT a.alreadyRead,b.name,a.sendNum,a.msgContent,b.coName,a.sendTime,b.sex,b.birthDay,"
    "\t\t\t\t\t b.specialDay,b.qq,b.msn,b.eMail,b.faTel,b.faAddr,b.coDept,b.coEmp,b.province,b.city,b.conAddr,"
    "b.conIndusty,b.conTel,b.conFax,b.mark,a.receiveID FROM receivedMSGRecord a LEFT JOIN \t\t\t\t\t (select "
    "mobileNum,name,coName,sex,birthDay,specialDay,qq,msn,eMail,faTel,faAddr,coDept,coEmp,province,city,"
    "conAddr,conIndusty,conTel,conFax,mark from ContactList Group \t\t\t\t\t By mobileNum Having "
    "Count(mobileNum)>=1) b ON a.sendNum=b.mobileNum  WHERE send_receive_Num=";
const char kRepliesTail[] = "  ORDER BY a.sendTime DESC ,a.sendNum DESC";

} // namespace

std::string RelevantRepliesStatement() {
    return std::string(kRepliesHead) + "?1" + kRepliesTail;
}

QStringList RelevantReplyExportNames() {
    return {QStringLiteral("姓名"),   QStringLiteral("联系电话"), QStringLiteral("短信内容"), QStringLiteral("公司名称"),
            QStringLiteral("发送时间"), QStringLiteral("性别"),     QStringLiteral("生日"),     QStringLiteral("特殊日期"),
            QStringLiteral("QQ"),     QStringLiteral("MSN"),      QStringLiteral("EMail"),    QStringLiteral("家庭电话"),
            QStringLiteral("住址"),   QStringLiteral("部门"),     QStringLiteral("职务"),     QStringLiteral("省份"),
            QStringLiteral("城市"),   QStringLiteral("地址"),     QStringLiteral("行业"),     QStringLiteral("电话"),
            QStringLiteral("传真"),   QStringLiteral("备注")};
}

int SubNumberOf(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

// ---- advanced query --------------------------------------------------------

const std::vector<QueryOperator>& QueryOperators() {
    static const std::vector<QueryOperator> operators = {
        {"大于", ">"},   {"小于", "<"},       {"等于", "="},         {"包含", "like"},
        {"不等于", "!="}, {"大于或等于", ">="}, {"小于或等于", "<="},
    };
    return operators;
}

AdvancedQuery::AdvancedQuery(QueryMode mode, QStringList fields, QStringList columns, sqlite3* db)
    : m_mode(mode), m_fields(std::move(fields)), m_columns(std::move(columns)), m_db(db) {}

bool AdvancedQuery::IsTimeField(int field) const {
    if (field < 0 || field >= m_fields.size())
        return false;
    // The record lists know their time columns by place, so a field list in
    // another language still gets the date picker.
    switch (m_mode) {
    case QueryMode::Sent:
        return field == 1 || field == 2;
    case QueryMode::Survey:
        return field == 1;
    case QueryMode::Received:
        return field == 4;
    case QueryMode::Contacts:
        break;
    }
    return m_fields[field].contains(QStringLiteral("时间"));
}

QStringList ReceivedQueryFields() {
    return {QStringLiteral("姓名"), QStringLiteral("手机或小灵通"), QStringLiteral("短信内容"), QStringLiteral("公司名称"),
            QStringLiteral("发送时间")};
}

namespace {

// "column op 'value'" with the value inside quotes: every "'" doubled, while
// "%" and "_" stay LIKE wildcards.
std::string Compare(const std::string& column, const char* op, const QString& value) {
    return column + " " + op + " '" + SqlEscape(value) + "'";
}

} // namespace

bool AdvancedQuery::BuildCondition(int field, int op, const QString& typed, std::string& out) const {
    const char* sqlOp = QueryOperators()[op].sql;
    QString value = typed;
    if (op == kContainsOperator)
        value = QLatin1Char('%') + value + QLatin1Char('%');

    switch (m_mode) {
    case QueryMode::Sent:
    case QueryMode::Survey: {
        // With six fields the list has "条数" at position 3; with five (no
        // "条数" column, or the survey) the last two are the recipient's.
        const int count = static_cast<int>(m_fields.size());
        const int nameAt = count == 6 ? 4 : 3;
        if (field >= 0 && field <= 2) {
            static const char* const kColumns[] = {"content", "submitTime", "timingTime"};
            const char* column = (field == 2 && m_mode == QueryMode::Survey) ? "count" : kColumns[field];
            out = Compare(column, sqlOp, value);
        } else if (count == 6 && field == 3) {
            out = Compare("count", sqlOp, value);
        } else if ((count == 6 || count == 5) && (field == nameAt || field == nameAt + 1)) {
            out = "sendID IN(SELECT sendID FROM sendNums WHERE  taskID=0 AND " +
                  Compare(field == nameAt ? "name" : "numOrMailAddr", sqlOp, value) + ")";
        } else {
            return false;
        }
        return true;
    }
    case QueryMode::Received: {
        if (field == 0 || field == 3) {
            out = "a.sendNum IN(SELECT mobileNum FROM contactList WHERE " +
                  Compare(field == 0 ? "name" : "coName", sqlOp, value) + ")";
        } else if (field == 4 && op == 2) {
            // Every message of that day.
            out = Compare("a.sendTime", "like", value + QLatin1Char('%'));
        } else if (field == 1 || field == 2 || field == 4) {
            static const char* const kColumns[] = {"", "a.sendNum", "a.msgContent", "", "a.sendTime"};
            out = Compare(kColumns[field], sqlOp, value);
        } else {
            return false;
        }
        return true;
    }
    case QueryMode::Contacts: {
        if (field < 0 || field >= m_columns.size() || !m_db)
            return false;
        const std::string column = m_columns[field].toStdString();
        if (!IsTableColumn(m_db, "ContactList", column))
            return false;
        out = Compare(column, sqlOp, value);
        return true;
    }
    }
    return false;
}

AdvancedQuery::AddResult AdvancedQuery::Add(int field, int op, const QString& value, bool orJoin) {
    if (field < 0 || field >= m_fields.size() || op < 0 || op >= static_cast<int>(QueryOperators().size()))
        return AddResult::NoFieldOrOperator;
    if (value.isEmpty())
        return AddResult::EmptyValue;
    Row row{orJoin, field, op, value, {}};
    if (!BuildCondition(field, op, value, row.condition))
        return AddResult::UnknownColumn;
    m_rows.push_back(std::move(row));
    return AddResult::Added;
}

void AdvancedQuery::Remove(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (*it >= 0 && *it < Count())
            m_rows.erase(m_rows.begin() + *it);
}

void AdvancedQuery::Clear() {
    m_rows.clear();
}

QStringList AdvancedQuery::Cells(int row) const {
    const Row& r = m_rows[row];
    const QString relation = row == 0 ? QString() : r.orJoin ? QStringLiteral("或者") : QStringLiteral("并且");
    return {relation, m_fields[r.field], QString::fromUtf8(QueryOperators()[r.op].shown), r.value};
}

std::string AdvancedQuery::Filter() const {
    if (m_rows.empty())
        return {};
    // The first row always joins with AND, whichever row is first now.
    std::string body = m_rows[0].condition;
    bool anyOr = false;
    for (size_t i = 1; i < m_rows.size(); ++i) {
        anyOr = anyOr || m_rows[i].orJoin;
        body += (m_rows[i].orJoin ? " OR " : " AND ") + m_rows[i].condition;
    }
    std::string filter = anyOr ? " AND (" + body + ")" : " AND " + body;
    if (m_mode == QueryMode::Sent)
        filter += "  AND isDraft=0 AND isFail=0";
    return filter;
}
