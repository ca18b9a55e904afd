#pragma once
// The crop view of the picture editor: the picture at the chosen zoom, a
// rectangle the user draws and adjusts with the mouse, a hint box with the
// read-outs, and the save of the cut-out as a JPEG beside the shown file.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTextEdit>
#include <QWidget>

class QPainter;

// A selection rectangle with eight handles outside its corners and side
// middles: hit codes 0-3 the corners (top-left, top-right, bottom-right,
// bottom-left), 4-7 the side middles (top, right, bottom, left), 8 inside
// (move), -1 outside.
class CMyTracker {
public:
    static constexpr int kHandleSize = 4;

    QRect m_rect;

    int HitTest(const QPoint& point) const;
    // The handle's square for hit code 0-7.
    QRect HandleRect(int hit) const;
    // Starts moving or resizing by `hit` from `point`.
    void Begin(int hit, const QPoint& point);
    // Follows the mouse while a Begin is in force; the rectangle is kept
    // normalised.
    void Track(const QPoint& point);
    void End() { m_hit = -1; }
    bool Tracking() const { return m_hit >= 0; }
    // Dotted outline and the handles.
    void Draw(QPainter& painter) const;

private:
    int m_hit = -1;
    QPoint m_start;
    QRect m_startRect;
};

// The hint box: read-only, no caret, drawn on a picture of its own; when the
// mouse comes over it, it jumps to the other top corner of its window, so it
// never covers the cursor.
class CEditTip : public QTextEdit {
    Q_OBJECT
public:
    explicit CEditTip(QWidget* parent = nullptr);

protected:
    void enterEvent(QEnterEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

class CDlgEditImage : public QWidget {
    Q_OBJECT
public:
    enum class Selection { None, Dragging, Selected };

    explicit CDlgEditImage(QWidget* parent = nullptr);

    // Shows a picture file at zoom 1; false when it cannot be loaded
    // ("图片过大或无法读取" is the caller's).
    bool ShowFile(const QString& path);
    // The picture shown at `zoom` (1 = its own size); the selection is dropped.
    void SetZoom(double zoom);
    double Zoom() const { return m_zoom; }
    const QString& ShownPath() const { return m_shownPath; }
    const QString& SavedPath() const { return m_savedPath; }
    const QImage& Picture() const { return m_picture; }
    QSize ShownSize() const { return m_shown.size(); }

    Selection State() const { return m_state; }
    QRect SelectionRect() const { return m_tracker.m_rect; }
    // Selects `rect` (shown pixels), as a drag would.
    void Select(const QRect& rect);
    void ClearSelection();

    // Cuts the selection (the whole shown picture without one) out of the
    // picture as shown, asks with the JPEG's size whether to save it as the
    // shown file's name with "_0", and writes it only on Yes
    // ("保存图片失败" when that fails), then tells PictureSaved. True when saved.
    bool Save();

    CEditTip* Tip() const { return m_tip; }
    // The hint for the current state with the colour under the cursor.
    QString HintText(const QColor& color) const;

signals:
    void PictureSaved(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPoint PictureOrigin() const;
    void UpdateHint(const QPoint& cursor);
    void UpdateCursor(const QPoint& cursor);

    CMyTracker m_tracker;
    CEditTip* m_tip = nullptr;
    QImage m_picture;
    QImage m_shown;
    double m_zoom = 1.0;
    QString m_shownPath;
    QString m_savedPath;
    Selection m_state = Selection::None;
    QPoint m_dragStart;
};
