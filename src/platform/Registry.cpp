#include "Registry.h"
#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

namespace {

QString folded(const QString &s) {
    return s.toCaseFolded();
}

QString normalisedPath(const QString &path) {
    QString p = path;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (p.startsWith(QLatin1Char('\\')))
        p.remove(0, 1);
    while (p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    return p;
}

// Statements once prepared are kept per store and used again: a store read
// value by value (the sync's snapshot reads some 600 values) would otherwise
// spend most of its time parsing the same few statements. A statement in use
// is not in the pool, so one used inside another's loop is prepared anew.
class StatementPool {
public:
    sqlite3_stmt *take(sqlite3 *db, const char *sql) {
        std::lock_guard lock(m_mutex);
        const auto it = m_idle.find({db, sql});
        if (it == m_idle.end())
            return nullptr;
        sqlite3_stmt *stmt = it->second;
        m_idle.erase(it);
        return stmt;
    }
    void give(sqlite3 *db, const char *sql, sqlite3_stmt *stmt) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        std::lock_guard lock(m_mutex);
        if (!m_idle.emplace(std::pair{db, sql}, stmt).second)
            sqlite3_finalize(stmt);
    }
    // Before the store closes.
    void forget(sqlite3 *db) {
        std::lock_guard lock(m_mutex);
        for (auto it = m_idle.begin(); it != m_idle.end();) {
            if (it->first.first == db) {
                sqlite3_finalize(it->second);
                it = m_idle.erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    std::mutex m_mutex;
    std::map<std::pair<sqlite3 *, const char *>, sqlite3_stmt *> m_idle;
};

StatementPool &pool() {
    static StatementPool p;
    return p;
}

class Statement {
public:
    // sql: a string literal; its address names the statement in the pool.
    Statement(sqlite3 *db, const char *sql) : m_db(db), m_sql(sql) {
        m_stmt = pool().take(db, sql);
        if (!m_stmt && sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt,
                                          nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_stmt);
            throw RegistryError(std::string("registry: ") + sqlite3_errmsg(db));
        }
    }
    ~Statement() { pool().give(m_db, m_sql, m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int i, const QString &s) {
        const QByteArray utf8 = s.toUtf8();
        sqlite3_bind_text(m_stmt, i, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &bind(int i, int v) {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    bool step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw RegistryError(std::string("registry: ") + sqlite3_errmsg(m_db));
    }
    int columnType(int i) const { return sqlite3_column_type(m_stmt, i); }
    QString text(int i) const {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i)),
                                 sqlite3_column_bytes(m_stmt, i));
    }
    sqlite3_int64 integer(int i) const { return sqlite3_column_int64(m_stmt, i); }

private:
    sqlite3 *m_db;
    const char *m_sql;
    sqlite3_stmt *m_stmt = nullptr;
};

void exec(sqlite3 *db, const char *sql) {
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = std::string("registry: ") + (err ? err : "error");
        sqlite3_free(err);
        throw RegistryError(msg);
    }
}

constexpr const char *kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys (
    folded TEXT PRIMARY KEY,
    path   TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS reg_values (
    key    TEXT NOT NULL REFERENCES keys(folded) ON DELETE CASCADE,
    folded TEXT NOT NULL,
    name   TEXT NOT NULL,
    type   TEXT NOT NULL CHECK (type IN ('string', 'integer')),
    value  NOT NULL,
    PRIMARY KEY (key, folded)
) WITHOUT ROWID;
)sql";

} // namespace

QString Registry::defaultFileName() {
    return Paths::configDir() + QStringLiteral("/registry.sqlite3");
}

Registry::Registry(const QString &fileName) : m_fileName(fileName) {
    const QByteArray path = QFile::encodeName(fileName);
    if (fileName != QLatin1String(":memory:")) {
        QDir().mkpath(QFileInfo(fileName).absolutePath());
        // Create the file ourselves so that it never exists with wider rights.
        // Only a file made just now is opened and closed here: closing a
        // descriptor of a file drops every lock this process holds on it,
        // the locks of an open store among them.
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
        else if (errno != EEXIST)
            throw RegistryError("registry: cannot open " + path.toStdString(),
                                RegistryError::CannotOpen);
    }
    if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        std::string msg = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw RegistryError("registry: " + msg, RegistryError::CannotOpen);
    }
    sqlite3_busy_timeout(m_db, 2000);
    try {
        exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
        exec(m_db, kSchema);
    } catch (const RegistryError &error) {
        const int code = sqlite3_errcode(m_db) & 0xff;
        sqlite3_close(m_db);
        m_db = nullptr;
        if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
            throw RegistryError(error.what(), RegistryError::Damaged);
        if (code == SQLITE_CANTOPEN || code == SQLITE_PERM || code == SQLITE_READONLY)
            throw RegistryError(error.what(), RegistryError::CannotOpen);
        throw;
    }
}

