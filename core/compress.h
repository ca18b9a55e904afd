#pragma once
// Whole files as one zlib stream (RFC 1950, not gzip): the form of the
// contacts' cloud copy. Both directions stream in blocks, so neither holds a
// file in memory, and the compressed bytes equal those of zlib's one-shot
// compress() at the default level: other clients name a copy by the digest
// of exactly those bytes.
#include <QString>
#include <QtGlobal>

// The largest copy database the cloud copy moves, inflated (30 MiB).
inline constexpr qint64 kCloudCopyMaxBytes = 31457280;
// The largest compressed copy a download accepts (3 MiB).
inline constexpr qint64 kCloudCopyMaxCompressedBytes = 3145728;

// Compresses the whole of `source` into `target` (replaced). False when a
// file cannot be opened, read or written, or `source` is empty; a failed
// target is removed.
bool CompressFile(const QString& target, const QString& source);

// Inflates the zlib stream in `source` into `target` (replaced). False, and
// no target left, when the source is empty or larger than `maxCompressed`
// bytes, when it is no complete zlib stream (or has bytes after its end),
// when its output would exceed `maxInflated` bytes, or on a file error.
// Output is counted as it comes: what the data claims is never trusted.
bool UncompressFile(const QString& source, const QString& target,
                    qint64 maxCompressed = kCloudCopyMaxCompressedBytes,
                    qint64 maxInflated = kCloudCopyMaxBytes);
