#include "app/Optionsunit.h"
#include "app/Programunit.h"
#include "appointments/Appointmenteditor.h"
#include "appointments/Remaindunit.h"
#include "common/AppFixture.h"
#include "info/Alertunit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace kv;

namespace {
const QString kRangeMessage =
    QStringLiteral("Czas wyprzedzenia musi zawierać się w przedziale od 1 do 99 sekund.");
}

class TestProgramPage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::FakePlatform> m_fake;
    std::unique_ptr<Registry> m_registry;
    RegKey m_key;
    std::unique_ptr<TAlertForm> m_alert;
    std::unique_ptr<TProgramPage> m_page;

    TProgramPage &page() { return *m_page; }
    QStringList messages() const {
        QStringList texts;
        for (const auto &shown : m_fake->modal.shown)
            texts << shown.text;
        return texts;
    }
    // The user types into the duration field (the last character as a key).
    void typeDuration(const QString &text) {
        page().ComboBox3->setEditText(text.left(text.size() - 1));
        QTest::keyClick(page().ComboBox3->lineEdit(), text.back().toLatin1());
    }

private slots:
    void init() {
        m_fake = std::make_unique<test::FakePlatform>();
        m_fake->modal.describe = [](QDialog *dialog) {
            auto *alert = qobject_cast<TAlertForm *>(dialog);
            return alert ? alert->text() : QString();
        };
        QFile::remove(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_registry = std::make_unique<Registry>(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_key = m_registry->openKey(QStringLiteral("Software\\Kelvadrin"), true);
        m_alert = std::make_unique<TAlertForm>(m_fake->platform);
        m_page = std::make_unique<TProgramPage>(m_fake->platform, m_key, *m_alert);
        m_page->show();
    }
    void cleanup() {
        m_page.reset();
        m_alert.reset();
        m_key = RegKey();
        m_registry.reset();
    }

    void firstStartDefaults() {
        int loads = 0;
        page().ReadSettings([&] { ++loads; });
        QCOMPARE(loads, 1);
        QVERIFY(page().CheckBox1->isChecked());
        QCOMPARE(page().ComboBox3->currentText(), QStringLiteral("5"));
        QCOMPARE(page().ComboBox3->count(), 3);
        QCOMPARE(page().ComboBox3->lineEdit()->maxLength(), 2);
        QVERIFY(page().CheckBox7->isChecked());
        QVERIFY(!page().CheckBox8->isChecked());
        QVERIFY(page().Edit6->text().isEmpty());
        QVERIFY(!page().Edit6->isEnabled());
        QVERIFY(!page().MediaPlayer1->isEnabled());
        QVERIFY(page().BitBtn3->isEnabled());
        QCOMPARE(page().BitBtn3->text(), QStringLiteral("&Przeglądaj"));
        QVERIFY(m_fake->sound.log.isEmpty());
        QVERIFY(messages().isEmpty());
        QVERIFY(!page().soundSettingExists());
        QVERIFY(page().signalEnabled());
        QCOMPARE(page().durationText(), QStringLiteral("5"));
    }

    void durationBelowOneIsRefused() {
        m_key.writeInteger(QStringLiteral("Sound Alert Time"), 12);
        for (const QString &text : {QStringLiteral("0"), QStringLiteral("x")}) {
            typeDuration(text);
            QCOMPARE(messages().last(), kRangeMessage);
            QCOMPARE(page().ComboBox3->currentText(), QStringLiteral("5"));
            QCOMPARE(m_key.readInteger(QStringLiteral("Sound Alert Time")), 12);
        }
        QCOMPARE(messages().size(), 2);

        typeDuration(QStringLiteral("15"));
        QCOMPARE(m_key.readInteger(QStringLiteral("Sound Alert Time")), 15);
        // The drop-down choice counts as the user's too.
        page().ComboBox3->setCurrentIndex(1);
        emit page().ComboBox3->activated(1);
        QCOMPARE(m_key.readInteger(QStringLiteral("Sound Alert Time")), 10);

        // Emptying the field stores 0 without a message.
        page().ComboBox3->setEditText(QStringLiteral("7"));
        QTest::keyClick(page().ComboBox3->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(page().ComboBox3->currentText(), QString());
        QCOMPARE(m_key.readInteger(QStringLiteral("Sound Alert Time")), 0);
        QCOMPARE(messages().size(), 2);

        // Set from code: nothing is stored.
        page().setDurationText(QStringLiteral("9"));
        QCOMPARE(m_key.readInteger(QStringLiteral("Sound Alert Time")), 0);
    }

    void boxesWriteTheirSettingsWhenClicked() {
        QSignalSpy archive(&page(), &TProgramPage::archiveBoxClicked);
        page().CheckBox1->setChecked(false); // from code: nothing stored
        QVERIFY(!m_key.valueExists(QStringLiteral("Sound Alert")));
        page().CheckBox1->click();
        QCOMPARE(m_key.readInteger(QStringLiteral("Sound Alert")), 1);
        page().CheckBox1->click();
        QCOMPARE(m_key.readInteger(QStringLiteral("Sound Alert")), 0);
        QVERIFY(!page().signalEnabled());

        page().CheckBox7->setChecked(false);
        QCOMPARE(archive.count(), 0);
        page().CheckBox7->click();
        QCOMPARE(m_key.readInteger(QStringLiteral("Archive")), 1);
        page().CheckBox7->click();
        QCOMPARE(m_key.readInteger(QStringLiteral("Archive")), 0);
        QCOMPARE(archive.count(), 2);
        QCOMPARE(archive.at(0).at(0).toBool(), true);
        QCOMPARE(archive.at(1).at(0).toBool(), false);

        QVERIFY(page().desktopNotices()); // on when nothing is stored
        page().CheckBox9->click();
        QCOMPARE(m_key.readInteger(QStringLiteral("Desktop Notices")), 0);
        QVERIFY(!page().desktopNotices());
    }

    void choosingASoundFile() {
        const QString path = QStringLiteral("/home/ola/Muzyka/dzwonek.mp3");
        m_fake->fileDialogs.answers << path;
        page().BitBtn3->click();
        QCOMPARE(m_fake->fileDialogs.titles, QStringList{QStringLiteral("Wybierz dźwięk...")});
        QCOMPARE(m_fake->fileDialogs.filters,
                 QStringList{QStringLiteral("Plik audio (mp3, wav) (*.mp3 *.wav)")});
        QCOMPARE(m_key.readString(QStringLiteral("Sound")), path);
        QCOMPARE(page().Edit6->text(), QStringLiteral("dzwonek.mp3"));
        QVERIFY(page().CheckBox8->isChecked());
        QVERIFY(page().MediaPlayer1->isEnabled());
        QCOMPARE(m_fake->sound.log, QStringList{QStringLiteral("open ") + path}); // not played

        // The player's two buttons.
        page().MediaPlayer1->PlayButton->click();
        page().MediaPlayer1->StopButton->click();
        QCOMPARE(m_fake->sound.log.mid(1),
                 (QStringList{QStringLiteral("play"), QStringLiteral("stop")}));

        // Cancelling removes the setting and the name; box and player stay.
        page().BitBtn3->click();
        QVERIFY(!m_key.valueExists(QStringLiteral("Sound")));
        QVERIFY(page().Edit6->text().isEmpty());
        QVERIFY(page().CheckBox8->isChecked());
        QVERIFY(page().MediaPlayer1->isEnabled());
        QVERIFY(!page().soundSettingExists());
    }

    void fileNamesAfterTheLastSeparator() {
        QCOMPARE(TProgramPage::fileNameOf(QStringLiteral("C:\\Dźwięki\\gong.wav")),
                 QStringLiteral("gong.wav"));
        QCOMPARE(TProgramPage::fileNameOf(QStringLiteral("a/b\\c/d.mp3")), QStringLiteral("d.mp3"));
        m_fake->fileDialogs.answers << QStringLiteral("gong.wav");
        page().BitBtn3->click();
        QCOMPARE(page().Edit6->text(), QStringLiteral("gong.wav"));
    }

    void uncheckingTheSoundBox() {
        m_key.writeString(QStringLiteral("Sound"), QStringLiteral("/x/a.wav"));
        page().LoadSoundFile(QStringLiteral("/x/a.wav"), false);
        page().CheckBox8->click();
        QVERIFY(!m_key.valueExists(QStringLiteral("Sound")));
        QVERIFY(page().Edit6->text().isEmpty());
        QVERIFY(!page().MediaPlayer1->isEnabled());
        // Checking by hand chooses no file.
        page().CheckBox8->click();
        QVERIFY(page().CheckBox8->isChecked());
        QVERIFY(!m_key.valueExists(QStringLiteral("Sound")));
        QVERIFY(!page().MediaPlayer1->isEnabled());
    }

    void damagedSoundFile() {
        m_fake->sound.failOpen = QStringLiteral("Nie można odtworzyć pliku.");
        m_fake->fileDialogs.answers << QStringLiteral("/x/zepsuty.mp3");
        page().BitBtn3->click();
        QCOMPARE(messages(), QStringList{QStringLiteral("Nie można odtworzyć pliku.")});
        QVERIFY(!page().CheckBox8->isChecked());
        QVERIFY(page().Edit6->text().isEmpty());
        QVERIFY(!page().MediaPlayer1->isEnabled());
        QCOMPARE(page().soundSetting(), QStringLiteral("/x/zepsuty.mp3"));

        // Playing at a reminder: opened, then played from the start.
        m_fake->sound.failOpen.clear();
        m_fake->sound.failPlay = QStringLiteral("Błąd odtwarzania.");
        QVERIFY(!page().LoadSoundFile(QStringLiteral("/x/zepsuty.mp3"), true));
        QCOMPARE(m_fake->sound.log.last(), QStringLiteral("play from start"));
        QCOMPARE(messages().last(), QStringLiteral("Błąd odtwarzania."));
        m_fake->sound.failPlay.clear();
        QVERIFY(page().LoadSoundFile(QStringLiteral("/x/zepsuty.mp3"), true));
        QVERIFY(page().CheckBox8->isChecked());
        QCOMPARE(page().Edit6->text(), QStringLiteral("zepsuty.mp3"));
    }

    void readSettingsOrder() {
        m_key.writeString(QStringLiteral("Sound"), QStringLiteral("/m/budzik.wav"));
        m_key.writeInteger(QStringLiteral("Sound Alert"), 0);
        m_key.writeInteger(QStringLiteral("Archive"), 0);
        m_key.writeInteger(QStringLiteral("Sound Alert Time"), 0);
        bool soundLoadedFirst = false, restStillDefault = false;
        page().ReadSettings([&] {
            soundLoadedFirst = page().CheckBox8->isChecked() &&
                               m_fake->sound.log == QStringList{"open /m/budzik.wav"};
            restStillDefault = page().CheckBox1->isChecked() && page().CheckBox7->isChecked() &&
                               page().ComboBox3->currentText() == QStringLiteral("5");
        });
        QVERIFY(soundLoadedFirst);
        QVERIFY(restStillDefault);
        QVERIFY(!page().CheckBox1->isChecked());
        QVERIFY(!page().CheckBox7->isChecked());
        QCOMPARE(page().ComboBox3->currentText(), QStringLiteral("0"));
        QCOMPARE(page().Edit6->text(), QStringLiteral("budzik.wav"));
        // Nothing read was written back.
        QCOMPARE(m_key.readInteger(QStringLiteral("Sound Alert Time")), 0);
        QVERIFY(messages().isEmpty());
    }

    void settingsStandBeforeTheControlsExist() {
        // The page is read at start but shown only when the window opens.
        m_key.writeInteger(QStringLiteral("Sound Alert"), 0);
        m_key.writeInteger(QStringLiteral("Archive"), 0);
        m_key.writeInteger(QStringLiteral("Sound Alert Time"), 12);
        m_key.writeInteger(QStringLiteral("Desktop Notices"), 0);
        TProgramPage hidden(m_fake->platform, m_key, *m_alert);
        hidden.ReadSettings({});
        QVERIFY(!hidden.CheckBox1);
        QVERIFY(!hidden.signalEnabled());
        QVERIFY(!hidden.desktopNotices());
        QVERIFY(!hidden.archiveEnabled());
        QCOMPARE(hidden.durationText(), QStringLiteral("12"));
        hidden.ensureBuilt();
        QVERIFY(!hidden.CheckBox1->isChecked());
        QVERIFY(!hidden.CheckBox7->isChecked());
        QVERIFY(!hidden.CheckBox8->isChecked());
        QVERIFY(!hidden.CheckBox9->isChecked());
        QCOMPARE(hidden.ComboBox3->currentText(), QStringLiteral("12"));
    }

    void failedWritesAreReported() {
        TProgramPage closed(m_fake->platform, RegKey(), *m_alert);
        closed.ReadSettings({}); // nothing readable: the layout's states stay
        closed.ensureBuilt();
        QVERIFY(closed.CheckBox1->isChecked());
        closed.CheckBox1->click();
        QCOMPARE(messages(),
                 QStringList{QStringLiteral("Zapis ustawień nie powiódł się. Powód niezależny.")});
        QVERIFY(!closed.soundSettingExists());
    }

    void mainWindowUsesTheTabs() {
        test::AppFixture app;
        QCOMPARE(app.start(), -1);
        TOptionsForm *main = app.main();
        TProgramPage *program = main->programPage();
        QVERIFY(program);
        QVERIFY(main->editor());
        QVERIFY(main->archiveByDefault());
        QVERIFY(app.forms().remaind->addToArchive());

        program->CheckBox7->click();
        QVERIFY(!main->archiveByDefault());
        QVERIFY(!app.forms().remaind->addToArchive());
        QCOMPARE(main->settingsKey().readInteger(QStringLiteral("Archive")), 0);

        // The 500 ms timer drives the editor's prompt.
        main->store().key().writeString(QStringLiteral("Date 1"), QStringLiteral("12/24/26"));
        main->editor()->LoadSlot();
        QVERIFY(main->editor()->clockShown());
        main->Timer2Timer();
        QCOMPARE(main->editor()->CheckBox4->text(), QStringLiteral(" Dodaj !"));
        // The minute timer refreshes the clock.
        app.fake.clock.set(2027, 1, 1, 0, 0);
        main->Timer1Timer();
        QVERIFY(!main->editor()->clockShown());
    }
};

QTEST_MAIN(TestProgramPage)
#include "tst_programpage.moc"
