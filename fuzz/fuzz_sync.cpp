// What a calendar server sends, two ways from one input.
// - As a multistatus reply: read never fails on bytes of any shape; what it
//   gives has an address and a status an HTTP status line can carry.
// - As one item of a collection: an item the program takes is one it holds
//   exactly, so written again as this program sends it, it reads back alike;
//   and a change made here, laid over the server's copy, reads back as made.
#include "FuzzFiles.h"
#include "sync/Multistatus.h"
#include "sync/SyncLocal.h"

#include <cstdint>
#include <cstdlib>

namespace {
// A fixed day for a to-do read without one: every run reads alike.
const QDate kToday(2026, 12, 1);
} // namespace

using kv::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    if (const auto ms = kv::parseMultistatus(bytes, &error)) {
        for (const kv::DavEntry &e : ms->entries)
            require(!e.href.isEmpty() && (e.status == 0 || (e.status >= 100 && e.status <= 599)));
    } else {
        require(!error.isEmpty());
    }
    for (const bool calendar : {true, false}) {
        const kv::ServerContent item = kv::SyncLocal::parse(calendar, bytes, kToday);
        if (!item.content)
            continue;
        require(item.fingerprint == kv::SyncLocal::fingerprint(item.kind, *item.content));
        const QByteArray again = kv::SyncLocal::serialize(item.kind, *item.content, item.uid);
        const kv::ServerContent back = kv::SyncLocal::parse(calendar, again, kToday);
        require(back.content && back.kind == item.kind && back.fingerprint == item.fingerprint);

        kv::SyncContent changed = *item.content;
        changed.event.record.message = QStringLiteral("Zmiana");
        changed.task.text = QStringLiteral("Zmiana");
        changed.card.phone = QStringLiteral("123");
        const QByteArray merged = kv::SyncLocal::serialize(item.kind, changed, item.uid, bytes);
        const kv::ServerContent read = kv::SyncLocal::parse(calendar, merged, kToday);
        require(read.content && read.kind == item.kind &&
                read.fingerprint == kv::SyncLocal::fingerprint(item.kind, changed));
    }
    return 0;
}
