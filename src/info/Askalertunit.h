#pragma once
#include "platform/Interfaces.h"

#include <QDialog>

class QPushButton;
class QTextEdit;

namespace kv {

class ShadowHeading;

// The confirmation window: a question before a destructive operation. The
// answer is one program-wide flag that the caller resets.
class TAskAlertForm : public QDialog {
    Q_OBJECT
public:
    explicit TAskAlertForm(Platform &platform, QWidget *parent = nullptr);

    // Sets caption, title, confirm button and text, shows the window modally
    // and returns the answer; a yes is set back to no before returning.
    bool ask(const QString &caption, const QString &title, const QString &confirmButton,
             const QString &text);

    bool answer = false;
    // The window's contents are made when it is first needed.
    void ensureBuilt();
    void setVisible(bool visible) override;

    ShadowHeading *Title = nullptr;
    QTextEdit *Memo1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // confirm
    QPushButton *BitBtn2 = nullptr; // "&Anuluj"
    void BitBtn1Click();
    void BitBtn2Click();

private:
    Platform &m_platform;
};

} // namespace kv
