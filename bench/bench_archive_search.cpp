// Times the archive search over a full archive (9999 entries, 500-character
// messages): the search itself (read the 5 MB file, examine every entry,
// collect the results) for a rare expression, a date and an expression found
// in every entry; then a click on the archive tab's search button until all
// 9999 result rows are on screen. Prints rows of the figures table
// (BenchTable.h); the delete is measured by bench_archive.

#include "BenchTable.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveSearch.h"
#include "archive/Archivepage.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Quickhelpunit.h"
#include "platform/Cp1250.h"
#include "platform/SystemPlatform.h"
#include "widgets/ClickLabel.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kRuns = 21;

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
    bool right = true; // every search found what it should
    const auto searchFor = [&](const kv::ArchiveCriteria &criteria, int expected) {
        return bench::medianMillis(kRuns, [&] {
            archive.load();
            search.run(archive, criteria);
            if (search.count() != expected && right) {
                right = false;
                std::fprintf(stderr, "unexpected result count %d\n", search.count());
            }
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
    const double click = bench::medianMillis(kRuns, [&] {
        page.BitBtn6->click();
        QApplication::processEvents();
        page.repaint();
    });
    if (page.Label15->text() != QStringLiteral("9999")) {
        right = false;
        std::fprintf(stderr, "the tab did not find 9999 messages\n");
    }

    bench::header();
    const std::string runs = std::to_string(kRuns) + " runs";
    bool met =
        bench::rowLimit("archive search, rare expression (ms, " + runs + ")", rare, 10, "ms");
    met = bench::rowLimit("archive search, Polish letters (ms)", polish, 10, "ms") && met;
    met = bench::rowLimit("archive search by date, 833 hits (ms)", byDate, 10, "ms") && met;
    met = bench::rowLimit("archive search, 9999 hits (ms)", all, 10, "ms") && met;
    met = bench::rowLimit("archive tab: search click to 9999 rows on screen (ms)", click, 100,
                          "ms") &&
          met;
    return met && right ? 0 : 1;
}
