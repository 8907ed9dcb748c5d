#include "report/designer/designer_state.h"

#include "report/core/names.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"
#include "canvas.h"

#include <QFontDatabase>
#include <algorithm>

quint16 DesignerRestrictions = 0;
QList<QByteArray> qpDesignerClipboard;

namespace {

// Flag of objects the designer leaves out of its undo records.
constexpr quint16 kNoUndo = 0x4000;
// Room around an object for its selection marks and frame.
constexpr int kMarkMargin = 4;
// Room above a band strip (left of a cross-tab one) for its title tab.
constexpr int kTabRoom = 22;

bool isBand(const TqpView *v) { return v->Kind == vkBand; }

} // namespace

QRect qpViewRect(const TqpView *v)
{
    return QRect(QPoint(std::min(v->Left, v->Left + v->Width), std::min(v->Top, v->Top + v->Height)),
                 QPoint(std::max(v->Left, v->Left + v->Width), std::max(v->Top, v->Top + v->Height)));
}

double PointsToUnits(double value, TqpReportUnits units)
{
    switch (units) {
    case ruMM:
        return value / 18 * 5;
    case ruInches:
        return value / 18 * 5 / 25.4;
    default:
        return value;
    }
}

double UnitsToPoints(double value, TqpReportUnits units)
{
    switch (units) {
    case ruMM:
        return value / 5 * 18;
    case ruInches:
        return value * 25.4 / 5 * 18;
    default:
        return value;
    }
}

TqpDesignerState::TqpDesignerState(TqpReport *report, QObject *parent) : QObject(parent), Report(report)
{
    // The desktop's list names Arial's metric twin, not Arial itself; what
    // counts is that the canvas draws it in one of the two.
    const QStringList fonts = QFontDatabase::families();
    Defaults.FontName =
        fontInstalled(QStringLiteral("Arial")) || fonts.isEmpty() ? QStringLiteral("Arial") : fonts.first();
    Defaults.Charset = qpCharset;
}

TqpDesignerState::~TqpDesignerState()
{
    if (qpDesignerPage == Page())
        qpDesignerPage = nullptr;
    if (CurPage == Page())
        CurPage = nullptr;
}

TqpPage *TqpDesignerState::Page() const
{
    return CurPageIndex >= 0 && CurPageIndex < Report->Pages.GetCount() ? Report->Pages.GetPages(CurPageIndex)
                                                                         : nullptr;
}

QList<TqpView *> TqpDesignerState::Selection() const
{
    QList<TqpView *> list;
    if (TqpPage *page = Page())
        for (TqpView *v : std::as_const(page->Items))
            if (v->Selected)
                list.append(v);
    return list;
}

int TqpDesignerState::SelCount() const
{
    int count = 0;
    if (TqpPage *page = Page())
        for (const TqpView *v : std::as_const(page->Items))
            count += v->Selected ? 1 : 0;
    return count;
}

bool TqpDesignerState::MayMove(const TqpView *v) const
{
    return !qpDesignerRestricted(qpdrDontMoveObj) && !(v->Restrictions & rsNoMove);
}

bool TqpDesignerState::MayResize(const TqpView *v) const
{
    return !qpDesignerRestricted(qpdrDontSizeObj) && !(v->Restrictions & rsNoResize);
}

bool TqpDesignerState::MayModify(const TqpView *v) const
{
    return !qpDesignerRestricted(qpdrDontModifyObj) && !(v->Restrictions & rsNoModify);
}

bool TqpDesignerState::MayDelete(const TqpView *v) const
{
    return !qpDesignerRestricted(qpdrDontDeleteObj) && !(v->Restrictions & rsNoDelete);
}

bool TqpDesignerState::MayEdit(const TqpView *v) const
{
    return !qpDesignerRestricted(qpdrDontEditObj) && !(v->Restrictions & rsNoContents);
}

