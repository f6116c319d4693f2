#pragma once
// The program's side of sync: the sync module, loaded at its first use (at
// start only when sync is set up), every store write told to it, and the
// imports it waits for.
#include "AppContext.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace kv {

class SyncService;

class SyncConnection {
public:
    struct Hooks {
        std::function<void(const QString &text, bool success)> showStatus;
        std::function<void()> storesChanged;                  // views load again
        std::function<void(const QString &note)> setTrayNote; // what sync waits for
    };
    SyncConnection(AppContext &context, QWidget *window, Hooks hooks);
    ~SyncConnection();

    // "Synchronizacja...": the sync window, or why there is none.
    void open();
    // At start: sync begins when it is set up.
    void startIfSetUp();
    // An import reads the store before its questions and writes after the
    // answer: meanwhile a sync carries out no plan, and goes on once it is over.
    void runImport(const std::function<void()> &import);

private:
    SyncService *service();

    AppContext &m_context;
    QWidget *m_window;
    Hooks m_hooks;
    std::unique_ptr<SyncService> m_sync;
    int m_importing = 0; // imports between reading and writing the stores
};

} // namespace kv
