#include "common/FakePlatform.h"
#include "info/Alertunit.h"
#include "info/Quickhelpunit.h"
#include "platform/RegistryNames.h"
#include "tasks/Deletetaskunit.h"
#include "tasks/Taskspage.h"
#include "widgets/ClickLabel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace kv;

class TestTasksPage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::FakePlatform> m_fake;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<TAlertForm> m_alert;
    std::unique_ptr<TQuickHelpForm> m_quickHelp;
    std::unique_ptr<TTasksPage> m_page;
    std::unique_ptr<QSignalSpy> m_status;

    QString row(int r) const {
        const QTableWidgetItem *item = m_page->StringGrid2->item(r, 0);
        return item ? item->text() : QString();
    }
    QString lastStatus() const { return m_status->last().at(0).toString(); }
    void add(const QString &text) {
        m_page->RichEdit4->setPlainText(text);
        m_page->BitBtn19->click();
    }
    // The delete window answers: confirm (with or without "all") or cancel.
    void answerDelete(bool confirm, bool all) {
        m_fake->modal.onExec = [=, this](QDialog *d) {
            QVERIFY(!m_page->deleteForm()->CheckBox1->isChecked()); // unchecked at each showing
            m_page->deleteForm()->CheckBox1->setChecked(all);
            (confirm ? m_page->deleteForm()->BitBtn2 : m_page->deleteForm()->BitBtn1)->click();
            QVERIFY(!d->isVisible());
        };
    }

