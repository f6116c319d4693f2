#include "widgets/HotImage.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using kv::HotImage;

namespace {

void enter(QWidget *widget) {
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(widget, &event);
}

void hoverMove(QWidget *widget) {
    QHoverEvent event(QEvent::HoverMove, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)),
                      QPointF(2, 2));
    QCoreApplication::sendEvent(widget, &event);
}

QImage filled(QColor colour) {
    QImage image(22, 22, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestHotImage : public QObject {
    Q_OBJECT
private slots:
    void hoverShowsTheHighlightedPicture();
    void onlyTheHighlightedPictureTakesClicks();
    void neighboursBringBackTheNormalPicture();
    void programPictures();
};

void TestHotImage::hoverShowsTheHighlightedPicture() {
    HotImage hot;
    hot.setImages(filled(Qt::gray), filled(Qt::yellow));
    QSignalSpy changed(&hot, &HotImage::highlightChanged);
    QVERIFY(!hot.isHighlighted());
    QCOMPARE(hot.grab().toImage().pixelColor(10, 10), QColor(Qt::gray));

    enter(&hot);
    QVERIFY(hot.isHighlighted());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(hot.grab().toImage().pixelColor(10, 10), QColor(Qt::yellow));
    enter(&hot);
    QCOMPARE(changed.count(), 1);

    hot.showNormal();
    QVERIFY(!hot.isHighlighted());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(hot.grab().toImage().pixelColor(10, 10), QColor(Qt::gray));
}

void TestHotImage::onlyTheHighlightedPictureTakesClicks() {
    HotImage hot;
    QSignalSpy clicked(&hot, &HotImage::clicked);
    QTest::mouseClick(&hot, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.count(), 0);
    hot.showHighlighted();
    QTest::mouseClick(&hot, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.count(), 0);
    QTest::mouseClick(&hot, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.count(), 1);
    // Released outside the picture: no click.
    QTest::mousePress(&hot, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&hot, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(clicked.count(), 1);
}

void TestHotImage::neighboursBringBackTheNormalPicture() {
    QWidget group;
    auto *layout = new QHBoxLayout(&group);
    auto *field = new QLineEdit;
    auto *hot = new HotImage;
    auto *stranger = new QLineEdit;
    layout->addWidget(field);
    layout->addWidget(hot);
    layout->addWidget(stranger);
    hot->addNeighbour(&group);
    hot->addNeighbour(field);

    hot->showHighlighted();
    hoverMove(stranger);
    QVERIFY(hot->isHighlighted());
    hoverMove(field);
    QVERIFY(!hot->isHighlighted());

    hot->showHighlighted();
    hoverMove(&group);
    QVERIFY(!hot->isHighlighted());

    hot->showHighlighted();
    enter(field);
    QVERIFY(!hot->isHighlighted());
}

void TestHotImage::programPictures() {
    HotImage hot;
    QCOMPARE(hot.size(), QSize(22, 22));
    const QImage normal = hot.grab().toImage();
    hot.showHighlighted();
    const QImage highlighted = hot.grab().toImage();
    QVERIFY(normal != highlighted);
    // The highlighted picture is the brighter one.
    auto brightness = [](const QImage &image) {
        qint64 sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += qGray(image.pixel(x, y));
        return sum;
    };
    QVERIFY(brightness(highlighted) > brightness(normal));
    QVERIFY(normal.pixelColor(2, 2) != QColor(Qt::black));
}

QTEST_MAIN(TestHotImage)
#include "tst_hotimage.moc"
