#pragma once
#include <QString>

// One MMS frame. The MMS sender reads the picture, the sound and the text;
// the playing time is the editor's.
struct MMSCONTENT {
    QString playTime;
    QString picturePath;  // empty: no picture
    QString soundPath;    // empty: no sound
    QString text;         // empty: no text
};
