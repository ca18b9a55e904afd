#pragma once
// The first page of the task wizard; 1003 would mean that a task was
// created. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDCreateTask1 : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDCreateTask1(QWidget* parent = nullptr);
};
