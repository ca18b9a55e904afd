// The .mms file: its layout byte for byte, loading files built here byte by
// byte, hostile files refused before anything is written, and a seeded
// mutation run over valid files.
#include "channels/mms_file.h"

#include "platform/encoding.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QByteArray U32(quint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

QByteArray Utf16(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

// One frame as stored: lengths, then the parts.
QByteArray Frame(const QByteArray& picture, const QByteArray& sound, const QString& text) {
    const QByteArray t = Utf16(text);
    return U32(static_cast<quint32>(picture.size())) + U32(static_cast<quint32>(sound.size())) +
           U32(static_cast<quint32>(t.size())) + picture + sound + t;
}

// A short tagged title (below 255 characters).
QByteArray ShortTitle(const QString& title) {
    return QByteArray("\xFF\xFE\xFF", 3) + char(title.size()) + Utf16(title);
}

QByteArray Bytes(int n, char seed) {
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = static_cast<char>(seed + i * 7);
    return b;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file under `root`, relative, sorted.
QStringList FilesUnder(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

class MmsArchive : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString mms() const { return m_dir.filePath(QStringLiteral("MMS")); }
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path(name);
    }
    QTemporaryDir m_dir;
};

TEST_F(MmsArchive, ExportWritesTheLayoutByteForByte) {
    const QByteArray picture = Bytes(1000, 3);
    const QByteArray sound = Bytes(37, 9);
    const QString pic = write(QStringLiteral("a.jpg"), picture);
    const QString snd = write(QStringLiteral("b.amr"), sound);
    const std::vector<MMSCONTENT> frames = {
        {QStringLiteral("5"), QString(), QString(), Q("只有文字")},             // text only
        {QString(), pic, QString(), QString()},                                 // picture only
        {QString(), pic, snd, QStringLiteral("x")},                             // all three
        {QString(), path(QStringLiteral("missing.jpg")), QString(), QString()}, // left out: P 0
    };
    ASSERT_TRUE(ExportMms(path(QStringLiteral("out.mms")), Q("主题"), frames));

    const QByteArray expected =
        ShortTitle(Q("主题")) + Frame({}, {}, Q("只有文字")) + Frame(".jpg" + picture, {}, QString()) +
        Frame(".jpg" + picture, ".amr" + sound, QStringLiteral("x")) + Frame({}, {}, QString());
    const QByteArray actual = ReadAll(path(QStringLiteral("out.mms")));
    EXPECT_EQ(actual.toHex(), expected.toHex());
    // The second frame's P is the file size plus the 4 extension bytes.
    const int second = ShortTitle(Q("主题")).size() + Frame({}, {}, Q("只有文字")).size();
    EXPECT_EQ(actual.mid(second, 4), U32(1004));
    EXPECT_EQ(actual.mid(second + 12, 4), QByteArray(".jpg"));
    // No temporary file is left beside the export.
    EXPECT_EQ(FilesUnder(m_dir.path()), (QStringList{"a.jpg", "b.amr", "out.mms"}));
}

TEST_F(MmsArchive, TitleLengthTiersRoundTrip) {
    struct Case {
        int characters;
        QByteArray prefix; // after 0xFF 0xFE 0xFF
    };
    const Case cases[] = {
        {0, QByteArray("\x00", 1)},
        {254, QByteArray("\xFE", 1)},
        {255, QByteArray("\xFF\xFF\x00", 3)},
        {300, QByteArray("\xFF\x2C\x01", 3)},
        {65533, QByteArray("\xFF\xFD\xFF", 3)},
        {65534, QByteArray("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
        {70000, QByteArray("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
    };
    for (const Case& c : cases) {
        QString title;
        for (int i = 0; i < c.characters; ++i)
            title += QChar(i % 2 ? u'题' : u'a');
        const QByteArray bytes = MmsTitleBytes(title);
        EXPECT_EQ(bytes.left(3 + c.prefix.size()).toHex(), (QByteArray("\xFF\xFE\xFF", 3) + c.prefix).toHex())
            << c.characters;
        EXPECT_EQ(bytes.size(), 3 + c.prefix.size() + 2 * c.characters) << c.characters;

        // A file built byte by byte with one text frame loads the title back.
        const QString file = write(QStringLiteral("t.mms"), bytes + Frame({}, {}, QStringLiteral("t")));
        QString loadedTitle;
        std::vector<MMSCONTENT> frames;
        ASSERT_TRUE(ImportMms(file, &loadedTitle, &frames, mms())) << c.characters;
        EXPECT_EQ(loadedTitle, title) << c.characters;
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].text, QStringLiteral("t"));
    }
}

TEST_F(MmsArchive, UntaggedTitlesReadAsCodePage936) {
    const std::string gbk = enc::ToGbk(Q("彩信模板"));
    const QByteArray text(gbk.data(), static_cast<int>(gbk.size()));
    const QByteArray longText = text.repeated(40); // 320 bytes: the word tier
    struct Case {
        QByteArray head;
        QString title;
    };
    const Case cases[] = {
        {char(text.size()) + text, Q("彩信模板")},
        {QByteArray("\xFF", 1) + char(longText.size() & 0xFF) + char(longText.size() >> 8) + longText,
         Q("彩信模板").repeated(40)},
    };
    for (const Case& c : cases) {
        const QString file = write(QStringLiteral("u.mms"), c.head + Frame({}, {}, QStringLiteral("t")));
        QString title;
        std::vector<MMSCONTENT> frames;
        ASSERT_TRUE(ImportMms(file, &title, &frames, mms()));
        EXPECT_EQ(title, c.title);
    }
}

TEST_F(MmsArchive, LoadingWritesEachPartOnceUnderMms) {
    const QByteArray picture = Bytes(5000, 1), sound = Bytes(300, 2);
    QByteArray file = ShortTitle(QStringLiteral("t"));
    for (int i = 0; i < 10; ++i)
        file += Frame(".jpg" + picture, i == 9 ? ".mid" + sound : QByteArray(), QStringLiteral("f%1").arg(i));
    const QString source = write(QStringLiteral("ten.mms"), file);

    std::vector<MMSCONTENT> first, second;
    QString title;
    ASSERT_TRUE(ImportMms(source, &title, &first, mms()));
    ASSERT_TRUE(ImportMms(source, &title, &second, mms()));
    ASSERT_EQ(first.size(), 10u);
    ASSERT_EQ(second.size(), 10u);
    std::set<QString> names;
    for (const auto* frames : {&first, &second}) {
        for (size_t i = 0; i < frames->size(); ++i) {
            const MMSCONTENT& f = (*frames)[i];
            EXPECT_EQ(QFileInfo(f.picturePath).absolutePath(), QFileInfo(mms()).absoluteFilePath());
            EXPECT_TRUE(f.picturePath.endsWith(QLatin1String(".jpg")));
            EXPECT_EQ(ReadAll(f.picturePath), picture);
            EXPECT_EQ(f.text, QStringLiteral("f%1").arg(i));
            names.insert(f.picturePath);
            if (i == 9) {
                EXPECT_TRUE(f.soundPath.endsWith(QLatin1String(".mid")));
                EXPECT_EQ(ReadAll(f.soundPath), sound);
                names.insert(f.soundPath);
            } else {
                EXPECT_TRUE(f.soundPath.isEmpty());
            }
        }
    }
    // Two imports, two sets of 11 files, no name shared, nothing else there.
    EXPECT_EQ(names.size(), 22u);
    EXPECT_EQ(FilesUnder(mms()).size(), 22);

    // And an export of what was loaded gives the same file again.
    ASSERT_TRUE(ExportMms(path(QStringLiteral("again.mms")), title, first));
    EXPECT_EQ(ReadAll(path(QStringLiteral("again.mms"))), file);
}

TEST_F(MmsArchive, TitleOnlyAndEndsAfterPictureLength) {
    const QByteArray title = ShortTitle(QStringLiteral("t"));
    const QByteArray one = Frame({}, {}, QStringLiteral("one"));
    struct Case {
        const char* name;
        QByteArray bytes;
        int frames; // -1: refused (no frame)
    };
    const Case cases[] = {
        {"title only", title, -1},
        {"ends after P", title + one + U32(1004), 1},
        {"ends after a zero P", title + one + U32(0), 1},
    };
    for (const Case& c : cases) {
        const QString file = write(QStringLiteral("c.mms"), c.bytes);
        QString loadedTitle = QStringLiteral("before");
        std::vector<MMSCONTENT> frames(2);
        const bool ok = ImportMms(file, &loadedTitle, &frames, mms());
        if (c.frames < 0) {
            EXPECT_FALSE(ok) << c.name;
            EXPECT_EQ(loadedTitle, QStringLiteral("before")) << c.name;
            EXPECT_EQ(frames.size(), 2u) << c.name;
        } else {
            ASSERT_TRUE(ok) << c.name;
            EXPECT_EQ(static_cast<int>(frames.size()), c.frames) << c.name;
            EXPECT_EQ(frames[0].text, QStringLiteral("one"));
        }
    }
    EXPECT_FALSE(ImportMms(path(QStringLiteral("nothing-here.mms")), nullptr, nullptr, mms()));
}

TEST_F(MmsArchive, HostileFilesAreRefusedBeforeAnythingIsWritten) {
    const QByteArray title = ShortTitle(QStringLiteral("t"));
    // A valid first frame with a picture: a refused file must not leave it.
    const QByteArray good = Frame(".jpg" + Bytes(100, 4), {}, QStringLiteral("ok"));
    QByteArray twentyOne = title;
    for (int i = 0; i < 21; ++i)
        twentyOne += Frame({}, {}, QStringLiteral("f"));
    QByteArray twenty = title;
    for (int i = 0; i < 20; ++i)
        twenty += Frame({}, {}, QStringLiteral("f"));

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"P beyond the file", title + good + U32(5000) + U32(0) + U32(0) + ".jpg" + Bytes(10, 1)},
        {"S beyond the file", title + good + U32(0) + U32(900) + U32(0) + ".amr"},
        {"T beyond the file", title + good + U32(0) + U32(0) + U32(40) + Utf16(QStringLiteral("ab"))},
        {"lengths summing past the end", title + good + U32(8) + U32(8) + U32(2) + ".jpgAAAA.amrBBBB"},
        {"huge P", title + good + U32(0xFFFFFFFFu) + U32(0) + U32(0)},
        {"odd T", title + good + U32(0) + U32(0) + U32(3) + "abc"},
        {"a 21st frame", twentyOne},
        {"extension with a slash", title + good + Frame("/../x" + Bytes(5, 1), {}, QString())},
        {"extension with a NUL", title + good + Frame(QByteArray("j\0pg", 4) + Bytes(5, 1), {}, QString())},
        {"extension with a blank", title + good + Frame(" jpg" + Bytes(5, 1), {}, QString())},
        {"sound extension not ASCII", title + good + Frame({}, "\xE5\x9B\xBEg" + Bytes(5, 1), QString())},
        {"part shorter than its extension", title + good + Frame(".jp", {}, QString())},
        {"2 bytes after a frame", title + good + QByteArray("\x01\x02", 2)},
        {"P and S only", title + good + U32(0) + U32(0)},
        {"title longer than the file", QByteArray("\xFF\xFE\xFF\x40", 4) + Utf16(QStringLiteral("ab"))},
        {"odd bytes of a UTF-16 title", QByteArray("\xFF\xFE\xFF\x02", 4) + "abc"},
        {"two UTF-16 markers",
         QByteArray("\xFF\xFE\xFF\xFF\xFE\xFF\x01", 7) + Utf16(QStringLiteral("a")) + good},
        {"64-bit title length", QByteArray("\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 10) + good},
        {"empty file", QByteArray()},
    };
    for (const Case& c : cases) {
        const QString file = write(QStringLiteral("h.mms"), c.bytes);
        QString loadedTitle = QStringLiteral("before");
        std::vector<MMSCONTENT> frames(1,
                                       MMSCONTENT{QString(), QString(), QString(), QStringLiteral("kept")});
        EXPECT_FALSE(ImportMms(file, &loadedTitle, &frames, mms())) << c.name;
        EXPECT_EQ(loadedTitle, QStringLiteral("before")) << c.name;
        ASSERT_EQ(frames.size(), 1u) << c.name;
        EXPECT_EQ(frames[0].text, QStringLiteral("kept")) << c.name;
        EXPECT_TRUE(FilesUnder(mms()).isEmpty()) << c.name;
    }
    // Twenty frames are the most, and are taken.
    std::vector<MMSCONTENT> frames;
    ASSERT_TRUE(ImportMms(write(QStringLiteral("20.mms"), twenty), nullptr, &frames, mms()));
    EXPECT_EQ(frames.size(), 20u);
}

TEST_F(MmsArchive, FileOverOneGibibyteIsRefusedUnread) {
    const QString file = path(QStringLiteral("big.mms"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ShortTitle(QStringLiteral("t")) + Frame({}, {}, QStringLiteral("x")));
        ASSERT_TRUE(f.resize(kMmsMaxFileBytes + 1)); // sparse: nothing is really stored
    }
    std::vector<MMSCONTENT> frames;
    EXPECT_FALSE(ImportMms(file, nullptr, &frames, mms()));
    EXPECT_TRUE(frames.empty());
}

TEST_F(MmsArchive, PartsThatCannotBeWrittenLeaveNothing) {
    // The part folder's place is taken by a file: no part can be written.
    write(QStringLiteral("MMS"), "not a folder");
    const QString file =
        write(QStringLiteral("p.mms"), ShortTitle(QStringLiteral("t")) + Frame({}, {}, QStringLiteral("a")) +
                                           Frame(".jpg" + Bytes(10, 1), {}, QString()));
    std::vector<MMSCONTENT> frames;
    EXPECT_FALSE(ImportMms(file, nullptr, &frames, mms()));
    EXPECT_TRUE(frames.empty());
    // An export to a folder that does not exist fails and creates nothing.
    EXPECT_FALSE(ExportMms(path(QStringLiteral("no/such/x.mms")), QStringLiteral("t"), frames));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("no"))));
}

