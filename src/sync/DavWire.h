#pragma once
// What the program and its network helper (kelvadrin-dav) say to each other
// over the helper's standard input and output: frames of a 32-bit length and
// a QDataStream body. The program sends requests and "abort all"; the helper
// answers each request it has not been told to abort, in any order.
#include "DavClient.h"

#include <QByteArray>
#include <QUrl>
#include <optional>

namespace kv::wire {

struct Request {
    quint32 id = 0;
    QByteArray verb; // empty: abort every request in flight
    QUrl url;
    QByteArray body;
    DavHeaders headers;
    int timeoutMs = 0;
};

struct Reply {
    quint32 id = 0;
    DavReply reply;
};

QByteArray frame(const Request &request);
QByteArray frame(const Reply &reply);

// Takes whole frames off the front of a buffer as bytes arrive; a frame that
// cannot be read (a helper of another build) is nothing.
std::optional<QByteArray> nextFrame(QByteArray &buffer);
std::optional<Request> readRequest(const QByteArray &body);
std::optional<Reply> readReply(const QByteArray &body);

} // namespace kv::wire
