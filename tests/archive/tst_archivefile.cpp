#include "archive/ArchiveFile.h"
#include "common/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kv;
using test::readAll;
using test::writeRaw;

namespace {

constexpr qsizetype dateOffset(int n) {
    return qsizetype(n) * ArchiveFile::kDateWidth;
}
constexpr qsizetype messageOffset(int n) {
    return ArchiveFile::kDateBlockSize + qsizetype(n) * ArchiveFile::kMessageWidth;
}

// A file image with the given raw bytes put at entry n's cells.
void putEntry(QByteArray &file, int n, QByteArrayView date, QByteArrayView message) {
    std::memcpy(file.data() + dateOffset(n), date.data(), size_t(date.size()));
    std::memcpy(file.data() + messageOffset(n), message.data(), size_t(message.size()));
}

QByteArray emptyFile() {
    return QByteArray(ArchiveFile::kFileSize, '\0');
}

QByteArray fullFile() {
    QByteArray file = emptyFile();
    for (int n = 1; n <= ArchiveFile::kEntries; ++n) {
        const QByteArray date = QByteArray::number(n).rightJustified(8, '0') + '\0';
        putEntry(file, n, date, "wpis " + QByteArray::number(n) + '\0');
    }
    return file;
}

} // namespace

class TestArchiveFile : public QObject {
    Q_OBJECT

private slots:
    void init();

    // Layout and creation
    void firstAppendCreatesFullSizeFile();
    void appendIntoMissingFileUsesLowestFreePlaceOfImage();
    void fileIsPrivate();

    // Places
    void appendTakesLowestFreedPlace();
    void fullArchiveLeavesFileUnchanged();
    void emptyDateLeavesPlaceFree();
    void removeRejectsEntryNumbersOutOfRange();

    // Contents
    void multiLineMessagesSurviveCycles();
    void deleteLeavesRemainsAndShorterAppendReadsBack();
    void cellWithoutTerminatorEndsAtItsWidth();
    void longTextsAreCut_data();
    void longTextsAreCut();
    void polishLettersRoundTripThroughFile();

    // Failures
    void readOnlyFolderKeepsOldFile();
    void writeCutShortKeepsOldFile();
    void missingFolderFailsAndKeepsImage();
    void loadOfMissingFileKeepsImage();
    void shortFileFillsFrontOfImageOnly();
    void badFilesLoseNothing_data();
    void badFilesLoseNothing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path() const { return m_dir->filePath(ArchiveFile::kFileName); }
};

void TestArchiveFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestArchiveFile::firstAppendCreatesFullSizeFile() {
    ArchiveFile archive(m_dir->path());
    QVERIFY(!QFile::exists(path()));
    const auto result = archive.append(QStringLiteral("03/14/25"), QStringLiteral("Dentysta"));
    QCOMPARE(result.status, ArchiveFile::AppendResult::Stored);
    QCOMPARE(result.entry, 1);

    QByteArray expected = emptyFile();
    putEntry(expected, 1, "03/14/25", "Dentysta");
    const QByteArray actual = readAll(path());
    QCOMPARE(actual.size(), qsizetype(5110000));
    QVERIFY(actual == expected);
    QCOMPARE(archive.dateText(1), QStringLiteral("03/14/25"));
    QCOMPARE(archive.messageText(1), QStringLiteral("Dentysta"));
    QVERIFY(archive.isOccupied(1));
    QVERIFY(!archive.isOccupied(2));
}

void TestArchiveFile::appendIntoMissingFileUsesLowestFreePlaceOfImage() {
    ArchiveFile archive(m_dir->path());
    QCOMPARE(archive.append("01/01/25", "a").entry, 1);
    QCOMPARE(archive.append("01/02/25", "b").entry, 2);
    QVERIFY(QFile::remove(path()));
    // The image still holds what it last read; the new file carries all three.
    QCOMPARE(archive.append("01/03/25", "c").entry, 3);
    ArchiveFile other(m_dir->path());
    QVERIFY(other.load());
    QCOMPARE(other.messageText(1), QStringLiteral("a"));
    QCOMPARE(other.messageText(3), QStringLiteral("c"));
}

