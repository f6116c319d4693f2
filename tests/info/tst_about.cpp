#include "app/Firststartunit.h"
#include "common/AppFixture.h"
#include "info/Aboutunit.h"
#include "info/Helpunit.h"
#include "info/Quickhelpunit.h"
#include "widgets/ClickLabel.h"

#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

using namespace kv;

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void linksGoToTheShell() {
        test::FakePlatform fake;
        TAboutForm about(fake.platform);
        about.show();
        QTest::mouseClick(about.Label5, Qt::LeftButton);
        QTest::mouseClick(about.Label6, Qt::LeftButton);
        QCOMPARE(fake.shell.urls,
                 (QList<QUrl>{QUrl(QStringLiteral("mailto:kelvadrin@example.org?subject=")),
                              QUrl(QStringLiteral("https://kelvadrin.example.org/"))}));
        QCOMPARE(about.Label6->text(), QStringLiteral("https://kelvadrin.example.org/"));
    }

    void pagesAreKeptBetweenShowings() {
        test::FakePlatform fake;
        TAboutForm about(fake.platform);
        about.show();
        about.BitBtn4->click();
        about.BitBtn1->click();
        QVERIFY(!about.isVisible());
        about.show();
        QCOMPARE(about.PageControl1->currentIndex(), 1);
        about.BitBtn3->click();
        QCOMPARE(about.PageControl1->currentIndex(), 0);
    }

    void inTheProgram() {
        test::AppFixture app;
        QCOMPARE(app.start(), -1);
        TFirstStartForm *first = app.program->firstStartForm();
        first->BitBtn1->click();
        QVERIFY(!first->isVisible());

        // "&Powitanie" shows the first-start window with "&Zamknij"; its
        // "Autor" writes to the same address as the about window.
        TAboutForm *about = app.forms().about;
        about->show();
        about->BitBtn2->click();
        QVERIFY(first->isVisible());
        QCOMPARE(first->BitBtn1->text(), QStringLiteral("&Zamknij"));
        first->Label3Click();
        about->Label5Click();
        QCOMPARE(app.fake.shell.urls.size(), 2);
        QCOMPARE(app.fake.shell.urls.at(0), app.fake.shell.urls.at(1));

        // "&Pomoc" of the quick help shows the help modally; the quick help stays.
        TQuickHelpForm *quick = app.forms().quickHelp;
        quick->showQuickHelp(QStringLiteral("Terminy"), QStringLiteral("tekst"));
        quick->BitBtn2->click();
        QCOMPARE(app.fake.modal.count(), 1);
        QCOMPARE(app.fake.modal.shown.back().dialog, app.forms().help.ifMade());
        QVERIFY(quick->isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
