// libFuzzer target: the metafile reader and player. Any bytes must end in a
// refused metafile or a playback that stays inside the data and the target:
// no crash, no hang, no out-of-bounds access, no runaway allocation.

#include "platform/graphics/metafile.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
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
