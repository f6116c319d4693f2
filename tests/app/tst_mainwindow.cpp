#include "addressbook/Addresspage.h"
#include "appointments/Remaindunit.h"
#include "archive/Archivepage.h"
#include "common/AppFixture.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Resolutionalertunit.h"
#include "platform/Tray.h"
#include "tasks/Taskspage.h"
#include "widgets/HotImage.h"
#include "widgets/SidePicture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

using namespace kv;
using test::AppFixture;

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> m_app;
    TOptionsForm *main() { return m_app->main(); }

private slots:
    void init() {
        m_app = std::make_unique<AppFixture>();
        QCOMPARE(m_app->start(), -1);
        main()->ensureBuilt(); // the window is built at its first showing
    }
    void cleanup() { m_app.reset(); }

    void frameCaptionsAndMenus() {
        TOptionsForm *w = main();
        QCOMPARE(w->windowTitle(), QStringLiteral("Kelvadrin  v 4.0.0.1"));
        w->layout()->activate();
        QCOMPARE(w->centralWidget()->size(), QSize(761, 576)); // below the menu bar
        QVERIFY(!w->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        const QStringList tabs{QStringLiteral(" &Terminy "),
                               QStringLiteral(" &Baza  teleadresowa "),
                               QStringLiteral(" &Zadania "), QStringLiteral(" &Archiwum "),
                               QStringLiteral(" &Program ")};
        QCOMPARE(w->TabControl1->count(), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(w->TabControl1->tabText(i), tabs[i]);
        QCOMPARE(w->TabControl1->currentIndex(), 0);
        QCOMPARE(w->BitBtn1->text(), QStringLiteral("P&omoc"));
        QCOMPARE(w->BitBtn2->text(), QStringLiteral("&Zamknij"));

        QStringList menus;
        for (QAction *a : w->menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{QStringLiteral("&Plik"), QStringLiteral("P&rogram"),
                                     QStringLiteral("P&omoc")}));
        QStringList tray;
        for (QAction *a : w->PopupMenu1->actions())
            tray << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(tray, (QStringList{QStringLiteral("Ustawienia"), QStringLiteral("-"),
                                    QStringLiteral("O programie"), QStringLiteral("Pomoc"),
                                    QStringLiteral("-"), QStringLiteral("Koniec")}));
        QCOMPARE(w->TrayIcon1->toolTip(), QStringLiteral("Kelvadrin"));

        // The minute timer fires just after each minute of the wall clock
        // begins (the fake clock stands at 12:00:00 exactly).
        QCOMPARE(w->Timer1->interval(), 60020);
        QVERIFY(w->Timer1->isActive());
        for (const auto &[time, interval] : {std::pair{QTime(12, 0, 59, 990), 30},
                                             {QTime(12, 1, 0, 15), 60005},
                                             {QTime(12, 1, 42, 500), 17520}}) {
            m_app->fake.clock.current.setTime(time);
            w->Timer1Timer();
            QCOMPARE(w->Timer1->interval(), interval);
            QVERIFY(w->Timer1->isActive());
        }
        QCOMPARE(w->Timer2->interval(), 500);
        QCOMPARE(w->Timer3->interval(), 15000);
        QVERIFY(!w->Timer3->isActive());
    }

    void tabsSwitchPagesAndFocus() {
        TOptionsForm *w = main();
        w->ShowMainWindow();
        for (int i : {4, 1, 0, 2, 3}) {
            w->TabControl1->setCurrentIndex(i);
            QCOMPARE(w->PageControl1->currentIndex(), i);
            if (i == 2)
                QCOMPARE(w->focusWidget(), w->tasksPage()->StringGrid2);
        }
        // Archive tab: the day list ends focused when it and the text field are enabled.
        QCOMPARE(w->focusWidget(), w->archivePage()->Edit1);
        w->archivePage()->ComboBox5->setEnabled(true);
        w->selectTab(0);
        w->selectTab(3);
        QCOMPARE(w->TabControl1->currentIndex(), 3);
        QCOMPARE(w->focusWidget(), w->archivePage()->ComboBox5);
    }

    void statusLineClearsFifteenSecondsAfterTheLastReport() {
        TOptionsForm *w = main();
        const QColor face = w->lampColour();
        w->ShowStatus(QStringLiteral(" Odnaleziono wolny termin."), true);
        QCOMPARE(w->lampColour(), QColor(0, 255, 0));
        QCOMPARE(w->Panel4->text(), QStringLiteral(" Odnaleziono wolny termin."));
        QVERIFY(w->Timer3->isActive());

        w->Timer3->stop(); // stands in for time passing: the second report restarts it
        w->ShowStatus(QStringLiteral(" Wszystkie terminy są zajęte!"), false);
        QCOMPARE(w->lampColour(), QColor(255, 0, 0));
        QVERIFY(w->Timer3->isActive());
        QVERIFY(w->Timer3->remainingTime() > 14000);

        w->Timer3Timer();
        QVERIFY(!w->Timer3->isActive());
        QCOMPARE(w->lampColour(), face);
        QVERIFY(w->Panel4->text().isEmpty());
    }

    void resolutionWarning_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("runAnyway");
        QTest::addColumn<bool>("warned");
        QTest::addColumn<bool>("opens");
        QTest::newRow("800x600 unchecked") << QSize(800, 600) << false << true << false;
        QTest::newRow("800x600 checked") << QSize(800, 600) << true << true << true;
        QTest::newRow("1280x720 unchecked") << QSize(1280, 720) << false << true << true;
        QTest::newRow("1280x720 checked") << QSize(1280, 720) << true << true << true;
        QTest::newRow("1024x768") << QSize(1024, 768) << false << false << true;
    }
    void resolutionWarning() {
        QFETCH(QSize, screen);
        QFETCH(bool, runAnyway);
        QFETCH(bool, warned);
        QFETCH(bool, opens);
        TOptionsForm *w = main();
        m_app->fake.screen.screenSize = screen;
        bool settingsWhileOpen = true;
        m_app->fake.modal.onExec = [&](QDialog *d) {
            auto *warning = qobject_cast<TResolutionAlertForm *>(d);
            QVERIFY(warning);
            // Its two lines stay two and are whole; every control lies inside.
            const QFontMetrics metrics(warning->Text->font());
            QCOMPARE(warning->Text->text().count(QLatin1Char('\n')), 1);
            QVERIFY(!warning->Text->wordWrap());
            QVERIFY(warning->Text->height() >= 2 * metrics.height());
            for (const QString &line : warning->Text->text().split(QLatin1Char('\n')))
                QVERIFY(metrics.horizontalAdvance(line) <= warning->Text->width());
            for (QWidget *control :
                 {static_cast<QWidget *>(warning->Text), static_cast<QWidget *>(warning->CheckBox1),
                  static_cast<QWidget *>(warning->BitBtn1)})
                QVERIFY(warning->rect().contains(control->geometry()));
            settingsWhileOpen = w->N_Settings->isEnabled();
            warning->CheckBox1->setChecked(runAnyway);
            warning->BitBtn1->click();
        };
        w->ShowMainWindow(true);
        QCOMPARE(m_app->fake.modal.count(), warned ? 1 : 0);
        if (warned)
            QVERIFY(!settingsWhileOpen);
        QCOMPARE(w->isVisible(), opens);
        QCOMPARE(w->windowHiddenFlag(), !opens);
        if (opens)
            QCOMPARE(w->pos(), QPoint((screen.width() - w->frameGeometry().width()) / 2,
                                      (screen.height() - w->frameGeometry().height()) / 2));
    }

    void zamknijHidesAndUstawieniaShowsTheSameState() {
        TOptionsForm *w = main();
        QVERIFY(w->windowHiddenFlag());
        w->N_Settings->trigger();
        QVERIFY(w->isVisible());
        QVERIFY(!w->N_Settings->isEnabled());
        QVERIFY(w->Timer2->isActive());
        w->selectTab(3);
        w->archivePage()->Edit1->setText(QStringLiteral("urodziny"));

        // An icon click while shown changes nothing.
        w->ShowMainWindow(true);
        QVERIFY(w->isVisible());
        QCOMPARE(w->TabControl1->currentIndex(), 3);

        w->BitBtn2->click();
        QVERIFY(!w->isVisible());
        QVERIFY(w->N_Settings->isEnabled());
        // Hidden: only the minute timer may wake the program.
        QVERIFY(w->Timer1->isActive());
        QVERIFY(!w->Timer2->isActive());
        QVERIFY(!w->Image1->isTimerActive());

        w->N_Settings->trigger();
        QVERIFY(w->isVisible());
        QCOMPARE(w->TabControl1->currentIndex(), 3);
        QCOMPARE(w->PageControl1->currentIndex(), 3);
        QCOMPARE(w->archivePage()->Edit1->text(), QStringLiteral("urodziny"));
        QCOMPARE(w->archivePage()->StringGrid1->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral(" Dodano..."));
        QCOMPARE(w->tasksPage()->StringGrid2->item(0, 0)->text(), QStringLiteral(" Dodano..."));
    }

    void showingStartsOneRunOfTheSidePicture() {
        TOptionsForm *w = main();
        QVERIFY(!w->Image1->isRunning());
        w->ShowMainWindow();
        QVERIFY(w->Image1->isRunning());
        QVERIFY(w->Image1->isTimerActive());
        for (int i = 0; i < 389; ++i)
            w->Image1->tick();
        QVERIFY(!w->Image1->isRunning());
        QCOMPARE(w->Image1->offset(), -77);
    }

    void hotImagesHighlightUnderTheMouse() {
        TOptionsForm *w = main();
        w->ShowMainWindow();
        w->selectTab(2);
        QVERIFY(!w->tasksPage()->Image13->isHighlighted());
        QEvent enter(QEvent::Enter);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w->tasksPage()->Image13, &enter);
        QVERIFY(w->tasksPage()->Image13->isHighlighted());
        QCoreApplication::sendEvent(w->tasksPage()->Image13, &leave);
        QCoreApplication::sendEvent(w->tasksPage()->StringGrid2, &enter);
        QVERIFY(!w->tasksPage()->Image13->isHighlighted());

        // The highlighted picture clears the editor.
        w->tasksPage()->RichEdit4->setPlainText(QStringLiteral("kupić chleb"));
        QCoreApplication::sendEvent(w->tasksPage()->Image13, &enter);
        QTest::mouseClick(w->tasksPage()->Image13, Qt::LeftButton);
        QVERIFY(w->tasksPage()->RichEdit4->toPlainText().isEmpty());

        w->selectTab(1);
        QCoreApplication::sendEvent(w->addressPage()->Image8, &enter);
        QVERIFY(w->addressPage()->Image8->isHighlighted());
        QCoreApplication::sendEvent(w->addressPage()->Image8, &leave);
        QCoreApplication::sendEvent(w->addressPage()->Edit2, &enter);
        QVERIFY(!w->addressPage()->Image8->isHighlighted());
    }

    void informationWindowFitsItsText() {
        TAlertForm *alert = m_app->forms().alert;
        int width = 0, buttonLeft = 0;
        QString shownText;
        m_app->fake.modal.onExec = [&](QDialog *d) {
            width = d->width();
            buttonLeft = alert->BitBtn1->x();
            shownText = alert->text();
            QVERIFY(d->isVisible());
            alert->BitBtn1->click();
        };
        alert->showMessage(QStringLiteral("..."));
        QCOMPARE(shownText, QStringLiteral("..."));
        QCOMPARE(width, 374);
        QCOMPARE(alert->Panel1->width(), 353);
        QCOMPARE(buttonLeft, 374 / 2 - alert->BitBtn1->width() / 2);
        QVERIFY(!alert->isVisible());

        const QString longText = QStringLiteral(
            "Numer terminu: przekroczono zakres - dopuszczalna wartość: od 1 do 50.");
        alert->showMessage(longText);
        const int textWidth = alert->Label1->fontMetrics().horizontalAdvance(longText);
        QVERIFY(textWidth >= 280);
        QCOMPARE(width, textWidth + 106);
        QCOMPARE(alert->Panel1->width(), textWidth + 85);
        QCOMPARE(buttonLeft, (textWidth + 106) / 2 - alert->BitBtn1->width() / 2);
        QCOMPARE(alert->windowTitle(), QStringLiteral("Błąd..."));
    }

    void confirmationAnswerFlag() {
        TAskAlertForm *ask = m_app->forms().askAlert;
        m_app->fake.modal.onExec = [&](QDialog *) { ask->BitBtn2->click(); };
        QVERIFY(!ask->ask(QStringLiteral("Usunięcie danych aktualnego terminu..."),
                          QStringLiteral("Usunięcie danych"), QStringLiteral("Usuń"),
                          QStringLiteral("Ta operacja spowoduje bezpowrotne usunięcie wszystkich "
                                         "danych aktualnego terminu.")));
        QCOMPARE(ask->windowTitle(), QStringLiteral("Usunięcie danych aktualnego terminu..."));
        QCOMPARE(ask->BitBtn1->text(), QStringLiteral("Usuń"));
        m_app->fake.modal.onExec = [&](QDialog *) {
            ask->BitBtn1->click();
            QVERIFY(ask->answer);
        };
        QVERIFY(ask->ask(QStringLiteral("Import danych z pliku..."),
                         QStringLiteral("Import danych"), QStringLiteral("Importuj"),
                         QStringLiteral("x")));
        QVERIFY(!ask->answer); // the caller's reset
        // The window closed any other way answers no.
        m_app->fake.modal.onExec = nullptr;
        QVERIFY(!ask->ask(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                          QStringLiteral("d")));
    }

    void reminderButtonsEnableTheTrayItemsAgain_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("tab");
        QTest::newRow("Zamknij") << 1 << -1;
        QTest::newRow("Ustawienia") << 2 << 0;
        QTest::newRow("Baza teleadresowa") << 3 << 1;
    }
    void reminderButtonsEnableTheTrayItemsAgain() {
        QFETCH(int, button);
        QFETCH(int, tab);
        TOptionsForm *w = main();
        TRemaindForm *remaind = m_app->forms().remaind;
        QCOMPARE(remaind->windowTitle(), QStringLiteral("Kelvadrin - przypomnienie..."));
        QVERIFY(remaind->stayOnTop());
        w->selectTab(4);
        w->setTrayItemsEnabled(false);
        remaind->ensureBuilt(); // as a reminder fills it
        remaind->BitBtn3->setEnabled(true);
        remaind->show();
        (button == 1   ? remaind->BitBtn1
         : button == 2 ? remaind->BitBtn2
                       : remaind->BitBtn3)
            ->click();
        QVERIFY(!remaind->isVisible());
        // Every button enables both items again, also when it opened the window.
        QVERIFY(w->N_End->isEnabled());
        QVERIFY(w->N_Settings->isEnabled());
        QCOMPARE(w->isVisible(), tab >= 0);
        if (tab >= 0) {
            QCOMPARE(w->TabControl1->currentIndex(), tab);
            QCOMPARE(w->PageControl1->currentIndex(), tab);
        }
    }

    void reminderArchiveMarkFollowsTheSetting() {
        TRemaindForm *remaind = m_app->forms().remaind;
        QVERIFY(remaind->addToArchive()); // the box is checked by default
        remaind->ArchiveItem->trigger();
        QVERIFY(!remaind->addToArchive());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
