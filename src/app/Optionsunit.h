#pragma once
#include "AppContext.h"
#include "appointments/AppointmentStore.h"
#include "appointments/Reminderengine.h"
#include "widgets/LazyWindow.h"
#include "widgets/WindowUtil.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTabBar;

namespace kv {

class AppointmentTransfer;
class ArchiveFile;
class CalendarTransfer;
class TaskStore;
class DesktopNotifications;
class SyncConnection;
class Tray;

class SidePicture;
class TAddressPage;
class TAppointmentEditor;
class TArchivePage;
class TTasksPage;
class TProgramPage;
class TAboutForm;
class TAlertForm;
class TAskAlertForm;
class TCalendarForm;
class THelpForm;
class TQuickHelpForm;
class TRemaindForm;
class TResolutionAlertForm;
class TTaskListForm;

// The windows the main window talks to, created at start-up.
struct Forms {
    // Made at start (they make their contents when first shown).
    TAlertForm *alert = nullptr;
    TAskAlertForm *askAlert = nullptr;
    TRemaindForm *remaind = nullptr;
    TQuickHelpForm *quickHelp = nullptr;
    // Made at their first showing.
    LazyWindow<THelpForm> help;
    LazyWindow<TAboutForm> about;
    LazyWindow<TResolutionAlertForm> resolutionAlert;
    LazyWindow<TCalendarForm> calendar;
    LazyWindow<TTaskListForm> taskList;
};

// The main window: it hosts the five tabs (each a page of its own subsystem),
// and owns the left strip, the status line, the menus, the notification icon,
// the registry keys, the archive image and the four timers.
class TOptionsForm : public QMainWindow, public ReminderHost, public ReminderEditor {
    Q_OBJECT
public:
    TOptionsForm(AppContext &context, Forms &forms);
    ~TOptionsForm() override;

    // --- shared routines
    void ShowMainWindow(bool fromIconClick = false);
    void HideMainWindow();
    void EndProgram();
    void ShowStatus(const QString &text, bool success);
    // "Synchronizacja...": the sync settings window.
    void OpenSync();
    // At start, once the icon is in place: sync begins when it is set up.
    void StartSyncIfSetUp();
    void selectTab(int index);

    // --- timers (the handlers run when the timers fire; tests call them)
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();

    // The reminder window's buttons: the main window on tab 0 or 1.
    void openTabFromReminder(int tab);
    void attachReminderWindow(TRemaindForm *remaind);
    // The archive box: whether reminders go to the archive by default.
    bool archiveByDefault() const;

    // The window's frame, menus and editor are built when the window is first
    // shown (or something needs them): the program starts with the icon only.
    void ensureBuilt();
    bool built() const { return m_built; }
    void setVisible(bool visible) override;

    // --- the editor as the reminder scan sees it: the slot is remembered
    // while the editor is not built yet
    void SelectSlot(int slot) override;
    void LoadSlot() override;
    void RefreshClock() override;

    // The five tabs. The address, task and archive pages are built when
    // they are first needed (their tab chosen, or something asks for them).
    TAppointmentEditor *editor();
    TAddressPage *addressPage();
    TTasksPage *tasksPage();
    TArchivePage *archivePage();
    TProgramPage *programPage();

    // The window-hidden flag: the tray item "Ustawienia" enabled.
    bool windowHiddenFlag() const;
    void setTrayItemsEnabled(bool enabled);
    // Docks the icon when a notification area has appeared.
    void checkTray();
    bool trayDocked() const { return m_trayDocked; }

    AppointmentStore &store() { return *m_store; }
    // "&Plik" > "Terminy": export and import of the appointments.
    AppointmentTransfer &transfer() { return *m_transfer; }
    // Every import goes through here: the sync waits while it runs.
    void runImport(const std::function<void()> &import);
    RegKey &settingsKey() { return m_settingsKey; }
    RegKey &tasksKey() { return m_tasksKey; }

