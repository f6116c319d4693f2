#pragma once
// Recording fakes of the platform interfaces for headless tests.

#include "platform/Interfaces.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <vector>

namespace kv::test {

class FakeClock : public IClock {
public:
    QDateTime current = QDateTime(QDate(2026, 12, 8), QTime(12, 0));
    QList<int> waits;
    QDateTime now() const override { return current; }
    void wait(int milliseconds) override {
        waits << milliseconds;
        current = current.addMSecs(milliseconds);
    }
    void set(int year, int month, int day, int hour, int minute) {
        current = QDateTime(QDate(year, month, day), QTime(hour, minute));
    }
};

class FakeScreen : public IScreen {
public:
    QSize screenSize{1280, 1024};
    QSize size() const override { return screenSize; }
};

class FakeSound : public ISound {
public:
    QStringList log;  // "open <path>", "play", "stop", "close"
    QString failOpen; // when set, open fails with this error text
    QString failPlay;
    bool opened = false;
    bool open(const QString &path, QString *error) override {
        log << QStringLiteral("open ") + path;
        if (!failOpen.isEmpty()) {
            if (error)
                *error = failOpen;
            opened = false;
            return false;
        }
        opened = true;
        return true;
    }
    bool play(bool fromStart, QString *error) override {
        log << (fromStart ? QStringLiteral("play from start") : QStringLiteral("play"));
        if (!failPlay.isEmpty()) {
            if (error)
                *error = failPlay;
            return false;
        }
        return true;
    }
    void stop() override { log << QStringLiteral("stop"); }
    void close() override {
        log << QStringLiteral("close");
        opened = false;
    }
    bool isOpen() const override { return opened; }
};

class FakeBeep : public IBeep {
public:
    int count = 0;
    std::function<void()> onBeep;
    void exclamation() override {
        ++count;
        if (onBeep)
            onBeep();
    }
};

class FakePrinter : public IPrinter {
public:
    struct Job {
        QString title;
        QString text;
        bool rich;
    };
    std::vector<Job> jobs;
    bool succeed = true;
    bool printText(const QString &jobTitle, const QString &text, bool rich) override {
        if (!succeed)
            return false;
        jobs.push_back({jobTitle, text, rich});
        return true;
    }
};

class FakeShell : public IShell {
public:
    QList<QUrl> urls;
    int displaySettings = 0;
    void openUrl(const QUrl &url) override { urls << url; }
    void openDisplaySettings() override { ++displaySettings; }
};

class FakeFileDialogs : public IFileDialogs {
public:
    QStringList answers; // taken one per call; an empty answer is a cancel
    std::vector<FileRequest> requests;
    QStringList titles;
    QStringList filters;
    // The filter each call reports as chosen, as a dialog gives it (Qt's own
    // names it without its patterns); none: the first one shown, in full.
    QStringList reported;
    QString take(const FileRequest &request) {
        requests.push_back(request);
        titles << request.title;
        filters << request.filter;
        const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
        if (request.chosenFilter)
            *request.chosenFilter = reported.isEmpty()
                                        ? request.filter.section(QStringLiteral(";;"), 0, 0)
                                        : reported.takeFirst();
        return answer;
    }
    QString openFileName(QWidget *, const FileRequest &request) override { return take(request); }
    QString saveFileName(QWidget *, const FileRequest &request) override { return take(request); }
};

// Records every modal showing. The window is shown while `onExec` runs (it may
// click buttons); when it is still open afterwards it is closed as rejected.
class FakeModal : public IModalRunner {
public:
    struct Shown {
        QDialog *dialog;
        QString title;
        QString text; // filled by `describe` when set
    };
    std::vector<Shown> shown;
    std::function<void(QDialog *)> onExec;
    std::function<QString(QDialog *)> describe;
    int exec(QDialog *dialog) override {
        shown.push_back({dialog, dialog->windowTitle(), describe ? describe(dialog) : QString()});
        dialog->setResult(0);
        dialog->show();
        if (onExec)
            onExec(dialog);
        if (dialog->isVisible())
            dialog->done(QDialog::Rejected);
        return dialog->result();
    }
    int count() const { return static_cast<int>(shown.size()); }
};

class FakeStartupMessage : public IStartupMessage {
public:
    QStringList texts;
    void show(const QString &, const QString &text) override { texts << text; }
};

// Answers every question at once with `answer`, and records the questions.
class FakePasswordQuestion : public IPasswordQuestion {
public:
    Answer answer{Answer::Cancelled, {}};
    QStringList labels;
    void ask(const QString &, const QString &label, QObject *,
             std::function<void(const Answer &)> answered) override {
        labels << label;
        answered(answer);
    }
};

struct FakePlatform {
    FakeClock clock;
    FakeScreen screen;
    FakeSound sound;
    FakeBeep beep;
    FakePrinter printer;
    FakeShell shell;
    FakeFileDialogs fileDialogs;
    FakeModal modal;
    FakeStartupMessage startupMessage;
    FakePasswordQuestion passwordQuestion;
    Platform platform{clock, screen,      sound, beep,           printer,
                      shell, fileDialogs, modal, startupMessage, passwordQuestion};
};

} // namespace kv::test
