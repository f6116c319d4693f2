#include "Program.h"
#include "Firststartunit.h"

#include "appointments/Alertunit.h"
#include "appointments/Askalertunit.h"
#include "appointments/Remaindunit.h"
#include "archive/ArchiveFile.h"
#include "info/Aboutunit.h"
#include "info/Helpunit.h"
#include "info/Quickhelpunit.h"
#include "info/Resolutionalertunit.h"
#include "platform/SingleInstance.h"
#include "platform/StaleFiles.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSystemTrayIcon>

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
    : m_context(context), m_arguments(std::move(arguments)) {}

Program::~Program() {
    // The windows that refer to the main window go first.
    m_windows.clear();
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
        QApplication::setApplicationName(QStringLiteral("Kelvadrin"));
        QApplication::setApplicationDisplayName(QStringLiteral("Kelvadrin"));
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
    // which may already have something to report.
    m_forms.alert = keep(m_windows, new TAlertForm(platform));
    m_forms.askAlert = keep(m_windows, new TAskAlertForm(platform));
    m_forms.help = keep(m_windows, new THelpForm);
    m_forms.about = keep(m_windows, new TAboutForm);
    m_forms.quickHelp = keep(m_windows, new TQuickHelpForm);
    m_forms.resolutionAlert = keep(m_windows, new TResolutionAlertForm(platform));

    m_options = std::make_unique<TOptionsForm>(m_context, m_forms);
    if (!creationHandler()) {
        m_ended = true;
        return 0;
    }

    m_forms.remaind = keep(m_windows, new TRemaindForm(platform, m_options->archiveByDefault()));

    // Wiring between the windows.
    TOptionsForm *options = m_options.get();
    QObject::connect(m_forms.resolutionAlert, &TResolutionAlertForm::settingsItemEnabled, options,
                     [options](bool on) { options->N_Settings->setEnabled(on); });
    QObject::connect(m_forms.quickHelp, &TQuickHelpForm::helpRequested, options,
                     [this] { m_context.platform.modal.exec(m_forms.help); });
    QObject::connect(m_forms.about, &TAboutForm::welcomeRequested, options, [this] {
        m_firstStart->ensureBuilt();
        m_firstStart->BitBtn1->setText(QStringLiteral("&Zamknij"));
        m_firstStart->show();
    });
    QObject::connect(m_forms.remaind, &TRemaindForm::trayItemsEnabled, options,
                     [options] { options->setTrayItemsEnabled(true); });
    QObject::connect(m_forms.remaind, &TRemaindForm::openMainWindowTab, options,
                     [options](int tab) { options->openTabFromReminder(tab); });
    QObject::connect(options, &TOptionsForm::endRequested, m_firstStart.get(),
                     [this] { m_firstStart->close(); });
    options->attachReminderWindow(m_forms.remaind);

    // Without a notification area the window is the only way in.
    if (!options->trayDocked())
        options->ShowMainWindow();
    return -1;
}

bool Program::creationHandler() {
    m_instance = std::make_unique<SingleInstance>(
        m_context.lockFile.isEmpty() ? SingleInstance::defaultLockFile() : m_context.lockFile);
    IStartupMessage &message = m_context.platform.startupMessage;
    if (m_instance->alreadyRunning()) {
        m_instance->release();
        m_options->TrayIcon1->hide();
        message.show(QStringLiteral("Kelvadrin"), alreadyRunningText());
        return false;
    }
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
    return true;
}

} // namespace kv
