// Address entries as vCard: what is written reads back the same; the cards
// that phones and mail programs write are read into the entries they hold,
// and what cannot be held is counted, not approximated.
#include "addressbook/Vcard.h"
#include "common/TestFiles.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

using namespace kv;

namespace {

VcardEntry entry(QStringList fields, int number = 0, const QString &uid = {}) {
    VcardEntry e;
    fields.resize(AddressFile::FieldCount);
    for (int f = 0; f < AddressFile::FieldCount; ++f)
        e.record.setField(f, fields[f]);
    e.entry = number;
    e.uid = uid;
    return e;
}

// One entry per line, for readable differences.
QString describe(const QList<VcardEntry> &entries) {
    QStringList lines;
    for (const VcardEntry &e : entries) {
        QStringList fields;
        for (int f = 0; f < AddressFile::FieldCount; ++f)
            fields << e.record.field(f).replace(QStringLiteral("\r\n"), QStringLiteral("<CRLF>"));
        lines << QStringLiteral("#%1 uid=%2 | %3").arg(e.entry).arg(e.uid, fields.join(u'|'));
    }
    return lines.join(u'\n');
}

QString refusals(const RefusalCounts &counts) {
    QStringList parts;
    for (const auto &[reason, n] : counts)
        parts << QStringLiteral("%1:%2").arg(int(reason)).arg(n);
    return parts.join(u' ');
}

QString refusals(std::initializer_list<std::pair<ImportRefusal, int>> counts) {
    return refusals(RefusalCounts(counts.begin(), counts.end()));
}

QByteArray dataFile(const QString &name) {
    return test::readAll(qEnvironmentVariable("KV_TEST_SOURCE_DIR") +
                         QStringLiteral("/tests/data/vcf/") + name);
}

} // namespace

class TestVcard : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void writesTheLayout();
    void readsRealCards_data();
    void readsRealCards();
    void readsContentLines_data();
    void readsContentLines();
    void refusesDamagedFiles_data();
    void refusesDamagedFiles();
    void recognisesVcard_data();
    void recognisesVcard();
};

void TestVcard::roundTrip_data() {
    QTest::addColumn<QList<VcardEntry>>("entries");
    const QString notes = QStringLiteral("Pierwsza linia\r\nDruga: żółć, gęś; jaźń\r\n\r\nkoniec");
    QTest::newRow("every field") << QList{
        entry({"Jan Kowalski", "Łódź", "90-001", "ul. Piotrkowska 1", "+48 42 123 45 67",
               "jan@example.pl", "123456789", notes},
              17, "kv-entry-17")};
    QTest::newRow("escapes") << QList{
        entry({"Nowak, Jan; dr \\ inż.", "Gdańsk", "", "ul. A; B, C \\n", "12,34;56",
               "a\\b@example.pl", "123-456 789%", "a,b;c\\n\\\r\n\r\n"},
              999, "uid;with,escapes\\")};
    QString atWidth[AddressFile::FieldCount];
    for (int f = 0; f < AddressFile::FieldCount; ++f)
        atWidth[f] = QStringLiteral("ąęśćźżółń ").repeated(60).left(AddressFile::kWidths[f] - 1);
    atWidth[AddressFile::Notes] = QStringLiteral("Zażółć gęślą jaźń\r\n").repeated(30).left(500);
    QTest::newRow("every cell full, folded inside letters")
        << QList{entry(QStringList(std::begin(atWidth), std::end(atWidth)), 500)};
    QTest::newRow("no name, only a phone") << QList{entry({"", "", "", "", "601 000 000"})};
    QTest::newRow("several") << QList{entry({"Anna"}, 1),
                                      entry({"Beata", "", "", "", "", "b@x.pl"}, 2),
                                      entry({"", "Kraków"}, 3)};
}

void TestVcard::roundTrip() {
    QFETCH(QList<VcardEntry>, entries);
    const QByteArray bytes = Vcard::write(entries);

    // Every line ends in CR LF, is at most 75 octets and whole UTF-8.
    QVERIFY(bytes.endsWith("\r\n"));
    for (const QByteArray &line : bytes.chopped(1).split('\n')) {
        QVERIFY2(line.endsWith('\r'), line.constData());
        QVERIFY2(line.size() - 1 <= 75, line.constData());
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8(line);
        QVERIFY2(!utf8.hasError(), line.constData());
    }

    QVERIFY(Vcard::looksLikeVcard(bytes));
    const auto read = Vcard::read(bytes);
    const QString error = read.failure();
    QVERIFY2(read, qPrintable(error));
    QCOMPARE(describe(read->entries), describe(entries));
    QVERIFY(read->entries == entries);
    QVERIFY(read->refused.empty());
    QCOMPARE(read->valuesLeftOut, 0);
}

