#include "Addresspage.h"

#include "Correct_emailunit.h"
#include "Printunit.h"
#include "appointments/AppointmentStore.h"
#include "appointments/Appointmenteditor.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Quickhelpunit.h"
#include "platform/DateText.h"
#include "widgets/ClickLabel.h"
#include "widgets/HotImage.h"
#include "widgets/WindowUtil.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QToolButton>

namespace kv {

namespace {
const QString kNoEntries = QStringLiteral(" Brak wpisów w bazie teleadresowej.");
const QString kDamaged =
    QStringLiteral("Błąd odczytu danych. Plik bazy teleadresowej może być uszkodzony.");
const QString kRange =
    QStringLiteral("Numer wpisu bazy teleadresowej: przekroczono zakres - max. 1000 wpisów.");
const QString kBadEmail = QStringLiteral(" Niepoprawnie podano adres e-mail.");
const QString kWriteFailed =
    QStringLiteral("Wystąpił błąd podczas zapisu danych. Powód niezależny.");
const QString kDeleteFailed =
    QStringLiteral("Usunięcie danych z bazy teleadresowej nie powiodło się. Powód niezależny.");

// The blocks behind the six radio buttons, in their order.
constexpr AddressFile::Field kSearchBlocks[6] = {AddressFile::Name,   AddressFile::Town,
                                                 AddressFile::Street, AddressFile::Phone,
                                                 AddressFile::Email,  AddressFile::Icq};

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool allDigits(const QString &text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isAsciiDigit);
}
} // namespace

TAddressPage::TAddressPage(AddressContext context, QWidget *parent)
    : QWidget(parent), m_ctx(std::move(context)), m_file(m_ctx.installDir) {
    buildControls();
    m_print = new TPrintForm(m_ctx.platform, m_ctx.alert, this);
}

TAddressPage::~TAddressPage() = default;

