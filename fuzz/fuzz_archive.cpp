// The archive reader: "Archiwum.tra" made from the input, loaded and read
// entry by entry as the archive search does. The first byte chooses where the
// rest goes: at the start of the file (the date block), or after a full date
// block of zeros (the message block).
#include "FuzzFiles.h"
#include "archive/ArchiveFile.h"

#include <QDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString folder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    folder = kv::fuzz::scratchFolder("archive");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const off_t at = (data[0] & 1) ? off_t(kv::ArchiveFile::kDateBlockSize) : 0;
    kv::ArchiveFile archive(folder);
    if (!kv::fuzz::writeAt(archive.filePath(), data + 1, size - 1, at, at))
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
