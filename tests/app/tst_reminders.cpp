#include "app/Programunit.h"
#include "appointments/Appointmenteditor.h"
#include "appointments/Remaindunit.h"
#include "archive/ArchiveFile.h"
#include "common/AppFixture.h"
#include "info/Alertunit.h"
#include "widgets/ShadowHeading.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTextEdit>
#include <QtTest>

using namespace kv;
using test::AppFixture;

// The reminder scan driven through the whole program: the minute timer, the
// reminder window, the archive file on disk and the store.
class TestReminders : public QObject {
    Q_OBJECT
    std::unique_ptr<AppFixture> m_app;
    QStringList m_alerts;
    int m_reminders = 0;
    bool m_trayItemsWhileShown = true;
    bool m_overdueShown = false;

    RegKey key() { return m_app->main()->store().key(); }
    QString archivePath() const { return m_app->installDir() + QStringLiteral("/Archiwum.tra"); }

private slots:
    void init() {
        m_app = std::make_unique<AppFixture>();
        m_app->fake.clock.set(2026, 12, 8, 10, 15);
        QCOMPARE(m_app->start(), -1);
        m_alerts.clear();
        m_reminders = 0;
        m_app->fake.modal.onExec = [this](QDialog *d) {
            if (auto *alert = qobject_cast<TAlertForm *>(d)) {
                m_alerts << alert->text();
                return;
            }
            auto *remaind = qobject_cast<TRemaindForm *>(d);
            QVERIFY(remaind);
            ++m_reminders;
            m_trayItemsWhileShown =
                m_app->main()->N_Settings->isEnabled() || m_app->main()->N_End->isEnabled();
            m_overdueShown = remaind->Overdue->isVisible();
            remaind->BitBtn1->click();
        };
    }
    void cleanup() { m_app.reset(); }

    void dueAppointmentIsArchivedAndRemoved() {
        RegKey k = key();
        k.writeBool(QStringLiteral("Termin 4"), true);
        k.writeString(QStringLiteral("Date 4"), QStringLiteral("12/08/26"));
        k.writeString(QStringLiteral("Time 4"), QStringLiteral("10:15"));
        k.writeString(QStringLiteral("Info 4"), QStringLiteral("Zadzwoń do Łucji\r\nżółw"));
        m_app->main()->Timer1Timer();
        QCOMPARE(m_reminders, 1);
        QVERIFY(!m_trayItemsWhileShown);
        QVERIFY(!m_overdueShown);
        QVERIFY(m_app->main()->N_End->isEnabled());
        QVERIFY(m_app->main()->store().slotIsFree(4));
        // The main window is not built for a reminder; its editor, built later,
        // stands on the slot that fired.
        QVERIFY(!m_app->main()->built());
        QCOMPARE(m_app->main()->editor()->currentSlot(), 4);

        QFile file(archivePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 5110000);
        QByteArray expected(5110000, '\0');
        expected.replace(10, 8, "12/08/26");
        const QByteArray message = "Zadzwo\xF1 do \xA3ucji\r\n\xBF\xF3\xB3w";
        expected.replace(100000 + 501, message.size(), message);
        QVERIFY(bytes == expected);
        QCOMPARE(QFileInfo(file).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFileDevice::Permissions());
    }

    void archiveMarkOffKeepsTheArchiveAway() {
        m_app->main()->programPage(); // the box is checked by default
        m_app->forms().remaind->ArchiveItem->trigger();
        RegKey k = key();
        k.writeBool(QStringLiteral("Termin 1"), true);
        k.writeString(QStringLiteral("Date 1"), QStringLiteral("12/07/26"));
        m_app->main()->Timer1Timer();
        QCOMPARE(m_reminders, 1);
        QVERIFY(m_overdueShown);
        QVERIFY(!QFile::exists(archivePath()));
    }

    void fullArchiveIsReportedAndLeftUnchanged() {
        // Every one of the 9999 places taken.
        QByteArray before(5110000, '\0');
        for (int n = 1; n <= 9999; ++n) {
            before.replace(n * 10, 8, "01/01/26");
            before.replace(100000 + n * 501, 4, "wpis");
        }
        QFile file(archivePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(before), qint64(before.size()));
        file.close();

        RegKey k = key();
        k.writeBool(QStringLiteral("Termin 2"), true);
        k.writeString(QStringLiteral("Time 2"), QStringLiteral("10:15"));
        m_app->main()->Timer1Timer();
        QCOMPARE(m_reminders, 1);
        QCOMPARE(m_alerts, QStringList{QStringLiteral("Archiwum zostało przeładowane. Wiadomość "
                                                      "nie zostanie zapisana.")});
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == before);
    }

    void emptyDurationBecomesFiveAtTheFirstReminder() {
        m_app->main()->programPage()->setDurationText(QString());
        RegKey k = key();
        k.writeBool(QStringLiteral("Termin 3"), true);
        k.writeString(QStringLiteral("Date 3"), QStringLiteral("12/08/26"));
        m_app->main()->Timer1Timer();
        QCOMPARE(m_app->main()->programPage()->durationText(), QStringLiteral("5"));
        QCOMPARE(m_app->fake.beep.count, 5 + 1);
    }
};

QTEST_MAIN(TestReminders)
#include "tst_reminders.moc"
