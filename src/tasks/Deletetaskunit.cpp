#include "Deletetaskunit.h"

#include "widgets/JpegImage.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace kv {

TDeleteTaskForm::TDeleteTaskForm(Platform &platform, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_platform(platform) {
    setWindowTitle(QStringLiteral("Usuń"));
    setFont(arial15());
    setFixedSize(480, 200);

    auto *icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(loadAssetJpeg(QStringLiteral("ask.jpg"))));
    icon->setGeometry(14, 14, 32, 32);
    Label1 = new ShadowHeading(QStringLiteral("Usuń zadanie /a"), this);
    Label1->move(60, 12);

    Memo1 = new QTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setFont(arial15());
    Memo1->setGeometry(60, 46, 406, 52);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QTextEdit::NoWrap);
    Memo1->setPlainText(QStringLiteral("Ta operacja spowoduje bezpowrotne usunięcie wybranych \n"
                                       "lub wszystkich zdefiniowanych zadań."));
    QPalette red = Memo1->palette();
    red.setColor(QPalette::Text, Qt::red);
    Memo1->setPalette(red);
    Memo1->setAccessibleName(QStringLiteral("Ostrzeżenie"));

    CheckBox1 = new QCheckBox(QStringLiteral("Usuń wszystkie zdefiniowane zadania."), this);
    CheckBox1->setGeometry(60, 108, 406, 24);

    BitBtn2 = new QPushButton(QStringLiteral("&Usuń"), this);
    BitBtn2->setGeometry(264, 156, 96, 30);
    BitBtn1 = new QPushButton(QStringLiteral("&Anuluj"), this);
    BitBtn1->setGeometry(370, 156, 96, 30);
    BitBtn1->setDefault(true);
    connect(BitBtn2, &QPushButton::clicked, this, &TDeleteTaskForm::BitBtn2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TDeleteTaskForm::BitBtn1Click);
    centreOnScreen(this, m_platform.screen.size());
}

bool TDeleteTaskForm::deleteAll() const {
    return CheckBox1->isChecked();
}

void TDeleteTaskForm::FormShow() {
    // Closing the window any other way answers no.
    answer = 0;
    CheckBox1->setChecked(false);
    centreOnScreen(this, m_platform.screen.size());
}

void TDeleteTaskForm::showEvent(QShowEvent *event) {
    FormShow();
    QDialog::showEvent(event);
}

void TDeleteTaskForm::BitBtn2Click() {
    answer = 1;
    done(QDialog::Accepted);
}

void TDeleteTaskForm::BitBtn1Click() {
    answer = 0;
    done(QDialog::Rejected);
}

} // namespace kv