void TAddressPage::buildControls() {
    setFont(arial15());
    GroupBox = new QGroupBox(QStringLiteral(" Baza teleadresowa "), this);
    GroupBox->setGeometry(8, 4, 648, 372);
    QWidget *g = GroupBox;

    const auto edit = [g](int maxLength, int x, int y, int width) {
        auto *e = new QLineEdit(g);
        e->setMaxLength(maxLength);
        e->setGeometry(x, y, width, 26);
        return e;
    };
    constexpr int fieldX = 134;
    Edit2 = edit(100, fieldX, 26, 320);
    Edit3 = edit(60, fieldX, 58, 320);
    Edit4 = edit(10, fieldX, 90, 110);
    Edit5 = edit(60, fieldX, 122, 320);
    Edit11 = edit(60, fieldX, 154, 320);
    Edit7 = edit(60, fieldX, 186, 320);
    Edit9 = edit(20, fieldX, 218, 200);

    auto *group = new QButtonGroup(this);
    const char *captions[6] = {"Nazwa:", "Miejscowość:", "Ulica:", "Tel.:", "e-mail:", "icq:"};
    const int rows[6] = {26, 58, 122, 154, 186, 218};
    for (int i = 0; i < 6; ++i) {
        RadioButtons[size_t(i)] = new QRadioButton(QString::fromUtf8(captions[i]), g);
        RadioButtons[size_t(i)]->setGeometry(10, rows[i] + 1, 122, 24);
        group->addButton(RadioButtons[size_t(i)], i);
        connect(RadioButtons[size_t(i)], &QRadioButton::clicked, this,
                [this, i] { RadioButtonClick(i); });
    }
    auto *codeLabel = new QLabel(QStringLiteral("Kod:"), g);
    codeLabel->setGeometry(30, 91, 100, 24);
    auto *notesLabel = new QLabel(QStringLiteral("Inne..."), g);
    notesLabel->setGeometry(30, 250, 100, 24);
    Label23 = new QLabel(QStringLiteral("500"), g);
    Label23->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label23->setGeometry(30, 276, 90, 24);
    setTextColour(Label23, inactiveGrey());
    RichEdit3 = new QPlainTextEdit(g);
    RichEdit3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit3->setGeometry(fieldX, 250, 320, 80);

    // The right column: number, search, mail, link.
    constexpr int colX = 470;
    NumberLabel = new ClickLabel(QStringLiteral("Wpis numer..."), g);
    NumberLabel->setGeometry(colX, 26, 160, 24);
    Edit10 = edit(4, colX, 52, 70);
    UpDown2 = new ArrowPair(0, AddressFile::kLastEntry, g);
    UpDown2->setGeometry(colX + 74, 52, 52, 26);
    UpDown2->LeftButton->setGeometry(0, 0, 26, 26);
    UpDown2->RightButton->setGeometry(26, 0, 26, 26);

    const auto glyphButton = [g](Glyph glyph, int x, int y) {
        auto *b = new QToolButton(g);
        b->setIcon(glyphIcon(glyph, 16));
        b->setGeometry(x, y, 30, 28);
        return b;
    };
    BitBtn10 = glyphButton(Glyph::List, colX, 96);
    SearchLabel = new ClickLabel(QStringLiteral("Szukaj..."), g);
    SearchLabel->setGeometry(colX + 38, 98, 120, 24);
    BitBtn12 = glyphButton(Glyph::Next, colX, 130);
    BitBtn12->setEnabled(false);
    NextLabel = new ClickLabel(QStringLiteral("Dalej..."), g);
    NextLabel->setGeometry(colX + 38, 132, 120, 24);
    BitBtn14 = new QPushButton(QStringLiteral("e-mail"), g);
    BitBtn14->setGeometry(colX, 186, 100, 28);
    BitBtn14->setEnabled(false);
    SpeedButton2 = glyphButton(Glyph::Back, colX, 238);
    LinkLabel = new ClickLabel(QStringLiteral("Dodaj do aktualnego terminu..."), g);
    LinkLabel->setWordWrap(true);
    LinkLabel->setGeometry(colX + 38, 222, 132, 62);

    Image8 = new HotImage(g);
    Image8->move(fieldX, 338);
    Label28 = new ClickLabel(QStringLiteral("...wyczyść pola tekstowe."), g);
    Label28->setGeometry(fieldX + 30, 338, 240, 24);
    for (QWidget *neighbour : std::initializer_list<QWidget *>{
             g, Edit2, Edit3, Edit4, Edit5, Edit11, Edit7, Edit9, RichEdit3, Label28})
        Image8->addNeighbour(neighbour);

    // The buttons under the group box.
    const auto button = [this](const char *caption, int x) {
        auto *b = new QPushButton(QString::fromUtf8(caption), this);
        b->setGeometry(x, 386, 100, 32);
        return b;
    };
    BitBtn16 = button("&Dodaj", 8);
    BitBtn17 = button("&Zmień", 116);
    BitBtn11 = button("&Usuń", 224);
    BitBtn13 = button("Drukuj", 556);
    BitBtn17->setEnabled(false);
    BitBtn11->setEnabled(false);
    BitBtn13->setEnabled(false);

    RadioButtons[0]->setChecked(true);
    RadioButtonClick(0);

    for (QLineEdit *field : {Edit2, Edit3, Edit5, Edit11, Edit7, Edit9}) {
        connect(field, &QLineEdit::textChanged, this, &TAddressPage::FieldChange);
        connect(field, &QLineEdit::returnPressed, this, [this] {
            BitBtn10->setFocus();
            BitBtn10Click();
        });
    }
    connect(RichEdit3, &QPlainTextEdit::textChanged, this, &TAddressPage::RichEdit3Change);
    connect(Edit10, &QLineEdit::textChanged, this, &TAddressPage::LoadEntry);
    connect(UpDown2, &ArrowPair::clicked, this, &TAddressPage::UpDown2Click);
    connect(BitBtn10, &QToolButton::clicked, this, &TAddressPage::BitBtn10Click);
    connect(BitBtn12, &QToolButton::clicked, this, &TAddressPage::BitBtn12Click);
    connect(BitBtn14, &QPushButton::clicked, this, &TAddressPage::BitBtn14Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TAddressPage::SpeedButton2Click);
    connect(Image8, &HotImage::clicked, this, &TAddressPage::ClearAddressFields);
    connect(Label28, &ClickLabel::clicked, this, &TAddressPage::ClearAddressFields);
    connect(BitBtn16, &QPushButton::clicked, this, &TAddressPage::BitBtn16Click);
    connect(BitBtn17, &QPushButton::clicked, this, &TAddressPage::BitBtn17Click);
    connect(BitBtn11, &QPushButton::clicked, this, &TAddressPage::BitBtn11Click);
    connect(BitBtn13, &QPushButton::clicked, this, &TAddressPage::BitBtn13Click);

    const auto quickHelp = [this](ClickLabel *label, const char *title, const char *text) {
        label->setCursor(Qt::WhatsThisCursor);
        connect(label, &ClickLabel::clicked, this, [this, title, text] {
            m_ctx.quickHelp.showQuickHelp(QString::fromUtf8(title), QString::fromUtf8(text));
        });
    };
    const char *searchTitle = "Baza teleadresowa - wyszukiwanie";
    const char *searchText =
        "Wyszukiwanie wpisu w bazie teleadresowej następuje wg. kryteriów określonych przez "
        "dane kluczowe. Opcja \"Dalej\" kontynuuje proces wyszukiwania na podst. tych samych "
        "kryteriów - czyli tych, które zostały określone przed wybraniem opcji \"Szukaj\".";
    quickHelp(SearchLabel, searchTitle, searchText);
    quickHelp(NextLabel, searchTitle, searchText);
    quickHelp(LinkLabel, "Baza teleadresowa - powiązania",
              "Wybór tej opcji spowoduje wstawienie numeru aktualnie edytowanego wpisu bazy "
              "teleadresowej do aktualnego terminu - czyli nastąpi powiązanie terminu "
              "przypomnienia z wpisem bazy teleadresowej.");
    quickHelp(NumberLabel, "Baza teleadresowa - pozycje",
              "Numer aktualnie edytowanego wpisu. Istnieje możliwość bezpośredniego wpisania "
              "numeru do pola edycyjnego, co spowoduje automatyczną edycję danych powiązanych "
              "z tym numerem.");

    // Names for screen readers: the fields after the choices beside them, the
    // glyph buttons and the picture after the labels beside them.
    const char *fieldNames[6] = {"Nazwa", "Miejscowość", "Ulica", "Telefon", "E-mail", "ICQ"};
    for (int i = 0; i < 6; ++i)
        searchField(i)->setAccessibleName(QString::fromUtf8(fieldNames[i]));
    setCaption(codeLabel, Edit4);
    setCaption(notesLabel, RichEdit3);
    setCaption(NumberLabel, Edit10);
    UpDown2->setArrowNames(QStringLiteral("Poprzedni wpis"), QStringLiteral("Następny wpis"));
    setCaption(SearchLabel, BitBtn10);
    setCaption(NextLabel, BitBtn12);
    setCaption(LinkLabel, SpeedButton2);
    setCaption(Label28, Image8);

    // Tab in reading order: each choice before the field beside it (the
    // rest is in the order made). Tab leaves the notes rather than typing a
    // tab into them.
    orderTabs({RadioButtons[0], Edit2, RadioButtons[1], Edit3, Edit4, RadioButtons[2], Edit5,
               RadioButtons[3], Edit11, RadioButtons[4], Edit7, RadioButtons[5], Edit9});
    RichEdit3->setTabChangesFocus(true);
}

