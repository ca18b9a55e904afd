#include "converter/old_db_converter.h"

#include "core/deployment.h"
#include "core/sql.h"
#include "updater/companion_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr const char kCountPhrases[] = "SELECT COUNT(*) FROM SMTemplateCont";
constexpr const char kPhraseGroups[] = "SELECT * FROM SMTemplateGrp";
constexpr const char kPhrases[] = "SELECT * FROM SMTemplateCont";
constexpr const char kCountRelations[] = "SELECT COUNT(*) FROM GrpConRelation";
constexpr const char kContactGroups[] = "SELECT GroupID,GroupName,ParentGroupID FROM TableContactsGroup";
constexpr const char kUserFields[] =
    "SELECT ColumnName,DisplayName,ColPosition FROM tGridViewSetFields WHERE ColumnName like '%UserDef%'";
constexpr const char kRelations[] = "SELECT ContactID,GroupID FROM GrpConRelation";
constexpr const char kCountRecords[] = "SELECT COUNT(*) FROM tSMSLists";
constexpr const char kAccount[] = "SELECT * FROM Account";
constexpr const char kAllContacts[] = "SELECT * FROM TableContacts";
constexpr const char kRecords[] = "SELECT * FROM tSMSLists";
constexpr const char kChildQuery[] = "SELECT smsId,contactName,phone FROM ";

QString Tr(const char* text) {
    return QCoreApplication::translate("CKeldruneDlg", text);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The whole text as an integer; drivers may render a number as "12.0".
std::optional<int64_t> ToInt(std::string_view text) {
    text = Trimmed(text);
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc())
        return std::nullopt;
    if (p != end) {
        std::string_view rest(p, static_cast<size_t>(end - p));
        if (rest.front() != '.' || rest.find_first_not_of('0', 1) != std::string_view::npos)
            return std::nullopt;
    }
    return value;
}

int64_t IntOr(std::string_view text, int64_t fallback) {
    return ToInt(text).value_or(fallback);
}

// A key for an id read as text: the number when it is one, else the text.
std::string IdKey(std::string_view text) {
    const auto value = ToInt(text);
    return value ? std::to_string(*value) : std::string(Trimmed(text));
}

// Rows sorted numerically on one column, stably; non-numbers sort last.
template <typename Row, typename Key> void SortNumerically(std::vector<Row>& rows, Key key) {
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        const auto x = ToInt(key(a)), y = ToInt(key(b));
        if (x && y)
            return *x < *y;
        return x.has_value() && !y.has_value();
    });
}

// An old id moved past the target's largest one; kept when the table was empty.
void BindId(SqlStatement& statement, int index, const std::string& oldId, int64_t offset) {
    const auto value = ToInt(oldId);
    if (value && offset > 0)
        statement.bind(index, *value + offset);
    else if (value)
        statement.bind(index, *value);
    else
        statement.bind(index, oldId);
}

struct ChildRow {
    std::string contactName;
    std::string phone;
};
using ChildMap = std::unordered_map<std::string, std::vector<ChildRow>>;

bool ReadChildTable(OdbcReader& source, const std::string& table, ChildMap& map) {
    return source.query(std::string(kChildQuery) + table, [&](const OdbcRow& row) {
        map[IdKey(row.at(0))].push_back({row.at(1), row.at(2)});
        return true;
    });
}

} // namespace

void LogSqlError(const QString& sqliteText, const QString& ownText) {
    companion::LogWriteW(QStringLiteral("SQL ERROR:%1,MY ERROR:%2").arg(sqliteText, ownText));
}

bool OldFlagIsSet(const std::string& value) {
    const QString text = QString::fromUtf8(Trimmed(value)).toLower();
    if (text == QLatin1String("true") || text == QLatin1String("yes"))
        return true;
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && number != 0;
}

// ---------------------------------------------------------------------------

OldDatabaseSource::OldDatabaseSource() = default;
OldDatabaseSource::~OldDatabaseSource() {
    close();
}

void OldDatabaseSource::close() {
    m_reader.close();
    m_linkFolder.reset();
}

