// Times whole-file rewrites of a full archive: appends refused because all
// places are taken, and a delete followed by an append into the freed place.
// Each operation reads the 5 MB file, writes a new one, flushes it to disk and
// renames it over the old one. Prints median milliseconds and peak memory.

#include "archive/ArchiveFile.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kRuns = 20;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

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

    std::vector<double> full;
    std::vector<double> cycle;
    QElapsedTimer timer;
    for (int i = 0; i < kRuns; ++i) {
        timer.start();
        const auto result = archive.append(QStringLiteral("07/01/25"), QStringLiteral("odmowa"));
        full.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (result.status != kv::ArchiveFile::AppendResult::Full) {
            std::fprintf(stderr, "append into the full archive was not refused\n");
            return 1;
        }
    }
    for (int i = 0; i < kRuns; ++i) {
        const int entry = 1 + (i * 487) % kv::ArchiveFile::kEntries;
        timer.start();
        const bool removed = archive.remove(entry);
        const auto result =
            archive.append(QStringLiteral("07/02/25"), QStringLiteral("Zażółć gęślą jaźń"));
        cycle.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!removed || result.entry != entry) {
            std::fprintf(stderr, "delete and append went wrong at entry %d\n", entry);
            return 1;
        }
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("archive append into full archive: median %.2f ms (%d runs)\n", median(full),
                kRuns);
    std::printf("archive delete + append:          median %.2f ms (%d runs)\n", median(cycle),
                kRuns);
    std::printf("peak RSS: %ld KiB\n", usage.ru_maxrss);
    return 0;
}
