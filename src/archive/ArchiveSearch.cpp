#include "ArchiveSearch.h"
#include "ArchiveFile.h"

#include "platform/Cp1250.h"
#include "platform/DateText.h"

#include <array>
#include <cstring>
#include <string_view>

namespace kv {

namespace {

// The folding of foldCase as a table over the 256 Windows-1250 bytes.
const std::array<char, 256> &foldTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            t[size_t(b)] = byte;
            const QString original = Cp1250::decode(QByteArrayView(&byte, 1));
            const QString folded = foldCase(original);
            if (folded == original)
                continue;
            const QByteArray back = Cp1250::encode(folded);
            if (back.size() == 1 && Cp1250::decode(back) == folded)
                t[size_t(b)] = back[0];
        }
        return t;
    }();
    return table;
}

bool digitsOnly(const QString &text) {
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// The leading decimal digits of a date part as a number (0 when there are none).
int partNumber(std::string_view part) {
    int value = 0;
    for (char c : part) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

int fieldNumber(const QString &field) {
    int value = 0;
    for (QChar c : field)
        value = value * 10 + (c.unicode() - '0');
    return value;
}

std::string_view cellText(QByteArrayView block, int entry, qsizetype width) {
    const char *cell = block.data() + qsizetype(entry) * width;
    return {cell, ::strnlen(cell, size_t(width))};
}

// Finds the folded expression in a message without folding the message
// whole: memchr finds each place where the expression's first letter stands
// (in either case), and only there the rest is compared through the table.
class FoldedMatcher {
public:
    FoldedMatcher(const QByteArray &needle, const std::array<char, 256> &fold)
        : m_needle(needle), m_fold(fold) {
        for (int b = 1; b < 256 && !needle.isEmpty(); ++b)
            if (fold[size_t(b)] == needle[0])
                m_first.push_back(char(b));
    }

    bool occursIn(std::string_view text) const {
        const size_t length = size_t(m_needle.size());
        if (length == 0)
            return true;
        if (text.size() < length)
            return false;
        const char *const end = text.data() + (text.size() - length + 1); // past the last start
        for (const char first : m_first) {
            for (const char *p = text.data();
                 (p = static_cast<const char *>(std::memchr(p, first, size_t(end - p)))); ++p) {
                size_t j = 1;
                while (j < length && m_fold[static_cast<unsigned char>(p[j])] == m_needle[j])
                    ++j;
                if (j == length)
                    return true;
            }
        }
        return false;
    }

private:
    QByteArray m_needle;
    const std::array<char, 256> &m_fold;
    std::vector<char> m_first; // the bytes that fold to the first letter
};

std::string_view part(std::string_view date, size_t from) {
    return from < date.size() ? date.substr(from, 2) : std::string_view();
}

} // namespace

bool ArchiveSearch::hasCriteria(const ArchiveCriteria &c) {
    if (c.byDate)
        return !c.day.isEmpty() || !c.month.isEmpty() || !c.year.isEmpty();
    return !c.expression.isEmpty();
}

bool ArchiveSearch::datesValid(const ArchiveCriteria &c) {
    return digitsOnly(c.day) && digitsOnly(c.month) && digitsOnly(c.year) && c.day.size() <= 2 &&
           c.month.size() <= 2 && c.year.size() <= 4;
}

QString ArchiveSearch::countText(int count) {
    if (count <= 0)
        return QStringLiteral(" Nie odnaleziono żadnych wiadomości.");
    return QStringLiteral(" Odnaleziono %1%2")
        .arg(count)
        .arg(count == 1 ? QStringLiteral(" wiadomość.") : QStringLiteral(" wiadomości."));
}

QString ArchiveSearch::rowText(const QByteArray &dateBytes) {
    return dateInWords(Cp1250::decode(dateBytes));
}

void ArchiveSearch::run(const ArchiveFile &archive, const ArchiveCriteria &c,
                        const std::function<void(int)> &progress) {
    m_rows.clear();
    const QByteArrayView dates = archive.dateBlock();
    const QByteArrayView messages = archive.messageBlock();
    const auto &fold = foldTable();

    // Expression mode: the folded expression in Windows-1250. A character the
    // code page cannot hold occurs in no message.
    QByteArray needle;
    bool impossible = false;
    if (!c.byDate) {
        const QString folded = foldCase(c.expression);
        needle = Cp1250::encode(folded);
        impossible = Cp1250::decode(needle) != folded;
        for (char &b : needle)
            b = fold[static_cast<unsigned char>(b)];
    }

    // Date mode: the fields to compare (-1: not compared).
    const int day = c.day.isEmpty() ? -1 : fieldNumber(c.day);
    const int month = c.month.isEmpty() ? -1 : fieldNumber(c.month);
    const int year =
        c.year.isEmpty() ? -1 : fieldNumber(c.year.size() >= 3 ? c.year.mid(2) : c.year);

    const FoldedMatcher matcher(needle, fold);
    for (int n = 1; n <= ArchiveFile::kEntries; ++n) {
        if (progress && n % 500 == 0)
            progress(n);
        const std::string_view date = cellText(dates, n, ArchiveFile::kDateWidth);
        if (date.empty())
            continue; // a free place
        const std::string_view message = cellText(messages, n, ArchiveFile::kMessageWidth);
        bool match;
        if (c.byDate) {
            match = (day < 0 || partNumber(part(date, 3)) == day) &&
                    (month < 0 || partNumber(part(date, 0)) == month) &&
                    (year < 0 || partNumber(part(date, 6)) == year);
        } else {
            if (impossible || message.empty())
                continue;
            match = matcher.occursIn(message);
        }
        if (match)
            m_rows.push_back({n, QByteArray(date.data(), qsizetype(date.size())),
                              QByteArray(message.data(), qsizetype(message.size()))});
    }
    if (progress)
        progress(ArchiveFile::kEntries);
}

} // namespace kv
