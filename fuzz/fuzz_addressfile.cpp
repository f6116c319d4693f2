// The address file reader: "Baza teleadresowa.adr" made from the input and
// read as the address tab reads it. The first byte chooses the field block
// where the rest of the input lands (bits 0-2) and whether the file is
// padded with zeros to its full 878 000 bytes (bit 3); a file of any other
// size must be refused and left as it was.
#include "FuzzFiles.h"
#include "addressbook/AddressFile.h"
#include "platform/DateText.h"

#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

using kv::AddressFile;

QString folder;

constexpr off_t kOffsets[AddressFile::FieldCount] = {0,      101000, 162000, 173000,
                                                     234000, 295000, 356000, 377000};

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    folder = kv::fuzz::scratchFolder("address");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const off_t at = kOffsets[data[0] & 7];
    const bool pad = data[0] & 8;
    AddressFile book(folder);
    // Padded: the file is exactly the book's size, the input cut to fit.
    size_t length = size - 1;
    if (pad && off_t(length) + at > AddressFile::kFileSize)
        length = size_t(AddressFile::kFileSize - at);
    if (!kv::fuzz::writeAt(book.filePath(), data + 1, length, at,
                           pad ? off_t(AddressFile::kFileSize) : at))
        std::abort();
    const bool sizeOk = AddressFile::AddressFileSizeOk(book.filePath());
    const AddressFile::Status status = book.loadWhole();
    if (sizeOk != (status == AddressFile::Status::Done))
        std::abort();

    if (!sizeOk) {
        // Neither a store nor a delete may write over it.
        const QByteArray before = readAll(book.filePath());
        kv::AddressRecord r;
        r.name = QStringLiteral("x");
        if (book.storeEntry(-1, r).status != AddressFile::Status::Damaged ||
            book.deleteEntry(1) != AddressFile::Status::Damaged ||
            readAll(book.filePath()) != before)
            std::abort();
        return 0;
    }

    qsizetype total = 0;
    for (int n = -1; n <= AddressFile::kEntries; ++n) {
        const kv::AddressRecord r = book.readEntry(n);
        bool empty = true;
        for (int b = 0; b < AddressFile::FieldCount; ++b) {
            const QString text = r.field(b);
            if (text.size() > AddressFile::kWidths[size_t(b)])
                std::abort();
            empty = empty && text.isEmpty();
            total += text.size();
        }
        if (n >= 0 && n < AddressFile::kEntries && book.isFree(n) != empty)
            std::abort();
    }
    AddressFile::Status searched{};
    const int hit = book.search(AddressFile::Name, kv::foldCase(QStringLiteral("a")), 0, &searched);
    if (hit < 0 || hit > AddressFile::kLastEntry)
        std::abort();
    const int free = book.FindFreeEntry();
    if (free < 0 || free > AddressFile::kLastEntry || (free > 0 && !book.isFree(free)))
        std::abort();
    return total < 0;
}
