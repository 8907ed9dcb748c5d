#include "filter_expr.h"

#include "db_error.h"
#include "turkish_text.h"

struct TFilterExpr::Node {
    enum Kind { Or, And, Equal, NotEqual } kind;
    std::unique_ptr<Node> left, right; // Or / And
    int field = -1;                    // comparisons
    bool isNullLiteral = false;
    QString literal;       // as written
    QString stem;          // without a final '*'
    QString foldedLiteral; // the same two in upper case, folded once here
    QString foldedStem;
};

namespace {

class Parser {
public:
    Parser(const QString &text, const std::function<int(const QString &)> &fieldIndex,
           std::vector<int> &fields)
        : m_text(text), m_fieldIndex(fieldIndex), m_fields(fields) {}

    std::unique_ptr<TFilterExpr::Node> parse()
    {
        auto node = parseOr();
        skipBlanks();
        if (m_pos < m_text.size())
            fail(QStringLiteral("beklenmeyen \"%1\"").arg(m_text.mid(m_pos, 20)));
        return node;
    }

private:
    using Node = TFilterExpr::Node;

    [[noreturn]] void fail(const QString &what) const
    {
        throw EDatabaseError(QStringLiteral("Süzgeç ifadesi hatalı (%1. karakter): %2").arg(m_pos + 1).arg(what));
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    // A keyword stands alone: "order" does not start with the keyword "or".
    bool keyword(const char *word)
    {
        skipBlanks();
        const QString w = QString::fromLatin1(word);
        if (m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const int end = m_pos + int(w.size());
        if (end < m_text.size() && (m_text.at(end).isLetterOrNumber() || m_text.at(end) == QLatin1Char('_')))
            return false;
        m_pos = end;
        return true;
    }

    bool symbol(const char *s)
    {
        skipBlanks();
        const QString w = QString::fromLatin1(s);
        if (!m_text.mid(m_pos).startsWith(w))
            return false;
        m_pos += int(w.size());
        return true;
    }

    std::unique_ptr<Node> combine(Node::Kind kind, std::unique_ptr<Node> l, std::unique_ptr<Node> r)
    {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    std::unique_ptr<Node> parseOr()
    {
        auto node = parseAnd();
        while (keyword("or"))
            node = combine(Node::Or, std::move(node), parseAnd());
        return node;
    }

    std::unique_ptr<Node> parseAnd()
    {
        auto node = parsePrimary();
        while (keyword("and"))
            node = combine(Node::And, std::move(node), parsePrimary());
        return node;
    }

    std::unique_ptr<Node> parsePrimary()
    {
        if (symbol("(")) {
            auto node = parseOr();
            if (!symbol(")"))
                fail(QStringLiteral("\")\" bekleniyor"));
            return node;
        }
        auto node = std::make_unique<Node>();
        node->field = parseField();
        if (symbol("<>"))
            node->kind = Node::NotEqual;
        else if (symbol("="))
            node->kind = Node::Equal;
        else
            fail(QStringLiteral("\"=\" bekleniyor"));
        skipBlanks();
        if (keyword("null"))
            node->isNullLiteral = true;
        else
            node->literal = parseLiteral();
        node->stem = node->literal.endsWith(QLatin1Char('*')) ? node->literal.chopped(1) : node->literal;
        node->foldedLiteral = turkishUpper(node->literal);
        node->foldedStem = turkishUpper(node->stem);
        return node;
    }

    int parseField()
    {
        skipBlanks();
        QString name;
        if (symbol("[")) {
            const int close = int(m_text.indexOf(QLatin1Char(']'), m_pos));
            if (close < 0)
                fail(QStringLiteral("\"]\" eksik"));
            name = m_text.mid(m_pos, close - m_pos).trimmed();
            m_pos = close + 1;
        } else {
            const int start = m_pos;
            while (m_pos < m_text.size() && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == QLatin1Char('_')))
                ++m_pos;
            name = m_text.mid(start, m_pos - start);
        }
        if (name.isEmpty())
            fail(QStringLiteral("alan adı bekleniyor"));
        const int index = m_fieldIndex(name);
        if (index < 0)
            throw EDatabaseError(QStringLiteral("'%1' alanı bulunamadı").arg(name));
        if (std::find(m_fields.begin(), m_fields.end(), index) == m_fields.end())
            m_fields.push_back(index);
        return index;
    }

    QString parseLiteral()
    {
        if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('\'')) {
            QString value;
            for (++m_pos; m_pos < m_text.size(); ++m_pos) {
                const QChar c = m_text.at(m_pos);
                if (c == QLatin1Char('\'')) {
                    if (m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == QLatin1Char('\'')) {
                        value += c;
                        ++m_pos;
                        continue;
                    }
                    ++m_pos;
                    return value;
                }
                value += c;
            }
            fail(QStringLiteral("kapanmamış tırnak"));
        }
        // A bare number such as [KayitNo]=12.
        const int start = m_pos;
        while (m_pos < m_text.size() && (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == QLatin1Char(',')
                                         || m_text.at(m_pos) == QLatin1Char('.') || m_text.at(m_pos) == QLatin1Char('-')))
            ++m_pos;
        if (m_pos == start)
            fail(QStringLiteral("değer bekleniyor"));
        return m_text.mid(start, m_pos - start);
    }

    const QString &m_text;
    const std::function<int(const QString &)> &m_fieldIndex;
    std::vector<int> &m_fields;
    int m_pos = 0;
};

// Compares without copying the value: every record passes through here.
bool matchesText(const QString &value, const QString &pattern, bool prefix, bool foldCase)
{
    if (prefix ? value.size() < pattern.size() : value.size() != pattern.size())
        return false;
    for (qsizetype i = 0; i < pattern.size(); ++i)
        if ((foldCase ? turkishUpper(value.at(i)) : value.at(i)) != pattern.at(i))
            return false;
    return true;
}

bool evaluate(const TFilterExpr::Node &n, const std::function<QString(int)> &text,
              const std::function<bool(int)> &isNull, bool caseInsensitive, bool partial)
{
    using Node = TFilterExpr::Node;
    switch (n.kind) {
    case Node::Or:
        return evaluate(*n.left, text, isNull, caseInsensitive, partial)
            || evaluate(*n.right, text, isNull, caseInsensitive, partial);
    case Node::And:
        return evaluate(*n.left, text, isNull, caseInsensitive, partial)
            && evaluate(*n.right, text, isNull, caseInsensitive, partial);
    case Node::Equal:
    case Node::NotEqual: {
        bool equal;
        if (n.isNullLiteral) {
            equal = isNull(n.field);
        } else if (isNull(n.field)) {
            equal = false; // a blank field equals no text, not even '*'
        } else {
            const bool prefix = partial && n.literal.endsWith(QLatin1Char('*'));
            const QString &pattern = caseInsensitive ? (prefix ? n.foldedStem : n.foldedLiteral)
                                                     : (prefix ? n.stem : n.literal);
            equal = matchesText(text(n.field), pattern, prefix, caseInsensitive);
        }
        return n.kind == Node::Equal ? equal : !equal;
    }
    }
    return false;
}

} // namespace

TFilterExpr::TFilterExpr(const QString &text, const std::function<int(const QString &)> &fieldIndex)
{
    if (text.trimmed().isEmpty())
        return; // an empty expression lets every record through
    m_root = Parser(text, fieldIndex, m_fields).parse();
}

TFilterExpr::~TFilterExpr() = default;

bool TFilterExpr::matches(const std::function<QString(int)> &text, const std::function<bool(int)> &isNull,
                          bool caseInsensitive, bool partialCompare) const
{
    return !m_root || evaluate(*m_root, text, isNull, caseInsensitive, partialCompare);
}
