#include "gui/channels/edit_image_view.h"

#include "channels/picture_editing.h"
#include "platform/msgbox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMargin = 10;

// The crop cursor: a thin cross with a gap in the middle, drawn here.
QCursor CropCursor() {
    static const QCursor cursor = [] {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        for (const QColor& color : {QColor(Qt::white), QColor(Qt::black)}) {
            const int d = color == QColor(Qt::white) ? 1 : 0;
            painter.setPen(QPen(color, 1));
            painter.drawLine(16 + d, 2, 16 + d, 12);
            painter.drawLine(16 + d, 20, 16 + d, 30);
            painter.drawLine(2, 16 + d, 12, 16 + d);
            painter.drawLine(20, 16 + d, 30, 16 + d);
        }
        return QCursor(pixmap, 16, 16);
    }();
    return cursor;
}

QString Tr(const char* text) {
    return QCoreApplication::translate("CDlgEditImage", text);
}

} // namespace

// ---------------------------------------------------------------- tracker

QRect CMyTracker::HandleRect(int hit) const {
    const QRect r = m_rect.normalized();
    const int s = kHandleSize;
    // Outside the rectangle, so the handles never cover the picked pixels.
    const QPoint points[8] = {{r.left() - s, r.top() - s},
                              {r.right() + 1, r.top() - s},
                              {r.right() + 1, r.bottom() + 1},
                              {r.left() - s, r.bottom() + 1},
                              {r.center().x() - s / 2, r.top() - s},
                              {r.right() + 1, r.center().y() - s / 2},
                              {r.center().x() - s / 2, r.bottom() + 1},
                              {r.left() - s, r.center().y() - s / 2}};
    return (hit >= 0 && hit < 8) ? QRect(points[hit], QSize(s, s)) : QRect();
}

int CMyTracker::HitTest(const QPoint& point) const {
    if (m_rect.isNull())
        return -1;
    for (int hit = 0; hit < 8; ++hit)
        if (HandleRect(hit).adjusted(-1, -1, 1, 1).contains(point))
            return hit;
    return m_rect.normalized().contains(point) ? 8 : -1;
}

void CMyTracker::Begin(int hit, const QPoint& point) {
    m_hit = hit;
    m_start = point;
    m_startRect = m_rect.normalized();
}

void CMyTracker::Track(const QPoint& point) {
    if (m_hit < 0)
        return;
    const QPoint d = point - m_start;
    QRect r = m_startRect;
    switch (m_hit) {
    case 0:
        r.setTopLeft(r.topLeft() + d);
        break;
    case 1:
        r.setTopRight(r.topRight() + d);
        break;
    case 2:
        r.setBottomRight(r.bottomRight() + d);
        break;
    case 3:
        r.setBottomLeft(r.bottomLeft() + d);
        break;
    case 4:
        r.setTop(r.top() + d.y());
        break;
    case 5:
        r.setRight(r.right() + d.x());
        break;
    case 6:
        r.setBottom(r.bottom() + d.y());
        break;
    case 7:
        r.setLeft(r.left() + d.x());
        break;
    default:
        r.translate(d);
        break;
    }
    m_rect = r.normalized();
}

void CMyTracker::Draw(QPainter& painter) const {
    if (m_rect.isNull())
        return;
    painter.save();
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_rect.normalized());
    for (int hit = 0; hit < 8; ++hit)
        painter.fillRect(HandleRect(hit), Qt::black);
    painter.restore();
}

// ---------------------------------------------------------------- hint box

CEditTip::CEditTip(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("1108"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::NoFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::Box);
    viewport()->setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QTextEdit { background: transparent; color: #202020; }"));
    resize(170, 270);
}

void CEditTip::enterEvent(QEnterEvent* event) {
    QTextEdit::enterEvent(event);
    // Over the box the cursor would hide its read-outs: the box goes to the
    // other top corner of its window.
    if (QWidget* owner = parentWidget()) {
        const int left = kMargin, right = std::max(kMargin, owner->width() - 180);
        move(x() == left ? right : left, kMargin);
    }
}

void CEditTip::paintEvent(QPaintEvent* event) {
    {
        // Our own background: a pale yellow note with a slight gradient.
        QPainter painter(viewport());
        QLinearGradient gradient(0, 0, 0, viewport()->height());
        gradient.setColorAt(0, QColor(0xff, 0xfb, 0xe0));
        gradient.setColorAt(1, QColor(0xf5, 0xea, 0xb8));
        painter.fillRect(viewport()->rect(), gradient);
    }
    QTextEdit::paintEvent(event);
}

// ---------------------------------------------------------------- crop view

CDlgEditImage::CDlgEditImage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CDlgEditImage"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(CropCursor());
    m_tip = new CEditTip(this);
    m_tip->move(kMargin, kMargin);
    m_tip->setPlainText(HintText(QColor(0, 0, 0)));
}

bool CDlgEditImage::ShowFile(const QString& path) {
    const auto picture = LoadEditablePicture(path);
    if (!picture)
        return false;
    m_picture = *picture;
    m_shownPath = path;
    m_zoom = 1.0;
    m_shown = m_picture;
    ClearSelection();
    return true;
}

void CDlgEditImage::SetZoom(double zoom) {
    if (!(zoom > 0) || m_picture.isNull())
        return;
    m_zoom = zoom;
    m_shown = ZoomedPicture(m_picture, zoom);
    ClearSelection();
}

void CDlgEditImage::Select(const QRect& rect) {
    m_tracker.m_rect = rect.normalized();
    m_tracker.End();
    m_state = rect.isNull() ? Selection::None : Selection::Selected;
    UpdateHint(mapFromGlobal(QCursor::pos()));
    update();
}

