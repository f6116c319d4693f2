#include "Appointmenteditor.h"

#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Quickhelpunit.h"
#include "platform/DateText.h"
#include "widgets/ClockAnimation.h"
#include "widgets/WindowUtil.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QTextCursor>
#include <QToolButton>

#include <algorithm>

namespace kv {

namespace {
constexpr int kPromptLength = 11; // " Dodaj " and up to three "!"

const QString kWriteFailed = QStringLiteral("Zapis danych nie powiódł się. Powód niezależny.");
const QString kReadFailed = QStringLiteral("Odczyt danych nie powiódł się. Powód niezależny.");
const QString kDeleteFailed =
    QStringLiteral("Usunięcie danych nie powiodło się. Powód niezależny.");
const QString kPrintFailed =
    QStringLiteral("Operacja wydruku nie może zostać zrealizowana. Powód niezależny.");

// Puts a text into a list from code (no user action runs).
void setListText(QComboBox *list, const QString &text) {
    list->setCurrentIndex(list->findText(text));
    list->setEditText(text);
}

void emptyList(QComboBox *list) {
    list->setCurrentIndex(-1);
    list->clearEditText();
}

} // namespace

// ---------------------------------------------------------------- the editor

TAppointmentEditor::TAppointmentEditor(EditorContext context, QWidget *parent)
    : QWidget(parent), m_ctx(std::move(context)) {
    buildControls();
}

// ---------------------------------------------------------------- helpers

int TAppointmentEditor::currentSlot() const {
    return TrackBar3->value();
}

bool TAppointmentEditor::clockShown() const {
    return !Animate1->isHidden();
}

bool TAppointmentEditor::clockRunning() const {
    return clockShown() && Animate1->isPlaying();
}

void TAppointmentEditor::showMessage(const QString &text) {
    m_ctx.alert.showMessage(text);
}

void TAppointmentEditor::setLabelGrey(QLabel *label, bool grey) {
    setTextColour(label, grey ? inactiveGrey() : QColor(Qt::black));
}

void TAppointmentEditor::guarded(const QString &failureText, const std::function<void()> &action) {
    // Handlers set off by an enclosing operation (a slot load, a delete) leave
    // the report to it, so that one failure gives one message.
    const bool outermost = m_outerOperations == 0;
    if (outermost)
        m_innerFailed = false;
    ++m_outerOperations;
    try {
        action();
    } catch (const RegistryError &) {
        m_innerFailed = true;
    }
    --m_outerOperations;
    if (outermost && m_innerFailed) {
        m_innerFailed = false;
        showMessage(failureText);
    }
}

void TAppointmentEditor::setQuickChoice(int code) {
    // An exclusive group cannot lose its checked button; open it for a moment.
    QuickChoices->setExclusive(false);
    for (QAbstractButton *button : QuickChoices->buttons())
        button->setChecked(QuickChoices->id(button) == code);
    QuickChoices->setExclusive(true);
}

// ---------------------------------------------------------------- operations

void TAppointmentEditor::SelectSlot(int n) {
    TrackBar3->setValue(n);
}

void TAppointmentEditor::LoadSlot() {
    guarded(kReadFailed, [this] {
        const int n = currentSlot();
        const SlotView view = m_ctx.store.load(n);
        const bool wasLoading = m_loading;
        m_loading = true; // one clock refresh, at the end
        struct Restore {
            bool &flag;
            bool value;
            ~Restore() { flag = value; }
        } restore{m_loading, wasLoading};

        if (view.link)
            Edit12->setText(QString::number(*view.link));
        else
            Edit12->clear();

        const bool hasDate = view.date.has_value();
        CheckBox5->setChecked(hasDate);
        for (QComboBox *list : {ComboBox4, ComboBox10, ComboBox13})
            list->setEnabled(hasDate);
        if (hasDate) {
            setListText(ComboBox4, view.date->mid(3, 2));
            setListText(ComboBox10, view.date->mid(0, 2));
            setListText(ComboBox13, QStringLiteral("20") + view.date->mid(6, 2));
        } else {
            for (QComboBox *list : {ComboBox4, ComboBox10, ComboBox13})
                emptyList(list);
        }

        const bool hasTime = view.time.has_value();
        CheckBox6->setChecked(hasTime);
        for (QComboBox *list : {ComboBox1, ComboBox2})
            list->setEnabled(hasTime);
        if (hasTime) {
            setListText(ComboBox1, view.time->mid(0, 2));
            setListText(ComboBox2, view.time->mid(3, 2));
        } else {
            emptyList(ComboBox1);
            emptyList(ComboBox2);
        }

        // Line breaks are stored as CR LF pairs, as the archive keeps them.
        QString info = view.info;
        info.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        RichEdit1->setPlainText(info);
        TrackBar1->setValue(view.repeat);
        CheckBox4->setChecked(view.armed);
        m_loading = wasLoading;
        RefreshClock();
    });
}

void TAppointmentEditor::RefreshClock() {
    if (m_loading)
        return;
    const int n = currentSlot();
    const RegKey &key = m_ctx.store.key();
    const bool dateBox = CheckBox5->isChecked();
    const bool timeBox = CheckBox6->isChecked();
    // Each box that is checked needs its value in the stored form; otherwise
    // the clock stays untested.
    std::optional<QString> date = dateBox ? key.stringOrAbsent(names::date(n)) : std::nullopt;
    std::optional<QString> time = timeBox ? key.stringOrAbsent(names::time(n)) : std::nullopt;
    std::optional<int> result;
    if ((!dateBox || (date && date->size() == 8)) && (!timeBox || (time && time->size() == 5)))
        result = testMoment(m_ctx.dateTest, date, time);

    if (result == ActualAhead || result == ActualNow) {
        Animate1->show();
        if (CheckBox4->isChecked())
            Animate1->play();
        else
            Animate1->stop();
    } else {
        Animate1->stop();
        Animate1->hide();
    }
    if (result == ActualFailed)
        showMessage(QStringLiteral("Błąd funkcji \"Actual\"."));
}

void TAppointmentEditor::WriteDate() {
    if (m_loading)
        return; // what the loader puts into the lists is what the store holds
    guarded(kWriteFailed, [this] {
        const QString year = ComboBox13->currentText();
        const QString yearPart = year.size() > 2 ? year.mid(2, 2) : year;
        m_ctx.store.writeDate(currentSlot(), ComboBox10->currentText() + QLatin1Char('/') +
                                                 ComboBox4->currentText() + QLatin1Char('/') +
                                                 yearPart);
        RefreshClock();
    });
}

void TAppointmentEditor::applyCalendarDate(const QDate &date) {
    guarded(kWriteFailed, [&] {
        CheckBox5->setEnabled(true);
        CheckBox5->setChecked(true);
        for (QComboBox *list : {ComboBox4, ComboBox10, ComboBox13})
            list->setEnabled(true);
        setListText(ComboBox4, twoDigits(date.day()));
        setListText(ComboBox10, twoDigits(date.month()));
        setListText(ComboBox13, QString::number(date.year()));
        ApplyDateBox();
        RefreshClock();
        WriteDate();
    });
}

void TAppointmentEditor::WriteTime() {
    if (m_loading)
        return;
    guarded(kWriteFailed, [this] {
        m_ctx.store.writeTime(currentSlot(), ComboBox1->currentText() + QLatin1Char(':') +
                                                 ComboBox2->currentText());
        RefreshClock();
    });
}

void TAppointmentEditor::ApplyDateBox() {
    guarded(kWriteFailed, [this] {
        const int n = currentSlot();
        if (CheckBox5->isChecked()) {
            CheckBox4->setChecked(false);
            m_ctx.store.disarmSlot(n);
            for (QComboBox *list : {ComboBox4, ComboBox10, ComboBox13})
                list->setEnabled(true);
        } else {
            for (QComboBox *list : {ComboBox4, ComboBox10, ComboBox13}) {
                emptyList(list);
                list->setEnabled(false);
            }
            m_ctx.store.deleteDate(n);
            // Without a time either nothing is left to arm; the stored flag
            // stays as it is.
            if (!CheckBox6->isChecked())
                CheckBox4->setChecked(false);
        }
    });
}

void TAppointmentEditor::PromptTick() {
    if (clockShown() && !Animate1->isPlaying()) {
        QString caption = CheckBox4->text() + QLatin1Char('!');
        if (caption.size() >= kPromptLength)
            caption = kAddCaption;
        CheckBox4->setText(caption);
    } else {
        CheckBox4->setText(kAddCaption);
    }
}

// ---------------------------------------------------------------- the slot

void TAppointmentEditor::TrackBar3Change() {
    const int n = TrackBar3->value();
    Edit8->setText(QString::number(n));
    UpDown1->setPosition(n);
    LoadSlot();
}

void TAppointmentEditor::UpDown1Click() {
    TrackBar3->setValue(UpDown1->position());
}

void TAppointmentEditor::Edit8Change() {
    const QString text = Edit8->text();
    if (text.isEmpty())
        return;
    // Only the leading digits count: "5x" selects slot 5.
    const int n = leadingNumber(text);
    if (n >= 1 && n <= AppointmentStore::SlotCount) {
        TrackBar3->setValue(n);
        return;
    }
    showMessage(
        QStringLiteral("Numer terminu: przekroczono zakres - dopuszczalna wartość: od 1 do 50."));
    Edit8->setText(QStringLiteral("1"));
}

void TAppointmentEditor::SpeedButton1Click() {
    guarded(kReadFailed, [this] {
        const int n = m_ctx.store.firstFreeSlot();
        if (n > 0) {
            SelectSlot(n);
            emit statusReported(QStringLiteral(" Odnaleziono wolny termin."), true);
        } else {
            emit statusReported(QStringLiteral(" Wszystkie terminy są zajęte!"), false);
        }
    });
}

// ---------------------------------------------------------------- the boxes

void TAppointmentEditor::CheckBox4Click() {
    const int n = currentSlot();
    if (CheckBox4->isChecked()) {
        ArmOutcome outcome = ArmOutcome::Incomplete;
        bool failed = true;
        guarded(kWriteFailed, [&] {
            outcome = m_ctx.store.armSlot(n, CheckBox5->isChecked(), CheckBox6->isChecked(),
                                          TrackBar1->value(), m_ctx.dateTest);
            failed = false;
        });
        if (failed) {
            CheckBox4->setChecked(false);
            return;
        }
        if (outcome != ArmOutcome::Armed) {
            showMessage(AppointmentStore::armMessage(outcome));
            CheckBox4->setChecked(false);
            return;
        }
        CheckBox4->setText(kAddCaption);
        Animate1->show();
        Animate1->play();
    } else {
        Animate1->stop();
        guarded(kWriteFailed, [&] { m_ctx.store.disarmSlot(n); });
    }
}

void TAppointmentEditor::CheckBox5Click() {
    guarded(kWriteFailed, [this] {
        ApplyDateBox();
        RefreshClock();
    });
    if (ComboBox4->isEnabled())
        ComboBox4->setFocus();
}

void TAppointmentEditor::CheckBox6Click() {
    guarded(kWriteFailed, [this] {
        const int n = currentSlot();
        if (CheckBox6->isChecked()) {
            CheckBox4->setChecked(false);
            m_ctx.store.disarmSlot(n);
            ComboBox1->setEnabled(true);
            ComboBox2->setEnabled(true);
        } else {
            for (QComboBox *list : {ComboBox1, ComboBox2}) {
                emptyList(list);
                list->setEnabled(false);
            }
            m_ctx.store.deleteTime(n);
            if (!CheckBox5->isChecked())
                CheckBox4->setChecked(false);
        }
        RefreshClock();
    });
    if (ComboBox1->isEnabled())
        ComboBox1->setFocus();
}

// ---------------------------------------------------------------- the lists

void TAppointmentEditor::afterDateOrTimeList() {
    // A changed moment is only active again once the user arms it.
    CheckBox4->setChecked(false);
    Animate1->stop();
    m_ctx.store.disarmSlot(currentSlot());
}

void TAppointmentEditor::ComboBox4Change() {
    guarded(kWriteFailed, [this] {
        WriteDate();
        afterDateOrTimeList();
    });
}

void TAppointmentEditor::ComboBox10Change() {
    ComboBox4Change();
}

void TAppointmentEditor::ComboBox13Change() {
    guarded(kWriteFailed, [this] {
        if (leadingNumber(ComboBox13->currentText()) <= MaxYear) {
            WriteDate();
        } else {
            showMessage(QStringLiteral("Wartość maksymalna wynosi: %1.").arg(MaxYear));
            emptyList(ComboBox13);
        }
        afterDateOrTimeList();
    });
}

void TAppointmentEditor::ComboBox1Change() {
    guarded(kWriteFailed, [this] {
        WriteTime();
        afterDateOrTimeList();
    });
}

void TAppointmentEditor::ComboBox2Change() {
    ComboBox1Change();
}

// ---------------------------------------------------------------- the period

void TAppointmentEditor::TrackBar1Change() {
    const int code = TrackBar1->value();
    // Only on the screen: the stored flag stays, so the slot still fires.
    CheckBox4->setChecked(false);
    RefreshClock();
    setQuickChoice(code);
    setLabelGrey(Label4, code == 0);
    Label1->setText(AppointmentStore::repeatText(code));
    // Loading writes nothing: a stored code the slider cannot show (above 41)
    // stays as it is until the user moves the slider.
    if (!m_loading)
        guarded(kWriteFailed, [&] { m_ctx.store.writeRepeat(currentSlot(), code); });
}

void TAppointmentEditor::RadioButton1Click() {
    TrackBar1->setValue(0);
}
void TAppointmentEditor::RadioButton2Click() {
    TrackBar1->setValue(7);
}
void TAppointmentEditor::RadioButton4Click() {
    TrackBar1->setValue(30);
}
void TAppointmentEditor::RadioButton3Click() {
    TrackBar1->setValue(41);
}

// ---------------------------------------------------------------- link, message

void TAppointmentEditor::Edit12Change() {
    const QString text = Edit12->text();
    setLabelGrey(Label20, text.isEmpty());
    if (!m_loading)
        guarded(kWriteFailed, [&] { m_ctx.store.writeLink(currentSlot(), text); });
    CheckBox4->setChecked(false);
    RefreshClock();
}

void TAppointmentEditor::RichEdit1Change() {
    const QString text = RichEdit1->toPlainText();
    if (text.size() > MessageLimit) {
        // Keep the limit: drop what was just typed or pasted beyond it. The
        // change this makes runs the handling again.
        QTextCursor cursor = RichEdit1->textCursor();
        const int excess = int(text.size()) - MessageLimit;
        const int end = cursor.position() >= excess ? cursor.position() : int(text.size());
        cursor.setPosition(end - excess);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        RichEdit1->setTextCursor(cursor);
        return;
    }
    Label2->setText(QString::number(std::max<qsizetype>(0, MessageLimit - text.size())));
    BitBtn4->setEnabled(!text.isEmpty());
    QString stored = text;
    stored.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    // A stored message longer than the field is shown cut; the store keeps
    // it whole until the user edits the message.
    if (!m_loading)
        guarded(kWriteFailed, [&] { m_ctx.store.writeInfo(currentSlot(), stored); });
}

// ---------------------------------------------------------------- buttons

void TAppointmentEditor::BitBtn5Click() {
    if (!m_ctx.askAlert.ask(
            QStringLiteral("Usunięcie danych aktualnego terminu..."),
            QStringLiteral("Usunięcie danych"), QStringLiteral("Usuń"),
            QStringLiteral("Ta operacja spowoduje bezpowrotne usunięcie wszystkich danych "
                           "aktualnego terminu.")))
        return;
    guarded(kDeleteFailed, [this] {
        for (QCheckBox *box : {CheckBox4, CheckBox5, CheckBox6})
            box->setChecked(false);
        for (QComboBox *list : {ComboBox4, ComboBox10, ComboBox13, ComboBox1, ComboBox2}) {
            emptyList(list);
            list->setEnabled(false);
        }
        TrackBar1->setValue(0);
        Label1->setText(AppointmentStore::repeatText(0));
        Edit12->clear();
        RichEdit1->clear();
        m_ctx.store.deleteSlot(currentSlot());
        Animate1->stop();
        Animate1->hide();
    });
}

void TAppointmentEditor::BitBtn2Click() {
    emit calendarRequested();
}

void TAppointmentEditor::BitBtn15Click() {
    emit appointmentListRequested();
}

void TAppointmentEditor::BitBtn4Click() {
    bool printed = false;
    try {
        printed = m_ctx.platform.printer.printText(QStringLiteral("Kelvadrin - informacja."),
                                                   RichEdit1->toPlainText(), false);
    } catch (const std::exception &) {
        printed = false;
    }
    if (!printed)
        showMessage(kPrintFailed);
}

// ---------------------------------------------------------------- help labels

void TAppointmentEditor::Label12Click() {
    m_ctx.quickHelp.showQuickHelp(
        QStringLiteral("Terminy"),
        QStringLiteral(
            "Zmiana pozycji suwaka powoduje edycję danych powiązanych z danym terminem."));
}

void TAppointmentEditor::Label5Click() {
    m_ctx.quickHelp.showQuickHelp(
        QStringLiteral("Terminy - termin numer"),
        QStringLiteral("Szybka edycja danego terminu.\n\nWprowadzona liczba odpowiada pozycji "
                       "głównego suwaka i powoduje natychmiastową edycję danych powiązanych z "
                       "danym terminem."));
}

void TAppointmentEditor::Label29Click() {
    m_ctx.quickHelp.showQuickHelp(
        QStringLiteral("Terminy - termin przypomnienia"),
        QStringLiteral("Przypomnienie nastąpi w podanym terminie poprzez wyświetlenie okna "
                       "zawierającego daną wiadomość.\n\nTermin przypomnienia określony jest "
                       "przez dokładną datę oraz godzinę. Animowany zegar obrazuje czy podany "
                       "termin jest poprawny i aktualny."));
}

void TAppointmentEditor::Label14Click() {
    m_ctx.quickHelp.showQuickHelp(
        QStringLiteral("Terminy - wiadomość"),
        QStringLiteral("Dowolny tekst stanowiący treść wiadomości powiązanej z aktualnie "
                       "edytowanym terminem."));
}

void TAppointmentEditor::Label2Click() {
    m_ctx.quickHelp.showQuickHelp(
        QStringLiteral("Terminy - wiadomość"),
        QStringLiteral("Pozostała ilość znaków możliwych do wprowadzenia. Max. 500."));
}

} // namespace kv
