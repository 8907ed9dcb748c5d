#include "syntax_memo.h"

#include "canvas.h"
#include "modal_seam.h"
#include "report/core/code_page.h"
#include "syn_memo_search.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>

namespace {

constexpr quint32 clWindow = 0x80000005;
constexpr quint32 clBtnFace = 0x8000000F;
constexpr quint32 clBtnHighlight = 0x80000014;
constexpr quint32 clGreen = 0x008000;
constexpr quint32 clMaroon = 0x000080;

int posKey(QPoint p) { return p.y() * TqpSyntaxMemo::MaxColumn + p.x(); }

QFont tahoma(int points, bool bold)
{
    QFont f(mappedFontFamily(QStringLiteral("Tahoma")));
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

// The search compares upper-cased text the Turkish way (i with İ, ı with I).
QString searchCase(const QString &s)
{
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    return turkish.toUpper(s);
}

// The digit of Ctrl+0..9, with or without Shift: shifted digits arrive as the
// layout's symbols, so the key's position on the digit row decides.
int digitOf(const QKeyEvent *e)
{
    if (e->key() >= Qt::Key_0 && e->key() <= Qt::Key_9)
        return e->key() - Qt::Key_0;
    const quint32 code = e->nativeScanCode();
    if (code >= 10 && code <= 19) // X11 key codes of the digit row, 1 to 0
        return int(code - 9) % 10;
    return -1;
}

// The length of a line without its trailing blanks.
qsizetype trimmedLength(const QString &line)
{
    qsizetype n = line.size();
    while (n > 0 && line.at(n - 1) == QLatin1Char(' '))
        --n;
    return n;
}

bool isTypedText(const QString &text)
{
    if (text.isEmpty())
        return false;
    // Scripts are stored in the Turkish code page: only characters it holds can be typed.
    return std::all_of(text.begin(), text.end(), [](QChar c) { return qpCharToAnsi(c) >= 32; });
}

} // namespace

// Records what the view showed when an outermost operation began and, when it
// ends, repaints only what the operation changed: the touched lines, the old
// and new selection, the caret cells, the footer and the gutter.
class TqpSyntaxMemo::TRepaint {
public:
    explicit TRepaint(TqpSyntaxMemo *memo) : m(memo)
    {
        if (m->m_repaintDepth++ > 0)
            return;
        m_top = m->m_topLine;
        m_left = m->m_leftCol;
        m_lineCount = int(m->m_lines.size());
        m_caret = m->GetPos();
        m_anchor = m->m_selAnchor;
        m_end = m->m_selEnd;
        m_message = m->m_message;
        m_bookmarks = m->m_bookmarks;
        m_active = m->m_activeLine;
        m_caretRect = m->caretRect();
    }
    ~TRepaint()
    {
        if (--m->m_repaintDepth > 0)
            return;
        if (int(m->m_lines.size()) != m_lineCount)
            m->updateScrollBar();
        QWidget *vp = m->viewport();
        const bool moved = m->GetPos() != m_caret;
        if (moved || m->m_dirtyFirst >= 0) {
            m->m_caretOn = true;
            if (m->m_blink.isActive())
                m->m_blink.start();
        }
        if (m_top != m->m_topLine || m_left != m->m_leftCol) {
            vp->update();
        } else {
            QRegion region;
            if (m->m_dirtyFirst >= 0)
                region += m->linesRect(m->m_dirtyFirst, m->m_dirtyToEnd ? m->m_topLine + m->VisibleLines() + 1
                                                                       : m->m_dirtyLast);
            if (m_anchor != m->m_selAnchor || m_end != m->m_selEnd) {
                addSelection(region, m_anchor, m_end);
                addSelection(region, m->m_selAnchor, m->m_selEnd);
            }
            if (moved) {
                region += m_caretRect;
                region += m->caretRect();
            }
            if (moved || m_message != m->m_message)
                region += m->footerRect();
            if (m_bookmarks != m->m_bookmarks || m_active != m->m_activeLine)
                region += QRect(0, 0, m->gutterWidth(), vp->height() - m->footerHeight());
            if (!region.isEmpty())
                vp->update(region);
        }
        m->m_dirtyFirst = m->m_dirtyLast = -1;
        m->m_dirtyToEnd = false;
    }

private:
    void addSelection(QRegion &region, QPoint anchor, QPoint end) const
    {
        if (anchor.x() == 0)
            return;
        region += m->linesRect(std::min(anchor.y(), end.y()) - 1, std::max(anchor.y(), end.y()) - 1);
    }

