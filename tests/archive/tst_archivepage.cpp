#include "archive/ArchiveFile.h"
#include "archive/Archivepage.h"
#include "common/FakePlatform.h"
#include "common/TestFiles.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Quickhelpunit.h"
#include "widgets/ClickLabel.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace kv;

// The archive tab with faked dialogs and printer over a real archive file.
class TestArchivePage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::FakePlatform> m_fake;
    std::unique_ptr<ArchiveFile> m_archive;
    std::unique_ptr<TAlertForm> m_alert;
    std::unique_ptr<TAskAlertForm> m_ask;
    std::unique_ptr<TQuickHelpForm> m_quickHelp;
    std::unique_ptr<TArchivePage> m_page;
    QList<std::pair<QString, bool>> m_status;
    bool m_confirm = true;

    TArchivePage &page() { return *m_page; }
    QStringList alerts() const {
        QStringList texts;
        for (const auto &shown : m_fake->modal.shown)
            if (shown.dialog == m_alert.get())
                texts << shown.text;
        return texts;
    }
    void fill(int count) {
        for (int n = 1; n <= count; ++n)
            m_archive->append(QStringLiteral("03/%1/04").arg(n % 28 + 1, 2, 10, QLatin1Char('0')),
                              QStringLiteral("Wiadomość %1").arg(n));
    }
    void search(const QString &expression) {
        page().RadioButton5->click();
        page().Edit1->setText(expression);
        page().BitBtn6->click();
    }
    QByteArray fileBytes() const { return test::readAll(m_archive->filePath()); }
    // Row r as the grid shows it.
    QString rowText(int r) const {
        return m_page->StringGrid1->model()->index(r - 1, 0).data().toString();
    }

