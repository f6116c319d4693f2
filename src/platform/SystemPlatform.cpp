#include "SystemPlatform.h"
#include "FileChooser.h"
#include "Module.h"
#include "PrintModule.h"
#include "Sound.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <cstdlib>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace kv {

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

void SystemClock::wait(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

QSize SystemScreen::size() const {
    if (QScreen *screen = QGuiApplication::primaryScreen())
        return screen->size();
    return {};
}

void sendDisplayRequests() {
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // The offscreen platform answers too, without a connection.
    if (xcb_connection_t *connection = x11 ? x11->connection() : nullptr)
        xcb_flush(connection);
}

bool xServerReachable() {
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool reachable = connection && xcb_connection_has_error(connection) == 0;
    if (connection)
        xcb_disconnect(connection);
    return reachable;
}

bool xembedTrayAvailable() {
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    // The screen is the one DISPLAY names (":0.1" is screen 1).
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype dot = display.lastIndexOf('.');
    const int screen = dot > display.lastIndexOf(':') ? display.mid(dot + 1).toInt() : 0;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, name.size(), name.constData()), nullptr);
    if (!atom)
        return false;
    bool available = false;
    if (atom->atom != XCB_ATOM_NONE) {
        xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        available = owner && owner->owner != XCB_WINDOW_NONE;
        free(owner);
    }
    free(atom);
    return available;
}

bool SystemPrinter::printText(const QString &jobTitle, const QString &text, bool rich) {
    // The module stays loaded once the first print began.
    const PrintModule *print = loadModule<PrintModule>();
    return print && print->printText(jobTitle, text, rich);
}

void DesktopShell::openUrl(const QUrl &url) {
    QDesktopServices::openUrl(url);
}

void DesktopShell::openDisplaySettings() {
    // The desktops name their display settings differently; try the common ones.
    static const char *const candidates[][2] = {
        {"gnome-control-center", "display"},
        {"systemsettings", "kcm_kscreen"},
        {"xfce4-display-settings", nullptr},
        {"lxrandr", nullptr},
        {"arandr", nullptr},
    };
    for (const auto &candidate : candidates) {
        const QString program = QString::fromLatin1(candidate[0]);
        QStringList args;
        if (candidate[1])
            args << QString::fromLatin1(candidate[1]);
        if (QProcess::startDetached(program, args))
            return;
    }
}

namespace {
// Icons and types told by the name alone. Qt's own provider reads a file to
// learn its type, and the read of a FIFO or of /proc/kmsg never ends.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    QIcon icon(const QFileInfo &info) const override {
        if (info.isDir())
            return QFileIconProvider::icon(Folder);
        const QString name = mime(info).iconName();
        return QIcon::fromTheme(name, QFileIconProvider::icon(File));
    }
    QString type(const QFileInfo &info) const override {
        return info.isDir() ? QFileIconProvider::type(info) : mime(info).comment();
    }

private:
    QMimeType mime(const QFileInfo &info) const {
        return m_types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }
    QMimeDatabase m_types;
};

QString runFileDialog(QWidget *parent, const FileRequest &request, QFileDialog::AcceptMode mode) {
    NameOnlyIconProvider icons;
    QFileDialog dialog(parent, request.title, request.folder, request.filter);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(mode);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    // Another kind chosen: the name and the suffix follow it ("Terminy.ter"
    // becomes "Terminy.ics").
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &shown) {
        // Qt's own dialog names the filter without its patterns.
        const QString suffix =
            FileChooser::suffixOf(FileChooser::filterFor(request.filter, shown, QString()));
        if (suffix.isEmpty())
            return;
        // A dialog that adds none to a name typed without one keeps adding none.
        if (!request.defaultSuffix.isEmpty())
            dialog.setDefaultSuffix(suffix);
        if (mode == QFileDialog::AcceptSave && !request.proposedName.isEmpty())
            dialog.selectFile(QFileInfo(request.proposedName).completeBaseName() +
                              QLatin1Char('.') + suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (request.chosenFilter)
        *request.chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString SystemFileDialogs::openFileName(QWidget *parent, const FileRequest &request) {
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

QString SystemFileDialogs::saveFileName(QWidget *parent, const FileRequest &request) {
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

int DialogModalRunner::exec(QDialog *dialog) {
    return dialog->exec();
}

void MessageBoxStartupMessage::show(const QString &title, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

void HelperPasswordQuestion::ask(const QString &title, const QString &label, QObject *context,
                                 std::function<void(const Answer &)> answered) {
    module::run(Helper, {title, label}, {}, context, [answered](int status, const QByteArray &out) {
        if (status == 0 && !out.isEmpty())
            answered({Answer::Given, QString::fromUtf8(out)});
        else
            answered({status == 0 || status == 1 ? Answer::Cancelled : Answer::Failed, {}});
    });
}

SystemPlatform::SystemPlatform()
    : m_sound(createSystemSound()), m_beep(createSystemBeep()),
      m_platform(new Platform{m_clock, m_screen, *m_sound, *m_beep, m_printer, m_shell,
                              m_fileDialogs, m_modal, m_startupMessage, m_passwordQuestion}) {}

SystemPlatform::~SystemPlatform() = default;

} // namespace kv
