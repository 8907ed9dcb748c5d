#pragma once
// TqpDesignerPage: the page canvas of the designer at one pixel per report
// unit. It draws the page, its grid, margins, bands and objects, the
// selection marks and, as overlays painted over the page, what the pointer
// drags (rubber band, insertion outline, line being drawn, splitter,
// outlines of moving objects); and it turns pointer and key input into
// selection, moving, resizing, splitting, insertion and deletion.

#include "report/model/report_links.h"

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

class QScrollArea;
class TqpDesignerState;
class TqpView;

// Tools of the designer: selection, the kinds that are inserted with an
// outline (type codes 0-3, registered kinds from 10 on), and the pencil.
enum TqpDesignerTool : int {
    dtSelect = -1,
    dtText = 0,
    dtPicture = 1,
    dtBand = 2,
    dtSubReport = 3,
    dtLine = 4,
    dtAddIn = 10, // dtAddIn + i inserts qpAddIns[i]
};

// Which handle a resize drags; the pairs flip into each other.
enum TqpResizeState { hsNone, hsTopLeft, hsBottomRight, hsTopRight, hsBottomLeft, hsLeft, hsRight, hsTop, hsBottom };

enum TqpDesignerCursor { dcDefault, dcNWSE, dcNESW, dcNS, dcWE, dcSplitter, dcCross, dcPencil };

// MIME type of a data-field drag from the insert-fields window; the data is
// the field reference as the text object is to hold it, without brackets.
inline constexpr char qpFieldMimeType[] = "application/x-quillpress-field";

class TqpDesignerPage : public QWidget {
    Q_OBJECT
public:
    TqpDesignerPage(TqpDesignerState *state, QScrollArea *scrollBox);

    TqpDesignerState *const State;
    QScrollArea *const ScrollBox;

    int Tool = dtSelect;
    // The insertion tool stays after an insertion (it was chosen with Shift).
    bool ToolLocked = false;
    // The rubber band, insertion outline, line and group rectangle; right
    // and bottom may lie left of or above left and top while dragging.
    TRect CurRect;
    TqpDesignerCursor CursorKind = dcDefault;

    void SetTool(int tool, bool locked = false);
    void Init();
    // Sizes and places the canvas in the scroll box for the current page.
    void SetPage();

    void MDown(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void MMove(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void MUp(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void DClick();
    void CMMouseLeave();
    // A data-field drag over the canvas, and its drop with the field reference.
    bool DoDragOver(QPoint p);
    void DoDragDrop(QPoint p, const QString &fieldReference);
    // The designer's keys that concern the canvas; true when used.
    bool HandleKey(int key, Qt::KeyboardModifiers mods);

    void RoundCoord(int &x, int &y) const;
    bool FindNearestEdge(int &x, int &y) const;
    static void NormalizeCoord(TqpView *v);
    static TRect NormalizeRect(const TRect &r);

    // The status box fields: position, size and, for pictures and groups, the scale.
    void StatusFields(QString &position, QString &size, QString &scale) const;

signals:
    // The page popup menu is to be rebuilt and shown at that screen point.
    void popupRequested(const QPoint &globalPos);
    // The status box is to be repainted.
    void statusChanged();
    // A double click on no object: the page's options (its script on a dialog page).
    void pageEditorRequested();
    // The tool in use changed (the window's tool buttons follow).
    void toolChanged(int tool);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    enum Overlay { ovNone, ovFocusRect, ovLine, ovSplitter };
    struct Splitter {
        TqpView *LeftObj = nullptr, *RightObj = nullptr;
        int Edge = 0, Pos = 0, Top = 0, Bottom = 0;
    };

    bool insertionTool() const { return Tool != dtSelect && Tool != dtLine; }
    TqpView *hitTest(QPoint p) const;
    TqpDesignerCursor handleCursor(QPoint p);
    bool inZone(QPoint p, int hx, int hy, int zone) const;
    void setCursorKind(TqpDesignerCursor kind);
    void defaultOutline(QPoint p);
    void insertObject(TRect r, const QString &fieldText);
    void createLine();
    void endRubberBand();
    void endSplitter();
    void endMove();
    void stepMove(int dx, int dy, bool alt);
    void stepResize(int dx, int dy);
    void stepGroup(int dx, int dy);
    void nearestObject(int key, bool alt);
    void cycleObjects(bool backwards);
    void setOverlay(Overlay kind);
    QRect overlayArea() const;
    void autoScroll(QPoint p);
    // Marks and overlays changed there: a repaint from the layer.
    void repaintArea(const QRect &area);
    // Objects changed there: the layer is redrawn there first.
    void invalidate(const QRect &area);
    void renderLayer(const QRegion &region);
    void drawBackground(QPainter &painter, const QRect &area);
    void drawSelection(QPainter &painter, TqpView *v, int count);
    void drawOverlay(QPainter &painter);

    Overlay m_overlay = ovNone;
    bool m_down = false, m_rubber = false, m_moved = false, m_firstMove = false, m_undoArmed = false;
    bool m_ctrlAtPress = false, m_outlineShown = false, m_fieldDrag = false;
    bool m_lineDrawing = false;
    bool m_shapes = false; // outlines of the selection while dragging in frame mode
    TqpResizeState m_resize = hsNone;
    Splitter m_splitter;
    QPoint m_last, m_press;
    TRect m_savedRect;
    QPixmap m_gridTile;
    QImage m_layer;  // the page with its objects, without marks and overlays
    QRegion m_stale; // where the layer no longer shows the page
    quint64 m_gridKey = 0;
};
