#pragma once
#include "AppContext.h"
#include "Optionsunit.h"

#include <QStringList>
#include <memory>

namespace kv {

class FileHandoff;
class SingleInstance;
class TFirstStartForm;

// The program's start-up: creates every window in its order, guards against
// a second copy, checks the fonts, and ends the program on "Koniec".
class Program {
public:
    Program(AppContext &context, QStringList arguments);
    ~Program();

    // Runs the start-up sequence. Returns -1 when the program is to go on
    // running (the caller enters the event loop), or the exit code when it
    // ended during start-up.
    int start();

    TFirstStartForm *firstStartForm() const { return m_firstStart.get(); }
    TOptionsForm *optionsForm() const { return m_options.get(); }
    Forms &forms() { return m_forms; }
    bool ended() const { return m_ended; }

    static QString alreadyRunningText();
    static QString missingArialText();
    static QString missingTahomaText();

private:
    bool creationHandler();
    // A file from the command line or a second copy: its kind by its content.
    void importFile(const QString &fileName);
    // The calendar and the appointment list, and their links to the tabs.
    void wireCalendarAndList(TOptionsForm *options);
    AppContext &m_context;
    QStringList m_arguments;
    Forms m_forms;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<FileHandoff> m_handoff; // files opened while the program runs
    std::unique_ptr<TFirstStartForm> m_firstStart;
    std::vector<std::unique_ptr<QWidget>> m_windows;
    std::unique_ptr<TOptionsForm> m_options;
    bool m_ended = false;
};

} // namespace kv
