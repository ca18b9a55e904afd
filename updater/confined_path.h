#pragma once
// Paths named by an outside description (an update's file lists, the OEM
// settings) are taken relative to one root folder and must stay inside it.
#include <QString>

// The absolute path of `key` below `root` ("\" read as "/"), or an empty text
// when the key is refused: empty, absolute ("/", "\", "X:"), holding a ".."
// segment, NUL or another control character, or passing through an existing
// symbolic link below the root (the last segment included).
QString ConfinedPath(const QString& root, const QString& key);

// True when the relative key lies in a folder of the user's data (the
// database, its copies, the update backups, the logs), which an update never
// writes or deletes. `key` as given to ConfinedPath.
bool IsUserDataKey(const QString& key);
