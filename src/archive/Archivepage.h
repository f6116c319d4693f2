#pragma once
#include <QWidget>

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace kv {

// The " &Archiwum " tab: search, read, print and delete archived messages.
class TArchivePage : public QWidget {
    Q_OBJECT
public:
    explicit TArchivePage(QWidget *parent = nullptr);

    // The main window has been shown: the result list's heading row.
    void mainWindowShown();
    // The tab has been chosen: the text field or the day field takes the focus.
    void takeFocus();

    QLineEdit *Edit1 = nullptr;          // search text
    QComboBox *ComboBox5 = nullptr;      // search day
    QTableWidget *StringGrid1 = nullptr; // results
};

} // namespace kv
