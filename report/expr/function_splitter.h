#pragma once
// TqpFunctionSplitter finds the calls of chosen functions (the aggregates,
// usually) inside an expression: in argument lists, in bracketed names and,
// through a variables list whose values are expression texts, inside the
// expressions that variables stand for. Calls are appended innermost first,
// as written in the source.

#include "report/expr/parser.h"

#include <QStringList>

class TqpVariables;

class TqpFunctionSplitter {
public:
    // The three lists belong to the caller.
    TqpFunctionSplitter(const QStringList *matchFuncs, QStringList *splitTo, const TqpVariables *variables);

    // Throws EParserError for an argument list whose parentheses do not close.
    void Split(const QString &s);

private:
    void split(const QString &s, int depth);
    bool matches(const QString &name) const;

    const QStringList *m_matchFuncs;
    QStringList *m_splitTo;
    const TqpVariables *m_variables;
    TqpParser m_parser;
    // Variables being expanded now: a variable whose expression names itself
    // (directly or through others) is not expanded again.
    QStringList m_expanding;
};
