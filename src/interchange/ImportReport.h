#pragma once
// What an import of a standard file (iCalendar, vCard) could not carry, item
// by item and by reason. Nothing is approximated: an item that cannot be held
// exactly is left out and counted.

#include <QString>
#include <map>

namespace kv {

enum class ImportRefusal {
    Past,       // a one-time event already past
    Rule,       // a repeat rule the program's periods cannot express
    TooLong,    // a text longer than the program's cell for it
    Characters, // a text with characters the program's files cannot hold
    NoRoom,     // more items than free places
    Unreadable, // an item without what it needs (no start, no name, ...)
    Cancelled,  // an event or a to-do its calendar marks as cancelled
    MoreValues, // a card with more numbers or addresses than an entry has fields for
};
using RefusalCounts = std::map<ImportRefusal, int>;

// The reason in Polish, for the confirmation before an import.
QString refusalText(ImportRefusal reason);
// "Pominięte – 6: nieobsługiwany okres powtarzania – 4; ..." on a line of its
// own after the first; nothing when nothing was left out.
QString refusalSummary(const RefusalCounts &refused);

} // namespace kv
