#include "channels/mms_file.h"

#include "core/helpers.h"
#include "core/log.h"
#include "core/paths.h"
#include "platform/encoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

// Parts are copied through a buffer of this size, never held whole.
constexpr qint64 kCopyChunk = 1 << 20;
constexpr int kExtensionBytes = 4;

void PutU8(QByteArray& out, quint8 v) {
    out.append(static_cast<char>(v));
}

void PutU16(QByteArray& out, quint16 v) {
    PutU8(out, static_cast<quint8>(v & 0xFF));
    PutU8(out, static_cast<quint8>(v >> 8));
}

void PutU32(QByteArray& out, quint32 v) {
    PutU16(out, static_cast<quint16>(v & 0xFFFF));
    PutU16(out, static_cast<quint16>(v >> 16));
}

bool IsExtensionByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
}

// The part's first 4 bytes: the last 4 bytes of the path in code page 936
// (".jpg"); a path shorter than that is filled with "." at the front.
QByteArray ExtensionOf(const QString& path) {
    const std::string gbk = enc::ToGbk(path);
    QByteArray ext = QByteArray::fromStdString(gbk).right(kExtensionBytes);
    while (ext.size() < kExtensionBytes)
        ext.prepend('.');
    return ext;
}

// Copies `count` bytes from `in` (at its position) to `out`.
bool CopyBytes(QIODevice& in, QIODevice& out, qint64 count) {
    QByteArray buffer;
    while (count > 0) {
        const qint64 want = std::min(count, kCopyChunk);
        buffer.resize(want);
        const qint64 got = in.read(buffer.data(), want);
        if (got <= 0)
            return false;
        if (out.write(buffer.constData(), got) != got)
            return false;
        count -= got;
    }
    return true;
}

// Reads exactly `count` bytes.
bool ReadExact(QIODevice& in, char* data, qint64 count) {
    while (count > 0) {
        const qint64 got = in.read(data, count);
        if (got <= 0)
            return false;
        data += got;
        count -= got;
    }
    return true;
}

class Reader {
public:
    Reader(QIODevice& in, qint64 size) : m_in(in), m_size(size) {}
    qint64 remaining() const { return m_size - m_in.pos(); }
    qint64 pos() const { return m_in.pos(); }
    bool u8(quint8* v) {
        char c;
        if (!ReadExact(m_in, &c, 1))
            return false;
        *v = static_cast<quint8>(c);
        return true;
    }
    bool u16(quint16* v) {
        unsigned char b[2];
        if (!ReadExact(m_in, reinterpret_cast<char*>(b), 2))
            return false;
        *v = static_cast<quint16>(b[0] | (b[1] << 8));
        return true;
    }
    bool u32(quint32* v) {
        unsigned char b[4];
        if (!ReadExact(m_in, reinterpret_cast<char*>(b), 4))
            return false;
        *v = static_cast<quint32>(b[0]) | (static_cast<quint32>(b[1]) << 8) |
             (static_cast<quint32>(b[2]) << 16) | (static_cast<quint32>(b[3]) << 24);
        return true;
    }
    bool bytes(QByteArray* out, qint64 count) {
        if (count < 0 || count > remaining())
            return false;
        out->resize(count);
        return ReadExact(m_in, out->data(), count);
    }
    bool skip(qint64 count) { return count >= 0 && count <= remaining() && m_in.seek(m_in.pos() + count); }

private:
    QIODevice& m_in;
    qint64 m_size;
};

// The framework's string length: a byte below 0xFF; else a word below
// 0xFFFE; else (0xFFFF) a dword below 0xFFFFFFFF. 0xFFFE marks UTF-16 and is
// followed by the length proper, once.
bool ReadTitle(Reader& r, QString* title) {
    bool unicode = false;
    quint32 length = 0;
    for (;;) {
        quint8 b = 0;
        if (!r.u8(&b))
            return false;
        if (b < 0xFF) {
            length = b;
            break;
        }
        quint16 w = 0;
        if (!r.u16(&w))
            return false;
        if (w == 0xFFFE) {
            if (unicode)
                return false; // a second marker: no file of ours
            unicode = true;
            continue;
        }
        if (w < 0xFFFF) {
            length = w;
            break;
        }
        quint32 d = 0;
        if (!r.u32(&d) || d == 0xFFFFFFFFu)
            return false; // a 64-bit length is beyond any file we load
        length = d;
        break;
    }
    const qint64 bytes = static_cast<qint64>(length) * (unicode ? 2 : 1);
    QByteArray data;
    if (!r.bytes(&data, bytes))
        return false;
    *title = unicode ? QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData()), length)
                     : enc::FromGbk(std::string_view(data.constData(), static_cast<size_t>(data.size())));
    return true;
}

