#include "report/model/memo_view.h"

#include "report/core/conversions.h"
#include "report/core/rounding.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"
#include "report/model/qp3_writer.h"
#include "report/model/text_wrap.h"

#include <cmath>

namespace {

// Font and fill colour as they were before a highlight, put back on leaving.
class HighlightScope {
public:
    explicit HighlightScope(TqpMemoView &v) : m_view(v), m_font(v.Font), m_fill(v.FillColor) {}
    ~HighlightScope()
    {
        m_view.Font = m_font;
        m_view.FillColor = m_fill;
    }

private:
    TqpMemoView &m_view;
    TqpFont m_font;
    quint32 m_fill;
};

int countBlanks(const QString &line)
{
    int n = 0;
    for (QChar c : line)
        if (c == QLatin1Char(' ') || c.unicode() == 160)
            ++n;
    return n;
}

const struct {
    const char *name;
    quint16 bit;
} kFlagProps[] = {
    {"WORDWRAP", flWordWrap},   {"WORDBREAK", flWordBreak},   {"AUTOWIDTH", flAutoWidth},
    {"TEXTONLY", flTextOnly},   {"SUPPRESS", flSuppress},     {"HIDEZEROS", flHideZeros},
    {"UNDERLINES", flUnderlines}, {"RTLREADING", flRTLReading},
};

} // namespace

TqpMemoView::TqpMemoView()
{
    Kind = vkText;
    BaseName = QStringLiteral("Memo");
    Flags = quint16(flStretched) | flWordWrap;
    Font.Charset = qpCharset;
}

void TqpMemoView::SetPropValue(const QString &name, const Variant &value)
{
    TqpStretcheable::SetPropValue(name, value);
    const QString n = qpUpperCase(name);
    if (SetFontProp(Font, n, value))
        return;
    if (n == QLatin1String("ALIGNMENT"))
        Alignment = value.toInt();
    else if (n == QLatin1String("LINESPACING"))
        LineSpacing = value.toInt();
    else if (n == QLatin1String("CHARSPACING"))
        CharSpacing = value.toInt();
    else
        for (const auto &f : kFlagProps)
            if (n == QLatin1String(f.name))
                Flags = value.toBool() ? (Flags | f.bit) : (Flags & ~f.bit);
}

Variant TqpMemoView::GetPropValue(const QString &name)
{
    Variant result = TqpStretcheable::GetPropValue(name);
    if (!result.isNull())
        return result;
    const QString n = qpUpperCase(name);
    result = GetFontProp(Font, n);
    if (!result.isNull())
        return result;
    if (n == QLatin1String("ALIGNMENT"))
        return Alignment;
    if (n == QLatin1String("LINESPACING"))
        return LineSpacing;
    if (n == QLatin1String("CHARSPACING"))
        return CharSpacing;
    if (n == QLatin1String("LINES.COUNT"))
        return int(Memo.size());
    for (const auto &f : kFlagProps)
        if (n == QLatin1String(f.name))
            return (Flags & f.bit) != 0;
    return Variant::null();
}

Variant TqpMemoView::DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3)
{
    Variant result = TqpStretcheable::DoMethod(method, a1, a2, a3);
    if (result.isNull())
        result = LinesMethod(Memo, method, QStringLiteral("LINES"), a1, a2, a3);
    return result;
}

