#include "report/model/band_view.h"

#include "report/core/conversions.h"
#include "report/core/names.h"
#include "report/core/string_table.h"
#include "report/expr/report_dataset.h"
#include "report/model/qp3_writer.h"

#include <QImage>
#include <QPainter>

namespace {

constexpr int kFirstBandName = 55077; // message of btReportTitle's name
constexpr int kTabDepth = 18;

const struct {
    const char *name;
    quint16 bit;
} kBandFlags[] = {
    {"FormNewPage", flFormNewPage},   {"PrintIfSubsetEmpty", flPrintIfSubsetEmpty},
    {"Breaked", flBreaked},           {"OnFirstPage", flOnFirstPage},
    {"OnLastPage", flOnLastPage},     {"RepeatHeader", flRepeatHeader},
    {"PrintChildIfInvisible", flPrintChildIfInvisible},
};

// A set of band types as bits.
constexpr quint32 types(std::initializer_list<int> list)
{
    quint32 set = 0;
    for (int t : list)
        set |= 1u << t;
    return set;
}
constexpr quint32 typeRange(int from, int to)
{
    quint32 set = 0;
    for (int t = from; t <= to; ++t)
        set |= 1u << t;
    return set;
}

constexpr quint32 kDataBands = types({btMasterData, btDetailData, btSubDetailData});
constexpr quint32 kStretchedBands =
    types({btReportTitle, btReportSummary, btPageHeader, btGroupHeader, btGroupFooter, btCrossHeader, btChild}) |
    typeRange(btMasterHeader, btSubDetailFooter);
constexpr quint32 kFormNewPageBands = types({btReportTitle, btReportSummary, btMasterData, btMasterFooter, btDetailData,
                                             btDetailFooter, btSubDetailData, btSubDetailFooter, btGroupHeader});
constexpr quint32 kBreakedBands = types({btReportTitle, btReportSummary, btGroupHeader, btGroupFooter, btChild}) |
                                  typeRange(btMasterHeader, btSubDetailFooter);
constexpr quint32 kRepeatHeaderBands =
    types({btMasterHeader, btDetailHeader, btSubDetailHeader, btGroupHeader, btCrossHeader});

// The designer's hatch: sparse grey dots on white, so that objects on the
// band stand out from it.
const QImage &hatchTile()
{
    static const QImage tile = [] {
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(Qt::white);
        for (int i = 0; i < 8; i += 4)
            img.setPixel(i, i, qRgb(0xC0, 0xC0, 0xC0));
        img.setPixel(6, 2, qRgb(0xC0, 0xC0, 0xC0));
        img.setPixel(2, 6, qRgb(0xC0, 0xC0, 0xC0));
        return img;
    }();
    return tile;
}

constexpr quint32 kButtonFace = 0x8000000F;
constexpr quint32 kButtonShadow = 0x80000010;
constexpr quint32 kButtonHighlight = 0x80000014;

} // namespace

const QStringList &qpBandNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (int t = 0; t < qpBandTypeCount; ++t)
            list.append(qpLoadStr(kFirstBandName + t));
        return list;
    }();
    return names;
}

TqpBandView::TqpBandView()
{
    Kind = vkBand;
    Format = 0;
    BaseName = QStringLiteral("Band");
    Flags = flOnFirstPage | flOnLastPage;
}

TqpBandBase *TqpBandView::runBand() const { return DocMode == dmPrinting ? OwnerBand : nullptr; }

bool TqpBandView::isCross() const { return qpIsCrossBand(FrameTyp); }

