#pragma once
// Process-wide values of the window side, filled by the start window.
#include <QIcon>
#include <QString>

// The OEM logo ("OEM/Logo.ico"), 30 by 30 pixels; null when there is none.
extern QIcon g_hLogoIcon;

// Loads the logo from `path` at 30 by 30 pixels into g_hLogoIcon. False
// (and a null icon) when the file is missing or not a picture.
bool LoadLogoIcon(const QString& path);
