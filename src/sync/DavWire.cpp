#include "DavWire.h"

#include <QDataStream>
#include <QIODevice>

namespace kv::wire {

namespace {
// Raised at every change of what a frame holds.
constexpr quint8 kVersion = 1;
// No reply of a calendar server comes near it; a longer frame is damage.
constexpr quint32 kLongest = 512u << 20;

template <class Write> QByteArray framed(Write write) {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kVersion;
    write(out);
    QByteArray whole;
    QDataStream head(&whole, QIODevice::WriteOnly);
    head << quint32(body.size());
    return whole + body;
}

template <class T, class Read> std::optional<T> unframed(const QByteArray &body, Read read) {
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_6_4);
    quint8 version = 0;
    in >> version;
    if (version != kVersion)
        return std::nullopt;
    T value;
    read(in, value);
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return value;
}
} // namespace

QByteArray frame(const Request &r) {
    return framed([&](QDataStream &out) {
        out << r.id << r.verb << r.url << r.body << r.headers << qint32(r.timeoutMs);
    });
}

QByteArray frame(const Reply &r) {
    const DavReply &d = r.reply;
    return framed([&](QDataStream &out) {
        out << r.id << qint32(d.status) << d.body << d.etag << d.location << qint32(d.failure)
            << d.detail;
    });
}

std::optional<QByteArray> nextFrame(QByteArray &buffer) {
    if (buffer.size() < 4)
        return std::nullopt;
    quint32 length = 0;
    QDataStream(buffer.left(4)) >> length;
    if (length > kLongest) {
        buffer.clear();
        return QByteArray(); // read as nothing: the caller gives up on the peer
    }
    if (buffer.size() < 4 + qsizetype(length))
        return std::nullopt;
    QByteArray body = buffer.mid(4, length);
    buffer.remove(0, 4 + length);
    return body;
}

std::optional<Request> readRequest(const QByteArray &body) {
    return unframed<Request>(body, [](QDataStream &in, Request &r) {
        qint32 timeout = 0;
        in >> r.id >> r.verb >> r.url >> r.body >> r.headers >> timeout;
        r.timeoutMs = timeout;
    });
}

std::optional<Reply> readReply(const QByteArray &body) {
    return unframed<Reply>(body, [](QDataStream &in, Reply &r) {
        qint32 status = 0, failure = 0;
        in >> r.id >> status >> r.reply.body >> r.reply.etag >> r.reply.location >> failure >>
            r.reply.detail;
        r.reply.status = status;
        if (failure < 0 || failure > int(SyncFailure::Local))
            in.setStatus(QDataStream::ReadCorruptData);
        r.reply.failure = SyncFailure(failure);
    });
}

} // namespace kv::wire
