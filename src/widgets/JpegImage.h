#pragma once
// JPEG pictures of the program's windows, decoded with libjpeg directly.

#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace kv {

// Decodes one JPEG image held in memory into an RGB888 image. Colour, grayscale
// and CMYK/YCCK pictures are accepted. A damaged or truncated picture gives a
// null image and libjpeg's message in *error; libjpeg never ends the program.
QImage decodeJpeg(QByteArrayView data, QString *error = nullptr);

// Reads a JPEG file (a path or a resource such as ":/kelvadrin/side.jpg") and
// decodes it with decodeJpeg. A missing file gives a null image and a message.
QImage loadJpeg(const QString &fileOrResource, QString *error = nullptr);

// The resource path of one of the program's own pictures, e.g. "side.jpg".
QString assetPath(const QString &name);

// One of the program's own JPEG pictures by name ("help.jpg", "about.jpg", ...).
QImage loadAssetJpeg(const QString &name, QString *error = nullptr);

// The picture with its plain background taken away: the pixels joined to the
// corners and within a few shades of the corner's colour become transparent,
// so the picture stands on whatever colour the window has.
QImage withoutBackground(const QImage &picture);

} // namespace kv
