#include "rich_edit.h"

#include "rtf_code_page.h"
#include "rtf_reader.h"
#include "rtf_writer.h"

#include <canvas.h>

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {

// Lines are placed when their bottom is within the page; layout heights
// carry fractions of a pixel that must not push a line out that fits.
constexpr qreal kFitTolerance = 1.0 / 64;

void applyDefaults(QTextDocument &doc)
{
    doc.setUndoRedoEnabled(false);
    doc.setDocumentMargin(0);
    // An empty control shows and takes typed text in the engine's default font.
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), mappedFontFamily(QStringLiteral("Arial"))});
    font.setPointSize(10);
    doc.setDefaultFont(font);
}

int toPixels(int twips, int dpi) { return int(std::lround(double(twips) * dpi / 1440.0)); }

// The height a line takes on the page under its paragraph's line spacing, as
// the document layout advances by it; lengths of the format are 1/96 inch.
qreal lineAdvance(const QTextBlockFormat &f, const QTextLine &line, int dpiY)
{
    const qreal scaling = dpiY / 96.0;
    switch (f.lineHeightType()) {
    case QTextBlockFormat::FixedHeight: return f.lineHeight() * scaling;
    case QTextBlockFormat::MinimumHeight: return std::max(line.height(), f.lineHeight() * scaling);
    case QTextBlockFormat::ProportionalHeight: return line.height() * f.lineHeight() / 100.0;
    case QTextBlockFormat::LineDistanceHeight: return line.height() + f.lineHeight() * scaling;
    default: return line.height();
    }
}

} // namespace

TRichEdit::TRichEdit() : m_doc(std::make_unique<QTextDocument>())
{
    applyDefaults(*m_doc);
    m_doc->documentLayout()->setPaintDevice(&m_metrics);
}

TRichEdit::~TRichEdit() = default;

void TRichEdit::Clear()
{
    m_doc->clear();
}

void TRichEdit::LoadFromBytes(const QByteArray &bytes)
{
    qsizetype start = 0;
    while (start < bytes.size() && QChar::isSpace(uchar(bytes.at(start))))
        ++start;
    if (bytes.mid(start, 5) == "{\\rtf") {
        readRtf(bytes, *m_doc);
        return;
    }
    QString text = rtfDecode(bytes, 1254);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    m_doc->clear();
    QTextCursor(m_doc.get()).insertText(text);
}

QByteArray TRichEdit::SaveToRtf() const { return writeRtf(*m_doc); }

void TRichEdit::Assign(const TRichEdit &source)
{
    if (&source == this)
        return;
    m_doc.reset(source.m_doc->clone());
    applyDefaults(*m_doc);
    m_doc->setDefaultTextOption(source.m_doc->defaultTextOption());
    m_doc->documentLayout()->setPaintDevice(&m_metrics);
    m_layoutKey = LayoutKey();
}

QString TRichEdit::Text() const
{
    QString text = m_doc->toRawText();
    text.truncate(TextLength());
    return text;
}

int TRichEdit::TextLength() const { return m_doc->characterCount() - 1; }

void TRichEdit::Replace(int from, int to, const QString &text)
{
    const int length = TextLength();
    from = std::clamp(from, 0, length);
    to = std::clamp(to, from, length);
    QTextCursor probe(m_doc.get());
    probe.setPosition(to > from ? from + 1 : from);
    const QTextCharFormat format = probe.charFormat();
    QTextCursor c(m_doc.get());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    c.insertText(text, format);
}

void TRichEdit::Delete(int from, int to)
{
    const int length = TextLength();
    from = std::clamp(from, 0, length);
    to = std::clamp(to, from, length);
    QTextCursor c(m_doc.get());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    c.removeSelectedText();
}

void TRichEdit::layoutFor(const QPaintDevice &device, int width)
{
    const LayoutKey key{device.logicalDpiX(), device.logicalDpiY(), width};
    if (key == m_layoutKey)
        return;
    m_metrics.setDotsPerMeterX(int(std::lround(key.dpiX / 0.0254)));
    m_metrics.setDotsPerMeterY(int(std::lround(key.dpiY / 0.0254)));
    m_doc->setTextWidth(width);
    m_doc->markContentsDirty(0, m_doc->characterCount());
    m_layoutKey = key;
}

int TRichEdit::FormatRange(const TFormatRange &range)
{
    if (!range.Device)
        return -1;
    const int dpiX = range.Device->logicalDpiX(), dpiY = range.Device->logicalDpiY();
    const QRect page(toPixels(range.Page.left(), dpiX), toPixels(range.Page.top(), dpiY),
                     toPixels(range.Page.width(), dpiX), toPixels(range.Page.height(), dpiY));
    if (page.width() <= 0)
        return -1;
    const int length = TextLength();
    const int cpMin = std::clamp(range.CharMin, 0, length);
    const int cpMax = range.CharMax < 0 ? length : std::clamp(range.CharMax, cpMin, length);
    if (cpMin >= cpMax)
        return cpMin;

    layoutFor(*range.Device, page.width());
    QAbstractTextDocumentLayout *layout = m_doc->documentLayout();
    // Lines are stacked from the top of their paragraph's layout by the
    // advance their spacing gives them (a fixed spacing moves the line's own
    // box within its slot, so the boxes do not tell where slots begin).
    const auto layoutTop = [layout](const QTextBlock &b) { return layout->blockBoundingRect(b).top(); };

    QTextBlock block = m_doc->findBlock(cpMin);
    layoutTop(block); // lays the block out
    const int firstLine = std::max(block.layout()->lineForTextPosition(cpMin - block.position()).lineNumber(), 0);
    qreal top = 0;
    int end = cpMin;
    bool started = false, full = false;
    qreal bottom = 0;
    for (; block.isValid() && !full; block = block.next()) {
        const QTextLayout *tl = block.layout();
        qreal slot = layoutTop(block);
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            const qreal advance = lineAdvance(block.blockFormat(), line, dpiY);
            if (!started) {
                if (i < firstLine) {
                    slot += advance;
                    continue;
                }
                started = true;
                top = bottom = slot;
            }
            const int lineStart = block.position() + line.textStart();
            if (lineStart >= cpMax || slot + advance - top > page.height() + kFitTolerance) {
                full = true;
                break;
            }
            slot += advance;
            bottom = slot;
            if (range.Lines) {
                const QRectF box = line.rect().translated(layout->blockBoundingRect(block).topLeft());
                QString text = block.text().mid(line.textStart(), line.textLength());
                text.remove(QChar::ObjectReplacementCharacter).replace(QChar::LineSeparator, QLatin1Char(' '));
                range.Lines->append({text, box.translated(page.left(), page.top() - top)});
            }
            // The last line of a paragraph carries its paragraph end.
            end = i + 1 < tl->lineCount() ? lineStart + line.textLength() : block.position() + block.length();
        }
    }
    end = std::min(end, cpMax);

    if (range.Painter && bottom > top) {
        QPainter &p = *range.Painter;
        p.save();
        p.translate(page.left(), page.top() - top);
        const QRectF clip(0, top, page.width(), bottom - top);
        p.setClipRect(clip, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&p, context);
        p.restore();
    }
    return end;
}
