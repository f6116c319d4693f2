// The printing module: Qt's print support and the print system's libraries
// are loaded with it when the first print starts, not at every start.
#include "PrintModule.h"

#include <QAbstractTextDocumentLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <dlfcn.h>

namespace {
// Whether CUPS took the last job of this thread. Qt hands the finished PDF to
// cupsPrintFile() and does not look at the answer, so a queue that rejects
// jobs would look like success; the answer stays in libcups' last error
// (per thread), read here from the library Qt's print plugin has loaded.
bool cupsTookLastJob() {
    void *cups = dlopen("libcups.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!cups)
        return true; // another print system: Qt's own state is all there is
    using LastError = int (*)();
    const auto lastError = reinterpret_cast<LastError>(dlsym(cups, "cupsLastError"));
    const bool took = !lastError || lastError() < 0x0400; // successful-ok ... 0x03ff
    dlclose(cups);
    return took;
}

bool printText(const QString &jobTitle, const QString &text, bool rich) {
    // With no print system or no queue at all the answer comes at once and
    // the caller reports the failure.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty())
        return false;
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid() || printer.outputFormat() != QPrinter::NativeFormat)
        return false;
    printer.setDocName(jobTitle);
    printer.setCreator(QStringLiteral("Kelvadrin"));
    printer.setFullPage(false);
    QTextDocument document;
    if (rich)
        document.setHtml(text);
    else
        document.setPlainText(text);
    // The text runs over the printable area of as many pages as it needs, laid
    // out in the printer's own resolution (and so without page numbers).
    document.documentLayout()->setPaintDevice(&printer);
    document.setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
    document.print(&printer);
    return printer.printerState() != QPrinter::Error && cupsTookLastJob();
}

} // namespace

KV_MODULE_ENTRY kelvadrin_module() {
    static const kv::PrintModule table{{kv::PrintModule::Interface, kv::PrintModule::Version},
                                       &printText};
    return &table.header;
}
