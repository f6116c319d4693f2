#include "Calendarunit.h"
#include "Appointmenteditor.h"
#include "info/Alertunit.h"

#include "platform/DateText.h"
#include "widgets/MonthGrid.h"
#include "widgets/WindowUtil.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

namespace kv {

QString TCalendarForm::holidayText(int day, int month) {
    struct Holiday {
        int day, month;
        const char *text;
    };
    static const Holiday table[] = {
        {1, 5, "  Święto Pracy"},
        {3, 5, "  Rocznica uchwalenia Konstytucji 3 Maja"},
        {1, 11, "  Wszystkich Świętych w rel. kat."},
        {11, 11, "  Dzień Niepodległości"},
        {25, 12, "  Boże Narodzenie w rel. kat."},
        {26, 12, "  Boże Narodzenie w rel. kat."},
        {1, 1, "  Nowy Rok"},
        {14, 2, "  Walentynki"},
    };
    for (const Holiday &h : table)
        if (h.day == day && h.month == month)
            return QString::fromUtf8(h.text);
    return {};
}

TCalendarForm::TCalendarForm(Platform &platform, TAlertForm &alert, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_platform(platform), m_alert(alert) {
    setWindowTitle(QStringLiteral("Termin przypomnienia - kalendarz..."));
    setFont(arial15());
    setFixedSize(387, 332);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setGeometry(0, 0, 387, 26);
    N_Today =
        MainMenu1->addMenu(QStringLiteral("Data"))->addAction(QStringLiteral("Dzisiejsza..."));

    Label3 = new QLabel(this);
    Label3->setGeometry(8, 30, 371, 40);
    Label3->setWordWrap(true);

    CCalendar1 = new MonthGrid(this);
    CCalendar1->setGeometry(8, 74, 371, 168);

    UpDown1 = new ArrowPair(0, 13, this);
    UpDown1->setGeometry(8, 250, 44, 24);
    Label1 = new QLabel(this);
    Label1->setGeometry(58, 252, 130, 20);
    UpDown2 = new ArrowPair(kFirstYear, kLastYear, this);
    UpDown2->setGeometry(200, 250, 44, 24);
    Label2 = new QLabel(this);
    Label2->setGeometry(250, 252, 80, 20);
    CCalendar1->setAccessibleName(QStringLiteral("Wybór dnia"));
    UpDown1->setArrowNames(QStringLiteral("Poprzedni miesiąc"), QStringLiteral("Następny miesiąc"));
    UpDown2->setArrowNames(QStringLiteral("Poprzedni rok"), QStringLiteral("Następny rok"));
    for (ArrowPair *arrows : {UpDown1, UpDown2}) {
        arrows->LeftButton->setGeometry(0, 0, 22, 24);
        arrows->RightButton->setGeometry(22, 0, 22, 24);
        arrows->LeftButton->setAutoRepeat(false);
        arrows->RightButton->setAutoRepeat(false);
    }

    BitBtn1 = new QPushButton(QStringLiteral("&Zastosuj"), this);
    BitBtn1->setGeometry(150, 292, 110, 30);
    BitBtn2 = new QPushButton(QStringLiteral("&Anuluj"), this);
    BitBtn2->setGeometry(269, 292, 110, 30);

    connect(N_Today, &QAction::triggered, this, &TCalendarForm::goToday);
    connect(CCalendar1, &MonthGrid::changed, this, &TCalendarForm::RefreshHeading);
    connect(UpDown1, &ArrowPair::clicked, this, &TCalendarForm::UpDown1Click);
    connect(UpDown2, &ArrowPair::clicked, this, &TCalendarForm::UpDown2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TCalendarForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TCalendarForm::BitBtn2Click);
}

void TCalendarForm::showCalendar(const QString &caption) {
    setWindowTitle(caption);
    centreOnScreen(this, m_platform.screen.size());
    m_platform.modal.exec(this);
}

void TCalendarForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    goToday();
}

void TCalendarForm::goToday() {
    CCalendar1->setToday(m_platform.clock.now().date());
    UpDown1->setPosition(CCalendar1->month());
    UpDown2->setPosition(CCalendar1->year());
    Label2->setText(QString::number(CCalendar1->year()));
    RefreshHeading();
}

void TCalendarForm::RefreshHeading() {
    const int month = CCalendar1->month();
    QString nominative = monthNominative(month);
    Label3->setText(
        QStringLiteral("%1 %2 %3").arg(CCalendar1->day()).arg(nominative, Label2->text()));
    nominative[0] = nominative[0].toUpper();
    Label1->setText(nominative);
    Label3->setText(Label3->text() + holidayText(CCalendar1->day(), month));
}

void TCalendarForm::refused() {
    // A date the grid would not take; the window and the program go on.
    m_alert.showMessage(
        QStringLiteral("Nieznany błąd systemu operacyjnego lub komponentu CCalendar !!!"));
}

void TCalendarForm::UpDown1Click() {
    if (UpDown1->position() == 13)
        UpDown1->setPosition(1);
    else if (UpDown1->position() == 0)
        UpDown1->setPosition(12);
    const int month = UpDown1->position();
    // From the 29th, 30th or 31st into a shorter month: its last day.
    const int last = QDate(CCalendar1->year(), month, 1).daysInMonth();
    if (CCalendar1->day() > last)
        CCalendar1->setDay(last);
    if (CCalendar1->setMonth(month) == MonthGrid::Change::Refused) {
        UpDown1->setPosition(CCalendar1->month());
        refused();
    }
    RefreshHeading();
}

void TCalendarForm::UpDown2Click() {
    int year = CCalendar1->year();
    if (year < UpDown2->position())
        ++year;
    else if (year > UpDown2->position())
        --year;
    // From 29 February into a year without it: 28 February.
    if (CCalendar1->month() == 2 && CCalendar1->day() == 29 && !QDate::isLeapYear(year))
        CCalendar1->setDay(28);
    if (CCalendar1->setYear(year) == MonthGrid::Change::Refused)
        refused();
    Label2->setText(QString::number(CCalendar1->year()));
    RefreshHeading();
}

void TCalendarForm::BitBtn1Click() {
    const QDate date = CCalendar1->date();
    accept();
    emit dateApplied(date);
}

void TCalendarForm::BitBtn2Click() {
    reject();
}

} // namespace kv
