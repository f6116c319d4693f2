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
    const std::string_view needleView(needle.constData(), size_t(needle.size()));

    // Date mode: the fields to compare (-1: not compared).
    const int day = c.day.isEmpty() ? -1 : fieldNumber(c.day);
    const int month = c.month.isEmpty() ? -1 : fieldNumber(c.month);
    const int year =
        c.year.isEmpty() ? -1 : fieldNumber(c.year.size() >= 3 ? c.year.mid(2) : c.year);

    char buffer[ArchiveFile::kMessageWidth];
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
            for (size_t i = 0; i < message.size(); ++i)
                buffer[i] = fold[static_cast<unsigned char>(message[i])];
            match =
                std::string_view(buffer, message.size()).find(needleView) != std::string_view::npos;
        }
        if (match)
            m_rows.push_back({n, QByteArray(date.data(), qsizetype(date.size())),
                              QByteArray(message.data(), qsizetype(message.size()))});
    }
    if (progress)
        progress(ArchiveFile::kEntries);
}

} // namespace kv
