#pragma once
#include <QLabel>

namespace kv {

// A label that answers a click: the help labels (help cursor) and the links
// of the small windows (underlined, hand cursor).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);
    // Looks like a link: underlined, blue, the hand cursor.
    void setLinkStyle();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace kv
