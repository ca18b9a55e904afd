#pragma once
// The reminder of the tasks due now. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDlgTaskTip : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgTaskTip(QWidget* parent = nullptr);

    // The due tasks' ids, joined by ",".
    void SetTaskIds(const QString& taskIds);
    const QString& taskIds() const { return m_taskIds; }

private:
    QString m_taskIds;
};
