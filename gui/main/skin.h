#pragma once
// Skins are Qt style sheets in the program folder's "urf" folder, named by
// [DefaultSkin] defaultS of "CsqxConfig.ini".
#include <QString>

// The skin file chosen in "CsqxConfig.ini" (empty when none is chosen).
QString ConfiguredSkinPath();
// Stores the chosen skin file's name ("name.urf"; empty: no skin) for the next start.
void SaveConfiguredSkin(const QString& fileName);
// Applies a skin file. An empty path applies nothing; a file that is not
// UTF-8 text is logged and not applied. True when applied.
bool LoadSkin(const QString& path);
void UnloadSkin();
