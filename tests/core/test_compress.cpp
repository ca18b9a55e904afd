// Whole files as one zlib stream: the block-wise deflate gives the bytes of
// zlib's one-shot compress(), since other clients name a cloud copy by their
// digest; the inflate is bounded and takes only one complete stream.
#include "core/compress.h"
#include "core/ftp_transfer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <zlib.h>

namespace {

class CloudCopyCompress : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QByteArray OneShot(const QByteArray& bytes) {
        uLongf size = compressBound(static_cast<uLong>(bytes.size()));
        QByteArray out(static_cast<qsizetype>(size), '\0');
        EXPECT_EQ(compress(reinterpret_cast<Bytef*>(out.data()), &size,
                           reinterpret_cast<const Bytef*>(bytes.constData()),
                           static_cast<uLong>(bytes.size())),
                  Z_OK);
        out.resize(static_cast<qsizetype>(size));
        return out;
    }

    QTemporaryDir m_dir;
};

// Text that compresses, then noise that does not, so both kinds of block
// cross the 64 KiB read boundary.
QByteArray Sample(qsizetype size) {
    QByteArray bytes;
    bytes.reserve(size);
    QRandomGenerator random(7);
    for (qsizetype i = 0; i < size; ++i)
        bytes.append(i < size / 2 ? "张三,13800138000,北京\n"[i % 26] : char(random.generate() & 0xFF));
    return bytes;
}

TEST_F(CloudCopyCompress, StreamedDeflateEqualsOneShotCompress) {
    const qsizetype sizes[] = {1, 1000, 65535, 65536, 65537, 3 * 65536 + 17, 2 * 1024 * 1024};
    for (qsizetype size : sizes) {
        const QByteArray plain = Sample(size);
        write("plain", plain);
        ASSERT_TRUE(CompressFile(path("packed"), path("plain"))) << size;
        const QByteArray packed = read("packed");
        EXPECT_EQ(packed, OneShot(plain)) << size;
        ASSERT_TRUE(UncompressFile(path("packed"), path("again"))) << size;
        EXPECT_EQ(read("again"), plain) << size;
    }
    // An empty source is no copy: nothing is written.
    write("empty", QByteArray());
    EXPECT_FALSE(CompressFile(path("packed-empty"), path("empty")));
    EXPECT_FALSE(QFile::exists(path("packed-empty")));
    EXPECT_FALSE(CompressFile(path("packed-missing"), path("missing")));
}

TEST_F(CloudCopyCompress, InflateRefusesWhatIsNoBoundedCompleteStream) {
    const QByteArray plain = Sample(200000);
    const QByteArray packed = OneShot(plain);
    // 40 MiB of zeros: about 40 KiB packed, far over the inflated bound.
    const QByteArray bomb = OneShot(QByteArray(40 * 1024 * 1024, '\0'));
    ASSERT_LT(bomb.size(), 100 * 1024);
    struct Case {
        const char* what;
        QByteArray source;
        qint64 maxCompressed;
        qint64 maxInflated;
        bool ok;
    };
    const Case cases[] = {
        {"whole stream", packed, kCloudCopyMaxCompressedBytes, kCloudCopyMaxBytes, true},
        {"inflated exactly to the bound", packed, kCloudCopyMaxCompressedBytes, plain.size(), true},
        {"one byte over the inflated bound", packed, kCloudCopyMaxCompressedBytes, plain.size() - 1, false},
        {"bomb", bomb, kCloudCopyMaxCompressedBytes, kCloudCopyMaxBytes, false},
        {"compressed over its bound", packed, packed.size() - 1, kCloudCopyMaxBytes, false},
        {"empty", QByteArray(), kCloudCopyMaxCompressedBytes, kCloudCopyMaxBytes, false},
        {"cut short", packed.left(packed.size() / 2), kCloudCopyMaxCompressedBytes, kCloudCopyMaxBytes,
         false},
        {"bytes after the end", packed + "x", kCloudCopyMaxCompressedBytes, kCloudCopyMaxBytes, false},
        {"no zlib stream", QByteArray("SQLite format 3"), kCloudCopyMaxCompressedBytes, kCloudCopyMaxBytes,
         false},
    };
    for (const Case& c : cases) {
        write("source", c.source);
        QFile::remove(path("target"));
        EXPECT_EQ(UncompressFile(path("source"), path("target"), c.maxCompressed, c.maxInflated), c.ok)
            << c.what;
        // A failure leaves no part of the output behind.
        EXPECT_EQ(QFile::exists(path("target")), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(read("target"), plain) << c.what;
        }
    }
}

TEST(CloudCopyNames, FetchPatternMatchesWholeNames) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"SN1_*", "SN1_0123abcd.db", true},
        {"SN1_*", "SN1_", true},
        {"SN1_*", "SN10_0123.db", false},
        {"SN1_*", "xSN1_0123.db", false},
        {"SN1_*", "sn1_0123.db", false},
        {"SN1_*.*", "SN1_a.db", true},
        {"SN1_*.*", "SN1_adb", false},
        {"a*b*c", "aXXbYYbZc", true},
        {"a*b*c", "aXXbYYc.d", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FtpNameMatches(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)), c.matches)
            << c.pattern << " " << c.name;
}

} // namespace