void TestArchiveFile::fileIsPrivate() {
    QVERIFY(writeRaw(path(), emptyFile()));
    QVERIFY(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadOther));
    ArchiveFile archive(m_dir->path());
    QCOMPARE(archive.append("05/05/25", "x").status, ArchiveFile::AppendResult::Stored);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
    QVERIFY(archive.remove(1));
    QCOMPARE(::stat(QFile::encodeName(path()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
}

void TestArchiveFile::appendTakesLowestFreedPlace() {
    ArchiveFile archive(m_dir->path());
    for (int n = 1; n <= 9; ++n)
        QCOMPARE(archive.append(QStringLiteral("01/0%1/25").arg(n), QString::number(n)).entry, n);
    QVERIFY(archive.remove(5));
    QVERIFY(!archive.isOccupied(5));
    QCOMPARE(archive.append("02/02/25", "nowy").entry, 5);
    QCOMPARE(archive.append("02/03/25", "dalej").entry, 10);

    ArchiveFile reader(m_dir->path());
    QVERIFY(reader.load());
    QCOMPARE(reader.messageText(5), QStringLiteral("nowy"));
    QCOMPARE(reader.messageText(4), QStringLiteral("4"));
    QCOMPARE(reader.messageText(6), QStringLiteral("6"));
    QCOMPARE(reader.messageText(10), QStringLiteral("dalej"));
}

void TestArchiveFile::fullArchiveLeavesFileUnchanged() {
    const QByteArray full = fullFile();
    QVERIFY(writeRaw(path(), full));
    ArchiveFile archive(m_dir->path());
    const auto result = archive.append("09/09/25", "nie zmieści się");
    QCOMPARE(result.status, ArchiveFile::AppendResult::Full);
    QCOMPARE(result.entry, 0);
    QVERIFY(readAll(path()) == full);
    struct stat before = {}, later = {};
    QCOMPARE(::stat(QFile::encodeName(path()).constData(), &before), 0);
    QCOMPARE(archive.append("09/09/25", "jeszcze raz").status, ArchiveFile::AppendResult::Full);
    QCOMPARE(::stat(QFile::encodeName(path()).constData(), &later), 0);
    QCOMPARE(later.st_ino, before.st_ino); // not even rewritten with the same bytes
    QCOMPARE(archive.dateText(9999), QStringLiteral("00009999"));

    // Freeing the last place makes room exactly there.
    QVERIFY(archive.remove(9999));
    const auto again = archive.append("09/09/25", "teraz tak");
    QCOMPARE(again.status, ArchiveFile::AppendResult::Stored);
    QCOMPARE(again.entry, 9999);
    const QByteArray after = readAll(path());
    QCOMPARE(after.mid(dateOffset(9999), 10), QByteArray("09/09/25\0\0", 10));
    QCOMPARE(after.left(dateOffset(9999)), full.left(dateOffset(9999)));
}

void TestArchiveFile::emptyDateLeavesPlaceFree() {
    ArchiveFile archive(m_dir->path());
    const auto result = archive.append(QString(), QStringLiteral("bez daty"));
    QCOMPARE(result.status, ArchiveFile::AppendResult::Stored);
    QCOMPARE(result.entry, 1);
    QVERIFY(!archive.isOccupied(1));
    QCOMPARE(archive.append("01/01/25", "z datą").entry, 1);
}

void TestArchiveFile::removeRejectsEntryNumbersOutOfRange() {
    ArchiveFile archive(m_dir->path());
    archive.append("01/01/25", "a");
    const QByteArray before = readAll(path());
    QVERIFY(!archive.remove(0));
    QVERIFY(!archive.remove(10000));
    QVERIFY(!archive.remove(-1));
    QVERIFY(readAll(path()) == before);
    QCOMPARE(archive.dateText(0), QString());
    QCOMPARE(archive.messageText(10000), QString());
    QVERIFY(!archive.isOccupied(0));
}

void TestArchiveFile::multiLineMessagesSurviveCycles() {
    const QString multi = QStringLiteral("Pierwsza linia\r\nDruga\r\n\r\nCzwarta\r\n");
    ArchiveFile archive(m_dir->path());
    archive.append("01/01/25", "przed");
    archive.append("01/02/25", multi);
    archive.append("01/03/25", "po\r\nnim");
    archive.append("01/04/25", "ostatni");
    QVERIFY(archive.remove(1));
    QVERIFY(archive.remove(4));
    QCOMPARE(archive.append("01/05/25", "krótki").entry, 1);

    const QByteArray file = readAll(path());
    const QByteArray multiBytes = "Pierwsza linia\r\nDruga\r\n\r\nCzwarta\r\n";
    QCOMPARE(file.mid(messageOffset(2), multiBytes.size() + 1), multiBytes + '\0');
    QCOMPARE(file.mid(messageOffset(3), 8), QByteArray("po\r\nnim\0", 8));

    ArchiveFile reader(m_dir->path());
    QVERIFY(reader.load());
    QCOMPARE(reader.messageText(1), QStringLiteral("krótki"));
    QCOMPARE(reader.messageText(2), multi);
    QCOMPARE(reader.messageText(3), QStringLiteral("po\r\nnim"));
    QVERIFY(!reader.isOccupied(4));
    QCOMPARE(reader.dateText(3), QStringLiteral("01/03/25"));
}

void TestArchiveFile::deleteLeavesRemainsAndShorterAppendReadsBack() {
    ArchiveFile archive(m_dir->path());
    archive.append("12/24/25", "Wigilia u rodziców");
    archive.append("12/31/25", "Sylwester");
    QVERIFY(archive.remove(1));

    QByteArray file = readAll(path());
    QCOMPARE(file.mid(dateOffset(1), 10), QByteArray("\0002/24/25\0\0", 10));
    QCOMPARE(file.mid(messageOffset(1), 19), QByteArray("\0igilia u rodzic\xF3w\0", 19));
    QCOMPARE(archive.messageText(1), QString());
    QVERIFY(!archive.isOccupied(1));
    QCOMPARE(archive.messageText(2), QStringLiteral("Sylwester"));

    QCOMPARE(archive.append("1/1/26", "Kino").entry, 1);
    file = readAll(path());
    QCOMPARE(file.mid(dateOffset(1), 10), QByteArray("1/1/26\0"
                                                     "5\0\0",
                                                     10));
    QCOMPARE(file.mid(messageOffset(1), 19), QByteArray("Kino\0ia u rodzic\xF3w\0", 19));
    ArchiveFile reader(m_dir->path());
    QVERIFY(reader.load());
    QCOMPARE(reader.dateText(1), QStringLiteral("1/1/26"));
    QCOMPARE(reader.messageText(1), QStringLiteral("Kino"));
}

void TestArchiveFile::cellWithoutTerminatorEndsAtItsWidth() {
    QByteArray file = emptyFile();
    putEntry(file, 7, QByteArray(10, 'D'), QByteArray(501, 'M'));
    putEntry(file, 8, "next", "following");
    QVERIFY(writeRaw(path(), file));
    ArchiveFile archive(m_dir->path());
    QVERIFY(archive.load());
    QCOMPARE(archive.dateText(7), QString(10, u'D'));
    QCOMPARE(archive.messageText(7), QString(501, u'M'));
    QCOMPARE(archive.dateText(8), QStringLiteral("next"));
}

void TestArchiveFile::longTextsAreCut_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("storedDate");
    QTest::addColumn<QByteArray>("storedMessage");

    const QString long500 = QString(499, u'a') + u'ż';
    QTest::newRow("exactly the width") << QStringLiteral("123456789") << long500
                                       << QByteArray("123456789") << QByteArray(499, 'a') + '\xBF';
    QTest::newRow("longer") << QStringLiteral("03/14/2025 10:00") << long500 + u'!'
                            << QByteArray("03/14/202") << QByteArray(499, 'a') + '\xBF';
    QTest::newRow("cr lf across the limit")
        << QStringLiteral("d") << QString(499, u'x') + QStringLiteral("\r\nreszta")
        << QByteArray("d") << QByteArray(499, 'x');
    QTest::newRow("cr lf just inside")
        << QStringLiteral("d") << QString(498, u'x') + QStringLiteral("\r\nreszta")
        << QByteArray("d") << QByteArray(498, 'x') + "\r\n";
    QTest::newRow("cr alone at the limit")
        << QStringLiteral("d") << QString(499, u'x') + QStringLiteral("\rz") << QByteArray("d")
        << QByteArray(499, 'x') + '\r';
}

void TestArchiveFile::longTextsAreCut() {
    QFETCH(QString, date);
    QFETCH(QString, message);
    QFETCH(QByteArray, storedDate);
    QFETCH(QByteArray, storedMessage);

    // Fill the first place with text to the full width, then free it, so the
    // terminators written by the append are visible.
    QByteArray file = emptyFile();
    putEntry(file, 1, QByteArray(10, '#'), QByteArray(501, '#'));
    file[dateOffset(1)] = '\0';
    QVERIFY(writeRaw(path(), file));

    ArchiveFile archive(m_dir->path());
    QCOMPARE(archive.append(date, message).entry, 1);
    const QByteArray written = readAll(path());
    QCOMPARE(written.size(), ArchiveFile::kFileSize);
    QCOMPARE(written.mid(dateOffset(1), storedDate.size() + 1), storedDate + '\0');
    QCOMPARE(written.mid(messageOffset(1), storedMessage.size() + 1), storedMessage + '\0');
    // Bytes after the terminator keep what they held.
    QCOMPARE(written.mid(messageOffset(1) + storedMessage.size() + 1,
                         ArchiveFile::kMessageWidth - storedMessage.size() - 1),
             QByteArray(ArchiveFile::kMessageWidth - storedMessage.size() - 1, '#'));
    QCOMPARE(written.at(messageOffset(2)), '\0');
}

void TestArchiveFile::polishLettersRoundTripThroughFile() {
    const QString message = QStringLiteral("Zażółć gęślą jaźń\r\nZAŻÓŁĆ GĘŚLĄ JAŹŃ ✓");
    ArchiveFile archive(m_dir->path());
    archive.append("06/01/25", message);
    const QByteArray file = readAll(path());
    QCOMPARE(file.mid(messageOffset(1), 8), QByteArray("Za\xBF\xF3\xB3\xE6 g\xEA", 8));
    ArchiveFile reader(m_dir->path());
    QVERIFY(reader.load());
    QCOMPARE(reader.messageText(1), QStringLiteral("Zażółć gęślą jaźń\r\nZAŻÓŁĆ GĘŚLĄ JAŹŃ ?"));
}

void TestArchiveFile::readOnlyFolderKeepsOldFile() {
    ArchiveFile archive(m_dir->path());
    archive.append("01/01/25", "stary");
    const QByteArray before = readAll(path());
    const QByteArray folder = QFile::encodeName(m_dir->path());
    QCOMPARE(::chmod(folder.constData(), 0500), 0);
    const bool writable = ::access(folder.constData(), W_OK) == 0;
    if (writable) {
        ::chmod(folder.constData(), 0700);
        QSKIP("The folder stays writable for this user (root).");
    }
    const auto result = archive.append("01/02/25", "nowy");
    const bool removed = archive.remove(1);
    ::chmod(folder.constData(), 0700);

    QCOMPARE(result.status, ArchiveFile::AppendResult::WriteFailed);
    QVERIFY(!removed);
    QVERIFY(readAll(path()) == before);
    QVERIFY(archive.isOccupied(1));
    QVERIFY(!archive.isOccupied(2));
}

void TestArchiveFile::writeCutShortKeepsOldFile() {
    ArchiveFile archive(m_dir->path());
    archive.append("01/01/25", "stary");
    const QByteArray before = readAll(path());

    // A file size limit makes the write fail half-way, as a full disk would.
    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 1 << 20;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = archive.append("01/02/25", "nowy");
    const bool removed = archive.remove(1);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(result.status, ArchiveFile::AppendResult::WriteFailed);
    QVERIFY(!removed);
    QVERIFY(readAll(path()) == before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{ArchiveFile::kFileName});
    QVERIFY(archive.isOccupied(1));
    QVERIFY(!archive.isOccupied(2));
}

void TestArchiveFile::missingFolderFailsAndKeepsImage() {
    ArchiveFile archive(m_dir->filePath(QStringLiteral("brak")));
    QVERIFY(!archive.load());
    const auto result = archive.append("01/01/25", "nigdzie");
    QCOMPARE(result.status, ArchiveFile::AppendResult::WriteFailed);
    QCOMPARE(result.entry, 0);
    // The image was put back, so nothing appears that the file does not hold.
    QVERIFY(!archive.isOccupied(1));
    QCOMPARE(archive.messageText(1), QString());
    QVERIFY(!archive.remove(1));
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("brak"))));
}

