#include "report/engine/band_engine.h"

#include "report/core/exceptions.h"
#include "report/core/names.h"
#include "report/core/string_table.h"
#include "report/engine/engine_globals.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/data_access.h"
#include "report/expr/expr_globals.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/report_dataset.h"
#include "report/expr/std_functions.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace {

void runScript(const QStringList &compiled)
{
    if (!compiled.isEmpty() && qpInterpretator)
        qpInterpretator->DoScript(compiled);
}

// Bands shown while other bands are being shown: a child that names its
// parent, a script that shows its own band or asks for a new page in a page
// header would otherwise recurse until the stack runs out.
int gDrawNesting = 0;

class NestingScope {
public:
    explicit NestingScope(const TqpBand &band)
    {
        if (gDrawNesting >= qpMaxBandNesting)
            throw EqpError(qpLoadStr(qpMsgBandLoop).arg(band.DisplayName()).arg(gDrawNesting));
        ++gDrawNesting;
    }
    ~NestingScope() { --gDrawNesting; }
    NestingScope(const NestingScope &) = delete;
    NestingScope &operator=(const NestingScope &) = delete;
};

// Puts an object back where the template has it, whatever happens while it
// is written at the band's position.
class PositionScope {
public:
    explicit PositionScope(TqpView &v) : m_view(v), m_left(v.Left), m_top(v.Top) {}
    ~PositionScope()
    {
        m_view.Left = m_left;
        m_view.Top = m_top;
    }
    PositionScope(const PositionScope &) = delete;
    PositionScope &operator=(const PositionScope &) = delete;

private:
    TqpView &m_view;
    int m_left, m_top;
};

// The count of a data source text that starts with a digit: its leading
// digits, held at the largest count there is.
int leadingCount(const QString &text)
{
    qint64 n = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        n = std::min<qint64>(n * 10 + (c.unicode() - '0'), INT_MAX);
    }
    return int(n);
}

void release(QPointer<TqpDataset> &dataSet, bool &owned)
{
    if (dataSet) {
        try {
            dataSet->Exit();
        } catch (const std::exception &) {
            // A table that went away cannot be put back; releasing goes on.
        }
        if (owned)
            delete dataSet.data();
    }
    dataSet = nullptr;
    owned = false;
}

} // namespace

TqpDataset *qpResolveDataSet(const QString &name, bool &owned)
{
    owned = false;
    TqpDataset *dataSet = nullptr;
    if (!name.isEmpty() && name.at(0) >= QLatin1Char('1') && name.at(0) <= QLatin1Char('9')) {
        auto *counted = new TqpUserDataset;
        counted->RangeEnd = reCount;
        counted->RangeEndCount = leadingCount(name);
        dataSet = counted;
        owned = true;
    } else if (const TqpReport *report = qpCurReport()) {
        dataSet = qobject_cast<TqpDataset *>(qpFindComponent(report->parent(), name));
    }
    if (dataSet) {
        try {
            dataSet->Init();
        } catch (...) {
            if (owned)
                delete dataSet;
            throw;
        }
    }
    return dataSet;
}

TqpBand::TqpBand(TqpBandType type, TqpPage *page) : Parent(page), Typ(type) {}

QString TqpBand::DisplayName() const { return Name.isEmpty() ? qpBandNames().value(Typ) : Name; }

TqpBand::~TqpBand()
{
    // The rest of the chain goes too, one band after the other: a page with
    // thousands of bands of one type must not recurse that deep.
    for (TqpBand *b = std::exchange(Next, nullptr); b;) {
        TqpBand *next = std::exchange(b->Next, nullptr);
        delete b;
        b = next;
    }
    FreeDataSet();
}

void TqpBand::InitDataSet(const QString &text)
{
    if (Typ == btGroupHeader) {
        SetGroupCondition(text);
        return;
    }
    // A list of band and data set pairs belongs to the cross-tab columns.
    if (text.contains(QLatin1Char(';')))
        return;
    BandDataSet = qpResolveDataSet(text, OwnsDataSet);
    TqpReport *report = qpCurReport();
    if (!BandDataSet && Typ == btMasterData && report && report->ReportType == rtSimple && report->Dataset) {
        // The report's own data set is walked like any other: opened first,
        // closed again when the band is released.
        BandDataSet = report->Dataset;
        BandDataSet->Init();
    }
}

