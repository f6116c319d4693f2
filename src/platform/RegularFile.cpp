#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace kv::RegularFile {

namespace {
// The kernel's own file systems: their "regular" files are views of the
// kernel that may block a reader (/proc/kmsg) or change the system.
bool isKernelFileSystem(const struct statfs &fs) {
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case EFIVARFS_MAGIC:
        return true;
    default:
        return false;
    }
}

bool onKernelFileSystem(int fd) {
    struct statfs fs {};
    return ::fstatfs(fd, &fs) != 0 || isKernelFileSystem(fs);
}

// Opens the name for reading without waiting on a FIFO or a device; -1 for
// anything but a regular file on a disk's file system.
int openRegular(const QString &path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || onKernelFileSystem(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace

Kind kind(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? Kind::Missing : Kind::Other;
    struct statfs fs {};
    if (!S_ISREG(st.st_mode) || ::statfs(name.constData(), &fs) != 0 || isKernelFileSystem(fs))
        return Kind::Other;
    return Kind::Regular;
}

std::optional<QByteArray> read(const QString &path, qint64 maxBytes) {
    const int fd = openRegular(path);
    if (fd < 0)
        return std::nullopt;
    // A regular file does not block; the flag is dropped for plain reads.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QByteArray data;
    char buffer[64 * 1024];
    bool ok = true;
    while (data.size() < maxBytes) {
        const qint64 want = std::min<qint64>(qint64(sizeof buffer), maxBytes - data.size());
        const ssize_t n = ::read(fd, buffer, size_t(want));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        data.append(buffer, n);
    }
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return data;
}

bool sameFile(const QString &a, const QString &b) {
    struct stat sa {
    }, sb{};
    const bool hasA = ::stat(QFile::encodeName(a).constData(), &sa) == 0;
    const bool hasB = ::stat(QFile::encodeName(b).constData(), &sb) == 0;
    if (hasA && hasB)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (hasA != hasB)
        return false;
    // Neither is there yet: the same name in the same folder.
    const auto spelled = [](const QString &path) {
        const QFileInfo info(path);
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + info.fileName();
    };
    const QString canonicalA = spelled(a);
    return !canonicalA.isEmpty() && canonicalA == spelled(b);
}

bool isOneOf(const QString &path, const QStringList &files) {
    for (const QString &file : files)
        if (sameFile(path, file))
            return true;
    return false;
}

} // namespace kv::RegularFile
