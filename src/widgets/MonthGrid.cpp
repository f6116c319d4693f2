#include "MonthGrid.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

namespace kv {

namespace {
constexpr int kLine = 2; // grid lines, pixels
}

MonthGrid::MonthGrid(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

QStringList MonthGrid::weekdayNames() {
    QStringList names;
    const QLocale locale = QLocale::system();
    for (int weekday = Qt::Monday; weekday <= Qt::Sunday; ++weekday)
        names << locale.dayName(weekday, QLocale::ShortFormat);
    return names;
}

void MonthGrid::setToday(const QDate &today) {
    if (today.isValid() && today != m_date) {
        m_date = today;
        update();
    }
}

MonthGrid::Change MonthGrid::moveTo(const QDate &date) {
    if (!date.isValid())
        return Change::Refused;
    if (date == m_date)
        return Change::Unchanged;
    m_date = date;
    update();
    emit changed();
    return Change::Changed;
}

MonthGrid::Change MonthGrid::setDay(int day) {
    if (day == m_date.day())
        return Change::Unchanged;
    if (day < 1 || day > m_date.daysInMonth())
        return Change::Ignored;
    return moveTo(QDate(m_date.year(), m_date.month(), day));
}

MonthGrid::Change MonthGrid::setMonth(int month) {
    if (month == m_date.month())
        return Change::Unchanged;
    if (month < 1 || month > 12)
        return Change::Ignored;
    return moveTo(QDate(m_date.year(), month, m_date.day()));
}

MonthGrid::Change MonthGrid::setYear(int year) {
    if (year == m_date.year())
        return Change::Unchanged;
    if (year < 1 || year > 9999)
        return Change::Ignored;
    return moveTo(QDate(year, m_date.month(), m_date.day()));
}

int MonthGrid::dayAt(int row, int column) const {
    const int offset = QDate(m_date.year(), m_date.month(), 1).dayOfWeek() - 1; // Monday 0
    const int day = row * kColumns + column - offset + 1;
    return row >= 0 && row < kRows && column >= 0 && column < kColumns && day >= 1 &&
                   day <= m_date.daysInMonth()
               ? day
               : 0;
}

QRect MonthGrid::cellRect(int row, int column) const {
    // Rows (heading included) and columns share the size equally.
    const int x0 = width() * column / kColumns;
    const int x1 = width() * (column + 1) / kColumns;
    const int y0 = height() * (row + 1) / (kRows + 1);
    const int y1 = height() * (row + 2) / (kRows + 1);
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

void MonthGrid::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QStringList names = weekdayNames();
    const QPalette pal = palette();
    for (int column = 0; column < kColumns; ++column) {
        const QRect heading = cellRect(-1, column);
        painter.setPen(pal.color(QPalette::WindowText));
        painter.drawText(heading, Qt::AlignCenter, names.value(column));
        for (int row = 0; row < kRows; ++row) {
            const int day = dayAt(row, column);
            if (day == 0)
                continue;
            const QRect cell = cellRect(row, column);
            const bool selected = day == m_date.day();
            if (selected)
                painter.fillRect(cell, pal.color(QPalette::Highlight));
            painter.setPen(selected ? pal.color(QPalette::HighlightedText) : QColor(Qt::black));
            painter.drawText(cell, Qt::AlignCenter, QString::number(day));
        }
    }
    // The grid lines, 2 pixels wide.
    painter.setPen(QPen(QColor(192, 192, 192), kLine));
    for (int column = 1; column < kColumns; ++column) {
        const int x = width() * column / kColumns;
        painter.drawLine(x, 0, x, height());
    }
    for (int row = 1; row <= kRows; ++row) {
        const int y = height() * row / (kRows + 1);
        painter.drawLine(0, y, width(), y);
    }
}

void MonthGrid::mousePressEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column)
            if (cellRect(row, column).contains(at)) {
                if (const int day = dayAt(row, column))
                    setDay(day);
                return;
            }
}

} // namespace kv
