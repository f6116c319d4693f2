#pragma once
// A small picture button that lights up under the mouse: the normal and the
// highlighted picture share one place and only one of them is shown.

#include <QImage>
#include <QWidget>

namespace kv {

class HotImage : public QWidget {
    Q_OBJECT
public:
    // Uses the program's "clear the fields" pictures (hot_normal.jpg and
    // hot_highlighted.jpg), decoded at the first paint.
    explicit HotImage(QWidget *parent = nullptr);

    void setImages(const QImage &normal, const QImage &highlighted);

    bool isHighlighted() const { return m_isHighlighted; }

    // Makes the mouse over `neighbour` (a surrounding group box, a field beside
    // the picture) bring back the normal picture.
    void addNeighbour(QWidget *neighbour);

    QSize sizeHint() const override;

public slots:
    // The normal picture again; the neighbouring widgets call this when the
    // mouse moves over them. (Hides QWidget::showNormal, which concerns
    // top-level windows only.)
    void showNormal();
    void showHighlighted();

signals:
    // A click on the highlighted picture (the normal one takes no clicks).
    void clicked();
    void highlightChanged(bool highlighted);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void ensureImages();

    QImage m_normalImage;
    QImage m_highlightedImage;
    bool m_imagesTried = false;
    bool m_isHighlighted = false;
    bool m_pressed = false;
};

} // namespace kv
