#include "appointments/Appointmenteditor.h"
#include "appointments/Calendarunit.h"
#include "common/FakePlatform.h"
#include "info/Alertunit.h"
#include "widgets/MonthGrid.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace kv;

class TestCalendar : public QObject {
    Q_OBJECT
    std::unique_ptr<test::FakePlatform> m_fake;
    std::unique_ptr<TAlertForm> m_alert;
    std::unique_ptr<TCalendarForm> m_calendar;

    TCalendarForm &cal() { return *m_calendar; }
    // Opens the window on the given day.
    void openOn(QDate day) {
        m_fake->clock.current = QDateTime(day, QTime(12, 0));
        cal().show();
    }
    void clickDay(int day) {
        MonthGrid *grid = cal().CCalendar1;
        for (int row = 0; row < MonthGrid::kRows; ++row)
            for (int column = 0; column < MonthGrid::kColumns; ++column)
                if (grid->dayAt(row, column) == day)
                    QTest::mouseClick(grid, Qt::LeftButton, {},
                                      grid->cellRect(row, column).center());
    }

private slots:
    void init() {
        m_fake = std::make_unique<test::FakePlatform>();
        m_alert = std::make_unique<TAlertForm>(m_fake->platform);
        m_calendar = std::make_unique<TCalendarForm>(m_fake->platform, *m_alert);
    }

    void holidays_data() {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("month");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 May") << 1 << 5 << "  Święto Pracy";
        QTest::newRow("3 May") << 3 << 5 << "  Rocznica uchwalenia Konstytucji 3 Maja";
        QTest::newRow("1 Nov") << 1 << 11 << "  Wszystkich Świętych w rel. kat.";
        QTest::newRow("11 Nov") << 11 << 11 << "  Dzień Niepodległości";
        QTest::newRow("25 Dec") << 25 << 12 << "  Boże Narodzenie w rel. kat.";
        QTest::newRow("26 Dec") << 26 << 12 << "  Boże Narodzenie w rel. kat.";
        QTest::newRow("1 Jan") << 1 << 1 << "  Nowy Rok";
        QTest::newRow("14 Feb") << 14 << 2 << "  Walentynki";
        QTest::newRow("2 May") << 2 << 5 << "";
    }
    void holidays() {
        QFETCH(int, day);
        QFETCH(int, month);
        QTEST(TCalendarForm::holidayText(day, month), "text");
    }

    void openingOn3May() {
        openOn(QDate(2026, 5, 3));
        QCOMPARE(cal().Label3->text(),
                 QStringLiteral("3 maj 2026  Rocznica uchwalenia Konstytucji 3 Maja"));
        QCOMPARE(cal().Label1->text(), QStringLiteral("Maj"));
        QCOMPARE(cal().Label2->text(), QStringLiteral("2026"));
    }

    void clickingValentinesDay() {
        openOn(QDate(2026, 2, 3));
        clickDay(14);
        QVERIFY(cal().Label3->text().endsWith(QStringLiteral("  Walentynki")));
        clickDay(15);
        QCOMPARE(cal().Label3->text(), QStringLiteral("15 luty 2026"));
    }

    void arrows_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("monthStep");
        QTest::addColumn<int>("yearStep");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("heading");
        QTest::newRow("December up")
            << QDate(2026, 12, 7) << 1 << 0 << QDate(2026, 1, 7) << "7 styczeń 2026";
        QTest::newRow("January down")
            << QDate(2026, 1, 7) << -1 << 0 << QDate(2026, 12, 7) << "7 grudzień 2026";
        QTest::newRow("31 January up")
            << QDate(2026, 1, 31) << 1 << 0 << QDate(2026, 2, 28) << "28 luty 2026";
        QTest::newRow("31 January up, leap")
            << QDate(2028, 1, 31) << 1 << 0 << QDate(2028, 2, 29) << "29 luty 2028";
        QTest::newRow("31 May down")
            << QDate(2026, 5, 31) << -1 << 0 << QDate(2026, 4, 30) << "30 kwiecień 2026";
        QTest::newRow("year up keeps holiday")
            << QDate(2026, 5, 1) << 0 << 1 << QDate(2027, 5, 1) << "1 maj 2027  Święto Pracy";
        QTest::newRow("29 February, year up")
            << QDate(2028, 2, 29) << 0 << 1 << QDate(2029, 2, 28) << "28 luty 2029";
        QTest::newRow("year 2099 is the last")
            << QDate(2099, 3, 1) << 0 << 1 << QDate(2099, 3, 1) << "1 marzec 2099";
    }
    void arrows() {
        QFETCH(QDate, from);
        QFETCH(int, monthStep);
        QFETCH(int, yearStep);
        openOn(from);
        if (monthStep)
            cal().UpDown1->step(monthStep);
        if (yearStep)
            cal().UpDown2->step(yearStep);
        QTEST(cal().CCalendar1->date(), "to");
        QTEST(cal().Label3->text(), "heading");
        // Nothing refused, the window still open.
        QCOMPARE(m_fake->modal.count(), 0);
        QVERIFY(cal().isVisible());
    }

    void todayAndApply() {
        openOn(QDate(2026, 5, 3));
        cal().UpDown1->step(1);
        QCOMPARE(cal().CCalendar1->month(), 6);
        cal().N_Today->trigger();
        QCOMPARE(cal().CCalendar1->date(), QDate(2026, 5, 3));
        QCOMPARE(cal().Label1->text(), QStringLiteral("Maj"));

        QSignalSpy applied(m_calendar.get(), &TCalendarForm::dateApplied);
        cal().BitBtn2->click(); // "&Anuluj"
        QVERIFY(!cal().isVisible());
        QCOMPARE(applied.size(), 0);
        openOn(QDate(2004, 3, 5));
        cal().BitBtn1->click(); // "&Zastosuj"
        QVERIFY(!cal().isVisible());
        QCOMPARE(applied.size(), 1);
        QCOMPARE(applied[0][0].toDate(), QDate(2004, 3, 5));
    }

    void captions() {
        m_calendar->showCalendar(QStringLiteral("Archiwum - kalendarz..."));
        QCOMPARE(m_fake->modal.count(), 1);
        QCOMPARE(m_fake->modal.shown[0].title, QStringLiteral("Archiwum - kalendarz..."));
    }
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
