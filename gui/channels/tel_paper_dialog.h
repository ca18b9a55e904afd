#pragma once
// The mobile news: the frame count. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDlgTelPaper : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgTelPaper(QWidget* parent = nullptr);
};
