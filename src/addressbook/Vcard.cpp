// Cards read into address entries and written from them.
#include "Vcard.h"

#include "interchange/ContentLines.h"
#include "interchange/PropertyNames.h"
#include "platform/Cp1250.h"

#include <QSet>
#include <QUrl>
#include <algorithm>

namespace kv {

namespace {

using namespace vcard;

const QString kNotVcard = QStringLiteral("Plik nie jest poprawnym plikiem vCard.");
const QString kUnterminated =
    QStringLiteral("Plik vCard jest niepełny: ostatni kontakt nie ma zakończenia.");

// A structured name read as it is said: prefix, given, additional, family,
// suffix; the several values of a component apart by blanks.
QString nameFromN(const QStringList &n) {
    QStringList words;
    for (const int i : {3, 1, 2, 0, 4}) {
        if (i >= n.size())
            continue;
        QString part;
        for (const QString &value : splitEscaped(n[i], u',')) {
            const QString word = unescaped(value).trimmed();
            if (!word.isEmpty())
                part += (part.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        if (!part.isEmpty())
            words.append(part);
    }
    return words.join(u' ');
}

// One value of a property the program carries and how much it is preferred
// (lower first): PREF=n of vCard 4.0, TYPE=PREF of the older ones.
struct Candidate {
    AddressRecord part; // only the fields this value gives
    QString key;        // what makes two values the same
    int rank = 1000;
};

int rankOf(const ContentLine &line) {
    bool ok = false;
    const int pref = line.firstUpper("PREF").toInt(&ok);
    if (ok && pref >= 1 && pref <= 100)
        return pref;
    return line.hasType("PREF") ? 1 : 1000;
}

// The cards' fields as they are read, then judged as a whole.
class Card {
public:
    enum Kind { Adr, Tel, Email, Icq, Note, KindCount };

    void add(const ContentLine &line) {
        const QByteArray &name = line.name;
        if (name == "FN") {
            if (m_fn.isEmpty())
                text(line, [&](const QString &t) { m_fn = t; });
        } else if (name == "N") {
            if (!m_hasN)
                decoded(line, [&](const QString &v) {
                    m_n = components(v);
                    m_hasN = true;
                });
        } else if (name == "ADR") {
            decoded(line, [&](const QString &v) {
                const QStringList c = components(v);
                Candidate cand{{}, {}, rankOf(line)};
                cand.part.street = c.size() > 2 ? unescaped(c[2]) : QString();
                cand.part.town = c.size() > 3 ? unescaped(c[3]) : QString();
                cand.part.code = c.size() > 5 ? unescaped(c[5]) : QString();
                cand.key = cand.part.street + u'\0' + cand.part.town + u'\0' + cand.part.code;
                if (!cand.part.street.isEmpty() || !cand.part.town.isEmpty() ||
                    !cand.part.code.isEmpty())
                    m_candidates[Adr].push_back(cand);
            });
        } else if (name == "TEL") {
            text(line, [&](const QString &t) { // 4.0 may give it as a tel: URI
                const bool uri =
                    line.firstUpper("VALUE") == "URI" && t.startsWith(u"tel:", Qt::CaseInsensitive);
                offer(Tel, line, uri ? t.mid(4) : t, &AddressRecord::phone);
            });
        } else if (name == "EMAIL") {
            text(line, [&](const QString &t) { offer(Email, line, t, &AddressRecord::email); });
        } else if (name == "X-ICQ") {
            text(line, [&](const QString &t) { offer(Icq, line, t, &AddressRecord::icq); });
        } else if (name == "IMPP") {
            text(line, [&](const QString &t) {
                const qsizetype colon = t.indexOf(u':');
                const bool icq = t.startsWith(u"icq:", Qt::CaseInsensitive) ||
                                 line.firstUpper("X-SERVICE-TYPE") == "ICQ";
                if (icq && colon > 0)
                    offer(Icq, line, QUrl::fromPercentEncoding(t.mid(colon + 1).toUtf8()),
                          &AddressRecord::icq);
            });
        } else if (name == "NOTE") {
            text(line,
                 [&](const QString &t) { offer(Note, line, withCrLf(t), &AddressRecord::notes); });
        } else if (name == "UID") {
            if (m_uid.isEmpty())
                text(line, [&](const QString &t) { m_uid = t; });
        } else if (name == property::Entry) {
            bool ok = false;
            const int n = line.value.trimmed().toInt(&ok);
            if (ok && n >= 0 && n <= AddressFile::kLastEntry && m_entry == 0)
                m_entry = n;
        }
    }

    void markBroken() { m_broken = true; }

    // The entry, or why the card is left out; *leftOut the further values.
    std::optional<VcardEntry> finish(ImportRefusal *reason, int *leftOut) const {
        *reason = ImportRefusal::Unreadable;
        if (m_broken)
            return std::nullopt;
        VcardEntry e;
        e.entry = m_entry;
        e.uid = m_uid;
        AddressRecord &r = e.record;
        r.name = !m_fn.isEmpty() ? m_fn : nameFromN(m_n);
        int further = 0;
        for (int k = 0; k < KindCount; ++k) {
            const std::vector<Candidate> &all = m_candidates[k];
            if (all.empty())
                continue;
            const auto best = std::min_element(all.begin(), all.end(),
                                               [](auto &a, auto &b) { return a.rank < b.rank; });
            QSet<QString> keys;
            for (const Candidate &c : all)
                keys.insert(c.key);
            further += int(keys.size()) - 1;
            for (int f = 0; f < AddressFile::FieldCount; ++f)
                if (!best->part.field(f).isEmpty())
                    r.setField(f, best->part.field(f));
        }
        bool any = false;
        for (int f = 0; f < AddressFile::FieldCount; ++f) {
            const QString value = r.field(f);
            any = any || !value.isEmpty();
            const bool oneLine = f != AddressFile::Notes;
            if (value.contains(QChar(0)) ||
                (oneLine && (value.contains(u'\r') || value.contains(u'\n'))) ||
                Cp1250::decode(Cp1250::encode(value)) != value) {
                *reason = ImportRefusal::Characters;
                return std::nullopt;
            }
        }
        if (!any)
            return std::nullopt;
        for (int f = 0; f < AddressFile::FieldCount; ++f) {
            if (r.field(f).size() >= AddressFile::kWidths[size_t(f)]) {
                *reason = ImportRefusal::TooLong;
                return std::nullopt;
            }
        }
        *leftOut = further;
        return e;
    }

private:
    template <class Use> void decoded(const ContentLine &line, Use use) {
        const std::optional<QString> value = decodedValue(line);
        if (!value)
            m_broken = true;
        else
            use(*value);
    }
    template <class Use> void text(const ContentLine &line, Use use) {
        decoded(line, [&](const QString &v) { use(unescaped(v)); });
    }
    void offer(Kind kind, const ContentLine &line, const QString &value,
               QString AddressRecord::*field) {
        if (value.isEmpty())
            return;
        Candidate c{{}, value, rankOf(line)};
        c.part.*field = value;
        m_candidates[kind].push_back(c);
    }

    bool m_broken = false;
    QString m_fn;
    QStringList m_n;
    bool m_hasN = false;
    QString m_uid;
    int m_entry = 0;
    std::vector<Candidate> m_candidates[KindCount];
};

} // namespace

QByteArray Vcard::write(const QList<VcardEntry> &entries) {
    QByteArray out;
    for (const VcardEntry &e : entries) {
        const AddressRecord &r = e.record;
        appendLine(out, "BEGIN", "VCARD");
        appendLine(out, "VERSION", "3.0");
        appendLine(out, "PRODID", "-//Kelvadrin//Kelvadrin//PL");
        if (!e.uid.isEmpty())
            appendLine(out, "UID", escaped(e.uid));
        appendLine(out, "FN", escaped(r.name));
        appendLine(out, "N", escaped(r.name) + ";;;;");
        if (!r.street.isEmpty() || !r.town.isEmpty() || !r.code.isEmpty())
            appendLine(out, "ADR;TYPE=HOME",
                       ";;" + escaped(r.street) + ';' + escaped(r.town) + ";;" + escaped(r.code) +
                           ';');
        if (!r.phone.isEmpty())
            appendLine(out, "TEL", escaped(r.phone));
        if (!r.email.isEmpty())
            appendLine(out, "EMAIL;TYPE=INTERNET", escaped(r.email));
        if (!r.icq.isEmpty()) {
            appendLine(out, "IMPP", "icq:" + QUrl::toPercentEncoding(r.icq));
            appendLine(out, "X-ICQ", escaped(r.icq));
        }
        if (!r.notes.isEmpty())
            appendLine(out, "NOTE", escaped(r.notes));
        if (e.entry > 0)
            appendLine(out, property::Entry, QByteArray::number(e.entry));
        appendLine(out, "END", "VCARD");
    }
    return out;
}

Result<Vcard::Contents> Vcard::read(QByteArrayView bytes) {
    const QByteArray data = withoutBom(bytes);
    ContentLines lines(data);
    Contents contents;
    Card card;
    int depth = 0; // 1 inside a card, more inside a card nested in it (2.1's AGENT)
    bool begun = false;
    QByteArray text;
    ContentLine line;
    while (lines.next(text)) {
        if (isBlank(text))
            continue;
        const bool ok = parseLine(text, line);
        if (ok && isMarker(line, "BEGIN")) {
            if (depth++ == 0)
                card = Card();
            begun = true;
            continue;
        }
        if (!begun)
            return Failure{kNotVcard};
        if (ok && isMarker(line, "END")) {
            if (depth > 0 && --depth == 0) {
                ImportRefusal reason{};
                int leftOut = 0;
                if (auto entry = card.finish(&reason, &leftOut)) {
                    contents.entries.append(*entry);
                    contents.valuesLeftOut += leftOut;
                } else {
                    ++contents.refused[reason];
                }
            }
            continue;
        }
        if (depth != 1)
            continue; // between cards, or in a nested one
        if (ok)
            card.add(line);
        else
            card.markBroken();
    }
    if (!begun)
        return Failure{kNotVcard};
    if (depth > 0)
        return Failure{kUnterminated};
    return contents;
}

} // namespace kv
