#include "channels/picture_editing.h"

#include "channels/picture_helpers.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

std::optional<int> ParsePictureSide(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > 999)
        return std::nullopt;
    return value;
}

std::optional<QSize> ParseSizePreset(const QString& text) {
    static const QRegularExpression preset(QStringLiteral("^\\s*(\\d{1,3})\\s*\\*\\s*(\\d{1,3})\\s*$"));
    const QRegularExpressionMatch match = preset.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto width = ParsePictureSide(match.captured(1));
    const auto height = ParsePictureSide(match.captured(2));
    if (!width || !height)
        return std::nullopt;
    return QSize(*width, *height);
}

QString NextResizedPath(const QString& folder, const QString& source, int firstN) {
    const QString name = QFileInfo(source).fileName();
    for (int n = std::max(0, firstN);; ++n) {
        const QString path = folder + QLatin1Char('/') + QString::number(n) + QLatin1Char('_') + name;
        if (!QFileInfo::exists(path))
            return path;
    }
}

QString CroppedPathFor(const QString& shownPath) {
    const int slash = static_cast<int>(shownPath.lastIndexOf(QLatin1Char('/')));
    const int dot = static_cast<int>(shownPath.lastIndexOf(QLatin1Char('.')));
    if (dot <= slash)
        return shownPath + QStringLiteral("_0");
    return shownPath.left(dot) + QStringLiteral("_0") + shownPath.mid(dot);
}

std::optional<QImage> LoadEditablePicture(const QString& path) {
    // The reader refuses a picture beyond its allocation limit before it
    // allocates anything, so a forged header cannot take the memory.
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

QImage ZoomedPicture(const QImage& picture, double zoom) {
    if (picture.isNull())
        return QImage();
    if (zoom == 1.0)
        return picture;
    const int width = std::max(1, int(picture.width() * zoom));
    const int height = std::max(1, int(picture.height() * zoom));
    return picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage CropShownPicture(const QImage& picture, double zoom, const QRect& selection) {
    const QImage shown = ZoomedPicture(picture, zoom);
    if (shown.isNull())
        return QImage();
    const QRect area = selection.normalized().intersected(shown.rect());
    if (selection.isNull() || area.isEmpty())
        return shown;
    return shown.copy(area);
}

QByteArray EncodeJpeg(const QImage& image) {
    if (image.isNull())
        return QByteArray();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(image))
        return QByteArray();
    return bytes;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