bool OldDatabaseSource::open(const QString& path) {
    close();
    m_error.clear();
    // Older (Jet 3) files keep their text in the code page of the system
    // that wrote them.
    setenv("MDB_JET3_CHARSET", "CP936", 0);
    const QFileInfo info(path);
    if (!info.isFile()) {
        m_error = QStringLiteral("no such file: %1").arg(path);
        return false;
    }
    QString usable = info.absoluteFilePath();
    // Neither driver can take these characters in the path of a connect string.
    if (usable.contains(QLatin1Char(';')) || usable.contains(QLatin1Char('{')) ||
        usable.contains(QLatin1Char('}'))) {
        m_linkFolder = std::make_unique<QTemporaryDir>();
        const QString link = m_linkFolder->filePath(QStringLiteral("source.mdb"));
        if (!m_linkFolder->isValid() || !QFile::link(usable, link)) {
            m_error = QStringLiteral("cannot link %1").arg(path);
            m_linkFolder.reset();
            return false;
        }
        usable = link;
    }
    if (!m_reader.open(OldDatabaseConnectTemplate().replace(QStringLiteral("%1"), usable))) {
        m_error = m_reader.lastError();
        m_linkFolder.reset();
        return false;
    }
    // Some drivers open any file and fail only at the first query: a file
    // whose catalog cannot be read is no database.
    std::vector<std::string> tables;
    if (!m_reader.tableNames(tables) || tables.empty()) {
        m_error = m_reader.lastError().isEmpty() ? QStringLiteral("no tables") : m_reader.lastError();
        close();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

OldDatabaseConverter::OldDatabaseConverter(OdbcReader& source, sqlite3* target, ConverterCallbacks callbacks,
                                           const std::atomic<bool>* abort)
    : m_source(source), m_db(target), m_callbacks(std::move(callbacks)), m_abort(abort) {}

bool OldDatabaseConverter::abortRequested() {
    if (m_abort && m_abort->load())
        m_aborted = true;
    return m_aborted;
}

void OldDatabaseConverter::step() {
    if (m_callbacks.step)
        m_callbacks.step();
}

int64_t OldDatabaseConverter::targetMax(const char* sql) {
    SqlStatement statement(m_db, sql);
    if (statement.step() == SQLITE_ROW && !statement.isNull(0))
        return statement.int64(0);
    return 0;
}

bool OldDatabaseConverter::Convert() {
    m_errorText.clear();
    m_aborted = false;
    SqlTransaction transaction(m_db);
    if (!transaction.active()) {
        m_errorText = Tr("保存转换结果失败.");
        return false;
    }
    m_nextReceivedId = targetMax("SELECT MAX(receiveID) FROM receivedMSGRecord") + 1;

    struct Stage {
        const char* title;
        const char* failure;
        bool (OldDatabaseConverter::*run)();
    };
    static const Stage kStages[] = {
        {"正在转换短语库...", "转换短语库失败", &OldDatabaseConverter::ConvertPhrases},
        {"正在转换联系人...", "转换联系人失败", &OldDatabaseConverter::ConvertContacts},
        {"正在转换发送记录...", "转换发送记录失败", &OldDatabaseConverter::ConvertSendRecords},
    };
    for (const Stage& stage : kStages) {
        if (m_callbacks.setTitle)
            m_callbacks.setTitle(Tr(stage.title));
        const bool ok = (this->*stage.run)();
        if (abortRequested())
            break;
        if (!ok)
            m_errorText += Tr(stage.failure);
    }
    if (m_aborted || !m_errorText.isEmpty()) {
        transaction.rollback();
        return false;
    }
    if (transaction.commit() != SQLITE_OK) {
        m_errorText = Tr("保存转换结果失败.");
        return false;
    }
    return true;
}

bool OldDatabaseConverter::ConvertPhrases() {
    std::string count;
    if (!m_source.scalar(kCountPhrases, count))
        return false;
    if (m_callbacks.setRange)
        m_callbacks.setRange(static_cast<int>(IntOr(count, 0)));

    std::vector<std::vector<std::string>> groups, phrases;
    const auto collect = [](std::vector<std::vector<std::string>>& into,
                            std::initializer_list<const char*> names) {
        return [&into, names](const OdbcRow& row) {
            std::vector<std::string> values;
            for (const char* name : names)
                values.push_back(row.value(name));
            into.push_back(std::move(values));
            return true;
        };
    };
    if (!m_source.query(kPhraseGroups, collect(groups, {"SMTEMPID", "SMTEMPPARID", "SMTEMPNAME"})))
        return false;
    if (!m_source.query(kPhrases, collect(phrases, {"SMTMPID", "SMTMPGRPID", "SMTMPCONT", "CREATETIME"})))
        return false;

    // Phrases already in the target keep their ids; the old ones move past them.
    const int64_t groupOffset = targetMax("SELECT MAX(recID) FROM smsSourceGroup");
    const int64_t phraseOffset = targetMax("SELECT MAX(recID) FROM smsSourceContent");
    std::unordered_set<std::string> oldGroups;
    for (const auto& g : groups)
        oldGroups.insert(IdKey(g[0]));
    const auto bindParent = [&](SqlStatement& statement, int index, const std::string& parent) {
        const std::string key = IdKey(parent);
        const bool root = key == "2" || key == "3";
        BindId(statement, index, parent, !root && oldGroups.count(key) ? groupOffset : 0);
    };

    SqlStatement insertGroup(m_db, "INSERT INTO smsSourceGroup (recID,parentID,content) VALUES(?,?,?)");
    for (const auto& g : groups) {
        if (abortRequested())
            return false;
        insertGroup.reset();
        BindId(insertGroup, 1, g[0], groupOffset);
        bindParent(insertGroup, 2, g[1]);
        insertGroup.bind(3, g[2]);
        if (insertGroup.exec() != SQLITE_OK)
            LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)),
                        QString::fromUtf8("插入短语库分组名记录出错！"));
    }
    SqlStatement insertPhrase(
        m_db, "INSERT INTO smsSourceContent (recID,parentID,content,creatTime) VALUES(?,?,?,?)");
    for (const auto& p : phrases) {
        if (abortRequested())
            return false;
        insertPhrase.reset();
        BindId(insertPhrase, 1, p[0], phraseOffset);
        bindParent(insertPhrase, 2, p[1]);
        insertPhrase.bind(3, p[2]);
        insertPhrase.bind(4, p[3]);
        if (insertPhrase.exec() != SQLITE_OK)
            LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)),
                        QString::fromUtf8("插入短语库短语记录出错！"));
    }
    return true;
}

