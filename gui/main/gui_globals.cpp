#include "gui/main/gui_globals.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include <algorithm>

QIcon g_hLogoIcon;
QFont g_fontBold;
QFont g_fontNormal;
QFont g_fontLabel;

void SetSharedFonts(int languageId) {
    const bool english = (languageId & 0x3FF) == 9;
    QFont normal;
    if (english) {
        normal.setStyleHint(QFont::SansSerif);
        normal.setFamily(QStringLiteral("Sans Serif"));
        normal.setPixelSize(14);
    } else {
        normal.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
        normal.setPixelSize(12);
    }
    normal.setWeight(QFont::Normal);
    g_fontNormal = normal;
    g_fontLabel = normal;
    g_fontBold = normal;
    if (!english)
        g_fontBold.setWeight(QFont::Bold);
}

namespace {
constexpr int kLogoSize = 30;
constexpr int kMaxIconImages = 64;

// Pixmaps belong to the GUI application: the icon is dropped before it goes.
void ReleaseLogoIcon() {
    g_hLogoIcon = QIcon();
}
} // namespace

bool LoadLogoIcon(const QString& path) {
    static bool releaseRegistered = false;
    if (!releaseRegistered && QCoreApplication::instance()) {
        qAddPostRoutine(ReleaseLogoIcon);
        releaseRegistered = true;
    }
    g_hLogoIcon = QIcon();
    // An icon file holds several sizes: take the smallest that is at least
    // 30 pixels wide, else the largest.
    QImageReader reader(path);
    QImage image;
    const int count = std::min(reader.imageCount(), kMaxIconImages);
    for (int i = 0; i < std::max(count, 1); ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage candidate = reader.read();
        if (candidate.isNull())
            continue;
        const bool fits = candidate.width() >= kLogoSize;
        const bool better =
            image.isNull() || (fits ? image.width() < kLogoSize || candidate.width() < image.width()
                                    : image.width() < kLogoSize && candidate.width() > image.width());
        if (better)
            image = candidate;
    }
    if (image.isNull())
        return false;
    image = image.scaled(kLogoSize, kLogoSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    g_hLogoIcon = QIcon(QPixmap::fromImage(image));
    return true;
}