void TqpMemoView::DefineProperties()
{
    TqpStretcheable::DefineProperties();
    for (const char *p : {"Font.Name", "Font.Size", "Font.Style", "Font.Color"})
        AddProperty(QLatin1String(p), 0);
    AddProperty(QStringLiteral("Font"), qpdt({qpdtHasEditor}), qpEditorSlot(qpFontEditor));
    AddProperty(QStringLiteral("Alignment"), 0);
    // The display format is edited in the designer's text editor, which has
    // the format boxes.
    AddProperty(QStringLiteral("DisplayFormat"), qpdt({qpdtHasEditor}), qpEditorSlot(qpMemoEditor));
    AddProperty(QStringLiteral("Highlight"), qpdt({qpdtHasEditor}), qpEditorSlot(qpHighlightEditor));
    for (const char *p : {"LineSpacing", "CharSpacing", "GapX", "GapY"})
        AddProperty(QLatin1String(p), qpdt({qpdtInteger}));
    for (const char *p : {"Stretched", "WordWrap", "WordBreak", "AutoWidth", "TextOnly", "Suppress", "HideZeros"})
        AddProperty(QLatin1String(p), qpdt({qpdtBoolean}));
    AddProperty(QStringLiteral("Lines.Count"), 0);
    for (const char *p : {"Underlines", "RTLReading"})
        AddProperty(QLatin1String(p), qpdt({qpdtBoolean}));
}

int TqpMemoView::screenFontHeight() const { return -qpRound(Font.Size * 96.0 / 72.0); }

TFont TqpMemoView::canvasFont(int height, int orientation) const
{
    TFont f;
    f.Name = Font.Name;
    f.Height = height;
    f.Style = Font.Style;
    f.Color = Font.Color;
    f.Orientation = orientation;
    return f;
}

void TqpMemoView::AssignFont(TCanvas *canvas)
{
    canvas->OpaqueBackground = false;
    int height;
    if (IsPrinting) {
        height = -qpRound(Font.Size * double(canvas->PixelsPerInchY()) / 72.0);
    } else {
        const double h = Font.Size * 96.0 / 72.0 * ScaleY;
        height = -(ScaleY == 1.0 ? qpRound(h) : int(std::trunc(h)));
    }
    canvas->Font = canvasFont(height, 0);
}

void TqpMemoView::prepareMeasuring(bool rotated)
{
    TCanvas &mc = TempBitmap->Canvas;
    mc.Font = canvasFont(screenFontHeight(), rotated ? 900 : 0);
    mc.CharacterExtra = CharSpacing;
}

void TqpMemoView::ExpandMemoVariables()
{
    ExpandedMemo.clear();
    for (const QString &line : std::as_const(Memo)) {
        QString text = line;
        if (!text.isEmpty() && !(Flags & flTextOnly))
            ExpandVariables(text);
        // A value holding line breaks becomes several lines.
        if (text.isEmpty())
            ExpandedMemo.append(QString());
        else
            ExpandedMemo += qpTextLines(text);
    }
}

void TqpMemoView::applyHighlight()
{
    if (HighlightCondition.isEmpty())
        return;
    try {
        if (!(qpParser->CalcOPZ(HighlightCondition) == Variant(0))) {
            Font.Style = qpSetFontStyle(Highlight.FontStyle);
            Font.Color = Highlight.FontColor;
            FillColor = Highlight.FillColor;
        }
    } catch (const std::exception &) {
        // A condition that cannot be evaluated leaves the text as designed.
    }
}

void TqpMemoView::WrapMemo()
{
    const bool rotated = Alignment & qptaVertical;
    prepareMeasuring(rotated);
    TCanvas &mc = TempBitmap->Canvas;
    SMemo.clear();
    LineStep = LineSpacing - screenFontHeight();
    const int width = rotated ? Height - 2 * GapY : Width - 2 * GapX;
    if (DocMode == dmDesigning && ExpandedMemo.size() == 1 && ExpandedMemo.first().startsWith(QLatin1Char('[')) &&
        mc.TextWidth(ExpandedMemo.first()) > width) {
        // A long expression stays on one line in the designer.
        SMemo.append(ExpandedMemo.first());
    } else {
        for (const QString &line : std::as_const(ExpandedMemo)) {
            if (Preformatted)
                SMemo.append(line);
            else if (Flags & flWordWrap)
                qpWrapLine(mc, line, width, Flags & flWordBreak, SMemo);
            else
                SMemo.append(line + qpParagraphMark);
        }
    }
    const int p = (rotated ? Left + GapX : Top + GapY) + LineStep * int(SMemo.size());
    TextHeight = rotated ? p + GapX - Left : p + GapY - Top;
}

