#pragma once
// The task list of the main window's right pane. Comes in a later version:
// for now a placeholder.
#include "gui/widgets/placeholder_view.h"

class CDlgTask : public PlaceholderView {
    Q_OBJECT
public:
    explicit CDlgTask(QWidget* parent);

    // Reloads the list of tasks.
    void LoadTasks();
};