void TqpBand::InitColumnDataSet(const QString &name)
{
    release(ColumnDataSet, OwnsColumnDataSet);
    ColumnDataSet = qpResolveDataSet(name, OwnsColumnDataSet);
}

void TqpBand::FreeDataSet()
{
    release(BandDataSet, OwnsDataSet);
    release(ColumnDataSet, OwnsColumnDataSet);
}

void TqpBand::SetGeometry(const QRect &r)
{
    x = r.left();
    y = r.top();
    dx = r.width();
    dy = r.height();
}

void TqpBand::SetGroupCondition(const QString &text) { GroupCondition = qpParser->Str2OPZ(text); }

void TqpBand::ResetDataSet(const QString &text)
{
    FreeDataSet();
    InitDataSet(text);
}

const TqpBand *TqpBand::chainStart() const
{
    const TqpBand *b = this;
    if (!BandDataSet)
        while (b->Prev)
            b = b->Prev;
    return b;
}

bool TqpBand::drawsChain() const { return qpIsDataBand(Typ) && BandDataSet && Next && !Next->BandDataSet; }

bool TqpBand::HasCross() const
{
    return std::any_of(Objects.cbegin(), Objects.cend(), [this](const TqpView *v) {
        return v->OwnerBand && v->OwnerBand != this && qpIsCrossBand(v->OwnerBand->BandType());
    });
}

QString TqpBand::ExtractField(const QString &key, int n)
{
    // Walked rather than split: aggregates read keys for every record and column.
    qsizetype from = 0;
    for (int field = 1; n >= 1; ++field) {
        const qsizetype end = key.indexOf(QChar(1), from);
        if (end < 0)
            return {}; // the last piece is not ended by a code-1 character, so it is no field
        if (field == n)
            return key.mid(from, end - from);
        from = end + 1;
    }
    return {};
}

Variant TqpBand::GetAggregateValue(const QString &key)
{
    const Variant value = Values.GetVariable(key);
    if (ExtractField(key, 2) != QString(QChar(qpAggAvg)))
        return value;
    return Count < 1 ? Variant(0) : value / Variant(Count);
}

