#pragma once
// Address entries as vCard: written as vCard 3.0, read from vCard 2.1, 3.0
// and 4.0 as phones and mail programs write them (folded lines,
// QUOTED-PRINTABLE, CHARSET; the first of several TEL or EMAIL; photos and
// unknown properties skipped). This mapping is also what travels to a
// CardDAV server. The content lines are a format of their own below this;
// the merge has a file of its own.

#include "AddressFile.h"
#include "interchange/FileKind.h"
#include "interchange/ImportReport.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

namespace kv {

struct VcardEntry {
    AddressRecord record; // notes with CR LF line breaks
    int entry = 0;        // the entry number (0..999) it was written from; 0 when unknown
    QString uid;
    bool operator==(const VcardEntry &) const = default;
};

class Vcard {
public:
    // The entries as vCard 3.0, one after another.
    static QByteArray write(const QList<VcardEntry> &entries);

    struct Contents {
        QList<VcardEntry> entries; // in file order, each one the program can hold exactly
        RefusalCounts refused;     // the cards left out, by reason
        int valuesLeftOut = 0;     // further TEL, EMAIL, ADR, ICQ and NOTE values not carried
    };
    // Reads a whole file of cards; a failure when the bytes are not readable vCard.
    static Result<Contents> read(QByteArrayView bytes);
    static bool looksLikeVcard(QByteArrayView bytes) {
        return fileKindOf(bytes) == FileKind::Vcard;
    }
    // One card as this program writes it (`ours`) laid over the copy another
    // address book holds: the properties of the fields that changed here
    // are replaced, every other line of the copy stays. `ours` as it is when
    // the copy is not one card this program reads.
    static QByteArray merge(QByteArrayView serverCopy, QByteArrayView ours);
};

} // namespace kv
