// Page formation: the operations of a template page while a report is
// built. InitPage builds the run-time bands from the page's objects,
// FormPage walks the data and shows the bands in their fixed order into the
// prepared pages, DonePage releases the bands again.

#include "report/engine/band_engine.h"
#include "report/engine/engine_globals.h"
#include "report/engine/prepared_pages.h"

#include "report/core/exceptions.h"
#include "report/core/names.h"
#include "report/core/string_table.h"
#include "report/expr/expr_globals.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/report_dataset.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"

#include <QSet>
#include <algorithm>
#include <functional>

namespace {

// Owns the bands of an initialised page: one chain per type, heads in the
// page's band array.
class TqpBandChains : public TqpPageFormation {
public:
    explicit TqpBandChains(TqpPage &page) : m_page(page)
    {
        for (int t = 0; t < qpBandTypeCount; ++t)
            page.Bands[t] = new TqpBand(TqpBandType(t), &page);
    }
    ~TqpBandChains() override
    {
        for (TqpBand *&head : m_page.Bands) {
            delete head;
            head = nullptr;
        }
    }
    TqpBandChains(const TqpBandChains &) = delete;
    TqpBandChains &operator=(const TqpBandChains &) = delete;

    void ShowBandByName(const QString &name) override
    {
        for (TqpBand *head : m_page.Bands)
            for (TqpBand *b = head; b; b = b->Next)
                if (b->View && qpSameName(b->View->Name, name)) {
                    b->Draw();
                    return;
                }
    }

    int PageFooterHeight() const override
    {
        const TqpBand *footer = m_page.Bands[btPageFooter];
        return footer && m_page.BandExists(footer) ? footer->dy : 0;
    }

    TqpDataset *BandDataSet(TqpBandType type) const override
    {
        const TqpBand *band = m_page.Bands[type];
        return band ? band->DataSet() : nullptr;
    }

private:
    TqpPage &m_page;
};

TqpEMFPages &preparedPages() { return qpMasterReport()->GetEMFPages(); }

void endPage(int pageNo)
{
    for (TqpReport *report : {qpCurReport(), qpMasterReport()}) {
        if (report && report->OnEndPage)
            report->OnEndPage(pageNo);
        if (qpMasterReport() == qpCurReport())
            break;
    }
}

// Closes every prepared page from PageNo on: OnEndPage, and the page footer
// where it belongs (never on the first page without OnFirstPage).
void closePages(TqpPage &page, bool withFooters)
{
    page.CurColumn = 0;
    page.XShift = page.LeftMargin();
    TqpBand *footer = page.Bands[btPageFooter];
    while (PageNo < preparedPages().GetCount()) {
        if (!(qpAppendMode && qpFootersDrawn)) {
            endPage(PageNo);
            if (withFooters && (PageNo > 0 || (footer->Flags & flOnFirstPage)))
                page.ShowBand(footer);
        }
        ++PageNo;
    }
    PageNo = preparedPages().GetCount();
}

// Compiles in place; a script that does not compile stops the build rather
// than run in part.
void compileScript(const QString &owner, QStringList &script)
{
    QStringList errors;
    qpInterpretator->PrepareScript(script, script, errors);
    if (qpInterpretator->ErrorFlag())
        throw EqpError(qpLoadStr(qpMsgScriptError).arg(owner, errors.join(QLatin1Char(' '))));
}

void releaseBands(TqpPage &page)
{
    if (page.Formation)
        for (TqpView *v : std::as_const(page.Items))
            v->OwnerBand = nullptr;
    page.BandRecs.clear();
    page.LastDrawnBand = nullptr;
    page.SuspendedBand = nullptr;
    page.Formation.reset();
}

// Comparing values of different kinds may fail: such values differ.
bool sameValue(const Variant &a, const Variant &b)
{
    try {
        return Variant::compare(a, b) == 0;
    } catch (const EqpError &) {
        return false;
    }
}

TqpBand *bandOfObject(const TqpPage &page, const QString &name)
{
    const TqpView *v = page.FindObject(name);
    return v && v->Kind == vkBand ? dynamic_cast<TqpBand *>(v->OwnerBand) : nullptr;
}

void configureBand(TqpPage &page, TqpBand *b, TqpBandView *view)
{
    b->View = view;
    b->Memo = view->Memo;
    b->Script = view->Script;
    b->x = view->Left;
    b->y = view->Top;
    b->dx = view->Width;
    b->dy = view->Height;
    b->Flags = view->Flags;
    b->Visible = view->Visible;
    b->Name = view->Name;
    b->BandColumn = 1;
    view->OwnerBand = b;
    b->ResetDataSet(view->FormatStr);
    b->Stretched = b->Flags & flStretched;
    b->PrintIfSubsetEmpty = b->Flags & flPrintIfSubsetEmpty;
    b->PrintChildIfInvisible = b->Flags & flPrintChildIfInvisible;
    // Bands of a sub-report page are replayed into their owner band, which
    // alone may start pages.
    b->NewPageAfter = !page.IsSubReportPage && (b->Flags & flFormNewPage);
    b->Breakable = !page.IsSubReportPage && (b->Flags & flBreaked);
}

// The cross data band's "Band=DataSet;" pairs: the column data sets of the
// named row bands. A last pair without ";" runs to the end of the text.
void assignColumnDataSets(TqpPage &page, const QString &list)
{
    const QStringList pairs = list.split(QLatin1Char(';'));
    for (const QString &pair : pairs) {
        if (pair.trimmed().isEmpty())
            continue;
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq < 0)
            throw EqpError(qpLoadStr(qpMsgCrossPair).arg(pair.trimmed()));
        const QString bandName = pair.left(eq).trimmed(), dataSetName = pair.mid(eq + 1).trimmed();
        for (int t = btMasterHeader; t <= btChild; ++t)
            for (TqpBand *b = page.Bands[t]; b; b = b->Next)
                if (b->View && qpSameName(b->View->Name, bandName))
                    b->InitColumnDataSet(dataSetName);
    }
}

} // namespace

