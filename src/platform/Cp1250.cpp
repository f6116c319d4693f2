#include "Cp1250.h"

#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace kv::Cp1250 {

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char *kUtf16 = "UTF-16LE";
#else
constexpr const char *kUtf16 = "UTF-16BE";
#endif
constexpr const char *kCodePage = "WINDOWS-1250";
const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// The two descriptors of one thread, opened on first use.
struct Descriptors {
    iconv_t toCodePage = iconv_open(kCodePage, kUtf16);
    iconv_t fromCodePage = iconv_open(kUtf16, kCodePage);

    Descriptors() = default;
    Descriptors(const Descriptors &) = delete;
    Descriptors &operator=(const Descriptors &) = delete;
    ~Descriptors() {
        if (toCodePage != kNoDescriptor)
            iconv_close(toCodePage);
        if (fromCodePage != kNoDescriptor)
            iconv_close(fromCodePage);
    }
};

Descriptors &descriptors() {
    thread_local Descriptors d;
    return d;
}

QByteArray encodeAscii(const QString &text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        out[n++] = c.unicode() < 0x80 ? char(c.unicode()) : '?';
    }
    out.truncate(n);
    return out;
}

QString decodeAscii(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b < 0x80 ? QChar(b) : QChar(QChar::ReplacementCharacter);
    }
    return out;
}

} // namespace

QByteArray encode(const QString &text) {
    if (text.isEmpty())
        return {};
    const iconv_t cd = descriptors().toCodePage;
    if (cd == kNoDescriptor)
        return encodeAscii(text);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);

    // One byte per UTF-16 unit is always enough: every character gives one byte
    // and a surrogate pair gives a single "?".
    QByteArray out(text.size(), Qt::Uninitialized);
    char *in = reinterpret_cast<char *>(const_cast<QChar *>(text.constData()));
    size_t inLeft = size_t(text.size()) * sizeof(QChar);
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());

    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        const int error = errno;
        if (error == E2BIG) {
            // Not expected for a single-byte code page; grow and go on.
            const qsizetype used = outPtr - out.data();
            out.resize(out.size() + qsizetype(inLeft));
            outPtr = out.data() + used;
            outLeft = size_t(out.size() - used);
            continue;
        }
        if (outLeft == 0) {
            const qsizetype used = outPtr - out.data();
            out.resize(out.size() + 1);
            outPtr = out.data() + used;
            outLeft = 1;
        }
        *outPtr++ = '?';
        --outLeft;
        if (error != EILSEQ) // EINVAL: a high surrogate at the very end
            break;
        // Skip the character iconv refused: a surrogate pair or one unit.
        const auto *unit = reinterpret_cast<const QChar *>(in);
        const bool pair =
            inLeft >= 2 * sizeof(QChar) && unit[0].isHighSurrogate() && unit[1].isLowSurrogate();
        const size_t skip = (pair ? 2 : 1) * sizeof(QChar);
        in += skip;
        inLeft -= skip;
    }
    out.truncate(outPtr - out.data());
    return out;
}

QString decode(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return {};
    const iconv_t cd = descriptors().fromCodePage;
    if (cd == kNoDescriptor)
        return decodeAscii(bytes);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);

    // Every Windows-1250 character lies in the Basic Multilingual Plane: one
    // UTF-16 unit per byte.
    QString out(bytes.size(), Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char *outBase = reinterpret_cast<char *>(out.data());
    char *outPtr = outBase;
    size_t outLeft = size_t(out.size()) * sizeof(QChar);

    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        const int error = errno;
        if (error == E2BIG || outLeft < sizeof(QChar)) {
            // Not expected, as each byte gives one unit; grow and go on.
            const qsizetype used = (outPtr - outBase) / qsizetype(sizeof(QChar));
            out.resize(out.size() + qsizetype(inLeft) + 1);
            outBase = reinterpret_cast<char *>(out.data());
            outPtr = outBase + used * qsizetype(sizeof(QChar));
            outLeft = size_t(out.size() - used) * sizeof(QChar);
            if (error == E2BIG)
                continue;
        }
        // An undefined byte: mark it and go on with the next one.
        const QChar mark(QChar::ReplacementCharacter);
        memcpy(outPtr, &mark, sizeof(QChar));
        outPtr += sizeof(QChar);
        outLeft -= sizeof(QChar);
        ++in;
        --inLeft;
    }
    out.truncate((outPtr - outBase) / qsizetype(sizeof(QChar)));
    return out;
}

} // namespace kv::Cp1250
