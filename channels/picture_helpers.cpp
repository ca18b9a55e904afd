#include "channels/picture_helpers.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <gif_lib.h>

#include <vector>

namespace {

// Bounds a side before it is converted to int, so a wild factor cannot
// overflow.
constexpr double kLargestSide = 1 << 20;

// QImage itself puts no limit on a picture it makes, so a wild factor would
// ask for terabytes; the bound is the one Qt's reader uses for pictures it
// loads (256 MiB at 32 bits a pixel).
constexpr qint64 kLargestPixelCount = qint64(256) * 1024 * 1024 / 4;

int ScaledLength(int length, double factor) {
    const double product = length * factor;
    if (!(product >= 1.0)) // also NaN
        return 1;
    if (product >= kLargestSide)
        return static_cast<int>(kLargestSide);
    return static_cast<int>(product);
}

int WriteToSaveFile(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* file = static_cast<QSaveFile*>(gif->UserData);
    return static_cast<int>(file->write(reinterpret_cast<const char*>(bytes), length));
}

// giflib wants a colour map of a power of two entries, 2 to 256.
int ColorMapBits(int colors) {
    int bits = 1;
    while ((1 << bits) < colors && bits < 8)
        ++bits;
    return bits;
}

} // namespace

bool SaveImageAsJpeg(const QImage& image, const QString& path) {
    if (image.isNull() || path.isEmpty())
        return false;
    // Written beside the target and renamed over it, so a failed write never
    // leaves a cut picture behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool SaveImageAsGif(const QImage& image, const QString& path) {
    if (image.isNull() || path.isEmpty())
        return false;
    // Alpha is dropped first: the palette is made from the visible colours.
    QImage indexed = image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8);
    const QList<QRgb> palette = indexed.colorTable();
    if (indexed.isNull() || palette.isEmpty() || palette.size() > 256)
        return false;
    const int bits = ColorMapBits(static_cast<int>(palette.size()));
    std::vector<GifColorType> colors(static_cast<size_t>(1) << bits, GifColorType{0, 0, 0});
    for (qsizetype i = 0; i < palette.size(); ++i) {
        colors[static_cast<size_t>(i)] = GifColorType{static_cast<GifByteType>(qRed(palette[i])),
                                                      static_cast<GifByteType>(qGreen(palette[i])),
                                                      static_cast<GifByteType>(qBlue(palette[i]))};
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    int error = 0;
    GifFileType* gif = EGifOpen(&file, WriteToSaveFile, &error);
    if (!gif) {
        file.cancelWriting();
        return false;
    }
    EGifSetGifVersion(gif, true);
    ColorMapObject* map = GifMakeMapObject(1 << bits, colors.data());
    const int width = indexed.width(), height = indexed.height();
    bool ok = map && EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    // EGifPutLine masks the pixels in place, so it gets the image's own
    // (detached) lines.
    for (int y = 0; ok && y < height; ++y)
        ok = EGifPutLine(gif, indexed.scanLine(y), width) == GIF_OK;
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    if (!ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool ResizeImageFile(const QString& source, const QString& target, double scaleX, double scaleY) {
    QImage picture;
    if (source.isEmpty() || !picture.load(source))
        return false;
    const int width = ScaledLength(picture.width(), scaleX);
    const int height = ScaledLength(picture.height(), scaleY);
    if (qint64(width) * height > kLargestPixelCount)
        return false;
    const QImage scaled = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (scaled.isNull())
        return false;
    if (target.isEmpty())
        return true;
    if (target.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive))
        return SaveImageAsGif(scaled, target);
    return SaveImageAsJpeg(scaled, target);
}
