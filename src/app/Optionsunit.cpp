#include "Optionsunit.h"
#include "Programunit.h"
#include "SyncConnection.h"

#include "addressbook/Addresspage.h"
#include "appointments/Appointmenteditor.h"
#include "appointments/Appointmenttransfer.h"
#include "appointments/CalendarTransfer.h"
#include "appointments/Remaindunit.h"
#include "archive/ArchiveFile.h"
#include "archive/Archivepage.h"
#include "info/Aboutunit.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Helpunit.h"
#include "info/Quickhelpunit.h"
#include "info/Resolutionalertunit.h"
#include "platform/Autostart.h"
#include "platform/Paths.h"
#include "platform/RegistryNames.h"
#include "platform/SessionBus.h"
#include "platform/SystemPlatform.h"
#include "platform/Tray.h"
#include "tasks/Taskspage.h"
#include "widgets/PngImage.h"
#include "widgets/SidePicture.h"
#include "widgets/WindowUtil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>

namespace kv {

TOptionsForm::TOptionsForm(AppContext &context, Forms &forms)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_context(context), m_forms(forms) {
    setWindowTitle(QStringLiteral("Kelvadrin  v 4.0.0.1"));
    setFont(arial15());

    // Controls first, with the minute timer already running.
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    // Precise: a coarse timer may fire seconds before the minute, and the
    // extra arming that follows is one more wake-up each minute.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &TOptionsForm::Timer1Timer);
    armMinuteTimer();
    Timer2 = new QTimer(this);
    Timer2->setInterval(500);
    connect(Timer2, &QTimer::timeout, this, &TOptionsForm::Timer2Timer);
    Timer3 = new QTimer(this);
    Timer3->setInterval(15000);
    connect(Timer3, &QTimer::timeout, this, &TOptionsForm::Timer3Timer);

    // The icon first: the notification area learns of it at once. The rest of
    // the window is built when it is first shown.
    buildTray();

    // 1. the install folder becomes the current directory
    Paths::ensurePrivateDir(m_context.installDir);
    QDir::setCurrent(m_context.installDir);
    // 2. the settings key (created by the first-start window)
    m_settingsKey = m_context.registry.openKey(names::settingsKey, false);
    // 3. the autostart entry
    Autostart::ensure(m_context.autostartFile, m_context.executable);
    // 4. the appointments and tasks keys
    m_appointmentsKey = m_context.registry.openKey(names::appointmentsKey, true);
    m_tasksKey = m_context.registry.openKey(names::tasksKey, true);
    m_store = std::make_unique<AppointmentStore>(m_appointmentsKey);
    m_archive = std::make_unique<ArchiveFile>(m_context.installDir);
    // The message windows exist before the main window (the program creates them first).
    Platform &platform = m_context.platform;
    m_transfer = std::make_unique<AppointmentTransfer>(platform, *m_store, *m_forms.alert,
                                                       *m_forms.askAlert, *this, *this, this);
    m_transfer->setLiveFiles(liveFiles());
    // The second kind of appointment file: iCalendar, with the tasks beside.
    m_calendarTasks = std::make_unique<TaskStore>(m_tasksKey);
    m_calendar = std::make_unique<CalendarTransfer>(
        *m_store, *m_calendarTasks, [folder = m_context.installDir](int entry) {
            AddressFile book(folder);
            if (book.LoadAddressImage(1) != BlockImage::LoadStatus::Whole)
                return QString();
            return book.text(AddressFile::Name, entry);
        });
    m_transfer->setCalendar(m_calendar.get());
    connect(m_transfer.get(), &AppointmentTransfer::tasksAdded, this, [this] {
        if (m_tasksPage)
            m_tasksPage->LoadTasks();
    });
    // The settings page holds the settings while the program runs; it waits
    // hidden until the window is built.
    m_programPage = new TProgramPage(platform, m_settingsKey, *m_forms.alert, this);
    m_programPage->hide();
    connect(m_programPage, &TProgramPage::archiveBoxClicked, this, [this](bool checked) {
        if (m_forms.remaind)
            m_forms.remaind->setAddToArchive(checked);
    });
    // 5. the settings, with slot 1 loaded between the sound and the rest (the
    // editor loads its slot when it is built)
    m_programPage->ReadSettings([this] { LoadSlot(); });
    m_sync = std::make_unique<SyncConnection>(
        m_context, this,
        SyncConnection::Hooks{
            [this](const QString &text, bool success) { ShowStatus(text, success); },
            [this] { reloadAfterSync(); },
            [this](const QString &note) {
                if (TrayIcon1)
                    TrayIcon1->setNote(note);
            }});
}

void TOptionsForm::ensureBuilt() {
    if (m_built)
        return;
    m_built = true;
    buildMenus();
    buildFrame();
    fixClientSize();
    hostPage(m_programPage, m_programPageHolder);
    Forms &f = m_forms;
    m_editor =
        new TAppointmentEditor(EditorContext{m_context.platform, *m_store, m_context.dateTest,
                                             *f.alert, *f.askAlert, *f.quickHelp},
                               m_editorPage);
    m_editor->setGeometry(m_editorPage->rect());
    keepLastInTabOrder({BitBtn1, BitBtn2});
    connect(m_editor, &TAppointmentEditor::statusReported, this, &TOptionsForm::ShowStatus);
    connect(m_editor, &TAppointmentEditor::calendarRequested, this,
            &TOptionsForm::editorCalendarRequested);
    connect(m_editor, &TAppointmentEditor::appointmentListRequested, this,
            &TOptionsForm::appointmentListRequested);
    if (m_slot != m_editor->currentSlot())
        m_editor->SelectSlot(m_slot);
    m_editor->LoadSlot();
}

TProgramPage *TOptionsForm::programPage() {
    ensureBuilt();
    return m_programPage;
}

TAppointmentEditor *TOptionsForm::editor() {
    ensureBuilt();
    return m_editor;
}

void TOptionsForm::SelectSlot(int slot) {
    m_slot = slot;
    if (m_editor)
        m_editor->SelectSlot(slot);
}

void TOptionsForm::LoadSlot() {
    if (m_editor)
        m_editor->LoadSlot();
}

void TOptionsForm::RefreshClock() {
    if (m_editor)
        m_editor->RefreshClock();
}

void TOptionsForm::setVisible(bool visible) {
    if (visible)
        ensureBuilt();
    QMainWindow::setVisible(visible);
}

TOptionsForm::~TOptionsForm() = default;

void TOptionsForm::hostPage(QWidget *page, QWidget *holder) {
    page->setParent(holder);
    page->setGeometry(holder->rect());
    page->show();
    // Tab reaches the page's controls before the buttons under it.
    keepLastInTabOrder({BitBtn1, BitBtn2});
}

QStringList TOptionsForm::liveFiles() const {
    const QString store = m_context.registry.fileName();
    return {QDir(m_context.installDir).filePath(AddressFile::kFileName), m_archive->filePath(),
            store, store + QStringLiteral("-wal"), store + QStringLiteral("-shm")};
}

TAddressPage *TOptionsForm::addressPage() {
    if (m_addressPage)
        return m_addressPage;
    ensureBuilt();
    Platform &platform = m_context.platform;
    auto *page = new TAddressPage(AddressContext{platform, *m_forms.alert, *m_forms.askAlert,
                                                 *m_forms.quickHelp, m_context.installDir,
                                                 windowTitle(), &m_context.registry, liveFiles()});
    m_addressPage = page;
    hostPage(page, m_addressPageHolder);
    if (m_addressEntry) {
        page->setEntryNumber(*m_addressEntry);
        m_addressEntry.reset();
    }
    connect(page, &TAddressPage::statusReported, this, &TOptionsForm::ShowStatus);
    connect(page, &TAddressPage::statusCleared, this, &TOptionsForm::clearStatusLine);
    connect(page, &TAddressPage::progressChanged, this, [this](int value, int maximum) {
        ProgressBar1->setRange(0, maximum);
        ProgressBar1->setValue(value);
    });
    // The link button: the entry becomes the current appointment's link.
    connect(page, &TAddressPage::linkRequested, this, [this](int entry) {
        TAppointmentEditor *editor = this->editor();
        editor->Edit12->setText(QString::number(entry));
        selectTab(0);
        editor->CheckBox4->setChecked(false); // on the screen only
        editor->RefreshClock();
    });
    return page;
}

TTasksPage *TOptionsForm::tasksPage() {
    if (m_tasksPage)
        return m_tasksPage;
    ensureBuilt();
    m_tasksPage = new TTasksPage(m_tasksKey, m_context.platform, *m_forms.alert, *m_forms.quickHelp,
                                 m_tasksPageHolder);
    hostPage(m_tasksPage, m_tasksPageHolder);
    connect(m_tasksPage, &TTasksPage::statusReported, this, &TOptionsForm::ShowStatus);
    if (isVisible())
        m_tasksPage->mainWindowShown();
    return m_tasksPage;
}

TArchivePage *TOptionsForm::archivePage() {
    if (m_archivePage)
        return m_archivePage;
    ensureBuilt();
    Forms &f = m_forms;
    auto *page = new TArchivePage(
        {m_context.platform, *m_archive, *f.alert, *f.askAlert, *f.quickHelp}, m_archivePageHolder);
    m_archivePage = page;
    hostPage(page, m_archivePageHolder);
    connect(page, &TArchivePage::statusReported, this, &TOptionsForm::ShowStatus);
    connect(page, &TArchivePage::statusCleared, this, &TOptionsForm::clearStatusLine);
    connect(page, &TArchivePage::activityChanged, Panel2, &QLabel::setText);
    connect(page, &TArchivePage::progressChanged, this, [this](int value, int maximum) {
        ProgressBar1->setMaximum(maximum);
        ProgressBar1->setValue(value);
    });
    connect(page, &TArchivePage::calendarRequested, this, &TOptionsForm::archiveCalendarRequested);
    if (isVisible())
        page->mainWindowShown();
    return page;
}

void TOptionsForm::selectTab(int index) {
    ensureBuilt();
    // A page is built before its tab first shows.
    if (index == 1)
        addressPage();
    else if (index == 2)
        tasksPage();
    else if (index == 3)
        archivePage();
    if (TabControl1->currentIndex() != index)
        TabControl1->setCurrentIndex(index); // comes back here through currentChanged
    PageControl1->setCurrentIndex(index);
    if (index == 2)
        tasksPage()->takeFocus();
    else if (index == 3)
        archivePage()->takeFocus();
}

void TOptionsForm::openTabFromReminder(int tab) {
    selectTab(tab);
    fixClientSize();
    centreOnScreen(this, m_context.platform.screen.size());
    show();
    m_centreWhenFramed = true;
    raise();
    activateWindow();
    N_Settings->setEnabled(false);
}

void TOptionsForm::attachReminderWindow(TRemaindForm *remaind) {
    m_forms.remaind = remaind;
    if (remaind && m_forms.alert)
        m_engine = std::make_unique<ReminderEngine>(m_context.platform, m_context.registry,
                                                    *m_store, m_context.dateTest, *remaind,
                                                    *m_forms.alert, *this, *m_programPage, *this);
}

bool TOptionsForm::archiveByDefault() const {
    return m_programPage->archiveEnabled();
}

bool TOptionsForm::windowHiddenFlag() const {
    return N_Settings->isEnabled();
}

void TOptionsForm::setTrayItemsEnabled(bool enabled) {
    N_Settings->setEnabled(enabled);
    N_End->setEnabled(enabled);
}

void TOptionsForm::ShowMainWindow(bool fromIconClick) {
    if (fromIconClick && isVisible()) {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
    }
    if (!N_Settings->isEnabled())
        return;
    ensureBuilt();
    fixClientSize();
    const QSize screen = m_context.platform.screen.size();
    if (screen.width() < 1024 || screen.height() < 768) {
        if (m_forms.resolutionAlert) {
            // The warning itself disables "Ustawienia" while open and enables it on closing.
            m_context.platform.modal.exec(m_forms.resolutionAlert);
            if (!m_forms.resolutionAlert->runAnyway() && screen.width() < 1024 &&
                screen.height() < 768)
                return;
        }
    }
    centreOnScreen(this, screen);
    show();
    if (isMinimized())
        showNormal();
    centreOnScreen(this, screen); // again, with the frame if it is known yet
    m_centreWhenFramed = true;
    raise();
    activateWindow();
    N_Settings->setEnabled(false);
}

void TOptionsForm::HideMainWindow() {
    if (!m_trayDocked) {
        // No notification area to come back from: keep the window reachable.
        showMinimized();
        return;
    }
    hide();
    N_Settings->setEnabled(true);
}

void TOptionsForm::EndProgram() {
    if (m_ending)
        return;
    m_ending = true;
    m_settingsKey = RegKey();
    m_appointmentsKey = RegKey();
    TrayIcon1->hide();
    emit endRequested();
}

void TOptionsForm::setLamp(const QColor &colour) {
    QPalette palette = Panel3->palette();
    palette.setColor(QPalette::Window, colour);
    Panel3->setPalette(palette);
}

QColor TOptionsForm::lampColour() const {
    return Panel3 ? Panel3->palette().color(QPalette::Window) : palette().color(QPalette::Button);
}

void TOptionsForm::ShowStatus(const QString &text, bool success) {
    ensureBuilt();
    setLamp(success ? lampSuccess() : lampFailure());
    Panel4->setText(text);
    // A long report is read whole from its tooltip.
    Panel4->setToolTip(text);
    Timer3->stop();
    Timer3->start();
}

void TOptionsForm::armMinuteTimer() {
    // Once a minute, just after the wall clock's minute begins: a reminder
    // for 10:00 shows at 10:00:00. Computed anew at every tick, so the timer
    // finds the minute again after a suspend, a clock change or a slow scan.
    constexpr int kAfterTheMinute = 20; // ms, so the scan sees the new minute
    const QTime now = m_context.platform.clock.now().time();
    const int intoMinute = now.second() * 1000 + now.msec();
    Timer1->start(60000 - intoMinute + kAfterTheMinute);
}

void TOptionsForm::Timer1Timer() {
    checkTray();
    if (m_engine)
        m_engine->Timer1Timer(); // the scan, then the clock refresh
    else
        RefreshClock();
    armMinuteTimer();
}

void TOptionsForm::setBusyCursor(bool busy) {
    if (!busy)
        m_busyCursor.reset();
    else if (!m_busyCursor)
        m_busyCursor.emplace();
}

void TOptionsForm::setTrayIconVisible(bool visible) {
    if (m_trayDocked)
        TrayIcon1->setVisible(visible);
}

void TOptionsForm::reminderShown(const QString &message) {
    // The page's settings stand before the window is built; the scan builds nothing.
    if (!m_context.busTray || !m_programPage->desktopNotices())
        return;
    if (!m_notifications) {
        m_notifications =
            new DesktopNotifications(loadAssetPng(QStringLiteral("kelvadrin-48.png")), this);
        // Chosen on a lock screen or over another window: the reminder comes forward.
        connect(m_notifications, &DesktopNotifications::invoked, this, [this] {
            if (m_forms.remaind->isVisible()) {
                m_forms.remaind->raise();
                m_forms.remaind->activateWindow();
            }
        });
    }
    // The first line as the summary, the whole message as the body.
    const QString text = message.trimmed();
    const QString summary = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    m_notifications->show(summary.isEmpty() ? QStringLiteral("Kelvadrin - przypomnienie...")
                                            : summary,
                          text.section(QLatin1Char('\n'), 1).trimmed());
}

void TOptionsForm::reminderClosed() {
    if (m_notifications)
        m_notifications->withdraw();
}

void TOptionsForm::repaintMainWindow() {
    if (isVisible())
        repaint();
}

void TOptionsForm::setAddressEntryNumber(int entry) {
    // A reminder's link: kept until the page exists, as the editor's slot is.
    if (m_addressPage)
        m_addressPage->setEntryNumber(entry);
    else
        m_addressEntry = entry;
}

void TOptionsForm::clearStatusLine() {
    if (!Panel4)
        return; // nothing shown yet
    Panel4->clear();
    Panel4->setToolTip(QString());
    setLamp(palette().color(QPalette::Button));
}

void TOptionsForm::runImport(const std::function<void()> &import) {
    m_sync->runImport(import);
}

void TOptionsForm::OpenSync() {
    m_sync->open();
}

void TOptionsForm::StartSyncIfSetUp() {
    m_sync->startIfSetUp();
}

// What the sync wrote is shown: the editor's slot and the task list load
// again; the address page only when the user is not on it, so that fields
// being typed stay as they are.
void TOptionsForm::reloadAfterSync() {
    LoadSlot();
    if (m_tasksPage)
        m_tasksPage->LoadTasks();
    if (m_addressPage && !m_addressPage->isVisible())
        m_addressPage->LoadEntry();
}

ArchiveOutcome TOptionsForm::archiveAppend(const QString &dateText, const QString &message) {
    QDir::setCurrent(m_context.installDir);
    switch (m_archive->append(dateText, message).status) {
    case ArchiveFile::AppendResult::Stored:
        return ArchiveOutcome::Stored;
    case ArchiveFile::AppendResult::Full:
        return ArchiveOutcome::Full;
    case ArchiveFile::AppendResult::WriteFailed:
        break;
    }
    return ArchiveOutcome::WriteFailed;
}

void TOptionsForm::Timer2Timer() {
    m_editor->PromptTick();
}

void TOptionsForm::Timer3Timer() {
    Timer3->stop();
    setLamp(palette().color(QPalette::Button));
    Panel4->clear();
    Panel4->setToolTip(QString());
}

void TOptionsForm::showHelp(bool modal) {
    if (!m_forms.help)
        return;
    if (modal)
        m_context.platform.modal.exec(m_forms.help);
    else
        m_forms.help->show();
}

void TOptionsForm::showAbout(bool modal) {
    if (!m_forms.about)
        return;
    if (modal)
        m_context.platform.modal.exec(m_forms.about);
    else
        m_forms.about->show();
}

void TOptionsForm::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (m_archivePage)
        m_archivePage->mainWindowShown();
    if (m_tasksPage)
        m_tasksPage->mainWindowShown();
    Timer2->start();
    Image1->resumeTimer();
    Image1->startRun();
}

void TOptionsForm::moveEvent(QMoveEvent *event) {
    QMainWindow::moveEvent(event);
    // The window manager tells the frame's size only once the window is on
    // the screen: centre once more then, frame and all.
    if (m_centreWhenFramed && frameGeometry().height() > height()) {
        m_centreWhenFramed = false;
        centreOnScreen(this, m_context.platform.screen.size());
    }
}

void TOptionsForm::hideEvent(QHideEvent *event) {
    QMainWindow::hideEvent(event);
    // Nothing to show while hidden: only the minute timer may wake the program.
    Timer2->stop();
    Image1->stopTimer();
}

void TOptionsForm::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized()) {
            Timer2->stop();
            Image1->stopTimer();
        } else if (isVisible()) {
            Timer2->start();
            Image1->resumeTimer();
        }
    }
}

void TOptionsForm::closeEvent(QCloseEvent *event) {
    if (m_ending) {
        event->accept();
        return;
    }
    // Closing the main window only hides it.
    event->ignore();
    HideMainWindow();
}

} // namespace kv
