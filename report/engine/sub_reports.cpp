// Sub-reports: a sub-report object shows the bands of another template page
// inside its band. The page's data walk is first recorded as a list of band
// actions, then replayed into the band's area page by page, so that sub-reports
// side by side advance together and continue together on the next page.

#include "report/engine/band_engine.h"
#include "report/engine/engine_globals.h"

#include "report/core/exceptions.h"
#include "report/core/string_table.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"

#include <QSet>
#include <algorithm>

namespace {

// Records replayed so far in this process; a pass over the sub-reports of a
// band on a fresh page that replays nothing would repeat on every page.
quint64 gReplayed = 0;

TqpPage *subPage(const TqpSubReportView &view)
{
    const TqpReport *report = qpCurReport();
    auto *page = report ? dynamic_cast<TqpPage *>(report->PageAt(view.SubPage)) : nullptr;
    return page && page->PageType == ptReport ? page : nullptr;
}

TqpSubReportView *visibleSubReport(TqpView *view)
{
    auto *sub = view->Kind == vkSubReport ? dynamic_cast<TqpSubReportView *>(view) : nullptr;
    return sub && sub->Visible ? sub : nullptr;
}

[[noreturn]] void fail(TqpView *view, int message, const QString &argument)
{
    CurView = view;
    throw EqpError(qpLoadStr(message).arg(view->Name, argument));
}

// The walk restarts line numbers with each new group; replayed, a group
// header shown says the same for the data band whose group it is.
void restartGroupLines(TqpPage &page, const TqpBand *group)
{
    for (const TqpLevelTypes &types : qpLevelTypes)
        for (TqpBand *d = page.Bands[types.Data]; d; d = d->Next)
            for (const TqpBand *g = d->FirstGroup; g; g = g->NextGroup)
                if (g == group) {
                    page.ResetPosition(d, 1);
                    return;
                }
}

// Rows of a sub-report continued on a new page get their headings again
// when the data band's header repeats, as on a page of their own.
void repeatDataHeader(TqpPage &page)
{
    if (page.NoRepeatedHeaders || page.ReplayPosition >= page.BandRecs.size())
        return;
    const TqpBandRec &rec = page.BandRecs.at(page.ReplayPosition);
    TqpBand *header = rec.Band->HeaderBand;
    if (rec.Action == rtShowBand && qpIsDataBand(rec.Band->Typ) && header && (header->Flags & flRepeatHeader) &&
        page.BandExists(header))
        header->Draw();
}

} // namespace

void qpMarkSubReportPages(TqpPages &pages)
{
    // The pages each report page shows through its sub-report objects.
    QList<QList<int>> shows(pages.GetCount());
    for (int i = 0; i < pages.GetCount(); ++i)
        pages.GetPages(i)->IsSubReportPage = false;
    for (int i = 0; i < pages.GetCount(); ++i) {
        const TqpPage *page = pages.GetPages(i);
        if (page->PageType != ptReport)
            continue;
        for (TqpView *v : page->Items) {
            auto *sub = v->Kind == vkSubReport ? dynamic_cast<TqpSubReportView *>(v) : nullptr;
            if (!sub)
                continue;
            if (sub->SubPage < 0 || sub->SubPage >= pages.GetCount() ||
                pages.GetPages(sub->SubPage)->PageType != ptReport)
                fail(sub, qpMsgSubPageMissing, QString::number(qint64(sub->SubPage) + 1));
            shows[i].append(sub->SubPage);
        }
    }
    // A page that shows itself, directly or through other pages, would be
    // recorded inside its own recording without end.
    for (int i = 0; i < pages.GetCount(); ++i) {
        QSet<int> seen;
        QList<int> todo = shows.at(i);
        while (!todo.isEmpty()) {
            const int p = todo.takeLast();
            if (p == i) {
                for (TqpView *v : pages.GetPages(i)->Items)
                    if (v->Kind == vkSubReport)
                        fail(v, qpMsgSubPageLoop, QString::number(i + 1));
            }
            if (!seen.contains(p)) {
                seen.insert(p);
                todo += shows.at(p);
            }
        }
        for (int p : shows.at(i))
            pages.GetPages(p)->IsSubReportPage = true;
    }
}

