#include "SyncConnection.h"

#include "platform/RegistryNames.h"
#include "sync/SyncService.h"

#include <QScopeGuard>

namespace kv {

SyncConnection::SyncConnection(AppContext &context, QWidget *window, Hooks hooks)
    : m_context(context), m_window(window), m_hooks(std::move(hooks)) {}

SyncConnection::~SyncConnection() {
    // The store outlives the window: it tells the sync nothing more.
    if (m_sync)
        m_context.registry.setWriteObserver({});
}

void SyncConnection::runImport(const std::function<void()> &import) {
    ++m_importing;
    const auto over = qScopeGuard([this] {
        if (--m_importing == 0 && m_sync)
            m_sync->importEnded();
    });
    import();
}

SyncService *SyncConnection::service() {
    if (m_sync)
        return m_sync.get();
    const SyncModule *module = loadModule<SyncModule>();
    SyncHost host;
    host.registry = &m_context.registry;
    host.folder = m_context.installDir;
    host.window = m_window;
    host.showStatus = m_hooks.showStatus;
    host.storesChanged = m_hooks.storesChanged;
    host.platform = &m_context.platform;
    host.importing = [this] { return m_importing > 0; };
    host.setTrayNote = m_hooks.setTrayNote;
    m_sync.reset(module ? module->start(host) : nullptr);
    if (m_sync) {
        // Every change of an appointment or a task tells the sync.
        m_context.registry.setWriteObserver([this](const QString &key) {
            if (key.startsWith(names::appointmentsKey, Qt::CaseInsensitive) ||
                key.startsWith(names::tasksKey, Qt::CaseInsensitive))
                m_sync->localChanged();
        });
    }
    return m_sync.get();
}

void SyncConnection::open() {
    if (SyncService *sync = service()) {
        sync->showWindow();
        return;
    }
    // Why the module cannot be used, when it is there at all.
    QString failure = QString::fromUtf8(SyncModule::Missing);
    loadModule<SyncModule>(&failure);
    m_hooks.showStatus(failure, false);
}

void SyncConnection::startIfSetUp() {
    if (syncConfigured(m_context.registry))
        service();
}

} // namespace kv
