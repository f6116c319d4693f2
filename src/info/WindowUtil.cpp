#include "WindowUtil.h"
#include "widgets/JpegImage.h"

namespace kv {

QWidget *whitePanelWithPicture(QWidget *parent, const QRect &geometry, const QString &picture) {
    auto *panel = new QWidget(parent);
    panel->setGeometry(geometry);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    auto *label = new QLabel(panel);
    label->setPixmap(QPixmap::fromImage(loadJpeg(picture)));
    label->setGeometry(8, 8, 80, 80);
    return panel;
}

} // namespace kv
