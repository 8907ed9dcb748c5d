#include "report/expr/database_functions.h"

#include "report/core/string_table.h"
#include "report/expr/data_access.h"
#include "report/expr/expr_globals.h"
#include "report/expr/parser.h"

namespace {

constexpr int kMsgCategory = 55620, kMsgFieldIsNull = 55621;

} // namespace

TDatabaseFunctionLibrary::TDatabaseFunctionLibrary()
{
    List.append(QStringLiteral("FIELDISNULL"));
    AddFunctionDesc(QStringLiteral("FIELDISNULL"), qpLoadStr(kMsgCategory), qpLoadStr(kMsgFieldIsNull));
}

void TDatabaseFunctionLibrary::DoFunction(int functionNo, const Variant &p1, const Variant &, const Variant &,
                                          Variant &value)
{
    value = 0;
    if (functionNo == 0)
        value = qpFieldIsNull(qpParser->Calc(p1.toString()).toString());
}
