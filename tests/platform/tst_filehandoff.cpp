#include "platform/FileHandoff.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <future>
#include <sys/stat.h>

using kv::FileHandoff;

class TestFileHandoff : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString socket() const { return FileHandoff::socketFor(m_dir.filePath("Kelvadrin.exe.lock")); }

private slots:
    void socketLiesBesideTheLock() {
        QCOMPARE(socket(), m_dir.filePath(QStringLiteral("Kelvadrin.exe.socket")));
    }

    void nobodyListening() { QVERIFY(!FileHandoff::send(socket(), QStringLiteral("/x.ter"), 500)); }

    void runningCopyTakesTheFile() {
        // A socket left behind by a copy that ended is replaced.
        QFile stale(socket());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        FileHandoff running(socket());
        QVERIFY(running.listen());
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(socket()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0077u, 0u); // the user's own
        QSignalSpy received(&running, &FileHandoff::fileReceived);
        const QString name = QStringLiteral("/home/ala/Pulpit/Terminy łódź.ter");
        auto sent =
            std::async(std::launch::async, [&] { return FileHandoff::send(socket(), name); });
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toString(), name);
        QVERIFY(sent.get());
    }

    // The running copy takes the lock a moment before it listens: a second
    // copy that comes in between waits and hands its file over once.
    void senderWaitsForALateListener() {
        QSemaphore waiting;
        const QString name = QStringLiteral("/home/ala/późny.ter");
        auto sent = std::async(std::launch::async, [&] {
            return FileHandoff::send(socket(), name, 60000, [&] { waiting.release(); });
        });
        QVERIFY(waiting.tryAcquire(1, 60000));
        FileHandoff running(socket());
        QVERIFY(running.listen());
        QSignalSpy received(&running, &FileHandoff::fileReceived);
        QTRY_COMPARE(received.count(), 1);
        QVERIFY(sent.get());
        QCoreApplication::processEvents();
        QCOMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toString(), name);
    }
};

QTEST_GUILESS_MAIN(TestFileHandoff)
#include "tst_filehandoff.moc"
