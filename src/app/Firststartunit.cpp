#include "Firststartunit.h"
#include "info/Maker.h"
#include "platform/RegistryNames.h"
#include "widgets/ClickLabel.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace kv {

namespace {

const QString kWelcome =
    QStringLiteral("Witam,\n"
                   "\n"
                   "program ulokował swoją ikonę na pasku zadań systemu \n"
                   "Windows. Dostęp do wszystkich opcji odbywa się poprzez\n"
                   "menu dostępne po kliknięciu prawym lub lewym przyciskiem \n"
                   "myszy na tej właśnie ikonie.\n"
                   "\n"
                   "Jako autor dołożę wszelkich starań, aby program stopniowo \n"
                   "rozwijać oraz korygować ewentualne błędy. Będę, zatem \n"
                   "wdzięczny za wszelkie informacje mogące przyczynić się do \n"
                   "stałego ulepszania tego produktu.");

const QString kClosing =
    QStringLiteral("Kelvadrin to wynik wielomiesięcznej pracy \n"
                   "zapełniającej niemal każdą wolną chwilę. Nadzieja w sens \n"
                   "pracy tworzy pasję i energię niezbędną do postawienia \n"
                   "kolejnego kroku do celu, który często trudno nawet określić. \n"
                   "Niezależnie jednak od wszystkiego... było warto.");
} // namespace

TFirstStartForm::TFirstStartForm(Platform &platform, Registry &registry)
    : QWidget(nullptr, fixedWindowFlags()), m_platform(platform) {
    setWindowTitle(QStringLiteral("Kelvadrin"));
    setFixedSize(500, 440);
    centreOnScreen(this, m_platform.screen.size());

    if (registry.keyExists(names::settingsKey)) {
        registry.openKey(names::settingsKey, false);
    } else {
        registry.openKey(names::settingsKey, true);
        m_firstStart = true;
        show();
    }
}

void TFirstStartForm::showEvent(QShowEvent *event) {
    ensureBuilt();
    QWidget::showEvent(event);
}

void TFirstStartForm::ensureBuilt() {
    if (Title)
        return;
    setFont(arial15());
    Title = new ShadowHeading(QStringLiteral("Pierwsze uruchomienie..."), this);
    Title->move(16, 12);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setReadOnly(true);
    RichEdit1->setGeometry(16, 48, 468, 220);
    RichEdit1->setPlainText(kWelcome);
    colourPhrase(QStringLiteral("program ulokował swoją ikonę na pasku zadań systemu"));
    colourPhrase(QStringLiteral("Windows"));
    RichEdit1->setAccessibleName(QStringLiteral("Powitanie"));

    Memo1 = new QTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setGeometry(16, 278, 468, 110);
    Memo1->setPlainText(kClosing);
    QPalette grey = Memo1->palette();
    grey.setColor(QPalette::Text, inactiveGrey());
    Memo1->setPalette(grey);
    Memo1->setAccessibleName(QStringLiteral("Od autora"));

    Label3 = new ClickLabel(QStringLiteral("Autor"), this);
    Label3->setLinkStyle();
    Label3->move(16, 404);
    connect(Label3, &ClickLabel::clicked, this, &TFirstStartForm::Label3Click);

    BitBtn1 = new QPushButton(QStringLiteral("&Kontynuuj"), this);
    BitBtn1->setGeometry(374, 398, 110, 32);
    connect(BitBtn1, &QPushButton::clicked, this, &TFirstStartForm::BitBtn1Click);
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->show();
}

void TFirstStartForm::colourPhrase(const QString &phrase) {
    QTextCursor found = RichEdit1->document()->find(phrase, 0, QTextDocument::FindCaseSensitively);
    if (found.isNull())
        return;
    QTextCharFormat red;
    red.setForeground(Qt::red);
    found.mergeCharFormat(red);
}

void TFirstStartForm::Label3Click() {
    m_platform.shell.openUrl(maker::mailUrl());
}

void TFirstStartForm::closeEvent(QCloseEvent *event) {
    if (event->spontaneous()) {
        // The window manager's close (Alt+F4) is taken as "&Kontynuuj": the
        // program lives in the tray and ends only through "Koniec".
        event->ignore();
        hide();
        return;
    }
    QWidget::closeEvent(event);
    emit closedByProgram();
}

} // namespace kv
