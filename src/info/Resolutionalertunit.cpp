#include "Resolutionalertunit.h"
#include "widgets/ClickLabel.h"
#include "widgets/JpegImage.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>

namespace kv {

TResolutionAlertForm::TResolutionAlertForm(Platform &platform, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_platform(platform) {
    setWindowTitle(QStringLiteral("Kelvadrin"));
    setFont(arial15());

    auto *heading = new ShadowHeading(QStringLiteral("Zmień rozdzielczość ekranu..."), this);
    heading->move(112, 14);

    auto *picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(loadAssetJpeg(QStringLiteral("resolution.jpg"))));
    picture->setGeometry(16, 16, 80, 80);

    // Two lines exactly as written: the window grows to them, nothing wraps.
    Text = new QLabel(QStringLiteral("Aby uzyskać dostęp do wszystkich funkcji programu, \n"
                                     "min. rozdzielczość ekranu musi wynosić 1024 x 768 "
                                     "pikseli."),
                      this);
    Text->setWordWrap(false);
    Text->move(112, 52);
    Text->resize(Text->sizeHint());
    int y = std::max(Text->geometry().bottom() + 12, 108);

    Label2 = new ClickLabel(QStringLiteral("Ustawienia ekranu"), this);
    Label2->setLinkStyle();
    Label2->move(112, y);
    y += 32;
    connect(Label2, &ClickLabel::clicked, this, &TResolutionAlertForm::Label2Click);

    CheckBox1 = new QCheckBox(QStringLiteral("Uruchom mimo wszystko..."), this);
    CheckBox1->move(112, y);
    y += 32;

    const int width = std::max(470, Text->geometry().right() + 17);
    BitBtn1 = new QPushButton(QStringLiteral("&Zamknij"), this);
    BitBtn1->setGeometry(width - 110, y, 96, 30);
    setFixedSize(width, y + 43);
    connect(BitBtn1, &QPushButton::clicked, this, &TResolutionAlertForm::BitBtn1Click);
}

bool TResolutionAlertForm::runAnyway() const {
    return CheckBox1->isChecked();
}

void TResolutionAlertForm::showEvent(QShowEvent *event) {
    emit settingsItemEnabled(false);
    QDialog::showEvent(event);
}

// However the warning is closed (also by the window manager), the main window
// must stay reachable from the tray.
void TResolutionAlertForm::hideEvent(QHideEvent *event) {
    emit settingsItemEnabled(true);
    QDialog::hideEvent(event);
}

void TResolutionAlertForm::Label2Click() {
    m_platform.shell.openDisplaySettings();
}

void TResolutionAlertForm::BitBtn1Click() {
    emit settingsItemEnabled(true);
    done(QDialog::Accepted);
}

} // namespace kv
