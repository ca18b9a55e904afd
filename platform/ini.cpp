#include "platform/ini.h"

#include "platform/encoding.h"
#include "platform/file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace ini {
namespace {

enum class Encoding { Utf8, Utf8Bom, Utf16LeBom, Gbk };

struct Document {
    Encoding encoding = Encoding::Utf8;
    QStringList lines;
    // A code page 936 file's lines as they were read. A line the program did
    // not touch is written back from these bytes, so bytes that do not decode
    // survive a write of another key. Null for a line that is new or changed.
    QList<QByteArray> raw;
    QString eol = QStringLiteral("\n");
    bool endsWithEol = true;

    void setLine(int i, const QString& text) {
        lines[i] = text;
        raw[i] = QByteArray();
    }
    void insertLine(int i, const QString& text) {
        lines.insert(i, text);
        raw.insert(i, QByteArray());
    }
    void appendLine(const QString& text) { insertLine(static_cast<int>(lines.size()), text); }
    void removeLine(int i) {
        lines.removeAt(i);
        raw.removeAt(i);
    }
};

// Writers in this process take turns, so two threads never lose each other's keys.
std::mutex& WriteMutex() {
    static std::mutex m;
    return m;
}

bool ReadFileBytes(const QString& path, QByteArray& out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    out = f.readAll();
    return true;
}

Document Parse(const QByteArray& bytes) {
    Document doc;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        doc.encoding = Encoding::Utf8Bom;
        text = QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    } else if (bytes.startsWith("\xFF\xFE")) {
        doc.encoding = Encoding::Utf16LeBom;
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    } else if (enc::IsValidUtf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())))) {
        doc.encoding = Encoding::Utf8;
        text = QString::fromUtf8(bytes);
    } else {
        doc.encoding = Encoding::Gbk;
        text = enc::FromGbk(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    if (text.contains(QLatin1String("\r\n")))
        doc.eol = QStringLiteral("\r\n");
    doc.endsWithEol = text.isEmpty() || text.endsWith(QLatin1Char('\n'));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    doc.lines = text.split(QLatin1Char('\n'));
    if (doc.endsWithEol && !doc.lines.isEmpty())
        doc.lines.removeLast();  // the empty piece after the last line break
    doc.raw = QList<QByteArray>(doc.lines.size());
    if (doc.encoding == Encoding::Gbk) {
        // A line break byte is never part of a two-byte character, so the
        // bytes split into the same lines as the text.
        QList<QByteArray> pieces = bytes.split('\n');
        if (doc.endsWithEol && !pieces.isEmpty())
            pieces.removeLast();
        if (pieces.size() == doc.lines.size()) {
            for (qsizetype i = 0; i < pieces.size(); ++i) {
                QByteArray& piece = pieces[i];
                if (doc.eol.size() == 2 && piece.endsWith('\r'))
                    piece.chop(1);
                doc.raw[i] = piece.isNull() ? QByteArray("") : piece;
            }
        }
    }
    return doc;
}

QByteArray Serialise(const Document& doc) {
    QString text = doc.lines.join(doc.eol);
    if (doc.endsWithEol && !doc.lines.isEmpty())
        text += doc.eol;
    switch (doc.encoding) {
    case Encoding::Utf8:
        return text.toUtf8();
    case Encoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case Encoding::Utf16LeBom: {
        QByteArray out("\xFF\xFE");
        out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        return out;
    }
    case Encoding::Gbk: {
        const QByteArray eol = doc.eol.toLatin1();
        QByteArray out;
        for (qsizetype i = 0; i < doc.lines.size(); ++i) {
            if (i > 0)
                out += eol;
            if (i < doc.raw.size() && !doc.raw[i].isNull()) {
                out += doc.raw[i];
            } else {
                const std::string g = enc::ToGbk(doc.lines[i]);
                out.append(g.data(), static_cast<qsizetype>(g.size()));
            }
        }
        if (doc.endsWithEol && !doc.lines.isEmpty())
            out += eol;
        return out;
    }
    }
    return {};
}

// "[name]" -> name, else null.
QString SectionName(const QString& line) {
    QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return QString();
    int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return QString();
    return t.mid(1, close - 1).trimmed();
}

bool SplitKeyValue(const QString& line, QString& key, QString& value) {
    int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1).trimmed();
    return true;
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Index of the first line of the first matching section's header, or -1.
int FindSection(const Document& doc, const QString& section) {
    for (int i = 0; i < doc.lines.size(); ++i) {
        QString name = SectionName(doc.lines[i]);
        if (!name.isNull() && SameName(name, section))
            return i;
    }
    return -1;
}

// Index one past the section's last line (the next header or the end).
int SectionEnd(const Document& doc, int header) {
    for (int i = header + 1; i < doc.lines.size(); ++i)
        if (!SectionName(doc.lines[i]).isNull())
            return i;
    return static_cast<int>(doc.lines.size());
}

int FindKey(const Document& doc, int header, int end, const QString& key) {
    for (int i = header + 1; i < end; ++i) {
        QString k, v;
        if (SplitKeyValue(doc.lines[i], k, v) && SameName(k, key))
            return i;
    }
    return -1;
}

bool Lookup(const QString& path, const QString& section, const QString& key, QString& value) {
    QByteArray bytes;
    if (!ReadFileBytes(path, bytes))
        return false;
    Document doc = Parse(bytes);
    int header = FindSection(doc, section);
    if (header < 0)
        return false;
    int line = FindKey(doc, header, SectionEnd(doc, header), key);
    if (line < 0)
        return false;
    QString k;
    SplitKeyValue(doc.lines[line], k, value);
    // A value wrapped in matching quotes is given without them.
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return true;
}

bool OwnerMayWrite(const QString& path, bool& exists, mode_t& mode) {
    struct stat st {};
    QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) != 0) {
        exists = false;
        return true;
    }
    exists = true;
    mode = st.st_mode & 07777;
    return (st.st_mode & S_IWUSR) != 0;
}

