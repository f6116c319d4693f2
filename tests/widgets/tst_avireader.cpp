#include "widgets/AviReader.h"
#include "widgets/JpegImage.h"

#include <QFile>
#include <QTest>
#include <climits>

namespace {

QByteArray u32(quint32 value) {
    QByteArray out;
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
    return out;
}

QByteArray chunk(const char *id, const QByteArray &body) {
    QByteArray out = QByteArray(id, 4) + u32(quint32(body.size())) + body;
    if (body.size() & 1)
        out.append('\0');
    return out;
}

QByteArray list(const char *type, const QByteArray &body) {
    return chunk("LIST", QByteArray(type, 4) + body);
}

QByteArray mainHeader(quint32 usecPerFrame, int width, int height) {
    QByteArray body = u32(usecPerFrame) + u32(0) + u32(0) + u32(0) + u32(3) + u32(0) + u32(2) +
                      u32(0) + u32(quint32(width)) + u32(quint32(height));
    body.append(QByteArray(16, '\0'));
    return chunk("avih", body);
}

QByteArray streamList(const char *type, const char *handler, quint32 scale, quint32 rate,
                      const char *compression, qint32 height = 8) {
    QByteArray strh = QByteArray(type, 4) + QByteArray(handler, 4) + u32(0) + u32(0) + u32(0) +
                      u32(scale) + u32(rate) + u32(0) + u32(3) + u32(0) + u32(0) + u32(0) +
                      QByteArray(8, '\0');
    QByteArray strf = u32(40) + u32(8) + u32(quint32(height)) + QByteArray("\1\0\x18\0", 4) +
                      QByteArray(compression, 4) + QByteArray(20, '\0');
    return list("strl", chunk("strh", strh) + chunk("strf", strf));
}

QByteArray riff(const QByteArray &body) {
    return chunk("RIFF", QByteArray("AVI ", 4) + body);
}

QByteArray shippedClock() {
    QFile file(QStringLiteral(":/kelvadrin/Clock.avi"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestAviReader : public QObject {
    Q_OBJECT
private slots:
    void shippedClock();
    void videoStreamIsChosenAmongOthers();
    void fileWithoutIndexOrRate();
    void topDownHeights_data();
    void topDownHeights();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void truncatedFilesAreRefused();
    void reloadForgetsOldFrames();
};

void TestAviReader::shippedClock() {
    kv::AviReader reader;
    QVERIFY2(reader.open(QStringLiteral(":/kelvadrin/Clock.avi")),
             qPrintable(reader.errorString()));
    QVERIFY(reader.isValid());
    QCOMPARE(reader.frameCount(), 119);
    QCOMPARE(reader.frameSize(), QSize(44, 44));
    QVERIFY(reader.microsecondsPerFrame() > 60000 && reader.microsecondsPerFrame() < 70000);
    QVERIFY(reader.frameData(-1).isEmpty());
    QVERIFY(reader.frameData(119).isEmpty());

    QImage first;
    for (int i = 0; i < reader.frameCount(); ++i) {
        QString error;
        const QImage frame = kv::decodeJpeg(reader.frameData(i), &error);
        QVERIFY2(!frame.isNull(), qPrintable(QStringLiteral("frame %1: %2").arg(i).arg(error)));
        QCOMPARE(frame.size(), QSize(44, 44));
        if (i == 0)
            first = frame;
        else if (i == 60)
            QVERIFY(frame != first); // the hand has moved
    }
}

void TestAviReader::videoStreamIsChosenAmongOthers() {
    // Stream 0 is sound, stream 1 the pictures; frames sit in a 'rec ' list,
    // and an empty video chunk repeats the frame before it.
    const QByteArray header =
        list("hdrl", mainHeader(40000, 8, 8) + streamList("auds", "\0\0\0\0", 1, 8000, "\1\0\0\0") +
                         streamList("vids", "mjpg", 1, 25, "MJPG"));
    const QByteArray movie =
        list("movi", chunk("00wb", "sound") + chunk("01dc", "first") +
                         list("rec ", chunk("00wb", "more sound") + chunk("01dc", "second!")) +
                         chunk("01dc", QByteArray()) + chunk("01ix", "index"));
    kv::AviReader reader;
    QVERIFY2(reader.load(riff(header + movie)), qPrintable(reader.errorString()));
    QCOMPARE(reader.frameCount(), 3);
    QCOMPARE(reader.frameData(0).toByteArray(), QByteArray("first"));
    QCOMPARE(reader.frameData(1).toByteArray(), QByteArray("second!"));
    QCOMPARE(reader.frameData(2).toByteArray(), QByteArray("second!"));
    QCOMPARE(reader.microsecondsPerFrame(), qint64(40000));
    QCOMPARE(reader.frameSize(), QSize(8, 8));
}

void TestAviReader::fileWithoutIndexOrRate() {
    // No main-header rate: the stream's scale and rate decide. No idx1 at all.
    const QByteArray header =
        list("hdrl", mainHeader(0, 0, 0) + streamList("vids", "MJPG", 2, 25, "MJPG"));
    kv::AviReader reader;
    QVERIFY2(reader.load(riff(header + chunk("JUNK", "pad") + list("movi", chunk("00dc", "x")))),
             qPrintable(reader.errorString()));
    QCOMPARE(reader.frameCount(), 1);
    QCOMPARE(reader.microsecondsPerFrame(), qint64(80000));
    QCOMPARE(reader.frameSize(), QSize(8, 8)); // from the stream format
}

void TestAviReader::topDownHeights_data() {
    QTest::addColumn<qint32>("height");
    QTest::addColumn<QSize>("size");
    QTest::newRow("top-down") << qint32(-8) << QSize(8, 8);
    QTest::newRow("impossible") << qint32(INT_MIN) << QSize(0, 0); // found by fuzzing
}

void TestAviReader::topDownHeights() {
    QFETCH(qint32, height);
    QFETCH(QSize, size);
    const QByteArray header =
        list("hdrl", mainHeader(0, 0, 0) + streamList("vids", "MJPG", 2, 25, "MJPG", height));
    kv::AviReader reader;
    QVERIFY(reader.load(riff(header + list("movi", chunk("00dc", "x")))));
    QCOMPARE(reader.frameSize(), size);
}

void TestAviReader::damagedFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray goodHeader =
        list("hdrl", mainHeader(66667, 8, 8) + streamList("vids", "MJPG", 1, 15, "MJPG"));
    const QByteArray goodMovie = list("movi", chunk("00dc", "frame"));

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not riff") << QByteArray("RIFX\4\0\0\0AVI ");
    QTest::newRow("wave file") << chunk("RIFF", "WAVEfmt ");
    QTest::newRow("no header") << riff(goodMovie);
    QTest::newRow("no movie") << riff(goodHeader);
    QTest::newRow("no frames") << riff(goodHeader + list("movi", chunk("00wb", "s")));
    QTest::newRow("not motion jpeg")
        << riff(list("hdrl", mainHeader(1, 8, 8) + streamList("vids", "DIB ", 1, 15, "\0\0\0\0")) +
                goodMovie);
    QTest::newRow("short main header")
        << riff(list("hdrl", chunk("avih", "tiny") + streamList("vids", "MJPG", 1, 15, "MJPG")) +
                goodMovie);

    QByteArray hugeChunk = riff(goodHeader + goodMovie);
    const qsizetype frameAt = hugeChunk.indexOf("00dc");
    hugeChunk.replace(frameAt + 4, 4, u32(0xfffffff0u));
    QTest::newRow("frame size past the end") << hugeChunk;

    QByteArray hugeList = riff(goodHeader + goodMovie);
    hugeList.replace(hugeList.indexOf("movi") - 4, 4, u32(0x7ffffff0u));
    QTest::newRow("list size past the end") << hugeList;

    QByteArray hugeRiff = riff(goodHeader + goodMovie);
    hugeRiff.replace(4, 4, u32(0xffffffffu));
    QTest::newRow("riff size past the end") << hugeRiff;

    QByteArray deep;
    for (int i = 0; i < 40; ++i)
        deep = list("rec ", deep.isEmpty() ? chunk("00dc", "f") : deep);
    QTest::newRow("endless nesting") << riff(goodHeader + list("movi", deep));
}

void TestAviReader::damagedFilesAreRefused() {
    QFETCH(QByteArray, bytes);
    kv::AviReader reader;
    QVERIFY(!reader.load(bytes));
    QVERIFY(!reader.isValid());
    QCOMPARE(reader.frameCount(), 0);
    QVERIFY(reader.frameData(0).isEmpty());
    QVERIFY(!reader.errorString().isEmpty());
}

void TestAviReader::truncatedFilesAreRefused() {
    const QByteArray whole = ::shippedClock();
    QVERIFY(!whole.isEmpty());
    for (qsizetype cut = 0; cut < whole.size(); cut += 509) {
        kv::AviReader reader;
        QVERIFY2(!reader.load(whole.first(cut)), qPrintable(QString::number(cut)));
        QVERIFY(!reader.errorString().isEmpty());
    }
}

void TestAviReader::reloadForgetsOldFrames() {
    kv::AviReader reader;
    QVERIFY(reader.load(::shippedClock()));
    QVERIFY(!reader.load(QByteArray("garbage")));
    QCOMPARE(reader.frameCount(), 0);
    QVERIFY(!reader.open(QStringLiteral(":/kelvadrin/missing.avi")));
    QVERIFY2(reader.errorString().contains(QLatin1String("missing.avi")),
             qPrintable(reader.errorString()));
}

QTEST_GUILESS_MAIN(TestAviReader)
#include "tst_avireader.moc"
