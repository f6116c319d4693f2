#include "ClockAnimation.h"

#include "AviReader.h"
#include "JpegImage.h"

#include <QPainter>

#include <algorithm>

namespace kv {

namespace {
constexpr int FallbackInterval = 67; // 15 frames a second
}

ClockAnimation::ClockAnimation(QWidget *parent) : QWidget(parent) {
    m_timer.setInterval(FallbackInterval);
    connect(&m_timer, &QTimer::timeout, this, &ClockAnimation::advanceFrame);
}

void ClockAnimation::setFileName(const QString &fileOrResource) {
    m_fileName = fileOrResource;
    m_frames.clear();
    m_error.clear();
    m_loaded = false;
    m_loadTried = false;
    m_frame = FirstFrame;
    if (isVisible())
        ensureLoaded();
    update();
}

bool ClockAnimation::ensureLoaded() {
    if (m_loadTried)
        return m_loaded;
    m_loadTried = true;

    AviReader reader;
    if (!reader.open(m_fileName)) {
        m_error = reader.errorString();
        updateTimer();
        return false;
    }
    const int last = qMin(LastFrame, reader.frameCount());
    QList<QImage> frames;
    frames.reserve(last - FirstFrame + 1);
    for (int frame = FirstFrame; frame <= last; ++frame) {
        QString message;
        QImage image = decodeJpeg(reader.frameData(frame - 1), &message);
        if (image.isNull()) {
            m_error = QStringLiteral("%1, frame %2: %3").arg(m_fileName).arg(frame).arg(message);
            updateTimer();
            return false;
        }
        frames.append(image);
    }
    m_frames = frames;
    m_frameSize = m_frames.first().size();
    if (reader.microsecondsPerFrame() > 0)
        m_timer.setInterval(
            int(std::clamp<qint64>((reader.microsecondsPerFrame() + 500) / 1000, 1, 10000)));
    m_loaded = true;
    updateGeometry();
    updateTimer();
    update();
    return true;
}

void ClockAnimation::play() {
    m_playing = true;
    if (isVisible())
        ensureLoaded();
    updateTimer();
}

void ClockAnimation::stop() {
    m_playing = false;
    updateTimer();
}

QImage ClockAnimation::currentFrame() const {
    if (m_frames.isEmpty())
        return {};
    return m_frames.at(m_frame - FirstFrame);
}

QSize ClockAnimation::sizeHint() const {
    return m_frameSize;
}

void ClockAnimation::advanceFrame() {
    if (!ensureLoaded())
        return;
    m_frame = m_frame >= FirstFrame + frameCount() - 1 ? FirstFrame : m_frame + 1;
    update();
}

void ClockAnimation::paintEvent(QPaintEvent *) {
    if (m_frames.isEmpty())
        return;
    // The dial is drawn without the frame's square background, so the clock
    // stands on whatever panel holds it: the frame is cut to the circle
    // inscribed in it, with a soft edge.
    const QImage &image = m_frames.at(m_frame - FirstFrame);
    QImage dial(image.size(), QImage::Format_ARGB32_Premultiplied);
    dial.fill(Qt::transparent);
    {
        QPainter cut(&dial);
        cut.setRenderHint(QPainter::Antialiasing);
        cut.setPen(Qt::NoPen);
        cut.setBrush(Qt::black);
        cut.drawEllipse(QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        cut.setCompositionMode(QPainter::CompositionMode_SourceIn);
        cut.drawImage(0, 0, image);
    }
    QPainter painter(this);
    const QPoint corner((width() - image.width()) / 2, (height() - image.height()) / 2);
    painter.drawImage(corner, dial);
}

void ClockAnimation::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    ensureLoaded();
    updateTimer();
}

void ClockAnimation::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    updateTimer();
}

void ClockAnimation::updateTimer() {
    const bool run = m_playing && m_loaded && isVisible();
    if (run && !m_timer.isActive())
        m_timer.start();
    else if (!run)
        m_timer.stop();
}

} // namespace kv
