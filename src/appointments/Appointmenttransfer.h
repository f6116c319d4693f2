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

class CalendarTransfer;
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
    // The appointments and tasks as iCalendar, the second kind of file.
    void setCalendar(CalendarTransfer *calendar) { m_calendar = calendar; }

    // "Eksportuj...": the save dialog, then the file written whole and
    // atomically (an earlier file stays as it was when the write fails).
    void exportAppointments();
    // "Importuj...": the open dialog, then `importFile`.
    void importFromMenu();
    // Checks the file whole, asks for confirmation, then replaces all 50
    // slots in one transaction. Returns whether the appointments were replaced.
    // Anything but a regular file is refused at once, never read. An
    // iCalendar file (known by its content) is added to the free slots and
    // task numbers instead, after a confirmation that says what is added and
    // what cannot be.
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
    static QString nothingToAddText() {
        return QStringLiteral("Żadnej pozycji z pliku nie można dodać do terminarza.");
    }
    static QString confirmationText() {
        return QStringLiteral("Ta operacja spowoduje bezpowrotne usunięcie i zastąpienie "
                              "wszystkich dotychczasowych terminów.");
    }

signals:
    // Tasks were added by an import (the task list shows them).
    void tasksAdded();

private:
    bool importCalendar(const QByteArray &bytes);

    AppointmentStore &m_store;
    IClock &m_clock;
    CalendarTransfer *m_calendar = nullptr;
    FileChooser m_files;
    QStringList m_liveFiles;
    TAlertForm &m_alert;
    TAskAlertForm &m_askAlert;
    ReminderHost &m_host;
    ReminderEditor &m_editor;
    QWidget *m_dialogParent;
};

} // namespace kv
