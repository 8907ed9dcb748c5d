// libFuzzer target for reading a prepared-report file (.qpp): any bytes must
// end in loaded pages or a read error, never a crash, hang or unbounded
// allocation. Loaded pages are read back into objects, drawn, hit-tested and
// exported (the object layer may refuse a page with its own error); what
// loaded must save, and saving what that save loads gives the same bytes.
//
// Seeds in corpus/prepared were written by TqpEMFPages: two-pages.qpp holds
// texts (one with AutoWidth, one "URL" object), a picture, a line and a
// rich-text object on a portrait page and a text on a landscape page;
// no-version-byte.qpp is one page in the form without version byte.

#include "fuzz_gui.h"
#include "platform_printers.h"
#include "report/engine/prepared_pages.h"
#include "report/model/model_errors.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

#include <QImage>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray save(TqpEMFPages &pages)
{
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    pages.SaveToStream(out);
    return out.data();
}

QByteArray reload(const QByteArray &saved)
{
    QBuffer in;
    in.setData(saved);
    in.open(QIODevice::ReadOnly);
    TqpReport report;
    report.GetEMFPages().LoadFromStream(&in);
    return save(report.GetEMFPages());
}

// Everything the preview, printing and export do with a page.
void usePage(TqpEMFPages &pages, int index)
{
    QImage image(64, 90, QImage::Format_RGB32);
    TCanvas canvas(&image);
    pages.GetPages(index).OnScreen = true;
    pages.Draw(index, &canvas, TRect{0, 0, 64, 90});
    QString hint;
    int cursor = 0;
    pages.DoClick(index, QPoint(20, 20), hint, cursor, false);
    pages.PageToObjects(index);
    pages.GetPages(index).OnScreen = false;
    pages.Draw(index, &canvas, TRect{0, 0, 64, 90});
    pages.ExportData(index);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qpFuzzStartGui("fuzz_prepared");
    static TqpNoPrinters none;
    qpPrinterStartup(&none);
    qpInitModelGlobals();
    // A clicked link must never leave the process.
    qpOpenDocument = [](const QString &) {};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer in;
    in.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    in.open(QIODevice::ReadOnly);
    TqpReport report;
    TqpEMFPages &pages = report.GetEMFPages();
    try {
        pages.LoadFromStream(&in);
    } catch (const EReadError &) {
        if (pages.GetCount() != 0)
            abort(); // a rejected file must leave nothing half read
        return 0;
    }
    const QByteArray first = save(pages);
    if (reload(first) != first)
        abort();
    for (int i = 0; i < pages.GetCount(); ++i) {
        try {
            usePage(pages, i);
        } catch (const EqpError &) {
            // The object layer refuses a page it cannot read or write back.
        }
    }
    CurPage = nullptr;
    return 0;
}
