#pragma once
// The 50 appointment slots, kept as named values of the appointments key.
// Each field of slot N is its own value ("Date N", "Time N", ...); every
// change is written at once and nothing is cached.

#include "platform/Registry.h"

#include <QString>
#include <functional>
#include <optional>

namespace kv {

// The date test: (date text or "0", time text or "0") -> 0 failed, 1 ahead,
// 2 passed, 3 now.
using DateTest = std::function<int(const QString &date, const QString &time)>;
// The date test of the program: Actual from libactual, against the system clock.
DateTest systemDateTest();

enum ActualResult { ActualFailed = 0, ActualAhead = 1, ActualPassed = 2, ActualNow = 3 };

inline constexpr const char *kAppointmentsKey = "Software\\Kelvadrin\\Terminy";

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

    static QString termin(int n) { return QStringLiteral("Termin %1").arg(n); }
    static QString date(int n) { return QStringLiteral("Date %1").arg(n); }
    static QString time(int n) { return QStringLiteral("Time %1").arg(n); }
    static QString info(int n) { return QStringLiteral("Info %1").arg(n); }
    static QString repeat(int n) { return QStringLiteral("Repeat %1").arg(n); }
    // The link value: written "Add adress N", read as "Add Adress N"; one value.
    static QString link(int n) { return QStringLiteral("Add adress %1").arg(n); }

    // "... jednorazowo" .. "... co rok"; empty for a code outside 0..41.
    static QString repeatText(int code);
    static QString armMessage(ArmOutcome outcome);

    SlotView load(int n) const;
    // A slot is free when its armed flag is absent or zero.
    bool slotIsFree(int n) const;
    // The lowest free slot, or 0 when all are armed.
    int firstFreeSlot() const;

    void writeDate(int n, const QString &text) { m_key.writeString(date(n), text); }
    void deleteDate(int n) { m_key.deleteValue(date(n)); }
    void writeTime(int n, const QString &text) { m_key.writeString(time(n), text); }
    void deleteTime(int n) { m_key.deleteValue(time(n)); }
    // An empty message deletes "Info N".
    void writeInfo(int n, const QString &text);
    void writeRepeat(int n, int code) { m_key.writeInteger(repeat(n), code); }
    // The link field's text: its leading digits as a number; empty deletes.
    void writeLink(int n, const QString &fieldText);

    // Checks the slot as the editor shows it (dateBox, timeBox, repeat code)
    // and writes "Termin N" when it may be armed.
    ArmOutcome armSlot(int n, bool dateBox, bool timeBox, int repeatCode, const DateTest &test);
    void disarmSlot(int n) { m_key.deleteValue(termin(n)); }
    // All six values of the slot, each when present.
    void deleteSlot(int n);
    // After a one-time appointment fired: everything but "Repeat N".
    void deleteFired(int n);

private:
    RegKey m_key;
};

// The leading decimal digits of a text as a number (0 when there are none).
int leadingNumber(const QString &text);

} // namespace kv
