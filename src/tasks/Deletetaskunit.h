#pragma once
#include "platform/Interfaces.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QTextEdit;

namespace kv {

class ShadowHeading;

// "Usuń": asks before tasks are deleted, the current one or all of them.
class TDeleteTaskForm : public QDialog {
    Q_OBJECT
public:
    explicit TDeleteTaskForm(Platform &platform, QWidget *parent = nullptr);

    // 1 when "&Usuń" closed the window, 0 after "&Anuluj".
    int answer = 0;
    bool deleteAll() const;

    ShadowHeading *Label1 = nullptr; // "Usuń zadanie /a"
    QTextEdit *Memo1 = nullptr;
    QCheckBox *CheckBox1 = nullptr; // "Usuń wszystkie zdefiniowane zadania."
    QPushButton *BitBtn2 = nullptr; // "&Usuń"
    QPushButton *BitBtn1 = nullptr; // "&Anuluj"
    void FormShow();
    void BitBtn2Click();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    Platform &m_platform;
};

} // namespace kv
