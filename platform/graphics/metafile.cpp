#include "metafile.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QSvgRenderer>
#include <QtEndian>
#include <cmath>
#include <cstdlib>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

namespace {

constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qint64 kEmfHeader = 88;
constexpr qint64 kPlaceableHeaders = 40; // the placeable header and the Windows metafile header after it
constexpr int kMaxPictureSide = 32767;
// The converters allocate a bitmap record's pixels as its header says, before
// looking at how many bytes follow, and write each bitmap into the SVG as a
// PNG: metafiles whose bitmaps together hold more pixels than this are not
// converted (a logo is far smaller).
constexpr qint64 kMaxBitmapPixels = 4 * 1024 * 1024;

// Little-endian header fields; the caller has checked the length.
quint32 u32(const QByteArray &b, qint64 off) { return qFromLittleEndian<quint32>(b.constData() + off); }
qint32 i32(const QByteArray &b, qint64 off) { return qint32(u32(b, off)); }
quint16 u16(const QByteArray &b, qint64 off) { return qFromLittleEndian<quint16>(b.constData() + off); }
qint16 i16(const QByteArray &b, qint64 off) { return qint16(u16(b, off)); }

bool isEnhanced(const QByteArray &b)
{
    return b.size() >= kEmfHeader && u32(b, 0) == 1 && u32(b, 40) == kEmfSignature && u32(b, 4) >= kEmfHeader;
}

bool isPlaceable(const QByteArray &b)
{
    return b.size() >= kPlaceableHeaders && u32(b, 0) == kPlaceableKey && (u16(b, 22) == 1 || u16(b, 22) == 2) &&
           u16(b, 24) == 9;
}

// The picture's size at 96 pixels per inch, from the header.
QSizeF enhancedSize(const QByteArray &b)
{
    // The frame is in hundredths of a millimetre.
    const double w = double(i32(b, 32)) - i32(b, 24), h = double(i32(b, 36)) - i32(b, 28);
    if (w > 0 && h > 0)
        return {w * 96 / 2540, h * 96 / 2540};
    // No usable frame: the bounds, in device pixels, edges included.
    return {double(i32(b, 16)) - i32(b, 8) + 1, double(i32(b, 20)) - i32(b, 12) + 1};
}

QSizeF placeableSize(const QByteArray &b)
{
    const double inch = u16(b, 14);
    if (inch <= 0)
        return {};
    return {std::abs(double(i16(b, 10)) - i16(b, 6)) * 96 / inch, std::abs(double(i16(b, 12)) - i16(b, 8)) * 96 / inch};
}

// A device-independent bitmap header at `at`, inside the record ending at
// `end`: a known header, colour depth and pixel layout, a positive width, a
// height that is positive too unless `topDown` bitmaps are allowed (libwmf
// sizes its buffers from the signed values), and a size that leaves the
// pixels still allowed (`budget`) positive.
bool bitmapAcceptable(const QByteArray &b, qint64 at, qint64 end, bool topDown, qint64 &budget)
{
    if (at < 0 || end > b.size() || at + 12 > end)
        return false;
    const quint32 header = u32(b, at);
    qint64 w, h, colours = 0;
    int bits;
    quint32 compression = 0;
    if (header == 12) {
        w = u16(b, at + 4);
        h = u16(b, at + 6);
        bits = u16(b, at + 10);
    } else if ((header == 40 || header == 52 || header == 56 || header == 108 || header == 124) && at + header <= end) {
        w = i32(b, at + 4);
        h = i32(b, at + 8);
        if (topDown)
            h = std::abs(h);
        bits = u16(b, at + 14);
        compression = u32(b, at + 16);
        colours = u32(b, at + 32); // the palette is allocated as this says, too
    } else {
        return false;
    }
    const bool knownDepth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    // Plain, run-length or bit-field pixels; no JPEG or PNG inside.
    const bool knownPixels = compression <= 3 || compression == 6;
    if (!knownDepth || !knownPixels || colours > 256 || w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide)
        return false;
    budget -= w * h;
    return budget >= 0;
}

// Every record lies inside the data, and every bitmap a record carries is
// acceptable. Metafiles that fail this still load but are not converted.
bool enhancedRecordsAcceptable(const QByteArray &b)
{
    // Where records with bitmaps keep the offset and size of each bitmap header.
    struct BitmapFields {
        int count;
        qint64 at[2];
    };
    const auto bitmapFields = [](quint32 type) -> BitmapFields {
        switch (type) {
        case 76: case 77: case 114: case 116: return {1, {84, 0}}; // BitBlt, StretchBlt, AlphaBlend, TransparentBlt
        case 78: return {2, {84, 116}};                             // MaskBlt: source and mask
        case 79: return {2, {96, 128}};                             // PlgBlt: source and mask
        case 80: case 81: return {1, {48, 0}};                      // SetDIBitsToDevice, StretchDIBits
        case 93: case 94: return {1, {16, 0}};                      // CreateMonoBrush, CreateDIBPatternBrushPt
        default: return {0, {0, 0}};
        }
    };
    qint64 budget = kMaxBitmapPixels;
    qint64 off = 0;
    while (off + 8 <= b.size()) {
        const quint32 type = u32(b, off);
        const qint64 size = u32(b, off + 4);
        if (size < 8 || size % 4 != 0 || size > b.size() - off)
            return false;
        // The header record's description and pixel format lie inside it;
        // libemf2svg reads the description up to its closing null wherever
        // its offset points, whatever its length says.
        if (type == 1) {
            // libemf2svg walks as many bytes as the header's size says.
            if (size < kEmfHeader || u32(b, off + 48) > b.size())
                return false;
            const auto inside = [&](qint64 at, qint64 length) { return at >= 88 && at <= size && length <= size - at; };
            const qint64 text = u32(b, off + 64), textLength = qint64(u32(b, off + 60)) * 2;
            if (text != 0 && !(textLength >= 2 && inside(text, textLength) && u16(b, off + text + textLength - 2) == 0))
                return false;
            if (size >= 100 && u32(b, off + 88) != 0 && !inside(u32(b, off + 92), u32(b, off + 88)))
                return false;
        }
        const BitmapFields fields = bitmapFields(type);
        for (int i = 0; i < fields.count; ++i) {
            const qint64 field = fields.at[i];
            if (field + 8 > size)
                return false;
            const qint64 at = u32(b, off + field), length = u32(b, off + field + 4);
            if (length == 0)
                continue; // a raster operation without a source bitmap
            if (at > size || length > size - at || !bitmapAcceptable(b, off + at, off + at + length, true, budget))
                return false;
        }
        if (type == 14) // the end record
            return true;
        off += size;
    }
    return false; // no end record: libemf2svg would read on
}

bool windowsRecordsAcceptable(const QByteArray &b)
{
    // The converter allocates its record buffer by the header's largest
    // record, which therefore has to fit in the data.
    const qint64 largest = qint64(u32(b, 22 + 12)) * 2;
    if (largest > b.size() - kPlaceableHeaders)
        return false;
    qint64 budget = kMaxBitmapPixels;
    qint64 off = kPlaceableHeaders;
    while (off + 6 <= b.size()) {
        const qint64 size = qint64(u32(b, off)) * 2;
        const quint16 function = u16(b, off + 4);
        if (size < 6 || size > b.size() - off || size > largest)
            return false;
        // The end record closes the records; one of another length may not
        // close them for the converter, so it is refused.
        if (function == 0)
            return size == 6;
        // A record without a bitmap is as long as its function number says.
        const bool withBitmap = size / 2 != (function >> 8) + 3;
        qint64 bitmap = -1;
        switch (function) {
        case 0x0940: bitmap = withBitmap ? 22 : -1; break; // DIBBitBlt
        case 0x0B41: bitmap = withBitmap ? 26 : -1; break; // DIBStretchBlt
        case 0x0D33: bitmap = 24; break;                   // SetDIBToDev
        case 0x0F43: bitmap = 28; break;                   // StretchDIB
        case 0x0142: bitmap = 10; break;                   // DIBCreatePatternBrush
        case 0x0922: case 0x0B23: case 0x01F9:
            return false; // device-dependent bitmaps of the oldest metafiles
        default: break;
        }
        if (bitmap >= 0 && !bitmapAcceptable(b, off + bitmap, off + size, false, budget))
            return false;
        off += size;
    }
    return true;
}

QByteArray enhancedToSvg(const QByteArray &bytes)
{
    generatorOptions options{};
    options.svgDelimiter = true;
    // The plain records only: every EMF+ picture carries them too.
    options.emfplus = false;
    char *out = nullptr;
    size_t length = 0;
    QByteArray input = bytes; // the converter takes a writable buffer
    const int ok = emf2svg(input.data(), size_t(input.size()), &out, &length, &options);
    QByteArray svg;
    if (ok && out)
        svg = QByteArray(out, qsizetype(length));
    std::free(out);
    return svg;
}

// libwmf's SVG device writes the document into a memory stream that the API
// owns; it is copied out before the API is destroyed.
QByteArray windowsToSvg(const QByteArray &bytes)
{
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    wmfAPI *api = nullptr;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api)
            wmf_api_destroy(api);
        return {};
    }
    QByteArray input = bytes;
    QByteArray svg;
    wmf_svg_t *device = WMF_SVG_GetData(api);
    device->out = wmf_stream_create(api, nullptr);
    device->flags |= WMF_SVG_INLINE_IMAGES;
    wmfD_Rect bbox{};
    unsigned int width = 0, height = 0;
    bool played = false;
    if (device->out && wmf_mem_open(api, reinterpret_cast<unsigned char *>(input.data()), long(input.size())) == wmf_E_None &&
        wmf_scan(api, 0, &bbox) == wmf_E_None && wmf_display_size(api, &width, &height, 96, 96) == wmf_E_None &&
        width > 0 && height > 0 && width <= unsigned(kMaxPictureSide) && height <= unsigned(kMaxPictureSide)) {
        device->bbox = bbox;
        device->width = width;
        device->height = height;
        played = wmf_play(api, 0, &bbox) == wmf_E_None;
    }
    if (device->out) {
        char *out = nullptr;
        unsigned long length = 0;
        wmf_stream_destroy(api, device->out, &out, &length);
        if (played && out)
            svg = QByteArray(out, qsizetype(length));
    }
    wmf_api_destroy(api);
    return svg;
}

} // namespace

