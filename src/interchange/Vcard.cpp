#include "Vcard.h"

#include "platform/Cp1250.h"

#include <QSet>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <vector>

namespace kv {

namespace {

// ------------------------------------------------------------------ writing

constexpr qsizetype kLineOctets = 75; // a content line's length before it is folded

// A text value, UTF-8, with backslash, comma, semicolon and line breaks escaped.
QByteArray escaped(const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 8);
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ',':
            out += "\\,";
            break;
        case ';':
            out += "\\;";
            break;
        case '\r':
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
            out += "\\n";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Appends the content line, folded into pieces of at most 75 octets (the
// leading blank of a continuation counts), never inside a UTF-8 sequence.
void appendLine(QByteArray &out, QByteArrayView head, QByteArrayView value) {
    QByteArray line = head.toByteArray();
    line += ':';
    line += value;
    qsizetype room = kLineOctets;
    qsizetype at = 0;
    while (line.size() - at > room) {
        qsizetype cut = at + room;
        while (cut > at + 1 && (uchar(line[cut]) & 0xC0) == 0x80)
            --cut;
        out += QByteArrayView(line).sliced(at, cut - at);
        out += "\r\n ";
        at = cut;
        room = kLineOctets - 1;
    }
    out += QByteArrayView(line).sliced(at);
    out += "\r\n";
}

// ------------------------------------------------------------------ reading

const QString kNotVcard = QStringLiteral("Plik nie jest poprawnym plikiem vCard.");
const QString kUnterminated =
    QStringLiteral("Plik vCard jest niepełny: ostatni kontakt nie ma zakończenia.");

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

bool isBlank(QByteArrayView line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool equalsUpper(QByteArrayView text, QByteArrayView upper) {
    return text.size() == upper.size() && QByteArray(text.data(), text.size()).toUpper() == upper;
}

struct Param {
    QByteArray name;          // upper case
    QList<QByteArray> values; // unquoted
};

struct ContentLine {
    QByteArray name; // upper case, without its group
    std::vector<Param> params;
    QByteArray value;

    const Param *param(QByteArrayView upperName) const {
        for (const Param &p : params)
            if (p.name == upperName)
                return &p;
        return nullptr;
    }
    QByteArray firstUpper(QByteArrayView upperName) const {
        const Param *p = param(upperName);
        return p && !p->values.isEmpty() ? p->values.first().trimmed().toUpper() : QByteArray();
    }
    // Whether one of the TYPE values (lists included) is the given one.
    bool hasType(QByteArrayView upperType) const {
        for (const Param &p : params)
            if (p.name == "TYPE")
                for (const QByteArray &v : p.values)
                    for (const QByteArray &t : v.split(','))
                        if (t.trimmed().toUpper() == upperType)
                            return true;
        return false;
    }
};

bool isEncodingWord(QByteArrayView upper) {
    return upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "B" || upper == "8BIT" ||
           upper == "7BIT";
}

// Reads one parameter "NAME=v1,"v2"" or the bare word of vCard 2.1 from
// `at`; stops before the ';' or ':' that ends it. False at a quote left open.
bool parseParam(QByteArrayView line, qsizetype &at, ContentLine &out) {
    QByteArray name;
    QList<QByteArray> values;
    QByteArray value;
    bool inName = true;
    bool quoted = false;
    for (; at < line.size(); ++at) {
        const char c = line[at];
        if (quoted) {
            if (c == '"')
                quoted = false;
            else
                value += c;
            continue;
        }
        if (c == ';' || c == ':')
            break;
        if (inName) {
            if (c == '=')
                inName = false;
            else
                name += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            values.append(value);
            value.clear();
        } else {
            value += c;
        }
    }
    if (quoted)
        return false;
    name = name.trimmed().toUpper();
    if (inName) { // a bare word: an encoding or a type
        if (name.isEmpty())
            return true;
        out.params.push_back(isEncodingWord(name) ? Param{"ENCODING", {name}}
                                                  : Param{"TYPE", {name}});
        return true;
    }
    values.append(value);
    out.params.push_back(Param{name, values});
    return true;
}

// Splits "group.NAME;params:value". False when the line is not a content line.
bool parseLine(QByteArrayView line, ContentLine &out) {
    qsizetype at = 0;
    auto word = [&] {
        const qsizetype start = at;
        while (at < line.size() && isNameChar(line[at]))
            ++at;
        return line.sliced(start, at - start);
    };
    QByteArrayView name = word();
    if (at < line.size() && line[at] == '.') { // a group prefix
        ++at;
        name = word();
    }
    if (name.isEmpty())
        return false;
    out.name = name.toByteArray().toUpper();
    out.params.clear();
    while (at < line.size() && line[at] == ';') {
        ++at;
        if (!parseParam(line, at, out))
            return false;
    }
    if (at >= line.size() || line[at] != ':')
        return false;
    out.value = line.sliced(at + 1).toByteArray();
    return true;
}

// Whether the first physical line of a content line names an encoding whose
// value goes on over plain lines: QUOTED-PRINTABLE (a soft break '=' at the
// end) or vCard 2.1's base64 (lines up to a blank one).
struct Encodings {
    bool quotedPrintable = false;
    bool base64 = false;
};

Encodings encodingsOf(QByteArrayView firstLine) {
    ContentLine line;
    Encodings e;
    if (!parseLine(firstLine, line))
        return e;
    const QByteArray encoding = line.firstUpper("ENCODING");
    e.quotedPrintable = encoding == "QUOTED-PRINTABLE";
    e.base64 = encoding == "BASE64" || encoding == "B";
    return e;
}

// The physical lines of the bytes (ended by CR LF, LF or CR), joined into
// content lines: a line that begins with a blank or a tab continues the one
// before it without that character; a QUOTED-PRINTABLE value continues after
// a soft break; a vCard 2.1 base64 value continues over plain lines.
class ContentLines {
public:
    explicit ContentLines(QByteArrayView bytes) : m_bytes(bytes) {}

    bool next(QByteArray &out) {
        QByteArrayView first;
        if (!physical(first))
            return false;
        out = first.toByteArray();
        const Encodings enc = encodingsOf(first);
        for (;;) {
            const qsizetype mark = m_at;
            QByteArrayView line;
            if (!physical(line))
                break;
            const bool softBreak = enc.quotedPrintable && out.endsWith('=') &&
                                   !equalsUpper(line.trimmed(), "END:VCARD");
            if (softBreak) {
                out.chop(1);
                out += line;
            } else if (!line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
                out += line.sliced(1);
            } else if (enc.base64 && !isBlank(line) && !line.contains(':')) {
                out += line;
            } else {
                m_at = mark;
                break;
            }
        }
        return true;
    }

private:
    bool physical(QByteArrayView &line) {
        if (m_at >= m_bytes.size())
            return false;
        qsizetype end = m_at;
        while (end < m_bytes.size() && m_bytes[end] != '\r' && m_bytes[end] != '\n')
            ++end;
        line = m_bytes.sliced(m_at, end - m_at);
        m_at = end;
        if (m_at < m_bytes.size() && m_bytes[m_at] == '\r')
            ++m_at;
        if (m_at < m_bytes.size() && m_bytes[m_at] == '\n')
            ++m_at;
        return true;
    }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// QUOTED-PRINTABLE: "=XX" is a byte; an '=' without two hex digits stays.
QByteArray fromQuotedPrintable(QByteArrayView in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && hexDigit(in[i + 1]) >= 0 &&
            hexDigit(in[i + 2]) >= 0) {
            out += char(hexDigit(in[i + 1]) * 16 + hexDigit(in[i + 2]));
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

// The value as text: its transfer encoding and character set undone, the
// backslash escapes kept. Nothing when it cannot be decoded.
std::optional<QString> decodedValue(const ContentLine &line) {
    QByteArray raw = line.value;
    const QByteArray encoding = line.firstUpper("ENCODING");
    if (encoding == "QUOTED-PRINTABLE") {
        raw = fromQuotedPrintable(raw);
    } else if (encoding == "BASE64" || encoding == "B") {
        auto result = QByteArray::fromBase64Encoding(raw.trimmed().replace(' ', QByteArray()),
                                                     QByteArray::AbortOnBase64DecodingErrors);
        if (!result)
            return std::nullopt;
        raw = *result;
    }
    const QByteArray charset = line.firstUpper("CHARSET");
    if (charset.isEmpty() || charset == "UTF-8" || charset == "UTF8")
        return QString::fromUtf8(raw);
    if (charset == "WINDOWS-1250" || charset == "CP1250" || charset == "X-CP1250")
        return Cp1250::decode(raw);
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        return std::nullopt;
    return QString(decoder.decode(raw));
}

// Undoes the backslash escapes of a text: \\ \, \; \n \N. Another escaped
// character stays as written.
QString unescaped(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[++i];
        if (next == u'n' || next == u'N')
            out += u'\n';
        else if (next == u'\\' || next == u',' || next == u';')
            out += next;
        else
            out += QString(c) + next;
    }
    return out;
}

// The text split at the separators that are not escaped; the escapes stay.
QStringList splitEscaped(QStringView text, QChar separator) {
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\') {
            ++i;
        } else if (text[i] == separator) {
            parts.append(text.sliced(start, i - start).toString());
            start = i + 1;
        }
    }
    parts.append(text.sliced(start).toString());
    return parts;
}

// The components of a structured value (N, ADR), still escaped.
QStringList components(QStringView text) {
    return splitEscaped(text, u';');
}

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

// Line breaks of any kind as CR LF.
QString withCrLf(const QString &text) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
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
        } else if (name == "X-KELVADRIN-ENTRY") {
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

// The bytes without a byte-order mark, as UTF-8 when they were UTF-16.
QByteArray withoutBom(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return bytes.sliced(3).toByteArray();
    const bool le = bytes.startsWith("\xFF\xFE");
    if (le || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return QString(decoder.decode(bytes.sliced(2))).toUtf8();
    }
    return bytes.toByteArray();
}

bool isMarker(const ContentLine &line, QByteArrayView name) {
    return line.name == name && equalsUpper(line.value.trimmed(), "VCARD");
}

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
            appendLine(out, "X-KELVADRIN-ENTRY", QByteArray::number(e.entry));
        appendLine(out, "END", "VCARD");
    }
    return out;
}

std::optional<Vcard::Contents> Vcard::read(QByteArrayView bytes, QString *error) {
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return std::nullopt;
    };
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
            return fail(kNotVcard);
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
        return fail(kNotVcard);
    if (depth > 0)
        return fail(kUnterminated);
    return contents;
}

namespace {
// A logical line again as physical lines of at most 75 bytes, never within
// a UTF-8 character.
void appendFolded(QByteArray &out, QByteArrayView line) {
    qsizetype at = 0;
    bool first = true;
    while (at < line.size()) {
        qsizetype take = std::min<qsizetype>(line.size() - at, first ? 75 : 74);
        while (at + take < line.size() && take > 1 && (uchar(line[at + take]) & 0xC0) == 0x80)
            --take;
        if (!first)
            out += ' ';
        out += line.sliced(at, take);
        out += "\r\n";
        at += take;
        first = false;
    }
}
} // namespace

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

bool Vcard::looksLikeVcard(QByteArrayView bytes) {
    QByteArray head = withoutBom(bytes.first(std::min<qsizetype>(bytes.size(), 4096)));
    qsizetype at = 0;
    while (at < head.size() && QByteArrayView(" \t\r\n").contains(head[at]))
        ++at;
    const QByteArrayView rest = QByteArrayView(head).sliced(at);
    if (rest.size() < 11 || !equalsUpper(rest.first(11), "BEGIN:VCARD"))
        return false;
    return rest.size() == 11 || QByteArrayView(" \t\r\n").contains(rest[11]);
}

} // namespace kv
