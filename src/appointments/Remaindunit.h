#pragma once
#include "platform/Interfaces.h"

#include <QDialog>

class QAction;
class QLabel;
class QMenuBar;
class QPushButton;
class QTextEdit;

#include <optional>

namespace kv {

class ShadowHeading;

// What the reminder window shows of one appointment.
struct ReminderText {
    QString message;
    QString dateLine;                  // "Termin przypomnienia określono na ..."
    std::optional<QString> periodLine; // the repeat text; nothing keeps the line as it is
    std::optional<int> link;           // the linked address-book entry
    bool overdue = false;              // "zaległa"
};

// The reminder window: the message of an appointment that fell due, shown
// modally and on top of all windows.
class TRemaindForm : public QDialog {
    Q_OBJECT
public:
    explicit TRemaindForm(Platform &platform, bool archiveByDefault, QWidget *parent = nullptr);

    // Fills the window with one appointment's reminder.
    void fill(const ReminderText &text);
    // "&Ustawienia" and "&Zamknij" (disabled while the message is archived).
    void setButtonsEnabled(bool enabled);

    // The window's contents are made when it is first needed.
    void ensureBuilt();
    void setVisible(bool visible) override;

    void setStayOnTop(bool onTop);
    bool stayOnTop() const;

    ShadowHeading *Title = nullptr;   // "Wiadomość..."
    ShadowHeading *Overdue = nullptr; // "zaległa", red
    QLabel *PeriodLine = nullptr;     // repeat text, top right
    QTextEdit *Memo1 = nullptr;       // the message
    QLabel *DateLine = nullptr;       // "Termin przypomnienia..."
    QLabel *LinkLine = nullptr;       // "Termin powiązany z bazą teleadresową..."
    QLabel *EntryLine = nullptr;      // "wpis numer", red
    QPushButton *BitBtn3 = nullptr;   // "&Baza teleadresowa"
    QPushButton *BitBtn2 = nullptr;   // "&Ustawienia"
    QPushButton *BitBtn1 = nullptr;   // "&Zamknij"
    QAction *ArchiveItem = nullptr;   // "Dodaj do archiwum"

    bool addToArchive() const;
    void setAddToArchive(bool on);

    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

signals:
    // Enable the tray items "Ustawienia" and "Koniec" again.
    void trayItemsEnabled();
    // Open the main window on the appointments tab (0) or the address book (1).
    void openMainWindowTab(int tab);
    // The window closed (the appointment list window closes with it).
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    Platform &m_platform;
};

} // namespace kv
