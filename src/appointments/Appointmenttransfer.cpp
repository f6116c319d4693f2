#include "Appointmenttransfer.h"

#include "CalendarTransfer.h"
#include "IcalendarModule.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "platform/AtomicFile.h"
#include "platform/RegistryNames.h"
#include "platform/RegularFile.h"

namespace kv {

namespace {
const QString kFilter = QStringLiteral("Kelvadrin (*.ter)");
const QString kCalendarFilter = QStringLiteral("iCalendar (*.ics)");
// An iCalendar file may be long; anything beyond this is not a calendar of
// one person's appointments.
constexpr qint64 kCalendarLimit = 64 * 1024 * 1024;
} // namespace

AppointmentTransfer::AppointmentTransfer(Platform &platform, AppointmentStore &store,
                                         TAlertForm &alert, TAskAlertForm &askAlert,
                                         ReminderHost &host, ReminderEditor &editor,
                                         QWidget *dialogParent)
    : m_store(store), m_clock(platform.clock),
      m_files(platform.fileDialogs, store.key().registry()), m_alert(alert), m_askAlert(askAlert),
      m_host(host), m_editor(editor), m_dialogParent(dialogParent) {}

void AppointmentTransfer::exportAppointments() {
    QString chosenFilter;
    FileRequest request{QStringLiteral("Eksportuj dane..."),
                        m_calendar ? kFilter + QStringLiteral(";;") + kCalendarFilter : kFilter,
                        QString(), QStringLiteral("Terminy.ter")};
    request.chosenFilter = &chosenFilter;
    const QString fileName = m_files.save(m_dialogParent, names::folderAppointmentsExport, request);
    if (fileName.isEmpty())
        return;
    const bool calendar = m_calendar && chosenFilter == kCalendarFilter;
    if (RegularFile::isOneOf(fileName, m_liveFiles)) {
        m_alert.showMessage(writeFailedText());
        return;
    }
    m_host.setBusyCursor(true);
    m_host.repaintMainWindow();
    bool written = false;
    bool noModule = false;
    try {
        const QByteArray bytes = calendar ? m_calendar->exportCalendar()
                                          : AppointmentFile::write(m_store.exportRecords());
        // A calendar is never empty: none came, and no file is made.
        noModule = bytes.isEmpty();
        written = !noModule && AtomicFile::write(fileName, bytes);
    } catch (const std::exception &) {
        written = false;
    }
    m_host.setBusyCursor(false);
    m_host.repaintMainWindow();
    if (noModule)
        m_alert.showMessage(QString::fromUtf8(IcalendarModule::Missing));
    else if (!written)
        m_alert.showMessage(writeFailedText());
}

void AppointmentTransfer::importFromMenu() {
    const QString fileName =
        m_files.open(m_dialogParent, names::folderAppointmentsImport,
                     {QStringLiteral("Importuj dane..."),
                      m_calendar ? kFilter + QStringLiteral(";;") + kCalendarFilter : kFilter});
    if (fileName.isEmpty())
        return;
    importFile(fileName);
}

bool AppointmentTransfer::importFile(const QString &fileName) {
    m_host.setBusyCursor(true);
    m_host.repaintMainWindow();
    bool replaced = false;
    // Everything the user is told comes without the hourglass.
    const auto tell = [this](const QString &text) {
        m_host.setBusyCursor(false);
        m_alert.showMessage(text);
    };
    // One byte more than a sound file tells a long file from a sound one.
    const std::optional<QByteArray> bytes =
        RegularFile::read(fileName, m_calendar ? kCalendarLimit : AppointmentFile::FileSize + 1);
    if (!bytes) {
        tell(openFailedText());
    } else if (m_calendar && Icalendar::looksLikeCalendar(*bytes)) {
        m_host.setBusyCursor(false);
        replaced = importCalendar(*bytes);
    } else {
        AppointmentFile::Records records;
        if (AppointmentFile::read(*bytes, &records) != AppointmentFile::ReadResult::Ok) {
            tell(damagedFileText());
        } else {
            m_host.setBusyCursor(false);
            if (m_askAlert.ask(QStringLiteral("Import danych z pliku..."),
                               QStringLiteral("Import danych"), QStringLiteral("Importuj"),
                               confirmationText())) {
                m_host.setBusyCursor(true);
                try {
                    m_store.importRecords(records);
                    replaced = true;
                } catch (const std::exception &) {
                    replaced = false;
                }
                m_host.setBusyCursor(false);
                if (replaced)
                    m_alert.showSuccess(successText(), QStringLiteral("Import danych"));
                else
                    m_alert.showMessage(storeFailedText());
            }
        }
    }
    try {
        m_editor.LoadSlot();
    } catch (const std::exception &) {
        // The editor reports its own read failures.
    }
    m_host.repaintMainWindow();
    m_host.setBusyCursor(false);
    return replaced;
}

bool AppointmentTransfer::importCalendar(const QByteArray &bytes) {
    int freeSlots = 0;
    for (int n = 1; n <= AppointmentStore::SlotCount; ++n)
        freeSlots += m_store.slotIsFree(n) ? 1 : 0;
    const Result<Icalendar::Contents> contents = Icalendar::read(bytes, m_clock.now(), freeSlots);
    if (!contents) {
        m_alert.showMessage(contents.failure().isEmpty() ? damagedFileText() : contents.failure());
        return false;
    }
    const CalendarTransfer::Plan plan = m_calendar->plan(*contents);
    if (plan.placedEvents.isEmpty() && plan.placedTasks.isEmpty()) {
        m_alert.showMessage(nothingToAddText() + QLatin1Char('\n') +
                            CalendarTransfer::confirmationText(plan));
        return false;
    }
    if (!m_askAlert.ask(QStringLiteral("Import danych z pliku..."), QStringLiteral("Import danych"),
                        QStringLiteral("Importuj"), CalendarTransfer::confirmationText(plan)))
        return false;
    m_host.setBusyCursor(true);
    bool written = false;
    try {
        m_calendar->apply(plan);
        written = true;
    } catch (const std::exception &) {
        written = false;
    }
    m_host.setBusyCursor(false);
    if (!written) {
        m_alert.showMessage(storeFailedText());
        return false;
    }
    if (!plan.placedTasks.isEmpty())
        emit tasksAdded();
    m_alert.showSuccess(successText(), QStringLiteral("Import danych"));
    return true;
}

} // namespace kv
