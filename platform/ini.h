#pragma once
// Settings files with the profile-string rules the program's INI files were
// written for: sections and keys compare case-insensitively, the first match
// wins, a missing file, section or key gives the default. A write keeps every
// other line (comments too), creates the file and the section when missing,
// and replaces the file through a temporary file and a rename.
//
// Encoding: a byte-order mark decides; otherwise valid UTF-8 is UTF-8 and
// anything else is code page 936. A file is written back in the encoding it
// was read in; a new file is UTF-8.
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <vector>
#include <sys/types.h>

namespace ini {

// `maxChars` < 0 means no cut; otherwise at most that many characters are kept.
QString ReadString(const QString& path, const QString& section, const QString& key,
                   const QString& defaultValue = QString(), int maxChars = -1);

// The integer rules of the profile calls: a missing or empty value gives the
// default; leading blanks are skipped, a sign and a 0x/0o/0b prefix are read,
// digits are taken up to the first other character ("12ab" gives 12, "ab" 0).
int ReadInt(const QString& path, const QString& section, const QString& key, int defaultValue);

// Writes key=value. A line break in the value becomes a blank. A new file gets
// `newFileMode`; a replaced file keeps its mode. A file whose owner may not
// write it (the read-only attribute) is not changed: false.
bool WriteString(const QString& path, const QString& section, const QString& key, const QString& value,
                 mode_t newFileMode = 0644);

// Several keys of one section, written in one replacement of the file.
struct KeyValue {
    QString key;
    QString value;
};
bool WriteStrings(const QString& path, const QString& section, const std::vector<KeyValue>& values,
                  mode_t newFileMode = 0644);

// For a change of several files at once: the bytes `path` would hold with
// `values` set in `section`, and the mode it would have. False when the file
// cannot be read or its owner may not write it.
bool PrepareWrite(const QString& path, const QString& section, const std::vector<KeyValue>& values,
                  mode_t newFileMode, QByteArray& content, mode_t& mode);
// Writes `content` to a new temporary file beside `path` (synced, with
// `mode`) and returns its name; empty on failure. The caller renames it over
// `path` or removes it.
QString WriteTemporary(const QString& path, const QByteArray& content, mode_t mode);

// Every line of the first section of that name, in file order, without the
// header, blank lines and ";" comments, each trimmed. Decoded like every read
// (byte-order mark, UTF-8, else code page 936). Empty when the file or the
// section is missing.
QStringList ReadSection(const QString& path, const QString& section);

// Removes a key (first match); true also when there was nothing to remove.
bool DeleteKey(const QString& path, const QString& section, const QString& key);

} // namespace ini
