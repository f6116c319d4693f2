#pragma once
// Reader of Motion-JPEG AVI files (the validity clock's "Clock.avi").

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSize>
#include <QString>

namespace kv {

// Parses a RIFF 'AVI ' file whose first video stream is Motion JPEG and gives
// the JPEG bytes of each frame. Every length in the file is checked against the
// bytes actually present; a damaged file is refused with a message.
class AviReader {
public:
    AviReader() = default;

    // Reads a file or a resource (":/kelvadrin/Clock.avi") and parses it.
    bool open(const QString &fileOrResource);
    // Parses AVI bytes held in memory. Replaces whatever was loaded before.
    bool load(const QByteArray &data);

    bool isValid() const { return !m_frames.isEmpty(); }
    QString errorString() const { return m_error; }

    int frameCount() const { return int(m_frames.size()); }
    QSize frameSize() const { return m_frameSize; }
    // Display time of one frame; 0 when the file states no rate.
    qint64 microsecondsPerFrame() const { return m_usecPerFrame; }
    // The JPEG bytes of frame index (0-based, 0 .. frameCount() - 1); empty when
    // the index is out of range. Valid as long as this reader is unchanged.
    QByteArrayView frameData(int index) const;

private:
    struct Span {
        qsizetype offset = 0;
        qsizetype size = 0;
    };
    bool fail(const QString &message);
    bool parseHeaderList(qsizetype begin, qsizetype end);
    bool parseStreamList(qsizetype begin, qsizetype end, int streamNumber);
    bool parseMovie(qsizetype begin, qsizetype end, int depth);

    QByteArray m_data;
    QList<Span> m_frames;
    QString m_error;
    QSize m_frameSize;
    qint64 m_usecPerFrame = 0;
    qint64 m_streamUsecPerFrame = 0;
    int m_videoStream = -1;
    int m_streamCount = 0;
};

} // namespace kv
