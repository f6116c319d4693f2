#include "Archivepage.h"
#include "ArchiveFile.h"

#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Quickhelpunit.h"
#include "platform/Cp1250.h"
#include "platform/DateText.h"
#include "widgets/ClickLabel.h"
#include "widgets/WindowUtil.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <algorithm>

namespace kv {

namespace {

const QString kSearchFailed =
    QStringLiteral(" Wystąpił błąd podczas wyszukiwania. Powód niezależny.");
const QString kDeleteFailed =
    QStringLiteral("Usunięcie danych z archiwum nie powiodło się. Powód niezależny.");
const QString kChangedSinceSearch =
    QStringLiteral("Wiadomość zmieniła się w archiwum od wyszukiwania. Nie została usunięta.");
const QString kPrintTitle = QStringLiteral("Kelvadrin - dane z archiwum.");
const QString kPrintFailed =
    QStringLiteral("Operacja wydruku nie może zostać zrealizowana. Powód niezależny");
constexpr int kExpressionLimit = 50;

// A message as the editor shows it: line breaks without their CR.
QString shownMessage(const QByteArray &bytes) {
    QString text = Cp1250::decode(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QComboBox *dateList(QWidget *parent, int first, int last, int maxLength) {
    auto *list = new QComboBox(parent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);
    for (int value = first; value <= last; ++value)
        list->addItem(maxLength == 4 ? QString::number(value) : twoDigits(value));
    list->lineEdit()->setMaxLength(maxLength);
    list->setCurrentIndex(-1);
    list->clearEditText();
    list->setEnabled(false);
    return list;
}

} // namespace

// ------------------------------------------------------------ the result rows

ArchiveResultModel::ArchiveResultModel(const ArchiveSearch &search, QObject *parent)
    : QAbstractTableModel(parent), m_search(search) {}

void ArchiveResultModel::setHeading(const QString &heading) {
    m_heading = heading;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void ArchiveResultModel::resetRows() {
    beginResetModel();
    m_deleted.assign(size_t(m_search.count()), false);
    endResetModel();
}

void ArchiveResultModel::markDeleted(int r) {
    if (r < 1 || r > int(m_deleted.size()))
        return;
    m_deleted[size_t(r - 1)] = true;
    emit dataChanged(index(r - 1, 0), index(r - 1, 0));
}

bool ArchiveResultModel::isDeleted(int r) const {
    return r >= 1 && r <= int(m_deleted.size()) && m_deleted[size_t(r - 1)];
}

QString ArchiveResultModel::rowText(int r) const {
    if (r < 1 || r > int(m_deleted.size()) || m_deleted[size_t(r - 1)])
        return {};
    return ArchiveSearch::rowText(m_search.rows()[size_t(r - 1)].date);
}

int ArchiveResultModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : std::max(kMinimumRows - 1, int(m_deleted.size()));
}

int ArchiveResultModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant ArchiveResultModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return rowText(index.row() + 1);
}

QVariant ArchiveResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return m_heading;
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ArchiveResultModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

// ------------------------------------------------------------ the page

TArchivePage::TArchivePage(ArchivePageContext context, QWidget *parent)
    : QWidget(parent), m_ctx(context) {
    buildControls();
}

void TArchivePage::buildControls() {
    auto *group = new QGroupBox(QStringLiteral(" Archiwum "), this);
    group->setGeometry(8, 4, 648, 428);
    QWidget *g = group;

    RadioButton5 = new QRadioButton(QStringLiteral("Wyrażenie..."), g);
    RadioButton5->setGeometry(16, 26, 140, 24);
    RadioButton5->setChecked(true);
    Edit1 = new QLineEdit(g);
    Edit1->setMaxLength(kExpressionLimit);
    Edit1->setGeometry(16, 52, 330, 28);
    Label7 = new ClickLabel(QString::number(kExpressionLimit), g);
    Label7->setGeometry(354, 56, 30, 20);
    setTextColour(Label7, inactiveGrey());
    Label9 = new ClickLabel(QStringLiteral("... w treści wiadomości."), g);
    Label9->setGeometry(390, 56, 240, 20);

    RadioButton6 = new QRadioButton(QStringLiteral("Data..."), g);
    RadioButton6->setGeometry(16, 118, 80, 24);
    Label8 = new QLabel(QStringLiteral("Dzień..."), g);
    Label8->setGeometry(96, 94, 80, 18);
    setTextColour(Label8, inactiveGrey());
    const int thisYear = m_ctx.platform.clock.now().date().year();
    ComboBox5 = dateList(g, 1, 31, 2);
    ComboBox5->setGeometry(96, 116, 58, 28);
    ComboBox6 = dateList(g, 1, 12, 2);
    ComboBox6->setGeometry(158, 116, 58, 28);
    // The archive holds the past: this year and the three before it.
    ComboBox7 = dateList(g, thisYear - 3, thisYear, 4);
    ComboBox7->setGeometry(220, 116, 74, 28);

    BitBtn6 = new QPushButton(g);
    BitBtn6->setIcon(magnifierIcon(22));
    BitBtn6->setIconSize(QSize(22, 22));
    BitBtn6->setGeometry(354, 114, 44, 32);
    Label17 = new ClickLabel(QStringLiteral("Szukaj..."), g);
    Label17->setGeometry(406, 120, 100, 20);

    StringGrid1 = new QTableView(g);
    m_model = new ArchiveResultModel(m_search, StringGrid1);
    StringGrid1->setModel(m_model);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(24);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->horizontalHeader()->setSectionsClickable(false);
    StringGrid1->horizontalHeader()->setFixedHeight(24);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setWordWrap(false);
    StringGrid1->setTabKeyNavigation(false); // the arrows go through the rows, Tab on
    StringGrid1->setGeometry(16, 164, 250, 24 * ArchiveResultModel::kMinimumRows + 4);
    Label15 = new ClickLabel(QStringLiteral("0"), g);
    Label15->setGeometry(16, 366, 100, 20);

    Label16 = new QLabel(QStringLiteral("Wiadomość..."), g);
    Label16->setGeometry(284, 164, 200, 20);
    RichEdit2 = new QPlainTextEdit(g);
    RichEdit2->setReadOnly(true);
    RichEdit2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit2->setGeometry(284, 188, 346, 172);

    BitBtn7 = new QPushButton(QStringLiteral("&Usuń"), g);
    BitBtn7->setGeometry(284, 384, 110, 30);
    BitBtn7->setEnabled(false);
    BitBtn8 = new QPushButton(QStringLiteral("&Drukuj"), g);
    BitBtn8->setGeometry(402, 384, 110, 30);
    BitBtn8->setEnabled(false);
    BitBtn9 = new QPushButton(QStringLiteral("&Kalendarz"), g);
    BitBtn9->setGeometry(520, 384, 110, 30);

    connect(RadioButton5, &QRadioButton::clicked, this, &TArchivePage::RadioButton5Click);
    connect(RadioButton6, &QRadioButton::clicked, this, &TArchivePage::RadioButton6Click);
    connect(Edit1, &QLineEdit::textChanged, this, &TArchivePage::Edit1Change);
    connect(Edit1, &QLineEdit::returnPressed, this, &TArchivePage::enterPressed);
    for (QComboBox *list : {ComboBox5, ComboBox6, ComboBox7})
        connect(list->lineEdit(), &QLineEdit::returnPressed, this, &TArchivePage::enterPressed);
    connect(BitBtn6, &QPushButton::clicked, this, &TArchivePage::BitBtn6Click);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    StringGrid1SelectCell(current.row() + 1);
            });
    connect(RichEdit2, &QPlainTextEdit::textChanged, this, &TArchivePage::RichEdit2Change);
    connect(BitBtn7, &QPushButton::clicked, this, &TArchivePage::BitBtn7Click);
    connect(BitBtn8, &QPushButton::clicked, this, &TArchivePage::BitBtn8Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TArchivePage::BitBtn9Click);

