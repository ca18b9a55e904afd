#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"
#include "updater/exe_icon.h"
#include "updater/ico_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const QString kNoIcons = QStringLiteral("程序文件中没有图标，所以无须替换。");

QString Fixture(const char* name) {
    return QStringLiteral(UPDATER_FIXTURE_DIR "/") + QLatin1String(name);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void Put16(QByteArray& b, qsizetype at, uint32_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}
void Put32(QByteArray& b, qsizetype at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}
uint32_t Get32(const QByteArray& b, qsizetype at) {
    const auto* p = reinterpret_cast<const uint8_t*>(b.constData() + at);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
QByteArray Le16(uint32_t v) {
    QByteArray b(2, '\0');
    Put16(b, 0, v);
    return b;
}
QByteArray Le32(uint32_t v) {
    QByteArray b(4, '\0');
    Put32(b, 0, v);
    return b;
}

// One classic icon image: BITMAPINFOHEADER, palette, colour and mask bits,
// each byte drawn from `seed` so images of the same shape differ.
QByteArray IconImage(int width, int height, int bits, int seed, uint32_t colorsUsed = 0,
                     uint32_t compression = 0) {
    int entries = bits <= 8 ? (colorsUsed ? int(colorsUsed) : 1 << bits) : 0;
    if (compression == 3) {
        entries = 3;
    }
    QByteArray b;
    b += Le32(40) + Le32(width) + Le32(height * 2) + Le16(1) + Le16(bits) + Le32(compression) + Le32(0) +
         Le32(0) + Le32(0) + Le32(colorsUsed) + Le32(0);
    for (int i = 0; i < entries * 4; ++i) {
        b += char(i * 7 + seed);
    }
    const int stride = (bits * width + 31) / 32 * 4;
    const int maskStride = (width + 31) / 32 * 4;
    for (int i = 0; i < stride * height; ++i) {
        b += char(i * 31 + seed);
    }
    for (int i = 0; i < maskStride * height; ++i) {
        b += char(0x0F ^ seed);
    }
    return b;
}

// An .ico holding `images`; with `reversed` their bytes lie in the file in
// the opposite order of the directory, with a gap before each.
QByteArray IcoFile(const std::vector<QByteArray>& images, bool reversed = false) {
    QByteArray directory;
    QByteArray data;
    const int start = 6 + 16 * int(images.size());
    std::vector<int> offsets(images.size());
    for (size_t k = 0; k < images.size(); ++k) {
        const size_t i = reversed ? images.size() - 1 - k : k;
        data += QByteArray(reversed ? 5 : 0, '\xEE');
        offsets[i] = start + int(data.size());
        data += images[i];
    }
    for (size_t i = 0; i < images.size(); ++i) {
        const QByteArray& img = images[i];
        directory += char(img.size() >= 8 ? Get32(img, 4) : 0);
        directory += char(img.size() >= 12 ? Get32(img, 8) / 2 : 0);
        directory += QByteArray(2, '\0') + Le16(1) + Le16(img.size() >= 16 ? uint8_t(img[14]) : 0) +
                     Le32(uint32_t(img.size())) + Le32(uint32_t(offsets[i]));
    }
    return Le16(0) + Le16(1) + Le16(uint32_t(images.size())) + directory + data;
}

// The image blocks of an .ico as the file holds them, found through its
// directory (independent of the reader under test).
std::vector<QByteArray> IcoImages(const QByteArray& ico) {
    std::vector<QByteArray> out;
    const int count = uint8_t(ico[4]) | (uint8_t(ico[5]) << 8);
    for (int i = 0; i < count; ++i) {
        out.push_back(ico.mid(Get32(ico, 6 + 16 * i + 12), Get32(ico, 6 + 16 * i + 8)));
    }
    return out;
}

const QByteArray kPng("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);

// A minimal PE image with one section, ".rsrc", whose resource tree leads
// root -> icons (id 3) -> id 1 -> language -> data entry -> `image`, with
// `extraLevels` more directories before the data entry. The offsets let a
// test damage one field.
struct BuiltPe {
    QByteArray bytes;
    qsizetype peHeader = 0x40;
    qsizetype optional = 0;
    qsizetype resourceEntry = 0; // data directory entry 2
    qsizetype section = 0;       // the section header
    qsizetype rsrc = 0x200;      // file position of the resource section
    // Offsets inside the resource section.
    qsizetype root = 0, typeDir = 0, nameDir = 0, dataEntry = 0, image = 0;
};

BuiltPe BuildPe(bool pe64, const QByteArray& image, int extraLevels = 0, int fanOut = 1) {
    BuiltPe pe;
    const uint32_t rva = 0x1000;
    QByteArray rsrc;
    // Every entry of a directory below the root leads to the same next one.
    auto directory = [&rsrc](int entries, uint32_t id, uint32_t target) {
        rsrc += Le32(0) + Le32(0) + Le16(0) + Le16(0) + Le16(0) + Le16(uint32_t(entries));
        for (int i = 0; i < entries; ++i) {
            rsrc += Le32(id + uint32_t(i)) + Le32(target);
        }
    };
    const int dirs = 3 + extraLevels;
    const qsizetype dirSize = 16 + 8 * fanOut;
    auto dirAt = [&](int level) { return level == 0 ? qsizetype(0) : 24 + (level - 1) * dirSize; };
    pe.typeDir = dirAt(1);
    pe.nameDir = dirAt(2);
    pe.dataEntry = dirAt(dirs);
    pe.image = pe.dataEntry + 16;
    directory(1, 3, 0x80000000u | uint32_t(pe.typeDir));
    for (int i = 1; i < dirs; ++i) {
        const uint32_t next = i + 1 < dirs ? 0x80000000u | uint32_t(dirAt(i + 1)) : uint32_t(pe.dataEntry);
        directory(fanOut, i == 2 ? 0x409 : 1, next);
    }
    rsrc += Le32(rva + uint32_t(pe.image)) + Le32(uint32_t(image.size())) + Le32(0) + Le32(0);
    rsrc += image;

    QByteArray b(0x200, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 60, uint32_t(pe.peHeader));
    b.replace(pe.peHeader, 4, QByteArray("PE\0\0", 4));
    const qsizetype coff = pe.peHeader + 4;
    const uint32_t optionalSize = pe64 ? 240 : 224;
    Put16(b, coff, pe64 ? 0x8664 : 0x14C);
    Put16(b, coff + 2, 1);
    Put16(b, coff + 16, optionalSize);
    pe.optional = coff + 20;
    Put16(b, pe.optional, pe64 ? 0x20B : 0x10B);
    Put32(b, pe.optional + (pe64 ? 108 : 92), 16);
    pe.resourceEntry = pe.optional + (pe64 ? 112 : 96) + 2 * 8;
    Put32(b, pe.resourceEntry, rva);
    Put32(b, pe.resourceEntry + 4, uint32_t(rsrc.size()));
    pe.section = pe.optional + optionalSize;
    b.replace(pe.section, 5, QByteArray(".rsrc"));
    const uint32_t raw = (uint32_t(rsrc.size()) + 0x1FF) & ~0x1FFu;
    Put32(b, pe.section + 8, uint32_t(rsrc.size()));
    Put32(b, pe.section + 12, rva);
    Put32(b, pe.section + 16, raw);
    Put32(b, pe.section + 20, uint32_t(pe.rsrc));
    b += rsrc + QByteArray(raw - rsrc.size(), '\0');
    pe.bytes = b;
    return pe;
}

// ------------------------------------------------------------------ reader

TEST(UpdaterIconFile, PaletteEntriesFollowBitCountCompressionAndColoursUsed) {
    struct Case {
        uint32_t used, compression;
        int bits, entries;
    } cases[] = {
        {0, 0, 1, 2},   {5, 0, 1, 2},  {0, 0, 4, 16}, {7, 0, 4, 7},    {0, 0, 8, 256}, {300, 0, 8, 300},
        {0, 0, 0, 0},   {9, 0, 0, 9},  {0, 0, 24, 0}, {12, 0, 24, 12}, {0, 3, 16, 3},  {0, 3, 32, 3},
        {40, 3, 32, 3}, {6, 1, 32, 6}, {6, 0, 32, 0}, {6, 0, 16, 0},   {6, 0, 2, 0},   {6, 0, 64, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CIcoFile::PaletteEntries(c.used, c.compression, c.bits), c.entries)
            << "bits " << c.bits << " used " << c.used << " compression " << c.compression;
    }
}

TEST(UpdaterIconFile, LoadsEachImageAsStoredAndFindsItByDepthAndSize) {
    const QByteArray file = ReadAll(Fixture("logo.ico"));
    const std::vector<QByteArray> stored = IcoImages(file);
    ASSERT_EQ(stored.size(), 3u);

    CIcoFile ico;
    ASSERT_TRUE(ico.Load(Fixture("logo.ico")));
    ASSERT_EQ(ico.ImageCount(), 3);
    struct Expect {
        int bits, width, entries, colorStride, maskStride;
    } expect[] = {{4, 16, 16, 8, 4}, {8, 32, 256, 32, 4}, {32, 48, 0, 192, 8}};
    for (int i = 0; i < 3; ++i) {
        const ICO_IMAGE& image = ico.Image(i);
        const Expect& e = expect[i];
        EXPECT_EQ(image.paletteEntries, e.entries);
        EXPECT_EQ(image.colorStride, e.colorStride);
        EXPECT_EQ(image.maskStride, e.maskStride);
        EXPECT_EQ(image.colorSize, e.colorStride * e.width);
        EXPECT_EQ(image.maskSize, e.maskStride * e.width);
        QByteArray blocks;
        blocks.append(reinterpret_cast<const char*>(image.header.data()), qsizetype(image.header.size()));
        blocks.append(reinterpret_cast<const char*>(image.colorBits.data()),
                      qsizetype(image.colorBits.size()));
        blocks.append(reinterpret_cast<const char*>(image.maskBits.data()), qsizetype(image.maskBits.size()));
        EXPECT_EQ(blocks, stored[size_t(i)]) << "image " << i;
        EXPECT_EQ(ico.FindImage(e.bits, e.width, e.width * 2), i);
    }
    EXPECT_EQ(ico.FindImage(8, 16, 32), -1); // size of one, depth of another
    EXPECT_EQ(ico.FindImage(4, 16, 16), -1); // the icon's height, not the header's
    EXPECT_EQ(ico.FindImage(32, 48, 96), 2);

    ico.Free();
    EXPECT_EQ(ico.ImageCount(), 0);
    EXPECT_EQ(ico.FindImage(4, 16, 32), -1);
}

// Images are read at their directory offsets: stored in reverse order with
// gaps they still load, and one that cannot be copied faithfully is skipped
// without taking the others with it.
TEST(UpdaterIconFile, SkipsImagesItCannotCopyAndReadsTheRestAtTheirOffsets) {
    const QByteArray good = IconImage(16, 16, 8, 3);
    struct Case {
        const char* name;
        QByteArray odd;
    } cases[] = {
        {"plain image", IconImage(24, 24, 4, 9)},
        {"PNG image", kPng + QByteArray(64, 'p')},
        {"width 2048", IconImage(2048, 1, 1, 1)},
        {"header height 4096", IconImage(1, 2048, 1, 1)},
        {"palette over 256", IconImage(4, 4, 8, 1, 257)},
        {"bit count 7",
         [] {
             QByteArray b = IconImage(4, 4, 8, 1);
             b[14] = 7;
             return b;
         }()},
        {"header size 124",
         [] {
             QByteArray b = IconImage(4, 4, 8, 1);
             b[0] = 124;
             return b;
         }()},
        {"height 0",
         [] {
             QByteArray b = IconImage(4, 4, 8, 1);
             Put32(b, 8, 0);
             return b;
         }()},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool reversed : {false, true}) {
            const QString path = dir.filePath(QStringLiteral("t.ico"));
            WriteAll(path, IcoFile({c.odd, good}, reversed));
            CIcoFile ico;
            ASSERT_TRUE(ico.Load(path)) << "reversed " << reversed;
            ASSERT_EQ(ico.ImageCount(), 2);
            EXPECT_EQ(ico.FindImage(8, 16, 32), 1);
            EXPECT_EQ(ico.Image(1).blockSize(), size_t(good.size()));
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(ico.Image(1).maskBits.data()),
                                 qsizetype(ico.Image(1).maskBits.size())),
                      good.right(ico.Image(1).maskSize));
            const bool plain = std::strcmp(c.name, "plain image") == 0;
            EXPECT_EQ(ico.Image(0).empty(), !plain);
        }
    }
}

