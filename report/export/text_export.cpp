#include "text_export.h"

#include "report/core/code_page.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/model/memo_view.h"

#include <array>
#include <bit>
#include <iconv.h>

namespace {

enum : int { kMsgDescription = 55212 };
// The table has this many lines to begin with.
constexpr int kLineSlots = 201;
constexpr char kFormFeed = 12;

// A character holding a line code: every combination of two or more
// direction bits, which is also every result of or-ing two codes.
bool isLineCode(QChar c)
{
    const ushort u = c.unicode();
    return u < 16 && std::popcount(unsigned(u)) >= 2;
}

char plainLine(ushort code)
{
    switch (code) {
    case lcVertical:
        return '|';
    case lcHorizontal:
        return '-';
    default:
        return '+';
    }
}

// Box drawing characters of code page 857 by line code.
unsigned char pseudographicLine(ushort code)
{
    static constexpr std::array<unsigned char, 16> kBoxes{0,   0,   0,   192, 0,   179, 218, 195,
                                                          0,   217, 196, 193, 191, 180, 194, 197};
    return kBoxes[code];
}

// Windows-1254 byte to code page 857 byte, as the platform's ANSI-to-OEM
// call maps it; a character 857 lacks becomes "?".
const std::array<unsigned char, 256> &oemTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        iconv_t cd = iconv_open("CP857", "UTF-8");
        for (int b = 0; b < 256; ++b) {
            t[size_t(b)] = b < 128 ? (unsigned char)b : (unsigned char)'?';
            if (b < 128 || cd == iconv_t(-1))
                continue;
            QByteArray in = QString(qpAnsiToChar((unsigned char)b)).toUtf8();
            char out[8];
            char *inp = in.data(), *outp = out;
            size_t inLeft = size_t(in.size()), outLeft = sizeof out;
            if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1) && outp - out == 1)
                t[size_t(b)] = (unsigned char)out[0];
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        if (cd != iconv_t(-1))
            iconv_close(cd);
        return t;
    }();
    return table;
}

// A character of a text line as a byte of the output: Windows-1254, or
// code page 857 after conversion. A character neither holds becomes "?".
unsigned char textByte(QChar c, bool oem)
{
    const int ansi = qpCharToAnsi(c);
    if (ansi < 0)
        return '?';
    return oem ? oemTable()[size_t(ansi)] : (unsigned char)ansi;
}

// The character grid of one page.
class Grid {
public:
    QList<QString> lines;

    void ensure(qsizetype line)
    {
        while (lines.size() <= line)
            lines.append(QString());
    }

    // A run of n cells of a line code from column c; a cell holding a line
    // code already takes both.
    void draw(qsizetype line, int column, int n, ushort code)
    {
        if (n <= 0 || column < 0)
            return;
        QString &s = lines[line];
        if (s.size() < column + n)
            s = s.leftJustified(column + n, QLatin1Char(' '));
        for (int i = column; i < column + n; ++i) {
            const QChar c = s.at(i);
            s[i] = QChar(isLineCode(c) ? ushort(c.unicode() | code) : code);
        }
    }

    // Frame lines across a run, with corners at the ends the mask asks for.
    void drawEdge(qsizetype line, int left, int width, int mask, ushort leftCorner, ushort rightCorner)
    {
        if (mask & qpftLeft) {
            draw(line, left, 1, leftCorner);
            ++left;
            --width;
        }
        if (mask & qpftRight) {
            draw(line, left + width - 1, 1, rightCorner);
            --width;
        }
        draw(line, left, width, lcHorizontal);
    }

    bool holdsText(qsizetype line) const
    {
        for (const QChar c : lines.at(line))
            if (c != QLatin1Char(' ') && !isLineCode(c))
                return true;
        return false;
    }

    // Text over a line: the line's blanks take the text's characters.
    void merge(qsizetype k, const QString &text)
    {
        if (k >= lines.size()) {
            lines.append(text);
            return;
        }
        QString &s = lines[k];
        if (s.size() < text.size())
            s = s.leftJustified(text.size(), QLatin1Char(' '));
        for (qsizetype i = 0; i < text.size(); ++i)
            if (s.at(i) == QLatin1Char(' '))
                s[i] = text.at(i);
    }
};

} // namespace

TqpTextExport::TqpTextExport(QObject *owner) : TqpExportFilter(owner)
{
    ShowDialog = true;
    qpRegisterExportFilter(this, qpLoadStr(kMsgDescription) + QStringLiteral(" (*.txt)"), QStringLiteral("*.txt"));
}

