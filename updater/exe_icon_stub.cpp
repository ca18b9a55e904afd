// Placeholder bodies until the icon code joins this library.
#include "updater/exe_icon.h"

bool ReplaceExeIcon(const QString&, const QString&) {
    return false;
}
bool MakeLogoPng(const QString&, const QString&) {
    return false;
}
