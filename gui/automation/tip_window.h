#pragma once
// The birthday and holiday reminder window: modeless, owned by the main
// window; closing it hides it. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDlgTipWnd : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgTipWnd(QWidget* mainWindow);
};
