#pragma once
// What the targets share: a promise that names its line when broken, a
// private scratch folder for the run and a file planted in it from the input.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace kv::fuzz {

// A broken promise names its file and line, so a finding says which one.
inline void require(bool condition, const char *file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
    if (!condition) {
        std::fprintf(stderr, "%s:%d: promise broken\n", file, line);
        std::abort();
    }
}

// A new folder under the temporary folder, removed when the run ends.
inline QString scratchFolder(const char *name) {
    static QString folder;
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/kv-fuzz-" + name + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        std::abort();
    folder = QString::fromLocal8Bit(pattern);
    std::atexit([] { QDir(folder).removeRecursively(); });
    return folder;
}

// Makes the file `length` bytes of zeros with the data written at `at` (the
// file grows when the data reaches past `length`).
inline bool writeAt(const QString &path, const uint8_t *data, size_t size, off_t at, off_t length) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::ftruncate(fd, length) == 0;
    ok = ok && ::pwrite(fd, data, size, at) == ssize_t(size);
    return (::close(fd) == 0) && ok;
}

} // namespace kv::fuzz