TEST(UpdaterIconFile, RefusesFilesWhoseCountsSizesOrOffsetsLeaveTheFile) {
    const QByteArray good = IcoFile({IconImage(16, 16, 4, 1), IconImage(32, 32, 8, 2)});
    struct Case {
        const char* name;
        std::function<QByteArray()> make;
    } cases[] = {
        {"empty file", [] { return QByteArray(); }},
        {"truncated header", [&] { return good.left(4); }},
        {"directory cut short", [&] { return good.left(6 + 16 + 8); }},
        {"huge image count",
         [&] {
             QByteArray b = good;
             Put16(b, 4, 0xFFFF);
             return b;
         }},
        {"image offset past the end",
         [&] {
             QByteArray b = good;
             Put32(b, 6 + 16 + 12, 0xFFFFFFF0u);
             return b;
         }},
        {"image offset at the last byte",
         [&] {
             QByteArray b = good;
             Put32(b, 6 + 16 + 12, uint32_t(b.size() - 1));
             return b;
         }},
        {"bitmap cut short", [&] { return good.left(good.size() - 1); }},
        {"palette count past the end",
         [] {
             QByteArray image = IconImage(4, 4, 8, 1);
             Put32(image, 32, 200); // 200 entries declared, the file ends after 100
             return IcoFile({image.left(40 + 4 * 100)});
         }},
        {"cursor file",
         [&] {
             QByteArray b = good;
             Put16(b, 2, 2);
             return b;
         }},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.ico"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(path, c.make());
        CIcoFile ico;
        ASSERT_TRUE(ico.Load(Fixture("logo.ico")));
        EXPECT_FALSE(ico.Load(path));
        EXPECT_EQ(ico.ImageCount(), 0); // nothing of the earlier file stays
    }
    CIcoFile ico;
    EXPECT_FALSE(ico.Load(dir.filePath(QStringLiteral("missing.ico"))));
}

