// Before a template page is formed: objects whose whole text is one data
// field are bound to it (so a picture prints the member's photo), and the
// aggregate calls of footer bands are registered in the tables of the data
// bands they sum over.

#include "report/engine/band_engine.h"
#include "report/engine/engine_globals.h"
#include "report/expr/aggregate_splitter.h"
#include "report/expr/data_access.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

namespace {

void bindObject(TqpReport &report, TqpView *view)
{
    view->SourceField.clear();
    const QString text = view->Memo.join(QLatin1Char('\n'));
    const auto *memo = dynamic_cast<const TqpMemoView *>(view);
    if (text.size() <= 2 || !text.startsWith(QLatin1Char('[')) || (memo && (memo->Flags & flTextOnly)))
        return;
    const QString inner = text.mid(1, text.lastIndexOf(QLatin1Char(']')) - 1);
    view->SourceDataSet = nullptr;
    CurBand = view->OwnerBand;
    TDataSet *dataSet = nullptr;
    QString field;
    if (report.Dictionary.IsVariable(inner)) {
        report.Dictionary.FindCacheItem(inner, dataSet, field);
    } else {
        if (report.UseDefaultDataSetName && qpDefaultDataSet)
            dataSet = qpDefaultDataSet();
        qpGetDataSetAndField(inner, dataSet, field);
    }
    if (!field.isEmpty()) {
        view->SourceDataSet = dataSet;
        view->SourceField = field;
    }
}

// Collects the band's aggregate calls and evaluates each once, which
// registers it with the target band.
void prepareBand(TqpReport &report, TqpBand *band)
{
    CurBand = band;
    CurView = band->View;
    QStringList calls;
    TAggregateFunctionsSplitter splitter(&calls, &report.Dictionary.Variables);
    splitter.SplitScript(band->Script);
    for (TqpView *v : std::as_const(band->Objects)) {
        CurView = v;
        if (auto *memo = dynamic_cast<TqpMemoView *>(v))
            splitter.SplitMemo(memo->Memo);
        splitter.SplitScript(v->Script);
    }
    for (const QString &call : std::as_const(calls))
        qpParser->Calc(call);
}

// The first band of the type with its children, then the rest of its chain.
void prepareType(TqpReport &report, TqpPage &page, TqpBandType type)
{
    TqpBand *first = page.Bands[type];
    if (!first)
        return;
    // Child chains that loop are reported by formation; here they only stop.
    int depth = 0;
    for (TqpBand *b = first; b && depth < qpMaxBandNesting; b = b->Child, ++depth)
        prepareBand(report, b);
    for (TqpBand *b = first->Next; b; b = b->Next)
        prepareBand(report, b);
}

void registerAggregates(TqpReport &report, TqpPage &page)
{
    static const QList<TqpBandType> prepared[3] = {
        {btPageFooter, btColumnFooter, btMasterFooter, btGroupFooter, btReportSummary},
        {btPageFooter, btColumnFooter, btMasterFooter, btDetailFooter, btGroupFooter, btReportSummary},
        {btPageFooter, btColumnFooter, btMasterFooter, btDetailFooter, btSubDetailFooter, btGroupFooter,
         btReportSummary},
    };
    for (int level = 0; level < 3; ++level) {
        TqpBand *data = page.Bands[qpLevelTypes[level].Data];
        for (TqpBand *b = data; b; b = b->Next) {
            if (b != data && !b->DataSet())
                break;
            qpAggregateTargetBand = b;
            for (TqpBandType type : prepared[level])
                prepareType(report, page, type);
        }
    }
    if (TqpBand *cross = page.Bands[btCrossData]; cross && cross->View) {
        qpAggregateTargetBand = cross;
        prepareType(report, page, btCrossFooter);
    }
}

} // namespace

void TqpPage::PrepareObjects()
{
    TqpReport *report = qpCurReport();
    const TqpReport *master = qpMasterReport();
    if (PageType == ptDialog || !report || (master && master->DoublePassReport && master->FinalPass))
        return;
    CurPage = this;
    try {
        for (TqpView *v : std::as_const(Items))
            bindObject(*report, v);
        qpRegisteringAggregates = true;
        CurPage = this;
        registerAggregates(*report, *this);
    } catch (const std::exception &e) {
        qpFormationError(e);
    }
    qpRegisteringAggregates = false;
    qpAggregateTargetBand = nullptr;
}
