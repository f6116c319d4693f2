// A card as the program writes it laid over another address book's copy.
#include "Vcard.h"

#include "interchange/ContentLines.h"

namespace kv {

using namespace vcard;

QByteArray Vcard::merge(QByteArrayView serverCopy, QByteArrayView ours) {
    const auto was = read(serverCopy);
    const auto now = read(ours);
    if (!was || !now || was->entries.size() != 1 || now->entries.size() != 1 ||
        !was->refused.empty())
        return ours.toByteArray();
    const AddressRecord &a = was->entries[0].record;
    const AddressRecord &b = now->entries[0].record;
    QList<QByteArray> changed;
    if (a.name != b.name)
        changed << "FN"
                << "N";
    if (a.street != b.street || a.town != b.town || a.code != b.code)
        changed << "ADR";
    if (a.phone != b.phone)
        changed << "TEL";
    if (a.email != b.email)
        changed << "EMAIL";
    if (a.icq != b.icq)
        changed << "X-ICQ"
                << "IMPP";
    if (a.notes != b.notes)
        changed << "NOTE";
    // Lines of a changed field; of IMPP only the ICQ number is ours.
    const auto replaced = [&](const QByteArray &text) {
        ContentLine line;
        if (!parseLine(text, line) || !changed.contains(line.name))
            return false;
        return line.name != "IMPP" || line.value.trimmed().toLower().startsWith("icq:");
    };
    QByteArray out = "BEGIN:VCARD\r\n";
    const QByteArray copy = withoutBom(serverCopy);
    ContentLines lines(copy);
    QByteArray text;
    ContentLine line;
    // The lines of the one card (a card nested in it goes along whole).
    int depth = 0;
    while (lines.next(text)) {
        const bool parsed = parseLine(text, line);
        if (parsed && isMarker(line, "BEGIN") && depth++ == 0)
            continue;
        if (parsed && isMarker(line, "END") && depth > 0 && --depth == 0)
            break;
        if (depth == 0 || isBlank(text) || (depth == 1 && replaced(text)))
            continue;
        appendFolded(out, text);
    }
    ContentLines mine(ours);
    while (mine.next(text))
        if (!isBlank(text) && replaced(text))
            appendFolded(out, text);
    out += "END:VCARD\r\n";
    // What the copy says in other ways must not change what is read back.
    const auto back = read(out);
    if (!back || back->entries.size() != 1 || !back->refused.empty() || back->valuesLeftOut ||
        back->entries[0].record != b)
        return ours.toByteArray();
    return out;
}

} // namespace kv