bool Registry::quickCheck() const {
    try {
        Statement st(m_db, "PRAGMA quick_check");
        return st.step() && st.text(0) == QLatin1String("ok") && !st.step();
    } catch (const RegistryError &) {
        return false;
    }
}

Registry::~Registry() {
    if (!m_db)
        return;
    pool().forget(m_db);
    sqlite3_close(m_db);
}

bool Registry::keyExists(const QString &path) const {
    Statement st(m_db, "SELECT 1 FROM keys WHERE folded = ?1");
    st.bind(1, folded(normalisedPath(path)));
    return st.step();
}

RegKey Registry::openKey(const QString &path, bool create) {
    const QString norm = normalisedPath(path);
    if (keyExists(norm))
        return RegKey(this, norm);
    if (!create)
        throw RegistryError("registry: no key " + norm.toStdString());
    // Create the key and every missing parent in one transaction (inside a
    // running one, as part of it).
    const bool own = !m_inTransaction;
    if (own)
        exec(m_db, "BEGIN IMMEDIATE");
    try {
        const QStringList parts = norm.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        QString prefix;
        for (const QString &part : parts) {
            prefix = prefix.isEmpty() ? part : prefix + QLatin1Char('\\') + part;
            Statement st(m_db, "INSERT OR IGNORE INTO keys(folded, path) VALUES (?1, ?2)");
            st.bind(1, folded(prefix)).bind(2, prefix);
            st.step();
        }
        if (own)
            exec(m_db, "COMMIT");
    } catch (...) {
        if (own)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return RegKey(this, norm);
}

void Registry::transaction(const std::function<void()> &work) {
    if (m_inTransaction)
        throw RegistryError("registry: transactions do not nest");
    exec(m_db, "BEGIN IMMEDIATE");
    m_inTransaction = true;
    try {
        work();
        exec(m_db, "COMMIT");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_inTransaction = false;
        throw;
    }
    m_inTransaction = false;
}

void Registry::reading(const std::function<void()> &work) {
    if (m_inTransaction)
        return work();
    // A read takes the state at once (BEGIN alone would wait for work's first).
    exec(m_db, "BEGIN; SELECT count(*) FROM keys WHERE folded = ''");
    m_inTransaction = true;
    try {
        work();
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_inTransaction = false;
        throw;
    }
    m_inTransaction = false;
    exec(m_db, "COMMIT");
}

bool RegKey::valueExists(const QString &name) const {
    if (!m_registry)
        throw RegistryError("registry: key not open");
    Statement st(m_registry->m_db, "SELECT 1 FROM reg_values WHERE key = ?1 AND folded = ?2");
    st.bind(1, m_folded).bind(2, folded(name));
    return st.step();
}

namespace {
// Finds a value and checks its type; nothing when it is missing.
template <typename T, typename Extract>
std::optional<T> typedValue(sqlite3 *db, const QString &foldedKey, const QString &name,
                            const char *type, Extract extract) {
    Statement st(db, "SELECT type, value FROM reg_values WHERE key = ?1 AND folded = ?2");
    st.bind(1, foldedKey).bind(2, folded(name));
    if (!st.step())
        return std::nullopt;
    if (st.text(0) != QLatin1String(type))
        throw RegistryError("registry: value " + name.toStdString() + " is not of type " + type);
    return extract(st);
}
} // namespace

std::optional<QString> RegKey::stringIfExists(const QString &name) const {
    if (!m_registry)
        throw RegistryError("registry: key not open");
    return typedValue<QString>(m_registry->m_db, m_folded, name, "string",
                               [](const Statement &st) { return st.text(1); });
}

std::optional<int> RegKey::integerIfExists(const QString &name) const {
    if (!m_registry)
        throw RegistryError("registry: key not open");
    return typedValue<int>(m_registry->m_db, m_folded, name, "integer", [&](const Statement &st) {
        const sqlite3_int64 value = st.integer(1);
        if (value < INT_MIN || value > INT_MAX)
            throw RegistryError("registry: value " + name.toStdString() + " is out of range");
        return static_cast<int>(value);
    });
}

std::optional<QString> RegKey::stringOrAbsent(const QString &name) const {
    try {
        return stringIfExists(name);
    } catch (const RegistryError &) {
        return std::nullopt;
    }
}

std::optional<int> RegKey::integerOrAbsent(const QString &name) const {
    try {
        return integerIfExists(name);
    } catch (const RegistryError &) {
        return std::nullopt;
    }
}

QString RegKey::readString(const QString &name) const {
    if (auto v = stringIfExists(name))
        return *v;
    throw RegistryError("registry: no value " + name.toStdString());
}

int RegKey::readInteger(const QString &name) const {
    if (auto v = integerIfExists(name))
        return *v;
    throw RegistryError("registry: no value " + name.toStdString());
}

namespace {
void writeValue(sqlite3 *db, const QString &foldedKey, const QString &name, const char *type,
                const std::function<void(Statement &)> &bindValue) {
    Statement st(db, "INSERT INTO reg_values(key, folded, name, type, value) "
                     "VALUES (?1, ?2, ?3, ?4, ?5) "
                     "ON CONFLICT(key, folded) DO UPDATE SET type = ?4, value = ?5");
    st.bind(1, foldedKey).bind(2, folded(name)).bind(3, name).bind(4, QString::fromLatin1(type));
    bindValue(st);
    st.step();
}
} // namespace

QList<std::pair<QString, QString>> RegKey::strings() const {
    if (!m_registry)
        throw RegistryError("registry: key not open");
    Statement st(m_registry->m_db,
                 "SELECT name, value FROM reg_values WHERE key = ?1 AND type = 'string'");
    st.bind(1, m_folded);
    QList<std::pair<QString, QString>> out;
    while (st.step())
        out.append({st.text(0), st.text(1)});
    return out;
}

void RegKey::writeString(const QString &name, const QString &value) {
    if (!m_registry)
        throw RegistryError("registry: key not open");
    writeValue(m_registry->m_db, m_folded, name, "string",
               [&](Statement &st) { st.bind(5, value); });
    if (m_registry->m_observer)
        m_registry->m_observer(m_path);
}

void RegKey::writeInteger(const QString &name, int value) {
    if (!m_registry)
        throw RegistryError("registry: key not open");
    writeValue(m_registry->m_db, m_folded, name, "integer",
               [&](Statement &st) { st.bind(5, value); });
    if (m_registry->m_observer)
        m_registry->m_observer(m_path);
}

bool RegKey::deleteValue(const QString &name) {
    if (!m_registry)
        throw RegistryError("registry: key not open");
    Statement st(m_registry->m_db, "DELETE FROM reg_values WHERE key = ?1 AND folded = ?2");
    st.bind(1, m_folded).bind(2, folded(name));
    st.step();
    const bool deleted = sqlite3_changes(m_registry->m_db) > 0;
    if (deleted && m_registry->m_observer)
        m_registry->m_observer(m_path);
    return deleted;
}

} // namespace kv
