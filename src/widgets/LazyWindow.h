#pragma once
// A window made the first time something needs it: the program starts with
// only what start-up itself shows, the rest is built at its first showing.

#include <functional>
#include <utility>

namespace kv {

template <typename T> class LazyWindow {
public:
    LazyWindow() = default;
    explicit LazyWindow(std::function<T *()> make) : m_make(std::move(make)) {}

    // The window, made now if it does not exist yet (null without a maker).
    T *get() {
        if (!m_window && m_make)
            m_window = m_make();
        return m_window;
    }
    // The window if it has been made, else null; makes nothing.
    T *ifMade() const { return m_window; }

    operator T *() { return get(); }
    T *operator->() { return get(); }

private:
    std::function<T *()> m_make;
    T *m_window = nullptr;
};

} // namespace kv
