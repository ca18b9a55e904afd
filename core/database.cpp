#include "core/database.h"

#include "core/convert.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/sql.h"
#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

sqlite3* g_pDB = nullptr;
sqlite3* g_pCustomerDB = nullptr;
int g_nCustomize = 0;

namespace {

constexpr char kScrambledMarker[] = "QEL Encode DB";
constexpr char kPlainMarker[] = "SQLite format";
constexpr size_t kMarkerLength = 13;
constexpr size_t kScrambledLength = 32768;
constexpr unsigned char kScrambleKey = 0x5C;

std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

void MakeOwnerWritable(const QString& path) {
    const std::string p = NativePath(path);
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR))
        ::chmod(p.c_str(), (st.st_mode & 07777) | S_IWUSR);
}

// A start-up statement whose failure is expected on an existing database
// (the index, column or table is there already). Other failures are logged.
int RunSchemaStatement(sqlite3* db, const char* sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const char* m = message ? message : "";
        if (!std::strstr(m, "already exists") && !std::strstr(m, "duplicate column name")) {
            sqlite3_free(message);
            return ExecSql(nullptr, db, sql);  // runs it once more to log it the one way
        }
    }
    sqlite3_free(message);
    return rc;
}

bool TableExists(sqlite3* db, const char* name) {
    SqlStatement st(db, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE");
    st.bind(1, name);
    return st.step() == SQLITE_ROW;
}

int UserVersion(sqlite3* db) {
    SqlStatement st(db, "PRAGMA user_version");
    return st.step() == SQLITE_ROW ? static_cast<int>(st.int64(0)) : 0;
}

bool CreateBaseSchema(sqlite3* db) {
    QFile f(QStringLiteral(":/schema.sql"));
    if (!f.open(QIODevice::ReadOnly)) {
        LogWrite(g_logRun, "ERROR,OpenDatabase,base schema resource missing");
        return false;
    }
    const QByteArray schema = f.readAll();
    SqlTransaction tx(db);
    if (!tx.active())
        return false;
    if (ExecSql(nullptr, db, std::string_view(schema.constData(), static_cast<size_t>(schema.size()))) != SQLITE_OK)
        return false;
    return tx.commit() == SQLITE_OK;
}

const char* const kStartupStatements[] = {
    "create index index_SendID on sendNums(sendID);",
    "create index index_SubmitTime on sendInfo(submitTime);",
    "create index index_sID on sendInfo(sendID);",
    "create index index_mobileNum on ContactList(mobileNum);",
    "create index index_sendTime on receivedMSGRecord(sendTime);",
    "create index index_displayIndex on ContactList(displayIndex);",
    "create unique index index_fieldName on accountInfo(fieldName);",
    "ALTER TABLE [receivedMSGRecord] ADD [name] CHAR(20)",
    "ALTER TABLE [receivedMSGRecord] ADD [coName] CHAR(50)",
    "ALTER TABLE [sendInfo] ADD [send_receive_Num] INTEGER(5)",
    "ALTER TABLE [receivedMSGRecord] ADD [send_receive_Num] INTEGER(5)",
    "ALTER TABLE [ContactList] ADD [displayIndex] INTEGER(10)  default 0",
    nullptr,  // Register, below
    "ALTER TABLE [sendNums] ADD [rrid] CHAR(30)",
    "ALTER TABLE [sendNums] ADD [status] CHAR(20)",
    // A delivery report finds its row by number and reference; without this
    // each report scans the whole table while holding the write lock.
    "create index index_numOrMailAddr on sendNums(numOrMailAddr);",
};
constexpr char kCreateRegister[] = "CREATE TABLE [Register] ([SerNum] CHAR(30), [PassWd] CHAR(10))";
// A database whose Register has two columns gains the signature and keeps its row.
constexpr char kRegisterSign[] = "ALTER TABLE [Register] ADD [Sign] CHAR(20)";

const char* const kUserColumns[] = {
    "ALTER TABLE [ContactList] ADD [txtDef1] CHAR(250)",  "ALTER TABLE [ContactList] ADD [txtDef2] CHAR(250)",
    "ALTER TABLE [ContactList] ADD [txtDef3] CHAR(250)",  "ALTER TABLE [ContactList] ADD [txtDef4] CHAR(250)",
    "ALTER TABLE [ContactList] ADD [txtDef5] CHAR(250)",  "ALTER TABLE [ContactList] ADD [txtDef6] CHAR(250)",
    "ALTER TABLE [ContactList] ADD [txtDef7] CHAR(250)",  "ALTER TABLE [ContactList] ADD [numDef1] INTEGER(20)",
    "ALTER TABLE [ContactList] ADD [numDef2] INTEGER(20)", "ALTER TABLE [ContactList] ADD [numDef3] INTEGER(20)",
    "ALTER TABLE [ContactList] ADD \t[boolDef1] CHAR(2)", "ALTER TABLE [ContactList] ADD \t[boolDef2] CHAR(2)",
    "ALTER TABLE [ContactList] ADD [dateDef1] CHAR(20)",  "ALTER TABLE [ContactList] ADD [dateDef2] CHAR(20)",
};

constexpr char kCreateCountmsgRecord[] = "CREATE TABLE [CountmsgRecord] (\t[sendID] INTEGER(10),\t\t[mark] CHAR(200),"
                                         "\t\t[submitTime] CHAR(20),\t\t[isFail] INTEGER(1) DEFAULT 0,"
                                         "\t[msgcount] INTEGER(10),\t\t[numcount] INTEGER(10)\t\t);";

// The display order of contacts was once their insertion order. It is
// rewritten a single time per installation; the marker in the database keeps
// it from running again even when the OEM file cannot record it.
void RewriteDisplayOrderOnce(sqlite3* db) {
    const QString oem = OemInfoIniPath();
    if (ini::ReadInt(oem, QStringLiteral("System"), QStringLiteral("UpdateIndexValue"), 0) != 0)
        return;
    const int version = UserVersion(db);
    if (!(version & kUserVersionDisplayIndexRewritten)) {
        SqlTransaction tx(db);
        if (!tx.active())
            return;
        char sql[160];
        for (int i = 1; i <= 7; ++i) {
            std::snprintf(sql, sizeof sql, "update fieldDisplay set nameOfValue = 'txtDef%d' where fieldID =%d", i,
                          20 + i);
            ExecSql(nullptr, db, sql);
        }
        for (int i = 1; i <= 3; ++i) {
            std::snprintf(sql, sizeof sql, "update fieldDisplay set nameOfValue = 'numDef%d' where fieldID =%d", i,
                          27 + i);
            ExecSql(nullptr, db, sql);
        }
        ExecSql(nullptr, db, "update fieldDisplay set nameOfValue = 'boolDef1' where fieldID =31");
        ExecSql(nullptr, db, "update fieldDisplay set nameOfValue = 'boolDef2' where fieldID =32");
        ExecSql(nullptr, db, "update fieldDisplay set nameOfValue = 'dateDef1' where fieldID =33");
        ExecSql(nullptr, db, "update fieldDisplay set nameOfValue = 'dateDef2' where fieldID =34");
        if (ExecSql(nullptr, db, "update ContactList set displayIndex = rowid") != SQLITE_OK)
            return;  // rolled back; tried again at the next start
        std::snprintf(sql, sizeof sql, "PRAGMA user_version = %d", version | kUserVersionDisplayIndexRewritten);
        if (ExecSql(nullptr, db, sql) != SQLITE_OK || tx.commit() != SQLITE_OK)
            return;
    }
    CreateDirectoryTree(AppPath(QStringLiteral("OEM")));
    if (!ini::WriteString(oem, QStringLiteral("System"), QStringLiteral("UpdateIndexValue"), QStringLiteral("1")))
        LogWrite(g_logRun, "ERROR,OpenDatabase,写入UpdateIndexValue失败");
}

void InsertMissingRights(sqlite3* db) {
    SqlStatement st(db, "INSERT INTO accountInfo (fieldName,fieldValue) SELECT ?1,'0' "
                        "WHERE NOT EXISTS (SELECT 1 FROM accountInfo WHERE fieldName=?1)");
    for (int i = 16; i <= 20; ++i) {
        st.bind(1, "name" + std::to_string(i));
        st.exec();
    }
}

// ------------------------------------------------------------ pinyin order

// Reads one character of UTF-8; an invalid byte counts as one U+FFFD.
inline uint32_t NextCodePoint(const unsigned char*& p, const unsigned char* end) {
    unsigned char c = *p;
    if (c < 0x80) {
        ++p;
        return c;
    }
    int len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || end - p < len) {
        ++p;
        return 0xFFFD;
    }
    uint32_t cp = c & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80) {
            ++p;
            return 0xFFFD;
        }
        cp = cp << 6 | (p[k] & 0x3F);
    }
    p += len;
    return cp;
}

