#pragma once
#include "platform/Interfaces.h"

#include <QDialog>

class QPushButton;
class QStackedWidget;
class QTextEdit;

namespace kv {

class ClickLabel;

// "O programie...": a description of the program and its change history.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(Platform &platform, QWidget *parent = nullptr);

    // The pages are built the first time the window is shown.
    void ensureBuilt();

    QStackedWidget *PageControl1 = nullptr;
    QTextEdit *Memo1 = nullptr;     // the description
    QTextEdit *Memo2 = nullptr;     // the history
    ClickLabel *Label5 = nullptr;   // the maker's name
    ClickLabel *Label6 = nullptr;   // the maker's web page
    QPushButton *BitBtn1 = nullptr; // "&Zamknij"
    QPushButton *BitBtn2 = nullptr; // "&Powitanie"
    QPushButton *BitBtn3 = nullptr; // "&O programie"
    QPushButton *BitBtn4 = nullptr; // "&Historia"

    void Label5Click();
    void Label6Click();
    void BitBtn1Click() { close(); }
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();

    void setVisible(bool visible) override;

signals:
    // "&Powitanie": the first-start window is to be shown.
    void welcomeRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    Platform &m_platform;
};

} // namespace kv
