// Prints one text through the program's real printer layer (the system's
// default queue) and exits 0 when the job was handed over, 1 when not.
//   printprobe TITLE FILE [rich]
#include "platform/SystemPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3)
        return 2;
    QFile file(args.at(2));
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    const QString text = QString::fromUtf8(file.readAll());
    QElapsedTimer timer;
    timer.start();
    kv::SystemPrinter printer;
    const bool printed = printer.printText(args.at(1), text, args.size() > 3);
    std::printf("printed=%d after %lld ms\n", printed ? 1 : 0,
                static_cast<long long>(timer.elapsed()));
    return printed ? 0 : 1;
}
