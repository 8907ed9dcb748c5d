#include "report/expr/interpreter.h"

#include "report/core/exceptions.h"
#include "report/core/string_table.h"
#include "report/expr/function_splitter.h"

#include <QList>
#include <QSet>

namespace {

constexpr ushort kCondJump = 1;
constexpr ushort kJump = 2;
constexpr ushort kCall = 3;

inline bool isAsciiLetter(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

inline bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Characters that continue a designator after its first letter.
inline bool isNameChar(QChar c)
{
    return isAsciiLetter(c) || isDigit(c) || c == QLatin1Char('_') || c == QLatin1Char('.') ||
           (c.unicode() >= 0x80 && c.isLetter());
}

QString address(int a)
{
    return QString(QChar(ushort(a & 0xFF))) + QChar(ushort((a >> 8) & 0xFF));
}

// One compilation: the joined source with comments removed, the reading
// position and what the error message needs to point back into the source.
class Compiler {
public:
    Compiler(const QStringList &source, QStringList &dest, QStringList &errors)
        : m_source(source), m_dest(dest), m_errors(errors)
    {
    }

    bool run();

private:
    struct Comment {
        qsizetype start;
        qsizetype length;
    };
    struct Label {
        QString name;  // digits and ":"
        int line;
    };

    // Reading.
    void skipBlanks()
    {
        while (m_pos < m_buf.size() && m_buf[m_pos].unicode() <= ' ')
            ++m_pos;
        m_tokenPos = m_pos;
    }
    bool atEnd() const { return m_pos >= m_buf.size(); }
    QChar cur() const { return m_pos < m_buf.size() ? m_buf[m_pos] : QChar(); }
    QChar peekAt(qsizetype k) const { return k < m_buf.size() ? m_buf[k] : QChar(); }
    void advance(qsizetype k = 1)
    {
        m_pos += k;
        m_tokenEnd = m_pos;
    }
    // A keyword as a whole blank-separated word at the current position
    // (after blanks); "end" also when ";" follows it.
    bool isKeyword(const char *word)
    {
        skipBlanks();
        const QLatin1String w(word);
        if (m_buf.size() - m_pos < w.size())
            return false;
        if (QStringView(m_buf).mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const QChar after = peekAt(m_pos + w.size());
        return after.isNull() || after.unicode() <= ' ' || (w == QLatin1String("end") && after == QLatin1Char(';'));
    }
    // The identifier at the current position equals word (for or/and/mod/not).
    bool isOperatorWord(const char *word) const
    {
        const QLatin1String w(word);
        if (m_buf.size() - m_pos < w.size())
            return false;
        if (QStringView(m_buf).mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        return !isNameChar(peekAt(m_pos + w.size()));
    }

    // Errors.
    void error(int messageId)
    {
        if (m_error)
            return;
        m_error = true;
        int line, col;
        sourcePosition(m_tokenPos, line, col);
        m_errors.append(QStringLiteral("Line %1/%2: ").arg(line).arg(col) + qpLoadStr(messageId));
    }
    void errorText(qsizetype pos, const QString &message)
    {
        if (m_error)
            return;
        m_error = true;
        int line, col;
        sourcePosition(pos, line, col);
        m_errors.append(QStringLiteral("Line %1/%2: ").arg(line).arg(col) + message);
    }
    // A form nothing can read: the statement stops, no message.
    void silentError() { m_error = true; }
    void sourcePosition(qsizetype pos, int &line, int &col) const;

    bool enter()
    {
        if (++m_depth > TqpInterpretator::MaxNesting) {
            error(qpMsgScriptNestedTooDeep);
            return false;
        }
        return true;
    }
    void leave() { --m_depth; }

    // Output.
    int addLine(const QString &line, qsizetype exprPos)
    {
        if (m_dest.size() >= TqpInterpretator::MaxLines) {
            error(qpMsgTooManyLines);
            return -1;
        }
        m_dest.append(line);
        m_linePos.append(exprPos);
        return int(m_dest.size() - 1);
    }
    void setAddress(int lineIndex, int addr)
    {
        if (lineIndex < 0)
            return;
        QString &l = m_dest[lineIndex];
        l[1] = QChar(ushort(addr & 0xFF));
        l[2] = QChar(ushort((addr >> 8) & 0xFF));
    }
    int nextLine() const { return int(m_dest.size()); }

    void removeComments();
    void statement();
    bool assignment(QString *variable);
    bool expressionText(QString &text, qsizetype &start);
    void expression();
    void simpleExpression();
    void term();
    void factor();
    bool designator(QString &name, QString &index, bool &indexed);
    void convert();

    const QStringList &m_source;
    QStringList &m_dest;
    QStringList &m_errors;
    QString m_buf;
    qsizetype m_pos = 0;
    qsizetype m_tokenPos = 0;  // where the word being read starts
    qsizetype m_tokenEnd = 0;  // just after the last character taken
    QList<Comment> m_comments;
    QList<Label> m_labels;
    QList<qsizetype> m_linePos;  // where each compiled line's expression starts
    QSet<int> m_gotoLines;
    bool m_error = false;
    int m_depth = 0;
    TqpParser m_parser;
};

void Compiler::sourcePosition(qsizetype pos, int &line, int &col) const
{
    // Back to the source: add every removed comment that started at or before pos.
    qsizetype p = pos;
    for (const Comment &c : m_comments)
        if (c.start <= pos)
            p += c.length;
    line = 1;
    qsizetype lineStart = 0;
    for (const QString &l : m_source) {
        if (p < lineStart + l.size() + 1)
            break;
        lineStart += l.size() + 1;
        ++line;
    }
    col = int(p - lineStart + 1);
}

void Compiler::removeComments()
{
    // A word that begins with a single quote is never searched; any other
    // word is, so a brace inside a literal that does not begin the word
    // starts a comment.
    qsizetype p = 0;
    while (p < m_buf.size()) {
        while (p < m_buf.size() && m_buf[p].unicode() <= ' ')
            ++p;
        if (p >= m_buf.size())
            break;
        const qsizetype wordStart = p;
        if (m_buf[p] == QLatin1Char('\'')) {
            while (p < m_buf.size() && m_buf[p].unicode() > ' ')
                ++p;
            continue;
        }
        qsizetype q = p;
        while (q < m_buf.size() && m_buf[q].unicode() > ' ') {
            qsizetype len = 0;
            if (m_buf[q] == QLatin1Char('{')) {
                const qsizetype e = m_buf.indexOf(QLatin1Char('}'), q + 1);
                len = (e < 0 ? m_buf.size() : e + 1) - q;
            } else if (m_buf[q] == QLatin1Char('/') && peekAt(q + 1) == QLatin1Char('/')) {
                // Up to the end of the line, the line end with it.
                const qsizetype e = m_buf.indexOf(QChar(13), q + 2);
                len = (e < 0 ? m_buf.size() : e + 1) - q;
            }
            if (len == 0) {
                ++q;
                continue;
            }
            m_buf.remove(q, len);
            m_comments.append({q, len});
            if (q == wordStart)
                break;  // the word now begins with what followed the comment: look at it afresh
        }
        p = q;
    }
}

bool Compiler::run()
{
    qsizetype total = 0;
    for (const QString &l : m_source)
        total += l.size() + 1;
    if (total > TqpInterpretator::MaxSourceLength) {
        errorText(TqpInterpretator::MaxSourceLength, qpLoadStr(qpMsgScriptTooLong));
        return false;
    }
    m_buf.reserve(total);
    for (const QString &l : m_source) {
        QString line = l;
        line.replace(QLatin1Char('\t'), QLatin1Char(' '));
        m_buf += line;
        m_buf += QChar(13);
    }
    removeComments();
    // Statements may follow one another at the top as inside begin..end; a
    // script whose later statements were silently dropped would run half of
    // what its author wrote.
    for (;;) {
        statement();
        if (m_error)
            break;
        skipBlanks();
        if (cur() == QLatin1Char(';')) {
            advance();
            continue;
        }
        if (!atEnd())
            error(qpMsgNeedSemicolonOrEnd);
        break;
    }
    convert();
    return !m_error;
}

bool Compiler::designator(QString &name, QString &index, bool &indexed)
{
    const qsizetype start = m_pos;
    if (!isAsciiLetter(cur()))
        return false;
    advance();
    while (!atEnd() && isNameChar(cur()))
        advance();
    name = m_buf.mid(start, m_pos - start);
    indexed = false;
    if (cur() == QLatin1Char('[')) {
        advance();
        QString text;
        qsizetype exprStart;
        if (!expressionText(text, exprStart))
            return false;
        skipBlanks();
        if (cur() != QLatin1Char(']')) {
            error(qpMsgNeedCloseBracket);
            return false;
        }
        advance();
        index = text;
        indexed = true;
    }
    return true;
}

bool Compiler::expressionText(QString &text, qsizetype &start)
{
    skipBlanks();
    start = m_pos;
    expression();
    if (m_error)
        return false;
    text = m_buf.mid(start, m_tokenEnd - start);
    return true;
}

void Compiler::expression()
{
    if (!enter()) {
        leave();
        return;
    }
    simpleExpression();
    if (!m_error) {
        skipBlanks();
        const QChar c = cur();
        const QChar d = peekAt(m_pos + 1);
        if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>')) {
            const bool twoChars = (c == QLatin1Char('<') && (d == QLatin1Char('=') || d == QLatin1Char('>'))) ||
                                  (c == QLatin1Char('>') && d == QLatin1Char('='));
            advance(twoChars ? 2 : 1);
            simpleExpression();
        }
    }
    leave();
}

void Compiler::simpleExpression()
{
    term();
    while (!m_error) {
        skipBlanks();
        if (cur() == QLatin1Char('+') || cur() == QLatin1Char('-')) {
            advance();
        } else if (isOperatorWord("or")) {
            advance(2);
        } else {
            break;
        }
        term();
    }
}

void Compiler::term()
{
    factor();
    while (!m_error) {
        skipBlanks();
        if (cur() == QLatin1Char('*') || cur() == QLatin1Char('/')) {
            advance();
        } else if (isOperatorWord("and") || isOperatorWord("mod")) {
            advance(3);
        } else {
            break;
        }
        factor();
    }
}

void Compiler::factor()
{
    skipBlanks();
    const QChar c = cur();
    if (c == QLatin1Char('(')) {
        advance();
        expression();
        if (m_error)
            return;
        skipBlanks();
        if (cur() != QLatin1Char(')')) {
            error(qpMsgNeedCloseParen);
            return;
        }
        advance();
        return;
    }
    if (c == QLatin1Char('[')) {
        // Bracketed name: free text up to the matching bracket.
        int depth = 0;
        bool dq = false, sq = false;
        qsizetype k = m_pos;
        for (; k < m_buf.size(); ++k) {
            const QChar ch = m_buf[k];
            if (!dq && !sq) {
                if (ch == QLatin1Char('['))
                    ++depth;
                else if (ch == QLatin1Char(']') && --depth == 0)
                    break;
            }
            if (ch == QLatin1Char('"') && !sq)
                dq = !dq;
            else if (ch == QLatin1Char('\'') && !dq)
                sq = !sq;
        }
        if (k >= m_buf.size()) {
            m_pos = m_buf.size();
            skipBlanks();
            error(qpMsgNeedCloseBracket);
            return;
        }
        advance(k + 1 - m_pos);
        return;
    }
    if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
        advance();
        expression();
        return;
    }
    if (isOperatorWord("not")) {
        advance(3);
        expression();
        return;
    }
    if (isAsciiLetter(c)) {
        QString name, index;
        bool indexed;
        if (!designator(name, index, indexed))
            return;
        if (!indexed && cur() == QLatin1Char('(')) {
            advance();
            skipBlanks();
            if (cur() == QLatin1Char(')')) {
                advance();
                return;
            }
            for (;;) {
                expression();
                if (m_error)
                    return;
                skipBlanks();
                if (cur() == QLatin1Char(',')) {
                    advance();
                    continue;
                }
                if (cur() == QLatin1Char(')')) {
                    advance();
                    return;
                }
                error(qpMsgNeedCommaOrParen);
                return;
            }
        }
        return;
    }
    if (isDigit(c)) {
        while (isDigit(cur()))
            advance();
        if (cur() == QLatin1Char('.')) {
            advance();
            while (isDigit(cur()))
                advance();
        }
        return;
    }
    if (c == QLatin1Char('\'')) {
        qsizetype k = m_pos + 1;
        for (;;) {
            if (k >= m_buf.size()) {
                silentError();
                return;
            }
            if (m_buf[k] == QLatin1Char('\'')) {
                if (peekAt(k + 1) == QLatin1Char('\'')) {
                    k += 2;
                    continue;
                }
                break;
            }
            ++k;
        }
        advance(k + 1 - m_pos);
        return;
    }
    silentError();
}

bool Compiler::assignment(QString *variable)
{
    skipBlanks();
    QString name, index;
    bool indexed;
    if (!designator(name, index, indexed)) {
        if (!m_error)
            error(qpMsgNeedAssign);
        return false;
    }
    skipBlanks();
    if (!(cur() == QLatin1Char(':') && peekAt(m_pos + 1) == QLatin1Char('='))) {
        error(qpMsgNeedAssign);
        return false;
    }
    advance(2);
    QString value;
    qsizetype start;
    if (!expressionText(value, start))
        return false;
    const QString designatorText = indexed ? name + QLatin1Char('[') + index + QLatin1Char(']') : name;
    if (variable)
        *variable = designatorText;
    if (indexed)
        addLine(QChar(kCall) + QLatin1String("SETARRAY(") + name + QLatin1String(", ") + index +
                    QLatin1String(", ") + value + QLatin1Char(')'),
                start);
    else
        addLine(name + QLatin1Char(' ') + value, start);
    return !m_error;
}

void Compiler::statement()
{
    if (!enter()) {
        leave();
        return;
    }
    struct Leave {
        Compiler *c;
        ~Leave() { c->leave(); }
    } leaveGuard{this};

    skipBlanks();
    if (atEnd())
        return;

    if (isKeyword("begin")) {
        advance(5);
        for (;;) {
            statement();
            if (m_error)
                return;
            skipBlanks();
            if (cur() == QLatin1Char(';')) {
                advance();
                continue;
            }
            if (isKeyword("end")) {
                advance(3);  // a ";" after "end" stays for the enclosing list
                return;
            }
            error(qpMsgNeedSemicolonOrEnd);
            return;
        }
    }

    if (isKeyword("if")) {
        advance(2);
        QString cond;
        qsizetype start;
        if (!expressionText(cond, start))
            return;
        const int condLine = addLine(QChar(kCondJump) + QLatin1String("  ") + cond, start);
        if (m_error)
            return;
        if (!isKeyword("then")) {
            error(qpMsgNeedThen);
            return;
        }
        advance(4);
        statement();
        if (m_error)
            return;
        if (isKeyword("else")) {
            advance(4);
            const int jumpLine = addLine(QChar(kJump) + QLatin1String("  "), m_pos);
            if (m_error)
                return;
            setAddress(condLine, nextLine());
            statement();
            if (m_error)
                return;
            setAddress(jumpLine, nextLine());
        } else {
            setAddress(condLine, nextLine());
        }
        return;
    }

    if (isKeyword("repeat")) {
        advance(6);
        const int loopStart = nextLine();
        for (;;) {
            statement();
            if (m_error)
                return;
            skipBlanks();
            if (cur() == QLatin1Char(';')) {
                advance();
                continue;
            }
            if (isKeyword("until")) {
                advance(5);
                break;
            }
            error(qpMsgNeedSemicolonOrUntil);
            return;
        }
        QString cond;
        qsizetype start;
        if (!expressionText(cond, start))
            return;
        addLine(QChar(kCondJump) + address(loopStart) + cond, start);
        return;
    }

    if (isKeyword("while")) {
        advance(5);
        const int loopStart = nextLine();
        QString cond;
        qsizetype start;
        if (!expressionText(cond, start))
            return;
        const int condLine = addLine(QChar(kCondJump) + QLatin1String("  ") + cond, start);
        if (m_error)
            return;
        if (!isKeyword("do")) {
            error(qpMsgNeedDo);
            return;
        }
        advance(2);
        statement();
        if (m_error)
            return;
        addLine(QChar(kJump) + address(loopStart), m_pos);
        setAddress(condLine, nextLine());
        return;
    }

    if (isKeyword("for")) {
        advance(3);
        QString var;
        if (!assignment(&var))
            return;
        if (!isKeyword("to")) {
            error(qpMsgNeedTo);
            return;
        }
        advance(2);
        QString limit;
        qsizetype start;
        if (!expressionText(limit, start))
            return;
        const int loopStart = nextLine();
        const int condLine = addLine(QChar(kCondJump) + QLatin1String("  ") + var + QLatin1String("<=") + limit, start);
        if (m_error)
            return;
        if (!isKeyword("do")) {
            error(qpMsgNeedDo);
            return;
        }
        advance(2);
        statement();
        if (m_error)
            return;
        addLine(var + QLatin1Char(' ') + var + QLatin1String("+1"), start);
        addLine(QChar(kJump) + address(loopStart), m_pos);
        setAddress(condLine, nextLine());
        return;
    }

    if (isKeyword("goto")) {
        advance(4);
        skipBlanks();
        const qsizetype start = m_pos;
        while (isDigit(cur()))
            advance();
        if (m_pos == start) {
            error(qpMsgGotoLabelNumber);
            return;
        }
        const int line = addLine(QChar(kJump) + m_buf.mid(start, m_pos - start), start);
        if (line >= 0)
            m_gotoLines.insert(line);
        return;
    }

    // An empty statement: the word belongs to the enclosing construct.
    if (isKeyword("end") || isKeyword("until") || isKeyword("else") || cur() == QLatin1Char(';'))
        return;

    const qsizetype start = m_pos;
    if (isDigit(cur())) {
        qsizetype k = m_pos;
        while (isDigit(peekAt(k)))
            ++k;
        if (peekAt(k) == QLatin1Char(':')) {
            const QString name = m_buf.mid(m_pos, k + 1 - m_pos);
            bool known = false;
            for (const Label &l : m_labels)
                known = known || l.name == name;
            if (!known) {
                if (m_labels.size() >= TqpInterpretator::MaxLabels) {
                    error(qpMsgTooManyLabels);
                    return;
                }
                m_labels.append({name, nextLine()});
            }
            advance(k + 1 - m_pos);
            statement();
            return;
        }
    }

    if (isAsciiLetter(cur())) {
        QString name, index;
        bool indexed;
        if (!designator(name, index, indexed))
            return;
        if (cur() != QLatin1Char('(')) {
            const QString designatorText = indexed ? name + QLatin1Char('[') + index + QLatin1Char(']') : name;
            skipBlanks();
            if (cur() == QLatin1Char(':') && peekAt(m_pos + 1) == QLatin1Char('=')) {
                m_pos = start;
                assignment(nullptr);
                return;
            }
            if (atEnd() || cur() == QLatin1Char(';') || isKeyword("end") || isKeyword("else")) {
                // A call without arguments.
                addLine(QChar(kCall) + designatorText + QLatin1String("(0)"), start);
                return;
            }
            error(qpMsgNeedAssign);
            return;
        }
        m_pos = start;
    }

    QString text;
    qsizetype exprStart;
    if (!expressionText(text, exprStart))
        return;
    addLine(QChar(kCall) + text, exprStart);
}

void Compiler::convert()
{
    for (int k = 0; k < m_dest.size(); ++k) {
        QString &line = m_dest[k];
        if (line.isEmpty())
            continue;
        const ushort code = line[0].unicode();
        if (code == kJump) {
            if (m_gotoLines.contains(k)) {
                const QString label = line.mid(1) + QLatin1Char(':');
                int target = TqpInterpretator::EndAddress;
                for (const Label &l : m_labels)
                    if (l.name == label) {
                        target = l.line;
                        break;
                    }
                line = QChar(kJump) + address(target);
            }
            continue;
        }
        qsizetype keep;
        if (code == kCondJump)
            keep = 3;
        else if (code == kCall)
            keep = 1;
        else
            keep = line.indexOf(QLatin1Char(' ')) + 1;
        if (keep <= 0)
            keep = line.size();
        try {
            line = line.left(keep) + m_parser.Str2OPZ(line.mid(keep));
        } catch (const EqpError &e) {
            // Text the statement grammar let through but the expression
            // parser cannot take (a parenthesis inside a bracketed name).
            errorText(m_linePos.value(k), e.message());
            line = line.left(keep);
        }
    }
}

}  // namespace

TqpInterpretator::TqpInterpretator()
{
    m_parser.OnGetValue = [this](const QString &name, Variant &v) { GetValue(name, v); };
    m_parser.OnFunction = [this](const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                                 Variant &v) { DoFunction(name, p1, p2, p3, v); };
}

void TqpInterpretator::GetValue(const QString &, Variant &) {}
void TqpInterpretator::SetValue(const QString &, const Variant &) {}
void TqpInterpretator::DoFunction(const QString &, const Variant &, const Variant &, const Variant &, Variant &) {}

void TqpInterpretator::PrepareScript(const QStringList &source, QStringList &destination, QStringList &errors)
{
    const QStringList src = source;  // source and destination may be one list
    destination.clear();
    errors.clear();
    Compiler compiler(src, destination, errors);
    m_error = !compiler.run();
}

void TqpInterpretator::DoScript(const QStringList &compiled)
{
    const qsizetype count = compiled.size();
    qsizetype i = 0;
    while (i < count) {
        const QString &line = compiled[i];
        if (line.isEmpty()) {
            ++i;
            continue;
        }
        const ushort code = line[0].unicode();
        if (code == kCondJump || code == kJump) {
            // A jump line without its address cannot say where to go: end.
            const qsizetype target = line.size() >= 3
                                         ? qsizetype((line[1].unicode() & 0xFF) | ((line[2].unicode() & 0xFF) << 8))
                                         : count;
            if (code == kJump) {
                i = target;
                continue;
            }
            const Variant v = m_parser.CalcOPZ(line.mid(3));
            if (Variant::compare(v, Variant(0)) == 0) {
                i = target;
                continue;
            }
        } else if (code == kCall) {
            const QString expr = line.mid(1);
            if (expr.compare(QLatin1String("EXIT(0)"), Qt::CaseInsensitive) == 0)
                return;
            m_parser.CalcOPZ(expr);
        } else {
            const qsizetype blank = line.indexOf(QLatin1Char(' '));
            const QString name = blank < 0 ? line : line.left(blank);
            const Variant v = m_parser.CalcOPZ(blank < 0 ? QString() : line.mid(blank + 1));
            SetValue(name, v);
        }
        ++i;
    }
}

void TqpInterpretator::SplitExpressions(const QStringList &compiled, const QStringList &matchFuncs,
                                        QStringList &splitTo, const TqpVariables *variables)
{
    TqpFunctionSplitter splitter(&matchFuncs, &splitTo, variables);
    for (const QString &line : compiled) {
        if (line.isEmpty())
            continue;
        const ushort code = line[0].unicode();
        if (code == kJump)
            continue;
        if (code == kCondJump)
            splitter.Split(line.mid(3));
        else if (code == kCall)
            splitter.Split(line.mid(1));
        else
            splitter.Split(line.mid(line.indexOf(QLatin1Char(' ')) + 1));
    }
}
