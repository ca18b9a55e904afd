#include "updater/ico_file.h"

#include <QFile>

#include <cstring>

namespace {

// Larger .ico files are not icons an OEM ships; refusing them bounds the memory.
constexpr qint64 kMaxIcoFileSize = 64 * 1024 * 1024;
constexpr size_t kInfoHeaderSize = 40;
constexpr int kMaxPaletteEntries = 256;
constexpr int kMaxWidth = 2047;
constexpr int kMaxHeaderHeight = 4095;

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int32_t I32(const uint8_t* p) {
    return static_cast<int32_t>(U32(p));
}

bool IsPng(const uint8_t* p, size_t available) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return available >= sizeof kSignature && std::memcmp(p, kSignature, sizeof kSignature) == 0;
}

bool SupportedBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

enum class ImageRead { Ok, Skipped, Broken };

// Reads the image at `offset` of `file` into `image`. An image this reader
// cannot copy faithfully (PNG, out-of-range dimensions, another header
// layout, a palette over 256 entries) is skipped; one whose blocks run past
// the end of the file breaks the whole file.
ImageRead ReadImage(const std::vector<uint8_t>& file, uint32_t offset, ICO_IMAGE& image) {
    image = ICO_IMAGE();
    const size_t size = file.size();
    if (offset >= size) {
        return ImageRead::Broken;
    }
    const uint8_t* p = file.data() + offset;
    const size_t available = size - offset;
    if (IsPng(p, available)) {
        return ImageRead::Skipped;
    }
    if (available < kInfoHeaderSize) {
        return ImageRead::Broken;
    }
    const uint32_t headerSize = U32(p);
    const int32_t width = I32(p + 4);
    const int32_t height = I32(p + 8);
    const int bitCount = U16(p + 14);
    const uint32_t compression = U32(p + 16);
    const uint32_t colorsUsed = U32(p + 32);
    if (headerSize != kInfoHeaderSize || width < 1 || width > kMaxWidth || height < 1 ||
        height > kMaxHeaderHeight || !SupportedBitCount(bitCount)) {
        return ImageRead::Skipped;
    }
    const int entries = CIcoFile::PaletteEntries(colorsUsed, compression, bitCount);
    if (entries < 0 || entries > kMaxPaletteEntries) {
        return ImageRead::Skipped;
    }
    const int rows = height / 2;
    const int colorStride = (bitCount * width + 31) / 32 * 4;
    const int maskStride = (width + 31) / 32 * 4;
    const size_t headerBlock = kInfoHeaderSize + 4 * static_cast<size_t>(entries);
    const size_t colorSize = static_cast<size_t>(colorStride) * rows;
    const size_t maskSize = static_cast<size_t>(maskStride) * rows;
    if (headerBlock + colorSize + maskSize > available) {
        return ImageRead::Broken;
    }
    image.paletteEntries = entries;
    image.colorStride = colorStride;
    image.maskStride = maskStride;
    image.colorSize = static_cast<int>(colorSize);
    image.maskSize = static_cast<int>(maskSize);
    image.header.assign(p, p + headerBlock);
    image.colorBits.assign(p + headerBlock, p + headerBlock + colorSize);
    image.maskBits.assign(p + headerBlock + colorSize, p + headerBlock + colorSize + maskSize);
    return ImageRead::Ok;
}

} // namespace

int ICO_IMAGE::width() const {
    return header.size() >= kInfoHeaderSize ? I32(header.data() + 4) : 0;
}
int ICO_IMAGE::height() const {
    return header.size() >= kInfoHeaderSize ? I32(header.data() + 8) : 0;
}
int ICO_IMAGE::bitCount() const {
    return header.size() >= kInfoHeaderSize ? U16(header.data() + 14) : 0;
}

CIcoFile::~CIcoFile() = default;

int CIcoFile::PaletteEntries(uint32_t colorsUsed, uint32_t compression, int bitCount) {
    // Anything above int's range is as good as "too many".
    const int used = colorsUsed > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(colorsUsed);
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
    case 8:
        return used != 0 ? used : 1 << bitCount;
    case 0:
    case 24:
        return used;
    case 16:
    case 32:
        if (compression == 3) { // bit fields: three colour masks
            return 3;
        }
        return compression != 0 ? used : 0;
    default:
        return 0;
    }
}

void CIcoFile::Free() {
    m_images.clear();
    m_entries.clear();
    m_header = ICO_HEADER();
}

bool CIcoFile::Load(const QString& path) {
    Free();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    const qint64 size = in.size();
    if (size < 6 || size > kMaxIcoFileSize) {
        return false;
    }
    std::vector<uint8_t> file(static_cast<size_t>(size));
    if (in.read(reinterpret_cast<char*>(file.data()), size) != size) {
        return false;
    }

    ICO_HEADER header;
    header.reserved = U16(file.data());
    header.type = U16(file.data() + 2);
    header.count = U16(file.data() + 4);
    if (header.reserved != 0 || header.type != 1) {
        return false;
    }
    if (6 + 16 * static_cast<size_t>(header.count) > file.size()) {
        return false;
    }
    std::vector<ICO_DIRENTRY> entries(header.count);
    std::vector<ICO_IMAGE> images(header.count);
    for (size_t i = 0; i < entries.size(); ++i) {
        const uint8_t* e = file.data() + 6 + 16 * i;
        ICO_DIRENTRY& entry = entries[i];
        entry.width = e[0];
        entry.height = e[1];
        entry.colorCount = e[2];
        entry.reserved = e[3];
        entry.planes = U16(e + 4);
        entry.bitCount = U16(e + 6);
        entry.bytesInRes = U32(e + 8);
        entry.imageOffset = U32(e + 12);
        // Each image is read where its entry says, not where the previous one ended.
        if (ReadImage(file, entry.imageOffset, images[i]) == ImageRead::Broken) {
            return false;
        }
    }
    m_header = header;
    m_entries = std::move(entries);
    m_images = std::move(images);
    return true;
}

int CIcoFile::FindImage(int bitCount, int width, int height) const {
    for (size_t i = 0; i < m_images.size(); ++i) {
        const ICO_IMAGE& image = m_images[i];
        if (!image.empty() && image.bitCount() == bitCount && image.width() == width &&
            image.height() == height) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