void CDlgEditImage::ClearSelection() {
    m_tracker.m_rect = QRect();
    m_tracker.End();
    m_state = Selection::None;
    UpdateHint(mapFromGlobal(QCursor::pos()));
    update();
}

QPoint CDlgEditImage::PictureOrigin() const {
    return QPoint(0, 0);
}

QString CDlgEditImage::HintText(const QColor& color) const {
    QString hint;
    switch (m_state) {
    case Selection::None:
        hint = Tr("\r\n ·按下鼠标左键不放选择截取\r\n 范围\r\n\r\n ·按ESC键或鼠标右键退出");
        break;
    case Selection::Dragging:
        hint = Tr("\r\n ·松开鼠标左键确定截取范围\r\n\r\n ·按ESC键退出");
        break;
    case Selection::Selected:
        hint = Tr("\r\n ·用鼠标左键调整截取范围的\r\n 大小和位置\r\n\r\n ·截取范围内双击鼠标左键保\r\n "
                  "存图像，结束操作\r\n\r\n ·点击鼠标右键重新选择");
        break;
    }
    hint += Tr("\r\n\r\n\r\n ·当前像素RGB (%d,%d,%d)\r\n");
    for (const int part : {color.red(), color.green(), color.blue()})
        hint.replace(hint.indexOf(QLatin1String("%d")), 2, QString::number(part));
    hint.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return hint;
}

void CDlgEditImage::UpdateHint(const QPoint& cursor) {
    const QPoint at = cursor - PictureOrigin();
    const QColor color = m_shown.valid(at) ? QColor(m_shown.pixel(at)) : palette().color(QPalette::Window);
    const QRect r = m_tracker.m_rect.normalized();
    QString text = HintText(color);
    text += Tr("顶点位置") + QStringLiteral("(%1,%2)\n").arg(r.left()).arg(r.top());
    text += Tr("矩形大小") + QStringLiteral("(%1,%2)\n").arg(r.width()).arg(r.height());
    text += Tr("光标坐标") + QStringLiteral("(%1,%2)\n").arg(at.x()).arg(at.y());
    m_tip->setPlainText(text);
}

void CDlgEditImage::UpdateCursor(const QPoint& cursor) {
    const int hit = m_state == Selection::Selected ? m_tracker.HitTest(cursor) : -1;
    static const Qt::CursorShape shapes[9] = {Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeFDiagCursor,
                                              Qt::SizeBDiagCursor, Qt::SizeVerCursor,   Qt::SizeHorCursor,
                                              Qt::SizeVerCursor,   Qt::SizeHorCursor,   Qt::SizeAllCursor};
    if (hit >= 0)
        setCursor(shapes[hit]);
    else
        setCursor(CropCursor());
}

bool CDlgEditImage::Save() {
    if (m_picture.isNull())
        return false;
    const QRect selection = m_state == Selection::Selected ? m_tracker.m_rect.normalized() : QRect();
    const QImage cut = CropShownPicture(m_picture, m_zoom, selection.translated(-PictureOrigin()));
    const QByteArray jpeg = EncodeJpeg(cut);
    if (jpeg.isEmpty()) {
        ShowMessageBox(Tr("保存图片失败"), mb::IconError);
        return false;
    }
    const QString saved = CroppedPathFor(m_shownPath);
    QString question = Tr("\r\n确定修改图片并另存为 %s 吗?\r\n\r\n文件大小: %d 字节,约 %d KB. 宽:%d 高:%d");
    question.replace(question.indexOf(QLatin1String("%s")), 2, saved);
    for (const qint64 n :
         {qint64(jpeg.size()), qint64(jpeg.size() / 1024), qint64(cut.width()), qint64(cut.height())})
        question.replace(question.indexOf(QLatin1String("%d")), 2, QString::number(n));
    if (ShowMessageBox(question, mb::YesNo | mb::IconQuestion) != IDYES)
        return false;
    if (!WriteFileAtomically(saved, jpeg)) {
        ShowMessageBox(Tr("保存图片失败"), mb::IconError);
        return false;
    }
    m_savedPath = saved;
    ShowFile(saved);
    emit PictureSaved(saved);
    return true;
}

void CDlgEditImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (!m_shown.isNull())
        painter.drawImage(PictureOrigin(), m_shown);
    m_tracker.Draw(painter);
}

void CDlgEditImage::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        if (m_state != Selection::None)
            ClearSelection();
        UpdateHint(at);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const int hit = m_state == Selection::Selected ? m_tracker.HitTest(at) : -1;
    if (hit >= 0) {
        m_tracker.Begin(hit, at);
    } else {
        m_state = Selection::Dragging;
        m_dragStart = at;
        m_tracker.m_rect = QRect(at, at);
    }
    UpdateHint(at);
    update();
}

void CDlgEditImage::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_state == Selection::Dragging)
        m_tracker.m_rect = QRect::span(m_dragStart, at);
    else if (m_tracker.Tracking())
        m_tracker.Track(at);
    UpdateCursor(at);
    UpdateHint(at);
    update();
}

void CDlgEditImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (m_state == Selection::Dragging) {
        m_tracker.m_rect = QRect::span(m_dragStart, at);
        m_state = m_tracker.m_rect.width() > 1 && m_tracker.m_rect.height() > 1 ? Selection::Selected
                                                                                : Selection::None;
        if (m_state == Selection::None)
            m_tracker.m_rect = QRect();
    }
    m_tracker.End();
    UpdateHint(at);
    update();
}

void CDlgEditImage::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_state == Selection::Selected &&
        m_tracker.HitTest(event->position().toPoint()) == 8)
        Save();
}

void CDlgEditImage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // Esc drops a selection; without one it does nothing (the editor is
        // left with its "取消").
        if (m_state != Selection::None)
            ClearSelection();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
