#include "contacts/xlsx_reader.h"

#include <QFile>

#include <expat.h>
#include <unzip.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>

namespace {

constexpr uint64_t kMiB = 1 << 20;
// The small parts: relationships, workbook, styles.
constexpr uint64_t kSmallPartLimit = 16 * kMiB;
constexpr uint64_t kSharedStringsLimit = 256 * kMiB;
constexpr uint64_t kSheetLimit = uint64_t(2) << 30;
// Past an entry's first MiB, more inflated bytes per compressed byte than
// this is a zip bomb, not a spreadsheet.
constexpr uint64_t kRatioLimit = 100;
// Expat keeps an unfinished token (a tag, a comment) whole; this much input
// without a single event is refused before that buffer grows further.
constexpr uint64_t kTokenLimit = 8 * kMiB;
constexpr int kDepthLimit = 64;
constexpr int kChunk = 256 * 1024;
// UTF-8 bytes a cell of kSheetCellLimit characters can take.
constexpr size_t kCellBytesLimit = 4 * kSheetCellLimit;

std::string_view Local(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? std::string_view(colon + 1) : std::string_view(name);
}

const char* Attr(const char** attrs, std::string_view local) {
    for (; attrs[0]; attrs += 2)
        if (Local(attrs[0]) == local)
            return attrs[1];
    return nullptr;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool ParseUnsigned(std::string_view text, uint64_t& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && !text.empty();
}

// "_xHHHH_" stands for a character XML cannot carry (a CR, a control
// character); "_x005F_" escapes a literal underscore.
void DecodeEscapes(std::string& text) {
    if (text.find("_x") == std::string::npos)
        return;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned code = 0;
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_' &&
            std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16).ptr == text.data() + i + 6 &&
            (code < 0xD800 || code > 0xDFFF)) {
            const QByteArray utf8 = QString(QChar(static_cast<char16_t>(code))).toUtf8();
            out.append(utf8.constData(), static_cast<size_t>(utf8.size()));
            i += 6;
        } else {
            out.push_back(text[i]);
        }
    }
    text.swap(out);
}

// One part's events. A handler stops the parse with Fail().
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void Start(std::string_view name, const char** attrs) = 0;
    virtual void End(std::string_view name) = 0;
    virtual void Text(const char*, int) {}

    void Fail(const QString& why) {
        if (failure.isEmpty())
            failure = why;
        XML_StopParser(parser, XML_FALSE);
    }

    XML_Parser parser = nullptr;
    QString failure;
    int depth = 0;
    uint64_t sinceEvent = 0;
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attrs) {
    auto* h = static_cast<XmlHandler*>(data);
    h->sinceEvent = 0;
    if (++h->depth > kDepthLimit)
        return h->Fail(QStringLiteral("elements nested too deep"));
    h->Start(Local(name), attrs);
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
    auto* h = static_cast<XmlHandler*>(data);
    h->sinceEvent = 0;
    --h->depth;
    h->End(Local(name));
}

void XMLCALL OnText(void* data, const XML_Char* s, int len) {
    auto* h = static_cast<XmlHandler*>(data);
    h->sinceEvent = 0;
    h->Text(s, len);
}

void XMLCALL OnComment(void* data, const XML_Char*) {
    static_cast<XmlHandler*>(data)->sinceEvent = 0;
}

void XMLCALL OnInstruction(void* data, const XML_Char*, const XML_Char*) {
    static_cast<XmlHandler*>(data)->sinceEvent = 0;
}

// A document type could declare entities that expand without bound; no
// spreadsheet program writes one.
void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<XmlHandler*>(data)->Fail(QStringLiteral("a DOCTYPE is refused"));
}

void XMLCALL OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                      const XML_Char*, const XML_Char*, const XML_Char*) {
    static_cast<XmlHandler*>(data)->Fail(QStringLiteral("an entity declaration is refused"));
}

struct Relationship {
    std::string type;
    std::string target;
    bool external = false;
};

class RelsHandler : public XmlHandler {
public:
    std::map<std::string, Relationship> rels;

