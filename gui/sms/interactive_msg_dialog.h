#pragma once
// The rules of the interactive SMS. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDlgInteractiveMSG : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgInteractiveMSG(QWidget* parent = nullptr);
};
