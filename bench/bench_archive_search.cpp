// Times the archive search over a full archive (9999 entries, 500-character
// messages): the search itself (read the 5 MB file, examine every entry,
// collect the results) for a rare expression, a date and an expression found
// in every entry; then a click on the archive tab's search button until all
// 9999 result rows are on screen; then the delete of one entry (a whole-file
// atomic rewrite). Prints medians in milliseconds.

#include "appointments/Alertunit.h"
#include "appointments/Askalertunit.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveSearch.h"
#include "archive/Archivepage.h"
#include "info/Quickhelpunit.h"
#include "platform/Cp1250.h"
#include "platform/SystemPlatform.h"
#include "widgets/ClickLabel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 21;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double medianOf(int runs, const std::function<void()> &step) {
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        step();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// Every place taken, each message 500 characters with Polish letters,
// written as raw cells.
bool fillArchive(const QString &path) {
    using kv::ArchiveFile;
    QByteArray file(ArchiveFile::kFileSize, '\0');
    const QString filler =
        QStringLiteral("Zażółć gęślą jaźń. Przypomnienie o spotkaniu w Łodzi, pokój 12. ");
    for (int n = 1; n <= ArchiveFile::kEntries; ++n) {
        QString message = QStringLiteral("Wiadomość numer %1: ").arg(n);
        while (message.size() < 500)
            message += filler;
        message.truncate(500);
        const QByteArray date = QStringLiteral("%1/%2/%3")
                                    .arg(n % 12 + 1, 2, 10, QLatin1Char('0'))
                                    .arg(n % 28 + 1, 2, 10, QLatin1Char('0'))
                                    .arg(20 + n % 6, 2, 10, QLatin1Char('0'))
                                    .toLatin1();
        const QByteArray bytes = kv::Cp1250::encode(message);
        std::memcpy(file.data() + qsizetype(n) * ArchiveFile::kDateWidth, date.constData(),
                    size_t(date.size()));
        std::memcpy(file.data() + ArchiveFile::kDateBlockSize +
                        qsizetype(n) * ArchiveFile::kMessageWidth,
                    bytes.constData(), size_t(bytes.size()));
    }
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(file) == file.size();
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    kv::ArchiveFile archive(dir.path());
    if (!dir.isValid() || !fillArchive(archive.filePath())) {
        std::fprintf(stderr, "cannot write the archive\n");
        return 1;
    }
    kv::ArchiveSearch search;
    const auto searchFor = [&](const kv::ArchiveCriteria &criteria, int expected) {
        return medianOf(kRuns, [&] {
            archive.load();
            search.run(archive, criteria);
            if (search.count() != expected)
                std::fprintf(stderr, "unexpected result count %d\n", search.count());
        });
    };
    const double rare = searchFor({false, QStringLiteral("NUMER 4321:"), {}, {}, {}}, 1);
    const double polish = searchFor({false, QStringLiteral("ŁODZI, POKÓJ 13"), {}, {}, {}}, 0);
    const double byDate =
        searchFor({true, {}, {}, QStringLiteral("05"), QStringLiteral("2024")}, 833);
    const double all = searchFor({false, QStringLiteral("wiadomość"), {}, {}, {}}, 9999);

    // The tab: a click on the search button until all rows are on screen.
    kv::SystemPlatform system;
    kv::TAlertForm alert(system.platform());
    kv::TAskAlertForm ask(system.platform());
    kv::TQuickHelpForm quickHelp;
    kv::TArchivePage page({system.platform(), archive, alert, ask, quickHelp});
    page.resize(668, 468);
    page.show();
    page.mainWindowShown();
    QApplication::processEvents();
    page.Edit1->setText(QStringLiteral("wiadomość"));
    const double click = medianOf(kRuns, [&] {
        page.BitBtn6->click();
        QApplication::processEvents();
        page.repaint();
    });
    if (page.Label15->text() != QStringLiteral("9999"))
        std::fprintf(stderr, "the tab did not find 9999 messages\n");

    // The delete: one whole-file rewrite (the entry is put back between runs).
    int entry = 1;
    const double removal = medianOf(kRuns, [&] {
        archive.remove(entry);
        entry += 97;
    });

    std::printf("archive search, rare expression:       median %6.2f ms (%d runs)\n", rare, kRuns);
    std::printf("archive search, Polish letters:        median %6.2f ms\n", polish);
    std::printf("archive search, by date (833 hits):    median %6.2f ms\n", byDate);
    std::printf("archive search, 9999 hits:             median %6.2f ms\n", all);
    std::printf("tab: click to 9999 rows on screen:     median %6.2f ms\n", click);
    std::printf("archive delete (whole-file rewrite):   median %6.2f ms\n", removal);
    return 0;
}
