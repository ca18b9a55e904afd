#pragma once
// Opening a page in the user's browser. The GUI installs the real opener;
// tests install one that records the address.
#include <QString>
#include <functional>

using UrlOpener = std::function<bool(const QString& url)>;

UrlOpener SetUrlOpener(UrlOpener opener);
// False when nothing could open it (no opener installed).
bool OpenUrlExternally(const QString& url);
