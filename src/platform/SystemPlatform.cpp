#include "SystemPlatform.h"
#include "Sound.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QScreen>
#include <QTextDocument>
#include <QThread>
#include <dlfcn.h>

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

namespace {
// Whether CUPS took the last job of this thread. Qt hands the finished PDF to
// cupsPrintFile() and does not look at the answer, so a queue that rejects
// jobs would look like success; the answer stays in libcups' last error
// (per thread), read here from the library Qt's print plugin has loaded.
bool cupsTookLastJob() {
    void *cups = dlopen("libcups.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!cups)
        return true; // another print system: Qt's own state is all there is
    using LastError = int (*)();
    const auto lastError = reinterpret_cast<LastError>(dlsym(cups, "cupsLastError"));
    const bool took = !lastError || lastError() < 0x0400; // successful-ok ... 0x03ff
    dlclose(cups);
    return took;
}
} // namespace

bool SystemPrinter::printText(const QString &jobTitle, const QString &text, bool rich) {
    // The system's default queue (CUPS): with no print system or no queue at
    // all the answer comes at once and the caller reports the failure.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty())
        return false;
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid() || printer.outputFormat() != QPrinter::NativeFormat)
        return false;
    printer.setDocName(jobTitle);
    printer.setCreator(QStringLiteral("Kelvadrin"));
    printer.setFullPage(false);
    QTextDocument document;
    if (rich)
        document.setHtml(text);
    else
        document.setPlainText(text);
    // The text runs over the printable area of as many pages as it needs, laid
    // out in the printer's own resolution (and so without page numbers).
    document.documentLayout()->setPaintDevice(&printer);
    document.setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
    document.print(&printer);
    return printer.printerState() != QPrinter::Error && cupsTookLastJob();
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

QString SystemFileDialogs::openFileName(QWidget *parent, const QString &title,
                                        const QString &filter, const QString &defaultSuffix) {
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString SystemFileDialogs::saveFileName(QWidget *parent, const QString &title,
                                        const QString &filter, const QString &defaultSuffix) {
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

int DialogModalRunner::exec(QDialog *dialog) {
    return dialog->exec();
}

void MessageBoxStartupMessage::show(const QString &title, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

SystemPlatform::SystemPlatform()
    : m_sound(createSystemSound()), m_beep(createSystemBeep()),
      m_platform(new Platform{m_clock, m_screen, *m_sound, *m_beep, m_printer, m_shell,
                              m_fileDialogs, m_modal, m_startupMessage}) {}

SystemPlatform::~SystemPlatform() = default;

} // namespace kv
