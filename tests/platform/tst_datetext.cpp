#include "platform/DateText.h"

#include <QtTest>

using namespace kv;

class TestDateText : public QObject {
    Q_OBJECT
private slots:
    void dateInWords_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("words");
        QTest::newRow("leading zero dropped") << "03/05/04"
                                              << " 5 marca 2004";
        QTest::newRow("two-digit day") << "12/24/26"
                                       << " 24 grudnia 2026";
        QTest::newRow("September") << "09/01/30"
                                   << " 1 września 2030";
        QTest::newRow("month out of range") << "13/10/26"
                                            << " 10 13 2026";
        QTest::newRow("separators unread") << "10-31x99"
                                           << " 31 października 2099";
    }
    void dateInWords() {
        QFETCH(QString, stored);
        QFETCH(QString, words);
        QCOMPARE(kv::dateInWords(stored), words);
    }

    void foldCaseFoldsPolishLetters() {
        const QString upper = QStringLiteral("ĄĆĘŁŃÓŚŹŻ ABCXYZ ŁÓDŹ");
        QCOMPARE(foldCase(upper), QStringLiteral("ąćęłńóśźż abcxyz łódź"));
        QCOMPARE(foldCase(upper).size(), upper.size());
        QVERIFY(foldCase(QStringLiteral("Spotkanie w ŁODZI")).contains(foldCase("łodzi")));
    }
};

QTEST_MAIN(TestDateText)
#include "tst_datetext.moc"
