#include "platform/Fonts.h"

#include <QTemporaryDir>
#include <QtTest>

// The font check against the system's fonts and against a fontconfig
// configuration that has none.
class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void checkFailsWithoutFonts() {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("fonts.conf"));
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                   "<fontconfig><cachedir>" +
                   QFile::encodeName(dir.path()) + "</cachedir></fontconfig>\n");
        file.close();
        const bool arial = kv::Fonts::isInstalled(QStringLiteral("Arial"), config);
        const bool tahoma = kv::Fonts::isInstalled(QStringLiteral("Tahoma"), config);
        QVERIFY(!arial);
        QVERIFY(!tahoma);
    }
    void arialResolvesToAMetricCompatibleFont() {
        // The test machine installs fonts-liberation2.
        QVERIFY(kv::Fonts::isInstalled(QStringLiteral("Arial")));
        QVERIFY(!kv::Fonts::isInstalled(QStringLiteral("No Such Family Kelvadrin")));
    }

    void tahomaFromWineIsRegistered() {
        if (!QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")))
            QSKIP("fonts-wine is not installed");
        kv::Fonts::registerExtraFonts();
        QVERIFY(kv::Fonts::isInstalled(QStringLiteral("Tahoma")));
    }
};

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