// ---------------------------------------------------------------- helpers

QLineEdit *TAddressPage::searchField(int index) const {
    QLineEdit *const fields[6] = {Edit2, Edit3, Edit5, Edit11, Edit7, Edit9};
    return fields[index];
}

AddressRecord TAddressPage::shownRecord() const {
    QString notes = RichEdit3->toPlainText();
    notes.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return {Edit2->text(),  Edit3->text(), Edit4->text(), Edit5->text(),
            Edit11->text(), Edit7->text(), Edit9->text(), notes};
}

void TAddressPage::setFields(const AddressRecord &record) {
    Edit2->setText(record.name);
    Edit3->setText(record.town);
    Edit4->setText(record.code);
    Edit5->setText(record.street);
    Edit11->setText(record.phone);
    Edit7->setText(record.email);
    Edit9->setText(record.icq);
    RichEdit3->clear();
    QString notes = record.notes;
    notes.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    RichEdit3->setPlainText(notes);
}

void TAddressPage::clearFields() {
    setFields({});
}

void TAddressPage::clearNumberField() {
    Edit10->clear();
}

void TAddressPage::showMessage(const QString &text) {
    m_ctx.alert.showMessage(text);
}

void TAddressPage::setBusy(bool busy) {
    if (!busy)
        m_busyCursor.reset();
    else if (!m_busyCursor)
        m_busyCursor.emplace();
}

