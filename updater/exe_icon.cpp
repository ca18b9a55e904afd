#include "updater/exe_icon.h"

#include "core/log.h"
#include "platform/msgbox.h"
#include "updater/ico_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// An executable this large is not ours; holding it in memory is refused.
constexpr qint64 kMaxExeSize = qint64(1) << 30;
constexpr uint32_t kIconType = 3;
constexpr uint32_t kSubdirectoryFlag = 0x80000000u;
// Type, name and language: one more level is tolerated, deeper is a trap.
constexpr int kMaxResourceLevel = 4;
constexpr uint32_t kInfoHeaderSize = 40;

const char* const kContext = "ReplaceExeIcon";

void Warn(const char* text) {
    ShowMessageBox(QCoreApplication::translate(kContext, text), mb::IconWarning | mb::Ok,
                   QStringLiteral("warning"));
}

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct Section {
    uint32_t virtualAddress = 0;
    uint32_t extent = 0; // bytes of the section that are present in the file
    uint32_t rawOffset = 0;
};

// The executable in memory with what the walk needs to find its way.
struct PeResources {
    std::vector<uint8_t>& bytes;
    std::vector<Section> sections;
    uint32_t resourceRva = 0;
    uint32_t resourceSize = 0;
    std::set<uint32_t> visited;

    // The file position of `length` bytes at `rva`, when all of them lie in
    // one section's data in the file.
    bool RvaToOffset(uint64_t rva, uint64_t length, size_t& offset) const {
        for (const Section& s : sections) {
            if (rva < s.virtualAddress || rva - s.virtualAddress > s.extent) {
                continue;
            }
            const uint64_t inside = rva - s.virtualAddress;
            if (length > s.extent - inside) {
                continue;
            }
            const uint64_t position = uint64_t(s.rawOffset) + inside;
            if (position + length > bytes.size()) {
                return false;
            }
            offset = static_cast<size_t>(position);
            return true;
        }
        return false;
    }

    // `length` bytes at `dirOffset` of the resource section.
    const uint8_t* ResourceBytes(uint64_t dirOffset, uint64_t length) const {
        size_t position = 0;
        if (dirOffset + length > resourceSize ||
            !RvaToOffset(uint64_t(resourceRva) + dirOffset, length, position)) {
            return nullptr;
        }
        return bytes.data() + position;
    }
};

// Finds the resource directory of the PE image in `pe.bytes`; every field on
// the way is checked against the file.
bool LocateResources(PeResources& pe) {
    const std::vector<uint8_t>& b = pe.bytes;
    if (b.size() < 64) {
        return false;
    }
    const uint64_t peHeader = U32(b.data() + 60);
    if (peHeader + 24 > b.size() || std::memcmp(b.data() + peHeader, "PE\0\0", 4) != 0) {
        return false;
    }
    const uint16_t sectionCount = U16(b.data() + peHeader + 6);
    const uint16_t optionalSize = U16(b.data() + peHeader + 20);
    const uint64_t optional = peHeader + 24;
    if (optional + optionalSize > b.size() || optionalSize < 2) {
        return false;
    }
    uint64_t directories = 0;
    uint64_t directoryCount = 0;
    switch (U16(b.data() + optional)) {
    case 0x10B: // PE32
        directoryCount = 92;
        directories = 96;
        break;
    case 0x20B: // PE32+
        directoryCount = 108;
        directories = 112;
        break;
    default:
        return false;
    }
    // Entry 2 of the data directories: the resources.
    if (directories + 3 * 8 > optionalSize || U32(b.data() + optional + directoryCount) < 3) {
        return false;
    }
    pe.resourceRva = U32(b.data() + optional + directories + 16);
    pe.resourceSize = U32(b.data() + optional + directories + 20);
    if (pe.resourceRva == 0 || pe.resourceSize < 16) {
        return false;
    }
    const uint64_t table = optional + optionalSize;
    if (table + 40 * uint64_t(sectionCount) > b.size()) {
        return false;
    }
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint8_t* s = b.data() + table + 40 * i;
        const uint32_t virtualSize = U32(s + 8);
        Section section;
        section.virtualAddress = U32(s + 12);
        section.extent = U32(s + 16); // size of raw data
        if (virtualSize != 0 && virtualSize < section.extent) {
            section.extent = virtualSize; // the rest is file padding
        }
        section.rawOffset = U32(s + 20);
        pe.sections.push_back(section);
    }
    return pe.ResourceBytes(0, 16) != nullptr;
}

