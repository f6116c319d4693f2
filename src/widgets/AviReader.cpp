#include "AviReader.h"

#include <QFile>
#include <climits>

namespace kv {

namespace {

constexpr qint64 MaxFileSize = qint64(256) * 1024 * 1024;
constexpr int MaxListDepth = 8;

quint32 readU32(const QByteArray &data, qsizetype at) {
    const auto *p = reinterpret_cast<const uchar *>(data.constData()) + at;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

qint32 readI32(const QByteArray &data, qsizetype at) {
    return qint32(readU32(data, at));
}

QByteArrayView fourCC(const QByteArray &data, qsizetype at) {
    return QByteArrayView(data.constData() + at, 4);
}

bool isMotionJpeg(QByteArrayView code) {
    const QByteArray upper = code.toByteArray().toUpper();
    return upper == "MJPG" || upper == "JPEG" || upper == "AVRN" || upper == "LJPG" ||
           upper == "DMB1";
}

// One chunk header inside [pos, end): its id, the start and size of its body,
// and where the next chunk begins (bodies are padded to an even length).
struct Chunk {
    QByteArrayView id;
    qsizetype body = 0;
    qsizetype size = 0;
    qsizetype next = 0;
};

// Returns false when the header or the body does not fit in [pos, end).
bool readChunk(const QByteArray &data, qsizetype pos, qsizetype end, Chunk *chunk) {
    if (end - pos < 8)
        return false;
    chunk->id = fourCC(data, pos);
    chunk->size = qsizetype(readU32(data, pos + 4));
    chunk->body = pos + 8;
    if (chunk->size > end - chunk->body)
        return false;
    chunk->next = chunk->body + chunk->size + (chunk->size & 1);
    if (chunk->next > end)
        chunk->next = end; // the last chunk may lack its pad byte
    return true;
}

} // namespace

bool AviReader::fail(const QString &message) {
    m_frames.clear();
    m_error = message;
    return false;
}

bool AviReader::open(const QString &fileOrResource) {
    QFile file(fileOrResource);
    if (!file.open(QIODevice::ReadOnly)) {
        m_data.clear();
        return fail(QStringLiteral("Cannot open %1: %2").arg(fileOrResource, file.errorString()));
    }
    if (file.size() > MaxFileSize) {
        m_data.clear();
        return fail(QStringLiteral("%1 is too large").arg(fileOrResource));
    }
    if (!load(file.readAll())) {
        m_error = QStringLiteral("%1: %2").arg(fileOrResource, m_error);
        return false;
    }
    return true;
}

bool AviReader::load(const QByteArray &data) {
    m_data = data;
    m_frames.clear();
    m_error.clear();
    m_frameSize = QSize();
    m_usecPerFrame = 0;
    m_streamUsecPerFrame = 0;
    m_videoStream = -1;
    m_streamCount = 0;

    if (m_data.size() < 12 || fourCC(m_data, 0) != "RIFF" || fourCC(m_data, 8) != "AVI ")
        return fail(QStringLiteral("Not an AVI file"));
    const qsizetype riffEnd = 8 + qsizetype(readU32(m_data, 4));
    if (riffEnd > m_data.size())
        return fail(QStringLiteral("The AVI file is truncated"));

    bool haveHeader = false;
    bool haveMovie = false;
    Chunk chunk;
    for (qsizetype pos = 12; pos < riffEnd; pos = chunk.next) {
        if (!readChunk(m_data, pos, riffEnd, &chunk))
            return fail(QStringLiteral("Damaged chunk at byte %1").arg(pos));
        if (chunk.id != "LIST" || chunk.size < 4)
            continue; // idx1, JUNK and the like: the frames are found in 'movi' itself
        const QByteArrayView listType = fourCC(m_data, chunk.body);
        const qsizetype listEnd = chunk.body + chunk.size;
        if (listType == "hdrl") {
            if (!parseHeaderList(chunk.body + 4, listEnd))
                return false;
            haveHeader = true;
        } else if (listType == "movi") {
            if (!haveHeader)
                return fail(QStringLiteral("The movie data comes before the AVI header"));
            if (!parseMovie(chunk.body + 4, listEnd, 0))
                return false;
            haveMovie = true;
        }
    }
    if (!haveHeader)
        return fail(QStringLiteral("The AVI header is missing"));
    if (!haveMovie)
        return fail(QStringLiteral("The AVI movie data is missing"));
    if (m_frames.isEmpty())
        return fail(QStringLiteral("The AVI file holds no video frames"));
    if (m_usecPerFrame <= 0)
        m_usecPerFrame = m_streamUsecPerFrame;
    return true;
}

bool AviReader::parseHeaderList(qsizetype begin, qsizetype end) {
    bool haveMainHeader = false;
    Chunk chunk;
    for (qsizetype pos = begin; pos < end; pos = chunk.next) {
        if (!readChunk(m_data, pos, end, &chunk))
            return fail(QStringLiteral("Damaged AVI header at byte %1").arg(pos));
        if (chunk.id == "avih") {
            if (chunk.size < 40)
                return fail(QStringLiteral("The AVI main header is too short"));
            m_usecPerFrame = readU32(m_data, chunk.body);
            const qint32 width = readI32(m_data, chunk.body + 32);
            const qint32 height = readI32(m_data, chunk.body + 36);
            m_frameSize = QSize(width, height);
            haveMainHeader = true;
        } else if (chunk.id == "LIST" && chunk.size >= 4 && fourCC(m_data, chunk.body) == "strl") {
            if (!parseStreamList(chunk.body + 4, chunk.body + chunk.size, m_streamCount++))
                return false;
        }
    }
    if (!haveMainHeader)
        return fail(QStringLiteral("The AVI main header is missing"));
    if (m_videoStream < 0)
        return fail(QStringLiteral("The AVI file has no Motion-JPEG video stream"));
    return true;
}

bool AviReader::parseStreamList(qsizetype begin, qsizetype end, int streamNumber) {
    bool isVideo = false;
    bool jpegHandler = false;
    bool jpegFormat = false;
    bool formatGiven = false;
    qint64 usecPerFrame = 0;
    QSize size;
    Chunk chunk;
    for (qsizetype pos = begin; pos < end; pos = chunk.next) {
        if (!readChunk(m_data, pos, end, &chunk))
            return fail(QStringLiteral("Damaged AVI stream header at byte %1").arg(pos));
        if (chunk.id == "strh") {
            if (chunk.size < 48)
                return fail(QStringLiteral("The AVI stream header is too short"));
            isVideo = fourCC(m_data, chunk.body) == "vids";
            jpegHandler = isMotionJpeg(fourCC(m_data, chunk.body + 4));
            const quint32 scale = readU32(m_data, chunk.body + 20);
            const quint32 rate = readU32(m_data, chunk.body + 24);
            if (scale > 0 && rate > 0)
                usecPerFrame = qint64(scale) * 1000000 / rate;
        } else if (chunk.id == "strf" && chunk.size >= 20) {
            formatGiven = true;
            // A negative height marks a top-down picture; -2^31 has no size.
            const qint64 height = qAbs(qint64(readI32(m_data, chunk.body + 8)));
            if (height <= INT_MAX)
                size = QSize(readI32(m_data, chunk.body + 4), int(height));
            jpegFormat = isMotionJpeg(fourCC(m_data, chunk.body + 16));
        }
    }
    // The format's compression code decides; the handler code is only a fallback.
    const bool jpeg = formatGiven ? jpegFormat : jpegHandler;
    if (isVideo && jpeg && m_videoStream < 0) {
        m_videoStream = streamNumber;
        m_streamUsecPerFrame = usecPerFrame;
        if ((m_frameSize.width() <= 0 || m_frameSize.height() <= 0) && size.isValid())
            m_frameSize = size;
    }
    return true;
}

bool AviReader::parseMovie(qsizetype begin, qsizetype end, int depth) {
    if (depth > MaxListDepth)
        return fail(QStringLiteral("The AVI movie lists are nested too deeply"));
    const QByteArray stream = QByteArray::number(m_videoStream).rightJustified(2, '0');
    Chunk chunk;
    for (qsizetype pos = begin; pos < end; pos = chunk.next) {
        if (!readChunk(m_data, pos, end, &chunk))
            return fail(QStringLiteral("Damaged AVI frame chunk at byte %1").arg(pos));
        if (chunk.id == "LIST") {
            if (chunk.size >= 4 && fourCC(m_data, chunk.body) == "rec ") {
                if (!parseMovie(chunk.body + 4, chunk.body + chunk.size, depth + 1))
                    return false;
            }
            continue;
        }
        if (chunk.id.first(2) != stream)
            continue;
        const QByteArrayView kind = chunk.id.sliced(2);
        if (kind != "dc" && kind != "db")
            continue;
        if (chunk.size == 0) {
            // An empty chunk repeats the frame before it.
            if (!m_frames.isEmpty())
                m_frames.append(m_frames.last());
            continue;
        }
        m_frames.append(Span{chunk.body, chunk.size});
    }
    return true;
}

QByteArrayView AviReader::frameData(int index) const {
    if (index < 0 || index >= m_frames.size())
        return {};
    const Span &span = m_frames.at(index);
    return QByteArrayView(m_data.constData() + span.offset, span.size);
}

} // namespace kv
