#include "syntax_scanner.h"

#include <QStringList>
#include <algorithm>

namespace {

// Pascal's list carries every word of the report script language, "goto"
// included, so that scripts read the way the interpreter reads them.
const char *const kPascalKeywords =
    "and,array,begin,case,const,div,do,downto,else,end,except,finally,for,function,goto,if,in,is,mod,nil,not,of,or,"
    "procedure,program,repeat,shl,shr,string,then,to,try,until,uses,var,while,with,xor";
const char *const kCppKeywords =
    "bool,break,case,char,continue,define,default,delete,do,double,else,except,finally,float,for,if,include,int,is,"
    "new,return,string,switch,try,variant,void,while";
const char *const kSqlKeywords =
    "active,after,all,alter,and,any,as,asc,ascending,at,auto,base_name,before,begin,between,by,cache,cast,check,"
    "column,commit,committed,computed,conditional,constraint,containing,count,create,current,cursor,database,debug,"
    "declare,default,delete,desc,descending,distinct,do,domain,drop,else,end,entry_point,escape,exception,execute,"
    "exists,exit,external,extract,filter,for,foreign,from,full,function,generator,grant,group,having,if,in,inactive,"
    "index,inner,insert,into,is,isolation,join,key,left,level,like,merge,names,no,not,null,of,on,only,or,order,outer,"
    "parameter,password,plan,position,primary,privileges,procedure,protected,read,retain,returns,revoke,right,"
    "rollback,schema,select,set,shadow,shared,snapshot,some,suspend,table,then,to,transaction,trigger,uncommitted,"
    "union,unique,update,user,using,view,wait,when,where,while,with,work";

// What each syntax kind calls keywords, comments and strings.
struct TSyntaxRules {
    const char *keywords;
    const char *lineComment;
    const char *blockOpen;
    const char *blockClose;
    char quote;
    bool braceComments;
};

const TSyntaxRules kRules[] = {
    {kPascalKeywords, "//", "(*", "*)", '\'', true}, // stPascal
    {kCppKeywords, "//", "/*", "*/", '"', false},     // stCpp
    {kSqlKeywords, "--", "/*", "*/", '"', false},     // stSQL
    {"", "", "", "", 0, false},                       // stText
};

void fill(QByteArray &attrs, qsizetype from, qsizetype to, TCharAttr attr)
{
    std::fill(attrs.begin() + from, attrs.begin() + to, char(attr));
}

} // namespace

bool TSyntaxScanner::IsWordChar(QChar c)
{
    const ushort u = c.unicode();
    if (u < 0x80)
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
    // National letters belong to the word they stand in: "ödo" is one word,
    // not a keyword "do" behind a stray character.
    return c.isLetterOrNumber();
}

void TSyntaxScanner::SetSyntaxType(TSyntaxType type)
{
    const TSyntaxRules &rules = kRules[type];
    m_type = type;
    m_keywordList = QString::fromLatin1(rules.keywords);
    m_lineComment = QString::fromLatin1(rules.lineComment);
    m_blockOpen = QString::fromLatin1(rules.blockOpen);
    m_blockClose = QString::fromLatin1(rules.blockClose);
    m_quote = QLatin1Char(rules.quote);
    m_braceComments = rules.braceComments;
    const QStringList words = m_keywordList.split(QLatin1Char(','), Qt::SkipEmptyParts);
    m_keywords = QSet<QString>(words.begin(), words.end());
}

TScanState TSyntaxScanner::ScanLine(const QString &line, TScanState state, QByteArray &attrs) const
{
    const qsizetype n = line.size();
    attrs.resize(n);
    qsizetype i = 0;

    // A comment carried over from the line above runs to its closer.
    if (state == TScanState::BraceComment || state == TScanState::BlockComment) {
        const bool brace = state == TScanState::BraceComment;
        const qsizetype close = brace ? line.indexOf(QLatin1Char('}')) : line.indexOf(m_blockClose);
        if (close < 0) {
            fill(attrs, 0, n, caComment);
            return state;
        }
        i = close + (brace ? 1 : m_blockClose.size());
        fill(attrs, 0, i, caComment);
    }

    while (i < n) {
        const QChar c = line.at(i);
        if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && IsWordChar(line.at(j)))
                ++j;
            const QString word = line.mid(i, j - i).toLower();
            fill(attrs, i, j, m_keywords.contains(word) ? caKeyword : caText);
            i = j;
        } else if (!m_lineComment.isEmpty() && QStringView(line).mid(i).startsWith(m_lineComment)) {
            fill(attrs, i, n, caComment);
            return TScanState::Code;
        } else if (m_braceComments && c == QLatin1Char('{')) {
            const qsizetype close = line.indexOf(QLatin1Char('}'), i + 1);
            if (close < 0) {
                fill(attrs, i, n, caComment);
                return TScanState::BraceComment;
            }
            fill(attrs, i, close + 1, caComment);
            i = close + 1;
        } else if (!m_blockOpen.isEmpty() && QStringView(line).mid(i).startsWith(m_blockOpen)) {
            // The closer may share the opener's star: "(*)" is a whole comment.
            const qsizetype close = line.indexOf(m_blockClose, i + 1);
            if (close < 0) {
                fill(attrs, i, n, caComment);
                return TScanState::BlockComment;
            }
            fill(attrs, i, close + m_blockClose.size(), caComment);
            i = close + m_blockClose.size();
        } else if (!m_quote.isNull() && c == m_quote) {
            const qsizetype close = line.indexOf(m_quote, i + 1);
            const qsizetype end = close < 0 ? n : close + 1;
            fill(attrs, i, end, caString);
            i = end;
        } else {
            attrs[i] = char(caText);
            ++i;
        }
    }
    return TScanState::Code;
}
