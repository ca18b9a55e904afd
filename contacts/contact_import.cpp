#include "contacts/contact_import.h"

#include "contacts/contact_record.h"
#include "contacts/csv_reader.h"
#include "core/convert.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/odbc_reader.h"
#include "core/sql.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTime>

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("ContactImport", text);
}

// perNO is reserved this many at a time: one id query per block, not per contact.
constexpr int64_t kPerNoBlock = 4096;
// A database source reports progress every so many records.
constexpr int kDatabaseProgressRows = 256;

constexpr char kFixedInsertFailed[] = "导入联系人插入固定字段值时出错了";
constexpr char kInsertFailed[] = "导入联系人插入字段值时出错了";
constexpr char kGroupInsertFailed[] = "导入联系人插入分组名称时出错了";
constexpr char kAutoFieldFailed[] = "从数据库导入时插入目标数据库出错了--自定义字段表";

// The ContactList column of field id 1-34; null for any other id.
const char* FieldColumn(unsigned id) {
    if (id >= 1 && id <= 20)
        return kContactColumns[id - 1];
    if (id >= 21 && id <= 34)
        return kContactColumns[id + 4]; // txtDef1 is column 25
    return nullptr;
}

bool IsDateField(unsigned id) {
    return id == 4 || id == 5 || id == 33 || id == 34;
}

// Failures after which the database takes nothing more of this import.
bool IsWriteFailure(sqlite3* db, int rc) {
    if (sqlite3_get_autocommit(db))
        return true; // the engine rolled the transaction back itself
    switch (rc & 0xFF) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_NOMEM:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_READONLY:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_CANTOPEN:
    case SQLITE_INTERRUPT:
    case SQLITE_MISUSE:
        return true;
    default:
        return false;
    }
}

// A larger page cache for the length of one import: an import's pages would
// otherwise spill to the WAL and be read back again and again (the mobile
// number index takes its rows in random order). Bounded, so memory stays flat.
class ImportCache {
public:
    explicit ImportCache(sqlite3* db) : m_db(db) {
        SqlStatement read(db, "PRAGMA cache_size");
        if (read.step() != SQLITE_ROW)
            return;
        m_saved = read.int64(0);
        const int64_t kib = m_saved < 0 ? -m_saved : m_saved * 4;
        if (kib < kImportCacheKiB)
            ExecSql(nullptr, db, "PRAGMA cache_size=-" + std::to_string(kImportCacheKiB));
        else
            m_saved = 0;
    }
    ~ImportCache() {
        if (m_saved != 0)
            ExecSql(nullptr, m_db, "PRAGMA cache_size=" + std::to_string(m_saved));
    }
    ImportCache(const ImportCache&) = delete;
    ImportCache& operator=(const ImportCache&) = delete;

private:
    static constexpr int64_t kImportCacheKiB = 64 * 1024;
    sqlite3* m_db;
    int64_t m_saved = 0;
};

// A regular file opened for reading with its size, or nothing.
struct SourceFile {
    std::FILE* file = nullptr;
    qint64 size = 0;
    explicit SourceFile(const QString& path) {
        file = std::fopen(QFile::encodeName(path).constData(), "rb");
        struct stat st {};
        if (file && (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode))) {
            std::fclose(file);
            file = nullptr;
        }
        size = file ? st.st_size : 0;
    }
    ~SourceFile() {
        if (file)
            std::fclose(file);
    }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
};

class ContactImporter {
public:
    ContactImporter(sqlite3* db, const ImportRequest& request, const ImportProgressFn& progress)
        : m_db(db), m_request(request), m_progress(progress) {}

    ImportOutcome Run() {
        const ImportCache cache(m_db);
        switch (m_request.mode) {
        case kImportDatabase:
            ImportFromDatabase(m_request.groups);
            break;
        case kImportNumbers:
            ImportNumbersOnly(m_request.groups);
            break;
        default: // a CSV file, or the CSV a sheet was converted to
            if (m_request.groupColumn.isEmpty())
                ImportCsvRows(m_request.groups);
            else
                ImportCsvRowsWithGroups();
            break;
        }
        if (m_transaction)
            m_transaction->rollback(); // whatever was not committed
        if (m_outcome.status != ImportOutcome::Status::Done)
            m_outcome.imported = 0;
        return m_outcome;
    }

private:
    enum class Row { Ok, Failed, Fatal };