    void Start(std::string_view name, const char** attrs) override {
        if (name != "Relationship")
            return;
        const char* id = Attr(attrs, "Id");
        const char* type = Attr(attrs, "Type");
        const char* target = Attr(attrs, "Target");
        const char* mode = Attr(attrs, "TargetMode");
        if (id && type && target)
            rels[id] = {type, target, mode && std::string_view(mode) == "External"};
    }
    void End(std::string_view) override {}

    const Relationship* ByType(std::string_view tail) const {
        for (const auto& [id, rel] : rels)
            if (EndsWith(rel.type, tail))
                return &rel;
        return nullptr;
    }
};

class WorkbookHandler : public XmlHandler {
public:
    struct Entry {
        QString name;
        std::string rel;
    };
    std::vector<Entry> sheets;
    bool date1904 = false;

    void Start(std::string_view name, const char** attrs) override {
        if (name == "workbookPr") {
            const char* v = Attr(attrs, "date1904");
            date1904 = v && (std::string_view(v) == "1" || std::string_view(v) == "true");
        } else if (name == "sheet") {
            const char* sheetName = Attr(attrs, "name");
            const char* rel = Attr(attrs, "id");
            if (sheetName && rel)
                sheets.push_back({QString::fromUtf8(sheetName), rel});
        }
    }
    void End(std::string_view) override {}
};

class StylesHandler : public XmlHandler {
public:
    std::map<int, std::string> customFormats;
    std::vector<int> cellFormats; // numFmtId by cellXfs index
    bool inCellXfs = false;

    void Start(std::string_view name, const char** attrs) override {
        if (name == "numFmt") {
            const char* id = Attr(attrs, "numFmtId");
            const char* code = Attr(attrs, "formatCode");
            if (id && code)
                customFormats[std::atoi(id)] = code;
        } else if (name == "cellXfs") {
            inCellXfs = true;
        } else if (name == "xf" && inCellXfs) {
            const char* id = Attr(attrs, "numFmtId");
            cellFormats.push_back(id ? std::atoi(id) : 0);
        }
    }
    void End(std::string_view name) override {
        if (name == "cellXfs")
            inCellXfs = false;
    }
};

// Collects the text runs (<t>) of a string item, leaving out phonetic runs.
class RichTextCollector {
public:
    std::string text;

    void Reset() {
        text.clear();
        m_capture = false;
        m_phonetic = 0;
    }
    void Start(std::string_view name) {
        if (name == "rPh")
            ++m_phonetic;
        else if (name == "t" && m_phonetic == 0)
            m_capture = true;
    }
    void End(std::string_view name) {
        if (name == "rPh")
            --m_phonetic;
        else if (name == "t")
            m_capture = false;
    }
    // False when the text outgrew any cell.
    bool Text(const char* s, int len) {
        if (m_capture)
            text.append(s, static_cast<size_t>(len));
        return text.size() <= kCellBytesLimit;
    }
    // Decodes the escapes; false when the text is longer than a cell.
    bool Finish() {
        DecodeEscapes(text);
        return Utf16Length(text) <= kSheetCellLimit;
    }

private:
    bool m_capture = false;
    int m_phonetic = 0;
};

const QString kCellTooLong = QStringLiteral("a cell holds more than 32767 characters");

} // namespace

struct XlsxWorkbook::SharedStrings {
    std::string text;
    std::vector<uint32_t> ends;

    std::string_view At(size_t i) const {
        const uint32_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(text).substr(begin, ends[i] - begin);
    }
};

namespace {

class SharedStringsHandler : public XmlHandler {
public:
    explicit SharedStringsHandler(std::string& text, std::vector<uint32_t>& ends)
        : m_text(text), m_ends(ends) {}