int TqpMemoView::frameBitsOfLine(qsizetype index) const
{
    const qsizetype n = ExpandedMemo.size();
    if (n == 1)
        return FrameTyp;
    if (index == 0)
        return FrameTyp & ~qpftBottom;
    if (index == n - 1)
        return FrameTyp & ~qpftTop;
    return FrameTyp & ~(qpftBottom | qpftTop);
}

void TqpMemoView::showHorizontal(const TRect &clip)
{
    int y = Top + GapY;
    const int step = qpRound(LineSpacing * ScaleY) - Canvas->Font.Height;
    const int span = DrawRect.Right - DrawRect.Left;
    LinesDrawn = 0;
    int align = Alignment & 7;
    if (DocMode == dmDesigning && ExpandedMemo.size() == 1 && ExpandedMemo.first().startsWith(QLatin1Char('[')) &&
        Canvas->TextWidth(ExpandedMemo.first()) > clip.Width())
        align = qptaRight;
    for (qsizetype i = 0; i < ExpandedMemo.size(); ++i) {
        if (Streaming && y + step > clip.Bottom) {
            y += step;
            break;
        }
        QString line = ExpandedMemo.at(i);
        bool paragraphEnd = line.isEmpty();
        if (line.endsWith(qpParagraphMark)) {
            line.chop(1);
            paragraphEnd = true;
        }
        const int tw = Canvas->TextWidth(line);
        int x = Left + GapX;
        bool justified = false;
        if (align == qptaRight) {
            x = span + Left - 1 - GapX - tw;
        } else if (align == qptaCenter) {
            x = (span - 2 * GapX - tw) / 2 + Left + GapX;
        } else if (align == qptaJustify && !Exporting && !paragraphEnd) {
            if (const int blanks = countBlanks(line)) {
                Canvas->SetTextJustification(DrawRect.Width() - 2 * GapX - tw, blanks);
                justified = true;
            }
        }
        if (!Exporting)
            Canvas->TextRect(clip.toQRect(), x, y, line, Flags & flRTLReading);
        else if (CurReport)
            CurReport->InternalOnExportText(DrawRect, x, this, frameBitsOfLine(i), line, y);
        if (justified)
            Canvas->SetTextJustification(0, 0);
        ++LinesDrawn;
        y += step;
    }
}

void TqpMemoView::showRotated()
{
    Canvas->Font.Orientation = 900;
    int x = Left + GapX;
    const int step = qpRound(LineSpacing * ScaleX) - Canvas->Font.Height;
    LinesDrawn = 0;
    for (QString line : std::as_const(ExpandedMemo)) {
        bool paragraphEnd = line.isEmpty();
        if (line.endsWith(qpParagraphMark)) {
            line.chop(1);
            paragraphEnd = true;
        }
        const int tw = Canvas->TextWidth(line);
        int y;
        bool justified = false;
        switch (Alignment & 7) {
        case 5:
            y = tw + Top + GapY;
            break;
        case 6:
            y = DrawRect.Bottom - 1 - GapY - (DrawRect.Height() - 2 * GapY - tw) / 2;
            break;
        case 7:
            y = DrawRect.Height() + Top - GapY;
            if (!Exporting && !paragraphEnd)
                if (const int blanks = countBlanks(line)) {
                    Canvas->SetTextJustification(DrawRect.Height() - 2 * GapY - tw, blanks);
                    justified = true;
                }
            break;
        default:
            y = DrawRect.Bottom - GapY;
            break;
        }
        if (!Exporting)
            Canvas->TextOut(x, y, line);
        else if (CurReport)
            CurReport->InternalOnExportText(DrawRect, x, this, 0, line, y);
        if (justified)
            Canvas->SetTextJustification(0, 0);
        ++LinesDrawn;
        x += step;
    }
}

