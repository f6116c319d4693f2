#include "Tasklistunit.h"
#include "AppointmentStore.h"
#include "platform/DateText.h"

#include "platform/RegistryNames.h"
#include "widgets/WindowUtil.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionHeader>
#include <QTableWidget>
#include <optional>

namespace kv {

namespace {
constexpr int kRowHeight = 22;

QString shownMessage(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}
} // namespace

TTaskListForm::TTaskListForm(Platform &platform, Registry &registry, QWidget *parent)
    : QDialog(parent, fixedWindowFlags()), m_platform(platform), m_registry(registry) {
    setWindowTitle(QStringLiteral("Lista terminów"));
    setFont(arial15());
    setFixedSize(632, 508);

    Label1 = new QLabel(QStringLiteral("Lista aktywnych terminów..."), this);
    Label1->setGeometry(10, 8, 400, 22);
    QFont bold = arial15();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = new QLabel(QStringLiteral("..."), this);
    Label2->setGeometry(10, 34, 400, 20);
    setTextColour(Label2, inactiveGrey());

    StringGrid1 = new QTableWidget(kShownRows, 4, this);
    StringGrid1->setHorizontalHeaderLabels({QString(), QStringLiteral(" Termin przypomnienia..."),
                                            QStringLiteral(" Cyklicznie..."),
                                            QStringLiteral(" Powiązanie...")});
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StringGrid1->horizontalHeader()->setSectionsClickable(false);
    StringGrid1->horizontalHeader()->setFixedHeight(kRowHeight);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setWordWrap(false);
    StringGrid1->setTabKeyNavigation(false); // the arrows go through the rows, Tab on
    StringGrid1->setGeometry(10, 60, 612, kRowHeight * (kShownRows + 1) + 4);
    fitColumns();
    StringGrid1->installEventFilter(this);

    Label14 = new QLabel(QStringLiteral("Wiadomość..."), this);
    Label14->setGeometry(10, 360, 200, 20);
    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setReadOnly(true);
    RichEdit1->setGeometry(10, 382, 612, 78);

    Button2 = new QPushButton(QStringLiteral("&Edycja terminu"), this);
    Button2->setGeometry(352, 470, 150, 30);
    Button2->setEnabled(false);
    Button4 = new QPushButton(QStringLiteral("&Zamknij"), this);
    Button4->setGeometry(510, 470, 112, 30);

    connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0)
            StringGrid1SelectCell(row + 1);
    });
    connect(Button2, &QPushButton::clicked, this, &TTaskListForm::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &TTaskListForm::Button4Click);

    setCaption(Label1, StringGrid1);
    setCaption(Label14, RichEdit1);
}

// Every cell is read whole: each column is as wide as the longest text it can
// hold (the widest digits, the longest month name and repeat text, a
// three-digit entry number), and what is left of the grid's width is shared.
void TTaskListForm::fitColumns() {
    const QFontMetrics metrics(StringGrid1->font());
    const QString digits = QStringLiteral("0123456789");
    QChar wide = digits.front();
    for (QChar digit : digits)
        if (metrics.horizontalAdvance(digit) > metrics.horizontalAdvance(wide))
            wide = digit;
    const QString two(2, wide);
    QStringList longest[4] = {{QLatin1Char(' ') + two}, {}, {}, {QStringLiteral(" Brak")}};
    // A month outside 1..12 shows its two digits.
    for (int month = 0; month <= 12; ++month)
        longest[1] << QStringLiteral(" %1 %2 20%1, godz. %1:%1")
                          .arg(two, month == 0 ? two : monthNominative(month));
    for (int code = 0; code <= 41; ++code)
        longest[2] << QLatin1Char(' ') + AppointmentStore::repeatText(code);
    longest[3] << QStringLiteral(" ... z wpisem numer ") + QString(3, wide);

    QStyleOptionHeader header;
    header.initFrom(StringGrid1->horizontalHeader());
    const int headerMargin =
        2 * StringGrid1->style()->pixelMetric(QStyle::PM_HeaderMargin, &header, StringGrid1);
    const int cellMargin =
        2 * (StringGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr,
                                               StringGrid1) +
             1) +
        1; // the grid line
    int needed[4];
    int total = 0;
    for (int column = 0; column < 4; ++column) {
        const QTableWidgetItem *heading = StringGrid1->horizontalHeaderItem(column);
        needed[column] = heading ? metrics.horizontalAdvance(heading->text()) + headerMargin : 0;
        for (const QString &text : longest[column])
            needed[column] = std::max(needed[column], metrics.horizontalAdvance(text) + cellMargin);
        total += needed[column];
    }
    const int available =
        StringGrid1->width() - 2 * StringGrid1->frameWidth() -
        StringGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, StringGrid1);
    const int spare = std::max(0, available - total);
    for (int column = 0; column < 4; ++column)
        StringGrid1->setColumnWidth(column, needed[column] + (column == 0 ? 0 : spare / 3) +
                                                (column == 3 ? spare % 3 : 0));
}

