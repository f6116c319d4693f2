#pragma once
// What the program knows of the sync module (kelvadrin-sync.so): the module
// is loaded when sync is first used, and the program talks to it only
// through this interface.
#include "platform/Interfaces.h"
#include "platform/Module.h"
#include "platform/Registry.h"
#include "platform/RegistryNames.h"

#include <QString>
#include <functional>

class QWidget;

namespace kv {

struct SyncHost {
    Registry *registry = nullptr;
    QString folder;            // the address book's and the archive's
    QWidget *window = nullptr; // the main window: parent of the module's windows
    std::function<void(const QString &text, bool success)> showStatus;
    std::function<void()> storesChanged; // views of the stores load again
    // The clock and the modal runner the module's questions go through.
    const Platform *platform = nullptr;
    // A line under the tray icon's tooltip: what sync waits for (empty: nothing).
    std::function<void(const QString &note)> setTrayNote;
    // Whether an import is between reading the stores and writing them: the
    // sync carries out no plan until importEnded().
    std::function<bool()> importing;
};

class SyncService {
public:
    virtual ~SyncService() = default;
    virtual void showWindow() = 0;
    // A store was written (the module tells its own writes apart).
    virtual void localChanged() = 0;
    // The imports the sync waited for are over (see SyncHost::importing).
    virtual void importEnded() = 0;
};

// Whether sync is set up (a server is stored): the module is loaded at start only then.
inline bool syncConfigured(Registry &registry) {
    return registry.keyExists(names::syncKey) &&
           registry.openKey(names::syncKey, false).stringOrAbsent(names::syncServer).has_value();
}

struct SyncModule {
    ModuleHeader header;
    // The service, or null.
    SyncService *(*start)(const SyncHost &host);

    static constexpr char File[] = "kelvadrin-sync.so";
    static constexpr char Interface[] = "pl.kelvadrin.sync";
    static constexpr int Version = 1;
    static constexpr char Missing[] = "Nie można wczytać modułu synchronizacji.";
};

} // namespace kv