void TqpMemoView::ShowMemo()
{
    AssignFont(Canvas);
    Canvas->CharacterExtra = qpRound(CharSpacing * ScaleX);
    const TRect clip{DrawRect.Left + 1, DrawRect.Top, DrawRect.Right - 2, DrawRect.Bottom - 1};
    TextHeight = qpRound(TextHeight * ScaleY);
    const int savedAlignment = Alignment, savedLeft = Left, savedTop = Top;
    const int vertical = Alignment & (qptaMiddle | qptaDown);
    const bool rotated = Alignment & qptaVertical;
    if (vertical) {
        Alignment &= ~(qptaMiddle | qptaDown);
        if (rotated) {
            if (vertical == qptaMiddle)
                Left += (DrawRect.Width() - TextHeight) / 2;
            else if (vertical == qptaDown)
                Left = DrawRect.Right - TextHeight;
        } else if (!Streaming) {
            if (vertical == qptaMiddle)
                Top += (DrawRect.Height() - TextHeight) / 2;
            else if (vertical == qptaDown)
                Top = DrawRect.Bottom - TextHeight - 1;
        }
    }
    if (rotated)
        showRotated();
    else
        showHorizontal(clip);
    if (vertical) {
        Alignment = savedAlignment;
        Left = savedLeft;
        Top = savedTop;
    }
}

void TqpMemoView::ShowUnderLines()
{
    if (!(Flags & flUnderlines))
        return;
    AssignFont(Canvas);
    Canvas->Pen = TPen{FrameColor, qpRound(FrameWidth), psSolid};
    const int h = qpRound(LineSpacing * ScaleY) - Canvas->Font.Height;
    if (h <= 0)
        return;
    for (int i = 0; i < Height / h; ++i) {
        const int y = Top + GapY + h * i + qpRound(2 * ScaleY) - Canvas->Font.Height;
        Canvas->MoveTo(Left, y);
        Canvas->LineTo(Left + Width - 1, y);
    }
}

int TqpMemoView::CalcWidth(const QStringList &lines)
{
    QString text = qpListText(lines);
    text.remove(qpParagraphMark);
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    TCanvas &mc = TempBitmap->Canvas;
    AssignFont(&mc);
    mc.CharacterExtra = qpRound(CharSpacing * ScaleX);
    const int measured = mc.MultiLineExtent(text).width();
    mc.CharacterExtra = 0;
    return qpRound(measured / ScaleX + FrameWidth + 2 * GapX + 1);
}

void TqpMemoView::Draw(TCanvas *canvas)
{
    const bool autoWidth = (Flags & flAutoWidth) && DocMode == dmPrinting;
    if (autoWidth && !Memo.isEmpty()) {
        const int w = CalcWidth(Memo);
        if (Alignment & qptaVertical) {
            Height = w;
        } else {
            if (Alignment & qptaRight)
                Left += Width - w;
            Width = w;
        }
    }
    BeginDraw(canvas);
    Streaming = false;
    ExpandedMemo = Memo;
    if (!ExpandedMemo.isEmpty()) {
        Preformatted = std::any_of(ExpandedMemo.cbegin(), ExpandedMemo.cend(),
                                   [](const QString &l) { return l.contains(qpParagraphMark); });
        if (ExpandedMemo.last() == QString(qpParagraphMark))
            ExpandedMemo.removeLast();
        // Wrap at the designed size; drawing scales the wrapped lines.
        const double sx = ScaleX, sy = ScaleY;
        ScaleX = ScaleY = 1.0;
        CalcGaps();
        if (autoWidth)
            Width += 100;
        WrapMemo();
        ScaleX = sx;
        ScaleY = sy;
        RestoreCoord();
        ExpandedMemo = SMemo;
    }
    CalcGaps();
    if (!Exporting) {
        ShowBackground();
        ShowFrame();
        ShowUnderLines();
    }
    if (!ExpandedMemo.isEmpty())
        ShowMemo();
    Canvas->CharacterExtra = 0;
    RestoreCoord();
}