    void ImportCsvRows(const std::vector<int>& groups) { ImportCsv(&groups); }
    void ImportCsvRowsWithGroups() { ImportCsv(nullptr); }
    void ImportCsv(const std::vector<int>* groups);
    void ImportNumbersOnly(const std::vector<int>& groups);
    void ImportFromDatabase(const std::vector<int>& groups);

    bool Fail(ImportOutcome::Status status) {
        m_outcome.status = status;
        return false;
    }
    bool WriteFailed() { return Fail(ImportOutcome::Status::CommitFailed); }

    // The transaction, the next displayIndex and the contact statement
    // "<head><fields>perNO,groupID,displayIndex) VALUES (?,...)", where
    // `fields` ends with ",". False when the database refuses.
    bool Begin(const char* head, const std::string& fields, size_t fieldCount, bool lineSavepoints) {
        m_transaction = std::make_unique<SqlTransaction>(m_db);
        if (!m_transaction->active())
            return WriteFailed();
        SqlStatement largest(m_db, "SELECT MAX(displayIndex) FROM ContactList");
        if (largest.step() != SQLITE_ROW)
            return WriteFailed();
        m_nNextDisplayIndex = largest.isNull(0) ? 1 : largest.int64(0) + 1;
        m_fieldCount = fieldCount;
        m_insert = std::make_unique<SqlStatement>(m_db, std::string(head) + fields +
                                                            "perNO,groupID,displayIndex) VALUES (" +
                                                            SqlParameterList(fieldCount + 3) + ")");
        if (!m_insert->ok())
            return WriteFailed();
        if (lineSavepoints) {
            // A line of several rows lands whole or not at all.
            m_savepoint = std::make_unique<SqlStatement>(m_db, "SAVEPOINT import_line");
            m_release = std::make_unique<SqlStatement>(m_db, "RELEASE import_line");
            m_rollbackTo = std::make_unique<SqlStatement>(m_db, "ROLLBACK TO import_line");
            if (!m_savepoint->ok() || !m_release->ok() || !m_rollbackTo->ok())
                return WriteFailed();
        }
        return true;
    }

    bool BeginLine() { return !m_savepoint || m_savepoint->exec() == SQLITE_OK || WriteFailed(); }
    bool EndLine(bool keep) {
        if (!m_savepoint)
            return true;
        if (!keep && m_rollbackTo->exec() != SQLITE_OK)
            return WriteFailed();
        return m_release->exec() == SQLITE_OK || WriteFailed();
    }

    bool NextPerNO(int64_t& perNO) {
        if (m_nNextPerNO == m_perNOEnd) {
            const int64_t first = AllocateId(m_db, "ContactList", "perNO", kPerNoBlock);
            if (first <= 0)
                return WriteFailed();
            m_nNextPerNO = first;
            m_perNOEnd = first + kPerNoBlock;
        }
        perNO = m_nNextPerNO++;
        return true;
    }

    Row InsertContact(const std::vector<std::string>& values, int64_t perNO, int64_t groupId) {
        int index = 1;
        for (size_t i = 0; i < m_fieldCount; ++i)
            m_insert->bind(index++, std::string_view(values[i]));
        m_insert->bind(index, perNO);
        m_insert->bind(index + 1, groupId);
        m_insert->bind(index + 2, m_nNextDisplayIndex++);
        const int rc = m_insert->exec();
        if (rc == SQLITE_OK)
            return Row::Ok;
        if (IsWriteFailure(m_db, rc)) {
            WriteFailed();
            return Row::Fatal;
        }
        return Row::Failed;
    }

    // One line (record) into every target group, counted once. False when
    // the import cannot go on.
    bool ImportLine(const std::vector<std::string>& values, const std::vector<int64_t>& targets,
                    const char* failLine) {
        int64_t perNO = 0;
        if (!NextPerNO(perNO) || !BeginLine())
            return false;
        bool allRan = !targets.empty();
        for (int64_t group : targets) {
            const Row row = InsertContact(values, perNO, group);
            if (row == Row::Fatal)
                return false;
            if (row == Row::Failed) {
                LogWrite(g_logRun, failLine);
                allRan = false;
                break;
            }
        }
        if (allRan && !m_afterLine(perNO))
            allRan = false;
        if (m_outcome.status != ImportOutcome::Status::Done || !EndLine(allRan))
            return false;
        ++(allRan ? m_outcome.imported : m_outcome.failed);
        return true;
    }

