#include "Appointmenttransfer.h"

#include "Alertunit.h"
#include "Askalertunit.h"
#include "platform/AtomicFile.h"

#include <QFile>

namespace kv {

namespace {
const QString kFilter = QStringLiteral("Kelvadrin (*.ter)");
} // namespace

AppointmentTransfer::AppointmentTransfer(Platform &platform, AppointmentStore &store,
                                         TAlertForm &alert, TAskAlertForm &askAlert,
                                         ReminderHost &host, ReminderEditor &editor,
                                         QWidget *dialogParent)
    : m_platform(platform), m_store(store), m_alert(alert), m_askAlert(askAlert), m_host(host),
      m_editor(editor), m_dialogParent(dialogParent) {}

void AppointmentTransfer::exportAppointments() {
    const QString fileName = m_platform.fileDialogs.saveFileName(
        m_dialogParent, QStringLiteral("Eksportuj dane..."), kFilter, QString());
    if (fileName.isEmpty())
        return;
    m_host.setBusyCursor(true);
    m_host.repaintMainWindow();
    bool written = false;
    try {
        written = AtomicFile::write(fileName, AppointmentFile::write(m_store.exportRecords()));
    } catch (const std::exception &) {
        written = false;
    }
    m_host.setBusyCursor(false);
    m_host.repaintMainWindow();
    if (!written)
        m_alert.showMessage(writeFailedText());
}

void AppointmentTransfer::importFromMenu() {
    const QString fileName = m_platform.fileDialogs.openFileName(
        m_dialogParent, QStringLiteral("Importuj dane..."), kFilter, QString());
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
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        tell(openFailedText());
    } else {
        // One byte more than a sound file tells a long file from a sound one.
        const QByteArray bytes = file.read(AppointmentFile::FileSize + 1);
        file.close();
        AppointmentFile::Records records;
        if (AppointmentFile::read(bytes, &records) != AppointmentFile::ReadResult::Ok) {
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
                    m_alert.showMessage(successText(), QStringLiteral("Import danych"));
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

} // namespace kv
