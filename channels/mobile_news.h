#pragma once
// The mobile newspaper: one long text becomes the frames of a text-only MMS.
// A line that holds nothing but "**" separates two frames.
#include "channels/mms_file.h"

#include <QString>
#include <QStringList>

// The frames of `text`: the text is trimmed, "\r\n" and "\n" count alike,
// and every line that is exactly "**" ends a frame. Two separator lines in a
// row give an empty frame between them; a separator as the last line opens
// no frame yet (the user is about to type it). An empty text gives none.
QStringList SplitNewsFrames(const QString& text);
