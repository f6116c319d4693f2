#include "ArrowPair.h"

#include <QToolButton>

#include <algorithm>

namespace kv {

ArrowPair::ArrowPair(int minimum, int maximum, QWidget *parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_position(minimum) {
    LeftButton = new QToolButton(this);
    LeftButton->setArrowType(Qt::LeftArrow);
    RightButton = new QToolButton(this);
    RightButton->setArrowType(Qt::RightArrow);
    for (QToolButton *button : {LeftButton, RightButton}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::TabFocus);
    }
    connect(LeftButton, &QToolButton::clicked, this, [this] { step(-1); });
    connect(RightButton, &QToolButton::clicked, this, [this] { step(+1); });
}

void ArrowPair::setPosition(int position) {
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void ArrowPair::setArrowNames(const QString &left, const QString &right) {
    LeftButton->setAccessibleName(left);
    RightButton->setAccessibleName(right);
}

void ArrowPair::step(int delta) {
    setPosition(m_position + delta);
    emit clicked();
}

} // namespace kv
