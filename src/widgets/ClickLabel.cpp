#include "ClickLabel.h"

#include <QMouseEvent>

namespace kv {

ClickLabel::ClickLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {
    setCursor(Qt::WhatsThisCursor);
}

void ClickLabel::setLinkStyle() {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    setPalette(blue);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace kv
