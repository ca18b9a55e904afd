#pragma once
// The settings of the mail-to-SMS worker. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class DlgEmailSetting : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit DlgEmailSetting(QWidget* parent = nullptr);
};
