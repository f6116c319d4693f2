// libactual.so as the program uses it: loaded at run time and asked about the
// system clock's local time.

#include <QTest>
#include <ctime>
#include <dlfcn.h>

namespace {

using ActualFunction = int (*)(const char *, const char *);

struct LocalMinute {
    int year, month, day, hour, minute;
    bool operator==(const LocalMinute &) const = default;
};

LocalMinute localNow() {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

} // namespace

class TestLoadedActual : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_handle = dlopen(KV_ACTUAL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(m_handle != nullptr, dlerror());
        m_actual = reinterpret_cast<ActualFunction>(dlsym(m_handle, "Actual"));
        QVERIFY2(m_actual != nullptr, "Actual is not exported");
        QVERIFY2(dlsym(m_handle, "ActualAt") != nullptr, "ActualAt is not exported");
    }

    void cleanupTestCase() {
        if (m_handle != nullptr)
            dlclose(m_handle);
    }

    void againstTheSystemClock() {
        QCOMPARE(m_actual("01/01/00", "00:00"), 2);
        QCOMPARE(m_actual("01/01/00", "0"), 2);
        QCOMPARE(m_actual("12/31/99", "23:59"), 1);
        QCOMPARE(m_actual("12/31/99", "0"), 1);
        QCOMPARE(m_actual("0", "0"), 0);
        QCOMPARE(m_actual("13/01/05", "0"), 0);
    }

    // Today's date and the current minute, taken from the local clock, read as
    // "now". A minute may turn between reading the clock and the call; then the
    // reading is taken again.
    void currentLocalMinuteIsNow() {
        bool checked = false;
        for (int attempt = 0; attempt < 3 && !checked; ++attempt) {
            const LocalMinute before = localNow();
            const QByteArray date =
                QString::asprintf("%02d/%02d/%02d", before.month, before.day, before.year % 100)
                    .toLatin1();
            const QByteArray time =
                QString::asprintf("%02d:%02d", before.hour, before.minute).toLatin1();
            const int wholeDay = m_actual(date.constData(), "0");
            const int minute = m_actual(date.constData(), time.constData());
            const int daily = m_actual("0", time.constData());
            if (localNow() != before)
                continue;
            QCOMPARE(wholeDay, 3);
            QCOMPARE(minute, 3);
            QCOMPARE(daily, 3);
            checked = true;
        }
        QVERIFY(checked);
    }

private:
    void *m_handle = nullptr;
    ActualFunction m_actual = nullptr;
};

QTEST_APPLESS_MAIN(TestLoadedActual)
#include "tst_loaded.moc"
