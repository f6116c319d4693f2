#include "appointments/Appointmenteditor.h"
#include "appointments/Calendarunit.h"
#include "appointments/Remaindunit.h"
#include "appointments/Tasklistunit.h"
#include "archive/ArchiveFile.h"
#include "archive/Archivepage.h"
#include "common/AppFixture.h"
#include "widgets/MonthGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>

using namespace kv;
using test::AppFixture;

// The calendar, the appointment list and the archive tab inside the whole
// program: what the main window wires between them.
class TestCalendarList : public QObject {
    Q_OBJECT
    std::unique_ptr<AppFixture> m_app;
    TOptionsForm *main() { return m_app->main(); }
    RegKey key() { return main()->store().key(); }

    // While the calendar is open, the user picks the date and applies it.
    void applyInCalendar(QDate date) {
        m_app->fake.modal.onExec = [this, date](QDialog *dialog) {
            TCalendarForm *calendar = m_app->forms().calendar;
            if (dialog != calendar)
                return;
            calendar->CCalendar1->setYear(date.year());
            calendar->CCalendar1->setMonth(date.month());
            calendar->CCalendar1->setDay(date.day());
            calendar->BitBtn1->click();
        };
    }

private slots:
    void init() {
        m_app = std::make_unique<AppFixture>();
        QCOMPARE(m_app->start(), -1);
        main()->ShowMainWindow();
    }
    void cleanup() { m_app.reset(); }

    void calendarWritesIntoTheEditor() {
        key().writeString(QStringLiteral("Date 1"), QStringLiteral("01/01/27"));
        key().writeInteger(QStringLiteral("Termin 1"), 1);
        main()->editor()->LoadSlot();
        applyInCalendar(QDate(2004, 3, 5));
        main()->editor()->BitBtn2->click();
        QCOMPARE(m_app->fake.modal.shown.at(0).title,
                 QStringLiteral("Termin przypomnienia - kalendarz..."));
        TAppointmentEditor *ed = main()->editor();
        QCOMPARE(ed->ComboBox4->currentText(), QStringLiteral("05"));
        QCOMPARE(ed->ComboBox10->currentText(), QStringLiteral("03"));
        QCOMPARE(ed->ComboBox13->currentText(), QStringLiteral("2004"));
        QVERIFY(ed->CheckBox5->isChecked());
        QCOMPARE(key().stringIfExists(QStringLiteral("Date 1")).value_or(QString()),
                 QStringLiteral("03/05/04"));
        QVERIFY(!key().valueExists(QStringLiteral("Termin 1")));
    }

    void calendarWritesIntoTheArchiveSearch() {
        main()->selectTab(3);
        applyInCalendar(QDate(2025, 11, 23));
        main()->archivePage()->BitBtn9->click();
        QCOMPARE(m_app->fake.modal.shown.at(0).title, QStringLiteral("Archiwum - kalendarz..."));
        TArchivePage *page = main()->archivePage();
        QVERIFY(page->ComboBox5->isEnabled());
        QCOMPARE(page->ComboBox5->currentText(), QStringLiteral("23"));
        QCOMPARE(page->ComboBox6->currentText(), QStringLiteral("11"));
        QCOMPARE(page->ComboBox7->currentText(), QStringLiteral("2025"));
        QVERIFY(!key().valueExists(QStringLiteral("Date 1"))); // the editor untouched
    }

    void archiveSearchReportsInTheStatusLine() {
        main()->archive().append(QStringLiteral("03/05/04"), QStringLiteral("Urodziny"));
        main()->selectTab(3);
        TArchivePage *page = main()->archivePage();
        page->Edit1->setText(QStringLiteral("urodziny"));
        page->BitBtn6->click();
        QCOMPARE(main()->Panel4->text(), QStringLiteral(" Odnaleziono 1 wiadomość."));
        QCOMPARE(main()->lampColour(), TOptionsForm::lampSuccess());
        QCOMPARE(main()->Panel2->text(), QString());
        QCOMPARE(main()->ProgressBar1->value(), 0);
        QCOMPARE(page->StringGrid1->model()->index(0, 0).data().toString(),
                 QStringLiteral(" 5 marca 2004"));
    }

    void listEditsTheChosenSlot() {
        for (int n : {4, 9})
            key().writeInteger(QStringLiteral("Termin %1").arg(n), 1);
        main()->selectTab(2);
        m_app->fake.modal.onExec = [this](QDialog *dialog) {
            TTaskListForm *list = m_app->forms().taskList;
            if (dialog != list)
                return;
            list->StringGrid1->setCurrentCell(1, 0);
            list->Button2->click();
        };
        main()->editor()->BitBtn15->click();
        QCOMPARE(m_app->fake.modal.count(), 1);
        QCOMPARE(main()->editor()->currentSlot(), 9);
        QCOMPARE(main()->PageControl1->currentIndex(), 0);
    }

    void aClosingReminderClosesTheList() {
        bool closedByReminder = false;
        m_app->fake.modal.onExec = [this, &closedByReminder](QDialog *dialog) {
            TTaskListForm *list = m_app->forms().taskList;
            if (dialog != list)
                return;
            emit m_app->forms().remaind->closed();
            closedByReminder = !list->isVisible();
        };
        main()->editor()->BitBtn15->click();
        QVERIFY(closedByReminder);
    }
};

QTEST_MAIN(TestCalendarList)
#include "tst_calendarlist.moc"
