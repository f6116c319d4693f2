#pragma once
#include "platform/BlockImage.h"

#include <QByteArrayView>
#include <QString>

namespace kv {

// The archive of past reminder messages: the file "Archiwum.tra" and its image
// in memory.
//
// The file is exactly 5 110 000 bytes: the date block (10 000 cells of 10
// bytes) followed by the message block (10 000 cells of 501 bytes), nothing
// else. Each cell holds a NUL-terminated Windows-1250 string; the bytes after
// the terminator carry no meaning. Entry n (1..9999) owns date cell n and
// message cell n; cell 0 is never used. A place is free when the first byte of
// its date cell is 0, whatever its message cell holds.
//
// The image (a BlockImage of the two blocks) lives as long as the object.
// Every operation refreshes it from the file first; the file is never held
// open between operations and is always replaced whole and atomically.
// Not thread-safe: all use is on the user-interface thread.
class ArchiveFile {
public:
    static constexpr int kEntries = 9999; // usable entry numbers 1..9999
    static constexpr int kCells = 10000;
    static constexpr int kDateWidth = 10;
    static constexpr int kMessageWidth = 501;
    static constexpr int kMaxDateBytes = kDateWidth - 1;
    static constexpr int kMaxMessageBytes = kMessageWidth - 1;
    static constexpr qsizetype kDateBlockSize = qsizetype(kCells) * kDateWidth;
    static constexpr qsizetype kMessageBlockSize = qsizetype(kCells) * kMessageWidth;
    static constexpr qsizetype kFileSize = kDateBlockSize + kMessageBlockSize;
    static inline const QString kFileName = QStringLiteral("Archiwum.tra");

    struct AppendResult {
        enum Status {
            Stored,     // the entry was stored and the file rewritten
            Full,       // all 9999 places are taken; the file was left as it is
            WriteFailed // the file could not be read whole or replaced; it keeps its content
        };
        Status status;
        int entry; // the place used (1..9999) when Stored, otherwise 0
    };

    // folder: where "Archiwum.tra" lives.
    explicit ArchiveFile(QString folder);

    QString filePath() const;

    // Reads the file into the image: up to 100 000 bytes into the date block,
    // then up to 5 010 000 into the message block. A short file fills only the
    // front of the image and leaves the rest as it was. Returns whether the
    // file could be opened; when not, the image is left untouched.
    bool load();
    // The same, telling whether the whole file was read: exactly 5 110 000
    // bytes (Whole), fewer or more (Short), no file (Missing) or a file that
    // cannot be read (Failed).
    BlockImage::LoadStatus loadWhole();

    // Loads, stores the two texts in the lowest free place and rewrites the
    // whole file. Only a file read whole, or no file at all (a new one is
    // made), is rewritten: a file that cannot be read, or is shorter or longer
    // than an archive, keeps its content (result WriteFailed). The texts are encoded in
    // Windows-1250 and each written with its terminator, leaving the rest of the cell as it was. A
    // date text is cut to 9 bytes, a message to 500 bytes (never between the CR and LF of a line
    // break: the CR then goes too). An empty date text is stored as it is and so leaves the place
    // free; callers hand in a date. When all places are taken the image stays as loaded and the
    // file is left as it is (result Full). When the file cannot be written, it keeps its old
    // content, the image is put back to what was loaded and the result is WriteFailed.
    AppendResult append(const QString &dateText, const QString &messageText);

    // Loads, empties entry n (1..9999) by zeroing the first byte of its date
    // and message cells, the other bytes staying, and rewrites the whole file.
    // Returns false for an entry number out of range (nothing is done), when
    // the file could not be read whole (it is left as it is) and when it could
    // not be written (the image is then put back).
    bool remove(int entry);

    // Field access for the search, from the image as last loaded. A cell that
    // has no terminator ends at its width. Entry numbers outside 1..9999 give
    // an empty text and false.
    QString dateText(int entry) const;
    QString messageText(int entry) const;
    bool isOccupied(int entry) const;

    // The raw blocks of the image, in file order.
    QByteArrayView dateBlock() const { return m_image.block(kDates); }
    QByteArrayView messageBlock() const { return m_image.block(kMessages); }

private:
    enum { kDates, kMessages };
    bool save() const;

    QString m_folder;
    BlockImage m_image{{kDateWidth, kCells}, {kMessageWidth, kCells}};
};

} // namespace kv
