#include "AppointmentFile.h"

#include "platform/Cp1250.h"

#include <QtEndian>
#include <cstring>

namespace kv {

namespace {

constexpr int kArmed = 0;
constexpr int kDate = 1;
constexpr int kDateSize = 10;
constexpr int kTime = 11;
constexpr int kTimeSize = 10;
constexpr int kMessage = 21;
constexpr int kMessageSize = 501;
constexpr int kRepeat = 524;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits at the given positions of an ASCII text and the separator between.
bool digitForm(QByteArrayView text, int length, char separator) {
    if (text.size() != length)
        return false;
    for (int i = 0; i < length; ++i) {
        const bool separatorPlace = (i % 3) == 2;
        if (separatorPlace ? text[i] != separator : !isDigit(text[i]))
            return false;
    }
    return true;
}

// The text of a field up to its zero byte; nothing when there is none.
std::optional<QByteArrayView> fieldText(QByteArrayView record, int offset, int size) {
    const QByteArrayView field = record.sliced(offset, size);
    const qsizetype end = field.indexOf('\0');
    if (end < 0)
        return std::nullopt;
    return field.first(end);
}

void putText(char *record, int offset, const QByteArray &text) {
    std::memcpy(record + offset, text.constData(), size_t(text.size()));
    record[offset + text.size()] = '\0';
}

} // namespace

bool AppointmentFile::isDateText(const QString &text) {
    return text.size() == 8 && digitForm(QByteArrayView(text.toLatin1()), 8, '/');
}

bool AppointmentFile::isTimeText(const QString &text) {
    return text.size() == 5 && digitForm(QByteArrayView(text.toLatin1()), 5, ':');
}

QByteArray AppointmentFile::write(const Records &records) {
    QByteArray file(FileSize, '\0');
    for (int n = 1; n <= SlotCount; ++n) {
        const AppointmentRecord &r = records[size_t(n - 1)];
        char *record = file.data() + qsizetype(n) * RecordSize;
        record[kArmed] = r.armed ? 1 : 0;
        if (isDateText(r.date))
            putText(record, kDate, r.date.toLatin1());
        if (isTimeText(r.time))
            putText(record, kTime, r.time.toLatin1());
        QByteArray message = Cp1250::encode(r.message);
        if (message.size() > MessageBytes) {
            message.truncate(MessageBytes);
            if (message.endsWith('\r'))
                message.chop(1);
        }
        putText(record, kMessage, message);
        const qint32 repeat = (r.repeat >= 0 && r.repeat <= 41) ? r.repeat : 0;
        qToLittleEndian<qint32>(repeat, record + kRepeat);
    }
    return file;
}

bool AppointmentFile::recordIsSound(QByteArrayView record) {
    if (record.size() != RecordSize)
        return false;
    const auto armed = static_cast<unsigned char>(record[kArmed]);
    if (armed > 1)
        return false;
    const auto date = fieldText(record, kDate, kDateSize);
    const auto time = fieldText(record, kTime, kTimeSize);
    const auto message = fieldText(record, kMessage, kMessageSize);
    if (!date || !time || !message)
        return false;
    if (!date->isEmpty() && !digitForm(*date, 8, '/'))
        return false;
    if (!time->isEmpty() && !digitForm(*time, 5, ':'))
        return false;
    const qint32 repeat = qFromLittleEndian<qint32>(record.data() + kRepeat);
    return repeat >= 0 && repeat <= 41;
}

AppointmentFile::ReadResult AppointmentFile::read(QByteArrayView bytes, Records *records,
                                                  int *badRecord) {
    if (bytes.size() != FileSize)
        return ReadResult::WrongLength;
    Records read;
    for (int n = 1; n <= SlotCount; ++n) {
        const QByteArrayView record = bytes.sliced(qsizetype(n) * RecordSize, RecordSize);
        if (!recordIsSound(record)) {
            if (badRecord)
                *badRecord = n;
            return ReadResult::DamagedRecord;
        }
        AppointmentRecord &r = read[size_t(n - 1)];
        r.armed = record[kArmed] == 1;
        r.date = QString::fromLatin1(*fieldText(record, kDate, kDateSize));
        r.time = QString::fromLatin1(*fieldText(record, kTime, kTimeSize));
        r.message = Cp1250::decode(*fieldText(record, kMessage, kMessageSize));
        r.repeat = qFromLittleEndian<qint32>(record.data() + kRepeat);
    }
    if (records)
        *records = read;
    return ReadResult::Ok;
}

} // namespace kv
