#pragma once
// Colouring of script text: which characters of a line are plain text,
// keywords, comments or strings, for the syntax kinds the script editor knows.
// Lines are scanned one at a time; a comment left open at the end of a line
// is carried into the next one, so that a change needs only the lines from
// the change down to where the carried state agrees with before.

#include <QByteArray>
#include <QSet>
#include <QString>

enum TSyntaxType { stPascal, stCpp, stSQL, stText };
enum TCharAttr : quint8 { caNone, caText, caBlock, caComment, caKeyword, caString };

// A set of TCharAttr, one bit per item.
using TCharAttributes = quint8;
constexpr TCharAttributes caSet(TCharAttr a) { return TCharAttributes(1u << a); }

// What the start of a line lies inside of. Unknown marks a line not yet scanned.
enum class TScanState : quint8 { Code, BraceComment, BlockComment, Unknown };

class TSyntaxScanner {
public:
    TSyntaxScanner() { SetSyntaxType(stPascal); }

    void SetSyntaxType(TSyntaxType type);
    TSyntaxType SyntaxType() const { return m_type; }
    // The comma-separated keyword list of the current kind.
    const QString &Keywords() const { return m_keywordList; }

    // Fills `attrs` with one TCharAttr per character of `line`, which begins in
    // `state`; returns the state the next line begins in.
    TScanState ScanLine(const QString &line, TScanState state, QByteArray &attrs) const;

    // Letters (national ones included), digits and '_' make up words, for
    // colouring as for word moves and double clicks.
    static bool IsWordChar(QChar c);

private:
    bool isWordStart(QChar c) const { return IsWordChar(c) && !c.isDigit(); }

    TSyntaxType m_type = stText;
    QString m_keywordList;
    QSet<QString> m_keywords;
    QString m_lineComment;
    QString m_blockOpen, m_blockClose;
    QChar m_quote;
    bool m_braceComments = false;
};
