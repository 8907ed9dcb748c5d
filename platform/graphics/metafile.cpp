#include "metafile.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTransform>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr int kMaxPictureSide = 32767;
constexpr qint64 kMaxDibPixels = 16 * 1024 * 1024;
constexpr double kMaxCoordinate = 1e7;
constexpr size_t kMaxSavedStates = 256;

enum EmfRecord : quint32 {
    emrEof = 14,
    emrSetWindowExtEx = 9,
    emrSetWindowOrgEx = 10,
    emrSetViewportExtEx = 11,
    emrSetViewportOrgEx = 12,
    emrSetMapMode = 17,
    emrSaveDC = 33,
    emrRestoreDC = 34,
    emrSetWorldTransform = 35,
    emrModifyWorldTransform = 36,
    emrBitBlt = 76,
    emrStretchBlt = 77,
    emrSetDIBitsToDevice = 80,
    emrStretchDIBits = 81,
};

enum WmfRecord : quint16 {
    metaEof = 0x0000,
    metaSetWindowOrg = 0x020B,
    metaSetWindowExt = 0x020C,
    metaDibBitBlt = 0x0940,
    metaDibStretchBlt = 0x0B41,
    metaSetDibToDev = 0x0D33,
    metaStretchDib = 0x0F43,
};

enum MapMode { mmText = 1, mmIsotropic = 7, mmAnisotropic = 8 };

// Little-endian values of a byte range; anything asked for outside the range
// reads as 0, so a record that lies about its layout draws nothing.
struct Span {
    const uchar *data = nullptr;
    qint64 size = 0;

    bool has(qint64 off, qint64 len) const { return off >= 0 && len >= 0 && off <= size && len <= size - off; }
    quint32 u32(qint64 off) const { return has(off, 4) ? qFromLittleEndian<quint32>(data + off) : 0; }
    qint32 i32(qint64 off) const { return qint32(u32(off)); }
    quint16 u16(qint64 off) const { return has(off, 2) ? qFromLittleEndian<quint16>(data + off) : 0; }
    qint16 i16(qint64 off) const { return qint16(u16(off)); }
    float f32(qint64 off) const
    {
        const quint32 bits = u32(off);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    Span sub(qint64 off, qint64 len) const { return has(off, len) ? Span{data + off, len} : Span{}; }
};

Span spanOf(const QByteArray &bytes) { return {reinterpret_cast<const uchar *>(bytes.constData()), bytes.size()}; }

// A device-independent bitmap, decoded; bottom-up ones count source rows
// from the bottom.
struct Dib {
    QImage image;
    bool bottomUp = false;
};

// Header, colour masks and colour table of a packed DIB, or -1.
qint64 dibInfoSize(const Span &dib)
{
    const quint32 header = dib.u32(0);
    if (header == 12) {
        const int bits = dib.u16(10);
        return 12 + (bits <= 8 ? (qint64(1) << bits) * 3 : 0);
    }
    if (header < 40 || header > 1024)
        return -1;
    const int bits = dib.u16(14);
    const quint32 compression = dib.u32(16), used = dib.u32(32);
    if (used > 65536)
        return -1;
    const qint64 masks = header == 40 ? (compression == 3 ? 12 : compression == 6 ? 16 : 0) : 0;
    const qint64 colours = used ? used : (bits <= 8 ? qint64(1) << bits : 0);
    return header + masks + colours * 4;
}

// The bitmap made into a BMP file for Qt's reader; sizes beyond what a
// picture in a report can sensibly be are refused before anything is decoded.
Dib decodeDib(const Span &info, const Span &pixels)
{
    qint64 width, height;
    const quint32 header = info.u32(0);
    if (header == 12) {
        width = info.u16(4);
        height = info.u16(6);
    } else if (header >= 40 && info.has(0, header)) {
        width = info.i32(4);
        height = info.i32(8);
    } else {
        return {};
    }
    const qint64 w = std::abs(width), h = std::abs(height);
    if (w == 0 || h == 0 || w > kMaxDibPixels / h)
        return {};
    QByteArray file;
    file.reserve(14 + info.size + pixels.size);
    const auto put32 = [&](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        file.append(reinterpret_cast<const char *>(&le), 4);
    };
    file.append("BM", 2);
    put32(quint32(14 + info.size + pixels.size));
    put32(0);
    put32(quint32(14 + info.size));
    file.append(reinterpret_cast<const char *>(info.data), info.size);
    file.append(reinterpret_cast<const char *>(pixels.data), pixels.size);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    return {reader.read(), header == 12 || height > 0};
}

bool sane(double v) { return std::isfinite(v) && std::abs(v) < kMaxCoordinate; }

// What the mapping records have set up: logical to device coordinates.
struct DcState {
    int mapMode = mmText;
    QPointF windowOrg, viewportOrg;
    QSizeF windowExt{1, 1}, viewportExt{1, 1};
    QTransform world;

