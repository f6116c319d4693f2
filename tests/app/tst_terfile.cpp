#include "common/AppFixture.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "platform/RegistryNames.h"
#include "tasks/Taskspage.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace kv;
using test::AppFixture;

// The program's own routes to the appointment file: the menu, the command
// line, and the task tab it hosts.
class TestTerFile : public QObject {
    Q_OBJECT

private slots:
    void commandLineImportsAfterConfirmation() {
        AppFixture app;
        QCOMPARE(app.start(), -1);
        RegKey key = app.registry->openKey(names::appointmentsKey, false);
        key.writeString(names::info(3), QStringLiteral("Urodziny"));
        key.writeInteger(names::repeat(3), 41);
        app.fake.fileDialogs.answers << app.path(QStringLiteral("Terminy.ter"));
        app.main()->ensureBuilt(); // the menus are in the window
        app.main()->M_ExportAppointments->trigger();
        QCOMPARE(QFileInfo(app.path(QStringLiteral("Terminy.ter"))).size(), 31680);
        app.stop();

        key.deleteValue(names::info(3));
        app.arguments << app.path(QStringLiteral("Terminy.ter"));
        QStringList asked;
        app.fake.modal.onExec = [&](QDialog *d) {
            asked << d->windowTitle();
            if (d == app.forms().askAlert)
                app.forms().askAlert->BitBtn1->click();
        };
        QCOMPARE(app.start(), -1);
        QCOMPARE(asked, (QStringList{QStringLiteral("Import danych z pliku..."),
                                     QStringLiteral("Import danych")}));
        key = app.registry->openKey(names::appointmentsKey, false);
        QCOMPARE(key.readString(names::info(3)), QStringLiteral("Urodziny"));
    }

    void taskTabIsHostedAndReportsInTheStatusLine() {
        AppFixture app;
        QCOMPARE(app.start(), -1);
        app.main()->ShowMainWindow(true);
        TTasksPage *page = app.main()->tasksPage();
        QCOMPARE(page->StringGrid2->item(0, 0)->text(), QStringLiteral(" Dodano..."));
        page->BitBtn19Click();
        QCOMPARE(app.main()->Panel4->text(), QStringLiteral(" Podaj treść wiadomości."));
        QCOMPARE(app.main()->lampColour(), TOptionsForm::lampFailure());
    }
};

QTEST_MAIN(TestTerFile)
#include "tst_terfile.moc"
