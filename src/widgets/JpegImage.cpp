#include "JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace kv {

namespace {

// Larger pictures are refused before any memory is taken for them.
constexpr JDIMENSION MaxSide = 16384;
constexpr qint64 MaxPixels = qint64(64) * 1024 * 1024;
constexpr qint64 MaxFileSize = qint64(64) * 1024 * 1024;

// Everything the decoder touches lives here, outside the stack frames that a
// longjmp leaves, so that no C++ destructor is ever skipped.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errorManager{};
    jpeg_source_mgr source{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
    const JOCTET *data = nullptr;
    size_t size = 0;
    QImage image;
    std::vector<JSAMPLE> row;
};

Decoder *decoderOf(j_common_ptr cinfo) {
    return static_cast<Decoder *>(cinfo->client_data);
}

[[noreturn]] void onError(j_common_ptr cinfo) {
    Decoder *d = decoderOf(cinfo);
    (*cinfo->err->format_message)(cinfo, d->message);
    std::longjmp(d->jump, 1);
}

// Warnings mean corrupt data; the picture is refused rather than shown garbled.
void onMessage(j_common_ptr cinfo, int level) {
    if (level < 0)
        onError(cinfo);
}

void initSource(j_decompress_ptr) {}

// The whole picture is handed over at once, so running dry means truncation.
boolean fillInput(j_decompress_ptr cinfo) {
    ERREXIT(cinfo, JERR_INPUT_EOF);
    return FALSE;
}

void skipInput(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr *src = cinfo->src;
    if (static_cast<size_t>(count) > src->bytes_in_buffer)
        ERREXIT(cinfo, JERR_INPUT_EOF);
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void termSource(j_decompress_ptr) {}

inline uchar scale255(int a, int b) {
    return static_cast<uchar>((a * b + 127) / 255);
}

// Runs under the decoder's setjmp: no locals with destructors here.
void runDecoder(Decoder *d) {
    jpeg_decompress_struct *cinfo = &d->cinfo;
    jpeg_read_header(cinfo, TRUE);

    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo->out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        break;
    default:
        cinfo->out_color_space = JCS_RGB;
        break;
    }
    if (cinfo->image_width == 0 || cinfo->image_height == 0 || cinfo->image_width > MaxSide ||
        cinfo->image_height > MaxSide ||
        qint64(cinfo->image_width) * cinfo->image_height > MaxPixels) {
        std::snprintf(d->message, sizeof d->message, "Picture size %ux%u is not supported",
                      unsigned(cinfo->image_width), unsigned(cinfo->image_height));
        std::longjmp(d->jump, 1);
    }

    jpeg_start_decompress(cinfo);
    const int width = int(cinfo->output_width);
    const int height = int(cinfo->output_height);
    const int components = cinfo->output_components;
    if (components != 1 && components != 3 && components != 4) {
        std::snprintf(d->message, sizeof d->message, "Unsupported number of colour components: %d",
                      components);
        std::longjmp(d->jump, 1);
    }
    d->image = QImage(width, height, QImage::Format_RGB888);
    if (d->image.isNull()) {
        std::snprintf(d->message, sizeof d->message, "Out of memory for a %dx%d picture", width,
                      height);
        std::longjmp(d->jump, 1);
    }
    d->row.resize(size_t(width) * size_t(components));
    // Adobe writes CMYK inverted.
    const bool invertedCmyk = cinfo->saw_Adobe_marker;

    while (cinfo->output_scanline < cinfo->output_height) {
        uchar *out = d->image.scanLine(int(cinfo->output_scanline));
        JSAMPROW rowPointer = components == 3 ? out : d->row.data();
        if (jpeg_read_scanlines(cinfo, &rowPointer, 1) != 1)
            ERREXIT(cinfo, JERR_INPUT_EOF);
        const JSAMPLE *in = d->row.data();
        if (components == 1) {
            for (int x = 0; x < width; ++x, out += 3)
                out[0] = out[1] = out[2] = in[x];
        } else if (components == 4) {
            for (int x = 0; x < width; ++x, in += 4, out += 3) {
                int c = in[0], m = in[1], y = in[2], k = in[3];
                if (!invertedCmyk) {
                    c = 255 - c;
                    m = 255 - m;
                    y = 255 - y;
                    k = 255 - k;
                }
                out[0] = scale255(c, k);
                out[1] = scale255(m, k);
                out[2] = scale255(y, k);
            }
        }
    }
    jpeg_finish_decompress(cinfo);
}

} // namespace

QImage decodeJpeg(QByteArrayView data, QString *error) {
    if (data.isEmpty()) {
        if (error)
            *error = QStringLiteral("Empty JPEG data");
        return {};
    }
    Decoder d;
    d.data = reinterpret_cast<const JOCTET *>(data.data());
    d.size = size_t(data.size());
    d.cinfo.err = jpeg_std_error(&d.errorManager);
    d.errorManager.error_exit = onError;
    d.errorManager.emit_message = onMessage;
    d.cinfo.client_data = &d;

    if (setjmp(d.jump)) {
        jpeg_destroy_decompress(&d.cinfo);
        if (error)
            *error = QString::fromLocal8Bit(d.message);
        return {};
    }
    jpeg_create_decompress(&d.cinfo);
    d.source.init_source = initSource;
    d.source.fill_input_buffer = fillInput;
    d.source.skip_input_data = skipInput;
    d.source.resync_to_restart = jpeg_resync_to_restart;
    d.source.term_source = termSource;
    d.source.next_input_byte = d.data;
    d.source.bytes_in_buffer = d.size;
    d.cinfo.src = &d.source;

    runDecoder(&d);
    jpeg_destroy_decompress(&d.cinfo);
    if (error)
        error->clear();
    return std::move(d.image);
}

QImage loadJpeg(const QString &fileOrResource, QString *error) {
    QFile file(fileOrResource);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(fileOrResource, file.errorString());
        return {};
    }
    if (file.size() > MaxFileSize) {
        if (error)
            *error = QStringLiteral("%1 is too large for a picture").arg(fileOrResource);
        return {};
    }
    const QByteArray bytes = file.readAll();
    QString message;
    QImage image = decodeJpeg(bytes, &message);
    if (error)
        *error = image.isNull() ? QStringLiteral("%1: %2").arg(fileOrResource, message) : QString();
    return image;
}

QString assetPath(const QString &name) {
    return QStringLiteral(":/kelvadrin/") + name;
}

QImage loadAssetJpeg(const QString &name, QString *error) {
    return loadJpeg(assetPath(name), error);
}

QImage withoutBackground(const QImage &picture) {
    if (picture.isNull())
        return picture;
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb background = image.pixel(0, 0);
    const auto near = [background](QRgb c) {
        return qAbs(qRed(c) - qRed(background)) <= 10 &&
               qAbs(qGreen(c) - qGreen(background)) <= 10 &&
               qAbs(qBlue(c) - qBlue(background)) <= 10;
    };
    const int w = image.width(), h = image.height();
    std::vector<QPoint> todo = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
    while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h)
            continue;
        const QRgb c = image.pixel(p);
        if (qAlpha(c) == 0 || !near(c))
            continue;
        image.setPixel(p, qRgba(0, 0, 0, 0));
        todo.insert(todo.end(),
                    {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
    return image;
}

} // namespace kv
