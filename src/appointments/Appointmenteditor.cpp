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
// The free-slot search's magnifier, drawn here rather than looked up in the
// desktop's icon theme at every start.

const QString kAddCaption = QStringLiteral(" Dodaj ");
constexpr int kPromptLength = 11; // " Dodaj " and up to three "!"

const QString kWriteFailed = QStringLiteral("Zapis danych nie powiódł się. Powód niezależny.");
const QString kReadFailed = QStringLiteral("Odczyt danych nie powiódł się. Powód niezależny.");
const QString kDeleteFailed =
    QStringLiteral("Usunięcie danych nie powiodło się. Powód niezależny.");
const QString kPrintFailed =
    QStringLiteral("Operacja wydruku nie może zostać zrealizowana. Powód niezależny.");

// An editable drop-down list whose text the user may type; nothing is added
// to the items and nothing is completed behind the user's back.
QComboBox *makeList(QWidget *parent, const QStringList &items, int maxLength, int visibleRows) {
    auto *list = new QComboBox(parent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);
    list->addItems(items);
    list->setMaxVisibleItems(visibleRows);
    list->lineEdit()->setMaxLength(maxLength);
    list->setCurrentIndex(-1);
    list->clearEditText();
    list->setEnabled(false);
    return list;
}

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

void TAppointmentEditor::buildControls() {
    GroupBox1 = new QGroupBox(QStringLiteral(" Terminy "), this);
    GroupBox1->setGeometry(8, 4, 648, 428);
    QWidget *g = GroupBox1;

    // --- the slot: slider, arrows, number field, free-slot search, add box
    Label12 = new ClickLabel(QStringLiteral("Termin..."), g);
    Label12->setGeometry(16, 24, 200, 20);
    TrackBar3 = new QSlider(Qt::Horizontal, g);
    TrackBar3->setRange(1, AppointmentStore::SlotCount);
    TrackBar3->setSingleStep(1);
    TrackBar3->setPageStep(1);
    TrackBar3->setTickPosition(QSlider::TicksBelow);
    TrackBar3->setTickInterval(1);
    TrackBar3->setValue(1);
    TrackBar3->setGeometry(12, 46, 300, 32);
    UpDown1 = new ArrowPair(1, AppointmentStore::SlotCount, g);
    UpDown1->setGeometry(316, 48, 44, 24);
    UpDown1->LeftButton->setGeometry(0, 0, 22, 24);
    UpDown1->RightButton->setGeometry(22, 0, 22, 24);

    Label5 = new ClickLabel(QStringLiteral("Termin numer..."), g);
    Label5->setGeometry(376, 24, 130, 20);
    Edit8 = new QLineEdit(QStringLiteral("1"), g);
    Edit8->setMaxLength(2);
    Edit8->setGeometry(376, 47, 40, 26);
    SpeedButton1 = new QToolButton(g);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setIcon(magnifierIcon(18));
    SpeedButton1->setToolTip(QStringLiteral("Wolny termin"));
    SpeedButton1->setGeometry(420, 47, 28, 26);

    CheckBox4 = new QCheckBox(kAddCaption, g);
    setTextColour(CheckBox4, Qt::red);
    CheckBox4->setGeometry(474, 48, 110, 24);
    Animate1 = new ClockAnimation(g);
    Animate1->setGeometry(588, 26, 48, 48);
    Animate1->hide();

    // --- the moment: date and time
    Label29 = new ClickLabel(QStringLiteral("Termin przypomnienia..."), g);
    Label29->setGeometry(16, 92, 220, 20);
    Label10 = new QLabel(QStringLiteral("Dzień..."), g);
    setTextColour(Label10, inactiveGrey());
    Label10->setGeometry(96, 114, 80, 18);

    CheckBox5 = new QCheckBox(QStringLiteral("Data:"), g);
    CheckBox5->setGeometry(16, 136, 76, 24);
    QStringList days, months, years, hours;
    for (int day = 1; day <= 31; ++day)
        days << twoDigits(day);
    for (int month = 1; month <= 12; ++month)
        months << twoDigits(month);
    const int thisYear = m_ctx.platform.clock.now().date().year();
    for (int year = thisYear; year < thisYear + 4; ++year)
        years << QString::number(year);
    for (int hour = 1; hour <= 24; ++hour)
        hours << twoDigits(hour);
    const QStringList minutes = {"00", "10", "15", "20", "25", "30", "35", "40", "45", "50", "55"};
    ComboBox4 = makeList(g, days, 2, 17);
    ComboBox4->setGeometry(96, 134, 58, 28);
    ComboBox10 = makeList(g, months, 2, 13);
    ComboBox10->setGeometry(158, 134, 58, 28);
    ComboBox13 = makeList(g, years, 4, 10);
    ComboBox13->setGeometry(220, 134, 74, 28);

    CheckBox6 = new QCheckBox(QStringLiteral("Godzina:"), g);
    CheckBox6->setGeometry(320, 136, 96, 24);
    ComboBox1 = makeList(g, hours, 2, 17);
    ComboBox1->setGeometry(418, 134, 58, 28);
    Label11 = new QLabel(QStringLiteral(":"), g);
    Label11->setGeometry(480, 138, 8, 20);
    ComboBox2 = makeList(g, minutes, 2, 15);
    ComboBox2->setGeometry(490, 134, 58, 28);

    // --- the period
    Label4 = new QLabel(QStringLiteral("Termin cykliczny..."), g);
    setTextColour(Label4, inactiveGrey());
    Label4->setGeometry(16, 180, 200, 20);
    RadioButton1 = new QRadioButton(g);
    RadioButton1->setChecked(true);
    RadioButton1->setGeometry(16, 206, 20, 20);
    TrackBar1 = new QSlider(Qt::Horizontal, g);
    TrackBar1->setRange(0, 41);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    TrackBar1->setGeometry(40, 200, 400, 32);
    Label1 = new QLabel(AppointmentStore::repeatText(0), g);
    setTextColour(Label1, Qt::red);
    Label1->setGeometry(456, 206, 180, 20);
    // The named choices stand under their slider positions.
    const auto under = [this](int code) {
        const int handle = 16;
        return TrackBar1->x() + handle / 2 + (TrackBar1->width() - handle) * code / 41;
    };
    RadioButton2 = new QRadioButton(QStringLiteral("Tydzień"), g);
    RadioButton2->setGeometry(under(7) - 9, 234, 90, 22);
    RadioButton4 = new QRadioButton(QStringLiteral("Miesiąc"), g);
    RadioButton4->setGeometry(under(30) - 9, 234, 90, 22);
    RadioButton3 = new QRadioButton(QStringLiteral("Rok"), g);
    RadioButton3->setGeometry(under(41) - 9, 234, 60, 22);
    QuickChoices = new QButtonGroup(this);
    QuickChoices->addButton(RadioButton1, 0);
    QuickChoices->addButton(RadioButton2, 7);
    QuickChoices->addButton(RadioButton4, 30);
    QuickChoices->addButton(RadioButton3, 41);

    // --- the link to the address book
    Label30 = new QLabel(QStringLiteral("Baza teleadresowa..."), g);
    Label30->setGeometry(16, 270, 200, 20);
    Label20 = new QLabel(QStringLiteral("powiązanie z wpisem numer..."), g);
    setTextColour(Label20, inactiveGrey());
    Label20->setGeometry(16, 296, 220, 20);
    Edit12 = new QLineEdit(g);
    Edit12->setMaxLength(5);
    Edit12->setGeometry(238, 293, 70, 26);

    // --- the message
    Label14 = new ClickLabel(QStringLiteral("Wiadomość..."), g);
    Label14->setGeometry(16, 330, 120, 20);
    Label2 = new ClickLabel(QString::number(MessageLimit), g);
    setTextColour(Label2, inactiveGrey());
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setGeometry(400, 330, 40, 20);
    RichEdit1 = new QPlainTextEdit(g);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setGeometry(16, 352, 424, 64);

    // --- buttons
    BitBtn5 = new QPushButton(QStringLiteral("&Usuń"), g);
    BitBtn5->setGeometry(470, 270, 160, 30);
    BitBtn4 = new QPushButton(QStringLiteral("&Drukuj"), g);
    BitBtn4->setGeometry(470, 308, 160, 30);
    BitBtn4->setEnabled(false);
    BitBtn2 = new QPushButton(QStringLiteral("&Kalendarz"), g);
    BitBtn2->setGeometry(470, 346, 160, 30);
    BitBtn15 = new QPushButton(QStringLiteral("&Lista terminów"), g);
    BitBtn15->setGeometry(470, 384, 160, 30);

    // --- wiring. Boxes and date/time lists answer the user only; sliders and
    // fields run their change handling on every change.
    connect(TrackBar3, &QSlider::valueChanged, this, &TAppointmentEditor::TrackBar3Change);
    connect(UpDown1, &ArrowPair::clicked, this, &TAppointmentEditor::UpDown1Click);
    connect(Edit8, &QLineEdit::textChanged, this, &TAppointmentEditor::Edit8Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TAppointmentEditor::SpeedButton1Click);
    connect(CheckBox4, &QCheckBox::clicked, this, &TAppointmentEditor::CheckBox4Click);
    connect(CheckBox5, &QCheckBox::clicked, this, &TAppointmentEditor::CheckBox5Click);
    connect(CheckBox6, &QCheckBox::clicked, this, &TAppointmentEditor::CheckBox6Click);
    const auto userEdits = [this](QComboBox *list, void (TAppointmentEditor::*handler)()) {
        connect(list, &QComboBox::activated, this, [this, handler] { (this->*handler)(); });
        connect(list->lineEdit(), &QLineEdit::textEdited, this,
                [this, handler] { (this->*handler)(); });
    };
    userEdits(ComboBox4, &TAppointmentEditor::ComboBox4Change);
    userEdits(ComboBox10, &TAppointmentEditor::ComboBox10Change);
    userEdits(ComboBox13, &TAppointmentEditor::ComboBox13Change);
    userEdits(ComboBox1, &TAppointmentEditor::ComboBox1Change);
    userEdits(ComboBox2, &TAppointmentEditor::ComboBox2Change);
    connect(TrackBar1, &QSlider::valueChanged, this, &TAppointmentEditor::TrackBar1Change);
    connect(RadioButton1, &QRadioButton::clicked, this, &TAppointmentEditor::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TAppointmentEditor::RadioButton2Click);
    connect(RadioButton3, &QRadioButton::clicked, this, &TAppointmentEditor::RadioButton3Click);
    connect(RadioButton4, &QRadioButton::clicked, this, &TAppointmentEditor::RadioButton4Click);
    connect(Edit12, &QLineEdit::textChanged, this, &TAppointmentEditor::Edit12Change);
    connect(RichEdit1, &QPlainTextEdit::textChanged, this, &TAppointmentEditor::RichEdit1Change);
    connect(BitBtn5, &QPushButton::clicked, this, &TAppointmentEditor::BitBtn5Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TAppointmentEditor::BitBtn2Click);
    connect(BitBtn15, &QPushButton::clicked, this, &TAppointmentEditor::BitBtn15Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TAppointmentEditor::BitBtn4Click);
    connect(Label12, &ClickLabel::clicked, this, &TAppointmentEditor::Label12Click);
    connect(Label5, &ClickLabel::clicked, this, &TAppointmentEditor::Label5Click);
    connect(Label29, &ClickLabel::clicked, this, &TAppointmentEditor::Label29Click);
    connect(Label14, &ClickLabel::clicked, this, &TAppointmentEditor::Label14Click);
    connect(Label2, &ClickLabel::clicked, this, &TAppointmentEditor::Label2Click);

    // --- names for screen readers
    setCaption(Label12, TrackBar3);
    UpDown1->setArrowNames(QStringLiteral("Poprzedni termin"), QStringLiteral("Następny termin"));
    setCaption(Label5, Edit8);
    SpeedButton1->setAccessibleName(QStringLiteral("Szukaj wolnego terminu"));
    setCaption(Label10, ComboBox4);
    ComboBox10->setAccessibleName(QStringLiteral("Miesiąc"));
    ComboBox13->setAccessibleName(QStringLiteral("Rok"));
    ComboBox1->setAccessibleName(QStringLiteral("Godzina"));
    ComboBox2->setAccessibleName(QStringLiteral("Minuta"));
    RadioButton1->setAccessibleName(QStringLiteral("Jednorazowo"));
    setCaption(Label4, TrackBar1);
    setCaption(Label20, Edit12);
    setCaption(Label14, RichEdit1);
    // Tab leaves the message rather than typing a tab into it.
    RichEdit1->setTabChangesFocus(true);
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
