#include "picture_reader.h"

#include "picture.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace {
constexpr int kBands = 4;
}

QImage ReadPicture(const QByteArray &bytes, const std::function<void(int)> &progress)
{
    if (bytes.isEmpty())
        return QImage();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader probe(&buffer);
    const QSize size = probe.size();
    if (!progress || probe.format() != "jpeg" || !size.isValid() || !probe.supportsOption(QImageIOHandler::ClipRect)) {
        TPicture picture;
        picture.LoadFromData(bytes);
        return picture.ToImage();
    }
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    progress(0);
    QPainter painter(&picture);
    int top = 0;
    for (int band = 1; band <= kBands && top < size.height(); ++band) {
        const int bottom = size.height() * band / kBands;
        if (bottom == top)
            continue;
        buffer.seek(0);
        QImageReader reader(&buffer, "jpeg");
        reader.setClipRect(QRect(0, top, size.width(), bottom - top));
        const QImage part = reader.read();
        if (part.isNull())
            return QImage();
        painter.drawImage(0, top, part);
        top = bottom;
        progress(100 * bottom / size.height());
    }
    return picture;
}
