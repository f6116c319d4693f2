#include "addressbook/AddressFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace kv;

// The address file's writes under a sudden end of the program: a child
// process stores entry after entry and is killed in the middle of one. The
// file left behind is always a whole address file, holding every store that
// was reported done, never a short or mixed one.
class TestAddressCrash : public QObject {
    Q_OBJECT

private slots:
    void killedWriterLeavesAWholeFile_data() {
        QTest::addColumn<int>("storesBeforeKill");
        for (int k : {1, 2, 3, 5, 8, 13})
            QTest::newRow(qPrintable(QString::number(k))) << k;
    }
    void killedWriterLeavesAWholeFile() {
        QFETCH(int, storesBeforeKill);
        QTemporaryDir dir;
        {
            AddressFile book(dir.path());
            QVERIFY(book.CreateAddressFile());
        }
        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            AddressFile book(dir.path());
            for (int i = 1;; ++i) {
                AddressRecord r;
                r.name = QStringLiteral("Wpis %1").arg(i);
                r.notes = QString(400, QLatin1Char('x'));
                if (book.storeEntry(1 + i % 50, r).status != AddressFile::Status::Done)
                    ::_exit(1);
                const char done = 1;
                if (::write(pipeFds[1], &done, 1) != 1)
                    ::_exit(2);
            }
        }
        ::close(pipeFds[1]);
        int reported = 0;
        char byte;
        while (reported < storesBeforeKill && ::read(pipeFds[0], &byte, 1) == 1)
            ++reported;
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        // Stores that finished after the last read are counted too.
        while (::read(pipeFds[0], &byte, 1) == 1)
            ++reported;
        ::close(pipeFds[0]);
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(reported >= storesBeforeKill);

        AddressFile book(dir.path());
        QVERIFY(AddressFile::AddressFileSizeOk(book.filePath()));
        QCOMPARE(book.loadWhole(), AddressFile::Status::Done);
        int highest = 0;
        for (int n = 1; n <= 50; ++n) {
            const QString name = book.text(AddressFile::Name, n);
            if (name.isEmpty())
                continue;
            QVERIFY(name.startsWith(QStringLiteral("Wpis ")));
            QCOMPARE(book.text(AddressFile::Notes, n), QString(400, QLatin1Char('x')));
            highest = std::max(highest, name.mid(5).toInt());
        }
        QVERIFY(highest >= reported); // every reported store is in the file
        QVERIFY(highest <= reported + 1);
    }
};

QTEST_GUILESS_MAIN(TestAddressCrash)
#include "tst_addresscrash.moc"