    // The id of the group a group-column value names, made on first use
    // under the default group; 0 when it could not be made; none when the
    // import cannot go on.
    std::optional<int64_t> FindGroup(const QString& name) {
        const auto it = m_mapNewGroups.constFind(name);
        if (it != m_mapNewGroups.constEnd())
            return it.value();
        const int64_t id = AllocateId(m_db, "ContactGroup", "GroupID");
        if (id <= 0) {
            WriteFailed();
            return std::nullopt;
        }
        if (!m_groupInsert)
            m_groupInsert = std::make_unique<SqlStatement>(
                m_db, "INSERT INTO  ContactGroup (GroupID,GroupName,MasterID) VALUES (?,?,?)");
        m_groupInsert->bind(1, id)
            .bind(2, name.isEmpty() ? QStringLiteral("无分组") : name)
            .bind(3, static_cast<int64_t>(m_request.defaultGroupId));
        const int rc = m_groupInsert->exec();
        int64_t made = id;
        if (rc != SQLITE_OK) {
            if (IsWriteFailure(m_db, rc)) {
                WriteFailed();
                return std::nullopt;
            }
            // Contacts of a group that does not exist would be seen nowhere:
            // the lines of this name fail instead.
            LogWrite(g_logRun, kGroupInsertFailed);
            made = 0;
        }
        m_mapNewGroups.insert(name, made);
        return made;
    }

    bool Report(qint64 done, qint64 total) {
        if (m_progress && !m_progress(done, total))
            return Fail(ImportOutcome::Status::Cancelled);
        return true;
    }

    void Commit() {
        m_insert.reset();
        m_savepoint.reset();
        m_release.reset();
        m_rollbackTo.reset();
        m_groupInsert.reset();
        m_autoInsert.reset();
        if (m_transaction->commit() != SQLITE_OK)
            WriteFailed();
    }

    sqlite3* m_db;
    const ImportRequest& m_request;
    const ImportProgressFn& m_progress;
    ImportOutcome m_outcome;

    std::unique_ptr<SqlTransaction> m_transaction;
    std::unique_ptr<SqlStatement> m_insert;
    std::unique_ptr<SqlStatement> m_savepoint, m_release, m_rollbackTo;
    std::unique_ptr<SqlStatement> m_groupInsert;
    std::unique_ptr<SqlStatement> m_autoInsert;
    size_t m_fieldCount = 0;
    int64_t m_nNextPerNO = 0;
    int64_t m_perNOEnd = 0;
    int64_t m_nNextDisplayIndex = 1;
    QHash<QString, int64_t> m_mapNewGroups;
    // Runs after a line's contact rows (the user-defined fields of a database
    // record); false fails the line.
    std::function<bool(int64_t perNO)> m_afterLine = [](int64_t) { return true; };
};

