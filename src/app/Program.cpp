#include "Program.h"
#include "Firststartunit.h"

#include "addressbook/Addresspage.h"
#include "addressbook/Vcard.h"
#include "appointments/Appointmenteditor.h"
#include "appointments/Appointmenttransfer.h"
#include "appointments/Calendarunit.h"
#include "appointments/Remaindunit.h"
#include "appointments/Tasklistunit.h"
#include "archive/ArchiveFile.h"
#include "archive/Archivepage.h"
#include "info/Aboutunit.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Helpunit.h"
#include "info/Quickhelpunit.h"
#include "info/Resolutionalertunit.h"
#include "platform/FileHandoff.h"
#include "platform/RegularFile.h"
#include "platform/SingleInstance.h"
#include "platform/StaleFiles.h"
#include "platform/Tray.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

namespace kv {

QString Program::alreadyRunningText() {
    return QStringLiteral("        Ten program jest już uruchomiony !        ");
}
QString Program::missingArialText() {
    return QStringLiteral("        Nie odnaleziono wymaganej czcionki - Arial !        ");
}
QString Program::missingTahomaText() {
    return QStringLiteral("        Nie odnaleziono wymaganej czcionki - Tahoma!       ");
}

Program::Program(AppContext &context, QStringList arguments)
    : m_context(context), m_arguments(std::move(arguments)) {
    // The main window makes the install folder the current directory: a file
    // named on the command line is taken from where the program was started.
    if (!m_arguments.isEmpty())
        m_arguments.first() = QFileInfo(m_arguments.first()).absoluteFilePath();
}

Program::~Program() {
    // The windows that refer to the main window go first.
    m_windows.clear();
    m_handoff.reset();
    m_options.reset();
    m_firstStart.reset();
}

template <typename T> static T *keep(std::vector<std::unique_ptr<QWidget>> &windows, T *window) {
    windows.emplace_back(window);
    return window;
}

int Program::start() {
    Platform &platform = m_context.platform;
    if (qApp) {
        // No display name: the window manager would show it after every caption.
        QApplication::setApplicationName(QStringLiteral("Kelvadrin"));
        // One font for every window and menu: the Arial the program checks for.
        QFont font = QApplication::font();
        font.setFamily(QStringLiteral("Arial"));
        QApplication::setFont(font);
        QApplication::setQuitOnLastWindowClosed(false);
    }

    // The first-start window: the main form; creates the settings key.
    m_firstStart = std::make_unique<TFirstStartForm>(platform, m_context.registry);
    QObject::connect(m_firstStart.get(), &TFirstStartForm::closedByProgram, [this] {
        m_ended = true;
        if (qApp)
            QApplication::quit();
    });

    // The message windows exist before the main window reads its settings,
    // which may already have something to report; the others are made at
    // their first showing.
    m_forms.alert = keep(m_windows, new TAlertForm(platform));
    m_forms.askAlert = keep(m_windows, new TAskAlertForm(platform));
    m_forms.help = LazyWindow<THelpForm>(
        [this] { return keep(m_windows, new THelpForm(m_context.platform.screen)); });
    m_forms.about = LazyWindow<TAboutForm>([this] {
        auto *about = keep(m_windows, new TAboutForm(m_context.platform));
        QObject::connect(about, &TAboutForm::welcomeRequested, m_options.get(), [this] {
            m_firstStart->ensureBuilt();
            m_firstStart->BitBtn1->setText(QStringLiteral("&Zamknij"));
            m_firstStart->show();
        });
        return about;
    });
    m_forms.quickHelp = keep(m_windows, new TQuickHelpForm(&platform.screen));
    m_forms.resolutionAlert = LazyWindow<TResolutionAlertForm>([this] {
        auto *warning = keep(m_windows, new TResolutionAlertForm(m_context.platform));
        TOptionsForm *options = m_options.get();
        QObject::connect(warning, &TResolutionAlertForm::settingsItemEnabled, options,
                         [options](bool on) { options->N_Settings->setEnabled(on); });
        return warning;
    });

    m_options = std::make_unique<TOptionsForm>(m_context, m_forms);
    if (!creationHandler()) {
        m_ended = true;
        return 0;
    }

    m_forms.remaind = keep(m_windows, new TRemaindForm(platform, m_options->archiveByDefault()));

    // Wiring between the windows.
    TOptionsForm *options = m_options.get();
    QObject::connect(m_forms.quickHelp, &TQuickHelpForm::helpRequested, options,
                     [this] { m_context.platform.modal.exec(m_forms.help); });
    QObject::connect(m_forms.remaind, &TRemaindForm::trayItemsEnabled, options,
                     [options] { options->setTrayItemsEnabled(true); });
    QObject::connect(m_forms.remaind, &TRemaindForm::openMainWindowTab, options,
                     [options](int tab) { options->openTabFromReminder(tab); });
    QObject::connect(options, &TOptionsForm::endRequested, m_firstStart.get(),
                     [this] { m_firstStart->close(); });
    options->attachReminderWindow(m_forms.remaind);
    wireCalendarAndList(options);

    // Without a notification area the window is the only way in.
    if (!options->trayDocked())
        options->ShowMainWindow();
    // Sync begins once the program is up; it never holds up the start.
    QTimer::singleShot(2000, options, [options] { options->StartSyncIfSetUp(); });
    return -1;
}

void Program::wireCalendarAndList(TOptionsForm *options) {
    m_forms.calendar = LazyWindow<TCalendarForm>([this, options] {
        auto *calendar = keep(m_windows, new TCalendarForm(m_context.platform, *m_forms.alert));
        // The date goes to the editor on the first tab, to the archive search on any other.
        QObject::connect(calendar, &TCalendarForm::dateApplied, options,
                         [options](const QDate &date) {
                             if (options->PageControl1->currentIndex() == 0)
                                 options->editor()->applyCalendarDate(date);
                             else
                                 options->archivePage()->applyCalendarDate(date);
                         });
        return calendar;
    });
    m_forms.taskList = LazyWindow<TTaskListForm>([this, options] {
        auto *taskList = keep(m_windows, new TTaskListForm(m_context.platform, m_context.registry));
        QObject::connect(taskList, &TTaskListForm::slotChosen, options, [options](int n) {
            options->editor()->Edit8->setText(QString::number(n));
            options->selectTab(0);
        });
        return taskList;
    });
    QObject::connect(options, &TOptionsForm::editorCalendarRequested, options, [this] {
        m_forms.calendar->showCalendar(QStringLiteral("Termin przypomnienia - kalendarz..."));
    });
    QObject::connect(options, &TOptionsForm::archiveCalendarRequested, options, [this] {
        m_forms.calendar->showCalendar(QStringLiteral("Archiwum - kalendarz..."));
    });
    QObject::connect(options, &TOptionsForm::appointmentListRequested, options,
                     [this] { m_forms.taskList->showList(); });
    // The list closes with the reminder window.
    QObject::connect(m_forms.remaind, &TRemaindForm::closed, options, [this] {
        TTaskListForm *taskList = m_forms.taskList.ifMade();
        if (taskList && taskList->isVisible())
            taskList->done(QDialog::Rejected);
    });
}

bool Program::creationHandler() {
    m_instance = std::make_unique<SingleInstance>(
        m_context.lockFile.isEmpty() ? SingleInstance::defaultLockFile() : m_context.lockFile);
    IStartupMessage &message = m_context.platform.startupMessage;
    const QString socket = FileHandoff::socketFor(m_instance->lockFile());
    if (m_instance->alreadyRunning()) {
        m_instance->release();
        m_options->TrayIcon1->hide();
        // A file to open goes to the running copy, which imports it.
        if (!m_arguments.isEmpty() && FileHandoff::send(socket, m_arguments.first()))
            return false;
        message.show(QStringLiteral("Kelvadrin"), alreadyRunningText());
        return false;
    }
    // Files are taken from a second copy from the moment the lock is held;
    // they are imported once the event loop runs.
    m_handoff = std::make_unique<FileHandoff>(socket);
    QObject::connect(m_handoff.get(), &FileHandoff::fileReceived, m_options.get(),
                     [this](const QString &fileName) {
                         m_options->ShowMainWindow(true);
                         importFile(fileName);
                     });
    m_handoff->listen();
    // No other copy can be writing now: temporary files of the data files
    // are what a crash left behind.
    StaleFiles::removeStale(m_context.installDir,
                            {ArchiveFile::kFileName, QStringLiteral("Baza teleadresowa.adr")});
    const auto installed = [this](const QString &family) {
        return m_context.fontInstalled ? m_context.fontInstalled(family) : true;
    };
    if (!installed(QStringLiteral("Arial"))) {
        message.show(QStringLiteral("Kelvadrin"), missingArialText());
        return false;
    }
    if (!installed(QStringLiteral("Tahoma"))) {
        message.show(QStringLiteral("Kelvadrin"), missingTahomaText());
        return false;
    }
    // The command-line import.
    if (!m_arguments.isEmpty())
        importFile(m_arguments.first());
    return true;
}

void Program::importFile(const QString &fileName) {
    // A vCard file goes to the address book; everything else (.ter, .ics)
    // to the appointments, which refuse what they cannot read.
    const std::optional<QByteArray> head = RegularFile::read(fileName, 4096);
    const bool vcard = head && Vcard::looksLikeVcard(*head);
    m_options->runImport([this, vcard, fileName] {
        if (vcard)
            m_options->addressPage()->importVcardFile(fileName);
        else
            m_options->transfer().importFile(fileName);
    });
}

} // namespace kv