TqpPage *TqpDesignerState::NewPage()
{
    TqpPage *page = Report->Pages.Add();
    page->CreateUniqueName();
    // Without a printer that reports its paper a new page would have no
    // sheet at all; it starts on A4 instead.
    if (page->PaperWidth <= 0 || page->PaperHeight <= 0)
        page->ChangePaper(9, 2100, 2970, -1, poPortrait);
    return page;
}

void TqpDesignerState::SetCurPage(int index)
{
    if (index < 0 || index >= Report->Pages.GetCount())
        return;
    Unselect();
    CurPageIndex = index;
    CurReport = Report;
    CurPage = qpDesignerPage = Page();
    ArrangeBands();
    emit pageChanged();
    Redraw();
    SelectionChanged();
}

void TqpDesignerState::ArrangeBands()
{
    TqpPage *page = Page();
    if (!page)
        return;
    QList<TqpView *> &items = page->Items;
    std::stable_partition(items.begin(), items.end(), isBand);
    const auto bandCount = std::count_if(items.cbegin(), items.cend(), isBand);
    const auto overlay =
        std::find_if(items.begin(), items.end(), [](TqpView *v) { return isBand(v) && v->FrameTyp == btOverlay; });
    if (overlay != items.end())
        items.move(overlay - items.begin(), 0);
    QList<TqpView *> cross;
    for (TqpView *v : std::as_const(items))
        if (isBand(v) && qpIsCrossBand(v->FrameTyp))
            cross.append(v);
    for (TqpView *v : std::as_const(cross))
        items.move(items.indexOf(v), bandCount - 1);
}

void TqpDesignerState::SelectAll()
{
    if (TqpPage *page = Page())
        for (TqpView *v : std::as_const(page->Items))
            v->Selected = 1;
    RefObject = nullptr;
    GetMultipleSelected();
}

void TqpDesignerState::Unselect()
{
    if (TqpPage *page = Page())
        for (TqpView *v : std::as_const(page->Items))
            v->Selected = 0;
    RefObject = nullptr;
    GetMultipleSelected();
}

void TqpDesignerState::ResetSelection()
{
    const QRect area = SelectionArea();
    Unselect();
    Redraw(area);
    SelectionChanged();
    ShowPosition();
}

void TqpDesignerState::GetMultipleSelected()
{
    const QList<TqpView *> sel = Selection();
    StartRects.clear();
    CornerObject = nullptr;
    if (sel.size() < 2) {
        GroupRect = StartGroupRect = QRect();
        return;
    }
    int left = sel.first()->Left, top = sel.first()->Top;
    for (TqpView *v : sel) {
        left = std::min(left, v->Left);
        top = std::min(top, v->Top);
        if (!CornerObject || v->Left + v->Width > CornerObject->Left + CornerObject->Width
            || (v->Left + v->Width == CornerObject->Left + CornerObject->Width
                && v->Top + v->Height > CornerObject->Top + CornerObject->Height))
            CornerObject = v;
        StartRects.insert(v, QRect(v->Left, v->Top, v->Width, v->Height));
    }
    // Kept as edges, since a group scaled down to nothing still has a place.
    GroupRect.setCoords(left, top, CornerObject->Left + CornerObject->Width, CornerObject->Top + CornerObject->Height);
    StartGroupRect = GroupRect;
}

quint8 TqpDesignerState::SelStatus() const
{
    quint8 status = qpDesignerClipboard.isEmpty() ? 0 : ssClipboardFull;
    const QList<TqpView *> sel = Selection();
    if (sel.size() >= 2)
        status |= ssMultiple;
    else if (sel.size() == 1)
        status |= isBand(sel.first()) ? ssBand : sel.first()->Kind == vkText ? ssMemo : ssOther;
    return status;
}

