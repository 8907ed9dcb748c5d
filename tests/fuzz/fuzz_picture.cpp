// libFuzzer target: recognising a picture by its content, as a blob field's
// bytes are recognised when a member's photo prints (JPEG, PNG, BMP, GIF,
// ICO, metafiles), and turning it into an image. Any bytes must end in an
// empty picture or a decoded one of a bounded size: no crash, no hang, no
// out-of-bounds access, no runaway allocation.
//
// Seeds in corpus/picture: one tiny file of each raster format, made with
// ImageMagick (`convert -size 3x2 xc:red photo.jpg` and so on), the
// metafile fixtures, and inputs that stopped earlier runs: wmf_palette_oom
// (libwmf allocating gigabytes), png_text_chunk_past_the_end (the PNG
// reader spending minutes on a chunk longer than the file),
// emf_tall_frame_slow_draw (a frame drawn at full size) and
// emf_header_size_past_the_data (libemf2svg reading past the data).

#include "fuzz_gui.h"
#include "platform/graphics/picture.h"

#include <QByteArray>
#include <QImage>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qpFuzzStartGui("fuzz_picture");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    TPicture picture;
    if (!picture.LoadFromData(bytes)) {
        if (!picture.IsEmpty())
            std::abort(); // a refused picture must leave nothing behind
        return 0;
    }
    // What loaded keeps its bytes as they came.
    if (picture.Data() != bytes)
        std::abort();
    const QImage image = picture.ToImage();
    if (!image.isNull() && (image.width() > picture.Size().width() || image.height() > picture.Size().height()))
        std::abort();
    return 0;
}
