#pragma once
// The whole program started in-process on fakes and temporary folders.

#include "FakePlatform.h"
#include "TestDateTest.h"
#include "app/Program.h"
#include "platform/Registry.h"

#include <QTemporaryDir>
#include <memory>

namespace kv::test {

struct AppFixture {
    QTemporaryDir dir;
    FakePlatform fake;
    bool tray = true;
    QStringList missingFonts;
    std::function<void()> onFontCheck; // runs when the program checks its fonts
    QStringList arguments;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<Program> program;

    QString path(const QString &name) const { return dir.filePath(name); }
    QString autostartFile() const {
        return path(QStringLiteral("config/autostart/kelvadrin.desktop"));
    }
    QString installDir() const { return path(QStringLiteral("data/Kelvadrin")); }

    // Opens the registry (kept across restarts of the program).
    Registry &openRegistry() {
        if (!registry)
            registry = std::make_unique<Registry>(path(QStringLiteral("config/registry.sqlite3")));
        return *registry;
    }

    int start() {
        openRegistry();
        context = std::make_unique<AppContext>(AppContext{
            .platform = fake.platform,
            .registry = *registry,
            .installDir = installDir(),
            .autostartFile = autostartFile(),
            .executable = QStringLiteral("/usr/bin/kelvadrin"),
            .dateTest = dateTestAt(fake.clock),
            .trayAvailable = [this] { return tray; },
            .fontInstalled =
                [this](const QString &f) {
                    if (onFontCheck)
                        onFontCheck();
                    return !missingFonts.contains(f);
                },
            .lockFile = path(QStringLiteral("Kelvadrin.exe.lock")),
        });
        program = std::make_unique<Program>(*context, arguments);
        return program->start();
    }

    // Ends the running program (as the process would) so that it can start again.
    void stop() {
        program.reset();
        context.reset();
    }

    TOptionsForm *main() const { return program->optionsForm(); }
    Forms &forms() const { return program->forms(); }
};

} // namespace kv::test
