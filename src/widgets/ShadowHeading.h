#pragma once
#include <QLabel>

namespace kv {

// A heading drawn twice: a light copy offset behind a black one.
class ShadowHeading : public QWidget {
    Q_OBJECT
public:
    explicit ShadowHeading(const QString &text, QWidget *parent = nullptr, int pixelSize = 19,
                           QColor colour = Qt::black);
    void setText(const QString &text);
    QString text() const { return m_front->text(); }
    QLabel *front() const { return m_front; }
    QLabel *shadow() const { return m_shadow; }

private:
    QLabel *m_shadow;
    QLabel *m_front;
};

} // namespace kv