void qpAddPreparedPage(TqpPage &page)
{
    TqpEMFPages &pages = preparedPages();
    if (pages.GetCount() >= qpMaxPreparedPages)
        throw EqpError(qpLoadStr(qpMsgPageLimit).arg(qpMaxPreparedPages));
    pages.Add(&page);
}

namespace {

// One formation of a page: the data walk with its pending band list.
class PageFormer {
public:
    PageFormer(TqpPage &page, TqpReport &report) : m_page(page), m_report(report) {}
    void form();

private:
    bool isEmpty() const;
    void walk(int level);
    void testGroups(TqpBand *band);
    void push(TqpBand *band)
    {
        if (band)
            m_pending.append(band);
    }
    void showPending()
    {
        const QList<TqpBand *> bands = std::exchange(m_pending, {});
        for (TqpBand *b : bands)
            if (m_page.BandExists(b))
                m_page.ShowBand(b);
    }
    void drop()
    {
        if (!m_pending.isEmpty())
            m_pending.removeLast();
    }

    TqpPage &m_page;
    TqpReport &m_report;
    // Bands waiting to be shown together once the innermost level prints.
    QList<TqpBand *> m_pending;
    int m_deepest = 1;
};

bool PageFormer::isEmpty() const
{
    TqpDataset *ds = m_page.Bands[btMasterData]->BandDataSet;
    if (!ds)
        return true;
    try {
        ds->First();
        return ds->Eof();
    } catch (const std::exception &) {
        return true; // a data set that cannot open has nothing to print
    }
}

void PageFormer::form()
{
    TqpBand *const *bands = m_page.Bands;
    const bool drawing = m_page.Mode == pmNormal;
    if (!m_report.PrintIfEmpty && isEmpty()) {
        if (qpAppendMode && drawing)
            ++PageNo;
        return;
    }
    m_page.NoRepeatedHeaders = false;
    const bool manual = bool(m_report.OnManualBuild);
    if (drawing) {
        m_page.DoScript(m_page.Script);
        if (qpAppendMode && qpSavedCurY == qpSavedBottomY) {
            // The previous page is full: start a page of our own.
            qpAppendMode = false;
            qpFootersDrawn = false;
            PageNo = preparedPages().GetCount();
        }
        m_page.BottomLimit = qpAppendMode && qpFootersDrawn ? qpSavedBottomY : m_page.BottomMargin();
        m_page.CurColumn = 0;
        m_page.XShift = m_page.LeftMargin();
        if (!qpAppendMode) {
            qpAddPreparedPage(m_page);
            m_page.CurrentY = m_page.TopMargin();
            m_page.ShowBand(bands[btOverlay]);
            m_page.ShowBand(bands[btNone]);
        } else {
            m_page.CurrentY = qpSavedCurY;
        }
        const int pages = preparedPages().GetCount();
        if (!manual)
            m_page.ShowBand(bands[btReportTitle]);
        if (preparedPages().GetCount() == pages) {
            if (m_page.BandExists(bands[btPageHeader]) && (bands[btPageHeader]->Flags & flOnFirstPage))
                m_page.ShowBand(bands[btPageHeader]);
            m_page.ShowBand(bands[btColumnHeader]);
        }
    }

    if (!manual) {
        for (int level = 3; level >= 1; --level)
            if (m_page.BandExists(bands[qpLevelTypes[level - 1].Data])) {
                m_deepest = level;
                break;
            }
        walk(1);
    }

    if (!drawing)
        return;
    if (!manual) {
        // The summary comes after the last column footer, as if that footer
        // took no room; neither repeats headers on a page it opens.
        m_page.NoRepeatedHeaders = true;
        m_page.ShowBand(bands[btColumnFooter]);
        TqpBand *columnFooter = bands[btColumnFooter];
        const int footerHeight = std::exchange(columnFooter->dy, 0);
        m_page.ShowBand(bands[btReportSummary]);
        columnFooter->dy = footerHeight;
        m_page.NoRepeatedHeaders = false;
    } else {
        m_report.OnManualBuild(&m_page);
    }
    qpSavedCurY = m_page.CurrentY;
    qpSavedBottomY = m_page.BottomLimit;
    if (m_page.CurColumn > 0)
        qpSavedCurY = m_page.BottomMargin(); // a page left in a later column counts as full
    m_page.CurColumn = 0;
    m_page.XShift = m_page.LeftMargin();
    const int pageNo = PageNo;
    qpFootersDrawn = false;
    TqpBand *footer = bands[btPageFooter];
    if (!manual && ((footer->Flags & flOnLastPage) || (PageNo == 0 && (footer->Flags & flOnFirstPage)))) {
        const quint16 flags = footer->Flags;
        footer->Flags |= flOnFirstPage;
        qpFootersDrawn = m_page.BandExists(footer);
        if (qpFootersDrawn)
            m_page.DrawPageFooters();
        footer->Flags = flags;
    }
    if (!qpFootersDrawn)
        closePages(m_page, false);
    PageNo = pageNo + 1;
}

void PageFormer::walk(int level)
{
    const TqpLevelTypes &types = qpLevelTypes[level - 1];
    for (TqpBand *b = m_page.Bands[types.Data]; b; b = b->Next) {
        TqpDataset *ds = b->BandDataSet;
        if (!ds)
            continue;
        CurView = b->View;
        ds->First();
        if (m_page.Mode == pmBuildList) {
            m_page.AddRecord(b, rtFirst);
        } else {
            m_page.ResetPosition(b, 1);
            b->LineThroughNo = 1;
        }
        for (TqpBand *g = b->FirstGroup; g; g = g->NextGroup) {
            g->LineNo = 0;
            g->LineThroughNo = 0;
        }
        if (ds->Eof())
            continue; // not even the header or the footer
        for (TqpBand *g = b->FirstGroup; g; g = g->NextGroup) {
            ++g->LineNo;
            ++g->LineThroughNo;
            push(g);
        }
        push(b->HeaderBand);
        if (b->FooterBand)
            b->FooterBand->InitValues();
        while (!qpTerminated() && !ds->Eof()) {
            push(b);
            if (b->PrintIfSubsetEmpty)
                showPending();
            bool printed = true;
            if (level < m_deepest) {
                walk(level + 1);
                if (!m_pending.isEmpty()) {
                    // Nothing printed below this record.
                    if (b->PrintIfSubsetEmpty) {
                        showPending();
                    } else {
                        drop();
                        printed = false;
                    }
                }
            } else {
                showPending();
            }
            CurView = b->View;
            ds->Next();
            if (b->FirstGroup)
                testGroups(b);
            if (m_page.Mode == pmBuildList) {
                m_page.AddRecord(b, rtNext);
            } else if (printed) {
                ++m_page.RecordNumber;
                ++b->LineThroughNo;
                ++b->LineNo;
                if (!ds->Eof() && b->NewPageAfter && b->Visible)
                    m_page.NewPage();
            }
        }
        if (m_pending.isEmpty())
            m_page.ShowBand(b->FooterBand);
        else
            drop();
    }
}

void PageFormer::testGroups(TqpBand *band)
{
    TqpDataset *ds = band->BandDataSet;
    const bool eof = ds->Eof();
    for (TqpBand *g = band->FirstGroup; g; g = g->NextGroup) {
        CurView = g->View;
        if (!eof && !g->LastGroupValue.isEmpty() && sameValue(qpParser->CalcOPZ(g->GroupCondition), g->LastGroupValue))
            continue;
        // The footers print with the last record of the group.
        bool steppedBack = false;
        if (!eof) {
            try {
                ds->Prior();
                steppedBack = true;
            } catch (const std::exception &) {
                // Then the footers print with the first record of the next group.
            }
        }
        for (TqpBand *inner = band->LastGroup; inner && inner != g; inner = inner->PrevGroup) {
            inner->LineNo = 0;
            if (inner->FooterBand)
                inner->FooterBand->LineNo = 0;
            push(inner->FooterBand);
        }
        push(g->FooterBand);
        showPending();
        if (!eof) {
            if (steppedBack)
                ds->Next();
            if (g->NewPageAfter && g->Visible)
                m_page.NewPage();
            for (TqpBand *inner = g; inner; inner = inner->NextGroup) {
                ++inner->LineNo;
                ++inner->LineThroughNo;
                push(inner);
            }
            m_page.ResetPosition(band, 0);
        }
        return;
    }
}

} // namespace

