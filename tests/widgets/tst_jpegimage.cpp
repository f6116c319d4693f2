#include "common/JpegWriter.h"
#include "widgets/JpegImage.h"
#include "widgets/PngImage.h"

#include <QTest>

namespace {

bool near(QRgb actual, QColor expected, int tolerance) {
    return qAbs(qRed(actual) - expected.red()) <= tolerance &&
           qAbs(qGreen(actual) - expected.green()) <= tolerance &&
           qAbs(qBlue(actual) - expected.blue()) <= tolerance;
}

QByteArray resourceBytes(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestJpegImage : public QObject {
    Q_OBJECT
private slots:
    void shippedPictures_data();
    void shippedPictures();
    void sidePictureColours();
    void grayscaleAndCmyk();
    void truncatedPictureIsRefused();
    void garbageIsRefused();
    void missingFileIsReported();
    void backgroundTakenAwayNotHolesInside();
    void programIconDecodedLikeQtDoes();
};

void TestJpegImage::shippedPictures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("side") << "side.jpg" << QSize(265, 273);
    QTest::newRow("strip foot") << "strip_foot.jpg" << QSize(69, 259);
    QTest::newRow("hot normal") << "hot_normal.jpg" << QSize(22, 22);
    QTest::newRow("hot highlighted") << "hot_highlighted.jpg" << QSize(22, 22);
    QTest::newRow("alert") << "alert.jpg" << QSize(32, 32);
    QTest::newRow("ask") << "ask.jpg" << QSize(32, 32);
    QTest::newRow("help") << "help.jpg" << QSize(80, 80);
    QTest::newRow("about") << "about.jpg" << QSize(80, 80);
    QTest::newRow("resolution") << "resolution.jpg" << QSize(80, 80);
}

void TestJpegImage::shippedPictures() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QString error = QStringLiteral("not cleared");
    const QImage image = kv::loadAssetJpeg(name, &error);
    QVERIFY2(!image.isNull(), qPrintable(error));
    QVERIFY(error.isEmpty());
    QCOMPARE(image.size(), size);
    QCOMPARE(image.format(), QImage::Format_RGB888);
}

void TestJpegImage::sidePictureColours() {
    const QImage image = kv::loadJpeg(QStringLiteral(":/kelvadrin/side.jpg"));
    QVERIFY(!image.isNull());
    // Sky blue at the top, meadow green at the bottom.
    QVERIFY2(near(image.pixel(3, 3), QColor(122, 158, 196), 14),
             qPrintable(QColor(image.pixel(3, 3)).name()));
    const QRgb meadow = image.pixel(100, 268);
    QVERIFY2(qGreen(meadow) > qRed(meadow) + 15 && qGreen(meadow) > qBlue(meadow),
             qPrintable(QColor(meadow).name()));
}

void TestJpegImage::grayscaleAndCmyk() {
    QString error;
    const QImage gray =
        kv::decodeJpeg(kv::test::encodeJpeg(16, 8, JCS_GRAYSCALE, 1, {200}), &error);
    QVERIFY2(!gray.isNull(), qPrintable(error));
    QCOMPARE(gray.size(), QSize(16, 8));
    QVERIFY(near(gray.pixel(5, 5), QColor(200, 200, 200), 2));

    // libjpeg marks CMYK files as Adobe's, whose samples are stored inverted:
    // 255 means no ink. No cyan, full magenta and yellow, no black: red.
    const QImage cmyk =
        kv::decodeJpeg(kv::test::encodeJpeg(16, 8, JCS_CMYK, 4, {255, 0, 0, 255}), &error);
    QVERIFY2(!cmyk.isNull(), qPrintable(error));
    QCOMPARE(cmyk.size(), QSize(16, 8));
    QVERIFY2(near(cmyk.pixel(3, 3), QColor(255, 0, 0), 6),
             qPrintable(QColor(cmyk.pixel(3, 3)).name()));
}

