#include "platform/Cp1250.h"

#include <QTest>
#include <thread>

using namespace kv;

class TestCp1250 : public QObject {
    Q_OBJECT

private slots:
    void polishLetters_data();
    void polishLetters();
    void asciiAndControlBytesPassUnchanged();
    void unmappableCharactersBecomeQuestionMarks_data();
    void unmappableCharactersBecomeQuestionMarks();
    void everyDefinedByteRoundTrips();
    void undefinedBytesKeepTheRestOfTheText();
    void eachThreadConvertsOnItsOwn();
};

void TestCp1250::polishLetters_data() {
    QTest::addColumn<QString>("letter");
    QTest::addColumn<int>("byte");
    const struct {
        char16_t letter;
        int byte;
    } table[] = {
        {u'ą', 0xB9}, {u'ć', 0xE6}, {u'ę', 0xEA}, {u'ł', 0xB3}, {u'ń', 0xF1}, {u'ó', 0xF3},
        {u'ś', 0x9C}, {u'ź', 0x9F}, {u'ż', 0xBF}, {u'Ą', 0xA5}, {u'Ć', 0xC6}, {u'Ę', 0xCA},
        {u'Ł', 0xA3}, {u'Ń', 0xD1}, {u'Ó', 0xD3}, {u'Ś', 0x8C}, {u'Ź', 0x8F}, {u'Ż', 0xAF},
        {u'€', 0x80}, {u'„', 0x84}, {u'”', 0x94}, {u'–', 0x96}, {u'§', 0xA7}, {u'°', 0xB0},
    };
    for (const auto &row : table) {
        const QString letter(QChar(row.letter));
        QTest::newRow(qPrintable(letter)) << letter << row.byte;
    }
}

void TestCp1250::polishLetters() {
    QFETCH(QString, letter);
    QFETCH(int, byte);
    const QByteArray encoded = Cp1250::encode(letter);
    QCOMPARE(encoded.size(), 1);
    QCOMPARE(static_cast<unsigned char>(encoded[0]), byte);
    QCOMPARE(Cp1250::decode(encoded), letter);
}

void TestCp1250::asciiAndControlBytesPassUnchanged() {
    const QString text = QStringLiteral("Zadzwoń do Łukasza\r\nGęślą jaźń\tŻÓŁW 12:30");
    const QByteArray encoded = Cp1250::encode(text);
    QCOMPARE(encoded.size(), text.size());
    QVERIFY(encoded.contains("\r\n"));
    QVERIFY(encoded.startsWith("Zadzwo\xF1 do \xA3ukasza\r\nG\xEA\x9Cl\xB9"));
    QCOMPARE(Cp1250::decode(encoded), text);

    // A NUL byte inside the data is a character like any other.
    const QByteArray withNul("a\0b", 3);
    QCOMPARE(Cp1250::decode(withNul), QString(reinterpret_cast<const QChar *>(u"a\u0000b"), 3));
    QCOMPARE(Cp1250::encode(QString()), QByteArray());
    QCOMPARE(Cp1250::decode(QByteArrayView()), QString());
}

void TestCp1250::unmappableCharactersBecomeQuestionMarks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("cjk") << QStringLiteral("a中b") << QByteArray("a?b");
    QTest::newRow("check mark") << QStringLiteral("✓ gotowe") << QByteArray("? gotowe");
    QTest::newRow("russian") << QStringLiteral("żółw Ж") << QByteArray("\xBF\xF3\xB3w ?");
    QTest::newRow("surrogate pair") << QStringLiteral("x😀y") << QByteArray("x?y");
    QTest::newRow("only unmappable") << QStringLiteral("中中") << QByteArray("??");
    QTest::newRow("lone high surrogate at end")
        << (QStringLiteral("ab") + QChar(0xD83D)) << QByteArray("ab?");
    QTest::newRow("lone low surrogate")
        << (QStringLiteral("a") + QChar(0xDE00) + u'b') << QByteArray("a?b");
    // Tag characters (U+E0000..U+E007F), which the C library's iconv skips
    // without an error.
    QTest::newRow("tag character")
        << (QStringLiteral("a") + QChar(0xDB40) + QChar(0xDC54) + u'b') << QByteArray("a?b");
    QTest::newRow("flag with tags")
        << QString::fromUcs4(U"\U0001F3F4\U000E0067\U000E0062\U000E007F!")
        << (QByteArray("????") + "!");
    QTest::newRow("last tag and cancel tag")
        << QString::fromUcs4(U"\U000E0001\U000E007Fż") << QByteArray("??\xBF");
    QTest::newRow("replacement character") << QStringLiteral("\uFFFDx") << QByteArray("?x");
}

void TestCp1250::unmappableCharactersBecomeQuestionMarks() {
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(Cp1250::encode(text), expected);
    // One byte per code point, so a cell's length is known before it is written.
    QCOMPARE(Cp1250::encode(text).size(), text.toUcs4().size());
}

void TestCp1250::everyDefinedByteRoundTrips() {
    const QList<int> undefined = {0x81, 0x83, 0x88, 0x90, 0x98};
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        if (!undefined.contains(b))
            all.append(char(b));
    const QString text = Cp1250::decode(all);
    QCOMPARE(text.size(), all.size());
    QVERIFY(!text.contains(QChar(QChar::ReplacementCharacter)));
    QCOMPARE(Cp1250::encode(text), all);
}

void TestCp1250::undefinedBytesKeepTheRestOfTheText() {
    for (char b : {'\x81', '\x83', '\x88', '\x90', '\x98'}) {
        QByteArray bytes("ab");
        bytes.append(b).append("\xB9\xB3z").append(b);
        const QString text = Cp1250::decode(bytes);
        const QString replacement(QChar(QChar::ReplacementCharacter));
        QCOMPARE(text, QStringLiteral("ab") + replacement + QStringLiteral("ąłz") + replacement);
    }
}

void TestCp1250::eachThreadConvertsOnItsOwn() {
    const QString text = QStringLiteral("Źdźbło ŚWIĘTA ćma");
    const QByteArray expected = Cp1250::encode(text);
    bool same[2] = {false, false};
    auto work = [&](bool &result) {
        result = true;
        for (int i = 0; i < 2000; ++i)
            result = result && Cp1250::encode(text) == expected && Cp1250::decode(expected) == text;
    };
    std::thread a(work, std::ref(same[0]));
    std::thread b(work, std::ref(same[1]));
    a.join();
    b.join();
    QVERIFY(same[0]);
    QVERIFY(same[1]);
}

QTEST_GUILESS_MAIN(TestCp1250)
#include "tst_cp1250.moc"
