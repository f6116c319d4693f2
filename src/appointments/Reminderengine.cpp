#include "Reminderengine.h"
#include "Changedateunit.h"
#include "Remaindunit.h"
#include "info/Alertunit.h"
#include "platform/DateText.h"
#include "platform/RegistryNames.h"

namespace kv {

namespace {
const QString kTerminyError = QStringLiteral("Błąd funkcji \"Terminy\".");
} // namespace

ReminderEngine::ReminderEngine(Platform &platform, Registry &registry, AppointmentStore &store,
                               DateTest dateTest, TRemaindForm &remaind, TAlertForm &alert,
                               ReminderHost &host, ReminderSettings &settings,
                               ReminderEditor &editor)
    : m_platform(platform), m_registry(registry), m_store(store), m_dateTest(std::move(dateTest)),
      m_remaind(remaind), m_alert(alert), m_host(host), m_settings(settings), m_editor(editor) {}

QString ReminderEngine::monthName(int month) {
    return monthGenitive(month);
}

void ReminderEngine::Timer1Timer() {
    try {
        Terminy();
    } catch (const std::exception &) {
        m_alert.showMessage(kTerminyError);
    }
    m_editor.RefreshClock();
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
            if (!key.valueExists(names::termin(n)))
                continue;
            const std::optional<QString> date = key.stringIfExists(names::date(n));
            const std::optional<QString> time = key.stringIfExists(names::time(n));

            const int result = testMoment(m_dateTest, date, time).value_or(4);
            const QString prefix = QStringLiteral("Termin przypomnienia określono na ");
            QString dateLine;
            if (date && time)
                dateLine =
                    prefix + QStringLiteral("godzinę %1 dnia").arg(*time) + dateInWords(*date);
            else if (date)
                dateLine = prefix + QStringLiteral("dzień") + dateInWords(*date);
            else if (time)
                dateLine = prefix + QStringLiteral("godzinę %1").arg(*time);
            if (result != ActualPassed && result != ActualNow)
                continue;

            // Taken before the date is moved on: the archive keeps the day it fell due.
            const QString dateBuffer = date.value_or(QString());
            const QString messageBuffer = key.stringIfExists(names::info(n)).value_or(QString());
            ReminderText text;
            text.dateLine = dateLine;
            text.overdue = result == ActualPassed;
            fire(n, text, dateBuffer, messageBuffer);
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
    const int seconds = leadingNumber(m_settings.durationText());
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

void ReminderEngine::fire(int n, ReminderText text, const QString &dateBuffer,
                          const QString &messageBuffer) {
    RegKey &key = m_store.key();

    // 1. A recurring appointment moves on by one period.
    if (key.valueExists(names::repeat(n))) {
        const Result<QString> moved = ChangeDate(m_registry, n, m_platform.clock);
        if (moved)
            m_editor.RefreshClock();
        else
            m_alert.showMessage(moved.failure());
    }
    // 2.-3. The advance signal.
    if (m_settings.durationText().isEmpty())
        m_settings.setDurationText(QStringLiteral("5"));
    if (m_settings.signalEnabled())
        advanceSignal();
    // 4.-5. The editor on this slot; the message into the window.
    m_editor.SelectSlot(n);
    text.message = key.stringIfExists(names::info(n)).value_or(QString());
    // 6. The sound.
    const bool sound = m_settings.soundSettingExists();
    if (sound)
        m_settings.LoadSoundFile(m_settings.soundSetting(), true);
    else
        m_platform.beep.exclamation();
    // 7. No ending and no second window while the reminder is handled.
    m_host.setTrayItemsEnabled(false);
    // 8. The period line, read after the date has moved on. A repeat code that
    // cannot be read (the ChangeDate error above) leaves the line as it was.
    const bool repeatExists = key.valueExists(names::repeat(n));
    const std::optional<int> repeat = key.integerOrAbsent(names::repeat(n));
    if (repeatExists && key.valueExists(names::date(n))) {
        if (repeat && *repeat >= 0 && *repeat <= 41)
            text.periodLine = AppointmentStore::repeatText(*repeat);
    } else {
        text.periodLine = AppointmentStore::repeatText(0);
    }
    // 9. The window itself.
    if (!m_remaind.isVisible()) {
        m_remaind.setStayOnTop(true);
        text.link = key.integerIfExists(names::link(n));
        if (text.link) {
            m_host.setAddressEntryNumber(*text.link);
            m_host.clearStatusLine();
        }
        m_remaind.fill(text);
        m_host.reminderShown(text.message);
        m_platform.modal.exec(&m_remaind);
        m_host.reminderClosed();
        if (m_remaind.addToArchive())
            archive(dateBuffer, messageBuffer);
    }
    // 10.-11.
    m_remaind.setButtonsEnabled(true);
    m_host.setBusyCursor(false);
    m_remaind.setStayOnTop(false);
    if (sound)
        m_settings.stopSound();
    // 12. A one-time appointment is done.
    if (!repeatExists || (repeat && *repeat == 0))
        m_store.deleteFired(n);
    // 13.
    m_editor.LoadSlot();
}

void ReminderEngine::archive(const QString &dateBuffer, const QString &messageBuffer) {
    m_host.setBusyCursor(true);
    m_host.repaintMainWindow();
    m_remaind.setButtonsEnabled(false);
    // An appointment without a date is archived with the day it fell due, so
    // that its entry is never taken for a free place.
    const QString date =
        dateBuffer.isEmpty() ? storedDate(m_platform.clock.now().date()) : dateBuffer;
    if (m_host.archiveAppend(date, messageBuffer) == ArchiveOutcome::Full)
        m_alert.showMessage(archiveFullText());
}

} // namespace kv
