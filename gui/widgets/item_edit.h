#pragma once
// The in-place edit box over a list cell: it keeps the horizontal position
// its creator gave it, so moving it (by the list's scrolling or a geometry
// change) can shift it up or down but never sideways.
#include <QLineEdit>

class CItemEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CItemEdit(int x = 0, QWidget* parent = nullptr);

    int fixedX() const { return m_x; }
    // Moves the box to `x` at once and keeps it there.
    void setFixedX(int x);

protected:
    void moveEvent(QMoveEvent* event) override;

private:
    int m_x;
};
