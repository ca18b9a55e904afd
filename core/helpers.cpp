#include "core/helpers.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "core/log.h"

#include <QDateTime>
#include <QUuid>

#include <sql.h>
#include <sqlext.h>

std::unique_ptr<QStringList> g_pLoginRights;
std::vector<SYSSETTING> g_sysSettings;

// ---- Rights ----------------------------------------------------------------

bool IsLoggedInAdministrator() {
    const QStringList* rights = g_pLoginRights.get();
    return rights && !rights->isEmpty() && rights->at(0).startsWith(QLatin1String("AD"));
}

bool IsRightDenied(int right) {
    const QStringList* rights = g_pLoginRights.get();
    if (!rights)
        return true;
    // Only a well-formed administrator value counts as one; an empty or
    // damaged element 0 must not lift every restriction.
    if (IsLoggedInAdministrator())
        return right == 16;
    if (right <= 0 || right >= rights->size())
        return true;
    return rights->at(right) == QLatin1String("0");
}

// ---- Automatic-behaviour settings --------------------------------------------

void ClearSysSettings() { g_sysSettings.clear(); }

int AddSysSetting(int flag, const QString& text) {
    g_sysSettings.push_back(SYSSETTING{flag, text});
    return static_cast<int>(g_sysSettings.size()) - 1;
}

// ---- Splitting texts ---------------------------------------------------------

int SplitString(const QString& text, const QString& separator, QStringList& out) {
    out.clear();
    const QString rest = text.trimmed();
    if (rest.isEmpty())
        return 0;
    if (separator.isEmpty()) {
        out << rest;
        return 1;
    }
    qsizetype start = 0;
    for (;;) {
        qsizetype pos = rest.indexOf(separator, start);
        if (pos < 0)
            break;
        out << rest.mid(start, pos - start);
        start = pos + separator.size();
    }
    if (start < rest.size())
        out << rest.mid(start);
    return static_cast<int>(out.size());
}

int SplitBeforeSeparator(const QString& text, const QString& separator, QStringList& out) {
    out.clear();
    if (text.isEmpty())
        return 0;
    if (separator.isEmpty()) {
        out << text;
        return 1;
    }
    qsizetype start = 0;
    for (;;) {
        qsizetype pos = text.indexOf(separator, start + 1);
        if (pos < 0)
            break;
        out << text.mid(start, pos - start);
        start = pos;
    }
    out << text.mid(start);
    return static_cast<int>(out.size());
}

bool SplitCsvLine(const QString& line, QChar separator, QStringList& out) {
    out.clear();
    const QChar quote(u'"');
    const QChar* data = line.constData();
    const qsizetype n = line.size();
    QString field;
    bool quoted = false;
    bool fieldStart = true;
    // Runs of ordinary characters are appended at once: an import splits
    // every line of its file here.
    qsizetype i = 0;
    while (i < n) {
        if (quoted) {
            qsizetype j = i;
            while (j < n && data[j] != quote)
                ++j;
            field.append(data + i, j - i);
            if (j == n)
                break; // an unclosed quote runs to the end of the line
            if (j + 1 < n && data[j + 1] == quote) {
                field += quote;
                i = j + 2;
            } else {
                quoted = false;
                i = j + 1;
            }
            fieldStart = false;
            continue;
        }
        const QChar c = data[i];
        if (c == separator) {
            out << field;
            field.clear();
            fieldStart = true;
            ++i;
            continue;
        }
        if (c == quote && fieldStart) {
            quoted = true;
            fieldStart = false;
            ++i;
            continue;
        }
        // A quote inside an unquoted field is an ordinary character.
        qsizetype j = i + 1;
        while (j < n && data[j] != separator && data[j] != quote)
            ++j;
        field.append(data + i, j - i);
        fieldStart = false;
        i = j;
    }
    out << field;
    return true;
}

// ---- URL encoding ------------------------------------------------------------

namespace {
bool IsAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

std::string UrlEncode(const char* bytes, size_t n) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    if (!bytes)
        return out;
    out.reserve(n * 3);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (IsAsciiAlnum(c) || c == '-' || c == '.' || c == '_') {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string UrlEncode(std::string_view bytes) { return UrlEncode(bytes.data(), bytes.size()); }

size_t UrlDecode(char* buffer, size_t n) {
    if (!buffer)
        return 0;
    size_t out = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = buffer[i];
        if (c == '+') {
            buffer[out++] = ' ';
        } else if (c == '%' && i + 2 < n && HexValue(buffer[i + 1]) >= 0 && HexValue(buffer[i + 2]) >= 0) {
            buffer[out++] = static_cast<char>(HexValue(buffer[i + 1]) * 16 + HexValue(buffer[i + 2]));
            i += 2;
        } else {
            buffer[out++] = c;
        }
    }
    buffer[out] = '\0';
    return out;
}

std::string UrlDecode(std::string_view text) {
    std::string s(text);
    s.resize(UrlDecode(s.data(), s.size()));
    return s;
}

// ---- Ids and numbers ---------------------------------------------------------

QString CreateUniqueId() {
    const QUuid id = QUuid::createUuid();
    if (id.isNull()) {
        // No random source: the time still keeps names of one run apart.
        const QDateTime now = QDateTime::currentDateTime();
        return now.toString(QStringLiteral("yyyyMMddHH:mm:ss")) + QLatin1Char(':') +
               QString::number(now.time().msec());
    }
    return QString::asprintf("%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X", id.data1, id.data2, id.data3,
                             id.data4[0], id.data4[1], id.data4[2], id.data4[3], id.data4[4], id.data4[5],
                             id.data4[6], id.data4[7]);
}

bool IsMobileNumber(const QString& number) {
    return number.size() == 11 && number.at(0) == QLatin1Char('1');
}

// ---- Outside components ------------------------------------------------------

QString FindOdbcDriver(const QString& part) {
    if (part.isEmpty())
        return QString();
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return QString();
    QString found;
    const auto version = reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3);
    if (SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, version, 0))) {
        SQLCHAR name[1024];
        SQLCHAR attributes[4096];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        while (SQL_SUCCEEDED(SQLDrivers(env, direction, name, sizeof name, &nameLength, attributes,
                                        sizeof attributes, &attributesLength))) {
            direction = SQL_FETCH_NEXT;
            const QString driver = QString::fromUtf8(reinterpret_cast<const char*>(name));
            if (driver.contains(part)) {
                found = driver;
                break;
            }
        }
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return found;
}

bool RegisterComDll(const QString& path) {
    LogWriteString(g_logRun,
                   QStringLiteral("ERROR,RegisterComDll %1: COM servers do not exist on this system, "
                                  "nothing was registered")
                       .arg(path));
    return false;
}

int LeadingNumber(const char* text, size_t maxBytes) {
    if (!text)
        return 0;
    size_t i = 0;
    auto at = [&](size_t k) -> char { return k < maxBytes ? text[k] : '\0'; };
    while (at(i) && std::isspace(static_cast<unsigned char>(at(i))))
        ++i;
    bool negative = false;
    if (at(i) == '-' || at(i) == '+') {
        negative = at(i) == '-';
        ++i;
    }
    long long n = 0;
    while (at(i) >= '0' && at(i) <= '9') {
        n = std::min<long long>(n * 10 + (at(i) - '0'), static_cast<long long>(INT_MAX) + 1);
        ++i;
    }
    if (negative)
        n = -n;
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

int LeadingNumber(const QString& text) { return LeadingNumber(text.toUtf8().constData()); }
