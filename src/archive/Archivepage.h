#pragma once
#include "ArchiveSearch.h"
#include "platform/Interfaces.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace kv {

class ArchiveFile;
class ClickLabel;
class TAlertForm;
class TAskAlertForm;
class TQuickHelpForm;

// The result grid's rows: the fixed heading row above them, then row r
// (1..N, model row r - 1) for result r, at least 7 rows. Growing by thousands
// of rows costs one reset, nothing per row.
class ArchiveResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kMinimumRows = 8; // heading and 7 rows

    explicit ArchiveResultModel(const ArchiveSearch &search, QObject *parent = nullptr);

    void setHeading(const QString &heading);
    // The search's rows changed: shown anew, none deleted.
    void resetRows();
    // The result row r (1..N) was deleted: its text goes.
    void markDeleted(int r);
    bool isDeleted(int r) const;
    // The text row r shows (empty for rows without a result).
    QString rowText(int r) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    const ArchiveSearch &m_search;
    QString m_heading;
    std::vector<bool> m_deleted;
};

// What the archive tab works with.
struct ArchivePageContext {
    Platform &platform;
    ArchiveFile &archive; // the main window's one archive image
    TAlertForm &alert;
    TAskAlertForm &askAlert;
    TQuickHelpForm &quickHelp;
};

// The " &Archiwum " tab: search, read, print and delete archived messages.
class TArchivePage : public QWidget {
    Q_OBJECT
public:
    explicit TArchivePage(ArchivePageContext context, QWidget *parent = nullptr);

    // The main window has been shown: the result list's heading row.
    void mainWindowShown();
    // The tab has been chosen: the text field or the day field takes the focus.
    void takeFocus();
    // The calendar applied a date: search by date, the three fields filled
    // ("05", "03", "2004"); the search is not started.
    void applyCalendarDate(const QDate &date);

    // --- handlers
    void RadioButton5Click();
    void RadioButton6Click();
    void Edit1Change();
    void enterPressed(); // Enter in the text field or a date field
    void BitBtn6Click(); // search
    void StringGrid1SelectCell(int row);
    void RichEdit2Change();
    void BitBtn7Click(); // "&Usuń"
    void BitBtn8Click(); // "&Drukuj"
    void BitBtn9Click(); // "&Kalendarz"

    // The search state: results and the row the delete acts on.
    const ArchiveSearch &search() const { return m_search; }
    int currentRow() const { return m_currentRow; }
    ArchiveResultModel *results() const { return m_model; }

    // --- controls
    QRadioButton *RadioButton5 = nullptr; // "Wyrażenie..."
    QLineEdit *Edit1 = nullptr;           // search text
    ClickLabel *Label7 = nullptr;         // characters left
    ClickLabel *Label9 = nullptr;         // "... w treści wiadomości."
    QRadioButton *RadioButton6 = nullptr; // "Data..."
    QComboBox *ComboBox5 = nullptr;       // day
    QComboBox *ComboBox6 = nullptr;       // month
    QComboBox *ComboBox7 = nullptr;       // year
    QLabel *Label8 = nullptr;             // "Dzień..."
    QPushButton *BitBtn6 = nullptr;       // search
    ClickLabel *Label17 = nullptr;        // "Szukaj..."
    QTableView *StringGrid1 = nullptr;    // results
    ClickLabel *Label15 = nullptr;        // number of results
    QLabel *Label16 = nullptr;            // "Wiadomość..."
    QPlainTextEdit *RichEdit2 = nullptr;  // the chosen message
    QPushButton *BitBtn7 = nullptr;       // "&Usuń"
    QPushButton *BitBtn8 = nullptr;       // "&Drukuj"
    QPushButton *BitBtn9 = nullptr;       // "&Kalendarz"

signals:
    // For the main window's status line: a report (lamp and text), the lamp
    // and text emptied without a report, the activity panel, the progress bar.
    void statusReported(const QString &text, bool success);
    void statusCleared();
    void activityChanged(const QString &text);
    void progressChanged(int value, int maximum);
    // "&Kalendarz": the calendar window, captioned for the archive.
    void calendarRequested();

private:
    void buildControls();
    void runSearch();
    bool rowShowsResult(int row) const;
    void deleteCurrentRow();
    ArchiveCriteria criteria() const;

    ArchivePageContext m_ctx;
    ArchiveSearch m_search;
    ArchiveResultModel *m_model = nullptr;
    int m_currentRow = 1;
};

} // namespace kv
