#include "Ical.h"

namespace kv::ical {

namespace {
constexpr int kSummaryLength = 60;
constexpr int kIterationLimit = 50000;
// A series that began long ago is expanded from a year before now.
constexpr int kFarBack = 730;
constexpr int kYearBack = 400;
} // namespace

// ---- Times

QDateTime wallClock(QDate day, QTime time, const QTimeZone &zone, bool *gap) {
    const QDateTime asUtc(day, time, QTimeZone::utc());
    // No zone changes its offset twice within two days.
    const int before = zone.offsetFromUtc(asUtc.addSecs(-86400));
    const int after = zone.offsetFromUtc(asUtc.addSecs(86400));
    for (const int offset : {before, after}) {
        const QDateTime moment = asUtc.addSecs(-offset);
        if (zone.offsetFromUtc(moment) == offset)
            return moment;
    }
    if (gap)
        *gap = true;
    return asUtc.addSecs(-before);
}

Moment localMoment(const icaltimetype &t, const Zone &zone, bool *gap) {
    if (t.is_date)
        return {QDate(t.year, t.month, t.day), {}};
    const QDate day(t.year, t.month, t.day);
    const QTime time(t.hour, t.minute, t.second);
    QDateTime local;
    if (zone.ical != nullptr)
        local = QDateTime::fromSecsSinceEpoch(
            icaltime_as_timet_with_zone(t, const_cast<icaltimezone *>(zone.ical)));
    else
        local = wallClock(day, time, zone.qt.isValid() ? zone.qt : QTimeZone::systemTimeZone(), gap)
                    .toLocalTime();
    return {local.date(), QTime(local.time().hour(), local.time().minute())};
}

// The rule's occurrences from `start`, in local wall-clock time: those before
// `now` are passed over, then up to `count` are taken.
QList<Moment> ruleFirings(const icalrecurrencetype &rule, const icaltimetype &start,
                          const Zone &zone, const QDateTime &now, int count) {
    QList<Moment> out;
    Iterator it(icalrecur_iterator_new(rule, start));
    if (!it)
        return out;
    // Long-running series start over a year before now, in the rule's phase.
    if (now.isValid() && QDate(start.year, start.month, start.day).daysTo(now.date()) > kFarBack) {
        const QDate from = now.date().addDays(-kYearBack);
        icaltimetype near = start;
        near.year = from.year();
        near.month = from.month();
        near.day = from.day();
        if (!icalrecur_iterator_set_start(it.get(), near))
            it.reset(icalrecur_iterator_new(rule, start));
    }
    for (int step = 0; step < kIterationLimit && out.size() < count; ++step) {
        const icaltimetype t = icalrecur_iterator_next(it.get());
        if (icaltime_is_null_time(t))
            break;
        const Moment m = localMoment(t, zone);
        if (!m.before(now))
            out.append(m);
    }
    return out;
}

std::optional<std::pair<icaltimetype, Zone>> startOf(icalcomponent *c) {
    icalproperty *p = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY);
    if (p == nullptr)
        return std::nullopt;
    icaltimetype t = icalcomponent_get_dtstart(c);
    if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t) || t.year < 1 ||
        !QDate(t.year, t.month, t.day).isValid())
        return std::nullopt;
    Zone zone;
    if (t.is_date)
        return std::pair{t, zone};
    icalparameter *tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
    const QByteArray id = tzid ? QByteArray(icalparameter_get_tzid(tzid)).trimmed() : QByteArray();
    if (icaltime_is_utc(t)) {
        zone.ical = icaltimezone_get_utc_timezone();
    } else if (!id.isEmpty() && QTimeZone::isTimeZoneIdAvailable(id)) {
        // A zone of the system's database by its own rules, for every
        // year: many files carry only the changes around the event's start.
        zone.qt = QTimeZone(id);
    } else if (t.zone != nullptr) {
        zone.ical = t.zone;
    } else if (!id.isEmpty()) {
        // A Windows zone name where no VTIMEZONE defines it.
        const QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(id);
        if (iana.isEmpty())
            return std::nullopt;
        zone.qt = QTimeZone(iana);
    }
    if (!id.isEmpty() && zone.ical == nullptr && !zone.qt.isValid())
        return std::nullopt;
    t.zone = zone.ical;
    return std::pair{t, zone};
}

icaltimetype icalTime(const Moment &m) {
    icaltimetype t = icaltime_null_time();
    t.year = m.day.year();
    t.month = m.day.month();
    t.day = m.day.day();
    if (m.time.isValid()) {
        t.hour = m.time.hour();
        t.minute = m.time.minute();
    } else {
        t.is_date = 1;
    }
    return t;
}

// ---- Texts

// Control characters but the tab and the line breaks are left out: libical
// writes some of them and drops others (a backspace, a form feed), so a text
// that held one would not read back as it was written.
QString withoutControls(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r'))
            out.append(c);
    return out;
}

