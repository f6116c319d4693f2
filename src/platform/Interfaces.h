#pragma once
// The small interfaces through which windows reach the outside world. The
// program runs with the system realisations (SystemPlatform.h); tests give
// recording fakes.

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QUrl>
#include <functional>

class QDialog;
class QObject;
class QWidget;

namespace kv {

// Local wall-clock time.
class IClock {
public:
    virtual ~IClock() = default;
    virtual QDateTime now() const = 0;
    // Blocks the caller for the given time (the advance signal's one-second waits).
    virtual void wait(int milliseconds) = 0;
};

class IScreen {
public:
    virtual ~IScreen() = default;
    virtual QSize size() const = 0;
};

// Playback of one mp3 or wav file at a time.
class ISound {
public:
    virtual ~ISound() = default;
    // Opens the file (closing a file opened before). On failure returns false
    // and puts the player's own error text into *error.
    virtual bool open(const QString &path, QString *error) = 0;
    // Plays the opened file from the given position (fromStart) or from where it stands.
    virtual bool play(bool fromStart, QString *error) = 0;
    virtual void stop() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// The system's exclamation beep.
class IBeep {
public:
    virtual ~IBeep() = default;
    virtual void exclamation() = 0;
};

// Printing plain or rich text on the default printer without a dialog.
class IPrinter {
public:
    virtual ~IPrinter() = default;
    // Returns false when nothing could be printed (no default printer, ...).
    virtual bool printText(const QString &jobTitle, const QString &text, bool rich) = 0;
};

class IShell {
public:
    virtual ~IShell() = default;
    // Opens a URL (mailto:, http:) with the desktop's handler; fire and forget.
    virtual void openUrl(const QUrl &url) = 0;
    // Opens the desktop's display settings; fire and forget.
    virtual void openDisplaySettings() = 0;
};

// What a file dialog opens with.
struct FileRequest {
    FileRequest(QString title, QString filter, QString defaultSuffix = {},
                QString proposedName = {})
        : title(std::move(title)), filter(std::move(filter)),
          defaultSuffix(std::move(defaultSuffix)), proposedName(std::move(proposedName)) {}
    QString title;
    QString filter;
    QString defaultSuffix;
    QString proposedName; // the name in the name field at start (save dialogs)
    QString folder;       // the folder it opens in
    // Several filters are separated by ";;"; the one the user chose is
    // written here when asked for.
    QString *chosenFilter = nullptr;
};

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // An empty result means the user cancelled.
    virtual QString openFileName(QWidget *parent, const FileRequest &request) = 0;
    virtual QString saveFileName(QWidget *parent, const FileRequest &request) = 0;
};

// Shows a window modally. The system realisation runs QDialog::exec(); tests
// record the window and answer at once.
class IModalRunner {
public:
    virtual ~IModalRunner() = default;
    virtual int exec(QDialog *dialog) = 0;
};

// A password asked of the user in a window of its own. The system realisation
// asks in a process of its own (kelvadrin-askpass), so that what drawing the
// question takes ends with the answer; tests answer at once.
class IPasswordQuestion {
public:
    struct Answer {
        enum Kind { Given, Cancelled, Failed } kind; // Failed: could not be asked
        QString password;                            // Given only
    };
    static constexpr char Helper[] = "kelvadrin-askpass";
    virtual ~IPasswordQuestion() = default;
    // `answered` is called once, and not once `context` is gone.
    virtual void ask(const QString &title, const QString &label, QObject *context,
                     std::function<void(const Answer &)> answered) = 0;
};

// The plain message box of start-up.
class IStartupMessage {
public:
    virtual ~IStartupMessage() = default;
    virtual void show(const QString &title, const QString &text) = 0;
};

// Everything above, as one bundle handed to the windows.
struct Platform {
    IClock &clock;
    IScreen &screen;
    ISound &sound;
    IBeep &beep;
    IPrinter &printer;
    IShell &shell;
    IFileDialogs &fileDialogs;
    IModalRunner &modal;
    IStartupMessage &startupMessage;
    IPasswordQuestion &passwordQuestion;
};

} // namespace kv