private slots:
    void init() {
        QFile::remove(m_dir.filePath(ArchiveFile::kFileName));
        m_fake = std::make_unique<test::FakePlatform>();
        m_fake->modal.describe = [](QDialog *dialog) {
            auto *alert = qobject_cast<TAlertForm *>(dialog);
            return alert ? alert->text() : QString();
        };
        m_fake->modal.onExec = [this](QDialog *dialog) {
            if (dialog == m_ask.get() && m_confirm)
                m_ask->BitBtn1->click();
        };
        m_confirm = true;
        m_archive = std::make_unique<ArchiveFile>(m_dir.path());
        m_alert = std::make_unique<TAlertForm>(m_fake->platform);
        m_ask = std::make_unique<TAskAlertForm>(m_fake->platform);
        m_quickHelp = std::make_unique<TQuickHelpForm>();
        m_page = std::make_unique<TArchivePage>(
            ArchivePageContext{m_fake->platform, *m_archive, *m_alert, *m_ask, *m_quickHelp});
        m_status.clear();
        connect(m_page.get(), &TArchivePage::statusReported, [this](const QString &text, bool ok) {
            m_status.append({text, ok});
        });
        m_page->resize(668, 468);
        m_page->show();
    }
    void cleanup() { m_page.reset(); }

    void startState() {
        QVERIFY(page().RadioButton5->isChecked());
        QVERIFY(page().Edit1->isEnabled());
        QVERIFY(!page().ComboBox5->isEnabled());
        QVERIFY(!page().BitBtn7->isEnabled());
        QVERIFY(!page().BitBtn8->isEnabled());
        QVERIFY(page().BitBtn9->isEnabled());
        QCOMPARE(page().StringGrid1->model()->rowCount(), 7);
        // The year list: this year and the three before it.
        QCOMPARE(page().ComboBox7->itemText(0), QStringLiteral("2023"));
        QCOMPARE(page().ComboBox7->itemText(3), QStringLiteral("2026"));
        page().Edit1->setText(QStringLiteral("abc"));
        QCOMPARE(page().Label7->text(), QStringLiteral("47"));
    }

    void reports_data() {
        QTest::addColumn<bool>("file");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("success");
        QTest::newRow("no criteria") << true << ""
                                     << " Brak kryteriów wyszukiwania." << false;
        QTest::newRow("no archive") << false << "x"
                                    << " Brak wiadomości w archiwum." << false;
        QTest::newRow("one") << true << "Wiadomość 2"
                             << " Odnaleziono 1 wiadomość." << true;
        QTest::newRow("two") << true << "wiadomość 1"
                             << " Odnaleziono 2 wiadomości." << true;
        QTest::newRow("none") << true << "xyz"
                              << " Nie odnaleziono żadnych wiadomości." << false;
    }
    void reports() {
        QFETCH(bool, file);
        QFETCH(QString, expression);
        if (file)
            fill(3);
        if (file)
            m_archive->append(QStringLiteral("01/01/05"), QStringLiteral("WIADOMOŚĆ 10"));
        search(expression);
        QCOMPARE(m_status.size(), 1);
        QTEST(m_status[0].first, "status");
        QTEST(m_status[0].second, "success");
        QCOMPARE(page().focusWidget(), page().StringGrid1);
    }

    void noCriteriaKeepsTheResults() {
        fill(3);
        search(QStringLiteral("wiad"));
        search(QString());
        QCOMPARE(rowText(3), QStringLiteral(" 4 marca 2004"));
    }

    void badDateStopsTheSearchInExpressionMode() {
        fill(3);
        search(QStringLiteral("wiad"));
        page().ComboBox5->setEditText(QStringLiteral("x"));
        search(QStringLiteral("wiad"));
        QCOMPARE(alerts(), QStringList{QStringLiteral("Niepoprawnie określono datę.")});
        QCOMPARE(rowText(1), QStringLiteral(" 2 marca 2004")); // the previous results stay
    }

    void deletingRowTwoEmptiesExactlyThatEntry() {
        fill(3);
        QByteArray expected = fileBytes();
        expected[2 * ArchiveFile::kDateWidth] = 0;
        expected[ArchiveFile::kDateBlockSize + 2 * ArchiveFile::kMessageWidth] = 0;
        search(QStringLiteral("wiad"));
        QCOMPARE(page().RichEdit2->toPlainText(), QStringLiteral("Wiadomość 1"));
        QVERIFY(page().BitBtn8->isEnabled());
        page().StringGrid1->setCurrentIndex(page().StringGrid1->model()->index(1, 0));
        QCOMPARE(page().currentRow(), 2);
        page().BitBtn7->click();
        QCOMPARE(fileBytes(), expected);
        QCOMPARE(rowText(2), QString());
        QCOMPARE(rowText(3), QStringLiteral(" 4 marca 2004"));
        // The entry is gone from this list: no second delete.
        QVERIFY(!page().BitBtn7->isEnabled());
        page().BitBtn7Click();
        QCOMPARE(m_fake->modal.count(), 1);
        QCOMPARE(fileBytes(), expected);
    }

    void aNewSearchDeletesRowOne() {
        fill(3);
        search(QStringLiteral("wiad"));
        page().StringGrid1->setCurrentIndex(page().StringGrid1->model()->index(2, 0));
        QCOMPARE(page().currentRow(), 3);
        search(QStringLiteral("wiad"));
        QCOMPARE(page().currentRow(), 1);
        page().BitBtn7->click();
        QVERIFY(!m_archive->isOccupied(1));
        QVERIFY(m_archive->isOccupied(3));
    }

    void deleteOnlyWhatTheUserSaw() {
        fill(2);
        search(QStringLiteral("wiad"));
        // The archive changed after the search: entry 1 deleted and its place reused.
        ArchiveFile other(m_dir.path());
        other.remove(1);
        other.append(QStringLiteral("05/05/05"), QStringLiteral("Inna wiadomość"));
        const QByteArray before = fileBytes();
        page().BitBtn7->click();
        QCOMPARE(fileBytes(), before);
        QCOMPARE(alerts().size(), 1);
        QVERIFY(alerts()[0].contains(QStringLiteral("Nie została usunięta")));
        // A refused confirmation deletes nothing either.
        m_confirm = false;
        page().StringGrid1->setCurrentIndex(page().StringGrid1->model()->index(1, 0));
        page().BitBtn7->click();
        QCOMPARE(fileBytes(), before);
    }

    void noResultMeansNoDelete() {
        fill(2);
        search(QStringLiteral("xyz"));
        QVERIFY(!page().BitBtn7->isEnabled());
        page().BitBtn7Click();
        QCOMPARE(m_fake->modal.count(), 0);
    }

    void moreThanSevenResultsGrowTheGrid() {
        fill(12);
        search(QStringLiteral("wiad"));
        QCOMPARE(page().StringGrid1->model()->rowCount(), 12);
        QCOMPARE(page().Label15->text(), QStringLiteral("12"));
        QCOMPARE(rowText(12), QStringLiteral(" 13 marca 2004"));
        search(QStringLiteral("Wiadomość 1"));
        QCOMPARE(page().StringGrid1->model()->rowCount(), 7);
    }

    void printAndItsFailure() {
        fill(1);
        search(QStringLiteral("wiad"));
        page().BitBtn8->click();
        QCOMPARE(m_fake->printer.jobs.size(), size_t(1));
        QCOMPARE(m_fake->printer.jobs[0].title, QStringLiteral("Kelvadrin - dane z archiwum."));
        QCOMPARE(m_fake->printer.jobs[0].text, QStringLiteral("Wiadomość 1"));
        m_fake->printer.succeed = false;
        page().BitBtn8->click();
        QCOMPARE(alerts(), QStringList{QStringLiteral(
                               "Operacja wydruku nie może zostać zrealizowana. Powód niezależny")});
    }

    void calendarDateAndDateSearch() {
        fill(3);
        page().applyCalendarDate(QDate(2004, 3, 4));
        QVERIFY(page().RadioButton6->isChecked());
        QVERIFY(!page().Edit1->isEnabled());
        QCOMPARE(page().ComboBox5->currentText(), QStringLiteral("04"));
        QCOMPARE(page().ComboBox6->currentText(), QStringLiteral("03"));
        QCOMPARE(page().ComboBox7->currentText(), QStringLiteral("2004"));
        QVERIFY(m_status.isEmpty()); // not started
        page().BitBtn6->click();
        QCOMPARE(page().search().count(), 1);
        QCOMPARE(page().search().rows()[0].entry, 3);
    }

    void quickHelp() {
        page().Label9->clicked();
        QCOMPARE(m_quickHelp->windowTitle(), QStringLiteral("Archiwum - wyrażenie"));
        QVERIFY(m_quickHelp->text().endsWith(QStringLiteral("Wielkość liter nie ma znaczenia.")));
        page().Label15->clicked();
        QCOMPARE(m_quickHelp->text(), QStringLiteral("Liczba odnalezionych wiadomości."));
    }
};

QTEST_MAIN(TestArchivePage)
#include "tst_archivepage.moc"
