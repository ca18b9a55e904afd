// The pictures of MMS frames without a window: their previews, the size
// checks of a message, and the picture editor's names, sizes and crops.
#include "channels/mms_checks.h"
#include "channels/mms_preview_files.h"
#include "channels/picture_editing.h"
#include "channels/picture_helpers.h"
#include "core/paths.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <sys/resource.h>

namespace {

QString WriteJpeg(const QString& path, int width, int height) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_TRUE(PositionPicture(width, height).save(path, "JPEG", 90)) << path.toStdString();
    return path;
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A real small JPEG whose frame header claims 60,000 × 60,000 pixels.
QByteArray HugeHeaderJpeg() {
    QByteArray bytes;
    {
        QImage small = PositionPicture(16, 16);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        small.save(&buffer, "JPEG");
    }
    for (int i = 0; i + 8 < bytes.size(); ++i) {
        const auto marker = static_cast<unsigned char>(bytes[i + 1]);
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            const quint16 side = 60000;
            bytes[i + 5] = char(side >> 8);
            bytes[i + 6] = char(side & 0xFF);
            bytes[i + 7] = char(side >> 8);
            bytes[i + 8] = char(side & 0xFF);
            return bytes;
        }
    }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class MmsFramePreview : public ::testing::Test {
protected:
    ProgramFolder m_folder;
    void SetUp() override { SetAppDirectory(m_folder.path()); }
    void TearDown() override { SetAppDirectory(QString()); }
};

} // namespace

