#pragma once
// The date test answering against a fake clock.
#include "FakePlatform.h"
#include "actual/actual.h"
#include "appointments/AppointmentStore.h"

namespace kv::test {

inline DateTest dateTestAt(const FakeClock &clock) {
    return [&clock](const QString &date, const QString &time) {
        const QDateTime now = clock.now();
        return ActualAt(date.toLatin1().constData(), time.toLatin1().constData(), now.date().year(),
                        now.date().month(), now.date().day(), now.time().hour(),
                        now.time().minute());
    };
}

} // namespace kv::test
