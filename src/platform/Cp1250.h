#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The single-byte Windows-1250 code page in which every data file of the
// program keeps its texts (Polish letters are one byte each).
//
// The code page is read from the C library's iconv once, into two tables;
// every conversion after that is a table look-up per character, safe from any
// thread. When the C library lacks the code page, only ASCII is converted and
// every other character is treated as unmappable.
namespace kv::Cp1250 {

// Encodes the text. A character that Windows-1250 cannot hold (including a
// character outside the Basic Multilingual Plane and a lone surrogate)
// becomes one "?". Each character (code point) gives exactly one byte, so
// the length of the result never depends on what the C library skips; no
// line-end translation takes place.
QByteArray encode(const QString &text);

// Decodes the bytes, one character per byte. A NUL byte becomes U+0000; the
// bytes that Windows-1250 leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98)
// become U+FFFD and the rest of the text is kept.
QString decode(QByteArrayView bytes);

} // namespace kv::Cp1250
