#include "AppointmentStore.h"

#include "actual/actual.h"

#include <array>

namespace kv {

DateTest systemDateTest() {
    return [](const QString &date, const QString &time) {
        return Actual(date.toLatin1().constData(), time.toLatin1().constData());
    };
}

int leadingNumber(const QString &text) {
    long long value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > 1'000'000'000)
            break;
    }
    return static_cast<int>(value);
}

QString AppointmentStore::repeatText(int code) {
    if (code < 0 || code > 41)
        return {};
    if (code == 0)
        return QStringLiteral("... jednorazowo");
    if (code == 1)
        return QStringLiteral("... codziennie");
    if (code == 7)
        return QStringLiteral("... co tydzień");
    if (code == 14)
        return QStringLiteral("... co 2 tygodnie");
    if (code == 21)
        return QStringLiteral("... co 3 tygodnie");
    if (code < 30)
        return QStringLiteral("... co %1 dni").arg(code);
    if (code == 30)
        return QStringLiteral("... co miesiąc");
    if (code == 41)
        return QStringLiteral("... co rok");
    const int months = code - 29;
    return months <= 4 ? QStringLiteral("... co %1 miesiące").arg(months)
                       : QStringLiteral("... co %1 miesięcy").arg(months);
}

QString AppointmentStore::armMessage(ArmOutcome outcome) {
    switch (outcome) {
    case ArmOutcome::Armed:
        return {};
    case ArmOutcome::Incomplete:
        return QStringLiteral("Niedokładnie określono termin przypomnienia.");
    case ArmOutcome::Passed:
        return QStringLiteral("Podany termin przypomnienia jest nieaktualny.");
    case ArmOutcome::TimePassedRepeats:
        return QStringLiteral(
            "Określ datę rozpoczęcia przypomnienia. Podana godzina jest nieaktualna.");
    case ArmOutcome::TimePassedOnce:
        return QStringLiteral("Określ datę rozpoczęcia przypomnienia lub zmień godzinę. Podana "
                              "godzina jest nieaktualna.");
    }
    return {};
}

std::optional<int> testMoment(const DateTest &test, const std::optional<QString> &date,
                              const std::optional<QString> &time) {
    const QString none = QStringLiteral("0");
    if (date && time)
        return test(*date, *time);
    if (date)
        return test(*date, none);
    if (time)
        return test(none, *time);
    return std::nullopt;
}

SlotView AppointmentStore::load(int n) const {
    SlotView view;
    const auto d = m_key.stringOrAbsent(names::date(n));
    if (d && d->size() == 8)
        view.date = *d;
    const auto t = m_key.stringOrAbsent(names::time(n));
    if (t && t->size() == 5)
        view.time = *t;
    view.info = m_key.stringOrAbsent(names::info(n)).value_or(QString());
    view.repeat = m_key.integerOrAbsent(names::repeat(n)).value_or(0);
    view.link = m_key.integerOrAbsent(names::linkRead(n));
    view.armed = m_key.valueExists(names::termin(n));
    return view;
}

bool AppointmentStore::slotIsFree(int n) const {
    const auto flag = m_key.integerOrAbsent(names::termin(n));
    return !flag || *flag == 0;
}

bool AppointmentStore::slotIsEmpty(int n) const {
    const SlotView v = load(n);
    return !v.armed && !v.date && !v.time && v.info.isEmpty();
}

int AppointmentStore::firstFreeSlot() const {
    for (int n = 1; n <= SlotCount; ++n)
        if (slotIsFree(n))
            return n;
    return 0;
}

void AppointmentStore::writeInfo(int n, const QString &text) {
    if (text.isEmpty())
        m_key.deleteValue(names::info(n));
    else
        m_key.writeString(names::info(n), text);
}

void AppointmentStore::writeLink(int n, const QString &fieldText) {
    if (fieldText.isEmpty())
        m_key.deleteValue(names::link(n));
    else
        m_key.writeInteger(names::link(n), leadingNumber(fieldText));
}