// The code page 936 bytes of one character; returns how many (1 or 2).
inline int GbkBytes(uint32_t cp, unsigned char out[2]) {
    uint16_t g = cp > 0xFFFF ? '?' : enc::GbkOfCodeUnit(static_cast<char16_t>(cp));
    if (g > 0xFF) {
        out[0] = static_cast<unsigned char>(g >> 8);
        out[1] = static_cast<unsigned char>(g & 0xFF);
        return 2;
    }
    out[0] = static_cast<unsigned char>(g);
    return 1;
}

// Streams the code page 936 bytes of a UTF-8 text; 0 marks the end (the
// first NUL ends the text, as a terminated string would).
struct GbkStream {
    const unsigned char* p;
    const unsigned char* end;
    unsigned char buf[2];
    int have = 0, pos = 0;
    int next() {
        if (pos < have)
            return buf[pos++];
        if (p >= end || *p == 0)
            return 0;
        have = GbkBytes(NextCodePoint(p, end), buf);
        pos = 1;
        return buf[0];
    }
};

} // namespace

int PinyinCompare(void*, int length1, const void* text1, int length2, const void* text2) {
    const auto* a = static_cast<const unsigned char*>(text1);
    const auto* b = static_cast<const unsigned char*>(text2);
    const int n = length1 < length2 ? length1 : length2;
    // Identical bytes are identical characters: skip them, then back up to
    // the start of the character in which the texts differ.
    int i = 0;
    while (i < n && a[i] == b[i]) {
        if (a[i] == 0)
            return 0;
        ++i;
    }
    const bool boundaryA = i >= length1 || (a[i] & 0xC0) != 0x80;
    const bool boundaryB = i >= length2 || (b[i] & 0xC0) != 0x80;
    if (!(boundaryA && boundaryB) && i > 0) {
        while (i > 1 && (a[i - 1] & 0xC0) == 0x80)
            --i;
        --i;
    }
    GbkStream sa{a + i, a + length1, {}, 0, 0};
    GbkStream sb{b + i, b + length2, {}, 0, 0};
    for (;;) {
        int x = sa.next();
        int y = sb.next();
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

QString SystemDatabasePath() { return AppPath(QStringLiteral("DB/SystemData.db3")); }
QString CustomerDatabasePath() { return AppPath(QStringLiteral("DB/CustomerData.db3")); }

sqlite3* OpenConnection(const QString& path) {
    sqlite3* db = nullptr;
    const std::string p = UnicodeToUtf8(path);
    // A new database file is the owner's alone; the engine gives its -wal and
    // -shm files the same mode. An existing file keeps its mode.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    int rc = sqlite3_open_v2(p.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        LogWrite(g_logRun, "ERROR,OpenConnection," + LogEscape(p) + "," + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_create_collation_v2(db, "pinyin", SQLITE_UTF8, nullptr, PinyinCompare, nullptr);
    sqlite3_busy_timeout(db, 10000);
    // WAL lets the report and mail threads write while the window reads.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    return db;
}

void CloseConnection(sqlite3* db) {
    if (db)
        sqlite3_close_v2(db);
}

int UnscrambleDatabaseFile(const QString& path) {
    if (g_pDB) {
        CloseConnection(g_pDB);
        g_pDB = nullptr;
    }
    const std::string native = NativePath(path);
    int fd = ::open(native.c_str(), O_RDONLY);
    if (fd < 0) {
        LogWrite(g_logRun, "error,file not found.");
        return -1;
    }
    char head[kMarkerLength];
    if (::read(fd, head, kMarkerLength) != static_cast<ssize_t>(kMarkerLength)) {
        LogWrite(g_logRun, "error,read db file head");
        ::close(fd);
        return -2;
    }
    if (std::memcmp(head, kPlainMarker, kMarkerLength) == 0) {
        LogWrite(g_logRun, "info,未加密，无需解密。");
        ::close(fd);
        return 0;
    }
    if (std::memcmp(head, kScrambledMarker, kMarkerLength) != 0) {
        LogWrite(g_logRun, "error,加解密遇到无效的文件格式。");
        ::close(fd);
        return -3;
    }
    LogWrite(g_logRun, "info,db已经被加密,下面将进行解密...");
    // Written beside the file being replaced and renamed over it, so a crash leaves
    // either the scrambled file or the plain one, never a half of each.
    struct stat st {};
    ::fstat(fd, &st);
    std::string tmp = native + ".plain-XXXXXX";
    int out = ::mkstemp(tmp.data());
    bool ok = out >= 0;
    auto writeAll = [&](const char* p, size_t n) { ok = ok && WriteAll(out, p, n); };
    writeAll(kPlainMarker, kMarkerLength);
    std::string buf(1 << 16, '\0');
    size_t xored = 0;
    while (ok) {
        ssize_t r = ::read(fd, buf.data(), buf.size());
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            ok = false;
        if (r <= 0)
            break;
        for (ssize_t k = 0; k < r && xored < kScrambledLength; ++k, ++xored)
            buf[static_cast<size_t>(k)] = static_cast<char>(buf[static_cast<size_t>(k)] ^ kScrambleKey);
        writeAll(buf.data(), static_cast<size_t>(r));
    }
    ::close(fd);
    if (out >= 0) {
        ok = ok && ::fchmod(out, st.st_mode & 07777) == 0 && ::fsync(out) == 0;
        ok = ::close(out) == 0 && ok;
    }
    if (ok)
        ok = ::rename(tmp.c_str(), native.c_str()) == 0;
    if (!ok) {
        if (out >= 0)
            ::unlink(tmp.c_str());
        LogWrite(g_logRun, std::string("error,db解密失败,") + std::strerror(errno));
        return -4;
    }
    LogWrite(g_logRun, "info,db解密完成.");
    return 0;
}

void ResetFileAttributes() {
    for (const char* name : {"DB/SystemData.db3", "Corvelane", "ServerInfo.ini", "CsqxConfig.ini", "Brannock",
                             "OEM/OemInfo.ini"})
        MakeOwnerWritable(AppPath(QString::fromLatin1(name)));
}

// Plain engine calls: a failure here is one log line, not a failed statement.
int ProbeStep(sqlite3* db, const char* sql, std::string& firstColumn) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(st, 0);
            firstColumn = text ? reinterpret_cast<const char*>(text) : "";
        }
    }
    sqlite3_finalize(st);
    return rc;
}

