#pragma once
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QTableWidget;

namespace kv {

class HotImage;

// The " &Zadania " tab: the task list, the current task's text and the
// picture that clears the text field.
class TTasksPage : public QWidget {
    Q_OBJECT
public:
    explicit TTasksPage(QWidget *parent = nullptr);

    // The main window has been shown: the list's heading row.
    void mainWindowShown();
    // The tab has been chosen.
    void takeFocus();

    QTableWidget *StringGrid2 = nullptr; // task list
    QPlainTextEdit *RichEdit4 = nullptr; // the current task's text
    HotImage *Image13 = nullptr;         // "clear the editor" picture, normal and highlighted
    QLabel *Label32 = nullptr;           // "...wyczyść pole tekstowe."
    void Image13Click();
};

} // namespace kv