void TqpBand::PrepareSubReports()
{
    SubReportFinished = QList<bool>(Objects.size() - SubReportStart, true);
    QSet<TqpPage *> prepared;
    for (qsizetype i = SubReportStart; i < Objects.size(); ++i) {
        TqpSubReportView *sub = visibleSubReport(Objects.at(i));
        if (!sub)
            continue;
        TqpPage *page = subPage(*sub);
        if (!page)
            fail(sub, qpMsgSubPageMissing, QString::number(qint64(sub->SubPage) + 1));
        // One page has one record list: two objects of a band cannot share it.
        if (prepared.contains(page))
            fail(sub, qpMsgSubPageTwice, QString::number(qint64(sub->SubPage) + 1));
        prepared.insert(page);
        page->ClearRecList();
        page->Mode = pmBuildList;
        page->FormPage();
        page->Mode = pmNormal;
        page->CurrentY = sub->Top + y;
        page->BottomLimit = Parent->BottomLimit;
        page->XShift = Parent->XShift + sub->Left;
        page->Margins = Parent->Margins;
        page->UseMargins = Parent->UseMargins;
        page->ColCount = 1;
        page->ReplayPosition = 0;
        SubReportFinished[i - SubReportStart] = false;
    }
    Parent->SuspendedBand = nullptr;
}

void TqpBand::DoSubReports()
{
    const auto forEachSubReport = [this](const auto &visit) {
        for (qsizetype i = SubReportStart; i < Objects.size(); ++i)
            if (TqpSubReportView *sub = visibleSubReport(Objects.at(i)); sub && subPage(*sub))
                visit(*subPage(*sub), i - SubReportStart);
    };
    for (;;) {
        const bool resumed = !Finished;
        const quint64 replayedBefore = gReplayed;
        if (resumed)
            forEachSubReport([this](TqpPage &page, qsizetype k) {
                page.CurrentY = Parent->CurrentY;
                page.BottomLimit = Parent->BottomLimit;
                if (!SubReportFinished.at(k) && !page.SuspendedBand)
                    repeatDataHeader(page);
            });
        Finished = true;
        SubReportBottom = Parent->CurrentY;
        forEachSubReport([this](TqpPage &page, qsizetype k) {
            if (SubReportFinished.at(k))
                return;
            if (page.PlayRecList()) {
                Finished = false;
            } else {
                SubReportFinished[k] = true;
                SubReportBottom = std::max(SubReportBottom, page.CurrentY);
            }
        });
        if (Finished || qpTerminated())
            break;
        if (Parent->IsSubReportPage) {
            // The page that replays this band's page goes on with it later.
            Parent->SuspendedBand = this;
            return;
        }
        if (resumed && gReplayed == replayedBefore) {
            CurView = View;
            throw EqpError(qpLoadStr(qpMsgNoRoom).arg(DisplayName()));
        }
        // The bands left unfinished already ran their scripts on this page.
        forEachSubReport([this](TqpPage &page, qsizetype k) {
            if (!SubReportFinished.at(k) && !page.SuspendedBand && page.ReplayPosition < page.BandRecs.size() &&
                page.BandRecs.at(page.ReplayPosition).Action == rtShowBand)
                page.BandRecs.at(page.ReplayPosition).Band->SkipScriptOnce = true;
        });
        Parent->NewPage();
    }
    forEachSubReport([](TqpPage &page, qsizetype) { page.ClearRecList(); });
    Parent->CurrentY += std::max(SubReportBottom - Parent->CurrentY, CalcDY);
    Parent->SuspendedBand = nullptr;
}

void TqpPage::AddRecord(TqpBand *band, TqpBandRecType action) { BandRecs.append({band, action}); }

void TqpPage::ClearRecList()
{
    BandRecs.clear();
    ReplayPosition = 0;
}

bool TqpPage::PlayRecList()
{
    while (ReplayPosition < BandRecs.size()) {
        const TqpBandRec rec = BandRecs.at(ReplayPosition);
        switch (rec.Action) {
        case rtShowBand:
            if (SuspendedBand) {
                // Shown before it was suspended: only its sub-reports go on.
                SuspendedBand->DoSubReports();
                if (SuspendedBand)
                    return true;
            } else {
                if (rec.Band->Typ == btGroupHeader)
                    restartGroupLines(*this, rec.Band);
                if (rec.Band->Draw())
                    return true; // shown again from this record on the next page
            }
            break;
        case rtFirst:
            if (TqpDataset *ds = rec.Band->BandDataSet)
                ds->First();
            ResetPosition(rec.Band, 1);
            break;
        case rtNext:
            if (TqpDataset *ds = rec.Band->BandDataSet)
                ds->Next();
            ++RecordNumber;
            ++rec.Band->LineThroughNo;
            ++rec.Band->LineNo;
            break;
        }
        ++ReplayPosition;
        ++gReplayed;
        if (qpTerminated())
            return false;
    }
    return false;
}
