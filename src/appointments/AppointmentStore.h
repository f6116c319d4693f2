#pragma once
// The 50 appointment slots, kept as named values of the appointments key.
// Each field of slot N is its own value ("Date N", "Time N", ...); every
// change is written at once and nothing is cached.

#include "AppointmentFile.h"
#include "actual/actual.h"
#include "platform/Registry.h"
#include "platform/RegistryNames.h"

#include <QString>
#include <functional>
#include <optional>

namespace kv {

// The date test: (date text or "0", time text or "0") -> 0 failed, 1 ahead,
// 2 passed, 3 now.
using DateTest = std::function<int(const QString &date, const QString &time)>;
// The date test of the program: Actual from libactual, against the system clock.
DateTest systemDateTest();

// The date test for a slot with a date, a time or both (its results are
// ActualFailed .. ActualNow): the part not given is handed in as "0".
// Nothing when neither is given.
std::optional<int> testMoment(const DateTest &test, const std::optional<QString> &date,
                              const std::optional<QString> &time);

// What the slot loader shows of a slot. Values of the wrong form or type are
// read as absent.
struct SlotView {
    std::optional<QString> date; // exactly 8 characters
    std::optional<QString> time; // exactly 5 characters
    QString info;
    int repeat = 0;
    std::optional<int> link;
    bool armed = false; // "Termin N" exists
};

enum class ArmOutcome {
    Armed,
    Incomplete,        // "Niedokładnie określono termin przypomnienia."
    Passed,            // "Podany termin przypomnienia jest nieaktualny."
    TimePassedRepeats, // time only, repeat code above 0
    TimePassedOnce,    // time only, one-time
};

class AppointmentStore {
public:
    static constexpr int SlotCount = 50;

    explicit AppointmentStore(RegKey key) : m_key(std::move(key)) {}
    RegKey &key() { return m_key; }

    // "... jednorazowo" .. "... co rok"; empty for a code outside 0..41.
    static QString repeatText(int code);
    static QString armMessage(ArmOutcome outcome);

    SlotView load(int n) const;
    // A slot is free when its armed flag is absent or zero.
    bool slotIsFree(int n) const;
    // Whether the slot holds nothing at all: no date, time, message nor armed
    // flag. Only such a slot takes an appointment coming from outside (a
    // calendar file, a server).
    bool slotIsEmpty(int n) const;
    // The lowest free slot, or 0 when all are armed.
    int firstFreeSlot() const;

    void writeDate(int n, const QString &text) { m_key.writeString(names::date(n), text); }
    void deleteDate(int n) { m_key.deleteValue(names::date(n)); }
    void writeTime(int n, const QString &text) { m_key.writeString(names::time(n), text); }
    void deleteTime(int n) { m_key.deleteValue(names::time(n)); }
    // An empty message deletes "Info N".
    void writeInfo(int n, const QString &text);
    void writeRepeat(int n, int code) { m_key.writeInteger(names::repeat(n), code); }
    // The link field's text: its leading digits as a number; empty deletes.
    void writeLink(int n, const QString &fieldText);

    // Checks the slot as the editor shows it (dateBox, timeBox, repeat code)
    // and writes "Termin N" when it may be armed.
    ArmOutcome armSlot(int n, bool dateBox, bool timeBox, int repeatCode, const DateTest &test);
    void disarmSlot(int n) { m_key.deleteValue(names::termin(n)); }
    // All six values of the slot, each when present.
    void deleteSlot(int n);
    // Slot N as the record says, in place of what it held: date, time,
    // message, repeat code, armed flag and, when given, its identity; the
    // link stays with keepLink. No transaction of its own.
    void putRecord(int n, const AppointmentRecord &record, const QString &uid, bool keepLink);
    // After a one-time appointment fired: everything but "Repeat N".
    void deleteFired(int n);

    // Every slot as the export file carries it (values of the wrong type or
    // form read as absent).
    AppointmentFile::Records exportRecords() const;
    // Replaces the armed flag, date, time, message and repeat code of all 50
    // slots in one transaction: on an error none of them changes (and the
    // error goes on to the caller). The links stay as they are.
    void importRecords(const AppointmentFile::Records &records);

private:
    RegKey m_key;
};

// The leading decimal digits of a text as a number (0 when there are none).
int leadingNumber(const QString &text);

} // namespace kv