// ---------------------------------------------------------- replacement

// What tells a file unchanged: the same inode, size and time, and the same
// bytes where reading them is cheap (a sparse giant is not read).
struct FileState {
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    QByteArray bytes;
    bool operator==(const FileState& o) const {
        return exists == o.exists && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               bytes == o.bytes;
    }
};

FileState StateOf(const QString& path) {
    FileState state;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return state;
    }
    state.exists = true;
    state.inode = info.st_ino;
    state.size = info.st_size;
    state.modified = info.st_mtim;
    if (info.st_size < (1 << 20)) {
        state.bytes = ReadAll(path);
    }
    return state;
}

class UpdaterIconReplace : public ProgramFolderTest {
protected:
    QString Copy(const char* fixture, const QString& name) {
        const QString path = m_folder->file(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(Fixture(fixture), path));
        return path;
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_folder->file(name);
        WriteAll(path, bytes);
        return path;
    }
};

// The real executables: the two images logo.ico has in the same size and
// depth change to its bytes; the images of other depths, and every other byte,
// stay. The file keeps its size and mode and is a new file.
TEST_F(UpdaterIconReplace, OnlyTheMatchingImagesChangeInBothExecutableKinds) {
    const std::vector<QByteArray> own1 = IcoImages(ReadAll(Fixture("app1.ico")));
    const std::vector<QByteArray> own2 = IcoImages(ReadAll(Fixture("app2.ico")));
    const std::vector<QByteArray> logo = IcoImages(ReadAll(Fixture("logo.ico")));
    ASSERT_EQ(own1.size(), 2u);
    ASSERT_EQ(own2.size(), 2u);
    const QString ico = Copy("logo.ico", QStringLiteral("Logo.ico"));
    for (const char* fixture : {"icons32.exe", "icons64.exe"}) {
        SCOPED_TRACE(fixture);
        MessageBoxRecorder boxes;
        const QString exe = Copy(fixture, QStringLiteral("Program.exe"));
        ASSERT_EQ(::chmod(QFile::encodeName(exe).constData(), 0751), 0);
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(exe).constData(), &before), 0);
        const QByteArray original = ReadAll(exe);

        EXPECT_TRUE(ReplaceExeIcon(ico, exe));
        EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();

        const QByteArray after = ReadAll(exe);
        ASSERT_EQ(after.size(), original.size());
        QByteArray expected = original;
        for (int i = 0; i < 2; ++i) {
            const qsizetype at = original.indexOf(own1[size_t(i)]);
            ASSERT_GE(at, 0);
            ASSERT_EQ(logo[size_t(i)].size(), own1[size_t(i)].size());
            expected.replace(at, logo[size_t(i)].size(), logo[size_t(i)]);
        }
        EXPECT_TRUE(after == expected) << "bytes other than the matching images changed";
        for (const QByteArray& kept : own2) {
            EXPECT_EQ(after.indexOf(kept), original.indexOf(kept));
        }
        struct stat now {};
        ASSERT_EQ(::stat(QFile::encodeName(exe).constData(), &now), 0);
        EXPECT_EQ(now.st_mode & 07777, 0751u);
        EXPECT_NE(now.st_ino, before.st_ino) << "edited in place";
        EXPECT_FALSE(QFile::exists(exe + QStringLiteral(".Modified")));
    }
}

