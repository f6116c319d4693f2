#include "Taskspage.h"
#include "Deletetaskunit.h"

#include "info/Alertunit.h"
#include "info/Quickhelpunit.h"
#include "widgets/ClickLabel.h"
#include "widgets/HotImage.h"
#include "widgets/ListGrid.h"
#include "widgets/WindowUtil.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextCursor>

namespace kv {

namespace {
constexpr int kShownRows = 10; // the heading and rows 1..9

const QString kWriteFailed =
    QStringLiteral("Wystąpił błąd podczas zapisu danych. Powód niezależny.");
const QString kDeleteFailed =
    QStringLiteral("Wystąpił błąd podczas usuwania danych. Powód niezależny.");
const QString kPrintFailed =
    QStringLiteral("Operacja wydruku nie może zostać zrealizowana. Powód niezależny.");

QPushButton *button(const QString &caption, QWidget *parent, int x, int y) {
    auto *b = new QPushButton(caption, parent);
    b->setGeometry(x, y, 96, 30);
    return b;
}
} // namespace

TTasksPage::TTasksPage(RegKey tasksKey, Platform &platform, TAlertForm &alert,
                       TQuickHelpForm &quickHelp, QWidget *parent)
    : QWidget(parent), m_store(std::move(tasksKey)), m_platform(platform), m_alert(alert),
      m_quickHelp(quickHelp), m_deleteForm(std::make_unique<TDeleteTaskForm>(platform)) {
    auto *group = new QGroupBox(QStringLiteral(" Zadania "), this);
    group->setGeometry(8, 4, 648, 404);

    StringGrid2 = listGrid(kShownRows, group);
    StringGrid2->setGeometry(12, 28, 270, 322);
    StringGrid2->setSelectionMode(QAbstractItemView::SingleSelection);

    Label13 = new QLabel(QStringLiteral("Wiadomość..."), group);
    Label13->setGeometry(296, 26, 120, 20);
    Label35 = new ClickLabel(QStringLiteral("..."), group);
    Label35->setGeometry(470, 26, 60, 20);
    Label35->setAlignment(Qt::AlignCenter);
    Label35->setCursor(Qt::WhatsThisCursor);
    Label33 = new ClickLabel(QString::number(TaskStore::TextLimit), group);
    Label33->setGeometry(574, 26, 60, 20);
    Label33->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label33->setCursor(Qt::WhatsThisCursor);
    setTextColour(Label33, inactiveGrey());
    setTextColour(Label35, inactiveGrey());

    RichEdit4 = new QPlainTextEdit(group);
    RichEdit4->setGeometry(296, 48, 338, 260);
    RichEdit4->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Image13 = new HotImage(group);
    Image13->move(296, 320);
    Label32 = new ClickLabel(QStringLiteral("...wyczyść pole tekstowe."), group);
    Label32->setGeometry(330, 320, 240, 24);
    setTextColour(Label32, inactiveGrey());
    // Over the group box, the grid or the editor the picture goes back to normal.
    for (QWidget *neighbour : std::initializer_list<QWidget *>{group, StringGrid2, RichEdit4})
        Image13->addNeighbour(neighbour);

    BitBtn19 = button(QStringLiteral("&Dodaj"), group, 12, 362);
    BitBtn20 = button(QStringLiteral("&Zmień"), group, 116, 362);
    BitBtn18 = button(QStringLiteral("&Usuń"), group, 220, 362);
    BitBtn21 = button(QStringLiteral("Drukuj"), group, 538, 362);
    for (QPushButton *b : {BitBtn20, BitBtn18, BitBtn21})
        b->setEnabled(false);

    connect(StringGrid2, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_selecting)
            StringGrid2SelectCell(row);
    });
    // A click on the row already chosen shows its task again.
    connect(StringGrid2, &QTableWidget::cellClicked, this, [this](int row) {
        if (row == m_current)
            StringGrid2SelectCell(row);
    });
    connect(RichEdit4, &QPlainTextEdit::textChanged, this, &TTasksPage::RichEdit4Change);
    connect(BitBtn19, &QPushButton::clicked, this, &TTasksPage::BitBtn19Click);
    connect(BitBtn20, &QPushButton::clicked, this, &TTasksPage::BitBtn20Click);
    connect(BitBtn18, &QPushButton::clicked, this, &TTasksPage::BitBtn18Click);
    connect(BitBtn21, &QPushButton::clicked, this, &TTasksPage::BitBtn21Click);
    connect(Image13, &HotImage::clicked, this, &TTasksPage::Image13Click);
    connect(Label32, &ClickLabel::clicked, this, &TTasksPage::Image13Click);
    connect(Image13, &HotImage::highlightChanged, this, [this](bool highlighted) {
        setTextColour(Label32, highlighted ? QColor(Qt::black) : inactiveGrey());
    });
    connect(Label33, &ClickLabel::clicked, this, &TTasksPage::Label33Click);
    connect(Label35, &ClickLabel::clicked, this, &TTasksPage::Label35Click);

    // Names for screen readers: the grid after its heading.
    StringGrid2->setAccessibleName(QStringLiteral("Dodano"));
    setCaption(Label13, RichEdit4);
    setCaption(Label32, Image13);
    // Tab leaves the task's text rather than typing a tab into it.
    RichEdit4->setTabChangesFocus(true);
}

