#include "Alertunit.h"
#include "widgets/JpegImage.h"
#include "widgets/WindowUtil.h"

#include <QLabel>
#include <QPushButton>

namespace kv {

namespace {
const QString kCaption = QStringLiteral("Błąd...");
constexpr int kHeight = 130;
} // namespace

TAlertForm::TAlertForm(Platform &platform, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_platform(platform) {
    setWindowTitle(kCaption);
    setFont(arial15());
    setFixedSize(374, kHeight);
    centreOnScreen(this, m_platform.screen.size());
}

void TAlertForm::ensureBuilt() {
    if (Panel1)
        return;
    Panel1 = new QWidget(this);
    Panel1->setGeometry(10, 8, 353, 70);
    auto *icon = new QLabel(Panel1);
    icon->setPixmap(QPixmap::fromImage(loadAssetJpeg(QStringLiteral("alert.jpg"))));
    icon->setGeometry(12, 19, 32, 32);
    Label1 = new QLabel(Panel1);
    Label1->setFont(arial15());
    Label1->move(60, 26);

    BitBtn1 = new QPushButton(QStringLiteral("&Zamknij"), this);
    BitBtn1->setFixedSize(96, 30);
    BitBtn1->move(139, 88);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

QString TAlertForm::text() const {
    return Label1 ? Label1->text() : QString();
}

void TAlertForm::setVisible(bool visible) {
    if (visible)
        ensureBuilt();
    QDialog::setVisible(visible);
}

void TAlertForm::fitToText() {
    ensureBuilt();
    Label1->adjustSize();
    const int textWidth = Label1->fontMetrics().horizontalAdvance(Label1->text());
    int panelWidth = 353;
    int windowWidth = 374;
    if (textWidth >= 280) {
        panelWidth = textWidth + 85;
        windowWidth = textWidth + 106;
    }
    Panel1->resize(panelWidth, Panel1->height());
    setFixedSize(windowWidth, kHeight);
    BitBtn1->move(windowWidth / 2 - BitBtn1->width() / 2, BitBtn1->y());
}

void TAlertForm::showEvent(QShowEvent *event) {
    fitToText();
    QDialog::showEvent(event);
}

void TAlertForm::showMessage(const QString &text) {
    ensureBuilt();
    Label1->setText(text);
    fitToText();
    centreOnScreen(this, m_platform.screen.size());
    m_platform.modal.exec(this);
}

void TAlertForm::showMessage(const QString &text, const QString &caption) {
    setWindowTitle(caption);
    showMessage(text);
    setWindowTitle(kCaption);
}

} // namespace kv