    void Start(std::string_view name, const char**) override {
        if (name == "si") {
            m_inItem = true;
            m_item.Reset();
        } else if (m_inItem) {
            m_item.Start(name);
        }
    }
    void End(std::string_view name) override {
        if (name == "si") {
            m_inItem = false;
            if (!m_item.Finish())
                return Fail(kCellTooLong);
            m_text.append(m_item.text);
            m_ends.push_back(static_cast<uint32_t>(m_text.size()));
        } else if (m_inItem) {
            m_item.End(name);
        }
    }
    void Text(const char* s, int len) override {
        if (m_inItem && !m_item.Text(s, len))
            Fail(kCellTooLong);
    }

private:
    std::string& m_text;
    std::vector<uint32_t>& m_ends;
    RichTextCollector m_item;
    bool m_inItem = false;
};

// A cell reference: column letters A to XFD, row 1 to 1048576; either part
// may be missing ("B" or "3" never occur, but a row without "r" does).
bool ParseCellRef(const char* ref, uint32_t& column, uint32_t& row) {
    uint32_t col = 0;
    const char* p = ref;
    for (; (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'); ++p) {
        col = col * 26 + static_cast<uint32_t>((*p | 0x20) - 'a' + 1);
        if (col > kSheetMaxColumns)
            return false;
    }
    uint64_t r = 0;
    if (col == 0 || !ParseUnsigned(p, r) || r == 0 || r > kSheetMaxRows)
        return false;
    column = col - 1;
    row = static_cast<uint32_t>(r - 1);
    return true;
}

class SheetHandler : public XmlHandler {
public:
    SheetHandler(SheetCsvWriter& out, const XlsxWorkbook::SharedStrings* strings,
                 const std::vector<bool>& dateStyles, bool date1904)
        : m_out(out), m_strings(strings), m_dateStyles(dateStyles), m_date1904(date1904) {
        m_value.reserve(256);
        m_raw.reserve(256);
    }

    void Start(std::string_view name, const char** attrs) override {
        if (!m_inData) {
            m_inData = name == "sheetData";
            return;
        }
        if (m_inCell) {
            if (name == "v") {
                m_capture = true;
            } else if (name == "is") {
                m_inInline = true;
                m_inline.Reset();
            } else if (m_inInline) {
                m_inline.Start(name);
            }
        } else if (name == "c") {
            StartCell(attrs);
        } else if (name == "row") {
            StartRow(attrs);
        }
    }

    void End(std::string_view name) override {
        if (!m_inData)
            return;
        if (name == "v") {
            m_capture = false;
        } else if (name == "c") {
            EndCell();
        } else if (name == "is") {
            m_inInline = false;
        } else if (m_inInline) {
            m_inline.End(name);
        } else if (name == "sheetData") {
            m_inData = false;
        }
    }

    void Text(const char* s, int len) override {
        if (m_capture) {
            m_raw.append(s, static_cast<size_t>(len));
            if (m_raw.size() > kCellBytesLimit)
                Fail(kCellTooLong);
        } else if (m_inInline && !m_inline.Text(s, len)) {
            Fail(kCellTooLong);
        }
    }

private:
    enum class Kind { Number, Shared, Inline, Text, Boolean, Date };

    void StartRow(const char** attrs) {
        uint64_t r = 0;
        const char* ref = Attr(attrs, "r");
        if (!ref) {
            r = m_rows == 0 ? 1 : uint64_t(m_row) + 2; // the row after the last one (m_row counts from 0)
        } else if (!ParseUnsigned(ref, r) || r == 0 || r > kSheetMaxRows) {
            return Fail(QStringLiteral("a row number past 1048576: %1").arg(QString::fromUtf8(ref)));
        }
        if (m_rows > 0 && r - 1 <= m_row)
            return Fail(QStringLiteral("rows out of order at row %1").arg(r));
        if (r > kSheetMaxRows)
            return Fail(QStringLiteral("more than 1048576 rows"));
        m_row = static_cast<uint32_t>(r - 1);
        ++m_rows;
        m_cellsInRow = 0;
    }

    void StartCell(const char** attrs) {
        if (m_rows == 0)
            return Fail(QStringLiteral("a cell outside a row"));
        m_inCell = true;
        m_raw.clear();
        m_kind = Kind::Number;
        m_dateStyle = false;
        uint32_t column = m_cellsInRow ? m_column + 1 : 0;
        for (const char** a = attrs; a[0]; a += 2) {
            const char* name = a[0];
            if (name[0] == 'r' && name[1] == 0) {
                uint32_t row = 0;
                if (!ParseCellRef(a[1], column, row))
                    return Fail(
                        QStringLiteral("a cell reference past XFD1048576: %1").arg(QString::fromUtf8(a[1])));
                if (row != m_row)
                    return Fail(
                        QStringLiteral("cell %1 in row %2").arg(QString::fromUtf8(a[1])).arg(m_row + 1));
            } else if (name[0] == 't' && name[1] == 0) {
                const std::string_view t = a[1];
                m_kind = t == "s"           ? Kind::Shared
                         : t == "inlineStr" ? Kind::Inline
                         : t == "b"         ? Kind::Boolean
                         : t == "d"         ? Kind::Date
                         : t == "n"         ? Kind::Number
                                            : Kind::Text; // str, e
            } else if (name[0] == 's' && name[1] == 0) {
                uint64_t style = 0;
                m_dateStyle =
                    ParseUnsigned(a[1], style) && style < m_dateStyles.size() && m_dateStyles[style];
            }
        }
        if (column >= kSheetMaxColumns)
            return Fail(QStringLiteral("a cell past column XFD in row %1").arg(m_row + 1));
        if (m_cellsInRow && column <= m_column)
            return Fail(QStringLiteral("cells out of order in row %1").arg(m_row + 1));
        m_column = column;
        ++m_cellsInRow;
    }

    void EndCell() {
        m_inCell = false;
        m_value.clear();
        switch (m_kind) {
        case Kind::Number:
            if (m_raw.empty())
                break;
            if (m_dateStyle) {
                double serial = 0;
                const auto r = std::from_chars(m_raw.data(), m_raw.data() + m_raw.size(), serial);
                if (r.ec == std::errc() && r.ptr == m_raw.data() + m_raw.size() &&
                    AppendSerialDate(m_value, serial, m_date1904))
                    break;
            }
            AppendNumberText(m_value, m_raw);
            break;
        case Kind::Shared: {
            uint64_t index = 0;
            if (m_raw.empty())
                break;
            if (!m_strings || !ParseUnsigned(m_raw, index) || index >= m_strings->ends.size())
                return Fail(QStringLiteral("a shared string index out of range: %1")
                                .arg(QString::fromStdString(m_raw)));
            const std::string_view text = m_strings->At(index);
            if (text.empty())
                return;
            if (!m_out.Cell(m_row, m_column, text, m_writeError))
                Fail(m_writeError);
            return;
        }
        case Kind::Inline:
            if (!m_inline.Finish())
                return Fail(kCellTooLong);
            m_value.swap(m_inline.text);
            break;
        case Kind::Text:
            DecodeEscapes(m_raw);
            m_value.swap(m_raw);
            break;
        case Kind::Boolean:
            if (!m_raw.empty())
                m_value = m_raw == "0" ? "FALSE" : "TRUE";
            break;
        case Kind::Date: {
            // ISO 8601, as some writers store dates: the same form as a
            // date-formatted number.
            if (m_raw.size() >= 19 && m_raw[10] == 'T') {
                m_raw[10] = ' ';
                m_raw.resize(19);
            }
            AppendDateTimeText(m_value, m_raw);
            break;
        }
        }
        if (Utf16Length(m_value) > kSheetCellLimit)
            return Fail(kCellTooLong);
        if (!m_value.empty() && !m_out.Cell(m_row, m_column, m_value, m_writeError))
            Fail(m_writeError);
    }

    SheetCsvWriter& m_out;
    const XlsxWorkbook::SharedStrings* m_strings;
    const std::vector<bool>& m_dateStyles;
    const bool m_date1904;

    bool m_inData = false;
    bool m_inCell = false;
    bool m_capture = false;
    bool m_inInline = false;
    uint64_t m_rows = 0;
    uint32_t m_row = 0;
    uint32_t m_column = 0;
    uint32_t m_cellsInRow = 0;
    Kind m_kind = Kind::Number;
    bool m_dateStyle = false;
    std::string m_raw;
    std::string m_value;
    RichTextCollector m_inline;
    QString m_writeError;
};

// A relationship's target as a part name: relative to the folder of the
// part that names it, or from the package root with a leading "/". Targets
// outside the package (external, another scheme, above its root) give none.
std::optional<std::string> ResolveTarget(std::string_view folder, const Relationship& rel) {
    if (rel.external || rel.target.find(':') != std::string::npos ||
        rel.target.find('\\') != std::string::npos)
        return std::nullopt;
    std::string path = rel.target[0] == '/' ? rel.target.substr(1) : std::string(folder) + rel.target;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string segment = path.substr(start, slash - start);
        if (segment == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
        } else if (!segment.empty() && segment != ".") {
            parts.push_back(segment);
        }
        start = slash + 1;
    }
    if (parts.empty())
        return std::nullopt;
    std::string name;
    for (const std::string& part : parts)
        name += (name.empty() ? "" : "/") + part;
    return name;
}

std::string FolderOf(std::string_view part) {
    const size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

std::string RelsOf(std::string_view part) {
    const size_t slash = part.rfind('/');
    const std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
    return FolderOf(part) + "_rels/" + std::string(file) + ".rels";
}

} // namespace

// Streams parts of the open zip through expat, counting what it inflates.
class XlsxWorkbook::PartReader {
public:
    PartReader(unzFile zip, const Progress* progress, qint64 total)
        : m_zip(zip), m_progress(progress), m_total(total) {}

