#include "AtomicFile.h"
#include "RegularFile.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::AtomicFile {

namespace {
bool writeAll(int fd, const char *data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The file a name stands for: a symbolic link is followed (through a chain
// of links too) to the file it points to, which need not exist yet.
QByteArray resolveLinks(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), target, sizeof target - 1);
        if (n < 0)
            return path;
        QByteArray next(target, n);
        if (!next.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            next.prepend(slash >= 0 ? path.left(slash + 1) : QByteArray());
        }
        path = next;
    }
    return path;
}
} // namespace

bool write(const QString &fileName, std::initializer_list<QByteArrayView> pieces, int mode) {
    // Written through a link: the link stays and the file it points to is replaced.
    const QByteArray target = resolveLinks(QFile::encodeName(fileName));

    // A file the user may not write is never replaced behind his back.
    struct stat st;
    if (::stat(target.constData(), &st) == 0) {
        if (RegularFile::kind(QFile::decodeName(target)) != RegularFile::Kind::Regular)
            return false;
        if (::access(target.constData(), W_OK) != 0 ||
            (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return false;
    }

    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, static_cast<mode_t>(mode)) == 0;
    for (QByteArrayView piece : pieces)
        ok = ok && writeAll(fd, piece.data(), piece.size());
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    // Make the rename itself durable.
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir = slash > 0 ? target.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool write(const QString &fileName, const QByteArray &data, int mode) {
    return write(fileName, {QByteArrayView(data)}, mode);
}

} // namespace kv::AtomicFile
