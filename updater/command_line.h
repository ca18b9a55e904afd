#pragma once
// The updater's command line: argument 1 is the update address (also when
// empty); "/hide" (any case) as the second of exactly two arguments asks for
// the silent check. Without arguments the address comes from
// "ServerInfo.ini" [UpdateServerAddress] UpdateUrl.
#include <QString>
#include <QStringList>

struct UpdaterCommandLine {
    QString address;
    bool interactive = true;
};

// `arguments` includes the program itself, as argv does. Writes the start
// lines of the day log.
UpdaterCommandLine ParseCommandLine(const QStringList& arguments, const QString& programFolder);
