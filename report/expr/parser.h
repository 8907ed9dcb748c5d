#pragma once
// The expression parser of the report engine. An infix expression is turned
// once into a compact postfix string (Str2OPZ) and that string is evaluated as
// often as needed (CalcOPZ). The parser knows literals, operators and the
// built-in forms COPY, IF, STRTODATE and STRTOTIME; every other name and
// function is resolved through the two callbacks its owner installs.
//
// Postfix form: operands (numbers, quoted strings, names, bracketed names,
// indexed names) each followed by one blank; function calls as written, with
// their arguments unconverted and no blank after them; operators as one
// character: the source character for * + - / < = > or one of the codes below.

#include "report/core/variant.h"

#include <QString>
#include <functional>

// Operator codes in the postfix form.
enum qpOperatorCode : ushort {
    qpOpGreaterEqual = 1,
    qpOpLessEqual = 2,
    qpOpNotEqual = 3,
    qpOpOr = 4,
    qpOpAnd = 5,
    qpOpInt = 6,
    qpOpFrac = 7,
    qpOpNegate = 9,
    qpOpPlusSign = 10,
    qpOpStr = 11,
    qpOpNot = 12,
    qpOpMod = 13,
    qpOpRound = 14,
};

// (const s: name; var v: value) - called for every name and bracketed name.
using TGetPValueEvent = std::function<void(const QString &s, Variant &v)>;
// (Name; p1, p2, p3: argument texts held as strings; var Val)
using TFunctionEvent = std::function<void(const QString &Name, const Variant &p1, const Variant &p2,
                                          const Variant &p3, Variant &Val)>;

class TqpParser {
public:
    // The result slot is set to Null before a callback is called; with no
    // callback installed the slot stays Null.
    TGetPValueEvent OnGetValue;
    TFunctionEvent OnFunction;

    // Infix to postfix. Text after ";" is ignored. Throws EParserError for an
    // unterminated string or bracketed name and for an argument list whose
    // parentheses do not close.
    QString Str2OPZ(const QString &s) const;

    // Evaluates a postfix form. At most 32 values may be pending at once;
    // more, an operator without operand or nesting (through callbacks and the
    // built-in forms) deeper than 200 evaluations raise EParserError.
    Variant CalcOPZ(const QString &s);

    // CalcOPZ(Str2OPZ(s)).
    Variant Calc(const QString &s);

    // Positions are 1-based, as in the stored templates' world.
    // Reads a name from i: skips characters up to code 32, then takes
    // characters up to a stop character (CR, blank, ( ) * + - / < = > [),
    // double-quoted parts protecting them. i ends at the stop character.
    QString GetIdentify(const QString &s, int &i) const;
    // Reads a single-quoted string at i (doubled quotes inside) and returns
    // it with its quotes; i ends after the closing quote.
    QString GetString(const QString &s, int &i) const;
    // Splits the argument list whose "(" is at i into at most three texts;
    // i ends after the closing parenthesis.
    void Get3Parameters(const QString &s, int &i, QString &s1, QString &s2, QString &s3) const;

    // Evaluation nesting limit (CalcOPZ inside CalcOPZ through callbacks).
    static constexpr int MaxNesting = 200;
    // Values pending at once in one evaluation.
    static constexpr int StackSize = 32;
};

// Reads the bracketed name whose "[" is at i (1-based): j ends at the bracket
// that closes it (or at the end of the text); the result is the text strictly
// between i and j. Brackets inside single- or double-quoted parts do not count.
QString GetBrackedVariable(const QString &s, int &i, int &j);
