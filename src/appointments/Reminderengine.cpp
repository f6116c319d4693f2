#include "Reminderengine.h"
#include "Alertunit.h"
#include "Changedateunit.h"
#include "Remaindunit.h"
#include "info/ShadowHeading.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace kv {

namespace {
const QString kTerminyError = QStringLiteral("Błąd funkcji \"Terminy\".");
const QString kChangeDateError = QStringLiteral("Błąd funkcji \"ChangeDate\".");
} // namespace

ReminderEngine::ReminderEngine(Platform &platform, Registry &registry, AppointmentStore &store,
                               DateTest dateTest, TRemaindForm &remaind, TAlertForm &alert,
                               ReminderHost &host)
    : m_platform(platform), m_registry(registry), m_store(store), m_dateTest(std::move(dateTest)),
      m_remaind(remaind), m_alert(alert), m_host(host) {}

QString ReminderEngine::monthName(int month) {
    static const char *const names[] = {"stycznia", "lutego",       "marca",     "kwietnia",
                                        "maja",     "czerwca",      "lipca",     "sierpnia",
                                        "września", "października", "listopada", "grudnia"};
    if (month < 1 || month > 12)
        return {};
    return QString::fromUtf8(names[month - 1]);
}

void ReminderEngine::Timer1Timer() {
    try {
        Terminy();
    } catch (const std::exception &) {
        m_alert.showMessage(kTerminyError);
    }
    m_host.RefreshClock();
}

void ReminderEngine::Terminy() {
    // A scan started while a reminder is on screen does nothing. Nor does one
    // started from the timer while a message of this scan is open: it would
    // handle the same slot twice and move a recurring date on twice.
    if (m_remaind.isVisible() || m_scanning)
        return;
    m_scanning = true;
    struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_scanning};
    RegKey &key = m_store.key();
    for (int n = 1; n <= AppointmentStore::SlotCount; ++n) {
        try {
            if (!key.valueExists(AppointmentStore::termin(n)))
                continue;
            const std::optional<QString> date = key.stringIfExists(AppointmentStore::date(n));
            const std::optional<QString> time = key.stringIfExists(AppointmentStore::time(n));

            // The date in words for the reminder text.
            QString day, month, year;
            if (date) {
                day = date->mid(3, 2);
                if (day.startsWith(QLatin1Char('0')))
                    day.remove(0, 1);
                const QString monthDigits = date->mid(0, 2);
                bool ok = false;
                month = monthName(monthDigits.toInt(&ok));
                if (!ok || month.isEmpty())
                    month = monthDigits;
                year = QStringLiteral("20") + date->mid(6, 2);
            }

            int result = 4;
            QString dateLine;
            if (date && time) {
                result = m_dateTest(*date, *time);
                dateLine =
                    QStringLiteral("Termin przypomnienia określono na godzinę %1 dnia %2 %3 %4")
                        .arg(*time, day, month, year);
            } else if (date) {
                result = m_dateTest(*date, QStringLiteral("0"));
                dateLine = QStringLiteral("Termin przypomnienia określono na dzień %1 %2 %3")
                               .arg(day, month, year);
            } else if (time) {
                result = m_dateTest(QStringLiteral("0"), *time);
                dateLine =
                    QStringLiteral("Termin przypomnienia określono na godzinę %1").arg(*time);
            }
            const bool due = result == ActualPassed || result == ActualNow;
            if (due)
                m_remaind.DateLine->setText(dateLine);

            // Taken before the date is moved on: the archive keeps the day it fell due.
            const QString dateBuffer = date.value_or(QString());
            const QString messageBuffer =
                key.stringIfExists(AppointmentStore::info(n)).value_or(QString());

            m_remaind.Title->setText(QStringLiteral("Wiadomość..."));
            if (result == ActualPassed)
                m_remaind.Overdue->show();
            else if (result == ActualNow)
                m_remaind.Overdue->hide();

            if (due)
                fire(n, result, dateBuffer, messageBuffer);
        } catch (const std::exception &) {
            // One damaged slot must not stop the reminders of the slots after it.
            m_alert.showMessage(kTerminyError);
        }
    }
}

