#include "TaskStore.h"

#include "platform/DateText.h"
#include "platform/RegistryNames.h"

namespace kv {

bool TaskStore::exists(int n) const {
    return m_key.valueExists(names::taskDate(n));
}

std::optional<QString> TaskStore::dateText(int n) const {
    if (!exists(n))
        return std::nullopt;
    // A value of the other type still marks the number as taken.
    return m_key.stringOrAbsent(names::taskDate(n)).value_or(QString());
}

std::optional<QString> TaskStore::text(int n) const {
    if (auto stored = m_key.stringOrAbsent(names::taskInfo(n)))
        return editorText(*stored);
    return std::nullopt;
}

int TaskStore::firstFree() const {
    for (int n = 1; n <= MaxTasks; ++n)
        if (!exists(n))
            return n;
    return 0;
}

int TaskStore::highest() const {
    for (int n = MaxTasks; n >= 1; --n)
        if (exists(n))
            return n;
    return 0;
}

int TaskStore::add(const QString &text, const QDate &today) {
    const int n = firstFree();
    if (n == 0)
        return 0;
    const auto write = [&] {
        m_key.writeString(names::taskDate(n), dateText(today));
        m_key.writeString(names::taskInfo(n), storedText(text));
    };
    if (Registry *registry = m_key.registry())
        registry->transaction(write);
    else
        write(); // throws: the key is not open
    return n;
}

void TaskStore::put(int n, const QString &text, const QDate &added) {
    m_key.writeString(names::taskDate(n), dateText(added));
    m_key.writeString(names::taskInfo(n), storedText(text));
}

std::optional<QDate> TaskStore::addedOn(int n) const {
    // " 5 marca 2004": the day, the month's genitive, the year.
    const QStringList parts =
        dateText(n).value_or(QString()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 3)
        return std::nullopt;
    for (int month = 1; month <= 12; ++month) {
        if (parts[1] != monthGenitive(month))
            continue;
        const QDate day(parts[2].toInt(), month, parts[0].toInt());
        if (day.isValid())
            return day;
    }
    return std::nullopt;
}

void TaskStore::change(int n, const QString &text) {
    m_key.writeString(names::taskInfo(n), storedText(text));
}

void TaskStore::remove(int n) {
    m_key.deleteValue(names::taskDate(n));
    m_key.deleteValue(names::taskInfo(n));
}

void TaskStore::removeAll() {
    const auto all = [this] {
        for (int n = 1; n <= MaxTasks; ++n)
            remove(n);
    };
    if (Registry *registry = m_key.registry())
        registry->transaction(all);
    else
        all();
}

QString TaskStore::dateText(const QDate &day) {
    return dateInWords(storedDate(day));
}

QString TaskStore::storedText(const QString &editorText) {
    QString stored = editorText;
    stored.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    stored.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return stored;
}

QString TaskStore::editorText(const QString &storedText) {
    QString text = storedText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

} // namespace kv
