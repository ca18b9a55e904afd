#pragma once
// One set of rules for phone numbers, used by the editor, the entry dialogs,
// the lists and every composer: which numbers are legal, how a number
// becomes the 64-bit key of the number lists and back, and how a number is
// masked for an operator who may not see it whole.
//
// Keys: a number that begins with "0" is keyed with a "2" written in front
// of it ("0085212345678" -> 20085212345678), so the leading zeros survive the
// integer; wherever a key is shown or sent that "2" is dropped again.
#include <QString>
#include <QtGlobal>

#include <QStringView>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The smallest and largest mobile number, as keys.
inline constexpr qint64 kMobileKeyMin = 13000000000LL;
inline constexpr qint64 kMobileKeyMax = 20000000000LL;

// Legal: the value of the number's leading digits (a leading "0" read as
// "2") lies in kMobileKeyMin..kMobileKeyMax, or the number (leading "0" read
// as "2") begins with "2" and has 9 to 15 characters.
bool IsLegalNumber(const QString& number);

// The key of a legal number; none for an illegal one and for the one number
// whose key would read as the mobile kMobileKeyMax ("0000000000").
std::optional<qint64> NumberKey(const QString& number);

// A key as shown or sent: as it stands when it is kMobileKeyMax or does not
// begin with "2", else without its first "2".
QString NumberFromKey(qint64 key);

// True for a number that began with "00".
bool IsInternationalNumber(const QString& number);

// True for a key whose number begins with "00" (IsInternationalNumber of
// NumberFromKey(key)), without building the text.
bool IsInternationalKey(qint64 key);

// The key of a recipient number of the sending lists, or none when it is
// refused. `digits` is the number as it stands (the caller trims): any
// character but an ASCII digit refuses it. 11 digits from kMobileKeyMin to
// kMobileKeyMax are a mobile number, keyed by their value; otherwise 9 to 15
// digits not beginning with "2", a leading "0" keyed with a "2" in front
// ("01012345678" -> 201012345678) and anything else by its value;
// "0000000000", whose key would read as kMobileKeyMax, is refused.
std::optional<qint64> RecipientNumberKey(QStringView digits);
// The same for UTF-8 (or any ASCII-compatible) bytes.
std::optional<qint64> RecipientNumberKey(std::string_view digits);

// One number taken from a typed or pasted line: its leading digits (at most
// 16; the rest of the line is ignored). A token that begins with "2" is only
// taken as a mobile number: typed with the "2" of an international key it is
// refused. `key` is none when the token is refused or the line holds no
// digits at its start.
struct NumberToken {
    QString digits;
    std::optional<qint64> key;
    bool international = false;
};
NumberToken ParseNumberToken(const QString& line);

// True when the logged-in operator holds the masking right, so numbers are
// shown with their 4th to 7th characters hidden.
bool NumbersMasked();

// The number as the logged-in user may see it: characters 4 to 7 as "*", as
// far as the number reaches ("13812345678" -> "138****5678", "12345" ->
// "123**"), when NumbersMasked(); else unchanged. For display only: a masked
// text is never written back.
QString MaskNumber(const QString& number);

// ---- Numbers in text files ---------------------------------------------------

// A number found in a text file has 11 to 15 digits.
inline constexpr int kImportRunMin = 11;
inline constexpr int kImportRunMax = 15;

// Finds the numbers of data handed over in pieces (the pieces of a file read
// in blocks), whatever its encoding: only ASCII digits count. A candidate
// starts at a "0" or "1" (the digits 2 to 9 that open a run of digits are
// passed over) and runs to the end of its digits, also across pieces. 11 to
// 15 digits are a number, taken whole; a longer candidate is skipped and
// counted; a shorter one is ignored.
class NumberRunScanner {
public:
    using RunFound = std::function<void(std::string_view digits)>;
    explicit NumberRunScanner(RunFound found) : m_found(std::move(found)) {}
    // The next piece of the data.
    void Feed(const char* data, size_t size);
    // The end of the data: a run that reaches it ends there.
    void Finish();
    // Candidates longer than kImportRunMax digits, skipped.
    int TooLong() const { return m_tooLong; }

private:
    void EndRun();
    RunFound m_found;
    std::string m_run;       // the candidate's digits (at most kImportRunMax kept)
    size_t m_runLength = 0;  // the candidate's length
    bool m_inDigits = false; // inside a run of digits
    int m_tooLong = 0;
};