void ContactImporter::ImportCsv(const std::vector<int>* groups) {
    const bool withGroups = groups == nullptr;
    const char* failLine = withGroups ? kInsertFailed : kFixedInsertFailed;
    CsvRecordReader reader(u',', m_request.blockSize);
    switch (reader.open(m_request.path)) {
    case CsvHeaderResult::Ok:
        break;
    case CsvHeaderResult::Utf16:
        LogWrite(g_logRun, "ERROR,导入联系人 不支持UTF-16编码的文件: " + LogEscape(m_request.path));
        Fail(ImportOutcome::Status::Utf16Refused);
        return;
    default:
        LogWrite(g_logRun, "ERROR,导入联系人 打开文件失败: " + LogEscape(m_request.path));
        Fail(ImportOutcome::Status::OpenFailed);
        return;
    }
    const auto readFailed = [&] {
        LogWrite(g_logRun, "ERROR,导入联系人 读取文件失败: " + LogEscape(m_request.path));
        Fail(ImportOutcome::Status::ReadFailed);
    };

    // The header is never imported; its names stand in when the caller has none.
    QStringList fields;
    const CsvRecordReader::Next header = reader.next(fields);
    if (header == CsvRecordReader::Next::ReadFailed)
        return readFailed();
    if (header == CsvRecordReader::Next::End)
        return; // an empty file: nothing to import
    QStringList columns = m_request.columns;
    if (columns.isEmpty())
        for (const QString& field : fields)
            columns << TrimCsvValue(field);

    // Which positions of a line fill which columns.
    std::string fieldList;
    std::vector<qsizetype> positions;
    std::vector<bool> dates;
    for (const auto& [id, column] : m_request.fieldMap) {
        const char* name = FieldColumn(id);
        const qsizetype position = column.isEmpty() ? -1 : columns.indexOf(column);
        if (!name || position < 0)
            continue; // a column the file does not have
        fieldList += name;
        fieldList += ',';
        positions.push_back(position);
        dates.push_back(m_request.formatDates && IsDateField(id));
    }
    qsizetype groupPosition = -1;
    if (withGroups && !m_request.groupColumn.isEmpty())
        groupPosition = columns.indexOf(m_request.groupColumn);

    std::vector<int64_t> targets;
    if (!withGroups)
        targets.assign(groups->begin(), groups->end());
    if (!Begin("INSERT INTO  ContactList (", fieldList, positions.size(), targets.size() > 1))
        return;

    std::vector<std::string> values(positions.size());
    qint64 blocks = reader.blocksRead();
    if (!Report(reader.bytesRead(), reader.fileSize()))
        return;
    for (;;) {
        if (reader.blocksRead() != blocks) {
            blocks = reader.blocksRead();
            if (!Report(reader.bytesRead(), reader.fileSize()))
                return;
        }
        const CsvRecordReader::Next next = reader.next(fields);
        if (next == CsvRecordReader::Next::End)
            break;
        if (next == CsvRecordReader::Next::ReadFailed)
            return readFailed();
        ++m_outcome.total;
        if (next == CsvRecordReader::Next::TooLong) {
            LogWrite(g_logRun,
                     "ERROR,导入联系人 第" + std::to_string(reader.recordLine()) + "行超过1MB,未导入");
            ++m_outcome.failed;
            continue;
        }
        // A line lacking a used position or its group inserts nothing.
        bool complete =
            !positions.empty() && (!withGroups || (groupPosition >= 0 && groupPosition < fields.size()));
        for (size_t k = 0; complete && k < positions.size(); ++k) {
            if (positions[k] >= fields.size())
                complete = false;
            else
                values[k] = UnicodeToUtf8(ImportCellText(fields[positions[k]], dates[k]));
        }
        if (complete && withGroups) {
            const std::optional<int64_t> group = FindGroup(TrimCsvValue(fields[groupPosition]));
            if (!group)
                return;
            targets.assign(*group > 0 ? 1 : 0, *group);
            complete = *group > 0;
        }
        if (!complete) {
            LogWrite(g_logRun, failLine);
            ++m_outcome.failed;
            continue;
        }
        if (!ImportLine(values, targets, failLine))
            return;
    }
    if (Report(reader.bytesRead(), reader.fileSize()))
        Commit();
}

