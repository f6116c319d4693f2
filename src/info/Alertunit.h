#pragma once
#include "platform/Interfaces.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace kv {

// The information window: one line of text and "&Zamknij". The program's
// message box after start-up.
class TAlertForm : public QDialog {
    Q_OBJECT
public:
    explicit TAlertForm(Platform &platform, QWidget *parent = nullptr);

    // Puts the text into the line, centres the window and shows it modally.
    void showMessage(const QString &text);
    // The same under another caption for this one showing.
    void showMessage(const QString &text, const QString &caption);
    // A report of success under its own caption: the information sign in
    // place of the warning for this one showing.
    void showSuccess(const QString &text, const QString &caption);
    // Whether the window shows the warning sign (every message but a success).
    bool showsWarning() const { return m_warning; }
    QString text() const;
    // The window's contents are made when it is first needed.
    void ensureBuilt();
    void setVisible(bool visible) override;

    QLabel *Image1 = nullptr; // the sign
    QLabel *Label1 = nullptr;
    QWidget *Panel1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "&Zamknij"

    // Fits the width to the text and centres the button.
    void fitToText();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPixmap sign(bool warning) const;
    void setWarning(bool warning);

    Platform &m_platform;
    bool m_warning = true;
};

} // namespace kv
