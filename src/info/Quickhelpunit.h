#pragma once
#include "platform/Interfaces.h"

#include <QDialog>

class QPushButton;
class QTextEdit;

namespace kv {

// A small window with one short explanation; the hint labels open it.
class TQuickHelpForm : public QDialog {
    Q_OBJECT
public:
    // With a screen the window opens in its middle; without one Qt places it.
    explicit TQuickHelpForm(IScreen *screen = nullptr, QWidget *parent = nullptr);

    // Sets caption and text and shows the window, not modally. A second
    // request while it is open replaces both.
    void showQuickHelp(const QString &caption, const QString &text);
    QString text() const;
    // The window's contents are made when it is first needed.
    void ensureBuilt();

    QTextEdit *RichEdit1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "&Zamknij"
    QPushButton *BitBtn2 = nullptr; // "&Pomoc"
    void BitBtn1Click() { close(); }
    void BitBtn2Click();

    void setVisible(bool visible) override;

signals:
    // "&Pomoc": the help window, modally; the quick help stays open.
    void helpRequested();

private:
    IScreen *m_screen;
};

} // namespace kv
