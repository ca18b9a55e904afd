#include "core/compress.h"

#include <QFile>

#include <zlib.h>

#include <vector>

namespace {

constexpr qint64 kBlock = 64 * 1024;

bool WriteAll(QFile& out, const unsigned char* data, qint64 n) {
    return n == 0 || out.write(reinterpret_cast<const char*>(data), n) == n;
}

// Ends with the target removed unless `ok`.
bool Finish(QFile& out, bool ok) {
    if (ok && !out.flush())
        ok = false;
    out.close();
    if (!ok)
        QFile::remove(out.fileName());
    return ok;
}

} // namespace

bool CompressFile(const QString& target, const QString& source) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly) || in.size() == 0)
        return false;
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;

    // compress() is deflateInit at the default level, then the whole input
    // with Z_FINISH. Without flushes deflate's output does not depend on how
    // the input arrives, so block-wise feeding gives the same bytes.
    z_stream zs{};
    if (deflateInit(&zs, Z_DEFAULT_COMPRESSION) != Z_OK)
        return Finish(out, false);
    std::vector<unsigned char> inBuf(kBlock), outBuf(kBlock);
    bool ok = true;
    int flush = Z_NO_FLUSH;
    while (ok && flush != Z_FINISH) {
        const qint64 n = in.read(reinterpret_cast<char*>(inBuf.data()), kBlock);
        if (n < 0) {
            ok = false;
            break;
        }
        flush = in.atEnd() || n == 0 ? Z_FINISH : Z_NO_FLUSH;
        zs.next_in = inBuf.data();
        zs.avail_in = static_cast<uInt>(n);
        int rc = Z_OK;
        do {
            zs.next_out = outBuf.data();
            zs.avail_out = static_cast<uInt>(outBuf.size());
            rc = deflate(&zs, flush);
            if (rc == Z_STREAM_ERROR ||
                !WriteAll(out, outBuf.data(), static_cast<qint64>(outBuf.size()) - zs.avail_out)) {
                ok = false;
                break;
            }
        } while (zs.avail_out == 0);
        if (ok && flush == Z_FINISH && rc != Z_STREAM_END)
            ok = false;
    }
    deflateEnd(&zs);
    return Finish(out, ok);
}

bool UncompressFile(const QString& source, const QString& target, qint64 maxCompressed, qint64 maxInflated) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const qint64 length = in.size();
    if (length <= 0 || length > maxCompressed)
        return false;
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;

    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return Finish(out, false);
    std::vector<unsigned char> inBuf(kBlock), outBuf(kBlock);
    qint64 inflated = 0;
    bool ok = true;
    bool ended = false;
    while (ok && !ended) {
        const qint64 n = in.read(reinterpret_cast<char*>(inBuf.data()), kBlock);
        if (n <= 0) {
            ok = false; // a read error, or the stream stops before its end
            break;
        }
        zs.next_in = inBuf.data();
        zs.avail_in = static_cast<uInt>(n);
        while (ok && !ended && (zs.avail_in > 0 || zs.avail_out == 0)) {
            zs.next_out = outBuf.data();
            zs.avail_out = static_cast<uInt>(outBuf.size());
            const int rc = inflate(&zs, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
                ok = false;
                break;
            }
            const qint64 produced = static_cast<qint64>(outBuf.size()) - zs.avail_out;
            inflated += produced;
            if (inflated > maxInflated || !WriteAll(out, outBuf.data(), produced)) {
                ok = false;
                break;
            }
            if (rc == Z_STREAM_END)
                ended = true;
            else if (rc == Z_BUF_ERROR)
                break; // needs more input
        }
    }
    // Bytes after the stream's end make it something else than a copy.
    if (ended && (zs.avail_in > 0 || !in.atEnd()))
        ok = false;
    inflateEnd(&zs);
    return Finish(out, ok && ended);
}
