#pragma once
// The registry of the program: a hive of keys and typed values kept in one
// SQLite file. Key paths and value names compare without regard to letter
// case; values are strings or integers. Every write is durable when the call
// returns.

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

struct sqlite3;

namespace kv {

class RegistryError : public std::runtime_error {
public:
    enum Kind {
        Other,
        CannotOpen, // the file cannot be opened or created (rights, a folder in its place)
        Damaged     // the file is not a database or its pages are damaged
    };
    explicit RegistryError(const std::string &what, Kind kind = Other)
        : std::runtime_error(what), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

class Registry;

// An open key. Cheap to copy; stays valid while its Registry lives.
class RegKey {
public:
    RegKey() = default;
    bool isOpen() const { return m_registry != nullptr; }
    const QString &path() const { return m_path; }
    // The registry the key belongs to (null when the key is not open).
    Registry *registry() const { return m_registry; }

    bool valueExists(const QString &name) const;
    // Reading a value that is missing or of the other type throws RegistryError.
    QString readString(const QString &name) const;
    int readInteger(const QString &name) const;
    bool readBool(const QString &name) const { return readInteger(name) != 0; }
    // The value when it exists and is a string; nothing otherwise (never throws
    // for a missing value, throws RegistryError for the wrong type).
    std::optional<QString> stringIfExists(const QString &name) const;
    std::optional<int> integerIfExists(const QString &name) const;
    // The tolerant reads: the value when it exists and can be read as the
    // type; nothing otherwise (a value of the other type, or one that cannot
    // be read, counts as absent). Never throws.
    std::optional<QString> stringOrAbsent(const QString &name) const;
    std::optional<int> integerOrAbsent(const QString &name) const;

    void writeString(const QString &name, const QString &value);
    void writeInteger(const QString &name, int value);
    void writeBool(const QString &name, bool value) { writeInteger(name, value ? 1 : 0); }
    // Returns whether a value was there to delete.
    bool deleteValue(const QString &name);
    // Every string value of the key, by name as written (one read).
    QList<std::pair<QString, QString>> strings() const;

private:
    friend class Registry;
    RegKey(Registry *registry, QString path)
        : m_registry(registry), m_path(std::move(path)), m_folded(m_path.toCaseFolded()) {}
    Registry *m_registry = nullptr;
    QString m_path;
    QString m_folded; // the path as the store compares it, folded once
};

class Registry {
public:
    // Opens (creating when missing) the hive file; throws RegistryError when it
    // cannot be opened (kind CannotOpen) or is no database (kind Damaged). The
    // file is created with mode 0600.
    explicit Registry(const QString &fileName);
    ~Registry();
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;

    const QString &fileName() const { return m_fileName; }

    // Checks every page of the store (PRAGMA quick_check); false when any
    // damage is found. Reading what is undamaged goes on working.
    bool quickCheck() const;

    bool keyExists(const QString &path) const;
    // Opens a key; with create, a missing key (and its parents) is created.
    // Without create, a missing key throws RegistryError.
    RegKey openKey(const QString &path, bool create);

    // Runs the writes of `work` as one whole: either all of them are stored
    // or, when `work` throws, none is and the exception goes on to the caller.
    // Transactions do not nest: a call inside `work` throws RegistryError.
    void transaction(const std::function<void()> &work);
    // Runs the reads of `work` on one state of the store, taken once (no
    // write of another process shows halfway); inside a transaction it is
    // that transaction's. A transaction inside `work` throws RegistryError.
    void reading(const std::function<void()> &work);

    // Called with the key's path after each value written or deleted.
    void setWriteObserver(std::function<void(const QString &keyPath)> observer) {
        m_observer = std::move(observer);
    }

    // The hive of this user: $XDG_CONFIG_HOME/kelvadrin/registry.sqlite3.
    static QString defaultFileName();

private:
    friend class RegKey;
    QString m_fileName;
    sqlite3 *m_db = nullptr;
    bool m_inTransaction = false;
    std::function<void(const QString &)> m_observer;
};

} // namespace kv
