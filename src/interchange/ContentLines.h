#pragma once
// vCard's content lines (RFC 6350 §3, and what vCard 2.1 and 3.0 allow):
// folding and unfolding, "group.NAME;params:value" split into its parts,
// QUOTED-PRINTABLE, base64 and character sets undone, backslash escapes.
// Knows nothing of what a card means.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

namespace kv::vcard {

struct Param {
    QByteArray name;          // upper case
    QList<QByteArray> values; // unquoted
};

struct ContentLine {
    QByteArray name; // upper case, without its group
    std::vector<Param> params;
    QByteArray value;

    const Param *param(QByteArrayView upperName) const;
    // The first value of a parameter, trimmed and in upper case.
    QByteArray firstUpper(QByteArrayView upperName) const;
    // Whether one of the TYPE values (lists included) is the given one.
    bool hasType(QByteArrayView upperType) const;
};

// Splits "group.NAME;params:value". False when the line is not a content line.
bool parseLine(QByteArrayView line, ContentLine &out);
// BEGIN:VCARD or END:VCARD, by the name given.
bool isMarker(const ContentLine &line, QByteArrayView name);
bool isBlank(QByteArrayView line);

// The physical lines of the bytes (ended by CR LF, LF or CR), joined into
// content lines: a line that begins with a blank or a tab continues the one
// before it without that character; a QUOTED-PRINTABLE value continues after
// a soft break; a vCard 2.1 base64 value continues over plain lines.
class ContentLines {
public:
    explicit ContentLines(QByteArrayView bytes) : m_bytes(bytes) {}
    bool next(QByteArray &out);

private:
    bool physical(QByteArrayView &line);

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

// The bytes without a byte-order mark, as UTF-8 when they were UTF-16.
QByteArray withoutBom(QByteArrayView bytes);

// The value as text: its transfer encoding and character set undone, the
// backslash escapes kept. Nothing when it cannot be decoded.
std::optional<QString> decodedValue(const ContentLine &line);
// Undoes the backslash escapes of a text: \\ \, \; \n \N. Another escaped
// character stays as written.
QString unescaped(QStringView text);
// The text split at the separators that are not escaped; the escapes stay.
QStringList splitEscaped(QStringView text, QChar separator);
// The components of a structured value (N, ADR), still escaped.
QStringList components(QStringView text);
// Line breaks of any kind as CR LF.
QString withCrLf(const QString &text);

// A text value, UTF-8, with backslash, comma, semicolon and line breaks escaped.
QByteArray escaped(const QString &text);
// Appends the content line, folded into pieces of at most 75 octets (the
// leading blank of a continuation counts), never inside a UTF-8 sequence.
void appendLine(QByteArray &out, QByteArrayView head, QByteArrayView value);
// A logical line again as physical lines of at most 75 bytes, never within
// a UTF-8 character.
void appendFolded(QByteArray &out, QByteArrayView line);

} // namespace kv::vcard
