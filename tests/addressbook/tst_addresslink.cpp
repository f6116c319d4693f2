#include "addressbook/Addresspage.h"
#include "app/Optionsunit.h"
#include "appointments/Appointmenteditor.h"
#include "appointments/Remaindunit.h"
#include "common/AppFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QtTest>

using namespace kv;
using test::AppFixture;

// The address book's links to the appointments, through the whole program.
class TestAddressLink : public QObject {
    Q_OBJECT
    std::unique_ptr<AppFixture> m_app;

    void storeEntry(int n, const QString &name) {
        AddressFile file(m_app->installDir());
        AddressRecord r;
        r.name = name;
        QCOMPARE(file.storeEntry(n, r).status, AddressFile::Status::Done);
    }

private slots:
    void init() {
        m_app = std::make_unique<AppFixture>();
        m_app->fake.clock.set(2026, 12, 8, 10, 15);
        QCOMPARE(m_app->start(), -1);
    }
    void cleanup() { m_app.reset(); }

    void linkButtonWritesTheCurrentAppointmentsLink() {
        TOptionsForm *w = m_app->main();
        storeEntry(6, QStringLiteral("Kowalski"));
        w->editor()->SelectSlot(3);
        w->selectTab(1);
        w->addressPage()->Edit10->setText(QStringLiteral("6"));
        w->addressPage()->SpeedButton2->click();
        QCOMPARE(w->store().key().readInteger(QStringLiteral("Add Adress 3")), 6);
        QCOMPARE(w->editor()->Edit12->text(), QStringLiteral("6"));
        QCOMPARE(w->TabControl1->currentIndex(), 0);
        QCOMPARE(w->PageControl1->currentIndex(), 0);
        QCOMPARE(w->Panel4->text(), QStringLiteral(" Dodano wpis do aktualnego terminu."));
        QVERIFY(!w->editor()->CheckBox4->isChecked());
    }

    void reminderOpensTheLinkedEntry() {
        TOptionsForm *w = m_app->main();
        storeEntry(6, QStringLiteral("Łucja Nowak"));
        RegKey k = w->store().key();
        k.writeBool(QStringLiteral("Termin 2"), true);
        k.writeString(QStringLiteral("Date 2"), QStringLiteral("12/08/26"));
        k.writeString(QStringLiteral("Time 2"), QStringLiteral("10:15"));
        k.writeString(QStringLiteral("Info 2"), QStringLiteral("Zadzwoń"));
        k.writeInteger(QStringLiteral("Add adress 2"), 6);
        QString entryLine;
        m_app->fake.modal.onExec = [&](QDialog *d) {
            if (auto *remaind = qobject_cast<TRemaindForm *>(d)) {
                entryLine = remaind->EntryLine->text();
                remaind->BitBtn3->click();
            }
        };
        w->Timer1Timer();
        QCOMPARE(entryLine, QStringLiteral("wpis numer 6"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->PageControl1->currentIndex(), 1);
        QCOMPARE(w->addressPage()->Edit10->text(), QStringLiteral("6"));
        QCOMPARE(w->addressPage()->Edit2->text(), QStringLiteral("Łucja Nowak"));
    }

    void menuImportAndExportReachThePage() {
        TOptionsForm *w = m_app->main();
        w->ensureBuilt();                // the menus are in the window
        w->M_ExportAddresses->trigger(); // no file yet: a message, no dialog
        w->M_ImportAddresses->trigger(); // cancelled dialog
        QCOMPARE(m_app->fake.fileDialogs.titles,
                 QStringList{QStringLiteral("Importuj bazę teleadresową...")});
        QCOMPARE(m_app->fake.fileDialogs.filters.value(0),
                 QStringLiteral("Kelvadrin - Baza teleadresowa (*.adr). (*.adr);;vCard (*.vcf)"));
    }
};

QTEST_MAIN(TestAddressLink)
#include "tst_addresslink.moc"
