#include "report/model/rich_view.h"

#include "data/field.h"
#include "report/core/code_page.h"
#include "report/core/conversions.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/expr/parser.h"
#include "report/model/model_errors.h"
#include "report/model/object_registry.h"
#include "report/model/qp3_writer.h"

#include <QPainter>
#include <algorithm>
#include <limits>

TRichEdit *SRichEdit = nullptr;
TqpPropEditor qpRichEditor;

namespace {

// A length in pixels of a device of ppi pixels per inch, in twips. Sizes
// from a damaged file must not overflow the page rectangle.
int twips(int pixels, int ppi)
{
    const double t = pixels * 1440.0 / ppi;
    return qpRound(std::clamp(t, double(std::numeric_limits<int>::min() / 2), double(std::numeric_limits<int>::max() / 2)));
}

// Report units are taken as pixels of the screen, which measures at this resolution.
const QImage &screenDevice() { return TempBitmap->Image; }

} // namespace

TqpRichView::TqpRichView() { BaseName = QStringLiteral("Rich"); }

void TqpRichView::SetPropValue(const QString &name, const Variant &value)
{
    TqpStretcheable::SetPropValue(name, value);
    if (qpUpperCase(name) == QLatin1String("TEXTONLY"))
        Flags = value.toBool() ? (Flags | flRichTextOnly) : (Flags & ~flRichTextOnly);
}

Variant TqpRichView::GetPropValue(const QString &name)
{
    Variant result = TqpStretcheable::GetPropValue(name);
    if (result.isNull() && qpUpperCase(name) == QLatin1String("TEXTONLY"))
        result = (Flags & flRichTextOnly) != 0;
    return result;
}

void TqpRichView::DefineProperties()
{
    TqpStretcheable::DefineProperties();
    AddProperty(QStringLiteral("GapX"), qpdt({qpdtInteger}));
    AddProperty(QStringLiteral("GapY"), qpdt({qpdtInteger}));
    AddProperty(QStringLiteral("Lines"), qpdt({qpdtHasEditor, qpdtOneObject}), qpEditorSlot(qpRichEditor));
    AddProperty(QStringLiteral("Stretched"), qpdt({qpdtBoolean}));
    AddProperty(QStringLiteral("TextOnly"), qpdt({qpdtBoolean}));
    AddProperty(QStringLiteral("DataField"), qpdt({qpdtString, qpdtHasEditor, qpdtOneObject}), qpEditorSlot(qpFieldEditor));
}

void TqpRichView::GetRichData(TRichEdit &edit)
{
    // Positions are 1-based as the bracket reader counts them; the local copy
    // of the text follows every replacement so that positions stay those of
    // the edit.
    QString text = edit.Text();
    ExpandBracketed(text, [&edit](int open, int close, const QString &value) {
        // A value of several lines becomes several paragraphs; CR LF is one break.
        QString placed = value;
        placed.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        placed.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        edit.Replace(open - 1, close, placed);
        placed.replace(QLatin1Char('\n'), QChar(QChar::ParagraphSeparator));
        return placed;
    });
}

int TqpRichView::DoCalcHeight()
{
    const QImage &screen = screenDevice();
    const int ppi = screen.logicalDpiX();
    const int width = twips(Width - 2 * GapX, ppi);
    const int length = SRichEdit->TextLength();
    int lo = 0, hi = 1000000;
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        const int end = SRichEdit->FormatRange({&screen, nullptr, QRect(0, 0, width, twips(mid, ppi)), CharStart, -1});
        // A page with no room to format into (-1) ends the search as fitting.
        // An end of 0 fits only an empty text: it also means that not even
        // the first line fitted, and taking that as fitting would measure
        // every text from its start as empty.
        if (end >= length || end == -1)
            hi = mid;
        else
            lo = mid;
    }
    if (hi < 2)
        hi = 8;
    return hi + 2 * GapY;
}

