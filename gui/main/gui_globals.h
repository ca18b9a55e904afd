#pragma once
// Process-wide values of the window side, filled by the start window.
#include <QFont>
#include <QIcon>
#include <QString>

// The OEM logo ("OEM/Logo.ico"), 30 by 30 pixels; null when there is none.
extern QIcon g_hLogoIcon;

// Loads the logo from `path` at 30 by 30 pixels into g_hLogoIcon. False
// (and a null icon) when the file is missing or not a picture.
bool LoadLogoIcon(const QString& path);

// The shared fonts of the dialogs: bold for banners, normal for text, and
// the label font (the normal one). Set by the main window from the start-up
// language: English takes the system's sans font at 14 pixels, Chinese the
// CJK font ("宋体" has no counterpart here) at 12.
extern QFont g_fontBold;
extern QFont g_fontNormal;
extern QFont g_fontLabel;
// Fills the three from the language id (1033 English, else Chinese).
void SetSharedFonts(int languageId);