bool TqpBand::Draw()
{
    if (qpTerminated())
        return false;
    const NestingScope nesting(*this);
    const bool savedBreakable = Breakable;
    CurView = View;
    CurBand = this;
    CalcDY = -1;
    NewPageRequests = 0;
    NewColumnRequests = 0;
    TqpReport *report = qpCurReport();
    if (report && report->OnBeginBand)
        report->OnBeginBand(this);

    // A row of band columns that another band left unfinished: go on below it.
    if (TqpBand *last = Parent->LastDrawnBand; last && last != this && last->BandColumn > 1) {
        Parent->XShift = last->SavedXShift;
        Parent->CurrentY += std::max(last->CalcDY, last->dy);
    }

    KeepCurY = false;
    if (!SkipScriptOnce)
        runScript(Script);
    SkipScriptOnce = false;
    const int scriptY = Parent->CurrentY;
    if (qpTerminated()) {
        Breakable = savedBreakable;
        return false;
    }
    // Counted first: a band shown by the new page may be this one again.
    // A sub-report page has no pages of its own: its owner band breaks.
    const int pageRequests = Parent->IsSubReportPage ? 0 : NewPageRequests;
    const int columnRequests = Parent->IsSubReportPage ? 0 : NewColumnRequests;
    for (int i = 0; i < pageRequests; ++i) {
        Parent->CurColumn = Parent->ColCount - 1;
        Parent->NewColumn(this);
    }
    for (int i = 0; i < columnRequests; ++i)
        Parent->NewColumn(this);
    if (KeepCurY)
        Parent->CurrentY = scriptY;
    CurView = View;
    CurBand = this;

    bool result = false;
    if (Visible) {
        if (Typ == btColumnHeader)
            Parent->ColumnStartY = Parent->CurrentY;
        if (Typ == btPageFooter)
            y = Parent->BottomLimit;
        if (Parent->BandExists(this)) {
            CalcDY = std::max(CalcDY, dy);
            if (!isFixed() && Typ != btColumnFooter) {
                const int h = DoCalcHeight();
                // A band taller than a whole page is split once it starts a
                // page; another new page would not give it more room. On a
                // sub-report page it waits for its owner's next page instead.
                const auto tallAtTop = [&] {
                    return !Parent->IsSubReportPage && Parent->BottomLimit - Parent->TopMargin() < h &&
                           Parent->CurrentY == Parent->TopMargin();
                };
                if (Parent->CurrentY + h > Parent->BottomLimit && !Breakable) {
                    if (!tallAtTop()) {
                        result = true;
                        if (Parent->IsSubReportPage) {
                            Breakable = savedBreakable;
                            return true;
                        }
                        CheckPageBreak(0, 10000, false);
                    }
                    if (tallAtTop())
                        Breakable = true;
                }
            }
            Finished = true;
            if (drawsChain()) {
                DoDraw();
                for (TqpBand *b = Next; b; b = b->Next)
                    if (b->Visible)
                        b->DoDraw();
            } else {
                DoDraw();
                if (Child)
                    Child->Draw();
                if (NewPageAfter && !qpIsDataBand(Typ) && Typ != btGroupHeader)
                    Parent->NewPage();
            }
            if (!Finished)
                result = true;
        }
    } else {
        if (PrintChildIfInvisible && Child)
            Child->Draw();
        if (qpIsDataBand(Typ))
            DoAggregate();
    }

    if (!KeepValues && (Typ != btPageFooter || PageNo == qpMasterReport()->GetEMFPages().GetCount() - 1))
        InitValues();
    if (report && report->OnEndBand)
        report->OnEndBand(this);
    Breakable = savedBreakable;
    return result;
}

void TqpBand::DoDraw()
{
    if (!Parent->BandExists(this))
        return;
    const int savedY = y;
    // Sub-reports carry their band across pages themselves; a band holding
    // one is not cut into slices, and neither is a cross-tab row, whose
    // cells are written column by column at the row's place.
    const bool breakable = Breakable && !HasCross() &&
                           std::none_of(Objects.cbegin(), Objects.cend(), [](const TqpView *v) {
                               return v->Kind == vkSubReport && v->Visible;
                           });
    if (!isFixed())
        y = Parent->CurrentY;
    if (Stretched) {
        const int h = CalcDY;
        StretchObjects(h);
        DrawnDY = h;
        if (!breakable)
            CheckPageBreak(y, h, false);
        y = Parent->CurrentY;
        if (breakable) {
            DrawPageBreak();
        } else {
            const bool subReports = DrawObjects();
            if (HasCross())
                DrawCross();
            if (!subReports)
                Parent->CurrentY += h;
        }
        UnStretchObjects();
    } else {
        if (!isFixed()) {
            if (!breakable)
                CheckPageBreak(y, dy, false);
            y = Parent->CurrentY;
        }
        if (breakable) {
            DrawnDY = CalcDY;
            DrawPageBreak();
        } else {
            const bool subReports = DrawObjects();
            if (HasCross())
                DrawCross();
            if (!isFixed() && !subReports)
                Parent->CurrentY += dy;
        }
    }

    // Band columns: records side by side, a new row after the last column.
    if (Parent->LastDrawnBand != this)
        BandColumn = 1;
    Parent->LastDrawnBand = this;
    if (View && View->Columns > 1 && View->NewColumnAfter == 1) {
        if (BandColumn == 1)
            SavedXShift = Parent->XShift;
        ++BandColumn;
        if (BandColumn > View->Columns) {
            Parent->XShift = SavedXShift;
            BandColumn = 1;
        } else {
            Parent->XShift = SavedXShift + (View->ColumnWidth + View->ColumnGap) * (BandColumn - 1);
            Parent->CurrentY -= CalcDY;
        }
    }
    y = savedY;
    if (qpIsDataBand(Typ))
        DoAggregate();
}

