#include "addressbook/AddressFile.h"
#include "common/TestFiles.h"
#include "platform/DateText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace kv;
using test::readAll;
using test::writeRaw;

namespace {

constexpr qsizetype kOffsets[AddressFile::FieldCount] = {0,      101000, 162000, 173000,
                                                         234000, 295000, 356000, 377000};

qsizetype cellOffset(int field, int entry) {
    return kOffsets[field] + qsizetype(entry) * AddressFile::kWidths[size_t(field)];
}

AddressRecord named(const QString &name) {
    AddressRecord r;
    r.name = name;
    return r;
}

int fileMode(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

class TestAddressFile : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AddressFile> m_file;
    QString path() const { return m_file->filePath(); }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = std::make_unique<AddressFile>(m_dir->path());
    }

    void freshFileIsAllFreeAndPrivate() {
        QVERIFY(m_file->CreateAddressFile());
        const QByteArray bytes = readAll(path());
        QCOMPARE(bytes, QByteArray(AddressFile::kFileSize, '\0'));
        QCOMPARE(fileMode(path()), 0600);
        QVERIFY(AddressFile::AddressFileSizeOk(path()));
        QCOMPARE(m_file->loadWhole(), AddressFile::Status::Done);
        QCOMPARE(m_file->FindFreeEntry(), 1);
    }

    void storeWritesEveryCellAtItsOffset() {
        AddressRecord r{QStringLiteral("Łucja Żółw"), QStringLiteral("Kraków"),
                        QStringLiteral("30-001"),     QStringLiteral("Długa 5"),
                        QStringLiteral("12 345"),     QStringLiteral("a@b.pl"),
                        QStringLiteral("777"),        QStringLiteral("pierwsza\r\ndruga")};
        const auto result = m_file->storeEntry(-1, r); // no file yet: created
        QCOMPARE(result.status, AddressFile::Status::Done);
        QCOMPARE(result.entry, 1);
        const QByteArray bytes = readAll(path());
        QCOMPARE(bytes.size(), AddressFile::kFileSize);
        QCOMPARE(bytes.mid(cellOffset(AddressFile::Name, 1), 11),
                 QByteArray("\xA3ucja \xAF\xF3\xB3w\0", 11));
        QCOMPARE(bytes.mid(cellOffset(AddressFile::Code, 1), 7), QByteArray("30-001\0", 7));
        QCOMPARE(bytes.mid(cellOffset(AddressFile::Notes, 1), 16),
                 QByteArray("pierwsza\r\ndruga\0", 16));
        AddressFile again(m_dir->path());
        QCOMPARE(again.loadWhole(), AddressFile::Status::Done);
        QCOMPARE(again.readEntry(1), r); // two-line notes come back whole
    }

    void deletedNumberIsReusedAndOthersKeepTheirs() {
        for (int n = 1; n <= 7; ++n)
            QCOMPARE(m_file->storeEntry(-1, named(QString::number(n))).entry, n);
        QCOMPARE(m_file->deleteEntry(5), AddressFile::Status::Done);
        QCOMPARE(m_file->storeEntry(-1, named(QStringLiteral("nowy"))).entry, 5);
        m_file->loadWhole();
        QCOMPARE(m_file->text(AddressFile::Name, 5), QStringLiteral("nowy"));
        QCOMPARE(m_file->text(AddressFile::Name, 6), QStringLiteral("6"));
        QCOMPARE(m_file->text(AddressFile::Name, 7), QStringLiteral("7"));
    }

    void notesOnlyEntryIsNotFree() {
        AddressRecord r;
        r.notes = QStringLiteral("x");
        QCOMPARE(m_file->storeEntry(1, r).entry, 1);
        QCOMPARE(m_file->storeEntry(-1, named(QStringLiteral("y"))).entry, 2);
    }

    void remainsStayBehindTheTerminator() {
        m_file->storeEntry(3, named(QStringLiteral("Abcdefgh")));
        m_file->storeEntry(3, named(QStringLiteral("Xyzuv")));
        const QByteArray bytes = readAll(path());
        QCOMPARE(bytes.mid(cellOffset(AddressFile::Name, 3), 9), QByteArray("Xyzuv\0gh\0", 9));
        m_file->loadWhole();
        QCOMPARE(m_file->text(AddressFile::Name, 3), QStringLiteral("Xyzuv"));
    }

    void cellWithoutTerminatorEndsAtItsWidth() {
        QByteArray bytes(AddressFile::kFileSize, '\0');
        bytes.replace(cellOffset(AddressFile::Code, 2), 11, QByteArray(11, 'k'));
        QVERIFY(writeRaw(path(), bytes));
        QCOMPARE(m_file->loadWhole(), AddressFile::Status::Done);
        QCOMPARE(m_file->text(AddressFile::Code, 2), QString(11, QLatin1Char('k')));
        QCOMPARE(m_file->text(AddressFile::Street, 2), QString()); // the next block untouched
    }

