#include "platform/DisplayChoice.h"

#include <QtTest>
#include <map>

class TestDisplayChoice : public QObject {
    Q_OBJECT
private slots:
    void chosenPlatform_data() {
        QTest::addColumn<QString>("environment"); // NAME=value pairs, blank-separated
        QTest::addColumn<bool>("xServer");
        QTest::addColumn<QByteArray>("platform");
        QTest::newRow("X11 session") << "XDG_SESSION_TYPE=x11 DISPLAY=:0" << true << QByteArray();
        QTest::newRow("Wayland with Xwayland")
            << "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0" << true
            << QByteArray("xcb");
        QTest::newRow("Wayland display named alone")
            << "WAYLAND_DISPLAY=wayland-0 DISPLAY=:1" << true << QByteArray("xcb");
        QTest::newRow("DISPLAY set, no server answers")
            << "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0" << false
            << QByteArray("wayland");
        QTest::newRow("Wayland without X")
            << "XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=w-1" << true << QByteArray("wayland");
        QTest::newRow("the user's platform kept")
            << "QT_QPA_PLATFORM=wayland XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=w DISPLAY=:0"
            << true << QByteArray();
        QTest::newRow("nothing known") << "" << false << QByteArray();
    }
    void chosenPlatform() {
        QFETCH(QString, environment);
        QFETCH(bool, xServer);
        QFETCH(QByteArray, platform);
        std::map<QByteArray, QByteArray> env;
        for (const QString &pair : environment.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            env[pair.section(QLatin1Char('='), 0, 0).toLatin1()] =
                pair.section(QLatin1Char('='), 1).toLatin1();
        bool asked = false;
        const QByteArray chosen = kv::chooseDisplayPlatform(
            [&](const char *name) {
                const auto it = env.find(name);
                return it == env.end() ? QByteArray() : it->second;
            },
            [&] {
                asked = true;
                return xServer;
            });
        QCOMPARE(chosen, platform);
        // The X server is tried only in a Wayland session that names one.
        QCOMPARE(asked, env.count("DISPLAY") && !env.count("QT_QPA_PLATFORM") &&
                            (env.count("WAYLAND_DISPLAY") || env["XDG_SESSION_TYPE"] == "wayland"));
    }
};

QTEST_GUILESS_MAIN(TestDisplayChoice)
#include "tst_displaychoice.moc"
