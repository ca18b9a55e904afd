#include "channels/mms_preview_files.h"

#include "channels/picture_editing.h"
#include "core/paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

bool IsGifName(const QString& path) {
    return path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive);
}

// The folder part of a path, cleaned, so "a/./b" and "a/b" are the same place.
QString CleanFolderOf(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absolutePath());
}

// Copies `source` to `target` through a temporary file and a rename, so a
// pane never shows a half-written preview.
bool CopyThroughTemporary(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            out.cancelWriting();
            return false;
        }
        if (n == 0)
            break;
        if (out.write(buffer, n) != n) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}

} // namespace

QString PreviewFolder() {
    return AppPath(QStringLiteral("Kestrow/PreviewPic"));
}

QString PreviewPathFor(const QString& source) {
    const QString folder = QDir::cleanPath(PreviewFolder());
    if (source.isEmpty())
        return QString();
    if (CleanFolderOf(source) == folder)
        return QDir::cleanPath(QFileInfo(source).absoluteFilePath());
    // "\" separates folders in paths from older files too; the name is what
    // follows the last separator of either kind.
    QString name = source;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.section(QLatin1Char('/'), -1);
    const QByteArray hash =
        QCryptographicHash::hash(QFileInfo(source).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(8);
    return folder + QLatin1Char('/') + QString::fromLatin1(hash) + QLatin1Char('_') + name;
}

QSize ShownPictureSize(const QSize& original, bool gif) {
    if (gif || !original.isValid() ||
        (original.width() <= kPanePictureSide && original.height() <= kPanePictureSide))
        return original;
    const double scale =
        std::min(double(kPanePictureSide) / original.width(), double(kPanePictureSide) / original.height());
    return QSize(std::max(1, int(original.width() * scale)), std::max(1, int(original.height() * scale)));
}

QImage LoadPictureScaled(const QString& path, const QSize& box) {
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return QImage();
    QSize target = size;
    if (box.isValid() && (size.width() > box.width() || size.height() > box.height()))
        target = size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (target != size)
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (!image.isNull() && image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

PanePicture PreparePanePicture(const QString& source) {
    PanePicture result;
    result.gif = IsGifName(source);
    result.originalSize = QImageReader(source).size();
    if (!result.originalSize.isValid())
        result.originalSize = QSize();
    const QString preview = PreviewPathFor(source);
    CreateDirectoryTree(PreviewFolder());
    if (preview == QDir::cleanPath(QFileInfo(source).absoluteFilePath())) {
        // Already a preview (an edited picture): shown as it is.
        result.shownPath = preview;
        result.shownSize = ShownPictureSize(result.originalSize, result.gif);
        if (result.shownSize != result.originalSize) {
            // Too large to show whole; the pane scales it when it shows it.
        }
        return result;
    }
    const QSize shown = ShownPictureSize(result.originalSize, result.gif);
    result.shownSize = result.originalSize.isValid() ? shown : QSize();
    if (!result.originalSize.isValid() || shown == result.originalSize) {
        // A GIF, a small picture, or one that cannot be read: the file as it is.
        result.shownPath = CopyThroughTemporary(source, preview) ? preview : source;
        return result;
    }
    const QImage scaled = LoadPictureScaled(source, shown);
    if (!scaled.isNull() && WriteFileAtomically(preview, EncodeJpeg(scaled))) {
        result.shownPath = preview;
        result.shownSize = scaled.size();
    } else {
        // Unreadable after all: shown as it is, at scale 1.
        result.shownPath = source;
        result.shownSize = QSize();
    }
    return result;
}
