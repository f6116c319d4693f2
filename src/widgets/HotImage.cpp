#include "HotImage.h"

#include "JpegImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace kv {

namespace {
constexpr QSize DefaultSize(22, 22);
}

HotImage::HotImage(QWidget *parent) : QWidget(parent) {
    // Mouse moves over the picture must not reach the group box around it,
    // whose hover brings back the normal picture.
    setAttribute(Qt::WA_NoMousePropagation);
    setFixedSize(DefaultSize);
}

void HotImage::setImages(const QImage &normal, const QImage &highlighted) {
    m_normalImage = normal;
    m_highlightedImage = highlighted;
    m_imagesTried = true;
    const QSize size = m_normalImage.size().expandedTo(m_highlightedImage.size());
    if (!size.isEmpty())
        setFixedSize(size);
    update();
}

void HotImage::addNeighbour(QWidget *neighbour) {
    neighbour->setAttribute(Qt::WA_Hover);
    neighbour->installEventFilter(this);
}

bool HotImage::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        if (watched != this && !underMouse())
            showNormal();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QSize HotImage::sizeHint() const {
    return size();
}

void HotImage::showNormal() {
    if (!m_isHighlighted)
        return;
    m_isHighlighted = false;
    m_pressed = false;
    update();
    emit highlightChanged(false);
}

void HotImage::showHighlighted() {
    if (m_isHighlighted)
        return;
    m_isHighlighted = true;
    update();
    emit highlightChanged(true);
}

void HotImage::ensureImages() {
    if (m_imagesTried)
        return;
    m_imagesTried = true;
    m_normalImage = loadAssetJpeg(QStringLiteral("hot_normal.jpg"));
    m_highlightedImage = loadAssetJpeg(QStringLiteral("hot_highlighted.jpg"));
}

void HotImage::paintEvent(QPaintEvent *) {
    ensureImages();
    const QImage &image = m_isHighlighted ? m_highlightedImage : m_normalImage;
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint((width() - image.width()) / 2, (height() - image.height()) / 2),
                      image);
}

void HotImage::enterEvent(QEnterEvent *event) {
    QWidget::enterEvent(event);
    showHighlighted();
}

void HotImage::mousePressEvent(QMouseEvent *event) {
    m_pressed = m_isHighlighted && event->button() == Qt::LeftButton;
    event->accept();
}

void HotImage::mouseReleaseEvent(QMouseEvent *event) {
    const bool click = m_pressed && m_isHighlighted && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

} // namespace kv