namespace {

// The first read of the file tells a file that is no database, or whose pages
// are damaged, before anything writes to it.
int ProbeDatabase(sqlite3* db, bool checkPages) {
    std::string value;
    int rc = ProbeStep(db, "SELECT COUNT(*) FROM sqlite_master", value);
    std::string what = "first read";
    if (rc == SQLITE_ROW && checkPages) {
        rc = ProbeStep(db, "PRAGMA quick_check", value);
        what = "quick_check";
        if (rc == SQLITE_ROW && value != "ok") {
            LogWrite(g_logRun, "ERROR,OpenDatabase,quick_check," + LogEscape(value));
            return kDatabaseDamaged;
        }
    }
    if (rc == SQLITE_ROW)
        return 0;
    LogWrite(g_logRun, "ERROR,OpenDatabase," + what + "," + LogEscape(std::string(sqlite3_errmsg(db))));
    switch (sqlite3_errcode(db) & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return kDatabaseDamaged;
    case SQLITE_READONLY:
    case SQLITE_FULL:
        return kDatabaseUnwritable;
    default:
        return kDatabaseNotOpened;
    }
}

} // namespace

QString DatabaseFailureText(int code) {
    const QString path = QDir::toNativeSeparators(SystemDatabasePath());
    auto tr = [](const char* text) { return QCoreApplication::translate("Database", text); };
    switch (code) {
    case kDatabaseDamaged:
        return tr("数据库文件已损坏或不是数据库，程序无法使用它：\n%1\n请从备份恢复该文件。").arg(path);
    case kDatabaseUnwritable:
        return tr("无法写入数据库文件（文件夹只读或磁盘已满）：\n%1").arg(path);
    default:
        return tr("无法打开数据库文件：\n%1").arg(path);
    }
}

