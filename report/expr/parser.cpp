#include "report/expr/parser.h"

#include "data/format_settings.h"
#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/names.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"

#include <QVarLengthArray>
#include <cmath>

namespace {

inline bool isStopChar(ushort c)
{
    switch (c) {
    case 13: case ' ': case '(': case ')': case '*': case '+': case '-':
    case '/': case '<': case '=': case '>': case '[':
        return true;
    default:
        return false;
    }
}

inline bool isOperatorChar(ushort c)
{
    switch (c) {
    case '*': case '+': case '-': case '/': case '<': case '=': case '>':
        return true;
    default:
        return false;
    }
}

inline bool startsNumber(ushort c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == ',';
}

// Binding level; lower binds tighter. "(" sits on the stack at level 5.
int level(ushort op)
{
    switch (op) {
    case qpOpInt: case qpOpFrac: case qpOpStr: case qpOpRound:
        return 0;
    case qpOpOr: case qpOpAnd: case qpOpNot: case qpOpMod: case '*': case '/':
        return 1;
    case qpOpNegate: case qpOpPlusSign: case '+': case '-':
        return 2;
    case qpOpGreaterEqual: case qpOpLessEqual: case qpOpNotEqual: case '<': case '=': case '>':
        return 3;
    default:
        return 5;  // "("
    }
}

// Keyword operators, recognised in any letter case; 0 when the name is none.
ushort keywordCode(QStringView name)
{
    if (name.size() < 2 || name.size() > 5)
        return 0;
    struct K { const char16_t *word; ushort code; };
    static constexpr K kWords[] = {
        {u"AND", qpOpAnd}, {u"OR", qpOpOr}, {u"NOT", qpOpNot}, {u"MOD", qpOpMod},
        {u"INT", qpOpInt}, {u"FRAC", qpOpFrac}, {u"ROUND", qpOpRound}, {u"STR", qpOpStr},
    };
    for (const K &k : kWords)
        if (qpSameName(name, k.word))
            return k.code;
    return 0;
}

// 0-based scanners shared by conversion and evaluation.

// Name from i: returns [start, end); end is the stop character or n.
void scanIdentify(const QChar *s, qsizetype n, qsizetype i, qsizetype &start, qsizetype &end)
{
    while (i < n && s[i].unicode() <= 32)
        ++i;
    start = i;
    bool quoted = false;
    while (i < n) {
        const ushort c = s[i].unicode();
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && isStopChar(c))
            break;
        ++i;
    }
    end = i;
}

// Name characters from exactly i, without skipping (used after the percent sign).
qsizetype scanNameChars(const QChar *s, qsizetype n, qsizetype i)
{
    qsizetype start, end;
    if (i < n && s[i].unicode() <= 32)
        return i;
    scanIdentify(s, n, i, start, end);
    return end;
}

// String at i (a quote); returns the index after the closing quote, or -1
// when the string does not end.
qsizetype scanString(const QChar *s, qsizetype n, qsizetype i)
{
    ++i;
    while (i < n) {
        if (s[i] == QLatin1Char('\'')) {
            if (i + 1 < n && s[i + 1] == QLatin1Char('\''))
                i += 2;
            else
                return i + 1;
        } else {
            ++i;
        }
    }
    return -1;
}

// Bracketed name at i; j is the closing bracket (or the last character).
// Returns whether the count came back to zero.
bool scanBracket(const QChar *s, qsizetype n, qsizetype i, qsizetype &j)
{
    j = i;
    if (n == 0 || i >= n || i < 0)
        return false;
    int count = 0;
    bool dq = false, sq = false;
    j = i - 1;
    do {
        ++j;
        const ushort c = s[j].unicode();
        if (!dq && !sq) {
            if (c == '[')
                ++count;
            else if (c == ']')
                --count;
        }
        if (c == '"' && !sq)
            dq = !dq;
        else if (c == '\'' && !dq)
            sq = !sq;
    } while (count != 0 && j < n - 1);
    return count == 0;
}