void TqpBandView::SetPropValue(const QString &name, const Variant &value)
{
    TqpView::SetPropValue(name, value);
    const QString n = qpUpperCase(name);
    TqpBandBase *run = runBand();
    if (n == QLatin1String("CHILDBAND")) {
        ChildBand = value.toString();
        if (run) {
            TqpBandBase *child = nullptr;
            if (CurPage)
                for (TqpView *v : CurPage->Objects())
                    if (v->Kind == vkBand && qpSameName(v->Name, ChildBand))
                        child = v->OwnerBand;
            run->SetChildBand(child);
        }
    } else if (n == QLatin1String("MASTER")) {
        Master = value.toString();
    } else if (n == QLatin1String("CONDITION")) {
        FormatStr = value.toString();
        if (run)
            run->SetGroupCondition(FormatStr);
    } else if (n == QLatin1String("DATASOURCE")) {
        FormatStr = value.toString();
        if (run)
            run->ResetDataSet(FormatStr);
    } else if (n == QLatin1String("COLUMNS")) {
        Columns = value.toInt();
    } else if (n == QLatin1String("COLUMNWIDTH")) {
        ColumnWidth = value.toInt();
    } else if (n == QLatin1String("COLUMNGAP")) {
        ColumnGap = value.toInt();
    } else if (n == QLatin1String("NEWCOLUMNAFTER")) {
        NewColumnAfter = value.toInt();
    } else if (run && n == QLatin1String("VISIBLE")) {
        run->SetVisible(Visible);
    } else if (run && (n == QLatin1String("LEFT") || n == QLatin1String("TOP") || n == QLatin1String("WIDTH") ||
                       n == QLatin1String("HEIGHT"))) {
        QRect g = run->Geometry();
        const int v = value.toInt();
        if (n == QLatin1String("LEFT"))
            g.moveLeft(v);
        else if (n == QLatin1String("TOP"))
            g.moveTop(v);
        else if (n == QLatin1String("WIDTH"))
            g.setWidth(v);
        else
            g.setHeight(v);
        run->SetGeometry(g);
    } else {
        for (const auto &f : kBandFlags)
            if (n.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) {
                Flags = value.toBool() ? (Flags | f.bit) : (Flags & ~f.bit);
                if (run && f.bit == flBreaked)
                    run->SetBreakable(value.toBool());
            }
    }
}

