#pragma once
// A Windows metafile (enhanced, or a placeable Windows metafile) kept as the
// bytes it came in, so that saving gives back exactly what was loaded. It is
// drawn by converting it to SVG once, when loaded (libemf2svg for enhanced
// metafiles, libwmf's SVG device for Windows metafiles), and letting Qt SVG
// draw that. A metafile whose header is sound but whose records the converter
// refuses still loads (its bytes must survive a template round trip) and
// draws as a grey outline of its frame.

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <memory>

class QPainter;
class QSvgRenderer;

class TMetafile {
public:
    enum Format { mfNone, mfEnhanced, mfPlaceable };

    // Recognises the header of either format; false, leaving the metafile
    // empty, for anything else or for a picture size outside 1..32767 pixels.
    bool Load(const QByteArray &bytes);
    void Clear() { *this = TMetafile(); }

    bool IsEmpty() const { return m_format == mfNone; }
    Format format() const { return m_format; }
    const QByteArray &Data() const { return m_data; }
    // The picture's size in pixels at 96 per inch.
    QSize Size() const { return m_size; }
    // Whether the records could be converted, that is whether Play draws the picture.
    bool CanDraw() const { return m_renderer != nullptr; }

    // Draws the picture onto `target`, clipped to it. Returns false when the
    // records could not be converted; the frame is then outlined in grey so
    // that the picture's place still shows.
    bool Play(QPainter &painter, const QRectF &target) const;

    // Whether the bytes begin like either metafile format (a cheap test for
    // telling a metafile from other picture files).
    static bool LooksLikeMetafile(const QByteArray &bytes);

private:
    QByteArray m_data;
    Format m_format = mfNone;
    QSize m_size;
    // Shared between copies: a picture copied into a prepared page draws
    // with the same converted document.
    std::shared_ptr<QSvgRenderer> m_renderer;
};
