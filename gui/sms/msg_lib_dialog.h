#pragma once
// The phrase library. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDlgMsgLib : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgMsgLib(QWidget* parent = nullptr);
};
