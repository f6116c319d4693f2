// Times the address book's whole-file operations on a book of 1000 full
// entries (every cell filled to its width): a search that runs through all
// entries without a hit, a store into an entry (load, change, atomic rewrite
// with flush) and the load of one entry. Prints rows of the figures table
// (BenchTable.h).

#include "BenchTable.h"
#include "addressbook/AddressFile.h"
#include "platform/DateText.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 30;

kv::AddressRecord fullRecord(int n) {
    using kv::AddressFile;
    kv::AddressRecord r;
    const QString tag = QString::number(n);
    for (int b = 0; b < AddressFile::FieldCount; ++b) {
        const int width = AddressFile::kWidths[size_t(b)] - 1;
        r.setField(b, (tag + QStringLiteral(" Zażółć gęślą jaźń ")).repeated(40).left(width));
    }
    return r;
}

} // namespace

int main() {
    using kv::AddressFile;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    AddressFile book(dir.path());
    book.CreateAddressFile();
    for (int n = 0; n < AddressFile::kEntries; ++n)
        book.writeEntry(n, fullRecord(n));
    if (!book.SaveAddressImage()) {
        std::fprintf(stderr, "cannot write the address book\n");
        return 1;
    }

    std::vector<double> search, store, load;
    QElapsedTimer timer;
    const QString term = kv::foldCase(QStringLiteral("brak takiego tekstu"));
    for (int i = 0; i < kRuns; ++i) {
        AddressFile::Status status{};
        timer.start();
        const int hit = book.search(AddressFile::Name, term, 0, &status);
        search.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (hit != 0 || status != AddressFile::Status::Done) {
            std::fprintf(stderr, "the search went wrong\n");
            return 1;
        }
    }
    for (int i = 0; i < kRuns; ++i) {
        const int entry = 1 + (i * 331) % AddressFile::kLastEntry;
        timer.start();
        const auto result = book.storeEntry(entry, fullRecord(i + 5000));
        store.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (result.status != AddressFile::Status::Done) {
            std::fprintf(stderr, "the store went wrong at entry %d\n", entry);
            return 1;
        }
    }
    for (int i = 0; i < kRuns; ++i) {
        timer.start();
        const bool ok = book.loadWhole() == AddressFile::Status::Done;
        const kv::AddressRecord r = book.readEntry(i * 33);
        load.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!ok || r.name.isEmpty()) {
            std::fprintf(stderr, "the load went wrong\n");
            return 1;
        }
    }
    bench::header();
    const std::string runs = std::to_string(kRuns) + " runs";
    bool met = bench::rowLimit("address search through 1000 full entries (ms, " + runs + ")",
                               bench::median(search), 5, "ms");
    met = bench::rowLimit("address store: load, change, rewrite (ms)", bench::median(store), 20,
                          "ms") &&
          met;
    met = bench::rowLimit("address load of one entry (ms)", bench::median(load), 2, "ms") && met;
    return met ? 0 : 1;
}
