#include "picture_reader.h"

#include "picture.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace {
constexpr int kBands = 4;
}

QSize FittedSize(QSize size, QSize bounds)
{
    if (!bounds.isValid() || (size.width() <= bounds.width() && size.height() <= bounds.height()))
        return size;
    return size.scaled(bounds.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage ReadPicture(const QByteArray &bytes, const std::function<void(int)> &progress, QSize bounds)
{
    if (bytes.isEmpty())
        return QImage();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader probe(&buffer);
    const QSize size = probe.size();
    const QSize scaled = size.isValid() ? FittedSize(size, bounds) : size;
    const bool scaling = scaled != size;
    if (!progress || probe.format() != "jpeg" || !size.isValid() || !probe.supportsOption(QImageIOHandler::ClipRect)) {
        // Only the formats a photo comes in are decoded straight at the box's
        // size; everything else goes through the picture class, which tells
        // the kind by content (metafiles included) and refuses the rest.
        static const QList<QByteArray> photoFormats{"jpeg", "png", "bmp", "gif", "ico"};
        if (scaling && photoFormats.contains(probe.format())) {
            buffer.seek(0);
            QImageReader reader(&buffer, probe.format());
            reader.setScaledSize(scaled);
            return reader.read();
        }
        TPicture picture;
        picture.LoadFromData(bytes);
        const QImage image = picture.ToImage();
        const QSize fitted = FittedSize(image.size(), bounds);
        return fitted == image.size() ? image : image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QImage picture(scaled, QImage::Format_RGB32);
    picture.fill(Qt::white);
    progress(0);
    QPainter painter(&picture);
    int top = 0;
    for (int band = 1; band <= kBands && top < scaled.height(); ++band) {
        const int bottom = scaled.height() * band / kBands;
        if (bottom == top)
            continue;
        buffer.seek(0);
        QImageReader reader(&buffer, "jpeg");
        const QRect rows(0, top, scaled.width(), bottom - top);
        if (scaling) {
            reader.setScaledSize(scaled);
            reader.setScaledClipRect(rows);
        } else {
            reader.setClipRect(rows);
        }
        const QImage part = reader.read();
        if (part.isNull())
            return QImage();
        painter.drawImage(0, top, part);
        top = bottom;
        progress(100 * bottom / scaled.height());
    }
    return picture;
}