// Argument list with "(" at i; i ends after ")". Returns false when the
// parentheses do not close.
bool scanArguments(const QChar *s, qsizetype n, qsizetype &i, QString *s1, QString *s2, QString *s3)
{
    int depth = 1;
    int commas = 0;
    bool sq = false;
    qsizetype start = i + 1;
    for (qsizetype k = i + 1; k < n; ++k) {
        const ushort c = s[k].unicode();
        if (c == '\'') {
            sq = !sq;
        } else if (!sq) {
            if (c == '(') {
                ++depth;
            } else if (c == ')') {
                if (--depth == 0) {
                    const QString piece(s + start, k - start);
                    // A fourth argument and beyond are lost: only three slots.
                    if (commas == 0) {
                        if (s1) *s1 = piece;
                    } else if (commas == 1) {
                        if (s2) *s2 = piece;
                    } else if (commas == 2) {
                        if (s3) *s3 = piece;
                    }
                    i = k + 1;
                    return true;
                }
            } else if (c == ',' && depth == 1) {
                const QString piece(s + start, k - start);
                if (commas == 0) {
                    if (s1) *s1 = piece;
                } else {
                    if (s2) *s2 = piece;
                }
                ++commas;
                start = k + 1;
            }
        }
    }
    return false;
}

[[noreturn]] void throwUnbalanced(const QString &s)
{
    throw EParserError(qpLoadStr(qpMsgUnbalancedArguments).arg(s));
}

QString unquote(const QChar *s, qsizetype from, qsizetype to)
{
    // from is the opening quote, to is after the closing quote.
    QString out;
    out.reserve(to - from - 2);
    for (qsizetype k = from + 1; k < to - 1; ++k) {
        out += s[k];
        if (s[k] == QLatin1Char('\'') && k + 1 < to - 1 && s[k + 1] == QLatin1Char('\''))
            ++k;
    }
    return out;
}

// A number operand: "." and "," both stand for the decimal separator.
double parseNumber(const QChar *s, qsizetype len)
{
    const QChar sep = formatSettings().DecimalSeparator;
    QVarLengthArray<QChar, 64> buf(len);
    for (qsizetype k = 0; k < len; ++k) {
        const QChar c = s[k];
        buf[k] = (c == QLatin1Char('.') || c == QLatin1Char(',')) ? sep : c;
    }
    double v;
    if (!qpTryStrToFloat(QStringView(buf.data(), len), sep, v))
        throw EConvertError(qpLoadStr(qpMsgInvalidFloat).arg(QString(buf.data(), len)));
    return v;
}

thread_local int tNesting = 0;

struct NestingGuard {
    NestingGuard()
    {
        if (tNesting >= TqpParser::MaxNesting)
            throw EParserError(qpLoadStr(qpMsgNestedTooDeep));
        ++tNesting;
    }
    ~NestingGuard() { --tNesting; }
};

}  // namespace

QString GetBrackedVariable(const QString &s, int &i, int &j)
{
    qsizetype jj;
    if (s.isEmpty() || i < 1 || i > s.size()) {
        j = i;
        return QString();
    }
    scanBracket(s.constData(), s.size(), i - 1, jj);
    j = int(jj + 1);
    const int len = j - i - 1;
    return len > 0 ? s.mid(i, len) : QString();
}

QString TqpParser::GetIdentify(const QString &s, int &i) const
{
    qsizetype start, end;
    scanIdentify(s.constData(), s.size(), qMax(0, i - 1), start, end);
    i = int(end + 1);
    return s.mid(start, end - start);
}

QString TqpParser::GetString(const QString &s, int &i) const
{
    const qsizetype from = i - 1;
    if (from < 0 || from >= s.size() || s[from] != QLatin1Char('\''))
        return QString();
    const qsizetype to = scanString(s.constData(), s.size(), from);
    if (to < 0)
        throw EParserError(qpLoadStr(qpMsgUnterminatedString).arg(s));
    i = int(to + 1);
    return s.mid(from, to - from);
}

