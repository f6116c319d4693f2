#include "Askalertunit.h"
#include "widgets/JpegImage.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace kv {

TAskAlertForm::TAskAlertForm(Platform &platform, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_platform(platform) {
    setFont(arial15());
    setFixedSize(420, 200);
    centreOnScreen(this, m_platform.screen.size());
}

void TAskAlertForm::ensureBuilt() {
    if (Title)
        return;
    Title = new ShadowHeading(QString(), this);
    Title->move(60, 12);
    auto *icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(loadAssetJpeg(QStringLiteral("ask.jpg"))));
    icon->setGeometry(14, 14, 32, 32);

    Memo1 = new QTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setFont(arial15());
    Memo1->setGeometry(60, 48, 346, 96);
    QPalette red = Memo1->palette();
    red.setColor(QPalette::Text, Qt::red);
    Memo1->setPalette(red);
    Memo1->setAccessibleName(QStringLiteral("Ostrzeżenie"));

    BitBtn1 = new QPushButton(QStringLiteral("&Importuj"), this);
    BitBtn1->setGeometry(204, 158, 96, 30);
    BitBtn2 = new QPushButton(QStringLiteral("&Anuluj"), this);
    BitBtn2->setGeometry(310, 158, 96, 30);
    BitBtn2->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TAskAlertForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TAskAlertForm::BitBtn2Click);
}

void TAskAlertForm::setVisible(bool visible) {
    if (visible)
        ensureBuilt();
    QDialog::setVisible(visible);
}

void TAskAlertForm::BitBtn1Click() {
    answer = true;
    done(QDialog::Accepted);
}

void TAskAlertForm::BitBtn2Click() {
    answer = false;
    done(QDialog::Rejected);
}

bool TAskAlertForm::ask(const QString &caption, const QString &title, const QString &confirmButton,
                        const QString &text) {
    setWindowTitle(caption);
    ensureBuilt();
    Title->setText(title);
    BitBtn1->setText(confirmButton);
    Memo1->clear();
    Memo1->setPlainText(text);
    centreOnScreen(this, m_platform.screen.size());
    m_platform.modal.exec(this);
    const bool yes = answer;
    answer = false;
    return yes;
}

} // namespace kv
