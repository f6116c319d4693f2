#include "Quickhelpunit.h"
#include "widgets/WindowUtil.h"

#include <QPushButton>
#include <QTextEdit>

namespace kv {

TQuickHelpForm::TQuickHelpForm(IScreen *screen, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_screen(screen) {
    setFont(arial15());
    setFixedSize(470, 236);
    setModal(false);
}

void TQuickHelpForm::ensureBuilt() {
    if (RichEdit1)
        return;
    QWidget *panel = whitePanelWithPicture(this, QRect(8, 8, 454, 176), QStringLiteral("help.jpg"));

    RichEdit1 = new QTextEdit(panel);
    RichEdit1->setGeometry(100, 8, 346, 160);
    RichEdit1->setReadOnly(true);
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->viewport()->setCursor(Qt::ArrowCursor);
    RichEdit1->setAccessibleName(QStringLiteral("Objaśnienie"));

    BitBtn2 = new QPushButton(QStringLiteral("&Pomoc"), this);
    BitBtn2->setGeometry(242, 196, 106, 30);
    BitBtn1 = new QPushButton(QStringLiteral("&Zamknij"), this);
    BitBtn1->setGeometry(356, 196, 106, 30);
    connect(BitBtn1, &QPushButton::clicked, this, &TQuickHelpForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TQuickHelpForm::BitBtn2Click);
}

void TQuickHelpForm::showQuickHelp(const QString &caption, const QString &text) {
    setWindowTitle(caption);
    ensureBuilt();
    RichEdit1->clear();
    RichEdit1->setPlainText(text);
    show();
    raise();
}

QString TQuickHelpForm::text() const {
    return RichEdit1 ? RichEdit1->toPlainText() : QString();
}

void TQuickHelpForm::BitBtn2Click() {
    emit helpRequested();
}

void TQuickHelpForm::setVisible(bool visible) {
    if (visible)
        ensureBuilt();
    if (visible && !isVisible() && m_screen)
        placeMidScreen(this, m_screen->size());
    QDialog::setVisible(visible);
}

} // namespace kv