// A part's length is 0 or holds at least its extension, whose bytes are
// letters, digits or ".".
bool CheckPart(Reader& r, QIODevice& in, quint32 length, qint64* offset) {
    *offset = r.pos();
    if (length == 0)
        return true;
    if (length < kExtensionBytes)
        return false;
    char ext[kExtensionBytes];
    if (!ReadExact(in, ext, kExtensionBytes))
        return false;
    for (char c : ext)
        if (!IsExtensionByte(c))
            return false;
    return r.skip(static_cast<qint64>(length) - kExtensionBytes);
}

} // namespace

QByteArray MmsTitleBytes(const QString& title) {
    QByteArray out;
    PutU8(out, 0xFF);
    PutU16(out, 0xFFFE);
    const qint64 n = title.size();
    if (n < 0xFF) {
        PutU8(out, static_cast<quint8>(n));
    } else {
        PutU8(out, 0xFF);
        if (n < 0xFFFE) {
            PutU16(out, static_cast<quint16>(n));
        } else {
            PutU16(out, 0xFFFF);
            PutU32(out, static_cast<quint32>(n));
        }
    }
    out.append(reinterpret_cast<const char*>(title.utf16()), n * 2);
    return out;
}

CMmsSerialize::CMmsSerialize(const QString& title, std::vector<MMSCONTENT>* frames)
    : m_title(title), m_frames(frames) {}

bool CMmsSerialize::Store(QIODevice& out) {
    m_stored.clear();
    if (out.write(MmsTitleBytes(m_title)) < 0)
        return false;
    if (!m_frames)
        return true;
    for (const MMSCONTENT& frame : *m_frames) {
        // The files stay open from their length to their bytes, so what is
        // written is what was measured.
        QFile picture(frame.picturePath), sound(frame.soundPath);
        const auto openPart = [](QFile& file, const QString& path) -> quint32 {
            if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
                return 0;
            const qint64 size = file.size();
            if (size < 0 || size > kMmsMaxFileBytes) {
                file.close();
                return 0;
            }
            return static_cast<quint32>(size + kExtensionBytes);
        };
        MMS_BIN bin;
        bin.pictureLength = openPart(picture, frame.picturePath);
        bin.soundLength = openPart(sound, frame.soundPath);
        bin.textLength = static_cast<quint32>(frame.text.size() * 2);
        bin.text = frame.text;
        QByteArray head;
        PutU32(head, bin.pictureLength);
        PutU32(head, bin.soundLength);
        PutU32(head, bin.textLength);
        if (out.write(head) != head.size())
            return false;
        const auto writePart = [&out](QFile& file, const QString& path, quint32 length) {
            if (length == 0)
                return true;
            const QByteArray ext = ExtensionOf(path);
            return out.write(ext) == ext.size() && CopyBytes(file, out, length - kExtensionBytes);
        };
        if (!writePart(picture, frame.picturePath, bin.pictureLength) ||
            !writePart(sound, frame.soundPath, bin.soundLength))
            return false;
        if (bin.textLength > 0 &&
            out.write(reinterpret_cast<const char*>(frame.text.utf16()), bin.textLength) != bin.textLength)
            return false;
        m_stored.push_back(std::move(bin));
    }
    return true;
}

