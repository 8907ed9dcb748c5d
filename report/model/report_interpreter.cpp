#include "report/model/report_interpreter.h"

#include "report/core/conversions.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"
#include "report/expr/variables.h"
#include "report/model/model_globals.h"
#include "report/model/page.h"
#include "report/model/property_path.h"
#include "report/model/report.h"

std::function<void(int result)> qpDialogModalResult;

void TInterpretator::GetValue(const QString &name, Variant &value)
{
    if (qpParser->OnGetValue)
        qpParser->OnGetValue(name, value);
}

void TInterpretator::DoFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                                Variant &value)
{
    if (qpParser->OnFunction)
        qpParser->OnFunction(name, p1, p2, p3, value);
}

void TInterpretator::SetValue(const QString &name, const Variant &value)
{
    if (qpVariables->IndexOf(name) >= 0) {
        qpVariables->SetVariable(name, value);
        return;
    }
    if (auto *report = dynamic_cast<TqpReport *>(CurReport); report && report->Dictionary.IsVariable(name)) {
        report->Dictionary.Variables.SetVariable(name, value);
        return;
    }
    const QString upper = qpUpperCase(name);
    if (upper == QLatin1String("MODALRESULT")) {
        const auto *page = dynamic_cast<const TqpPage *>(CurPage);
        if (page && page->PageType == ptDialog && qpDialogModalResult)
            qpDialogModalResult(value.toInt());
        return;
    }
    if (upper == QLatin1String("CURY")) {
        if (CurBand && CurBand->HasBreakRequests())
            CurBand->KeepCurrentY();
        if (CurPage)
            CurPage->SetCurY(value.toInt());
        return;
    }
    if (upper == QLatin1String("PROGRESS")) {
        if (qpProgressUi.SetLabel)
            qpProgressUi.SetLabel(QString(), value.toString());
        return;
    }
    TqpObject *object = nullptr;
    QString property;
    ResolvePropertyPath(name, object, property);
    if (object && object->GetPropRec(property))
        object->SetPropValue(property, value);
    else
        qpVariables->SetVariable(name, value);
}
