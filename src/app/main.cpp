#include "Program.h"
#include "Registryopen.h"

#include "platform/DisplayChoice.h"
#include "platform/EndSignals.h"
#include "platform/Fonts.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"
#include "platform/SystemPlatform.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <exception>

int main(int argc, char *argv[]) {
    // The two options every program has; any other argument is the file to import.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("Kelvadrin " KV_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::puts("Użycie: kelvadrin [PLIK.ter]\n"
                  "Organizer osobisty; plik terminów podany w wierszu poleceń zostaje\n"
                  "zaimportowany przy starcie; plik iCalendar (.ics) lub vCard (.vcf)\n"
                  "zostaje dodany do terminów i zadań albo do bazy teleadresowej.\n"
                  "  --help     pokazuje tę pomoc\n"
                  "  --version  pokazuje wersję programu");
        return 0;
    }
    // In a Wayland session with an X server the program runs on X11, where the
    // reminder window may keep itself above the others.
    bool platformNamed = false;
    for (int i = 1; i < argc; ++i)
        platformNamed = platformNamed || std::strcmp(argv[i], "-platform") == 0;
    const QByteArray platform =
        platformNamed ? QByteArray()
                      : kv::chooseDisplayPlatform([](const char *name) { return qgetenv(name); },
                                                  [] { return kv::xServerReachable(); });
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    // The choice is the program's own: the programs it starts choose theirs.
    if (!platform.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    // The windows belong to the launcher (the icon and the name a desktop shows).
    QGuiApplication::setDesktopFileName(QStringLiteral("kelvadrin"));
    // The standard dialogs speak Polish, as the program does.
    QTranslator qtPolish;
    if (qtPolish.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtPolish);
    // A logout or `kill` ends the program at once; every write is already durable.
    kv::EndSignals endSignals;
    // exit(), not quit(): the windows are not asked whether they may close.
    // A signal that comes while a window of the start is open (the question
    // of a file import) ends that window's loop; the program then ends too
    // instead of going on into its main loop.
    bool endAsked = false;
    QObject::connect(&endSignals, &kv::EndSignals::received, &app, [&endAsked] {
        endAsked = true;
        QCoreApplication::exit(0);
    });
    kv::SystemPlatform system;
    const std::unique_ptr<kv::Registry> registry =
        kv::openRegistry(kv::Registry::defaultFileName(), system.platform().startupMessage,
                         QDateTime::currentDateTime());
    if (!registry)
        return 1;
    try {
        kv::AppContext context{
            .platform = system.platform(),
            .registry = *registry,
            .installDir = kv::Paths::installDir(),
            .autostartFile = kv::Paths::autostartFile(),
            .executable = kv::Paths::executablePath(),
            .dateTest = kv::systemDateTest(),
            .trayAvailable = [] { return kv::xembedTrayAvailable(); },
            .busTray = true,
            .fontInstalled =
                [](const QString &family) {
                    kv::Fonts::registerExtraFonts(); // the Wine fonts count as installed
                    return kv::Fonts::isInstalled(family);
                },
            .lockFile = kv::SingleInstance::defaultLockFile(),
        };
        QStringList arguments = QApplication::arguments();
        arguments.removeFirst();
        kv::Program program(context, arguments);
        const int code = program.start();
        if (code >= 0)
            return code;
        if (endAsked)
            return 0;
        // The start-up benchmark measures from exec to the first idle moment.
        if (qEnvironmentVariableIsSet("KELVADRIN_SAY_IDLE"))
            QTimer::singleShot(0, qApp, [] {
                std::fputs("idle\n", stdout);
                std::fflush(stdout);
            });
        return QApplication::exec();
    } catch (const std::exception &) {
        system.platform().startupMessage.show(
            QStringLiteral("Kelvadrin"),
            QStringLiteral("Błąd pliku danych programu:\n%1\n\nProgram nie zostanie uruchomiony.")
                .arg(QDir::toNativeSeparators(registry->fileName())));
        return 1;
    }
}