    QPointF toDevice(QPointF p) const
    {
        p = world.map(p);
        const bool scaled = (mapMode == mmIsotropic || mapMode == mmAnisotropic) && windowExt.width() != 0 &&
                            windowExt.height() != 0;
        const double sx = scaled ? viewportExt.width() / windowExt.width() : 1;
        const double sy = scaled ? viewportExt.height() / windowExt.height() : 1;
        return {(p.x() - windowOrg.x()) * sx + viewportOrg.x(), (p.y() - windowOrg.y()) * sy + viewportOrg.y()};
    }
};

class Player {
public:
    explicit Player(QPainter &painter) : m_painter(painter) {}

    int drawn() const { return m_drawn; }
    void setState(const DcState &state) { m_state = state; }

    void playEmf(const Span &emf)
    {
        qint64 off = 0;
        while (emf.has(off, 8)) {
            const quint32 type = emf.u32(off), size = emf.u32(off + 4);
            if (size < 8 || !emf.has(off, size) || type == emrEof)
                return;
            emfRecord(type, emf.sub(off, size));
            off += size;
        }
    }

    void playWmf(const Span &wmf, qint64 off)
    {
        while (wmf.has(off, 6)) {
            const qint64 size = qint64(wmf.u32(off)) * 2;
            const quint16 function = wmf.u16(off + 4);
            if (size < 6 || !wmf.has(off, size) || function == metaEof)
                return;
            wmfRecord(function, wmf.sub(off, size));
            off += size;
        }
    }

private:
    // The source rectangle of the bitmap drawn onto the logical rectangle
    // spanned by the corners a and b; a flip of either axis mirrors it.
    void drawBitmap(const Dib &dib, QRectF src, QPointF a, QPointF b, bool flipSource)
    {
        if (dib.image.isNull())
            return;
        const QPointF p = m_state.toDevice(a), q = m_state.toDevice(b);
        if (!sane(p.x()) || !sane(p.y()) || !sane(q.x()) || !sane(q.y()))
            return;
        const QImage &image = dib.image;
        src = src.normalized();
        if (flipSource && dib.bottomUp)
            src.moveTop(image.height() - src.bottom());
        src = src.intersected(QRectF(image.rect()));
        const QRectF dest = QRectF(p, q).normalized();
        if (src.isEmpty() || dest.isEmpty())
            return;
        const bool mx = q.x() < p.x(), my = q.y() < p.y();
        if (mx)
            src.moveLeft(image.width() - src.right());
        if (my)
            src.moveTop(image.height() - src.bottom());
        m_painter.drawImage(dest, (mx || my) ? image.mirrored(mx, my) : image, src);
        ++m_drawn;
    }

    // A bitmap whose header and bits an EMF record locates by offset and size.
    static Dib emfDib(const Span &r, qint64 at)
    {
        const quint32 offBmi = r.u32(at), cbBmi = r.u32(at + 4), offBits = r.u32(at + 8), cbBits = r.u32(at + 12);
        if (cbBmi == 0 || !r.has(offBmi, cbBmi) || !r.has(offBits, cbBits))
            return {};
        return decodeDib(r.sub(offBmi, cbBmi), r.sub(offBits, cbBits));
    }

    // A packed bitmap (header, colours, bits) from `at` to the record's end.
    static Dib wmfDib(const Span &r, qint64 at)
    {
        const Span dib = r.sub(at, r.size - at);
        const qint64 info = dibInfoSize(dib);
        if (info < 0 || info > dib.size)
            return {};
        return decodeDib(dib.sub(0, info), dib.sub(info, dib.size - info));
    }

