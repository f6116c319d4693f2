#include "Multistatus.h"

#include <QXmlStreamReader>

namespace kv {

namespace {
const QString kDav = QStringLiteral("DAV:");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
const QString kCalServer = QStringLiteral("http://calendarserver.org/ns/");

bool is(const QXmlStreamReader &x, const QString &ns, QLatin1StringView name) {
    return x.namespaceUri() == ns && x.name() == name;
}

// The first href inside the current element; the element is read to its end.
QString innerHref(QXmlStreamReader &x) {
    QString href;
    int depth = 1;
    while (depth > 0 && !x.atEnd()) {
        const auto token = x.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (href.isEmpty() && is(x, kDav, QLatin1StringView("href"))) {
                href = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                continue;
            }
            ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return href;
}

void readProp(QXmlStreamReader &x, DavProps &p) {
    while (x.readNextStartElement()) {
        if (is(x, kDav, QLatin1StringView("getetag")))
            p.etag = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else if (is(x, kCalDav, QLatin1StringView("calendar-data")) ||
                 is(x, kCardDav, QLatin1StringView("address-data")))
            p.data = x.readElementText(QXmlStreamReader::SkipChildElements).toUtf8();
        else if (is(x, kCalServer, QLatin1StringView("getctag")))
            p.ctag = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else if (is(x, kDav, QLatin1StringView("sync-token")))
            p.syncToken = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else if (is(x, kDav, QLatin1StringView("displayname")))
            p.displayName = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else if (is(x, kDav, QLatin1StringView("current-user-principal")))
            p.principal = innerHref(x);
        else if (is(x, kCalDav, QLatin1StringView("calendar-home-set")))
            p.calendarHome = innerHref(x);
        else if (is(x, kCardDav, QLatin1StringView("addressbook-home-set")))
            p.addressBookHome = innerHref(x);
        else if (is(x, kDav, QLatin1StringView("resourcetype"))) {
            while (x.readNextStartElement()) {
                p.collection |= is(x, kDav, QLatin1StringView("collection"));
                p.calendar |= is(x, kCalDav, QLatin1StringView("calendar"));
                p.addressBook |= is(x, kCardDav, QLatin1StringView("addressbook"));
                x.skipCurrentElement();
            }
        } else if (is(x, kCalDav, QLatin1StringView("supported-calendar-component-set"))) {
            while (x.readNextStartElement()) {
                if (is(x, kCalDav, QLatin1StringView("comp")))
                    p.components
                        << x.attributes().value(QLatin1StringView("name")).toString().toUpper();
                x.skipCurrentElement();
            }
        } else
            x.skipCurrentElement();
    }
}

void readResponse(QXmlStreamReader &x, Multistatus &out) {
    DavEntry entry;
    int ownStatus = 0;
    int propStatus = 0;
    while (x.readNextStartElement()) {
        if (is(x, kDav, QLatin1StringView("href")) && entry.href.isEmpty()) {
            entry.href = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (is(x, kDav, QLatin1StringView("status"))) {
            ownStatus = statusOfLine(x.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (is(x, kDav, QLatin1StringView("propstat"))) {
            DavProps props;
            int status = 0;
            while (x.readNextStartElement()) {
                if (is(x, kDav, QLatin1StringView("prop")))
                    readProp(x, props);
                else if (is(x, kDav, QLatin1StringView("status")))
                    status = statusOfLine(x.readElementText(QXmlStreamReader::SkipChildElements));
                else
                    x.skipCurrentElement();
            }
            // Only found properties count; those a server lacks come with 404.
            if (status >= 200 && status < 300) {
                entry.props = props;
                propStatus = status;
            } else if (propStatus == 0) {
                propStatus = status;
            }
        } else {
            x.skipCurrentElement();
        }
    }
    entry.status = ownStatus ? ownStatus : propStatus;
    if (!entry.href.isEmpty())
        out.entries << entry;
}
} // namespace

int statusOfLine(QStringView line) {
    const QStringView trimmed = line.trimmed();
    const qsizetype space = trimmed.indexOf(QLatin1Char(' '));
    if (space < 0)
        return 0;
    bool ok = false;
    const int code = trimmed.mid(space + 1, 3).toInt(&ok);
    return ok && code >= 100 && code <= 599 ? code : 0;
}

std::optional<Multistatus> parseMultistatus(QByteArrayView xml, QString *error) {
    QXmlStreamReader x(xml.toByteArray());
    Multistatus out;
    bool seen = false;
    if (x.readNextStartElement() && is(x, kDav, QLatin1StringView("multistatus"))) {
        seen = true;
        while (x.readNextStartElement()) {
            if (is(x, kDav, QLatin1StringView("response")))
                readResponse(x, out);
            else if (is(x, kDav, QLatin1StringView("sync-token")))
                out.syncToken = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            else
                x.skipCurrentElement();
        }
    }
    // Read to the end: a reply cut short is an error, not a shorter list.
    while (!x.atEnd())
        x.readNext();
    if (!seen || x.hasError()) {
        if (error)
            *error = x.hasError() ? x.errorString() : QStringLiteral("no multistatus");
        return std::nullopt;
    }
    return out;
}

} // namespace kv
