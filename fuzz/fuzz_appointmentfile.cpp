// Fuzz target: the appointment export file reader and its record check. Any
// input is either refused or read into records that write back to a file the
// reader takes again and that writes back byte for byte (the first writing
// may turn bytes Windows-1250 leaves undefined into "?").

#include "appointments/AppointmentFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    using kv::AppointmentFile;
    for (qsizetype at = 0; at + AppointmentFile::RecordSize <= bytes.size();
         at += AppointmentFile::RecordSize)
        (void)AppointmentFile::recordIsSound(bytes.sliced(at, AppointmentFile::RecordSize));

    AppointmentFile::Records records;
    int bad = 0;
    if (AppointmentFile::read(bytes, &records, &bad) != AppointmentFile::ReadResult::Ok)
        return 0;
    const QByteArray written = AppointmentFile::write(records);
    AppointmentFile::Records again;
    if (AppointmentFile::read(written, &again) != AppointmentFile::ReadResult::Ok ||
        AppointmentFile::write(again) != written)
        std::abort();
    return 0;
}
