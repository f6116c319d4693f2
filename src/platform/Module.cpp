#include "Module.h"

#include <QProcess>
#include <QTimer>
#include <dlfcn.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace kv::module {

namespace {

using Entry = const ModuleHeader *(*)();

QString wrongModule(const QString &missing, const QString &why) {
    return missing + QLatin1Char(' ') + why;
}

// The folders of the program's own library search path, asked of the program
// rather than of dlopen's caller, which a tool that wraps dlopen would change.
std::vector<std::string> searchFolders() {
    std::vector<std::string> out;
    void *program = dlopen(nullptr, RTLD_NOW);
    Dl_serinfo size;
    if (!program || dlinfo(program, RTLD_DI_SERINFOSIZE, &size) != 0)
        return out;
    std::vector<char> buffer(size.dls_size);
    auto *paths = reinterpret_cast<Dl_serinfo *>(buffer.data());
    *paths = size;
    if (dlinfo(program, RTLD_DI_SERINFO, paths) != 0)
        return out;
    for (unsigned i = 0; i < paths->dls_cnt; ++i)
        out.emplace_back(paths->dls_serpath[i].dls_name);
    return out;
}

const ModuleHeader *checked(void *handle, const char *interface, int version,
                            const QString &missing, QString *failure) {
    const auto entry = reinterpret_cast<Entry>(dlsym(handle, "kelvadrin_module"));
    const ModuleHeader *header = entry ? entry() : nullptr;
    QString why;
    if (!header || !header->interface || qstrcmp(header->interface, interface) != 0)
        why = QStringLiteral("Plik modułu nie należy do tej wersji programu.");
    else if (header->version != version)
        why = QStringLiteral("Moduł pochodzi z innej wersji programu (%1, a potrzebna %2).")
                  .arg(header->version)
                  .arg(version);
    if (why.isEmpty())
        return header;
    if (failure)
        *failure = wrongModule(missing, why);
    return nullptr;
}

} // namespace

const ModuleHeader *loadFrom(const QString &path, const char *interface, int version,
                             const QString &missing, QString *failure) {
    void *handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (failure)
            *failure = missing;
        return nullptr;
    }
    return checked(handle, interface, version, missing, failure);
}

const ModuleHeader *load(const char *file, const char *interface, int version,
                         const QString &missing, QString *failure) {
    for (const std::string &folder : searchFolders()) {
        const std::string path = folder + '/' + file;
        if (void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
            return checked(handle, interface, version, missing, failure);
    }
    if (failure)
        *failure = missing;
    return nullptr;
}

QString helper(const char *file) {
    for (const std::string &folder : searchFolders()) {
        const std::string path = folder + '/' + file;
        if (::access(path.c_str(), X_OK) == 0)
            return QString::fromLocal8Bit(path.c_str());
    }
    return {};
}

void run(const char *file, const QStringList &arguments, const QByteArray &input, QObject *context,
         std::function<void(int, const QByteArray &)> then) {
    const QString program = helper(file);
    if (program.isEmpty()) {
        QTimer::singleShot(0, context, [then] { then(-1, {}); });
        return;
    }
    auto *process = new QProcess(context);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(process, &QProcess::finished, context,
                     [process, then](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         then(status == QProcess::NormalExit ? code : -1,
                              process->readAllStandardOutput());
                     });
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [process, then](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         then(-1, {});
                     });
    process->start(program, arguments);
    process->write(input);
    process->closeWriteChannel();
}

} // namespace kv::module
