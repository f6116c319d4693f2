#include "FileChooser.h"
#include "Registry.h"
#include "RegistryNames.h"

#include <QDir>
#include <QFileInfo>

namespace kv {

namespace {
// "Name (*.a *.b)": the name and the patterns.
std::pair<QString, QStringList> partsOf(const QString &filter) {
    const QString f = filter.trimmed();
    const qsizetype open = f.lastIndexOf(QLatin1Char('('));
    if (!f.endsWith(QLatin1Char(')')) || open < 0)
        return {f, {}};
    return {f.left(open).trimmed(),
            f.mid(open + 1, f.size() - open - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts)};
}
} // namespace

QString FileChooser::filterFor(const QString &filters, const QString &reported,
                               const QString &fileName) {
    const QStringList all = filters.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (all.isEmpty())
        return reported;
    const QString name = QFileInfo(fileName).fileName();
    for (const QString &f : all)
        for (const QString &pattern : partsOf(f).second)
            if (pattern.startsWith(QLatin1String("*.")) && pattern.size() > 2 &&
                name.endsWith(pattern.mid(1), Qt::CaseInsensitive))
                return f;
    for (const QString &f : all)
        if (reported == f || reported.trimmed() == partsOf(f).first)
            return f;
    return all.constFirst();
}

QString FileChooser::suffixOf(const QString &filter) {
    for (const QString &pattern : partsOf(filter).second)
        if (pattern.startsWith(QLatin1String("*.")) && pattern.size() > 2)
            return pattern.mid(2);
    return {};
}

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
    if (request.chosenFilter)
        *request.chosenFilter = filterFor(request.filter, *request.chosenFilter, chosen);
    return chosen;
}

QString FileChooser::save(QWidget *parent, const QString &dialog, FileRequest request) {
    request.folder = folderFor(dialog);
    const QString chosen = m_dialogs.saveFileName(parent, request);
    remember(dialog, chosen);
    if (request.chosenFilter)
        *request.chosenFilter = filterFor(request.filter, *request.chosenFilter, chosen);
    return chosen;
}

} // namespace kv
