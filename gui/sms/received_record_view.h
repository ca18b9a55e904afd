#pragma once
// The received records of the main window's right pane. Comes in a later
// version: for now a placeholder that shows its filter.
#include "gui/widgets/placeholder_view.h"

class CDlgMsgRecord1Received : public PlaceholderView {
    Q_OBJECT
public:
    explicit CDlgMsgRecord1Received(QWidget* parent);

    // The received records narrowed by `filter` (a saved condition, may be
    // empty), sorted by `sortColumn` (-1 unsorted).
    void QueryRecords(const QString& filter, int sortColumn);
};