    TqpSyntaxMemo *m;
    int m_top = 0, m_left = 0, m_lineCount = 0, m_active = -1;
    QPoint m_caret, m_anchor, m_end;
    QString m_message;
    std::array<int, 10> m_bookmarks{};
    QRect m_caretRect;
};

TqpSyntaxMemo::TqpSyntaxMemo(QWidget *parent) : QAbstractScrollArea(parent)
{
    m_bookmarks.fill(-1);
    m_attr[caText] = TAttrFont{false, false, 0x80000008};
    m_attr[caComment] = TAttrFont{false, true, 0x800000};
    m_attr[caKeyword] = TAttrFont{true, false, 0x80000008};
    m_attr[caString] = TAttrFont{false, false, 0x800000};

    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    viewport()->setAcceptDrops(true);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    resize(200, 200);

    m_builtinMenu = new QMenu(this);
    m_builtinMenu->addAction(QStringLiteral("Cut"), this, &TqpSyntaxMemo::CutToClipboard);
    m_builtinMenu->addAction(QStringLiteral("Copy"), this, &TqpSyntaxMemo::CopyToClipboard);
    m_builtinMenu->addAction(QStringLiteral("Paste"), this, &TqpSyntaxMemo::PasteFromClipboard);

    const int flash = QApplication::cursorFlashTime();
    if (flash > 0) {
        m_blink.setInterval(flash / 2);
        connect(&m_blink, &QTimer::timeout, this, &TqpSyntaxMemo::blinkCaret);
    }

    m_scanner.SetSyntaxType(stPascal);
    setFont(QFont(QStringLiteral("Courier New"), 10));
    fontChanged();
    SetText(QStringList());
}

TqpSyntaxMemo::~TqpSyntaxMemo() = default;

void TqpSyntaxMemo::SetBlockColor(quint32 color)
{
    m_blockColor = color;
    UpdateView();
}

void TqpSyntaxMemo::SetBlockFontColor(quint32 color)
{
    m_blockFontColor = color;
    UpdateView();
}

void TqpSyntaxMemo::setAttr(TCharAttr kind, const TAttrFont &attr)
{
    m_attr[kind] = attr;
    fontChanged();
}

void TqpSyntaxMemo::SetSyntaxType(TSyntaxType type)
{
    TRepaint repaint(this);
    m_scanner.SetSyntaxType(type);
    m_startStates.fill(TScanState::Unknown);
    m_startStates[0] = TScanState::Code;
    rescan(0, int(m_lines.size()));
    UpdateView();
}

void TqpSyntaxMemo::SetShowFooter(bool show)
{
    m_showFooter = show;
    updateScrollBar();
    UpdateView();
}

void TqpSyntaxMemo::SetShowGutter(bool show)
{
    m_showGutter = show;
    UpdateView();
}

void TqpSyntaxMemo::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        fontChanged();
    QAbstractScrollArea::changeEvent(event);
}

// The attribute fonts take the control font's name and size. The cell is
// measured in bold; every drawing font is spaced so that each character
// advances exactly one cell, which keeps text and caret on one grid.
void TqpSyntaxMemo::fontChanged()
{
    const QFont base = font();
    QFont bold(mappedFontFamily(base.family()));
    if (base.pixelSize() > 0)
        bold.setPixelSize(base.pixelSize());
    else
        bold.setPointSizeF(base.pointSizeF());
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    m_lineHeight = std::max(1, metrics.height());
    m_charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('W')));
    m_ascent = metrics.ascent();
    // Courier New is drawn a run at a time; any other font cell by cell, as
    // its characters may differ in width.
    m_charByChar = !base.family().toUpper().contains(QLatin1String("COURIER NEW"));
    for (TCharAttr kind : {caText, caComment, caKeyword, caString}) {
        QFont f = bold;
        f.setBold(m_attr[kind].Bold);
        f.setItalic(m_attr[kind].Italic);
        f.setKerning(false);
        const qreal advance = QFontMetricsF(f).horizontalAdvance(QLatin1Char('W'));
        f.setLetterSpacing(QFont::AbsoluteSpacing, m_charWidth - advance);
        m_drawFont[kind] = f;
    }
    updateScrollBar();
    viewport()->update();
}

int TqpSyntaxMemo::VisibleLines() const
{
    return (viewport()->height() - footerHeight()) / m_lineHeight;
}

int TqpSyntaxMemo::VisibleColumns() const
{
    return (viewport()->width() - gutterWidth()) / m_charWidth;
}

QPoint TqpSyntaxMemo::CellAt(const QPoint &point) const
{
    const int column = point.x() < gutterWidth() ? 1 : (point.x() - gutterWidth()) / m_charWidth + m_leftCol + 1;
    const int line = (point.y() < 0 ? -1 : point.y() / m_lineHeight) + m_topLine + 1;
    return QPoint(column, line);
}

QRect TqpSyntaxMemo::linesRect(int first0, int last0) const
{
    const int top = std::max(first0 - m_topLine, 0);
    const int bottom = std::min(last0 - m_topLine, VisibleLines() + 1);
    if (bottom < top)
        return QRect();
    return QRect(0, top * m_lineHeight, viewport()->width(), (bottom - top + 1) * m_lineHeight)
        .intersected(QRect(0, 0, viewport()->width(), viewport()->height() - footerHeight()));
}

QRect TqpSyntaxMemo::footerRect() const
{
    return QRect(0, viewport()->height() - footerHeight(), viewport()->width(), footerHeight());
}

QRect TqpSyntaxMemo::caretRect() const
{
    return QRect(gutterWidth() + (m_caretX - 1 - m_leftCol) * m_charWidth, (m_caretY - 1 - m_topLine) * m_lineHeight,
                 2, m_lineHeight);
}

void TqpSyntaxMemo::updateScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    const int visible = std::max(1, VisibleLines());
    const int count = int(m_lines.size());
    bar->setRange(0, count <= visible ? 0 : count - visible);
    bar->setSingleStep(1);
    bar->setPageStep(visible);
    const QSignalBlocker block(bar);
    bar->setValue(m_topLine);
}

void TqpSyntaxMemo::setTopLine(int top)
{
    m_topLine = std::clamp(top, 0, std::max(0, int(m_lines.size()) - 1));
    const QSignalBlocker block(verticalScrollBar());
    verticalScrollBar()->setValue(m_topLine);
}

