#include "platform/Registry.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

using kv::Registry;
using kv::RegistryError;

class TestRegistry : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file() const { return m_dir.filePath(QStringLiteral("hive.sqlite3")); }

private slots:
    void init() { QFile::remove(file()); }

    void keysOpenWithOrWithoutCreating() {
        Registry registry(file());
        QVERIFY(!registry.keyExists(QStringLiteral("Software\\Kelvadrin")));
        QVERIFY_THROWS_EXCEPTION(RegistryError,
                                 registry.openKey(QStringLiteral("Software\\Kelvadrin"), false));
        QVERIFY(!registry.keyExists(QStringLiteral("Software\\Kelvadrin")));
        registry.openKey(QStringLiteral("Software\\Kelvadrin\\Terminy"), true);
        QVERIFY(registry.keyExists(QStringLiteral("software\\KELVADRIN")));
        QVERIFY(registry.keyExists(QStringLiteral("SOFTWARE\\kelvadrin\\terminy")));
        QVERIFY(registry.openKey(QStringLiteral("software\\kelvadrin"), false).isOpen());
    }

    void valuesAreTypedAndNamesIgnoreCase() {
        Registry registry(file());
        kv::RegKey key = registry.openKey(QStringLiteral("Software\\Kelvadrin\\Terminy"), true);
        key.writeInteger(QStringLiteral("Add adress 3"), 42);
        QVERIFY(key.valueExists(QStringLiteral("Add Adress 3")));
        QCOMPARE(key.readInteger(QStringLiteral("ADD ADRESS 3")), 42);
        key.writeInteger(QStringLiteral("Add Adress 3"), 7); // one value, rewritten
        QCOMPARE(key.readInteger(QStringLiteral("add adress 3")), 7);

        key.writeString(QStringLiteral("Info 1"), QStringLiteral("Zażółć gęślą jaźń\r\nłódź"));
        QCOMPARE(key.readString(QStringLiteral("info 1")),
                 QStringLiteral("Zażółć gęślą jaźń\r\nłódź"));

        // The wrong type is an error the caller can catch, never a converted value.
        QVERIFY_THROWS_EXCEPTION(RegistryError, key.readInteger(QStringLiteral("Info 1")));
        QVERIFY_THROWS_EXCEPTION(RegistryError, key.readString(QStringLiteral("Add adress 3")));
        QVERIFY_THROWS_EXCEPTION(RegistryError, key.integerIfExists(QStringLiteral("Info 1")));
        QVERIFY_THROWS_EXCEPTION(RegistryError, key.readInteger(QStringLiteral("Missing")));
        QVERIFY(!key.integerIfExists(QStringLiteral("Missing")).has_value());

        // A value may change its type by being written anew.
        key.writeString(QStringLiteral("Add adress 3"), QStringLiteral("x"));
        QCOMPARE(key.readString(QStringLiteral("Add adress 3")), QStringLiteral("x"));

        QVERIFY(key.deleteValue(QStringLiteral("INFO 1")));
        QVERIFY(!key.valueExists(QStringLiteral("Info 1")));
        QVERIFY(!key.deleteValue(QStringLiteral("Info 1")));
    }

    void keysKeepTheirValuesApart() {
        Registry registry(file());
        kv::RegKey a = registry.openKey(QStringLiteral("Software\\Kelvadrin"), true);
        kv::RegKey b = registry.openKey(QStringLiteral("Software\\Kelvadrin\\Zadania"), true);
        a.writeString(QStringLiteral("Date 1"), QStringLiteral("settings"));
        b.writeString(QStringLiteral("Date 1"), QStringLiteral("task"));
        QCOMPARE(a.readString(QStringLiteral("Date 1")), QStringLiteral("settings"));
        QCOMPARE(b.readString(QStringLiteral("Date 1")), QStringLiteral("task"));
    }

    void valuesPersistAcrossReopenAndFileIsPrivate() {
        {
            Registry registry(file());
            kv::RegKey key = registry.openKey(QStringLiteral("Software\\Kelvadrin"), true);
            key.writeBool(QStringLiteral("Archive"), false);
            key.writeString(QStringLiteral("Sound"), QStringLiteral("/tmp/ding.wav"));
        }
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(file()).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);

        Registry again(file());
        kv::RegKey key = again.openKey(QStringLiteral("SOFTWARE\\KELVADRIN"), false);
        QCOMPARE(key.readBool(QStringLiteral("archive")), false);
        QCOMPARE(key.readString(QStringLiteral("sound")), QStringLiteral("/tmp/ding.wav"));
    }

    void twoHandlesSeeEachOthersWrites() {
        // The program keeps its handle open while the recurrence routine opens
        // a second one on the same key.
        Registry registry(file());
        kv::RegKey first = registry.openKey(QStringLiteral("Software\\Kelvadrin\\Terminy"), true);
        kv::RegKey second = registry.openKey(QStringLiteral("Software\\Kelvadrin\\Terminy"), false);
        second.writeString(QStringLiteral("Date 4"), QStringLiteral("12/24/26"));
        QCOMPARE(first.readString(QStringLiteral("Date 4")), QStringLiteral("12/24/26"));
    }

    void transactionStoresAllOrNothing() {
        Registry registry(file());
        kv::RegKey key = registry.openKey(QStringLiteral("Software\\Kelvadrin\\Terminy"), true);
        key.writeString(QStringLiteral("Date 1"), QStringLiteral("01/02/26"));
        // A failure midway undoes every write of the transaction.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, registry.transaction([&] {
            key.writeString(QStringLiteral("Date 1"), QStringLiteral("03/04/26"));
            key.writeInteger(QStringLiteral("Repeat 1"), 5);
            throw std::runtime_error("midway");
        }));
        QCOMPARE(key.readString(QStringLiteral("Date 1")), QStringLiteral("01/02/26"));
        QVERIFY(!key.valueExists(QStringLiteral("Repeat 1")));
        // Nested transactions are refused and undo the outer one as well.
        QVERIFY_THROWS_EXCEPTION(RegistryError, registry.transaction([&] {
            key.writeInteger(QStringLiteral("Repeat 1"), 5);
            registry.transaction([] {});
        }));
        QVERIFY(!key.valueExists(QStringLiteral("Repeat 1")));
        // A transaction that ends normally is stored, also for a second handle.
        registry.transaction([&] {
            key.writeString(QStringLiteral("Date 1"), QStringLiteral("03/04/26"));
            key.deleteValue(QStringLiteral("Date 1"));
            key.writeInteger(QStringLiteral("Repeat 1"), 5);
        });
        Registry other(file());
        kv::RegKey seen = other.openKey(QStringLiteral("Software\\Kelvadrin\\Terminy"), false);
        QVERIFY(!seen.valueExists(QStringLiteral("Date 1")));
        QCOMPARE(seen.readInteger(QStringLiteral("Repeat 1")), 5);
    }

    // Reads inside `reading` see one state of the store; statements are used
    // again, also one inside a loop over its own rows and after a handle on
    // the same file has closed.
    void readingSeesOneStateAndStatementsNest() {
        Registry registry(file());
        kv::RegKey key = registry.openKey(QStringLiteral("Software\\Kelvadrin\\Zadania"), true);
        key.writeString(QStringLiteral("Task 1"), QStringLiteral("a"));
        key.writeString(QStringLiteral("Task 2"), QStringLiteral("b"));
        QStringList pairs;
        registry.reading([&] {
            Registry other(file());
            other.openKey(QStringLiteral("Software\\Kelvadrin\\Zadania"), false)
                .writeString(QStringLiteral("Task 3"), QStringLiteral("c"));
            for (const auto &[outer, v] : key.strings())
                for (const auto &[inner, w] : key.strings())
                    pairs << outer + inner + key.readString(inner);
            QVERIFY(!key.valueExists(QStringLiteral("Task 3")));
            QVERIFY_THROWS_EXCEPTION(RegistryError, registry.transaction([] {}));
        });
        QCOMPARE(pairs.size(), 4);
        QVERIFY(pairs.contains(QStringLiteral("Task 2Task 1a")));
        QCOMPARE(key.readString(QStringLiteral("Task 3")), QStringLiteral("c"));
        for (int round = 0; round < 3; ++round) {
            Registry other(file());
            QCOMPARE(other.openKey(QStringLiteral("Software\\Kelvadrin\\Zadania"), false)
                         .readString(QStringLiteral("Task 2")),
                     QStringLiteral("b"));
        }
        registry.transaction([&] { registry.reading([&] { key.deleteValue("Task 1"); }); });
        QVERIFY(!key.valueExists(QStringLiteral("Task 1")));
    }

    void damagedFileIsReportedNotOverwritten() {
        QFile bad(file());
        QVERIFY(bad.open(QIODevice::WriteOnly));
        const QByteArray junk(4096, 'x');
        bad.write(junk);
        bad.close();
        QVERIFY_THROWS_EXCEPTION(RegistryError, Registry registry(file()));
        QVERIFY(bad.open(QIODevice::ReadOnly));
        QCOMPARE(bad.readAll(), junk);
    }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