bool CMmsSerialize::Parse(QIODevice& in) {
    m_stored.clear();
    const qint64 size = in.size();
    if (size < 0 || size > kMmsMaxFileBytes || !in.seek(0))
        return false;
    Reader r(in, size);
    if (!ReadTitle(r, &m_title))
        return false;
    while (r.remaining() > 0) {
        MMS_BIN bin;
        if (!r.u32(&bin.pictureLength))
            return false;
        if (r.remaining() == 0)
            break; // a file that ends after a picture length: the frames before it
        if (!r.u32(&bin.soundLength) || !r.u32(&bin.textLength))
            return false;
        if (static_cast<int>(m_stored.size()) == kMmsMaxFrames)
            return false;
        const qint64 whole = static_cast<qint64>(bin.pictureLength) + bin.soundLength + bin.textLength;
        if (whole > r.remaining() || bin.textLength % 2 != 0)
            return false;
        if (!CheckPart(r, in, bin.pictureLength, &bin.pictureOffset) ||
            !CheckPart(r, in, bin.soundLength, &bin.soundOffset))
            return false;
        QByteArray text;
        if (!r.bytes(&text, bin.textLength))
            return false;
        bin.text = QString::fromUtf16(reinterpret_cast<const char16_t*>(text.constData()), text.size() / 2);
        m_stored.push_back(std::move(bin));
    }
    return true;
}

bool CMmsSerialize::Load(QIODevice& in, const QString& mmsFolder) {
    if (!Parse(in)) {
        m_stored.clear();
        return false;
    }
    std::vector<MMSCONTENT> loaded;
    QStringList written;
    const auto undo = [&written] {
        for (const QString& file : written)
            QFile::remove(file);
        return false;
    };
    const auto writePart = [&](qint64 offset, quint32 length, QString* path) {
        if (length == 0)
            return true;
        char ext[kExtensionBytes];
        if (!in.seek(offset) || !ReadExact(in, ext, kExtensionBytes))
            return false;
        if (!QDir().mkpath(mmsFolder))
            return false;
        QString name;
        do
            name = QDir(mmsFolder).filePath(CreateUniqueId() + QString::fromLatin1(ext, kExtensionBytes));
        while (QFileInfo::exists(name));
        // A temporary file renamed once complete, so a part under its own
        // name is always whole. These are copies of a file the user still
        // has: no flush to the disk of their own.
        QTemporaryFile file(QDir(mmsFolder).filePath(QStringLiteral("part-XXXXXX.tmp")));
        if (!file.open() || !CopyBytes(in, file, length - kExtensionBytes) || !file.flush() ||
            !file.rename(name)) {
            LogWriteString(g_logRun, QStringLiteral("ERROR,导入彩信写文件失败:") + name);
            return false;
        }
        file.setAutoRemove(false);
        written << name;
        *path = name;
        return true;
    };
    for (const MMS_BIN& bin : m_stored) {
        MMSCONTENT frame;
        if (!writePart(bin.pictureOffset, bin.pictureLength, &frame.picturePath) ||
            !writePart(bin.soundOffset, bin.soundLength, &frame.soundPath))
            return undo();
        frame.text = bin.text;
        loaded.push_back(std::move(frame));
    }
    if (m_frames)
        m_frames->insert(m_frames->end(), loaded.begin(), loaded.end());
    return true;
}

QString MmsPartFolder() {
    return AppPath(QStringLiteral("MMS"));
}

bool ExportMms(const QString& path, const QString& title, const std::vector<MMSCONTENT>& frames) {
    std::vector<MMSCONTENT> copy = frames;
    CMmsSerialize serialize(title, &copy);
    // Written beside the target and renamed over it once complete, so an
    // existing file is only ever replaced by a whole one.
    const QFileInfo target(path);
    QTemporaryFile file(target.absolutePath() + QStringLiteral("/.export-XXXXXX.tmp"));
    if (!file.open() || !serialize.Store(file) || !file.flush())
        return false;
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(),
                            QFile::encodeName(target.absoluteFilePath()).toStdString(), error);
    if (error)
        return false;
    file.setAutoRemove(false);
    return true;
}

bool ImportMms(const QString& path, QString* title, std::vector<MMSCONTENT>* frames,
               const QString& mmsFolder) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    std::vector<MMSCONTENT> loaded;
    CMmsSerialize serialize(QString(), &loaded);
    if (!serialize.Load(file, mmsFolder) || loaded.empty())
        return false;
    if (title)
        *title = serialize.title();
    if (frames)
        *frames = std::move(loaded);
    return true;
}
