#include "platform/Autostart.h"

#include <QTemporaryDir>
#include <QtTest>

class TestAutostart : public QObject {
    Q_OBJECT
private slots:
    void writtenWhenMissingAndNeverOverwritten() {
        QTemporaryDir dir;
        const QString entry = dir.filePath(QStringLiteral("autostart/kelvadrin.desktop"));
        QVERIFY(kv::Autostart::ensure(entry, QStringLiteral("/opt/kel vadrin/bin/kelvadrin")));
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        file.close();
        QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(text.contains(QStringLiteral("\nExec=\"/opt/kel vadrin/bin/kelvadrin\"\n")));
        QVERIFY(text.contains(QStringLiteral("\nType=Application\n")));

        // The user's own edit (the desktop's "disable autostart") stays.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nHidden=true\n");
        file.close();
        QVERIFY(kv::Autostart::ensure(entry, QStringLiteral("/other/path")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Desktop Entry]\nHidden=true\n"));
        file.close();

        // Deleted by the user: written again.
        QVERIFY(file.remove());
        QVERIFY(kv::Autostart::ensure(entry, QStringLiteral("/usr/bin/kelvadrin")));
        QVERIFY(QFile::exists(entry));
    }

    void failureIsNotFatal() {
        QTemporaryDir dir;
        // The folder is a file: nothing can be written there.
        const QString blocker = dir.filePath(QStringLiteral("autostart"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!kv::Autostart::ensure(blocker + QStringLiteral("/kelvadrin.desktop"),
                                       QStringLiteral("/usr/bin/kelvadrin")));
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