ArmOutcome AppointmentStore::armSlot(int n, bool dateBox, bool timeBox, int repeatCode,
                                     const DateTest &test) {
    const auto d = m_key.stringOrAbsent(names::date(n));
    const auto t = m_key.stringOrAbsent(names::time(n));
    const bool dateValueExists = m_key.valueExists(names::date(n));
    const bool timeValueExists = m_key.valueExists(names::time(n));
    const bool badDate = dateValueExists && (!d || d->size() != 8);
    const bool badTime = timeValueExists && (!t || t->size() != 5);
    if ((!dateBox && !timeBox) || badDate || (!dateValueExists && dateBox) || badTime ||
        (!timeValueExists && timeBox))
        return ArmOutcome::Incomplete;

    // The same three readings as the reminder scan.
    const int result = testMoment(test, dateBox ? d : std::nullopt, timeBox ? t : std::nullopt)
                           .value_or(ActualFailed);
    if (result == ActualPassed) {
        if (timeBox && !dateBox)
            return repeatCode > 0 ? ArmOutcome::TimePassedRepeats : ArmOutcome::TimePassedOnce;
        return ArmOutcome::Passed;
    }
    m_key.writeBool(names::termin(n), true);
    return ArmOutcome::Armed;
}

void AppointmentStore::deleteSlot(int n) {
    for (const QString &name : {names::termin(n), names::date(n), names::time(n), names::info(n),
                                names::repeat(n), names::link(n), names::uid(n)})
        m_key.deleteValue(name);
}

void AppointmentStore::putRecord(int n, const AppointmentRecord &r, const QString &uid,
                                 bool keepLink) {
    const int link = keepLink ? load(n).link.value_or(-1) : -1; // entries are 0..99999
    deleteSlot(n);
    if (!r.date.isEmpty())
        m_key.writeString(names::date(n), r.date);
    if (!r.time.isEmpty())
        m_key.writeString(names::time(n), r.time);
    if (!r.message.isEmpty())
        m_key.writeString(names::info(n), r.message);
    m_key.writeInteger(names::repeat(n), r.repeat);
    if (!uid.isEmpty())
        m_key.writeString(names::uid(n), uid);
    if (link >= 0)
        m_key.writeInteger(names::link(n), link);
    if (r.armed)
        m_key.writeBool(names::termin(n), true);
}

void AppointmentStore::deleteFired(int n) {
    for (const QString &name : {names::date(n), names::termin(n), names::time(n), names::info(n),
                                names::link(n), names::uid(n)})
        m_key.deleteValue(name);
}

AppointmentFile::Records AppointmentStore::exportRecords() const {
    AppointmentFile::Records records;
    for (int n = 1; n <= SlotCount; ++n) {
        AppointmentRecord &r = records[size_t(n - 1)];
        r.armed = m_key.integerOrAbsent(names::termin(n)).value_or(0) != 0;
        r.date = m_key.stringOrAbsent(names::date(n)).value_or(QString());
        r.time = m_key.stringOrAbsent(names::time(n)).value_or(QString());
        r.message = m_key.stringOrAbsent(names::info(n)).value_or(QString());
        r.repeat = m_key.integerOrAbsent(names::repeat(n)).value_or(0);
    }
    return records;
}

void AppointmentStore::importRecords(const AppointmentFile::Records &records) {
    Registry *registry = m_key.registry();
    if (!registry)
        throw RegistryError("registry: key not open");
    registry->transaction([&] {
        for (int n = 1; n <= SlotCount; ++n) {
            const AppointmentRecord &r = records[size_t(n - 1)];
            if (r.armed)
                m_key.writeBool(names::termin(n), true);
            else
                m_key.deleteValue(names::termin(n));
            const auto text = [this](const QString &name, const QString &value) {
                if (value.isEmpty())
                    m_key.deleteValue(name);
                else
                    m_key.writeString(name, value);
            };
            text(names::date(n), r.date);
            text(names::time(n), r.time);
            text(names::info(n), r.message);
            m_key.writeInteger(names::repeat(n), r.repeat);
            m_key.deleteValue(names::uid(n)); // new contents, a new identity
        }
    });
}

} // namespace kv