void TestJpegImage::truncatedPictureIsRefused() {
    const QByteArray whole = resourceBytes(QStringLiteral(":/kelvadrin/side.jpg"));
    QVERIFY(whole.size() > 1000);
    QVERIFY(!kv::decodeJpeg(whole).isNull());
    // Cut anywhere, including just before the end marker.
    QList<qsizetype> cuts{2, 20, whole.size() - 2, whole.size() - 1};
    for (qsizetype cut = 100; cut < whole.size(); cut += 397)
        cuts.append(cut);
    for (qsizetype cut : cuts) {
        QString error;
        const QImage image = kv::decodeJpeg(QByteArrayView(whole).first(cut), &error);
        QVERIFY2(image.isNull(), qPrintable(QString::number(cut)));
        QVERIFY2(!error.isEmpty(), qPrintable(QString::number(cut)));
    }
    QString error;
    QVERIFY(kv::decodeJpeg(QByteArrayView(whole).first(whole.size() - 2), &error).isNull());
    QVERIFY2(error.contains(QLatin1String("Premature end")), qPrintable(error));
}

void TestJpegImage::garbageIsRefused() {
    QString error;
    QVERIFY(kv::decodeJpeg(QByteArrayView(), &error).isNull());
    QVERIFY(!error.isEmpty());

    QByteArray garbage(4000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) & 0xff);
    QVERIFY(kv::decodeJpeg(garbage, &error).isNull());
    QVERIFY2(error.contains(QLatin1String("Not a JPEG file")), qPrintable(error));

    // Stray bytes between two markers: libjpeg only warns, the picture is refused.
    QByteArray stray = resourceBytes(QStringLiteral(":/kelvadrin/side.jpg"));
    stray.insert(2, "junk");
    QVERIFY(kv::decodeJpeg(stray, &error).isNull());
    QVERIFY2(error.contains(QLatin1String("extraneous")), qPrintable(error));

    // A good header followed by scrambled picture data.
    QByteArray scrambled = resourceBytes(QStringLiteral(":/kelvadrin/side.jpg"));
    for (qsizetype i = scrambled.size() / 2; i < scrambled.size() - 2; i += 3)
        scrambled[i] = char(0xff);
    QVERIFY(kv::decodeJpeg(scrambled, &error).isNull());
    QVERIFY(!error.isEmpty());
}

void TestJpegImage::missingFileIsReported() {
    QString error;
    QVERIFY(kv::loadJpeg(QStringLiteral(":/kelvadrin/no-such.jpg"), &error).isNull());
    QVERIFY2(error.contains(QLatin1String("no-such.jpg")), qPrintable(error));
    QVERIFY(kv::loadAssetJpeg(QStringLiteral("Clock.avi"), &error).isNull());
    QVERIFY(!error.isEmpty());
}

// A grey picture with a dark ring whose inside is the background's grey too:
// only the background joined to the corners goes.
void TestJpegImage::backgroundTakenAwayNotHolesInside() {
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(qRgb(236, 236, 236));
    for (int x = 5; x < 15; ++x)
        for (int y = 5; y < 15; ++y)
            if (x == 5 || x == 14 || y == 5 || y == 14)
                picture.setPixel(x, y, qRgb(40, 40, 40));
    picture.setPixel(1, 1, qRgb(240, 233, 238)); // a shade off, as JPEG leaves it
    const QImage keyed = kv::withoutBackground(picture);
    QCOMPARE(qAlpha(keyed.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(keyed.pixel(1, 1)), 0);
    QCOMPARE(qAlpha(keyed.pixel(19, 19)), 0);
    QCOMPARE(qAlpha(keyed.pixel(5, 5)), 255);
    QCOMPARE(keyed.pixel(10, 10), qRgb(236, 236, 236)); // inside the ring: kept
}

void TestJpegImage::programIconDecodedLikeQtDoes() {
    // The tray icon is decoded without Qt's image readers; it must come out
    // as they would give it, transparency included.
    const QByteArray png = resourceBytes(QStringLiteral(":/kelvadrin/kelvadrin.png"));
    QString error;
    const QImage ours = kv::decodePng(png, &error);
    QVERIFY2(!ours.isNull(), qPrintable(error));
    const QImage qts = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(ours.size(), QSize(64, 64));
    QCOMPARE(ours, qts);
    QCOMPARE(qAlpha(ours.pixel(0, 0)), 0);

    QVERIFY(kv::decodePng(png.left(png.size() / 2), &error).isNull());
    QVERIFY(!error.isEmpty());
    QVERIFY(kv::decodePng(QByteArray(100, 'x'), &error).isNull());
}

QTEST_GUILESS_MAIN(TestJpegImage)
#include "tst_jpegimage.moc"
