#pragma once
#include "platform/Interfaces.h"
#include "platform/Registry.h"

#include <QDialog>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace kv {

class ShadowHeading;

// The appointment list window "Lista terminów": every armed slot with its due
// moment, repeat and link, and the chosen slot's message. It only reads the
// store; "&Edycja terminu" hands the slot to the editor through slotChosen.
class TTaskListForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kShownRows = 12; // rows under the heading row when opened

    TTaskListForm(Platform &platform, Registry &registry, QWidget *parent = nullptr);

    // Builds the list and shows the window modally; when the appointments key
    // cannot be opened the window closes at once (it is not shown).
    void showList();
    // Builds the list from the store (the window's show handling). Returns
    // false when the appointments key cannot be opened.
    bool FormShow();

    // "Odnaleziono 2 aktywne terminy.", "Brak aktywnych terminów." ...
    static QString countText(int count);
    // Column 1 for the stored date and time texts (either may be absent).
    static QString dueText(const std::optional<QString> &date, const std::optional<QString> &time);

    int listedCount() const { return m_count; }
    int chosenSlot() const { return m_chosen; }

    // --- handlers
    void StringGrid1SelectCell(int row); // row 1.. under the heading
    void Button2Click();                 // "&Edycja terminu"
    void Button4Click();                 // "&Zamknij"

    // --- controls
    QLabel *Label1 = nullptr; // "Lista aktywnych terminów..."
    QLabel *Label2 = nullptr; // count text
    QTableWidget *StringGrid1 = nullptr;
    QLabel *Label14 = nullptr; // "Wiadomość..."
    QPlainTextEdit *RichEdit1 = nullptr;
    QPushButton *Button2 = nullptr; // "&Edycja terminu"
    QPushButton *Button4 = nullptr; // "&Zamknij"

signals:
    // "&Edycja terminu": the editor is to show slot n on the first tab.
    void slotChosen(int n);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitColumns();
    Platform &m_platform;
    Registry &m_registry;
    RegKey m_key;
    int m_count = 0;
    int m_chosen = 0;
};

} // namespace kv
