#include "addressbook/AddressFile.h"
#include "app/Firststartunit.h"
#include "common/AppFixture.h"
#include "info/Askalertunit.h"
#include "platform/FileHandoff.h"
#include "platform/RegistryNames.h"
#include "platform/SingleInstance.h"
#include "platform/Tray.h"

#include "widgets/ShadowHeading.h"
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>
#include <future>

using namespace kv;
using test::AppFixture;

class TestStartup : public QObject {
    Q_OBJECT

    static QColor colourAt(QTextEdit *edit, const QString &phrase, int offsetInPhrase) {
        const int at = edit->toPlainText().indexOf(phrase);
        QTextCursor cursor(edit->document());
        cursor.setPosition(at + offsetInPhrase);
        cursor.setPosition(at + offsetInPhrase + 1, QTextCursor::KeepAnchor);
        return cursor.charFormat().foreground().color();
    }

private slots:
    void firstStartShowsTheWelcomeOnce() {
        AppFixture app;
        QCOMPARE(app.start(), -1);
        QVERIFY(app.registry->keyExists(QStringLiteral("Software\\Kelvadrin")));
        QVERIFY(app.registry->keyExists(QStringLiteral("Software\\Kelvadrin\\Terminy")));
        QVERIFY(app.registry->keyExists(QStringLiteral("Software\\Kelvadrin\\Zadania")));
        TFirstStartForm *welcome = app.program->firstStartForm();
        QVERIFY(welcome->isVisible());
        QCOMPARE(welcome->windowTitle(), QStringLiteral("Kelvadrin"));
        QCOMPARE(welcome->Title->text(), QStringLiteral("Pierwsze uruchomienie..."));
        QVERIFY(!app.main()->isVisible()); // the main window waits for the icon
        QVERIFY(app.main()->TrayIcon1->isVisible());

        // The two phrases are red; the text around them is not.
        QTextEdit *text = welcome->RichEdit1;
        QVERIFY(text->toPlainText().startsWith(QStringLiteral("Witam,\n\nprogram ulokował")));
        const QString phrase =
            QStringLiteral("program ulokował swoją ikonę na pasku zadań systemu");
        QCOMPARE(colourAt(text, phrase, 0), QColor(Qt::red));
        QCOMPARE(colourAt(text, phrase, phrase.size() - 1), QColor(Qt::red));
        QCOMPARE(colourAt(text, QStringLiteral("Windows"), 3), QColor(Qt::red));
        QVERIFY(colourAt(text, QStringLiteral("Witam"), 0) != QColor(Qt::red));
        QVERIFY(colourAt(text, QStringLiteral(". Dostęp"), 2) != QColor(Qt::red));

        // "Autor" opens a new mail; "&Kontynuuj" hides the window.
        welcome->Label3Click();
        QCOMPARE(app.fake.shell.urls.size(), 1);
        QCOMPARE(app.fake.shell.urls.first().scheme(), QStringLiteral("mailto"));
        QVERIFY(app.fake.shell.urls.first().toString().endsWith(QStringLiteral("?subject=")));
        welcome->BitBtn1->click();
        QVERIFY(!welcome->isVisible());
        QVERIFY(!app.program->ended());

        app.stop();
        QCOMPARE(app.start(), -1);
        QVERIFY(!app.program->firstStartForm()->isVisible());
    }

    void secondCopyEndsWithItsMessage() {
        AppFixture app;
        SingleInstance running(app.path(QStringLiteral("Kelvadrin.exe.lock")));
        QVERIFY(!running.alreadyRunning());
        app.arguments << app.path(QStringLiteral("import.ter"));
        QCOMPARE(app.start(), 0);
        QCOMPARE(app.fake.startupMessage.texts,
                 QStringList{QStringLiteral("        Ten program jest już uruchomiony !        ")});
        QVERIFY(!app.main()->TrayIcon1->isVisible());
        QVERIFY(app.program->ended());
    }

    // A second copy started between the running copy's lock and the end of
    // its start (here: while it checks its fonts) hands its file over, and
    // the file is imported exactly once.
    void fileHandedOverDuringTheStartIsImportedOnce() {
        AppFixture app;
        const QString ter = app.path(QStringLiteral("Terminy.ter"));
        QFile file(ter);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(31680, '\0'));
        file.close();
        std::future<bool> sent;
        app.onFontCheck = [&] {
            if (!sent.valid())
                sent = std::async(std::launch::async, [&] {
                    return FileHandoff::send(FileHandoff::socketFor(app.context->lockFile), ter);
                });
        };
        app.fake.modal.onExec = [](QDialog *d) {
            if (auto *ask = qobject_cast<TAskAlertForm *>(d))
                ask->BitBtn1->click();
        };
        QCOMPARE(app.start(), -1);
        QVERIFY(sent.valid());
        QTRY_VERIFY(sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
        QVERIFY(sent.get());
        QTRY_COMPARE(app.fake.modal.count(), 2); // the question and the success
        QCoreApplication::processEvents();
        QCOMPARE(app.fake.modal.count(), 2);
        QCOMPARE(app.fake.modal.shown.back().title, QStringLiteral("Import danych"));
        QVERIFY(!app.program->ended());
    }

