#pragma once
// The small copies of MMS pictures that the phone panes show: where they live,
// how large a picture is shown, and how it is decoded without ever holding a
// huge picture in memory.
#include <QImage>
#include <QSize>
#include <QString>

// The longest side a picture is shown with on a phone pane.
constexpr int kPanePictureSide = 130;

// "<program folder>/Kestrow/PreviewPic".
QString PreviewFolder();

// Where the preview of `source` lives. A picture that already lies in the
// preview folder (a picture the editor made) is its own preview and is never
// replaced or deleted. Any other picture gets "<hash>_<file name>" in the
// preview folder, the hash taken over its full path, so two pictures of the
// same name in different folders never share a preview.
QString PreviewPathFor(const QString& source);

// The size a picture of `original` size is shown with: unchanged when both
// sides are at most 130 (or for a GIF), else scaled by the smaller of
// 130 / width and 130 / height (whole pixels, at least 1).
QSize ShownPictureSize(const QSize& original, bool gif);

// Decodes `path` at most `box` large (aspect kept), asking the decoder for the
// smaller size where it can decode scaled (JPEG) and staying within Qt's
// allocation limit. A null image when the file is unreadable or too large.
QImage LoadPictureScaled(const QString& path, const QSize& box);

// What was made for a picture shown on a pane.
struct PanePicture {
    QString shownPath;  // the file the pane shows (the preview file, or the source in place)
    QSize originalSize; // empty when the picture could not be read
    QSize shownSize;    // the size it is shown with (the original size when unreadable: scale 1)
    bool gif = false;   // shown through a movie (animated GIFs play)
};

// Makes the preview of `source`: creates the preview folder, and unless the
// source already lies there, writes its preview through a temporary file and
// a rename: a GIF or a small picture copied as it is, a larger one scaled to
// ShownPictureSize. An unreadable picture is copied as it is and shown at
// scale 1. The pane shows `shownPath`.
PanePicture PreparePanePicture(const QString& source);
