#include "core/md5.h"

#include "platform/encoding.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

std::string Hex(const QByteArray& digest, bool upper) {
    static const char lower[] = "0123456789abcdef";
    static const char upperDigits[] = "0123456789ABCDEF";
    const char* digits = upper ? upperDigits : lower;
    std::string out;
    out.reserve(static_cast<size_t>(digest.size()) * 2);
    for (char c : digest) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0x0F]);
    }
    return out;
}

QByteArray Digest(std::string_view bytes) {
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Md5);
}

} // namespace

std::string MD5HexString(const void* bytes, size_t n) {
    if (!bytes)
        return std::string();
    return Hex(Digest(std::string_view(static_cast<const char*>(bytes), n)), false);
}

std::string MD5HexString(std::string_view bytes) {
    // A default string_view has a null data pointer but is still "no bytes",
    // which has a digest; only the pointer form treats null as no input.
    return Hex(Digest(bytes), false);
}

bool MD5File(const QString& path, std::string& out) {
    out.clear();
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Md5);
    // Large blocks: the same digest with fewer reads.
    constexpr qint64 kBlock = 64 * 1024;
    char buffer[kBlock];
    for (;;) {
        qint64 got = file.read(buffer, kBlock);
        if (got < 0)
            return false; // a read error is not the digest of what came before
        if (got == 0)
            break;
        hash.addData(QByteArrayView(buffer, got));
    }
    out = Hex(hash.result(), false);
    return true;
}

std::string MD5UpperOfAnsi(QStringView text) {
    return Hex(Digest(enc::ToGbk(text)), true);
}

std::string ServiceDigest(QStringView serial, QStringView password) {
    std::string bytes = enc::ToGbk(serial);
    bytes += enc::ToGbk(password);
    return Hex(Digest(bytes), true);
}
