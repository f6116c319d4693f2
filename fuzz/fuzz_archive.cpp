// The archive reader: "Archiwum.tra" made from the input, loaded and read
// entry by entry as the archive search does. The first byte chooses where the
// rest goes: at the start of the file (the date block), or after a full date
// block of zeros (the message block).
#include "archive/ArchiveFile.h"

#include <QDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString folder;

void removeFolder() {
    QDir(folder).removeRecursively();
}

bool writeFile(const QString &path, const uint8_t *data, size_t size, off_t at) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::ftruncate(fd, at) == 0;
    ok = ok && ::pwrite(fd, data, size, at) == ssize_t(size);
    return (::close(fd) == 0) && ok;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/kv-fuzz-archive-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        std::abort();
    folder = QString::fromLocal8Bit(pattern);
    std::atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const off_t at = (data[0] & 1) ? off_t(kv::ArchiveFile::kDateBlockSize) : 0;
    kv::ArchiveFile archive(folder);
    if (!writeFile(archive.filePath(), data + 1, size - 1, at))
        std::abort();
    if (!archive.load())
        std::abort();
    qsizetype total = 0;
    for (int n = 0; n <= kv::ArchiveFile::kEntries + 1; ++n) {
        const QString date = archive.dateText(n);
        const QString message = archive.messageText(n);
        if (date.size() > kv::ArchiveFile::kDateWidth ||
            message.size() > kv::ArchiveFile::kMessageWidth)
            std::abort();
        if (archive.isOccupied(n) != !date.isEmpty())
            std::abort();
        total += date.size() + message.size();
    }
    return total < 0;
}
