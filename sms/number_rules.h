#pragma once
// How a recipient number joins a sending list, the same for every road into
// it (typed, picker, ticked contacts, received list, text file, add-in,
// record triples): trimmed, an empty one skipped, checked and keyed by
// core/numbers' RecipientNumberKey, and listed once.
#include "core/virtual_list.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>
#include <string_view>

enum class NumberCheck {
    Accepted,
    Empty,   // nothing but blanks: skipped, not a refusal
    Refused, // not a recipient number
};

struct NumberAcceptance {
    NumberCheck check = NumberCheck::Empty;
    qint64 key = -1;            // the list key when accepted
    bool international = false; // the number begins with "00"
};

// Trims `number` and checks it.
NumberAcceptance AcceptNumber(QStringView number);
NumberAcceptance AcceptNumber(std::string_view utf8);

enum class AddNumberResult {
    Added,
    Empty,     // skipped
    Refused,   // not a recipient number
    Duplicate, // the list holds the key already
    Failed,    // the list refused the row (logged by the list)
};

// What the list makes of a number that was not accepted (Empty or Refused);
// none for an accepted one, which goes on to be added.
std::optional<AddNumberResult> NotAdded(const NumberAcceptance& accepted);

// Accepts `number` and appends it with `name` (may be empty) and the
// contact id, unless the list holds its key already. The list keeps its own
// domestic and international tallies.
AddNumberResult AddRecipientNumber(VIRTUAL_LIST& list, QStringView number, const QString& name,
                                   int contactId = 0);
// The same for a number whose key is known to be accepted.
AddNumberResult AddRecipientKey(VIRTUAL_LIST& list, qint64 key, const QString& name, int contactId = 0);

// How many numbers one run of additions met, by outcome.
struct AddNumberCounts {
    int added = 0;
    int empty = 0;
    int refused = 0;
    int duplicates = 0;
    int failed = 0;
    void Count(AddNumberResult result);
};

// "过滤小灵通号码" keeps a number of 11 digits beginning with "1".
bool IsPhsKeptKey(qint64 key);
// Removes every other row in one pass; returns how many went.
int FilterPhsNumbers(VIRTUAL_LIST& list);

// What the number column shows for a key: the number as sent, masked for an
// operator who may not see it whole unless `unmasked` (personalised mode).
QString DisplayNumber(qint64 key, bool unmasked = false);
// What the name column shows for row i: the name, or the number for a
// nameless row.
QString DisplayName(const VIRTUAL_LIST& list, int i, bool unmasked = false);