void TqpParser::Get3Parameters(const QString &s, int &i, QString &s1, QString &s2, QString &s3) const
{
    s1.clear();
    s2.clear();
    s3.clear();
    qsizetype k = i - 1;
    if (k < 0 || k >= s.size() || !scanArguments(s.constData(), s.size(), k, &s1, &s2, &s3))
        throwUnbalanced(s);
    i = int(k + 1);
}

QString TqpParser::Str2OPZ(const QString &src) const
{
    const QChar *s = src.constData();
    const qsizetype n = src.size();
    QString out;
    out.reserve(n + 8);
    QVarLengthArray<ushort, 32> stack;
    bool operandSeen = false;

    // A prefix operator waits for the operand that follows it; letting it pop
    // an infix operator first would leave that operator one operand short,
    // so "2 * -3" could not be written.
    auto push = [&](ushort op) {
        const int lv = level(op);
        const bool prefix = op == qpOpNegate || op == qpOpPlusSign || op == qpOpNot || op == qpOpInt
                            || op == qpOpFrac || op == qpOpRound || op == qpOpStr;
        while (!prefix && !stack.isEmpty() && lv >= level(stack.last())) {
            out += QChar(stack.last());
            stack.removeLast();
        }
        stack.append(op);
    };

    qsizetype i = 0;
    while (i < n) {
        const ushort c = s[i].unicode();
        if (c == ' ' || c == 13) {
            ++i;
            continue;
        }
        if (c == ';')
            break;
        if (c == '(') {
            stack.append('(');
            operandSeen = false;
            ++i;
            continue;
        }
        if (c == ')') {
            // A stray ")" (no "(" pending) is ignored.
            qsizetype k = stack.size() - 1;
            while (k >= 0 && stack[k] != '(')
                --k;
            if (k >= 0) {
                while (stack.size() - 1 > k) {
                    out += QChar(stack.last());
                    stack.removeLast();
                }
                stack.removeLast();
            }
            ++i;
            continue;
        }
        if (isOperatorChar(c)) {
            ushort op = c;
            const ushort next = i + 1 < n ? s[i + 1].unicode() : 0;
            if (c == '<' && next == '>') {
                op = qpOpNotEqual;
                ++i;
            } else if (c == '>' && next == '=') {
                op = qpOpGreaterEqual;
                ++i;
            } else if (c == '<' && next == '=') {
                op = qpOpLessEqual;
                ++i;
            }
            if (!operandSeen) {
                if (op == '-')
                    op = qpOpNegate;
                else if (op == '+')
                    op = qpOpPlusSign;
            }
            operandSeen = false;
            push(op);
            ++i;
            continue;
        }

        // An operand.
        operandSeen = true;
        qsizetype start = i;
        bool isName = false;
        if (c == '%') {
            i = qMin(i + 2, n);
            if (i < n && s[i] == QLatin1Char('\'')) {
                const qsizetype e = scanString(s, n, i);
                if (e < 0)
                    throw EParserError(qpLoadStr(qpMsgUnterminatedString).arg(src));
                i = e;
            } else if (i < n && s[i] == QLatin1Char('[')) {
                qsizetype j;
                if (!scanBracket(s, n, i, j))
                    throw EParserError(qpLoadStr(qpMsgUnterminatedBracket).arg(src));
                i = j + 1;
            } else {
                i = scanNameChars(s, n, i);
            }
        } else if (c == '\'') {
            const qsizetype e = scanString(s, n, i);
            if (e < 0)
                throw EParserError(qpLoadStr(qpMsgUnterminatedString).arg(src));
            i = e;
        } else if (c == '[') {
            qsizetype j;
            if (!scanBracket(s, n, i, j))
                throw EParserError(qpLoadStr(qpMsgUnterminatedBracket).arg(src));
            i = j + 1;
        } else {
            qsizetype nameEnd;
            scanIdentify(s, n, i, start, nameEnd);
            // ";" ends the expression even where it touches an operand ("2; 5").
            bool quoted = false;
            for (qsizetype k = start; k < nameEnd; ++k) {
                if (s[k] == QLatin1Char('"'))
                    quoted = !quoted;
                else if (!quoted && s[k] == QLatin1Char(';')) {
                    nameEnd = k;  // the next round meets the ";" and stops
                    break;
                }
            }
            i = nameEnd;
            isName = true;
            if (i < n && s[i] == QLatin1Char('[')) {
                // Index suffix: Name[Index].
                qsizetype j;
                if (!scanBracket(s, n, i, j))
                    throw EParserError(qpLoadStr(qpMsgUnterminatedBracket).arg(src));
                i = j + 1;
                isName = false;
                if (start < nameEnd && startsNumber(s[start].unicode())) {
                    out += QStringView(s + start, i - start);
                    out += QLatin1Char(' ');
                    continue;
                }
            }
        }
        const QStringView operand(s + start, i - start);
        if (isName) {
            if (!operand.isEmpty() && startsNumber(operand[0].unicode())) {
                out += operand;
                out += QLatin1Char(' ');
                continue;
            }
            if (const ushort kw = keywordCode(operand)) {
                operandSeen = false;
                push(kw);
                continue;
            }
            if (i < n && s[i] == QLatin1Char('(')) {
                if (!scanArguments(s, n, i, nullptr, nullptr, nullptr))
                    throwUnbalanced(src);
                out += QStringView(s + start, i - start);
                continue;
            }
        }
        out += operand;
        out += QLatin1Char(' ');
    }
    while (!stack.isEmpty()) {
        // Unclosed "(" are closed at the end; the bracket itself is not output.
        if (stack.last() != '(')
            out += QChar(stack.last());
        stack.removeLast();
    }
    return out;
}

