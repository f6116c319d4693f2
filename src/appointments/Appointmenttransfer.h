#pragma once
// "&Plik" > "Terminy": the export of all 50 appointments into a ".ter" file
// and the import of one, from the menu, from the command line or handed over
// by a second copy of the program.

#include "AppointmentStore.h"
#include "Reminderengine.h"
#include "platform/FileChooser.h"
#include "platform/Interfaces.h"

#include <QObject>

class QWidget;

namespace kv {

class TAlertForm;
class TAskAlertForm;

class AppointmentTransfer : public QObject {
    Q_OBJECT
public:
    AppointmentTransfer(Platform &platform, AppointmentStore &store, TAlertForm &alert,
                        TAskAlertForm &askAlert, ReminderHost &host, ReminderEditor &editor,
                        QWidget *dialogParent);

    // The program's own data files, which an export never writes over.
    void setLiveFiles(QStringList files) { m_liveFiles = std::move(files); }

    // "Eksportuj...": the save dialog, then the file written whole and
    // atomically (an earlier file stays as it was when the write fails).
    void exportAppointments();
    // "Importuj...": the open dialog, then `importFile`.
    void importFromMenu();
    // Checks the file whole, asks for confirmation, then replaces all 50
    // slots in one transaction. Returns whether the appointments were replaced.
    // Anything but a regular file is refused at once, never read.
    bool importFile(const QString &fileName);

    static QString writeFailedText() {
        return QStringLiteral("Błąd zapisu danych do pliku. Powód niezależny.");
    }
    static QString openFailedText() {
        return QStringLiteral("Otwarcie pliku o podanej nazwie nie powiodło się.");
    }
    static QString damagedFileText() {
        return QStringLiteral("Błąd importu danych. Plik jest niewłaściwy lub uszkodzony.");
    }
    static QString storeFailedText() {
        return QStringLiteral("Błąd odczytu danych z pliku... Plik może być uszkodzony.");
    }
    static QString successText() { return QStringLiteral("Import terminów zakończono pomyślnie."); }
    static QString confirmationText() {
        return QStringLiteral("Ta operacja spowoduje bezpowrotne usunięcie i zastąpienie "
                              "wszystkich dotychczasowych terminów.");
    }

private:
    AppointmentStore &m_store;
    FileChooser m_files;
    QStringList m_liveFiles;
    TAlertForm &m_alert;
    TAskAlertForm &m_askAlert;
    ReminderHost &m_host;
    ReminderEditor &m_editor;
    QWidget *m_dialogParent;
};

} // namespace kv