    const auto quickHelp = [this](ClickLabel *label, const QString &caption, const QString &text) {
        connect(label, &ClickLabel::clicked, this,
                [this, caption, text] { m_ctx.quickHelp.showQuickHelp(caption, text); });
    };
    quickHelp(Label9, QStringLiteral("Archiwum - wyrażenie"),
              QStringLiteral("Podane wyrażenie zostanie wyszukane w treści wszystkich wiadomości "
                             "znajdujących się w archiwum. Wielkość liter nie ma znaczenia."));
    quickHelp(Label7, QStringLiteral("Archiwum - wyrażenie"),
              QStringLiteral("Pozostała ilość znaków możliwych do wprowadzenia. Max. 50."));
    quickHelp(Label17, QStringLiteral("Archiwum - wyszukiwanie"),
              QStringLiteral("Rozpocznij wyszukiwanie wiadomości w archiwum na podstawie "
                             "wyrażenia lub daty."));
    quickHelp(Label15, QStringLiteral("Archiwum"),
              QStringLiteral("Liczba odnalezionych wiadomości."));

    // Names for screen readers: the fields after the choices and labels beside
    // them, the grid after its heading.
    Edit1->setAccessibleName(spokenCaption(RadioButton5->text()));
    setCaption(Label8, ComboBox5);
    ComboBox6->setAccessibleName(QStringLiteral("Miesiąc"));
    ComboBox7->setAccessibleName(QStringLiteral("Rok"));
    setCaption(Label17, BitBtn6);
    StringGrid1->setAccessibleName(QStringLiteral("Dodano"));
    setCaption(Label16, RichEdit2);
}

