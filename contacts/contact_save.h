#pragma once
// Saving one contact from the editor: the checks of the required fields, then
// one transaction that updates the row that was opened and adds a row for
// every newly ticked group. Nothing is ever deleted: a group that was
// unticked keeps its row.
#include "contacts/contact_record.h"
#include "core/database.h"

#include <QtGlobal>

#include <vector>

// What the editor knew when it opened.
struct ContactSaveTarget {
    // Editing an existing contact: `oldGroups` are its groups as opened.
    bool existing = false;
    std::vector<quint32> oldGroups;
    // The row that was opened and its group; 0 / -1 when none.
    qint64 rowid = 0;
    int rowGroupId = -1;
    // MIN(displayIndex) − 1 as read at open; new rows count down from it.
    int nextDisplayIndex = -1;
    // User-defined fields (21..34) the editor shows no control for: the
    // opened row keeps its stored values of these.
    std::vector<int> keptFields;
};

enum class ContactSaveResult {
    Saved,
    MissingRequired, // no ticked group or no mobile number
    IllegalNumber,
    Failed, // a statement failed; nothing was written
};

// "SELECT MIN(displayIndex) FROM ContactList" − 1 (an empty table counts 0).
int NextContactDisplayIndex(sqlite3* db = g_pDB);

// Trims the record's name and mobile number, checks them and the ticked
// groups (record.groupIds, in tree order), then writes in one transaction:
// a new row for each group of a new contact, or of an existing contact's
// group that is not among `oldGroups` (each with a new perNO and the next
// displayIndex); an UPDATE of `target.rowid` in its own group, also when
// that group was unticked (the row is never deleted). Every text is
// a bound value. On success `target.nextDisplayIndex` has moved past the
// rows written; on failure nothing is written, the failure is logged and
// the target is unchanged, so the same save can be tried again.
ContactSaveResult SaveContact(CONTACTINFO& record, ContactSaveTarget& target, sqlite3* db = g_pDB);
