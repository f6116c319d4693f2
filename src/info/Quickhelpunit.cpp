#include "Quickhelpunit.h"
#include "widgets/JpegImage.h"
#include "widgets/WindowUtil.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace kv {

TQuickHelpForm::TQuickHelpForm(QWidget *parent) : QDialog(parent, fixedWindowFlags()) {
    setFont(arial15());
    setFixedSize(420, 210);
    setModal(false);

    QWidget *panel = whitePanelWithPicture(this, QRect(8, 8, 404, 150), QStringLiteral("help.jpg"));

    RichEdit1 = new QTextEdit(panel);
    RichEdit1->setGeometry(96, 8, 300, 134);
    RichEdit1->setReadOnly(true);
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->viewport()->setCursor(Qt::ArrowCursor);

    BitBtn2 = new QPushButton(QStringLiteral("&Pomoc"), this);
    BitBtn2->setGeometry(208, 170, 96, 30);
    BitBtn1 = new QPushButton(QStringLiteral("&Zamknij"), this);
    BitBtn1->setGeometry(314, 170, 96, 30);
    connect(BitBtn1, &QPushButton::clicked, this, &TQuickHelpForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TQuickHelpForm::BitBtn2Click);
}

void TQuickHelpForm::showQuickHelp(const QString &caption, const QString &text) {
    setWindowTitle(caption);
    RichEdit1->clear();
    RichEdit1->setPlainText(text);
    show();
    raise();
}

QString TQuickHelpForm::text() const {
    return RichEdit1->toPlainText();
}

void TQuickHelpForm::BitBtn2Click() {
    emit helpRequested();
}

} // namespace kv