    void notesAreCutWithoutSplittingALineBreak_data() {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<int>("storedBytes");
        QTest::newRow("fits") << QString(500, QLatin1Char('a')) << 500;
        QTest::newRow("long") << QString(520, QLatin1Char('a')) << 500;
        QTest::newRow("CR at 500")
            << QString(499, QLatin1Char('a')) + QStringLiteral("\r\nb") << 499;
        QTest::newRow("pair inside")
            << QString(498, QLatin1Char('a')) + QStringLiteral("\r\nb") << 500;
    }
    void notesAreCutWithoutSplittingALineBreak() {
        QFETCH(QString, notes);
        QFETCH(int, storedBytes);
        AddressRecord r;
        r.notes = notes;
        r.name = QStringLiteral("n");
        QCOMPARE(m_file->storeEntry(1, r).status, AddressFile::Status::Done);
        const QByteArray bytes = readAll(path());
        QCOMPARE(bytes.size(), AddressFile::kFileSize);
        const QByteArray cell = bytes.mid(cellOffset(AddressFile::Notes, 1), 501);
        QCOMPARE(cell.indexOf('\0'), storedBytes);
        QCOMPARE(cell.left(storedBytes), notes.toLatin1().left(storedBytes));
    }

    // A file of another size, or one that cannot be read, is never written over.
    void wrongSizeIsRefusedAndNeverWritten_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("877999") << 877999;
        QTest::newRow("878001") << 878001;
        QTest::newRow("empty") << 0;
    }
    void wrongSizeIsRefusedAndNeverWritten() {
        QFETCH(int, size);
        const QByteArray original(size, 'Q');
        QVERIFY(writeRaw(path(), original));
        QVERIFY(!AddressFile::AddressFileSizeOk(path()));
        QCOMPARE(m_file->loadWhole(), AddressFile::Status::Damaged);
        QCOMPARE(m_file->storeEntry(-1, named(QStringLiteral("a"))).status,
                 AddressFile::Status::Damaged);
        QCOMPARE(m_file->storeEntry(2, named(QStringLiteral("a"))).status,
                 AddressFile::Status::Damaged);
        QCOMPARE(m_file->deleteEntry(2), AddressFile::Status::Damaged);
        QCOMPARE(readAll(path()), original);
    }

    void deleteWithoutFileWritesNothing() {
        m_file->storeEntry(1, named(QStringLiteral("w pamięci")));
        QVERIFY(QFile::remove(path()));
        QCOMPARE(m_file->deleteEntry(1), AddressFile::Status::NoFile);
        QVERIFY(!QFile::exists(path()));
        // A new file made by the next store carries nothing from memory.
        QCOMPARE(m_file->storeEntry(2, named(QStringLiteral("b"))).entry, 2);
        m_file->loadWhole();
        QVERIFY(m_file->isFree(1));
    }

    void entry1000HasNoCell() {
        QCOMPARE(m_file->storeEntry(1000, named(QStringLiteral("a"))).status,
                 AddressFile::Status::OutOfRange);
        QCOMPARE(m_file->deleteEntry(1000), AddressFile::Status::OutOfRange);
        QVERIFY(!QFile::exists(path()));
        QCOMPARE(m_file->text(AddressFile::Name, 1000), QString());
        QCOMPARE(m_file->storeEntry(999, named(QStringLiteral("ostatni"))).entry, 999);
        AddressFile::Status status{};
        QCOMPARE(m_file->search(AddressFile::Name, QStringLiteral("ostat"), 0, &status), 999);
    }

    void searchFoldsCaseAndContinues_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("term");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("hit");
        QTest::newRow("capitals") << int(AddressFile::Name) << QStringLiteral("owa") << 0 << 2;
        QTest::newRow("Polish capitals")
            << int(AddressFile::Name) << QStringLiteral("łódź") << 0 << 3;
        QTest::newRow("from the next") << int(AddressFile::Name) << QStringLiteral("owa") << 2 << 7;
        QTest::newRow("no further") << int(AddressFile::Name) << QStringLiteral("owa") << 7 << 0;
        QTest::newRow("other field")
            << int(AddressFile::Town) << QStringLiteral("gdańsk") << 0 << 7;
        QTest::newRow("notes never")
            << int(AddressFile::Notes) << QStringLiteral("notatka") << 0 << 0;
    }
    void searchFoldsCaseAndContinues() {
        QFETCH(int, field);
        QFETCH(QString, term);
        QFETCH(int, after);
        QFETCH(int, hit);
        AddressRecord r = named(QStringLiteral("KOWALSKA"));
        r.notes = QStringLiteral("notatka");
        m_file->storeEntry(2, r);
        m_file->storeEntry(3, named(QStringLiteral("Biuro ŁÓDŹ")));
        r = named(QStringLiteral("Nowak"));
        r.town = QStringLiteral("GDAŃSK");
        m_file->storeEntry(7, r);
        AddressFile::Status status{};
        QCOMPARE(m_file->search(AddressFile::Field(field), foldCase(term), after, &status), hit);
        QCOMPARE(status, AddressFile::Status::Done);
    }

    void presence() {
        QCOMPARE(AddressFile::presence(path()), AddressFile::Presence::Missing);
        m_file->CreateAddressFile();
        QCOMPARE(AddressFile::presence(path()), AddressFile::Presence::Exists);
        if (::geteuid() != 0) {
            QFile::setPermissions(path(), QFileDevice::Permissions());
            QCOMPARE(AddressFile::presence(path()), AddressFile::Presence::Denied);
        }
    }
};

QTEST_GUILESS_MAIN(TestAddressFile)
#include "tst_addressfile.moc"
