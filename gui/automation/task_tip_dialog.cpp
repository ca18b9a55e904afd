#include "gui/automation/task_tip_dialog.h"

CDlgTaskTip::CDlgTaskTip(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgTaskTip", QT_TRANSLATE_NOOP("CDlgTaskTip", "任务界面提醒")) {}

void CDlgTaskTip::SetTaskIds(const QString& taskIds) {
    m_taskIds = taskIds;
}
