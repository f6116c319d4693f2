#include "WindowUtil.h"
#include "JpegImage.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

namespace kv {

BusyCursor::BusyCursor() {
    if (qApp)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    if (qApp)
        QApplication::restoreOverrideCursor();
}

QIcon drawnIcon(int size, qreal drawnFor,
                const std::function<void(QPainter &painter, qreal scale)> &draw) {
    const qreal k = size / drawnFor;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(k, k);
    draw(painter, k);
    return QIcon(pixmap);
}

QIcon magnifierIcon(int size) {
    // A lens and its handle.
    return drawnIcon(size, 22, [](QPainter &painter, qreal k) {
        painter.setPen(QPen(QColor(30, 60, 120), 2 / k));
        painter.setBrush(QColor(200, 225, 255));
        painter.drawEllipse(QRectF(2, 2, 13, 13));
        painter.setPen(QPen(QColor(30, 30, 30), 3 / k, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(14, 14), QPointF(20, 20));
    });
}

QIcon glyphIcon(Glyph glyph, int size) {
    return drawnIcon(size, 16, [glyph](QPainter &painter, qreal k) {
        const QColor ink(30, 60, 120);
        switch (glyph) {
        case Glyph::List:
            painter.setPen(QPen(QColor(90, 90, 90), 1 / k));
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(2.5, 1.5, 11, 13));
            painter.setPen(QPen(ink, 1.2));
            for (qreal y : {4.5, 7.5, 10.5})
                painter.drawLine(QPointF(4.5, y), QPointF(11.5, y));
            break;
        case Glyph::Next:
            painter.setPen(Qt::NoPen);
            painter.setBrush(ink);
            painter.drawPolygon(QPolygonF({QPointF(3, 3), QPointF(11, 8), QPointF(3, 13)}));
            painter.drawRect(QRectF(11.5, 3, 2, 10));
            break;
        case Glyph::Back:
            painter.setPen(Qt::NoPen);
            painter.setBrush(ink);
            painter.drawPolygon(
                QPolygonF({QPointF(2, 8), QPointF(8, 2.5), QPointF(8, 5.5), QPointF(14, 5.5),
                           QPointF(14, 10.5), QPointF(8, 10.5), QPointF(8, 13.5)}));
            break;
        }
    });
}

QString spokenCaption(const QString &caption) {
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i; // "&x" is x, "&&" is '&'
        text += caption[i];
    }
    const auto isFrame = [](QChar c) {
        return c.isSpace() || c == QLatin1Char('.') || c == QLatin1Char(':');
    };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isFrame(text[begin]))
        ++begin;
    while (end > begin && isFrame(text[end - 1]))
        --end;
    text = text.mid(begin, end - begin);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

void setCaption(QLabel *label, QWidget *control) {
    label->setBuddy(control);
    control->setAccessibleName(spokenCaption(label->text()));
}

void orderTabs(std::initializer_list<QWidget *> controls) {
    QWidget *previous = nullptr;
    for (QWidget *control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void keepLastInTabOrder(std::initializer_list<QWidget *> controls) {
    if (controls.size() == 0)
        return;
    QWidget *window = (*controls.begin())->window();
    // The last control of the order that is not one of these; setTabOrder
    // needs one that takes focus.
    QWidget *last = window->previousInFocusChain();
    while (last != window && (last->focusPolicy() == Qt::NoFocus ||
                              std::find(controls.begin(), controls.end(), last) != controls.end()))
        last = last->previousInFocusChain();
    if (last == window)
        return;
    QWidget::setTabOrder(last, *controls.begin());
    orderTabs(controls);
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