Variant TqpBandView::GetPropValue(const QString &name)
{
    const QString n = qpUpperCase(name);
    if (const TqpBandBase *run = runBand()) {
        const QRect g = run->Geometry();
        if (n == QLatin1String("LEFT"))
            return g.left();
        if (n == QLatin1String("TOP"))
            return g.top();
        if (n == QLatin1String("WIDTH"))
            return g.width();
        if (n == QLatin1String("HEIGHT"))
            return g.height();
        if (n == QLatin1String("VISIBLE"))
            return run->IsVisible();
    }
    Variant result = TqpView::GetPropValue(name);
    if (!result.isNull())
        return result;
    if (n == QLatin1String("CHILDBAND"))
        return ChildBand;
    if (n == QLatin1String("MASTER"))
        return Master;
    if (n == QLatin1String("CONDITION") || n == QLatin1String("DATASOURCE"))
        return FormatStr;
    if (n == QLatin1String("COLUMNS"))
        return Columns;
    if (n == QLatin1String("COLUMNWIDTH"))
        return ColumnWidth;
    if (n == QLatin1String("COLUMNGAP"))
        return ColumnGap;
    if (n == QLatin1String("NEWCOLUMNAFTER"))
        return NewColumnAfter;
    if (n == QLatin1String("EOF")) {
        // A band without a data set has nothing left to walk, so a script's
        // loop over it ends at once.
        TqpDataset *ds = runBand() ? runBand()->DataSet() : nullptr;
        return ds ? ds->Eof() : true;
    }
    for (const auto &f : kBandFlags)
        if (n.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return (Flags & f.bit) != 0;
    return result;
}

Variant TqpBandView::DoMethod(const QString &method, const Variant &a1, const Variant &a2, const Variant &a3)
{
    Variant result = TqpView::DoMethod(method, a1, a2, a3);
    TqpDataset *ds = runBand() ? runBand()->DataSet() : nullptr;
    if (!ds)
        return result;
    if (method == QLatin1String("NEXT"))
        ds->Next();
    else if (method == QLatin1String("PRIOR"))
        ds->Prior();
    else if (method == QLatin1String("FIRST"))
        ds->First();
    return result;
}

void TqpBandView::DefineProperties()
{
    TqpView::DefineProperties();
    // The band's text is its script, edited as such.
    if (TqpPropRec *memo = GetPropRec(QStringLiteral("Memo")))
        memo->PropName = QStringLiteral("OnBeforePrint");
    const int t = FrameTyp;
    const auto is = [t](quint32 set) { return t < 32 && (set >> t) & 1u; };
    const quint32 boolean = qpdt({qpdtBoolean});
    // An enumeration of the names of the other bands of those types.
    const auto bandList = [this](const QString &name, quint32 bandTypes) {
        QStringList names;
        if (DocMode == dmDesigning && qpDesignerPage)
            for (const TqpView *v : qpDesignerPage->Objects())
                if (v != this && v->Kind == vkBand && v->FrameTyp < 32 && (bandTypes >> v->FrameTyp) & 1u)
                    names.append(v->Name);
        AddEnumProperty(name, names.join(QLatin1Char(';')), {Variant::null()});
        if (names.isEmpty())
            GetPropRec(name)->Enum.clear();
    };
    if (t != btPageFooter) {
        bandList(QStringLiteral("ChildBand"), types({btChild}));
        AddProperty(QStringLiteral("PrintChildIfInvisible"), boolean);
    }
    if (is(kStretchedBands))
        AddProperty(QStringLiteral("Stretched"), boolean);
    if (is(kFormNewPageBands))
        AddProperty(QStringLiteral("FormNewPage"), boolean);
    if (is(types({btMasterData, btDetailData})))
        AddProperty(QStringLiteral("PrintIfSubsetEmpty"), boolean);
    if (is(kBreakedBands))
        AddProperty(QStringLiteral("Breaked"), boolean);
    if (is(types({btPageHeader, btPageFooter})))
        AddProperty(QStringLiteral("OnFirstPage"), boolean);
    if (t == btPageFooter)
        AddProperty(QStringLiteral("OnLastPage"), boolean);
    if (is(kRepeatHeaderBands))
        AddProperty(QStringLiteral("RepeatHeader"), boolean);
    if (t == btCrossData)
        AddProperty(QStringLiteral("DataSource"), qpdt({qpdtHasEditor}), qpEditorSlot(qpCrossDataSourceEditor));
    if (is(kDataBands)) {
        AddProperty(QStringLiteral("Columns"), qpdt({qpdtInteger}));
        AddProperty(QStringLiteral("ColumnWidth"), qpdt({qpdtSize}));
        AddProperty(QStringLiteral("ColumnGap"), qpdt({qpdtSize}));
        AddProperty(QStringLiteral("DataSource"), qpdt({qpdtHasEditor}), qpEditorSlot(qpDataSourceEditor));
    }
    if (t == btGroupHeader) {
        AddProperty(QStringLiteral("Condition"), qpdt({qpdtString}));
        bandList(QStringLiteral("Master"), kDataBands);
    }
    AddProperty(QStringLiteral("EOF"), 0);
}

int TqpBandView::titleTabLength(TCanvas &canvas)
{
    canvas.Font = qpDesignerLabelFont();
    const int width = canvas.TextWidth(qpBandNames().value(FrameTyp));
    return width >= 92 ? width + 8 : 100;
}

TRect TqpBandView::TitleRect()
{
    TCanvas *canvas = TempBitmap ? &TempBitmap->Canvas : Canvas;
    if (!ShowBandTitles || !canvas)
        return {};
    const int w = titleTabLength(*canvas);
    return isCross() ? TRect{Left - kTabDepth, Top, Left, Top + w} : TRect{Left, Top - kTabDepth, Left + w, Top};
}

TRect TqpBandView::GetClipRgn(TqpRestrictionType type)
{
    const int grow = type == rtExtended ? 10 : 0;
    return {Left - grow, Top - grow, Left + Width + 1 + grow, Top + Height + 1 + grow};
}

void TqpBandView::drawHatch()
{
    // Only the part on the device is hatched, so a strip of any size costs
    // no more than the page shown.
    const QRect area = DrawRect.toQRect();
    const QRect visible = area.intersected(QRect(0, 0, Canvas->device()->width(), Canvas->device()->height()));
    if (visible.isEmpty())
        return;
    QImage image(visible.size(), QImage::Format_RGB32);
    QPainter p(&image);
    QBrush brush(hatchTile());
    brush.setTransform(QTransform::fromTranslate(area.left() - visible.left(), area.top() - visible.top()));
    p.fillRect(image.rect(), brush);
    p.end();
    Canvas->DrawImage(visible, image);
}

void TqpBandView::drawColumns()
{
    if (Columns <= 1)
        return;
    TCanvas &cv = *Canvas;
    cv.Pen = TPen{0, 1, psDot};
    cv.Brush.Style = bsClear;
    const qint64 margin = qpDesignerPage ? qpDesignerPage->LeftMargin() : 0;
    const qint64 step = qint64(ColumnWidth) + ColumnGap;
    // Columns past the strip's end cannot show; nor can more than one when
    // they do not advance.
    for (qint64 i = 1; i <= Columns; ++i) {
        const qint64 x = margin + (i - 1) * step;
        if (x > Left + Width)
            break;
        cv.Rectangle(int(x), Top, int(std::min<qint64>(x + ColumnWidth, Left + Width + 1)), Top + Height + 1);
        if (step <= 0)
            break;
    }
    cv.Brush.Style = bsSolid;
}

void TqpBandView::drawTitle()
{
    TCanvas &cv = *Canvas;
    const bool cross = isCross();
    if (ShowBandTitles) {
        const TRect tab = TitleRect();
        cv.Brush = TBrush{kButtonFace, bsSolid};
        cv.FillRect(tab.toQRect());
        // Light on the top and left edges, shadow on the edge away from the strip.
        cv.Pen = TPen{kButtonHighlight, 1, psSolid};
        cv.MoveTo(tab.Left, tab.Bottom - 1);
        cv.LineTo(tab.Left, tab.Top);
        cv.LineTo(tab.Right, tab.Top);
        cv.Pen = TPen{kButtonShadow, 1, psSolid};
        if (cross) {
            cv.MoveTo(tab.Left, tab.Bottom - 1);
            cv.LineTo(tab.Right, tab.Bottom - 1);
        } else {
            cv.MoveTo(tab.Right - 1, tab.Top);
            cv.LineTo(tab.Right - 1, tab.Bottom);
        }
    }
    const QString title = qpBandNames().value(FrameTyp);
    cv.Font = qpDesignerLabelFont();
    cv.OpaqueBackground = false;
    if (cross) {
        const int width = cv.TextWidth(title);
        cv.Font.Orientation = 900;
        if (ShowBandTitles)
            cv.TextOut(Left - 15, Top + width + 4, title);
        else
            cv.TextOut(Left + 2, Top + 94, title);
    } else if (ShowBandTitles) {
        cv.TextOut(Left + 4, Top - 17, title);
    } else {
        cv.TextOut(Left + 4, Top + 2, title);
    }
}

void TqpBandView::Draw(TCanvas *canvas)
{
    FrameWidth = 1;
    if (qpDesignerPage) {
        if (isCross()) {
            Top = 0;
            Height = qpDesignerPage->SheetHeight();
        } else {
            Left = 0;
            Width = qpDesignerPage->SheetWidth();
        }
    }
    BeginDraw(canvas);
    CalcGaps();
    drawHatch();
    TCanvas &cv = *Canvas;
    cv.Pen = TPen{kButtonFace, 1, psSolid};
    cv.Brush.Style = bsClear;
    cv.Rectangle(Left, Top, Left + Width + 1, Top + Height + 1);
    cv.Brush.Style = bsSolid;
    drawColumns();
    drawTitle();
    RestoreCoord();
}

void TqpBandView::LoadFromStream(QIODevice &stream)
{
    TqpView::LoadFromStream(stream);
    if (qpVersion <= 23)
        return;
    ChildBand = qpReadString(stream);
    Columns = qpReadInteger(stream);
    ColumnWidth = qpReadInteger(stream);
    ColumnGap = qpReadInteger(stream);
    NewColumnAfter = qpReadInteger(stream);
    if (RecordMajor * 10 + RecordMinor > 20)
        Master = qpReadString(stream);
}

void TqpBandView::SaveToStream(QIODevice &stream)
{
    RecordMinor = 1;
    TqpView::SaveToStream(stream);
    qpWriteString(stream, ChildBand);
    qpWriteInteger(stream, Columns);
    qpWriteInteger(stream, ColumnWidth);
    qpWriteInteger(stream, ColumnGap);
    qpWriteInteger(stream, NewColumnAfter);
    qpWriteString(stream, Master);
}

namespace {

// The successor's element for each band type; none for the types it lacks.
QString qp3BandElement(int type)
{
    switch (type) {
    case btReportTitle: return QStringLiteral("TqpReportTitle");
    case btReportSummary: return QStringLiteral("TqpReportSummary");
    case btPageHeader: return QStringLiteral("TqpPageHeader");
    case btPageFooter: return QStringLiteral("TqpPageFooter");
    case btMasterHeader:
    case btDetailHeader:
    case btSubDetailHeader: return QStringLiteral("TqpHeader");
    case btMasterData: return QStringLiteral("TqpMasterData");
    case btMasterFooter:
    case btDetailFooter:
    case btSubDetailFooter: return QStringLiteral("TqpFooter");
    case btDetailData: return QStringLiteral("TqpDetailData");
    case btSubDetailData: return QStringLiteral("TqpSubDetailData");
    case btColumnHeader: return QStringLiteral("TqpColumnHeader");
    case btColumnFooter: return QStringLiteral("TqpColumnFooter");
    case btGroupHeader: return QStringLiteral("TqpGroupHeader");
    case btGroupFooter: return QStringLiteral("TqpGroupFooter");
    case btChild: return QStringLiteral("TqpChild");
    default: return QString();
    }
}

} // namespace

void TqpBandView::SaveToQP3Stream(QIODevice &stream)
{
    const int type = GetBandType();
    const QString element = qp3BandElement(type);
    if (element.isEmpty())
        return;
    qp3Begin(stream, element);
    qp3Attr(stream, "Name", Name);
    qp3Attr(stream, "Left", Left);
    qp3Attr(stream, "Top", Top);
    qp3Attr(stream, "Width", Width);
    qp3Attr(stream, "Height", Height);
    qp3Attr(stream, "Columns", Columns);
    qp3Attr(stream, "ColumnWidth", ColumnWidth);
    qp3Attr(stream, "ColumnGap", ColumnGap);
    qp3Flag(stream, "Visible", !Visible, false);
    qp3Flag(stream, "Stretched", Flags & flStretched, true);
    qp3Flag(stream, "StartNewPage", Flags & flFormNewPage, true);
    qp3Flag(stream, "PrintIfDetailEmpty", Flags & flPrintIfSubsetEmpty, true);
    qp3Flag(stream, "AllowSplit", Flags & flBreaked, true);
    qp3Flag(stream, "PrintOnFirstPage", !(Flags & flOnFirstPage), false);
    qp3Flag(stream, "PrintOnLastPage", !(Flags & flOnLastPage), false);
    qp3Flag(stream, "ReprintOnNewPage", Flags & flRepeatHeader, true);
    qp3Flag(stream, "PrintChildIfInvisible", Flags & flPrintChildIfInvisible, true);
    if (!Script.isEmpty())
        qp3Attr(stream, "OnBeforePrint", Name + QLatin1String("OnBeforePrint"));
    if (type == btMasterData || type == btDetailData || type == btSubDetailData)
        qp3Text(stream, "DataSet", FormatStr);
    else if (type == btGroupHeader)
        qp3Text(stream, "Condition", FormatStr);
}