void TqpSyntaxMemo::scrollContentsBy(int, int)
{
    TRepaint repaint(this);
    m_topLine = std::min(verticalScrollBar()->value(), int(m_lines.size()));
}

void TqpSyntaxMemo::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void TqpSyntaxMemo::UpdateView()
{
    viewport()->update();
}

// ---- text --------------------------------------------------------------

void TqpSyntaxMemo::SetText(const QStringList &lines)
{
    TRepaint repaint(this);
    m_lines = lines;
    if (m_lines.isEmpty())
        m_lines.append(QString());
    m_attrs = QList<QByteArray>(m_lines.size());
    m_startStates = QList<TScanState>(m_lines.size() + 1, TScanState::Unknown);
    m_startStates[0] = TScanState::Code;
    rescan(0, int(m_lines.size()));
    m_caretX = m_caretY = 1;
    m_topLine = m_leftCol = 0;
    m_selAnchor = m_selEnd = QPoint();
    m_undo.clear();
    m_message.clear();
    m_modified = false;
    updateScrollBar();
    viewport()->update();
}

QStringList TqpSyntaxMemo::GetText() const
{
    QStringList out;
    out.reserve(m_lines.size());
    for (const QString &line : m_lines)
        out.append(line.left(trimmedLength(line)));
    return out;
}

void TqpSyntaxMemo::rescan(int first, int changedCount)
{
    const int n = int(m_lines.size());
    for (int i = first; i < n; ++i) {
        const TScanState next = m_scanner.ScanLine(m_lines.at(i), m_startStates.at(i), m_attrs[i]);
        if (m_dirtyFirst < 0 || i < m_dirtyFirst)
            m_dirtyFirst = i;
        m_dirtyLast = std::max(m_dirtyLast, i);
        // Below the change, a line that begins in the state it began in
        // before keeps its colouring, and so do all after it.
        if (i >= first + changedCount - 1 && m_startStates.at(i + 1) == next)
            break;
        m_startStates[i + 1] = next;
    }
}

QPoint TqpSyntaxMemo::replaceRange(QPoint from, QPoint to, const QString &text)
{
    const int first = from.y() - 1, last = to.y() - 1;
    QString head = m_lines.at(first);
    if (head.size() < from.x() - 1)
        head += QString(from.x() - 1 - head.size(), QLatin1Char(' '));
    head.truncate(from.x() - 1);
    const QString &lastLine = m_lines.at(last);
    const QString tail = to.x() - 1 < lastLine.size() ? lastLine.mid(to.x() - 1) : QString();

    const QStringList pieces = text.split(QLatin1Char('\n'));
    const int count = int(pieces.size());
    const int removed = last - first + 1;
    const QPoint end(int(pieces.last().size()) + (count == 1 ? int(head.size()) : 0) + 1, from.y() + count - 1);

    m_lines.remove(first + 1, removed - 1);
    m_attrs.remove(first + 1, removed - 1);
    m_startStates.remove(first + 1, removed - 1);
    if (count > 1) {
        m_lines.insert(first + 1, count - 1, QString());
        m_attrs.insert(first + 1, count - 1, QByteArray());
        m_startStates.insert(first + 1, count - 1, TScanState::Unknown);
    }
    for (int i = 0; i < count; ++i)
        m_lines[first + i] = pieces.at(i);
    m_lines[first].prepend(head);
    m_lines[first + count - 1].append(tail);

    if (count != removed)
        m_dirtyToEnd = true;
    rescan(first, count);
    m_modified = true;
    return end;
}

void TqpSyntaxMemo::snapshot()
{
    m_undo.append(TSnapshot{m_caretX, m_caretY, m_lines});
    while (m_undo.size() > MaxUndo)
        m_undo.removeFirst();
}

void TqpSyntaxMemo::shiftBookmarks(int fromLine0, int delta)
{
    for (int &b : m_bookmarks)
        if (b >= fromLine0)
            b = std::max(0, b + delta);
}

void TqpSyntaxMemo::selectionRange(QPoint &from, QPoint &to) const
{
    if (!HasSelection()) {
        from = to = GetPos();
        return;
    }
    from = m_selAnchor;
    to = m_selEnd;
    if (posKey(to) < posKey(from))
        std::swap(from, to);
}

int TqpSyntaxMemo::firstNonBlank(int line0) const
{
    const QString &s = m_lines.at(line0);
    for (qsizetype i = 0; i < s.size(); ++i)
        if (s.at(i) != QLatin1Char(' '))
            return int(i) + 1;
    return 0;
}

QString TqpSyntaxMemo::GetSelText() const
{
    if (!HasSelection())
        return QString();
    QPoint from, to;
    selectionRange(from, to);
    if (from.y() == to.y())
        return m_lines.at(from.y() - 1).mid(from.x() - 1, to.x() - from.x());
    QStringList parts{m_lines.at(from.y() - 1).mid(from.x() - 1)};
    for (int i = from.y(); i < to.y() - 1; ++i)
        parts.append(m_lines.at(i));
    parts.append(m_lines.at(to.y() - 1).left(to.x() - 1));
    return parts.join(QLatin1Char('\n'));
}

