#pragma once
// A reader of .ico files that keeps each image's bitmap blocks as they are
// stored, so they can be copied byte for byte over the icon images inside an
// executable. Everything read is checked against the file: a damaged or
// hostile .ico is refused, never read past its end.
#include <QString>

#include <cstdint>
#include <vector>

// The 6-byte file header.
struct ICO_HEADER {
    uint16_t reserved = 0;
    uint16_t type = 0; // 1: icon
    uint16_t count = 0;
};

// One 16-byte directory entry.
struct ICO_DIRENTRY {
    uint8_t width = 0;
    uint8_t height = 0;
    uint8_t colorCount = 0;
    uint8_t reserved = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t bytesInRes = 0;
    uint32_t imageOffset = 0;
};

// One image, as stored: an image that was skipped (PNG, too large, an odd
// header) has empty blocks and matches nothing.
struct ICO_IMAGE {
    int paletteEntries = 0;
    int colorStride = 0;
    int maskStride = 0;
    int colorSize = 0;
    int maskSize = 0;
    std::vector<uint8_t> header; // BITMAPINFOHEADER (40 bytes) and the palette
    std::vector<uint8_t> colorBits;
    std::vector<uint8_t> maskBits;

    bool empty() const { return header.empty(); }
    int width() const;
    int height() const; // as in the header: twice the icon's height
    int bitCount() const;
    // Header and palette, colour bits and mask bits together.
    size_t blockSize() const { return header.size() + colorBits.size() + maskBits.size(); }
};

class CIcoFile {
public:
    CIcoFile() = default;
    virtual ~CIcoFile();
    CIcoFile(const CIcoFile&) = delete;
    CIcoFile& operator=(const CIcoFile&) = delete;

    // Frees what was loaded, then reads `path`. False when the file cannot be
    // opened or read, is not an icon file, or a count, size or offset points
    // outside it; nothing stays loaded then.
    bool Load(const QString& path);
    // The first image whose header has exactly this bit count, width and
    // header height, or -1.
    int FindImage(int bitCount, int width, int height) const;
    void Free();

    // Palette (or bit-field mask) entries that follow a BITMAPINFOHEADER.
    static int PaletteEntries(uint32_t colorsUsed, uint32_t compression, int bitCount);

    int ImageCount() const { return static_cast<int>(m_images.size()); }
    const ICO_IMAGE& Image(int index) const { return m_images.at(static_cast<size_t>(index)); }
    const ICO_HEADER& Header() const { return m_header; }
    const std::vector<ICO_DIRENTRY>& Entries() const { return m_entries; }

private:
    ICO_HEADER m_header;
    std::vector<ICO_DIRENTRY> m_entries;
    std::vector<ICO_IMAGE> m_images;
};
