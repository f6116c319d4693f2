#pragma once
#include "AddressFile.h"
#include "platform/Interfaces.h"
#include "widgets/WindowUtil.h"

#include <QWidget>
#include <array>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace kv {

class ArrowPair;
class Registry;
class ClickLabel;
class HotImage;
class TAlertForm;
class TAskAlertForm;
class TPrintForm;
class TQuickHelpForm;

// What the address tab works with.
struct AddressContext {
    Platform &platform;
    TAlertForm &alert;
    TAskAlertForm &askAlert;
    TQuickHelpForm &quickHelp;
    QString installDir;           // holds "Baza teleadresowa.adr"
    QString mainCaption;          // the main window's caption, for the print header
    Registry *registry = nullptr; // keeps the folders of the file dialogs
    QStringList liveFiles;        // the program's data files: no export writes over them
};

// The " &Baza  teleadresowa " tab: one address entry at a time, chosen by its
// entry number. Every operation goes to the address file; the tab keeps no
// record data besides what its controls show.
class TAddressPage : public QWidget {
    Q_OBJECT
public:
    explicit TAddressPage(AddressContext context, QWidget *parent = nullptr);
    ~TAddressPage() override;

    // The entry-number field (-1 when empty). Setting it shows that entry.
    int entryNumber() const;
    void setEntryNumber(int entry);

    // --- operations
    void LoadEntry();
    void StoreEntry(bool intoFreeEntry);
    void DeleteEntry();
    void SearchEntries(bool continued);
    void ClearAddressFields();
    void UpdateAddressButtons();
    // "&Plik" ▸ "Baza teleadresowa" ▸ "Eksportuj..." / "Importuj...".
    void ExportAddressBook();
    void ImportAddressBook();
    // A vCard file added to the free entries, after a confirmation that says
    // what is added and what cannot be (the menu, the command line).
    bool importVcardFile(const QString &fileName);

    // --- handlers
    void FieldChange();     // the six search fields
    void RichEdit3Change(); // notes
    void RadioButtonClick(int index);
    void UpDown2Click();
    void BitBtn16Click() { StoreEntry(true); }  // "&Dodaj"
    void BitBtn17Click() { StoreEntry(false); } // "&Zmień"
    void BitBtn11Click() { DeleteEntry(); }     // "&Usuń"
    void BitBtn10Click();                       // search
    void BitBtn12Click();                       // "Dalej"
    void BitBtn14Click();                       // "e-mail"
    void BitBtn13Click();                       // "Drukuj"
    void SpeedButton2Click();                   // link to the current appointment

    static constexpr int kNotesLimit = 500;

    // The record the fields show.
    AddressRecord shownRecord() const;
    AddressFile &file() { return m_file; }
    TPrintForm *printForm() const { return m_print; }
    int searchPosition() const { return m_searchPosition; }

    // --- controls
    QGroupBox *GroupBox = nullptr;       // " Baza teleadresowa "
    QLineEdit *Edit2 = nullptr;          // "Nazwa:"
    QLineEdit *Edit3 = nullptr;          // "Miejscowość:"
    QLineEdit *Edit4 = nullptr;          // "Kod:"
    QLineEdit *Edit5 = nullptr;          // "Ulica:"
    QLineEdit *Edit11 = nullptr;         // "Tel.:"
    QLineEdit *Edit7 = nullptr;          // "e-mail:"
    QLineEdit *Edit9 = nullptr;          // "icq:"
    QPlainTextEdit *RichEdit3 = nullptr; // "Inne..."
    QLabel *Label23 = nullptr;           // notes counter
    QLineEdit *Edit10 = nullptr;         // entry number
    ArrowPair *UpDown2 = nullptr;
    // "Nazwa:", "Miejscowość:", "Ulica:", "Tel.:", "e-mail:", "icq:"
    std::array<QRadioButton *, 6> RadioButtons{};
    QToolButton *BitBtn10 = nullptr;     // "Szukaj..."
    QToolButton *BitBtn12 = nullptr;     // "Dalej..."
    QPushButton *BitBtn14 = nullptr;     // "e-mail"
    QToolButton *SpeedButton2 = nullptr; // "Dodaj do aktualnego terminu..."
    ClickLabel *SearchLabel = nullptr;   // "Szukaj..."
    ClickLabel *NextLabel = nullptr;     // "Dalej..."
    ClickLabel *LinkLabel = nullptr;     // "Dodaj do aktualnego terminu..."
    ClickLabel *NumberLabel = nullptr;   // "Wpis numer..."
    HotImage *Image8 = nullptr;          // "clear the fields" picture
    ClickLabel *Label28 = nullptr;       // "...wyczyść pola tekstowe."
    QPushButton *BitBtn16 = nullptr;     // "&Dodaj"
    QPushButton *BitBtn17 = nullptr;     // "&Zmień"
    QPushButton *BitBtn11 = nullptr;     // "&Usuń"
    QPushButton *BitBtn13 = nullptr;     // "Drukuj"

signals:
    // A report for the main window's status line (text, success).
    void statusReported(const QString &text, bool success);
    // Empty status text and the lamp back to the button face.
    void statusCleared();
    // The search's progress gauge in the status line.
    void progressChanged(int value, int maximum);
    // The link button: entry n becomes the current appointment's link.
    void linkRequested(int entry);

private:
    bool exportVcard(const QString &target);
    bool importVcard(const QByteArray &bytes);
    void buildControls();
    void setFields(const AddressRecord &record);
    void clearFields();
    void clearNumberField();
    void enableChangeAndDelete();
    void showMessage(const QString &text);
    void setBusy(bool busy);
    void repaintWindow();
    QLineEdit *searchField(int index) const;

    AddressContext m_ctx;
    AddressFile m_file;
    TPrintForm *m_print = nullptr;
    int m_searchPosition = 0;
    QString m_searchTerm; // folded
    int m_searchField = 0;
    std::optional<BusyCursor> m_busyCursor;
};

} // namespace kv
