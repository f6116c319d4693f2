#include "WindowUtil.h"
#include "JpegImage.h"

namespace kv {

void setTextColour(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

QWidget *whitePanelWithPicture(QWidget *parent, const QRect &geometry, const QString &picture) {
    auto *panel = new QWidget(parent);
    panel->setGeometry(geometry);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    auto *label = new QLabel(panel);
    label->setPixmap(QPixmap::fromImage(loadAssetJpeg(picture)));
    label->setGeometry(8, 8, 80, 80);
    return panel;
}

} // namespace kv