void TArchivePage::mainWindowShown() {
    m_model->setHeading(QStringLiteral(" Dodano..."));
}

void TArchivePage::takeFocus() {
    if (Edit1->isEnabled())
        Edit1->setFocus();
    if (ComboBox5->isEnabled())
        ComboBox5->setFocus();
}

void TArchivePage::applyCalendarDate(const QDate &date) {
    RadioButton6->setChecked(true);
    Edit1->setEnabled(false);
    for (QComboBox *list : {ComboBox5, ComboBox6, ComboBox7})
        list->setEnabled(true);
    ComboBox5->setEditText(twoDigits(date.day()));
    ComboBox6->setEditText(twoDigits(date.month()));
    ComboBox7->setEditText(QString::number(date.year()));
}

// ------------------------------------------------------------ handlers

void TArchivePage::RadioButton5Click() {
    Edit1->setEnabled(true);
    Edit1->setFocus();
    for (QComboBox *list : {ComboBox5, ComboBox6, ComboBox7})
        list->setEnabled(false);
}

void TArchivePage::RadioButton6Click() {
    Edit1->setEnabled(false);
    for (QComboBox *list : {ComboBox5, ComboBox6, ComboBox7})
        list->setEnabled(true);
    ComboBox5->setFocus();
}

void TArchivePage::Edit1Change() {
    const int left = kExpressionLimit - int(Edit1->text().size());
    Label7->setText(QString::number(std::max(left, 0)));
}

void TArchivePage::enterPressed() {
    if (BitBtn6->isEnabled())
        BitBtn6->setFocus();
    BitBtn6Click();
}

ArchiveCriteria TArchivePage::criteria() const {
    return {RadioButton6->isChecked(), Edit1->text(), ComboBox5->currentText(),
            ComboBox6->currentText(), ComboBox7->currentText()};
}

void TArchivePage::BitBtn6Click() {
    try {
        runSearch();
    } catch (...) {
        emit activityChanged(QString());
        emit progressChanged(0, ArchiveFile::kEntries);
        m_ctx.alert.showMessage(kSearchFailed);
    }
}

