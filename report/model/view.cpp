#include "report/model/view.h"

#include "data/format_settings.h"
#include "report/core/conversions.h"
#include "report/core/rounding.h"
#include "report/expr/expr_globals.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/model/qp3_writer.h"

#include <QBuffer>
#include <algorithm>
#include <cmath>

TqpView::TqpView() : Format(formatSettings().DecimalSeparator.unicode() + 0x200) {}

void TqpView::SetPropValue(const QString &name, const Variant &value)
{
    const QString n = qpUpperCase(name);
    if (n == QLatin1String("NAME"))
        Name = value.toString();
    else if (n == QLatin1String("LEFT"))
        Left = value.toInt();
    else if (n == QLatin1String("TOP"))
        Top = value.toInt();
    else if (n == QLatin1String("WIDTH"))
        Width = value.toInt();
    else if (n == QLatin1String("HEIGHT"))
        Height = value.toInt();
    else if (n == QLatin1String("FLAGS"))
        Flags = quint16(value.toInt());
    else if (n == QLatin1String("FRAMETYP"))
        FrameTyp = quint16(value.toInt());
    else if (n == QLatin1String("FRAMEWIDTH"))
        FrameWidth = float(value.toReal());
    else if (n == QLatin1String("FRAMECOLOR"))
        FrameColor = quint32(value.toInt());
    else if (n == QLatin1String("FRAMESTYLE"))
        FrameStyle = quint16(value.toInt());
    else if (n == QLatin1String("FILLCOLOR"))
        FillColor = quint32(value.toInt());
    else if (n == QLatin1String("VISIBLE"))
        Visible = value.toBool();
    else if (n == QLatin1String("MEMO") || n == QLatin1String("DATAFIELD"))
        Memo = qpTextLines(value.toString());
    else if (n == QLatin1String("GAPX"))
        GapX = value.toInt();
    else if (n == QLatin1String("GAPY"))
        GapY = value.toInt();
    else if (n == QLatin1String("STRETCHED"))
        Flags = value.toBool() ? (Flags | flStretched) : (Flags & ~flStretched);
    else if (n == QLatin1String("BANDALIGN"))
        BandAlign = quint8(value.toInt());
    else if (n == QLatin1String("TAG"))
        Tag = value.toString();
}

Variant TqpView::GetPropValue(const QString &name)
{
    const QString n = qpUpperCase(name);
    if (n == QLatin1String("NAME"))
        return Name;
    if (n == QLatin1String("LEFT"))
        return Left;
    if (n == QLatin1String("TOP"))
        return Top;
    if (n == QLatin1String("WIDTH"))
        return Width;
    if (n == QLatin1String("HEIGHT"))
        return Height;
    if (n == QLatin1String("FLAGS"))
        return int(Flags);
    if (n == QLatin1String("FRAMETYP"))
        return int(FrameTyp);
    if (n == QLatin1String("FRAMEWIDTH"))
        return double(FrameWidth);
    if (n == QLatin1String("FRAMECOLOR"))
        return int(FrameColor);
    if (n == QLatin1String("FRAMESTYLE"))
        return int(FrameStyle);
    if (n == QLatin1String("FILLCOLOR"))
        return int(FillColor);
    if (n == QLatin1String("VISIBLE"))
        return Visible;
    if (n == QLatin1String("MEMO"))
        return qpListText(Memo);
    if (n == QLatin1String("GAPX"))
        return GapX;
    if (n == QLatin1String("GAPY"))
        return GapY;
    if (n == QLatin1String("STRETCHED"))
        return (Flags & flStretched) != 0;
    if (n == QLatin1String("BANDALIGN"))
        return int(BandAlign);
    if (n == QLatin1String("DATAFIELD"))
        return Memo.isEmpty() ? QString() : Memo.first();
    if (n == QLatin1String("TAG"))
        return Tag;
    if (n == QLatin1String("MEMO.COUNT"))
        return int(Memo.size());
    return Variant::null();
}