TEST_F(UpdaterIconReplace, AnExecutableWithoutResourcesIsLeftWithTheNoIconsBox) {
    MessageBoxRecorder boxes;
    const QString ico = Copy("logo.ico", QStringLiteral("Logo.ico"));
    const QString exe = Copy("plain32.exe", QStringLiteral("Plain.exe"));
    const QByteArray original = ReadAll(exe);
    EXPECT_FALSE(ReplaceExeIcon(ico, exe));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, kNoIcons);
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("warning"));
    EXPECT_EQ(boxes.shown()[0].type, mb::IconWarning | mb::Ok);
    EXPECT_EQ(ReadAll(exe), original);
    EXPECT_FALSE(QFile::exists(exe + QStringLiteral(".Modified")));
}

TEST_F(UpdaterIconReplace, EachFailureShowsItsTextAndLeavesTheExecutable) {
    const QString ico = Copy("logo.ico", QStringLiteral("Logo.ico"));
    const QString bad = Write(QStringLiteral("bad.ico"), QByteArray("\0\0\1\0\xFF\xFF", 6));
    struct Case {
        const char* name;
        QString exe;
        QString ico;
        std::function<void(const QString& exe)> prepare;
        QString text; // empty: no box
    } cases[] = {
        {"missing executable", m_folder->file(QStringLiteral("none.exe")), ico, nullptr,
         QStringLiteral("打开程序文件失败。")},
        {"unreadable .ico", Copy("icons32.exe", QStringLiteral("a.exe")), bad, nullptr,
         QStringLiteral("读取ICO文件失败。")},
        {"missing .ico", Copy("icons32.exe", QStringLiteral("b.exe")),
         m_folder->file(QStringLiteral("no.ico")), nullptr, QStringLiteral("读取ICO文件失败。")},
        {"copy cannot be written", Copy("icons64.exe", QStringLiteral("c.exe")), ico,
         [](const QString& exe) { QDir().mkpath(exe + QStringLiteral(".Modified/x")); },
         QStringLiteral("保存修改后的程序文件失败。")},
        // Larger than any executable is held in memory (a sparse file).
        {"executable over 1 GiB", Write(QStringLiteral("huge.exe"), QByteArray("MZ")), ico,
         [](const QString& exe) { ASSERT_TRUE(QFile::resize(exe, (qint64(1) << 30) + 1)); },
         QStringLiteral("内存不足。")},
        {"Linux executable",
         Write(QStringLiteral("Corvelane"), QByteArray("\x7F"
                                                       "ELF\2\1\1",
                                                       7) +
                                                QByteArray(200, 'x')),
         ico, nullptr, QString()},
        {"one byte", Write(QStringLiteral("one"), QByteArray("M")), ico, nullptr, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.prepare) {
            c.prepare(c.exe);
        }
        const FileState original = StateOf(c.exe);
        MessageBoxRecorder boxes;
        EXPECT_FALSE(ReplaceExeIcon(c.ico, c.exe));
        if (c.text.isEmpty()) {
            EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
        } else {
            ASSERT_EQ(boxes.shown().size(), 1u);
            EXPECT_EQ(boxes.shown()[0].text, c.text);
            EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("warning"));
            EXPECT_EQ(boxes.shown()[0].type & mb::IconMask, mb::IconWarning);
        }
        EXPECT_TRUE(StateOf(c.exe) == original);
    }
}