TTasksPage::~TTasksPage() = default;

void TTasksPage::mainWindowShown() {
    setGridHeading(StringGrid2, QStringLiteral(" Dodano..."));
    LoadTasks();
}

void TTasksPage::takeFocus() {
    StringGrid2->setFocus();
}

void TTasksPage::setRowText(int row, const QString &text) {
    if (!StringGrid2->item(row, 0))
        StringGrid2->setItem(row, 0, new QTableWidgetItem);
    StringGrid2->item(row, 0)->setText(text);
}

void TTasksPage::fitRows() {
    StringGrid2->setRowCount(std::max(kShownRows, m_store.highest() + 1));
    // The heading row is no task: it cannot be chosen.
    if (QTableWidgetItem *heading = StringGrid2->item(0, 0)) {
        heading->setFlags(Qt::ItemIsEnabled);
        heading->setBackground(palette().color(QPalette::Button));
    }
}

void TTasksPage::selectRow(int row) {
    m_selecting = true;
    StringGrid2->setCurrentCell(row, 0);
    m_selecting = false;
}

void TTasksPage::setTaskButtons(bool enabled) {
    BitBtn20->setEnabled(enabled);
    BitBtn18->setEnabled(enabled);
}

void TTasksPage::showMessage(const QString &text) {
    m_alert.showMessage(text);
}

void TTasksPage::LoadTasks() {
    setGridHeading(StringGrid2, QStringLiteral(" Dodano..."));
    BusyCursor busy;
    try {
        StringGrid2->setRowCount(kShownRows);
        fitRows();
        for (int n = 1; n < StringGrid2->rowCount(); ++n)
            setRowText(n, m_store.dateText(n).value_or(QString()));
        selectRow(1);
        m_current = 1;
        RichEdit4->clear();
        // "&Zmień" and "&Usuń" act on task 1: only when it exists.
        const bool first = m_store.exists(1);
        setTaskButtons(first);
        Label35->setText(QStringLiteral("..."));
        if (const auto text = m_store.text(1); first && text) {
            RichEdit4->setPlainText(*text);
            Label35->setText(QStringLiteral("1"));
        }
    } catch (const std::exception &) {
        // An unreadable store shows what could be read; every write reports its failure.
    }
}

void TTasksPage::StringGrid2SelectCell(int row) {
    if (row < 1)
        return;
    RichEdit4->clear();
    m_current = row;
    const auto text = m_store.exists(row) ? m_store.text(row) : std::nullopt;
    if (text) {
        RichEdit4->setPlainText(*text);
        setTaskButtons(true);
        Label35->setText(QString::number(row));
    } else {
        setTaskButtons(m_store.exists(row));
        Label35->setText(m_store.exists(row) ? QString::number(row) : QStringLiteral("..."));
    }
}

