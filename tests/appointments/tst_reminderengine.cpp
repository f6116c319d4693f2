#include "appointments/Remaindunit.h"
#include "appointments/Reminderengine.h"
#include "common/TestDateTest.h"
#include "info/Alertunit.h"
#include "widgets/ShadowHeading.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using namespace kv;

namespace {

struct FakeHost : ReminderHost, ReminderSettings, ReminderEditor {
    bool signal = false;
    QString duration = QStringLiteral("5");
    std::optional<QString> sound;
    QStringList log;
    QList<int> selected;
    int linkEntry = -1;
    std::vector<std::pair<QString, QString>> archived;
    ArchiveOutcome archiveResult = ArchiveOutcome::Stored;
    bool trayItems = true;

    bool signalEnabled() const override { return signal; }
    QString durationText() const override { return duration; }
    void setDurationText(const QString &text) override { duration = text; }
    bool soundSettingExists() const override { return sound.has_value(); }
    QString soundSetting() const override { return sound.value_or(QString()); }
    bool LoadSoundFile(const QString &path, bool play) override {
        log << QStringLiteral("load %1 %2").arg(path).arg(play);
        return true;
    }
    void stopSound() override { log << QStringLiteral("stop sound"); }
    void SelectSlot(int slot) override { selected << slot; }
    void LoadSlot() override { log << QStringLiteral("LoadSlot"); }
    void RefreshClock() override { log << QStringLiteral("RefreshClock"); }
    void setBusyCursor(bool busy) override { log << QStringLiteral("busy %1").arg(busy); }
    void setTrayIconVisible(bool visible) override {
        log << QStringLiteral("icon %1").arg(visible);
    }
    void repaintMainWindow() override {}
    void setTrayItemsEnabled(bool enabled) override { trayItems = enabled; }
    void setAddressEntryNumber(int entry) override { linkEntry = entry; }
    void clearStatusLine() override { log << QStringLiteral("status cleared"); }
    ArchiveOutcome archiveAppend(const QString &date, const QString &message) override {
        archived.emplace_back(date, message);
        return archiveResult;
    }
    void reminderShown(const QString &message) override {
        log << QStringLiteral("shown ") + message;
    }
    void reminderClosed() override { log << QStringLiteral("closed"); }
};

// What the reminder window showed while it was open.
struct Shown {
    int slot;
    QString message, dateLine, period, link, entry;
    bool overdue, onTop, linkButton, trayItems;
    QString lastLogged; // the desktop told of the window just before it opened
};

} // namespace

class TestReminderEngine : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::FakePlatform> m_fake;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<AppointmentStore> m_store;
    std::unique_ptr<TRemaindForm> m_remaind;
    std::unique_ptr<TAlertForm> m_alert;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<ReminderEngine> m_engine;
    std::vector<Shown> m_shown;
    QStringList m_alerts;

    RegKey key() { return m_store->key(); }
    void put(int n, const char *date, const char *time, const char *info, int repeat = -1) {
        RegKey k = key();
        k.writeBool(names::termin(n), true);
        if (date)
            k.writeString(names::date(n), QString::fromLatin1(date));
        if (time)
            k.writeString(names::time(n), QString::fromLatin1(time));
        if (info)
            k.writeString(names::info(n), QString::fromUtf8(info));
        if (repeat >= 0)
            k.writeInteger(names::repeat(n), repeat);
    }