void TqpSyntaxMemo::SetSelText(const QString &text)
{
    if (!canChange())
        return;
    TRepaint repaint(this);
    snapshot();
    QPoint from, to;
    selectionRange(from, to);
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QPoint end = replaceRange(from, to, normalized);
    // Bookmarks from the line the range ends on move with the text; those on
    // lines the range swallowed stay at its first line.
    for (int &b : m_bookmarks)
        if (b > from.y() - 1 && b < to.y() - 1)
            b = from.y() - 1;
    shiftBookmarks(to.y() - 1, end.y() - to.y());
    ClearSel();
    SetPos(end.x(), end.y());
}

void TqpSyntaxMemo::deleteSelection()
{
    SetSelText(QString());
}

void TqpSyntaxMemo::ClearSel()
{
    TRepaint repaint(this);
    m_selAnchor = m_selEnd = QPoint();
}

void TqpSyntaxMemo::AddSel()
{
    TRepaint repaint(this);
    if (HasSelection())
        m_selEnd = GetPos();
}

void TqpSyntaxMemo::SelectAll()
{
    TRepaint repaint(this);
    const QPoint end(int(m_lines.last().size()) + 1, int(m_lines.size()));
    SetPos(end.x(), end.y());
    m_selAnchor = QPoint(1, 1);
    m_selEnd = end;
}

void TqpSyntaxMemo::CopyToClipboard()
{
    if (HasSelection())
        QGuiApplication::clipboard()->setText(GetSelText());
}

void TqpSyntaxMemo::CutToClipboard()
{
    if (!HasSelection() || !canChange())
        return;
    CopyToClipboard();
    deleteSelection();
}

void TqpSyntaxMemo::PasteFromClipboard()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        SetSelText(text);
}

void TqpSyntaxMemo::Undo()
{
    if (m_undo.isEmpty() || !canChange())
        return;
    TRepaint repaint(this);
    const TSnapshot last = m_undo.takeLast();
    m_lines = last.lines;
    m_attrs = QList<QByteArray>(m_lines.size());
    m_startStates = QList<TScanState>(m_lines.size() + 1, TScanState::Unknown);
    m_startStates[0] = TScanState::Code;
    rescan(0, int(m_lines.size()));
    m_dirtyToEnd = true;
    m_modified = true;
    ClearSel();
    SetPos(last.column, last.line);
}

void TqpSyntaxMemo::SetPos(int column, int line)
{
    TRepaint repaint(this);
    m_message.clear();
    m_caretX = std::clamp(column, 1, MaxColumn);
    m_caretY = std::clamp(line, 1, int(m_lines.size()));
    const int columns = std::max(1, VisibleColumns());
    const int lines = std::max(1, VisibleLines());
    if (m_caretX > m_leftCol + columns)
        m_leftCol = m_caretX - columns;
    else if (m_caretX <= m_leftCol)
        m_leftCol = m_caretX - 1;
    if (m_caretY > m_topLine + lines)
        setTopLine(m_caretY - lines);
    else if (m_caretY <= m_topLine)
        setTopLine(m_caretY - 1);
}

// ---- editing keys ----------------------------------------------------------

void TqpSyntaxMemo::insertReturn()
{
    if (!canChange())
        return;
    TRepaint repaint(this);
    ClearSel();
    snapshot();
    const QString &line = m_lines.at(m_caretY - 1);
    const int splitAt = std::min(m_caretX, int(line.size()) + 1);
    const int leftBlank = firstNonBlank(m_caretY - 1);
    // Indent like the line just left; from a blank line keep the caret's column.
    const int indent = leftBlank > 0 && leftBlank < splitAt ? leftBlank : m_caretX;
    const QPoint at(splitAt, m_caretY);
    const QPoint end = replaceRange(at, at, QLatin1Char('\n') + QString(indent - 1, QLatin1Char(' ')));
    shiftBookmarks(m_caretY, 1);
    SetPos(end.x(), end.y());
}

void TqpSyntaxMemo::insertTab()
{
    // Align with the next column of text in the nearest line above that reaches the caret.
    for (int i = m_caretY - 2; i >= 0; --i) {
        const QString &s = m_lines.at(i);
        qsizetype at = m_caretX - 1;
        if (s.size() <= at)
            continue;
        if (s.at(at) != QLatin1Char(' '))
            while (at < s.size() && s.at(at) != QLatin1Char(' '))
                ++at;
        while (at < s.size() && s.at(at) == QLatin1Char(' '))
            ++at;
        const int target = int(at) + 1;
        if (target > m_caretX)
            SetSelText(QString(target - m_caretX, QLatin1Char(' ')));
        return;
    }
}

void TqpSyntaxMemo::backspace()
{
    if (!canChange())
        return;
    TRepaint repaint(this);
    const int line0 = m_caretY - 1;
    if (m_caretX == 1) {
        if (line0 == 0)
            return;
        snapshot();
        const int end = int(m_lines.at(line0 - 1).size()) + 1;
        replaceRange(QPoint(end, m_caretY - 1), QPoint(1, m_caretY), QString());
        shiftBookmarks(line0, -1);
        SetPos(end, m_caretY - 1);
        return;
    }
    const int blank = firstNonBlank(line0);
    if (blank == m_caretX || blank == 0) {
        // Back to the indentation of the nearest less indented line above.
        for (int i = line0 - 1; i >= 0; --i) {
            const int f = firstNonBlank(i);
            if (f > 0 && f < m_caretX) {
                // Only blanks that exist are removed; beyond the end the caret just moves.
                if (f <= m_lines.at(line0).size()) {
                    snapshot();
                    replaceRange(QPoint(f, m_caretY), QPoint(m_caretX, m_caretY), QString());
                }
                SetPos(f, m_caretY);
                return;
            }
        }
    }
    if (m_caretX - 1 > m_lines.at(line0).size()) {
        SetPos(m_caretX - 1, m_caretY); // nothing to remove in the space beyond the line's end
        return;
    }
    snapshot();
    replaceRange(QPoint(m_caretX - 1, m_caretY), QPoint(m_caretX, m_caretY), QString());
    SetPos(m_caretX - 1, m_caretY);
}

