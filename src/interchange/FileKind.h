#pragma once
// A file's kind told by its first bytes: the one place the program sniffs
// what a file holds (an import picks its reader by it).

#include <QByteArrayView>

namespace kv {

enum class FileKind {
    Other,    // anything else: the program's own files are known by their length
    Calendar, // "BEGIN:VCALENDAR" after blanks (and a byte-order mark)
    Vcard,    // "BEGIN:VCARD" after blanks, within the first 4096 bytes
};

FileKind fileKindOf(QByteArrayView head);

} // namespace kv