private slots:
    void init() {
        m_engine.reset();
        m_remaind.reset();
        m_alert.reset();
        m_store.reset();
        m_registry.reset();
        m_shown.clear();
        m_alerts.clear();
        QFile::remove(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_fake = std::make_unique<test::FakePlatform>();
        m_fake->clock.set(2026, 12, 8, 10, 15);
        m_registry = std::make_unique<Registry>(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_store =
            std::make_unique<AppointmentStore>(m_registry->openKey(names::appointmentsKey, true));
        m_remaind = std::make_unique<TRemaindForm>(m_fake->platform, true);
        m_alert = std::make_unique<TAlertForm>(m_fake->platform);
        m_host = std::make_unique<FakeHost>();
        m_engine = std::make_unique<ReminderEngine>(m_fake->platform, *m_registry, *m_store,
                                                    test::dateTestAt(m_fake->clock), *m_remaind,
                                                    *m_alert, *m_host, *m_host, *m_host);
        connect(m_remaind.get(), &TRemaindForm::trayItemsEnabled, this,
                [this] { m_host->setTrayItemsEnabled(true); });
        m_fake->modal.onExec = [this](QDialog *d) {
            if (d == m_alert.get()) {
                m_alerts << m_alert->text();
                return;
            }
            QCOMPARE(d, m_remaind.get());
            m_shown.push_back({m_host->selected.value(m_host->selected.size() - 1),
                               m_remaind->Memo1->toPlainText(), m_remaind->DateLine->text(),
                               m_remaind->PeriodLine->text(), m_remaind->LinkLine->text(),
                               m_remaind->EntryLine->text(), m_remaind->Overdue->isVisible(),
                               m_remaind->stayOnTop(), m_remaind->BitBtn3->isEnabled(),
                               m_host->trayItems, m_host->log.value(m_host->log.size() - 1)});
            m_remaind->BitBtn1->click();
        };
    }

    void timedAppointmentFiresInItsMinute() {
        put(3, "12/08/26", "10:15", "Dentysta\r\nul. Długa 5");
        m_engine->Timer1Timer();
        QCOMPARE(m_shown.size(), size_t(1));
        const Shown &s = m_shown[0];
        QCOMPARE(s.slot, 3);
        QCOMPARE(s.message, QStringLiteral("Dentysta\nul. Długa 5"));
        QCOMPARE(
            s.dateLine,
            QStringLiteral("Termin przypomnienia określono na godzinę 10:15 dnia 8 grudnia 2026"));
        QCOMPARE(s.period, QStringLiteral("... jednorazowo"));
        QVERIFY(!s.overdue);
        QVERIFY(s.onTop);
        QCOMPARE(s.lastLogged, QStringLiteral("shown Dentysta\r\nul. Długa 5"));
        QCOMPARE(m_host->log.count(QStringLiteral("closed")), 1);
        QVERIFY(!s.trayItems);
        QVERIFY(!s.linkButton);
        QVERIFY(s.link.isEmpty() && s.entry.isEmpty());
        QVERIFY(m_host->trayItems); // the window's button enabled them again
        QVERIFY(!m_remaind->stayOnTop());
        // Archived with its date, then removed but for its repeat code.
        QCOMPARE(m_host->archived.size(), size_t(1));
        QCOMPARE(m_host->archived[0].first, QStringLiteral("12/08/26"));
        QCOMPARE(m_host->archived[0].second, QStringLiteral("Dentysta\r\nul. Długa 5"));
        QVERIFY(m_store->slotIsFree(3));
        QVERIFY(!key().valueExists(QStringLiteral("Info 3")));
        QCOMPARE(m_fake->beep.count, 1); // no sound file: one exclamation beep
        QCOMPARE(m_host->log.last(), QStringLiteral("RefreshClock"));
        QVERIFY(m_host->log.contains(QStringLiteral("LoadSlot")));
    }

    void aheadAndUnarmedSlotsWait() {
        put(1, "12/08/26", "10:16", "later");
        key().writeString(QStringLiteral("Date 2"), QStringLiteral("12/01/26"));
        key().writeString(QStringLiteral("Info 2"), QStringLiteral("not armed"));
        m_engine->Timer1Timer();
        QVERIFY(m_shown.empty());
        QVERIFY(!m_store->slotIsFree(1));
    }

    void overdueOneTimeAppointmentIsMarkedAndRemoved() {
        m_fake->clock.set(2026, 12, 8, 12, 0);
        put(7, "12/08/26", "09:00", "Spotkanie");
        key().writeInteger(QStringLiteral("Add adress 7"), 12);
        m_engine->Timer1Timer();
        QCOMPARE(m_shown.size(), size_t(1));
        QVERIFY(m_shown[0].overdue);
        QCOMPARE(m_shown[0].link, QStringLiteral("Termin powiązany z bazą teleadresową... "));
        QCOMPARE(m_shown[0].entry, QStringLiteral("wpis numer 12"));
        QVERIFY(m_shown[0].linkButton);
        QCOMPARE(m_host->linkEntry, 12);
        QVERIFY(m_store->slotIsFree(7));
        QVERIFY(!key().valueExists(QStringLiteral("Add Adress 7")));
        m_engine->Timer1Timer();
        QCOMPARE(m_shown.size(), size_t(1));
    }

    void dailyAppointmentCatchesUpOneDayPerScan() {
        m_fake->clock.set(2026, 12, 8, 9, 0);
        put(2, "12/05/26", "18:30", "Leki", 1);
        QStringList dates;
        for (int scan = 0; scan < 4; ++scan) {
            m_engine->Timer1Timer();
            dates << key().readString(QStringLiteral("Date 2"));
        }
        QCOMPARE(m_shown.size(), size_t(3));
        QCOMPARE(dates, (QStringList{QStringLiteral("12/06/26"), QStringLiteral("12/07/26"),
                                     QStringLiteral("12/08/26"), QStringLiteral("12/08/26")}));
        for (const Shown &s : m_shown) {
            QVERIFY(s.overdue);
            QCOMPARE(s.period, QStringLiteral("... codziennie"));
        }
        // The archive keeps the day each reminder fell due, before it moved on.
        QCOMPARE(m_host->archived[0].first, QStringLiteral("12/05/26"));
        QCOMPARE(m_host->archived[2].first, QStringLiteral("12/07/26"));
        QVERIFY(!m_store->slotIsFree(2)); // still armed
        m_fake->clock.set(2026, 12, 8, 18, 30);
        m_engine->Timer1Timer();
        QCOMPARE(m_shown.size(), size_t(4));
        QVERIFY(!m_shown[3].overdue);
        QCOMPARE(key().readString(QStringLiteral("Date 2")), QStringLiteral("12/09/26"));
    }

    void severalDueAppointmentsComeInSlotOrder() {
        put(9, "12/08/26", "10:15", "second");
        put(4, nullptr, "10:15", "first");
        put(30, "12/08/26", nullptr, "third, all day");
        m_engine->Timer1Timer();
        QCOMPARE(m_shown.size(), size_t(3));
        QCOMPARE(m_shown[0].slot, 4);
        QCOMPARE(m_shown[0].dateLine,
                 QStringLiteral("Termin przypomnienia określono na godzinę 10:15"));
        QCOMPARE(m_shown[1].slot, 9);
        QCOMPARE(m_shown[2].slot, 30);
        QCOMPARE(m_shown[2].dateLine,
                 QStringLiteral("Termin przypomnienia określono na dzień 8 grudnia 2026"));
        // The time-only appointment is archived with the day it fell due.
        QCOMPARE(m_host->archived[0].first, QStringLiteral("12/08/26"));
    }

    void polishMonthNames() {
        const QStringList expected{
            QStringLiteral("stycznia"),     QStringLiteral("lutego"),    QStringLiteral("marca"),
            QStringLiteral("kwietnia"),     QStringLiteral("maja"),      QStringLiteral("czerwca"),
            QStringLiteral("lipca"),        QStringLiteral("sierpnia"),  QStringLiteral("września"),
            QStringLiteral("października"), QStringLiteral("listopada"), QStringLiteral("grudnia")};
        for (int m = 1; m <= 12; ++m)
            QCOMPARE(ReminderEngine::monthName(m), expected[m - 1]);
        QVERIFY(ReminderEngine::monthName(13).isEmpty());
        m_fake->clock.set(2027, 3, 2, 8, 0);
        put(1, "03/02/27", "07:05", "x");
        m_engine->Timer1Timer();
        QCOMPARE(
            m_shown[0].dateLine,
            QStringLiteral("Termin przypomnienia określono na godzinę 07:05 dnia 2 marca 2027"));
    }

    void advanceSignalAndEmptyDuration() {
        m_host->signal = true;
        m_host->duration.clear();
        put(1, "12/08/26", "10:15", "x");
        m_engine->Timer1Timer();
        QCOMPARE(m_host->duration, QStringLiteral("5"));
        QCOMPARE(m_fake->beep.count, 5 + 1); // five signal beeps, then the reminder's own
        QCOMPARE(m_fake->clock.waits, (QList<int>{1000, 1000, 1000, 1000, 1000}));
        const int hidden = m_host->log.indexOf(QStringLiteral("icon 0"));
        QVERIFY(hidden >= 0);
        QVERIFY(m_host->log.indexOf(QStringLiteral("icon 1")) > hidden);
    }

    void soundFileIsPlayedAndStopped() {
        m_host->sound = QStringLiteral("/home/u/dzwonek.mp3");
        put(1, "12/08/26", "10:15", "x");
        m_engine->Timer1Timer();
        QVERIFY(m_host->log.contains(QStringLiteral("load /home/u/dzwonek.mp3 1")));
        QVERIFY(m_host->log.contains(QStringLiteral("stop sound")));
        QCOMPARE(m_fake->beep.count, 0);
    }

    void archiveMarkAndFullArchive() {
        put(1, "12/08/26", "10:15", "kept out");
        m_remaind->setAddToArchive(false);
        m_engine->Timer1Timer();
        QVERIFY(m_host->archived.empty());
        QVERIFY(!m_remaind->addToArchive()); // carries over to the next reminder

        m_remaind->setAddToArchive(true);
        m_host->archiveResult = ArchiveOutcome::Full;
        put(2, "12/08/26", "10:15", "no room");
        m_engine->Timer1Timer();
        QCOMPARE(m_alerts,
                 QStringList{QStringLiteral("Archiwum zostało przeładowane. Wiadomość nie zostanie "
                                            "zapisana.")});
        QVERIFY(m_store->slotIsFree(2));

        m_alerts.clear();
        m_host->archiveResult = ArchiveOutcome::WriteFailed;
        put(3, "12/08/26", "10:15", "unwritable");
        m_engine->Timer1Timer();
        QVERIFY(m_alerts.isEmpty()); // skipped without a message
    }

    void damagedSlotIsReportedAndSkipped() {
        put(1, nullptr, "10:15", "x");
        key().writeInteger(QStringLiteral("Date 1"), 1208); // a date of the wrong type
        put(2, "12/08/26", "10:15", "still comes");
        m_engine->Timer1Timer();
        QCOMPARE(m_alerts, QStringList{QStringLiteral("Błąd funkcji \"Terminy\".")});
        QCOMPARE(m_shown.size(), size_t(1));
        QCOMPARE(m_shown[0].slot, 2);
    }

    void changeDateErrorStillShowsTheReminder() {
        put(5, "13/08/26", "10:15", "x", 7);
        m_engine->Timer1Timer(); // month 13: not a date the test accepts
        QVERIFY(m_shown.empty());
        key().writeString(QStringLiteral("Repeat 6"), QStringLiteral("7")); // wrong type
        put(6, "12/08/26", "10:15", "shown anyway");
        m_engine->Timer1Timer();
        QVERIFY(m_alerts.contains(QStringLiteral("Błąd funkcji \"ChangeDate\".")));
        QCOMPARE(m_shown.size(), size_t(1));
        QCOMPARE(key().readString(QStringLiteral("Date 6")), QStringLiteral("12/08/26"));
        QVERIFY(!m_store->slotIsFree(6)); // it comes again at the next scan
    }

    void timerFiringInsideAMessageStartsNoSecondScan() {
        // The minute timer fires while the ChangeDate message of this scan is open.
        key().writeString(QStringLiteral("Repeat 6"), QStringLiteral("7"));
        put(6, "12/08/26", "10:15", "x");
        put(7, "12/08/26", "10:15", "daily", 1);
        const auto onExec = m_fake->modal.onExec;
        m_fake->modal.onExec = [&](QDialog *d) {
            if (d == m_alert.get())
                m_engine->Timer1Timer();
            onExec(d);
        };
        m_engine->Timer1Timer();
        QCOMPARE(m_shown.size(), size_t(2));
        QCOMPARE(key().readString(QStringLiteral("Date 7")), QStringLiteral("12/09/26"));
    }

    void noScanWhileAReminderIsOnScreen() {
        put(1, "12/08/26", "10:15", "x");
        m_remaind->show();
        m_engine->Terminy();
        QVERIFY(m_shown.empty());
        QVERIFY(!m_store->slotIsFree(1));
        m_remaind->hide();
    }

    void recurringTimeOnlyAppointmentGetsADate() {
        put(8, nullptr, "10:15", "co tydzień", 7);
        m_engine->Timer1Timer();
        QCOMPARE(m_shown.size(), size_t(1));
        QCOMPARE(key().readString(QStringLiteral("Date 8")), QStringLiteral("12/15/26"));
        QCOMPARE(m_shown[0].period, QStringLiteral("... co tydzień"));
        QVERIFY(!m_store->slotIsFree(8));
    }
};

QTEST_MAIN(TestReminderEngine)
#include "tst_reminderengine.moc"
