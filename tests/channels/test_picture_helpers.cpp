#include "channels/picture_helpers.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Four solid quarters (red, green, blue, white) over a 40 x 30 picture, with
// a gradient stripe so there are far more than 256 colours to reduce.
QImage SamplePicture() {
    QImage image(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor color = x < 20 ? (y < 15 ? Qt::red : Qt::blue) : (y < 15 ? Qt::green : Qt::white);
            if (y == 14 || y == 15)
                color = QColor(x * 6, y * 8, (x * y) % 256);
            image.setPixel(x, y, color.rgb());
        }
    }
    return image;
}

QByteArray Head(const QString& path, int bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

bool Near(QRgb actual, QColor expected) {
    return std::abs(qRed(actual) - expected.red()) < 40 && std::abs(qGreen(actual) - expected.green()) < 40 &&
           std::abs(qBlue(actual) - expected.blue()) < 40;
}

TEST(FieldHelpers, ResizedGifIsGif89aOfTheScaledSize) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("source.gif"));
    ASSERT_TRUE(SaveImageAsGif(SamplePicture(), source));
    EXPECT_EQ(Head(source, 6), QByteArray("GIF89a"));

    const QString target = dir.filePath(QStringLiteral("scaled.GIF"));
    ASSERT_TRUE(ResizeImageFile(source, target, 0.5, 2.0));
    EXPECT_EQ(Head(target, 6), QByteArray("GIF89a"));
    QImage result(target);
    ASSERT_FALSE(result.isNull());
    EXPECT_EQ(result.size(), QSize(20, 60));
    // The palette keeps the colours where they were.
    EXPECT_TRUE(Near(result.pixel(2, 2), Qt::red));
    EXPECT_TRUE(Near(result.pixel(17, 57), Qt::white));
    EXPECT_TRUE(Near(result.pixel(2, 57), Qt::blue));
    EXPECT_TRUE(Near(result.pixel(17, 2), Qt::green));
    EXPECT_TRUE(Near(result.pixel(9, 3), Qt::red));
    EXPECT_TRUE(Near(result.pixel(11, 3), Qt::green));
}

TEST(FieldHelpers, ResizedSizeAndFormat) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("source.png"));
    ASSERT_TRUE(SamplePicture().save(source, "PNG"));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* target;
        double scaleX, scaleY;
        QSize size;
        QByteArray magic;
    };
    const QByteArray jpeg("\xFF\xD8\xFF"), gif("GIF89a");
    const Case cases[] = {
        {"tiny.jpg", 0.001, 0.001, {1, 1}, jpeg},  {"zero.gif", 0.0, 1.0, {1, 30}, gif},
        {"negative.jpg", -2.0, nan, {1, 1}, jpeg}, {"truncated.jpeg", 0.99, 0.51, {39, 15}, jpeg},
        {"other.png", 1.0, 1.0, {40, 30}, jpeg}, // every name but .gif is JPEG
        {"gif", 0.5, 0.5, {20, 15}, jpeg},         {"x.gifx", 0.5, 0.5, {20, 15}, jpeg},
        {"x.GiF", 2.0, 1.0, {80, 30}, gif},
    };
    for (const Case& c : cases) {
        const QString target = dir.filePath(QString::fromUtf8(c.target));
        ASSERT_TRUE(ResizeImageFile(source, target, c.scaleX, c.scaleY)) << c.target;
        EXPECT_EQ(Head(target, static_cast<int>(c.magic.size())), c.magic) << c.target;
        EXPECT_EQ(QImage(target).size(), c.size) << c.target;
    }
}

TEST(FieldHelpers, ResizeFailuresAreReported) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("source.png"));
    ASSERT_TRUE(SamplePicture().save(source, "PNG"));
    const QString notPicture = dir.filePath(QStringLiteral("text.jpg"));
    {
        QFile file(notPicture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
    }

    EXPECT_FALSE(ResizeImageFile(dir.filePath(QStringLiteral("missing.png")), dir.filePath("a.jpg"), 1, 1));
    EXPECT_FALSE(ResizeImageFile(notPicture, dir.filePath("b.jpg"), 1, 1));
    EXPECT_FALSE(ResizeImageFile(source, dir.filePath(QStringLiteral("no/such/folder/c.jpg")), 1, 1));
    EXPECT_FALSE(ResizeImageFile(source, dir.filePath(QStringLiteral("no/such/folder/c.gif")), 1, 1));
    EXPECT_FALSE(ResizeImageFile(source, dir.filePath(QStringLiteral("huge.jpg")), 1e9, 1e9));
    EXPECT_FALSE(QFile::exists(dir.filePath("a.jpg")));
    EXPECT_FALSE(QFile::exists(dir.filePath("b.jpg")));
    EXPECT_FALSE(QFile::exists(dir.filePath("huge.jpg")));

    // Without a target the picture is only scaled.
    EXPECT_TRUE(ResizeImageFile(source, QString(), 0.5, 0.5));

    EXPECT_FALSE(SaveImageAsJpeg(QImage(), dir.filePath("empty.jpg")));
    EXPECT_FALSE(SaveImageAsGif(QImage(), dir.filePath("empty.gif")));
    EXPECT_TRUE(SaveImageAsJpeg(SamplePicture(), dir.filePath("saved.jpg")));
    EXPECT_EQ(QImage(dir.filePath("saved.jpg")).size(), QSize(40, 30));
}

} // namespace
