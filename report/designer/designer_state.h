#pragma once
// What the designer keeps about the template it edits: the current page,
// grid and units, the selection and its group, the defaults of new objects,
// the restrictions, and the editing operations with their undo and redo
// buffers. The canvas and the designer window both work through it; it
// tells them what to repaint and refresh through its signals.

#include "report/designer/undo_buffer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QRect>
#include <functional>

class TqpReport;
class TqpPage;
class TqpView;

enum TqpReportUnits : quint8 { ruPixels = 0, ruMM = 1, ruInches = 2 };
enum TqpShapeMode : quint8 { smFrame = 0, smAll = 1 };

enum TqpDesignerRestriction {
    qpdrDontEditObj = 0,
    qpdrDontModifyObj,
    qpdrDontSizeObj,
    qpdrDontMoveObj,
    qpdrDontDeleteObj,
    qpdrDontCreateObj,
    qpdrDontDeletePage,
    qpdrDontCreatePage,
    qpdrDontEditPage,
    qpdrDontCreateReport,
    qpdrDontLoadReport,
    qpdrDontSaveReport,
    qpdrDontPreviewReport,
    qpdrDontEditVariables,
    qpdrDontChangeReportOptions,
};
// Bit i stands for restriction i.
extern quint16 DesignerRestrictions;
inline bool qpDesignerRestricted(TqpDesignerRestriction r) { return DesignerRestrictions & (1u << r); }

// The engine's own clipboard: one stream per copied object, shared by every
// designer window for the life of the program.
extern QList<QByteArray> qpDesignerClipboard;

enum TqpSelectionType : quint8 { ssBand = 1, ssMemo = 2, ssOther = 4, ssMultiple = 8, ssClipboardFull = 16 };

// The rectangle an object covers, edges included, whatever the signs of its size.
QRect qpViewRect(const TqpView *v);

// The canvas area that stands for the whole page when repainting.
inline const QRect qpWholePage(-1000000, -1000000, 2000000, 2000000);

double PointsToUnits(double value, TqpReportUnits units);
double UnitsToPoints(double value, TqpReportUnits units);

// The look of objects inserted from now on.
struct TqpObjectDefaults {
    quint16 FrameTyp = 0;
    float FrameWidth = 1.0f;
    float LineWidth = 2.0f;
    quint32 FrameColor = 0;
    quint32 FillColor = 0x1FFFFFFF;
    QString FontName; // Arial, or the first font the desktop has
    int FontSize = 10;
    quint32 FontColor = 0;
    int FontStyle = 0;
    int Alignment = 0;
    int Charset = 1;
};

class TqpDesignerState : public QObject {
    Q_OBJECT
public:
    explicit TqpDesignerState(TqpReport *report, QObject *parent = nullptr);
    ~TqpDesignerState() override;

    TqpReport *const Report;
    int CurPageIndex = 0;
    TqpPage *Page() const;

    int GridSize = 4; // 4, 8 or 18 report units on both axes
    bool ShowGrid = true;
    bool GridAlign = true;
    TqpReportUnits Units = ruPixels;
    TqpShapeMode ShapeMode = smAll;
    bool EditAfterInsert = true;
    // The text editor colours scripts (the designer option).
    bool SyntaxHighlight = true;
    bool UnlimitedHeight = false;
    bool UndoDisabled = false;
    quint8 PagePosition = 5; // 3 left, 4 right, 5 centred
    // Set while a preview runs from the designer or a file dialog is open:
    // the page may be replaced meanwhile, so nothing of it is drawn.
    bool DrawingSuspended = false;
    TqpObjectDefaults Defaults;

    // The selection: the object a click made the only one, and the group of
    // two or more with its corner object and its rectangle as formed last.
    TqpView *RefObject = nullptr;
    TqpView *CornerObject = nullptr;
    QRect GroupRect;      // left, top, right, bottom as the objects' own edges
    QRect StartGroupRect; // the same when the group was formed
    QHash<TqpView *, QRect> StartRects;

