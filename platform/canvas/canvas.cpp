#include "canvas.h"

#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QRawFont>
#include <algorithm>
#include <cmath>

QColor colorFromRef(quint32 ref)
{
    if (ref == clNone)
        return Qt::transparent;
    if (ref & 0x80000000u) {
        // The classic system colours the engine names, fixed so that every
        // machine draws a page the same.
        switch (ref & 0xFF) {
        case 5: case 14: case 20: return QColor(0xFF, 0xFF, 0xFF); // window, highlight text, button highlight
        case 13: return QColor(0x00, 0x00, 0x80);                  // highlight
        case 15: case 4: return QColor(0xF0, 0xF0, 0xF0);          // button face, menu
        case 16: return QColor(0xA0, 0xA0, 0xA0);                  // button shadow
        default: return QColor(0, 0, 0);                           // window text and the rest
        }
    }
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

QString mappedFontFamily(const QString &name)
{
    static const QHash<QString, QString> map{
        {QStringLiteral("ARIAL"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("TIMES NEW ROMAN"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("COURIER NEW"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("TAHOMA"), QStringLiteral("DejaVu Sans")},
        {QStringLiteral("MS SANS SERIF"), QStringLiteral("DejaVu Sans")},
    };
    return map.value(name.trimmed().toUpper(), name);
}

namespace {

// The face a font name is drawn in, before its style and size.
QFont canvasFace(const QString &name)
{
    QFont f(mappedFontFamily(name));
    f.setKerning(false);
    f.setStyleStrategy(QFont::NoFontMerging);
    return f;
}

} // namespace

QString drawnFontFamily(const QString &name)
{
    QFont f = canvasFace(name);
    f.setPixelSize(12);
    return QRawFont::fromFont(f).familyName();
}

bool fontInstalled(const QString &name)
{
    const QString drawn = drawnFontFamily(name);
    return drawn.compare(name.trimmed(), Qt::CaseInsensitive) == 0 ||
           drawn.compare(mappedFontFamily(name), Qt::CaseInsensitive) == 0;
}

// The font in use, with the whole-pixel advances of the characters met so far.
struct TCanvas::FontCache {
    TFont key;
    bool valid = false;
    QFont font;
    QRawFont raw;
    int ascent = 0, descent = 0;
    QHash<char32_t, int> advance;
};

TCanvas::TCanvas(QPaintDevice *device) : m_device(device), m_fontCache(std::make_unique<FontCache>()) {}

TCanvas::~TCanvas()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

int TCanvas::PixelsPerInchX() const { return m_device->logicalDpiX(); }
int TCanvas::PixelsPerInchY() const { return m_device->logicalDpiY(); }

QPainter &TCanvas::painter()
{
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(m_device);
        m_painter->setRenderHint(QPainter::TextAntialiasing);
    }
    return *m_painter;
}

TCanvas::FontCache &TCanvas::fontCache()
{
    FontCache &c = *m_fontCache;
    if (c.valid && c.key == Font)
        return c;
    c = FontCache();
    c.key = Font;
    QFont f = canvasFace(Font.Name);
    f.setBold(Font.Style & fsBold);
    f.setItalic(Font.Style & fsItalic);
    f.setUnderline(Font.Style & fsUnderline);
    f.setStrikeOut(Font.Style & fsStrikeOut);
    int pixels;
    if (Font.Height < 0) {
        pixels = -Font.Height;
    } else if (Font.Height > 0) {
        // A cell height: find the character height whose cell it is.
        f.setPixelSize(1000);
        const QRawFont probe = QRawFont::fromFont(f);
        const qreal cell = probe.ascent() + probe.descent();
        pixels = cell > 0 ? int(std::lround(Font.Height * 1000.0 / cell)) : Font.Height;
    } else {
        pixels = 12; // no height asks for the default size
    }
    f.setPixelSize(std::clamp(pixels, 1, 4000)); // beyond this no device shows more
    c.font = f;
    c.raw = QRawFont::fromFont(f);
    c.ascent = std::max(1, int(std::lround(c.raw.ascent())));
    c.descent = int(std::lround(c.raw.descent()));
    c.valid = true;
    return c;
}

QList<int> TCanvas::advances(const QString &text)
{
    FontCache &c = fontCache();
    QList<int> result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t code = text.at(i).unicode();
        qsizetype len = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            len = 2;
        }
        auto it = c.advance.find(code);
        if (it == c.advance.end()) {
            const QList<quint32> glyphs = c.raw.glyphIndexesForString(text.mid(i, len));
            const QList<QPointF> adv = glyphs.isEmpty() ? QList<QPointF>() : c.raw.advancesForGlyphIndexes(glyphs);
            it = c.advance.insert(code, adv.isEmpty() ? 0 : int(std::lround(adv.first().x())));
        }
        result.append(*it + CharacterExtra);
        if (len == 2) {
            result.append(0);
            ++i;
        }
    }
    // The blanks of a justified line share the extra, the first ones taking the remainder.
    if (m_justifyCount > 0 && m_justifyExtra != 0) {
        int blank = 0;
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text.at(i) == QLatin1Char(' ') || text.at(i).unicode() == 160) {
                if (blank >= m_justifyCount)
                    break;
                result[i] += m_justifyExtra / m_justifyCount + (blank < m_justifyExtra % m_justifyCount ? 1 : 0);
                ++blank;
            }
    }
    return result;
}

