#pragma once
// The rich-edit control of the report engine, without a window: formatted
// text held in a QTextDocument, loaded from and saved to RTF, edited by
// character position, and formatted a page at a time onto a device.
//
// Character positions count every character once and every paragraph end
// once, as a rich-edit control counts them, so a position found by one call
// can be handed to the next.

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <memory>

class QPaintDevice;
class QPainter;
class QTextDocument;

// One page of formatting: the text from CharMin on is laid out for Device
// into Page (twips from the device's origin, so a page's pixel size follows
// the device's resolution) and, when a painter is given, drawn with it.
// Lines are placed whole: the first line that would cross the page's bottom
// edge stays for the next page.
struct TFormatRange {
    const QPaintDevice *Device = nullptr;
    QPainter *Painter = nullptr; // none: measure only
    QRect Page;                  // twips
    int CharMin = 0;
    int CharMax = -1; // -1: to the end of the text
    // When given, every line drawn: its text and its box in the painter's
    // coordinates (what a search over the drawn page looks at).
    QList<QPair<QString, QRectF>> *Lines = nullptr;
};

class TRichEdit {
public:
    TRichEdit();
    ~TRichEdit();
    TRichEdit(const TRichEdit &) = delete;
    TRichEdit &operator=(const TRichEdit &) = delete;

    QTextDocument &Document() { return *m_doc; }
    const QTextDocument &Document() const { return *m_doc; }

    void Clear();
    // RTF when the bytes begin with "{\rtf", otherwise plain text in the
    // Turkish code page, one paragraph per line, as a rich-edit control
    // takes a stream that is not RTF.
    void LoadFromBytes(const QByteArray &bytes);
    QByteArray SaveToRtf() const;
    // Becomes a copy of the other control's content.
    void Assign(const TRichEdit &source);

    // The text with U+2029 at every paragraph end but the last.
    QString Text() const;
    int TextLength() const;
    // Replaces the characters [from, to) by text that takes the formatting of
    // the first of them (or of the character before an empty range).
    void Replace(int from, int to, const QString &text);
    void Delete(int from, int to);

    // Formats one page; returns the position of the first character that did
    // not fit (the text's length when all of it did), CharMin when not even
    // one line fits, and -1 when the page has no width to format into.
    int FormatRange(const TFormatRange &range);

private:
    void layoutFor(const QPaintDevice &device, int width);

    std::unique_ptr<QTextDocument> m_doc;
    // Fonts are measured at the target device's resolution on an image of
    // our own set to it, so the layout never points at a device that may be
    // gone by the time the text changes.
    QImage m_metrics{1, 1, QImage::Format_RGB32};
    struct LayoutKey {
        int dpiX = 0, dpiY = 0, width = -1, revision = -1;
        bool operator==(const LayoutKey &) const = default;
    } m_layoutKey;
};