void TAddressPage::repaintWindow() {
    if (window()->isVisible())
        window()->repaint();
}

int TAddressPage::entryNumber() const {
    return Edit10->text().isEmpty() ? -1 : leadingNumber(Edit10->text());
}

void TAddressPage::setEntryNumber(int entry) {
    if (entry < 0) {
        clearNumberField();
        return;
    }
    const QString text = QString::number(entry);
    if (Edit10->text() == text)
        LoadEntry(); // the same number: show the entry as the file holds it now
    else
        Edit10->setText(text);
}

// ---------------------------------------------------------------- change handling

void TAddressPage::UpdateAddressButtons() {
    bool any = !RichEdit3->toPlainText().isEmpty();
    for (QLineEdit *field : {Edit2, Edit3, Edit5, Edit11, Edit7, Edit9})
        any = any || !field->text().isEmpty();
    BitBtn13->setEnabled(any);
    BitBtn14->setEnabled(!Edit7->text().isEmpty());
}

void TAddressPage::FieldChange() {
    UpdateAddressButtons();
    for (QPushButton *b : {BitBtn16, BitBtn17, BitBtn11})
        b->setEnabled(true);
}

void TAddressPage::RichEdit3Change() {
    const QString text = RichEdit3->toPlainText();
    if (text.size() > kNotesLimit) {
        // Keep the limit: drop what was just typed or pasted beyond it. The
        // change this makes runs the handling again.
        QTextCursor cursor = RichEdit3->textCursor();
        const int excess = int(text.size()) - kNotesLimit;
        const int end = cursor.position() >= excess ? cursor.position() : int(text.size());
        cursor.setPosition(end - excess);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        RichEdit3->setTextCursor(cursor);
        return;
    }
    UpdateAddressButtons();
    Label23->setText(QString::number(std::max<qsizetype>(0, kNotesLimit - text.size())));
}

void TAddressPage::RadioButtonClick(int index) {
    m_searchField = index;
    for (int i = 0; i < 6; ++i)
        setTextColour(RadioButtons[size_t(i)], i == index ? QColor(Qt::red) : QColor(Qt::black));
    searchField(index)->setFocus();
}

void TAddressPage::enableChangeAndDelete() {
    bool any = false;
    for (QLineEdit *field : {Edit2, Edit3, Edit5, Edit11, Edit7, Edit9})
        any = any || !field->text().isEmpty();
    BitBtn17->setEnabled(any);
    BitBtn11->setEnabled(any);
}

// ---------------------------------------------------------------- LoadEntry

