#include "report/expr/expr_globals.h"

#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/variables.h"

TqpParser *qpParser = nullptr;
TqpInterpretator *qpInterpretator = nullptr;
TqpVariables *qpVariables = nullptr;
TqpVariables *qpConsts = nullptr;

void qpInitExpressionGlobals()
{
    if (!qpParser)
        qpParser = new TqpParser;
    if (!qpInterpretator)
        qpInterpretator = new TqpInterpretator;
    if (!qpVariables) {
        qpVariables = new TqpVariables;
        qpVariables->SetSorted(true);
    }
    if (!qpConsts) {
        qpConsts = new TqpVariables;
        qpConsts->SetSorted(true);
    }
}

void qpDoneExpressionGlobals()
{
    delete qpConsts;
    qpConsts = nullptr;
    delete qpVariables;
    qpVariables = nullptr;
    delete qpInterpretator;
    qpInterpretator = nullptr;
    delete qpParser;
    qpParser = nullptr;
}
