#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Files named by the user (in a dialog, on the command line, by a second copy
// of the program) are read or replaced only when they are regular files on a
// disk's file system. FIFOs, devices, sockets and the kernel's files under
// /proc and /sys never are: a read of one may wait forever.
namespace kv::RegularFile {

enum class Kind {
    Regular, // a regular file (a link is followed to it)
    Missing, // nothing of that name
    Other,   // anything else, or a name that cannot be looked at
};
Kind kind(const QString &path);

// The file's bytes, at most maxBytes of them; nothing when the name stands for
// no regular file or it cannot be read. The file is opened without waiting,
// so a FIFO put in its place after a look at it is refused, not waited on.
std::optional<QByteArray> read(const QString &path, qint64 maxBytes);

// Whether two names stand for one file: through links, another spelling of
// the path, or a hard link. A name of no file yet is compared by its folder.
bool sameFile(const QString &a, const QString &b);
// Whether the name stands for one of the files.
bool isOneOf(const QString &path, const QStringList &files);

} // namespace kv::RegularFile
