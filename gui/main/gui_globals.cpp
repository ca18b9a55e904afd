#include "gui/main/gui_globals.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include <algorithm>

QIcon g_hLogoIcon;

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
