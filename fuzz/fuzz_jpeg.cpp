// The JPEG loader: any bytes give either a picture or a null image with a
// message; libjpeg never ends the program.
#include "widgets/JpegImage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QString error;
    const QImage image = kv::decodeJpeg(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), &error);
    if (image.isNull() == error.isEmpty())
        std::abort();
    if (!image.isNull() && image.format() != QImage::Format_RGB888)
        std::abort();
    return 0;
}
