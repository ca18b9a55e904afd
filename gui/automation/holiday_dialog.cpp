#include "gui/automation/holiday_dialog.h"

CDlgHoliday::CDlgHoliday(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgHoliday", QT_TRANSLATE_NOOP("CDlgHoliday", "节假日")) {}
