#include "rtf_reader.h"

#include "rtf_code_page.h"

#include <canvas.h>

#include <QColor>
#include <QHash>
#include <QList>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Deeper nesting than this is kept at this depth: real documents stay far
// below it, and a hostile one must not cost memory per brace.
constexpr int kMaxDepth = 256;
// Font sizes a word processor offers, in half points.
constexpr int kMinHalfPoints = 2, kMaxHalfPoints = 3276;
// One twip is 1/1440 inch; document lengths are 1/96 inch.
constexpr double kTwipsPerUnit = 15.0;

enum class Dest { Text, FontTable, ColorTable, Skip };

struct CharProps {
    int font = -1;
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    int color = 0;     // colour table index; 0 = automatic
    int highlight = 0; // 0 = none
    int vertical = 0;  // 1 raised, -1 lowered
};

struct ParaProps {
    Qt::Alignment align = Qt::AlignLeft;
    int left = 0, right = 0, first = 0, before = 0, after = 0; // twips
    int lineSpacing = 0; // \sl: 0 single, >0 at least or multiple, <0 exactly
    bool lineMultiple = false;
    QList<QTextOption::Tab> tabs; // positions in twips
    QTextOption::TabType nextTab = QTextOption::LeftTab;
};

struct State {
    Dest dest = Dest::Text;
    CharProps chr;
    ParaProps para;
    int uc = 1; // fallback characters after \uN
};

struct Font {
    QString name;
    int codePage = 0; // 0: the document's
};

enum class Word {
    Unknown, Rtf, Ansicpg, Deff, Deftab, FontTable, ColorTable, SkipDest, F, Fcharset, Red, Green, Blue,
    Par, Line, Tab, Pard, Plain, B, I, Ul, UlNone, Strike, Fs, Cf, Highlight, Super, Sub, NoSuperSub,
    Ql, Qr, Qc, Qj, Li, Ri, Fi, Sb, Sa, Sl, SlMult, Tx, Tqr, Tqc, Tqdec, Uc, U, Bin, Cell, Row,
    Emdash, Endash, Bullet, Lquote, Rquote, Ldblquote, Rdblquote,
};

const QHash<QByteArray, Word> &words()
{
    static const QHash<QByteArray, Word> table = [] {
        QHash<QByteArray, Word> t{
            {"rtf", Word::Rtf}, {"ansicpg", Word::Ansicpg}, {"deff", Word::Deff}, {"deftab", Word::Deftab},
            {"fonttbl", Word::FontTable}, {"colortbl", Word::ColorTable}, {"f", Word::F},
            {"fcharset", Word::Fcharset}, {"red", Word::Red}, {"green", Word::Green}, {"blue", Word::Blue},
            {"par", Word::Par}, {"sect", Word::Par}, {"page", Word::Par}, {"line", Word::Line},
            {"tab", Word::Tab}, {"pard", Word::Pard}, {"plain", Word::Plain}, {"b", Word::B}, {"i", Word::I},
            {"ul", Word::Ul}, {"uld", Word::Ul}, {"uldb", Word::Ul}, {"uldash", Word::Ul}, {"ulw", Word::Ul},
            {"ulth", Word::Ul}, {"ulwave", Word::Ul}, {"uldashd", Word::Ul}, {"uldashdd", Word::Ul},
            {"ulnone", Word::UlNone}, {"strike", Word::Strike}, {"striked", Word::Strike}, {"fs", Word::Fs},
            {"cf", Word::Cf}, {"highlight", Word::Highlight}, {"cb", Word::Highlight}, {"super", Word::Super},
            {"sub", Word::Sub}, {"nosupersub", Word::NoSuperSub}, {"ql", Word::Ql}, {"qr", Word::Qr},
            {"qc", Word::Qc}, {"qj", Word::Qj}, {"li", Word::Li}, {"ri", Word::Ri}, {"fi", Word::Fi},
            {"sb", Word::Sb}, {"sa", Word::Sa}, {"sl", Word::Sl}, {"slmult", Word::SlMult}, {"tx", Word::Tx},
            {"tqr", Word::Tqr}, {"tqc", Word::Tqc}, {"tqdec", Word::Tqdec}, {"uc", Word::Uc}, {"u", Word::U},
            {"bin", Word::Bin}, {"cell", Word::Cell}, {"row", Word::Row}, {"emdash", Word::Emdash},
            {"endash", Word::Endash}, {"bullet", Word::Bullet}, {"lquote", Word::Lquote},
            {"rquote", Word::Rquote}, {"ldblquote", Word::Ldblquote}, {"rdblquote", Word::Rdblquote},
        };
        // Destinations whose content is not text of the document.
        for (const char *d : {"stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
                              "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "listtable",
                              "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "themedata",
                              "colorschememapping", "latentstyles", "datastore", "revtbl", "userprops", "docvar",
                              "ftnsep", "ftnsepc", "aftnsep", "aftnsepc", "pnseclvl", "nonshppict", "shp",
                              "shpinst", "filetbl", "annotation", "atnid", "atnauthor", "template", "xe", "tc",
                              "txe", "do", "pgdsctbl", "bkmkstart", "bkmkend", "falt", "panose"})
            t.insert(d, Word::SkipDest);
        return t;
    }();
    return table;
}

