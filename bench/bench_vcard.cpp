// Times the vCard import of a whole address book: 1000 contacts with every
// field filled to its cell, as the program writes them (vCard 3.0, folded
// UTF-8) and as a phone writes them (vCard 2.1, QUOTED-PRINTABLE, a photo
// each). Prints rows of the figures table (BenchTable.h).

#include "BenchTable.h"
#include "addressbook/Vcard.h"

#include <QByteArray>
#include <cstdio>

namespace {

constexpr int kRuns = 15;
constexpr int kContacts = 1000;

kv::VcardEntry fullEntry(int n) {
    using kv::AddressFile;
    kv::VcardEntry e;
    e.entry = n % AddressFile::kEntries;
    e.uid = QStringLiteral("kelvadrin-%1").arg(n);
    const QString tag = QString::number(n);
    for (int f = 0; f < AddressFile::FieldCount; ++f) {
        const int width = AddressFile::kWidths[size_t(f)] - 1;
        e.record.setField(f,
                          (tag + QStringLiteral(" Zażółć, gęślą; jaźń ")).repeated(40).left(width));
    }
    e.record.notes = (tag + QStringLiteral(" Zażółć gęślą jaźń\r\n")).repeated(40).left(500);
    return e;
}

// A text as phones write it: semicolons and backslashes escaped, then
// QUOTED-PRINTABLE.
QByteArray quotedPrintable(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\")).replace(u';', QStringLiteral("\\;"));
    QByteArray out;
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || c == '=' || c == '\r' || c == '\n' || c == ';')
            out += '=' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

// The same contacts as a phone's export: vCard 2.1, texts in
// QUOTED-PRINTABLE UTF-8, two phones, a 3 KB photo in base64 lines.
QByteArray phoneExport(const QList<kv::VcardEntry> &entries) {
    const QByteArray photo = QByteArray(3000, '\x5a').toBase64();
    QByteArray out;
    for (const kv::VcardEntry &e : entries) {
        const kv::AddressRecord &r = e.record;
        const QByteArray qp = ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
        out += "BEGIN:VCARD\r\nVERSION:2.1\r\n";
        out += "N" + qp + quotedPrintable(r.name) + ";;;;\r\n";
        out += "FN" + qp + quotedPrintable(r.name) + "\r\n";
        out += "TEL;HOME:22 000 00 00\r\nTEL;CELL;PREF" + qp + quotedPrintable(r.phone) + "\r\n";
        out += "EMAIL;HOME" + qp + quotedPrintable(r.email) + "\r\n";
        out += "ADR;HOME" + qp + ";;" + quotedPrintable(r.street) + ';' + quotedPrintable(r.town) +
               ";;" + quotedPrintable(r.code) + ";\r\n";
        out += "X-ICQ" + qp + quotedPrintable(r.icq) + "\r\n";
        out += "NOTE" + qp;
        const QByteArray note = quotedPrintable(r.notes);
        for (qsizetype at = 0; at < note.size(); at += 72)
            out += note.mid(at, 72) + (at + 72 < note.size() ? "=\r\n" : "\r\n");
        out += "PHOTO;ENCODING=BASE64;JPEG:";
        for (qsizetype at = 0; at < photo.size(); at += 76)
            out += "  " + photo.mid(at, 76) + "\r\n";
        out += "\r\nEND:VCARD\r\n";
    }
    return out;
}

// The median time of reading the bytes; NAN when a read did not give every
// contact.
double readMillis(const QByteArray &bytes) {
    bool ok = true;
    const double ms = bench::medianMillis(kRuns, [&] {
        const auto contents = kv::Vcard::read(bytes);
        ok = ok && contents && contents->entries.size() == kContacts && contents->refused.empty();
    });
    return ok ? ms : NAN;
}

} // namespace

int main() {
    QList<kv::VcardEntry> entries;
    for (int n = 0; n < kContacts; ++n)
        entries.append(fullEntry(n));

    QByteArray written;
    const double write = bench::medianMillis(kRuns, [&] { written = kv::Vcard::write(entries); });
    const double ownRead = readMillis(written);
    const QByteArray phone = phoneExport(entries);
    const double phoneRead = readMillis(phone);

    bench::header();
    const std::string target = "<= 200 ms";
    bool met = true;
    if (std::isnan(ownRead))
        met = bench::rowFailed("vCard import of 1000 full contacts, 3.0 as written (ms)", target);
    else
        met = bench::rowLimit("vCard import of 1000 full contacts, 3.0 as written (ms, " +
                                  std::to_string(written.size() / 1024) + " KiB)",
                              ownRead, 200, "ms");
    if (std::isnan(phoneRead))
        met =
            bench::rowFailed("vCard import of 1000 phone contacts, 2.1 with photos (ms)", target) &&
            met;
    else
        met = bench::rowLimit("vCard import of 1000 phone contacts, 2.1 with photos (ms, " +
                                  std::to_string(phone.size() / 1024) + " KiB)",
                              phoneRead, 200, "ms") &&
              met;
    bench::rowReport("vCard export of 1000 full contacts (ms)", write);
    return met ? 0 : 1;
}
