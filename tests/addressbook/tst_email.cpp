#include "addressbook/Correct_emailunit.h"

#include <QTest>

using namespace kv;

class TestEmail : public QObject {
    Q_OBJECT
private slots:
    void check_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "jan@poczta.pl" << true;
        QTest::newRow("blanks around") << "  jan@poczta.pl \t" << true;
        QTest::newRow("blank inside") << "jan kowal@poczta.pl" << false;
        QTest::newRow("no at") << "jan.poczta.pl" << false;
        QTest::newRow("at first") << "@poczta.pl" << false;
        QTest::newRow("at last") << "jan@" << false;
        QTest::newRow("two at") << "jan@poczta@pl.pl" << false;
        QTest::newRow("two at far apart") << "a@b.pl.................@c" << false;
        QTest::newRow("no dot") << "jan@poczta" << false;
        QTest::newRow("dot after at") << "jan@.poczta.pl" << false;
        QTest::newRow("single trailing dot") << "jan@poczta." << false;
        QTest::newRow("earlier dot and trailing dot") << "jan@poczta.pl." << true;
        QTest::newRow("two dots in a row") << "jan@poczta..pl" << true;
        QTest::newRow("dots before at") << ".jan.@poczta.pl" << true;
        QTest::newRow("colon") << "jan:@poczta.pl" << false;
        QTest::newRow("bracket") << "jan@poczta.pl]" << false;
        QTest::newRow("open bracket") << "[jan@poczta.pl" << false;
        QTest::newRow("parenthesis") << "jan(x)@poczta.pl" << false;
        QTest::newRow("Polish letters") << "łucja@żółw.pl" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("control trimmed") << "\x01jan@poczta.pl\x1f" << true;
    }
    void check() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const QString before = text;
        QCOMPARE(IsValidEmail(text), valid);
        QCOMPARE(text, before);
    }

    void mailLinkEndsWithTheEmptySubject_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("link");
        QTest::newRow("plain") << "jan@poczta.pl"
                               << "mailto:jan@poczta.pl?subiect=";
        QTest::newRow("untrimmed") << " jan@poczta.pl"
                                   << "mailto:%20jan@poczta.pl?subiect=";
        QTest::newRow("query inside") << "a?b@c.pl"
                                      << "mailto:a%3Fb@c.pl?subiect=";
        QTest::newRow("Polish") << "ż@c.pl"
                                << "mailto:%C5%BC@c.pl?subiect=";
    }
    void mailLinkEndsWithTheEmptySubject() {
        QFETCH(QString, address);
        QFETCH(QString, link);
        const QUrl url = mailLink(address);
        QCOMPARE(url.toString(QUrl::FullyEncoded), link);
        QCOMPARE(url.path(), address);
    }
};

QTEST_GUILESS_MAIN(TestEmail)
#include "tst_email.moc"
