#include "Alertunit.h"
#include "widgets/JpegImage.h"
#include "widgets/WindowUtil.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

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
    Image1 = new QLabel(Panel1);
    Image1->setGeometry(12, 19, 32, 32);
    Image1->setPixmap(sign(m_warning));
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

QPixmap TAlertForm::sign(bool warning) const {
    return warning ? QPixmap::fromImage(loadAssetJpeg(QStringLiteral("alert.jpg")))
                   : style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32);
}

void TAlertForm::setWarning(bool warning) {
    if (warning == m_warning)
        return;
    m_warning = warning;
    if (Image1)
        Image1->setPixmap(sign(warning));
}

void TAlertForm::showSuccess(const QString &text, const QString &caption) {
    setWarning(false);
    showMessage(text, caption);
    setWarning(true);
}

void TAlertForm::showMessage(const QString &text, const QString &caption) {
    setWindowTitle(caption);
    showMessage(text);
    setWindowTitle(kCaption);
}

} // namespace kv
