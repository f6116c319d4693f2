#include "widgets/ClockAnimation.h"

#include <QLineF>
#include <QTemporaryDir>
#include <QTest>

using kv::ClockAnimation;

class TestClockAnimation : public QObject {
    Q_OBJECT
private slots:
    void nothingIsReadAtConstruction();
    void timerRunsOnlyWhilePlayingAndVisible();
    void framesLoopFromLastToFirst();
    void stopKeepsTheFrame();
    void brokenFileShowsNothing();
};

void TestClockAnimation::nothingIsReadAtConstruction() {
    ClockAnimation clock;
    QVERIFY(!clock.isLoaded());
    QCOMPARE(clock.frameCount(), 0);
    QCOMPARE(clock.frameIndex(), 1);
    QVERIFY(!clock.isPlaying());
    QCOMPARE(clock.fileName(), QStringLiteral(":/kelvadrin/Clock.avi"));
}

void TestClockAnimation::timerRunsOnlyWhilePlayingAndVisible() {
    ClockAnimation clock;
    clock.play();
    QVERIFY(clock.isPlaying());
    QVERIFY(!clock.isTimerActive()); // hidden
    QVERIFY(!clock.isLoaded());

    clock.show();
    QVERIFY(clock.isLoaded());
    QCOMPARE(clock.frameCount(), 119);
    QVERIFY(clock.isTimerActive());
    QCOMPARE(clock.frameInterval(), 67); // 15 frames a second
    QCOMPARE(clock.sizeHint(), QSize(44, 44));

    clock.hide();
    QVERIFY(!clock.isTimerActive());
    QVERIFY(clock.isPlaying());
    clock.show();
    QVERIFY(clock.isTimerActive());

    clock.stop();
    QVERIFY(!clock.isTimerActive());
    clock.hide();
    clock.show();
    QVERIFY(!clock.isTimerActive());

    // Hidden with its window: a child clock stops with the parent.
    QWidget window;
    auto *child = new ClockAnimation(&window);
    child->play();
    window.show();
    QVERIFY(child->isTimerActive());
    window.hide();
    QVERIFY(!child->isTimerActive());
}

void TestClockAnimation::framesLoopFromLastToFirst() {
    ClockAnimation clock;
    const QImage first = (clock.ensureLoaded(), clock.currentFrame());
    QCOMPARE(first.size(), QSize(44, 44));
    for (int i = 2; i <= 119; ++i) {
        clock.advanceFrame();
        QCOMPARE(clock.frameIndex(), i);
    }
    QVERIFY(clock.currentFrame() != first);
    clock.advanceFrame();
    QCOMPARE(clock.frameIndex(), 1);
    QCOMPARE(clock.currentFrame(), first);
}

void TestClockAnimation::stopKeepsTheFrame() {
    ClockAnimation clock;
    clock.show();
    clock.play();
    for (int i = 0; i < 5; ++i)
        clock.advanceFrame();
    clock.stop();
    QCOMPARE(clock.frameIndex(), 6);
    // The shown dial is the current frame; outside the dial the clock draws
    // no box, the panel behind it shows.
    QPalette panel = clock.palette();
    panel.setColor(QPalette::Window, QColor(20, 160, 40));
    clock.setPalette(panel);
    const QImage shot = clock.grab().toImage().convertToFormat(QImage::Format_RGB888);
    const QImage frame = clock.currentFrame().convertToFormat(QImage::Format_RGB888);
    QCOMPARE(shot.size(), frame.size());
    const QPointF centre(frame.width() / 2.0, frame.height() / 2.0);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (QLineF(centre, QPointF(x + 0.5, y + 0.5)).length() < frame.width() / 2.0 - 1.5)
                QCOMPARE(shot.pixel(x, y), frame.pixel(x, y));
    QCOMPARE(QColor(shot.pixel(0, 0)), QColor(20, 160, 40));
    clock.play();
    QCOMPARE(clock.frameIndex(), 6);
}

void TestClockAnimation::brokenFileShowsNothing() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Clock.avi"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("RIFF\x10\0\0\0AVI LIST", 16);
    file.close();

    ClockAnimation clock;
    clock.setFileName(path);
    QVERIFY(!clock.ensureLoaded());
    QVERIFY(!clock.errorString().isEmpty());
    clock.show();
    clock.play();
    QVERIFY(!clock.isTimerActive());
    clock.advanceFrame();
    QCOMPARE(clock.frameIndex(), 1);
    QVERIFY(clock.currentFrame().isNull());

    // Back to a good file.
    clock.setFileName(QStringLiteral(":/kelvadrin/Clock.avi"));
    QVERIFY(clock.isLoaded());
    QVERIFY(clock.isTimerActive());
}

QTEST_MAIN(TestClockAnimation)
#include "tst_clockanimation.moc"
