// kelvadrin-askpass: a password question of the program (the sync's), in a
// process of its own as ssh-askpass and pinentry are, so that what drawing
// the question brings into memory (Qt Widgets, the style, HarfBuzz, FreeType,
// the font) goes when it is answered instead of staying with the program for
// the session.
//   kelvadrin-askpass TITLE LABEL   prints the password typed (UTF-8);
//                                   status 1 when the question is cancelled
#include <QApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QTranslator>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char **argv) {
    // Gone with the program, even one killed outright.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1 || argc != 3)
        return 2;
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("kelvadrin"));
    QTranslator qtPolish;
    if (qtPolish.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtPolish);
    QInputDialog dialog;
    dialog.setWindowTitle(QString::fromLocal8Bit(argv[1]));
    dialog.setLabelText(QString::fromLocal8Bit(argv[2]));
    dialog.setTextEchoMode(QLineEdit::Password);
    if (auto *field = dialog.findChild<QLineEdit *>())
        field->setAccessibleName(QStringLiteral("Hasło"));
    if (dialog.exec() != QDialog::Accepted)
        return 1;
    const QByteArray password = dialog.textValue().toUtf8();
    const size_t size = size_t(password.size());
    const bool written = std::fwrite(password.constData(), 1, size, stdout) == size;
    return written && std::fflush(stdout) == 0 ? 0 : 2;
}
