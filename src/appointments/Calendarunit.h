#pragma once
#include "platform/Interfaces.h"

#include <QDate>
#include <QDialog>

class QAction;
class QLabel;
class QMenuBar;
class QPushButton;

namespace kv {

class ArrowPair;
class MonthGrid;
class TAlertForm;

// The calendar window: the user picks a day and applies it to the appointment
// editor or to the archive search (the main window decides which, from its
// current tab, when dateApplied arrives).
class TCalendarForm : public QDialog {
    Q_OBJECT
public:
    // The years the date texts can hold.
    static constexpr int kFirstYear = 2000;
    static constexpr int kLastYear = 2099;

    TCalendarForm(Platform &platform, TAlertForm &alert, QWidget *parent = nullptr);

    // Captions the window and shows it modally, on today's date.
    void showCalendar(const QString &caption);

    // The holiday text of a fixed day ("  Święto Pracy"), or empty.
    static QString holidayText(int day, int month);

    // --- handlers
    void goToday(); // opening and "Data" > "Dzisiejsza..."
    void RefreshHeading();
    void UpDown1Click(); // month arrows
    void UpDown2Click(); // year arrows
    void BitBtn1Click(); // "&Zastosuj"
    void BitBtn2Click(); // "&Anuluj"

    // --- controls
    QMenuBar *MainMenu1 = nullptr;
    QAction *N_Today = nullptr; // "Dzisiejsza..."
    QLabel *Label3 = nullptr;   // heading
    MonthGrid *CCalendar1 = nullptr;
    ArrowPair *UpDown1 = nullptr; // month arrows, 0..13
    QLabel *Label1 = nullptr;     // month label
    ArrowPair *UpDown2 = nullptr; // year arrows
    QLabel *Label2 = nullptr;     // year label
    QPushButton *BitBtn1 = nullptr;
    QPushButton *BitBtn2 = nullptr;

signals:
    // "&Zastosuj": the chosen date, to be written where the main window says.
    void dateApplied(const QDate &date);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refused();
    Platform &m_platform;
    TAlertForm &m_alert;
};

} // namespace kv
