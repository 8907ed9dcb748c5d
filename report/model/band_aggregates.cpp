#include "report/model/band_aggregates.h"

#include "report/core/names.h"
#include "report/model/band_view.h"
#include "report/model/report_links.h"

namespace {

const QChar kSeparator(1);

QString makeKey(const QString &location, const TqpAggregateCall &call)
{
    return location + kSeparator + QChar(call.Code) + kSeparator + call.Expression + kSeparator + call.CountInvisible
         + kSeparator;
}

// The data band a footer of this type sums over when the call names none.
int defaultDataBandType(int bandType)
{
    switch (bandType) {
    case btReportSummary:
    case btPageFooter:
    case btMasterFooter:
    case btGroupFooter:
        return btMasterData;
    case btDetailFooter:
        return btDetailData;
    case btSubDetailFooter:
        return btSubDetailData;
    case btCrossFooter:
        return btCrossData;
    default:
        return btNone;
    }
}

void registerCall(TqpBandBase *band, const TqpAggregateCall &call)
{
    TqpBandBase *target = qpAggregateTargetBand;
    if (!target)
        return;
    QString bandName = call.BandName.trimmed();
    if (bandName.isEmpty()) {
        const int dataType = defaultDataBandType(band->BandType());
        if (dataType == btNone || target->BandType() != dataType)
            return;
        bandName = target->BandName();
    }
    if (!qpSameName(target->BandName(), bandName))
        return;
    QString key = makeKey(band->BandName(), call);
    if (band->HasCross() && band->BandType() != btCrossFooter)
        key = QLatin1Char('0') + kSeparator + key;
    target->AddAggregateValue(key, call.Code == qpAggMin ? Variant(1e300) : Variant(0));
    band->SetAggregateBand(target);
}

void readValue(TqpBandBase *band, const TqpAggregateCall &call, Variant &value)
{
    TqpBandBase *source = band->AggregateBand();
    if (!source)
        return;
    if (band->BandType() != btCrossData) {
        value = source->GetAggregateValue(makeKey(band->BandName(), call));
        return;
    }
    // A cross data band reads through the row band it is drawn for, per column.
    TqpBandBase *row = source;
    source = row->AggregateBand();
    if (!source)
        return;
    const int column = CurPage ? CurPage->ColumnNo() : 0;
    value = source->GetAggregateValue(QString::number(column) + kSeparator + makeKey(row->BandName(), call));
}

} // namespace

void qpBandAggregate(const TqpAggregateCall &call, Variant &value)
{
    if (!CurBand)
        return;
    if (qpRegisteringAggregates)
        registerCall(CurBand, call);
    else
        readValue(CurBand, call, value);
}