void TestVcard::writesTheLayout() {
    const QByteArray expected = "BEGIN:VCARD\r\n"
                                "VERSION:3.0\r\n"
                                "PRODID:-//Kelvadrin//Kelvadrin//PL\r\n"
                                "UID:u-1\r\n"
                                "FN:Kowalski\\, Jan\r\n"
                                "N:Kowalski\\, Jan;;;;\r\n"
                                "ADR;TYPE=HOME:;;Długa 5;Łódź;;90-001;\r\n"
                                "TEL:42 123\r\n"
                                "EMAIL;TYPE=INTERNET:jan@example.pl\r\n"
                                "IMPP:icq:123%20456\r\n"
                                "X-ICQ:123 456\r\n"
                                "NOTE:a\\nb\\;c\r\n"
                                "X-KELVADRIN-ENTRY:7\r\n"
                                "END:VCARD\r\n"
                                "BEGIN:VCARD\r\n"
                                "VERSION:3.0\r\n"
                                "PRODID:-//Kelvadrin//Kelvadrin//PL\r\n"
                                "FN:\r\n"
                                "N:;;;;\r\n"
                                "TEL:1\r\n"
                                "END:VCARD\r\n";
    const QByteArray written =
        Vcard::write({entry({"Kowalski, Jan", "Łódź", "90-001", "Długa 5", "42 123",
                             "jan@example.pl", "123 456", "a\r\nb;c"},
                            7, "u-1"),
                      entry({"", "", "", "", "1"})});
    QCOMPARE(written, expected);
}

void TestVcard::readsRealCards_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QList<VcardEntry>>("expected");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<int>("leftOut");

    QTest::newRow("2.1 QUOTED-PRINTABLE, CHARSET, several TEL, photo")
        << "android21.vcf"
        << QList{entry({"Małgorzata Włodarczyk", "Kraków", "31-123", "ul. Świętokrzyska 5",
                        "+48 601 234 567", "gosia@example.pl", "",
                        "Pierwsza linia\r\nDruga linia: żółw i miękki podział"}),
                 entry({"Łukasz Nowak", "", "", "", "22 111 22 33"}),
                 entry({"Zofia Żak", "Łódź", "90-001", "Długa 1"})}
        << QString() << 1;
    QTest::newRow("3.0 folded inside a letter, groups, preferred EMAIL, Apple's ICQ")
        << "folded30.vcf"
        << QList{entry({"Grzegorz Brzęczyszczykiewicz", "Kraków", "31-042", "Rynek Główny 1, m. 2",
                        "+48 500 600 700", "grzegorz@example.pl", "",
                        "Notatka długa, która przechodzi przez zawinięcie linii: źdźbło, gęśl "
                        "jaźń\r\nDruga linia; ze średnikiem"},
                       0, "4f1c2a3e-0000-4000-8000-000000000001"),
                 entry({"Anna Kowalska", "Gdańsk", "80-001", "ul. Polna 3", "+48 601 000 111", "",
                        "123456789"})}
        << QString() << 1;
    QTest::newRow("4.0 with IMPP, tel: URIs and PREF")
        << "v40.vcf"
        << QList{entry({"Jan Kowalski", "Warszawa", "00-950", "ul. Długa 5", "+48-601-222-333",
                        "jan@example.pl", "987654321", "Zażółć gęślą jaźń, cztery słowa"},
                       0, "urn:uuid:0c1a7c3e-5b2f-4b2e-9a55-2f4c0c8d9e11")}
        << QString() << 2;
    QTest::newRow("texts longer than their cells")
        << "toolong.vcf"
        << QList{entry({QStringLiteral("Łódź ").repeated(20), "", "", "", "", "", "",
                        QString(497, u'x') + "\r\ny"})}
        << refusals({{ImportRefusal::TooLong, 3}}) << 0;
    QTest::newRow("characters outside Windows-1250")
        << "charset.vcf" << QList{entry({"Jürgen Müller", "Köln", "50667", "Hauptstraße 1"})}
        << refusals({{ImportRefusal::Characters, 4}}) << 0;
    QTest::newRow("broken cards in a good file, a nested 2.1 AGENT")
        << "damaged.vcf"
        << QList{entry({"Adam Nowak", "", "", "", "58 123 45 67"}),
                 entry({"Beata Kowalczyk", "", "", "", "58 765 43 21"})}
        << refusals({{ImportRefusal::Unreadable, 4}}) << 0;
}

void TestVcard::readsRealCards() {
    QFETCH(QString, file);
    QFETCH(QList<VcardEntry>, expected);
    QFETCH(QString, refused);
    QFETCH(int, leftOut);
    const QByteArray bytes = dataFile(file);
    QVERIFY2(!bytes.isEmpty(), qPrintable(file));
    QVERIFY(Vcard::looksLikeVcard(bytes));
    const auto read = Vcard::read(bytes);
    const QString error = read.failure();
    QVERIFY2(read, qPrintable(error));
    QCOMPARE(describe(read->entries), describe(expected));
    QCOMPARE(refusals(read->refused), refused);
    QCOMPARE(read->valuesLeftOut, leftOut);
}