// ---------------------------------------------------------------- TqpPage

void TqpPage::InitPage()
{
    if (!qpCurReport() || !qpMasterReport())
        return; // only a build forms pages
    try {
        const TqpReport *master = qpMasterReport();
        if (master->DoublePassReport && master->FinalPass && Initialised) {
            // The bands of the counting pass serve the final pass.
            if (PageType == ptDialog)
                return;
            for (TqpView *v : std::as_const(Items))
                if (auto *memo = dynamic_cast<TqpMemoView *>(v))
                    memo->LastValue.clear();
            for (TqpBand *b : Bands)
                if (b && b->BandDataSet)
                    b->BandDataSet->First();
            return;
        }
        if (PageType == ptDialog) {
            // No dialog control classes are registered, so there is no window
            // to show: the page's script runs alone.
            CurPage = this;
            for (TqpView *v : std::as_const(Items))
                v->OwnerPage = this;
            DoScript(Script);
        } else {
            releaseBands(*this);
            Formation = std::make_unique<TqpBandChains>(*this);
            Initialised = true;
            TossObjects();
            RecordNumber = 1;
            ColumnNumber = 1;
        }
        Initialised = true;
    } catch (const std::exception &e) {
        qpFormationError(e);
    }
}

void TqpPage::TossObjects()
{
    CurPage = this;
    QSet<TqpView *> unassigned;
    for (TqpView *v : std::as_const(Items)) {
        v->SaveMode = smQPP;
        CurView = v;
        if (auto *memo = dynamic_cast<TqpMemoView *>(v); memo && !memo->HighlightCondition.isEmpty())
            memo->HighlightCondition = qpParser->Str2OPZ(memo->HighlightCondition);
        if (v->Flags & flOnHook)
            qpHookList.append(v);
        if (v->Kind != vkBand)
            unassigned.insert(v);
        v->OwnerBand = nullptr;
        compileScript(v->Name, v->Script);
    }

    // Cross-tab bands: vertical strips; the objects inside a strip are its cells.
    bool anyCross = false;
    for (TqpView *v : std::as_const(Items))
        if (auto *view = dynamic_cast<TqpBandView *>(v); view && qpIsCrossBand(view->GetBandType())) {
            // A strip narrower than one unit holds no cell and would pile
            // every column up at one place.
            if (view->Width < 1)
                throw EqpError(qpLoadStr(qpMsgCrossNarrow).arg(view->Name));
            TqpBand *b = Bands[view->GetBandType()];
            configureBand(*this, b, view);
            anyCross = true;
        }
    if (anyCross)
        for (int t = btCrossHeader; t <= btCrossFooter; ++t) {
            TqpBand *b = Bands[t];
            if (!b->View)
                continue;
            for (TqpView *v : std::as_const(Items))
                if (unassigned.contains(v) && !v->OwnerBand && v->Left >= b->x && v->Left + v->Width <= b->x + b->dx) {
                    v->Left -= b->x;
                    v->OwnerBand = b;
                    b->Objects.append(v);
                }
        }

    // Horizontal bands, by type and object order; each takes the objects
    // whose top edge lies in its strip (edges included), sub-reports last.
    for (int t = btReportTitle; t <= btChild; ++t) {
        if (qpIsCrossBand(t))
            continue;
        TqpBand *last = nullptr;
        for (TqpView *v : std::as_const(Items)) {
            auto *view = dynamic_cast<TqpBandView *>(v);
            if (!view || view->GetBandType() != t)
                continue;
            TqpBand *b = last ? new TqpBand(TqpBandType(t), this) : Bands[t];
            if (last) {
                last->Next = b;
                b->Prev = last;
            }
            last = b;
            configureBand(*this, b, view);
            const auto sweep = [&](const std::function<bool(const TqpView *)> &wanted) {
                for (TqpView *o : std::as_const(Items)) {
                    if (!unassigned.contains(o) || o->Top < b->y || o->Top > b->y + b->dy || !wanted(o))
                        continue;
                    const bool cell = o->OwnerBand != nullptr;
                    o->Top -= b->y;
                    unassigned.remove(o);
                    b->Objects.append(o);
                    if (!cell)
                        o->OwnerBand = b;
                }
            };
            sweep([](const TqpView *o) { return !o->OwnerBand && o->Kind != vkSubReport; });
            sweep([](const TqpView *o) { return o->OwnerBand && qpIsCrossBand(o->OwnerBand->BandType()); });
            sweep([](const TqpView *o) { return !o->OwnerBand && o->Kind == vkSubReport; });
        }
    }

    // Each chain by top; equal tops keep their object order.
    for (TqpBand *&head : Bands) {
        QList<TqpBand *> chain;
        for (TqpBand *b = head; b; b = b->Next)
            chain.append(b);
        std::stable_sort(chain.begin(), chain.end(), [](const TqpBand *a, const TqpBand *b) { return a->y < b->y; });
        for (qsizetype i = 0; i < chain.size(); ++i) {
            chain[i]->Prev = i > 0 ? chain[i - 1] : nullptr;
            chain[i]->Next = i + 1 < chain.size() ? chain[i + 1] : nullptr;
        }
        head = chain.first();
        head->LastBand = chain.last();
    }

    // Objects in no band print once, where the template has them.
    TqpBand *none = Bands[btNone];
    for (TqpView *v : std::as_const(Items))
        if (unassigned.contains(v)) {
            none->Objects.append(v);
            v->OwnerBand = none;
        }

    for (const TqpLevelTypes &types : qpLevelTypes) {
        // A header belongs to the first data band below it, a footer to the
        // last data band above it.
        for (TqpBand *h = Bands[types.Header]; h && h->View; h = h->Next) {
            TqpBand *d = Bands[types.Data];
            while (d && d->View && h->y + h->dy >= d->y)
                d = d->Next;
            if (d && d->View && !d->HeaderBand) {
                d->HeaderBand = h;
                h->DataBand = d;
            }
        }
        for (TqpBand *f = Bands[types.Footer]; f && f->View; f = f->Next) {
            TqpBand *above = nullptr;
            for (TqpBand *d = Bands[types.Data]; d && d->View && d->y + d->dy <= f->y; d = d->Next)
                above = d;
            if (above && !above->FooterBand) {
                above->FooterBand = f;
                f->DataBand = above;
            }
        }
    }

    // Group footers pair with group headers from the inside out.
    TqpBand *header = Bands[btGroupHeader]->View ? Bands[btGroupHeader]->LastBand : nullptr;
    TqpBand *footer = Bands[btGroupFooter]->View ? Bands[btGroupFooter] : nullptr;
    for (; header && footer; header = header->Prev, footer = footer->Next)
        header->FooterBand = footer;

    if (const TqpBand *cross = Bands[btCrossData]; cross->View && cross->View->FormatStr.contains(QLatin1Char(';')))
        assignColumnDataSets(*this, cross->View->FormatStr);

    // A child name that matches no band object leaves the band without child.
    for (int t = btReportTitle; t <= btChild; ++t)
        for (TqpBand *b = Bands[t]; b; b = b->Next)
            if (b->View && !b->View->ChildBand.isEmpty())
                b->Child = bandOfObject(*this, b->View->ChildBand);

    // Groups join the group chain of the data band their Master names; an
    // empty Master, or one that names no data band, means the first master
    // data band.
    if (TqpBand *master = Bands[btMasterData]; master->View)
        for (TqpBand *g = Bands[btGroupHeader]; g && g->View; g = g->Next) {
            TqpBand *d = g->View->Master.isEmpty() ? nullptr : bandOfObject(*this, g->View->Master);
            if (!d || !qpIsDataBand(d->Typ))
                d = master;
            if (d->LastGroup) {
                d->LastGroup->NextGroup = g;
                g->PrevGroup = d->LastGroup;
            } else {
                d->FirstGroup = g;
            }
            d->LastGroup = g;
        }

    if (ColCount <= 0)
        ColCount = 1;
    ColWidth = int((qint64(RightMargin()) - LeftMargin() - qint64(ColCount - 1) * ColGap) / ColCount);
}

