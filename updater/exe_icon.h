#pragma once
// The OEM icon of an installation.
#include <QString>

// Replaces the icons of a Windows executable with the matching images of the
// .ico file; true when the executable was rewritten. Does nothing but return
// false when the file does not start with "MZ".
bool ReplaceExeIcon(const QString& icoPath, const QString& exePath);

// Saves the largest image of the .ico file as PNG; false when there is none.
bool MakeLogoPng(const QString& icoPath, const QString& pngPath);
