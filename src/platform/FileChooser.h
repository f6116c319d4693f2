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

    // Which of `filters` ("Name (*.a *.b)", separated by ";;") a chosen file
    // is of: the one whose pattern its name's suffix matches, whichever was
    // shown; else the one the dialog reports (whole, or by its name alone, as
    // Qt's own dialog gives it with the patterns hidden); else the first.
    // `request.chosenFilter` of open() and save() is filled in by this rule.
    static QString filterFor(const QString &filters, const QString &reported,
                             const QString &fileName);
    // The suffix a filter's first "*.x" pattern names ("ics"), or none.
    static QString suffixOf(const QString &filter);

private:
    void remember(const QString &dialog, const QString &chosen);

    IFileDialogs &m_dialogs;
    Registry *m_registry;
};

} // namespace kv
