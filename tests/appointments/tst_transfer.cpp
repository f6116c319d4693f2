#include "appointments/Appointmenttransfer.h"
#include "appointments/CalendarTransfer.h"
#include "common/FakePlatform.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "tasks/TaskStore.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace kv;

namespace {
struct Host : ReminderHost {
    bool busy = false;
    void setBusyCursor(bool b) override { busy = b; }
    void setTrayIconVisible(bool) override {}
    void repaintMainWindow() override {}
    void setTrayItemsEnabled(bool) override {}
    void setAddressEntryNumber(int) override {}
    void clearStatusLine() override {}
    ArchiveOutcome archiveAppend(const QString &, const QString &) override {
        return ArchiveOutcome::Stored;
    }
    void reminderShown(const QString &) override {}
    void reminderClosed() override {}
};
struct Editor : ReminderEditor {
    int loads = 0;
    void SelectSlot(int) override {}
    void LoadSlot() override { ++loads; }
    void RefreshClock() override {}
};
} // namespace

class TestTransfer : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::FakePlatform> m_fake;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<AppointmentStore> m_store;
    std::unique_ptr<TAlertForm> m_alert;
    std::unique_ptr<TAskAlertForm> m_ask;
    Host m_host;
    Editor m_editor;
    std::unique_ptr<AppointmentTransfer> m_transfer;
    bool m_confirm = true;

    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // What the windows showed: "?" + caption for a question, the text of a message.
    QStringList shown() const {
        QStringList texts;
        for (const auto &s : m_fake->modal.shown)
            texts << s.text;
        return texts;
    }
    void writeFile(const QString &name, const QByteArray &bytes) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init() {
        m_transfer.reset();
        m_store.reset();
        m_registry.reset();
        QFile::remove(path("r.sqlite3"));
        m_fake = std::make_unique<test::FakePlatform>();
        m_registry = std::make_unique<Registry>(path("r.sqlite3"));
        m_store =
            std::make_unique<AppointmentStore>(m_registry->openKey(names::appointmentsKey, true));
        m_alert = std::make_unique<TAlertForm>(m_fake->platform);
        m_ask = std::make_unique<TAskAlertForm>(m_fake->platform);
        m_transfer = std::make_unique<AppointmentTransfer>(m_fake->platform, *m_store, *m_alert,
                                                           *m_ask, m_host, m_editor, nullptr);
        m_editor.loads = 0;
        m_confirm = true;
        m_fake->modal.describe = [this](QDialog *d) {
            if (d == m_ask.get())
                return QStringLiteral("?") + d->windowTitle();
            return (m_alert->showsWarning() ? QString() : QStringLiteral("(i) ")) + m_alert->text();
        };
        m_fake->modal.onExec = [this](QDialog *d) {
            if (d == m_ask.get() && m_confirm)
                m_ask->BitBtn1->click();
        };
    }

    void exportThenImportFromMenu() {
        RegKey k = m_store->key();
        k.writeBool(names::termin(4), true);
        k.writeString(names::time(4), QStringLiteral("09:45"));
        k.writeInteger(names::repeat(4), 7);
        m_fake->fileDialogs.answers << path("Terminy.ter");
        m_transfer->exportAppointments();
        QCOMPARE(m_fake->fileDialogs.titles.last(), QStringLiteral("Eksportuj dane..."));
        QCOMPARE(m_fake->fileDialogs.filters.last(), QStringLiteral("Kelvadrin (*.ter)"));
        QFileInfo info(path("Terminy.ter"));
        QCOMPARE(info.size(), 31680);
        QCOMPARE(int(info.permissions() & 0x0077), 0); // owner only
        QVERIFY(shown().isEmpty());

        k.deleteValue(names::termin(4));
        k.writeString(names::info(9), QStringLiteral("zniknie"));
        m_fake->fileDialogs.answers << path("Terminy.ter");
        m_transfer->importFromMenu();
        QCOMPARE(m_fake->fileDialogs.titles.last(), QStringLiteral("Importuj dane..."));
        QCOMPARE(shown(), (QStringList{QStringLiteral("?Import danych z pliku..."),
                                       "(i) " + AppointmentTransfer::successText()}));
        QCOMPARE(m_fake->modal.shown.back().title, QStringLiteral("Import danych"));
        QVERIFY(k.readBool(names::termin(4)));
        QCOMPARE(k.readString(names::time(4)), QStringLiteral("09:45"));
        QCOMPARE(k.readInteger(names::repeat(4)), 7);
        QVERIFY(!k.valueExists(names::info(9)));
        QCOMPARE(m_editor.loads, 1);
        QVERIFY(!m_host.busy);
    }

    // iCalendar beside the program's own kind: chosen by the filter on export,
    // known by the content on import, and added to the free places only.
    void calendarExportAndAddingImport() {
        TaskStore tasks(m_registry->openKey(names::tasksKey, true));
        CalendarTransfer calendar(*m_store, tasks);
        m_transfer->setCalendar(&calendar);
        RegKey k = m_store->key();
        k.writeBool(names::termin(4), true);
        k.writeString(names::date(4), QStringLiteral("12/24/26"));
        k.writeString(names::time(4), QStringLiteral("18:00"));
        k.writeString(names::info(4), QStringLiteral("Wigilia\r\nu mamy"));
        k.writeInteger(names::repeat(4), 41);
        QCOMPARE(tasks.add(QStringLiteral("kupić karpia"), QDate(2026, 12, 1)), 1);
        m_fake->fileDialogs.answers << path("Terminy.ics");
        m_transfer->exportAppointments();
        QCOMPARE(m_fake->fileDialogs.filters.last(),
                 QStringLiteral("Kelvadrin (*.ter);;iCalendar (*.ics)"));
        const QString uid = k.readString(names::uid(4));
        QVERIFY(!uid.isEmpty()); // kept: the slot stays the same event
        QFile file(path("Terminy.ics"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(Icalendar::looksLikeCalendar(file.readAll()));

        // The same file back: slot 4 and task 1 stay, the copies go to the
        // lowest free places, the slot with a new identity.
        k.writeBool(names::termin(1), true);
        k.writeString(names::time(1), QStringLiteral("07:00"));
        m_fake->fileDialogs.answers << path("Terminy.ics");
        m_transfer->importFromMenu();
        QCOMPARE(m_fake->modal.shown.front().text.left(1), QStringLiteral("?"));
        QCOMPARE(m_ask->Memo1->toPlainText(),
                 QStringLiteral("Do dodania: terminy – 1, zadania – 1."));
        QCOMPARE(k.readString(names::date(2)), QStringLiteral("12/24/26"));
        QCOMPARE(k.readString(names::info(2)), QStringLiteral("Wigilia\r\nu mamy"));
        QCOMPARE(k.readInteger(names::repeat(2)), 41);
        QVERIFY(k.readBool(names::termin(2)));
        QVERIFY(!k.valueExists(names::uid(2)) || k.readString(names::uid(2)) != uid);
        QCOMPARE(k.readString(names::time(1)), QStringLiteral("07:00"));
        QCOMPARE(tasks.text(2), std::optional<QString>(QStringLiteral("kupić karpia")));
        QCOMPARE(tasks.addedOn(2), std::optional<QDate>(QDate(2026, 12, 1)));

        // No free slot and no free task number: nothing is asked, nothing written.
        for (int n = 1; n <= AppointmentStore::SlotCount; ++n)
            k.writeBool(names::termin(n), true);
        for (int n = 1; n <= TaskStore::MaxTasks; ++n)
            if (!tasks.exists(n))
                tasks.put(n, QStringLiteral("x"), QDate(2026, 1, 1));
        m_fake->modal.shown.clear();
        m_fake->fileDialogs.answers << path("Terminy.ics");
        m_transfer->importFromMenu();
        QCOMPARE(shown().size(), 1);
        QVERIFY(shown().first().startsWith(AppointmentTransfer::nothingToAddText()));
        QVERIFY(
            shown().first().endsWith(QStringLiteral("Pominięte – 2: brak wolnych miejsc – 2.")));
    }

    // The kind written follows the typed name's suffix whichever filter was
    // shown, else the filter the dialog reports (Qt's own dialog names it
    // without its patterns); a name typed without a suffix gets none.
    void exportKindFollowsNameThenFilter_data() {
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("calendar");
        QTest::newRow("named filter, .ics") << "iCalendar"
                                            << "kalendarz.ics" << true;
        QTest::newRow("named filter, no suffix") << "iCalendar"
                                                 << "kalendarz" << true;
        QTest::newRow("whole filter, no suffix") << "iCalendar (*.ics)"
                                                 << "kalendarz" << true;
        QTest::newRow(".ics under the first filter") << "Kelvadrin"
                                                     << "kalendarz.ICS" << true;
        QTest::newRow(".ter under iCalendar") << "iCalendar (*.ics)"
                                              << "kopia.ter" << false;
        QTest::newRow("first filter, no suffix") << "Kelvadrin"
                                                 << "kopia" << false;
        QTest::newRow("unknown report, other suffix") << "Wszystkie"
                                                      << "kopia.txt" << false;
    }
    void exportKindFollowsNameThenFilter() {
        QFETCH(QString, reported);
        QFETCH(QString, name);
        QFETCH(bool, calendar);
        TaskStore tasks(m_registry->openKey(names::tasksKey, true));
        CalendarTransfer transfer(*m_store, tasks);
        m_transfer->setCalendar(&transfer);
        m_store->key().writeString(names::time(2), QStringLiteral("08:00"));
        m_fake->fileDialogs.answers << m_dir.filePath(name);
        m_fake->fileDialogs.reported << reported;
        m_transfer->exportAppointments();
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(Icalendar::looksLikeCalendar(bytes), calendar);
        if (!calendar)
            QCOMPARE(bytes.size(), 31680);
        QCOMPARE(QDir(m_dir.path()).entryList({name + QStringLiteral(".*")}, QDir::Files),
                 QStringList());
        QVERIFY(shown().isEmpty());
        file.remove();
    }

    void refusedBeforeAsking_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QString damaged = AppointmentTransfer::damagedFileText();
        QTest::newRow("31679") << QByteArray(31679, '\0') << damaged;
        QTest::newRow("31681") << QByteArray(31681, '\0') << damaged;
        QByteArray armed2(31680, '\0');
        armed2[7 * 528] = 2;
        QTest::newRow("armed byte 2") << armed2 << damaged;
        QTest::newRow("missing") << QByteArray() << AppointmentTransfer::openFailedText();
    }

    void refusedBeforeAsking() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        m_store->key().writeString(names::date(1), QStringLiteral("12/24/26"));
        if (!bytes.isEmpty())
            writeFile(path("x.ter"), bytes);
        else
            QFile::remove(path("x.ter"));
        QVERIFY(!m_transfer->importFile(path("x.ter")));
        QCOMPARE(shown(), QStringList{message});
        QCOMPARE(m_store->key().readString(names::date(1)), QStringLiteral("12/24/26"));
        QCOMPARE(m_editor.loads, 1);
    }

    void declinedImportChangesNothing() {
        m_store->key().writeString(names::date(1), QStringLiteral("12/24/26"));
        writeFile(path("x.ter"), QByteArray(31680, '\0'));
        m_confirm = false;
        QVERIFY(!m_transfer->importFile(path("x.ter")));
        QCOMPARE(shown(), QStringList{QStringLiteral("?Import danych z pliku...")});
        QVERIFY(m_store->key().valueExists(names::date(1)));
    }

    void failedStoreWriteIsReported() {
        m_store->key().writeString(names::date(1), QStringLiteral("12/24/26"));
        writeFile(path("x.ter"), QByteArray(31680, '\0'));
        // The store refuses a write midway through the slots.
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path("r.sqlite3")).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "CREATE TRIGGER midway BEFORE INSERT ON reg_values "
                              "WHEN NEW.name = 'Repeat 30' BEGIN SELECT RAISE(ABORT, 'x'); END",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        QVERIFY(!m_transfer->importFile(path("x.ter")));
        QCOMPARE(shown().last(), AppointmentTransfer::storeFailedText());
        QVERIFY(shown().filter(AppointmentTransfer::successText()).isEmpty());
        QVERIFY(m_store->key().valueExists(names::date(1)));
        QVERIFY(!m_store->key().valueExists(names::repeat(1)));
    }

    // Each dialog opens at home the first time, then in the folder of the
    // file last chosen with it; the export proposes its file name.
    void dialogsOpenAtHomeThenWhereTheirLastFileWas() {
        QDir dir(m_dir.path());
        QVERIFY(dir.mkpath(QStringLiteral("a")) && dir.mkpath(QStringLiteral("b")));
        auto &dialogs = m_fake->fileDialogs;
        dialogs.answers << path("a/Terminy.ter") << path("b/x.ter") << QString() << path("b/x.ter");
        m_transfer->exportAppointments();
        m_transfer->importFromMenu();
        m_transfer->importFromMenu(); // cancelled: nothing kept
        QVERIFY(QDir(path("a")).removeRecursively());
        m_transfer->exportAppointments();
        QCOMPARE(dialogs.requests.size(), size_t(4));
        const QString home = QDir::homePath();
        QCOMPARE(dialogs.requests[0].folder, home);
        QCOMPARE(dialogs.requests[0].proposedName, QStringLiteral("Terminy.ter"));
        QCOMPARE(dialogs.requests[1].folder, home);
        QCOMPARE(dialogs.requests[1].proposedName, QString());
        QCOMPARE(dialogs.requests[2].folder, path("b"));
        QCOMPARE(dialogs.requests[3].folder, home); // its folder is gone
    }

    // Never the program's own files, never a FIFO, a device or a kernel file:
    // refused at once with the usual texts, and nothing is written or read.
    void onlyRegularFilesThatAreNotTheProgramsOwn() {
        const QString live = path("Archiwum.tra");
        writeFile(live, "archiwum");
        m_transfer->setLiveFiles({live});
        QVERIFY(QFile::link(live, path("link.ter")));
        const QString fifo = path("fifo.ter");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QStringList targets{live, path("link.ter"),
                                  m_dir.path() + "/./../" + QFileInfo(m_dir.path()).fileName() +
                                      "/Archiwum.tra",
                                  fifo, QStringLiteral("/proc/self/status")};
        for (const QString &target : targets) {
            m_fake->fileDialogs.answers << target;
            m_transfer->exportAppointments();
        }
        QCOMPARE(shown(), QStringList(targets.size(), AppointmentTransfer::writeFailedText()));
        QFile kept(live);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("archiwum"));
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));

        m_fake->modal.shown.clear();
        for (const QString &source : {fifo, QStringLiteral("/proc/self/status")})
            QVERIFY(!m_transfer->importFile(source));
        m_fake->fileDialogs.answers << fifo;
        m_transfer->importFromMenu();
        QCOMPARE(shown(), QStringList(3, AppointmentTransfer::openFailedText()));
    }

    void failedExportKeepsTheOldFile() {
        writeFile(path("old.ter"), "old");
        // The disk takes no file longer than 1000 bytes.
        rlimit before{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = before;
        small.rlim_cur = 1000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        m_fake->fileDialogs.answers << path("old.ter");
        m_transfer->exportAppointments();
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(shown(), QStringList{AppointmentTransfer::writeFailedText()});
        QFile old(path("old.ter"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("old")),
                 QStringList{QStringLiteral("old.ter")}); // no temporary file left
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