void TqpRichView::renderOnCanvas(const QSize &designed)
{
    // Laid out at the screen's resolution for the designed size, then drawn
    // at the view's scale, as a metafile of the designed page stretched into
    // DrawRect would be.
    const QImage &screen = screenDevice();
    const int ppi = screen.logicalDpiX();
    QPainter &p = Canvas->Painter();
    p.save();
    p.setClipRect(DrawRect.toQRect(), p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    p.translate(DrawRect.Left, DrawRect.Top);
    p.scale(ScaleX, ScaleY);
    QList<QPair<QString, QRectF>> lines;
    const int end = RichEdit.FormatRange({&screen, &p,
                                          QRect(0, 0, twips(designed.width(), ppi), twips(designed.height(), ppi)),
                                          CharStart, -1, &lines});
    p.restore();
    CharTo = end < 0 ? RichEdit.TextLength() : end;
    // The lines go into the canvas's log, so that a search finds them.
    for (const auto &[text, box] : std::as_const(lines)) {
        const QRect placed = QRectF(DrawRect.Left + box.left() * ScaleX, DrawRect.Top + box.top() * ScaleY,
                                    box.width() * ScaleX, box.height() * ScaleY)
                                 .toAlignedRect();
        Canvas->RecordText(text, placed & DrawRect.toQRect());
    }
}

void TqpRichView::ShowRich(bool render)
{
    if (render && !IsPrinting) {
        renderOnCanvas(m_designedPage);
        return;
    }
    TRichEdit &edit = render ? RichEdit : *SRichEdit;
    int end;
    if (!render) {
        const QImage &screen = screenDevice();
        const int ppi = screen.logicalDpiX();
        end = edit.FormatRange(
            {&screen, nullptr, QRect(0, 0, twips(Width - 2 * GapX, ppi), twips(Height - 2 * GapY, ppi)), CharStart, -1});
    } else {
        const int ppiX = Canvas->PixelsPerInchX(), ppiY = Canvas->PixelsPerInchY();
        const QRect page(twips(DrawRect.Left, ppiX), twips(DrawRect.Top, ppiY), twips(DrawRect.Width(), ppiX),
                         twips(DrawRect.Height(), ppiY));
        end = edit.FormatRange({Canvas->device(), &Canvas->Painter(), page, CharStart, -1});
    }
    // Without room to format into, the rest of the text is given up rather
    // than carried to the next part for ever.
    CharTo = end < 0 ? edit.TextLength() : end;
}

void TqpRichView::Draw(TCanvas *canvas)
{
    BeginDraw(canvas);
    m_designedPage = QSize(Width - 2 * GapX, Height - 2 * GapY);
    CalcGaps();
    ShowBackground();
    DrawRect = {DrawRect.Left + GapX, DrawRect.Top + GapY, DrawRect.Right - GapX, DrawRect.Bottom - GapY};
    CharStart = 0;
    if (DrawRect.Width() > 0 && DrawRect.Height() > 0)
        ShowRich(true);
    ShowFrame();
    RestoreCoord();
}

void TqpRichView::prepareShared()
{
    SRichEdit->Assign(RichEdit);
    if (!(Flags & flRichTextOnly))
        GetRichData(*SRichEdit);
}

int TqpRichView::CalcHeight()
{
    CharFrom = CharTo = 0;
    CurView = this;
    RunScript();
    if (!Visible)
        return 0;
    ExpandedMemo = Memo;
    if (CurReport)
        CurReport->InternalOnEnterRect(ExpandedMemo, this);
    prepareShared();
    CharStart = 0;
    return DoCalcHeight();
}

int TqpRichView::LostSpace()
{
    CurView = this;
    prepareShared();
    SRichEdit->Delete(0, CharTo);
    const int savedFrom = CharFrom, savedTo = CharTo;
    CharStart = 0;
    ShowRich(false);
    SRichEdit->Delete(CharTo, SRichEdit->TextLength());
    const int h = std::max(DoCalcHeight(), Height);
    CharFrom = savedFrom;
    CharTo = savedTo;
    return (h - Height) + 2 * GapY + qpRound(2 * FrameWidth);
}

void TqpRichView::StreamOut(QIODevice &stream)
{
    BeginDraw(Canvas);
    ExpandedMemo = Memo;
    if (CurReport)
        CurReport->InternalOnEnterRect(ExpandedMemo, this);
    RunScript();
    if (!Visible) {
        DrawMode = drAll;
        return;
    }
    const QString savedTag = Tag;
    if (Tag.contains(QLatin1Char('[')))
        ExpandVariables(Tag);
    prepareShared();
    if (DrawMode == drPart) {
        // Keep exactly this page's part: what fits from where the last part ended.
        CharStart = CharTo;
        ShowRich(false);
        SRichEdit->Delete(CharTo, SRichEdit->TextLength());
        SRichEdit->Delete(0, CharFrom);
        CharFrom = CharTo;
    }
    SavingShared = true;
    WriteEntry(stream);
    SavingShared = false;
    Tag = savedTag;
    DrawMode = drAll;
}

void TqpRichView::GetBlob(TBlobField *field)
{
    RichEdit.Clear();
    if (field->IsNull())
        return;
    const QVariant value = field->Value();
    if (value.typeId() != QMetaType::QString) {
        // Bytes as a rich-edit control streams them in: RTF, or text in the
        // Turkish code page.
        RichEdit.LoadFromBytes(value.toByteArray());
        return;
    }
    // A memo field holds characters: RTF is handed over in the code page it
    // names, plain text goes in as it is.
    const QString text = value.toString();
    if (text.trimmed().startsWith(QLatin1String("{\\rtf"))) {
        QByteArray bytes;
        bytes.reserve(text.size());
        for (QChar c : text) {
            // What the code page cannot hold goes as a Unicode escape.
            const int b = qpCharToAnsi(c);
            if (b >= 0)
                bytes.append(char(b));
            else
                bytes.append("\\u" + QByteArray::number(qint16(c.unicode())) + '?');
        }
        RichEdit.LoadFromBytes(bytes);
        return;
    }
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    RichEdit.Replace(0, 0, plain);
}

void TqpRichView::ShowEditor()
{
    if (qpRichEditor)
        qpRichEditor(this);
}

void TqpRichView::SaveToStream(QIODevice &stream)
{
    TqpStretcheable::SaveToStream(stream);
    const TRichEdit &content = SavingShared ? *SRichEdit : RichEdit;
    const bool hasContent = content.TextLength() > 0;
    qpWriteByte(stream, hasContent ? 1 : 0);
    const qint64 endField = stream.pos();
    qpWriteInteger(stream, 0);
    if (hasContent) {
        const QByteArray rtf = content.SaveToRtf();
        if (stream.write(rtf) != rtf.size())
            throw EWriteError(stream.errorString());
    }
    const qint64 end = stream.pos();
    stream.seek(endField);
    qpWriteInteger(stream, qint32(end));
    stream.seek(end);
}

void TqpRichView::LoadFromStream(QIODevice &stream)
{
    TqpStretcheable::LoadFromStream(stream);
    const bool hasContent = qpReadByte(stream) != 0;
    const qint64 end = qpReadInteger(stream);
    const qint64 start = stream.pos();
    // An end outside the stream leaves no place to go on from.
    if (end < start || end > stream.size())
        throw EReadError(qpLoadStr(qpMsgStreamRead));
    if (hasContent)
        RichEdit.LoadFromBytes(stream.read(end - start));
    else
        RichEdit.Clear();
    stream.seek(end);
}

void qpInitRichView()
{
    if (SRichEdit)
        return;
    SRichEdit = new TRichEdit;
    // The designer's button bitmap comes with the designer; the hint is the
    // id of "RichText nesnesi ekle".
    qpRegisterObject(qpClassOf<TqpRichView>(), QImage(), QStringLiteral("55223"));
}

void qpDoneRichView()
{
    delete SRichEdit;
    SRichEdit = nullptr;
}

void TqpRichView::SaveToQP3Stream(QIODevice &stream)
{
    TqpStretcheable::SaveToQP3Stream(stream);
    // The content as the successor's component stream holds it: the
    // property name, the binary marker, a 32-bit length and the RTF text.
    const QByteArray rtf = RichEdit.SaveToRtf();
    QByteArray block;
    block.append(char(8)).append("RichEdit").append(char(10));
    const quint32 n = quint32(rtf.size());
    for (int i = 0; i < 4; ++i)
        block.append(char((n >> (8 * i)) & 0xFF));
    block.append(rtf);
    qp3Attr(stream, "Propdata", qpStreamToString(block));
    if (Flags & flStretched)
        qp3Attr(stream, "StretchMode", QStringLiteral("smMaxHeight"));
    qp3Flag(stream, "AllowExpressions", Flags & flRichTextOnly, false);
    qp3DataField(stream, Memo);
}
