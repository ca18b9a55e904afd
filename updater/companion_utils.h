#pragma once
// Small services of the companion programs: folders, processes, the time
// text of backup folders, gzip unpacking and the encoding of download paths.
// All fail quietly: false or an empty result, never a message.
#include <QString>

#include <ctime>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// Creates `path` and its missing parents ("\" read as "/", one trailing
// separator dropped). Only absolute paths: a relative one creates nothing.
// True when the folder exists afterwards.
bool CreateFolderPath(const QString& path);

// Removes the folder with everything in it. Links are removed, never what
// they point to; a link given as `path` is removed itself. True when the
// folder itself is gone.
bool DeleteFolder(const QString& path);

// The processes of this user whose executable (/proc/<pid>/exe, " (deleted)"
// dropped) is exactly `executablePath`; never this process, never pid 0.
std::vector<pid_t> FindProcessByName(const QString& executablePath);

// Ends the processes of `executablePath` (FindProcessByName): SIGTERM, then
// SIGKILL for those still there after `graceMs`; gives up after `limitMs`.
// True when none is left.
bool EndProcessesOf(const QString& executablePath, int graceMs = 3000, int limitMs = 5000);

// The local time as "%Y-%m-%d %H_%M_%S"; empty when it cannot be converted.
QString GetTimeString(std::time_t time);

// Unpacks the gzip file `gzipPath` into `targetPath` (created anew, no link
// followed). True only for real gzip data read to its end without error, and
// at least one byte written; otherwise the target is removed.
bool UnGzipFile(const QString& targetPath, const QString& gzipPath);

// A request path's bytes for the wire: bytes of 0x80 and above, control
// bytes, the blank (as "%20"), '"', '#' and '%' become "%XX"; the rest stays.
std::string UrlEncodePath(std::string_view bytes);
