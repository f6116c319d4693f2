#include "Registryopen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kv {

namespace {

const QString kTitle = QStringLiteral("Kelvadrin");

// Copies the store and its journal; false when the copy could not be made.
bool copyStore(const QString &fileName, const QString &copy) {
    if (!QFile::copy(fileName, copy))
        return false;
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString wal = fileName + QStringLiteral("-wal");
    if (QFileInfo::exists(wal))
        QFile::copy(wal, copy + QStringLiteral("-wal"));
    return true;
}

QString damagedText(const QString &fileName, const QString &copy, bool fresh) {
    QString text =
        QStringLiteral(
            "Plik danych programu (ustawienia, terminy, zadania) jest uszkodzony:\n%1\n\n")
            .arg(QDir::toNativeSeparators(fileName));
    text +=
        QStringLiteral("Jego kopię zachowano jako:\n%1\n\n").arg(QDir::toNativeSeparators(copy));
    text += fresh ? QStringLiteral("Nie udało się odczytać żadnych danych. Program rozpocznie "
                                   "pracę z nowym plikiem danych.")
                  : QStringLiteral("Program będzie pracował z danymi, które udało się odczytać.");
    return text;
}

QString cannotOpenText(const QString &fileName) {
    return QStringLiteral("Nie można otworzyć pliku danych programu:\n%1\n\nSprawdź prawa "
                          "dostępu do tego pliku i jego folderu.")
        .arg(QDir::toNativeSeparators(fileName));
}

QString cannotCopyText(const QString &fileName) {
    return QStringLiteral("Plik danych programu jest uszkodzony:\n%1\n\nNie udało się zachować "
                          "jego kopii, dlatego program nie zostanie uruchomiony. Zwolnij miejsce "
                          "na dysku lub sprawdź prawa dostępu do folderu i uruchom program "
                          "ponownie.")
        .arg(QDir::toNativeSeparators(fileName));
}

} // namespace

QString damagedCopyName(const QString &fileName, const QDateTime &now) {
    const QFileInfo info(fileName);
    return info.dir().filePath(QStringLiteral("registry-uszkodzony-%1.sqlite3")
                                   .arg(now.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
}

std::unique_ptr<Registry> openRegistry(const QString &fileName, IStartupMessage &message,
                                       const QDateTime &now) {
    std::unique_ptr<Registry> registry;
    try {
        registry = std::make_unique<Registry>(fileName);
    } catch (const RegistryError &error) {
        if (error.kind() != RegistryError::Damaged) {
            message.show(kTitle, cannotOpenText(fileName));
            return nullptr;
        }
        // No database at all: kept aside whole, and a new store is begun.
        const QString copy = damagedCopyName(fileName, now);
        if (!copyStore(fileName, copy)) {
            message.show(kTitle, cannotCopyText(fileName));
            return nullptr;
        }
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(fileName + QLatin1String(suffix));
        message.show(kTitle, damagedText(fileName, copy, true));
        try {
            return std::make_unique<Registry>(fileName);
        } catch (const RegistryError &) {
            message.show(kTitle, cannotOpenText(fileName));
            return nullptr;
        }
    }
    if (!registry->quickCheck()) {
        // Nothing has been written yet: the copy is the store as it was found.
        const QString copy = damagedCopyName(fileName, now);
        if (!copyStore(fileName, copy)) {
            message.show(kTitle, cannotCopyText(fileName));
            return nullptr;
        }
        message.show(kTitle, damagedText(fileName, copy, false));
    }
    return registry;
}

} // namespace kv
