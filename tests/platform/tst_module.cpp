// The one loader of the program's modules: a module of the interface and the
// version asked for is taken, any other (another version, another interface,
// no table, no file) is refused with the Polish "not installed" text.
#include "platform/Module.h"

#include <QTest>

using namespace kv;

namespace {
struct TestModule {
    ModuleHeader header;
    int (*answer)();
};
const QString kMissing = QStringLiteral("Nie można wczytać modułu próbnego programu.");
} // namespace

class TestModuleLoader : public QObject {
    Q_OBJECT

private slots:
    void load_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("failure"); // empty: the table is taken
        QTest::newRow("right version") << "kv_testmodule_v2.so" << QString();
        QTest::newRow("older version")
            << "kv_testmodule_v1.so"
            << kMissing + " Moduł pochodzi z innej wersji programu (1, a potrzebna 2).";
        QTest::newRow("another interface")
            << "kv_testmodule_other.so"
            << kMissing + " Plik modułu nie należy do tej wersji programu.";
        QTest::newRow("no table") << "kv_testmodule_none.so"
                                  << kMissing + " Plik modułu nie należy do tej wersji programu.";
        QTest::newRow("no file") << "kv_testmodule_absent.so" << kMissing;
    }
    void load() {
        QFETCH(QString, file);
        QFETCH(QString, failure);
        QString why;
        const auto *header = module::loadFrom(QStringLiteral(KV_TEST_MODULE_DIR "/") + file,
                                              "pl.kelvadrin.test", 2, kMissing, &why);
        QCOMPARE(why, failure);
        QCOMPARE(header != nullptr, failure.isEmpty());
        if (header)
            QCOMPARE(reinterpret_cast<const TestModule *>(header)->answer(), 42);
    }
};

QTEST_GUILESS_MAIN(TestModuleLoader)
#include "tst_module.moc"
