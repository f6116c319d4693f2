#pragma once
#include "platform/Interfaces.h"
#include "platform/Registry.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;

namespace kv {

class ClickLabel;
class ShadowHeading;

// The first-start window: the application's main form, shown only at the
// very first start (when the settings key did not exist yet).
class TFirstStartForm : public QWidget {
    Q_OBJECT
public:
    // Opens the settings key, creating it (and showing the window) when it
    // does not exist yet.
    TFirstStartForm(Platform &platform, Registry &registry);

    bool firstStart() const { return m_firstStart; }

    ShadowHeading *Title = nullptr;
    QTextEdit *RichEdit1 = nullptr; // the welcome text
    QTextEdit *Memo1 = nullptr;     // the grey text
    ClickLabel *Label3 = nullptr;   // "Autor"
    QPushButton *BitBtn1 = nullptr; // "&Kontynuuj"

    // The window's contents are built the first time it is shown: at most
    // starts it never is.
    void ensureBuilt();

    void Label3Click();
    void BitBtn1Click() { hide(); }

signals:
    // The window was closed: the program ends.
    void closedByProgram();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void colourPhrase(const QString &phrase);
    Platform &m_platform;
    bool m_firstStart = false;
};

} // namespace kv
