#pragma once
// A thin bar between two panes of a dialog. Dragging it with the left button
// moves it and moves or resizes the parent's widgets linked to it, each by
// the edges it is linked with, so the panes follow the bar.
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

class ZSplitter : public QWidget {
    Q_OBJECT
public:
    // Edges of a linked widget that follow the bar.
    enum Side { SideTop = 1, SideBottom = 2, SideLeft = 4, SideRight = 8 };
    // Motions the bar allows.
    enum Direction { DirDown = 1, DirUp = 2, DirLeft = 4, DirRight = 8 };

    explicit ZSplitter(QWidget* parent = nullptr);
    ~ZSplitter() override;

    // Links a widget of the same parent; sides is a mask of Side.
    void AddLinked(QWidget* widget, int sides);
    // A mask of Direction; also picks the bar's cursor.
    void SetDirections(int mask);
    int Directions() const { return m_nDirections; }
    bool IsDragging() const { return m_bDragging; }

signals:
    // After each applied step, once for every linked widget, with its new
    // rectangle in the parent's coordinates.
    void moved(QRect newRect, QWidget* linked);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Link {
        QPointer<QWidget> widget; // a deleted widget no longer follows
        int sides;
    };
    void Step(const QPoint& mouse);
    void EndDrag();

    QPoint m_dragPoint; // where the bar was grabbed, in its own coordinates
    bool m_bDragging = false;
    std::vector<Link> m_links;
    int m_nDirections = 0;
};
