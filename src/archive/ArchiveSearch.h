#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace kv {

class ArchiveFile;

// What the archive tab searches for: a piece of text, or a (partial) date.
struct ArchiveCriteria {
    bool byDate = false; // date mode; otherwise expression mode
    QString expression;
    QString day;   // at most 2 characters
    QString month; // at most 2 characters
    QString year;  // at most 4 characters
};

// The search over the archive image: criteria, matching and result rows.
//
// The search works on the cells' bytes: the expression is folded (A-Z and the
// Polish letters, see foldCase) and encoded in Windows-1250 once, every
// message is compared byte by byte through a table made from the same
// folding, and only the matching entries are copied. Results keep the entry
// number and the date and message bytes as they were at the search, so a
// later delete can tell whether the archive changed in between.
class ArchiveSearch {
public:
    struct Row {
        int entry;          // archive entry number 1..9999
        QByteArray date;    // the date cell's bytes at the search
        QByteArray message; // the message cell's bytes at the search
    };

    // An expression in expression mode, or at least one date field in date mode.
    static bool hasCriteria(const ArchiveCriteria &criteria);
    // Every date field that is not empty holds decimal digits only (checked in
    // both modes).
    static bool datesValid(const ArchiveCriteria &criteria);
    // " Odnaleziono 3 wiadomości." (" wiadomość." for one), or
    // " Nie odnaleziono żadnych wiadomości." for none.
    static QString countText(int count);
    // " 5 marca 2004" for the stored date 03/05/04.
    static QString rowText(const QByteArray &dateBytes);

    // Examines entries 1..9999 of the image as last loaded and keeps the
    // matching ones in ascending order. `progress` (may be empty) is told the
    // entry number reached now and then.
    void run(const ArchiveFile &archive, const ArchiveCriteria &criteria,
             const std::function<void(int)> &progress = {});

    const std::vector<Row> &rows() const { return m_rows; }
    int count() const { return int(m_rows.size()); }
    void clear() { m_rows.clear(); }

private:
    std::vector<Row> m_rows;
};

} // namespace kv
