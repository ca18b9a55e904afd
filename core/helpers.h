#pragma once
// Small helpers every subsystem calls: the rights of the logged-in user, the
// automatic-behaviour settings, splitting texts, URL encoding, unique ids,
// number checks and the ODBC driver lookup. Nothing here touches a window.
#include <QString>
#include <QStringList>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// ---- Rights ----------------------------------------------------------------

// The rights array of the logged-in user, set by the login dialog; null until
// someone logs in. Element 0 is the account value ("AD..." administrator,
// anything else operator); element n is the flag of right n, "0" = not granted.
extern std::unique_ptr<QStringList> g_pLoginRights;

// True when the logged-in user may not do what right `right` guards. Without
// a rights array everything is denied. An administrator is denied only 16,
// the number-masking restriction, so administrators always see whole numbers.
// An operator is denied a number outside the array, right 0 (the account
// value is no grant) and any right whose flag is "0". Right -1 therefore
// means "administrators only".
bool IsRightDenied(int right);

// True when someone is logged in and element 0 of the rights begins with
// "AD"; nobody logged in counts as no administrator.
bool IsLoggedInAdministrator();

// ---- Automatic-behaviour settings --------------------------------------------

struct SYSSETTING {
    int flag = 0;
    QString text;
};

// Filled by the settings loader with ten entries; read by the timers and
// the batch-size lookups.
extern std::vector<SYSSETTING> g_sysSettings;

void ClearSysSettings();
// Appends one entry and returns its index.
int AddSysSetting(int flag, const QString& text);

// ---- Splitting texts ---------------------------------------------------------

// Trims `text`, then puts the pieces between occurrences of `separator` into
// `out` (emptied first). A text that begins with the separator gives an empty
// first piece and empty pieces between two separators are kept; the empty
// rest after a final separator is not a piece, so an empty text gives none.
// An empty separator gives the trimmed text as the only piece. Returns the
// number of pieces.
int SplitString(const QString& text, const QString& separator, QStringList& out);

// Splits `text` (not trimmed) before each occurrence of `separator` that lies
// after the first character of the current piece, so every piece after the
// first begins with the separator. `out` is emptied first; an empty text
// gives no piece. Returns the number of pieces.
int SplitBeforeSeparator(const QString& text, const QString& separator, QStringList& out);

// Splits one CSV line into `out`, which ends up holding exactly the fields.
// A field in double quotes may hold the separator, and two quotes inside
// quotes stand for one; a line ending in the separator gets an empty last
// field. Text after a closing quote belongs to the same field; an unclosed
// quote runs to the end of the line. Always returns true.
bool SplitCsvLine(const QString& line, QChar separator, QStringList& out);

// ---- URL encoding ------------------------------------------------------------

// ASCII letters, digits and "-._" stay, a blank becomes "+", every other byte
// "%XX" with upper-case hexadecimal digits. The service decodes exactly this
// form, so it is not QUrl's percent-encoding.
std::string UrlEncode(const char* bytes, size_t n);
std::string UrlEncode(std::string_view bytes);

// Decodes in place the `n` bytes of `buffer`: "+" becomes a blank, "%" with
// two hexadecimal digits (either case) that byte, everything else is copied.
// A "%" without two digits after it, also in the last two positions, is
// copied as it is. Returns the new length and writes a terminator there;
// the new length is at most `n`, so a C string of length `n` (room for its
// terminator) is always enough.
size_t UrlDecode(char* buffer, size_t n);
std::string UrlDecode(std::string_view text);

// ---- Ids and numbers ---------------------------------------------------------

// The leading decimal number of a text, read as atoi does: leading blanks, a
// sign, the digits up to the first other character; 0 for none. At most
// `maxBytes` bytes are looked at; the value saturates at the int range.
int LeadingNumber(const char* text, size_t maxBytes = static_cast<size_t>(-1));
int LeadingNumber(const QString& text);

// A new GUID as 32 hexadecimal digits, the third group in lower case (the
// form the file names of stored MMS parts have always had).
QString CreateUniqueId();

// Exactly 11 characters, the first "1".
bool IsMobileNumber(const QString& number);

// ---- Outside components ------------------------------------------------------

// The name of the first installed ODBC driver (unixODBC) whose name contains
// `part` (case-sensitive); empty when there is none or `part` is empty.
QString FindOdbcDriver(const QString& part);

// Windows COM servers do not exist here: logs why to the run log and
// returns false.
bool RegisterComDll(const QString& path);
