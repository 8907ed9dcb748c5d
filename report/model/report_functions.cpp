// Function calls of the report's expressions and scripts.

#include "report/model/report.h"

#include "report/core/conversions.h"
#include "report/expr/expr_globals.h"
#include "report/expr/function_library.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/variables.h"
#include "report/model/property_path.h"

namespace {

Variant valueOf(const Variant &argument)
{
    return qpParser->Calc(argument.toString());
}

// INC and DEC: read the name as expressions do, assign it as scripts do.
void addToVariable(const Variant &nameArgument, int delta)
{
    const QString name = nameArgument.toString().trimmed();
    Variant v = Variant::null();
    if (qpParser->OnGetValue)
        qpParser->OnGetValue(name, v);
    qpInterpretator->SetValue(name, v + Variant(delta));
}

// SETARRAY(name, index, value) and GETARRAY(name, index). A dotted name is an
// indexed property of an object; otherwise the element is the free variable
// Arr_<name>_<index>.
void arrayElement(bool set, const Variant &p1, const Variant &p2, const Variant &p3, Variant &value)
{
    const QString name = p1.toString().trimmed();
    if (name.contains(QLatin1Char('.'))) {
        TqpObject *object = nullptr;
        QString property;
        ResolvePropertyPath(name, object, property);
        if (!object)
            return;
        const Variant index = valueOf(p2);
        if (set)
            object->DoMethod(QStringLiteral("SETINDEXPROPERTY"), qpUpperCase(property), index, valueOf(p3));
        else
            value = object->DoMethod(QStringLiteral("GETINDEXPROPERTY"), qpUpperCase(property), index,
                                     Variant::null());
        return;
    }
    const Variant index = valueOf(p2);
    const QString indexText = index.isString() ? index.stringValue() : QString::number(index.toInt());
    const QString element = QLatin1String("Arr_") + name + QLatin1Char('_') + indexText;
    if (set)
        qpVariables->SetVariable(element, valueOf(p3));
    else
        value = qpVariables->GetVariable(element);
}

} // namespace

void TqpReport::OnGetParsFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                                  Variant &value)
{
    value = Variant(QStringLiteral("0"));
    if (qpCallFunctionLibraries(name, p1, p2, p3, value))
        return;
    GetIntrpFunction(name, p1, p2, p3, value);
    if (OnUserFunction)
        OnUserFunction(name, p1, p2, p3, value);
}

void TqpReport::GetIntrpFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                                 Variant &value)
{
    if (name == QLatin1String("STOPREPORT")) {
        if (CurReport)
            CurReport->Terminate();
    } else if (name == QLatin1String("NEWPAGE")) {
        if (CurBand)
            CurBand->RequestNewPage();
    } else if (name == QLatin1String("NEWCOLUMN")) {
        if (CurBand)
            CurBand->RequestNewColumn();
    } else if (name == QLatin1String("SHOWBAND")) {
        // The band's name as written, not evaluated.
        if (CurPage)
            CurPage->ShowBandByName(p1.toString().trimmed());
    } else if (name == QLatin1String("INC")) {
        addToVariable(p1, 1);
    } else if (name == QLatin1String("DEC")) {
        addToVariable(p1, -1);
    } else if (name == QLatin1String("SETARRAY")) {
        arrayElement(true, p1, p2, p3, value);
    } else if (name == QLatin1String("GETARRAY")) {
        arrayElement(false, p1, p2, p3, value);
    } else {
        TqpObject *object = nullptr;
        QString method;
        ResolvePropertyPath(name, object, method);
        if (object)
            value = object->DoMethod(method, p1, p2, p3);
    }
}
