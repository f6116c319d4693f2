#include "SidePicture.h"

#include "JpegImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace kv {

bool SidePictureMotion::tick() {
    if (!m_running)
        return false;
    ++m_counter;
    if (m_counter < PauseTicks)
        return false;
    m_offset += m_left ? -1 : 1;
    if (m_offset == LeftmostOffset)
        m_left = false;
    else if (m_offset == RightmostOffset)
        m_left = true;
    if (m_counter >= RunTicks) {
        m_running = false;
        m_counter = 0;
    }
    return true;
}

SidePicture::SidePicture(QWidget *parent) : QWidget(parent) {
    m_timer.setInterval(TickInterval);
    connect(&m_timer, &QTimer::timeout, this, &SidePicture::tick);
    setFixedSize(WindowWidth, PictureHeight);
}

void SidePicture::setPicture(const QImage &picture) {
    m_picture = picture;
    m_pictureTried = true;
    update();
}

void SidePicture::startRun() {
    m_motion.start();
    updateTimer();
}

void SidePicture::restartRun() {
    m_motion.restart();
    updateTimer();
}

void SidePicture::stopTimer() {
    if (m_suspended)
        return;
    m_suspended = true;
    m_stoppedFor.start();
    updateTimer();
}

void SidePicture::resumeTimer() {
    if (!m_suspended)
        return;
    m_suspended = false;
    catchUp(m_stoppedFor.elapsed() / TickInterval);
    m_stoppedFor.invalidate();
    updateTimer();
}

void SidePicture::catchUp(qint64 ticks) {
    bool moved = false;
    for (qint64 i = 0; i < ticks && m_motion.isRunning(); ++i)
        moved = m_motion.tick() || moved;
    if (moved)
        update();
    updateTimer();
}

void SidePicture::tick() {
    if (m_motion.tick())
        update();
    updateTimer();
}

void SidePicture::paintEvent(QPaintEvent *) {
    if (!m_pictureTried) {
        m_pictureTried = true;
        m_picture = loadAssetJpeg(QStringLiteral("side.jpg"));
    }
    QPainter painter(this);
    if (m_picture.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawImage(QPoint(m_motion.offset(), 0), m_picture);
}

void SidePicture::mousePressEvent(QMouseEvent *event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void SidePicture::mouseReleaseEvent(QMouseEvent *event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (!click)
        return;
    restartRun();
    emit clicked();
}

void SidePicture::updateTimer() {
    const bool run = m_motion.isRunning() && !m_suspended;
    if (run && !m_timer.isActive())
        m_timer.start();
    else if (!run)
        m_timer.stop();
}

} // namespace kv