namespace {

// The old contact columns in the order of the new ones.
constexpr const char* kOldContactColumns[] = {
    "ContactName",  "Sex",          "ContactMobil1", "Birthday",    "SpecialDate",  "Email",
    "HoTel",        "HomeAddr",     "CoName",        "CoDept",      "HeadShip",     "province",
    "City",         "CoAddr",       "Trade",         "CoTel",       "CoFax",        "Remark",
    "txtUserDef1",  "txtUserDef2",  "txtUserDef3",   "txtUserDef4", "txtUserDef5",  "txtUserDef6",
    "txtUserDef7",  "numUserDef1",  "numUserDef2",   "numUserDef3", "boolUserDef1", "boolUserDef2",
    "dateUserDef1", "dateUserDef2", "ContactID"};
constexpr int kContactValueCount = 32;

constexpr const char kContactQuery[] =
    "SELECT ContactName,Sex,ContactMobil1,Birthday,SpecialDate,Email,HoTel,HomeAddr,CoName,CoDept,HeadShip,"
    "province,City,CoAddr,Trade,CoTel,CoFax,Remark,\t\t\t\ttxtUserDef1,txtUserDef2,txtUserDef3,txtUserDef4,"
    "txtUserDef5,txtUserDef6,txtUserDef7,numUserDef1,numUserDef2,numUserDef3,\t\t\t\tboolUserDef1,"
    "boolUserDef2,"
    "dateUserDef1,dateUserDef2,ContactID FROM TableContacts ";

constexpr const char kContactInsert[] =
    "INSERT INTO ContactList(name,sex,mobileNum,birthDay,specialDay,eMail,faTel,faAddr,coName,coDept,coEmp,"
    "province,city,conAddr,conIndusty,conTel,conFax,mark,txtDef1,txtDef2,txtDef3,txtDef4,txtDef5,txtDef6,"
    "txtDef7,"
    "numDef1,numDef2,numDef3,boolDef1,boolDef2,dateDef1,dateDef2,groupID,perNO) "
    "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

} // namespace

