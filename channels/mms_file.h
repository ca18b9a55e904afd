#pragma once
// The .mms file: an MMS (title and frames) carried between installations
// with the bytes of its pictures and sounds. Little-endian integers; the
// title in the Windows framework's string form; then per frame the picture
// part length P, the sound part length S and the text length T (u32 each),
// followed by the picture part, the sound part and the UTF-16 text. A part
// is the last 4 bytes of the file's path (its extension, ".jpg") and the
// file's bytes. No frame count and no trailer: frames run to the end.
//
// A file to load is hostile until checked: the whole structure is checked
// before anything is written, so a refused file leaves nothing behind.
#include "service/mms_content.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

// The most frames an MMS holds.
inline constexpr int kMmsMaxFrames = 20;
// The largest .mms file that is loaded.
inline constexpr qint64 kMmsMaxFileBytes = qint64(1) << 30;

// One frame as the file stores it (the lengths of its parts; the part bytes
// themselves are streamed, never held).
struct MMS_BIN {
    quint32 pictureLength = 0; // P: 4 extension bytes + the picture's bytes, 0 = none
    quint32 soundLength = 0;   // S
    quint32 textLength = 0;    // T: bytes of UTF-16 text (characters x 2)
    qint64 pictureOffset = 0;  // where the picture part begins in the file (loading)
    qint64 soundOffset = 0;
    QString text;
};

class CMmsSerialize {
public:
    // `frames` is the caller's (not owned): read when storing, appended to
    // when loading.
    CMmsSerialize(const QString& title, std::vector<MMSCONTENT>* frames);

    // Writes title and frames to `out`. A picture or sound that cannot be
    // opened is stored as no part (length 0). False when writing failed.
    bool Store(QIODevice& out);

    // Reads a whole file from `in` (random access): checks its structure
    // first, then writes each part to "<mmsFolder>/<CreateUniqueId()><ext>"
    // through a temporary file and a rename, then appends one frame per
    // stored frame to the caller's array and sets the title. False, with
    // nothing appended and no part file left, when the file is refused or a
    // part could not be written.
    bool Load(QIODevice& in, const QString& mmsFolder);

    const QString& title() const { return m_title; }
    const std::vector<MMS_BIN>& stored() const { return m_stored; }

private:
    bool Parse(QIODevice& in);

    QString m_title;
    std::vector<MMSCONTENT>* m_frames;
    std::vector<MMS_BIN> m_stored;
};

// The framework's string form of a title: byte 0xFF, word 0xFFFE, then the
// character count (a byte below 255; else 0xFF and a word below 0xFFFE;
// else 0xFF, word 0xFFFF and a dword), then the UTF-16 characters.
QByteArray MmsTitleBytes(const QString& title);

// The folder loaded parts go to: "MMS" under the program folder.
QString MmsPartFolder();

// Export: writes the .mms file at `path` through a temporary file and a
// rename (an existing file is replaced only by a complete one). The composer
// shows "导出本条彩信成功!" on true, "导出本条彩信失败!" on false.
bool ExportMms(const QString& path, const QString& title, const std::vector<MMSCONTENT>& frames);

// Import: loads `path`; on success `title` and `frames` are replaced by the
// file's (at least one frame) and true is returned. A file that cannot be
// opened, holds no frame or is refused gives false and leaves `title`,
// `frames` and the part folder as they were; the composer then shows
// "导入彩信失败!" and keeps its frames, else "导入彩信成功!".
bool ImportMms(const QString& path, QString* title, std::vector<MMSCONTENT>* frames,
               const QString& mmsFolder = MmsPartFolder());
