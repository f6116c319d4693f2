#include "addressbook/Addresspage.h"
#include "addressbook/Printunit.h"
#include "addressbook/Vcard.h"
#include "appointments/Appointmenteditor.h"
#include "common/FakePlatform.h"
#include "common/TestFiles.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Quickhelpunit.h"
#include "platform/Registry.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace kv;
using test::readAll;
using test::writeRaw;

namespace {
AddressRecord named(const QString &name) {
    AddressRecord r;
    r.name = name;
    return r;
}
} // namespace

Q_DECLARE_METATYPE(kv::AddressRecord)

// The address tab on fakes: every message window answers at once and is
// recorded; the status line is the page's signals.
class TestAddressPage : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<test::FakePlatform> m_fake;
    QTemporaryDir m_configDir;
    std::unique_ptr<Registry> m_registry; // keeps the dialogs' folders
    std::unique_ptr<TAlertForm> m_alert;
    std::unique_ptr<TAskAlertForm> m_ask;
    std::unique_ptr<TQuickHelpForm> m_quickHelp;
    std::unique_ptr<TAddressPage> m_page;
    QStringList m_alerts;   // information texts, with "caption|" when not the usual one
    QStringList m_asked;    // confirmation captions
    QStringList m_statuses; // "+text" success, "-text" failure, "0" cleared
    bool m_confirm = true;
    std::function<void(TPrintForm *)> m_onPrint;

    QString path() const { return m_page->file().filePath(); }
    void store(int entry, const AddressRecord &r) {
        AddressFile file(m_dir->path());
        QCOMPARE(file.storeEntry(entry, r).status, AddressFile::Status::Done);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_fake = std::make_unique<test::FakePlatform>();
        QFile::remove(m_configDir.filePath(QStringLiteral("r.sqlite3")));
        m_registry = std::make_unique<Registry>(m_configDir.filePath(QStringLiteral("r.sqlite3")));
        m_alert = std::make_unique<TAlertForm>(m_fake->platform);
        m_ask = std::make_unique<TAskAlertForm>(m_fake->platform);
        m_quickHelp = std::make_unique<TQuickHelpForm>();
        m_page = std::make_unique<TAddressPage>(
            AddressContext{m_fake->platform, *m_alert, *m_ask, *m_quickHelp, m_dir->path(),
                           QStringLiteral("Kelvadrin  v 4.0.0.1"), m_registry.get(),
                           QStringList{m_dir->filePath(QStringLiteral("Archiwum.tra"))}});
        m_alerts.clear();
        m_asked.clear();
        m_statuses.clear();
        m_confirm = true;
        m_onPrint = nullptr;
        m_fake->modal.onExec = [this](QDialog *d) {
            if (auto *alert = qobject_cast<TAlertForm *>(d)) {
                m_alerts << (alert->windowTitle() == QStringLiteral("Błąd...")
                                 ? alert->text()
                                 : alert->windowTitle() + QLatin1Char('|') + alert->text());
            } else if (auto *ask = qobject_cast<TAskAlertForm *>(d)) {
                m_asked << ask->windowTitle();
                (m_confirm ? ask->BitBtn1 : ask->BitBtn2)->click();
            } else if (auto *print = qobject_cast<TPrintForm *>(d)) {
                if (m_onPrint)
                    m_onPrint(print);
            }
        };
        connect(m_page.get(), &TAddressPage::statusReported, this,
                [this](const QString &t, bool ok) { m_statuses << (ok ? "+" : "-") + t; });
        connect(m_page.get(), &TAddressPage::statusCleared, this, [this] { m_statuses << "0"; });
    }
    void cleanup() {
        m_page.reset();
        m_registry.reset();
        m_dir.reset();
    }

    void startsEmpty() {
        QVERIFY(m_page->BitBtn16->isEnabled());
        for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{
                 m_page->BitBtn17, m_page->BitBtn11, m_page->BitBtn12, m_page->BitBtn13,
                 m_page->BitBtn14})
            QVERIFY(!b->isEnabled());
        QCOMPARE(m_page->entryNumber(), -1);
    }

    void typingTwelveLoadsOneThenTwelve() {
        store(1, named(QStringLiteral("Pierwszy")));
        store(12, named(QStringLiteral("Dwunasty")));
        QTest::keyClicks(m_page->Edit10, QStringLiteral("12"));
        QCOMPARE(m_statuses,
                 (QStringList{"+ Edycja wpisu numer... 1", "+ Edycja wpisu numer... 12"}));
        QCOMPARE(m_page->Edit2->text(), QStringLiteral("Dwunasty"));
        QVERIFY(m_page->BitBtn17->isEnabled() && m_page->BitBtn11->isEnabled());
        QCOMPARE(m_alerts, QStringList());
    }

    void numberField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("alert");
        QTest::addColumn<QString>("numberAfter");
        QTest::newRow("x") << "x"
                           << "W tym polu możesz wprowadzić tylko cyfrę - całkowitą dodatnią."
                           << "";
        QTest::newRow("1001")
            << "1001"
            << "Numer wpisu bazy teleadresowej: przekroczono zakres - max. 1000 wpisów."
            << "";
        QTest::newRow("1000")
            << "1000"
            << "Numer wpisu bazy teleadresowej: przekroczono zakres - max. 1000 wpisów."
            << "";
        QTest::newRow("999") << "999"
                             << ""
                             << "999";
        QTest::newRow("0") << "0"
                           << ""
                           << "0";
        QTest::newRow("digit and letter")
            << "5a"
            << "Wystąpił błąd odczytu danych z bazy teleadresowej. Powód niezależny."
            << "5a";
    }
    void numberField() {
        QFETCH(QString, typed);
        QFETCH(QString, alert);
        QFETCH(QString, numberAfter);
        store(1, named(QStringLiteral("a")));
        m_page->Edit10->setText(QStringLiteral("1"));
        m_alerts.clear();
        m_page->Edit10->setText(typed);
        QCOMPARE(m_alerts, alert.isEmpty() ? QStringList() : QStringList{alert});
        QCOMPARE(m_page->Edit10->text(), numberAfter);
        if (numberAfter != QStringLiteral("5a"))
            QCOMPARE(m_page->Edit2->text(), QString());
    }

    void noFileEmptiesAndReports() {
        m_page->Edit10->setText(QStringLiteral("3"));
        QCOMPARE(m_page->Edit10->text(), QString());
        QVERIFY(m_statuses.contains("- Brak wpisów w bazie teleadresowej."));
    }

    // A damaged file is reported at load and never written over by a store or a delete.
    void damagedFileIsNeverWrittenOver() {
        const QByteArray damaged(877999, 'Z');
        QVERIFY(writeRaw(path(), damaged));
        const QString message =
            QStringLiteral("Błąd odczytu danych. Plik bazy teleadresowej może być uszkodzony.");
        m_page->Edit10->setText(QStringLiteral("2"));
        m_page->Edit2->setText(QStringLiteral("Nowy"));
        m_page->BitBtn16->click();
        m_page->BitBtn17->click();
        m_page->BitBtn11->click();
        QCOMPARE(m_alerts, (QStringList{message, message, message, message}));
        QCOMPARE(readAll(path()), damaged);
    }

    void storeChecks_data() {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QStringList>("alerts");
        QTest::addColumn<QStringList>("statuses");
        QTest::newRow("notes only")
            << ""
            << "notatka" << QStringList{"Wypełnij min. jedno pole danych kluczowych."}
            << QStringList();
        QTest::newRow("bad e-mail")
            << "jan.poczta.pl"
            << "" << QStringList() << QStringList{"- Niepoprawnie podano adres e-mail."};
    }
    void storeChecks() {
        QFETCH(QString, email);
        QFETCH(QString, notes);
        QFETCH(QStringList, alerts);
        QFETCH(QStringList, statuses);
        m_page->Edit7->setText(email);
        m_page->RichEdit3->setPlainText(notes);
        m_statuses.clear();
        m_page->BitBtn16->click();
        QCOMPARE(m_alerts, alerts);
        QCOMPARE(m_statuses, statuses);
        QVERIFY(!QFile::exists(path()));
    }

    void addChangeDelete() {
        for (int n = 1; n <= 7; ++n)
            store(n, named(QString::number(n)));
        store(3, {});
        m_page->Edit2->setText(QStringLiteral("Nowak"));
        m_page->RichEdit3->setPlainText(QStringLiteral("linia 1\nlinia 2"));
        QCOMPARE(m_page->Label23->text(), QStringLiteral("485"));
        m_statuses.clear();
        m_page->BitBtn16->click();
        QCOMPARE(m_page->Edit10->text(), QStringLiteral("3"));
        QCOMPARE(m_statuses.last(), QStringLiteral("+ Nowe dane zapisano pod pozycją nr... 3"));
        QVERIFY(!m_page->BitBtn16->isEnabled());
        m_page->Edit11->setText(QStringLiteral("123"));
        m_page->BitBtn17->click();
        QVERIFY(!m_page->BitBtn17->isEnabled());
        AddressFile file(m_dir->path());
        file.loadWhole();
        QCOMPARE(file.readEntry(3).phone, QStringLiteral("123"));
        QCOMPARE(file.readEntry(3).notes, QStringLiteral("linia 1\r\nlinia 2"));
        m_page->BitBtn11->click();
        QCOMPARE(m_asked, QStringList{QStringLiteral("Usunięcie wpisu...")});
        QCOMPARE(m_page->Edit10->text(), QString());
        file.loadWhole();
        QVERIFY(file.isFree(3));
        QCOMPARE(file.text(AddressFile::Name, 4), QStringLiteral("4"));
        QVERIFY(!m_page->BitBtn11->isEnabled());
    }

    // The label beside the picture clears the tab as the picture does.
    void clearLabelEmptiesTheTab() {
        store(4, named(QStringLiteral("Nowak")));
        m_page->Edit10->setText(QStringLiteral("4"));
        m_page->RichEdit3->setPlainText(QStringLiteral("notatka"));
        m_statuses.clear();
        QTest::mouseClick(m_page->Label28, Qt::LeftButton);
        for (QLineEdit *field : {m_page->Edit2, m_page->Edit10, m_page->Edit11})
            QCOMPARE(field->text(), QString());
        QVERIFY(m_page->RichEdit3->toPlainText().isEmpty());
        QCOMPARE(m_statuses.last(), QStringLiteral("0"));
    }

    void fullBookReportsInTheStatusLine() {
        AddressFile file(m_dir->path());
        file.CreateAddressFile();
        for (int n = 1; n <= AddressFile::kLastEntry; ++n)
            file.writeEntry(n, named(QStringLiteral("x")));
        QVERIFY(file.SaveAddressImage());
        const QByteArray before = readAll(path());
        m_page->Edit2->setText(QStringLiteral("Nowy"));
        m_page->BitBtn16->click();
        QCOMPARE(m_statuses.last(), QStringLiteral("- Baza teleadresowa jest pełna."));
        QCOMPARE(readAll(path()), before);
    }

    void searchAndContinue() {
        store(2, named(QStringLiteral("ANNA Łowicka")));
        store(7, named(QStringLiteral("Joanna")));
        m_page->Edit2->setText(QStringLiteral("anna"));
        m_page->BitBtn10->click();
        QCOMPARE(m_page->Edit10->text(), QStringLiteral("2"));
        QCOMPARE(m_statuses.last(), QStringLiteral("+ Odnaleziono wpis."));
        QVERIFY(m_page->BitBtn12->isEnabled());
        QCOMPARE(m_fake->clock.waits, QList<int>{300});
        m_page->BitBtn12->click(); // the name field shows the whole name now
        QCOMPARE(m_page->Edit10->text(), QStringLiteral("7"));
        m_page->BitBtn12->click();
        QCOMPARE(m_statuses.last(), QStringLiteral("- Nie odnaleziono kolejnych wpisów."));
        QVERIFY(!m_page->BitBtn12->isEnabled());
        m_page->Edit2->setText(QStringLiteral("łowi")); // Polish capitals fold too
        m_page->BitBtn10->click();
        QCOMPARE(m_page->Edit10->text(), QStringLiteral("2"));
        m_page->RadioButtons[1]->click();
        m_page->BitBtn10->click();
        QCOMPARE(m_statuses.last(), QStringLiteral("- Brak kryteriów wyszukiwania."));
        m_page->Edit3->setText(QStringLiteral("nigdzie"));
        m_page->BitBtn10->click();
        QCOMPARE(m_statuses.last(),
                 QStringLiteral("- Nie odnaleziono wpisów odpowiadających zadanym kryteriom."));
    }

    void mailButton() {
        m_page->Edit7->setText(QStringLiteral("zły adres@x.pl"));
        QVERIFY(m_page->BitBtn14->isEnabled());
        m_page->BitBtn14->click();
        QCOMPARE(m_statuses.last(), QStringLiteral("- Niepoprawnie podano adres e-mail."));
        QVERIFY(m_fake->shell.urls.isEmpty());
        m_page->Edit7->setText(QStringLiteral("jan@poczta.pl"));
        m_page->BitBtn14->click();
        QCOMPARE(m_fake->shell.urls,
                 QList<QUrl>{QUrl(QStringLiteral("mailto:jan@poczta.pl?subiect="))});
    }

    void exportWithoutFileOpensNoDialog() {
        m_page->ExportAddressBook();
        QCOMPARE(m_alerts, QStringList{QStringLiteral("Brak wpisów w bazie teleadresowej.")});
        QVERIFY(m_fake->fileDialogs.titles.isEmpty());
    }

    // The export proposes its name and opens at home; it never writes over
    // the program's own files (also through a link), nor into a FIFO. A FIFO
    // is never read for an import.
    void exportAndImportTakeOnlyOtherRegularFiles() {
        store(1, named(QStringLiteral("Nowak")));
        const QByteArray before = readAll(path());
        const QString archive = m_dir->filePath(QStringLiteral("Archiwum.tra"));
        QVERIFY(writeRaw(archive, "archiwum"));
        const QString link = m_dir->filePath(QStringLiteral("link.adr"));
        QVERIFY(QFile::link(path(), link));
        const QString fifo = m_dir->filePath(QStringLiteral("fifo.adr"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &target : {archive, link, fifo}) {
            m_fake->fileDialogs.answers << target;
            m_page->ExportAddressBook();
        }
        const auto &request = m_fake->fileDialogs.requests.front();
        QCOMPARE(request.proposedName, QStringLiteral("Baza teleadresowa.adr"));
        QCOMPARE(request.folder, QDir::homePath());
        m_fake->fileDialogs.answers << fifo;
        m_page->ImportAddressBook();
        QCOMPARE(
            m_alerts,
            (QStringList{3, QStringLiteral("Nie można wyeksportować danych. Powód niezależny.")}
             << QStringLiteral("Nie można zaimportować danych. Powód niezależny.")));
        QVERIFY(m_asked.isEmpty());
        QCOMPARE(readAll(path()), before);
        QCOMPARE(readAll(archive), QByteArray("archiwum"));
    }

    // vCard beside the address file: chosen by the filter on export, known by
    // the content on import, added to the free entries after one question.
    void vcardExportAndAddingImport() {
        AddressRecord nowak = named(QStringLiteral("Nowak"));
        nowak.phone = QStringLiteral("+48 12 345");
        nowak.notes = QStringLiteral("linia 1\r\nlinia 2");
        store(1, nowak);
        const QString vcf = m_dir->filePath(QStringLiteral("kontakty.vcf"));
        m_fake->fileDialogs.answers << vcf;
        m_page->ExportAddressBook();
        QVERIFY(Vcard::looksLikeVcard(readAll(vcf)));
        const QByteArray adr = readAll(path());

        m_confirm = false; // declined: the file stays as it was
        m_fake->fileDialogs.answers << vcf;
        m_page->ImportAddressBook();
        QCOMPARE(m_asked, QStringList{QStringLiteral("Import bazy teleadresowej...")});
        QCOMPARE(readAll(path()), adr);
        m_confirm = true;
        m_fake->fileDialogs.answers << vcf;
        m_page->ImportAddressBook();
        AddressFile file(m_dir->path());
        QCOMPARE(file.LoadAddressImage(), BlockImage::LoadStatus::Whole);
        QCOMPARE(file.readEntry(1), nowak);
        QCOMPARE(file.readEntry(2), nowak);
        QCOMPARE(m_alerts, QStringList{QStringLiteral("Import danych|Import danych bazy "
                                                      "teleadresowej zakończono pomyślnie.")});
    }

    // The kind follows the typed suffix, else the filter as the dialog
    // reports it (Qt's own dialog: its name without the patterns).
    void exportKindFollowsNameThenFilter_data() {
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("vcard");
        QTest::newRow("named filter, .vcf") << "vCard"
                                            << "kontakty.vcf" << true;
        QTest::newRow("named filter, no suffix") << "vCard"
                                                 << "kontakty" << true;
        QTest::newRow(".vcf under the first filter") << "Kelvadrin - Baza teleadresowa (*.adr)."
                                                     << "kontakty.VCF" << true;
        QTest::newRow(".adr under vCard") << "vCard (*.vcf)"
                                          << "kopia.adr" << false;
        QTest::newRow("first filter, no suffix") << "Kelvadrin - Baza teleadresowa (*.adr)."
                                                 << "kopia" << false;
    }
    void exportKindFollowsNameThenFilter() {
        QFETCH(QString, reported);
        QFETCH(QString, name);
        QFETCH(bool, vcard);
        store(1, named(QStringLiteral("Nowak")));
        const QString target = m_dir->filePath(name);
        m_fake->fileDialogs.answers << target;
        m_fake->fileDialogs.reported << reported;
        m_page->ExportAddressBook();
        const QByteArray bytes = readAll(target);
        QCOMPARE(Vcard::looksLikeVcard(bytes), vcard);
        if (!vcard)
            QCOMPARE(bytes, readAll(path()));
        QFile::remove(target);
    }

    void importChecks_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QStringList>("alerts");
        QTest::addColumn<int>("asked");
        QTest::newRow("877999") << 877999 << true
                                << QStringList{"Błąd importu danych. Plik bazy teleadresowej jest "
                                               "niewłaściwy lub uszkodzony."}
                                << 0;
        QTest::newRow("878001") << 878001 << true
                                << QStringList{"Błąd importu danych. Plik bazy teleadresowej jest "
                                               "niewłaściwy lub uszkodzony."}
                                << 0;
        QTest::newRow("cancelled") << 878000 << false << QStringList() << 1;
        QTest::newRow("missing") << -1 << true << QStringList{"Brak pliku bazy teleadresowej."}
                                 << 0;
    }
    void importChecks() {
        QFETCH(int, size);
        QFETCH(bool, confirm);
        QFETCH(QStringList, alerts);
        QFETCH(int, asked);
        store(1, named(QStringLiteral("stary")));
        const QByteArray before = readAll(path());
        const QString chosen = m_dir->filePath(QStringLiteral("in.adr"));
        if (size >= 0)
            QVERIFY(writeRaw(chosen, QByteArray(size, 'A')));
        m_confirm = confirm;
        m_fake->fileDialogs.answers << chosen;
        m_page->ImportAddressBook();
        QCOMPARE(m_alerts, alerts);
        QCOMPARE(m_asked.size(), asked);
        QCOMPARE(readAll(path()), before);
    }

    void importThenExportByteForByte() {
        AddressFile other(m_dir->filePath(QStringLiteral("other")));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("other")));
        other.storeEntry(5, named(QStringLiteral("Zaimportowany")));
        store(1, named(QStringLiteral("stary")));
        m_page->Edit10->setText(QStringLiteral("1"));
        m_fake->fileDialogs.answers << other.filePath();
        m_page->ImportAddressBook();
        QCOMPARE(m_asked, QStringList{QStringLiteral("Import bazy teleadresowej...")});
        QCOMPARE(m_alerts,
                 QStringList{QStringLiteral(
                     "Import danych|Import danych bazy teleadresowej zakończono pomyślnie.")});
        QCOMPARE(m_alert->windowTitle(), QStringLiteral("Błąd..."));
        QCOMPARE(m_page->Edit10->text(), QString());
        QCOMPARE(m_page->Edit2->text(), QString());
        QCOMPARE(readAll(path()), readAll(other.filePath()));
        m_page->Edit10->setText(QStringLiteral("5"));
        QCOMPARE(m_page->Edit2->text(), QStringLiteral("Zaimportowany"));

        const QString exported = m_dir->filePath(QStringLiteral("eksport.adr"));
        m_fake->fileDialogs.answers << exported;
        m_page->ExportAddressBook();
        QCOMPARE(m_fake->fileDialogs.titles.last(),
                 QStringLiteral("Eksportuj zawartość bazy teleadresowej..."));
        QCOMPARE(readAll(exported), readAll(other.filePath()));
        QCOMPARE(QFile::permissions(exported) &
                     ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFileDevice::Permissions());
    }

    void failedImportCopyLeavesTheOldFile() {
        store(1, named(QStringLiteral("stary")));
        const QByteArray before = readAll(path());
        QTemporaryDir source;
        AddressFile other(source.path());
        other.CreateAddressFile();
        m_fake->fileDialogs.answers << other.filePath();
        // A disk that fills up during the copy (the limit stops root too).
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 100000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        m_page->ImportAddressBook();
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(m_alerts,
                 QStringList{QStringLiteral("Nie można zaimportować danych. Powód niezależny.")});
        QCOMPARE(readAll(path()), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{AddressFile::kFileName});
    }

    void printSheet_data() {
        QTest::addColumn<AddressRecord>("record");
        QTest::addColumn<QStringList>("lines");
        AddressRecord phone;
        phone.phone = QStringLiteral("123");
        QTest::newRow("phone only") << phone << QStringList{"", "Tel. 123"};
        AddressRecord town;
        town.town = QStringLiteral("Łódź");
        town.code = QStringLiteral("90-001");
        QTest::newRow("code and town") << town << QStringList{"", "90-001 Łódź"};
        town.code.clear();
        QTest::newRow("town alone") << town << QStringList{"", "Łódź"};
        AddressRecord codeOnly;
        codeOnly.code = QStringLiteral("90-001");
        codeOnly.icq = QStringLiteral("77");
        QTest::newRow("code without town") << codeOnly << QStringList{"", "icq: 77"};
        AddressRecord all{"Jan", "Ełk", "19-300", "Wąska 1", "5", "j@k.pl", "9", "a\r\nb"};
        QTest::newRow("all")
            << all
            << QStringList{
                   "",       "Jan", "",  "19-300 Ełk", "ul. Wąska 1", "Tel. 5", "e-mail: j@k.pl",
                   "icq: 9", "",    "a", "b"};
    }
    void printSheet() {
        QFETCH(AddressRecord, record);
        QFETCH(QStringList, lines);
        QCOMPARE(TPrintForm::composeLines(record), lines);
    }

    void printWindowBoxes() {
        m_fake->clock.set(2026, 3, 7, 9, 0);
        m_page->Edit11->setText(QStringLiteral("123"));
        m_page->Edit10->blockSignals(true);
        m_page->Edit10->setText(QStringLiteral("8"));
        m_page->Edit10->blockSignals(false);
        QStringList withHeader, afterHeader, withDate, afterDate;
        m_onPrint = [&](TPrintForm *p) {
            QVERIFY(p->RichEdit1->document()->defaultFont().bold());
            const QStringList plain = p->sheetLines();
            p->CheckBox2->click();
            withHeader = p->sheetLines();
            p->CheckBox2->click();
            afterHeader = p->sheetLines();
            p->CheckBox1->click();
            withDate = p->sheetLines();
            p->RichEdit1->append(QStringLiteral("dopisane"));
            p->CheckBox1->click();
            afterDate = p->sheetLines();
            QCOMPARE(afterHeader, plain);
            p->Button2->click();
            p->Button4->click();
            QVERIFY(!p->CheckBox1->isChecked() && !p->CheckBox2->isChecked());
        };
        m_page->BitBtn13->click();
        QCOMPARE(withHeader,
                 (QStringList{"", "Kelvadrin  v 4.0.0.1", "",
                              "Baza teleadresowa... wpis numer 8:", "", "", "Tel. 123"}));
        QCOMPARE(withDate, (QStringList{"", "Tel. 123", "", "Wydruk utworzono 7 marca 2026"}));
        QCOMPARE(afterDate, (QStringList{"", "Tel. 123", ""})); // the two last lines went
        QCOMPARE(m_fake->printer.jobs.size(), size_t(1));
        QCOMPARE(m_fake->printer.jobs[0].title, QStringLiteral("Kelvadrin - baza teleadresowa."));
        QVERIFY(m_fake->printer.jobs[0].text.contains(QStringLiteral("Tel. 123")));

        // Without an entry number, and with a failing printer.
        m_page->Edit10->blockSignals(true);
        m_page->Edit10->clear();
        m_page->Edit10->blockSignals(false);
        m_fake->printer.succeed = false;
        m_onPrint = [&](TPrintForm *p) {
            p->CheckBox2->click();
            withHeader = p->sheetLines();
            p->Button2->click();
        };
        m_page->BitBtn13->click();
        QCOMPARE(withHeader.value(3), QStringLiteral("Baza teleadresowa..."));
        QCOMPARE(m_alerts,
                 QStringList{QStringLiteral("Operacja wydruku nie może zostać zrealizowana.")});
        QCOMPARE(m_page->printForm()->windowTitle(), QStringLiteral("Baza teleadresowa"));
        QCOMPARE(m_page->printForm()->size(), QSize(647, 526));
    }

    void quickHelpAndLinkNeedANumber() {
        m_page->SpeedButton2->click();
        QCOMPARE(m_statuses.last(), QStringLiteral("- Określ wpis na podstawie jego numeru."));
        QSignalSpy link(m_page.get(), &TAddressPage::linkRequested);
        store(4, named(QStringLiteral("x")));
        m_page->Edit10->setText(QStringLiteral("4"));
        m_page->SpeedButton2->click();
        QCOMPARE(link.size(), 1);
        QCOMPARE(link[0][0].toInt(), 4);
        QCOMPARE(m_statuses.last(), QStringLiteral("+ Dodano wpis do aktualnego terminu."));
        emit m_page->NumberLabel->clicked();
        QCOMPARE(m_quickHelp->windowTitle(), QStringLiteral("Baza teleadresowa - pozycje"));
    }
};

QTEST_MAIN(TestAddressPage)
#include "tst_addresspage.moc"
