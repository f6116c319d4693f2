#include "Printunit.h"

#include "info/Alertunit.h"
#include "widgets/ShadowHeading.h"
#include "widgets/WindowUtil.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <exception>

namespace kv {

namespace {
// The first-line indent of the sheet's paragraphs: 5 points at 96 dpi.
constexpr qreal kIndentPixels = 5.0 * 96.0 / 72.0;

const char *const kMonths[] = {" stycznia ", " lutego ",       " marca ",     " kwietnia ",
                               " maja ",     " czerwca ",      " lipca ",     " sierpnia ",
                               " września ", " października ", " listopada ", " grudnia "};
} // namespace

TPrintForm::TPrintForm(Platform &platform, TAlertForm &alert, QWidget *parent)
    : QDialog(parent, fixedWindowFlags() | Qt::WindowStaysOnTopHint), m_platform(platform),
      m_alert(alert) {
    setWindowTitle(QStringLiteral("Baza teleadresowa"));
    setFont(arial15());
    setFixedSize(kClientWidth, kClientHeight);

    Label1 = new ShadowHeading(QStringLiteral("Edycja wydruku..."), this);
    Label1->setGeometry(16, 10, 300, 30);
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setGeometry(16, 44, 615, 356);
    QFont bold = RichEdit1->document()->defaultFont();
    bold.setBold(true);
    RichEdit1->document()->setDefaultFont(bold);
    RichEdit1->setAccessibleName(spokenCaption(Label1->text()));
    // Tab leaves the sheet rather than typing a tab into it.
    RichEdit1->setTabChangesFocus(true);

    GroupBox1 = new QGroupBox(QStringLiteral(" Dodaj do wydruku "), this);
    GroupBox1->setGeometry(16, 410, 330, 100);
    CheckBox1 = new QCheckBox(QStringLiteral("Dzisiejszą datę."), GroupBox1);
    CheckBox1->setGeometry(16, 30, 300, 24);
    CheckBox2 = new QCheckBox(QStringLiteral("Informacje bazy teleadresowej."), GroupBox1);
    CheckBox2->setGeometry(16, 62, 300, 24);

    Button2 = new QPushButton(QStringLiteral("&Drukuj"), this);
    Button2->setGeometry(421, 476, 100, 32);
    Button4 = new QPushButton(QStringLiteral("&Zamknij"), this);
    Button4->setGeometry(531, 476, 100, 32);

    connect(CheckBox1, &QCheckBox::clicked, this, &TPrintForm::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TPrintForm::CheckBox2Click);
    connect(Button2, &QPushButton::clicked, this, &TPrintForm::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &TPrintForm::Button4Click);
}

void TPrintForm::setSource(const AddressRecord &record, const QString &entryNumberText,
                           const QString &mainCaption) {
    m_record = record;
    m_entryNumber = entryNumberText;
    m_mainCaption = mainCaption;
}

QStringList TPrintForm::composeLines(const AddressRecord &r) {
    QStringList lines{QString()};
    if (!r.name.isEmpty())
        lines << r.name << QString();
    if (!r.town.isEmpty())
        lines << (r.code.isEmpty() ? r.town : r.code + QLatin1Char(' ') + r.town);
    if (!r.street.isEmpty())
        lines << QStringLiteral("ul. ") + r.street;
    if (!r.phone.isEmpty())
        lines << QStringLiteral("Tel. ") + r.phone;
    if (!r.email.isEmpty())
        lines << QStringLiteral("e-mail: ") + r.email;
    if (!r.icq.isEmpty())
        lines << QStringLiteral("icq: ") + r.icq;
    if (!r.notes.isEmpty()) {
        lines << QString();
        QString notes = r.notes;
        notes.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        lines << notes.split(QLatin1Char('\n'));
    }
    return lines;
}

QString TPrintForm::dateLine(const QDate &date) {
    return QStringLiteral("Wydruk utworzono ") + QString::number(date.day()) +
           QString::fromUtf8(kMonths[date.month() - 1]) + QStringLiteral("20") +
           QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
}

QStringList TPrintForm::sheetLines() const {
    return RichEdit1->toPlainText().split(QLatin1Char('\n'));
}

void TPrintForm::setSheetLines(const QStringList &lines) {
    RichEdit1->setPlainText(lines.join(QLatin1Char('\n')));
    QTextCursor cursor(RichEdit1->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setTextIndent(kIndentPixels);
    cursor.mergeBlockFormat(format);
}

void TPrintForm::composeSheet() {
    setSheetLines(composeLines(m_record));
}

void TPrintForm::showEvent(QShowEvent *event) {
    // The boxes start cleared, however the window was closed last time.
    CheckBox1->setChecked(false);
    CheckBox2->setChecked(false);
    composeSheet();
    centreOnScreen(this, m_platform.screen.size());
    QDialog::showEvent(event);
}

void TPrintForm::CheckBox2Click() {
    QStringList lines = sheetLines();
    if (CheckBox2->isChecked()) {
        try {
            const QString header = m_entryNumber.isEmpty()
                                       ? QStringLiteral("Baza teleadresowa...")
                                       : QStringLiteral("Baza teleadresowa... wpis numer ") +
                                             m_entryNumber + QLatin1Char(':');
            const QStringList insert{m_mainCaption, QString(), header, QString(), QString()};
            for (qsizetype i = 0; i < insert.size(); ++i)
                lines.insert(1 + i, insert[i]);
            setSheetLines(lines);
        } catch (const std::exception &) {
            // The window stays and the program goes on.
            m_alert.showMessage(QStringLiteral("Nieznany błąd systemu operacyjnego !!!"));
        }
    } else {
        for (int i = 0; i < 5 && lines.size() > 1; ++i)
            lines.removeAt(1);
        setSheetLines(lines);
    }
}

void TPrintForm::CheckBox1Click() {
    QStringList lines = sheetLines();
    if (CheckBox1->isChecked()) {
        lines << QString() << dateLine(m_platform.clock.now().date());
    } else {
        for (int i = 0; i < 2; ++i) {
            if (lines.size() > 1)
                lines.removeLast();
            else
                lines = QStringList{QString()};
        }
    }
    setSheetLines(lines);
}

void TPrintForm::Button2Click() {
    if (!m_platform.printer.printText(QStringLiteral("Kelvadrin - baza teleadresowa."),
                                      RichEdit1->toHtml(), true))
        m_alert.showMessage(QStringLiteral("Operacja wydruku nie może zostać zrealizowana."));
}

void TPrintForm::Button4Click() {
    CheckBox1->setChecked(false);
    CheckBox2->setChecked(false);
    close();
}

} // namespace kv