int TqpTextExport::ShowModal() { return ShowDialog ? RunOptionDialog() : int(mrOk); }

void TqpTextExport::OnBeginPage()
{
    ClearLines();
    Lines.resize(kLineSlots);
}

void TqpTextExport::OnText(const TRect &drawRect, int x, int y, const QString &text, int frameTyp, TqpView *view)
{
    if (!view)
        return;
    // Lines below the table's end grow it, so a long page loses nothing;
    // a text above the page's top goes on its first line.
    const int line = std::max(qpRound(y / (14.0 / ScaleY)), 0);
    if (size_t(line) >= Lines.size())
        Lines.resize(size_t(line) + 1);
    auto rec = std::make_unique<TqpTextRec>();
    rec->X = x;
    rec->Y = y;
    rec->Text = text;
    if (auto *memo = dynamic_cast<TqpMemoView *>(view)) {
        rec->FontName = memo->Font.Name.left(32);
        rec->FontSize = memo->Font.Size;
        rec->FontStyle = memo->Font.Style;
        rec->FontColor = memo->Font.Color;
        rec->FontCharset = memo->Font.Charset & 0xFF;
        rec->Alignment = memo->Alignment & qptaJustify;
        if (rec->Alignment == qptaRight)
            rec->X = drawRect.Right;
    }
    rec->DrawRect = drawRect;
    rec->FrameTyp = frameTyp;
    rec->FillColor = view->FillColor;
    // Before the first record at or right of it: chains stay in ascending x.
    std::unique_ptr<TqpTextRec> *place = &Lines[size_t(line)];
    while (*place && (*place)->X < rec->X)
        place = &(*place)->Next;
    rec->Next = std::move(*place);
    *place = std::move(rec);
}

void TqpTextExport::OnEndPage()
{
    const double cw = 6.5 / ScaleX;
    Grid grid;
    qsizetype lastSlot = qsizetype(Lines.size()) - 1;
    while (lastSlot >= 0 && !Lines[size_t(lastSlot)])
        --lastSlot;
    for (qsizetype slot = 0; slot <= lastSlot; ++slot) {
        QString text;
        qsizetype k = grid.lines.size();
        const bool empty = !Lines[size_t(slot)];
        for (const TqpTextRec *rec = Lines[size_t(slot)].get(); rec; rec = rec->Next.get()) {
            int column = qpRound(rec->X / cw);
            if (rec->Alignment == qptaRight)
                column -= int(rec->Text.size());
            if (text.size() < column)
                text = text.leftJustified(column, QLatin1Char(' '));
            text += rec->Text;

            const int mask = rec->FrameTyp;
            if (!ExportFrames || !mask)
                continue;
            const int left = qpRound(rec->DrawRect.Left / cw);
            const int width = qpRound(rec->DrawRect.Right / cw) - left + 1;
            if (mask & qpftTop) {
                if (grid.lines.isEmpty()) {
                    grid.ensure(0);
                    k = 1;
                } else if (k == 0 || grid.holdsText(k - 1)) {
                    grid.lines.append(QString());
                    k = grid.lines.size();
                }
                grid.drawEdge(k - 1, left, width, mask, lcTopLeft, lcTopRight);
            }
            if (mask & qpftBottom) {
                if (k >= grid.lines.size())
                    grid.ensure(k + 1);
                else if (k == grid.lines.size() - 1)
                    grid.lines.append(QString());
                grid.drawEdge(k + 1, left, width, mask, lcBottomLeft, lcBottomRight);
            }
            if (mask & (qpftLeft | qpftRight)) {
                if (k >= grid.lines.size()) {
                    grid.lines.append(QString());
                    k = grid.lines.size() - 1;
                }
                if (mask & qpftLeft)
                    grid.draw(k, left, 1, lcVertical);
                if (mask & qpftRight)
                    grid.draw(k, left + width - 1, 1, lcVertical);
            }
        }
        if (!(KillEmptyLines && empty))
            grid.merge(k, text);
    }

    QByteArray out;
    for (const QString &line : std::as_const(grid.lines)) {
        for (const QChar c : line) {
            if (isLineCode(c))
                out += char(UsePseudographic ? pseudographicLine(c.unicode()) : plainLine(c.unicode()));
            else
                out += char(textByte(c, ConvertToOEM));
        }
        out += "\r\n";
    }
    if (PageBreaks)
        out += QByteArray(1, kFormFeed) + "\r\n";
    Stream->write(out);
}