bool TMetafile::LooksLikeMetafile(const QByteArray &bytes) { return isEnhanced(bytes) || isPlaceable(bytes); }

bool TMetafile::Load(const QByteArray &bytes)
{
    Clear();
    Format format = mfNone;
    QSizeF size;
    if (isEnhanced(bytes)) {
        format = mfEnhanced;
        size = enhancedSize(bytes);
    } else if (isPlaceable(bytes)) {
        format = mfPlaceable;
        size = placeableSize(bytes);
    }
    const double w = std::round(size.width()), h = std::round(size.height());
    if (format == mfNone || !(w >= 1 && h >= 1 && w <= kMaxPictureSide && h <= kMaxPictureSide))
        return false;
    m_data = bytes;
    m_format = format;
    m_size = QSize(int(w), int(h));
    const QByteArray svg = format == mfEnhanced ? (enhancedRecordsAcceptable(bytes) ? enhancedToSvg(bytes) : QByteArray())
                                                : (windowsRecordsAcceptable(bytes) ? windowsToSvg(bytes) : QByteArray());
    if (!svg.isEmpty()) {
        auto renderer = std::make_shared<QSvgRenderer>(svg);
        if (renderer->isValid())
            m_renderer = std::move(renderer);
    }
    return true;
}

bool TMetafile::Play(QPainter &painter, const QRectF &target) const
{
    if (IsEmpty() || target.isEmpty())
        return false;
    painter.save();
    painter.setClipRect(target, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    if (m_renderer) {
        m_renderer->render(&painter, target);
    } else {
        QPen pen(QColor(0x80, 0x80, 0x80));
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(target);
    }
    painter.restore();
    return m_renderer != nullptr;
}
