// The program's save dialog as Qt's own dialog shows it (the one a desktop
// without a platform theme gets): a filter picked in its list and a name typed
// in its field, as a user does, give the file's kind by the one rule.
#include "platform/FileChooser.h"
#include "platform/SystemPlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace kv;

class TestFileDialog : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void kindOfWhatTheUserChose_data() {
        QTest::addColumn<QString>("filters");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("picked");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        const QString terminy = QStringLiteral("Kelvadrin (*.ter);;iCalendar (*.ics)");
        const QString baza =
            QStringLiteral("Kelvadrin - Baza teleadresowa (*.adr). (*.adr);;vCard (*.vcf)");
        QTest::newRow("iCalendar picked, .ics typed") << terminy << "" << 1 << "kalendarz.ics"
                                                      << "kalendarz.ics"
                                                      << "iCalendar (*.ics)";
        // No suffix is added where the dialog adds none.
        QTest::newRow("iCalendar picked, no suffix") << terminy << "" << 1 << "kalendarz"
                                                     << "kalendarz"
                                                     << "iCalendar (*.ics)";
        QTest::newRow("first filter, .ics typed") << terminy << "" << 0 << "kalendarz.ics"
                                                  << "kalendarz.ics"
                                                  << "iCalendar (*.ics)";
        QTest::newRow("iCalendar picked, .ter typed") << terminy << "" << 1 << "kopia.ter"
                                                      << "kopia.ter"
                                                      << "Kelvadrin (*.ter)";
        QTest::newRow("vCard picked, no suffix") << baza << "adr" << 1 << "kontakty"
                                                 << "kontakty.vcf"
                                                 << "vCard (*.vcf)";
        QTest::newRow("first filter, .vcf typed") << baza << "adr" << 0 << "kontakty.vcf"
                                                  << "kontakty.vcf"
                                                  << "vCard (*.vcf)";
        QTest::newRow("vCard picked, then the first again")
            << baza << "adr" << -1 << "kopia"
            << "kopia.adr"
            << "Kelvadrin - Baza teleadresowa (*.adr). (*.adr)";
    }
    void kindOfWhatTheUserChose() {
        QFETCH(QString, filters);
        QFETCH(QString, suffix);
        QFETCH(int, picked);
        QFETCH(QString, typed);
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QString chosen;
        FileRequest request(QStringLiteral("Eksportuj dane..."), filters, suffix);
        request.chosenFilter = &chosen;
        bool answered = false;
        // The dialog is answered once it is shown, as a user would.
        std::function<void()> answer = [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return QTimer::singleShot(10, answer);
            dialog->setDirectory(m_dir.path());
            auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(combo && name);
            // A click in the list: both of the list's signals, as a user's click gives them.
            const auto pick = [combo](int i) {
                combo->setCurrentIndex(i);
                emit combo->activated(i);
                emit combo->textActivated(combo->itemText(i));
            };
            if (picked < 0) {
                pick(1);
                pick(0);
            } else {
                pick(picked);
            }
            name->setText(typed);
            answered = true;
            QMetaObject::invokeMethod(dialog, "accept");
        };
        QTimer::singleShot(0, answer);
        SystemFileDialogs dialogs;
        const QString result = FileChooser(dialogs, nullptr).save(nullptr, {}, request);
        QVERIFY(answered);
        QCOMPARE(QFileInfo(result).fileName(), file);
        QCOMPARE(chosen, kind);
    }
};

int main(int argc, char **argv) {
    // Qt's own dialog whatever the desktop offers.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    TestFileDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filedialog.moc"
