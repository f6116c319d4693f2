#pragma once
// The appointment export file (".ter"): 31 680 bytes, 60 records of 528 bytes,
// record N (1..50) holding appointment slot N. Texts are Windows-1250 and end
// with a zero byte within their field; the repeat code is a 32-bit integer,
// least significant byte first.
//
//   offset  size  field
//        0     1  armed (1 or 0)
//        1    10  date MM/DD/YY
//       11    10  time HH:MM
//       21   501  message
//      522     2  (alignment, unused)
//      524     4  repeat code 0..41

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>

namespace kv {

// One appointment as the file carries it. An empty text is an absent value.
struct AppointmentRecord {
    bool armed = false;
    QString date;    // "" or MM/DD/YY
    QString time;    // "" or HH:MM
    QString message; // "" or up to 500 characters, line breaks as CR LF
    int repeat = 0;  // 0..41

    bool operator==(const AppointmentRecord &) const = default;
};

class AppointmentFile {
public:
    static constexpr int RecordSize = 528;
    static constexpr int RecordCount = 60;
    static constexpr int FileSize = RecordSize * RecordCount; // 31 680
    static constexpr int SlotCount = 50;
    static constexpr int MessageBytes = 500;

    // Slot N at index N - 1.
    using Records = std::array<AppointmentRecord, SlotCount>;

    enum class ReadResult { Ok, WrongLength, DamagedRecord };

    // The whole file. Unused bytes are zero. A date or time not of its form
    // is written as no value; a message is cut to 500 bytes (never between
    // the CR and the LF of a line break); a repeat code outside 0..41 is 0.
    static QByteArray write(const Records &records);

    // Reads a whole file. Refuses a file of another length, and one where
    // any record 1..50 fails `recordIsSound`; *badRecord then names it.
    static ReadResult read(QByteArrayView bytes, Records *records, int *badRecord = nullptr);

    // The checks of one 528-byte record: the armed byte is 0 or 1, each text
    // ends with a zero byte within its field, a non-empty date is MM/DD/YY and
    // a non-empty time HH:MM of digits, the repeat code is 0..41.
    static bool recordIsSound(QByteArrayView record);

    // The stored text forms the file can carry.
    static bool isDateText(const QString &text);
    static bool isTimeText(const QString &text);
};

} // namespace kv
