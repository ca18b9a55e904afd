#pragma once
// A list whose items wrap over as many lines as their text needs at the
// list's width; each item is exactly as high as its wrapped text.
#include <QListWidget>

class CMultiLineListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CMultiLineListBox(QWidget* parent = nullptr);

    // The height an item with `text` takes at the current width.
    int MeasureItem(const QString& text) const;
    // The width the items' text wraps at.
    int ItemTextWidth() const;
};
