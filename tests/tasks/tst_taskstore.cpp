#include "platform/RegistryNames.h"
#include "tasks/TaskStore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kv;

class TestTaskStore : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<TaskStore> m_store;
    RegKey m_key;
    const QDate m_day{2004, 3, 5};

private slots:
    void init() {
        m_store.reset();
        m_registry.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_registry = std::make_unique<Registry>(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_key = m_registry->openKey(names::tasksKey, true);
        m_store = std::make_unique<TaskStore>(m_key);
    }

    void dateInWords_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("text");
        QTest::newRow("5 March 2004") << QDate(2004, 3, 5) << QStringLiteral(" 5 marca 2004");
        QTest::newRow("31 December") << QDate(2026, 12, 31) << QStringLiteral(" 31 grudnia 2026");
        QTest::newRow("1 September") << QDate(2030, 9, 1) << QStringLiteral(" 1 września 2030");
    }
    void dateInWords() {
        QFETCH(QDate, day);
        QFETCH(QString, text);
        QCOMPARE(TaskStore::dateText(day), text);
    }

    void addFillsTheFirstGap() {
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(m_store->add(QStringLiteral("zadanie %1").arg(n), m_day), n);
        QCOMPARE(m_key.readString(QStringLiteral("Date 2")), QStringLiteral(" 5 marca 2004"));
        QCOMPARE(m_key.readString(QStringLiteral("Info 3")), QStringLiteral("zadanie 3"));
        m_store->remove(2);
        QVERIFY(!m_key.valueExists(QStringLiteral("Date 2")));
        QVERIFY(!m_key.valueExists(QStringLiteral("Info 2")));
        QCOMPARE(m_store->highest(), 3);
        QCOMPARE(m_store->add(QStringLiteral("nowe"), m_day), 2);
    }

    void theListHoldsAHundred() {
        for (int n = 1; n <= 100; ++n)
            m_store->add(QStringLiteral("z"), m_day);
        QCOMPARE(m_store->firstFree(), 0);
        QCOMPARE(m_store->add(QStringLiteral("101"), m_day), 0);
        QVERIFY(!m_key.valueExists(QStringLiteral("Date 101")));
        QCOMPARE(m_store->highest(), 100);
        m_store->removeAll();
        QCOMPARE(m_store->highest(), 0);
        QVERIFY(!m_key.valueExists(QStringLiteral("Info 57")));
    }

    void changeKeepsTheDateAndLineBreaksAreCrLf() {
        m_store->add(QStringLiteral("pierwsza"), m_day);
        m_store->change(1, QStringLiteral("Zażółć\ngęślą\n\njaźń"));
        QCOMPARE(m_key.readString(QStringLiteral("Info 1")),
                 QStringLiteral("Zażółć\r\ngęślą\r\n\r\njaźń"));
        QCOMPARE(*m_store->text(1), QStringLiteral("Zażółć\ngęślą\n\njaźń"));
        QCOMPARE(*m_store->dateText(1), QStringLiteral(" 5 marca 2004"));
    }
};

QTEST_GUILESS_MAIN(TestTaskStore)
#include "tst_taskstore.moc"
