#include "Aboutunit.h"
#include "widgets/JpegImage.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextEdit>

namespace kv {

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent, fixedWindowFlags()) {
    setWindowTitle(QStringLiteral("O programie..."));
    setFixedSize(520, 360);
}

void TAboutForm::showEvent(QShowEvent *event) {
    ensureBuilt();
    QDialog::showEvent(event);
}

void TAboutForm::ensureBuilt() {
    if (PageControl1)
        return;
    setFont(arial15());

    PageControl1 = new QStackedWidget(this);
    PageControl1->setGeometry(8, 8, 504, 300);

    auto *about = new QWidget;
    auto *picture = new QLabel(about);
    picture->setPixmap(QPixmap::fromImage(loadAssetJpeg(QStringLiteral("about.jpg"))));
    picture->setGeometry(0, 0, 80, 80);
    auto *aboutText = new QTextEdit(about);
    aboutText->setReadOnly(true);
    aboutText->setGeometry(92, 0, 412, 230);
    aboutText->setPlainText(QStringLiteral(
        "Kelvadrin to osobisty menedżer informacji: elektroniczny terminarz ze zintegrowaną "
        "bazą teleadresową.\n\n"
        "Terminy z datą, godziną, cyklicznością i opisem można przenosić między komputerami "
        "i wiązać z wpisami bazy teleadresowej.\n\n"
        "Archiwum przechowuje wyświetlone wiadomości i pozwala je przeszukiwać."));
    PageControl1->addWidget(about);

    auto *history = new QWidget;
    auto *heading = new ShadowHeading(QStringLiteral("Historia"), history);
    heading->move(0, 0);
    auto *historyText = new QTextEdit(history);
    historyText->setReadOnly(true);
    historyText->setGeometry(0, 34, 504, 266);
    historyText->setPlainText(QStringLiteral(
        "Historia budowy programu od wersji 4.0 - najważniejsze zmiany...\n\n"
        "4.0.0.1 - zakładka \"Zadania\": treść zadania i data jego utworzenia są zgodne."));
    PageControl1->addWidget(history);

    BitBtn1 = new QPushButton(QStringLiteral("&Zamknij"), this);
    BitBtn2 = new QPushButton(QStringLiteral("&Powitanie"), this);
    BitBtn3 = new QPushButton(QStringLiteral("&O programie"), this);
    BitBtn4 = new QPushButton(QStringLiteral("&Historia"), this);
    int x = 8;
    for (QPushButton *button : {BitBtn3, BitBtn4, BitBtn2, BitBtn1}) {
        button->setGeometry(x, 318, 118, 30);
        x += 128;
    }
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::close);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { emit welcomeRequested(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { PageControl1->setCurrentIndex(0); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { PageControl1->setCurrentIndex(1); });
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->show();
}

} // namespace kv