class Reader {
public:
    Reader(const QByteArray &rtf, QTextDocument &doc) : m_p(rtf.constData()), m_end(m_p + rtf.size()), m_doc(doc)
    {
    }

    void run()
    {
        m_doc.clear();
        m_cursor = QTextCursor(&m_doc);
        // One change for the whole text: the layout is redone once, not per run.
        m_cursor.beginEditBlock();
        while (m_p < m_end && !m_done) {
            const char c = *m_p++;
            switch (c) {
            case '{': openGroup(); break;
            case '}': closeGroup(); break;
            case '\\': controlWord(); break;
            case '\r': case '\n': break;
            default: plainChar(uchar(c)); break;
            }
        }
        finish();
    }

private:
    // --- groups
    void openGroup()
    {
        flushText();
        m_skip = 0;
        if (m_stack.size() >= size_t(kMaxDepth)) {
            ++m_overflow;
            return;
        }
        m_stack.push_back(m_state);
    }

    void closeGroup()
    {
        flushText();
        m_skip = 0;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_state.dest == Dest::FontTable)
            endFontEntry();
        // The outermost group closes the document (its properties still apply
        // to the last paragraph); what follows is not RTF, nor is a closing
        // brace with no group open.
        if (m_stack.size() <= 1) {
            m_done = true;
            return;
        }
        m_state = m_stack.back();
        m_stack.pop_back();
    }

    // --- control words and symbols
    void controlWord()
    {
        if (m_p >= m_end)
            return;
        if (!isLetter(*m_p)) {
            controlSymbol(*m_p++);
            return;
        }
        const char *start = m_p;
        while (m_p < m_end && isLetter(*m_p))
            ++m_p;
        const QByteArray name = QByteArray::fromRawData(start, m_p - start);
        bool hasParam = false;
        int param = 0;
        if (m_p < m_end && (*m_p == '-' || isDigit(*m_p)))
            param = readParameter(hasParam);
        if (m_p < m_end && *m_p == ' ')
            ++m_p;
        // Names are at most 32 letters; a longer one is nobody's word.
        const Word w = name.size() <= 32 ? words().value(name, Word::Unknown) : Word::Unknown;
        apply(w, hasParam, param);
    }

    // Digits after an optional minus; values beyond 32 bits saturate.
    int readParameter(bool &hasParam)
    {
        bool negative = false;
        if (*m_p == '-') {
            negative = true;
            ++m_p;
        }
        qint64 value = 0;
        while (m_p < m_end && isDigit(*m_p)) {
            hasParam = true;
            value = std::min<qint64>(value * 10 + (*m_p++ - '0'), std::numeric_limits<int>::max());
        }
        return int(negative ? -value : value);
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\'': hexByte(); break;
        case '*':
            flushText();
            m_state.dest = Dest::Skip;
            break;
        case '~': addChar(QChar(0x00A0)); break;
        case '-': addChar(QChar(0x00AD)); break;
        case '_': addChar(QChar(0x2011)); break;
        case '\\': case '{': case '}': plainChar(uchar(c)); break;
        case '\r': case '\n': paragraph(); break;
        case '\t': addChar(QLatin1Char('\t')); break;
        default: break; // \|, \: and unknown symbols carry nothing here
        }
    }

    void hexByte()
    {
        int value = 0;
        for (int i = 0; i < 2; ++i) {
            const int d = m_p < m_end ? hexDigit(*m_p) : -1;
            if (d < 0)
                return; // a broken escape is dropped
            value = value * 16 + d;
            ++m_p;
        }
        addByte(char(value));
    }

    void apply(Word w, bool hasParam, int param)
    {
        const bool on = !hasParam || param != 0;
        CharProps &ch = m_state.chr;
        ParaProps &pa = m_state.para;
        // Words that change how the coming text looks end the run before them.
        switch (w) {
        case Word::Unknown: case Word::Rtf: case Word::Tab: case Word::Line: case Word::U:
        case Word::Emdash: case Word::Endash: case Word::Bullet: case Word::Lquote: case Word::Rquote:
        case Word::Ldblquote: case Word::Rdblquote: case Word::Cell:
            break;
        default:
            flushText();
            m_skip = 0;
        }
        switch (w) {
        case Word::Unknown: case Word::Rtf: break;
        case Word::Ansicpg: m_codePage = param; break;
        case Word::Deff: m_defaultFont = param; break;
        case Word::Deftab:
            if (param > 0)
                m_defaultTab = param;
            break;
        case Word::FontTable: m_state.dest = Dest::FontTable; break;
        case Word::ColorTable: m_state.dest = Dest::ColorTable; break;
        case Word::SkipDest: m_state.dest = Dest::Skip; break;
        case Word::F:
            if (m_state.dest == Dest::FontTable) {
                endFontEntry();
                m_fontEntry = param;
            } else {
                ch.font = param;
            }
            break;
        case Word::Fcharset:
            if (m_state.dest == Dest::FontTable && m_fontEntry >= 0)
                m_fonts[m_fontEntry].codePage = rtfCharsetCodePage(param);
            break;
        case Word::Red: m_red = std::clamp(param, 0, 255); break;
        case Word::Green: m_green = std::clamp(param, 0, 255); break;
        case Word::Blue: m_blue = std::clamp(param, 0, 255); break;
        case Word::Par: case Word::Row: paragraph(); break;
        case Word::Line: addChar(QChar(QChar::LineSeparator)); break;
        case Word::Tab: case Word::Cell: addChar(QLatin1Char('\t')); break;
        case Word::Pard: pa = ParaProps(); break;
        case Word::Plain:
            ch = CharProps();
            ch.font = m_defaultFont;
            break;
        case Word::B: ch.bold = on; break;
        case Word::I: ch.italic = on; break;
        case Word::Ul: ch.underline = on; break;
        case Word::UlNone: ch.underline = false; break;
        case Word::Strike: ch.strike = on; break;
        case Word::Fs: ch.halfPoints = std::clamp(hasParam ? param : 24, kMinHalfPoints, kMaxHalfPoints); break;
        case Word::Cf: ch.color = param; break;
        case Word::Highlight: ch.highlight = param; break;
        case Word::Super: ch.vertical = 1; break;
        case Word::Sub: ch.vertical = -1; break;
        case Word::NoSuperSub: ch.vertical = 0; break;
        case Word::Ql: pa.align = Qt::AlignLeft; break;
        case Word::Qr: pa.align = Qt::AlignRight; break;
        case Word::Qc: pa.align = Qt::AlignHCenter; break;
        case Word::Qj: pa.align = Qt::AlignJustify; break;
        case Word::Li: pa.left = param; break;
        case Word::Ri: pa.right = param; break;
        case Word::Fi: pa.first = param; break;
        case Word::Sb: pa.before = param; break;
        case Word::Sa: pa.after = param; break;
        case Word::Sl: pa.lineSpacing = param; break;
        case Word::SlMult: pa.lineMultiple = on; break;
        case Word::Tx:
            if (pa.tabs.size() < 256)
                pa.tabs.append(QTextOption::Tab(param, pa.nextTab));
            pa.nextTab = QTextOption::LeftTab;
            break;
        case Word::Tqr: pa.nextTab = QTextOption::RightTab; break;
        case Word::Tqc: pa.nextTab = QTextOption::CenterTab; break;
        case Word::Tqdec: pa.nextTab = QTextOption::DelimiterTab; break;
        case Word::Uc: m_state.uc = std::clamp(param, 0, 8); break;
        case Word::U: unicode(param); break;
        case Word::Bin: skipBinary(param); break;
        case Word::Emdash: addChar(QChar(0x2014)); break;
        case Word::Endash: addChar(QChar(0x2013)); break;
        case Word::Bullet: addChar(QChar(0x2022)); break;
        case Word::Lquote: addChar(QChar(0x2018)); break;
        case Word::Rquote: addChar(QChar(0x2019)); break;
        case Word::Ldblquote: addChar(QChar(0x201C)); break;
        case Word::Rdblquote: addChar(QChar(0x201D)); break;
        }
    }

    void unicode(int value)
    {
        // The parameter is a signed 16-bit number; negatives count from 65536.
        if (value < 0 && value >= -32768)
            value += 65536;
        addChar(value >= 0 && value <= 0xFFFF ? QChar(char16_t(value)) : QChar(QChar::ReplacementCharacter));
        m_skip = m_state.uc; // the fallback for readers without Unicode follows
    }

    void skipBinary(int count)
    {
        m_p += std::clamp<qint64>(count, 0, m_end - m_p);
    }

    // --- text
    void plainChar(uchar c)
    {
        if (c < 0x20 && c != '\t')
            return;
        if (m_state.dest == Dest::ColorTable && c == ';') {
            m_colors.append(m_red < 0 && m_green < 0 && m_blue < 0
                                ? QColor()
                                : QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
            m_red = m_green = m_blue = -1;
            return;
        }
        if (m_state.dest == Dest::FontTable && c == ';') {
            endFontEntry();
            return;
        }
        addByte(char(c));
    }

    int textCodePage() const
    {
        const int font = m_state.dest == Dest::FontTable ? m_fontEntry
                         : m_state.chr.font >= 0                 ? m_state.chr.font
                                                                 : m_defaultFont;
        const auto it = m_fonts.constFind(font);
        return it != m_fonts.cend() && it->codePage ? it->codePage : m_codePage;
    }

    void addByte(char b)
    {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        if (m_state.dest == Dest::Skip || m_state.dest == Dest::ColorTable)
            return;
        const int cp = textCodePage();
        if (!m_bytes.isEmpty() && cp != m_bytesCodePage)
            flushBytes();
        m_bytesCodePage = cp;
        m_bytes.append(b);
    }

    void addChar(QChar c)
    {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        if (m_state.dest == Dest::Skip || m_state.dest == Dest::ColorTable)
            return;
        flushBytes();
        pendingText().append(c);
    }

    QString &pendingText() { return m_state.dest == Dest::FontTable ? m_fontName : m_text; }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        pendingText().append(rtfDecode(m_bytes, m_bytesCodePage));
        m_bytes.clear();
    }

    void flushText()
    {
        flushBytes();
        if (m_text.isEmpty())
            return;
        m_cursor.insertText(m_text, charFormat());
        m_text.clear();
        m_blockEmptyAfterPar = false;
    }

    void endFontEntry()
    {
        flushBytes();
        if (m_fontEntry >= 0)
            m_fonts[m_fontEntry].name = m_fontName.trimmed();
        m_fontName.clear();
        m_fontEntry = -1;
    }

    void paragraph()
    {
        if (m_state.dest != Dest::Text)
            return;
        flushText();
        m_cursor.setBlockFormat(blockFormat());
        m_cursor.setBlockCharFormat(charFormat());
        m_cursor.insertBlock(blockFormat(), charFormat());
        m_blockEmptyAfterPar = true;
    }

    void finish()
    {
        flushText();
        m_cursor.setBlockFormat(blockFormat());
        // The last \par closes the last paragraph; it does not open an empty one.
        if (m_blockEmptyAfterPar)
            m_cursor.deletePreviousChar();
        QTextOption option = m_doc.defaultTextOption();
        option.setTabStopDistance(m_defaultTab / kTwipsPerUnit);
        m_doc.setDefaultTextOption(option);
        m_cursor.endEditBlock();
    }

    QTextCharFormat charFormat() const
    {
        const CharProps &ch = m_state.chr;
        QTextCharFormat f;
        const auto font = m_fonts.constFind(ch.font >= 0 ? ch.font : m_defaultFont);
        if (font != m_fonts.cend() && !font->name.isEmpty()) {
            // The desktop may lack the named font; the family that stands in
            // for it follows as the fallback, as on the report canvas.
            QStringList families{font->name};
            const QString mapped = mappedFontFamily(font->name);
            if (mapped != font->name)
                families.append(mapped);
            f.setFontFamilies(families);
        } else {
            f.setFontFamilies(m_doc.defaultFont().families());
        }
        f.setFontPointSize(ch.halfPoints / 2.0);
        f.setFontWeight(ch.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(ch.italic);
        f.setFontUnderline(ch.underline);
        f.setFontStrikeOut(ch.strike);
        if (ch.color > 0 && ch.color < m_colors.size() && m_colors.at(ch.color).isValid())
            f.setForeground(m_colors.at(ch.color));
        if (ch.highlight > 0 && ch.highlight < m_colors.size() && m_colors.at(ch.highlight).isValid())
            f.setBackground(m_colors.at(ch.highlight));
        if (ch.vertical)
            f.setVerticalAlignment(ch.vertical > 0 ? QTextCharFormat::AlignSuperScript
                                                   : QTextCharFormat::AlignSubScript);
        return f;
    }

    QTextBlockFormat blockFormat() const
    {
        const ParaProps &pa = m_state.para;
        QTextBlockFormat f;
        f.setAlignment(pa.align);
        f.setLeftMargin(pa.left / kTwipsPerUnit);
        f.setRightMargin(pa.right / kTwipsPerUnit);
        f.setTextIndent(pa.first / kTwipsPerUnit);
        f.setTopMargin(pa.before / kTwipsPerUnit);
        f.setBottomMargin(pa.after / kTwipsPerUnit);
        if (pa.lineSpacing > 0 && pa.lineMultiple)
            f.setLineHeight(pa.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (pa.lineSpacing > 0)
            f.setLineHeight(pa.lineSpacing / kTwipsPerUnit, QTextBlockFormat::MinimumHeight);
        else if (pa.lineSpacing < 0)
            f.setLineHeight(-qint64(pa.lineSpacing) / kTwipsPerUnit, QTextBlockFormat::FixedHeight);
        if (!pa.tabs.isEmpty()) {
            QList<QTextOption::Tab> tabs;
            for (const QTextOption::Tab &t : pa.tabs)
                tabs.append(QTextOption::Tab(t.position / kTwipsPerUnit, t.type));
            std::sort(tabs.begin(), tabs.end(), [](const auto &a, const auto &b) { return a.position < b.position; });
            f.setTabPositions(tabs);
        }
        return f;
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexDigit(char c)
    {
        if (isDigit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    const char *m_p;
    const char *m_end;
    QTextDocument &m_doc;
    QTextCursor m_cursor;
    bool m_done = false;

    State m_state;
    std::vector<State> m_stack;
    int m_overflow = 0; // groups opened beyond the depth limit
    int m_skip = 0;     // fallback characters of the last \uN still to drop

    int m_codePage = 1252;
    int m_defaultFont = 0;
    int m_defaultTab = 720;
    QHash<int, Font> m_fonts;
    int m_fontEntry = -1;
    QString m_fontName;
    QList<QColor> m_colors; // entry 0 is normally the automatic colour
    int m_red = -1, m_green = -1, m_blue = -1;

    QByteArray m_bytes; // code-page bytes not yet decoded
    int m_bytesCodePage = 1252;
    QString m_text;     // decoded text not yet in the document
    bool m_blockEmptyAfterPar = false;
};

} // namespace

void readRtf(const QByteArray &rtf, QTextDocument &document)
{
    Reader(rtf, document).run();
}