void TAddressPage::LoadEntry() {
    repaintWindow();
    const QString text = Edit10->text();
    if (text.isEmpty()) {
        UpDown2->setPosition(0);
        clearFields();
        emit statusCleared();
        if (AddressFile::presence(m_file.filePath()) == AddressFile::Presence::Missing)
            emit statusReported(kNoEntries, false);
        enableChangeAndDelete();
        return;
    }
    if (!isAsciiDigit(text[0])) {
        showMessage(
            QStringLiteral("W tym polu możesz wprowadzić tylko cyfrę - całkowitą dodatnią."));
        clearNumberField(); // runs the empty-field case
        return;
    }
    const int number = leadingNumber(text);
    if (number > AddressFile::kLastEntry) {
        showMessage(kRange);
        clearNumberField();
        clearFields();
        enableChangeAndDelete();
        return;
    }
    if (!allDigits(text)) {
        showMessage(
            QStringLiteral("Wystąpił błąd odczytu danych z bazy teleadresowej. Powód niezależny."));
        enableChangeAndDelete();
        return;
    }
    UpDown2->setPosition(number);
    switch (m_file.loadWhole()) {
    case AddressFile::Status::NoFile:
        clearNumberField();
        clearFields();
        emit statusReported(kNoEntries, false);
        break;
    case AddressFile::Status::Done:
        setFields(m_file.readEntry(number));
        emit statusReported(QStringLiteral(" Edycja wpisu numer... ") + QString::number(number),
                            true);
        break;
    default:
        showMessage(kDamaged);
        return;
    }
    enableChangeAndDelete();
}

void TAddressPage::UpDown2Click() {
    const int position = UpDown2->position();
    if (position != 0) {
        Edit10->setText(QString::number(position));
        return;
    }
    clearNumberField();
    clearFields();
    emit statusCleared();
}

// ---------------------------------------------------------------- store, delete

void TAddressPage::StoreEntry(bool intoFreeEntry) {
    if (!intoFreeEntry && Edit10->text().isEmpty()) {
        showMessage(QStringLiteral("Określ wpis do zmiany na podstawie jego numeru."));
        return;
    }
    bool anyKey = false;
    for (QLineEdit *field : {Edit2, Edit3, Edit4, Edit5, Edit11, Edit7, Edit9})
        anyKey = anyKey || !field->text().isEmpty();
    if (!anyKey) {
        showMessage(QStringLiteral("Wypełnij min. jedno pole danych kluczowych."));
        return;
    }
    if (!Edit7->text().isEmpty() && !IsValidEmail(Edit7->text())) {
        emit statusReported(kBadEmail, false);
        return;
    }
    emit statusCleared();
    setBusy(true);
    repaintWindow();
    const int target = intoFreeEntry ? -1 : leadingNumber(Edit10->text());
    const AddressFile::StoreResult result = m_file.storeEntry(target, shownRecord());
    setBusy(false);
    switch (result.status) {
    case AddressFile::Status::Done:
        setEntryNumber(result.entry);
        emit statusReported(QStringLiteral(" Nowe dane zapisano pod pozycją nr... ") +
                                QString::number(result.entry),
                            true);
        (intoFreeEntry ? BitBtn16 : BitBtn17)->setEnabled(false);
        break;
    case AddressFile::Status::Full:
        emit statusReported(QStringLiteral(" Baza teleadresowa jest pełna."), false);
        break;
    case AddressFile::Status::Damaged:
        showMessage(kDamaged);
        break;
    case AddressFile::Status::OutOfRange:
        showMessage(kRange);
        break;
    default:
        showMessage(kWriteFailed);
        break;
    }
}