// Mutations of valid files never crash the loader, and whatever it writes is
// a part file under MMS/, complete and named by a unique id and extension.
TEST_F(MmsArchive, SeededMutationsNeverWriteOutsideTheFolder) {
    const QString pic = write(QStringLiteral("src.jpg"), Bytes(700, 5));
    const QString snd = write(QStringLiteral("src.amr"), Bytes(90, 6));
    std::vector<QByteArray> valid;
    const std::vector<std::vector<MMSCONTENT>> sets = {
        {{QString(), pic, snd, QStringLiteral("hello")}},
        {{QString(), QString(), QString(), Q("文字")}, {QString(), pic, QString(), QString()}},
        {{QString(), QString(), snd, QString()},
         {QString(), pic, snd, QStringLiteral("x")},
         {QString(), QString(), QString(), QStringLiteral("last")}},
    };
    for (size_t i = 0; i < sets.size(); ++i) {
        const QString out = path(QStringLiteral("valid%1.mms").arg(i));
        ASSERT_TRUE(ExportMms(out, QStringLiteral("title %1").arg(i), sets[i]));
        valid.push_back(ReadAll(out));
    }
    const QStringList before = FilesUnder(m_dir.path());

    std::mt19937 random(20260311);
    const QString work = path(QStringLiteral("work.mms"));
    int loaded = 0;
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes = valid[random() % valid.size()];
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
            const int at = static_cast<int>(random() % static_cast<unsigned>(bytes.size()));
            switch (random() % 5) {
            case 0: // one byte changed
                bytes[at] = static_cast<char>(random());
                break;
            case 1: // cut short
                bytes.truncate(at);
                break;
            case 2: // bytes inserted
                bytes.insert(at, Bytes(1 + static_cast<int>(random() % 8), static_cast<char>(random())));
                break;
            case 3: // a length field made large
                bytes.replace(at, std::min<int>(4, static_cast<int>(bytes.size()) - at),
                              U32(static_cast<quint32>(random())));
                break;
            default: // a byte of an extension made "/"
                bytes[at] = '/';
                break;
            }
        }
        QFile::remove(work);
        write(QStringLiteral("work.mms"), bytes);
        const QStringList partsBefore = FilesUnder(mms());
        QString title;
        std::vector<MMSCONTENT> frames;
        if (ImportMms(work, &title, &frames, mms())) {
            ++loaded;
            for (const MMSCONTENT& f : frames)
                for (const QString& p : {f.picturePath, f.soundPath})
                    if (!p.isEmpty()) {
                        EXPECT_EQ(QFileInfo(p).absolutePath(), QFileInfo(mms()).absoluteFilePath()) << round;
                        EXPECT_TRUE(QFileInfo(p).isFile()) << round;
                        QFile::remove(p);
                    }
            EXPECT_TRUE(FilesUnder(mms()).isEmpty()) << "round " << round; // nothing beside the parts
        } else {
            EXPECT_EQ(FilesUnder(mms()), partsBefore) << "round " << round;
        }
    }
    EXPECT_GT(loaded, 0); // some mutations keep a file loadable (a changed text character)
    QStringList outside;
    for (const QString& f : FilesUnder(m_dir.path()))
        if (!f.startsWith(QLatin1String("MMS/")) && f != QLatin1String("work.mms"))
            outside << f;
    EXPECT_EQ(outside, before);
}

} // namespace
