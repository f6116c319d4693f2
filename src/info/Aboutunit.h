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

    // The pages are built the first time the window is shown.
    void ensureBuilt();

    QStackedWidget *PageControl1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "&Zamknij"
    QPushButton *BitBtn2 = nullptr; // "&Powitanie"
    QPushButton *BitBtn3 = nullptr; // "&O programie"
    QPushButton *BitBtn4 = nullptr; // "&Historia"

signals:
    // "&Powitanie": the first-start window is to be shown.
    void welcomeRequested();

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace kv