private slots:
    void init() {
        m_page.reset();
        m_registry.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_fake = std::make_unique<test::FakePlatform>();
        m_fake->clock.set(2004, 3, 5, 9, 0);
        m_registry = std::make_unique<Registry>(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_alert = std::make_unique<TAlertForm>(m_fake->platform);
        m_quickHelp = std::make_unique<TQuickHelpForm>();
        m_page = std::make_unique<TTasksPage>(m_registry->openKey(names::tasksKey, true),
                                              m_fake->platform, *m_alert, *m_quickHelp);
        m_status = std::make_unique<QSignalSpy>(m_page.get(), &TTasksPage::statusReported);
        m_page->mainWindowShown();
    }

    void freshInstallation() {
        QCOMPARE(row(0), QStringLiteral(" Dodano..."));
        QCOMPARE(m_page->StringGrid2->rowCount(), 10);
        QCOMPARE(m_page->StringGrid2->currentRow(), 1);
        QVERIFY(!m_page->BitBtn20->isEnabled());
        QVERIFY(!m_page->BitBtn18->isEnabled());
        QVERIFY(!m_page->BitBtn21->isEnabled());
        QCOMPARE(m_page->Label35->text(), QStringLiteral("..."));
        QCOMPARE(m_page->Label33->text(), QStringLiteral("500"));
        m_page->BitBtn19->click();
        QCOMPARE(lastStatus(), QStringLiteral(" Podaj treść wiadomości."));
        QCOMPARE(m_status->last().at(1).toBool(), false);
    }

    void addThreeChangeAndDeleteOne() {
        for (const char *text : {"jeden", "dwa", "trzy"})
            add(QString::fromLatin1(text));
        QCOMPARE(lastStatus(), QStringLiteral(" Zapisano nowe zadanie."));
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(row(r), QStringLiteral(" 5 marca 2004"));
        QCOMPARE(m_page->Label35->text(), QStringLiteral("3"));
        QCOMPARE(m_page->Label33->text(), QStringLiteral("496"));

        m_page->StringGrid2->setCurrentCell(2, 0); // the user picks row 2
        QCOMPARE(m_page->RichEdit4->toPlainText(), QStringLiteral("dwa"));
        m_fake->clock.set(2005, 1, 1, 9, 0);
        m_page->RichEdit4->setPlainText(QStringLiteral("dwa\nlinie"));
        m_page->BitBtn20->click();
        QCOMPARE(lastStatus(), QStringLiteral(" Zmieniono treść zadania."));
        QCOMPARE(*m_page->store().text(2), QStringLiteral("dwa\nlinie"));
        QCOMPARE(*m_page->store().dateText(2), QStringLiteral(" 5 marca 2004"));

        answerDelete(false, false);
        m_page->BitBtn18->click();
        QVERIFY(m_page->store().exists(2));
        answerDelete(true, false);
        m_page->BitBtn18->click();
        QCOMPARE(lastStatus(),
                 QStringLiteral(" Operacja usunięcia danych zakończyła się pomyślnie."));
        QVERIFY(!m_page->store().exists(2));
        QVERIFY(m_page->store().exists(1) && m_page->store().exists(3));
        QVERIFY(row(2).isEmpty());
        QVERIFY(!m_page->BitBtn20->isEnabled());
        QCOMPARE(m_page->Label35->text(), QStringLiteral("..."));
        add(QStringLiteral("cztery"));
        QCOMPARE(m_page->currentTask(), 2);
        QCOMPARE(row(2), QStringLiteral(" 1 stycznia 2005"));
    }

    void deleteAllWhateverIsCurrent() {
        for (int n = 0; n < 4; ++n)
            add(QStringLiteral("z"));
        m_page->StringGrid2->setCurrentCell(3, 0);
        answerDelete(true, true);
        m_page->BitBtn18->click();
        QCOMPARE(m_page->store().highest(), 0);
        QCOMPARE(m_page->StringGrid2->currentRow(), 1);
        QVERIFY(row(1).isEmpty() && row(4).isEmpty());
    }

    void fullListAndRowsAboveNine() {
        for (int n = 1; n <= 100; ++n)
            m_page->store().add(QStringLiteral("z"), QDate(2004, 3, 5));
        m_page->mainWindowShown();
        QCOMPARE(m_page->StringGrid2->rowCount(), 101);
        add(QStringLiteral("za dużo"));
        QCOMPARE(lastStatus(), QStringLiteral(" Określono już max. ilość zadań."));
        QCOMPARE(m_page->store().highest(), 100);

        // Deleting task 5 or clearing the text keeps tasks 10..100 on view.
        m_page->StringGrid2->setCurrentCell(5, 0);
        answerDelete(true, false);
        m_page->BitBtn18->click();
        QCOMPARE(m_page->StringGrid2->rowCount(), 101);
        QCOMPARE(row(57), QStringLiteral(" 5 marca 2004"));
        QTest::mouseClick(m_page->Label32, Qt::LeftButton); // as the picture beside it
        QCOMPARE(m_page->StringGrid2->rowCount(), 101);
        QVERIFY(m_page->RichEdit4->toPlainText().isEmpty());
        add(QStringLiteral("piąte"));
        QCOMPARE(m_page->currentTask(), 5);
    }

    void showingAgainActsOnTaskOne() {
        add(QStringLiteral("pierwsze"));
        add(QStringLiteral("drugie"));
        m_page->StringGrid2->setCurrentCell(2, 0);
        m_page->mainWindowShown();
        QCOMPARE(m_page->currentTask(), 1);
        QCOMPARE(m_page->RichEdit4->toPlainText(), QStringLiteral("pierwsze"));
        QCOMPARE(m_page->Label35->text(), QStringLiteral("1"));
        m_page->RichEdit4->setPlainText(QStringLiteral("zmienione"));
        m_page->BitBtn20->click();
        QCOMPARE(*m_page->store().text(1), QStringLiteral("zmienione"));
        QCOMPARE(*m_page->store().text(2), QStringLiteral("drugie"));
    }

    void limitPrintAndQuickHelp() {
        m_page->RichEdit4->setPlainText(QString(501, QLatin1Char('x')));
        QCOMPARE(m_page->RichEdit4->toPlainText().size(), 500);
        QCOMPARE(m_page->Label33->text(), QStringLiteral("0"));
        QVERIFY(m_page->BitBtn21->isEnabled());
        m_page->BitBtn21->click();
        QCOMPARE(m_fake->printer.jobs.back().title, QStringLiteral("Kelvadrin - Zadanie."));
        m_fake->printer.succeed = false;
        m_page->BitBtn21->click();
        QCOMPARE(
            m_alert->text(),
            QStringLiteral("Operacja wydruku nie może zostać zrealizowana. Powód niezależny."));
        m_page->Label35Click();
        QCOMPARE(m_quickHelp->windowTitle(), QStringLiteral("Zadania"));
        QCOMPARE(m_quickHelp->text(), QStringLiteral("Numer aktualnie edytowanego zadania."));
        m_page->Label33Click();
        QCOMPARE(m_quickHelp->windowTitle(), QStringLiteral("Zadania - wiadomość"));
    }
};

QTEST_MAIN(TestTasksPage)
#include "tst_taskspage.moc"
