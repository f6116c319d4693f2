#pragma once
#include "platform/BlockImage.h"

#include <QByteArrayView>
#include <QString>
#include <array>

namespace kv {

// The eight texts of one address record, in file order.
struct AddressRecord {
    QString name;   // "Nazwa:"
    QString town;   // "Miejscowość:"
    QString code;   // "Kod:"
    QString street; // "Ulica:"
    QString phone;  // "Tel.:"
    QString email;  // "e-mail:"
    QString icq;    // "icq:"
    QString notes;  // "Inne...", line breaks as CR LF

    QString field(int block) const;
    void setField(int block, const QString &text);
    bool operator==(const AddressRecord &) const = default;
};

// The address book: the file "Baza teleadresowa.adr" and its image in memory.
//
// The file is exactly 878 000 bytes: eight field blocks one after another,
// each 1000 cells of one width (name 101, town 61, postal code 11, street 61,
// telephone 61, e-mail 61, ICQ 21, notes 501 bytes). Cell n of every block
// belongs to entry n (0..999). A cell holds a NUL-terminated Windows-1250
// text; the bytes after the terminator carry no meaning and stay as they were
// when the cell is written again. An entry is free when all eight cells are
// empty.
//
// The image lives as long as the object. Every operation loads it from the
// file first; the file is never held open between operations and is always
// replaced whole and atomically (mode 0600). A file of another size is never
// written over. Not thread-safe: all use is on the user-interface thread.
class AddressFile {
public:
    enum Field { Name, Town, Code, Street, Phone, Email, Icq, Notes, FieldCount };

    static constexpr int kEntries = 1000; // entry numbers 0..999
    static constexpr int kLastEntry = kEntries - 1;
    static constexpr std::array<int, FieldCount> kWidths{101, 61, 11, 61, 61, 61, 21, 501};
    static constexpr qsizetype kFileSize = 878000;
    static inline const QString kFileName = QStringLiteral("Baza teleadresowa.adr");

    enum class Presence { Exists, Missing, Denied, Unknown };

    enum class Status {
        Done,        // loaded, or stored / deleted and the file rewritten
        NoFile,      // there is no address file
        Damaged,     // the file has another size or could not be read whole
        Full,        // no free entry from 1 up
        WriteFailed, // the file could not be replaced; it keeps its old content
        OutOfRange   // an entry number outside 0..999
    };

    struct StoreResult {
        Status status;
        int entry; // the entry written when Done, otherwise 0
    };

    // folder: where "Baza teleadresowa.adr" lives.
    explicit AddressFile(QString folder);

    QString filePath() const;

    // --- file-level operations
    // Whether the file at path is exactly 878 000 bytes long.
    static bool AddressFileSizeOk(const QString &path);
    // Whether the file is there, missing, or there but not readable.
    static Presence presence(const QString &path);
    // Reads the first `blocks` field blocks (all when negative) into the image.
    // A short file fills only the front of the image.
    BlockImage::LoadStatus LoadAddressImage(int blocks = -1);
    // Replaces the file with the whole image.
    bool SaveAddressImage() const;
    // Empties every entry of the image and writes it as a fresh file.
    bool CreateAddressFile();
    // The lowest free entry from 1 up in the image; 0 when there is none.
    int FindFreeEntry() const;
    // The entries an entry coming in (an import, a sync) may take, lowest
    // first: from 1 upward as "Dodaj" hands them out, then 0, which only a
    // typed number reaches otherwise.
    QList<int> freeEntries() const;
    // Empties the eight cells of entry n in the image (zero first bytes).
    void ClearEntry(int entry);
    // Entry n from the image; a cell without a terminator ends at its width.
    AddressRecord readEntry(int entry) const;
    QString text(Field field, int entry) const;
    // Writes the eight texts into entry n of the image, each cut to its cell
    // (the notes to 500 bytes, never between the CR and LF of a line break).
    void writeEntry(int entry, const AddressRecord &record);
    bool isFree(int entry) const;

    // --- what the address tab does
    // Loads the whole file, checking its size first: Done, NoFile or Damaged.
    Status loadWhole();
    // Loads the whole file and stores the record into entry n, or into the
    // lowest free entry from 1 up when n is negative, and rewrites the file.
    // A missing file is created. A file of another size or one that cannot be
    // read is left untouched (Damaged); so is a full book (Full).
    StoreResult storeEntry(int entry, const AddressRecord &record);
    // Loads the whole file, empties entry n and rewrites the file. Without a
    // readable file of the right size nothing is written.
    Status deleteEntry(int entry);
    // The first entry after `after` (up to 999) whose field holds the folded
    // term, from blocks 1 to 7 loaded afresh; 0 when none. *status says
    // whether the file could be read (Done or NoFile).
    int search(Field field, const QString &foldedTerm, int after, Status *status);

    // --- copies of the whole file, each atomic (temporary file beside the
    // target, flushed, renamed over it, mode 0600)
    static bool copyFile(const QString &source, const QString &target);

    QByteArrayView bytes() const { return m_image.bytes(); }

private:
    bool inRange(int entry) const { return entry >= 0 && entry <= kLastEntry; }

    QString m_folder;
    BlockImage m_image{{101, 1000}, {61, 1000}, {11, 1000}, {61, 1000},
                       {61, 1000},  {61, 1000}, {21, 1000}, {501, 1000}};
};

} // namespace kv
