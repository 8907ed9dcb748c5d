#include "report/expr/aggregate_splitter.h"

#include "report/expr/interpreter.h"

TAggregateFunctionsSplitter::TAggregateFunctionsSplitter(QStringList *splitTo, const TqpVariables *variables)
    : TqpFunctionSplitter(&AggregateNames(), splitTo, variables), m_output(splitTo), m_variables(variables)
{
}

const QStringList &TAggregateFunctionsSplitter::AggregateNames()
{
    static const QStringList names{QStringLiteral("AVG"), QStringLiteral("COUNT"), QStringLiteral("MAX"),
                                   QStringLiteral("MIN"), QStringLiteral("SUM")};
    return names;
}

void TAggregateFunctionsSplitter::SplitMemo(const QStringList &lines)
{
    for (const QString &line : lines) {
        int i = 1;
        while (i <= line.size()) {
            if (line.at(i - 1) != QLatin1Char('[')) {
                ++i;
                continue;
            }
            int j;
            const QString expression = GetBrackedVariable(line, i, j);
            Split(QLatin1Char('[') + expression + QLatin1Char(']'));
            i = j + 1;
        }
    }
}

void TAggregateFunctionsSplitter::SplitScript(const QStringList &compiled)
{
    if (compiled.isEmpty())
        return;
    TqpInterpretator interpreter;
    interpreter.SplitExpressions(compiled, AggregateNames(), *m_output, m_variables);
}
