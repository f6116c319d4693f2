#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The single-byte Windows-1250 code page in which every data file of the
// program keeps its texts (Polish letters are one byte each).
//
// The conversion goes through the C library's iconv. Each thread opens its
// two conversion descriptors once, on first use, and keeps them until it ends,
// so converting thousands of short cells costs no more than the conversions
// themselves. When the C library lacks the code page, only ASCII is converted
// and every other character is treated as unmappable.
namespace kv::Cp1250 {

// Encodes the text. A character that Windows-1250 cannot hold (including a
// character outside the Basic Multilingual Plane and a lone surrogate)
// becomes one "?". Each character gives exactly one byte; no line-end
// translation takes place.
QByteArray encode(const QString &text);

// Decodes the bytes, one character per byte. A NUL byte becomes U+0000; the
// bytes that Windows-1250 leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98)
// become U+FFFD and the rest of the text is kept.
QString decode(QByteArrayView bytes);

} // namespace kv::Cp1250