QString TTaskListForm::countText(int count) {
    if (count <= 0)
        return QStringLiteral("Brak aktywnych terminów.");
    const char *ending = count == 1                 ? " aktywny termin."
                         : count >= 2 && count <= 4 ? " aktywne terminy."
                                                    : " aktywnych terminów.";
    return QStringLiteral("Odnaleziono %1").arg(count) + QString::fromUtf8(ending);
}

QString TTaskListForm::dueText(const std::optional<QString> &date,
                               const std::optional<QString> &time) {
    QString text;
    if (date) {
        QString day = date->mid(3, 2);
        if (day.startsWith(QLatin1Char('0')))
            day.remove(0, 1);
        const QString monthDigits = date->mid(0, 2);
        bool ok = false;
        const int month = monthDigits.toInt(&ok);
        const QString name = ok && month >= 1 && month <= 12 ? monthNominative(month) : monthDigits;
        text = QStringLiteral(" %1 %2 20%3").arg(day, name, date->mid(6, 2));
    }
    if (time)
        text += QStringLiteral(", godz. ") + *time;
    return text;
}

void TTaskListForm::showList() {
    if (!FormShow())
        return;
    centreOnScreen(this, m_platform.screen.size());
    m_platform.modal.exec(this);
}

bool TTaskListForm::FormShow() {
    try {
        m_key = m_registry.openKey(names::appointmentsKey, false);
    } catch (const RegistryError &) {
        m_key = RegKey();
        return false;
    }
    const QSignalBlocker blocker(StringGrid1);
    StringGrid1->clearContents();
    RichEdit1->clear();
    m_chosen = 0;
    m_count = 0;
    Button2->setEnabled(false);
    StringGrid1->setRowCount(kShownRows);
    StringGrid1->setCurrentCell(0, 0);
    StringGrid1->selectRow(0);
    std::optional<BusyCursor> busy(std::in_place);
    std::optional<QString> firstInfo;
    try {
        for (int n = 1; n <= AppointmentStore::SlotCount; ++n) {
            if (!m_key.valueExists(names::termin(n)))
                continue;
            const int row = m_count++;
            if (row >= StringGrid1->rowCount())
                StringGrid1->setRowCount(row + 1);
            const std::optional<int> repeat = m_key.integerOrAbsent(names::repeat(n));
            const std::optional<int> link = m_key.integerOrAbsent(names::linkRead(n));
            const QString cells[4] = {
                QStringLiteral(" %1").arg(n),
                dueText(m_key.stringOrAbsent(names::date(n)), m_key.stringOrAbsent(names::time(n))),
                QLatin1Char(' ') + AppointmentStore::repeatText(repeat.value_or(0)),
                link ? QStringLiteral(" ... z wpisem numer %1").arg(*link)
                     : QStringLiteral(" Brak")};
            for (int column = 0; column < 4; ++column)
                StringGrid1->setItem(row, column, new QTableWidgetItem(cells[column]));
            Button2->setEnabled(true);
            if (row == 0)
                firstInfo = m_key.stringOrAbsent(names::info(n));
        }
    } catch (const RegistryError &) {
        // What could be read stays listed.
    }
    if (firstInfo)
        RichEdit1->setPlainText(shownMessage(*firstInfo));
    busy.reset();
    Label2->setText(countText(m_count));
    StringGrid1->scrollToTop();
    StringGrid1->setFocus();
    return true;
}

void TTaskListForm::StringGrid1SelectCell(int row) {
    RichEdit1->clear();
    const QTableWidgetItem *number = StringGrid1->item(row - 1, 0);
    if (!number || number->text().isEmpty()) {
        Button2->setEnabled(false);
        return;
    }
    Button2->setEnabled(true);
    m_chosen = number->text().trimmed().toInt();
    try {
        if (const auto info = m_key.stringOrAbsent(names::info(m_chosen)))
            RichEdit1->setPlainText(shownMessage(*info));
    } catch (const RegistryError &) {
    }
}

void TTaskListForm::Button2Click() {
    int n = m_chosen;
    if (n == 0) {
        const QTableWidgetItem *first = StringGrid1->item(0, 0);
        n = first ? first->text().trimmed().toInt() : 0;
    }
    if (n >= 1 && n <= AppointmentStore::SlotCount)
        emit slotChosen(n);
    done(QDialog::Accepted);
}

void TTaskListForm::Button4Click() {
    done(QDialog::Rejected);
}

bool TTaskListForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && Button2->isEnabled()) {
            Button2->setFocus();
            Button2Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kv
