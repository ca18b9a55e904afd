#pragma once
// The holiday greetings. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDlgHoliday : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgHoliday(QWidget* parent = nullptr);
};
