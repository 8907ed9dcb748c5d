#include "rtf_export.h"

#include "report/core/code_page.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/rich_view.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>
#include <algorithm>
#include <canvas.h>

namespace {

enum : int { kMsgDescription = 54870 };
// Twips per report unit (5/18 mm) and per tenth of a millimetre of paper:
// both from the same millimetre, so objects sit on the sheet where the
// preview shows them.
constexpr double kTwipsPerUnit = 1440.0 * 5 / 18 / 25.4;
constexpr double kTwipsPerPaperUnit = 1440.0 / 254;
// Hundredths of a millimetre per bitmap pixel (one report unit), for the
// picture's size.
constexpr double kPictureUnit = 500.0 / 18;
constexpr int kBmpFileHeader = 14;
constexpr int kTableLineLimit = 254;
const QByteArray kCrLf("\r\n");

QByteArray num(qint64 v) { return QByteArray::number(v); }

QByteArray twips(double v) { return num(qpRound(v * kTwipsPerUnit)); }

// v as little-endian bytes in upper-case hexadecimal.
QByteArray le(quint32 v, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out += QByteArray::number((v >> (8 * i)) & 0xFF, 16).rightJustified(2, '0').toUpper();
    return out;
}

QString memoText(const QStringList &lines)
{
    QString text = lines.join(QStringLiteral("\r\n"));
    text.remove(QChar(1));
    return text;
}

} // namespace

TqpRtfAdvExport::TqpRtfAdvExport(QObject *owner) : TqpExportFilter(owner)
{
    ShowDialog = true;
    qpRegisterExportFilter(this, qpLoadStr(kMsgDescription), QStringLiteral("*.rtf"));
}

int TqpRtfAdvExport::ShowModal() { return ShowDialog ? RunOptionDialog() : int(mrOk); }

QByteArray TqpRtfAdvExport::EscapeText(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const ushort u = c.unicode();
        if (u == '\r' && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            continue;
        if (u == '\n' || u == '\r' || u == 0x2029) {
            out += "\\line ";
        } else if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (const int b = qpCharToAnsi(c); b >= 0x80) {
            out += "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
        } else if (u >= 0x80) {
            // Beyond the code page: the Unicode escape, "?" for readers without it.
            out += "\\u" + num(qint16(u)) + '?';
        }
    }
    return out;
}

int TqpRtfAdvExport::fontIndex(const QString &name)
{
    qsizetype i = m_fonts.indexOf(name);
    if (i < 0) {
        m_fonts.append(name);
        i = m_fonts.size() - 1;
    }
    return int(i);
}

int TqpRtfAdvExport::colorIndex(quint32 color)
{
    qsizetype i = m_colors.indexOf(color);
    if (i < 0) {
        m_colors.append(color);
        i = m_colors.size() - 1;
    }
    return int(i) + 1;
}

void TqpRtfAdvExport::OnBeginDoc()
{
    m_fonts.clear();
    m_colors.clear();
    m_body.clear();
    m_rows.clear();
    m_pictures.clear();
    m_pageWritten = false;
    m_firstPage = -1;
}

void TqpRtfAdvExport::OnData(int x, int y, TqpView *view)
{
    if (auto *memo = dynamic_cast<TqpMemoView *>(view)) {
        // An empty text without frame leaves no trace.
        if (memo->Memo.isEmpty() && memo->FrameTyp == 0)
            return;
        m_rows.push_back({false, memo->Left, memo->Top, memo->Width, memo->Height, memoText(memo->Memo),
                          memo->Font.Name, memo->Font.Size, memo->Font.Style, memo->Font.Color, memo->FillColor,
                          memo->FrameTyp, memo->Alignment, memo->GapX});
        return;
    }
    if (auto *rich = dynamic_cast<TqpRichView *>(view)) {
        Row row;
        row.rich = true;
        row.left = rich->Left;
        row.top = rich->Top;
        row.width = rich->Width;
        row.height = rich->Height;
        row.text = rich->RichEdit.Text();
        row.frameTyp = rich->FrameTyp;
        row.gapX = rich->GapX;
        m_rows.push_back(row);
        return;
    }
    if (!ExportPictures || view->Width < 0 || view->Height < 0)
        return;
    QImage image(view->Width + 1, view->Height + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        TCanvas canvas(&image);
        const int left = view->Left, top = view->Top;
        view->Left = 0;
        view->Top = 0;
        view->Draw(&canvas);
        view->Left = left;
        view->Top = top;
    }
    QBuffer bmp;
    bmp.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB888).save(&bmp, "BMP");
    m_pictures.push_back({x, y, view->Width, view->Height, image.width(), image.height(), bmp.data()});
}