Variant TqpParser::Calc(const QString &s)
{
    return CalcOPZ(Str2OPZ(s));
}

Variant TqpParser::CalcOPZ(const QString &src)
{
    NestingGuard guard;
    const QChar *s = src.constData();
    const qsizetype n = src.size();
    Variant stack[StackSize];
    int sp = 0;
    stack[0] = Variant(0);

    auto push = [&](Variant &&v) {
        if (sp >= StackSize)
            throw EParserError(qpLoadStr(qpMsgStackOverflow));
        stack[sp++] = std::move(v);
    };
    auto needOperands = [&](int count) {
        if (sp < count)
            throw EParserError(qpLoadStr(qpMsgMissingOperand));
    };

    qsizetype i = 0;
    while (i < n) {
        const ushort c = s[i].unicode();
        switch (c) {
        case ' ':
        case qpOpPlusSign:
            ++i;
            continue;
        case '*': case '+': case '-': case '/': case '<': case '=': case '>':
        case qpOpGreaterEqual: case qpOpLessEqual: case qpOpNotEqual:
        case qpOpOr: case qpOpAnd: case qpOpMod: {
            needOperands(2);
            Variant &a = stack[sp - 2];
            const Variant &b = stack[sp - 1];
            switch (c) {
            case '*': a = a * b; break;
            case '+': a = a + b; break;
            case '-': a = a - b; break;
            case '/':
                // Division by zero gives 0, never an error.
                if (Variant::compare(b, Variant(0)) == 0)
                    a = Variant(0);
                else
                    a = a / b;
                break;
            case '<': a = Variant(Variant::compare(a, b) < 0 ? 1 : 0); break;
            case '=': a = Variant(Variant::compare(a, b) == 0 ? 1 : 0); break;
            case '>': a = Variant(Variant::compare(a, b) > 0 ? 1 : 0); break;
            case qpOpGreaterEqual: a = Variant(Variant::compare(a, b) >= 0 ? 1 : 0); break;
            case qpOpLessEqual: a = Variant(Variant::compare(a, b) <= 0 ? 1 : 0); break;
            case qpOpNotEqual: a = Variant(Variant::compare(a, b) != 0 ? 1 : 0); break;
            case qpOpOr: a = vOr(a, b); break;
            case qpOpAnd: a = vAnd(a, b); break;
            case qpOpMod: a = vMod(a, b); break;
            }
            stack[--sp] = Variant();
            ++i;
            continue;
        }
        case qpOpInt: case qpOpFrac: case qpOpRound: case qpOpNegate: case qpOpStr: case qpOpNot: {
            needOperands(1);
            Variant &v = stack[sp - 1];
            if (c == qpOpInt || c == qpOpFrac || c == qpOpRound) {
                double x = v.toReal();
                const double r = qpRoundHalfEven(x);
                const bool nearInt = std::fabs(r - x) < 1e-10;
                if (c == qpOpInt) {
                    v = Variant(nearInt ? r : std::trunc(x));
                } else if (c == qpOpFrac) {
                    if (nearInt)
                        x = r;
                    v = Variant(x - std::trunc(x));
                } else {
                    v = Variant(r);
                }
            } else if (c == qpOpNegate) {
                v = -v;
            } else if (c == qpOpStr) {
                v = Variant(v.isNull() ? QString() : v.toString());
            } else {
                v = Variant(Variant::compare(v, Variant(0)) == 0 ? 1 : 0);
            }
            ++i;
            continue;
        }
        case '[': {
            qsizetype j;
            if (!scanBracket(s, n, i, j))
                throw EParserError(qpLoadStr(qpMsgUnterminatedBracket).arg(src));
            Variant v = Variant::null();
            if (OnGetValue)
                OnGetValue(QString(s + i + 1, j - i - 1), v);
            push(std::move(v));
            i = j + 1;
            continue;
        }
        case '\'': {
            const qsizetype e = scanString(s, n, i);
            if (e < 0)
                throw EParserError(qpLoadStr(qpMsgUnterminatedString).arg(src));
            push(Variant(unquote(s, i, e)));
            i = e;
            continue;
        }
        default:
            break;
        }

        qsizetype start, end;
        scanIdentify(s, n, i, start, end);
        const QStringView name(s + start, end - start);
        const ushort next = end < n ? s[end].unicode() : 0;
        if (end == i && next != '(' && next != '[') {
            // A stop character where an operand should start (a stray ")"
            // left by the percent rule): nothing to read, step over it.
            ++i;
            continue;
        }
        i = end;
        if (!name.isEmpty() && startsNumber(name[0].unicode())) {
            push(Variant(parseNumber(name.data(), name.size())));
            continue;
        }
        if (qpSameName(name, u"TRUE")) {
            push(Variant(true));
            continue;
        }
        if (qpSameName(name, u"FALSE")) {
            push(Variant(false));
            continue;
        }
        if (next == '[') {
            qsizetype j;
            if (!scanBracket(s, n, i, j))
                throw EParserError(qpLoadStr(qpMsgUnterminatedBracket).arg(src));
            const QString index(s + i + 1, j - i - 1);
            i = j + 1;
            push(Calc(QLatin1String("GETARRAY(") + name.toString() + QLatin1String(", ") + index + QLatin1Char(')')));
            continue;
        }
        if (next == '(') {
            QString p1, p2, p3;
            if (!scanArguments(s, n, i, &p1, &p2, &p3))
                throwUnbalanced(src);
            const QString fn = qpNameKey(name);
            Variant result = Variant::null();
            if (fn == QLatin1String("COPY")) {
                const QString str = Calc(p1).toString();
                int from = qpStrToInt(Calc(p2).toString());
                const int count = qpStrToInt(Calc(p3).toString());
                if (from < 1)
                    from = 1;
                result = Variant(count <= 0 || from > str.size() ? QString() : str.mid(from - 1, count));
            } else if (fn == QLatin1String("IF")) {
                const double cond = std::trunc(Variant(Calc(p1).toString()).toReal());
                result = cond == 0 ? Calc(p3) : Calc(p2);
            } else if (fn == QLatin1String("STRTODATE")) {
                result = Variant::fromDateTime(qpStrToDate(Calc(p1).toString()));
            } else if (fn == QLatin1String("STRTOTIME")) {
                result = Variant::fromDateTime(qpStrToTime(Calc(p1).toString()));
            } else if (OnFunction) {
                OnFunction(fn, Variant(p1), Variant(p2), Variant(p3), result);
            }
            push(std::move(result));
            continue;
        }
        Variant v = Variant::null();
        if (OnGetValue)
            OnGetValue(qpNameKey(name), v);
        push(std::move(v));
    }
    return stack[0];
}
