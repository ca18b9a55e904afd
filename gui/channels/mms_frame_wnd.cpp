#include "gui/channels/mms_frame_wnd.h"

#include "channels/mms_preview_files.h"

#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTextEdit>

namespace {

// The text box's place with a picture above it; without one it moves up.
constexpr QRect kTextRect(QPoint(8, 193), QPoint(176, 233));

} // namespace

CMmsFrameWnd::CMmsFrameWnd(QWidget* parent, int frameNumber) : QWidget(parent), m_frameNumber(frameNumber) {
    setObjectName(QStringLiteral("10"));
    setFixedSize(kWidth, kHeight);
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("100"));
    m_picture->setGeometry(PictureRect());
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setStyleSheet(QStringLiteral("background: white;"));
    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("101"));
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setGeometry(kTextRect);
    HidePicture();
}

CMmsFrameWnd::~CMmsFrameWnd() = default;

void CMmsFrameWnd::SetFrameNumber(int frameNumber) {
    m_frameNumber = frameNumber;
    update();
}

void CMmsFrameWnd::ShowPicture(const QString& path) {
    m_picturePath = path;
    m_picture->setMovie(nullptr);
    m_movie.reset();
    m_picture->clear();
    if (path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)) {
        m_movie = std::make_unique<QMovie>(path);
        if (m_movie->isValid()) {
            m_picture->setMovie(m_movie.get());
            m_movie->start();
        }
    } else {
        // Decoded at most 130 pixels a side, whatever the file claims to be;
        // an edited picture shown in place gets the size a preview would have.
        const QImage image = LoadPictureScaled(path, QSize(kPanePictureSide, kPanePictureSide));
        if (!image.isNull())
            m_picture->setPixmap(QPixmap::fromImage(image));
    }
    m_picture->show();
    m_text->setGeometry(kTextRect);
}

void CMmsFrameWnd::HidePicture() {
    m_picturePath.clear();
    m_picture->setMovie(nullptr);
    m_movie.reset();
    m_picture->clear();
    m_picture->hide();
    m_text->setGeometry(kTextRect.translated(0, -kTextShift).adjusted(0, 0, 0, kTextShift));
}

bool CMmsFrameWnd::PictureShown() const {
    return !m_picture->isHidden();
}

void CMmsFrameWnd::SetText(const QString& text) {
    m_text->setPlainText(text);
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
}

void CMmsFrameWnd::paintEvent(QPaintEvent*) {
    // A phone of our own: a dark body with rounded corners, a light screen
    // and a keypad line below it.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.addRoundedRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1), 18, 18);
    painter.fillPath(body, QColor(0x3c, 0x42, 0x4c));
    painter.setPen(QColor(0x22, 0x26, 0x2c));
    painter.drawPath(body);
    painter.fillRect(QRect(QPoint(5, 26), QPoint(180, 236)), QColor(0xf4, 0xf6, 0xf8));
    painter.setPen(QColor(0x80, 0x88, 0x94));
    painter.drawRoundedRect(QRect(70, 242, 45, 14), 6, 6);
    painter.drawEllipse(QRect(110, 8, 14, 4));
    if (m_frameNumber > 0) {
        painter.setPen(QColor(0xff, 0x00, 0x00));
        painter.drawText(QPoint(72, 10 + painter.fontMetrics().ascent()), QString::number(m_frameNumber));
    }
}
