#include "Cp1250.h"

#include <array>
#include <iconv.h>

namespace kv::Cp1250 {

namespace {

constexpr char16_t kReplacement = QChar::ReplacementCharacter;

// The code page as two tables, read from the C library's iconv once.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    // The byte of each Basic Multilingual Plane character; 0 for a character
    // the code page cannot hold (U+0000 itself is byte 0 as well).
    std::array<unsigned char, 0x10000> fromUnicode{};

    Tables() {
        for (int b = 0; b < 0x80; ++b)
            toUnicode[size_t(b)] = char16_t(b);
        for (int b = 0x80; b < 0x100; ++b)
            toUnicode[size_t(b)] = kReplacement;
        readUpperHalf();
        for (int b = 1; b < 0x100; ++b)
            if (toUnicode[size_t(b)] != kReplacement)
                fromUnicode[toUnicode[size_t(b)]] = static_cast<unsigned char>(b);
    }

    // Each byte from 0x80 up on its own, so that an undefined byte costs only
    // itself. Without the code page in the C library only ASCII is known.
    void readUpperHalf() {
        const iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1250");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return;
        for (int b = 0x80; b < 0x100; ++b) {
            char in[1] = {char(b)};
            unsigned char out[4] = {};
            char *inPtr = in;
            char *outPtr = reinterpret_cast<char *>(out);
            size_t inLeft = 1;
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            // Exactly one UTF-16 unit, and not a surrogate, or the byte is
            // taken as undefined.
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && inLeft == 0 &&
                outLeft == sizeof out - 2) {
                const char16_t unit = char16_t(out[0] | (out[1] << 8));
                if (!QChar::isSurrogate(unit))
                    toUnicode[size_t(b)] = unit;
            }
        }
        iconv_close(cd);
    }
};

const Tables &tables() {
    static const Tables t;
    return t;
}

} // namespace

QByteArray encode(const QString &text) {
    if (text.isEmpty())
        return {};
    const Tables &t = tables();
    QByteArray out(text.size(), Qt::Uninitialized);
    qsizetype n = 0;
    const char16_t *units = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (QChar::isSurrogate(unit)) {
            // A pair is one character outside the plane; a lone half is one too.
            if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1]))
                ++i;
            out[n++] = '?';
            continue;
        }
        const unsigned char byte = t.fromUnicode[unit];
        out[n++] = byte != 0 || unit == 0 ? char(byte) : '?';
    }
    out.truncate(n);
    return out;
}

QString decode(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return {};
    const Tables &t = tables();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *to = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        to[i] = QChar(t.toUnicode[static_cast<unsigned char>(bytes[i])]);
    return out;
}

} // namespace kv::Cp1250
