#include "Helpunit.h"
#include "HelpTexts.h"
#include "widgets/ArrowPair.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QComboBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

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

QStringList THelpForm::redKeywords() {
    return {QStringLiteral("Objaśnienia"),
            QStringLiteral("Zasady działania programu:"),
            QStringLiteral("Uwaga !"),
            QStringLiteral("1 minuty"),
            QStringLiteral("nie zostaną utracone"),
            QStringLiteral("w przeciwieństwie do treści wiadomości"),
            QStringLiteral("aktywacji")};
}

QStringList THelpForm::greenKeywords() {
    return {QStringLiteral("Termin"),
            QStringLiteral("Dodaj"),
            QStringLiteral("Data"),
            QStringLiteral("Godzina"),
            QStringLiteral("Usuń"),
            QStringLiteral("Drukuj"),
            QStringLiteral("Termin cykliczny"),
            QStringLiteral("Wykrzyknik"),
            QStringLiteral("Plik"),
            QStringLiteral("Install.exe"),
            QStringLiteral("mp3"),
            QStringLiteral("wave"),
            QStringLiteral("Zegar"),
            QStringLiteral("*.ter"),
            QStringLiteral("Wyrażenie"),
            QStringLiteral("Powiązanie z wpisem..."),
            QStringLiteral("Zmień"),
            QStringLiteral("Dodaj do aktualnego terminu"),
            QStringLiteral("Dalej"),
            QStringLiteral("Szukaj"),
            QStringLiteral("irc")};
}

QList<int> THelpForm::redPages() {
    return {2, 0, 3, 1, 4, 5, 6};
}

QList<int> THelpForm::greenPages() {
    return {1, 3, 4, 0, 5, 6};
}

THelpForm::THelpForm(IScreen &screen, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_screen(screen) {
    setWindowTitle(QStringLiteral("Kelvadrin - pomoc..."));
    setFixedSize(640, 480);
}

void THelpForm::ensureBuilt() {
    if (PageControl1)
        return;
    setFont(arial15());

    QWidget *panel = whitePanelWithPicture(this, QRect(8, 8, 624, 420), QStringLiteral("help.jpg"));

    PageControl1 = new QStackedWidget(panel);
    PageControl1->setGeometry(100, 10, 514, 400);
    for (int page = 0; page < PageCount; ++page) {
        auto *widget = new QWidget;
        auto *heading = new ShadowHeading(QString::fromUtf8(kPages[page].heading), widget);
        heading->move(0, 0);
        auto *text = new QTextEdit(widget);
        text->setReadOnly(true);
        text->setFrameShape(QFrame::NoFrame);
        text->viewport()->setCursor(Qt::ArrowCursor);
        text->setGeometry(0, 34, 514, 366);
        text->setPlainText(helpPageText(page));
        text->setAccessibleName(heading->text());
        m_texts << text;
        PageControl1->addWidget(widget);
    }
    // The window's creation: the keywords are coloured once.
    for (int page : redPages())
        colourFirstOccurrences(m_texts.at(page), redKeywords(), red());
    for (int page : greenPages())
        colourFirstOccurrences(m_texts.at(page), greenKeywords(), green());

    ComboBox1 = new QComboBox(this);
    for (const HelpPage &page : kPages)
        ComboBox1->addItem(QString::fromUtf8(page.item));
    ComboBox1->setEditable(false);
    ComboBox1->setGeometry(8, 440, 260, 30);
    connect(ComboBox1, &QComboBox::activated, this, &THelpForm::ComboBox1Change);

    UpDown1 = new ArrowPair(0, PageCount - 1, this);
    UpDown1->setGeometry(276, 443, 44, 24);
    UpDown1->LeftButton->setGeometry(0, 0, 22, 24);
    UpDown1->RightButton->setGeometry(22, 0, 22, 24);
    connect(UpDown1, &ArrowPair::clicked, this, &THelpForm::UpDown1Click);
    ComboBox1->setAccessibleName(QStringLiteral("Temat pomocy"));
    UpDown1->setArrowNames(QStringLiteral("Poprzedni temat"), QStringLiteral("Następny temat"));

    BitBtn1 = new QPushButton(QStringLiteral("&Zamknij"), this);
    BitBtn1->setGeometry(524, 440, 108, 30);
    connect(BitBtn1, &QPushButton::clicked, this, &THelpForm::BitBtn1Click);
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->show();
}

void THelpForm::colourFirstOccurrences(QTextEdit *text, const QStringList &keywords,
                                       const QColor &colour) {
    // Positions in the plain text are positions in the document: a line break
    // is one character in both.
    const QString plain = text->document()->toPlainText();
    QTextCharFormat format;
    format.setForeground(colour);
    for (const QString &keyword : keywords) {
        const qsizetype at = plain.indexOf(keyword, 0, Qt::CaseSensitive);
        if (at < 0)
            continue;
        QTextCursor cursor(text->document());
        cursor.setPosition(int(at));
        cursor.setPosition(int(at + keyword.size()), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
}

int THelpForm::currentPage() const {
    return PageControl1 ? PageControl1->currentIndex() : 0;
}

QTextEdit *THelpForm::pageText(int page) const {
    return m_texts.value(page);
}

// The window opens in the middle of the screen, at the same place every time.
void THelpForm::setVisible(bool visible) {
    if (visible && !isVisible())
        placeMidScreen(this, m_screen.size());
    QDialog::setVisible(visible);
}

void THelpForm::showEvent(QShowEvent *event) {
    ensureBuilt();
    ComboBox1->setCurrentIndex(currentPage());
    UpDown1->setPosition(currentPage());
    QDialog::showEvent(event);
}

void THelpForm::showPage(int page) {
    PageControl1->setCurrentIndex(page);
    ComboBox1->setCurrentIndex(page);
    UpDown1->setPosition(page);
}

void THelpForm::ComboBox1Change(int index) {
    ensureBuilt();
    if (index >= 0 && index < PageCount)
        showPage(index);
}

void THelpForm::UpDown1Click() {
    ensureBuilt();
    showPage(UpDown1->position());
}

} // namespace kv
