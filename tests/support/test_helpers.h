#pragma once
// Small helpers the test programs share: the run log read line by line,
// waiting for a condition, an address where nothing listens, and the digest
// form of the service's passwords.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct sqlite3;

// The run log's lines without their time stamps (what follows the first
// double blank of each line).
QStringList LogLines(const QString& log);

// Polls `condition` until it holds or `limit` has passed; false on time-out.
// Pending Qt events are handled between polls, so a condition that waits on
// a dialog or a queued signal can come true.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

// A port on 127.0.0.1 where nothing listens: bound by the system, then closed.
// A time bound of a test in milliseconds: as given in a plain build, three
// times as long under the sanitizers, whose programs start and run slower.
// Bounds that tell "at once" from "waits for ever" keep their meaning.
constexpr int TimeBoundMs(int ms) {
#if defined(__SANITIZE_ADDRESS__)
    return ms * 3;
#else
    return ms;
#endif
}

quint16 ClosedLoopbackPort();
// "http://127.0.0.1:<closed port>" + path: a connection there is refused.
std::string ClosedEndpoint(const std::string& path = "/webservice.asmx");

// The MD5 of `bytes` in upper-case hex, as the service's digests are written.
std::string UpperMd5(const QByteArray& bytes);

// Runs `script` (python -c) with `args` under the system's interpreter,
// /usr/bin/python3, which sees the python3-* packages (openpyxl, xlwt) that
// another python3 earlier on the PATH may lack. Fails the running test when
// the script does not end cleanly; returns what it printed.
QByteArray RunSystemPython(const QString& script, const QStringList& args = {});

// The rows of a query, each row's columns joined by "|" (NULL as "<null>").
std::vector<std::string> QueryRows(sqlite3* db, const std::string& sql);
// The first column of the first row as an integer; -1 when there is none.
int64_t QueryScalar(sqlite3* db, const std::string& sql);

class QImage;
// A width × height picture whose pixels tell where they are: red grows to
// the right, green downwards, so crops and scales can be checked by colour.
QImage PositionPicture(int width, int height, int blue = 60);
// The whole file, empty when it cannot be read.
QByteArray ReadFileBytes(const QString& path);
