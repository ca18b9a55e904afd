#pragma once
// Pictures of the microblog export (avatar, attached picture): the address
// comes from a service answer and is treated as outside input. Only http and
// https are fetched, through the general request (refused hosts, verified
// certificates, the usual time-outs); an answer over kWeiboPictureLimit
// fails. Every failure writes one "ERROR,DownLoadFile,..." line to the run
// log. Blocking; call it from a worker, never from the GUI thread.
#include <QString>

// The largest picture kept.
constexpr size_t kWeiboPictureLimit = 10 * 1024 * 1024;

struct WeiboDownload {
    enum class Kind { Saved, Redirect, Failed };
    Kind kind = Kind::Failed;
    QString path;     // Saved: the local file
    QString location; // Redirect: the address a 301, 302 or 303 pointed to
};

// "<program folder>/WeiboPic", where the page keeps the pictures.
QString WeiboPictureFolder();

// The local file name of a picture address: double quotes removed, the last
// path segment without query or fragment, characters other than A-Z, a-z,
// 0-9, ".", "_" and "-" made "_", never "." or ".." (an empty name becomes
// CreateUniqueId()), ".jpg" appended unless the name holds ".jpg"; at most
// 100 characters.
QString WeiboPictureFileName(const QString& url);

// Fetches `url` into `folder` (created when missing) under
// WeiboPictureFileName(url), written through a temporary file and a rename.
// A chunked answer counts when it is complete; with a Content-Length the byte
// count must match it.
WeiboDownload DownLoadFile(const QString& url, const QString& folder);

// DownLoadFile, following one redirect (to http or https) once: the local
// path, or empty when nothing was saved.
QString DownloadFollowingOnce(const QString& url, const QString& folder);
