#pragma once
// The properties this program writes of its own into iCalendar and vCard
// files: their one home.

namespace kv::property {

// A slot's armed state, "1" or "0" (an event without it is armed).
inline constexpr char Armed[] = "X-KELVADRIN-ARMED";
// The address entry an event is linked to; in a card, the entry it was written from.
inline constexpr char Entry[] = "X-KELVADRIN-ENTRY";
// Beside a rule that is not exact: the days the program fires on.
inline constexpr char Note[] = "X-KELVADRIN-NOTE";
// A slot with a time and no date: its time as the slot holds it (the start
// is that time of the day written).
inline constexpr char TimeOnly[] = "X-KELVADRIN-TIME-ONLY";
// A dated slot as the program holds it ("MM/DD/YY;HH:MM;code"): a day past a
// month's end or an hour 24 fires as DTSTART says, but the slot keeps its own.
inline constexpr char Slot[] = "X-KELVADRIN-SLOT";

} // namespace kv::property
