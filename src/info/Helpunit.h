#pragma once
#include "platform/Interfaces.h"

#include <QColor>
#include <QDialog>
#include <QList>
#include <QStringList>

class QComboBox;
class QPushButton;
class QStackedWidget;
class QTextEdit;

namespace kv {

class ArrowPair;

// The help window: eight pages with a topic selector and a page stepper.
class THelpForm : public QDialog {
    Q_OBJECT
public:
    explicit THelpForm(IScreen &screen, QWidget *parent = nullptr);

    static constexpr int PageCount = 8;
    // The keywords coloured at their first occurrence in a page, and the
    // pages searched for them, in the order searched.
    static QStringList redKeywords();
    static QStringList greenKeywords();
    static QList<int> redPages();
    static QList<int> greenPages();
    static QColor red() { return QColor(255, 0, 0); }
    static QColor green() { return QColor(0, 128, 0); } // colour value 32768

    // Builds the pages and colours the keywords (the window's creation). Done
    // the first time the window is shown, so that starting the program costs nothing.
    void ensureBuilt();
    int currentPage() const;
    QTextEdit *pageText(int page) const;

    QComboBox *ComboBox1 = nullptr;
    QStackedWidget *PageControl1 = nullptr;
    ArrowPair *UpDown1 = nullptr;
    QPushButton *BitBtn1 = nullptr; // "&Zamknij"

    void ComboBox1Change(int index);
    void UpDown1Click();
    void BitBtn1Click() { close(); }

    // Colours the first occurrence (exact, case-sensitive) of each keyword in
    // the text box; a keyword that does not occur changes nothing.
    static void colourFirstOccurrences(QTextEdit *text, const QStringList &keywords,
                                       const QColor &colour);

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showPage(int page);
    IScreen &m_screen;
    QList<QTextEdit *> m_texts;
};

} // namespace kv
