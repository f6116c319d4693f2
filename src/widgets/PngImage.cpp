#include "PngImage.h"
#include "JpegImage.h"

#include <QFile>
#include <png.h>

namespace kv {

QImage decodePng(QByteArrayView data, QString *error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    const auto failed = [&png, error](const char *fallback) {
        if (error)
            *error = QString::fromLocal8Bit(png.message[0] ? png.message : fallback);
        png_image_free(&png);
        return QImage();
    };
    if (!png_image_begin_read_from_memory(&png, data.data(), size_t(data.size())))
        return failed("not a PNG picture");
    // QImage's ARGB32 is one 0xAARRGGBB word per pixel.
    png.format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    if (png.width == 0 || png.height == 0 || png.width > 4096 || png.height > 4096)
        return failed("picture too large");
    QImage image(int(png.width), int(png.height), QImage::Format_ARGB32);
    if (image.isNull())
        return failed("out of memory");
    if (!png_image_finish_read(&png, nullptr, image.bits(), image.bytesPerLine(), nullptr))
        return failed("damaged PNG picture");
    return image;
}

QImage loadAssetPng(const QString &name, QString *error) {
    QFile file(assetPath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    return decodePng(file.readAll(), error);
}

} // namespace kv
