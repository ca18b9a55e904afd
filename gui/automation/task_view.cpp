#include "gui/automation/task_view.h"

CDlgTask::CDlgTask(QWidget* parent) : PlaceholderView(parent, "CDlgTask") {}

void CDlgTask::LoadTasks() {}
