#include "rtf_writer.h"

#include "rtf_code_page.h"

#include <QColor>
#include <QTextBlock>
#include <QTextDocument>
#include <cmath>

namespace {

// Document lengths are 1/96 inch; RTF counts twips (1/1440 inch).
int twips(qreal units) { return int(std::lround(units * 15.0)); }

QString familyOf(const QTextCharFormat &f, const QTextDocument &doc)
{
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        return families.first();
    const QStringList defaults = doc.defaultFont().families();
    return defaults.isEmpty() ? doc.defaultFont().family() : defaults.first();
}

class Writer {
public:
    explicit Writer(const QTextDocument &doc) : m_doc(doc) {}

    QByteArray run()
    {
        QByteArray body;
        for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next())
            writeBlock(b, body);
        QByteArray out = "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deftab";
        out += QByteArray::number(twips(m_doc.defaultTextOption().tabStopDistance()));
        out += "\\uc1\r\n{\\fonttbl";
        for (qsizetype i = 0; i < m_fonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset162 ";
            appendText(m_fonts.at(i), out);
            out += ";}";
        }
        out += "}\r\n{\\colortbl;";
        for (const QColor &c : std::as_const(m_colors))
            out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue" +
                   QByteArray::number(c.blue()) + ';';
        out += "}\r\n";
        out += body;
        out += "}\r\n";
        return out;
    }

private:
    int fontIndex(const QString &family)
    {
        qsizetype i = m_fonts.indexOf(family);
        if (i < 0) {
            i = m_fonts.size();
            m_fonts.append(family);
        }
        return int(i);
    }

    int colorIndex(const QColor &c)
    {
        const QColor rgb = c.toRgb();
        qsizetype i = m_colors.indexOf(rgb);
        if (i < 0) {
            i = m_colors.size();
            m_colors.append(rgb);
        }
        return int(i) + 1; // 0 is the automatic colour
    }

    void writeBlock(const QTextBlock &block, QByteArray &out)
    {
        const QTextBlockFormat f = block.blockFormat();
        out += "\\pard";
        const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
        out += a & Qt::AlignJustify ? "\\qj" : a & Qt::AlignHCenter ? "\\qc" : a & Qt::AlignRight ? "\\qr" : "\\ql";
        const struct {
            const char *word;
            qreal value;
        } lengths[] = {{"\\li", f.leftMargin()},  {"\\ri", f.rightMargin()}, {"\\fi", f.textIndent()},
                       {"\\sb", f.topMargin()},   {"\\sa", f.bottomMargin()}};
        for (const auto &l : lengths)
            if (const int t = twips(l.value))
                out += l.word + QByteArray::number(t);
        switch (f.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            out += "\\sl" + QByteArray::number(std::lround(f.lineHeight() * 240 / 100)) + "\\slmult1";
            break;
        case QTextBlockFormat::MinimumHeight:
            out += "\\sl" + QByteArray::number(twips(f.lineHeight())) + "\\slmult0";
            break;
        case QTextBlockFormat::FixedHeight:
            out += "\\sl-" + QByteArray::number(twips(f.lineHeight())) + "\\slmult0";
            break;
        default:
            break;
        }
        for (const QTextOption::Tab &t : f.tabPositions()) {
            if (t.type == QTextOption::RightTab)
                out += "\\tqr";
            else if (t.type == QTextOption::CenterTab)
                out += "\\tqc";
            else if (t.type == QTextOption::DelimiterTab)
                out += "\\tqdec";
            out += "\\tx" + QByteArray::number(twips(t.position));
        }
        bool empty = true;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            writeCharFormat(fragment.charFormat(), out);
            appendText(fragment.text(), out);
            empty = false;
        }
        // An empty paragraph is as high as the font of its mark.
        if (empty)
            writeCharFormat(block.charFormat(), out);
        out += "\\par\r\n";
    }

    void writeCharFormat(const QTextCharFormat &f, QByteArray &out)
    {
        out += "\\plain\\f" + QByteArray::number(fontIndex(familyOf(f, m_doc)));
        const qreal points = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : m_doc.defaultFont().pointSizeF();
        out += "\\fs" + QByteArray::number(std::lround(points > 0 ? points * 2 : 24));
        if (f.fontWeight() >= QFont::DemiBold)
            out += "\\b";
        if (f.fontItalic())
            out += "\\i";
        if (f.fontUnderline())
            out += "\\ul";
        if (f.fontStrikeOut())
            out += "\\strike";
        if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
            out += "\\cf" + QByteArray::number(colorIndex(f.foreground().color()));
        if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
            out += "\\highlight" + QByteArray::number(colorIndex(f.background().color()));
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            out += "\\super";
        else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            out += "\\sub";
        out += ' ';
    }

    static void appendText(const QString &text, QByteArray &out)
    {
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            switch (u) {
            case '\\': out += "\\\\"; continue;
            case '{': out += "\\{"; continue;
            case '}': out += "\\}"; continue;
            case '\t': out += "\\tab "; continue;
            case QChar::LineSeparator: out += "\\line "; continue;
            case 0x00A0: out += "\\~"; continue;
            case 0x00AD: out += "\\-"; continue;
            case 0x2011: out += "\\_"; continue;
            default: break;
            }
            if (u >= 0x20 && u < 0x80) {
                out += char(u);
                continue;
            }
            const int b = u >= 0x80 ? rtfTurkishByte(c) : -1;
            if (b >= 0) {
                static const char hex[] = "0123456789abcdef";
                out += "\\'";
                out += hex[b >> 4];
                out += hex[b & 15];
            } else {
                // Signed 16 bits; '?' is what a reader without Unicode shows.
                // Control characters go this way too, so that none is lost.
                out += "\\u" + QByteArray::number(qint16(u)) + '?';
            }
        }
    }

    const QTextDocument &m_doc;
    QStringList m_fonts;
    QList<QColor> m_colors;
};

} // namespace

QByteArray writeRtf(const QTextDocument &document) { return Writer(document).run(); }
