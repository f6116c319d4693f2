#include "ShadowHeading.h"
#include "WindowUtil.h"

namespace kv {

ShadowHeading::ShadowHeading(const QString &text, QWidget *parent, int pixelSize, QColor colour)
    : QWidget(parent), m_shadow(new QLabel(text, this)), m_front(new QLabel(text, this)) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    for (QLabel *label : {m_shadow, m_front}) {
        label->setFont(font);
        label->setAttribute(Qt::WA_TranslucentBackground);
    }
    QPalette shadowPalette = m_shadow->palette();
    shadowPalette.setColor(QPalette::WindowText, headingShadow());
    m_shadow->setPalette(shadowPalette);
    QPalette frontPalette = m_front->palette();
    frontPalette.setColor(QPalette::WindowText, colour);
    m_front->setPalette(frontPalette);
    m_shadow->move(2, 2);
    m_front->move(0, 0);
    setText(text);
}

void ShadowHeading::setText(const QString &text) {
    m_shadow->setText(text);
    m_front->setText(text);
    m_shadow->adjustSize();
    m_front->adjustSize();
    setFixedSize(m_front->width() + 2, m_front->height() + 2);
}

} // namespace kv