void TestArchiveFile::loadOfMissingFileKeepsImage() {
    ArchiveFile archive(m_dir->path());
    archive.append("01/01/25", "zostaje");
    QVERIFY(QFile::remove(path()));
    QVERIFY(!archive.load());
    QCOMPARE(archive.messageText(1), QStringLiteral("zostaje"));
}

void TestArchiveFile::shortFileFillsFrontOfImageOnly() {
    ArchiveFile archive(m_dir->path());
    archive.append("01/02/25", "pierwszy");
    archive.append("03/04/25", "drugi");
    QVERIFY(archive.load());

    // Only entry 0 and the first five bytes of entry 1's date cell.
    QVERIFY(writeRaw(path(), QByteArray(10, '\0') + QByteArray("XYZ\0\0", 5)));
    QVERIFY(archive.load());
    QCOMPARE(archive.dateText(1), QStringLiteral("XYZ"));
    QCOMPARE(archive.dateBlock().sliced(15, 5).toByteArray(), QByteArray("/25\0\0", 5));
    QCOMPARE(archive.messageText(1), QStringLiteral("pierwszy"));
    QCOMPARE(archive.dateText(2), QStringLiteral("03/04/25"));
    QCOMPARE(archive.messageText(2), QStringLiteral("drugi"));

    // A file that ends inside the message block.
    QByteArray partial = emptyFile().left(messageOffset(2) + 3);
    putEntry(partial, 1, "05/05/25", "nowa");
    std::memcpy(partial.data() + messageOffset(2), "abc", 3);
    QVERIFY(writeRaw(path(), partial));
    QVERIFY(archive.load());
    QCOMPARE(archive.dateText(2), QString()); // the date block was read whole
    QCOMPARE(archive.messageText(1), QStringLiteral("nowa"));
    QCOMPARE(archive.messageText(2).left(5), QStringLiteral("abcgi"));
}

