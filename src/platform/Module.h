#pragma once
// The optional parts of the program (printing, iCalendar, sync) are shared
// objects in its library folder, loaded at their first use. Each exports one
// C function, kelvadrin_module(), that returns its table: a ModuleHeader
// naming the interface and its version, then the interface's functions. The
// program takes a table only of the interface and the version it was built
// with; a module that is missing or of another version is "not installed",
// said in Polish.
//
// An interface is a struct whose first member is the header, with
//   static constexpr char File[]      the module's file name
//   static constexpr char Interface[] its interface id
//   static constexpr int Version      raised at every change of the struct
//   static constexpr char Missing[]   what the user reads when it cannot be used

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;

namespace kv {

struct ModuleHeader {
    const char *interface;
    int version;
};

#define KV_MODULE_ENTRY extern "C" __attribute__((visibility("default"))) const kv::ModuleHeader *

namespace module {

// The table of the module at `path`; null, with *failure a Polish sentence
// that begins with `missing`, when it cannot be loaded, exports no table or
// holds another interface or version. A module once loaded stays.
const ModuleHeader *loadFrom(const QString &path, const char *interface, int version,
                             const QString &missing, QString *failure);
// The same for a module of the program, found in the folders of the program's
// own library search path (its RUNPATH first).
const ModuleHeader *load(const char *file, const char *interface, int version,
                         const QString &missing, QString *failure);

// A helper program of the program (a file that runs on its own, beside the
// modules), found as load() finds a module; empty when there is none.
QString helper(const char *file);
// Runs the helper `file` with `arguments`, `input` on its standard input, and
// gives `then` its status and standard output once it ends (status -1 when
// it is missing, could not start or ended on a signal); `then` is called on
// the event loop and not once `context` is gone.
void run(const char *file, const QStringList &arguments, const QByteArray &input, QObject *context,
         std::function<void(int status, const QByteArray &output)> then);

} // namespace module

// The interface's table, loaded once; null when the module cannot be used
// (*failure, when given, says why).
template <class Table> const Table *loadModule(QString *failure = nullptr) {
    static QString why;
    static const Table *table = reinterpret_cast<const Table *>(module::load(
        Table::File, Table::Interface, Table::Version, QString::fromUtf8(Table::Missing), &why));
    if (!table && failure)
        *failure = why;
    return table;
}

} // namespace kv