QByteArray TemporaryBeside(const QString& path, const QByteArray& content, mode_t mode) {
    QByteArray tmp = QFile::encodeName(path) + ".tmp-XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return {};
    bool ok = ::fchmod(fd, mode) == 0;
    ok = ok && WriteAll(fd, content.constData(), static_cast<size_t>(content.size()));
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(tmp.constData());
        return {};
    }
    return tmp;
}

bool ReplaceFile(const QString& path, const QByteArray& content, mode_t mode) {
    const QByteArray tmp = TemporaryBeside(path, content, mode);
    if (tmp.isEmpty())
        return false;
    if (::rename(tmp.constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    ::unlink(tmp.constData());
    return false;
}

// Reads the file into `doc` and its mode into `mode` (newFileMode for a file
// that does not exist yet). False when it cannot be read or written.
bool Load(const QString& path, mode_t newFileMode, Document& doc, mode_t& mode) {
    bool exists = false;
    mode = newFileMode;
    if (!OwnerMayWrite(path, exists, mode))
        return false;
    if (exists) {
        QByteArray bytes;
        if (!ReadFileBytes(path, bytes))
            return false;
        doc = Parse(bytes);
    }
    return true;
}

template <typename Edit>
bool Modify(const QString& path, mode_t newFileMode, Edit edit) {
    std::lock_guard lock(WriteMutex());
    Document doc;
    mode_t mode = newFileMode;
    if (!Load(path, newFileMode, doc, mode))
        return false;
    if (!edit(doc))
        return true;  // nothing to change
    return ReplaceFile(path, Serialise(doc), mode);
}

QString OneLine(QString value) {
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

QString ReadString(const QString& path, const QString& section, const QString& key, const QString& defaultValue,
                   int maxChars) {
    QString value;
    if (!Lookup(path, section, key, value))
        value = defaultValue;
    if (maxChars >= 0 && value.size() > maxChars)
        value.truncate(maxChars);
    return value;
}

QStringList ReadSection(const QString& path, const QString& section) {
    QByteArray bytes;
    if (!ReadFileBytes(path, bytes))
        return {};
    const Document doc = Parse(bytes);
    const int header = FindSection(doc, section);
    if (header < 0)
        return {};
    QStringList lines;
    const int end = SectionEnd(doc, header);
    for (int i = header + 1; i < end; ++i) {
        const QString line = doc.lines[i].trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char(';')))
            lines << line;
    }
    return lines;
}

int ReadInt(const QString& path, const QString& section, const QString& key, int defaultValue) {
    QString value;
    if (!Lookup(path, section, key, value) || value.isEmpty())
        return defaultValue;
    qsizetype i = 0;
    while (i < value.size() && (value[i] == QLatin1Char(' ') || value[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == QLatin1Char('-') || value[i] == QLatin1Char('+'))) {
        negative = value[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i + 1 < value.size() && value[i] == QLatin1Char('0')) {
        QChar p = value[i + 1].toLower();
        if (p == QLatin1Char('x'))
            base = 16;
        else if (p == QLatin1Char('o'))
            base = 8;
        else if (p == QLatin1Char('b'))
            base = 2;
        if (base != 10)
            i += 2;
    }
    uint32_t result = 0;  // wraps at 32 bits, as stored settings files expect
    for (; i < value.size(); ++i) {
        char16_t c = value[i].unicode();
        int d = 99;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        if (d >= base)
            break;
        result = result * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
    }
    return static_cast<int>(negative ? 0u - result : result);
}

namespace {

// Sets one key in the document; false when it already held that value.
bool SetKey(Document& doc, const QString& section, const QString& key, const QString& value) {
    const QString line = OneLine(key) + QLatin1Char('=') + OneLine(value);
    {
        int header = FindSection(doc, section);
        if (header < 0) {
            if (!doc.lines.isEmpty() && !doc.lines.back().trimmed().isEmpty())
                doc.appendLine(QString());
            doc.appendLine(QLatin1Char('[') + OneLine(section) + QLatin1Char(']'));
            doc.appendLine(line);
            doc.endsWithEol = true;
            return true;
        }
        int end = SectionEnd(doc, header);
        int at = FindKey(doc, header, end, key);
        if (at >= 0) {
            if (doc.lines[at] == line)
                return false;
            doc.setLine(at, line);
            return true;
        }
        // After the section's last non-empty line, so blank separators stay below it.
        int insertAt = end;
        while (insertAt > header + 1 && doc.lines[insertAt - 1].trimmed().isEmpty())
            --insertAt;
        doc.insertLine(insertAt, line);
        if (insertAt == doc.lines.size() - 1)
            doc.endsWithEol = true;
        return true;
    }
}

bool SetKeys(Document& doc, const QString& section, const std::vector<KeyValue>& values) {
    bool changed = false;
    for (const KeyValue& kv : values)
        changed = SetKey(doc, section, kv.key, kv.value) || changed;
    return changed;
}

} // namespace

bool WriteString(const QString& path, const QString& section, const QString& key, const QString& value,
                 mode_t newFileMode) {
    return WriteStrings(path, section, {{key, value}}, newFileMode);
}

bool WriteStrings(const QString& path, const QString& section, const std::vector<KeyValue>& values,
                  mode_t newFileMode) {
    return Modify(path, newFileMode, [&](Document& doc) { return SetKeys(doc, section, values); });
}

bool PrepareWrite(const QString& path, const QString& section, const std::vector<KeyValue>& values,
                  mode_t newFileMode, QByteArray& content, mode_t& mode) {
    std::lock_guard lock(WriteMutex());
    Document doc;
    if (!Load(path, newFileMode, doc, mode))
        return false;
    SetKeys(doc, section, values);
    content = Serialise(doc);
    return true;
}

QString WriteTemporary(const QString& path, const QByteArray& content, mode_t mode) {
    return QFile::decodeName(TemporaryBeside(path, content, mode));
}

bool DeleteKey(const QString& path, const QString& section, const QString& key) {
    if (!QFileInfo::exists(path))
        return true;
    return Modify(path, 0644, [&](Document& doc) {
        int header = FindSection(doc, section);
        if (header < 0)
            return false;
        int at = FindKey(doc, header, SectionEnd(doc, header), key);
        if (at < 0)
            return false;
        doc.removeLine(at);
        return true;
    });
}

} // namespace ini
