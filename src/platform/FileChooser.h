#pragma once
#include "Interfaces.h"

namespace kv {

class Registry;

// The program's open and save dialogs. Each opens, the first time, in the
// user's home folder and afterwards in the folder of the file last chosen with
// it, kept in the registry under the dialog's name (RegistryNames.h). Without
// a registry nothing is kept.
class FileChooser {
public:
    FileChooser(IFileDialogs &dialogs, Registry *registry);

    // An empty result means the user cancelled. `request.folder` is filled in.
    QString open(QWidget *parent, const QString &dialog, FileRequest request);
    QString save(QWidget *parent, const QString &dialog, FileRequest request);

    // Where the dialog of that name opens now.
    QString folderFor(const QString &dialog) const;

private:
    void remember(const QString &dialog, const QString &chosen);

    IFileDialogs &m_dialogs;
    Registry *m_registry;
};

} // namespace kv
