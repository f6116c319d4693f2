#include "widgets/MonthGrid.h"

#include <QSignalSpy>
#include <QtTest>

using namespace kv;

class TestMonthGrid : public QObject {
    Q_OBJECT
    using Change = MonthGrid::Change;

private slots:
    void layout_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("firstColumn"); // where day 1 stands in row 0
        QTest::addColumn<int>("lastRow");
        QTest::addColumn<int>("lastColumn");
        QTest::newRow("begins on Monday") << QDate(2004, 3, 1) << 0 << 4 << 2;
        QTest::newRow("begins on Sunday") << QDate(2025, 6, 1) << 6 << 5 << 0;
        QTest::newRow("February 2026") << QDate(2026, 2, 10) << 6 << 4 << 5;
    }
    void layout() {
        QFETCH(QDate, date);
        QFETCH(int, firstColumn);
        QFETCH(int, lastRow);
        QFETCH(int, lastColumn);
        MonthGrid grid;
        grid.setToday(date);
        QCOMPARE(grid.dayAt(0, firstColumn), 1);
        for (int column = 0; column < firstColumn; ++column)
            QCOMPARE(grid.dayAt(0, column), 0);
        QCOMPARE(grid.dayAt(lastRow, lastColumn), date.daysInMonth());
        QCOMPARE(grid.dayAt(lastRow, lastColumn + 1), 0);
        QCOMPARE(MonthGrid::weekdayNames().size(), 7);
    }

    void settings_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<char>("part");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("change");
        QTest::addColumn<QDate>("to");
        const QDate jan31(2026, 1, 31);
        const auto row = [&](const char *name, QDate from, char part, int value, Change c,
                             QDate to) {
            QTest::newRow(name) << from << part << value << int(c) << to;
        };
        row("day", jan31, 'd', 5, Change::Changed, QDate(2026, 1, 5));
        row("same day", jan31, 'd', 31, Change::Unchanged, jan31);
        row("day beyond the month", QDate(2026, 2, 1), 'd', 30, Change::Ignored, QDate(2026, 2, 1));
        row("month", QDate(2026, 1, 15), 'm', 2, Change::Changed, QDate(2026, 2, 15));
        row("month 13", jan31, 'm', 13, Change::Ignored, jan31);
        row("31 January to February", jan31, 'm', 2, Change::Refused, jan31);
        row("year", QDate(2024, 2, 28), 'y', 2025, Change::Changed, QDate(2025, 2, 28));
        row("29 February to 2025", QDate(2024, 2, 29), 'y', 2025, Change::Refused,
            QDate(2024, 2, 29));
    }
    void settings() {
        QFETCH(QDate, from);
        QFETCH(char, part);
        QFETCH(int, value);
        QFETCH(int, change);
        MonthGrid grid;
        grid.setToday(from);
        QSignalSpy changed(&grid, &MonthGrid::changed);
        const Change result = part == 'd'   ? grid.setDay(value)
                              : part == 'm' ? grid.setMonth(value)
                                            : grid.setYear(value);
        QCOMPARE(int(result), change);
        QTEST(grid.date(), "to");
        QCOMPARE(changed.size(), result == Change::Changed ? 1 : 0);
    }

    void clicks() {
        MonthGrid grid;
        grid.resize(371, 168);
        grid.setToday(QDate(2025, 6, 10));
        QSignalSpy changed(&grid, &MonthGrid::changed);
        grid.setToday(QDate(2025, 6, 11)); // today is set without a notification
        QCOMPARE(changed.size(), 0);
        QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.cellRect(0, 6).center());
        QCOMPARE(grid.date(), QDate(2025, 6, 1));
        QCOMPARE(changed.size(), 1);
        // An empty cell cannot be chosen.
        QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.cellRect(0, 0).center());
        QCOMPARE(grid.date(), QDate(2025, 6, 1));
        QCOMPARE(changed.size(), 1);
    }
};

QTEST_MAIN(TestMonthGrid)
#include "tst_monthgrid.moc"
