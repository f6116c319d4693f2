#include "WindowUtil.h"
#include "JpegImage.h"

#include <QApplication>
#include <QPainter>

namespace kv {

BusyCursor::BusyCursor() {
    if (qApp)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    if (qApp)
        QApplication::restoreOverrideCursor();
}

QIcon magnifierIcon(int size) {
    // Drawn for 22 pixels and scaled: a lens and its handle.
    const qreal k = size / 22.0;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(k, k);
    painter.setPen(QPen(QColor(30, 60, 120), 2 / k));
    painter.setBrush(QColor(200, 225, 255));
    painter.drawEllipse(QRectF(2, 2, 13, 13));
    painter.setPen(QPen(QColor(30, 30, 30), 3 / k, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(14, 14), QPointF(20, 20));
    return QIcon(pixmap);
}

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