void TqpSyntaxMemo::deleteKey()
{
    if (!canChange())
        return;
    TRepaint repaint(this);
    const int line0 = m_caretY - 1;
    if (m_caretX > m_lines.at(line0).size()) {
        if (line0 + 1 >= m_lines.size())
            return;
        snapshot();
        replaceRange(GetPos(), QPoint(1, m_caretY + 1), QString());
        shiftBookmarks(line0 + 1, -1);
    } else {
        snapshot();
        replaceRange(GetPos(), QPoint(m_caretX + 1, m_caretY), QString());
    }
    SetPos(m_caretX, m_caretY);
}

void TqpSyntaxMemo::deleteLine()
{
    if (!canChange())
        return;
    TRepaint repaint(this);
    ClearSel();
    snapshot();
    const int line0 = m_caretY - 1;
    if (line0 + 1 < m_lines.size()) {
        replaceRange(QPoint(1, m_caretY), QPoint(1, m_caretY + 1), QString());
        shiftBookmarks(line0 + 1, -1);
        SetPos(m_caretX, m_caretY);
    } else {
        replaceRange(QPoint(1, m_caretY), QPoint(int(m_lines.at(line0).size()) + 1, m_caretY), QString());
        SetPos(1, m_caretY);
    }
}

void TqpSyntaxMemo::shiftBlock(bool indent)
{
    if (!canChange() || !HasSelection())
        return;
    QPoint from, to;
    selectionRange(from, to);
    const int first = from.y() - 1;
    const int last = to.y() - 1 - (to.x() == 1 ? 1 : 0);
    if (last < first)
        return;
    QStringList block = m_lines.mid(first, last - first + 1);
    if (indent) {
        for (QString &s : block)
            s.prepend(QLatin1String("  "));
    } else {
        int least = 2;
        for (int i = first; i <= last; ++i)
            if (const int f = firstNonBlank(i); f > 0)
                least = std::min(least, f - 1);
        if (least == 0)
            return;
        for (QString &s : block)
            if (!s.trimmed().isEmpty())
                s.remove(0, least);
    }
    TRepaint repaint(this);
    snapshot();
    replaceRange(QPoint(1, first + 1), QPoint(int(m_lines.at(last).size()) + 1, last + 1), block.join(QLatin1Char('\n')));
    SetPos(m_caretX, m_caretY);
}

QPoint TqpSyntaxMemo::wordLeft() const
{
    const QString &s = m_lines.at(m_caretY - 1);
    qsizetype i = std::min<qsizetype>(m_caretX - 1, s.size());
    while (i > 0 && !TSyntaxScanner::IsWordChar(s.at(i - 1)))
        --i;
    while (i > 0 && TSyntaxScanner::IsWordChar(s.at(i - 1)))
        --i;
    return QPoint(int(i) + 1, m_caretY);
}

QPoint TqpSyntaxMemo::wordRight() const
{
    const QString &s = m_lines.at(m_caretY - 1);
    qsizetype i = m_caretX - 1;
    if (i >= s.size())
        return GetPos();
    while (i < s.size() && TSyntaxScanner::IsWordChar(s.at(i)))
        ++i;
    while (i < s.size() && !TSyntaxScanner::IsWordChar(s.at(i)))
        ++i;
    return QPoint(int(i) + 1, m_caretY);
}

void TqpSyntaxMemo::selectWordAtCaret()
{
    TRepaint repaint(this);
    const QString &s = m_lines.at(m_caretY - 1);
    qsizetype start = std::min<qsizetype>(m_caretX - 1, s.size());
    qsizetype end = start;
    while (start > 0 && TSyntaxScanner::IsWordChar(s.at(start - 1)))
        --start;
    while (end < s.size() && TSyntaxScanner::IsWordChar(s.at(end)))
        ++end;
    if (end == start)
        return;
    SetPos(int(end) + 1, m_caretY);
    m_selAnchor = QPoint(int(start) + 1, m_caretY);
    m_selEnd = GetPos();
}

// ---- search, messages, bookmarks ---------------------------------------------

bool TqpSyntaxMemo::Find(const QString &text)
{
    if (text.isEmpty())
        return false;
    TRepaint repaint(this);
    // A one-line text has no line below the caret to search.
    if (m_lines.size() > 1) {
        const QString wanted = searchCase(text);
        for (int i = m_caretY; i < m_lines.size(); ++i) {
            const qsizetype at = searchCase(m_lines.at(i)).indexOf(wanted);
            if (at >= 0) {
                SetPos(int(at) + 1, i + 1);
                return true;
            }
        }
    }
    ShowMessage(QStringLiteral("Text \"%1\" not found.").arg(text));
    return false;
}

