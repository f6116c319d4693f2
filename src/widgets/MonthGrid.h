#pragma once
#include <QDate>
#include <QWidget>

namespace kv {

// A month grid: one date, shown as its month in 7 columns, Monday first. A
// heading row holds the locale's short weekday names, six rows below it the
// day numbers; cells before day 1 and after the last day stay empty and cannot
// be chosen. The cell of the date is highlighted. Clicking a day sets the day.
//
// Every change through setDay, setMonth or setYear (a click included) emits
// changed(); setToday does not.
class MonthGrid : public QWidget {
    Q_OBJECT
public:
    enum class Change {
        Changed,   // the date moved
        Unchanged, // the value was the present one
        Ignored,   // a month outside 1..12, a day outside the month, a year outside 1..9999
        Refused    // the date would not exist (30 February); nothing moved
    };
    static constexpr int kRows = 6;
    static constexpr int kColumns = 7;

    explicit MonthGrid(QWidget *parent = nullptr);

    QDate date() const { return m_date; }
    int day() const { return m_date.day(); }
    int month() const { return m_date.month(); }
    int year() const { return m_date.year(); }

    void setToday(const QDate &today);
    Change setDay(int day);
    Change setMonth(int month);
    Change setYear(int year);

    // The day shown in a cell (row 0..5 under the heading, column 0..6), 0
    // for an empty cell.
    int dayAt(int row, int column) const;
    // The cell's rectangle in the widget; row -1 is the heading row.
    QRect cellRect(int row, int column) const;
    // The heading's texts, Monday first.
    static QStringList weekdayNames();

signals:
    void changed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    Change moveTo(const QDate &date);
    QDate m_date = QDate(2000, 1, 1);
};

} // namespace kv
