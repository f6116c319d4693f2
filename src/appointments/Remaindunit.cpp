#include "Remaindunit.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace kv {

namespace {
QLabel *greyLabel(const QString &text, QWidget *parent, QColor colour = inactiveGrey()) {
    auto *label = new QLabel(text, parent);
    setTextColour(label, colour);
    return label;
}
} // namespace

TRemaindForm::TRemaindForm(Platform &platform, bool archiveByDefault, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_platform(platform) {
    setWindowTitle(QStringLiteral("Kelvadrin - przypomnienie..."));
    setFont(arial15());
    ArchiveItem = new QAction(QStringLiteral("Dodaj do archiwum"), this);
    ArchiveItem->setCheckable(true);
    ArchiveItem->setChecked(archiveByDefault);
    setStayOnTop(true);
}

void TRemaindForm::ensureBuilt() {
    if (Title)
        return;
    auto *menuBar = new QMenuBar(this);
    QMenu *file = menuBar->addMenu(QStringLiteral("&Plik"));
    file->addAction(ArchiveItem);

    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menuBar);
    layout->addWidget(body);
    const int menuHeight = menuBar->sizeHint().height();
    setFixedSize(520, 330 + menuHeight);

    Title = new ShadowHeading(QStringLiteral("Wiadomość..."), body);
    Title->move(12, 8);
    Overdue = new ShadowHeading(QStringLiteral("zaległa"), body, 19, Qt::red);
    Overdue->move(Title->x() + Title->width() + 12, 8);
    Overdue->hide();

    PeriodLine = greyLabel(QString(), body);
    PeriodLine->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PeriodLine->setGeometry(300, 10, 208, 22);

    Memo1 = new QTextEdit(body);
    Memo1->setReadOnly(true);
    Memo1->setAcceptRichText(false);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->viewport()->setCursor(Qt::ArrowCursor);
    Memo1->setGeometry(12, 40, 496, 160);
    Memo1->setAccessibleName(QStringLiteral("Wiadomość"));

    DateLine = greyLabel(QStringLiteral("Termin przypomnienia..."), body);
    DateLine->setGeometry(12, 206, 496, 22);
    LinkLine = greyLabel(QStringLiteral("Termin powiązany z bazą teleadresową..."), body);
    LinkLine->setGeometry(12, 230, 300, 22);
    EntryLine = greyLabel(QStringLiteral("wpis numer"), body, Qt::red);
    EntryLine->setGeometry(312, 230, 196, 22);

    BitBtn3 = new QPushButton(QStringLiteral("&Baza teleadresowa"), body);
    BitBtn3->setGeometry(12, 286, 170, 32);
    BitBtn3->setEnabled(false);
    BitBtn2 = new QPushButton(QStringLiteral("&Ustawienia"), body);
    BitBtn2->setGeometry(296, 286, 100, 32);
    BitBtn1 = new QPushButton(QStringLiteral("&Zamknij"), body);
    BitBtn1->setGeometry(408, 286, 100, 32);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TRemaindForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TRemaindForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TRemaindForm::BitBtn3Click);
    centreOnScreen(this, m_platform.screen.size());
}

void TRemaindForm::setVisible(bool visible) {
    if (visible)
        ensureBuilt();
    QDialog::setVisible(visible);
}

void TRemaindForm::fill(const ReminderText &text) {
    ensureBuilt();
    Title->setText(QStringLiteral("Wiadomość..."));
    Overdue->setVisible(text.overdue);
    DateLine->setText(text.dateLine);
    if (text.periodLine)
        PeriodLine->setText(*text.periodLine);
    Memo1->clear();
    if (!text.message.isEmpty())
        Memo1->setPlainText(text.message);
    if (text.link) {
        LinkLine->setText(QStringLiteral("Termin powiązany z bazą teleadresową... "));
        EntryLine->setText(QStringLiteral("wpis numer %1").arg(*text.link));
    } else {
        LinkLine->clear();
        EntryLine->clear();
    }
    BitBtn3->setEnabled(text.link.has_value());
}

void TRemaindForm::setButtonsEnabled(bool enabled) {
    ensureBuilt();
    BitBtn2->setEnabled(enabled);
    BitBtn1->setEnabled(enabled);
}

void TRemaindForm::setStayOnTop(bool onTop) {
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible)
        show();
}

bool TRemaindForm::stayOnTop() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

bool TRemaindForm::addToArchive() const {
    return ArchiveItem->isChecked();
}

void TRemaindForm::setAddToArchive(bool on) {
    ArchiveItem->setChecked(on);
}

void TRemaindForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    activateWindow();
    raise();
    update();
}

void TRemaindForm::hideEvent(QHideEvent *event) {
    QDialog::hideEvent(event);
    // Closed by the window manager or Escape as well: the tray must never
    // stay without "Koniec".
    emit trayItemsEnabled();
    emit closed();
}

void TRemaindForm::BitBtn1Click() {
    emit trayItemsEnabled();
    done(QDialog::Accepted);
}

void TRemaindForm::BitBtn2Click() {
    emit openMainWindowTab(0);
    emit trayItemsEnabled();
    done(QDialog::Accepted);
}

void TRemaindForm::BitBtn3Click() {
    emit openMainWindowTab(1);
    emit trayItemsEnabled();
    done(QDialog::Accepted);
}

} // namespace kv
