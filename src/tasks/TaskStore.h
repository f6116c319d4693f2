#pragma once
// The task list: up to 100 numbered tasks as values of the tasks key. Task N
// is "Date N" (the day it was added, in words) and "Info N" (its text, line
// breaks as CR LF); it exists when "Date N" exists. Numbers may have gaps;
// there is no other state in the key.

#include "platform/Registry.h"

#include <QDate>
#include <QString>
#include <optional>

namespace kv {

class TaskStore {
public:
    static constexpr int MaxTasks = 100;
    static constexpr int TextLimit = 500;

    explicit TaskStore(RegKey key) : m_key(std::move(key)) {}

    bool exists(int n) const;
    // The row text of task N; nothing when the task does not exist.
    std::optional<QString> dateText(int n) const;
    // The text of task N with plain line breaks; nothing when absent.
    std::optional<QString> text(int n) const;
    // The lowest free number, 0 when all 100 are taken.
    int firstFree() const;
    // The highest number in use, 0 when there is none.
    int highest() const;

    // Adds a task dated `today` under the lowest free number (both values in
    // one step) and returns the number; 0 when the list is full.
    int add(const QString &text, const QDate &today);
    // Writes task N (both values) without a transaction of its own: for a
    // caller that writes several in one.
    void put(int n, const QString &text, const QDate &added);
    // The day a task was added, read back from its row text; nothing when
    // the text is not a date in words.
    std::optional<QDate> addedOn(int n) const;
    // Rewrites the text of task N; its date stays.
    void change(int n, const QString &text);
    void remove(int n);
    void removeAll();

    // " 5 marca 2004": the row text of a task added on that day.
    static QString dateText(const QDate &day);
    // Line breaks as the store keeps them (CR LF) and as the editor shows them.
    static QString storedText(const QString &editorText);
    static QString editorText(const QString &storedText);

private:
    RegKey m_key;
};

} // namespace kv