void ContactImporter::ImportNumbersOnly(const std::vector<int>& groups) {
    SourceFile source(m_request.path);
    if (!source.file) {
        LogWrite(g_logRun, "ERROR,导入联系人 打开文件失败: " + LogEscape(m_request.path));
        Fail(ImportOutcome::Status::OpenFailed);
        return;
    }
    if (!Begin("INSERT INTO ContactList (", "mobileNum,", 1, groups.size() > 1))
        return;
    std::vector<std::string> values(1);
    bool stopped = false;
    NumberRunScanner scanner([&](std::string_view digits) {
        if (stopped)
            return;
        ++m_outcome.total;
        values[0].assign(digits);
        // Every row of a number is a contact of its own.
        int64_t perNO = 0;
        bool allRan = !groups.empty();
        if (!BeginLine()) {
            stopped = true;
            return;
        }
        for (int group : groups) {
            const Row row = NextPerNO(perNO) ? InsertContact(values, perNO, group) : Row::Fatal;
            if (row == Row::Fatal) {
                stopped = true;
                return;
            }
            if (row == Row::Failed) {
                LogWrite(g_logRun, kFixedInsertFailed);
                allRan = false;
                break;
            }
        }
        if (!EndLine(allRan)) {
            stopped = true;
            return;
        }
        ++(allRan ? m_outcome.imported : m_outcome.failed);
    });

    const size_t blockSize = m_request.blockSize > 0 ? m_request.blockSize : kCsvBlockSize;
    std::unique_ptr<char[]> block = std::make_unique<char[]>(blockSize);
    qint64 done = 0;
    if (!Report(done, source.size))
        return;
    for (;;) {
        const size_t got = std::fread(block.get(), 1, blockSize, source.file);
        if (got < blockSize && std::ferror(source.file))
            break;
        if (got == 0)
            break;
        scanner.Feed(block.get(), got);
        if (stopped)
            return;
        done += static_cast<qint64>(got);
        if (!Report(done, source.size))
            return;
    }
    if (std::ferror(source.file) || done < source.size) {
        LogWrite(g_logRun, "ERROR,导入联系人 读取文件失败: " + LogEscape(m_request.path));
        Fail(ImportOutcome::Status::ReadFailed);
        return;
    }
    scanner.Finish();
    if (stopped)
        return;
    m_outcome.skipped = scanner.TooLong();
    if (m_outcome.skipped > 0)
        LogWrite(g_logRun, "INFO,导入联系人 跳过过长的数字串" + std::to_string(m_outcome.skipped) + "个");
    Commit();
}

void ContactImporter::ImportFromDatabase(const std::vector<int>& groups) {
    OdbcReader source;
    const auto sourceFailed = [&](ImportOutcome::Status status, const char* line) {
        m_outcome.detail = source.lastError();
        LogWrite(g_logRun, std::string(line) + LogEscape(m_outcome.detail));
        Fail(status);
    };
    // The connection string may hold a password: it is never logged.
    if (!source.open(m_request.connect))
        return sourceFailed(ImportOutcome::Status::ConnectFailed, "ERROR,从数据库导入 连接数据库失败:");

    // The display names of the user-defined fields, by id.
    QHash<unsigned, QString> names;
    {
        SqlStatement read(m_db, "SELECT name,fieldID FROM fieldDisplay WHERE fieldID >20 ORDER BY fieldID");
        while (read.step() == SQLITE_ROW)
            names.insert(static_cast<unsigned>(read.int64(1)), read.qtext(0));
    }

    struct Binding {
        unsigned fieldId;
        std::string name;
        size_t value; // position in the SELECT
    };
    std::vector<Binding> bindings;
    std::string select, fieldList;
    size_t count = 0;
    for (const auto& [id, column] : m_request.fieldMap) {
        const char* name = FieldColumn(id);
        if (!name || column.isEmpty())
            continue;
        select += (count > 0 ? "," : "") + source.quoteIdentifier(UnicodeToUtf8(column));
        fieldList += name;
        fieldList += ',';
        if (id > 20)
            bindings.push_back({id, UnicodeToUtf8(names.value(id)), count});
        ++count;
    }
    if (count == 0) {
        Fail(ImportOutcome::Status::SourceError);
        return;
    }
    const std::string table = source.quoteIdentifier(UnicodeToUtf8(m_request.table));
    std::string countText;
    if (!source.scalar("SELECT COUNT(*) FROM " + table, countText))
        return sourceFailed(ImportOutcome::Status::SourceError, "ERROR,从数据库导入 连接数据库异常:");
    const qint64 expected = QByteArray::fromStdString(countText).toLongLong();

    if (!Begin("INSERT INTO  ContactList (", fieldList, count, groups.size() > 1 || !bindings.empty()))
        return;
    std::vector<std::string> values(count);
    if (!bindings.empty()) {
        m_autoInsert = std::make_unique<SqlStatement>(
            m_db, "INSERT INTO autoFieldInfo (fieldName,fieldValue,personID,fieldID) VALUES (?,?,?,?)");
        if (!m_autoInsert->ok()) {
            WriteFailed();
            return;
        }
        // A record's user-defined values are written once, after its rows.
        m_afterLine = [&](int64_t perNO) {
            for (const Binding& b : bindings) {
                m_autoInsert->bind(1, std::string_view(b.name))
                    .bind(2, std::string_view(values[b.value]))
                    .bind(3, perNO)
                    .bind(4, static_cast<int64_t>(b.fieldId));
                const int rc = m_autoInsert->exec();
                if (rc != SQLITE_OK) {
                    if (IsWriteFailure(m_db, rc))
                        return WriteFailed();
                    LogWrite(g_logRun, kAutoFieldFailed);
                    return false;
                }
            }
            return true;
        };
    }
    const std::vector<int64_t> targets(groups.begin(), groups.end());
    if (!Report(0, expected))
        return;
    const bool read = source.query("SELECT " + select + " FROM " + table, [&](const OdbcRow& row) {
        ++m_outcome.total;
        for (size_t i = 0; i < count; ++i)
            values[i] = row.at(i); // NULL reads "", a REAL as plain digits
        if (!ImportLine(values, targets, kFixedInsertFailed))
            return false;
        return m_outcome.total % kDatabaseProgressRows != 0 || Report(m_outcome.total, expected);
    });
    if (m_outcome.status != ImportOutcome::Status::Done)
        return;
    if (!read)
        return sourceFailed(ImportOutcome::Status::SourceError, "ERROR,从数据库导入 连接数据库异常:");
    if (Report(m_outcome.total, expected))
        Commit();
}

} // namespace