Variant TqpView::DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3)
{
    Variant result = TqpObject::DoMethod(method, a1, a2, a3);
    if (result.isNull())
        result = LinesMethod(Memo, method, QStringLiteral("MEMO"), a1, a2, a3);
    if (method == QLatin1String("HIDE"))
        SetPropValue(QStringLiteral("Visible"), false);
    else if (method == QLatin1String("SHOW"))
        SetPropValue(QStringLiteral("Visible"), true);
    return result;
}

void TqpView::DefineProperties()
{
    AddProperty(QStringLiteral("Name"), qpdt({qpdtString, qpdtOneObject}));
    for (const char *side : {"Left", "Top", "Width", "Height"})
        AddProperty(QLatin1String(side), qpdt({qpdtSize}));
    AddProperty(QStringLiteral("Flags"), 0);
    if (Kind != vkBand && Kind != vkSubReport) {
        AddProperty(QStringLiteral("FrameTyp"), qpdt({qpdtInteger}));
        AddProperty(QStringLiteral("FrameWidth"), qpdt({qpdtFloat, qpdtSize}));
        AddProperty(QStringLiteral("FrameColor"), qpdt({qpdtColor}));
        AddEnumProperty(QStringLiteral("FrameStyle"), QStringLiteral("psSolid;psDash;psDot;psDashDot;psDashDotDot;psDouble"),
                        {0, 1, 2, 3, 4, 5});
        AddProperty(QStringLiteral("FillColor"), qpdt({qpdtColor}));
        AddProperty(QStringLiteral("Tag"), qpdt({qpdtHasEditor, qpdtOneObject}), qpEditorSlot(qpTagEditor));
        AddEnumProperty(QStringLiteral("BandAlign"), QStringLiteral("baNone;baLeft;baRight;baCenter;baWidth;baBottom;baTop;baRest"),
                        {0, 1, 2, 3, 4, 5, 6, 7});
    }
    AddProperty(QStringLiteral("Visible"), qpdt({qpdtBoolean}));
    AddProperty(QStringLiteral("Memo"), qpdt({qpdtHasEditor, qpdtOneObject}), qpEditorSlot(qpMemoEditor));
    AddProperty(QStringLiteral("Memo.Count"), 0);
    AddProperty(QStringLiteral("Restrictions"), qpdt({qpdtHasEditor}), qpEditorSlot(qpRestrEditor));
}

void TqpView::CalcGaps()
{
    m_saved = {Left, Top, Width, Height, FrameWidth, GapX, GapY};
    if (DocMode == dmDesigning) {
        ScaleX = ScaleY = 1.0;
        OffsetX = OffsetY = 0;
    }
    const Saved &s = m_saved;
    Left = qpRound(s.Left * ScaleX) + OffsetX;
    Top = qpRound(s.Top * ScaleY) + OffsetY;
    Width = qpRound(s.Width * ScaleX);
    Height = qpRound(s.Height * ScaleY);
    const double w = s.FrameWidth;
    const int a = qpRound((w * ScaleX - 1) / 2), b = qpRound(w * ScaleX / 2);
    const int c = qpRound((w * ScaleY - 1) / 2), d = qpRound(w * ScaleY / 2);
    FrameWidth = float(w * ScaleX);
    GapX = qpRound(s.GapX * ScaleX) + b;
    GapY = qpRound(s.GapY * ScaleY) + d / 2;
    m_outerRight = qpRound((double(s.Left) + s.Width) * ScaleX + OffsetX);
    m_outerBottom = qpRound((double(s.Top) + s.Height) * ScaleY + OffsetY);
    DrawRect = {Left, Top, m_outerRight, m_outerBottom};
    if (FrameTyp & qpftRight)
        DrawRect.Right -= b;
    if (FrameTyp & qpftBottom)
        DrawRect.Bottom -= d;
    if (FrameTyp & qpftLeft)
        DrawRect.Left += a;
    if (FrameTyp & qpftTop)
        DrawRect.Top += c;
    DrawRect.Right += 1;
    DrawRect.Bottom += 1;
}

