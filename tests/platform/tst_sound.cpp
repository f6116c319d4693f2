#include "platform/Sound.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <sys/stat.h>

// The real player (SDL2_mixer, loaded at the first use) on the dummy audio driver.
class TestSound : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // A short mono 16-bit PCM tone as a WAV file.
    QString writeWav() {
        const int rate = 8000, samples = 800;
        QByteArray data;
        for (int i = 0; i < samples; ++i) {
            const qint16 v = static_cast<qint16>((i / 8) % 2 ? 4000 : -4000);
            data.append(reinterpret_cast<const char *>(&v), 2);
        }
        QByteArray wav;
        auto u32 = [&](quint32 v) {
            v = qToLittleEndian(v);
            wav.append(reinterpret_cast<const char *>(&v), 4);
        };
        auto u16 = [&](quint16 v) {
            v = qToLittleEndian(v);
            wav.append(reinterpret_cast<const char *>(&v), 2);
        };
        wav.append("RIFF");
        u32(36 + data.size());
        wav.append("WAVEfmt ");
        u32(16);
        u16(1);
        u16(1);
        u32(rate);
        u32(rate * 2);
        u16(2);
        u16(16);
        wav.append("data");
        u32(data.size());
        wav.append(data);
        const QString path = m_dir.filePath(QStringLiteral("dźwięk.wav"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
            return {};
        return path;
    }

private slots:
    void initTestCase() {
        if (qgetenv("SDL_AUDIODRIVER").isEmpty())
            qputenv("SDL_AUDIODRIVER", "dummy");
    }

    void playsAndStopsAWavFile() {
        const QString path = writeWav();
        QVERIFY(!path.isEmpty());
        auto sound = kv::createSystemSound();
        QString error;
        QVERIFY2(sound->open(path, &error), qPrintable(error));
        QVERIFY(sound->isOpen());
        QVERIFY2(sound->play(true, &error), qPrintable(error));
        sound->stop();
        QVERIFY2(sound->play(false, &error), qPrintable(error));
        sound->close();
        QVERIFY(!sound->isOpen());
        QVERIFY(!sound->play(true, &error)); // nothing open
    }

    void damagedFileGivesThePlayersErrorText() {
        const QString path = m_dir.filePath(QStringLiteral("zepsuty.mp3"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(64, 'x'));
        file.close();
        auto sound = kv::createSystemSound();
        QString error;
        QVERIFY(!sound->open(path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!sound->isOpen());
        error.clear();
        QVERIFY(!sound->open(m_dir.filePath(QStringLiteral("brak.wav")), &error));
        QVERIFY(!error.isEmpty());
        // A FIFO is refused at once, never waited on.
        const QString fifo = m_dir.filePath(QStringLiteral("fifo.wav"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        error.clear();
        QVERIFY(!sound->open(fifo, &error));
        QVERIFY(error.contains(QStringLiteral("nie jest zwykły plik")));
    }
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
