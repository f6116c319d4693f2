#pragma once
// The WebDAV multistatus replies of CalDAV and CardDAV servers (RFC 4918,
// 4791, 6352, 6578), read into plain values. Only what the sync uses is kept.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

struct DavProps {
    QString etag;
    QByteArray data; // calendar-data or address-data
    QString ctag;
    QString syncToken;
    QString displayName;
    bool collection = false;
    bool calendar = false;
    bool addressBook = false;
    QStringList components;  // supported-calendar-component-set: VEVENT, VTODO, ...
    QString principal;       // current-user-principal
    QString calendarHome;    // calendar-home-set
    QString addressBookHome; // addressbook-home-set
};

struct DavEntry {
    QString href;
    int status = 0; // the response's own status (404: gone), else that of its properties
    DavProps props;
};

struct Multistatus {
    QList<DavEntry> entries;
    QString syncToken; // of a sync-collection report
};

// Nothing, with *error set, when the bytes are no well-formed multistatus.
std::optional<Multistatus> parseMultistatus(QByteArrayView xml, QString *error = nullptr);

// The status code of an HTTP status line ("HTTP/1.1 404 Not Found" -> 404); 0 when unreadable.
int statusOfLine(QStringView line);

} // namespace kv