int TqpBand::DoCalcHeight()
{
    int h = 0;
    if (drawsChain()) {
        h = CalcHeight();
        for (TqpBand *b = Next; b; b = b->Next) {
            // Each record measures the following bands afresh.
            b->CalcDY = -1;
            h += b->CalcHeight();
        }
    } else {
        h = Stretched ? CalcHeight() : dy;
    }
    CalcDY = std::max(CalcDY, h);
    return h;
}

int TqpBand::CalcHeight()
{
    CurPage = Parent;
    CurBand = this;
    m_savedHeights.clear();
    for (const TqpView *v : std::as_const(Objects))
        m_savedHeights.append(v->Height);
    int h = dy;
    if (HasCross() && Typ != btPageFooter) {
        h = measureCross();
    } else {
        for (TqpView *v : std::as_const(Objects))
            if (auto *s = dynamic_cast<TqpStretcheable *>(v); s && v->OwnerBand == this)
                h = std::max(h, v->Top + s->CalcHeight());
    }
    CalcDY = std::max(CalcDY, h);
    return h;
}

void TqpBand::StretchObjects(int height)
{
    if (m_savedHeights.size() != Objects.size()) {
        m_savedHeights.clear();
        for (const TqpView *v : std::as_const(Objects))
            m_savedHeights.append(v->Height);
    }
    for (TqpView *v : std::as_const(Objects))
        if (dynamic_cast<TqpStretcheable *>(v) && (v->Flags & flStretched) && v->Height > 0)
            v->Height = height - v->Top;
}

void TqpBand::UnStretchObjects()
{
    for (qsizetype i = 0; i < Objects.size() && i < m_savedHeights.size(); ++i)
        Objects.at(i)->Height = m_savedHeights.at(i);
    m_savedHeights.clear();
}

bool TqpBand::CheckPageBreak(int atY, int height, bool breaking)
{
    // A sub-report page's bands are tested by Draw; its owner band breaks.
    if (Typ == btColumnFooter || Parent->IsSubReportPage)
        return false;
    if (Parent->BottomLimit >= atY + Parent->Bands[btColumnFooter]->dy + height)
        return false;
    if (!breaking)
        Parent->NewColumn(this);
    return true;
}

bool TqpBand::DrawObjects()
{
    for (qsizetype i = 0; i < Objects.size(); ++i) {
        TqpView *v = Objects.at(i);
        if (v->Kind == vkSubReport && v->Visible) {
            // Sub-reports come last in the list; they end the band.
            SubReportStart = int(i);
            const int pageNo = PageNo;
            const int bottom = Parent->CurrentY + dy;
            PrepareSubReports();
            DoSubReports();
            if (PageNo == pageNo && Parent->CurrentY < bottom)
                Parent->CurrentY = bottom;
            CurPage = Parent;
            return true;
        }
        DrawObject(v);
        if (qpTerminated())
            break;
    }
    return false;
}

void TqpBand::DrawObject(TqpView *view)
{
    CurPage = Parent;
    CurBand = this;
    if (view->OwnerBand != this)
        return; // a cross-tab cell, written with its column
    auto *memo = dynamic_cast<TqpMemoView *>(view);
    try {
        if (!DisableDrawing || Breakable) {
            const bool hook = memo && (memo->DrawMode == drAll || memo->DrawMode == drAfterCalcHeight);
            {
                const PositionScope restore(*view);
                view->Left += Parent->XShift - Parent->LeftMargin() + Parent->LeftOffset();
                view->Top += y;
                QBuffer &stream = *qpMasterReport()->GetEMFPages().GetPages(PageNo).Stream;
                stream.seek(stream.size());
                view->StreamOut(stream);
            }
            if (hook)
                Parent->AfterPrint();
        } else if (!memo || memo->DrawMode == drAll) {
            // The counting pass writes nothing, but scripts count things.
            CurView = view;
            runScript(view->Script);
        }
    } catch (const std::exception &e) {
        qpFormationError(e);
    }
}

