#pragma once
// The drawing surface of the report engine: the semantics of a classic
// device context over a QPainter on any paint device (QImage for the screen
// and for measuring, QPrinter for paper, QPdfWriter for PDF).
//  - A font is given by name and pixel height; a negative height is the
//    character height, a positive one the cell height, as the engine computes.
//  - Text is placed by the top-left corner of its character cell, each
//    character advancing by its whole-pixel width plus the character extra
//    spacing, and the blanks of a justified line by their share of the
//    justification extra.
//  - Rectangles and fills exclude their right and bottom edges; a line
//    excludes its end point.
// A recording mode logs every text output, line and rectangle with its
// position, so that tests and the preview's search can see what was drawn.

#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>

class QPaintDevice;
class QPainter;

// Colours are 0x00BBGGRR; 0x80000000 + n is system colour n; this one is none.
constexpr quint32 clNone = 0x1FFFFFFF;
QColor colorFromRef(quint32 ref);

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum TBrushStyle { bsSolid, bsClear };

struct TFont {
    QString Name = QStringLiteral("Arial");
    int Height = -13;   // pixels: negative = character height, positive = cell height
    int Style = 0;      // TFontStyle bits
    quint32 Color = 0;  // black
    int Orientation = 0; // tenths of a degree; 900 runs the text upwards
    bool operator==(const TFont &) const = default;
};

struct TPen {
    quint32 Color = 0;
    int Width = 1;
    TPenStyle Style = psSolid;
    bool operator==(const TPen &) const = default;
};

struct TBrush {
    quint32 Color = 0xFFFFFF;
    TBrushStyle Style = bsSolid;
};

// The family that stands in for a font name the desktop may not have, so that
// measurements agree on every machine with the program's fonts.
QString mappedFontFamily(const QString &name);
// The family the canvas really draws a font name with: its own face or its
// stand-in when the desktop has it, else whatever the desktop falls back to.
QString drawnFontFamily(const QString &name);
// Whether a font name is drawn in its own face or its stand-in, not a fallback.
bool fontInstalled(const QString &name);

class TCanvas {
public:
    explicit TCanvas(QPaintDevice *device);
    ~TCanvas();
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    TFont Font;
    TPen Pen;
    TBrush Brush;
    bool OpaqueBackground = true; // text cells are filled with the brush colour
    int CharacterExtra = 0;       // pixels added after every character
    bool IsPrinter = false;

    QPaintDevice *device() const { return m_device; }
    // The painter over the device, for layers that lay out and draw through
    // Qt themselves (rich text); they save and restore its state.
    QPainter &Painter() { return painter(); }
    int PixelsPerInchX() const;
    int PixelsPerInchY() const;

    // Spreads `extra` pixels over the blanks of the next text output(s) until reset with 0.
    void SetTextJustification(int extra, int breakCount);

    int TextWidth(const QString &text);
    // The advance of every UTF-16 unit of the text (0 for the low half of a
    // surrogate pair); TextWidth of a run is their sum, so callers that
    // measure many prefixes of one line can add them up once.
    QList<int> CharWidths(const QString &text) { return advances(text); }
    int TextHeight(); // the cell height of the font
    int Ascent();
    // Widest line and total height of a text of several lines (no wrapping).
    QSize MultiLineExtent(const QString &text);

    void TextOut(int x, int y, const QString &text);
    // Text clipped to `clip`; `rtl` orders the characters from right to left.
    void TextRect(const QRect &clip, int x, int y, const QString &text, bool rtl = false);

    void MoveTo(int x, int y) { m_penPos = QPoint(x, y); }
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom); // pen outline, brush inside
    void FillRect(const QRect &r);                            // brush only
    void DrawImage(const QRect &target, const class QImage &image);

    // Clipping for everything drawn afterwards; an empty rectangle clears it.
    void SetClipRect(const QRect &r);

    // --- recording
    struct TextRecord {
        QString text;
        QPoint pos;
        TFont font;
        QRect clip; // empty when unclipped
        int width;
    };
    struct ShapeRecord {
        enum Kind { Line, Rect, Fill } kind;
        QRect geometry; // for a line: from topLeft to bottomRight
        TPen pen;
        quint32 brushColor;
    };
    // Recording without drawing keeps the log only: a search over what a
    // page draws needs its texts, not its pixels.
    void setRecording(bool on, bool draw = true)
    {
        m_recording = on;
        m_drawing = draw || !on;
    }
    // A text drawn by other means (a rich text's line) joins the log, in
    // the current font, with its box as the clip.
    void RecordText(const QString &text, const QRect &box)
    {
        if (m_recording)
            m_texts.append({text, box.topLeft(), Font, box, box.width()});
    }
    const QList<TextRecord> &texts() const { return m_texts; }
    const QList<ShapeRecord> &shapes() const { return m_shapes; }
    void clearRecords();

private:
    struct FontCache;
    FontCache &fontCache();
    QPainter &painter();
    void applyPen();
    void drawRun(int x, int y, const QString &text, bool rtl);
    QList<int> advances(const QString &text);

    QPaintDevice *m_device;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<FontCache> m_fontCache;
    QPoint m_penPos;
    int m_justifyExtra = 0, m_justifyCount = 0;
    bool m_recording = false;
    bool m_drawing = true;
    QList<TextRecord> m_texts;
    QList<ShapeRecord> m_shapes;
};
