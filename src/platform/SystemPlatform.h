#pragma once
#include "Interfaces.h"
#include <memory>

namespace kv {

class SystemClock : public IClock {
public:
    QDateTime now() const override;
    void wait(int milliseconds) override;
};

class SystemScreen : public IScreen {
public:
    QSize size() const override;
};

// Sends the requests queued for the display server now rather than when the
// event loop next runs (the notification icon's dock request at start).
// Nothing on a display without such a queue.
void sendDisplayRequests();

// Whether the X server named by DISPLAY accepts the program (asked before the
// application object exists).
bool xServerReachable();

// Whether the X server the program runs on has an XEmbed notification area
// (an owner of the tray selection of its screen). False off X11.
bool xembedTrayAvailable();

class SystemPrinter : public IPrinter {
public:
    bool printText(const QString &jobTitle, const QString &text, bool rich) override;
};

class DesktopShell : public IShell {
public:
    void openUrl(const QUrl &url) override;
    void openDisplaySettings() override;
};

class SystemFileDialogs : public IFileDialogs {
public:
    QString openFileName(QWidget *parent, const FileRequest &request) override;
    QString saveFileName(QWidget *parent, const FileRequest &request) override;
};

class DialogModalRunner : public IModalRunner {
public:
    int exec(QDialog *dialog) override;
};

class MessageBoxStartupMessage : public IStartupMessage {
public:
    void show(const QString &title, const QString &text) override;
};

class HelperPasswordQuestion : public IPasswordQuestion {
public:
    void ask(const QString &title, const QString &label, QObject *context,
             std::function<void(const Answer &)> answered) override;
};

// Owns the system realisations and hands them out as one Platform.
class SystemPlatform {
public:
    SystemPlatform();
    ~SystemPlatform();
    Platform &platform() { return *m_platform; }

private:
    SystemClock m_clock;
    SystemScreen m_screen;
    std::unique_ptr<ISound> m_sound;
    std::unique_ptr<IBeep> m_beep;
    SystemPrinter m_printer;
    DesktopShell m_shell;
    SystemFileDialogs m_fileDialogs;
    DialogModalRunner m_modal;
    MessageBoxStartupMessage m_startupMessage;
    HelperPasswordQuestion m_passwordQuestion;
    std::unique_ptr<Platform> m_platform;
};

} // namespace kv