void TqpRtfAdvExport::OnEndPage()
{
    std::stable_sort(m_rows.begin(), m_rows.end(), [](const Row &a, const Row &b) {
        return qpPlacedBefore(a.top, a.left, a.text.size(), b.top, b.left, b.text.size());
    });
    if (m_pageWritten && PageBreaks)
        m_body += "\\page" + kCrLf;
    if (m_firstPage < 0)
        m_firstPage = PageIndex;
    if (Report->GetEMFPages().GetPages(PageIndex).Orientation == poLandscape)
        m_body += "\\lndscpsxn " + kCrLf;
    for (const Picture &p : m_pictures)
        writePicture(p);
    m_body += "\\margtsxn0 " + kCrLf + "\\par ";
    for (const Row &row : m_rows)
        writeRow(row);
    m_body += "\\pard" + kCrLf;
    m_pageWritten = true;
    m_pictures.clear();
    m_rows.clear();
}

void TqpRtfAdvExport::writePicture(const Picture &p)
{
    QByteArray &b = m_body;
    b += "\\pard\\phpg\\pvpg\\posx" + num(qpRound(p.left * ScaleX * kTwipsPerUnit)) + "\\posy" + twips(p.top) +
         "\\absh" + twips(p.height) + "\\absw" + twips(p.width) + "{\\pict\\wmetafile8\\picw" +
         num(qpRound(p.width * kPictureUnit)) + "\\pich" + num(qpRound(p.height * kPictureUnit)) +
         " \\picbmp\\picbpp4" + kCrLf;
    // A Windows metafile of one stretch record wrapping the bitmap.
    const quint32 fileSize = p.bmp.size() >= 6 ? qFromLittleEndian<quint32>(p.bmp.constData() + 2) : 0;
    const quint32 n = fileSize / 2 + 7;
    const quint32 w = quint32(p.pixelWidth), h = quint32(p.pixelHeight);
    b += "010009000003" + le(n + 36, 4) + "0000" + le(n, 4) + "0000050000000b0200000000050000000c02" + le(h, 2) +
         le(w, 2) + "05000000090200000000050000000102ffffff000400000007010300" + le(n, 4) + "430f2000cc000000" +
         le(h, 2) + le(w, 2) + "00000000" + le(h, 2) + le(w, 2) + "00000000" + kCrLf;
    const QByteArray dib = p.bmp.mid(kBmpFileHeader).toHex().toUpper();
    constexpr int kLine = 128; // 64 bytes
    for (qsizetype i = 0; i < dib.size(); i += kLine) {
        b += dib.mid(i, kLine);
        if (i + kLine <= dib.size())
            b += kCrLf;
    }
    b += "030000000000}\\par" + kCrLf;
}

