#pragma once
#include <QDialog>
#include <functional>

class QPushButton;
class QStackedWidget;

namespace kv {

// "O programie...": a description of the program and its change history.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget *parent = nullptr);

    // "&Powitanie": shows the first-start window (set by the program).
    std::function<void()> showWelcome;
    // The pages are built the first time the window is shown.
    void ensureBuilt();

    QStackedWidget *PageControl1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "&Zamknij"
    QPushButton *BitBtn2 = nullptr; // "&Powitanie"
    QPushButton *BitBtn3 = nullptr; // "&O programie"
    QPushButton *BitBtn4 = nullptr; // "&Historia"

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace kv