void TArchivePage::runSearch() {
    const ArchiveCriteria c = criteria();
    if (!ArchiveSearch::hasCriteria(c)) {
        emit statusReported(QStringLiteral(" Brak kryteriów wyszukiwania."), false);
    } else if (!ArchiveSearch::datesValid(c)) {
        m_ctx.alert.showMessage(QStringLiteral("Niepoprawnie określono datę."));
    } else if (!m_ctx.archive.load()) {
        emit statusReported(QStringLiteral(" Brak wiadomości w archiwum."), false);
    } else {
        // The previous results go before the search starts.
        m_search.clear();
        m_model->resetRows();
        RichEdit2->clear();
        BitBtn7->setEnabled(false);
        BitBtn9->setEnabled(false);
        Label15->setText(QStringLiteral("0"));
        {
            BusyCursor busy;
            emit activityChanged(QStringLiteral(" Szukam..."));
            emit statusCleared();
            if (window()->isVisible())
                window()->repaint();

            m_search.run(m_ctx.archive, c,
                         [this](int entry) { emit progressChanged(entry, ArchiveFile::kEntries); });
            m_model->resetRows();
            const int count = m_search.count();
            Label15->setText(QString::number(count));
            emit statusReported(ArchiveSearch::countText(count), count > 0);
        }
        BitBtn9->setEnabled(true);
        emit activityChanged(QString());
        emit progressChanged(0, ArchiveFile::kEntries);
        StringGrid1->scrollToTop();
        StringGrid1->setCurrentIndex(m_model->index(0, 0));
        StringGrid1SelectCell(1);
    }
    StringGrid1->setFocus();
}

bool TArchivePage::rowShowsResult(int row) const {
    return row >= 1 && row <= m_search.count() && !m_model->isDeleted(row);
}

void TArchivePage::StringGrid1SelectCell(int row) {
    RichEdit2->clear();
    const bool shows = rowShowsResult(row);
    if (shows)
        RichEdit2->setPlainText(shownMessage(m_search.rows()[size_t(row - 1)].message));
    BitBtn7->setEnabled(shows);
    m_currentRow = row;
}

void TArchivePage::RichEdit2Change() {
    BitBtn8->setEnabled(!RichEdit2->toPlainText().isEmpty());
}

void TArchivePage::BitBtn7Click() {
    // Only a row that shows a result of this search can be deleted.
    if (!rowShowsResult(m_currentRow)) {
        BitBtn7->setEnabled(false);
        return;
    }
    if (!m_ctx.askAlert.ask(
            QStringLiteral("Usunięcie wiadomości z archiwum..."),
            QStringLiteral("Usunięcie wiadomości"), QStringLiteral("Usuń"),
            QStringLiteral(
                "Ta operacja spowoduje bezpowrotne usunięcie określonych danych z archiwum.")))
        return;
    try {
        deleteCurrentRow();
    } catch (...) {
        m_ctx.alert.showMessage(kDeleteFailed);
    }
}

void TArchivePage::deleteCurrentRow() {
    const ArchiveSearch::Row &row = m_search.rows()[size_t(m_currentRow - 1)];
    // The entry must still be the one the user saw.
    if (!m_ctx.archive.load()) {
        m_ctx.alert.showMessage(kDeleteFailed);
        return;
    }
    if (m_ctx.archive.dateText(row.entry) != Cp1250::decode(row.date) ||
        m_ctx.archive.messageText(row.entry) != Cp1250::decode(row.message)) {
        m_ctx.alert.showMessage(kChangedSinceSearch);
        return;
    }
    if (!m_ctx.archive.remove(row.entry)) {
        m_ctx.alert.showMessage(kDeleteFailed);
        return;
    }
    m_model->markDeleted(m_currentRow);
    BitBtn7->setEnabled(false);
    StringGrid1->viewport()->update();
}

void TArchivePage::BitBtn8Click() {
    if (!m_ctx.platform.printer.printText(kPrintTitle, RichEdit2->toPlainText(), false))
        m_ctx.alert.showMessage(kPrintFailed);
}

void TArchivePage::BitBtn9Click() {
    if (BitBtn6->isEnabled())
        BitBtn6->setFocus();
    emit calendarRequested();
}

} // namespace kv
