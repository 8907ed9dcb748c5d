#pragma once
// TAggregateFunctionsSplitter collects the aggregate calls (AVG, COUNT, MAX,
// MIN, SUM) of a text object's lines or of a compiled script, each as its
// own expression text, so that the band engine can register them once
// before a page is formed. Calls inside the expressions that the report's
// dictionary variables stand for are found too.

#include "report/expr/function_splitter.h"

class TAggregateFunctionsSplitter : public TqpFunctionSplitter {
public:
    // The output list and the variables (the current report's dictionary
    // variables, whose values are expression texts) belong to the caller.
    TAggregateFunctionsSplitter(QStringList *splitTo, const TqpVariables *variables);

    // Every bracketed expression of every line, brackets included.
    void SplitMemo(const QStringList &lines);
    // The expression part of every compiled line.
    void SplitScript(const QStringList &compiled);

    // AVG, COUNT, MAX, MIN, SUM.
    static const QStringList &AggregateNames();

private:
    QStringList *m_output;
    const TqpVariables *m_variables;
};