// Damaged executables, 32- and 64-bit: nothing is read or written outside
// the file, the walk ends, and only a sound tree has its image replaced.
TEST_F(UpdaterIconReplace, DamagedExecutablesNeitherCrashNorChange) {
    const QByteArray own = IconImage(16, 16, 4, 5);
    const QByteArray theirs = IconImage(16, 16, 4, 77);
    const QString ico = Write(QStringLiteral("Logo.ico"), IcoFile({IconImage(32, 32, 8, 1), theirs}));
    enum Outcome { Replaced, Unchanged, NoIcons };
    using Damage = std::function<void(BuiltPe&)>;
    auto res32 = [](BuiltPe& pe, qsizetype at, uint32_t v) { Put32(pe.bytes, pe.rsrc + at, v); };
    struct Case {
        const char* name;
        Damage damage;
        Outcome outcome;
        int extraLevels = 0;
        int fanOut = 1;
    } cases[] = {
        {"sound", [](BuiltPe&) {}, Replaced},
        {"one extra level", [](BuiltPe&) {}, Replaced, 1},
        {"two extra levels", [](BuiltPe&) {}, Unchanged, 2},
        // 3000 entries on each level all lead to one image: walked once each,
        // the tree is small; walked by path it would never end.
        {"shared subdirectories", [](BuiltPe&) {}, Replaced, 1, 3000},
        {"truncated headers", [](BuiltPe& pe) { pe.bytes.truncate(100); }, NoIcons},
        {"cut before the section table", [](BuiltPe& pe) { pe.bytes.truncate(pe.section + 20); }, NoIcons},
        {"resource section cut short", [](BuiltPe& pe) { pe.bytes.truncate(pe.rsrc + pe.image + 20); },
         Unchanged},
        {"e_lfanew past the end", [](BuiltPe& pe) { Put32(pe.bytes, 60, 0xFFFFFFF0u); }, NoIcons},
        {"e_lfanew near the end", [](BuiltPe& pe) { Put32(pe.bytes, 60, uint32_t(pe.bytes.size() - 6)); },
         NoIcons},
        {"bad signature", [](BuiltPe& pe) { pe.bytes[pe.peHeader + 1] = 'X'; }, NoIcons},
        {"unknown optional header", [](BuiltPe& pe) { Put16(pe.bytes, pe.optional, 0x107); }, NoIcons},
        {"optional header past the end", [](BuiltPe& pe) { Put16(pe.bytes, pe.peHeader + 20, 0xFFFF); },
         NoIcons},
        {"optional header too small", [](BuiltPe& pe) { Put16(pe.bytes, pe.peHeader + 20, 100); }, NoIcons},
        {"two data directories",
         [](BuiltPe& pe) {
             const bool pe64 = uint8_t(pe.bytes[pe.optional + 1]) == 2;
             Put32(pe.bytes, pe.optional + (pe64 ? 108 : 92), 2);
         },
         NoIcons},
        {"huge section count", [](BuiltPe& pe) { Put16(pe.bytes, pe.peHeader + 6, 0xFFFF); }, NoIcons},
        {"no resource entry", [](BuiltPe& pe) { Put32(pe.bytes, pe.resourceEntry, 0); }, NoIcons},
        {"resource RVA in no section", [](BuiltPe& pe) { Put32(pe.bytes, pe.resourceEntry, 0x9000); },
         NoIcons},
        {"resource RVA at the top", [](BuiltPe& pe) { Put32(pe.bytes, pe.resourceEntry, 0xFFFFFFF8u); },
         NoIcons},
        {"section data past the end", [](BuiltPe& pe) { Put32(pe.bytes, pe.section + 20, 0x7FFFFFF0u); },
         NoIcons},
        {"section data huge",
         [](BuiltPe& pe) {
             Put32(pe.bytes, pe.section + 8, 0);
             Put32(pe.bytes, pe.section + 16, 0xFFFFFFF0u);
         },
         Replaced},
        {"resources smaller than the root", [](BuiltPe& pe) { Put32(pe.bytes, pe.resourceEntry + 4, 8); },
         NoIcons},
        {"resources end before the image table",
         [](BuiltPe& pe) { Put32(pe.bytes, pe.resourceEntry + 4, 40); }, Unchanged},
        {"no icon type", [&](BuiltPe& pe) { res32(pe, pe.root + 16, 14); }, NoIcons},
        {"icon type as a data entry", [&](BuiltPe& pe) { res32(pe, pe.root + 20, uint32_t(pe.dataEntry)); },
         NoIcons},
        {"huge root count", [&](BuiltPe& pe) { Put16(pe.bytes, pe.rsrc + pe.root + 14, 0xFFFF); }, NoIcons},
        {"huge named count", [&](BuiltPe& pe) { Put16(pe.bytes, pe.rsrc + pe.typeDir + 12, 0xFFFF); },
         Unchanged},
        {"directory pointing at itself", [&](BuiltPe& pe) { res32(pe, pe.typeDir + 20, 0x80000000u | 24); },
         Unchanged},
        {"directory pointing at the root", [&](BuiltPe& pe) { res32(pe, pe.nameDir + 20, 0x80000000u); },
         Unchanged},
        {"icon type pointing at the root", [&](BuiltPe& pe) { res32(pe, pe.root + 20, 0x80000000u); },
         Unchanged},
        {"subdirectory past the end", [&](BuiltPe& pe) { res32(pe, pe.typeDir + 20, 0xFFFFFFF0u); },
         Unchanged},
        {"data entry past the end", [&](BuiltPe& pe) { res32(pe, pe.nameDir + 20, 0x7FFFFFF0u); }, Unchanged},
        {"data RVA past the end", [&](BuiltPe& pe) { res32(pe, pe.dataEntry, 0x7FFFFFF0u); }, Unchanged},
        {"data RVA wraps", [&](BuiltPe& pe) { res32(pe, pe.dataEntry, 0xFFFFFFF0u); }, Unchanged},
        {"data size huge", [&](BuiltPe& pe) { res32(pe, pe.dataEntry + 4, 0xFFFFFF00u); }, Unchanged},
        {"image larger than its entry",
         [&](BuiltPe& pe) { res32(pe, pe.dataEntry + 4, uint32_t(own.size() - 1)); }, Unchanged},
        {"entry smaller than a header", [&](BuiltPe& pe) { res32(pe, pe.dataEntry + 4, 39); }, Unchanged},
        {"PNG image", [&](BuiltPe& pe) { pe.bytes.replace(pe.rsrc + pe.image, kPng.size(), kPng); },
         Unchanged},
    };
    for (bool pe64 : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (pe64 ? " (PE32+)" : " (PE32)"));
            BuiltPe pe = BuildPe(pe64, own, c.extraLevels, c.fanOut);
            c.damage(pe);
            const QString exe = Write(QStringLiteral("Damaged.exe"), pe.bytes);
            MessageBoxRecorder boxes;
            const bool rewritten = ReplaceExeIcon(ico, exe);
            const QByteArray after = ReadAll(exe);
            EXPECT_FALSE(QFile::exists(exe + QStringLiteral(".Modified")));
            switch (c.outcome) {
            case Replaced:
                EXPECT_TRUE(rewritten);
                EXPECT_TRUE(boxes.texts().isEmpty());
                EXPECT_EQ(after.mid(pe.rsrc + pe.image, theirs.size()), theirs);
                EXPECT_EQ(after.left(pe.rsrc + pe.image), pe.bytes.left(pe.rsrc + pe.image));
                break;
            case Unchanged:
                EXPECT_TRUE(rewritten);
                EXPECT_TRUE(boxes.texts().isEmpty());
                EXPECT_TRUE(after == pe.bytes);
                break;
            case NoIcons:
                EXPECT_FALSE(rewritten);
                EXPECT_EQ(boxes.texts(), QStringList{kNoIcons});
                EXPECT_TRUE(after == pe.bytes);
                break;
            }
        }
    }
    // A block that does not fit is left and said so.
    EXPECT_TRUE(
        runLog().contains(QStringLiteral("do not fit its resource of ") + QString::number(own.size() - 1)))
        << runLog().toStdString();
}