void TqpSyntaxMemo::searchDialog()
{
    TSynMemoSearch dialog(this);
    dialog.SetText(m_lastSearch);
    const int result = UiSeam::ShowModal(&dialog);
    m_lastSearch = dialog.Text();
    if (result == QDialog::Accepted)
        Find(m_lastSearch);
}

void TqpSyntaxMemo::ShowMessage(const QString &text)
{
    TRepaint repaint(this);
    m_message = text;
}

QString TqpSyntaxMemo::FooterText() const
{
    if (!m_message.isEmpty())
        return m_message;
    return QStringLiteral("%1 : %2    ").arg(m_caretY).arg(m_caretX);
}

void TqpSyntaxMemo::SetActiveLine(int line)
{
    TRepaint repaint(this);
    m_activeLine = line;
}

void TqpSyntaxMemo::ToggleBookmark(int slot)
{
    TRepaint repaint(this);
    const int line0 = m_caretY - 1;
    const auto held = std::find(m_bookmarks.begin(), m_bookmarks.end(), line0);
    if (held == m_bookmarks.end())
        m_bookmarks[slot] = line0;
    else if (held - m_bookmarks.begin() == slot)
        m_bookmarks[slot] = -1;
}

void TqpSyntaxMemo::GotoBookmark(int slot)
{
    if (m_bookmarks.at(slot) >= 0)
        SetPos(1, m_bookmarks.at(slot) + 1);
}

TCharAttributes TqpSyntaxMemo::CharAttr(int column, int line) const
{
    TCharAttributes set = caSet(caText);
    if (line >= 1 && line <= m_attrs.size()) {
        const QByteArray &attrs = m_attrs.at(line - 1);
        if (column >= 1 && column <= attrs.size())
            set = caSet(TCharAttr(attrs.at(column - 1)));
    }
    if (HasSelection()) {
        const int key = line * MaxColumn + column;
        const int a = posKey(m_selAnchor), b = posKey(m_selEnd);
        if (key >= std::min(a, b) && key < std::max(a, b))
            set |= caSet(caBlock);
    }
    return set;
}

// ---- keyboard --------------------------------------------------------------------

bool TqpSyntaxMemo::isMemoKey(const QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const int key = e->key();
    if (key >= Qt::Key_Home && key <= Qt::Key_PageDown)
        return true;
    if (mods & Qt::ControlModifier) {
        static const QList<int> ctrlKeys{Qt::Key_A, Qt::Key_C, Qt::Key_F, Qt::Key_I, Qt::Key_U, Qt::Key_V,
                                         Qt::Key_X, Qt::Key_Y, Qt::Key_Z, Qt::Key_Insert};
        return ctrlKeys.contains(key) || digitOf(e) >= 0;
    }
    switch (key) {
    case Qt::Key_Backspace: case Qt::Key_Delete: case Qt::Key_Return: case Qt::Key_Enter:
    case Qt::Key_Tab: case Qt::Key_F3: case Qt::Key_Insert:
        return true;
    default:
        return !(mods & (Qt::AltModifier | Qt::MetaModifier)) && isTypedText(e->text());
    }
}

bool TqpSyntaxMemo::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && isMemoKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    // Tab belongs to the text, not to focus movement.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Tab
        && !(static_cast<QKeyEvent *>(event)->modifiers() & Qt::ControlModifier)) {
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    }
    return QAbstractScrollArea::event(event);
}

bool TqpSyntaxMemo::handleNavigation(QKeyEvent *e)
{
    const int key = e->key();
    if (key < Qt::Key_Home || key > Qt::Key_PageDown)
        return false;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const QPoint before = GetPos();
    const int count = int(m_lines.size());
    const int page = std::max(1, VisibleLines() - 1);
    QPoint to = before;
    switch (key) {
    case Qt::Key_PageUp:
        setTopLine(m_topLine - page);
        to.ry() -= page;
        break;
    case Qt::Key_PageDown:
        setTopLine(std::min(m_topLine + page, std::max(0, count - VisibleLines())));
        to.ry() += page;
        break;
    case Qt::Key_Home:
        to = ctrl ? QPoint(1, 1) : QPoint(1, before.y());
        break;
    case Qt::Key_End: {
        const int line = ctrl ? count : before.y();
        to = QPoint(int(trimmedLength(m_lines.at(line - 1))) + 1, line);
        break;
    }
    case Qt::Key_Left:
        to = ctrl ? wordLeft() : QPoint(before.x() - 1, before.y());
        break;
    case Qt::Key_Right:
        to = ctrl ? wordRight() : QPoint(before.x() + 1, before.y());
        break;
    case Qt::Key_Up:
        to.ry() -= 1;
        break;
    case Qt::Key_Down:
        to.ry() += 1;
        break;
    }
    SetPos(to.x(), to.y());
    if (e->modifiers() & Qt::ShiftModifier) {
        if (!HasSelection())
            m_selAnchor = before;
        m_selEnd = GetPos();
    } else {
        ClearSel();
    }
    return true;
}

bool TqpSyntaxMemo::handleCtrlKey(QKeyEvent *e)
{
    if (const int digit = digitOf(e); digit >= 0) {
        if (e->modifiers() & Qt::ShiftModifier)
            ToggleBookmark(digit);
        else
            GotoBookmark(digit);
        return true;
    }
    switch (e->key()) {
    case Qt::Key_A: SelectAll(); return true;
    case Qt::Key_C: case Qt::Key_Insert: CopyToClipboard(); return true;
    case Qt::Key_F: searchDialog(); return true;
    case Qt::Key_I: shiftBlock(true); return true;
    case Qt::Key_U: shiftBlock(false); return true;
    case Qt::Key_V: PasteFromClipboard(); return true;
    case Qt::Key_X: CutToClipboard(); return true;
    case Qt::Key_Y: deleteLine(); return true;
    case Qt::Key_Z: Undo(); return true;
    default: return false;
    }
}

