#pragma once
// The address book as one vCard file: the export of every entry, and the
// import that adds what a file holds to the free entries, lowest first. No
// windows: the address page asks and reports.

#include "AddressFile.h"
#include "Vcard.h"

#include <QList>
#include <QString>

namespace kv {

class VcardTransfer {
public:
    // Every entry that holds anything, each with its entry number and identity.
    static QList<VcardEntry> entriesOf(const AddressFile &book);

    struct Plan {
        QList<int> placed; // the entries written, in the order of the file's cards
        RefusalCounts refused;
        int valuesLeftOut = 0; // further numbers, addresses and notes not carried
    };
    // Writes the cards into the free entries of the book's image (the file
    // is not touched); what does not fit is counted as NoRoom.
    static Plan place(const Vcard::Contents &contents, AddressFile &book);
    // The confirmation before an import: how much is added, and what is not, why.
    static QString confirmationText(const Plan &plan);
};

} // namespace kv