bool OldDatabaseConverter::ConvertContacts() {
    std::string count;
    if (!m_source.scalar(kCountRelations, count))
        return false;
    if (m_callbacks.setRange)
        m_callbacks.setRange(static_cast<int>(IntOr(count, 0)));

    struct Group {
        std::string id, name, parent;
    };
    std::vector<Group> groups;
    if (!m_source.query(kContactGroups, [&](const OdbcRow& row) {
            groups.push_back({row.at(0), row.at(1), row.at(2)});
            return true;
        }))
        return false;
    SortNumerically(groups, [](const Group& g) -> const std::string& { return g.id; });

    const int64_t nextGroupId = targetMax("SELECT MAX(GroupID) FROM ContactGroup") + 1;
    const int64_t base = nextGroupId + 1;
    m_baseGroupId = base;
    SqlStatement insertGroup(m_db, "INSERT INTO ContactGroup(GroupID,GroupName,MasterID) VALUES(?,?,?)");
    insertGroup.bind(1, base).bind(2, "未分组的联系人_old").bind(3, 0);
    if (insertGroup.exec() != SQLITE_OK)
        LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)), QString::fromUtf8("插入未分组的联系人出错！"));

    std::unordered_map<std::string, int64_t> groupMap{{"8", 0}};
    int64_t newId = base;
    for (const Group& g : groups) {
        if (g.name == "联系人" || g.name == "短信")
            continue;
        ++newId;
        groupMap[IdKey(g.id)] = newId;
        const auto parent = groupMap.find(IdKey(g.parent));
        insertGroup.reset();
        insertGroup.bind(1, newId).bind(2, g.name).bind(3, parent == groupMap.end() ? int64_t(0)
                                                                                    : parent->second);
        if (insertGroup.exec() != SQLITE_OK)
            LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)), QString::fromUtf8("插入联系人分组出错！"));
    }

    // User-defined fields, in their display order.
    struct Field {
        std::string column, display, position;
    };
    std::vector<Field> fields;
    if (!m_source.query(kUserFields, [&](const OdbcRow& row) {
            fields.push_back({row.at(0), row.at(1), row.at(2)});
            return true;
        }))
        return false;
    SortNumerically(fields, [](const Field& f) -> const std::string& { return f.position; });
    struct Kind {
        const char* marker;
        const char* column;
        int limit;
        int used;
    };
    Kind kinds[] = {{"txt", "txtDef", 7, 0},
                    {"num", "numDef", 3, 0},
                    {"bool", "boolDef", 2, 0},
                    {"date", "dateDef", 2, 0}};
    SqlStatement updateField(m_db, "UPDATE fieldDisplay SET isVisible=1,inUse=1,name=? WHERE nameOfValue=?");
    for (const Field& f : fields) {
        if (f.column.empty())
            continue;
        for (Kind& kind : kinds) {
            if (f.column.find(kind.marker) == std::string::npos)
                continue;
            if (kind.used < kind.limit) {
                ++kind.used;
                updateField.reset();
                updateField.bind(1, f.display).bind(2, std::string(kind.column) + f.column.back());
                updateField.exec();
            }
            break;
        }
    }

    std::unordered_map<std::string, std::vector<std::string>> relations;
    if (!m_source.query(kRelations, [&](const OdbcRow& row) {
            relations[IdKey(row.at(0))].push_back(row.at(1));
            return true;
        }))
        return false;

    SqlStatement insertContact(m_db, kContactInsert);
    const bool read = m_source.query(kContactQuery, [&](const OdbcRow& row) {
        if (abortRequested())
            return false;
        insertContact.reset();
        for (int i = 0; i < kContactValueCount; ++i) {
            std::string value = row.at(static_cast<size_t>(i));
            const std::string_view column = kOldContactColumns[i];
            if (column == "Birthday" || column == "SpecialDate" || column.substr(0, 11) == "dateUserDef")
                value = QString::fromUtf8(value).left(10).toStdString();
            else if (column.substr(0, 11) == "boolUserDef")
                value = OldFlagIsSet(value) ? "是" : "否";
            insertContact.bind(i + 1, value);
        }
        const std::string& contactId = row.at(kContactValueCount);
        insertContact.bind(34, IntOr(contactId, 0) + 2000000);
        const auto found = relations.find(IdKey(contactId));
        if (found == relations.end()) {
            insertContact.bind(33, base);
            if (insertContact.exec() != SQLITE_OK)
                LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)),
                            QString::fromUtf8("转换数据时插入未分组联系人出错！"));
            return true;
        }
        for (const std::string& groupId : found->second) {
            // A relation to a group that was not carried over lands in the
            // group of the contacts without one.
            const auto mapped = groupMap.find(IdKey(groupId));
            insertContact.reset();
            insertContact.bind(33, mapped == groupMap.end() ? base : mapped->second);
            if (insertContact.exec() != SQLITE_OK)
                LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)),
                            QString::fromUtf8("转换数据时插入有分组联系人出错！"));
            step();
        }
        return true;
    });
    return read && !m_aborted;
}