void TqpBand::InitValues()
{
    if (Typ == btGroupHeader) {
        for (TqpBand *g = this; g; g = g->Next) {
            CurView = g->View;
            g->LastGroupValue = qpParser->CalcOPZ(g->GroupCondition);
        }
    } else if (AggrBand) {
        // The totals this band printed restart; keys of per-column copies
        // carry the column number in front.
        TqpVariables &table = AggrBand->Values;
        for (int i = 0; i < table.Count(); ++i) {
            const QString key = table.GetName(i);
            const bool perColumn = !key.isEmpty() && key.at(0).isDigit();
            if (!qpSameName(ExtractField(key, perColumn ? 2 : 1), Name))
                continue;
            const QString code = ExtractField(key, perColumn ? 3 : 2);
            table.SetValue(i, code == QString(QChar(qpAggMin)) ? Variant(1e300) : Variant(0));
        }
        AggrBand->Count = 0;
    }
}

void TqpBand::DoAggregate(bool column)
{
    TqpVariables &table = Values;
    // Keys of per-column copies start with their column number.
    const auto perColumn = [](const QString &key) { return !key.isEmpty() && key.at(0).isDigit(); };
    const bool cross = HasCross();
    const QString columnNo = QString::number(Parent->ColumnNumber);
    const QString registered = QStringLiteral("0") + QChar(1), thisColumn = columnNo + QChar(1);
    if (column) {
        // Each key registered for the column footer gets a copy for this column.
        for (int i = 0; i < table.Count(); ++i) {
            const QString key = table.GetName(i);
            if (!key.startsWith(registered))
                continue;
            const QString copy = (columnNo + key.mid(1)).left(255);
            if (table.IndexOf(copy) < 0) {
                table.SetVariable(copy, 0);
                i = -1; // the table changed: scan again
            }
        }
    }
    QString lastExpression;
    Variant lastValue = 0;
    for (int i = 0; i < table.Count(); ++i) {
        QString key = table.GetName(i);
        if (column) {
            if (!key.startsWith(thisColumn))
                continue;
            key = key.mid(thisColumn.size());
        } else if (cross && perColumn(key)) {
            continue; // added column by column while the row's cells are written
        }
        Variant current = table.GetValue(i);
        const QString code = ExtractField(key, 2);
        const QString expression = ExtractField(key, 3);
        const bool countInvisible = ExtractField(key, 4).trimmed() == QLatin1String("1");
        const ushort function = code.isEmpty() ? 0 : code.at(0).unicode();
        Variant value = 0;
        if (function != qpAggCount) {
            // Several footers summing one expression evaluate it once a record.
            if (expression != lastExpression) {
                lastExpression = expression;
                lastValue = qpParser->Calc(expression);
            }
            value = lastValue;
        }
        if (current.isNull() || current.isEmpty())
            current = 0;
        if (value.isNull() || value.isEmpty())
            value = 0;
        if (Visible || countInvisible) {
            switch (function) {
            case qpAggSum:
            case qpAggAvg:
                current = current + value;
                break;
            case qpAggMin:
                if (value < current)
                    current = value;
                break;
            case qpAggMax:
                if (current < value)
                    current = value;
                break;
            case qpAggCount:
                current = current + Variant(1);
                break;
            default:
                break;
            }
        }
        table.SetValue(i, current);
    }
    // Averages divide by records: the columns of one record count once.
    if (!column)
        ++Count;
}

// ------------------------------------------------------------ cross-tab rows

TqpDataset *TqpBand::columnDataSet() const
{
    const TqpBand *cross = Parent->Bands[btCrossData];
    if (!cross || !cross->View)
        return nullptr;
    return cross->BandDataSet ? cross->BandDataSet.data() : ColumnDataSet.data();
}