    // Finds a part; false when the package has none of that name.
    bool Locate(const std::string& name, Part& part) {
        if (unzLocateFile(m_zip, name.c_str(), 2) != UNZ_OK)
            return false;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        part = {name, info.compressed_size};
        return true;
    }

    bool Read(const Part& part, uint64_t limit, XmlHandler& handler, QString& error) {
        const QString name = QString::fromStdString(part.name);
        unz_file_info64 info{};
        if (unzLocateFile(m_zip, part.name.c_str(), 2) != UNZ_OK ||
            unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            error = QStringLiteral("the part %1 is missing").arg(name);
            return false;
        }
        if (info.flag & 1) {
            error = QStringLiteral("the part %1 is encrypted").arg(name);
            return false;
        }
        if (info.compression_method != 0 && info.compression_method != Z_DEFLATED) {
            error = QStringLiteral("the part %1 uses compression method %2")
                        .arg(name)
                        .arg(info.compression_method);
            return false;
        }
        if (unzOpenCurrentFile(m_zip) != UNZ_OK) {
            error = QStringLiteral("the part %1 cannot be opened").arg(name);
            return false;
        }
        const ZPOS64_T start = unzGetCurrentFileZStreamPos64(m_zip);
        XML_Parser parser = XML_ParserCreate(nullptr);
        if (!parser) {
            unzCloseCurrentFile(m_zip);
            error = QStringLiteral("out of memory");
            return false;
        }
        handler.parser = parser;
        XML_SetUserData(parser, &handler);
        XML_SetElementHandler(parser, OnStart, OnEnd);
        XML_SetCharacterDataHandler(parser, OnText);
        XML_SetCommentHandler(parser, OnComment);
        XML_SetProcessingInstructionHandler(parser, OnInstruction);
        XML_SetStartDoctypeDeclHandler(parser, OnDoctype);
        XML_SetEntityDeclHandler(parser, OnEntity);

        const bool ok = Pump(name, limit, start, parser, handler, error);
        XML_ParserFree(parser);
        handler.parser = nullptr;
        // Closing checks the CRC of an entry read to its end.
        const int closed = unzCloseCurrentFile(m_zip);
        if (ok && closed != UNZ_OK) {
            error = QStringLiteral("the part %1 is damaged (CRC)").arg(name);
            return false;
        }
        return ok;
    }

private:
    bool Pump(const QString& name, uint64_t limit, ZPOS64_T start, XML_Parser parser, XmlHandler& handler,
              QString& error) {
        uint64_t inflated = 0;
        uint64_t consumed = 0;
        for (;;) {
            void* buffer = XML_GetBuffer(parser, kChunk);
            if (!buffer) {
                error = QStringLiteral("out of memory reading %1").arg(name);
                return false;
            }
            const int n = unzReadCurrentFile(m_zip, buffer, kChunk);
            if (n < 0) {
                error = QStringLiteral("the part %1 is damaged (%2)").arg(name).arg(n);
                return false;
            }
            inflated += static_cast<uint64_t>(n);
            consumed = unzGetCurrentFileZStreamPos64(m_zip) - start;
            if (inflated > limit) {
                error = QStringLiteral("the part %1 inflates past %2 MiB").arg(name).arg(limit / kMiB);
                return false;
            }
            if (inflated > kMiB && inflated > kRatioLimit * consumed) {
                error = QStringLiteral("the part %1 inflates more than %2-fold").arg(name).arg(kRatioLimit);
                return false;
            }
            handler.sinceEvent += static_cast<uint64_t>(n);
            if (XML_ParseBuffer(parser, n, n == 0) != XML_STATUS_OK) {
                if (!handler.failure.isEmpty())
                    error = QStringLiteral("%1: %2").arg(name, handler.failure);
                else
                    error = QStringLiteral("%1 is no well-formed XML: %2 at line %3")
                                .arg(name, QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(parser))))
                                .arg(XML_GetCurrentLineNumber(parser));
                return false;
            }
            if (handler.sinceEvent > kTokenLimit) {
                error = QStringLiteral("%1 holds a token over %2 MiB").arg(name).arg(kTokenLimit / kMiB);
                return false;
            }
            if (m_progress && *m_progress &&
                !(*m_progress)(std::min(m_done + static_cast<qint64>(consumed), m_total), m_total)) {
                error = QStringLiteral("stopped");
                return false;
            }
            if (n == 0)
                break;
        }
        m_done += static_cast<qint64>(consumed);
        return true;
    }

    unzFile m_zip;
    const Progress* m_progress;
    qint64 m_total;
    qint64 m_done = 0;
};