    // --- controls
    QTabBar *TabControl1 = nullptr;
    QStackedWidget *PageControl1 = nullptr;
    SidePicture *Image1 = nullptr;  // the side picture
    QLabel *Image2 = nullptr;       // the strip's foot
    QPushButton *BitBtn1 = nullptr; // "P&omoc"
    QPushButton *BitBtn2 = nullptr; // "&Zamknij"
    QLabel *Panel2 = nullptr;       // activity text
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Panel3 = nullptr; // status lamp
    QLabel *Panel4 = nullptr; // status text
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer3 = nullptr;
    // notification icon and menus
    Tray *TrayIcon1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *N_Settings = nullptr; // "Ustawienia"
    QAction *N_About = nullptr;    // "O programie"
    QAction *N_Help = nullptr;     // "Pomoc"
    QAction *N_End = nullptr;      // "Koniec"
    QAction *M_ImportAppointments = nullptr;
    QAction *M_ExportAppointments = nullptr;
    QAction *M_ImportAddresses = nullptr;
    QAction *M_ExportAddresses = nullptr;
    QAction *M_End = nullptr;
    QAction *M_Sync = nullptr; // "Synchronizacja..."
    QAction *M_About = nullptr;
    QAction *M_Help = nullptr;

    static QColor lampSuccess() { return QColor(0, 255, 0); }
    static QColor lampFailure() { return QColor(255, 0, 0); }
    QColor lampColour() const;

signals:
    // "Koniec": the program ends.
    void endRequested();
    // The archive page's calendar button.
    void archiveCalendarRequested();
    // The editor's calendar button and its appointment list.
    void editorCalendarRequested();
    void appointmentListRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

public:
    // --- what the reminder scan needs of the frame
    void setBusyCursor(bool busy) override;
    void setTrayIconVisible(bool visible) override;
    void repaintMainWindow() override;
    void setAddressEntryNumber(int entry) override;
    void clearStatusLine() override;
    ArchiveOutcome archiveAppend(const QString &dateText, const QString &message) override;
    void reminderShown(const QString &message) override;
    void reminderClosed() override;

    ReminderEngine *engine() const { return m_engine.get(); }
    ArchiveFile &archive() { return *m_archive; }

private:
    // The program's own data files: no export writes over them.
    QStringList liveFiles() const;
    void buildMenus();
    void buildTray();
    void buildFrame();
    void fixClientSize();
    void armMinuteTimer();
    // Puts a page into its holder on the page stack.
    void hostPage(QWidget *page, QWidget *holder);
    void setLamp(const QColor &colour);
    void showHelp(bool modal);
    void showAbout(bool modal);

    AppContext &m_context;
    Forms &m_forms;
    RegKey m_settingsKey;
    RegKey m_appointmentsKey;
    RegKey m_tasksKey;
    std::unique_ptr<AppointmentStore> m_store;
    std::unique_ptr<ArchiveFile> m_archive;
    void reloadAfterSync();
    std::unique_ptr<SyncConnection> m_sync;
    std::unique_ptr<ReminderEngine> m_engine;
    std::unique_ptr<AppointmentTransfer> m_transfer;
    std::unique_ptr<TaskStore> m_calendarTasks;
    std::unique_ptr<CalendarTransfer> m_calendar;
    std::optional<BusyCursor> m_busyCursor;
    DesktopNotifications *m_notifications = nullptr; // made at the first reminder
    QWidget *m_editorPage = nullptr;
    QWidget *m_addressPageHolder = nullptr;
    QWidget *m_programPageHolder = nullptr;
    QWidget *m_tasksPageHolder = nullptr;
    QWidget *m_archivePageHolder = nullptr;
    TAppointmentEditor *m_editor = nullptr;
    TProgramPage *m_programPage = nullptr;
    TAddressPage *m_addressPage = nullptr;
    TTasksPage *m_tasksPage = nullptr;
    TArchivePage *m_archivePage = nullptr;
    bool m_built = false;
    int m_slot = 1;                    // the editor's slot, kept while it is not built
    std::optional<int> m_addressEntry; // a reminder's link, kept until the page exists
    bool m_trayDocked = false;
    bool m_centreWhenFramed = false; // centre again once the frame is known
    bool m_ending = false;
};

} // namespace kv
