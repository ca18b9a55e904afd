#pragma once
// Replacing files so that a failure never leaves half a file: new content
// goes to a temporary file in the target's folder, is flushed to disk and
// renamed over the target.
#include <QString>

#include <functional>
#include <sys/types.h>

// Replaces `target` with what `fill` writes into the temporary path it is
// given (a new file; `fill` may also remove and recreate it). The new file
// takes the target's mode; a target that did not exist gets 0755 when the
// content starts with "\x7fELF" or "#!", else 0644. On failure the target is
// untouched and the temporary file removed.
bool ReplaceFileWith(const QString& target, const std::function<bool(const QString& temporary)>& fill);

// Copies the regular file `from` (a link is not followed) to `to`, created
// anew (a link there is replaced, not followed), keeping the mode.
bool CopyFileContents(const QString& from, const QString& to);

// Renames `from` to `to` unless `to` exists.
bool MoveNoReplace(const QString& from, const QString& to);

// The mode a new file of this content gets (see ReplaceFileWith).
mode_t NewFileMode(const QString& path);
