#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace kv::Paths {

namespace {
QString envDir(const char *name, const char *fallbackUnderHome) {
    const QString value = qEnvironmentVariable(name);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackUnderHome);
}
} // namespace

QString configDir() {
    return envDir("XDG_CONFIG_HOME", ".config") + QStringLiteral("/kelvadrin");
}

QString autostartFile() {
    return envDir("XDG_CONFIG_HOME", ".config") + QStringLiteral("/autostart/kelvadrin.desktop");
}

QString installDir() {
    return envDir("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Kelvadrin");
}

bool ensurePrivateDir(const QString &dir) {
    if (QFileInfo(dir).isDir())
        return true;
    QDir().mkpath(QFileInfo(dir).absolutePath());
    const QByteArray path = QFile::encodeName(dir);
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

QString runtimeDir() {
    const QString value = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!value.isEmpty() && QFileInfo(value).isDir())
        return value;
    return configDir();
}

QString executablePath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace kv::Paths