void TqpView::RestoreCoord()
{
    Left = m_saved.Left;
    Top = m_saved.Top;
    Width = m_saved.Width;
    Height = m_saved.Height;
    FrameWidth = m_saved.FrameWidth;
    GapX = m_saved.GapX;
    GapY = m_saved.GapY;
}

void TqpView::ShowBackground()
{
    if (DisableDrawing)
        return;
    Canvas->OpaqueBackground = true;
    Canvas->Brush.Style = bsSolid;
    Canvas->Brush.Color = FillColor == clNone ? 0xFFFFFF : FillColor;
    if (DocMode == dmPrinting) {
        if (FillColor != clNone)
            Canvas->FillRect(TRect{Left, Top, m_outerRight, m_outerBottom}.toQRect());
    } else {
        Canvas->FillRect(DrawRect.toQRect());
    }
}

void TqpView::drawFrameLine(int x1, int y1, int x2, int y2, bool vertical)
{
    TCanvas &cv = *Canvas;
    const auto line = [&](int offset) {
        const int dx = vertical ? offset : 0, dy = vertical ? 0 : offset;
        cv.MoveTo(x1 + dx, y1 + dy);
        cv.LineTo(x2 + dx, y2 + dy);
    };
    if (cv.Pen.Style != psSolid) {
        // Patterned lines come one unit wide only: lay p of them side by side.
        cv.Brush.Color = FillColor;
        const int p = cv.Pen.Width;
        cv.Pen.Width = 1;
        for (int off = -(p / 2); off <= p - 1 - p / 2; ++off)
            line(off);
        cv.Pen.Width = p;
    } else if (FrameStyle != psDouble) {
        line(0);
    } else {
        const int fw = qpRound(FrameWidth);
        cv.Pen.Color = FrameColor;
        line(-fw);
        cv.Pen.Color = FillColor;
        line(0);
        cv.Pen.Color = FrameColor;
        line(fw);
    }
}

void TqpView::ShowFrame()
{
    if (DisableDrawing || (DocMode == dmPrinting && !(FrameTyp & 0x0F)))
        return;
    TCanvas &cv = *Canvas;
    cv.Brush.Style = bsSolid;
    cv.Pen.Style = psSolid;
    if (DocMode == dmDesigning && Width > 0 && Height > 0) {
        const int L = Left, T = Top, R = Left + Width, B = Top + Height;
        cv.Pen = TPen{0, 1, psSolid};
        const int marks[8][4] = {{L, T + 3, L, T}, {L, T, L + 4, T}, {L, B - 3, L, B}, {L, B, L + 4, B},
                                 {R - 3, T, R, T}, {R, T, R, T + 4}, {R - 3, B, R, B}, {R, B, R, B - 4}};
        for (const auto &m : marks) {
            cv.MoveTo(m[0], m[1]);
            cv.LineTo(m[2], m[3]);
        }
    }
    cv.Pen.Color = FrameColor;
    cv.Pen.Width = qpRound(FrameWidth);
    // Styles beyond the known ones draw solid.
    cv.Pen.Style = FrameStyle < psDouble ? TPenStyle(FrameStyle) : psSolid;
    const int R = m_outerRight, B = m_outerBottom;
    if (FrameTyp & qpftRight)
        drawFrameLine(R, Top, R, B, true);
    if (FrameTyp & qpftLeft)
        drawFrameLine(Left, Top, Left, B, true);
    if (FrameTyp & qpftBottom)
        drawFrameLine(Left, B, R, B, false);
    if (FrameTyp & qpftTop)
        drawFrameLine(Left, Top, R, Top, false);
}

void TqpView::RunScript()
{
    if (!Script.isEmpty() && qpInterpretator)
        qpInterpretator->DoScript(Script);
}

void TqpView::WriteEntry(QIODevice &stream)
{
    qpWriteByte(stream, Kind);
    if (Kind == vkAddIn)
        qpWriteString(stream, ClassName());
    SaveToStream(stream);
}

