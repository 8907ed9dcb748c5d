#pragma once
// The script interpreter: compiles the small structured language of report
// scripts (begin/end, if, repeat, while, for, goto and labels, assignments,
// calls) into a list of compiled lines and runs such a list.
//
// Compiled line, by its first character:
//   code 1, address low byte, address high byte, postfix condition
//          - when the condition equals integer 0 continue at the address
//   code 2, address low byte, address high byte - continue at the address
//   code 3, postfix expression - evaluate; EXIT(0) ends the script
//   otherwise: name, one blank, postfix expression - evaluate and SetValue
// An address is the 0-based index of a compiled line.

#include "report/expr/parser.h"

#include <QStringList>

class TqpVariables;

class TqpInterpretator {
public:
    TqpInterpretator();
    virtual ~TqpInterpretator() = default;
    TqpInterpretator(const TqpInterpretator &) = delete;
    TqpInterpretator &operator=(const TqpInterpretator &) = delete;

    // Name access for the running script; the base class does nothing (a
    // name then reads as Null, an assignment is dropped).
    virtual void GetValue(const QString &name, Variant &value);
    virtual void SetValue(const QString &name, const Variant &value);
    virtual void DoFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                            Variant &value);

    // Compiles source lines into destination; both lists are cleared first
    // (source and destination may be the same list). Never throws: the first
    // syntax error appends "Line L/C: message" to errors and stops; the lines
    // compiled so far stay.
    virtual void PrepareScript(const QStringList &source, QStringList &destination, QStringList &errors);
    // Runs a compiled list. Errors of evaluation propagate.
    virtual void DoScript(const QStringList &compiled);

    // Finds the calls of matchFuncs in the expression part of every compiled line.
    void SplitExpressions(const QStringList &compiled, const QStringList &matchFuncs, QStringList &splitTo,
                          const TqpVariables *variables);

    // Set by PrepareScript when compilation failed (with or without a message).
    bool ErrorFlag() const { return m_error; }

    TqpParser &Parser() { return m_parser; }

    static constexpr int MaxSourceLength = 32000;  // characters, one line end per line counted
    static constexpr int MaxLabels = 101;
    static constexpr int MaxLines = 65535;
    static constexpr int MaxNesting = 400;  // statements and parentheses inside each other

    // Address of an unresolved goto: beyond every line, so the script ends.
    static constexpr int EndAddress = 0xFFFF;

private:
    TqpParser m_parser;
    bool m_error = false;
};