void TCanvas::SetTextJustification(int extra, int breakCount)
{
    m_justifyExtra = breakCount > 0 ? extra : 0;
    m_justifyCount = std::max(breakCount, 0);
}

int TCanvas::TextWidth(const QString &text)
{
    int w = 0;
    for (int a : advances(text))
        w += a;
    return w;
}

int TCanvas::TextHeight()
{
    const FontCache &c = fontCache();
    return c.ascent + c.descent;
}

int TCanvas::Ascent() { return fontCache().ascent; }

QSize TCanvas::MultiLineExtent(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char('\r'));
    const QStringList lines = t.split(QLatin1Char('\n'));
    int w = 0;
    for (const QString &line : lines)
        w = std::max(w, TextWidth(line));
    return QSize(w, int(lines.size()) * TextHeight());
}

void TCanvas::TextOut(int x, int y, const QString &text) { TextRect(QRect(), x, y, text); }

void TCanvas::TextRect(const QRect &clip, int x, int y, const QString &text, bool rtl)
{
    if (m_recording)
        m_texts.append({text, QPoint(x, y), Font, clip, TextWidth(text)});
    if (!m_drawing)
        return;
    QPainter &p = painter();
    p.save();
    // Within the clip already in force, whoever set it: a layer repainted
    // only where it changed clips to that area, and text drawn again over
    // its own untouched pixels would thicken.
    if (!clip.isEmpty())
        p.setClipRect(clip, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    drawRun(x, y, text, rtl);
    p.restore();
}

void TCanvas::drawRun(int x, int y, const QString &text, bool rtl)
{
    FontCache &c = fontCache();
    const QList<int> adv = advances(text);
    int total = 0;
    for (int a : adv)
        total += a;
    QPainter &p = painter();
    p.translate(x, y);
    if (Font.Orientation != 0)
        p.rotate(-Font.Orientation / 10.0);
    if (OpaqueBackground && Brush.Style == bsSolid)
        p.fillRect(QRect(0, 0, total, c.ascent + c.descent), colorFromRef(Brush.Color));

    const QList<quint32> glyphs = c.raw.glyphIndexesForString(text);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    // Glyphs and characters pair up one to one but for surrogate pairs.
    int pen = 0;
    qsizetype g = 0;
    for (qsizetype i = 0; i < adv.size() && g < glyphs.size(); ++i) {
        if (i > 0 && text.at(i).isLowSurrogate())
            continue;
        const int left = rtl ? total - pen - adv[i] : pen;
        positions.append(QPointF(left, c.ascent));
        pen += adv[i];
        ++g;
    }
    // Nothing to draw; Qt's underline of an empty glyph run reads before its
    // positions and crashes (an underlined text with an empty line).
    if (positions.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(c.raw);
    run.setGlyphIndexes(glyphs.mid(0, positions.size()));
    run.setPositions(positions);
    run.setUnderline(Font.Style & fsUnderline);
    run.setStrikeOut(Font.Style & fsStrikeOut);
    p.setPen(colorFromRef(Font.Color));
    p.drawGlyphRun(QPointF(0, 0), run);
}

void TCanvas::applyPen()
{
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                          Qt::DashDotDotLine, Qt::NoPen};
    QPen pen(colorFromRef(Pen.Color), std::max(Pen.Width, 1), styles[Pen.Style], Qt::FlatCap, Qt::MiterJoin);
    painter().setPen(pen);
}

void TCanvas::LineTo(int x, int y)
{
    const QPoint from = m_penPos;
    m_penPos = QPoint(x, y);
    if (m_recording)
        m_shapes.append({ShapeRecord::Line, QRect(from, QPoint(x, y)), Pen, Brush.Color});
    if (!m_drawing || Pen.Style == psClear || from == m_penPos)
        return;
    applyPen();
    // A flat cap stops the line short of its end point.
    painter().drawLine(from, QPoint(x, y));
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    if (m_recording)
        m_shapes.append({ShapeRecord::Rect, QRect(QPoint(left, top), QPoint(right, bottom)), Pen, Brush.Color});
    if (!m_drawing || right <= left || bottom <= top)
        return;
    QPainter &p = painter();
    if (Brush.Style == bsSolid)
        p.fillRect(QRect(left, top, right - left, bottom - top), colorFromRef(Brush.Color));
    if (Pen.Style == psClear)
        return;
    applyPen();
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

void TCanvas::FillRect(const QRect &r)
{
    if (m_recording)
        m_shapes.append({ShapeRecord::Fill, r, Pen, Brush.Color});
    if (m_drawing && Brush.Style == bsSolid && r.isValid())
        painter().fillRect(r, colorFromRef(Brush.Color));
}

void TCanvas::DrawImage(const QRect &target, const QImage &image)
{
    if (m_drawing && target.isValid() && !image.isNull())
        painter().drawImage(target, image);
}

void TCanvas::SetClipRect(const QRect &r)
{
    if (r.isEmpty())
        painter().setClipping(false);
    else
        painter().setClipRect(r);
}

void TCanvas::clearRecords()
{
    m_texts.clear();
    m_shapes.clear();
}
