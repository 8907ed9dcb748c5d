// libFuzzer target: the metafile decoders (libemf2svg for enhanced
// metafiles, libwmf for Windows metafiles) and the drawing of what they make
// through Qt SVG. Any bytes must end in a refused metafile, a metafile that
// draws as an outline, or a drawing inside the target: no crash, no hang,
// no out-of-bounds access, no runaway allocation.
//
// Seeds in corpus/metafile: logo.emf and logo.wmf are the test fixtures
// made with LibreOffice (tests/platform/fixtures/README.md);
// emf_mapping_bitblt, emf_stretchdibits and wmf_placeable are small
// metafiles holding one bitmap record, written out by hand; the other wmf_*
// files are inputs that made libwmf allocate gigabytes or spin (a palette
// count, a bitmap header size, the largest record in the header, a negative
// bitmap width) and emf_description_offset_outside one that made libemf2svg
// read past the data, before the records were checked ahead of conversion;
// emf_second_header_record_short found a fault in that check.

#include "fuzz_gui.h"
#include "platform/graphics/metafile.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qpFuzzStartGui("fuzz_metafile");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    TMetafile mf;
    if (!mf.Load(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        return 0;
    QImage page(48, 48, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter painter(&page);
    mf.Play(painter, QRectF(4, 4, 40, 40));
    return 0;
}
