#pragma once
// The numbers of the MMS composer's recipient list: which typed or handed
// over numbers it takes, the numbers as they are shown and sent, and the
// recipients (number with the name of its row) a submission works through.
#include "sms/send_records.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <string>
#include <vector>

class VIRTUAL_LIST;

// The composer's acceptance of one number (the caller trims it): digits
// only, keyed by the number module (RecipientNumberKey: a number that begins
// with "0" gets a "2" in front), and the key must lie in
// kMobileKeyMin..kMobileKeyMax. Anything else: none (the composer skips it
// silently, as it skips a key its list already holds).
std::optional<qint64> MmsNumberKey(const QString& number);

// The numbers of every row of `source`, in row order, decoded (a "2" written
// in front of a number that began with "0" is dropped again, no other digit
// is lost) and joined by ",". Empty when `source` is null or has no row.
std::string BuildNumberText(const VIRTUAL_LIST* source);

// The same rows as recipients: key, decoded number and the row's name.
std::vector<SmsRecipient> BuildRecipients(const VIRTUAL_LIST& source);

// Column 0 of a list row: the decoded number, masked (MaskNumber) for a user
// subject to the masking right. "保存联系人" takes NumberFromKey instead.
QString MmsNumberDisplay(qint64 key);