void TqpView::StreamOut(QIODevice &stream)
{
    BeginDraw(Canvas);
    ExpandedMemo = Memo;
    if (CurReport)
        CurReport->InternalOnEnterRect(ExpandedMemo, this);
    RunScript();
    if (!Visible)
        return;
    const QString savedTag = Tag;
    if (Tag.contains(QLatin1Char('[')))
        ExpandVariables(Tag);
    if (CurBand) {
        if (BandAlign == baBottom)
            Top = CurBand->BandTop() + CurBand->CalculatedHeight() - Height;
        else if (BandAlign == baTop)
            Top = CurBand->BandTop();
        else if (BandAlign == baWidth && qpIsCrossBand(CurBand->BandType()))
            Width = CurBand->BandWidth();
    }
    WriteEntry(stream);
    Tag = savedTag;
}

void TqpView::ExportData()
{
    if (CurReport)
        CurReport->InternalOnExportData(this);
}

TFont qpDesignerLabelFont() { return TFont{QStringLiteral("Arial"), -qpRound(8 * 96.0 / 72.0), 0, 0, 0}; }

qint32 qpFrameWidthCode(float width)
{
    if (width <= 10 && width == std::trunc(width))
        return qint32(width);
    // A width read from a code near the limit comes back a little larger
    // (the width is a float); the code must still fit, or the template could
    // never be saved again.
    return qpRound(std::clamp(double(width) * 1000, double(INT32_MIN), double(INT32_MAX)));
}

float qpFrameWidthFromCode(qint32 code) { return code <= 10 ? float(code) : float(code / 1000.0); }

void TqpView::LoadFromStream(QIODevice &stream)
{
    const bool tmpl = SaveMode == smQPF;
    if (qpVersion > 23 || (qpVersion == 23 && tmpl))
        Name = qpReadVersionString(stream);
    else
        CreateUniqueName();
    if (qpVersion > 23) {
        RecordMajor = qpReadByte(stream);
        RecordMinor = qpReadByte(stream);
    }
    Left = qpReadInteger(stream);
    Top = qpReadInteger(stream);
    Width = qpReadInteger(stream);
    Height = qpReadInteger(stream);
    Flags = qpReadWord(stream);
    FrameTyp = qpReadWord(stream);
    FrameWidth = qpFrameWidthFromCode(qpReadInteger(stream));
    FrameColor = quint32(qpReadInteger(stream));
    FrameStyle = qpReadWord(stream);
    FillColor = quint32(qpReadInteger(stream));
    if (tmpl) {
        Format = quint32(qpReadInteger(stream));
        FormatStr = qpReadVersionString(stream);
    }
    qpReadVersionMemo(stream, Memo);
    if (qpVersion >= 23 && tmpl) {
        qpReadVersionMemo(stream, Script);
        Visible = qpReadWord(stream) != 0;
    }
    if (qpVersion > 23) {
        Restrictions = quint8(qpReadWord(stream) & 0xFF);
        Tag = qpReadString(stream);
        GapX = qpReadInteger(stream);
        GapY = qpReadInteger(stream);
    }
    if (RecordMajor > 1)
        BandAlign = qpReadByte(stream);
}

void TqpView::SaveToStream(QIODevice &stream)
{
    const bool tmpl = SaveMode == smQPF;
    RecordMajor = 2;
    qpWriteString(stream, Name);
    qpWriteByte(stream, RecordMajor);
    qpWriteByte(stream, RecordMinor);
    qpWriteInteger(stream, Left);
    qpWriteInteger(stream, Top);
    qpWriteInteger(stream, Width);
    qpWriteInteger(stream, Height);
    qpWriteWord(stream, Flags);
    qpWriteWord(stream, FrameTyp);
    qpWriteInteger(stream, qpFrameWidthCode(FrameWidth));
    qpWriteInteger(stream, qint32(FrameColor));
    qpWriteWord(stream, FrameStyle);
    qpWriteInteger(stream, qint32(FillColor));
    if (tmpl) {
        qpWriteInteger(stream, qint32(Format));
        qpWriteString(stream, FormatStr);
    }
    qpWriteMemo(stream, tmpl ? Memo : ExpandedMemo);
    if (tmpl) {
        qpWriteMemo(stream, Script);
        qpWriteWord(stream, Visible ? 0xFFFF : 0);
    }
    qpWriteWord(stream, Restrictions);
    qpWriteString(stream, Tag);
    qpWriteInteger(stream, GapX);
    qpWriteInteger(stream, GapY);
    qpWriteByte(stream, BandAlign);
}

