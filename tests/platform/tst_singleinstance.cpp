#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Two real processes compete for the marker.
class TestSingleInstance : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString holder() const { return QStringLiteral(KV_LOCKHOLDER); }
    QString lock() const { return m_dir.filePath(QStringLiteral("Kelvadrin.exe.lock")); }

    QString runOnce() {
        QProcess p;
        p.start(holder(), {lock()});
        if (!p.waitForFinished(20000))
            return QStringLiteral("timeout");
        return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    }

    void startHolder(QProcess &p) {
        p.start(holder(), {lock(), QStringLiteral("hold")});
        QVERIFY(p.waitForReadyRead(20000));
        QCOMPARE(QString::fromLatin1(p.readLine()).trimmed(), QStringLiteral("first"));
    }

private slots:
    void secondCopySeesTheFirst() {
        QProcess first;
        startHolder(first);
        QCOMPARE(runOnce(), QStringLiteral("running"));
        first.closeWriteChannel();
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(runOnce(), QStringLiteral("first"));
    }

    void killedCopyNeverBlocksTheNextStart() {
        QProcess first;
        startHolder(first);
        first.kill(); // SIGKILL: no chance to clean up
        QVERIFY(first.waitForFinished(20000));
        QVERIFY(QFile::exists(lock())); // the file stays; only the lock counted
        QCOMPARE(runOnce(), QStringLiteral("first"));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
