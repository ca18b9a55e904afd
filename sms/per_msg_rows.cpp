#include "sms/per_msg_rows.h"

#include "contacts/contact_fields.h"
#include "contacts/field_markers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "sms/number_rules.h"
#include "sms/send_records.h"

#include <QCoreApplication>

namespace {

const QLatin1String kOpen("<%"), kClose("%>");
const QLatin1String kMarkSeparator("#*#");

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qint64 ParseDigits(QStringView digits) {
    qint64 value = 0;
    for (QChar c : digits)
        value = value * 10 + (c.unicode() - u'0');
    return value;
}

} // namespace

QChar PerMsgSeparator(const QString& separator) {
    return separator.isEmpty() ? QChar(u',') : separator.front();
}

std::optional<qint64> PerMsgImportNumberKey(QStringView cell) {
    QStringView number = cell.trimmed();
    if (number.endsWith(QLatin1String(".0")))
        number.chop(2);
    if (number.isEmpty() || number.size() > 15)
        return std::nullopt;
    for (QChar c : number)
        if (!IsAsciiDigit(c))
            return std::nullopt;
    if (number.front() == u'0') {
        // A fixed-line number: its zero survives in the key as a "2" in front.
        if (number.size() < 10 || number.size() > 12)
            return std::nullopt;
        const QChar second = number[1];
        const bool fixedLine = (second != u'0' && second != u'1') || number.startsWith(QLatin1String("010"));
        if (!fixedLine)
            return std::nullopt;
        return RecipientNumberKey(number);
    }
    // A leading "2" would read back as a kept zero: only the mobile range.
    if (number.size() != 11)
        return std::nullopt;
    const qint64 key = ParseDigits(number);
    if (key < kMobileKeyMin || key > kMobileKeyMax)
        return std::nullopt;
    return RecipientNumberKey(number);
}

QString DropWholeDecimalZero(const QString& value) {
    if (value.size() < 3 || !value.endsWith(QLatin1String(".0")))
        return value;
    qsizetype i = 0;
    if (value[0] == u'-' || value[0] == u'+')
        ++i;
    const qsizetype end = value.size() - 2;
    if (i >= end)
        return value;
    for (; i < end; ++i)
        if (!IsAsciiDigit(value[i]))
            return value;
    return value.left(end);
}

namespace {

// A template cut at its closed placeholders: literal k stands before
// placeholder k, the last one after all of them.
QStringList TemplatePieces(const QString& templ) {
    QStringList pieces;
    qsizetype from = 0;
    while (true) {
        const qsizetype start = templ.indexOf(kOpen, from);
        if (start < 0)
            break;
        const qsizetype end = templ.indexOf(kClose, start + kOpen.size());
        if (end < 0)
            break; // an unclosed "<%" stays as typed
        pieces << templ.mid(from, start - from);
        from = end + kClose.size();
    }
    pieces << templ.mid(from);
    return pieces;
}

// The pieces joined with value(k) for placeholder k.
template <typename Value> QString JoinPieces(const QStringList& pieces, Value value) {
    qsizetype size = 0;
    for (const QString& p : pieces)
        size += p.size();
    QString out;
    out.reserve(size + 16 * (pieces.size() - 1));
    out += pieces[0];
    for (qsizetype k = 1; k < pieces.size(); ++k) {
        out += DropWholeDecimalZero(value(k - 1));
        out += pieces[k];
    }
    return out;
}

} // namespace

QString FillPlaceholders(const QString& templ, const QStringList& values) {
    return JoinPieces(TemplatePieces(templ), [&](qsizetype k) { return values.value(k); });
}

void SplitPerMsgMark(const QString& text, QString* message, QString* mark) {
    const qsizetype p = text.indexOf(kMarkSeparator);
    if (p > 0) {
        *message = text.left(p);
        *mark = text.mid(p + kMarkSeparator.size());
    } else {
        *message = text;
        mark->clear();
    }
}

QString PerMsgUnknownFieldText(const QString& field) {
    return QCoreApplication::translate("PerMsgRows", "短信内容中的字段“%1”不存在").arg(field);
}

QString ImportColumnPlaceholder(int column, const QString& name) {
    return kOpen + QString::number(column) + name.trimmed() + kClose;
}

bool ResolveImportColumns(const QString& templ, const QStringList& header, std::vector<int>* columns,
                          QString* unknown) {
    QStringList tokens;
    ExtractFieldTokens(templ, tokens);
    std::vector<int> found;
    found.reserve(static_cast<size_t>(tokens.size()));
    for (const QString& token : tokens) {
        int column = -1;
        for (int k = 0; k < header.size(); ++k) {
            if (QString::number(k) + header[k].trimmed() == token) {
                column = k;
                break;
            }
        }
        if (column < 0) {
            if (unknown)
                *unknown = token;
            return false;
        }
        found.push_back(column);
    }
    if (columns)
        *columns = std::move(found);
    return true;
}

