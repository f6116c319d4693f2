// The address page's export and import: the program's own .adr file, which
// an import replaces whole, and vCard, whose cards an import adds.
#include "Addresspage.h"

#include "VcardTransfer.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "platform/AtomicFile.h"
#include "platform/FileChooser.h"
#include "platform/RegistryNames.h"
#include "platform/RegularFile.h"

#include <QFileInfo>

namespace kv {

namespace {
const QString kFilter = QStringLiteral("Kelvadrin - Baza teleadresowa (*.adr). (*.adr)");
const QString kVcardFilter = QStringLiteral("vCard (*.vcf)");
// A vCard file of a whole address book stays well below this.
constexpr qint64 kVcardLimit = 64 * 1024 * 1024;
} // namespace

void TAddressPage::ExportAddressBook() {
    const QString source = m_file.filePath();
    if (AddressFile::presence(source) == AddressFile::Presence::Missing) {
        showMessage(QStringLiteral("Brak wpisów w bazie teleadresowej."));
        return;
    }
    QString chosenFilter;
    FileRequest request{QStringLiteral("Eksportuj zawartość bazy teleadresowej..."),
                        kFilter + QStringLiteral(";;") + kVcardFilter, QStringLiteral("adr"),
                        QStringLiteral("Baza teleadresowa.adr")};
    request.chosenFilter = &chosenFilter;
    const QString target = FileChooser(m_ctx.platform.fileDialogs, m_ctx.registry)
                               .save(window(), names::folderAddressExport, request);
    if (target.isEmpty())
        return;
    const bool written = !RegularFile::isOneOf(target, m_ctx.liveFiles + QStringList{source}) &&
                         (chosenFilter == kVcardFilter ? exportVcard(target)
                                                       : AddressFile::copyFile(source, target));
    if (!written)
        showMessage(QStringLiteral("Nie można wyeksportować danych. Powód niezależny."));
}

bool TAddressPage::exportVcard(const QString &target) {
    AddressFile book(QFileInfo(m_file.filePath()).absolutePath());
    if (book.LoadAddressImage() != BlockImage::LoadStatus::Whole)
        return false;
    return AtomicFile::write(target, Vcard::write(VcardTransfer::entriesOf(book)));
}

bool TAddressPage::importVcard(const QByteArray &bytes) {
    const Result<Vcard::Contents> contents = Vcard::read(bytes);
    if (!contents) {
        showMessage(contents.failure().isEmpty()
                        ? QStringLiteral("Błąd importu danych. Plik jest niewłaściwy "
                                         "lub uszkodzony.")
                        : contents.failure());
        return false;
    }
    // The whole book is read, the cards put into its free entries, lowest
    // first, and the file replaced once.
    AddressFile book(QFileInfo(m_file.filePath()).absolutePath());
    const BlockImage::LoadStatus loaded = book.LoadAddressImage();
    if (loaded != BlockImage::LoadStatus::Whole && loaded != BlockImage::LoadStatus::Missing) {
        showMessage(QStringLiteral(
            "Błąd importu danych. Plik bazy teleadresowej jest niewłaściwy lub uszkodzony."));
        return false;
    }
    const VcardTransfer::Plan plan = VcardTransfer::place(*contents, book);
    const QString text = VcardTransfer::confirmationText(plan);
    if (plan.placed.isEmpty()) {
        showMessage(QStringLiteral("Żadnego wpisu z pliku nie można dodać do bazy "
                                   "teleadresowej.\n") +
                    text);
        return false;
    }
    if (!m_ctx.askAlert.ask(QStringLiteral("Import bazy teleadresowej..."),
                            QStringLiteral("Import danych"), QStringLiteral("Importuj"), text))
        return false;
    if (!book.SaveAddressImage()) {
        showMessage(QStringLiteral("Nie można zaimportować danych. Powód niezależny."));
        return false;
    }
    ClearAddressFields();
    m_ctx.alert.showSuccess(
        QStringLiteral("Import danych bazy teleadresowej zakończono pomyślnie."),
        QStringLiteral("Import danych"));
    return true;
}

bool TAddressPage::importVcardFile(const QString &source) {
    // A FIFO, a device or a kernel file is never read.
    const std::optional<QByteArray> bytes = RegularFile::read(source, kVcardLimit);
    if (!bytes) {
        showMessage(QStringLiteral("Nie można zaimportować danych. Powód niezależny."));
        return false;
    }
    return importVcard(*bytes);
}

void TAddressPage::ImportAddressBook() {
    const QString source =
        FileChooser(m_ctx.platform.fileDialogs, m_ctx.registry)
            .open(window(), names::folderAddressImport,
                  {QStringLiteral("Importuj bazę teleadresową..."),
                   kFilter + QStringLiteral(";;") + kVcardFilter, QStringLiteral("adr")});
    if (source.isEmpty())
        return;
    // A vCard file (known by its content) is added to the free entries.
    if (!AddressFile::AddressFileSizeOk(source)) {
        // Read only when it is a regular file: anything else is refused below.
        const std::optional<QByteArray> head = RegularFile::read(source, kVcardLimit);
        if (head && Vcard::looksLikeVcard(*head)) {
            importVcard(*head);
            return;
        }
    }
    switch (AddressFile::presence(source)) {
    case AddressFile::Presence::Exists:
        break;
    case AddressFile::Presence::Missing:
        showMessage(QStringLiteral("Brak pliku bazy teleadresowej."));
        return;
    case AddressFile::Presence::Denied:
        showMessage(QStringLiteral("Brak dostępu do pliku bazy teleadresowej."));
        return;
    case AddressFile::Presence::Unknown:
        return;
    }
    // A FIFO, a device or a kernel file is never read.
    if (RegularFile::kind(source) == RegularFile::Kind::Other) {
        showMessage(QStringLiteral("Nie można zaimportować danych. Powód niezależny."));
        return;
    }
    if (!AddressFile::AddressFileSizeOk(source)) {
        showMessage(QStringLiteral(
            "Błąd importu danych. Plik bazy teleadresowej jest niewłaściwy lub uszkodzony."));
        return;
    }
    if (!m_ctx.askAlert.ask(QStringLiteral("Import bazy teleadresowej..."),
                            QStringLiteral("Import danych"), QStringLiteral("Importuj"),
                            QStringLiteral("Ta operacja spowoduje bezpowrotne usunięcie i "
                                           "zastąpienie całej zawartości bazy teleadresowej.")))
        return;
    // The copy is checked again: the file may have changed while the question was open.
    if (!AddressFile::AddressFileSizeOk(source) ||
        !AddressFile::copyFile(source, m_file.filePath())) {
        showMessage(QStringLiteral("Nie można zaimportować danych. Powód niezależny."));
        return;
    }
    ClearAddressFields();
    m_ctx.alert.showSuccess(
        QStringLiteral("Import danych bazy teleadresowej zakończono pomyślnie."),
        QStringLiteral("Import danych"));
}

} // namespace kv
