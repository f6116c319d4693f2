// The floor the desktop bench measures the program against: a bare Qt
// Widgets program with one notification-area icon and nothing else. The icon
// is filled in code (no image file, no image plugin). It says "idle" on
// stdout at its first idle moment and keeps running until it is ended.

#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::darkBlue);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.show();
    QTimer::singleShot(0, &app, [] {
        std::fputs("idle\n", stdout);
        std::fflush(stdout);
    });
    return QApplication::exec();
}
