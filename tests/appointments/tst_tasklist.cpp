#include "appointments/Tasklistunit.h"
#include "common/FakePlatform.h"
#include "platform/RegistryNames.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace kv;

class TestTaskList : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::FakePlatform> m_fake;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<TTaskListForm> m_list;
    RegKey m_key;

    TTaskListForm &list() { return *m_list; }
    void arm(int n, const QString &info = {}) {
        m_key.writeInteger(names::termin(n), 1);
        m_key.writeString(names::date(n), QStringLiteral("03/05/04"));
        if (!info.isEmpty())
            m_key.writeString(names::info(n), info);
    }
    QString cell(int row, int column) const {
        const QTableWidgetItem *item = m_list->StringGrid1->item(row - 1, column);
        return item ? item->text() : QString();
    }

private slots:
    void init() {
        QFile::remove(m_dir.filePath("registry.sqlite3"));
        m_fake = std::make_unique<test::FakePlatform>();
        m_list.reset();
        m_registry = std::make_unique<Registry>(m_dir.filePath("registry.sqlite3"));
        m_list = std::make_unique<TTaskListForm>(m_fake->platform, *m_registry);
    }
    void cleanup() {
        m_list.reset();
        m_key = RegKey();
        m_registry.reset();
    }

    void withoutTheKeyTheWindowStaysClosed() {
        list().showList();
        QCOMPARE(m_fake->modal.count(), 0);
    }

    void plurals_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Brak aktywnych terminów.";
        QTest::newRow("1") << 1 << "Odnaleziono 1 aktywny termin.";
        QTest::newRow("2") << 2 << "Odnaleziono 2 aktywne terminy.";
        QTest::newRow("4") << 4 << "Odnaleziono 4 aktywne terminy.";
        QTest::newRow("5") << 5 << "Odnaleziono 5 aktywnych terminów.";
        QTest::newRow("22") << 22 << "Odnaleziono 22 aktywnych terminów.";
    }
    void plurals() {
        QFETCH(int, count);
        m_key = m_registry->openKey(names::appointmentsKey, true);
        for (int n = 1; n <= count; ++n)
            arm(n);
        QVERIFY(list().FormShow());
        QTEST(list().Label2->text(), "text");
        QCOMPARE(list().listedCount(), count);
        QCOMPARE(list().Button2->isEnabled(), count > 0);
        // Every listed appointment has a row, past the 12 shown.
        QCOMPARE(list().StringGrid1->rowCount(), std::max(count, 12));
        QCOMPARE(cell(count > 0 ? count : 1, 0),
                 count > 0 ? QStringLiteral(" %1").arg(count) : QString());
    }

    void columns_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("repeat"); // -1: no value
        QTest::addColumn<int>("link");   // -1: no value
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("dated and timed")
            << "03/05/04"
            << "14:30" << 7 << 12
            << QStringList{" 5 marzec 2004, godz. 14:30", " ... co tydzień",
                           " ... z wpisem numer 12"};
        QTest::newRow("time only, no repeat")
            << ""
            << "08:00" << -1 << -1 << QStringList{", godz. 08:00", " ... jednorazowo", " Brak"};
        QTest::newRow("month 13, code 50")
            << "13/25/05"
            << "" << 50 << -1 << QStringList{" 25 13 2005", " ", " Brak"};
        QTest::newRow("flag alone")
            << ""
            << "" << -1 << -1 << QStringList{"", " ... jednorazowo", " Brak"};
    }
    void columns() {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(int, repeat);
        QFETCH(int, link);
        m_key = m_registry->openKey(names::appointmentsKey, true);
        m_key.writeInteger(names::termin(9), 1);
        if (!date.isEmpty())
            m_key.writeString(names::date(9), date);
        if (!time.isEmpty())
            m_key.writeString(names::time(9), time);
        if (repeat >= 0)
            m_key.writeInteger(names::repeat(9), repeat);
        if (link >= 0)
            m_key.writeInteger(names::link(9), link);
        QVERIFY(list().FormShow());
        QCOMPARE(cell(1, 0), QStringLiteral(" 9"));
        QTEST((QStringList{cell(1, 1), cell(1, 2), cell(1, 3)}), "cells");
    }

    // Every cell is read whole at the window's size: every month, every
    // repeat code, the widest digits and a three-digit entry number.
    void everyCellShownWhole() {
        m_key = m_registry->openKey(names::appointmentsKey, true);
        for (int n = 1; n <= 42; ++n) {
            m_key.writeInteger(names::termin(n), 1);
            m_key.writeString(names::date(n),
                              QStringLiteral("%1/28/88").arg(n % 13 + 1, 2, 10, QLatin1Char('0')));
            m_key.writeString(names::time(n), QStringLiteral("08:48"));
            m_key.writeInteger(names::repeat(n), n - 1);
            m_key.writeInteger(names::link(n), 888);
        }
        QVERIFY(list().FormShow());
        list().show();
        QTableWidget *grid = list().StringGrid1;
        const int margin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        const int right = grid->columnViewportPosition(3) + grid->columnWidth(3);
        QVERIFY2(right <= grid->viewport()->width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(right).arg(grid->viewport()->width())));
        for (int row = 0; row < 42; ++row)
            for (int column = 0; column < 4; ++column) {
                const QString text = grid->item(row, column)->text();
                QVERIFY2(grid->fontMetrics().horizontalAdvance(text) + margin <=
                             grid->columnWidth(column),
                         qPrintable(text));
            }
    }

    void rowsInSlotOrderAndChoosing() {
        m_key = m_registry->openKey(names::appointmentsKey, true);
        arm(17, QStringLiteral("Siedemnaście\r\nlinia"));
        arm(3, QStringLiteral("Trzy"));
        m_key.writeString(names::info(5), QStringLiteral("nieaktywny"));
        QVERIFY(list().FormShow());
        QCOMPARE(list().Label2->text(), QStringLiteral("Odnaleziono 2 aktywne terminy."));
        QCOMPARE(cell(1, 0), QStringLiteral(" 3"));
        QCOMPARE(cell(2, 0), QStringLiteral(" 17"));
        QCOMPARE(cell(3, 0), QString());
        QCOMPARE(list().RichEdit1->toPlainText(), QStringLiteral("Trzy"));
        // "&Edycja terminu" right after opening edits row 1.
        QSignalSpy chosen(m_list.get(), &TTaskListForm::slotChosen);
        list().Button2->click();
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].toInt(), 3);

        list().StringGrid1->setCurrentCell(1, 0);
        QCOMPARE(list().chosenSlot(), 17);
        QCOMPARE(list().RichEdit1->toPlainText(), QStringLiteral("Siedemnaście\nlinia"));
        list().StringGrid1->setCurrentCell(2, 0);
        QVERIFY(!list().Button2->isEnabled());
        QCOMPARE(list().RichEdit1->toPlainText(), QString());

        // Opened again after a slot was disarmed: only the active one remains.
        m_key.deleteValue(names::termin(3));
        QVERIFY(list().FormShow());
        QCOMPARE(list().listedCount(), 1);
        QCOMPARE(cell(1, 0), QStringLiteral(" 17"));
        QCOMPARE(cell(2, 0), QString());
        QCOMPARE(list().chosenSlot(), 0);
    }
};

QTEST_MAIN(TestTaskList)
#include "tst_tasklist.moc"