TEST_F(MmsFramePreview, LargePicturesAreScaledSmallOnesAndGifsCopied) {
    struct Case {
        const char* name;
        QSize size;
        QSize shown;
    };
    const Case cases[] = {
        {"wide.jpg", {200, 100}, {130, 65}},    {"tall.jpg", {90, 300}, {39, 130}},
        {"square.jpg", {120, 120}, {120, 120}}, {"edge.jpg", {130, 130}, {130, 130}},
        {"big.gif", {300, 200}, {300, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = m_folder.file(QStringLiteral("pics/") + QLatin1String(c.name));
        QDir().mkpath(m_folder.file(QStringLiteral("pics")));
        const QImage pattern = PositionPicture(c.size.width(), c.size.height());
        ASSERT_TRUE(source.endsWith(QLatin1String(".gif")) ? SaveImageAsGif(pattern, source)
                                                           : pattern.save(source));
        const PanePicture picture = PreparePanePicture(source);
        EXPECT_EQ(picture.originalSize, c.size);
        EXPECT_EQ(picture.shownSize, c.shown);
        EXPECT_EQ(picture.shownPath, PreviewPathFor(source));
        EXPECT_TRUE(picture.shownPath.startsWith(PreviewFolder() + QLatin1Char('/')));
        EXPECT_EQ(QImageReader(picture.shownPath).size(), c.shown);
        if (c.shown == c.size) { // shown unscaled: the file itself
            EXPECT_EQ(ReadFileBytes(picture.shownPath), ReadFileBytes(source));
        }
    }
}

TEST_F(MmsFramePreview, PicturesOfOneNameInTwoFoldersKeepTheirOwnPreviews) {
    const QString first = m_folder.file(QStringLiteral("one/a.jpg"));
    const QString second = m_folder.file(QStringLiteral("two/a.jpg"));
    WriteJpeg(first, 200, 100);
    WriteJpeg(second, 100, 200);
    EXPECT_NE(PreviewPathFor(first), PreviewPathFor(second));
    EXPECT_TRUE(PreviewPathFor(first).endsWith(QLatin1String("_a.jpg")));
    // The same path always gives the same preview, however it is written.
    EXPECT_EQ(PreviewPathFor(first), PreviewPathFor(m_folder.file(QStringLiteral("one/./a.jpg"))));

    const PanePicture a = PreparePanePicture(first);
    const PanePicture b = PreparePanePicture(second);
    EXPECT_EQ(QImageReader(a.shownPath).size(), QSize(130, 65));
    EXPECT_EQ(QImageReader(b.shownPath).size(), QSize(65, 130));
    // Shown again after the source changed: the preview follows it.
    WriteJpeg(first, 120, 60);
    EXPECT_EQ(QImageReader(PreparePanePicture(first).shownPath).size(), QSize(120, 60));
}

TEST_F(MmsFramePreview, PictureInThePreviewFolderIsShownInPlaceAndKept) {
    QDir().mkpath(PreviewFolder());
    for (const QSize size : {QSize(176, 130), QSize(100, 80)}) {
        const QString edited = PreviewFolder() + QStringLiteral("/0_photo.jpg");
        WriteJpeg(edited, size.width(), size.height());
        const QByteArray before = ReadFileBytes(edited);
        for (int time = 0; time < 2; ++time) {
            const PanePicture picture = PreparePanePicture(edited);
            EXPECT_EQ(picture.shownPath, QFileInfo(edited).absoluteFilePath());
        }
        EXPECT_EQ(ReadFileBytes(edited), before);
        EXPECT_EQ(QDir(PreviewFolder()).entryList(QDir::Files).size(), 1);
        QFile::remove(edited);
    }
}

TEST_F(MmsFramePreview, UnreadableAndForgedPicturesAreHarmless) {
    const QString garbage = m_folder.file(QStringLiteral("pics/broken.jpg"));
    WriteBytes(garbage, "not a picture at all");
    const PanePicture broken = PreparePanePicture(garbage);
    EXPECT_FALSE(broken.shownSize.isValid());
    EXPECT_EQ(ReadFileBytes(broken.shownPath), ReadFileBytes(garbage));

    const QString huge = m_folder.file(QStringLiteral("pics/huge.jpg"));
    WriteBytes(huge, HugeHeaderJpeg());
    ASSERT_EQ(QImageReader(huge).size(), QSize(60000, 60000));
    const long before = PeakResidentKiB();
    const PanePicture forged = PreparePanePicture(huge);
    const QImage scaled = LoadPictureScaled(huge, QSize(130, 130));
    EXPECT_FALSE(LoadEditablePicture(huge).has_value());
    // Decoding at the shown size: never the 14 GB a whole decode would take.
    EXPECT_LT(PeakResidentKiB() - before, 512L * 1024);
    EXPECT_FALSE(forged.shownPath.isEmpty());
    if (!scaled.isNull()) {
        EXPECT_LE(scaled.width(), 130);
        EXPECT_LE(scaled.height(), 130);
    }
}

TEST(MmsPreviewSizes, ProblemsAreNamedByFrameAndTheWholeMessageLast) {
    ProgramFolder folder;
    const QString small = folder.file(QStringLiteral("small.jpg"));
    const QString big = folder.file(QStringLiteral("big.jpg"));
    const QString sound = folder.file(QStringLiteral("s.amr"));
    const QString bigSound = folder.file(QStringLiteral("big.mid"));
    WriteBytes(small, QByteArray(1000, 'p'));
    WriteBytes(big, QByteArray(60000, 'p'));
    WriteBytes(sound, QByteArray(2000, 's'));
    WriteBytes(bigSound, QByteArray(51201, 's'));
    const QString missing = folder.file(QStringLiteral("gone.jpg"));
    const QString missingSound = folder.file(QStringLiteral("gone.amr"));

    struct Case {
        const char* what;
        std::vector<MMSCONTENT> frames;
        qint64 limit;
        qint64 total;
        QStringList problems;
    };
    const Case cases[] = {
        {"text counts code page 936 bytes", {{{}, {}, {}, QStringLiteral("中文ab")}}, 51200, 6, {}},
        {"within the limit", {{{}, small, sound, QStringLiteral("a")}, {{}, small, {}, {}}}, 51200, 4001, {}},
        {"a big picture in frame 2",
         {{{}, small, {}, {}}, {{}, big, {}, {}}},
         51200,
         61000,
         {QStringLiteral("第2帧图片大小超过50K"), QStringLiteral("本条彩信超过50K")}},
        {"files that do not open",
         {{{}, missing, {}, {}}, {{}, {}, missingSound, QStringLiteral("x")}},
         51200,
         1,
         {QStringLiteral("第1帧图片文件打开失败"), QStringLiteral("第2帧声音文件打开失败")}},
        {"a big sound",
         {{{}, {}, bigSound, {}}},
         51200,
         51201,
         {QStringLiteral("第1帧声音文件大小超过50K"), QStringLiteral("本条彩信超过50K")}},
        {"only the sum is too big",
         {{{}, small, {}, {}}, {{}, small, {}, {}}, {{}, small, {}, {}}},
         2999,
         3000,
         {QStringLiteral("本条彩信超过2K")}},
        {"exactly at the limit", {{{}, small, {}, {}}}, 1000, 1000, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MmsSizeReport report = CheckMmsFiles(c.frames, c.limit, /*countText=*/true);
        EXPECT_EQ(report.totalBytes, c.total);
        EXPECT_EQ(QStringList(report.problems.begin(), report.problems.end()), c.problems);
    }
}

TEST(PictureEditorFiles, SidesAndPresets) {
    const std::pair<const char*, std::optional<int>> sides[] = {
        {"1", 1},
        {"999", 999},
        {" 42 ", 42},
        {"0", std::nullopt},
        {"1000", std::nullopt},
        {"-5", std::nullopt},
        {"", std::nullopt},
        {"12a", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& [text, side] : sides)
        EXPECT_EQ(ParsePictureSide(QString::fromUtf8(text)), side) << text;

    const std::pair<const char*, std::optional<QSize>> presets[] = {
        {"176*130", QSize(176, 130)}, {"230*230", QSize(230, 230)}, {"--常用规格--", std::nullopt},
        {"0*5", std::nullopt},        {"176*", std::nullopt},       {"1000*10", std::nullopt},
    };
    for (const auto& [text, size] : presets)
        EXPECT_EQ(ParseSizePreset(QString::fromUtf8(text)), size) << text;
}

TEST(PictureEditorFiles, NamesOfResizedAndCroppedPictures) {
    ProgramFolder folder;
    const QString dir = folder.path();
    const QString source = QStringLiteral("/elsewhere/photo.jpg");
    EXPECT_EQ(NextResizedPath(dir, source), dir + QStringLiteral("/0_photo.jpg"));
    WriteBytes(dir + QStringLiteral("/0_photo.jpg"), "x");
    WriteBytes(dir + QStringLiteral("/1_photo.jpg"), "x");
    WriteBytes(dir + QStringLiteral("/3_photo.jpg"), "x");
    EXPECT_EQ(NextResizedPath(dir, source), dir + QStringLiteral("/2_photo.jpg"));
    EXPECT_EQ(NextResizedPath(dir, source, 3), dir + QStringLiteral("/4_photo.jpg"));

    const std::pair<const char*, const char*> crops[] = {
        {"/p/a.jpg", "/p/a_0.jpg"},
        {"/p/a.b.gif", "/p/a.b_0.gif"},
        {"/p.q/a", "/p.q/a_0"},
        {"/p/0_a.JPG", "/p/0_a_0.JPG"},
    };
    for (const auto& [shown, saved] : crops)
        EXPECT_EQ(CroppedPathFor(QString::fromUtf8(shown)), QString::fromUtf8(saved));
}

TEST(PictureEditorFiles, CropTakesTheShownPixels) {
    const QImage source = PositionPicture(40, 30);
    // Zoom 1: exactly the source's pixels.
    EXPECT_EQ(CropShownPicture(source, 1.0, QRect(5, 6, 10, 8)), source.copy(5, 6, 10, 8));
    // No selection, or one outside the picture: the whole shown picture.
    EXPECT_EQ(CropShownPicture(source, 1.0, QRect()), source);
    EXPECT_EQ(CropShownPicture(source, 1.0, QRect(100, 100, 5, 5)), source);
    // Reaching past the edge: clipped to the picture.
    EXPECT_EQ(CropShownPicture(source, 1.0, QRect(30, 20, 50, 50)).size(), QSize(10, 10));
    // At zoom 2 the selection is in shown pixels.
    const QImage zoomed = CropShownPicture(source, 2.0, QRect(0, 0, 80, 60));
    EXPECT_EQ(zoomed.size(), QSize(80, 60));
    EXPECT_EQ(CropShownPicture(source, 0.5, QRect()).size(), QSize(20, 15));

    const QByteArray jpeg = EncodeJpeg(source);
    QImage back;
    ASSERT_TRUE(back.loadFromData(jpeg, "JPEG"));
    EXPECT_EQ(back.size(), source.size());
    EXPECT_TRUE(EncodeJpeg(QImage()).isEmpty());
}
