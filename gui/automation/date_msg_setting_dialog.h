#pragma once
// The date-message settings. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

#include "automation/date_messages.h"

#include <vector>

class CDlgDateMSGSetting : public PlaceholderDialog {
    Q_OBJECT
public:
    // `settings` is the main window's list; it stays the window's.
    CDlgDateMSGSetting(std::vector<DATEMSGVALUE>* settings, QWidget* mainWindow);

private:
    std::vector<DATEMSGVALUE>* m_settings;
};