void TqpBand::enterCell(TqpBand *row)
{
    CurPage = Parent;
    CurBand = this;
    LineNo = row->LineNumber();
    LineThroughNo = row->LineThroughNumber();
    if (Typ == btCrossData)
        AggrBand = row;
}

int TqpBand::measureCross()
{
    TqpReport *report = qpCurReport();
    Parent->ColumnNumber = 1;
    if (report && report->OnBeginColumn)
        report->OnBeginColumn(this);
    int h = dy;
    // Every column may hold other texts, so each is measured and expanded
    // again when it is written.
    const auto measure = [&] {
        for (TqpView *v : std::as_const(Objects)) {
            auto *s = dynamic_cast<TqpStretcheable *>(v);
            if (!s)
                continue;
            auto *owner = dynamic_cast<TqpBand *>(v->OwnerBand);
            if (owner && owner != this)
                owner->enterCell(this);
            else
                CurBand = this;
            h = std::max(h, v->Top + s->CalcHeight());
            s->DrawMode = drAll;
        }
        CurBand = this;
    };
    bool measured = false;
    if (TqpDataset *ds = columnDataSet()) {
        ds->First();
        while (!ds->Eof() && !qpTerminated()) {
            int scratch = 0; // a handler's width only counts while drawing
            if (report && report->OnPrintColumn)
                report->OnPrintColumn(Parent->ColumnNumber, scratch);
            measure();
            measured = true;
            ++Parent->ColumnNumber;
            ds->Next();
        }
    }
    // Without columns the header and footer cells still need their room.
    if (!measured)
        measure();
    return h;
}

void TqpBand::fitCrossColumn(int &atX, int width, int startPage)
{
    if (atX + width <= Parent->RightMargin() - Parent->LeftOffset())
        return;
    atX = Parent->LeftMargin();
    ++PageNo;
    if (PageNo >= qpMasterReport()->GetEMFPages().GetCount()) {
        // The page beside the row's page: overlay and page header as on
        // any new page, without moving the row.
        qpAddPreparedPage(*Parent);
        const int savedY = Parent->CurrentY;
        Parent->ShowBand(Parent->Bands[btOverlay]);
        Parent->CurrentY = Parent->TopMargin();
        if (TqpBand *header = Parent->Bands[btPageHeader]; startPage != 0 || (header->Flags & flOnFirstPage))
            Parent->ShowBand(header);
        Parent->CurrentY = savedY;
        if (qpProgress)
            qpProgress(PageNo);
    }
    if (TqpBand *header = Parent->Bands[btCrossHeader]; header->View && (header->Flags & flRepeatHeader)) {
        header->DrawCrossCell(this, Parent->LeftMargin());
        atX = Parent->LeftMargin() + header->dx;
    }
}

