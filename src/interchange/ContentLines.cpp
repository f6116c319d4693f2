#include "ContentLines.h"

#include "platform/Cp1250.h"

#include <QStringDecoder>
#include <algorithm>

namespace kv::vcard {

namespace {

constexpr qsizetype kLineOctets = 75; // a content line's length before it is folded

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

bool equalsUpper(QByteArrayView text, QByteArrayView upper) {
    return text.size() == upper.size() && QByteArray(text.data(), text.size()).toUpper() == upper;
}

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

} // namespace

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

namespace {

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

} // namespace

const Param *ContentLine::param(QByteArrayView upperName) const {
    for (const Param &p : params)
        if (p.name == upperName)
            return &p;
    return nullptr;
}

QByteArray ContentLine::firstUpper(QByteArrayView upperName) const {
    const Param *p = param(upperName);
    return p && !p->values.isEmpty() ? p->values.first().trimmed().toUpper() : QByteArray();
}

bool ContentLine::hasType(QByteArrayView upperType) const {
    for (const Param &p : params)
        if (p.name == "TYPE")
            for (const QByteArray &v : p.values)
                for (const QByteArray &t : v.split(','))
                    if (t.trimmed().toUpper() == upperType)
                        return true;
    return false;
}

bool isBlank(QByteArrayView line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool isMarker(const ContentLine &line, QByteArrayView name) {
    return line.name == name && equalsUpper(line.value.trimmed(), "VCARD");
}

bool ContentLines::next(QByteArray &out) {
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
        const bool softBreak =
            enc.quotedPrintable && out.endsWith('=') && !equalsUpper(line.trimmed(), "END:VCARD");
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

bool ContentLines::physical(QByteArrayView &line) {
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

namespace {

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

} // namespace

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
} // namespace kv::vcard
