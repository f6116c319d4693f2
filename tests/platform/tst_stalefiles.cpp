#include "platform/AtomicFile.h"
#include "platform/StaleFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <unistd.h>

using namespace kv;

class TestStaleFiles : public QObject {
    Q_OBJECT

    static const QStringList &targets() {
        static const QStringList names{QStringLiteral("Archiwum.tra"),
                                       QStringLiteral("Baza teleadresowa.adr")};
        return names;
    }

    static bool plant(const QString &path, const QByteArray &data = "x") {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    }

private slots:
    void onlyTheTemporaryNamesOfTheTargets_data();
    void onlyTheTemporaryNamesOfTheTargets();
    void onlyRegularFilesGo();
    void aMissingFolderIsNoError();
};

void TestStaleFiles::onlyTheTemporaryNamesOfTheTargets_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("removed");
    QTest::newRow("archive temp") << "Archiwum.tra.aZ09xQ" << true;
    QTest::newRow("address temp") << "Baza teleadresowa.adr.Qw3rTy" << true;
    QTest::newRow("the archive") << "Archiwum.tra" << false;
    QTest::newRow("the address book") << "Baza teleadresowa.adr" << false;
    QTest::newRow("five characters") << "Archiwum.tra.abc12" << false;
    QTest::newRow("seven characters") << "Archiwum.tra.abc1234" << false;
    QTest::newRow("dash") << "Archiwum.tra.ab-123" << false;
    QTest::newRow("polish letter") << "Archiwum.tra.abć123" << false;
    QTest::newRow("no dot") << "Archiwum.traabc123" << false;
    QTest::newRow("other letter case") << "archiwum.tra.abc123" << false;
    QTest::newRow("other file") << "Notatki.txt.abc123" << false;
    QTest::newRow("prefix only") << "xArchiwum.tra.abc123" << false;
}

void TestStaleFiles::onlyTheTemporaryNamesOfTheTargets() {
    QFETCH(QString, name);
    QFETCH(bool, removed);
    QTemporaryDir dir;
    QVERIFY(plant(dir.filePath(name)));
    QVERIFY(plant(dir.filePath(QStringLiteral("Archiwum.tra")), "archive"));
    QCOMPARE(StaleFiles::isTemporaryOf(name, QStringLiteral("Archiwum.tra")) ||
                 StaleFiles::isTemporaryOf(name, QStringLiteral("Baza teleadresowa.adr")),
             removed);
    QCOMPARE(StaleFiles::removeStale(dir.path(), targets()), removed ? 1 : 0);
    QCOMPARE(QFile::exists(dir.filePath(name)), !removed);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Archiwum.tra"))));
}

void TestStaleFiles::onlyRegularFilesGo() {
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("kept"));
    QVERIFY(plant(target));
    QVERIFY(QFile::link(target, dir.filePath(QStringLiteral("Archiwum.tra.LINK12"))));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Archiwum.tra.FOLDER")));
    QVERIFY(plant(dir.filePath(QStringLiteral("Archiwum.tra.FOLDER/inside"))));

    // What an interrupted atomic write leaves: a full-size copy under a
    // name made by mkstemp.
    const QString archive = dir.filePath(QStringLiteral("Archiwum.tra"));
    QVERIFY(AtomicFile::write(archive, QByteArray(5000, 'a')));
    const QByteArray temp = QFile::encodeName(archive) + ".XXXXXX";
    QByteArray tempName = temp;
    const int fd = ::mkstemp(tempName.data());
    QVERIFY(fd >= 0);
    ::close(fd);

    QCOMPARE(StaleFiles::removeStale(dir.path(), targets()), 1);
    QVERIFY(!QFile::exists(QFile::decodeName(tempName)));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("Archiwum.tra.LINK12"))).isSymLink());
    QVERIFY(QFile::exists(target));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Archiwum.tra.FOLDER/inside"))));
    QCOMPARE(QFileInfo(archive).size(), 5000);
}

void TestStaleFiles::aMissingFolderIsNoError() {
    QTemporaryDir dir;
    QCOMPARE(StaleFiles::removeStale(dir.filePath(QStringLiteral("missing")), targets()), 0);
}

QTEST_GUILESS_MAIN(TestStaleFiles)
#include "tst_stalefiles.moc"
