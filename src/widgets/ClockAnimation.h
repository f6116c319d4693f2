#pragma once
// The appointment editor's validity clock (Animate1): frames 1 to 119 of
// "Clock.avi" played in a loop.

#include <QImage>
#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace kv {

class ClockAnimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int FirstFrame = 1;
    static constexpr int LastFrame = 119;
    static constexpr char DefaultFile[] = ":/kelvadrin/Clock.avi";

    // Nothing is read here: the file is decoded when the clock is first shown,
    // played or stepped, so creating the window costs nothing.
    explicit ClockAnimation(QWidget *parent = nullptr);

    // Another animation file (e.g. "Clock.avi" in the install folder). Takes
    // effect at the next load; drops frames loaded before and goes back to frame 1.
    void setFileName(const QString &fileOrResource);
    QString fileName() const { return m_fileName; }

    // Reads and decodes the frames now, if not done yet. False when the file is
    // missing or damaged (see errorString()); the clock then draws nothing.
    bool ensureLoaded();
    bool isLoaded() const { return m_loaded; }
    QString errorString() const { return m_error; }

    // Starts looping from the current frame. The timer runs only while the
    // clock is both playing and visible.
    void play();
    // Stands still on the current frame.
    void stop();
    bool isPlaying() const { return m_playing; }
    // Whether the frame timer is actually running (playing and visible).
    bool isTimerActive() const { return m_timer.isActive(); }

    // The frame shown, 1-based as in the file (1 .. frameCount()).
    int frameIndex() const { return m_frame; }
    // Number of frames played in the loop (0 before loading or after a failure).
    int frameCount() const { return int(m_frames.size()); }
    // Milliseconds between frames, taken from the file.
    int frameInterval() const { return m_timer.interval(); }
    QImage currentFrame() const;

    QSize sizeHint() const override;

public slots:
    // Shows the next frame; after the last one comes frame 1 again. The timer
    // calls this; tests may call it directly.
    void advanceFrame();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updateTimer();

    QString m_fileName = QString::fromLatin1(DefaultFile);
    QList<QImage> m_frames;
    QString m_error;
    QTimer m_timer;
    QSize m_frameSize{44, 44};
    int m_frame = FirstFrame;
    bool m_loaded = false;
    bool m_loadTried = false;
    bool m_playing = false;
};

} // namespace kv