void TqpSyntaxMemo::keyPressEvent(QKeyEvent *e)
{
    TRepaint repaint(this);
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    bool handled = handleNavigation(e);
    if (!handled && (mods & Qt::ControlModifier))
        handled = handleCtrlKey(e);
    if (!handled) {
        handled = true;
        switch (e->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            if (e->key() == Qt::Key_Delete && (mods & Qt::ShiftModifier))
                CutToClipboard();
            else if (HasSelection())
                deleteSelection();
            else if (e->key() == Qt::Key_Backspace)
                backspace();
            else
                deleteKey();
            break;
        case Qt::Key_Return: case Qt::Key_Enter:
            if (mods == Qt::NoModifier)
                insertReturn();
            else
                handled = false;
            break;
        case Qt::Key_Tab:
            // With a selection Tab shifts the block, as Ctrl+I does.
            if (HasSelection())
                shiftBlock(true);
            else if (canChange())
                insertTab();
            break;
        case Qt::Key_Insert:
            if (mods & Qt::ShiftModifier)
                PasteFromClipboard();
            else
                handled = false;
            break;
        case Qt::Key_F3:
            if (!m_lastSearch.isEmpty())
                Find(m_lastSearch);
            break;
        default:
            handled = !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && isTypedText(e->text());
            if (handled)
                SetSelText(e->text());
        }
    }
    if (handled)
        e->accept();
    else
        QAbstractScrollArea::keyPressEvent(e);
}

// ---- mouse and drops -----------------------------------------------------------------

void TqpSyntaxMemo::mousePressEvent(QMouseEvent *e)
{
    TRepaint repaint(this);
    const QPoint global = e->globalPosition().toPoint();
    if (e->button() == Qt::RightButton && !m_popupMenu) {
        m_builtinMenu->popup(global);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    ClearSel();
    const QPoint cell = CellAt(e->position().toPoint());
    SetPos(cell.x(), cell.y());
    if (e->button() == Qt::LeftButton)
        m_selecting = true;
    else if (e->button() == Qt::RightButton)
        m_popupMenu->popup(global);
}

void TqpSyntaxMemo::mouseMoveEvent(QMouseEvent *e)
{
    if (!m_selecting)
        return;
    TRepaint repaint(this);
    const QPoint before = GetPos();
    const QPoint cell = CellAt(e->position().toPoint());
    SetPos(cell.x(), cell.y());
    if (!HasSelection())
        m_selAnchor = before;
    AddSel();
}

void TqpSyntaxMemo::mouseReleaseEvent(QMouseEvent *)
{
    m_selecting = false;
}

void TqpSyntaxMemo::mouseDoubleClickEvent(QMouseEvent *e)
{
    // The double click selects the word under the pointer; it does not drop
    // the selection as a press would.
    if (e->button() != Qt::LeftButton)
        return;
    TRepaint repaint(this);
    m_selecting = false;
    const QPoint cell = CellAt(e->position().toPoint());
    SetPos(cell.x(), cell.y());
    selectWordAtCaret();
}

void TqpSyntaxMemo::wheelEvent(QWheelEvent *e)
{
    const int delta = e->angleDelta().y();
    if (delta == 0)
        return;
    TRepaint repaint(this);
    const int notches = delta / 120 != 0 ? delta / 120 : (delta > 0 ? 1 : -1);
    setTopLine(std::min(m_topLine - notches, std::max(0, int(m_lines.size()) - VisibleLines())));
    e->accept();
}

void TqpSyntaxMemo::dragEnterEvent(QDragEnterEvent *e)
{
    if (qobject_cast<QTreeView *>(e->source()) && canChange())
        e->acceptProposedAction();
}

void TqpSyntaxMemo::dragMoveEvent(QDragMoveEvent *e)
{
    if (qobject_cast<QTreeView *>(e->source()) && canChange())
        e->acceptProposedAction();
}

void TqpSyntaxMemo::dropEvent(QDropEvent *e)
{
    auto *tree = qobject_cast<QTreeView *>(e->source());
    if (!tree)
        return;
    TRepaint repaint(this);
    const QPoint cell = CellAt(e->position().toPoint());
    ClearSel();
    SetPos(cell.x(), cell.y());
    SetSelText(tree->currentIndex().data().toString());
    e->acceptProposedAction();
}

void TqpSyntaxMemo::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    m_caretOn = true;
    if (m_blink.interval() > 0)
        m_blink.start();
    viewport()->update(caretRect());
}

void TqpSyntaxMemo::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    m_blink.stop();
    viewport()->update(caretRect());
}

void TqpSyntaxMemo::blinkCaret()
{
    m_caretOn = !m_caretOn;
    viewport()->update(caretRect());
}

// ---- painting -------------------------------------------------------------------------

void TqpSyntaxMemo::paintEvent(QPaintEvent *event)
{
    // Each rectangle of the region on its own: a changed line and the footer
    // must not repaint everything between them.
    QPainter p(viewport());
    for (const QRect &rect : event->region())
        paintRect(p, rect);
}

