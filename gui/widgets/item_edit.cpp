#include "gui/widgets/item_edit.h"

#include <QMoveEvent>

CItemEdit::CItemEdit(int x, QWidget* parent) : QLineEdit(parent), m_x(x) {
    move(m_x, y());
}

void CItemEdit::setFixedX(int x) {
    m_x = x;
    move(m_x, y());
}

void CItemEdit::moveEvent(QMoveEvent* event) {
    // Qt reports a move after it happened, so the box is put back at once;
    // the second move arrives with the right x and ends here.
    if (event->pos().x() != m_x) {
        move(m_x, event->pos().y());
        return;
    }
    QLineEdit::moveEvent(event);
}
