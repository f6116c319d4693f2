#include "AddressFile.h"

#include "platform/AtomicFile.h"
#include "platform/DateText.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

QString AddressRecord::field(int block) const {
    switch (block) {
    case AddressFile::Name:
        return name;
    case AddressFile::Town:
        return town;
    case AddressFile::Code:
        return code;
    case AddressFile::Street:
        return street;
    case AddressFile::Phone:
        return phone;
    case AddressFile::Email:
        return email;
    case AddressFile::Icq:
        return icq;
    case AddressFile::Notes:
        return notes;
    }
    return {};
}

void AddressRecord::setField(int block, const QString &text) {
    switch (block) {
    case AddressFile::Name:
        name = text;
        break;
    case AddressFile::Town:
        town = text;
        break;
    case AddressFile::Code:
        code = text;
        break;
    case AddressFile::Street:
        street = text;
        break;
    case AddressFile::Phone:
        phone = text;
        break;
    case AddressFile::Email:
        email = text;
        break;
    case AddressFile::Icq:
        icq = text;
        break;
    case AddressFile::Notes:
        notes = text;
        break;
    }
}

AddressFile::AddressFile(QString folder) : m_folder(std::move(folder)) {}

QString AddressFile::filePath() const {
    return QDir(m_folder).filePath(kFileName);
}

bool AddressFile::AddressFileSizeOk(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISREG(info.st_mode) && info.st_size == kFileSize;
}

AddressFile::Presence AddressFile::presence(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Presence::Missing;
        return errno == EACCES ? Presence::Denied : Presence::Unknown;
    }
    if (::access(name.constData(), R_OK) != 0)
        return errno == EACCES ? Presence::Denied : Presence::Unknown;
    return Presence::Exists;
}

BlockImage::LoadStatus AddressFile::LoadAddressImage(int blocks) {
    return m_image.load(filePath(), blocks);
}

bool AddressFile::SaveAddressImage() const {
    return m_image.save(filePath());
}

bool AddressFile::CreateAddressFile() {
    for (int n = 0; n < kEntries; ++n)
        ClearEntry(n);
    return SaveAddressImage();
}

bool AddressFile::isFree(int entry) const {
    for (int b = 0; b < FieldCount; ++b)
        if (!m_image.isEmpty(b, entry))
            return false;
    return true;
}

int AddressFile::FindFreeEntry() const {
    for (int n = 1; n <= kLastEntry; ++n)
        if (isFree(n))
            return n;
    return 0;
}

QList<int> AddressFile::freeEntries() const {
    QList<int> out;
    for (int n = 1; n <= kLastEntry; ++n)
        if (isFree(n))
            out << n;
    if (isFree(0))
        out << 0;
    return out;
}

void AddressFile::ClearEntry(int entry) {
    if (!inRange(entry))
        return;
    for (int b = 0; b < FieldCount; ++b)
        m_image.clear(b, entry);
}

QString AddressFile::text(Field field, int entry) const {
    if (!inRange(entry) || field < 0 || field >= FieldCount)
        return {};
    return m_image.text(field, entry);
}

AddressRecord AddressFile::readEntry(int entry) const {
    AddressRecord record;
    for (int b = 0; b < FieldCount; ++b)
        record.setField(b, text(Field(b), entry));
    return record;
}

void AddressFile::writeEntry(int entry, const AddressRecord &record) {
    if (!inRange(entry))
        return;
    for (int b = 0; b < FieldCount; ++b)
        m_image.setText(b, entry, record.field(b));
}

AddressFile::Status AddressFile::loadWhole() {
    const QString path = filePath();
    if (presence(path) == Presence::Missing)
        return Status::NoFile;
    if (!AddressFileSizeOk(path))
        return Status::Damaged;
    switch (LoadAddressImage()) {
    case BlockImage::LoadStatus::Whole:
        return Status::Done;
    case BlockImage::LoadStatus::Missing:
        return Status::NoFile;
    case BlockImage::LoadStatus::Short:
    case BlockImage::LoadStatus::Failed:
        break;
    }
    return Status::Damaged;
}

AddressFile::StoreResult AddressFile::storeEntry(int entry, const AddressRecord &record) {
    if (entry > kLastEntry)
        return {Status::OutOfRange, 0};
    const Status loaded = loadWhole();
    if (loaded == Status::Damaged)
        return {Status::Damaged, 0};
    if (loaded == Status::NoFile) {
        // A fresh book: nothing left in memory by an earlier operation goes
        // into the new file.
        for (int n = 0; n < kEntries; ++n)
            ClearEntry(n);
    }
    if (entry < 0) {
        entry = FindFreeEntry();
        if (entry == 0)
            return {Status::Full, 0};
    }
    writeEntry(entry, record);
    if (!SaveAddressImage())
        return {Status::WriteFailed, 0};
    return {Status::Done, entry};
}

AddressFile::Status AddressFile::deleteEntry(int entry) {
    if (!inRange(entry))
        return Status::OutOfRange;
    const Status loaded = loadWhole();
    if (loaded != Status::Done)
        return loaded;
    ClearEntry(entry);
    return SaveAddressImage() ? Status::Done : Status::WriteFailed;
}

int AddressFile::search(Field field, const QString &foldedTerm, int after, Status *status) {
    const BlockImage::LoadStatus loaded = LoadAddressImage(Notes);
    if (loaded == BlockImage::LoadStatus::Missing || loaded == BlockImage::LoadStatus::Failed) {
        if (status)
            *status = Status::NoFile;
        return 0;
    }
    if (status)
        *status = Status::Done;
    if (field < 0 || field >= Notes)
        return 0;
    for (int n = std::max(after, 0) + 1; n <= kLastEntry; ++n) {
        if (m_image.isEmpty(field, n))
            continue;
        if (foldCase(m_image.text(field, n)).contains(foldedTerm))
            return n;
    }
    return 0;
}

bool AddressFile::copyFile(const QString &source, const QString &target) {
    // Never waits on a FIFO or a device put where a file was.
    const std::optional<QByteArray> data =
        RegularFile::read(source, std::numeric_limits<int>::max());
    return data && AtomicFile::write(target, *data, 0600);
}

} // namespace kv