int OpenDatabase(bool checkPages) {
    g_nCustomize = ini::ReadInt(OemInfoIniPath(), QStringLiteral("System"), QStringLiteral("Customize"), 0);

    const QString systemPath = SystemDatabasePath();
    UnscrambleDatabaseFile(systemPath);
    MakeOwnerWritable(systemPath);
    // The database holds the service password: a new folder is the user's alone.
    const QString dbFolder = AppPath(QStringLiteral("DB"));
    if (!QFileInfo::exists(dbFolder) && CreateDirectoryTree(dbFolder))
        ::chmod(QFile::encodeName(dbFolder).constData(), 0700);
    // An existing file is read before anything may write to it (even the
    // switch to WAL rewrites its header), through a read-only connection.
    if (QFileInfo(systemPath).isFile()) {
        sqlite3* probe = nullptr;
        int rc = sqlite3_open_v2(UnicodeToUtf8(systemPath).c_str(), &probe, SQLITE_OPEN_READONLY, nullptr);
        rc = rc == SQLITE_OK ? ProbeDatabase(probe, checkPages) : kDatabaseNotOpened;
        sqlite3_close_v2(probe);
        if (rc != 0)
            return rc;
    }
    g_pDB = OpenConnection(systemPath);

    if (g_nCustomize) {
        const QString customerPath = CustomerDatabasePath();
        MakeOwnerWritable(customerPath);
        g_pCustomerDB = OpenConnection(customerPath);
    }
    if (!g_pDB) {
        LogWrite(g_logRun, "ERROR,打开数据库出错!");
        CloseDatabase();
        const QFileInfo folder(dbFolder);
        return folder.isDir() && !folder.isWritable() ? kDatabaseUnwritable : kDatabaseNotOpened;
    }

    if (g_pCustomerDB && !TableExists(g_pCustomerDB, "CountmsgRecord"))
        ExecSql(nullptr, g_pCustomerDB, kCreateCountmsgRecord);

    // The base schema creates Register too, so whether it is new is known only
    // from before.
    const bool hadRegister = TableExists(g_pDB, "Register");
    CreateBaseSchema(g_pDB);
    for (const char* sql : kStartupStatements) {
        if (sql) {
            RunSchemaStatement(g_pDB, sql);
        } else if (RunSchemaStatement(g_pDB, kCreateRegister) == SQLITE_OK || !hadRegister) {
            LogWrite(g_logRun, "db中没有账号信息，新建Register 成功！");
        }
    }
    RunSchemaStatement(g_pDB, kRegisterSign);

    for (const char* sql : kUserColumns)
        RunSchemaStatement(g_pDB, sql);
    // The contact lists page a group in display order and the editor finds
    // a contact's rows by perNO; without these a million rows are scanned.
    // No collation in them, so other tools can still read the file.
    RunSchemaStatement(g_pDB, "CREATE INDEX IF NOT EXISTS index_perNO ON ContactList(perNO)");
    RunSchemaStatement(g_pDB, "CREATE INDEX IF NOT EXISTS index_groupDisplay ON ContactList(groupID, displayIndex)");
    RewriteDisplayOrderOnce(g_pDB);
    InsertMissingRights(g_pDB);
    return 0;
}

void CloseDatabase() {
    CloseConnection(g_pDB);
    g_pDB = nullptr;
    CloseConnection(g_pCustomerDB);
    g_pCustomerDB = nullptr;
}
