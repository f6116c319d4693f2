// The vCard codec, two ways from one input.
// - As a file: read never fails on bytes of any shape; each entry it gives
//   fits its cells in Windows-1250, and written again it reads back the same.
// - As the texts of one entry (fields apart by 0x1F, UTF-8): written and
//   read back it is the same entry when the program can hold it, and left
//   out (counted) when it cannot.
#include "addressbook/Vcard.h"
#include "platform/Cp1250.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

using kv::AddressFile;
using kv::AddressRecord;
using kv::Vcard;
using kv::VcardEntry;

void require(bool condition) {
    if (!condition)
        std::abort();
}

int total(const kv::RefusalCounts &counts) {
    int n = 0;
    for (const auto &[reason, count] : counts)
        n += count;
    return n;
}

// Whether the record can be kept in the address file exactly: every text in
// Windows-1250 within its cell, no NUL, line breaks only in the notes and
// only as CR LF, and not every cell empty.
bool holdable(const AddressRecord &r) {
    bool any = false;
    for (int f = 0; f < AddressFile::FieldCount; ++f) {
        const QString text = r.field(f);
        any = any || !text.isEmpty();
        if (text.contains(QChar(0)) || text.size() >= AddressFile::kWidths[size_t(f)] ||
            kv::Cp1250::decode(kv::Cp1250::encode(text)) != text)
            return false;
        const QString breaks =
            f == AddressFile::Notes ? QString(text).remove(QStringLiteral("\r\n")) : text;
        if (breaks.contains(u'\r') || breaks.contains(u'\n'))
            return false;
    }
    return any;
}

// A UID keeps its text, except that vCard has one kind of line break only.
QString uidAsRead(QString uid) {
    return uid.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

// Line breaks of any kind as CR LF, as vCard carries only one kind.
QString withCrLf(const QString &text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += QStringLiteral("\r\n");
        } else {
            out += text[i];
        }
    }
    return out;
}

void asFile(QByteArrayView bytes) {
    (void)Vcard::looksLikeVcard(bytes);
    const auto read = Vcard::read(bytes);
    const QString error = read.failure();
    if (!read) {
        require(!error.isEmpty());
        return;
    }
    for (const VcardEntry &e : read->entries) {
        require(holdable(e.record));
        require(e.entry >= 0 && e.entry <= AddressFile::kLastEntry);
    }
    if (read->entries.isEmpty())
        return; // nothing to write: no cards is no vCard file
    const auto again = Vcard::read(Vcard::write(read->entries));
    require(again && again->refused.empty() && again->valuesLeftOut == 0);
    require(again->entries.size() == read->entries.size());
    for (qsizetype i = 0; i < read->entries.size(); ++i) {
        const VcardEntry &was = read->entries[i];
        const VcardEntry &is = again->entries[i];
        require(is.record == was.record && is.entry == was.entry && is.uid == uidAsRead(was.uid));
    }
}

void asEntry(QByteArrayView bytes) {
    VcardEntry e;
    const QList<QByteArray> texts = bytes.toByteArray().split('\x1f');
    for (int f = 0; f < AddressFile::FieldCount && f < texts.size(); ++f)
        e.record.setField(f, QString::fromUtf8(texts[f]));
    e.entry = int(bytes.size() % AddressFile::kEntries);
    e.uid = texts.size() > AddressFile::FieldCount ? QString::fromUtf8(texts.last()) : QString();

    const QByteArray written = Vcard::write({e});
    require(Vcard::looksLikeVcard(written));
    const auto read = Vcard::read(written);
    require(read.ok() && read->valuesLeftOut == 0);
    AddressRecord expected = e.record;
    expected.notes = withCrLf(expected.notes);
    if (holdable(expected)) {
        require(read->entries.size() == 1 && read->refused.empty());
        const VcardEntry &got = read->entries.first();
        require(got.record == expected && got.entry == e.entry && got.uid == uidAsRead(e.uid));
    } else {
        require(read->entries.isEmpty() && total(read->refused) == 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    asFile(bytes);
    asEntry(bytes);
    return 0;
}