int TqpMemoView::CalcHeight()
{
    int result = 0;
    DrawMode = drAfterCalcHeight;
    BeginDraw(&TempBitmap->Canvas);
    RunScript();
    if (!Visible)
        return 0;
    ExpandedMemo = Memo;
    if (CurReport)
        CurReport->InternalOnEnterRect(ExpandedMemo, this);
    if (ExpandedMemo == Memo)
        ExpandMemoVariables();
    HighlightScope scope(*this);
    applyHighlight();
    CalcGaps();
    if (!ExpandedMemo.isEmpty()) {
        WrapMemo();
        ExpandedMemo = SMemo;
        const QString text = qpListText(ExpandedMemo);
        const bool suppress = Flags & flSuppress;
        if (!(suppress && text == LastValue))
            result = TextHeight;
        if (suppress && CurReport && CurReport->CountingPass())
            LastValue = text;
    }
    RestoreCoord();
    return result;
}

int TqpMemoView::MinHeight()
{
    LineStep = LineSpacing - screenFontHeight();
    return qpRound(2 * FrameWidth) + 2 * GapY + LineStep;
}

int TqpMemoView::LostSpace()
{
    LineStep = LineSpacing - screenFontHeight();
    const int frame = qpRound(2 * FrameWidth);
    // A step of zero or less holds no line at all: nothing is lost to rounding.
    const int rest = LineStep > 0 ? (Height - frame - 2 * GapY) % LineStep : 0;
    return rest + 2 * GapY + frame;
}

void TqpMemoView::StreamOut(QIODevice &stream)
{
    BeginDraw(&TempBitmap->Canvas);
    Streaming = true;
    if (DrawMode == drAll)
        RunScript();
    bool expand = DrawMode != drAfterCalcHeight;
    if (DrawMode == drAll && CurReport && CurReport->HasOnBeforePrint()) {
        ExpandedMemo = Memo;
        CurReport->InternalOnEnterRect(ExpandedMemo, this);
        expand = ExpandedMemo == Memo;
    }
    if (DrawMode != drPart && expand)
        ExpandMemoVariables();
    if (!Visible) {
        DrawMode = drAll;
        return;
    }
    HighlightScope scope(*this);
    applyHighlight();
    if (DrawMode == drPart) {
        // Keep what fits into the current height; the rest waits in SMemo.
        CalcGaps();
        ShowMemo();
        SMemo = ExpandedMemo;
        ExpandedMemo.resize(std::min<qsizetype>(LinesDrawn, ExpandedMemo.size()));
        if (!qpListText(ExpandedMemo).contains(qpParagraphMark))
            ExpandedMemo.append(QString(qpParagraphMark));
        RestoreCoord();
    }
    const QString savedTag = Tag;
    const quint8 savedBandAlign = BandAlign;
    const quint32 savedFormat = Format;
    Format = 0; // tag values are never formatted
    if (Tag.contains(QLatin1Char('[')))
        ExpandVariables(Tag);
    Format = savedFormat;
    if (BandAlign == baBottom) {
        BandAlign = baNone;
    } else if (BandAlign == baTop && CurBand) {
        Top = CurBand->BandTop();
    } else if (BandAlign == baWidth && CurBand && qpIsCrossBand(CurBand->BandType())) {
        Width = CurBand->BandWidth();
        BandAlign = baNone;
    }
    const QString text = qpListText(ExpandedMemo);
    if (!((Flags & flSuppress) && text == LastValue)) {
        WriteEntry(stream);
        if (Flags & flSuppress)
            LastValue = text;
    }
    if (DrawMode == drPart)
        ExpandedMemo = SMemo.mid(LinesDrawn);
    Tag = savedTag;
    BandAlign = savedBandAlign;
    DrawMode = drAll;
}

void TqpMemoView::ExportData()
{
    TqpStretcheable::ExportData();
    Exporting = true;
    Draw(&TempBitmap->Canvas);
    Exporting = false;
}

void TqpMemoView::ShowEditor()
{
    if (qpMemoEditor)
        qpMemoEditor(this);
}