bool TqpDesignerState::RectTypEnabled() const { return SelStatus() & (ssMemo | ssOther | ssMultiple); }
bool TqpDesignerState::FontTypEnabled() const { return SelStatus() & (ssMemo | ssMultiple); }
bool TqpDesignerState::ZEnabled() const { return SelCount() > 0; }
bool TqpDesignerState::CutEnabled() const { return SelCount() > 0; }
bool TqpDesignerState::CopyEnabled() const { return SelCount() > 0; }
bool TqpDesignerState::PasteEnabled() const { return SelStatus() & ssClipboardFull; }
bool TqpDesignerState::DelEnabled() const { return SelCount() > 0; }
bool TqpDesignerState::EditEnabled() const { return SelCount() == 1; }

void TqpDesignerState::GetDefaultSize(int &w, int &h) const
{
    w = GridSize == 18 ? 108 : 96;
    h = GridSize == 18 ? 18 : 20;
    if (Defaults.FontSize == 12 || Defaults.FontSize == 13)
        h = 20;
    else if (Defaults.FontSize >= 14 && Defaults.FontSize <= 16)
        h = 24;
}

void TqpDesignerState::SetGridSize(int size)
{
    GridSize = size;
    Redraw();
}

void TqpDesignerState::SetGridShow(bool show)
{
    ShowGrid = show;
    Redraw();
}

void TqpDesignerState::SetGridAlign(bool align) { GridAlign = align; }

void TqpDesignerState::SetUnits(TqpReportUnits units)
{
    Units = units;
    ShowPosition();
}

QRect TqpDesignerState::ObjectArea(TqpView *v) const
{
    const int m = kMarkMargin + int(v->FrameWidth);
    if (isBand(v)) {
        // A band strip reaches across the sheet and carries its title tab.
        const TqpPage *page = Page();
        const int sheetW = page ? page->SheetWidth() : 0, sheetH = page ? page->SheetHeight() : 0;
        return qpIsCrossBand(v->FrameTyp) ? QRect(v->Left - kTabRoom, -m, v->Width + kTabRoom + 2 * m, sheetH + 2 * m)
                                          : QRect(-m, v->Top - kTabRoom, sheetW + 2 * m, v->Height + kTabRoom + 2 * m);
    }
    return qpViewRect(v).adjusted(-m, -m, m + 1, m + 1);
}

QRect TqpDesignerState::SelectionArea() const
{
    QRect area;
    for (TqpView *v : Selection())
        area |= ObjectArea(v);
    return area;
}

void TqpDesignerState::MoveObjects(int dx, int dy, bool resize)
{
    QList<TqpView *> changing;
    for (TqpView *v : Selection())
        if (resize ? MayResize(v) : MayMove(v))
            changing.append(v);
    if (changing.isEmpty())
        return;
    AddUndoAction(acEdit, changing);
    QRect area = SelectionArea();
    for (TqpView *v : std::as_const(changing)) {
        if (resize) {
            v->Width += dx;
            v->Height += dy;
        } else {
            v->Left += dx;
            v->Top += dy;
        }
    }
    area |= SelectionArea();
    ShowPosition();
    GetMultipleSelected();
    Redraw(area);
}

void TqpDesignerState::DeleteObjects()
{
    TqpPage *page = Page();
    if (!page)
        return;
    QList<TqpView *> deleting;
    for (TqpView *v : Selection())
        if (MayDelete(v))
            deleting.append(v);
    if (deleting.isEmpty())
        return;
    AddUndoAction(acDelete, deleting);
    QRect area = SelectionArea();
    for (int i = page->Items.size() - 1; i >= 0; --i) {
        TqpView *v = page->Items.at(i);
        if (!deleting.contains(v))
            continue;
        if (isBand(v) && v->FrameTyp == btChild)
            for (TqpView *other : std::as_const(page->Items))
                if (auto *band = dynamic_cast<TqpBandView *>(other); band && qpSameName(band->ChildBand, v->Name))
                    band->ChildBand.clear();
        page->Delete(i);
    }
    emit pageChanged();
    Unselect();
    Redraw(area);
    SelectionChanged();
    ShowPosition();
}

