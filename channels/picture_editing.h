#pragma once
// The picture editor's work without a window: the sizes it accepts, the names
// it writes, the crop of the shown picture and the JPEG it saves.
#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <optional>

// A width or height typed into the editor: a whole number 1 to 999, else none.
std::optional<int> ParsePictureSide(const QString& text);

// A size preset "<width>*<height>" ("176*130"); none for anything else
// (the first entry "--常用规格--").
std::optional<QSize> ParseSizePreset(const QString& text);

// "<folder>/<n>_<file name of source>" with the smallest n from `firstN` on
// whose file does not exist yet.
QString NextResizedPath(const QString& folder, const QString& source, int firstN = 0);

// The saved crop's path: "_0" inserted before the last "." of the file name
// (appended when the name has none).
QString CroppedPathFor(const QString& shownPath);

// Loads a picture whole for editing, within Qt's allocation limit; none when
// it cannot be read or is too large.
std::optional<QImage> LoadEditablePicture(const QString& path);

// The picture as shown at `zoom` (smooth scaling, at least 1 × 1).
QImage ZoomedPicture(const QImage& picture, double zoom);

// The part of the picture shown at `zoom` under `selection` (in shown
// pixels, normalised and clipped to the shown picture); a null rectangle or
// one outside the picture gives the whole shown picture.
QImage CropShownPicture(const QImage& picture, double zoom, const QRect& selection);

// `image` as JPEG of quality 80, in memory; empty when it cannot be encoded.
QByteArray EncodeJpeg(const QImage& image);

// Writes `bytes` to `path` through a temporary file and a rename.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);