TRect TqpView::GetClipRgn(TqpRestrictionType type)
{
    const double w = FrameWidth;
    const bool dbl = FrameStyle == psDouble;
    const int a = qpRound(dbl ? w * 1.5 : w / 2);
    const int b = qpRound(dbl ? w + (w - 1) / 2 : (w - 1) / 2);
    TRect r{Left - ((FrameTyp & qpftLeft) ? a : 0), Top - ((FrameTyp & qpftTop) ? a : 0),
            Left + Width + ((FrameTyp & qpftRight) ? b + 1 : 1), Top + Height + ((FrameTyp & qpftBottom) ? b + 1 : 1)};
    if (type == rtExtended)
        r = {r.Left - 10, r.Top - 10, r.Right + 10, r.Bottom + 10};
    return r;
}

void TqpView::Assign(TqpView *source)
{
    Name = source->Name;
    Kind = source->Kind;
    Selected = source->Selected;
    const int version = qpVersion;
    qpVersion = 25;
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    source->SaveMode = smQPF;
    SaveMode = smQPF;
    source->SaveToStream(buffer);
    buffer.seek(0);
    LoadFromStream(buffer);
    // A copy made in the middle of reading an older stream must not change
    // how the rest of that stream is read.
    qpVersion = version;
}

TqpView *TqpView::ParentBand() const
{
    TqpView *found = nullptr;
    if (!qpDesignerPage)
        return nullptr;
    for (TqpView *v : qpDesignerPage->Objects())
        if (v->Kind == vkBand && Left >= v->Left && Left <= v->Left + v->Width && Top >= v->Top &&
            Top <= v->Top + v->Height)
            found = v;
    return found;
}

TqpView *TqpView::alignNeighbour(TqpPageBase *page, quint8 align, bool leftSide) const
{
    const bool printing = DocMode == dmPrinting && CurBand;
    TqpView *best = nullptr;
    for (TqpView *v : page->Objects()) {
        if (v == this || v->Kind == vkBand || v->BandAlign != align)
            continue;
        // While printing this object stands shifted by its band's top; the
        // other objects of the band still hold their designed tops.
        const int top = printing && v->OwnerBand ? Top - CurBand->BandTop() : Top;
        if (v->Top != top)
            continue;
        if (leftSide ? (v->Left < Left && (!best || v->Left > best->Left))
                     : (v->Left > Left && (!best || v->Left < best->Left)))
            best = v;
    }
    return best;
}

void TqpView::applyBandAlign(TqpPageBase *page)
{
    const int LM = page->LeftMargin(), RM = page->RightMargin();
    const bool designing = DocMode == dmDesigning;
    switch (BandAlign) {
    case baLeft: {
        const TqpView *n = alignNeighbour(page, baLeft, true);
        Left = n ? n->Left + n->Width : LM;
        break;
    }
    case baRight: {
        const TqpView *n = alignNeighbour(page, baRight, false);
        Left = n ? n->Left - Width - 1 : RM - Width;
        break;
    }
    case baCenter:
        Left = LM + (RM - LM - Width) / 2;
        break;
    case baWidth:
        if (designing) {
            const TqpView *band = ParentBand();
            if (band && qpIsCrossBand(band->FrameTyp)) {
                Left = band->Left;
                Width = band->Width;
            } else {
                Left = LM;
                Width = RM - LM;
            }
        } else if (!CurBand) {
            Left = LM;
            Width = RM - LM - 1;
        }
        break;
    case baBottom:
        if (designing)
            if (const TqpView *band = ParentBand())
                Top = band->Top + band->Height - Height;
        break;
    case baTop:
        if (designing)
            if (const TqpView *band = ParentBand())
                Top = band->Top;
        break;
    case baRest: {
        const TqpView *l = alignNeighbour(page, baLeft, true);
        const TqpView *r = alignNeighbour(page, baRight, false);
        Left = l ? l->Left + l->Width : LM;
        Width = r ? r->Left - Left : RM - Left;
        break;
    }
    default:
        break;
    }
}

