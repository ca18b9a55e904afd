#pragma once
// Counting an SMS text: all lengths are UTF-16 code units (QString::size()).
// One function per rule, so the composer's counter, the submission and the
// record writer cannot disagree.
#include "sms/sms_numbering.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// A text longer than this is split (or charged per 67) when it holds a
// character above code 255 ...
inline constexpr int kWideSmsLength = 70;
// ... and when it holds none.
inline constexpr int kNarrowSmsLength = 140;
// The charged length of one part of a long SMS.
inline constexpr int kLongSmsPartLength = 67;
// An international number is charged this many times.
inline constexpr int kInternationalChargeFactor = 12;
// The longest text the content box hands over.
inline constexpr int kMaxContentLength = 2048;

// "【" + signature + "】".
QString BracketedSignature(const QString& signature);

// The text as composed: content, then the reply hint (pass it only when the
// survey's hint box is ticked; empty adds nothing), then the bracketed
// signature when `sign`.
QString ComposeSmsText(const QString& content, const QString& hint, const QString& signature, bool sign);

// Removes every bracketed signature from the content box's text; true when
// something was removed. An empty signature removes nothing ("【】" may be
// the user's own).
bool RemoveBracketedSignature(QString* content, const QString& signature);

// True when some character lies above code 255.
bool HasWideChar(QStringView text);

// The limit of a long SMS ("长短信" ticked).
struct LongSmsCap {
    bool exceeded = false;
    int cutContentTo = -1; // the content's new length when exceeded
    QString warning; // "单条单字节长短信内容总长度不能超过1000" / "单条长短信内容总长度不能超过500"
};
// The composed length may be up to 1000 without a wide character and below
// 501 with one. When it is more, the content is to be cut so that content,
// hint and signature together reach the limit (1000 or 500); never below 0.
// `composedLength` is the length of the composed text, `contentLength` the
// content's part of it.
LongSmsCap CheckLongSmsCap(int composedLength, int contentLength, bool wide);

// The split of a text into parts when it is too long for one SMS and "长短信"
// is not ticked. `body` is the text without signature (content and hint);
// `bracketedSignature` goes to the last part (empty when not signed). Every
// part is the numbering, then its slice of the body; the capacity of a part
// is the part length (70 or 140) minus the signature and the widest
// numbering actually written for the final count, at least 1, so no part
// passes the part length. A text that fits one SMS gives one part: body +
// signature.
QStringList SplitSmsText(const QString& body, const QString& bracketedSignature,
                         const SmsNumbering& numbering);

// The part length for a text: 70 with a wide character, else 140.
int SmsPartLength(bool wide);

// True when the composed text needs more than one SMS without "长短信".
bool NeedsSplit(int composedLength, bool wide);

// The parts the submission sends: one (the composed text) when it fits or
// "长短信" is ticked, else SplitSmsText.
QStringList SmsParts(const QString& body, const QString& bracketedSignature, bool longSms,
                     const SmsNumbering& numbering);

// The parts of a text as the composer hands it over (content, hint and,
// when signed, the bracketed signature at its end): a trailing
// `bracketedSignature` is taken off and put back on the last part; a text
// without it (the channel test's own text when unsigned) is split whole.
QStringList SmsPartsOfText(const QString& text, const QString& bracketedSignature, bool longSms,
                           const SmsNumbering& numbering);

// Charged messages per domestic number: the number of parts when split;
// with "长短信" ticked ceil(length / 67) above the part length, else 1.
int ChargePerNumber(int composedLength, bool wide, bool longSms, int partCount);

// The parts a record counts for a text (the record writer): 1, or
// ceil(length / 67) when it is longer than 70 with a wide character or
// longer than 140 without one.
int RecordPartCount(const QString& text);

// The parts a personalised message is charged, on the UTF-16 length of the
// text as sent: none for an empty text, 1 up to 70 characters, else
// ceil(length / 67) (71-134 give 2, 135-201 give 3), whatever the characters.
int PerMsgPartCount(const QString& text);

// Charged messages of a list: parts x domestic + 12 x parts x international.
qint64 ChargeTotal(int perNumber, qint64 domestic, qint64 international);
// "%d 条".
QString FormatChargeTotal(qint64 total);

// Everything the counter shows for one state of the composer.
struct SmsCountInput {
    QString content;   // the content box's text, the signature already removed
    QString hint;      // reply hint when it applies, else empty
    QString signature; // field 13 of the account
    bool sign = false;
    bool longSms = false;
    SmsNumbering numbering;
};
struct SmsCount {
    QString composed;  // content + hint + bracketed signature
    bool wide = false; // above code 255
    LongSmsCap cap;    // with "长短信" ticked: the content to cut first
    QStringList parts; // what the phone receives, part by part
    int perNumber = 1; // 1021; an international number is charged 12 times this
};
// Counts after applying the cap (the content is counted as cut).
SmsCount CountSms(const SmsCountInput& input);
