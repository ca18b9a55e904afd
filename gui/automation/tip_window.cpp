#include "gui/automation/tip_window.h"

CDlgTipWnd::CDlgTipWnd(QWidget* mainWindow)
    : PlaceholderDialog(mainWindow, "CDlgTipWnd", QT_TRANSLATE_NOOP("CDlgTipWnd", "节日/生日")) {}
