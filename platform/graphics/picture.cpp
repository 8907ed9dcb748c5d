#include "picture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace {

// Larger than any photograph a report prints; a header claiming more is
// refused before the reader allocates.
constexpr int kAllocationLimitMB = 256;

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

const char *readerFormat(TGraphicKind kind)
{
    switch (kind) {
    case gkBitmap: return "bmp";
    case gkIcon: return "ico";
    case gkJPEG: return "jpeg";
    default: return nullptr;
    }
}

} // namespace

QSize TPicture::Size() const { return m_kind == gkMetafile ? m_metafile.Size() : m_image.size(); }

bool TPicture::LoadFromData(TGraphicKind kind, const QByteArray &bytes)
{
    Clear();
    if (kind == gkMetafile) {
        if (!m_metafile.Load(bytes))
            return false;
    } else if (const char *format = readerFormat(kind)) {
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
    const QByteArray bytes = file.readAll();
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == QLatin1String("bmp") || ext == QLatin1String("dib"))
        return LoadFromData(gkBitmap, bytes);
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg") || ext == QLatin1String("jpe") ||
        ext == QLatin1String("jfif"))
        return LoadFromData(gkJPEG, bytes);
    if (ext == QLatin1String("ico"))
        return LoadFromData(gkIcon, bytes);
    if (ext == QLatin1String("emf") || ext == QLatin1String("wmf"))
        return LoadFromData(gkMetafile, bytes);
    const QImage other = decode(bytes, nullptr);
    if (other.isNull())
        return false;
    SetBitmap(other);
    return true;
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