void TqpDesignerState::ShowEditor()
{
    const QList<TqpView *> sel = Selection();
    if (sel.size() != 1)
        return;
    TqpView *v = sel.first();
    if (!MayEdit(v))
        return;
    if (auto *sub = dynamic_cast<TqpSubReportView *>(v)) {
        SetCurPage(sub->SubPage);
        return;
    }
    if (isBand(v)) {
        const int type = v->FrameTyp;
        if ((type == btMasterData || type == btDetailData || type == btSubDetailData) && BandEditor)
            BandEditor(v);
        else if (type == btGroupHeader && GroupEditor)
            GroupEditor(v);
        else if (type == btCrossData && CrossTabEditor)
            CrossTabEditor(v);
    } else {
        v->ShowEditor();
    }
    Redraw(ObjectArea(v));
    ShowPosition();
}

void TqpDesignerState::ShowMemoEditor(TqpView *view)
{
    if (!view) {
        const QList<TqpView *> sel = Selection();
        if (sel.isEmpty())
            return;
        view = sel.last();
    }
    if (MemoEditorWindow && MemoEditorWindow(view))
        Redraw(ObjectArea(view));
}

void TqpDesignerState::AddUndoAction(TqpUndoAction action)
{
    TqpPage *page = Page();
    AddUndoAction(action, page && action == acZOrder ? page->Items : Selection());
}

void TqpDesignerState::AddUndoAction(TqpUndoAction action, const QList<TqpView *> &objects)
{
    AddUndoAction(action, objects, {});
}

void TqpDesignerState::AddUndoAction(TqpUndoAction action, const QList<TqpView *> &objects,
                                     std::vector<TqpUndoObj> edited)
{
    TqpPage *page = Page();
    if (UndoDisabled || !page) {
        SetModified(true);
        return;
    }
    ClearRedoBuffer();
    QList<QPair<TqpView *, int>> list;
    for (int i = 0; i < page->Items.size(); ++i) {
        TqpView *v = page->Items.at(i);
        if (!(v->Flags & kNoUndo) && objects.contains(v))
            list.append({v, i});
    }
    if (list.isEmpty() && edited.empty())
        SetModified(true);
    else
        AddAction(UndoBuffer, action, list, std::move(edited));
}

void TqpDesignerState::AddAction(TqpUndoBuffer &buffer, TqpUndoAction action,
                                 const QList<QPair<TqpView *, int>> &list, std::vector<TqpUndoObj> edited)
{
    TqpUndoRec entry;
    entry.Action = action;
    entry.Page = CurPageIndex;
    entry.Edited = std::move(edited);
    for (const auto &[view, pos] : list) {
        TqpUndoObj rec;
        rec.ID = view->ID;
        if (action == acDelete || action == acEdit)
            rec.Copy = qpCopyObject(view);
        if (action != acInsert)
            rec.Pos = pos;
        entry.Objects.push_back(std::move(rec));
    }
    buffer.Add(std::move(entry));
    SetModified(true);
    emit undoChanged();
}

