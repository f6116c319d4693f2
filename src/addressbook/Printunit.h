#pragma once
#include "AddressFile.h"
#include "platform/Interfaces.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QTextEdit;

namespace kv {

class ShadowHeading;
class TAlertForm;

// The address print window: the shown record composed into an editable,
// bold print sheet, with an optional information header and date line.
class TPrintForm : public QDialog {
    Q_OBJECT
public:
    TPrintForm(Platform &platform, TAlertForm &alert, QWidget *parent = nullptr);

    // What the sheet is composed from when the window is next shown: the
    // address tab's fields, its entry-number text and the main window's
    // caption.
    void setSource(const AddressRecord &record, const QString &entryNumberText,
                   const QString &mainCaption);

    // The lines of a freshly composed sheet for a record.
    static QStringList composeLines(const AddressRecord &record);
    // The date line for a day ("Wydruk utworzono 7 marca 2026").
    static QString dateLine(const QDate &date);

    // Clears and composes the sheet (done each time the window is shown).
    void composeSheet();
    QStringList sheetLines() const;

    // --- handlers
    void CheckBox1Click(); // "Dzisiejszą datę."
    void CheckBox2Click(); // "Informacje bazy teleadresowej."
    void Button2Click();   // "&Drukuj"
    void Button4Click();   // "&Zamknij"

    ShadowHeading *Label1 = nullptr; // "Edycja wydruku..."
    QTextEdit *RichEdit1 = nullptr;  // the print sheet
    QGroupBox *GroupBox1 = nullptr;  // " Dodaj do wydruku "
    QCheckBox *CheckBox1 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button4 = nullptr;

    static constexpr int kClientWidth = 647;
    static constexpr int kClientHeight = 526;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setSheetLines(const QStringList &lines);

    Platform &m_platform;
    TAlertForm &m_alert;
    AddressRecord m_record;
    QString m_entryNumber;
    QString m_mainCaption;
};

} // namespace kv