void TqpBand::DrawCross()
{
    if (Typ == btPageFooter)
        return;
    TqpReport *report = qpCurReport();
    // The row may spread over the pages beside this one; the next band
    // goes on where the row started.
    struct PageScope {
        int saved = PageNo;
        ~PageScope() { PageNo = saved; }
    } const page;
    Parent->ColumnNumber = 1;
    int atX = 0;
    if (report && report->OnBeginColumn)
        report->OnBeginColumn(this);

    if (TqpBand *header = Parent->Bands[btCrossHeader]; header->View) {
        CurView = header->View;
        CurBand = header;
        runScript(header->Script);
        header->DrawCrossCell(this, header->x);
        atX = header->x + header->dx;
    }

    if (TqpBand *data = Parent->Bands[btCrossData]; data->View) {
        if (atX == 0)
            atX = data->x;
        TqpDataset *ds = columnDataSet();
        if (!ds && std::any_of(Objects.cbegin(), Objects.cend(), [data](const TqpView *v) { return v->OwnerBand == data; }))
            throw EqpError(qpLoadStr(qpMsgCrossNoColumns).arg(DisplayName()));
        std::unique_ptr<TqpUserDataset> made;
        if (ds) {
            ds->First();
            if (Typ == btMasterFooter && ds->Eof()) {
                // Totals under the widest row, even when this row has no columns of its own.
                made = std::make_unique<TqpUserDataset>();
                made->RangeEnd = reCount;
                made->RangeEndCount = data->MaxColumns;
                ds = made.get();
                ds->First();
            }
            while (!ds->Eof() && !qpTerminated()) {
                CurView = data->View;
                CurBand = data;
                if (report && report->OnPrintColumn)
                    report->OnPrintColumn(Parent->ColumnNumber, data->dx);
                data->AggrBand = this;
                runScript(data->Script);
                fitCrossColumn(atX, data->dx, page.saved);
                data->DrawCrossCell(this, atX);
                data->DoAggregate();
                if (qpIsDataBand(Typ))
                    DoAggregate(true);
                atX += data->dx;
                ++Parent->ColumnNumber;
                ds->Next();
            }
            data->MaxColumns = std::max(data->MaxColumns, ds->RecNo());
        }
    }

    if (TqpBand *footer = Parent->Bands[btCrossFooter]; footer->View) {
        if (atX == 0)
            atX = footer->x;
        CurView = footer->View;
        CurBand = footer;
        runScript(footer->Script);
        fitCrossColumn(atX, footer->dx, page.saved);
        footer->DrawCrossCell(this, atX);
        footer->InitValues();
    }
}

void TqpBand::DrawCrossCell(TqpBand *row, int atX)
{
    enterCell(row);
    for (TqpView *v : std::as_const(Objects)) {
        if (!row->Objects.contains(v))
            continue;
        auto *memo = dynamic_cast<TqpMemoView *>(v);
        try {
            if (DisableDrawing) {
                CurView = v;
                runScript(v->Script);
                continue;
            }
            const bool hook = memo && (memo->DrawMode == drAll || memo->DrawMode == drAfterCalcHeight);
            {
                const PositionScope restore(*v);
                v->Left += atX + Parent->LeftOffset();
                v->Top += row->y;
                QBuffer &stream = *qpMasterReport()->GetEMFPages().GetPages(PageNo).Stream;
                stream.seek(stream.size());
                v->StreamOut(stream);
            }
            if (hook)
                Parent->AfterPrint();
            v->OwnerBand = this;
        } catch (const std::exception &e) {
            qpFormationError(e);
            break;
        }
        if (qpTerminated())
            break;
    }
}

