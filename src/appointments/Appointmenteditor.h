#pragma once
// The appointment editor: the " &Terminy " tab of the main window. It shows one
// slot at a time and writes every change to the store at once.

#include "AppointmentStore.h"
#include "Reminderengine.h"
#include "platform/Interfaces.h"
#include "widgets/ArrowPair.h"
#include "widgets/ClickLabel.h"

#include <QLabel>
#include <QWidget>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QToolButton;

namespace kv {

class ClockAnimation;
class TAlertForm;
class TAskAlertForm;
class TQuickHelpForm;

// What the editor works with.
struct EditorContext {
    Platform &platform;
    AppointmentStore &store;
    DateTest dateTest;
    TAlertForm &alert;
    TAskAlertForm &askAlert;
    TQuickHelpForm &quickHelp;
};

class TAppointmentEditor : public QWidget, public ReminderEditor {
    Q_OBJECT
public:
    explicit TAppointmentEditor(EditorContext context, QWidget *parent = nullptr);

    // --- operations other windows call
    // Moves the slot slider to n (1..50); a new position loads the slot.
    void SelectSlot(int n) override;
    // Fills every control from the store (current slot), then RefreshClock.
    void LoadSlot() override;
    // Recomputes the validity clock from the store and the two boxes.
    void RefreshClock() override;
    // "Date N" := month/day/year part of the lists, then RefreshClock.
    void WriteDate();
    // The date box's action for its present state.
    void ApplyDateBox();
    // The calendar applied a date: the date box checked, the lists filled
    // ("05", "03", "2004"), then ApplyDateBox, RefreshClock and WriteDate.
    void applyCalendarDate(const QDate &date);
    // "Time N" := hour:minute of the lists, then RefreshClock.
    void WriteTime();
    int currentSlot() const;
    // One 500 ms step of the add-box prompt.
    void PromptTick();

    // Clock state, as the user sees it.
    bool clockShown() const;
    bool clockRunning() const;

    // --- handlers (user actions and change handling)
    void TrackBar3Change();
    void UpDown1Click();
    void Edit8Change();
    void SpeedButton1Click();
    void CheckBox4Click();
    void CheckBox5Click();
    void CheckBox6Click();
    void ComboBox4Change();  // day
    void ComboBox10Change(); // month
    void ComboBox13Change(); // year
    void ComboBox1Change();  // hour
    void ComboBox2Change();  // minute
    void TrackBar1Change();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void Edit12Change();
    void RichEdit1Change();
    void BitBtn5Click();  // "&Usuń"
    void BitBtn2Click();  // "&Kalendarz"
    void BitBtn15Click(); // "&Lista terminów"
    void BitBtn4Click();  // "&Drukuj"
    void Label12Click();
    void Label5Click();
    void Label29Click();
    void Label14Click();
    void Label2Click();

    static constexpr int MessageLimit = 500;
    static constexpr int MaxYear = 2099;

    // --- controls
    QGroupBox *GroupBox1 = nullptr; // " Terminy "
    QSlider *TrackBar3 = nullptr;   // slot slider
    ArrowPair *UpDown1 = nullptr;
    QLineEdit *Edit8 = nullptr; // slot number
    ClickLabel *Label12 = nullptr;
    ClickLabel *Label5 = nullptr;
    QToolButton *SpeedButton1 = nullptr; // free-slot search
    QCheckBox *CheckBox4 = nullptr;      // " Dodaj "
    ClickLabel *Label29 = nullptr;
    QLabel *Label10 = nullptr;       // "Dzień..."
    QCheckBox *CheckBox5 = nullptr;  // "Data:"
    QComboBox *ComboBox4 = nullptr;  // day
    QComboBox *ComboBox10 = nullptr; // month
    QComboBox *ComboBox13 = nullptr; // year
    QCheckBox *CheckBox6 = nullptr;  // "Godzina:"
    QComboBox *ComboBox1 = nullptr;  // hour
    QLabel *Label11 = nullptr;       // ":"
    QComboBox *ComboBox2 = nullptr;  // minute
    ClockAnimation *Animate1 = nullptr;
    QLabel *Label4 = nullptr;     // "Termin cykliczny..."
    QSlider *TrackBar1 = nullptr; // period slider
    QLabel *Label1 = nullptr;     // period text
    QButtonGroup *QuickChoices = nullptr;
    QRadioButton *RadioButton1 = nullptr; // one-time
    QRadioButton *RadioButton2 = nullptr; // "Tydzień"
    QRadioButton *RadioButton4 = nullptr; // "Miesiąc"
    QRadioButton *RadioButton3 = nullptr; // "Rok"
    QLabel *Label30 = nullptr;            // "Baza teleadresowa..."
    QLabel *Label20 = nullptr;            // "powiązanie z wpisem numer..."
    QLineEdit *Edit12 = nullptr;          // link field
    ClickLabel *Label14 = nullptr;        // "Wiadomość..."
    ClickLabel *Label2 = nullptr;         // counter
    QPlainTextEdit *RichEdit1 = nullptr;  // message
    QPushButton *BitBtn5 = nullptr;       // "&Usuń"
    QPushButton *BitBtn2 = nullptr;       // "&Kalendarz"
    QPushButton *BitBtn15 = nullptr;      // "&Lista terminów"
    QPushButton *BitBtn4 = nullptr;       // "&Drukuj"

signals:
    // A report for the main window's status line (text, success).
    void statusReported(const QString &text, bool success);
    // "&Kalendarz" and "&Lista terminów": the windows the main window owns.
    void calendarRequested();
    void appointmentListRequested();

private:
    // The "Dodaj" button's caption; the prompt adds up to three "!" to it.
    static inline const QString kAddCaption = QStringLiteral(" Dodaj ");
    void buildControls();
    void afterDateOrTimeList();
    void setQuickChoice(int code);
    void setLabelGrey(QLabel *label, bool grey);
    void showMessage(const QString &text);
    // Runs an action that touches the store. A registry failure is shown with
    // the given text, or passed on when an enclosing operation reports it.
    void guarded(const QString &failureText, const std::function<void()> &action);

    EditorContext m_ctx;
    int m_outerOperations = 0; // depth of guarded operations
    bool m_innerFailed = false;
    bool m_loading = false;
};

} // namespace kv
