#pragma once
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>
#include <initializer_list>

class QPainter;

namespace kv {

// Places a top-level window in the middle of a screen of the given size.
inline void centreOnScreen(QWidget *window, QSize screen) {
    const QSize frame = window->frameGeometry().size().isValid() &&
                                window->frameGeometry().width() > window->width()
                            ? window->frameGeometry().size()
                            : window->size();
    window->move((screen.width() - frame.width()) / 2, (screen.height() - frame.height()) / 2);
}

// Places a top-level window about the middle of a screen of the given size,
// from its own size alone, so that it opens at the same place at every showing
// (the frame is known only after the first one).
inline void placeMidScreen(QWidget *window, QSize screen) {
    window->move((screen.width() - window->width()) / 2, (screen.height() - window->height()) / 2);
}

// Window flags of the program's small windows: a title, no title-bar buttons.
inline Qt::WindowFlags fixedWindowFlags() {
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::MSWindowsFixedSizeDialogHint;
}

// Arial at 15 pixels, the windows' font.
inline QFont arial15() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    return font;
}

// The grey of inactive captions.
inline QColor inactiveGrey() {
    return QColor(128, 128, 128);
}

// Colour value 14803425 (0x00E1E1E1 as BGR): the light copy behind headings.
inline QColor headingShadow() {
    return QColor(0xE1, 0xE1, 0xE1);
}

// The hourglass cursor for as long as the object lives (no-op without an
// application object).
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// A small transparent picture of size x size pixels, drawn by `draw` in
// coordinates of drawnFor x drawnFor and scaled (scale: pixels per unit).
QIcon drawnIcon(int size, qreal drawnFor,
                const std::function<void(QPainter &painter, qreal scale)> &draw);

// The drawn magnifier of the search buttons, size x size pixels.
QIcon magnifierIcon(int size);

// The small drawn pictures of tool buttons: a list to search through, a step
// forward to the next find, an arrow back to the current appointment.
// Drawn rather than looked up in the desktop's icon theme, which costs a
// scan of the theme folders.
enum class Glyph { List, Next, Back };
QIcon glyphIcon(Glyph glyph, int size);

// A caption as a screen reader says it: without the mnemonic's '&' and the
// dots, colons and spaces around it, from a capital letter ("Wpis numer..."
// gives "Wpis numer", "...wyczyść pola tekstowe." "Wyczyść pola tekstowe").
QString spokenCaption(const QString &caption);

// Makes the label the caption of the control beside it: the label's buddy,
// and the control's accessible name is the label's spoken caption.
void setCaption(QLabel *label, QWidget *control);

// Tab goes through the controls in the order given, Shift+Tab back.
void orderTabs(std::initializer_list<QWidget *> controls);

// Puts the controls last in their window's tab order, in the order given.
// Controls made later (a page built when first shown) join the order at its
// end, so this is done again after them.
void keepLastInTabOrder(std::initializer_list<QWidget *> controls);

// Colours a widget's caption (the text of labels, check boxes and buttons).
void setTextColour(QWidget *widget, const QColor &colour);

// The white panel of the help windows with one of the program's pictures
// ("help.jpg") in the top left corner.
QWidget *whitePanelWithPicture(QWidget *parent, const QRect &geometry, const QString &picture);

} // namespace kv
