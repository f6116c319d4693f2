#include "Aboutunit.h"
#include "Maker.h"
#include "widgets/ClickLabel.h"
#include "widgets/JpegImage.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextEdit>

namespace kv {

namespace {
const char kDescription[] =
    "Kelvadrin to osobisty menedżer informacji: elektroniczny terminarz ze zintegrowaną "
    "bazą teleadresową, listą zadań i archiwum wiadomości.\n"
    "\n"
    "Terminy przypomnień mogą zawierać datę, godzinę, cykliczność oraz opis. Można je "
    "przenosić między komputerami i wiązać z wpisami bazy teleadresowej.\n"
    "\n"
    "Każda wyświetlona wiadomość może trafić do archiwum, w którym łatwo ją odnaleźć "
    "według treści lub daty.";

const char kHistory[] = "Historia budowy programu od wersji 4.0 - najważniejsze zmiany...\n"
                        "\n"
                        "Wersja 4.0.0.1\n"
                        "- zakładka „Zadania”: treść zadania i data jego utworzenia są "
                        "zawsze zgodne.";

// A read-only text standing on the page without a box of its own.
QTextEdit *pageText(const char *text, QWidget *parent) {
    auto *edit = new QTextEdit(parent);
    edit->setReadOnly(true);
    edit->setFrameShape(QFrame::NoFrame);
    edit->viewport()->setAutoFillBackground(false);
    edit->viewport()->setCursor(Qt::ArrowCursor);
    edit->setPlainText(QString::fromUtf8(text));
    return edit;
}
} // namespace

TAboutForm::TAboutForm(Platform &platform, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_platform(platform) {
    setWindowTitle(QStringLiteral("O programie..."));
    setFixedSize(560, 370);
}

void TAboutForm::showEvent(QShowEvent *event) {
    ensureBuilt();
    QDialog::showEvent(event);
}

void TAboutForm::setVisible(bool visible) {
    if (visible && !isVisible())
        placeMidScreen(this, m_platform.screen.size());
    QDialog::setVisible(visible);
}

void TAboutForm::ensureBuilt() {
    if (PageControl1)
        return;
    setFont(arial15());

    PageControl1 = new QStackedWidget(this);
    PageControl1->setGeometry(8, 8, 544, 310);

    // "O programie"
    auto *about = new QWidget;
    auto *picture = new QLabel(about);
    picture->setPixmap(QPixmap::fromImage(loadAssetJpeg(QStringLiteral("about.jpg"))));
    picture->setGeometry(8, 8, 80, 80);
    Memo1 = pageText(kDescription, about);
    Memo1->setGeometry(100, 4, 440, 190);
    Memo1->setAccessibleName(QStringLiteral("O programie"));
    auto *author = new QLabel(QStringLiteral("Autor:"), about);
    author->setGeometry(104, 204, 60, 22);
    Label5 = new ClickLabel(maker::name(), about);
    Label5->setLinkStyle();
    Label5->setGeometry(166, 204, 300, 22);
    connect(Label5, &ClickLabel::clicked, this, &TAboutForm::Label5Click);
    auto *latest =
        new QLabel(QStringLiteral("Najnowszą wersję programu można odnaleźć na stronie:"), about);
    latest->setGeometry(104, 240, 436, 22);
    Label6 = new ClickLabel(maker::webPage(), about);
    Label6->setLinkStyle();
    Label6->setGeometry(104, 264, 300, 22);
    connect(Label6, &ClickLabel::clicked, this, &TAboutForm::Label6Click);
    PageControl1->addWidget(about);

    // "Historia"
    auto *history = new QWidget;
    auto *heading = new ShadowHeading(QStringLiteral("Historia"), history);
    heading->move(8, 4);
    Memo2 = pageText(kHistory, history);
    Memo2->setGeometry(4, 40, 536, 266);
    Memo2->setAccessibleName(heading->text());
    PageControl1->addWidget(history);

    BitBtn3 = new QPushButton(QStringLiteral("&O programie"), this);
    BitBtn4 = new QPushButton(QStringLiteral("&Historia"), this);
    BitBtn2 = new QPushButton(QStringLiteral("&Powitanie"), this);
    BitBtn1 = new QPushButton(QStringLiteral("&Zamknij"), this);
    int x = 8;
    for (QPushButton *button : {BitBtn3, BitBtn4, BitBtn2}) {
        button->setGeometry(x, 328, 124, 32);
        x += 132;
    }
    BitBtn1->setGeometry(428, 328, 124, 32);
    connect(BitBtn1, &QPushButton::clicked, this, &TAboutForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TAboutForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TAboutForm::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TAboutForm::BitBtn4Click);
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->show();
}

void TAboutForm::Label5Click() {
    m_platform.shell.openUrl(maker::mailUrl());
}

void TAboutForm::Label6Click() {
    m_platform.shell.openUrl(QUrl(maker::webPage()));
}

void TAboutForm::BitBtn2Click() {
    emit welcomeRequested();
}

void TAboutForm::BitBtn3Click() {
    ensureBuilt();
    PageControl1->setCurrentIndex(0);
}

void TAboutForm::BitBtn4Click() {
    ensureBuilt();
    PageControl1->setCurrentIndex(1);
}

} // namespace kv