void TTasksPage::RichEdit4Change() {
    const QString text = RichEdit4->toPlainText();
    if (text.size() > TaskStore::TextLimit) {
        // Keep the limit: drop what was just typed or pasted beyond it.
        QTextCursor cursor = RichEdit4->textCursor();
        const int excess = int(text.size()) - TaskStore::TextLimit;
        const int end = cursor.position() >= excess ? cursor.position() : int(text.size());
        cursor.setPosition(end - excess);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        RichEdit4->setTextCursor(cursor);
        return;
    }
    Label33->setText(QString::number(TaskStore::TextLimit - text.size()));
    BitBtn21->setEnabled(!text.isEmpty());
}

void TTasksPage::BitBtn19Click() {
    const QString text = RichEdit4->toPlainText();
    if (text.isEmpty()) {
        emit statusReported(QStringLiteral(" Podaj treść wiadomości."), false);
        return;
    }
    try {
        const int n = m_store.add(text, m_platform.clock.now().date());
        if (n == 0) {
            emit statusReported(QStringLiteral(" Określono już max. ilość zadań."), false);
            return;
        }
        fitRows();
        setRowText(n, *m_store.dateText(n));
        setTaskButtons(true);
        selectRow(n);
        StringGrid2->scrollToItem(StringGrid2->item(n, 0));
        StringGrid2->setFocus();
        emit statusReported(QStringLiteral(" Zapisano nowe zadanie."), true);
        Label35->setText(QString::number(n));
        m_current = n;
    } catch (const std::exception &) {
        showMessage(kWriteFailed);
    }
}

void TTasksPage::BitBtn20Click() {
    const QString text = RichEdit4->toPlainText();
    if (text.isEmpty()) {
        emit statusReported(QStringLiteral(" Określ treść wiadomości."), false);
        return;
    }
    try {
        // A text without its task would be a value nobody sees.
        if (!m_store.exists(m_current))
            return;
        m_store.change(m_current, text);
        emit statusReported(QStringLiteral(" Zmieniono treść zadania."), true);
        StringGrid2->setFocus();
    } catch (const std::exception &) {
        showMessage(kWriteFailed);
    }
}

void TTasksPage::BitBtn18Click() {
    m_deleteForm->answer = 0;
    m_platform.modal.exec(m_deleteForm.get());
    if (m_deleteForm->answer != 1)
        return;
    try {
        BusyCursor busy;
        if (m_deleteForm->deleteAll()) {
            m_store.removeAll();
            for (int n = 1; n < StringGrid2->rowCount(); ++n)
                setRowText(n, QString());
            StringGrid2->scrollToTop();
            selectRow(1);
            m_current = 1;
        } else {
            m_store.remove(m_current);
            if (m_current < StringGrid2->rowCount())
                setRowText(m_current, QString());
        }
        RichEdit4->clear();
        setTaskButtons(false);
        Label35->setText(QStringLiteral("..."));
        RichEdit4->setFocus();
        emit statusReported(QStringLiteral(" Operacja usunięcia danych zakończyła się pomyślnie."),
                            true);
        fitRows();
    } catch (const std::exception &) {
        showMessage(kDeleteFailed);
    }
}

void TTasksPage::BitBtn21Click() {
    bool printed = false;
    try {
        printed = m_platform.printer.printText(QStringLiteral("Kelvadrin - Zadanie."),
                                               RichEdit4->toPlainText(), false);
    } catch (const std::exception &) {
        printed = false;
    }
    if (!printed)
        showMessage(kPrintFailed);
}

void TTasksPage::Image13Click() {
    try {
        fitRows();
    } catch (const std::exception &) {
        StringGrid2->setRowCount(kShownRows);
    }
    RichEdit4->clear();
}

void TTasksPage::Label33Click() {
    m_quickHelp.showQuickHelp(
        QStringLiteral("Zadania - wiadomość"),
        QStringLiteral("Pozostała ilość znaków możliwych do wprowadzenia. Max. 500."));
}

void TTasksPage::Label35Click() {
    m_quickHelp.showQuickHelp(QStringLiteral("Zadania"),
                              QStringLiteral("Numer aktualnie edytowanego zadania."));
}

} // namespace kv