void TqpView::BeginDraw(TCanvas *canvas)
{
    Canvas = canvas;
    CurView = this;
    if (!CurPage || BandAlign == baNone)
        return;
    if (TqpPageBase *page = DocMode == dmPrinting ? CurPage : qpDesignerPage)
        applyBandAlign(page);
}

void TqpView::ExpandVariables(QString &text)
{
    ExpandBracketed(text, [](int, int, const QString &value) { return value; });
}

void TqpView::ExpandBracketed(QString &text,
                              const std::function<QString(int open, int close, const QString &value)> &place)
{
    if (!CurReport)
        return;
    int p = 1;
    for (;;) {
        while (p < text.size() && text.at(p - 1) != QLatin1Char('['))
            ++p;
        int q = p;
        const QString inner = GetBrackedVariable(text, p, q);
        if (q == p)
            return;
        QString value;
        CurReport->InternalOnGetValue(inner, value);
        const QString placed = place(p, q, value);
        text.replace(p - 1, q - p + 1, placed);
        p += int(placed.size());
    }
}

void TqpView::CreateUniqueName()
{
    Name.clear();
    for (int i = 1; i <= 10000; ++i) {
        const QString candidate = BaseName + QString::number(i);
        if (!CurReport || !CurReport->FindObject(candidate)) {
            SetPropValue(QStringLiteral("Name"), candidate);
            return;
        }
    }
}

void TqpView::SetBounds(int left, int top, int width, int height)
{
    Left = left;
    Top = top;
    Width = width;
    Height = height;
}

Variant TqpStretcheable::DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3)
{
    Variant result = TqpView::DoMethod(method, a1, a2, a3);
    if (method == QLatin1String("CALCHEIGHT"))
        result = CalcHeight();
    return result;
}

void TqpView::SaveToQP3Stream(QIODevice &stream)
{
    qp3Begin(stream, ClassName());
    qp3Attr(stream, "Name", Name);
    qp3Attr(stream, "Left", Left);
    qp3Attr(stream, "Top", Top);
    qp3Attr(stream, "Width", Width);
    qp3Attr(stream, "Height", Height);
    qp3Attr(stream, "Color", qint32(FillColor));
    qp3Flag(stream, "Visible", !Visible, false);
    const int frame = ((FrameTyp & qpftLeft) ? 1 : 0) + ((FrameTyp & qpftRight) ? 2 : 0) +
                      ((FrameTyp & qpftTop) ? 4 : 0) + ((FrameTyp & qpftBottom) ? 8 : 0);
    qp3Attr(stream, "Frame.Typ", frame);
    qp3Real(stream, "Frame.Width", FrameWidth);
    qp3Attr(stream, "Frame.Color", qint32(FrameColor));
    qp3Attr(stream, "Frame.Style", FrameStyle);
    qp3Attr(stream, "GapX", GapX);
    qp3Attr(stream, "GapY", GapY);
    qp3Text(stream, "TagStr", Tag);
    qp3Lines(stream, "Memo.text", Memo);
    // The successor aligns to the rest of the band as to its width, and has no top alignment.
    qp3Attr(stream, "Align", BandAlign == baRest ? int(baWidth) : BandAlign == baTop ? int(baNone) : int(BandAlign));
    if (!Script.isEmpty())
        for (const char *event : {"OnBeforePrint", "OnClick", "OnActivate"})
            qp3Attr(stream, event, Name + QLatin1String("OnBeforePrint"));
    const int restrictions = ((Restrictions & (rsNoText | rsNoScript | rsNoContents | rsNoModify)) ? 1 : 0) +
                             ((Restrictions & rsNoResize) ? 2 : 0) + ((Restrictions & rsNoMove) ? 4 : 0) +
                             ((Restrictions & rsNoDelete) ? 8 : 0);
    qp3Attr(stream, "Restrictions", restrictions);
}
