#pragma once
#include "platform/Interfaces.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kv {

class ClickLabel;
class ShadowHeading;

// The warning shown when the main window is opened on a screen smaller than
// 1024 x 768.
class TResolutionAlertForm : public QDialog {
    Q_OBJECT
public:
    TResolutionAlertForm(Platform &platform, QWidget *parent = nullptr);

    QLabel *Text = nullptr;         // the two lines of the warning
    QCheckBox *CheckBox1 = nullptr; // "Uruchom mimo wszystko..."
    ClickLabel *Label2 = nullptr;   // "Ustawienia ekranu"
    QPushButton *BitBtn1 = nullptr; // "&Zamknij"
    bool runAnyway() const;

    void Label2Click();
    void BitBtn1Click();

signals:
    // The tray item "Ustawienia" (the window-hidden flag) is to be enabled or disabled.
    void settingsItemEnabled(bool enabled);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    Platform &m_platform;
};

} // namespace kv
