#pragma once
// MD5 (RFC 1321) for the service's password proof and the name of the
// contacts' cloud copy. The digest itself is Qt's (QCryptographicHash); this
// module only fixes the text forms the program and the service agree on.
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

// The digest of n bytes as 32 lower-case hexadecimal digits ("%02x" per byte).
// A null `bytes` gives an empty text, so an empty result always means
// "no input", never a digest.
std::string MD5HexString(const void* bytes, size_t n);
std::string MD5HexString(std::string_view bytes);

// The digest of a whole file, read in blocks, as 32 lower-case hexadecimal
// digits. A file that cannot be opened or read gives false and an empty `out`,
// never the digest of the empty input.
bool MD5File(const QString& path, std::string& out);

// The upper-case digest of a text's code page 936 bytes: the password digest
// of the service's web pages (OpenAccountWebPage).
std::string MD5UpperOfAnsi(QStringView text);

// The service's password proof: the upper-case digest of the serial number
// followed by the password, both as code page 936 bytes.
// ServiceDigest("abc", "") is "900150983CD24FB0D6963F7D28E17F72".
std::string ServiceDigest(QStringView serial, QStringView password);
