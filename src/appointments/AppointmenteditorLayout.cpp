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

// The editor's controls: built once, in their places.

namespace kv {

namespace {

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

} // namespace

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

} // namespace kv