void TAddressPage::DeleteEntry() {
    if (!m_ctx.askAlert.ask(QStringLiteral("Usunięcie wpisu..."), QStringLiteral("Usunięcie wpisu"),
                            QStringLiteral("Usuń"),
                            QStringLiteral("Ta operacja spowoduje bezpowrotne usunięcie wszystkich "
                                           "danych aktualnie edytowanego wpisu bazy "
                                           "teleadresowej.")))
        return;
    if (Edit10->text().isEmpty()) {
        showMessage(QStringLiteral("Określ wpis do usunięcia na podstawie jego numeru."));
    } else {
        switch (m_file.deleteEntry(leadingNumber(Edit10->text()))) {
        case AddressFile::Status::Done:
            clearFields();
            clearNumberField();
            emit statusCleared();
            break;
        case AddressFile::Status::NoFile:
            emit statusReported(kNoEntries, false);
            break;
        case AddressFile::Status::Damaged:
            showMessage(kDamaged);
            break;
        default:
            showMessage(kDeleteFailed);
            break;
        }
    }
    BitBtn11->setEnabled(false);
}

// ---------------------------------------------------------------- search

void TAddressPage::SearchEntries(bool continued) {
    QLineEdit *field = searchField(m_searchField);
    if (field->text().isEmpty()) {
        emit statusReported(QStringLiteral(" Brak kryteriów wyszukiwania."), false);
        return;
    }
    setBusy(true);
    repaintWindow();
    if (!continued) {
        m_searchPosition = 0;
        m_searchTerm = foldCase(field->text());
    }
    emit progressChanged(0, AddressFile::kEntries);
    AddressFile::Status status = AddressFile::Status::Done;
    const int hit =
        m_file.search(kSearchBlocks[m_searchField], m_searchTerm, m_searchPosition, &status);
    if (status == AddressFile::Status::NoFile) {
        emit progressChanged(0, AddressFile::kEntries);
        emit statusReported(kNoEntries, false);
        setBusy(false);
        return;
    }
    m_searchPosition = hit ? hit : AddressFile::kLastEntry;
    emit progressChanged(AddressFile::kEntries, AddressFile::kEntries);
    repaintWindow();
    m_ctx.platform.clock.wait(300);
    if (hit) {
        setEntryNumber(hit);
        emit statusReported(QStringLiteral(" Odnaleziono wpis."), true);
        BitBtn12->setEnabled(true);
    } else {
        emit statusReported(
            continued
                ? QStringLiteral(" Nie odnaleziono kolejnych wpisów.")
                : QStringLiteral(" Nie odnaleziono wpisów odpowiadających zadanym kryteriom."),
            false);
        BitBtn12->setEnabled(false);
    }
    emit progressChanged(0, AddressFile::kEntries);
    setBusy(false);
}

void TAddressPage::BitBtn10Click() {
    SearchEntries(false);
    if (BitBtn12->isEnabled())
        BitBtn12->setFocus();
}

void TAddressPage::BitBtn12Click() {
    SearchEntries(true);
}

// ---------------------------------------------------------------- the rest

void TAddressPage::ClearAddressFields() {
    clearFields();
    clearNumberField();
    UpDown2->setPosition(0);
    emit statusCleared();
}

void TAddressPage::BitBtn14Click() {
    if (!IsValidEmail(Edit7->text())) {
        emit statusReported(kBadEmail, false);
        return;
    }
    emit statusCleared();
    m_ctx.platform.shell.openUrl(mailLink(Edit7->text()));
}

void TAddressPage::SpeedButton2Click() {
    if (Edit10->text().isEmpty()) {
        emit statusReported(QStringLiteral(" Określ wpis na podstawie jego numeru."), false);
        return;
    }
    emit linkRequested(leadingNumber(Edit10->text()));
    emit statusReported(QStringLiteral(" Dodano wpis do aktualnego terminu."), true);
}

void TAddressPage::BitBtn13Click() {
    m_print->setSource(shownRecord(), Edit10->text(), m_ctx.mainCaption);
    m_ctx.platform.modal.exec(m_print);
}

} // namespace kv