// Shapes of single content lines, each in a card of its own.
void TestVcard::readsContentLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<VcardEntry>>("expected");

    QTest::newRow("lower case, LF only, tab fold")
        << QByteArray("begin:vcard\nversion:3.0\nfn:Ewa\n\tNowak\nnote:x\nend:vcard\n")
        << QList{entry({"EwaNowak", "", "", "", "", "", "", "x"})};
    QTest::newRow("CR only line ends, BOM, blank lines between cards")
        << QByteArray(
               "\xEF\xBB\xBF\r\nBEGIN:VCARD\rFN:A\rEND:VCARD\r\r\nBEGIN:VCARD\rFN:B\rEND:VCARD")
        << QList{entry({"A"}), entry({"B"})};
    QTest::newRow("UTF-16 with its mark")
        << QByteArray("\xFF\xFE") + QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(
                                        u"BEGIN:VCARD\r\nFN:Żaneta\r\nEND:VCARD\r\n"))
        << QList{entry({"Żaneta"})};
    QTest::newRow("N alone, several given names")
        << QByteArray("BEGIN:VCARD\r\nN:Nowak-Kos;Anna,Maria;;dr;\r\nEND:VCARD\r\n")
        << QList{entry({"dr Anna Maria Nowak-Kos"})};
    QTest::newRow("quoted parameter with ':' and ';', group")
        << QByteArray("BEGIN:VCARD\r\nFN:X\r\nhome.ADR;LABEL=\"a:b;c\":;;Polna 1;Gniezno;;;\r\n"
                      "END:VCARD\r\n")
        << QList{entry({"X", "Gniezno", "", "Polna 1"})};
    QTest::newRow("QUOTED-PRINTABLE soft break before END")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;QUOTED-PRINTABLE:a=\r\nEND:VCARD\r\n")
        << QList{entry({"", "", "", "", "", "", "", "a="})};
    QTest::newRow("2.1 base64 photo over plain lines")
        << QByteArray(
               "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Y\r\nPHOTO;BASE64:AAAA\r\nBBBB\r\nCCCC\r\n\r\n"
               "END:VCARD\r\n")
        << QList{entry({"Y"})};
    QTest::newRow("entry number out of range, X-ICQ alone")
        << QByteArray("BEGIN:VCARD\r\nFN:Z\r\nX-ICQ:42\r\nX-KELVADRIN-ENTRY:1000\r\nEND:VCARD\r\n")
        << QList{entry({"Z", "", "", "", "", "", "42"})};
}

void TestVcard::readsContentLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<VcardEntry>, expected);
    const auto read = Vcard::read(bytes);
    const QString error = read.failure();
    QVERIFY2(read, qPrintable(error));
    QCOMPARE(describe(read->entries), describe(expected));
    QVERIFY(read->refused.empty());
}

void TestVcard::refusesDamagedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QString notVcard = QStringLiteral("Plik nie jest poprawnym plikiem vCard.");
    QTest::newRow("empty") << QByteArray() << notVcard;
    QTest::newRow("blank lines") << QByteArray("\r\n \r\n") << notVcard;
    QTest::newRow("text") << QByteArray("Jan Kowalski, tel. 601 000 000\n") << notVcard;
    QTest::newRow("calendar") << QByteArray("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n") << notVcard;
    QTest::newRow("something before the card")
        << QByteArray("FN:Jan\r\nBEGIN:VCARD\r\nFN:Jan\r\nEND:VCARD\r\n") << notVcard;
    QTest::newRow("unterminated card at the end")
        << dataFile(QStringLiteral("unterminated.vcf"))
        << QStringLiteral("Plik vCard jest niepełny: ostatni kontakt nie ma zakończenia.");
}

void TestVcard::refusesDamagedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const auto read = Vcard::read(bytes);
    QVERIFY(!read);
    QCOMPARE(read.failure(), error);
}

void TestVcard::recognisesVcard_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("vcard");
    QTest::newRow("plain") << QByteArray("BEGIN:VCARD\r\n") << true;
    QTest::newRow("mark, blanks, lower case")
        << QByteArray("\xEF\xBB\xBF \r\n\tbegin:vCard\n") << true;
    QTest::newRow("only the line") << QByteArray("BEGIN:VCARD") << true;
    QTest::newRow("longer word") << QByteArray("BEGIN:VCARDS\r\n") << false;
    QTest::newRow("calendar") << QByteArray("BEGIN:VCALENDAR\r\n") << false;
    QTest::newRow("cut short") << QByteArray("BEGIN:VCA") << false;
    QTest::newRow("text first") << QByteArray("x\r\nBEGIN:VCARD\r\n") << false;
}

void TestVcard::recognisesVcard() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, vcard);
    QCOMPARE(Vcard::looksLikeVcard(bytes), vcard);
}

QTEST_GUILESS_MAIN(TestVcard)
#include "tst_vcard.moc"