void TqpPage::FormPage()
{
    TqpReport *report = qpCurReport();
    if (!report || !qpMasterReport() || !Initialised || PageType != ptReport || qpTerminated())
        return;
    CurPage = this;
    try {
        PageFormer(*this, *report).form();
    } catch (const std::exception &e) {
        qpFormationError(e);
    }
    LastDrawnBand = nullptr;
}

void TqpPage::DonePage()
{
    if (const TqpReport *master = qpMasterReport(); master && master->CountingPass())
        return; // the bands serve the final pass
    if (Initialised && PageType == ptReport)
        releaseBands(*this);
    Initialised = false;
}

void TqpPage::ShowBand(TqpBand *band)
{
    if (!band)
        return;
    if (Mode == pmNormal)
        band->Draw();
    else
        AddRecord(band, rtShowBand);
}

void TqpPage::ShowBandByType(TqpBandType type)
{
    if (Bands[type])
        Bands[type]->Draw();
}

void TqpPage::NewPage()
{
    if (qpTerminated())
        return;
    if (qpProgress)
        qpProgress(PageNo + 1);
    if (!NoRepeatedHeaders)
        ShowBand(Bands[btColumnFooter]);
    DrawPageFooters();
    BottomLimit = BottomMargin();
    qpAddPreparedPage(*this);
    qpAppendMode = false;
    ShowBand(Bands[btOverlay]);
    CurrentY = TopMargin();
    ShowBand(Bands[btPageHeader]);
    ShowBand(Bands[btColumnHeader]);
}

