#include "gui/widgets/zsplitter.h"

#include <QCursor>
#include <QMouseEvent>

ZSplitter::ZSplitter(QWidget* parent) : QWidget(parent) {}

ZSplitter::~ZSplitter() = default;

void ZSplitter::AddLinked(QWidget* widget, int sides) {
    m_links.push_back({widget, sides});
}

void ZSplitter::SetDirections(int mask) {
    m_nDirections = mask;
    switch (mask) {
    case DirDown | DirUp | DirLeft | DirRight:
        setCursor(Qt::SizeAllCursor);
        break;
    case DirLeft | DirRight:
        setCursor(Qt::SplitHCursor);
        break;
    case DirDown | DirUp:
        setCursor(Qt::SplitVCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

void ZSplitter::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_dragPoint = event->position().toPoint();
        m_bDragging = true;
        event->accept();
    } else if (event->button() == Qt::RightButton) {
        EndDrag();
    }
}

void ZSplitter::mouseReleaseEvent(QMouseEvent* event) {
    // Every button held down sends its moves and its release here, even
    // outside the bar, so the drag always ends.
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        EndDrag();
    QWidget::mouseReleaseEvent(event);
}

void ZSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (m_bDragging)
        Step(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void ZSplitter::EndDrag() {
    m_bDragging = false;
}

void ZSplitter::Step(const QPoint& mouse) {
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    int dx = mouse.x() - m_dragPoint.x();
    int dy = mouse.y() - m_dragPoint.y();
    if (dx > 0 && !(m_nDirections & DirRight))
        dx = 0;
    if (dx < 0 && !(m_nDirections & DirLeft))
        dx = 0;
    if (dy > 0 && !(m_nDirections & DirDown))
        dy = 0;
    if (dy < 0 && !(m_nDirections & DirUp))
        dy = 0;

    if (dx == 0 && dy == 0)
        return;

    const QPoint newTopLeft = pos() + QPoint(dx, dy);
    // The bar stays one pixel inside the parent along the axis it moves on.
    // An axis it does not move on is not checked, so a bar that spans the
    // parent's whole height (top 0) still moves sideways.
    if (dx != 0 && (newTopLeft.x() < 1 || newTopLeft.x() > parent->width() - 1))
        return;
    if (dy != 0 && (newTopLeft.y() < 1 || newTopLeft.y() > parent->height() - 1))
        return;

    // Every linked widget must keep a width and a height, or nothing moves.
    std::vector<QRect> rects;
    rects.reserve(m_links.size());
    for (const Link& link : m_links) {
        if (!link.widget) {
            rects.emplace_back();
            continue;
        }
        const QRect r = link.widget->geometry();
        int left = r.x(), top = r.y(), right = r.x() + r.width(), bottom = r.y() + r.height();
        if (link.sides & SideLeft)
            left += dx;
        if (link.sides & SideRight)
            right += dx;
        if (link.sides & SideTop)
            top += dy;
        if (link.sides & SideBottom)
            bottom += dy;
        if (right <= left || bottom <= top)
            return;
        rects.emplace_back(left, top, right - left, bottom - top);
    }

    for (size_t i = 0; i < m_links.size(); ++i) {
        QWidget* widget = m_links[i].widget;
        if (!widget)
            continue;
        widget->setGeometry(rects[i]);
        emit moved(rects[i], widget);
    }
    move(newTopLeft);
    // The drag point stays where the bar was grabbed: after a step that was
    // limited or refused the bar catches up with the mouse as soon as the
    // mouse is back where the bar may go, rather than trailing it by the
    // motion it could not follow.
}
