#pragma once
// The personalised SMS. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDlgPerMSG : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgPerMSG(QWidget* parent = nullptr);
};