QString FormatImportDate(const QString& text) {
    static const QRegularExpression date(
        QStringLiteral("^([0-9]{4})(?:([-/.])([0-9]{1,2})\\2([0-9]{1,2})|年([0-9]{1,2})月([0-9]{1,2})日)"
                       "(?:(?:[ \\t]+|(?<=日))([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?$"));
    const QRegularExpressionMatch m = date.match(text);
    if (!m.hasMatch())
        return text;
    const bool chinese = m.capturedLength(2) == 0;
    const QDate day(m.captured(1).toInt(), m.captured(chinese ? 5 : 3).toInt(),
                    m.captured(chinese ? 6 : 4).toInt());
    if (!day.isValid())
        return text;
    if (m.capturedLength(7) > 0 &&
        !QTime(m.captured(7).toInt(), m.captured(8).toInt(), m.captured(9).toInt()).isValid())
        return text;
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

QString ImportCellText(const QString& raw, bool formatDate) {
    QString text = TrimCsvValue(raw);
    if (formatDate)
        text = FormatImportDate(text);
    const qsizetype n = text.size();
    if (n >= 13 && text.endsWith(QLatin1String(".0"))) {
        bool digits = true;
        for (qsizetype i = 0; digits && i < n - 2; ++i)
            digits = text[i] >= u'0' && text[i] <= u'9';
        if (digits)
            text.chop(2);
    }
    return text;
}

ImportOutcome RunContactImport(sqlite3* db, const ImportRequest& request, const ImportProgressFn& progress) {
    return ContactImporter(db, request, progress).Run();
}

QString ImportOutcomeText(const ImportRequest& request, const ImportOutcome& outcome) {
    using Status = ImportOutcome::Status;
    QString text;
    switch (outcome.status) {
    case Status::Done: {
        const QString format = request.mode == kImportDatabase
                                   ? Tr("源数据共%d条记录,此次导入成功%d条,失败%d条")
                                   : Tr("文件共%d条记录,此次导入成功%d条,失败%d条");
        return QString::asprintf(format.toUtf8().constData(), outcome.total, outcome.imported,
                                 outcome.failed);
    }
    case Status::OpenFailed:
        text = Tr("打开文件失败");
        break;
    case Status::ReadFailed:
        text = Tr("读取文件失败");
        break;
    case Status::CommitFailed:
        text = Tr("写入数据库失败");
        break;
    case Status::Cancelled:
        break;
    case Status::Utf16Refused:
        text = Tr("不支持UTF-16编码的文件,请另存为UTF-8或ANSI编码后再导入.");
        break;
    case Status::ConnectFailed:
        text = Tr("连接数据库失败!");
        break;
    case Status::SourceError:
        text = Tr("连接数据库异常!\r\n错误信息:%s").replace(QLatin1String("%s"), outcome.detail);
        break;
    }
    const QString none = Tr("本次没有导入任何联系人。");
    return text.isEmpty() ? none : text + u'\n' + none;
}
