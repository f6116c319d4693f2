#include "Autostart.h"
#include "AtomicFile.h"

#include <QDir>
#include <QFileInfo>

namespace kv::Autostart {

namespace {
// Quotes an Exec argument the way desktop entry files want it.
QString quoted(const QString &path) {
    QString escaped = path;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\\\""));
    escaped.replace(QLatin1Char('`'), QLatin1String("\\\\`"));
    escaped.replace(QLatin1Char('$'), QLatin1String("\\\\$"));
    escaped.replace(QLatin1Char('%'), QLatin1String("%%"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}
} // namespace

bool ensure(const QString &entryFile, const QString &executable) {
    if (QFileInfo::exists(entryFile))
        return true;
    if (!QDir().mkpath(QFileInfo(entryFile).absolutePath()))
        return false;
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Kelvadrin\n"
                                        "Comment=Osobisty organizer z przypomnieniami\n"
                                        "Exec=%1\n"
                                        "Icon=kelvadrin\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n"
                                        // After the panel: its tray is there to take the icon.
                                        "X-GNOME-Autostart-Phase=Applications\n"
                                        "X-KDE-autostart-phase=2\n")
                             .arg(quoted(executable));
    return AtomicFile::write(entryFile, text.toUtf8(), 0644);
}

} // namespace kv::Autostart
