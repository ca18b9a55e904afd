#pragma once
// The program folder is the root of every path the program uses.
#include <QString>

// The folder of the running executable, without a trailing "/".
QString GetAppDirectory();
// Tests (and nothing else) point the program at another folder; an empty
// text returns to the executable's folder.
void SetAppDirectory(const QString& folder);
// GetAppDirectory() + "/" + relative.
QString AppPath(const QString& relative);

// "<program folder>/OEM/OemInfo.ini": the branding, limits and options of an
// installation. Every reader of the file takes its path from here.
QString OemInfoIniPath();

// Creates a folder and its missing parents; "\" is read as "/" and a
// trailing separator is dropped. An existing folder is success.
bool CreateDirectoryTree(const QString& path);
