#include "archive/ArchiveFile.h"
#include "archive/ArchiveSearch.h"
#include "platform/Cp1250.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kv;

// The search on its own: criteria, matching and row texts, over a real file.
class TestArchiveSearch : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // An archive holding the given (date, message) entries at places 1, 2, ...
    std::unique_ptr<ArchiveFile> archiveOf(const QList<std::pair<QString, QString>> &entries) {
        QFile::remove(m_dir.filePath(ArchiveFile::kFileName));
        auto archive = std::make_unique<ArchiveFile>(m_dir.path());
        for (const auto &[date, message] : entries)
            archive->append(date, message);
        archive->load();
        return archive;
    }
    static QList<int> found(const ArchiveFile &archive, const ArchiveCriteria &criteria) {
        ArchiveSearch search;
        search.run(archive, criteria);
        QList<int> entries;
        for (const auto &row : search.rows())
            entries << row.entry;
        return entries;
    }

private slots:
    void criteria_data() {
        QTest::addColumn<bool>("byDate");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("year");
        QTest::addColumn<bool>("has");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty expression") << false << ""
                                          << ""
                                          << "" << false << true;
        QTest::newRow("expression") << false << "a"
                                    << ""
                                    << "" << true << true;
        QTest::newRow("date fields empty") << true << "a"
                                           << ""
                                           << "" << false << true;
        QTest::newRow("year only") << true << ""
                                   << ""
                                   << "2004" << true << true;
        // The date fields are checked in expression mode too.
        QTest::newRow("letter in day, expression mode") << false << "a"
                                                        << "1x"
                                                        << "" << true << false;
        QTest::newRow("letter in year") << true << ""
                                        << ""
                                        << "20o4" << true << false;
        QTest::newRow("day 45 accepted") << true << ""
                                         << "45"
                                         << "" << true << true;
    }
    void criteria() {
        QFETCH(bool, byDate);
        QFETCH(QString, expression);
        QFETCH(QString, day);
        QFETCH(QString, year);
        const ArchiveCriteria c{byDate, expression, day, QString(), year};
        QTEST(ArchiveSearch::hasCriteria(c), "has");
        QTEST(ArchiveSearch::datesValid(c), "valid");
    }

    void texts() {
        QCOMPARE(ArchiveSearch::countText(0),
                 QStringLiteral(" Nie odnaleziono żadnych wiadomości."));
        QCOMPARE(ArchiveSearch::countText(1), QStringLiteral(" Odnaleziono 1 wiadomość."));
        QCOMPARE(ArchiveSearch::countText(2), QStringLiteral(" Odnaleziono 2 wiadomości."));
        QCOMPARE(ArchiveSearch::countText(9999), QStringLiteral(" Odnaleziono 9999 wiadomości."));
        QCOMPARE(ArchiveSearch::rowText("03/05/04"), QStringLiteral(" 5 marca 2004"));
        QCOMPARE(ArchiveSearch::rowText("11/23/05"), QStringLiteral(" 23 listopada 2005"));
    }

    void expression_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QList<int>>("entries");
        QTest::newRow("capitals found by lower case") << "urodziny" << QList<int>{1, 3};
        QTest::newRow("Polish letters folded") << "łódź" << QList<int>{2};
        QTest::newRow("capital Polish expression") << "ŁÓDŹ" << QList<int>{2};
        QTest::newRow("across a line break") << "y\nu" << QList<int>{};
        QTest::newRow("line break kept") << "y\r\nu" << QList<int>{3};
        QTest::newRow("not in Windows-1250") << "ł€€" << QList<int>{};
        QTest::newRow("no match") << "xyz" << QList<int>{};
    }
    void expression() {
        QFETCH(QString, expression);
        auto archive = archiveOf({{"03/05/04", "URODZINY Ani"},
                                  {"11/23/05", "Wyjazd do ŁÓDŹ"},
                                  {"12/07/05", "urodziny\r\nuwaga"},
                                  {"12/07/06", ""}});
        QTEST(found(*archive, {false, expression, {}, {}, {}}), "entries");
    }

    void byDate_data() {
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QList<int>>("entries");
        QTest::newRow("year 2004") << ""
                                   << ""
                                   << "2004" << QList<int>{1, 4};
        QTest::newRow("year 04") << ""
                                 << ""
                                 << "04" << QList<int>{1, 4};
        QTest::newRow("year 4") << ""
                                << ""
                                << "4" << QList<int>{1, 4};
        QTest::newRow("year 204 is 4") << ""
                                       << ""
                                       << "204" << QList<int>{1, 4};
        QTest::newRow("7 December, any year") << "7"
                                              << "12"
                                              << "" << QList<int>{2, 3};
        QTest::newRow("day 05 is 5") << "05"
                                     << ""
                                     << "" << QList<int>{1};
        QTest::newRow("day 45") << "45"
                                << ""
                                << "" << QList<int>{};
    }
    void byDate() {
        QFETCH(QString, day);
        QFETCH(QString, month);
        QFETCH(QString, year);
        // Entry 4's message is empty: date searches still find it.
        auto archive =
            archiveOf({{"03/05/04", "a"}, {"12/07/05", "b"}, {"12/07/06", "c"}, {"01/01/04", ""}});
        QTEST(found(*archive, {true, {}, day, month, year}), "entries");
    }

    void rowsKeepTheBytesOfTheSearch() {
        auto archive = archiveOf({{"03/05/04", "Spotkanie z Łucją\r\n"}});
        ArchiveSearch search;
        search.run(*archive, {false, "łucj", {}, {}, {}});
        QCOMPARE(search.count(), 1);
        QCOMPARE(search.rows()[0].date, QByteArray("03/05/04"));
        QCOMPARE(search.rows()[0].message, Cp1250::encode("Spotkanie z Łucją\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestArchiveSearch)
#include "tst_archivesearch.moc"
