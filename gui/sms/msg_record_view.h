#pragma once
// The sent, failed and draft records of the main window's right pane. Comes
// in a later version: for now a placeholder that shows what it was asked for.
#include "gui/widgets/placeholder_view.h"

class CDlgMsgRecord : public PlaceholderView {
    Q_OBJECT
public:
    explicit CDlgMsgRecord(QWidget* parent);

    // The records of the channel and category that the tree node `code`
    // names, narrowed by `filter`, sorted by `sortColumn` (-1 unsorted).
    void QueryRecords(qint64 code, const QString& filter, int sortColumn);
};
