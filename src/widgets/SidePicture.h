#pragma once
// The decorative picture of the main window's left strip, sliding to and fro
// behind the strip's narrow window.

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

namespace kv {

// The motion of the side picture, tick by tick, free of any timer.
//
// A run lasts 389 ticks: nine ticks of pause, then one pixel per tick. The
// picture turns at offset -190 and at offset 0, so one run moves it 380 pixels,
// twice across its whole way, and ends where it began. The direction of travel
// is kept from run to run.
class SidePictureMotion {
public:
    static constexpr int StartOffset = -77;
    static constexpr int LeftmostOffset = -190;
    static constexpr int RightmostOffset = 0;
    static constexpr int PauseTicks = 10; // moving starts when the counter reaches this
    static constexpr int RunTicks = 389;

    // Starts a run (keeps the counter of a run that is still going).
    void start() { m_running = true; }
    // A click on the picture: the count starts again from the present place.
    void restart() {
        m_counter = 0;
        m_running = true;
    }
    // One tick of a running run; does nothing when no run is going.
    // Returns whether the offset changed.
    bool tick();

    int offset() const { return m_offset; }
    int counter() const { return m_counter; }
    bool isRunning() const { return m_running; }
    bool movingLeft() const { return m_left; }

private:
    int m_offset = StartOffset;
    int m_counter = 0;
    bool m_running = false;
    bool m_left = true;
};

// The strip's picture widget: a 69-pixel-wide window onto the 265 x 273 side
// picture, drawn at motion().offset(). The widget owns its 40 ms timer (the
// main window's Timer4); the timer runs only during a run.
class SidePicture : public QWidget {
    Q_OBJECT
public:
    static constexpr int WindowWidth = 69;
    static constexpr int PictureWidth = 265;
    static constexpr int PictureHeight = 273;
    static constexpr int TickInterval = 40;

    // The picture (":/kelvadrin/side.jpg") is decoded at the first paint.
    explicit SidePicture(QWidget *parent = nullptr);

    // Puts another picture in place of the program's own.
    void setPicture(const QImage &picture);
    QImage picture() const { return m_picture; }

    // One run of the animation (the main window's show handling).
    void startRun();
    // What a click on the picture does: counter to 0 and a run from here.
    void restartRun();

    int offset() const { return m_motion.offset(); }
    int counter() const { return m_motion.counter(); }
    bool isRunning() const { return m_motion.isRunning(); }
    bool movingLeft() const { return m_motion.movingLeft(); }
    const SidePictureMotion &motion() const { return m_motion; }
    bool isTimerActive() const { return m_timer.isActive(); }

    // For a hidden main window: stopTimer() halts the ticks, resumeTimer()
    // first catches up with the ticks missed meanwhile and then lets a run
    // that is still going continue, so the picture stands where it would have
    // stood had the timer kept running. Nested calls are not counted.
    void stopTimer();
    void resumeTimer();
    // The catching-up part of resumeTimer(): up to `ticks` ticks at once,
    // stopping when the run ends.
    void catchUp(qint64 ticks);

    QSize sizeHint() const override { return {WindowWidth, PictureHeight}; }

public slots:
    // One 40 ms tick; the timer calls it, tests call it directly.
    void tick();

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateTimer();

    SidePictureMotion m_motion;
    QTimer m_timer;
    QElapsedTimer m_stoppedFor;
    QImage m_picture;
    bool m_pictureTried = false;
    bool m_suspended = false;
    bool m_pressed = false;
};

} // namespace kv
