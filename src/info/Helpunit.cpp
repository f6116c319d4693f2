#include "Helpunit.h"
#include "widgets/JpegImage.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace kv {

namespace {
struct HelpPage {
    const char *item;
    const char *heading;
};
const HelpPage kPages[THelpForm::PageCount] = {
    {" Instalacja programu ", "Instalacja programu"},
    {" Opcje panelu \"Terminy\" ", "Panel Terminy"},
    {" Informacje ogólne ", "Informacje ogólne"},
    {" Dźwięk ", "Dźwięk"},
    {" Import - eksport danych ", "Import - eksport danych"},
    {" Archiwum ", "Archiwum"},
    {" Baza teleadresowa ", "Baza teleadresowa"},
    {" Zadania ", "Zadania"},
};
} // namespace

THelpForm::THelpForm(QWidget *parent) : QDialog(parent, fixedWindowFlags()) {
    setWindowTitle(QStringLiteral("Kelvadrin - pomoc..."));
    setFixedSize(600, 440);
}

void THelpForm::ensureBuilt() {
    if (PageControl1)
        return;
    setFont(arial15());

    QWidget *panel = whitePanelWithPicture(this, QRect(8, 8, 584, 380), QStringLiteral("help.jpg"));

    PageControl1 = new QStackedWidget(panel);
    PageControl1->setGeometry(100, 8, 476, 364);
    for (const HelpPage &page : kPages) {
        auto *widget = new QWidget;
        auto *heading = new ShadowHeading(QString::fromUtf8(page.heading), widget);
        heading->move(0, 0);
        auto *text = new QTextEdit(widget);
        text->setReadOnly(true);
        text->setFrameShape(QFrame::NoFrame);
        text->viewport()->setCursor(Qt::ArrowCursor);
        text->setGeometry(0, 34, 476, 330);
        m_texts << text;
        PageControl1->addWidget(widget);
    }

    ComboBox1 = new QComboBox(this);
    for (const HelpPage &page : kPages)
        ComboBox1->addItem(QString::fromUtf8(page.item));
    ComboBox1->setEditable(false);
    ComboBox1->setGeometry(8, 400, 260, 28);
    connect(ComboBox1, &QComboBox::activated, this, &THelpForm::ComboBox1Change);

    UpDownLeft = new QPushButton(QStringLiteral("<"), this);
    UpDownLeft->setGeometry(276, 400, 28, 28);
    UpDownLeft->setFocusPolicy(Qt::NoFocus);
    UpDownRight = new QPushButton(QStringLiteral(">"), this);
    UpDownRight->setGeometry(304, 400, 28, 28);
    UpDownRight->setFocusPolicy(Qt::NoFocus);
    connect(UpDownLeft, &QPushButton::clicked, this,
            [this] { UpDown1Click(qMax(0, currentPage() - 1)); });
    connect(UpDownRight, &QPushButton::clicked, this,
            [this] { UpDown1Click(qMin(PageCount - 1, currentPage() + 1)); });

    BitBtn1 = new QPushButton(QStringLiteral("&Zamknij"), this);
    BitBtn1->setGeometry(496, 400, 96, 30);
    connect(BitBtn1, &QPushButton::clicked, this, &THelpForm::BitBtn1Click);
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->show();
}

int THelpForm::currentPage() const {
    return PageControl1 ? PageControl1->currentIndex() : 0;
}

QTextEdit *THelpForm::pageText(int page) const {
    return m_texts.value(page);
}

void THelpForm::showEvent(QShowEvent *event) {
    ensureBuilt();
    ComboBox1->setCurrentIndex(currentPage());
    QDialog::showEvent(event);
}

void THelpForm::ComboBox1Change(int index) {
    ensureBuilt();
    if (index >= 0 && index < PageCount)
        PageControl1->setCurrentIndex(index);
}

void THelpForm::UpDown1Click(int position) {
    ensureBuilt();
    PageControl1->setCurrentIndex(position);
    ComboBox1->setCurrentIndex(position);
}

} // namespace kv
