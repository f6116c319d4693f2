#include "appointments/Appointmenteditor.h"
#include "common/FakePlatform.h"
#include "common/TestDateTest.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Quickhelpunit.h"
#include "widgets/ClockAnimation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace kv;

namespace {
const QString kRange =
    QStringLiteral("Numer terminu: przekroczono zakres - dopuszczalna wartość: od 1 do 50.");
} // namespace

class TestEditor : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::FakePlatform> m_fake;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<AppointmentStore> m_store;
    std::unique_ptr<TAlertForm> m_alert;
    std::unique_ptr<TAskAlertForm> m_ask;
    std::unique_ptr<TQuickHelpForm> m_quickHelp;
    std::unique_ptr<TAppointmentEditor> m_editor;
    QStringList m_status;
    QList<bool> m_statusSuccess;

    TAppointmentEditor &ed() { return *m_editor; }
    RegKey key() { return m_store->key(); }
    QString stored(const QString &name) { return key().stringIfExists(name).value_or("<none>"); }
    // The texts shown in the information window, oldest first.
    QStringList messages() const {
        QStringList texts;
        for (const auto &shown : m_fake->modal.shown)
            if (shown.dialog == m_alert.get())
                texts << shown.text;
        return texts;
    }
    QString lastMessage() const {
        const QStringList texts = messages();
        return texts.isEmpty() ? QString() : texts.last();
    }

    std::unique_ptr<TAppointmentEditor> makeEditor(AppointmentStore &store, DateTest test) {
        EditorContext context{m_fake->platform, store,  std::move(test),
                              *m_alert,         *m_ask, *m_quickHelp};
        auto editor = std::make_unique<TAppointmentEditor>(std::move(context));
        QObject::connect(editor.get(), &TAppointmentEditor::statusReported,
                         [this](const QString &text, bool success) {
                             m_status << text;
                             m_statusSuccess << success;
                         });
        editor->resize(668, 440);
        editor->show();
        return editor;
    }

    // The user types into a list: the text up to the last character is put
    // there first, the last character is a real key press.
    static void typeInto(QComboBox *list, const QString &text) {
        list->setEditText(text.left(text.size() - 1));
        QTest::keyClick(list->lineEdit(), text.back().toLatin1());
    }
    // The user picks an item from the drop-down.
    static void pick(QComboBox *list, const QString &item) {
        const int index = list->findText(item);
        QVERIFY(index >= 0);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    void writeSlot(int n, const QString &date, const QString &time, bool armed,
                   const QString &info = QString()) {
        RegKey k = key();
        if (!date.isEmpty())
            k.writeString(names::date(n), date);
        if (!time.isEmpty())
            k.writeString(names::time(n), time);
        if (armed)
            k.writeBool(names::termin(n), true);
        if (!info.isEmpty())
            k.writeString(names::info(n), info);
    }

private slots:
    void init() {
        m_fake = std::make_unique<test::FakePlatform>();
        m_fake->clock.set(2026, 12, 8, 12, 0);
        m_fake->modal.describe = [](QDialog *dialog) {
            if (auto *alert = qobject_cast<TAlertForm *>(dialog))
                return alert->text();
            return QString();
        };
        QFile::remove(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_registry = std::make_unique<Registry>(m_dir.filePath(QStringLiteral("r.sqlite3")));
        m_store =
            std::make_unique<AppointmentStore>(m_registry->openKey(names::appointmentsKey, true));
        m_alert = std::make_unique<TAlertForm>(m_fake->platform);
        m_ask = std::make_unique<TAskAlertForm>(m_fake->platform);
        m_quickHelp = std::make_unique<TQuickHelpForm>();
        m_status.clear();
        m_statusSuccess.clear();
        m_editor = makeEditor(*m_store, test::dateTestAt(m_fake->clock));
        m_editor->LoadSlot();
    }

    void cleanup() {
        m_editor.reset();
        m_quickHelp.reset();
        m_ask.reset();
        m_alert.reset();
        m_store.reset();
        m_registry.reset();
    }

    void startsEmptyWithTheListsOfTheLayout() {
        QCOMPARE(ed().currentSlot(), 1);
        QCOMPARE(ed().Edit8->text(), QStringLiteral("1"));
        QCOMPARE(ed().Edit8->maxLength(), 2);
        QCOMPARE(ed().TrackBar3->minimum(), 1);
        QCOMPARE(ed().TrackBar3->maximum(), 50);
        QCOMPARE(ed().TrackBar1->maximum(), 41);
        QCOMPARE(ed().CheckBox4->text(), QStringLiteral(" Dodaj "));
        QVERIFY(!ed().CheckBox4->isChecked());
        QVERIFY(!ed().ComboBox4->isEnabled());
        QVERIFY(!ed().ComboBox1->isEnabled());
        QCOMPARE(ed().ComboBox4->count(), 31);
        QCOMPARE(ed().ComboBox10->count(), 12);
        QStringList years;
        for (int i = 0; i < ed().ComboBox13->count(); ++i)
            years << ed().ComboBox13->itemText(i);
        QCOMPARE(years, QStringList({"2026", "2027", "2028", "2029"})); // from the clock
        QCOMPARE(ed().ComboBox1->itemText(0), QStringLiteral("01"));
        QCOMPARE(ed().ComboBox1->itemText(23), QStringLiteral("24"));
        QCOMPARE(ed().ComboBox2->count(), 11);
        QCOMPARE(ed().ComboBox2->findText(QStringLiteral("05")), -1);
        QCOMPARE(ed().Label1->text(), QStringLiteral("... jednorazowo"));
        QVERIFY(ed().RadioButton1->isChecked());
        QCOMPARE(ed().Label2->text(), QStringLiteral("500"));
        QVERIFY(!ed().BitBtn4->isEnabled());
        QVERIFY(!ed().clockShown());
        QVERIFY(messages().isEmpty());
    }

    void numberFieldOutOfRangeGoesToSlotOne() {
        writeSlot(1, "12/24/26", QString(), false, QStringLiteral("jeden"));
        ed().SelectSlot(7);
        QCOMPARE(ed().Edit8->text(), QStringLiteral("7"));
        for (const QString &text :
             {QStringLiteral("51"), QStringLiteral("0"), QStringLiteral("ab")}) {
            ed().SelectSlot(7);
            const int before = messages().size();
            ed().Edit8->setText(text);
            QCOMPARE(messages().size(), before + 1);
            QCOMPARE(lastMessage(), kRange);
            QCOMPARE(ed().currentSlot(), 1);
            QCOMPARE(ed().Edit8->text(), QStringLiteral("1"));
            QCOMPARE(ed().RichEdit1->toPlainText(), QStringLiteral("jeden"));
        }
        // Leading digits select their slot; an empty field does nothing.
        ed().Edit8->setText(QStringLiteral("5x"));
        QCOMPARE(ed().currentSlot(), 5);
        ed().Edit8->clear();
        QCOMPARE(ed().currentSlot(), 5);
        ed().Edit8->setText(QStringLiteral("12"));
        QCOMPARE(ed().currentSlot(), 12);
        QCOMPARE(ed().UpDown1->position(), 12);
    }

    void arrowPairMovesTheSliderWithoutWrapping() {
        ed().UpDown1->RightButton->click();
        QCOMPARE(ed().currentSlot(), 2);
        ed().UpDown1->LeftButton->click();
        ed().UpDown1->LeftButton->click();
        QCOMPARE(ed().currentSlot(), 1);
        ed().SelectSlot(50);
        ed().UpDown1->RightButton->click();
        QCOMPARE(ed().currentSlot(), 50);
    }

    void yearAbove2099IsRefused() {
        writeSlot(1, "12/24/26", "18:00", true);
        ed().LoadSlot();
        QVERIFY(ed().CheckBox4->isChecked());
        typeInto(ed().ComboBox13, QStringLiteral("2100"));
        QCOMPARE(lastMessage(), QStringLiteral("Wartość maksymalna wynosi: 2099."));
        QCOMPARE(ed().ComboBox13->currentText(), QString());
        QCOMPARE(stored("Date 1"), QStringLiteral("12/24/26"));
        QVERIFY(!key().valueExists("Termin 1"));
        QVERIFY(!ed().CheckBox4->isChecked());

        const int before = messages().size();
        typeInto(ed().ComboBox13, QStringLiteral("2099"));
        QCOMPARE(messages().size(), before);
        QCOMPARE(stored("Date 1"), QStringLiteral("12/24/99"));
    }

    void oneDigitMonthCannotBeArmed() {
        ed().CheckBox5->click();
        QVERIFY(ed().ComboBox4->isEnabled());
        pick(ed().ComboBox13, QStringLiteral("2027"));
        typeInto(ed().ComboBox4, QStringLiteral("15"));
        typeInto(ed().ComboBox10, QStringLiteral("7"));
        QCOMPARE(stored("Date 1"), QStringLiteral("7/15/27"));
        QVERIFY(!ed().clockShown());
        ed().CheckBox4->click();
        QCOMPARE(lastMessage(), QStringLiteral("Niedokładnie określono termin przypomnienia."));
        QVERIFY(!ed().CheckBox4->isChecked());
        QVERIFY(!key().valueExists("Termin 1"));

        // With two digits the moment is complete and ahead: the still clock.
        typeInto(ed().ComboBox10, QStringLiteral("07"));
        QCOMPARE(stored("Date 1"), QStringLiteral("07/15/27"));
        QVERIFY(ed().clockShown());
        QVERIFY(!ed().clockRunning());
    }

    void twoDigitYearIsStoredAsTyped() {
        ed().CheckBox5->click();
        pick(ed().ComboBox4, QStringLiteral("15"));
        pick(ed().ComboBox10, QStringLiteral("07"));
        typeInto(ed().ComboBox13, QStringLiteral("05"));
        QCOMPARE(stored("Date 1"), QStringLiteral("07/15/05"));
        ed().SelectSlot(2);
        QVERIFY(!ed().CheckBox5->isChecked());
        QCOMPARE(ed().ComboBox13->currentText(), QString());
        ed().SelectSlot(1);
        QVERIFY(ed().CheckBox5->isChecked());
        QCOMPARE(ed().ComboBox13->currentText(), QStringLiteral("2005"));
        QCOMPARE(ed().ComboBox4->currentText(), QStringLiteral("15"));
        QCOMPARE(ed().ComboBox10->currentText(), QStringLiteral("07"));
        QCOMPARE(stored("Date 1"), QStringLiteral("07/15/05")); // written back unchanged
    }

    void passedTimeOnlyRefusalDependsOnThePeriod() {
        ed().CheckBox6->click();
        pick(ed().ComboBox1, QStringLiteral("10"));
        pick(ed().ComboBox2, QStringLiteral("00"));
        QCOMPARE(stored("Time 1"), QStringLiteral("10:00"));
        QVERIFY(!ed().clockShown()); // 10:00 has passed at noon
        ed().CheckBox4->click();
        QCOMPARE(lastMessage(), QStringLiteral("Określ datę rozpoczęcia przypomnienia lub zmień "
                                               "godzinę. Podana godzina jest nieaktualna."));
        QVERIFY(!ed().CheckBox4->isChecked());
        ed().TrackBar1->setValue(1);
        ed().CheckBox4->click();
        QCOMPARE(lastMessage(),
                 QStringLiteral(
                     "Określ datę rozpoczęcia przypomnienia. Podana godzina jest nieaktualna."));
        QVERIFY(!key().valueExists("Termin 1"));

        // A time still ahead today arms, and the clock runs.
        pick(ed().ComboBox1, QStringLiteral("18"));
        ed().CheckBox4->click();
        QVERIFY(key().readBool("Termin 1"));
        QVERIFY(ed().clockRunning());
    }

    void periodSliderClearsOnlyTheScreen() {
        writeSlot(1, "12/24/26", "18:00", true);
        ed().LoadSlot();
        QVERIFY(ed().CheckBox4->isChecked());
        QVERIFY(ed().clockRunning());

        ed().RadioButton2->click();
        QCOMPARE(ed().TrackBar1->value(), 7);
        QCOMPARE(ed().Label1->text(), QStringLiteral("... co tydzień"));
        QCOMPARE(key().readInteger("Repeat 1"), 7);
        QVERIFY(!ed().CheckBox4->isChecked());
        QVERIFY(key().readBool("Termin 1")); // still fires when due
        QVERIFY(ed().clockShown());
        QVERIFY(!ed().clockRunning());
        ed().PromptTick();
        QCOMPARE(ed().CheckBox4->text(), QStringLiteral(" Dodaj !"));

        ed().TrackBar1->setValue(12);
        QVERIFY(!ed().RadioButton1->isChecked() && !ed().RadioButton2->isChecked() &&
                !ed().RadioButton3->isChecked() && !ed().RadioButton4->isChecked());
        QCOMPARE(ed().Label1->text(), QStringLiteral("... co 12 dni"));
        ed().RadioButton1->click();
        QCOMPARE(key().readInteger("Repeat 1"), 0);
        QCOMPARE(ed().Label4->palette().color(QPalette::WindowText), QColor(128, 128, 128));

        ed().SelectSlot(2);
        ed().SelectSlot(1);
        QVERIFY(ed().CheckBox4->isChecked());
    }

    void clearingTheDateBoxKeepsTheSlotArmed() {
        writeSlot(1, "12/24/26", "18:00", true);
        ed().LoadSlot();
        ed().CheckBox5->click();
        QVERIFY(!key().valueExists("Date 1"));
        QVERIFY(key().readBool("Termin 1"));
        QVERIFY(ed().CheckBox4->isChecked());
        QVERIFY(!ed().ComboBox4->isEnabled());
        QCOMPARE(ed().ComboBox4->currentText(), QString());
        QVERIFY(ed().clockRunning()); // daily at 18:00

        // Clearing the time box too leaves nothing to arm: the box clears on
        // the screen, the stored flag stays.
        ed().CheckBox6->click();
        QVERIFY(!key().valueExists("Time 1"));
        QVERIFY(!ed().CheckBox4->isChecked());
        QVERIFY(key().readBool("Termin 1"));
        QVERIFY(!ed().clockShown());

        // Checking a box disarms.
        ed().CheckBox6->click();
        QVERIFY(!key().valueExists("Termin 1"));
        QVERIFY(ed().ComboBox1->isEnabled());
    }

    void freeSlotSearch() {
        for (int n = 1; n <= 3; ++n)
            writeSlot(n, "12/24/26", QString(), true);
        writeSlot(4, "12/30/26", QString(), false, QStringLiteral("stara wiadomość"));
        ed().SpeedButton1->click();
        QCOMPARE(ed().currentSlot(), 4);
        QCOMPARE(ed().RichEdit1->toPlainText(), QStringLiteral("stara wiadomość"));
        QCOMPARE(ed().ComboBox4->currentText(), QStringLiteral("30"));
        QCOMPARE(m_status, QStringList{QStringLiteral(" Odnaleziono wolny termin.")});
        QCOMPARE(m_statusSuccess, QList<bool>{true});

        // Found again while shown: nothing is reloaded.
        key().writeString("Info 4", QStringLiteral("zmieniona"));
        ed().SpeedButton1->click();
        QCOMPARE(ed().RichEdit1->toPlainText(), QStringLiteral("stara wiadomość"));

        for (int n = 1; n <= 50; ++n)
            key().writeBool(names::termin(n), true);
        ed().SelectSlot(9);
        ed().SpeedButton1->click();
        QCOMPARE(ed().currentSlot(), 9);
        QCOMPARE(m_status.last(), QStringLiteral(" Wszystkie terminy są zajęte!"));
        QCOMPARE(m_statusSuccess.last(), false);
    }

    void messageCounterPrintAndLimit() {
        const QString full(500, QLatin1Char('a'));
        ed().RichEdit1->setPlainText(full);
        QCOMPARE(ed().Label2->text(), QStringLiteral("0"));
        QVERIFY(ed().BitBtn4->isEnabled());
        QCOMPARE(stored("Info 1"), full);

        // One more character is not taken.
        ed().RichEdit1->moveCursor(QTextCursor::End);
        QTest::keyClick(ed().RichEdit1, Qt::Key_B);
        QCOMPARE(ed().RichEdit1->toPlainText(), full);
        QCOMPARE(stored("Info 1"), full);

        ed().BitBtn4->click();
        QCOMPARE(m_fake->printer.jobs.size(), size_t(1));
        QCOMPARE(m_fake->printer.jobs[0].title, QStringLiteral("Kelvadrin - informacja."));
        QCOMPARE(m_fake->printer.jobs[0].text, full);
        QVERIFY(!m_fake->printer.jobs[0].rich);
        QVERIFY(messages().isEmpty());

        m_fake->printer.succeed = false;
        ed().BitBtn4->click();
        QCOMPARE(lastMessage(), QStringLiteral("Operacja wydruku nie może zostać zrealizowana. "
                                               "Powód niezależny."));

        ed().RichEdit1->clear();
        QCOMPARE(ed().Label2->text(), QStringLiteral("500"));
        QVERIFY(!ed().BitBtn4->isEnabled());
        QVERIFY(!key().valueExists("Info 1"));
    }

    void lineBreaksAreStoredAsCrLf() {
        ed().RichEdit1->setPlainText(QStringLiteral("Zakupy:\nmleko\nchleb"));
        QCOMPARE(stored("Info 1"), QStringLiteral("Zakupy:\r\nmleko\r\nchleb"));
        ed().SelectSlot(2);
        ed().SelectSlot(1);
        QCOMPARE(ed().RichEdit1->toPlainText(), QStringLiteral("Zakupy:\nmleko\nchleb"));
        QCOMPARE(stored("Info 1"), QStringLiteral("Zakupy:\r\nmleko\r\nchleb"));
    }

    void deleteAsksFirst() {
        writeSlot(1, "12/24/26", "18:00", true, QStringLiteral("do usunięcia"));
        key().writeInteger("Repeat 1", 30);
        key().writeInteger("Add adress 1", 12);
        ed().LoadSlot();
        QCOMPARE(ed().Edit12->text(), QStringLiteral("12"));

        // Cancelled: nothing changes.
        ed().BitBtn5->click();
        QCOMPARE(m_fake->modal.count(), 1);
        QCOMPARE(m_fake->modal.shown[0].dialog, static_cast<QDialog *>(m_ask.get()));
        QCOMPARE(m_fake->modal.shown[0].title,
                 QStringLiteral("Usunięcie danych aktualnego terminu..."));
        QCOMPARE(m_ask->BitBtn1->text(), QStringLiteral("Usuń"));
        QVERIFY(key().valueExists("Info 1"));
        QVERIFY(ed().clockRunning());

        m_fake->modal.onExec = [this](QDialog *dialog) {
            if (dialog == m_ask.get())
                m_ask->BitBtn1->click();
        };
        ed().BitBtn5->click();
        for (const char *name :
             {"Termin 1", "Date 1", "Time 1", "Info 1", "Repeat 1", "Add Adress 1"})
            QVERIFY2(!key().valueExists(QString::fromLatin1(name)), name);
        QVERIFY(!ed().CheckBox4->isChecked() && !ed().CheckBox5->isChecked() &&
                !ed().CheckBox6->isChecked());
        QVERIFY(!ed().ComboBox1->isEnabled());
        QCOMPARE(ed().TrackBar1->value(), 0);
        QCOMPARE(ed().Label1->text(), QStringLiteral("... jednorazowo"));
        QVERIFY(ed().Edit12->text().isEmpty());
        QVERIFY(ed().RichEdit1->toPlainText().isEmpty());
        QVERIFY(!ed().clockShown());
        QVERIFY(messages().isEmpty());
    }

    void clockStatesAndPrompt() {
        QVERIFY(!ed().clockShown());
        writeSlot(1, "12/24/26", QString(), false);
        ed().LoadSlot();
        QVERIFY(ed().clockShown());
        QVERIFY(!ed().clockRunning());
        QStringList captions;
        for (int tick = 0; tick < 5; ++tick) {
            ed().PromptTick();
            captions << ed().CheckBox4->text();
        }
        QCOMPARE(captions,
                 QStringList({" Dodaj !", " Dodaj !!", " Dodaj !!!", " Dodaj ", " Dodaj !"}));

        ed().CheckBox4->click();
        QVERIFY(key().readBool("Termin 1"));
        QCOMPARE(ed().CheckBox4->text(), QStringLiteral(" Dodaj "));
        QVERIFY(ed().clockRunning());
        ed().PromptTick();
        QCOMPARE(ed().CheckBox4->text(), QStringLiteral(" Dodaj "));

        // Unchecking disarms and stops the clock.
        ed().CheckBox4->click();
        QVERIFY(!key().valueExists("Termin 1"));
        QVERIFY(ed().clockShown() && !ed().clockRunning());

        // The day passes: the next refresh hides the clock.
        m_fake->clock.set(2026, 12, 25, 0, 1);
        ed().RefreshClock();
        QVERIFY(!ed().clockShown());
        ed().PromptTick();
        QCOMPARE(ed().CheckBox4->text(), QStringLiteral(" Dodaj "));
    }

    void linkFieldWritesTheLinkValue() {
        ed().Edit12->setText(QStringLiteral("7"));
        QCOMPARE(key().readInteger("Add Adress 1"), 7);
        QCOMPARE(ed().Label20->palette().color(QPalette::WindowText), QColor(Qt::black));
        ed().Edit12->setText(QStringLiteral("3a"));
        QCOMPARE(key().readInteger("Add Adress 1"), 3);
        ed().Edit12->clear();
        QVERIFY(!key().valueExists("Add adress 1"));
        QCOMPARE(ed().Label20->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    }

    void settingControlsFromCodeRunsNoUserAction() {
        writeSlot(1, "12/24/26", "18:00", false);
        ed().LoadSlot();
        ed().CheckBox4->setChecked(true);
        QVERIFY(!key().valueExists("Termin 1"));
        ed().ComboBox4->setEditText(QStringLiteral("05"));
        ed().ComboBox1->setCurrentIndex(2);
        QCOMPARE(stored("Date 1"), QStringLiteral("12/24/26"));
        QCOMPARE(stored("Time 1"), QStringLiteral("18:00"));
        ed().CheckBox5->setChecked(false);
        QVERIFY(key().valueExists("Date 1"));
        QVERIFY(ed().ComboBox4->isEnabled());
        QVERIFY(messages().isEmpty());
    }

    void actualFailureIsReported() {
        auto failing = makeEditor(*m_store, [](const QString &, const QString &) { return 0; });
        writeSlot(1, "12/24/26", QString(), false);
        failing->LoadSlot();
        QCOMPARE(messages(), QStringList{QStringLiteral("Błąd funkcji \"Actual\".")});
        QVERIFY(!failing->clockShown());
        failing->RefreshClock();
        QCOMPARE(messages().size(), 2);
    }

    void registryFailuresAreReported() {
        AppointmentStore closed{RegKey()};
        auto broken = makeEditor(closed, test::dateTestAt(m_fake->clock));
        broken->Edit12->setText(QStringLiteral("3"));
        QCOMPARE(messages(),
                 QStringList{QStringLiteral("Zapis danych nie powiódł się. Powód niezależny.")});
        broken->SelectSlot(2); // one report for the whole load
        QCOMPARE(messages().size(), 2);
        QCOMPARE(lastMessage(), QStringLiteral("Odczyt danych nie powiódł się. Powód niezależny."));
        m_fake->modal.onExec = [this](QDialog *dialog) {
            if (dialog == m_ask.get())
                m_ask->BitBtn1->click();
        };
        broken->BitBtn5->click();
        QCOMPARE(lastMessage(),
                 QStringLiteral("Usunięcie danych nie powiodło się. Powód niezależny."));
    }

    void helpLabelsOpenQuickHelp() {
        QTest::mouseClick(ed().Label5, Qt::LeftButton);
        QCOMPARE(m_quickHelp->windowTitle(), QStringLiteral("Terminy - termin numer"));
        QCOMPARE(m_quickHelp->text(),
                 QStringLiteral("Szybka edycja danego terminu.\n\nWprowadzona liczba odpowiada "
                                "pozycji głównego suwaka i powoduje natychmiastową edycję danych "
                                "powiązanych z danym terminem."));
        QVERIFY(m_quickHelp->isVisible());
        QTest::mouseClick(ed().Label2, Qt::LeftButton);
        QCOMPARE(m_quickHelp->windowTitle(), QStringLiteral("Terminy - wiadomość"));
        QCOMPARE(m_quickHelp->text(),
                 QStringLiteral("Pozostała ilość znaków możliwych do wprowadzenia. Max. 500."));
        QCOMPARE(ed().Label12->cursor().shape(), Qt::WhatsThisCursor);
        QCOMPARE(m_fake->modal.count(), 0); // not modal
    }

    // Loading a slot shows what fits and never writes: a value the controls
    // cannot show stays in the store as it was until the user edits it.
    void loadingNeverChangesStoredValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("message of 20 006 characters")
            << names::info(2) << QVariant(QString(20006, QLatin1Char('x')));
        QTest::newRow("repeat code 99") << names::repeat(2) << QVariant(99);
        QTest::newRow("date of the wrong type") << names::date(2) << QVariant(5);
        QTest::newRow("date of the wrong form")
            << names::date(2) << QVariant(QStringLiteral("1/2/26"));
        QTest::newRow("time of the wrong form")
            << names::time(2) << QVariant(QStringLiteral("7:5"));
        QTest::newRow("link of the wrong type")
            << names::link(2) << QVariant(QStringLiteral("abc"));
        QTest::newRow("valid date") << names::date(2) << QVariant(QStringLiteral("12/24/26"));
    }
    void loadingNeverChangesStoredValues() {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        RegKey key = m_store->key();
        const auto stored = [&]() -> QVariant {
            try {
                if (auto text = key.stringIfExists(name))
                    return *text;
                return {};
            } catch (const RegistryError &) {
                return key.integerIfExists(name).value_or(-1);
            }
        };
        if (value.typeId() == QMetaType::Int)
            key.writeInteger(name, value.toInt());
        else
            key.writeString(name, value.toString());
        if (name != names::time(2))
            key.writeString(names::time(2), QStringLiteral("10:15"));
        ed().SelectSlot(2);
        ed().LoadSlot();
        QCOMPARE(stored(), value);
        QVERIFY(ed().RichEdit1->toPlainText().size() <= 500);
        QVERIFY(ed().TrackBar1->value() <= 41);
        if (name != names::time(2))
            QCOMPARE(key.stringIfExists(names::time(2)), std::optional(QStringLiteral("10:15")));
    }

    void calendarAndListButtons() {
        int calendar = 0, list = 0;
        ed().BitBtn2->click(); // nothing connected yet: nothing happens
        QObject::connect(&ed(), &TAppointmentEditor::calendarRequested, [&] { ++calendar; });
        QObject::connect(&ed(), &TAppointmentEditor::appointmentListRequested, [&] { ++list; });
        ed().BitBtn2->click();
        ed().BitBtn15->click();
        QCOMPARE(calendar, 1);
        QCOMPARE(list, 1);
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
