#include "common/FakePlatform.h"
#include "info/Helpunit.h"
#include "info/Quickhelpunit.h"
#include "widgets/ArrowPair.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

using namespace kv;

namespace {
struct Run {
    QString text;
    QColor colour;
    int position;
};

// The runs of a text box that carry a colour of their own.
QList<Run> colouredRuns(QTextEdit *edit) {
    QList<Run> runs;
    for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().hasProperty(QTextFormat::ForegroundBrush))
                runs << Run{fragment.text(), fragment.charFormat().foreground().color(),
                            fragment.position()};
        }
    return runs;
}

QStringList textsIn(const QList<Run> &runs, const QColor &colour) {
    QStringList texts;
    for (const Run &run : runs)
        if (run.colour == colour)
            texts << run.text;
    texts.sort();
    return texts;
}
} // namespace

class TestHelp : public QObject {
    Q_OBJECT
    test::FakePlatform m_fake;

private slots:
    void colourMarksTheFirstExactOccurrenceOnly_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("keywords");
        QTest::addColumn<QStringList>("coloured");
        QTest::newRow("first of two")
            << "Data i Data" << QStringList{"Data"} << QStringList{"Data"};
        QTest::newRow("case counts")
            << "data, potem Data" << QStringList{"Data"} << QStringList{"Data"};
        QTest::newRow("missing keyword") << "nic tu nie ma" << QStringList{"Data"} << QStringList{};
        QTest::newRow("prefix and whole")
            << "Termin x Termin cykliczny" << QStringList{"Termin", "Termin cykliczny"}
            << QStringList{"Termin", "Termin cykliczny"};
    }
    void colourMarksTheFirstExactOccurrenceOnly() {
        QFETCH(QString, text);
        QFETCH(QStringList, keywords);
        QFETCH(QStringList, coloured);
        QTextEdit edit;
        edit.setPlainText(QStringLiteral("wiersz\n") + text);
        THelpForm::colourFirstOccurrences(&edit, keywords, THelpForm::red());
        const QList<Run> runs = colouredRuns(&edit);
        QStringList found;
        for (const Run &run : runs) {
            QCOMPARE(run.colour, QColor(255, 0, 0));
            QCOMPARE(run.position, int(edit.toPlainText().indexOf(run.text)));
            found << run.text;
        }
        QCOMPARE(found, coloured);
        QCOMPARE(edit.toPlainText(), QStringLiteral("wiersz\n") + text);
    }

    void pageOneColoursTheEditorsControls() {
        THelpForm help(m_fake.screen);
        help.ensureBuilt();
        const QList<Run> runs = colouredRuns(help.pageText(1));
        QCOMPARE(textsIn(runs, QColor(255, 0, 0)), (QStringList{"Objaśnienia", "aktywacji"}));
        QStringList green{"Termin",
                          "Dodaj",
                          "Data",
                          "Godzina",
                          "Usuń",
                          "Drukuj",
                          "Zegar",
                          "Termin cykliczny",
                          "Powiązanie z wpisem..."};
        green.sort();
        QCOMPARE(textsIn(runs, QColor(0, 128, 0)), green);
        QCOMPARE(runs.size(), 11);
    }

    void everyColouredRunIsAFirstOccurrenceAndPageSevenIsPlain() {
        THelpForm help(m_fake.screen);
        help.ensureBuilt();
        QVERIFY(colouredRuns(help.pageText(7)).isEmpty());
        for (int page = 0; page < THelpForm::PageCount - 1; ++page) {
            const QString plain = help.pageText(page)->toPlainText();
            for (const Run &run : colouredRuns(help.pageText(page)))
                QCOMPARE(run.position, int(plain.indexOf(run.text)));
        }
    }

    void selectorAndStepperKeepInStep() {
        THelpForm help(m_fake.screen);
        help.show();
        help.ComboBox1->activated(5);
        QCOMPARE(help.currentPage(), 5);
        QCOMPARE(help.UpDown1->position(), 5);
        help.UpDown1->RightButton->click();
        QCOMPARE(help.currentPage(), 6);
        QCOMPARE(help.ComboBox1->currentIndex(), 6);
        help.UpDown1->RightButton->click();
        help.UpDown1->RightButton->click();
        QCOMPARE(help.currentPage(), 7);
        help.ComboBox1->activated(0);
        help.UpDown1->LeftButton->click();
        QCOMPARE(help.currentPage(), 0);
        QCOMPARE(help.ComboBox1->currentIndex(), 0);
    }

    void thePageLeftIsShownAgainAtTheSamePlace() {
        THelpForm help(m_fake.screen);
        help.show();
        const QPoint place = help.pos();
        QCOMPARE(place, QPoint((1280 - help.width()) / 2, (1024 - help.height()) / 2));
        help.ComboBox1->activated(5);
        help.BitBtn1->click();
        QVERIFY(!help.isVisible());
        help.move(3, 3);
        help.show();
        QCOMPARE(help.currentPage(), 5);
        QCOMPARE(help.ComboBox1->currentText(), QStringLiteral(" Archiwum "));
        QCOMPARE(help.UpDown1->position(), 5);
        QCOMPARE(help.pos(), place);
    }

    void quickHelpIsReplacedByASecondRequest() {
        TQuickHelpForm quick(&m_fake.screen);
        quick.showQuickHelp(QStringLiteral("Pierwszy"), QStringLiteral("pierwszy tekst"));
        quick.showQuickHelp(QStringLiteral("Drugi"), QStringLiteral("drugi\n\ntekst"));
        QVERIFY(quick.isVisible());
        QCOMPARE(quick.windowTitle(), QStringLiteral("Drugi"));
        QCOMPARE(quick.text(), QStringLiteral("drugi\n\ntekst"));
        QSignalSpy help(&quick, &TQuickHelpForm::helpRequested);
        quick.BitBtn2->click();
        QCOMPARE(help.count(), 1);
        QVERIFY(quick.isVisible());
        quick.BitBtn1->click();
        QVERIFY(!quick.isVisible());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
