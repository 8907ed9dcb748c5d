#include "report/model/model_globals.h"
#include "report/model/report_interpreter.h"
#include "report/expr/expr_globals.h"

#include "report/core/string_table.h"
#include "report/model/band_aggregates.h"
#include "report/model/rich_view.h"

TqpReportBase *CurReport = nullptr;
TqpPageBase *CurPage = nullptr;
TqpBandBase *CurBand = nullptr;
TqpView *CurView = nullptr;
TqpPageBase *qpDesignerPage = nullptr;
TqpDocMode DocMode = dmDesigning;
bool DisableDrawing = false;
QStringList SMemo;
int qpVersion = 25;
int qpCharset = 1;
bool ErrorFlag = false;
QString ErrorStr;
quint32 qpNextObjectID = 0;
TqpBitmap *TempBitmap = nullptr;
bool ShowBandTitles = true;

int PageNo = 0;
TqpReportBase *MasterReport = nullptr;
Variant qpCurValue;
double qpStartDate = 0;
double qpStartTime = 0;
int qpTotalPages = 0;
QString qpRecursionGuard;
bool qpRegisteringAggregates = false;
TqpBandBase *qpAggregateTargetBand = nullptr;

TqpPropEditor qpMemoEditor, qpTagEditor, qpRestrEditor, qpHighlightEditor, qpFieldEditor, qpDataSourceEditor,
    qpCrossDataSourceEditor, qpGroupEditor, qpPictureEditor, qpFontEditor;

TqpPropEditor qpEditorSlot(const TqpPropEditor &slot)
{
    return [&slot](TqpObject *sender) {
        if (slot)
            slot(sender);
    };
}

void qpInitModelGlobals()
{
    qpOnAggregate = qpBandAggregate;
    // Scripts of reports reach the report's names and page formation.
    if (qpInterpretator && !dynamic_cast<TInterpretator *>(qpInterpretator)) {
        delete qpInterpretator;
        qpInterpretator = new TInterpretator;
    }
    if (TempBitmap)
        return;
    TempBitmap = new TqpBitmap;
    qpInitRichView();
    bool ok = false;
    const int charset = qpLoadStr(55337).toInt(&ok);
    qpCharset = ok ? charset : 1;
}

void qpDoneModelGlobals()
{
    qpOnAggregate = nullptr;
    qpDoneRichView();
    delete TempBitmap;
    TempBitmap = nullptr;
}
