#include "VcardTransfer.h"

#include "interchange/ItemIds.h"

namespace kv {

QList<VcardEntry> VcardTransfer::entriesOf(const AddressFile &book) {
    QList<VcardEntry> entries;
    for (int n = 0; n <= AddressFile::kLastEntry; ++n) {
        const AddressRecord record = book.readEntry(n);
        if (record != AddressRecord())
            entries << VcardEntry{record, n, entryUid(n)};
    }
    return entries;
}

VcardTransfer::Plan VcardTransfer::place(const Vcard::Contents &contents, AddressFile &book) {
    Plan plan;
    plan.refused = contents.refused;
    plan.valuesLeftOut = contents.valuesLeftOut;
    QList<int> free = book.freeEntries();
    for (const VcardEntry &entry : contents.entries) {
        if (free.isEmpty()) {
            ++plan.refused[ImportRefusal::NoRoom];
            continue;
        }
        book.writeEntry(free.first(), entry.record);
        plan.placed << free.takeFirst();
    }
    return plan;
}

QString VcardTransfer::confirmationText(const Plan &plan) {
    QString text = QStringLiteral("Do dodania: wpisy – %1.").arg(plan.placed.size()) +
                   refusalSummary(plan.refused);
    if (plan.valuesLeftOut > 0)
        text += QStringLiteral("\nNie przeniesione dalsze numery, adresy i uwagi – %1.")
                    .arg(plan.valuesLeftOut);
    return text;
}

} // namespace kv
