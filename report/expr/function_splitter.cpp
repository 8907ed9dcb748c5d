#include "report/expr/function_splitter.h"

#include "report/core/exceptions.h"
#include "report/core/names.h"
#include "report/core/string_table.h"
#include "report/expr/variables.h"

#include <algorithm>

TqpFunctionSplitter::TqpFunctionSplitter(const QStringList *matchFuncs, QStringList *splitTo,
                                         const TqpVariables *variables)
    : m_matchFuncs(matchFuncs), m_splitTo(splitTo), m_variables(variables)
{
}

void TqpFunctionSplitter::Split(const QString &s)
{
    m_expanding.clear();
    split(s, 0);
}

bool TqpFunctionSplitter::matches(const QString &name) const
{
    return m_matchFuncs && std::any_of(m_matchFuncs->begin(), m_matchFuncs->end(),
                                       [&name](const QString &f) { return qpSameName(f, name); });
}

void TqpFunctionSplitter::split(const QString &text, int depth)
{
    // Nested argument lists recurse; keep the depth within what the stack holds.
    if (depth > TqpParser::MaxNesting)
        throw EParserError(qpLoadStr(qpMsgNestedTooDeep));
    const QString s = text.trimmed();
    if (s.isEmpty() || s[0] == QLatin1Char('\''))
        return;

    auto expandVariable = [&](const QString &name) {
        if (!m_variables || m_variables->IndexOf(name) < 0)
            return false;
        if (std::any_of(m_expanding.begin(), m_expanding.end(),
                        [&name](const QString &e) { return qpSameName(e, name); }))
            return true;  // already being expanded: a cycle, nothing new to find
        m_expanding.append(name);
        split(m_variables->GetVariable(name).toString(), depth + 1);
        m_expanding.removeLast();
        return true;
    };

    const int n = int(s.size());
    int i = 1;
    while (i <= n) {
        if (s[i - 1] == QLatin1Char('[')) {
            int j;
            const QString inner = GetBrackedVariable(s, i, j);
            if (!expandVariable(inner))
                split(inner, depth + 1);
            i = j + 1;
            continue;
        }
        int k = i;
        const QString name = m_parser.GetIdentify(s, k);
        const QChar at = k <= n ? s[k - 1] : QChar();
        if (at == QLatin1Char('(')) {
            QString s1, s2, s3;
            m_parser.Get3Parameters(s, k, s1, s2, s3);
            split(s1, depth + 1);
            split(s2, depth + 1);
            split(s3, depth + 1);
            if (matches(name))
                m_splitTo->append(s.mid(i - 1, k - i));
            i = k;
            continue;
        }
        if (expandVariable(name)) {
            i = k;
            continue;
        }
        switch (at.unicode()) {
        case 13: case ' ': case '*': case '+': case '-': case '/': case '<': case '=': case '>':
            i = k + 1;
            continue;
        default:
            break;
        }
        if (name.isEmpty())
            break;
        i = k;
    }
}