bool CheckContactFieldTokens(const QString& templ, sqlite3* db, QString* unknown) {
    QStringList tokens;
    ExtractFieldTokens(templ, tokens);
    if (tokens.isEmpty())
        return true;
    ContactFieldReader reader(db, tokens);
    for (size_t i = 0; i < reader.refs().size(); ++i) {
        if (reader.refs()[i].nameOfValue.isEmpty()) {
            if (unknown)
                *unknown = tokens[static_cast<qsizetype>(i)];
            return false;
        }
    }
    return true;
}

CsvHeaderResult ReadPerMsgHeader(const QString& path, const QString& separator, QStringList& columns) {
    QStringList names;
    const CsvHeaderResult result = ReadCsvHeader(path, names, PerMsgSeparator(separator));
    if (result != CsvHeaderResult::Ok)
        return result;
    while (!names.isEmpty() && names.back().isEmpty())
        names.removeLast();
    columns = names;
    return CsvHeaderResult::Ok;
}

// ---------------------------------------------------------------------------

PerMsgImportReader::PerMsgImportReader(VIRTUAL_LIST_PERMSG& rows, PERMSG_IMPORT_PARAM param, QString templ)
    : m_rows(rows), m_param(std::move(param)), m_template(std::move(templ)) {}

PerMsgImportReader::~PerMsgImportReader() = default;

namespace {

// The header as page 2 shows it: names trimmed, trailing empty names dropped.
bool TidyHeader(QStringList& names) {
    bool any = false;
    for (QString& name : names) {
        name = TrimCsvValue(name);
        any = any || !name.isEmpty();
    }
    while (!names.isEmpty() && names.back().isEmpty())
        names.removeLast();
    return any;
}

} // namespace

PerMsgImportReader::OpenResult PerMsgImportReader::Open() {
    m_done = true;
    // One reader for header and lines, so the file's encoding is decided once.
    m_reader = std::make_unique<CsvRecordReader>(PerMsgSeparator(m_param.separator));
    switch (m_reader->open(m_param.filePath)) {
    case CsvHeaderResult::Ok:
        break;
    case CsvHeaderResult::Utf16:
        m_reader.reset();
        return OpenResult::Utf16;
    default:
        m_reader.reset();
        return OpenResult::CannotOpen;
    }
    if (m_reader->next(m_header) != CsvRecordReader::Next::Record || !TidyHeader(m_header)) {
        m_reader.reset();
        m_header.clear();
        return OpenResult::Unreadable;
    }
    if (m_param.numberColumn < 1 || m_param.numberColumn > m_header.size()) {
        m_reader.reset();
        return OpenResult::NoNumberColumn;
    }
    if (!ResolveImportColumns(m_template, m_header, &m_columns, &m_unknown)) {
        m_reader.reset();
        return OpenResult::UnknownField;
    }
    m_pieces = TemplatePieces(m_template);
    m_progressTotal = m_reader->fileSize();
    m_progressDone = m_reader->bytesRead();
    m_done = false;
    return OpenResult::Ok;
}

bool PerMsgImportReader::Step(int maxRows) {
    if (Done() || !m_reader)
        return false;
    QStringList fields;
    const int numberIndex = m_param.numberColumn - 1;
    for (int n = 0; n < maxRows; ++n) {
        const CsvRecordReader::Next next = m_reader->next(fields);
        if (next == CsvRecordReader::Next::End || next == CsvRecordReader::Next::ReadFailed) {
            m_readFailed = next == CsvRecordReader::Next::ReadFailed;
            Finish();
            return false;
        }
        if (next == CsvRecordReader::Next::TooLong) {
            ++m_tooLong;
            continue;
        }
        if (numberIndex >= fields.size()) {
            ++m_shortLines;
            continue;
        }
        const std::optional<qint64> key = PerMsgImportNumberKey(fields[numberIndex]);
        if (!key) {
            ++m_refused;
            continue;
        }
        VIRTUAL_LIST_PERMSG::Message message;
        message.key = *key;
        const QString text = JoinPieces(m_pieces, [&](qsizetype k) {
            const int column = m_columns[static_cast<size_t>(k)];
            return column < fields.size() ? fields[column] : QString();
        });
        SplitPerMsgMark(text, &message.text, &message.mark);
        m_rows.AppendMessage(std::move(message));
        ++m_rowsMade;
    }
    m_progressDone = m_reader->bytesRead();
    return true;
}

void PerMsgImportReader::Finish() {
    m_progressDone = m_progressTotal;
    m_reader.reset();
    m_done = true;
    if (m_shortLines > 0)
        LogWrite(g_logRun, "Error,CDlgPerMSG::FillPerList读取csv文件内容数组越界,lines=" +
                               std::to_string(m_shortLines));
    LogWrite(g_logRun, "INFO,CDlgPerMSG::FillPerList rows=" + std::to_string(m_rowsMade) + ",short=" +
                           std::to_string(m_shortLines) + ",refused=" + std::to_string(m_refused) +
                           ",tooLong=" + std::to_string(m_tooLong) + (m_readFailed ? ",readFailed" : ""));
}

// ---------------------------------------------------------------------------

