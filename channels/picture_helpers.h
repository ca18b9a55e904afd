#pragma once
// Picture helpers of the MMS and fax composers: a picture file scaled into
// another file, a picture saved as JPEG.
#include <QString>

class QImage;

// The JPEG quality every picture is saved with.
constexpr int kJpegQuality = 80;

// Loads `source`, scales it with smooth (high-quality) filtering to its width
// and height multiplied by `scaleX` and `scaleY` (truncated, at least 1
// pixel) and, when `target` is not empty, saves it there: as a GIF89a with a
// 256-colour palette when the target's name ends in ".gif" (any case), else
// as JPEG of quality 80. False when the source cannot be read, the scaled
// picture cannot be made (more than 64 million pixels are refused), or the
// target cannot be written.
bool ResizeImageFile(const QString& source, const QString& target, double scaleX, double scaleY);

// Saves `image` as JPEG of quality 80; false when it cannot be written.
bool SaveImageAsJpeg(const QImage& image, const QString& path);

// Saves `image` as a GIF89a through giflib, its colours reduced to a
// palette of at most 256 entries; false when it cannot be written.
bool SaveImageAsGif(const QImage& image, const QString& path);
