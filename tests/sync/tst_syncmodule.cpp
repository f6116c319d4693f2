// The sync module as the program loads it, with the password asked through
// the platform's question (a recording fake) and a real Radicale: what each
// answer leads to, and when the question comes again.
#include "SyncFixture.h"
#include "common/FakePlatform.h"
#include "sync/SyncService.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

using namespace kv;
using namespace kv::test;
using Answer = IPasswordQuestion::Answer;

class TestSyncModule : public QObject {
    Q_OBJECT
private slots:
    void passwordQuestion() {
        ScriptServer server(QStringLiteral("radicale_server.py"),
                            {QStringLiteral("--dir"), m_dir.filePath(QStringLiteral("server")),
                             QStringLiteral("--create-calendar"), QStringLiteral("kalendarz")});
        const QString calendar = server.readLine();
        QVERIFY2(!calendar.isEmpty(), "Radicale did not start");
        Registry registry(m_dir.filePath(QStringLiteral("registry.sqlite3")));
        {
            RegKey key = registry.openKey(names::syncKey, true);
            key.writeString(names::syncServer, server.url.toString());
            key.writeString(names::syncUser, QStringLiteral("anna"));
            key.writeString(names::syncCalendar, calendar);
        }
        FakePlatform fake;
        QStringList statuses, notes;
        SyncHost host;
        host.registry = &registry;
        host.folder = m_dir.path();
        host.platform = &fake.platform;
        host.showStatus = [&](const QString &text, bool) { statuses << text; };
        host.setTrayNote = [&](const QString &note) { notes << note; };
        QString failure;
        const auto *module = loadModule<SyncModule>(&failure);
        QVERIFY2(module, qPrintable(failure));
        std::unique_ptr<SyncService> service(module->start(host));
        QVERIFY(service);
        service->showWindow();
        QPushButton *syncNow = nullptr;
        QLabel *last = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            for (auto *button : window->findChildren<QPushButton *>())
                if (button->accessibleName() == QLatin1String("Synchronizuj teraz"))
                    syncNow = button;
            for (auto *label : window->findChildren<QLabel *>())
                if (label->accessibleName() == QLatin1String("Ostatnia synchronizacja"))
                    last = label;
        }
        QVERIFY(syncNow && last);

        // Each step: the answer given, and what the status line then says.
        // After "Anuluj" (and a question that could not be asked) sync waits
        // and says so until "Synchronizuj teraz"; a password the server
        // refuses is asked again; a good one is kept for the session.
        const QString waits = QStringLiteral(
            "Synchronizacja czeka na hasło: wybierz „Synchronizuj teraz” w oknie synchronizacji.");
        const struct {
            Answer answer;
            QString status;
        } steps[] = {
            {{Answer::Cancelled, {}}, waits},
            {{Answer::Cancelled, {}}, waits},
            {{Answer::Failed, {}},
             QStringLiteral("Synchronizacja czeka na hasło: nie można uruchomić modułu programu "
                            "(kelvadrin-askpass).")},
            {{Answer::Given, QStringLiteral("zle")}, QStringLiteral("Synchronizacja nie powiodła")},
            {{Answer::Given, QStringLiteral("tajne")}, QStringLiteral("Synchronizacja zakończona")},
        };
        for (const auto &step : steps) {
            const qsizetype asked = fake.passwordQuestion.labels.size();
            fake.passwordQuestion.answer = step.answer;
            statuses.clear();
            syncNow->click();
            QTRY_COMPARE_WITH_TIMEOUT(statuses.size(), 1, 30000);
            QCOMPARE(fake.passwordQuestion.labels.size(), asked + 1);
            QVERIFY2(statuses.first().startsWith(step.status), qPrintable(statuses.first()));
            if (step.answer.kind != Answer::Given) {
                QCOMPARE(notes.last(), statuses.first());
                QCOMPARE(last->text(), statuses.first());
                QCOMPARE(last->accessibleDescription(), statuses.first());
            }
        }
        QCOMPARE(fake.passwordQuestion.labels.first(),
                 QStringLiteral("Hasło użytkownika anna na serwerze 127.0.0.1:"));
        QVERIFY(notes.last().isEmpty()); // the tray icon no longer tells of a wait
        // The password is kept: the next sync asks nothing.
        statuses.clear();
        const qsizetype asked = fake.passwordQuestion.labels.size();
        syncNow->click();
        QTRY_COMPARE_WITH_TIMEOUT(statuses.size(), 1, 30000);
        QCOMPARE(fake.passwordQuestion.labels.size(), asked);
        QVERIFY2(statuses.first().startsWith(QStringLiteral("Synchronizacja zakończona")),
                 qPrintable(statuses.first()));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestSyncModule)
#include "tst_syncmodule.moc"
