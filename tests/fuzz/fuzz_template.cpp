// libFuzzer target for reading a template: any bytes must end in a loaded
// template or one of the reader's error boxes, never a crash, hang or
// unbounded allocation. What loaded must save, and from the second save on
// loading and saving again must give the same bytes (apart from the time of
// the save): the first load may still convert older dictionary names.
//
// Seeds in corpus/template: v25 and v21 are a one-page template of the
// current layout and of the oldest (no version byte), written out by hand;
// every-kind.qpf was saved by TqpReport with one object of each kind, the
// rich-text object, a dialog page, dictionary entries and a password.
// dictionary-name-toggle and frame-width-code-overflow are the two inputs
// that stopped earlier runs (see the catch and the reload below).

#include "fuzz_gui.h"
#include "platform_printers.h"
#include "report/model/model_globals.h"
#include "report/model/model_errors.h"
#include "report/model/report.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The saved bytes without the time of the save (the last eight bytes).
QByteArray save(TqpReport &report)
{
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    report.SaveToStream(out);
    return out.data().chopped(8);
}

QByteArray reload(const QByteArray &saved)
{
    QBuffer in;
    in.setData(saved + QByteArray(8, '\0'));
    in.open(QIODevice::ReadOnly);
    TqpReport report;
    report.LoadFromStream(in);
    return save(report);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qpFuzzStartGui("fuzz_template");
    static TqpNoPrinters none;
    qpPrinterStartup(&none);
    qpInitModelGlobals();
    qpReportUi.ErrorBox = [](const QString &, const QString &) {};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer in;
    in.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    in.open(QIODevice::ReadOnly);
    TqpReport report;
    report.LoadFromStream(in);
    QByteArray first;
    try {
        first = save(report);
    } catch (const EqpError &) {
        // The writer refuses what the format cannot carry (text outside the
        // code page, over-long strings, a frame width beyond its code); the
        // caller gets the message, nothing is written.
        return 0;
    }
    const QByteArray second = reload(first);
    if (reload(second) != second)
        abort();
    return 0;
}