void ReminderEngine::advanceSignal() {
    m_host.setBusyCursor(true);
    m_host.setTrayIconVisible(false);
    m_host.repaintMainWindow();
    const int seconds = leadingNumber(m_host.durationText());
    for (int i = 1; i <= seconds; ++i) {
        m_host.repaintMainWindow();
        m_platform.beep.exclamation();
        if (i != seconds)
            m_platform.clock.wait(1000);
    }
    m_platform.clock.wait(1000);
    m_host.setBusyCursor(false);
    m_host.setTrayIconVisible(true);
}

void ReminderEngine::fire(int n, int result, const QString &dateBuffer,
                          const QString &messageBuffer) {
    Q_UNUSED(result);
    RegKey &key = m_store.key();

    // 1. A recurring appointment moves on by one period.
    if (key.valueExists(AppointmentStore::repeat(n))) {
        try {
            ChangeDate(m_registry, n, m_platform.clock);
            m_host.RefreshClock();
        } catch (const std::exception &) {
            m_alert.showMessage(kChangeDateError);
        }
    }
    // 2.-3. The advance signal.
    if (m_host.durationText().isEmpty())
        m_host.setDurationText(QStringLiteral("5"));
    if (m_host.signalEnabled())
        advanceSignal();
    // 4.-5. The editor on this slot; the message into the window.
    m_host.SelectSlot(n);
    m_remaind.Memo1->clear();
    if (const auto info = key.stringIfExists(AppointmentStore::info(n)))
        m_remaind.Memo1->setPlainText(*info);
    // 6. The sound.
    const bool sound = m_host.soundSettingExists();
    if (sound)
        m_host.LoadSoundFile(m_host.soundSetting(), true);
    else
        m_platform.beep.exclamation();
    // 7. No ending and no second window while the reminder is handled.
    m_host.setTrayItemsEnabled(false);
    // 8. The period line, read after the date has moved on. A repeat code that
    // cannot be read (the ChangeDate error above) leaves the line as it was.
    const bool repeatExists = key.valueExists(AppointmentStore::repeat(n));
    std::optional<int> repeat;
    try {
        repeat = key.integerIfExists(AppointmentStore::repeat(n));
    } catch (const RegistryError &) {
    }
    if (repeatExists && key.valueExists(AppointmentStore::date(n))) {
        if (repeat && *repeat >= 0 && *repeat <= 41)
            m_remaind.PeriodLine->setText(AppointmentStore::repeatText(*repeat));
    } else {
        m_remaind.PeriodLine->setText(AppointmentStore::repeatText(0));
    }
    // 9. The window itself.
    if (!m_remaind.isVisible()) {
        m_remaind.setStayOnTop(true);
        const std::optional<int> link = key.integerIfExists(QStringLiteral("Add adress %1").arg(n));
        if (link) {
            m_host.setAddressEntryNumber(*link);
            m_host.clearStatusLine();
            m_remaind.LinkLine->setText(QStringLiteral("Termin powiązany z bazą teleadresową... "));
            m_remaind.EntryLine->setText(QStringLiteral("wpis numer %1").arg(*link));
            m_remaind.BitBtn3->setEnabled(true);
        } else {
            m_remaind.LinkLine->clear();
            m_remaind.EntryLine->clear();
            m_remaind.BitBtn3->setEnabled(false);
        }
        m_platform.modal.exec(&m_remaind);
        if (m_remaind.addToArchive())
            archive(dateBuffer, messageBuffer);
    }
    // 10.-11.
    m_remaind.BitBtn2->setEnabled(true);
    m_remaind.BitBtn1->setEnabled(true);
    m_host.setBusyCursor(false);
    m_remaind.setStayOnTop(false);
    if (sound)
        m_host.stopSound();
    // 12. A one-time appointment is done.
    if (!repeatExists || (repeat && *repeat == 0))
        m_store.deleteFired(n);
    // 13.
    m_host.LoadSlot();
}

void ReminderEngine::archive(const QString &dateBuffer, const QString &messageBuffer) {
    m_host.setBusyCursor(true);
    m_host.repaintMainWindow();
    m_remaind.BitBtn2->setEnabled(false);
    m_remaind.BitBtn1->setEnabled(false);
    // An appointment without a date is archived with the day it fell due, so
    // that its entry is never taken for a free place.
    const QString date = dateBuffer.isEmpty()
                             ? m_platform.clock.now().date().toString(QStringLiteral("MM/dd/yy"))
                             : dateBuffer;
    if (m_host.archiveAppend(date, messageBuffer) == ArchiveOutcome::Full)
        m_alert.showMessage(archiveFullText());
}

} // namespace kv