// Overwrites the image behind the data entry at `entryOffset` when the .ico
// has one of the same bit count, width and height that fits.
bool ReplaceImage(PeResources& pe, const CIcoFile& ico, uint32_t entryOffset) {
    const uint8_t* entry = pe.ResourceBytes(entryOffset, 16);
    if (entry == nullptr) {
        LogWrite(g_logRun, "ERROR,icon resource entry outside the resources: " + std::to_string(entryOffset));
        return false;
    }
    const uint32_t dataRva = U32(entry);
    const uint32_t dataSize = U32(entry + 4);
    size_t position = 0;
    if (dataSize < kInfoHeaderSize || !pe.RvaToOffset(dataRva, dataSize, position)) {
        return false; // not a classic bitmap image, or not inside the file
    }
    uint8_t* data = pe.bytes.data() + position;
    const int width = static_cast<int32_t>(U32(data + 4));
    const int height = static_cast<int32_t>(U32(data + 8));
    const int bitCount = U16(data + 14);
    if (U32(data) != kInfoHeaderSize) {
        return false; // a PNG image or another header layout
    }
    const int index = ico.FindImage(bitCount, width, height);
    if (index < 0) {
        return false;
    }
    const ICO_IMAGE& image = ico.Image(index);
    if (image.blockSize() > dataSize) {
        LogWrite(g_logRun, "INFO,icon image " + std::to_string(width) + "x" + std::to_string(height / 2) +
                               " " + std::to_string(bitCount) +
                               " bits not replaced: " + std::to_string(image.blockSize()) +
                               " bytes do not fit its resource of " + std::to_string(dataSize));
        return false;
    }
    std::memcpy(data, image.header.data(), image.header.size());
    data += image.header.size();
    std::memcpy(data, image.colorBits.data(), image.colorBits.size());
    data += image.colorBits.size();
    std::memcpy(data, image.maskBits.data(), image.maskBits.size());
    return true;
}

// Walks the resource directory at `dirOffset` (relative to the resource
// section), `level` deep (the root is 1), and replaces the icon images below
// it. Every directory is walked once, so a loop in the tree ends.
int ReplaceIconResources(PeResources& pe, const CIcoFile& ico, uint32_t dirOffset, int level) {
    if (level > kMaxResourceLevel) {
        LogWrite(g_logRun, "ERROR,icon resources nested too deep at " + std::to_string(dirOffset));
        return 0;
    }
    if (!pe.visited.insert(dirOffset).second) {
        LogWrite(g_logRun, "ERROR,icon resource directory visited twice: " + std::to_string(dirOffset));
        return 0;
    }
    const uint8_t* header = pe.ResourceBytes(dirOffset, 16);
    if (header == nullptr) {
        LogWrite(g_logRun,
                 "ERROR,icon resource directory outside the resources: " + std::to_string(dirOffset));
        return 0;
    }
    const uint32_t count = uint32_t(U16(header + 12)) + U16(header + 14); // named and id entries alike
    if (pe.ResourceBytes(uint64_t(dirOffset) + 16, 8 * uint64_t(count)) == nullptr) {
        LogWrite(g_logRun,
                 "ERROR,icon resource directory runs past the resources: " + std::to_string(dirOffset));
        return 0;
    }
    int replaced = 0;
    for (uint32_t i = 0; i < count; ++i) {
        // Read again each time: a replaced image may not, but could, lie in the table.
        const uint8_t* entry = pe.ResourceBytes(uint64_t(dirOffset) + 16 + 8 * uint64_t(i), 8);
        const uint32_t target = U32(entry + 4);
        if (target & kSubdirectoryFlag) {
            replaced += ReplaceIconResources(pe, ico, target & ~kSubdirectoryFlag, level + 1);
        } else if (ReplaceImage(pe, ico, target)) {
            ++replaced;
        }
    }
    return replaced;
}