void TqpSyntaxMemo::paintRect(QPainter &p, const QRect &clip)
{
    const int gw = gutterWidth();
    const int width = viewport()->width();
    const int textBottom = viewport()->height() - footerHeight();
    const int firstRow = std::max(0, clip.top() / m_lineHeight);
    const int lastRow = std::min(clip.bottom(), textBottom - 1) / m_lineHeight;
    const QColor background = colorFromRef(clWindow);

    // Text lines, in runs of equal colouring.
    p.setClipRect(QRect(gw, 0, width - gw, textBottom) & clip);
    const int lastVisibleColumn = m_leftCol + VisibleColumns() + 1;
    for (int row = firstRow; row <= lastRow; ++row) {
        const int line0 = m_topLine + row;
        const int y = row * m_lineHeight;
        p.fillRect(QRect(gw, y, width - gw, m_lineHeight), background);
        if (line0 >= m_lines.size())
            continue;
        const QString &text = m_lines.at(line0);
        const int line = line0 + 1;
        int endColumn = int(text.size());
        // A line selected from its first column shows the block colour across the view.
        if (CharAttr(1, line) & caSet(caBlock))
            endColumn = std::max(endColumn, m_leftCol + VisibleColumns() + 3);
        const int stop = std::min(lastVisibleColumn, endColumn);
        for (int column = m_leftCol + 1; column <= stop;) {
            const TCharAttributes attr = CharAttr(column, line);
            int runEnd = column;
            while (runEnd < stop && CharAttr(runEnd + 1, line) == attr)
                ++runEnd;
            QString run = text.mid(column - 1, runEnd - column + 1);
            run = run.leftJustified(runEnd - column + 1, QLatin1Char(' '));
            for (QChar &c : run)
                if (c.unicode() < 32)
                    c = QLatin1Char(' ');
            const TCharAttr kind = (attr & caSet(caComment))   ? caComment
                                   : (attr & caSet(caKeyword)) ? caKeyword
                                   : (attr & caSet(caString))  ? caString
                                                               : caText;
            const bool block = attr & caSet(caBlock);
            const int x = gw + (column - 1 - m_leftCol) * m_charWidth;
            p.fillRect(QRect(x, y, int(run.size()) * m_charWidth, m_lineHeight),
                       block ? colorFromRef(m_blockColor) : background);
            p.setFont(m_drawFont[kind]);
            p.setPen(colorFromRef(block ? m_blockFontColor : m_attr[kind].Color));
            if (m_charByChar) {
                for (qsizetype i = 0; i < run.size(); ++i)
                    p.drawText(x + int(i) * m_charWidth, y + m_ascent, QString(run.at(i)));
            } else {
                p.drawText(x, y + m_ascent, run);
            }
            column = runEnd + 1;
        }
    }
    if (hasFocus() && m_caretOn)
        p.fillRect(caretRect(), colorFromRef(m_attr[caText].Color));

    p.setClipRect(clip);
    if (gw > 0) {
        p.fillRect(QRect(0, 0, gw - 2, textBottom), colorFromRef(clBtnFace));
        p.fillRect(QRect(gw - 2, 0, 2, textBottom), background);
        p.setPen(colorFromRef(clBtnHighlight));
        p.drawLine(gw - 4, 0, gw - 4, textBottom - 1);
        const QFont digitFont = tahoma(7, true);
        const int digitAscent = QFontMetrics(digitFont).ascent();
        for (int row = firstRow; row <= lastRow; ++row) {
            const int line0 = m_topLine + row;
            const int y = row * m_lineHeight;
            const auto mark = std::find(m_bookmarks.begin(), m_bookmarks.end(), line0);
            if (mark != m_bookmarks.end()) {
                p.fillRect(QRect(QPoint(3, y + 1), QPoint(12, y + 11)), Qt::black);
                p.fillRect(QRect(QPoint(2, y + 2), QPoint(11, y + 12)), colorFromRef(clGreen));
                p.setFont(digitFont);
                p.setPen(Qt::white);
                p.drawText(4, y + 2 + digitAscent, QString::number(mark - m_bookmarks.begin()));
            }
            if (line0 == m_activeLine) {
                p.setPen(Qt::black);
                p.setBrush(Qt::red);
                p.drawEllipse(QRect(QPoint(4, y + 4), QPoint(10, y + 10)));
                p.setBrush(Qt::NoBrush);
            }
        }
    }

    if (m_showFooter && clip.intersects(footerRect())) {
        const QRect footer = footerRect();
        p.fillRect(footer, colorFromRef(clBtnFace));
        p.setPen(colorFromRef(clBtnHighlight));
        p.drawLine(0, footer.top(), width - 1, footer.top());
        const QFont font = tahoma(8, !m_message.isEmpty());
        const QFontMetrics metrics(font);
        p.setFont(font);
        if (!m_message.isEmpty()) {
            const int bar = metrics.height() + 6;
            p.fillRect(QRect(0, footer.bottom() + 1 - bar, width, bar), colorFromRef(clMaroon));
            p.setPen(Qt::white);
            p.drawText(6, footer.bottom() + 1 - bar + 3 + metrics.ascent(), m_message);
        } else {
            p.setPen(Qt::black);
            p.drawText(gw + 4, footer.bottom() + 1 - 5 - metrics.height() + metrics.ascent(), FooterText());
        }
    }
}
