#include "gui/automation/create_task_dialog.h"

CDCreateTask1::CDCreateTask1(QWidget* parent)
    : PlaceholderDialog(parent, "CDCreateTask1", QT_TRANSLATE_NOOP("CDCreateTask1", "向导")) {}
