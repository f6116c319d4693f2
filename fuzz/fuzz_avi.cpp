// The Motion-JPEG AVI reader: any bytes are either refused with a message or
// give frames that lie wholly inside the data.
#include "widgets/AviReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    kv::AviReader reader;
    if (!reader.load(bytes)) {
        if (reader.errorString().isEmpty() || reader.frameCount() != 0)
            std::abort();
        return 0;
    }
    volatile unsigned sum = 0;
    for (int i = 0; i < reader.frameCount(); ++i) {
        const QByteArrayView frame = reader.frameData(i);
        if (frame.isEmpty() || frame.data() < bytes.constData() ||
            frame.data() + frame.size() > bytes.constData() + bytes.size())
            std::abort();
        sum = sum + static_cast<unsigned char>(frame.back()); // touches the last byte
    }
    if (!reader.frameData(reader.frameCount()).isEmpty() || !reader.frameData(-1).isEmpty())
        std::abort();
    return 0;
}
