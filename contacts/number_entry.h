#pragma once
// What the entry dialogs do with typed text: the text an opener receives,
// and the mobile numbers of the number entry added to the opener's list.
#include "core/virtual_list.h"

#include <QString>
#include <sqlite3.h>

// The text as the openers get it: trimmed, its lines joined with CR LF
// whatever line ends were typed.
QString EntryText(const QString& typed);

// From this many lines on, no name is looked up: a statement per line would
// make pasting a long list slow.
inline constexpr int kNameLookupLineLimit = 100;

// How many numbers one run added, by kind. The list tallies its rows
// itself; these are for reporting the run, never to be added to a tally.
struct NumberEntryCounts {
    int domestic = 0;
    int international = 0;
};

// Adds the numbers of `text`, one a line, to the end of `list`: each line's
// leading digits as ParseNumberToken takes them; refused lines, numbers the
// list already holds and repeats within the text are skipped. With fewer than
// kNameLookupLineLimit lines each added number gets the name of the first
// contact with that mobile number (one prepared statement for the run);
// otherwise no statement is run at all. A null `db` looks nothing up.
NumberEntryCounts AddEntryNumbers(const QString& text, VIRTUAL_LIST& list, sqlite3* db);

// The box of the number entry taken as the one number of a new contact.
enum class SingleNumberCheck {
    Accepted,
    TooLong, // more than 16 characters: more than one number
    Refused, // empty or not a legal mobile number
};
inline constexpr int kSingleNumberMaxLength = 16;
// `number` receives the accepted number's digits as typed.
SingleNumberCheck CheckSingleNumber(const QString& text, QString* number);