int TqpBand::DrawPageBreak()
{
    // The splitting state of each object lives for this call only.
    struct Piece {
        TqpView *view;
        QRect saved;
        quint8 bandAlign;
        bool toPrint = true, atBandHeight = false;
    };
    QList<Piece> pieces;
    pieces.reserve(Objects.size());
    for (TqpView *v : std::as_const(Objects)) {
        pieces.append({v, QRect(v->Left, v->Top, v->Width, v->Height), v->BandAlign});
        // Placed here once for all slices, not again by each piece's band
        // top. An object taller than the band starts at the band's top:
        // above it there is no slice that could ever hold it.
        if (v->BandAlign == baBottom) {
            v->Top = std::max(0, CalcDY - v->Height);
            v->BandAlign = baNone;
        }
    }

    if (!CheckPageBreak(y, DrawnDY, true)) {
        DrawObjects();
    } else {
        bool afterBreak = false;
        int highest = 0;
        const auto moveBelow = [&](const TqpView *cut, int bottom, int lost) {
            for (const Piece &o : std::as_const(pieces))
                if (o.view != cut && o.view->Top >= bottom && o.view->Left >= cut->Left &&
                    o.view->Left <= cut->Left + cut->Width)
                    o.view->Top += lost;
        };
        // A piece of a stretchable object, `height` tall at `top` (unless it is
        // too small for one line); afterwards the object has its old place
        // and grew by the space the cut added, and what lies below it moved.
        const auto writePiece = [&](TqpView *v, TqpStretcheable *s, int top, int height, bool checkMin) {
            // A text of a band that was not measured is expanded first, so
            // that its first piece prints this record's lines.
            if (auto *memo = dynamic_cast<TqpMemoView *>(v); memo && memo->DrawMode == drAll)
                memo->CalcHeight();
            const int savedTop = v->Top, savedHeight = v->Height;
            v->Top = top;
            v->Height = height;
            const int lost = s->LostSpace();
            if (!checkMin || s->MinHeight() < v->Height) {
                s->DrawMode = drPart;
                DrawObject(v);
            }
            v->Top = savedTop;
            v->Height = savedHeight;
            moveBelow(v, v->Top + v->Height, lost);
            v->Height += lost;
        };
        const auto anyToPrint = [&] {
            return std::any_of(pieces.cbegin(), pieces.cend(), [](const Piece &o) { return o.toPrint; });
        };
        // How far down the band still reaches, and how many objects wait.
        const auto remaining = [&] {
            int bottom = INT_MIN, waiting = 0;
            for (const Piece &o : std::as_const(pieces))
                if (o.toPrint) {
                    bottom = std::max(bottom, o.view->Top + o.view->Height);
                    ++waiting;
                }
            return std::pair{bottom, waiting};
        };
        while (anyToPrint() && !qpTerminated()) {
            const int limit = Parent->BottomLimit - Parent->Bands[btColumnFooter]->dy - y - 2;
            if (limit <= 0 && (afterBreak || y == Parent->TopMargin()))
                throw EqpError(qpLoadStr(qpMsgNoRoom).arg(DisplayName()));
            highest = 0;
            const auto before = remaining();
            for (Piece &o : pieces) {
                if (!o.toPrint)
                    continue;
                TqpView *v = o.view;
                auto *s = dynamic_cast<TqpStretcheable *>(v);
                if (v->Top >= 0 && v->Top < limit) {
                    if (v->Top + v->Height < limit) {
                        DrawObject(v);
                        highest = std::max(highest, v->Top + v->Height);
                        o.toPrint = false;
                    } else if (s) {
                        writePiece(v, s, v->Top, limit - v->Top + 1, true);
                    } else if (afterBreak && v->Top == 0) {
                        // Taller than a whole page: printed whole, running
                        // past the bottom, rather than lost or moved on forever.
                        DrawObject(v);
                        highest = std::max(highest, v->Height);
                        o.toPrint = false;
                    } else {
                        v->Top = limit; // starts the next slice
                    }
                } else if (v->Top < 0 && s && v->Top + v->Height >= 0) {
                    // The rest of an object cut in an earlier slice.
                    if (v->Top + v->Height < limit) {
                        v->Height += v->Top;
                        v->Top = 0;
                        highest = std::max(highest, v->Height);
                        s->DrawMode = drPart;
                        o.toPrint = false;
                        if (v->Flags & flStretched)
                            o.atBandHeight = true;
                        else
                            DrawObject(v);
                    } else {
                        writePiece(v, s, 0, limit, false);
                    }
                }
            }
            // A limit at or above the band's top moves nothing up.
            const int shift = std::max(limit, 0);
            for (const Piece &o : std::as_const(pieces))
                if (o.toPrint)
                    o.view->Top -= shift;
            // A whole page that finished nothing and brought the end no
            // closer (cuts adding as much as the page holds) never will.
            const auto after = remaining();
            if (afterBreak && after.second == before.second && after.first >= before.first)
                throw EqpError(qpLoadStr(qpMsgNoRoom).arg(DisplayName()));
            if (anyToPrint() && !qpTerminated()) {
                CheckPageBreak(y, 10000, false);
                afterBreak = true;
            }
            y = Parent->CurrentY;
        }
        DrawnDY = highest;
    }

    for (const Piece &o : std::as_const(pieces)) {
        if (o.atBandHeight) {
            o.view->Height = DrawnDY;
            DrawObject(o.view);
        }
        o.view->Top = o.saved.top();
        o.view->Height = o.saved.height();
        o.view->BandAlign = o.bandAlign;
    }
    Parent->CurrentY += DrawnDY;
    return DrawnDY;
}
