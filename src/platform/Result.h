#pragma once
// The one way the program's stores, formats and sync say that something
// failed: a value, or a sentence in Polish that the user may read as it is.
// It reads like std::optional (a test, * and ->), and says why.

#include <QString>

#include <optional>
#include <utility>

namespace kv {

// Why there is no value.
struct Failure {
    QString text;
};

template <class T> class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_failure(std::move(failure.text)) {}

    explicit operator bool() const { return m_value.has_value(); }
    bool ok() const { return m_value.has_value(); }
    const T &operator*() const & { return *m_value; }
    T &operator*() & { return *m_value; }
    T &&operator*() && { return std::move(*m_value); }
    const T *operator->() const { return &*m_value; }
    T *operator->() { return &*m_value; }
    T value_or(T other) const { return m_value ? *m_value : std::move(other); }
    // The sentence, empty when there is a value.
    const QString &failure() const { return m_failure; }

private:
    std::optional<T> m_value;
    QString m_failure;
};

} // namespace kv