void TqpPage::NewColumn(TqpBand *band)
{
    if (CurColumn < ColCount - 1) {
        if (!NoRepeatedHeaders)
            ShowBand(Bands[btColumnFooter]);
        ++CurColumn;
        XShift += ColWidth + ColGap;
        CurrentY = ColumnStartY;
        ShowBand(Bands[btColumnHeader]);
    } else {
        NewPage();
    }
    if (NoRepeatedHeaders)
        return;
    for (TqpBand *g = Bands[btGroupHeader]; g && g != band; g = g->Next)
        if (g->Flags & flRepeatHeader) {
            g->KeepValues = true;
            ShowBand(g);
            g->KeepValues = false;
        }
    if (band && qpIsDataBand(band->Typ) && band->HeaderBand && (band->HeaderBand->Flags & flRepeatHeader))
        ShowBand(band->HeaderBand);
}

void TqpPage::DrawPageFooters() { closePages(*this, true); }

bool TqpPage::BandExists(const TqpBand *band) const
{
    return band && (band->View || (band->Typ == btNone && !band->Objects.isEmpty()));
}

void TqpPage::ResetPosition(TqpBand *band, int lineNumber)
{
    band->LineNo = lineNumber;
    for (TqpView *v : std::as_const(band->Objects))
        if (auto *memo = dynamic_cast<TqpMemoView *>(v))
            memo->LastValue.clear();
}

TqpView *TqpPage::FindObject(const QString &name) const
{
    for (TqpView *v : Items)
        if (qpSameName(v->Name, name))
            return v;
    return nullptr;
}

void TqpPage::AfterPrint()
{
    for (TqpView *v : std::as_const(qpHookList))
        v->OnHook(CurView);
}

void TqpPage::DoScript(const QStringList &script)
{
    CurView = nullptr;
    if (std::all_of(script.cbegin(), script.cend(), [](const QString &line) { return line.trimmed().isEmpty(); }))
        return;
    QStringList compiled = script;
    compileScript(Name, compiled);
    qpInterpretator->DoScript(compiled);
}