    // A calendar or a contact file on the command line goes where its content
    // belongs, whatever its name: added after one question.
    void commandLineFileGoesWhereItsContentBelongs_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("question");
        QTest::newRow("calendar") << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n"
                                                "UID:u\r\nDTSTART:20991231T100000\r\nSUMMARY:"
                                                "Sylwester\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
                                  << QStringLiteral("Import danych z pliku...");
        QTest::newRow("contacts") << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Sylwester\r\n"
                                                "N:Sylwester;;;;\r\nEND:VCARD\r\n")
                                  << QStringLiteral("Import bazy teleadresowej...");
    }
    void commandLineFileGoesWhereItsContentBelongs() {
        QFETCH(QByteArray, content);
        QFETCH(QString, question);
        AppFixture app;
        const QString name = app.path(QStringLiteral("plik.dat"));
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        app.arguments << name;
        app.fake.modal.onExec = [](QDialog *d) {
            if (auto *ask = qobject_cast<TAskAlertForm *>(d))
                ask->BitBtn1->click();
        };
        QCOMPARE(app.start(), -1);
        QCOMPARE(app.fake.modal.shown.front().title, question);
        const bool calendar = question.startsWith(QStringLiteral("Import danych"));
        QCOMPARE(app.registry->openKey(names::appointmentsKey, false)
                     .stringOrAbsent(names::info(1))
                     .value_or(QString()),
                 calendar ? QStringLiteral("Sylwester") : QString());
        AddressFile book(app.installDir());
        book.LoadAddressImage();
        QCOMPARE(book.text(AddressFile::Name, 1),
                 calendar ? QString() : QStringLiteral("Sylwester"));
    }

    void staleTemporaryFilesGoAtStartOnlyWhenTheMarkerIsHeld() {
        AppFixture app;
        QVERIFY(QDir().mkpath(app.installDir()));
        const QString stale = app.installDir() + QStringLiteral("/Archiwum.tra.x7Kp2Q");
        const QString other = app.installDir() + QStringLiteral("/Archiwum.tra.old");
        for (const QString &name : {stale, other}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        {
            // A running copy may be writing it: the second copy leaves it.
            SingleInstance running(app.path(QStringLiteral("Kelvadrin.exe.lock")));
            QCOMPARE(app.start(), 0);
            QVERIFY(QFile::exists(stale));
            app.stop();
        }
        QCOMPARE(app.start(), -1);
        QVERIFY(!QFile::exists(stale));
        QVERIFY(QFile::exists(other));
    }

    void missingFontsEndTheProgram_data() {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<QString>("message");
        QTest::newRow("arial")
            << QStringList{QStringLiteral("Arial")}
            << QStringLiteral("        Nie odnaleziono wymaganej czcionki - Arial !        ");
        QTest::newRow("both")
            << QStringList{QStringLiteral("Arial"), QStringLiteral("Tahoma")}
            << QStringLiteral("        Nie odnaleziono wymaganej czcionki - Arial !        ");
        QTest::newRow("tahoma")
            << QStringList{QStringLiteral("Tahoma")}
            << QStringLiteral("        Nie odnaleziono wymaganej czcionki - Tahoma!       ");
    }
    void missingFontsEndTheProgram() {
        QFETCH(QStringList, missing);
        QFETCH(QString, message);
        AppFixture app;
        app.missingFonts = missing;
        QCOMPARE(app.start(), 0);
        QCOMPARE(app.fake.startupMessage.texts, QStringList{message});
    }

    void autostartEntryWrittenAgainAfterDeletion() {
        AppFixture app;
        QCOMPARE(app.start(), -1);
        QVERIFY(QFile::exists(app.autostartFile()));
        app.stop();
        QVERIFY(QFile::remove(app.autostartFile()));
        QCOMPARE(app.start(), -1);
        QVERIFY(QFile::exists(app.autostartFile()));
        QFile entry(app.autostartFile());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("Exec=\"/usr/bin/kelvadrin\""));
    }

    void installFolderBecomesTheCurrentDirectory() {
        AppFixture app;
        QCOMPARE(app.start(), -1);
        QCOMPARE(QDir::currentPath(), QFileInfo(app.installDir()).canonicalFilePath());
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFileInfo(app.installDir()).permissions() & others, QFile::Permissions());
    }

    void withoutANotificationAreaTheWindowOpensAtOnce() {
        AppFixture app;
        app.tray = false;
        QCOMPARE(app.start(), -1);
        TOptionsForm *main = app.main();
        QVERIFY(main->isVisible());
        QVERIFY(!main->trayDocked());
        // "&Zamknij" cannot hide into a tray that is not there.
        main->BitBtn2->click();
        QVERIFY(main->isVisible());
        QVERIFY(main->isMinimized());
        // The notification area appears: the icon docks at the next minute.
        app.tray = true;
        main->Timer1Timer();
        QVERIFY(main->trayDocked());
        main->showNormal();
        main->BitBtn2->click();
        QVERIFY(!main->isVisible());
    }

    void koniecEndsTheProgram() {
        AppFixture app;
        QCOMPARE(app.start(), -1);
        QVERIFY(!app.program->ended());
        app.main()->N_End->trigger();
        QVERIFY(app.program->ended());
        QVERIFY(!app.program->firstStartForm()->isVisible());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