void TqpMemoView::LoadFromStream(QIODevice &stream)
{
    TqpStretcheable::LoadFromStream(stream);
    const bool tmpl = SaveMode == smQPF;
    Font.Name = qpReadVersionString(stream);
    Font.Size = qpReadInteger(stream);
    Font.Style = qpSetFontStyle(qpReadWord(stream));
    Font.Color = quint32(qpReadInteger(stream));
    Alignment = qpReadInteger(stream);
    Font.Charset = qpReadWord(stream) & 0xFF;
    if (qpVersion < 23)
        Font.Charset = qpCharset;
    if (tmpl) {
        Highlight.FontStyle = qpReadWord(stream);
        Highlight.FontColor = quint32(qpReadInteger(stream));
        Highlight.FillColor = quint32(qpReadInteger(stream));
        HighlightCondition = qpReadVersionString(stream);
    }
    if (qpVersion > 23) {
        LineSpacing = qpReadInteger(stream);
        CharSpacing = qpReadInteger(stream);
    }
    if (qpVersion == 21)
        Flags |= flWordWrap;
}

void TqpMemoView::SaveToStream(QIODevice &stream)
{
    TqpStretcheable::SaveToStream(stream);
    const bool tmpl = SaveMode == smQPF;
    qpWriteString(stream, Font.Name);
    qpWriteInteger(stream, Font.Size);
    qpWriteWord(stream, quint16(qpGetFontStyle(Font.Style)));
    qpWriteInteger(stream, qint32(Font.Color));
    qpWriteInteger(stream, Alignment);
    qpWriteWord(stream, quint16(Font.Charset & 0xFF));
    if (tmpl) {
        qpWriteWord(stream, Highlight.FontStyle);
        qpWriteInteger(stream, qint32(Highlight.FontColor));
        qpWriteInteger(stream, qint32(Highlight.FillColor));
        qpWriteString(stream, HighlightCondition);
    }
    qpWriteInteger(stream, LineSpacing);
    qpWriteInteger(stream, CharSpacing);
}

void TqpMemoView::SaveToQP3Stream(QIODevice &stream)
{
    TqpStretcheable::SaveToQP3Stream(stream);
    if (Flags & flStretched)
        qp3Attr(stream, "StretchMode", QStringLiteral("smMaxHeight"));
    qp3Flag(stream, "WordWrap", !(Flags & flWordWrap), false);
    qp3Flag(stream, "AutoWidth", Flags & flAutoWidth, true);
    qp3Flag(stream, "AllowExpressions", Flags & flTextOnly, false);
    qp3Flag(stream, "SuppressRepeated", Flags & flSuppress, true);
    qp3Flag(stream, "HideZeros", Flags & flHideZeros, true);
    qp3Flag(stream, "Underlines", Flags & flUnderlines, true);
    qp3Flag(stream, "RTLReading", Flags & flRTLReading, true);
    qp3Attr(stream, "Font.Name", Font.Name);
    qp3Attr(stream, "Font.Height", screenFontHeight());
    qp3Attr(stream, "Font.Color", qint32(Font.Color));
    qp3Attr(stream, "Font.Style", Font.Style);
    qp3Text(stream, "Highlight.Condition", HighlightCondition);
    // The successor numbers the highlight's style as every font style (bold 1, italic 2).
    qp3Attr(stream, "Highlight.Font.Style", qpSetFontStyle(Highlight.FontStyle));
    qp3Attr(stream, "Highlight.Font.Color", qint32(Highlight.FontColor));
    qp3Attr(stream, "Highlight.Color", qint32(Highlight.FillColor));
    qp3Attr(stream, "LineSpacing", LineSpacing);
    qp3Attr(stream, "CharSpacing", CharSpacing);
    qp3Attr(stream, "HAlign", Alignment & 3);
    const int vertical = Alignment & (qptaMiddle | qptaDown);
    qp3Attr(stream, "VAlign", vertical == qptaMiddle ? 1 : vertical == qptaDown ? 2 : 0);
    if (Alignment & qptaVertical)
        qp3Attr(stream, "Rotation", QStringLiteral("90"));
}
