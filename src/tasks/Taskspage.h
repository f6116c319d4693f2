#pragma once
#include "TaskStore.h"
#include "platform/Interfaces.h"

#include <QWidget>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace kv {

class ClickLabel;
class HotImage;
class TAlertForm;
class TDeleteTaskForm;
class TQuickHelpForm;

// The " &Zadania " tab: up to 100 numbered tasks in a list, the current
// task's text, and add, change, delete and print.
class TTasksPage : public QWidget {
    Q_OBJECT
public:
    TTasksPage(RegKey tasksKey, Platform &platform, TAlertForm &alert, TQuickHelpForm &quickHelp,
               QWidget *parent = nullptr);
    ~TTasksPage() override;

    // The main window has been shown: the heading row and the task list.
    void mainWindowShown();
    // The tab has been chosen.
    void takeFocus();

    // Fills the list from the store; task 1 becomes the current task.
    void LoadTasks();
    int currentTask() const { return m_current; }
    TaskStore &store() { return m_store; }
    TDeleteTaskForm *deleteForm() const { return m_deleteForm.get(); }

    // --- handlers
    void StringGrid2SelectCell(int row);
    void RichEdit4Change();
    void BitBtn19Click(); // "&Dodaj"
    void BitBtn20Click(); // "&Zmień"
    void BitBtn18Click(); // "&Usuń"
    void BitBtn21Click(); // "Drukuj"
    void Image13Click();
    void Label33Click();
    void Label35Click();

    // --- controls
    QTableWidget *StringGrid2 = nullptr; // task list
    QPlainTextEdit *RichEdit4 = nullptr; // the current task's text
    ClickLabel *Label33 = nullptr;       // characters left
    ClickLabel *Label35 = nullptr;       // current task number
    QLabel *Label13 = nullptr;           // "Wiadomość..."
    HotImage *Image13 = nullptr;         // "clear the editor" picture, normal and highlighted
    ClickLabel *Label32 = nullptr;       // "...wyczyść pole tekstowe."
    QPushButton *BitBtn19 = nullptr;     // "&Dodaj"
    QPushButton *BitBtn20 = nullptr;     // "&Zmień"
    QPushButton *BitBtn18 = nullptr;     // "&Usuń"
    QPushButton *BitBtn21 = nullptr;     // "Drukuj"

signals:
    // A report for the main window's status line.
    void statusReported(const QString &text, bool success);

private:
    void setRowText(int row, const QString &text);
    // The grid shows rows 1..9 and every stored task above them.
    void fitRows();
    void selectRow(int row);
    void setTaskButtons(bool enabled);
    void showMessage(const QString &text);

    TaskStore m_store;
    Platform &m_platform;
    TAlertForm &m_alert;
    TQuickHelpForm &m_quickHelp;
    std::unique_ptr<TDeleteTaskForm> m_deleteForm;
    int m_current = 1;
    bool m_selecting = false;
};

} // namespace kv