QString plainLines(const QString &text) {
    QString out = withoutControls(text);
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString storedLines(const QString &text) {
    return plainLines(text).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

QString firstLine(const QString &text) {
    const QStringList lines = plainLines(text).split(QLatin1Char('\n'));
    for (const QString &line : lines)
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    return {};
}

QString summaryOf(const QString &text) {
    return firstLine(text).left(kSummaryLength).trimmed();
}

// The text of an item from its SUMMARY and DESCRIPTION: the description alone
// when it begins with the summary (as written here), else both.
QString itemText(icalcomponent *c) {
    const char *summary = icalcomponent_get_summary(c);
    const char *description = icalcomponent_get_description(c);
    const QString s = QString::fromUtf8(summary ? summary : "").trimmed();
    const QString d = plainLines(QString::fromUtf8(description ? description : ""));
    if (d.trimmed().isEmpty())
        return storedLines(s);
    if (s.isEmpty() || firstLine(d).startsWith(s))
        return storedLines(d);
    return storedLines(s + QLatin1Char('\n') + d);
}

void addText(icalcomponent *c, const QString &text) {
    if (text.isEmpty())
        return;
    icalcomponent_add_property(c, icalproperty_new_summary(summaryOf(text).toUtf8().constData()));
    icalcomponent_add_property(c,
                               icalproperty_new_description(plainLines(text).toUtf8().constData()));
}

void addX(icalcomponent *c, const char *name, const QString &value) {
    icalproperty *p = icalproperty_new_x(value.toUtf8().constData());
    icalproperty_set_x_name(p, name);
    icalcomponent_add_property(c, p);
}

std::optional<QString> xValue(icalcomponent *c, const char *name) {
    for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_X_PROPERTY)) {
        const char *n = icalproperty_get_x_name(p);
        const char *v = icalproperty_get_x(p);
        if (n && v && qstricmp(n, name) == 0)
            return QString::fromUtf8(v).trimmed();
    }
    return std::nullopt;
}

QString uidOf(icalcomponent *c) {
    const char *uid = icalcomponent_get_uid(c);
    return withoutControls(QString::fromUtf8(uid ? uid : ""));
}

bool damaged(icalcomponent *c, const QList<QByteArray> &names) {
    for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
        const QByteArray text(icalproperty_get_xlicerror(p));
        for (const QByteArray &name : names)
            if (text.contains(" " + name + " "))
                return true;
    }
    return false;
}

// ---- Whole calendars

QList<icalcomponent *> calendarsOf(QByteArrayView bytes, Component &root) {
    // libical reads up to the first zero byte.
    QByteArray text = bytes.toByteArray();
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    root.reset(icalparser_parse_string(text.constData()));
    icalerror_clear_errno();
    QList<icalcomponent *> calendars;
    if (root && icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.append(root.get());
    } else if (root && icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        for (icalcomponent *c =
                 icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             c; c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            calendars.append(c);
    }
    return calendars;
}

QByteArray asText(icalcomponent *calendar) {
    char *text = icalcomponent_as_ical_string_r(calendar);
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

icalcomponent *onlyItem(icalcomponent *calendar) {
    if (!calendar || icalcomponent_isa(calendar) != ICAL_VCALENDAR_COMPONENT)
        return nullptr;
    icalcomponent *item = nullptr;
    int count = 0;
    for (icalcomponent_kind kind : {ICAL_VEVENT_COMPONENT, ICAL_VTODO_COMPONENT})
        for (icalcomponent *c = icalcomponent_get_first_component(calendar, kind); c;
             c = icalcomponent_get_next_component(calendar, kind), ++count)
            item = c;
    return count == 1 ? item : nullptr;
}

namespace {
bool isOurX(icalproperty *p, const QList<QByteArray> &names) {
    const char *name = icalproperty_get_x_name(p);
    return name && names.contains(QByteArray(name).toUpper());
}

} // namespace

// Replaces the properties of the kinds (and our X- properties of the names)
// in `to` with those of `from`.
void replaceProperties(icalcomponent *to, icalcomponent *from,
                       const QList<icalproperty_kind> &kinds, const QList<QByteArray> &xNames) {
    const auto ours = [&](icalproperty *p) {
        const icalproperty_kind k = icalproperty_isa(p);
        return kinds.contains(k) || (k == ICAL_X_PROPERTY && isOurX(p, xNames));
    };
    QList<icalproperty *> gone;
    for (icalproperty *p = icalcomponent_get_first_property(to, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(to, ICAL_ANY_PROPERTY))
        if (ours(p))
            gone << p;
    for (icalproperty *p : gone) {
        icalcomponent_remove_property(to, p);
        icalproperty_free(p);
    }
    for (icalproperty *p = icalcomponent_get_first_property(from, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(from, ICAL_ANY_PROPERTY))
        if (ours(p))
            icalcomponent_add_property(to, icalproperty_new_clone(p));
}

} // namespace kv::ical