void TqpRtfAdvExport::writeRow(const Row &r)
{
    // A frame at the object's place on the page: readers lay such frames
    // out where they are told, which they do not do for table rows.
    QByteArray row = "\\pard\\phpg\\pvpg\\posx" + num(qpRound(r.left * ScaleX * kTwipsPerUnit)) + "\\posy" +
                     num(qpRound(r.top * ScaleY * kTwipsPerUnit)) + "\\absw" +
                     num(qpRound(r.width * ScaleX * kTwipsPerUnit)) + "\\absh-" +
                     num(qpRound(r.height * ScaleY * kTwipsPerUnit));
    QByteArray font;
    if (!r.rich) {
        const quint32 color = r.fontColor == 0xFFFFFF ? 0 : r.fontColor;
        const int f = fontIndex(r.fontName);
        const int c = colorIndex(color);
        if (qint32(r.fillColor) % 0x1000000 != 0xFFFFFF)
            row += "\\cbpat" + num(colorIndex(r.fillColor));
        font = "\\f" + num(f) + "\\fs" + num(r.fontSize * 2);
        if (r.fontStyle == fsItalic)
            font += "\\i";
        else if (r.fontStyle == fsBold)
            font += "\\b";
        else if (r.fontStyle == fsUnderline)
            font += "\\ul";
        font += "\\cf" + num(c) + ' ';
    }
    if (r.frameTyp & qpftLeft)
        row += "\\brdrl\\brdrw15\\brdrs";
    if (r.frameTyp & qpftRight)
        row += "\\brdrr\\brdrw15\\brdrs";
    if (r.frameTyp & qpftTop)
        row += "\\brdrt\\brdrw15\\brdrs";
    if (r.frameTyp & qpftBottom)
        row += "\\brdrb\\brdrw15\\brdrs";
    // The object's gap between its edges and the text.
    const QByteArray gap = num(qpRound(r.gapX * ScaleX * kTwipsPerUnit));
    row += "\\li" + gap + "\\ri" + gap;
    // A frame has no vertical alignment of its own: a text centred or set
    // at the bottom is moved down by space before it (lines of 1.15 em).
    if (!r.rich && (r.alignment & (qptaMiddle | qptaDown))) {
        const int lines = int(r.text.count(QLatin1Char('\n'))) + 1;
        const int textHeight = lines * r.fontSize * 23; // twips: 20 a point, times 1.15
        int space = qpRound(r.height * ScaleY * kTwipsPerUnit) - textHeight;
        if (r.alignment & qptaMiddle)
            space /= 2;
        if (space > 0)
            row += "\\sb" + num(space);
    }
    switch (r.rich ? 0 : r.alignment & qptaJustify) {
    case qptaRight:
        row += "\\qr";
        break;
    case qptaCenter:
        row += "\\qc";
        break;
    case qptaJustify:
        row += "\\qj";
        break;
    default:
        row += "\\ql";
    }
    m_body += row + '{' + font + EscapeText(r.text) + "}\\par\\pard";
}

void TqpRtfAdvExport::writeTable(const QByteArray &start, const QList<QByteArray> &entries)
{
    // Lines of at most 254 characters before their line end; an entry
    // longer than that stands alone.
    QByteArray line = start;
    for (const QByteArray &entry : entries) {
        if (line.size() + entry.size() > kTableLineLimit) {
            Stream->write(line + kCrLf);
            line.clear();
        }
        line += entry;
    }
    Stream->write(line + '}' + kCrLf);
}

void TqpRtfAdvExport::OnEndDoc()
{
    m_body += "\\par}";
    // The document's paper is that of its first page.
    const TqpEMFPages &pages = Report->GetEMFPages();
    int paperWidth = 2100, paperHeight = 2970;
    if (pages.GetCount() > 0) {
        const TqpPageInfo &first = pages.GetPages(std::max(m_firstPage, 0));
        paperWidth = first.PaperWidth;
        paperHeight = first.PaperHeight;
    }
    Stream->write("{\\rtf1\\ansi\\ansicpg1254" + kCrLf + "\\paperw" + num(qpRound(paperWidth * kTwipsPerPaperUnit)) +
                  "\\paperh" + num(qpRound(paperHeight * kTwipsPerPaperUnit)) + "\\margl0\\margr0\\margt600\\margb600" +
                  kCrLf);
    QList<QByteArray> fonts;
    for (int i = 0; i < m_fonts.size(); ++i)
        fonts << "{\\f" + num(i) + "\\fcharset162 " + EscapeText(m_fonts.at(i)) + ";}";
    writeTable("{\\fonttbl", fonts);
    QList<QByteArray> colors;
    for (const quint32 c : std::as_const(m_colors))
        colors << "\\red" + num(c & 0xFF) + "\\green" + num((c >> 8) & 0xFF) + "\\blue" + num((c >> 16) & 0xFF) + ';';
    writeTable("{\\colortbl;", colors);
    Stream->write(m_body);
    m_body.clear();
    m_fonts.clear();
    m_colors.clear();
}
