#include "platform/BlockImage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kv;

class TestBlockImage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void cellReadStopsAtTerminatorOrWidth() {
        const char withZero[6] = {'a', 'b', 0, 'x', 'y', 'z'};
        QCOMPARE(Cells::read(withZero, 6), QStringLiteral("ab"));
        const char full[4] = {'\xa3', 'o', 'd', '\x9f'}; // "Łodź" in Windows-1250, no terminator
        QCOMPARE(Cells::read(full, 4), QStringLiteral("Łodź"));
    }

    void cellWriteKeepsRemainsAndCutsToWidth() {
        char cell[8];
        std::memcpy(cell, "Kowalski", 8);
        Cells::write(cell, 8, "Nowak");
        QCOMPARE(QByteArray(cell, 8), QByteArray("Nowak\0ki", 8));
        Cells::write(cell, 8, "ABCDEFGHIJ"); // over-long: 7 bytes and the terminator
        QCOMPARE(QByteArray(cell, 8), QByteArray("ABCDEFG\0", 8));
        Cells::clear(cell);
        QCOMPARE(QByteArray(cell, 8), QByteArray("\0BCDEFG\0", 8));
        // An empty text (no bytes at all, not even an address) is a terminator.
        std::memcpy(cell, "Kowalski", 8);
        Cells::write(cell, 8, Cells::encodeCut(QString(), 7));
        QCOMPARE(QByteArray(cell, 8), QByteArray("\0owalski", 8));
    }

    void encodeCut_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("fits") << QStringLiteral("ąb") << 2
                              << QByteArray("\xb9"
                                            "b");
        QTest::newRow("cut") << QStringLiteral("abcdef") << 4 << QByteArray("abcd");
        QTest::newRow("CR LF kept whole")
            << QStringLiteral("ab\r\ncd") << 4 << QByteArray("ab\r\n");
        QTest::newRow("CR LF not split") << QStringLiteral("abc\r\nd") << 4 << QByteArray("abc");
    }
    void encodeCut() {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Cells::encodeCut(text, limit), bytes);
    }

    void layoutLoadAndSave() {
        BlockImage image{{3, 4}, {5, 2}};
        QCOMPARE(image.size(), 22);
        QCOMPARE(image.cell(1, 1) - image.cell(0, 0), 17);
        QVERIFY(image.bytes() == QByteArray(22, '\0'));

        const QString path = m_dir.filePath(QStringLiteral("image.bin"));
        QCOMPARE(image.load(path), BlockImage::LoadStatus::Missing);
        image.setText(1, 1, QStringLiteral("żółw!"));
        QCOMPARE(image.text(1, 1), QStringLiteral("żółw")); // cut to the cell less its terminator
        QVERIFY(image.save(path));
        QCOMPARE(QFile(path).size(), 22);
        QCOMPARE(QFileInfo(path).permissions() & 0x0077, QFileDevice::Permissions{});

        BlockImage again{{3, 4}, {5, 2}};
        QCOMPARE(again.load(path), BlockImage::LoadStatus::Whole);
        QVERIFY(again.bytes() == image.bytes());

        // Only the first block: the rest of the image stays as it was.
        BlockImage front{{3, 4}, {5, 2}};
        front.setText(1, 0, QStringLiteral("stay"));
        QCOMPARE(front.load(path, 1), BlockImage::LoadStatus::Whole);
        QCOMPARE(front.text(1, 0), QStringLiteral("stay"));

        // A short file fills the front only.
        QFile shortFile(m_dir.filePath(QStringLiteral("short.bin")));
        QVERIFY(shortFile.open(QIODevice::WriteOnly));
        shortFile.write("xy\0", 3);
        shortFile.close();
        QCOMPARE(front.load(shortFile.fileName()), BlockImage::LoadStatus::Short);
        QCOMPARE(front.text(0, 0), QStringLiteral("xy"));
        QCOMPARE(front.text(1, 0), QStringLiteral("stay"));

        // A folder in the file's place cannot be read.
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.bin")));
        QCOMPARE(front.load(m_dir.filePath(QStringLiteral("folder.bin"))),
                 BlockImage::LoadStatus::Failed);
    }
};

QTEST_MAIN(TestBlockImage)
#include "tst_blockimage.moc"
