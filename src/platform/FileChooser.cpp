#include "FileChooser.h"
#include "Registry.h"
#include "RegistryNames.h"

#include <QDir>
#include <QFileInfo>

namespace kv {

FileChooser::FileChooser(IFileDialogs &dialogs, Registry *registry)
    : m_dialogs(dialogs), m_registry(registry) {}

QString FileChooser::folderFor(const QString &dialog) const {
    std::optional<QString> kept;
    try {
        if (m_registry && m_registry->keyExists(names::foldersKey))
            kept = m_registry->openKey(names::foldersKey, false).stringOrAbsent(dialog);
    } catch (const std::exception &) {
        // A store that cannot be read opens the dialog at home.
    }
    if (kept && !kept->isEmpty() && QFileInfo(*kept).isDir())
        return *kept;
    return QDir::homePath();
}

void FileChooser::remember(const QString &dialog, const QString &chosen) {
    if (!m_registry || chosen.isEmpty())
        return;
    try {
        m_registry->openKey(names::foldersKey, true)
            .writeString(dialog, QFileInfo(chosen).absolutePath());
    } catch (const std::exception &) {
        // Only the dialog's next folder is lost.
    }
}

QString FileChooser::open(QWidget *parent, const QString &dialog, FileRequest request) {
    request.folder = folderFor(dialog);
    const QString chosen = m_dialogs.openFileName(parent, request);
    remember(dialog, chosen);
    return chosen;
}

QString FileChooser::save(QWidget *parent, const QString &dialog, FileRequest request) {
    request.folder = folderFor(dialog);
    const QString chosen = m_dialogs.saveFileName(parent, request);
    remember(dialog, chosen);
    return chosen;
}

} // namespace kv
