#include "ArchiveFile.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstring>

namespace kv {

namespace {

// Reads up to size bytes; stops early at the end of the file or on an error.
// Returns false when the file ended (or failed) before size bytes.
bool readBlock(QFile &file, char *data, qsizetype size) {
    while (size > 0) {
        const qint64 n = file.read(data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= qsizetype(n);
    }
    return true;
}

// A cell's text: up to the first NUL, or the whole cell when it has none.
QString cellText(const char *cell, qsizetype width) {
    const char *end = static_cast<const char *>(std::memchr(cell, 0, size_t(width)));
    return Cp1250::decode(QByteArrayView(cell, end ? end - cell : width));
}

// Shortens an encoded message to at most limit bytes without leaving the CR of
// a CR LF pair at the end while its LF is cut off.
void cutMessage(QByteArray &bytes, qsizetype limit) {
    if (bytes.size() <= limit)
        return;
    qsizetype keep = limit;
    if (keep > 0 && bytes[keep - 1] == '\r' && bytes[keep] == '\n')
        --keep;
    bytes.truncate(keep);
}

} // namespace

ArchiveFile::ArchiveFile(QString folder)
    : m_folder(std::move(folder)), m_dates(static_cast<char *>(std::calloc(kDateBlockSize, 1))),
      m_messages(static_cast<char *>(std::calloc(kMessageBlockSize, 1))) {
    if (!m_dates || !m_messages)
        throw std::bad_alloc();
}

ArchiveFile::~ArchiveFile() = default;

QString ArchiveFile::filePath() const {
    return QDir(m_folder).filePath(kFileName);
}

bool ArchiveFile::load() {
    // Unbuffered: the blocks are read straight into the image, and no
    // translation of any byte takes place (no QIODevice::Text).
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    if (readBlock(file, m_dates.get(), kDateBlockSize))
        readBlock(file, m_messages.get(), kMessageBlockSize);
    return true;
}

bool ArchiveFile::save() const {
    return AtomicFile::write(filePath(), {dateBlock(), messageBlock()}, 0600);
}

ArchiveFile::AppendResult ArchiveFile::append(const QString &dateText, const QString &messageText) {
    load(); // a missing file leaves the image as it was

    int entry = 0;
    for (int n = 1; n <= kEntries; ++n) {
        if (*dateCell(n) == 0) {
            entry = n;
            break;
        }
    }

    if (entry == 0)
        return {save() ? AppendResult::Full : AppendResult::WriteFailed, 0};

    QByteArray date = Cp1250::encode(dateText);
    date.truncate(kMaxDateBytes);
    QByteArray message = Cp1250::encode(messageText);
    cutMessage(message, kMaxMessageBytes);

    char *dc = dateCell(entry);
    char *mc = messageCell(entry);
    char oldDate[kDateWidth];
    char oldMessage[kMessageWidth];
    std::memcpy(oldDate, dc, kDateWidth);
    std::memcpy(oldMessage, mc, kMessageWidth);

    std::memcpy(dc, date.constData(), size_t(date.size()));
    dc[date.size()] = 0;
    std::memcpy(mc, message.constData(), size_t(message.size()));
    mc[message.size()] = 0;

    if (!save()) {
        // Keep the image equal to the file, so no phantom entry shows up.
        std::memcpy(dc, oldDate, kDateWidth);
        std::memcpy(mc, oldMessage, kMessageWidth);
        return {AppendResult::WriteFailed, 0};
    }
    return {AppendResult::Stored, entry};
}

bool ArchiveFile::remove(int entry) {
    if (entry < 1 || entry > kEntries)
        return false;
    load();
    char *dc = dateCell(entry);
    char *mc = messageCell(entry);
    const char oldDate = *dc;
    const char oldMessage = *mc;
    *dc = 0;
    *mc = 0;
    if (!save()) {
        *dc = oldDate;
        *mc = oldMessage;
        return false;
    }
    return true;
}

QString ArchiveFile::dateText(int entry) const {
    if (entry < 1 || entry > kEntries)
        return {};
    return cellText(dateCell(entry), kDateWidth);
}

QString ArchiveFile::messageText(int entry) const {
    if (entry < 1 || entry > kEntries)
        return {};
    return cellText(messageCell(entry), kMessageWidth);
}

bool ArchiveFile::isOccupied(int entry) const {
    return entry >= 1 && entry <= kEntries && *dateCell(entry) != 0;
}

} // namespace kv
