#include "widgets/SidePicture.h"

#include <QSignalSpy>
#include <QTest>

using kv::SidePicture;
using kv::SidePictureMotion;

namespace {

// A picture whose column x has the red value x, so a grab shows the offset.
QImage columnPicture() {
    QImage image(SidePicture::PictureWidth, SidePicture::PictureHeight, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, 40, x / 256 * 100));
    return image;
}

} // namespace

class TestSidePicture : public QObject {
    Q_OBJECT
private slots:
    void motionStartsStill();
    void oneRunGoesThereAndBack();
    void showingAgainKeepsTheCount();
    void clickRestartsTheCountAndDirectionPersists();
    void widgetTimerFollowsTheRun();
    void hiddenWindowCatchesUp();
    void clickOnThePicture();
    void pictureIsDrawnAtTheOffset();
};

void TestSidePicture::motionStartsStill() {
    SidePictureMotion motion;
    QCOMPARE(motion.offset(), -77);
    QCOMPARE(motion.counter(), 0);
    QVERIFY(!motion.isRunning());
    QVERIFY(motion.movingLeft());
    QVERIFY(!motion.tick());
    QCOMPARE(motion.counter(), 0);
    QCOMPARE(motion.offset(), -77);
}

void TestSidePicture::oneRunGoesThereAndBack() {
    SidePictureMotion motion;
    motion.start();
    for (int i = 1; i <= 9; ++i)
        QVERIFY(!motion.tick());
    QCOMPARE(motion.offset(), -77);
    QCOMPARE(motion.counter(), 9);

    int leftmostTick = 0, rightmostTick = 0, ticks = 9, moves = 0;
    while (motion.isRunning()) {
        const int before = motion.offset();
        moves += motion.tick() ? 1 : 0;
        ++ticks;
        QCOMPARE(qAbs(motion.offset() - before), 1);
        QVERIFY(motion.offset() >= -190 && motion.offset() <= 0);
        if (motion.offset() == -190)
            leftmostTick = ticks;
        if (motion.offset() == 0)
            rightmostTick = ticks;
    }
    QCOMPARE(ticks, 389);
    QCOMPARE(moves, 380);
    QCOMPARE(leftmostTick, 9 + 113); // 77 -> 190
    QCOMPARE(rightmostTick, 9 + 113 + 190);
    QCOMPARE(motion.offset(), -77);
    QCOMPARE(motion.counter(), 0);
    QVERIFY(motion.movingLeft());
    QVERIFY(!motion.tick());
}

void TestSidePicture::showingAgainKeepsTheCount() {
    SidePictureMotion motion;
    motion.start();
    for (int i = 0; i < 50; ++i)
        motion.tick();
    motion.start(); // the window shown again during the run
    QCOMPARE(motion.counter(), 50);
    int ticks = 50;
    while (motion.isRunning()) {
        motion.tick();
        ++ticks;
    }
    QCOMPARE(ticks, 389);
}

void TestSidePicture::clickRestartsTheCountAndDirectionPersists() {
    SidePictureMotion motion;
    motion.start();
    for (int i = 0; i < 200; ++i)
        motion.tick();
    // Past the left turn: on the way right.
    QCOMPARE(motion.offset(), -190 + (200 - 122));
    QVERIFY(!motion.movingLeft());

    motion.restart();
    QCOMPARE(motion.counter(), 0);
    for (int i = 0; i < 388; ++i)
        motion.tick();
    QVERIFY(motion.isRunning());
    QCOMPARE(motion.counter(), 388);
    motion.tick();
    QVERIFY(!motion.isRunning());
    QCOMPARE(motion.counter(), 0);
    // 380 moves from -112 rightwards end at -112, still heading right.
    QCOMPARE(motion.offset(), -112);
    QVERIFY(!motion.movingLeft());

    motion.start();
    for (int i = 0; i < 10; ++i)
        motion.tick();
    QCOMPARE(motion.offset(), -111);
}

void TestSidePicture::widgetTimerFollowsTheRun() {
    SidePicture picture;
    QVERIFY(!picture.isTimerActive());
    picture.startRun();
    QVERIFY(picture.isRunning());
    QVERIFY(picture.isTimerActive());
    for (int i = 0; i < 388; ++i)
        picture.tick();
    QVERIFY(picture.isTimerActive());
    picture.tick();
    QVERIFY(!picture.isRunning());
    QVERIFY(!picture.isTimerActive());
    QCOMPARE(picture.offset(), -77);
    picture.tick(); // a late tick changes nothing
    QCOMPARE(picture.counter(), 0);
    QCOMPARE(picture.offset(), -77);
}

void TestSidePicture::hiddenWindowCatchesUp() {
    SidePicture picture;
    picture.startRun();
    for (int i = 0; i < 20; ++i)
        picture.tick();
    picture.stopTimer();
    QVERIFY(!picture.isTimerActive());
    QVERIFY(picture.isRunning());
    picture.startRun(); // no timer while stopped, even when asked
    QVERIFY(!picture.isTimerActive());
    picture.resumeTimer();
    QVERIFY(picture.isTimerActive());
    QVERIFY(picture.counter() >= 20);

    picture.stopTimer();
    picture.catchUp(100000); // hidden far longer than a run
    QVERIFY(!picture.isRunning());
    QCOMPARE(picture.offset(), -77);
    picture.resumeTimer();
    QVERIFY(!picture.isTimerActive());
}

void TestSidePicture::clickOnThePicture() {
    SidePicture picture;
    QSignalSpy clicked(&picture, &SidePicture::clicked);
    picture.startRun();
    for (int i = 0; i < 30; ++i)
        picture.tick();
    QTest::mouseClick(&picture, Qt::LeftButton, {}, QPoint(30, 100));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(picture.counter(), 0);
    QVERIFY(picture.isRunning());
    QCOMPARE(picture.offset(), -77 - 21);

    QTest::mouseClick(&picture, Qt::RightButton, {}, QPoint(30, 100));
    QCOMPARE(clicked.count(), 1);

    picture.catchUp(389);
    QVERIFY(!picture.isRunning());
    QTest::mouseClick(&picture, Qt::LeftButton, {}, QPoint(30, 100));
    QVERIFY(picture.isRunning());
    QVERIFY(picture.isTimerActive());
}

void TestSidePicture::pictureIsDrawnAtTheOffset() {
    SidePicture picture;
    QCOMPARE(picture.size(), QSize(69, 273));
    picture.setPicture(columnPicture());
    QImage shot = picture.grab().toImage();
    QCOMPARE(qRed(shot.pixel(0, 50)), 77);
    QCOMPARE(qRed(shot.pixel(68, 50)), 77 + 68);

    picture.startRun();
    picture.catchUp(9 + 5);
    shot = picture.grab().toImage();
    QCOMPARE(qRed(shot.pixel(0, 50)), 82);

    // The program's own picture when none is given.
    SidePicture own;
    QVERIFY(own.picture().isNull());
    own.grab();
    QCOMPARE(own.picture().size(), QSize(265, 273));
}

QTEST_MAIN(TestSidePicture)
#include "tst_sidepicture.moc"
