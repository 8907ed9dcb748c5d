#pragma once
// The script editor: a self-drawn, monospaced text editor with syntax
// colouring, a gutter with bookmarks and an active-line mark, a footer with
// the caret position or a message, undo snapshots, block indentation, text
// search and a small context menu.
//
// Positions are (column, line), both from 1; the column may lie beyond the
// end of its line (up to 1024). A change repaints only the lines it touched,
// so typing stays quick in long scripts.

#include "syntax_scanner.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QList>
#include <QPoint>
#include <QStringList>
#include <QTimer>
#include <array>

class QMenu;
class QPainter;

class TqpSyntaxMemo : public QAbstractScrollArea {
    Q_OBJECT
public:
    // A colouring attribute: the font style and colour (0x00BBGGRR or a
    // system colour) of one kind of text; name and size follow the control's font.
    struct TAttrFont {
        bool Bold = false;
        bool Italic = false;
        quint32 Color = 0x80000008;
    };

    static constexpr int MaxColumn = 1024;
    static constexpr int MaxUndo = 32;
    static constexpr int BarSize = 20; // gutter width and footer height

    explicit TqpSyntaxMemo(QWidget *parent = nullptr);
    ~TqpSyntaxMemo() override;

    // Published properties.
    quint32 BlockColor() const { return m_blockColor; }
    void SetBlockColor(quint32 color);
    quint32 BlockFontColor() const { return m_blockFontColor; }
    void SetBlockFontColor(quint32 color);
    TAttrFont TextAttr() const { return m_attr[caText]; }
    void SetTextAttr(const TAttrFont &attr) { setAttr(caText, attr); }
    TAttrFont CommentAttr() const { return m_attr[caComment]; }
    void SetCommentAttr(const TAttrFont &attr) { setAttr(caComment, attr); }
    TAttrFont KeywordAttr() const { return m_attr[caKeyword]; }
    void SetKeywordAttr(const TAttrFont &attr) { setAttr(caKeyword, attr); }
    TAttrFont StringAttr() const { return m_attr[caString]; }
    void SetStringAttr(const TAttrFont &attr) { setAttr(caString, attr); }
    const QStringList &Lines() const { return m_lines; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    TSyntaxType SyntaxType() const { return m_scanner.SyntaxType(); }
    void SetSyntaxType(TSyntaxType type);
    bool ShowFooter() const { return m_showFooter; }
    void SetShowFooter(bool show);
    bool ShowGutter() const { return m_showGutter; }
    void SetShowGutter(bool show);
    // A menu of the host's own for the right mouse button instead of the built-in one.
    void SetPopupMenu(QMenu *menu) { m_popupMenu = menu; }

    // Replaces the text: caret to (1, 1), view to the top left, selection
    // and undo list cleared, not modified.
    void SetText(const QStringList &lines);
    // The lines without their trailing blanks.
    QStringList GetText() const;

    void SetPos(int column, int line);
    QPoint GetPos() const { return QPoint(m_caretX, m_caretY); }

    QString GetSelText() const;
    // Replaces the selection, or inserts at the caret when there is none.
    void SetSelText(const QString &text);
    bool HasSelection() const { return m_selAnchor.x() != 0; }
    void ClearSel();
    // Extends the selection to the caret.
    void AddSel();
    void SelectAll();

    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    void Undo();
    // Searches the lines below the caret's; reports in the footer when nothing is found.
    bool Find(const QString &text);
    QString LastSearchText() const { return m_lastSearch; }

    void ShowMessage(const QString &text);
    // What the footer shows: the message, else the caret position.
    QString FooterText() const;

    void SetActiveLine(int line);
    int GetActiveLine() const { return m_activeLine; }
    // The line (from 0) of bookmark `slot` (0-9), or -1.
    int Bookmark(int slot) const { return m_bookmarks.at(slot); }
    void ToggleBookmark(int slot);
    void GotoBookmark(int slot);

    bool Modified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    // The colouring of a position, caBlock added inside the selection.
    TCharAttributes CharAttr(int column, int line) const;

    void UpdateView();

    // Geometry, for hosts and for placing the pointer.
    int LineHeight() const { return m_lineHeight; }
    int CharWidth() const { return m_charWidth; }
    int TopLine() const { return m_topLine; }
    int LeftColumn() const { return m_leftCol; }
    int VisibleLines() const;
    int VisibleColumns() const;
    // The cell of a viewport point as (column, line).
    QPoint CellAt(const QPoint &point) const;

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    class TRepaint;
    friend class TRepaint;
    struct TSnapshot {
        int column;
        int line;
        QStringList lines;
    };

    void setAttr(TCharAttr kind, const TAttrFont &attr);
    void fontChanged();
    int gutterWidth() const { return m_showGutter ? BarSize : 0; }
    int footerHeight() const { return m_showFooter ? BarSize : 0; }
    // The rows of lines first0..last0 (from 0) inside the text area.
    QRect linesRect(int first0, int last0) const;
    QRect footerRect() const;
    QRect caretRect() const;
    void updateScrollBar();
    void setTopLine(int top);

    // Text changes. replaceRange does the edit and the recolouring; the
    // callers take the snapshot and move caret and bookmarks.
    bool canChange() const { return !m_readOnly; }
    void snapshot();
    QPoint replaceRange(QPoint from, QPoint to, const QString &text);
    void rescan(int first, int changedCount);
    void shiftBookmarks(int fromLine0, int delta);
    void selectionRange(QPoint &from, QPoint &to) const;
    void deleteSelection();
    void insertReturn();
    void insertTab();
    // Backspace and Delete without a selection.
    void backspace();
    void deleteKey();
    void deleteLine();
    void shiftBlock(bool indent);
    int firstNonBlank(int line0) const;
    QPoint wordLeft() const;
    QPoint wordRight() const;
    void selectWordAtCaret();
    void searchDialog();
    bool handleCtrlKey(QKeyEvent *event);
    bool handleNavigation(QKeyEvent *event);
    static bool isMemoKey(const QKeyEvent *event);
    void blinkCaret();
    void paintRect(QPainter &p, const QRect &clip);

    TSyntaxScanner m_scanner;
    QStringList m_lines;
    QList<QByteArray> m_attrs;         // colouring, one entry per line
    QList<TScanState> m_startStates;   // scanner state at each line start, and after the last line
    int m_caretX = 1, m_caretY = 1;
    QPoint m_selAnchor, m_selEnd;      // anchor column 0: no selection
    int m_topLine = 0, m_leftCol = 0;
    int m_lineHeight = 1, m_charWidth = 1;
    int m_ascent = 0;
    bool m_charByChar = false;
    quint32 m_blockColor = 0x8000000D;
    quint32 m_blockFontColor = 0x8000000E;
    std::array<TAttrFont, 6> m_attr;
    std::array<QFont, 6> m_drawFont;   // the attribute fonts as drawn
    QList<TSnapshot> m_undo;
    std::array<int, 10> m_bookmarks;
    int m_activeLine = -1;
    QString m_message;
    bool m_modified = false;
    bool m_readOnly = false;
    bool m_showFooter = true;
    bool m_showGutter = true;
    QString m_lastSearch;
    QMenu *m_popupMenu = nullptr;
    QMenu *m_builtinMenu = nullptr;
    bool m_selecting = false;          // a mouse button is held over the text
    bool m_afterDoubleClick = false;   // the press of a double click is not a placement
    bool m_caretOn = true;
    QTimer m_blink;
    // Lines (from 0) whose text or colouring changed since the last repaint.
    int m_dirtyFirst = -1, m_dirtyLast = -1;
    bool m_dirtyToEnd = false;
    int m_repaintDepth = 0;
};