    static bool transformOf(const Span &r, qint64 at, QTransform &t)
    {
        double v[6];
        for (int i = 0; i < 6; ++i) {
            v[i] = r.f32(at + 4 * i);
            if (!std::isfinite(v[i]) || std::abs(v[i]) > 1e6)
                return false;
        }
        t = QTransform(v[0], v[1], v[2], v[3], v[4], v[5]);
        return t.isInvertible();
    }

    void emfRecord(quint32 type, const Span &r)
    {
        const auto point = [&](qint64 at) { return QPointF(r.i32(at), r.i32(at + 4)); };
        const auto size = [&](qint64 at) { return QSizeF(r.i32(at), r.i32(at + 4)); };
        switch (type) {
        case emrSetWindowExtEx: m_state.windowExt = size(8); break;
        case emrSetWindowOrgEx: m_state.windowOrg = point(8); break;
        case emrSetViewportExtEx: m_state.viewportExt = size(8); break;
        case emrSetViewportOrgEx: m_state.viewportOrg = point(8); break;
        case emrSetMapMode: m_state.mapMode = int(r.u32(8)); break;
        case emrSaveDC:
            if (m_saved.size() < kMaxSavedStates)
                m_saved.push_back(m_state);
            break;
        case emrRestoreDC: {
            // Negative: that many levels back; positive: that saved level.
            const qint64 n = r.i32(8), depth = qint64(m_saved.size());
            const qint64 keep = n < 0 ? depth + n : n - 1;
            if (keep >= 0 && keep < depth) {
                m_state = m_saved[size_t(keep)];
                m_saved.resize(size_t(keep));
            }
            break;
        }
        case emrSetWorldTransform: {
            QTransform t;
            if (transformOf(r, 8, t))
                m_state.world = t;
            break;
        }
        case emrModifyWorldTransform: {
            QTransform t;
            const quint32 mode = r.u32(32);
            if (mode == 1)
                m_state.world = QTransform();
            else if (transformOf(r, 8, t))
                m_state.world = mode == 2 ? t * m_state.world : mode == 3 ? m_state.world * t : mode == 4 ? t : m_state.world;
            break;
        }
        case emrBitBlt:
        case emrStretchBlt: {
            const QPointF dest = point(24);
            const QSizeF destSize = size(32);
            const QSizeF srcSize = type == emrStretchBlt ? size(100) : destSize;
            drawBitmap(emfDib(r, 84), QRectF(point(44), srcSize), dest,
                       dest + QPointF(destSize.width(), destSize.height()), false);
            break;
        }
        case emrSetDIBitsToDevice: {
            const QPointF dest = point(24);
            const QSizeF srcSize = size(40);
            drawBitmap(emfDib(r, 48), QRectF(point(32), srcSize), dest,
                       dest + QPointF(srcSize.width(), srcSize.height()), true);
            break;
        }
        case emrStretchDIBits: {
            const QPointF dest = point(24);
            const QSizeF destSize = size(72);
            drawBitmap(emfDib(r, 48), QRectF(point(32), size(40)), dest,
                       dest + QPointF(destSize.width(), destSize.height()), true);
            break;
        }
        default:
            break;
        }
    }

    void wmfRecord(quint16 function, const Span &r)
    {
        // Parameters come last first: y before x, height before width.
        const auto point = [&](qint64 at) { return QPointF(r.i16(at + 2), r.i16(at)); };
        const auto size = [&](qint64 at) { return QSizeF(r.i16(at + 2), r.i16(at)); };
        const auto rect = [](QPointF p, QSizeF s) { return std::pair(p, p + QPointF(s.width(), s.height())); };
        // A record without a bitmap is as long as its function number says.
        const bool withBitmap = r.size / 2 != (function >> 8) + 3;
        switch (function) {
        case metaSetWindowOrg: m_state.windowOrg = point(6); break;
        case metaSetWindowExt: m_state.windowExt = size(6); break;
        case metaStretchDib: {
            const auto [a, b] = rect(point(24), size(20));
            drawBitmap(wmfDib(r, 28), QRectF(point(16), size(12)), a, b, true);
            break;
        }
        case metaDibStretchBlt:
            if (withBitmap) {
                const auto [a, b] = rect(point(22), size(18));
                drawBitmap(wmfDib(r, 26), QRectF(point(14), size(10)), a, b, false);
            }
            break;
        case metaDibBitBlt:
            if (withBitmap) {
                const auto [a, b] = rect(point(18), size(14));
                drawBitmap(wmfDib(r, 22), QRectF(point(10), size(14)), a, b, false);
            }
            break;
        case metaSetDibToDev: {
            const auto [a, b] = rect(point(20), size(16));
            drawBitmap(wmfDib(r, 24), QRectF(point(12), size(16)), a, b, true);
            break;
        }
        default:
            break;
        }
    }

