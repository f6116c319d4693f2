#include "app/Registryopen.h"
#include "common/FakePlatform.h"
#include "common/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kv;

class TestRegistryOpen : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    test::FakeStartupMessage m_message;
    const QDateTime m_now{QDate(2026, 12, 8), QTime(10, 15, 30)};

    QString file() const { return m_dir->filePath(QStringLiteral("registry.sqlite3")); }
    QString copy() const { return damagedCopyName(file(), m_now); }
    static QByteArray bytes(const QString &path) { return test::readAll(path); }
    // A store big enough to span many pages.
    void makeStore() {
        Registry registry(file());
        RegKey key = registry.openKey(QStringLiteral("Software\\Kelvadrin\\Terminy"), true);
        for (int n = 1; n <= 400; ++n)
            key.writeString(QStringLiteral("Info %1").arg(n),
                            QString(40, QLatin1Char('a' + n % 26)));
    }
    void overwrite(qint64 offset, const QByteArray &garbage) {
        QFile f(file());
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(offset));
        QCOMPARE(f.write(garbage), garbage.size());
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_message.texts.clear();
    }

    void healthyStoreOpensSilently() {
        makeStore();
        const auto registry = openRegistry(file(), m_message, m_now);
        QVERIFY(registry);
        QVERIFY(registry->quickCheck());
        QVERIFY(m_message.texts.isEmpty());
        QVERIFY(!QFile::exists(copy()));
    }

    void damagedPageIsCopiedReportedAndReadOn() {
        makeStore();
        overwrite(3 * 4096, QByteArray(4096, '\x5a'));
        const QByteArray damaged = bytes(file());
        const auto registry = openRegistry(file(), m_message, m_now);
        QVERIFY(registry);
        QCOMPARE(bytes(copy()), damaged); // kept before anything was written
        QCOMPARE(m_message.texts.size(), 1);
        QVERIFY(m_message.texts[0].contains(file()));
        QVERIFY(m_message.texts[0].contains(copy()));
        QVERIFY(m_message.texts[0].contains(QStringLiteral("uszkodzony")));
        // What is readable is still read.
        QVERIFY(registry->keyExists(QStringLiteral("Software\\Kelvadrin\\Terminy")));
    }

    void notADatabaseIsMovedAsideAndANewStoreBegun() {
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, '\x17'));
        f.close();
        const auto registry = openRegistry(file(), m_message, m_now);
        QVERIFY(registry);
        QCOMPARE(bytes(copy()), QByteArray(8192, '\x17'));
        QVERIFY(registry->quickCheck());
        QCOMPARE(m_message.texts.size(), 1);
        QVERIFY(m_message.texts[0].contains(copy()));
    }

    void unopenableStoreIsReportedInPolish() {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("registry.sqlite3")));
        QVERIFY(!openRegistry(file(), m_message, m_now));
        QCOMPARE(m_message.texts.size(), 1);
        QVERIFY(m_message.texts[0].startsWith(QStringLiteral("Nie można otworzyć pliku")));
        QVERIFY(m_message.texts[0].contains(file()));
    }

    void integerOutOfRangeIsUnreadable() {
        makeStore();
        {
            Registry registry(file());
            RegKey key = registry.openKey(QStringLiteral("Software\\Kelvadrin"), true);
            key.writeInteger(QStringLiteral("Sound Alert Time"), 7);
        }
        // A value planted from outside, beyond what an integer value holds.
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"),
                     {file(), QStringLiteral("UPDATE reg_values SET value = 8589934592 WHERE "
                                             "folded = 'sound alert time'")});
        if (!sqlite.waitForFinished() || sqlite.exitCode() != 0)
            QSKIP("sqlite3 is not installed");
        Registry registry(file());
        RegKey key = registry.openKey(QStringLiteral("Software\\Kelvadrin"), false);
        QVERIFY(!key.integerOrAbsent(QStringLiteral("Sound Alert Time")));
        QVERIFY_THROWS_EXCEPTION(RegistryError,
                                 key.readInteger(QStringLiteral("Sound Alert Time")));
    }
};

QTEST_GUILESS_MAIN(TestRegistryOpen)
#include "tst_registryopen.moc"