bool OldDatabaseConverter::ConvertSendRecords() {
    std::string count;
    if (!m_source.scalar(kCountRecords, count))
        return false;
    if (m_callbacks.setRange)
        m_callbacks.setRange(static_cast<int>(IntOr(count, 0)));

    // The service account, unless this database already has one.
    std::string serial, password, sign;
    bool first = true;
    if (!m_source.query(kAccount, [&](const OdbcRow& row) {
            if (first) {
                serial = row.value("RegSerial");
                password = row.value("passwd");
                sign = row.value("sSign");
                first = false;
            }
            return false;
        }))
        return false;
    if (!Trimmed(serial).empty()) {
        SqlStatement existing(m_db, "SELECT COUNT(*) FROM Register WHERE SerNum IS NOT NULL AND SerNum<>''");
        if (existing.step() == SQLITE_ROW && existing.int64(0) == 0) {
            SqlStatement insert(m_db, "INSERT INTO Register (SerNum,PassWd,Sign) VALUES(?,?,?)");
            insert.bind(1, serial).bind(2, password).bind(3, sign);
            if (insert.exec() != SQLITE_OK)
                LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)),
                            QString::fromUtf8("插入注册账号信息出错！"));
        } else {
            companion::LogWriteW(QStringLiteral("old account %1 not converted: this database has one")
                                     .arg(companion::LogEscapeW(QString::fromUtf8(serial))));
        }
    }

    // Number -> name; the first non-empty name of a number wins.
    std::unordered_map<int64_t, std::string> names;
    m_source.query(kAllContacts, [&](const OdbcRow& row) {
        const auto number = ToInt(row.value("ContactMobil1"));
        const std::string& name = row.value("ContactName");
        if (number && !name.empty())
            names.emplace(*number, name);
        return true;
    });

    ChildMap common;
    if (!ReadChildTable(m_source, "tSMSListsChild", common))
        return false;
    std::map<std::string, std::optional<ChildMap>> monthly; // missing tables stay remembered as missing

    struct Record {
        std::string id, kind, content, sendTime, fixedTime, type, success, count, read, phone;
    };
    std::vector<Record> records;
    if (!m_source.query(kRecords, [&](const OdbcRow& row) {
            records.push_back({row.value("SMSId"), row.value("Class"), row.value("SMSContent"),
                               row.value("Sendtime"), row.value("FixedTime"), row.value("SMSType"),
                               row.value("ISsuccess"), row.value("SMSCount"), row.value("Read"),
                               row.value("MobilePhone")});
            return true;
        }))
        return false;

    const int64_t sendOffset = targetMax("SELECT MAX(sendID) FROM sendInfo");
    SqlStatement insertReceived(m_db, "INSERT INTO receivedMSGRecord(alreadyRead,sendNum,msgContent,sendTime,"
                                      "receiveID,name) VALUES(?,?,?,?,?,?)");
    SqlStatement insertSent(m_db,
                            "INSERT INTO sendInfo(content,submitTime,timingTime,count,isDraft,isFail,sendID,"
                            "sendType) VALUES(?,?,?,?,?,?,?,?)");
    SqlStatement insertNumber(m_db, "INSERT INTO sendNums(sendID,numOrMailAddr,name) VALUES(?,?,?)");
    SqlStatement insertMms(m_db, "INSERT INTO attachmentContent(soundFileFullPath,pictureFullPath,txtContent,"
                                 "sendID,sendIDChildID) VALUES('','',?,?,'1')");
    const QString recordError = QString::fromUtf8("插入发送或者接收记录出错！");

    for (const Record& r : records) {
        if (abortRequested())
            return false;
        int64_t sendType = IntOr(r.kind, 0);
        if (sendType == 6)
            continue;
        if (sendType == 0)
            sendType = 1;
        else if (sendType == 4)
            sendType = 5;
        else if (sendType == 5)
            sendType = 4;
        std::string name;
        if (const auto number = ToInt(r.phone)) {
            const auto found = names.find(*number);
            if (found != names.end())
                name = found->second;
        }
        const auto smsType = ToInt(r.type);
        if (!smsType || (*smsType != 0 && *smsType != 1)) {
            insertReceived.reset();
            insertReceived.bind(1, OldFlagIsSet(r.read) ? 1 : 0)
                .bind(2, r.phone)
                .bind(3, r.content)
                .bind(4, r.sendTime)
                .bind(5, m_nextReceivedId++)
                .bind(6, name);
            if (insertReceived.exec() != SQLITE_OK)
                LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)), recordError);
            step();
            continue;
        }
        const auto oldId = ToInt(r.id);
        const int64_t sendId = oldId ? *oldId + sendOffset : 0;
        insertSent.reset();
        insertSent.bind(1, r.content)
            .bind(2, r.sendTime)
            .bind(3, r.fixedTime)
            .bind(4, IntOr(r.count, 0))
            .bind(5, int64_t(1) - *smsType)
            .bind(6, OldFlagIsSet(r.success) ? 0 : 1);
        BindId(insertSent, 7, r.id, sendOffset);
        insertSent.bind(8, sendType);
        if (insertSent.exec() != SQLITE_OK)
            LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)), recordError);

        // The numbers: the common child table, else the month's own.
        const std::vector<ChildRow>* numbers = nullptr;
        const std::string key = IdKey(r.id);
        if (const auto found = common.find(key); found != common.end())
            numbers = &found->second;
        int year = 0, month = 0;
        if (!numbers && std::sscanf(r.sendTime.c_str(), "%d-%d", &year, &month) == 2) {
            const std::string table = "tSMSListsChild" + std::to_string(year) + std::to_string(month);
            auto cached = monthly.find(table);
            if (cached == monthly.end()) {
                ChildMap map;
                cached = monthly
                             .emplace(table, ReadChildTable(m_source, table, map)
                                                 ? std::optional<ChildMap>(std::move(map))
                                                 : std::nullopt)
                             .first;
            }
            if (cached->second) {
                if (const auto found = cached->second->find(key); found != cached->second->end())
                    numbers = &found->second;
            }
        }
        if (numbers) {
            for (const ChildRow& child : *numbers) {
                insertNumber.reset();
                insertNumber.bind(1, sendId).bind(2, child.phone).bind(3, child.contactName);
                if (insertNumber.exec() != SQLITE_OK)
                    LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)),
                                QString::fromUtf8("插入发送记录对应的号码列表记录出错！"));
            }
        }
        if (sendType == 4) {
            insertMms.reset();
            insertMms.bind(1, r.content).bind(2, sendId);
            if (insertMms.exec() != SQLITE_OK)
                LogSqlError(QString::fromUtf8(sqlite3_errmsg(m_db)), QString::fromUtf8("插入彩信记录出错！"));
        }
        step();
    }
    return true;
}

std::vector<std::string> OldDatabaseQueries() {
    return {kCountPhrases,
            kPhraseGroups,
            kPhrases,
            kCountRelations,
            kContactGroups,
            kUserFields,
            kRelations,
            kContactQuery,
            kCountRecords,
            kAccount,
            kAllContacts,
            kRecords,
            std::string(kChildQuery) + "tSMSListsChild",
            std::string(kChildQuery) + "tSMSListsChild20113"};
}
