// The vCard codec from the command line, for the tests that hold it against
// another implementation. Not installed.
//   kv_vcf_tool write OUT.vcf   writes a fixed set of entries and prints them
//   kv_vcf_tool read IN.vcf     prints the entries read from the file
// Both print one JSON object: {"entries": [{"entry", "uid", "name", "town",
// "code", "street", "phone", "email", "icq", "notes"}...], "refused":
// {"TooLong": n, ...}, "valuesLeftOut": n}; notes keep their CR LF.

#include "addressbook/Vcard.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

using namespace kv;

namespace {

const char *const kFieldNames[AddressFile::FieldCount] = {"name",  "town",  "code", "street",
                                                          "phone", "email", "icq",  "notes"};

VcardEntry make(int number, const QString &uid, const QStringList &fields) {
    VcardEntry e;
    e.entry = number;
    e.uid = uid;
    for (int f = 0; f < AddressFile::FieldCount && f < fields.size(); ++f)
        e.record.setField(f, fields[f]);
    return e;
}

// Polish letters, line breaks, the characters vCard escapes, a note long
// enough to be folded, fields left empty.
QList<VcardEntry> fixedEntries() {
    return {
        make(1, QStringLiteral("kelvadrin-1"),
             {"Małgorzata Żółkiewska-Śliwińska", "Łódź", "90-001", "ul. Piotrkowska 104, m. 7",
              "+48 42 123 45 67", "gosia@example.pl", "123456789",
              "Pierwsza linia\r\nDruga; z średnikiem, i przecinkiem\r\n\r\nPo pustej linii"}),
        make(2, QStringLiteral("kelvadrin-2"),
             {"Nowak, Jan; dr inż.", "Gdańsk", "", "ul. Długa 5; klatka B, \\ ukośnik", "", "",
              "246-813-579", ""}),
        make(37, QStringLiteral("kelvadrin-37"),
             {"Grzegorz Brzęczyszczykiewicz", "Chrząszczyżewoszyce", "12-345", "",
              "601 000 000, 602 000 000", "g.b@example.com", "",
              QStringLiteral("Zażółć gęślą jaźń, ").repeated(20).trimmed() +
                  QStringLiteral("\r\nkoniec: \\n to nie łamanie")}),
        make(999, QString(), {"", "", "", "", "22 111 22 33"}),
    };
}

QJsonObject describe(const QList<VcardEntry> &entries, const RefusalCounts &refused, int leftOut) {
    static const char *const kReasons[] = {"Past",       "Rule",   "TooLong",
                                           "Characters", "NoRoom", "Unreadable"};
    QJsonArray list;
    for (const VcardEntry &e : entries) {
        QJsonObject o{{"entry", e.entry}, {"uid", e.uid}};
        for (int f = 0; f < AddressFile::FieldCount; ++f)
            o.insert(QLatin1String(kFieldNames[f]), e.record.field(f));
        list.append(o);
    }
    QJsonObject reasons;
    for (const auto &[reason, n] : refused)
        reasons.insert(QLatin1String(kReasons[int(reason)]), n);
    return {{"entries", list}, {"refused", reasons}, {"valuesLeftOut", leftOut}};
}

int print(const QJsonObject &object) {
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Indented);
    return std::fwrite(json.constData(), 1, size_t(json.size()), stdout) == size_t(json.size()) ? 0
                                                                                                : 1;
}

} // namespace

int main(int argc, char **argv) {
    const QByteArray command = argc == 3 ? QByteArray(argv[1]) : QByteArray();
    const QString path = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (command == "write") {
        const QList<VcardEntry> entries = fixedEntries();
        QFile out(path);
        const QByteArray bytes = Vcard::write(entries);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(bytes) != bytes.size() || !out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
        return print(describe(entries, {}, 0));
    }
    if (command == "read") {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[2]);
            return 1;
        }
        const auto contents = Vcard::read(in.readAll());
        const QString error = contents.failure();
        if (!contents) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        return print(describe(contents->entries, contents->refused, contents->valuesLeftOut));
    }
    std::fprintf(stderr, "usage: kv_vcf_tool write OUT.vcf | read IN.vcf\n");
    return 2;
}
