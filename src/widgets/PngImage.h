#pragma once
// PNG pictures of the program (its icon), decoded with libpng directly: the
// icon is shown at start, before anything else needs Qt's image readers.

#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace kv {

// Decodes one PNG image held in memory into an ARGB32 image. A damaged or
// truncated picture gives a null image and libpng's message in *error.
QImage decodePng(QByteArrayView data, QString *error = nullptr);

// One of the program's own PNG pictures by name ("kelvadrin.png").
QImage loadAssetPng(const QString &name, QString *error = nullptr);

} // namespace kv
