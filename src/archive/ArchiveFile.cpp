#include "ArchiveFile.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>

namespace kv {

ArchiveFile::ArchiveFile(QString folder) : m_folder(std::move(folder)) {}

QString ArchiveFile::filePath() const {
    return QDir(m_folder).filePath(kFileName);
}

bool ArchiveFile::load() {
    const BlockImage::LoadStatus status = m_image.load(filePath());
    return status != BlockImage::LoadStatus::Missing && status != BlockImage::LoadStatus::Failed;
}

BlockImage::LoadStatus ArchiveFile::loadWhole() {
    const BlockImage::LoadStatus status = m_image.load(filePath());
    if (status == BlockImage::LoadStatus::Whole && QFileInfo(filePath()).size() != kFileSize)
        return BlockImage::LoadStatus::Short; // longer than an archive: not one we wrote
    return status;
}

bool ArchiveFile::save() const {
    return m_image.save(filePath());
}

ArchiveFile::AppendResult ArchiveFile::append(const QString &dateText, const QString &messageText) {
    // A missing file leaves the image as it was and is made anew; a file
    // that was not read whole is never written over.
    const BlockImage::LoadStatus loaded = loadWhole();
    if (loaded != BlockImage::LoadStatus::Whole && loaded != BlockImage::LoadStatus::Missing)
        return {AppendResult::WriteFailed, 0};

    int entry = 0;
    for (int n = 1; n <= kEntries; ++n) {
        if (m_image.isEmpty(kDates, n)) {
            entry = n;
            break;
        }
    }

    if (entry == 0)
        return {AppendResult::Full, 0}; // nothing to write: the file stays as it is

    char *dc = m_image.cell(kDates, entry);
    char *mc = m_image.cell(kMessages, entry);
    char oldDate[kDateWidth];
    char oldMessage[kMessageWidth];
    std::memcpy(oldDate, dc, kDateWidth);
    std::memcpy(oldMessage, mc, kMessageWidth);

    Cells::write(dc, kDateWidth, Cells::encodeCut(dateText, kMaxDateBytes));
    Cells::write(mc, kMessageWidth, Cells::encodeCut(messageText, kMaxMessageBytes));

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
    if (loadWhole() != BlockImage::LoadStatus::Whole)
        return false;
    char *dc = m_image.cell(kDates, entry);
    char *mc = m_image.cell(kMessages, entry);
    const char oldDate = *dc;
    const char oldMessage = *mc;
    Cells::clear(dc);
    Cells::clear(mc);
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
    return m_image.text(kDates, entry);
}

QString ArchiveFile::messageText(int entry) const {
    if (entry < 1 || entry > kEntries)
        return {};
    return m_image.text(kMessages, entry);
}

bool ArchiveFile::isOccupied(int entry) const {
    return entry >= 1 && entry <= kEntries && !m_image.isEmpty(kDates, entry);
}

} // namespace kv