XlsxWorkbook::~XlsxWorkbook() {
    if (m_zip)
        unzClose(m_zip);
}

bool XlsxWorkbook::IsDateFormat(int numFmtId, std::string_view code, bool custom) {
    if (!custom)
        return (numFmtId >= 14 && numFmtId <= 22) || (numFmtId >= 27 && numFmtId <= 36) ||
               (numFmtId >= 45 && numFmtId <= 47) || (numFmtId >= 50 && numFmtId <= 58);
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') {
            const size_t close = code.find('"', i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close;
        } else if (c == '[') {
            const size_t close = code.find(']', i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i; // the next character is shown as it stands
        } else {
            switch (c | 0x20) {
            case 'y':
            case 'm':
            case 'd':
            case 'h':
            case 's':
                return true;
            default:
                break;
            }
        }
    }
    return false;
}

bool XlsxWorkbook::Open(const QString& path, QString& error) {
    m_zip = unzOpen64(QFile::encodeName(path).constData());
    if (!m_zip) {
        error = QStringLiteral("not a zip archive, or a damaged one");
        return false;
    }
    PartReader reader(m_zip, nullptr, 0);

    RelsHandler root;
    Part rootRels;
    std::string workbook = "xl/workbook.xml";
    if (reader.Locate("_rels/.rels", rootRels)) {
        if (!reader.Read(rootRels, kSmallPartLimit, root, error))
            return false;
        const Relationship* office = root.ByType("/officeDocument");
        if (!office) {
            error = QStringLiteral("the package names no workbook");
            return false;
        }
        const std::optional<std::string> target = ResolveTarget("", *office);
        if (!target) {
            error = QStringLiteral("the workbook lies outside the archive");
            return false;
        }
        workbook = *target;
    }
    Part workbookPart;
    if (!reader.Locate(workbook, workbookPart)) {
        error = QStringLiteral("the package holds no workbook part");
        return false;
    }
    WorkbookHandler book;
    if (!reader.Read(workbookPart, kSmallPartLimit, book, error))
        return false;
    m_date1904 = book.date1904;

    RelsHandler rels;
    Part relsPart;
    if (!reader.Locate(RelsOf(workbook), relsPart) || !reader.Read(relsPart, kSmallPartLimit, rels, error)) {
        if (error.isEmpty())
            error = QStringLiteral("the workbook has no relationships");
        return false;
    }
    const std::string folder = FolderOf(workbook);
    auto partOf = [&](const Relationship& rel, Part& part) {
        const std::optional<std::string> name = ResolveTarget(folder, rel);
        if (!name) {
            error = QStringLiteral("a relationship points outside the archive: %1")
                        .arg(QString::fromStdString(rel.target));
            return false;
        }
        if (!reader.Locate(*name, part)) {
            error = QStringLiteral("the part %1 is missing").arg(QString::fromStdString(*name));
            return false;
        }
        return true;
    };
    for (const WorkbookHandler::Entry& entry : book.sheets) {
        const auto rel = rels.rels.find(entry.rel);
        if (rel == rels.rels.end()) {
            error = QStringLiteral("the sheet %1 has no relationship").arg(entry.name);
            return false;
        }
        // Chart sheets and dialog sheets hold no cells to import.
        if (!EndsWith(rel->second.type, "/worksheet"))
            continue;
        Sheet sheet{entry.name, {}};
        if (!partOf(rel->second, sheet.part))
            return false;
        m_sheets.push_back(std::move(sheet));
    }
    if (const Relationship* strings = rels.ByType("/sharedStrings");
        strings && !partOf(*strings, m_sharedStrings))
        return false;
    if (const Relationship* styles = rels.ByType("/styles"); styles && !partOf(*styles, m_styles))
        return false;
    return true;
}

