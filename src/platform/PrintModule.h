#pragma once
// The printing module (kelvadrin-print.so): Qt's print support and the print
// system's libraries come with it at the first print, not at every start.
#include "Module.h"

namespace kv {

struct PrintModule {
    ModuleHeader header;
    // Prints the text on the system's default queue; false when nothing was printed.
    bool (*printText)(const QString &jobTitle, const QString &text, bool rich);

    static constexpr char File[] = "kelvadrin-print.so";
    static constexpr char Interface[] = "pl.kelvadrin.print";
    static constexpr int Version = 1;
    static constexpr char Missing[] = "Nie można wczytać modułu drukowania programu.";
};

} // namespace kv
