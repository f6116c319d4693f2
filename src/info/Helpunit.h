#pragma once
#include <QDialog>

class QComboBox;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTextEdit;

namespace kv {

// The help window: eight pages with a topic selector and a page stepper.
class THelpForm : public QDialog {
    Q_OBJECT
public:
    explicit THelpForm(QWidget *parent = nullptr);

    static constexpr int PageCount = 8;
    // The pages are built the first time the window is shown.
    void ensureBuilt();
    int currentPage() const;

    QComboBox *ComboBox1 = nullptr;
    QStackedWidget *PageControl1 = nullptr;
    QPushButton *UpDownLeft = nullptr;
    QPushButton *UpDownRight = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QTextEdit *pageText(int page) const;

    void ComboBox1Change(int index);
    void UpDown1Click(int position);
    void BitBtn1Click() { close(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QList<QTextEdit *> m_texts;
};

} // namespace kv
