#pragma once
// Whole-file reads and writes of the tests, byte for byte.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kv::test {

// The file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file's content with the bytes as they are (no atomic write:
// tests plant files of any shape with it).
inline bool writeRaw(const QString &path, const QByteArray &data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

} // namespace kv::test
