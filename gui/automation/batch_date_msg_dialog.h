#pragma once
// The batch date messages. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDlgBatchDateMSG : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgBatchDateMSG(QWidget* parent = nullptr);
};