// ----------------------------------------------------------------- logo

TEST(UpdaterIconLogo, TheLargestImageBecomesThePng) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray ico;
        int size; // 0: no PNG
    } cases[] = {
        {"fixture, largest last", ReadAll(Fixture("logo.ico")), 48},
        {"largest first",
         IcoFile({IconImage(40, 40, 32, 1), IconImage(16, 16, 4, 2), IconImage(32, 32, 8, 3)}), 40},
        {"largest between",
         IcoFile({IconImage(16, 16, 8, 1), IconImage(64, 64, 4, 2), IconImage(24, 24, 32, 3)}), 64},
        {"not an icon", QByteArray("not an icon at all"), 0},
        {"empty", QByteArray(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString ico = dir.filePath(QStringLiteral("Logo.ico"));
        const QString png = dir.filePath(QStringLiteral("Logo.png"));
        QFile::remove(png);
        WriteAll(ico, c.ico);
        EXPECT_EQ(MakeLogoPng(ico, png), c.size != 0);
        if (c.size == 0) {
            EXPECT_FALSE(QFile::exists(png));
            continue;
        }
        QImageReader reader(png);
        EXPECT_EQ(reader.format(), QByteArray("png"));
        const QImage image = reader.read();
        EXPECT_EQ(image.size(), QSize(c.size, c.size));
    }
}

} // namespace
