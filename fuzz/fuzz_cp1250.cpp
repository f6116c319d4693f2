// The Windows-1250 codec: any bytes decode to one character each, and any
// text encodes to one byte per character; decoding and encoding again gives
// back the bytes, except that undefined bytes come back as "?".
#include "platform/Cp1250.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // As code-page bytes.
    const QString text = kv::Cp1250::decode(bytes);
    if (text.size() != bytes.size())
        std::abort();
    const QByteArray again = kv::Cp1250::encode(text);
    if (again.size() != bytes.size())
        std::abort();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (again[i] != bytes[i] && !(again[i] == '?' && text[i] == QChar::ReplacementCharacter))
            std::abort();

    // As UTF-16 text of any shape, lone surrogates included.
    const QString units(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    const QByteArray encoded = kv::Cp1250::encode(units);
    if (encoded.size() != units.toUcs4().size())
        std::abort();
    if (kv::Cp1250::decode(encoded).size() != encoded.size())
        std::abort();
    return 0;
}