    QPainter &m_painter;
    DcState m_state;
    std::vector<DcState> m_saved;
    int m_drawn = 0;
};

// Where a placeable metafile's records start: its own 22-byte header, then
// the 18-byte header of the metafile proper.
constexpr qint64 kPlaceableRecords = 40;

} // namespace

bool TMetafile::Load(const QByteArray &bytes)
{
    Clear();
    const Span s = spanOf(bytes);
    QRectF frame;
    double width = 0, height = 0;
    Format format = mfNone;
    if (s.has(0, 88) && s.u32(0) == 1 && s.u32(40) == kEmfSignature && s.u32(4) >= 88) {
        // The frame is in hundredths of a millimetre; the records draw in the
        // pixels of the device the metafile was made for.
        double pxPerMmX = 96 / 25.4, pxPerMmY = 96 / 25.4;
        const qint32 devX = s.i32(72), devY = s.i32(76), mmX = s.i32(80), mmY = s.i32(84);
        if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
            pxPerMmX = double(devX) / mmX;
            pxPerMmY = double(devY) / mmY;
        }
        const double fl = s.i32(24), ft = s.i32(28), fr = s.i32(32), fb = s.i32(36);
        frame = QRectF(QPointF(fl / 100 * pxPerMmX, ft / 100 * pxPerMmY), QPointF(fr / 100 * pxPerMmX, fb / 100 * pxPerMmY));
        width = (fr - fl) * 96 / 2540;
        height = (fb - ft) * 96 / 2540;
        if (!(width >= 1 && height >= 1)) {
            // No usable frame: the bounds, in device pixels, edges included.
            const double bl = s.i32(8), bt = s.i32(12), br = s.i32(16), bb = s.i32(20);
            frame = QRectF(QPointF(bl, bt), QPointF(br + 1, bb + 1));
            width = br - bl + 1;
            height = bb - bt + 1;
        }
        format = mfEnhanced;
    } else if (s.has(0, kPlaceableRecords) && s.u32(0) == kPlaceableKey && (s.u16(22) == 1 || s.u16(22) == 2) &&
               s.u16(24) == 9) {
        const double inch = s.u16(14);
        frame = QRectF(QPointF(s.i16(6), s.i16(8)), QPointF(s.i16(10), s.i16(12))).normalized();
        if (inch > 0) {
            width = frame.width() * 96 / inch;
            height = frame.height() * 96 / inch;
        }
        format = mfPlaceable;
    }
    const long w = std::lround(width), h = std::lround(height);
    if (format == mfNone || w < 1 || h < 1 || w > kMaxPictureSide || h > kMaxPictureSide || !(frame.width() > 0) ||
        !(frame.height() > 0) || !sane(frame.left()) || !sane(frame.top()) || !sane(frame.right()) ||
        !sane(frame.bottom()))
        return false;
    m_data = bytes;
    m_format = format;
    m_size = QSize(int(w), int(h));
    m_frame = frame;
    return true;
}

int TMetafile::Play(QPainter &painter, const QRectF &target) const
{
    if (IsEmpty() || target.isEmpty())
        return 0;
    painter.save();
    painter.setClipRect(target, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    QTransform map;
    map.translate(target.x(), target.y());
    map.scale(target.width() / m_frame.width(), target.height() / m_frame.height());
    map.translate(-m_frame.x(), -m_frame.y());
    painter.setTransform(map, true);
    Player player(painter);
    const Span data = spanOf(m_data);
    if (m_format == mfEnhanced) {
        player.playEmf(data);
    } else {
        // The records draw in the units of the placeable frame until a window
        // record of their own says otherwise.
        DcState state;
        state.mapMode = mmAnisotropic;
        state.windowOrg = state.viewportOrg = m_frame.topLeft();
        state.windowExt = state.viewportExt = m_frame.size();
        player.setState(state);
        player.playWmf(data, kPlaceableRecords);
    }
    if (player.drawn() == 0) {
        QPen pen(QColor(0x80, 0x80, 0x80));
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_frame);
    }
    painter.restore();
    return player.drawn();
}