// Archives of every bad shape: an append and a delete never lose or change
// what is stored. Only a file read whole (or none) is ever written.
void TestArchiveFile::badFilesLoseNothing_data() {
    QTest::addColumn<QString>("shape");
    QTest::addColumn<bool>("writable"); // whether an append may store into it
    for (const char *shape : {"mode 0000", "mode 0400", "short", "long", "directory"})
        QTest::newRow(shape) << QString::fromLatin1(shape) << false;
    // Root reads a file of mode 0200 all the same; others cannot read it.
    QTest::newRow("mode 0200") << QStringLiteral("mode 0200") << (::geteuid() == 0);
    for (const char *shape : {"zeros", "random", "link", "link chain", "folder link"})
        QTest::newRow(shape) << QString::fromLatin1(shape) << true;
}

void TestArchiveFile::badFilesLoseNothing() {
    QFETCH(QString, shape);
    QFETCH(bool, writable);
    QByteArray content = emptyFile();
    putEntry(content, 1, QByteArrayView("01/02/25\0", 9), QByteArrayView("pierwszy\0", 9));
    putEntry(content, 3, QByteArrayView("03/04/25\0", 9), QByteArrayView("trzeci\0", 7));
    QString file = path();          // where the bytes live
    QString folder = m_dir->path(); // where the program looks
    if (shape == QLatin1String("short")) {
        content.truncate(1000);
    } else if (shape == QLatin1String("long")) {
        content.append("ogon");
    } else if (shape == QLatin1String("zeros")) {
        content = emptyFile();
    } else if (shape == QLatin1String("random")) {
        for (qsizetype i = 0; i < content.size(); ++i)
            content[i] = char(QRandomGenerator::global()->bounded(1, 256));
        content[dateOffset(3)] = '3'; // entry 3 exists, entry 7 is the one free place
        content[dateOffset(7)] = 0;
    }
    if (shape.startsWith(QLatin1String("link"))) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("real")));
        file = m_dir->filePath(QStringLiteral("real/target.tra"));
        const QString middle = m_dir->filePath(QStringLiteral("middle"));
        QVERIFY(QFile::link(file, shape == QLatin1String("link") ? path() : middle));
        if (shape == QLatin1String("link chain"))
            QVERIFY(QFile::link(middle, path()));
    } else if (shape == QLatin1String("folder link")) {
        const QString shared = m_dir->filePath(QStringLiteral("shared"));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("shared")));
        QVERIFY(QFile::setPermissions(shared, QFileDevice::Permissions(0x7755)));
        folder = m_dir->filePath(QStringLiteral("data"));
        QVERIFY(QFile::link(shared, folder));
        file = folder + QLatin1Char('/') + ArchiveFile::kFileName;
    }
    if (shape == QLatin1String("directory"))
        QVERIFY(QDir(m_dir->path()).mkdir(ArchiveFile::kFileName));
    else
        QVERIFY(writeRaw(file, content));
    const QStringList modeRows = {QStringLiteral("mode 0000"), QStringLiteral("mode 0400"),
                                  QStringLiteral("mode 0200")};
    const QFileDevice::Permissions modes[] = {{}, QFileDevice::ReadOwner, QFileDevice::WriteOwner};
    if (modeRows.contains(shape))
        QVERIFY(QFile::setPermissions(file, modes[modeRows.indexOf(shape)]));
    const QFileDevice::Permissions permissions = QFileInfo(file).permissions();

    ArchiveFile archive(folder);
    const ArchiveFile::AppendResult result = archive.append("05/06/25", "nowy");
    QCOMPARE(result.status == ArchiveFile::AppendResult::Stored, writable);
    QCOMPARE(archive.remove(3), writable);

    if (shape == QLatin1String("directory")) {
        QVERIFY(QFileInfo(path()).isDir());
        return;
    }
    if (!writable)
        QCOMPARE(QFileInfo(file).permissions(), permissions);
    QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QByteArray expected = content;
    if (writable) {
        // Exactly the new entry and the deleted one's first bytes differ.
        QVERIFY(result.entry >= 1);
        putEntry(expected, result.entry, QByteArrayView("05/06/25\0", 9),
                 QByteArrayView("nowy\0", 5));
        expected[dateOffset(3)] = 0;
        expected[messageOffset(3)] = 0;
    }
    QVERIFY(readAll(file) == expected);
    if (shape.startsWith(QLatin1String("link")))
        QVERIFY(QFileInfo(path()).isSymLink());
    if (shape == QLatin1String("folder link"))
        QCOMPARE(QFileInfo(m_dir->filePath(QStringLiteral("shared"))).permissions(),
                 QFileDevice::Permissions(0x7755));
    // No temporary file is left beside the file.
    QVERIFY(QDir(QFileInfo(file).absolutePath())
                .entryList({QFileInfo(file).fileName() + QStringLiteral(".*")}, QDir::Files)
                .isEmpty());
}

QTEST_GUILESS_MAIN(TestArchiveFile)
#include "tst_archivefile.moc"