QStringList XlsxWorkbook::SheetNames() const {
    QStringList names;
    for (const Sheet& sheet : m_sheets)
        names << sheet.name;
    return names;
}

bool XlsxWorkbook::ReadStyles(PartReader& reader, QString& error) {
    m_dateStyles.clear();
    if (m_styles.name.empty())
        return true;
    StylesHandler styles;
    if (!reader.Read(m_styles, kSmallPartLimit, styles, error))
        return false;
    for (int id : styles.cellFormats) {
        const auto custom = styles.customFormats.find(id);
        m_dateStyles.push_back(custom != styles.customFormats.end() ? IsDateFormat(id, custom->second, true)
                                                                    : IsDateFormat(id, {}, false));
    }
    return true;
}

bool XlsxWorkbook::ReadSharedStrings(PartReader& reader, SharedStrings& strings, QString& error) {
    if (m_sharedStrings.name.empty())
        return true;
    SharedStringsHandler handler(strings.text, strings.ends);
    return reader.Read(m_sharedStrings, kSharedStringsLimit, handler, error);
}

bool XlsxWorkbook::WriteSheet(int index, SheetCsvWriter& out, const Progress& progress, QString& error) {
    if (!m_zip || index < 0 || index >= static_cast<int>(m_sheets.size())) {
        error = QStringLiteral("no such sheet");
        return false;
    }
    const Part& sheet = m_sheets[static_cast<size_t>(index)].part;
    const qint64 total =
        static_cast<qint64>(m_styles.compressed + m_sharedStrings.compressed + sheet.compressed);
    PartReader reader(m_zip, &progress, total);
    SharedStrings strings;
    if (!ReadStyles(reader, error) || !ReadSharedStrings(reader, strings, error))
        return false;
    SheetHandler handler(out, m_sharedStrings.name.empty() ? nullptr : &strings, m_dateStyles, m_date1904);
    return reader.Read(sheet, kSheetLimit, handler, error);
}