    TqpUndoBuffer UndoBuffer, RedoBuffer;

    // Editors the designer window supplies; without one nothing opens.
    std::function<void(TqpView *band)> BandEditor, GroupEditor, CrossTabEditor;
    // The text editor window; true when it was closed with OK.
    std::function<bool(TqpView *view)> MemoEditorWindow;

    QList<TqpView *> Selection() const;
    int SelCount() const;
    bool MayMove(const TqpView *v) const;
    bool MayResize(const TqpView *v) const;
    bool MayModify(const TqpView *v) const;
    bool MayDelete(const TqpView *v) const;
    bool MayEdit(const TqpView *v) const;

    void SetCurPage(int index);
    // A page appended to the report, named, with a sheet to draw on.
    TqpPage *NewPage();
    // Bands first in their order, the first overlay band at the very front,
    // cross-tab bands last among the bands.
    void ArrangeBands();
    void SelectAll();
    void Unselect();
    void ResetSelection();
    // Forms the group of two or more selected objects, or drops it.
    void GetMultipleSelected();
    quint8 SelStatus() const;
    bool RectTypEnabled() const;
    bool FontTypEnabled() const;
    bool ZEnabled() const;
    bool CutEnabled() const;
    bool CopyEnabled() const;
    bool PasteEnabled() const;
    bool DelEnabled() const;
    bool EditEnabled() const;

    void GetDefaultSize(int &w, int &h) const;
    void SetGridSize(int size);
    void SetGridShow(bool show);
    void SetGridAlign(bool align);
    void SetUnits(TqpReportUnits units);

    // Moves the selection, or with `resize` changes its size, by (dx, dy);
    // objects whose restrictions refuse it stay as they are.
    void MoveObjects(int dx, int dy, bool resize);
    void DeleteObjects();
    void ShowEditor();
    void ShowMemoEditor(TqpView *view);

    // Records the selection (every object for acZOrder) before a change.
    void AddUndoAction(TqpUndoAction action);
    // The same for the listed objects only, with their list positions.
    void AddUndoAction(TqpUndoAction action, const QList<TqpView *> &objects);
    // The same, with copies (`qpCopyObject`) of other objects as they were
    // before the step changed them; one undo puts those back too.
    void AddUndoAction(TqpUndoAction action, const QList<TqpView *> &objects, std::vector<TqpUndoObj> edited);
    void AddAction(TqpUndoBuffer &buffer, TqpUndoAction action, const QList<QPair<TqpView *, int>> &list,
                   std::vector<TqpUndoObj> edited = {});
    // Undoes the newest entry of `buffer` (UndoBuffer or RedoBuffer) when it
    // belongs to the current page, recording its inverse in the other one.
    void Undo(TqpUndoBuffer &buffer);
    void ClearUndoBuffer();
    void ClearRedoBuffer();

    bool GetModified() const { return m_modified; }
    void SetModified(bool value);
    void BeforeChange();
    void AfterChange();
    void SelectObject(const QString &name);

    // The status text of the one selected object: its name, then ": " and
    // a band's type name or the first line of a text; empty otherwise.
    QString ContentText() const;

    // What the selection covers on the canvas, marks included.
    QRect SelectionArea() const;
    QRect ObjectArea(TqpView *v) const;

    // Tells the window and the canvas.
    void SelectionChanged() { emit selectionChanged(); }
    void ShowPosition() { emit positionChanged(); }
    void Redraw(const QRect &area = qpWholePage)
    {
        if (!area.isEmpty())
            emit redraw(area);
    }

signals:
    // The page area to repaint, in report units.
    void redraw(const QRect &area);
    void selectionChanged();
    void positionChanged();
    void undoChanged();
    void pageChanged();
    // The modified flag was written (the window enables saving by it).
    void modifiedChanged(bool modified);

private:
    bool m_modified = false;
};