PerMsgComposerRows::PerMsgComposerRows(VIRTUAL_LIST_PERMSG& rows, sqlite3* db, QString templ,
                                       std::vector<PerMsgRecipient> recipients, bool splitMarks)
    : m_rows(rows), m_db(db), m_template(std::move(templ)), m_recipients(std::move(recipients)),
      m_splitMarks(splitMarks) {
    m_progressTotal = static_cast<qint64>(m_recipients.size());
    m_done = true;
}

PerMsgComposerRows::~PerMsgComposerRows() = default;

bool PerMsgComposerRows::Open() {
    ExtractFieldTokens(m_template, m_tokens);
    if (!m_tokens.isEmpty()) {
        m_fields = std::make_unique<ContactFieldReader>(m_db, m_tokens);
        for (size_t i = 0; i < m_fields->refs().size(); ++i) {
            if (m_fields->refs()[i].nameOfValue.isEmpty()) {
                m_unknown = m_tokens[static_cast<qsizetype>(i)];
                m_fields.reset();
                return false;
            }
        }
    }
    m_pieces = TemplatePieces(m_template);
    m_opened = true;
    m_done = m_recipients.empty();
    return true;
}

bool PerMsgComposerRows::Step(int maxRows) {
    if (Done() || !m_opened)
        return false;
    QStringList values;
    for (int n = 0; n < maxRows && m_next < m_recipients.size(); ++n, ++m_next) {
        PerMsgRecipient& r = m_recipients[m_next];
        const NumberAcceptance accepted = AcceptNumber(QStringView(r.number));
        if (accepted.check != NumberCheck::Accepted) {
            ++m_refused;
            continue;
        }
        values.clear();
        if (m_fields)
            m_fields->Read(values, r.number.trimmed(), r.contactId);
        const QString text = JoinPieces(m_pieces, [&](qsizetype k) { return values.value(k); });
        VIRTUAL_LIST_PERMSG::Message message;
        message.key = accepted.key;
        message.contactId = r.contactId;
        message.sendTime = std::move(r.sendTime);
        if (m_splitMarks)
            SplitPerMsgMark(text, &message.text, &message.mark);
        else
            message.text = text;
        m_rows.AppendMessage(std::move(message));
        ++m_rowsMade;
    }
    m_progressDone = static_cast<qint64>(m_next);
    if (m_next >= m_recipients.size()) {
        m_done = true;
        m_fields.reset();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

int LoadFailedRows(sqlite3* db, const std::vector<qint64>& sendIds, size_t from, size_t count,
                   VIRTUAL_LIST_PERMSG& rows) {
    SqlStatement st(db, "SELECT a.rowid,a.numOrMailAddr,b.content,b.timingTime FROM sendNums a,sendInfo b "
                        "WHERE a.sendID=b.sendID AND a.sendID=?1 AND a.taskID=0 AND b.isFail=1 AND "
                        "IFNULL(b.sendType,1)=1 AND "
                        "(a.status IS NULL OR a.status<>?2) ORDER BY a.rowid");
    if (!st.ok()) {
        LogSqlError(SqlErrorText(db), st.prepareResult(), "读取个性短信失败记录出错了");
        return -1;
    }
    int appended = 0;
    for (size_t i = from; i < sendIds.size() && i < from + count; ++i) {
        st.reset();
        st.bind(1, static_cast<int64_t>(sendIds[i])).bind(2, kStatusUnknown);
        int rc;
        while ((rc = st.step()) == SQLITE_ROW) {
            const QString number = st.qtext(1);
            const std::optional<qint64> key = RecipientNumberKey(QStringView(number).trimmed());
            if (!key) {
                LogWrite(g_logRun, "ERROR,LoadFailedRows号码不合法:" + LogEscape(number));
                continue;
            }
            VIRTUAL_LIST_PERMSG::Message message;
            message.key = *key;
            SplitPerMsgMark(st.qtext(2), &message.text, &message.mark);
            message.sendTime = st.qtext(3);
            message.sourceId = sendIds[i];
            message.sourceRowid = st.int64(0);
            rows.AppendMessage(std::move(message));
            ++appended;
        }
        if (rc != SQLITE_DONE) {
            LogSqlError(SqlErrorText(db), rc, "读取个性短信失败记录出错了");
            return -1;
        }
    }
    return appended;
}

PerMsgResendRows::PerMsgResendRows(VIRTUAL_LIST_PERMSG& rows, sqlite3* db, std::vector<qint64> sendIds)
    : m_rows(rows), m_db(db), m_ids(std::move(sendIds)) {
    m_progressTotal = static_cast<qint64>(m_ids.size());
    m_done = m_ids.empty();
}

bool PerMsgResendRows::Step(int maxRows) {
    if (Done())
        return false;
    const size_t count = static_cast<size_t>(std::max(1, maxRows));
    const int appended = LoadFailedRows(m_db, m_ids, m_next, count, m_rows);
    if (appended < 0) {
        m_failed = true;
        m_done = true;
        return false;
    }
    m_rowsMade += appended;
    m_next = std::min(m_ids.size(), m_next + count);
    m_progressDone = static_cast<qint64>(m_next);
    m_done = m_next >= m_ids.size();
    return !m_done;
}