void TqpDesignerState::Undo(TqpUndoBuffer &buffer)
{
    TqpPage *page = Page();
    if (!page || buffer.IsEmpty() || buffer.Newest().Page != CurPageIndex)
        return;
    TqpUndoBuffer &opposite = &buffer == &UndoBuffer ? RedoBuffer : UndoBuffer;
    TqpUndoRec entry = buffer.TakeNewest();
    QList<QPair<TqpView *, int>> list;
    TqpUndoAction inverse = entry.Action;
    for (TqpUndoObj &rec : entry.Objects) {
        const int at = page->FindObjectByID(rec.ID);
        switch (entry.Action) {
        case acInsert:
            inverse = acDelete;
            if (at >= 0)
                list.append({page->Items.at(at), at});
            break;
        case acDelete:
            inverse = acInsert;
            list.append({rec.Copy.get(), rec.Pos});
            break;
        case acEdit:
        case acZOrder:
            if (at >= 0)
                list.append({page->Items.at(at), at});
            break;
        }
    }
    // The objects changed along with the step swap their states too.
    std::vector<TqpUndoObj> edited;
    for (const TqpUndoObj &rec : entry.Edited)
        if (const int at = page->FindObjectByID(rec.ID); at >= 0)
            edited.push_back(TqpUndoObj{rec.ID, qpCopyObject(page->Items.at(at)), at});
    if (!list.isEmpty() || !edited.empty())
        AddAction(opposite, inverse, list, std::move(edited));

    // Only where the objects were and are now is drawn again, with the marks.
    QRect area = SelectionArea();
    const auto touch = [&area, this](TqpView *v) {
        if (v)
            area |= ObjectArea(v);
    };
    for (TqpUndoObj &rec : entry.Objects) {
        // The recorded place holds the object unless the list changed since.
        const bool inPlace = rec.Pos >= 0 && rec.Pos < page->Items.size() && page->Items.at(rec.Pos)->ID == rec.ID;
        const int at = inPlace ? rec.Pos : page->FindObjectByID(rec.ID);
        TqpView *v = at >= 0 ? page->Items.at(at) : nullptr;
        touch(v);
        switch (entry.Action) {
        case acInsert:
            if (v)
                page->Delete(at);
            v = nullptr;
            break;
        case acDelete:
            v = rec.Copy.release();
            v->OwnerPage = page;
            page->Items.insert(std::clamp(rec.Pos, 0, int(page->Items.size())), v);
            break;
        case acEdit:
            if (v)
                v->Assign(rec.Copy.get());
            break;
        case acZOrder:
            if (v)
                page->Items.move(at, std::clamp(rec.Pos, 0, int(page->Items.size()) - 1));
            break;
        }
        touch(v);
    }
    for (const TqpUndoObj &rec : entry.Edited)
        if (const int at = page->FindObjectByID(rec.ID); at >= 0) {
            TqpView *v = page->Items.at(at);
            touch(v);
            v->Assign(rec.Copy.get());
            touch(v);
        }
    emit undoChanged();
    if (entry.Action == acInsert || entry.Action == acDelete)
        emit pageChanged();
    Unselect();
    Redraw(entry.Action == acZOrder ? qpWholePage : area);
    SelectionChanged();
    ShowPosition();
}

void TqpDesignerState::ClearUndoBuffer()
{
    UndoBuffer.Clear();
    emit undoChanged();
}

void TqpDesignerState::ClearRedoBuffer()
{
    RedoBuffer.Clear();
    emit undoChanged();
}

void TqpDesignerState::SetModified(bool value)
{
    m_modified = value;
    emit modifiedChanged(value);
}

void TqpDesignerState::BeforeChange() { AddUndoAction(acEdit); }

void TqpDesignerState::AfterChange()
{
    Redraw(SelectionArea());
    ShowPosition();
}

QString TqpDesignerState::ContentText() const
{
    const QList<TqpView *> sel = Selection();
    if (sel.size() != 1)
        return {};
    const TqpView *v = sel.first();
    if (isBand(v))
        return v->Name + QStringLiteral(": ") + qpBandNames().value(v->FrameTyp);
    return v->Memo.isEmpty() ? v->Name : v->Name + QStringLiteral(": ") + v->Memo.first();
}

void TqpDesignerState::SelectObject(const QString &name)
{
    if (TqpPage *page = Page())
        for (TqpView *v : std::as_const(page->Items))
            if (qpSameName(v->Name, name)) {
                const QRect before = SelectionArea();
                Unselect();
                v->Selected = 1;
                RefObject = v;
                Redraw(before | SelectionArea());
                SelectionChanged();
                return;
            }
    if (name.startsWith(QLatin1String("Page"), Qt::CaseInsensitive)) {
        bool ok = false;
        const int n = name.mid(4).toInt(&ok);
        if (ok)
            SetCurPage(n - 1);
    }
}
