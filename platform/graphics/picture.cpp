#include "picture.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

namespace {

// Larger than any photograph a report prints; a header claiming more is
// refused before the reader allocates.
constexpr int kAllocationLimitMB = 256;
// A metafile is drawn into an image no larger than this a side.
constexpr int kMaxDrawnSide = 2048;

QImage decode(const QByteArray &bytes, const char *format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAllocationLimit(kAllocationLimitMB);
    reader.setAutoTransform(false);
    return reader.read();
}

// The raster format of a picture file by its signature; only the formats a
// member photo or a report picture comes in are read, so bytes that merely
// resemble one of Qt's other formats stay unknown.
const char *rasterFormat(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return "png";
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return "gif";
    if (bytes.startsWith("BM"))
        return "bmp";
    if (bytes.startsWith(QByteArray("\0\0\1\0", 4)))
        return "ico";
    return nullptr;
}

// Every chunk of a PNG file lies inside the data, up to its end chunk. The
// reader trusts a chunk's length and would spend minutes and gigabytes on a
// text chunk that claims more than the file holds.
bool pngChunksInside(const QByteArray &bytes)
{
    qint64 off = 8;
    while (off + 12 <= bytes.size()) {
        const qint64 length = qFromBigEndian<quint32>(bytes.constData() + off);
        if (length > bytes.size() - off - 12)
            return false;
        if (bytes.mid(off + 4, 4) == "IEND")
            return true;
        off += 12 + length;
    }
    return false;
}

TGraphicKind kindOf(const char *format)
{
    if (qstrcmp(format, "jpeg") == 0)
        return gkJPEG;
    if (qstrcmp(format, "ico") == 0)
        return gkIcon;
    return gkBitmap;
}

} // namespace

QSize TPicture::Size() const { return m_kind == gkMetafile ? m_metafile.Size() : m_image.size(); }

QImage TPicture::ToImage() const
{
    if (m_kind != gkMetafile)
        return m_image;
    if (!m_metafile.CanDraw())
        return QImage();
    // A huge frame is drawn scaled down rather than allocated at full size.
    const QSize size = m_metafile.Size();
    const QSize drawn = size.width() <= kMaxDrawnSide && size.height() <= kMaxDrawnSide
                            ? size
                            : size.scaled(kMaxDrawnSide, kMaxDrawnSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    QImage image(drawn, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    m_metafile.Play(painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    return image;
}

bool TPicture::LoadFromData(const QByteArray &bytes)
{
    Clear();
    if (TMetafile::LooksLikeMetafile(bytes))
        return LoadFromData(gkMetafile, bytes);
    const char *format = rasterFormat(bytes);
    return format && LoadFromData(kindOf(format), bytes);
}

bool TPicture::LoadFromData(TGraphicKind kind, const QByteArray &bytes)
{
    Clear();
    if (kind == gkMetafile) {
        if (!m_metafile.Load(bytes))
            return false;
    } else if (kind == gkBitmap || kind == gkIcon || kind == gkJPEG) {
        const char *format = rasterFormat(bytes);
        if (!format || (qstrcmp(format, "png") == 0 && !pngChunksInside(bytes)))
            return false;
        m_image = decode(bytes, format);
        if (m_image.isNull())
            return false;
    } else {
        return false;
    }
    m_kind = kind;
    m_data = bytes;
    return true;
}

bool TPicture::LoadFromFile(const QString &fileName)
{
    Clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return LoadFromData(file.readAll());
}

void TPicture::SetBitmap(const QImage &image)
{
    Clear();
    if (image.isNull())
        return;
    // BMP keeps no alpha channel worth trusting; what shows is the picture over white.
    QImage opaque(image.size(), QImage::Format_RGB888);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    QBuffer buffer(&m_data);
    buffer.open(QIODevice::WriteOnly);
    opaque.save(&buffer, "BMP");
    m_image = opaque;
    m_kind = gkBitmap;
}
