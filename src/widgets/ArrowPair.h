#pragma once
#include <QWidget>

class QToolButton;

namespace kv {

// Two horizontal arrows holding a position (min..max, no wrap-around). A click
// moves the position and emits clicked(); setPosition from code emits nothing.
// Tab reaches the arrows (Space clicks them); a mouse click leaves the focus
// where it was.
class ArrowPair : public QWidget {
    Q_OBJECT
public:
    ArrowPair(int minimum, int maximum, QWidget *parent = nullptr);
    int position() const { return m_position; }
    void setPosition(int position);
    // What a click on the left (-1) or right (+1) arrow does.
    void step(int delta);
    // What a screen reader calls the arrows ("Poprzedni wpis", "Następny wpis").
    void setArrowNames(const QString &left, const QString &right);

    QToolButton *LeftButton = nullptr;
    QToolButton *RightButton = nullptr;

signals:
    void clicked();

private:
    int m_minimum;
    int m_maximum;
    int m_position;
};

} // namespace kv
