// Times the archive's operations on a full archive against the disk's own
// floor, interleaved in the same run: an append refused because all places are
// taken (a read of the 5 MB file), the delete of one entry and an append into
// the freed place (each a whole-file atomic rewrite: read, write a new file,
// flush it, rename it over). Prints rows of the figures table (BenchTable.h).

#include "BenchTable.h"
#include "archive/ArchiveFile.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRuns = 31; // the disk is shared: the median of many

bool writeFullArchive(const QString &path) {
    using kv::ArchiveFile;
    QByteArray file(ArchiveFile::kFileSize, '\0');
    for (int n = 1; n <= ArchiveFile::kEntries; ++n) {
        const QByteArray date = QByteArray::number(100 + n % 12).right(2) + "/15/25";
        std::memcpy(file.data() + qsizetype(n) * ArchiveFile::kDateWidth, date.constData(),
                    size_t(date.size()));
        const QByteArray message =
            "Przypomnienie numer " + QByteArray::number(n) + "\r\n" + QByteArray(200, 'x');
        std::memcpy(file.data() + ArchiveFile::kDateBlockSize +
                        qsizetype(n) * ArchiveFile::kMessageWidth,
                    message.constData(), size_t(message.size()));
    }
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(file) == file.size();
}

} // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    kv::ArchiveFile archive(dir.path());
    if (!writeFullArchive(archive.filePath())) {
        std::fprintf(stderr, "cannot write the archive\n");
        return 1;
    }

    const std::string path = archive.filePath().toStdString();
    std::vector<double> floor, full, removal, append;
    for (int i = 0; i < kRuns; ++i) {
        floor.push_back(bench::diskFloorMillis(path));
        auto start = std::chrono::steady_clock::now();
        const auto refused = archive.append(QStringLiteral("07/01/25"), QStringLiteral("odmowa"));
        full.push_back(bench::millisSince(start));
        const int entry = 1 + (i * 487) % kv::ArchiveFile::kEntries;
        start = std::chrono::steady_clock::now();
        const bool removed = archive.remove(entry);
        removal.push_back(bench::millisSince(start));
        start = std::chrono::steady_clock::now();
        const auto result =
            archive.append(QStringLiteral("07/02/25"), QStringLiteral("Zażółć gęślą jaźń"));
        append.push_back(bench::millisSince(start));
        if (refused.status != kv::ArchiveFile::AppendResult::Full || !removed ||
            result.entry != entry) {
            std::fprintf(stderr, "append, delete or append again went wrong at entry %d\n", entry);
            return 1;
        }
    }
    const double disk = bench::median(floor);
    bench::header();
    const std::string runs = std::to_string(kRuns) + " runs";
    bool met = bench::rowRatio("archive append into a full archive, refused (ms, " + runs + ")",
                               bench::median(full), disk, 1.3);
    met = bench::rowRatio("archive delete of one entry (ms)", bench::median(removal), disk, 1.3) &&
          met;
    met = bench::rowRatio("archive append into the freed place (ms)", bench::median(append), disk,
                          1.3) &&
          met;
    return met ? 0 : 1;
}