// Writes `bytes` to a new file at `path` with `mode`, flushed to disk. A
// file or link already there is removed first, never written through.
bool WriteNewFile(const QString& path, const std::vector<uint8_t>& bytes, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    if (::unlink(name.constData()) != 0 && errno != ENOENT) {
        return false;
    }
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        if (ok) {
            done += static_cast<size_t>(n);
        }
    }
    ok = ok && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(name.constData());
    }
    return ok;
}

} // namespace

bool ReplaceExeIcon(const QString& icoPath, const QString& exePath) {
    QFile in(exePath);
    if (!in.open(QIODevice::ReadOnly)) {
        Warn(QT_TRANSLATE_NOOP("ReplaceExeIcon", "打开程序文件失败。"));
        return false;
    }
    // Only a Windows executable carries icon resources; the Linux program
    // gets its icon from the desktop entry.
    char magic[2] = {};
    if (in.read(magic, 2) != 2 || magic[0] != 'M' || magic[1] != 'Z') {
        return false;
    }
    const qint64 size = in.size();
    std::vector<uint8_t> bytes;
    try {
        if (size > kMaxExeSize) {
            throw std::bad_alloc();
        }
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        Warn(QT_TRANSLATE_NOOP("ReplaceExeIcon", "内存不足。"));
        return false;
    }
    if (!in.seek(0) || in.read(reinterpret_cast<char*>(bytes.data()), size) != size) {
        return false;
    }
    struct stat info {};
    if (::fstat(in.handle(), &info) != 0) {
        return false;
    }
    in.close();

    CIcoFile ico;
    if (!ico.Load(icoPath)) {
        Warn(QT_TRANSLATE_NOOP("ReplaceExeIcon", "读取ICO文件失败。"));
        return false;
    }

    PeResources pe{bytes, {}, 0, 0, {}};
    uint32_t iconDirectory = 0;
    bool found = false;
    if (LocateResources(pe)) {
        const uint8_t* root = pe.ResourceBytes(0, 16);
        const uint32_t count = uint32_t(U16(root + 12)) + U16(root + 14);
        const uint8_t* entries = pe.ResourceBytes(16, 8 * uint64_t(count));
        for (uint32_t i = 0; entries != nullptr && i < count && !found; ++i) {
            const uint32_t id = U32(entries + 8 * i);
            const uint32_t target = U32(entries + 8 * i + 4);
            if (id == kIconType && (target & kSubdirectoryFlag)) {
                iconDirectory = target & ~kSubdirectoryFlag;
                found = true;
            }
        }
    }
    if (!found) {
        Warn(QT_TRANSLATE_NOOP("ReplaceExeIcon", "程序文件中没有图标，所以无须替换。"));
        return false;
    }
    pe.visited.insert(0);
    const int replaced = ReplaceIconResources(pe, ico, iconDirectory, 2);
    LogWrite(g_logRun, "INFO,icon images replaced: " + std::to_string(replaced) + "," + LogEscape(exePath));
    ico.Free();

    const QString modified = exePath + QStringLiteral(".Modified");
    if (!WriteNewFile(modified, bytes, info.st_mode & 07777)) {
        Warn(QT_TRANSLATE_NOOP("ReplaceExeIcon", "保存修改后的程序文件失败。"));
        return false;
    }
    if (::rename(QFile::encodeName(modified).constData(), QFile::encodeName(exePath).constData()) != 0) {
        Warn(QT_TRANSLATE_NOOP("ReplaceExeIcon", "替换程序文件失败。"));
        return false;
    }
    return true;
}

bool MakeLogoPng(const QString& icoPath, const QString& pngPath) {
    QImageReader reader(icoPath, "ico");
    const int count = reader.imageCount();
    QImage best;
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i)) {
            break;
        }
        const QImage image = reader.read();
        if (!image.isNull() &&
            qint64(image.width()) * image.height() > qint64(best.width()) * best.height()) {
            best = image;
        }
    }
    if (best.isNull()) {
        return false;
    }
    QSaveFile out(pngPath);
    return out.open(QIODevice::WriteOnly) && best.save(&out, "PNG") && out.commit();
}
