#include "report/designer/designer_page.h"

#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/designer/band_type_form.h"
#include "report/designer/designer_state.h"
#include "report/designer/subreport_page.h"
#include "report/model/band_view.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"
#include "modal_seam.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <cmath>

namespace {

// An added kind with this flag may stand only once on a page.
constexpr int kOnePerPage = 0x2000;
constexpr int kHata = 55206, kTwoOnOnePage = 59700;
// Silver of the outlines and splitter, teal of the group's corner mark.
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kTeal(0x00, 0x80, 0x80);

bool isBand(const TqpView *v) { return v->Kind == vkBand; }

// The marks that tell a script and a highlight condition on an object.
void drawMark(QPainter &p, int x, int y, const QColor &color, QChar letter)
{
    p.fillRect(QRect(x, y, 8, 8), color);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(7);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(x, y, 8, 8), Qt::AlignCenter, QString(letter));
}

// Shifting the modifiers into the platform's: only these decide anything.
constexpr Qt::KeyboardModifiers kKeyMods = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

} // namespace

TqpDesignerPage::TqpDesignerPage(TqpDesignerState *state, QScrollArea *scrollBox)
    : State(state), ScrollBox(scrollBox)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    if (ScrollBox) {
        auto *container = new QWidget;
        setParent(container);
        ScrollBox->setWidget(container);
        ScrollBox->setWidgetResizable(false);
    }
    connect(State, &TqpDesignerState::redraw, this, &TqpDesignerPage::invalidate);
    connect(State, &TqpDesignerState::pageChanged, this, &TqpDesignerPage::SetPage);
    connect(State, &TqpDesignerState::positionChanged, this, &TqpDesignerPage::statusChanged);
    connect(State, &TqpDesignerState::selectionChanged, this, &TqpDesignerPage::statusChanged);
}

void TqpDesignerPage::SetTool(int tool, bool locked)
{
    CMMouseLeave();
    Tool = tool;
    ToolLocked = locked;
    m_outlineShown = false;
    setCursorKind(tool == dtSelect ? dcDefault : tool == dtLine ? dcPencil : dcCross);
    emit toolChanged(tool);
}

void TqpDesignerPage::Init()
{
    m_down = m_rubber = m_moved = m_lineDrawing = m_shapes = false;
    m_resize = hsNone;
    m_splitter = {};
    setOverlay(ovNone);
    setCursorKind(dcDefault);
}

void TqpDesignerPage::SetPage()
{
    TqpPage *page = State->Page();
    if (!page || State->DrawingSuspended)
        return;
    int left = 10, w, h;
    if (page->PageType == ptDialog) {
        w = page->Width;
        h = page->Height;
    } else {
        w = page->SheetWidth();
        h = page->SheetHeight() * (State->UnlimitedHeight ? 3 : 1);
        const int W = ScrollBox ? ScrollBox->viewport()->width() : w + 21;
        if (W - 11 < w || State->PagePosition == 3)
            left = 10;
        else if (State->PagePosition == 5)
            left = (W - w) / 2;
        else
            left = W - w - 11;
    }
    setGeometry(left, 10, w, h);
    if (ScrollBox)
        ScrollBox->widget()->resize(left + w + 10, 10 + h + 10);
    Init();
    invalidate(rect());
}

// ---------------------------------------------------------------- geometry

void TqpDesignerPage::RoundCoord(int &x, int &y) const
{
    if (!State->GridAlign)
        return;
    const int g = State->GridSize;
    x = g * (x / g);
    y = g * (y / g);
}

bool TqpDesignerPage::FindNearestEdge(int &x, int &y) const
{
    TqpPage *page = State->Page();
    if (!page)
        return false;
    double best = State->GridSize;
    QPoint found;
    bool any = false;
    for (const TqpView *v : std::as_const(page->Items)) {
        const QPoint corners[] = {{v->Left, v->Top},
                                  {v->Left + v->Width, v->Top},
                                  {v->Left + v->Width, v->Top + v->Height},
                                  {v->Left, v->Top + v->Height}};
        for (const QPoint &c : corners) {
            const double d = std::hypot(double(c.x() - x), double(c.y() - y));
            if (d < best) {
                best = d;
                found = c;
                any = true;
            }
        }
    }
    if (any) {
        x = found.x();
        y = found.y();
    }
    return any;
}

void TqpDesignerPage::NormalizeCoord(TqpView *v)
{
    if (v->Width < 0) {
        v->Left += v->Width;
        v->Width = -v->Width;
    }
    if (v->Height < 0) {
        v->Top += v->Height;
        v->Height = -v->Height;
    }
}

TRect TqpDesignerPage::NormalizeRect(const TRect &r)
{
    return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
            std::max(r.Top, r.Bottom)};
}

TqpView *TqpDesignerPage::hitTest(QPoint p) const
{
    TqpPage *page = State->Page();
    if (!page)
        return nullptr;
    for (qsizetype i = page->Items.size() - 1; i >= 0; --i) {
        TqpView *v = page->Items.at(i);
        if (std::abs(v->Width) < 3 || std::abs(v->Height) < 3) {
            // Thin objects (lines, collapsed ones) get a grip around them.
            const QRect r = qpViewRect(v);
            if (p.x() >= r.left() - 3 && p.x() < r.right() + 1 + 3 && p.y() >= r.top() - 3
                && p.y() < r.bottom() + 1 + 3)
                return v;
            continue;
        }
        const TRect r = v->GetClipRgn(rtNormal);
        if (p.x() >= r.Left && p.x() < r.Right && p.y() >= r.Top && p.y() < r.Bottom)
            return v;
        if (auto *band = dynamic_cast<TqpBandView *>(v))
            if (band->TitleRect().toQRect().contains(p))
                return v;
    }
    return nullptr;
}

bool TqpDesignerPage::inZone(QPoint p, int hx, int hy, int zone) const
{
    return p.x() >= hx - zone && p.x() <= hx + zone && p.y() >= hy - zone && p.y() <= hy + zone;
}

TqpDesignerCursor TqpDesignerPage::handleCursor(QPoint p)
{
    const QList<TqpView *> sel = State->Selection();
    m_splitter = {};
    // A hover zone reaches 2 units before the handle and 3 after it.
    const auto hover = [p](int hx, int hy) {
        return p.x() >= hx - 2 && p.x() <= hx + 3 && p.y() >= hy - 2 && p.y() <= hy + 3;
    };
    if (sel.size() == 1) {
        const TqpView *v = sel.first();
        const int l = v->Left, t = v->Top, r = v->Left + v->Width, b = v->Top + v->Height;
        const int mx = v->Left + v->Width / 2, my = v->Top + v->Height / 2;
        if (hover(l, t) || hover(r, b))
            return dcNWSE;
        if (hover(r, t) || hover(l, b))
            return dcNESW;
        if (hover(mx, t) || hover(mx, b))
            return dcNS;
        if (hover(l, my) || hover(r, my))
            return dcWE;
        return dcDefault;
    }
    if (sel.size() >= 2) {
        const TqpView *c = State->CornerObject;
        if (c && hover(c->Left + c->Width, c->Top + c->Height))
            return dcNWSE;
        for (TqpView *o : sel) {
            if (isBand(o) || o->Kind == vkLine || !qpViewRect(o).contains(p))
                continue;
            for (TqpView *other : sel) {
                if (other == o || isBand(other))
                    continue;
                if (other->Left + other->Width == o->Left && p.x() - o->Left <= 2)
                    m_splitter = {other, o, o->Left, o->Left, o->Top, o->Top + o->Height};
                else if (other->Left == o->Left + o->Width && o->Left + o->Width - p.x() <= 2)
                    m_splitter = {o, other, other->Left, other->Left, o->Top, o->Top + o->Height};
                else
                    continue;
                return dcSplitter;
            }
        }
    }
    return dcDefault;
}

void TqpDesignerPage::setCursorKind(TqpDesignerCursor kind)
{
    CursorKind = kind;
    static const Qt::CursorShape shapes[] = {Qt::ArrowCursor,  Qt::SizeFDiagCursor, Qt::SizeBDiagCursor,
                                             Qt::SizeVerCursor, Qt::SizeHorCursor,  Qt::SplitHCursor,
                                             Qt::CrossCursor,   Qt::CrossCursor};
    if (kind == dcPencil) {
        // A small pencil drawn here, its tip at the hot spot.
        static const QCursor pencil = [] {
            QPixmap pm(16, 16);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(QColor(0xF0, 0xC0, 0x40));
            const QPointF body[] = {{3, 13}, {12, 4}, {15, 7}, {6, 15}};
            p.drawPolygon(body, 4);
            p.setBrush(Qt::black);
            const QPointF tip[] = {{0, 16}, {3, 13}, {6, 15}};
            p.drawPolygon(tip, 3);
            return QCursor(pm, 0, 15);
        }();
        setCursor(pencil);
    } else {
        setCursor(shapes[kind]);
    }
}

void TqpDesignerPage::defaultOutline(QPoint p)
{
    int x = p.x(), y = p.y();
    RoundCoord(x, y);
    int w, h;
    State->GetDefaultSize(w, h);
    if (Tool == dtBand)
        w = width();
    CurRect = {x, y, x + w, y + h};
}

// ---------------------------------------------------------------- pointer

void TqpDesignerPage::MDown(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    TqpPage *page = State->Page();
    m_ctrlAtPress = mods & Qt::ControlModifier;
    // Only the left and right buttons act; a release ends only their presses.
    if (!page || (button != Qt::LeftButton && button != Qt::RightButton))
        return;
    if (button == Qt::RightButton && m_rubber) {
        setOverlay(ovNone);
        m_rubber = false;
    }
    const QRect marks = State->SelectionArea();
    m_down = true;
    repaintArea(marks);
    m_press = m_last = p;
    m_moved = false;

    if (button == Qt::LeftButton && ((mods & Qt::ControlModifier) || insertionTool())) {
        if (insertionTool()) {
            if (!m_outlineShown)
                defaultOutline(p);
            m_savedRect = CurRect;
            setOverlay(ovNone);
            int x = p.x(), y = p.y();
            RoundCoord(x, y);
            p = QPoint(x, y);
        }
        CurRect = {p.x(), p.y(), p.x(), p.y()};
        State->Unselect();
        m_rubber = true;
        setOverlay(ovFocusRect);
        emit statusChanged();
        return;
    }
    if (button == Qt::LeftButton && Tool == dtLine) {
        int x = p.x(), y = p.y();
        if (!FindNearestEdge(x, y) && State->GridAlign) {
            const int g = State->GridSize;
            x = g * qpRound(double(x) / g);
            y = g * qpRound(double(y) / g);
        }
        CurRect = {x, y, x, y};
        State->Unselect();
        m_press = m_last = QPoint(x, y);
        m_lineDrawing = true;
        setOverlay(ovLine);
        return;
    }

    // A press on a handle or a splitter keeps the selection it belongs to.
    const bool onHandle = button == Qt::LeftButton && CursorKind != dcDefault && CursorKind != dcCross
                          && CursorKind != dcPencil && Tool == dtSelect;
    if (!onHandle) {
        if (TqpView *hit = hitTest(p)) {
            if (mods & Qt::ShiftModifier) {
                hit->Selected = hit->Selected ? 0 : 1;
            } else if (!hit->Selected) {
                State->Unselect();
                hit->Selected = 1;
            }
            const int count = State->SelCount();
            if (count == 1 && hit->Selected)
                State->RefObject = hit;
            else if (count == 0 || (State->RefObject && !State->RefObject->Selected))
                State->RefObject = nullptr;
        } else {
            State->Unselect();
            if (button == Qt::LeftButton) {
                m_rubber = true;
                CurRect = {p.x(), p.y(), p.x(), p.y()};
                setOverlay(ovFocusRect);
            }
        }
        State->GetMultipleSelected();
    }
    if (CursorKind == dcNWSE && State->SelCount() >= 2)
        CurRect = {State->GroupRect.left(), State->GroupRect.top(), State->GroupRect.right(),
                   State->GroupRect.bottom()};
    m_undoArmed = true;
    m_firstMove = true;
    m_resize = hsNone;

    if (button == Qt::RightButton) {
        m_down = false;
        repaintArea(State->SelectionArea());
        State->SelectionChanged();
        emit popupRequested(mapToGlobal(p));
    } else if (button == Qt::LeftButton && State->ShapeMode == smFrame && !m_rubber) {
        m_shapes = true;
        invalidate(State->SelectionArea());
    }
}

void TqpDesignerPage::MMove(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    TqpPage *page = State->Page();
    if (!page)
        return;
    const bool alt = mods & Qt::AltModifier;
    const bool align = State->GridAlign != alt;
    const int g = State->GridSize;

    if (!m_down) {
        if (Tool == dtLine) {
            setCursorKind(dcPencil);
        } else if (Tool == dtSelect) {
            setCursorKind(handleCursor(p));
            if (State->SelCount() == 0) {
                CurRect = {p.x(), p.y(), p.x(), p.y()};
                emit statusChanged();
            }
        } else {
            const QRect before = overlayArea();
            defaultOutline(p);
            m_outlineShown = true;
            setCursorKind(dcCross);
            if (page->PageType == ptReport) {
                m_overlay = ovFocusRect;
                repaintArea(before | overlayArea());
            }
            emit statusChanged();
        }
        return;
    }

    if (m_rubber) {
        const QRect before = overlayArea();
        int x = p.x(), y = p.y();
        if (insertionTool())
            RoundCoord(x, y);
        CurRect.Right = x;
        CurRect.Bottom = y;
        repaintArea(before | overlayArea());
        emit statusChanged();
        autoScroll(p);
        return;
    }

    int dx = p.x() - m_last.x(), dy = p.y() - m_last.y();
    if (align) {
        if (std::abs(dx) < g && std::abs(dy) < g)
            return;
        dx -= dx % g;
        dy -= dy % g;
    }
    if (dx == 0 && dy == 0)
        return;

    if (m_lineDrawing) {
        const QRect before = overlayArea();
        CurRect.Right += dx;
        CurRect.Bottom += dy;
        repaintArea(before | overlayArea());
    } else if (CursorKind == dcSplitter && m_splitter.LeftObj) {
        const QRect before = overlayArea();
        m_splitter.Pos += dx;
        m_overlay = ovSplitter;
        repaintArea(before | overlayArea());
    } else if (CursorKind == dcNWSE && State->SelCount() >= 2) {
        stepGroup(dx, dy);
    } else if (State->SelCount() == 1 && CursorKind != dcDefault && CursorKind != dcSplitter) {
        stepResize(dx, dy);
    } else if (Tool == dtSelect && CursorKind == dcDefault && State->SelCount() > 0) {
        stepMove(dx, dy, alt);
    } else {
        return;
    }
    m_moved = true;
    m_last += QPoint(dx, dy);
    emit statusChanged();
    if ((buttons == Qt::LeftButton) && !(mods & kKeyMods))
        autoScroll(p);
}

void TqpDesignerPage::stepMove(int dx, int dy, bool alt)
{
    QList<TqpView *> sel = State->Selection();
    if (m_firstMove) {
        m_firstMove = false;
        TqpView *band = sel.size() == 1 && isBand(sel.first()) ? sel.first() : nullptr;
        if (band && State->MayMove(band) && !alt) {
            const QRect strip(band->Left, band->Top, band->Width + 1, band->Height + 1);
            for (TqpView *v : std::as_const(State->Page()->Items))
                if (!isBand(v) && strip.contains(qpViewRect(v)))
                    v->Selected = 1;
            sel = State->Selection();
        }
    }
    QList<TqpView *> moving;
    for (TqpView *v : std::as_const(sel))
        if (State->MayMove(v))
            moving.append(v);
    if (moving.isEmpty())
        return;
    if (m_undoArmed) {
        State->AddUndoAction(acEdit, moving);
        m_undoArmed = false;
    }
    QRect area;
    for (TqpView *v : std::as_const(moving)) {
        area |= State->ObjectArea(v);
        v->Left += dx;
        v->Top += dy;
        area |= State->ObjectArea(v);
    }
    invalidate(area);
}

void TqpDesignerPage::stepResize(int dx, int dy)
{
    TqpView *v = State->Selection().value(0);
    if (!v || !State->MayResize(v))
        return;
    if (m_undoArmed) {
        State->AddUndoAction(acEdit, {v});
        m_undoArmed = false;
    }
    QRect area = State->ObjectArea(v);
    const QPoint last = m_last;
    const int l = v->Left, t = v->Top, r = v->Left + v->Width, b = v->Top + v->Height;
    switch (CursorKind) {
    case dcNWSE:
        if (m_resize == hsBottomRight || (m_resize == hsNone && !inZone(last, l, t, 3))) {
            v->Width += dx;
            v->Height += dy;
            m_resize = hsBottomRight;
        } else {
            v->Left += dx;
            v->Width -= dx;
            v->Top += dy;
            v->Height -= dy;
            m_resize = hsTopLeft;
        }
        break;
    case dcNESW:
        if (m_resize == hsBottomLeft || (m_resize == hsNone && !inZone(last, r, t, 3))) {
            v->Left += dx;
            v->Width -= dx;
            v->Height += dy;
            m_resize = hsBottomLeft;
        } else {
            v->Top += dy;
            v->Width += dx;
            v->Height -= dy;
            m_resize = hsTopRight;
        }
        break;
    case dcWE:
        if (m_resize == hsRight || (m_resize == hsNone && !inZone(last, l, t + v->Height / 2, 3))) {
            v->Width += dx;
            m_resize = hsRight;
        } else {
            v->Left += dx;
            v->Width -= dx;
            m_resize = hsLeft;
        }
        break;
    case dcNS:
        if (m_resize == hsBottom || (m_resize == hsNone && !inZone(last, l + v->Width / 2, t, 3))) {
            v->Height += dy;
            m_resize = hsBottom;
        } else {
            v->Top += dy;
            v->Height -= dy;
            m_resize = hsTop;
        }
        break;
    default:
        return;
    }
    Q_UNUSED(b);
    if (v->Width < 0 || v->Height < 0) {
        NormalizeCoord(v);
        static const TqpResizeState opposite[] = {hsNone,       hsBottomRight, hsTopLeft, hsBottomLeft, hsTopRight,
                                                  hsRight,      hsLeft,        hsBottom,  hsTop};
        m_resize = opposite[m_resize];
    }
    area |= State->ObjectArea(v);
    invalidate(area);
}

void TqpDesignerPage::stepGroup(int dx, int dy)
{
    const QList<TqpView *> sel = State->Selection();
    QList<TqpView *> sizing;
    for (TqpView *v : sel)
        if (State->MayResize(v) && State->StartRects.contains(v))
            sizing.append(v);
    if (CurRect.Right + dx >= CurRect.Left)
        CurRect.Right += dx;
    if (CurRect.Bottom + dy >= CurRect.Top)
        CurRect.Bottom += dy;
    if (sizing.isEmpty())
        return;
    if (m_undoArmed) {
        State->AddUndoAction(acEdit, sizing);
        m_undoArmed = false;
    }
    const QRect start = State->StartGroupRect;
    const int startW = start.right() - start.left(), startH = start.bottom() - start.top();
    const double kx = startW ? double(CurRect.Right - CurRect.Left) / startW : 1.0;
    const double ky = startH ? double(CurRect.Bottom - CurRect.Top) / startH : 1.0;
    QRect area;
    for (TqpView *v : std::as_const(sizing)) {
        area |= State->ObjectArea(v);
        const QRect s = State->StartRects.value(v);
        const int ox = qpRound((s.x() - start.left()) * kx), oy = qpRound((s.y() - start.top()) * ky);
        v->Left = start.left() + ox;
        v->Width = qpRound((s.x() - start.left()) * kx + s.width() * kx) - ox;
        v->Top = start.top() + oy;
        v->Height = qpRound((s.y() - start.top()) * ky + s.height() * ky) - oy;
        area |= State->ObjectArea(v);
    }
    invalidate(area);
}

void TqpDesignerPage::MUp(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    if (button != Qt::LeftButton || !m_down)
        return;
    m_down = false;
    if (m_shapes) {
        m_shapes = false;
        invalidate(State->SelectionArea());
    }
    if (m_rubber && insertionTool()) {
        m_rubber = false;
        setOverlay(ovNone);
        if (p == m_press)
            CurRect = m_savedRect;
        CurRect = NormalizeRect(CurRect);
        insertObject(CurRect, QString());
    } else if (m_lineDrawing) {
        m_lineDrawing = false;
        setOverlay(ovNone);
        createLine();
    } else if (m_rubber) {
        endRubberBand();
    } else if (CursorKind == dcSplitter && m_splitter.LeftObj) {
        endSplitter();
    } else {
        endMove();
    }
    m_moved = false;
    m_resize = hsNone;
    emit statusChanged();
}

void TqpDesignerPage::endRubberBand()
{
    m_rubber = false;
    setOverlay(ovNone);
    const TRect r = NormalizeRect(CurRect);
    const auto meets = [&r](const TqpView *v) {
        const QRect o = qpViewRect(v);
        return o.left() <= r.Right && o.right() >= r.Left && o.top() <= r.Bottom && o.bottom() >= r.Top;
    };
    const QList<TqpView *> &items = State->Page()->Items;
    bool any = false;
    for (TqpView *v : items)
        if (!isBand(v) && meets(v)) {
            v->Selected = 1;
            any = true;
        }
    if (!any)
        for (TqpView *v : items)
            if (meets(v))
                v->Selected = 1;
    State->GetMultipleSelected();
    State->SelectionChanged();
    repaintArea(State->SelectionArea());
}

void TqpDesignerPage::endSplitter()
{
    setOverlay(ovNone);
    TqpView *left = m_splitter.LeftObj, *right = m_splitter.RightObj;
    const int d = m_splitter.Pos - m_splitter.Edge;
    m_splitter = {};
    if (d == 0 || qpDesignerRestricted(qpdrDontSizeObj) || qpDesignerRestricted(qpdrDontMoveObj)
        || (left->Restrictions & rsNoResize) || (right->Restrictions & (rsNoResize | rsNoMove))
        || left->Width + d <= 0 || right->Width - d <= 0)
        return;
    State->AddUndoAction(acEdit, {left, right});
    QRect area = State->ObjectArea(left) | State->ObjectArea(right);
    left->Width += d;
    right->Left += d;
    right->Width -= d;
    State->GetMultipleSelected();
    invalidate(area | State->ObjectArea(left) | State->ObjectArea(right));
    State->ShowPosition();
}

void TqpDesignerPage::endMove()
{
    const QList<TqpView *> sel = State->Selection();
    if (!m_moved) {
        State->SelectionChanged();
        repaintArea(State->SelectionArea());
        return;
    }
    if (sel.size() == 1) {
        TqpView *v = sel.first();
        QRect area = State->ObjectArea(v);
        NormalizeCoord(v);
        if (CursorKind != dcDefault)
            v->Resized();
        invalidate(area | State->ObjectArea(v));
        State->SelectionChanged();
    } else {
        State->GetMultipleSelected();
        invalidate(State->SelectionArea());
    }
    State->ShowPosition();
}

void TqpDesignerPage::insertObject(TRect r, const QString &fieldText)
{
    TqpPage *page = State->Page();
    const int tool = Tool;
    if (!ToolLocked)
        SetTool(dtSelect);
    if (!page || qpDesignerRestricted(qpdrDontCreateObj))
        return;
    CurReport = State->Report;
    TqpView *v = nullptr;
    if (tool == dtText || tool == dtPicture) {
        v = qpCreateObject(tool, QString());
    } else if (tool == dtBand) {
        const int type = TqpBandTypeForm::Choose(State->Report, page, this);
        if (type < 0)
            return;
        auto *band = static_cast<TqpBandView *>(qpCreateObject(vkBand, QString()));
        band->SetBandType(type);
        QString base = qpBandNames().value(type);
        if (const qsizetype blank = base.indexOf(QLatin1Char(' ')); blank >= 0) {
            base.remove(blank, 1);
            if (blank < base.size() && base.at(blank) >= QLatin1Char('a') && base.at(blank) <= QLatin1Char('z'))
                base[blank] = base.at(blank).toUpper();
        }
        band->BaseName = base;
        v = band;
    } else if (tool == dtSubReport) {
        auto *sub = static_cast<TqpSubReportView *>(qpCreateObject(vkSubReport, QString()));
        sub->SubPage = State->Report->Pages.GetCount();
        State->NewPage();
        v = sub;
    } else if (tool >= dtAddIn && tool - dtAddIn < qpAddInsCount) {
        const QString cls = qpAddIns[tool - dtAddIn].ClassRef.ClassName;
        for (const TqpView *o : std::as_const(page->Items))
            if (o->ClassName() == cls && (o->Flags & kOnePerPage)) {
                UiSeam::MessageBox(this, QMessageBox::Critical, qpLoadStr(kHata), qpLoadStr(kTwoOnOnePage).arg(cls),
                                   QMessageBox::Ok);
                return;
            }
        v = qpCreateObject(vkAddIn, cls);
    }
    if (!v)
        return;
    v->CreateUniqueName();
    if (r.Width() == 0 || r.Height() == 0) {
        int w = 36, h = 36;
        if (v->Kind == vkText)
            State->GetDefaultSize(w, h);
        else if (page->PageType == ptDialog && v->Width && v->Height)
            w = v->Width, h = v->Height;
        r.Right = r.Left + w;
        r.Bottom = r.Top + h;
    }
    State->Unselect();
    v->Left = r.Left;
    v->Top = r.Top;
    if (v->Width == 0 && v->Height == 0) {
        v->Width = r.Width();
        v->Height = r.Height();
    }
    if (isBand(v) && qpIsCrossBand(v->FrameTyp) && v->Width > width() - 10)
        v->Width = 40;
    if (tool < dtAddIn)
        v->FrameWidth = State->Defaults.FrameWidth;
    v->FrameColor = State->Defaults.FrameColor;
    v->FillColor = State->Defaults.FillColor;
    if (auto *memo = dynamic_cast<TqpMemoView *>(v)) {
        const TqpObjectDefaults &d = State->Defaults;
        memo->FrameTyp = d.FrameTyp;
        memo->Font = TqpFont{d.FontName, d.FontSize, d.FontStyle, d.FontColor, d.Charset};
        memo->Alignment = d.Alignment;
        if (!fieldText.isEmpty())
            memo->Memo = QStringList{fieldText};
    }
    v->OwnerPage = page;
    page->Items.append(v);
    v->Selected = 1;
    State->RefObject = v;
    State->GetMultipleSelected();
    if (isBand(v)) {
        State->ArrangeBands();
        State->Redraw();
    } else {
        invalidate(State->ObjectArea(v));
    }
    if (tool == dtSubReport) {
        if (State->EditAfterInsert)
            qpChooseInsertedSubReportPage(static_cast<TqpSubReportView *>(v), State, this);
        emit State->pageChanged();
    }
    State->SelectionChanged();
    State->AddUndoAction(acInsert, {v});
    if (State->EditAfterInsert && fieldText.isEmpty())
        State->ShowEditor();
}

void TqpDesignerPage::createLine()
{
    TqpPage *page = State->Page();
    const TRect r = CurRect;
    if (!page || (r.Left == r.Right && r.Top == r.Bottom) || qpDesignerRestricted(qpdrDontCreateObj))
        return;
    CurReport = State->Report;
    TqpView *line = qpCreateObject(vkLine, QString());
    int left = r.Left, top = r.Top, w = r.Right - r.Left, h = r.Bottom - r.Top;
    if (w < 0) {
        w = -w;
        if (std::abs(h) < w)
            left = r.Right;
    }
    if (h < 0) {
        h = -h;
        if (w < h)
            top = r.Bottom;
    }
    line->CreateUniqueName();
    line->SetBounds(left, top, w, h);
    line->FrameWidth = State->Defaults.LineWidth;
    line->FrameColor = State->Defaults.FrameColor;
    line->OwnerPage = page;
    State->Unselect();
    page->Items.append(line);
    line->Selected = 1;
    State->RefObject = line;
    invalidate(State->ObjectArea(line));
    State->SelectionChanged();
    State->AddUndoAction(acInsert, {line});
}

void TqpDesignerPage::DClick()
{
    const QList<TqpView *> sel = State->Selection();
    TqpPage *page = State->Page();
    if (sel.size() == 1) {
        if (m_ctrlAtPress)
            State->ShowMemoEditor(sel.first());
        else
            State->ShowEditor();
    } else if (sel.isEmpty() && page) {
        emit pageEditorRequested();
    }
}

void TqpDesignerPage::CMMouseLeave()
{
    if ((!m_down && insertionTool() && m_outlineShown) || m_fieldDrag) {
        const QRect before = overlayArea();
        m_overlay = ovNone;
        m_outlineShown = false;
        CurRect = {CurRect.Left - 10000, CurRect.Top - 10000, CurRect.Right - 10000, CurRect.Bottom - 10000};
        repaintArea(before);
    }
}

bool TqpDesignerPage::DoDragOver(QPoint p)
{
    TqpPage *page = State->Page();
    if (!page || page->PageType != ptReport || qpDesignerRestricted(qpdrDontCreateObj))
        return false;
    const QRect before = overlayArea();
    int x = p.x(), y = p.y();
    RoundCoord(x, y);
    int w, h;
    State->GetDefaultSize(w, h);
    CurRect = {x - 4, y - 4, x - 4 + w, y - 4 + h};
    m_fieldDrag = true;
    m_overlay = ovFocusRect;
    repaintArea(before | overlayArea());
    return true;
}

void TqpDesignerPage::DoDragDrop(QPoint p, const QString &fieldReference)
{
    if (!DoDragOver(p))
        return;
    m_fieldDrag = false;
    setOverlay(ovNone);
    Tool = dtText;
    ToolLocked = false;
    insertObject(CurRect, QLatin1Char('[') + fieldReference + QLatin1Char(']'));
}

// ---------------------------------------------------------------- keyboard

bool TqpDesignerPage::HandleKey(int key, Qt::KeyboardModifiers mods)
{
    mods &= kKeyMods;
    const int count = State->SelCount();
    switch (key) {
    case Qt::Key_Escape:
        if (m_down)
            return false;
        SetTool(dtSelect);
        State->Unselect();
        State->Redraw();
        State->SelectionChanged();
        return true;
    case Qt::Key_Delete:
        if (count == 0 || (mods & Qt::ShiftModifier))
            return false;
        State->DeleteObjects();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (count != 1)
            return false;
        if (mods & Qt::ControlModifier)
            State->ShowMemoEditor(nullptr);
        else
            State->ShowEditor();
        return true;
    case Qt::Key_G:
        if (mods != Qt::ControlModifier)
            return false;
        State->SetGridShow(!State->ShowGrid);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (ScrollBox)
            ScrollBox->verticalScrollBar()->setValue(ScrollBox->verticalScrollBar()->value()
                                                     + (key == Qt::Key_PageUp ? -200 : 200));
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        cycleObjects(key == Qt::Key_Backtab || (mods & Qt::ShiftModifier));
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int dx = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
        const int dy = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
        if (mods & Qt::ControlModifier) {
            if (count > 0)
                State->MoveObjects(dx, dy, false);
        } else if (mods & Qt::ShiftModifier) {
            if (count > 0)
                State->MoveObjects(dx, dy, true);
        } else if (count == 1) {
            nearestObject(key, mods & Qt::AltModifier);
        }
        return true;
    }
    default:
        return false;
    }
}

void TqpDesignerPage::nearestObject(int key, bool alt)
{
    TqpView *s = State->Selection().value(0);
    TqpPage *page = State->Page();
    if (!s || !page)
        return;
    const int L = s->Left, T = s->Top, R = s->Left + s->Width, B = s->Top + s->Height;
    const bool horizontal = key == Qt::Key_Left || key == Qt::Key_Right;
    TqpView *winner = nullptr;
    int best = 10000;
    for (TqpView *v : std::as_const(page->Items)) {
        if (v->Selected || isBand(v))
            continue;
        const int x = v->Left, y = v->Top, w = v->Width, h = v->Height;
        // Offset across the direction of travel, then the distance along it.
        const int a0 = horizontal ? T : L, a1 = horizontal ? B : R, p = horizontal ? y : x, q = horizontal ? h : w;
        int d;
        if (p + q < a0)
            d = a0 - (p + q);
        else if (p > a1)
            d = p - a1;
        else if (p > a0 || p + q < a1)
            d = p - a0;
        else
            d = 0;
        const int n0 = horizontal ? L : T, n1 = horizontal ? R : B, m = horizontal ? x : y, k = horizontal ? w : h;
        int cost;
        if (key == Qt::Key_Right || key == Qt::Key_Down) {
            if (m <= n0)
                d = 10000;
            cost = d + m - (m < n1 ? n0 : n1);
        } else {
            if (m + k >= n1)
                d = 10000;
            cost = d + (n0 < m + k ? n1 : n0) - m - k;
        }
        if (cost < best) {
            best = cost;
            winner = v;
        }
    }
    if (!winner)
        return;
    if (!alt) {
        const QRect before = State->SelectionArea();
        State->Unselect();
        winner->Selected = 1;
        State->RefObject = winner;
        repaintArea(before | State->SelectionArea());
    } else if (State->MayMove(s)) {
        const QRect before = State->ObjectArea(s);
        int left = s->Left, top = s->Top;
        if (key == Qt::Key_Right && winner->Left >= R)
            left = winner->Left - s->Width;
        else if (key == Qt::Key_Down && B < winner->Top)
            top = winner->Top - s->Height;
        else if (key == Qt::Key_Left && L >= winner->Left + winner->Width)
            left = winner->Left + winner->Width;
        else if (key == Qt::Key_Up && T >= winner->Top + winner->Height)
            top = winner->Top + winner->Height;
        if (left != s->Left || top != s->Top) {
            State->AddUndoAction(acEdit, {s});
            s->Left = left;
            s->Top = top;
            invalidate(before | State->ObjectArea(s));
        }
    }
    State->SelectionChanged();
    State->ShowPosition();
}

void TqpDesignerPage::cycleObjects(bool backwards)
{
    TqpPage *page = State->Page();
    if (!page || page->Items.isEmpty())
        return;
    const QList<TqpView *> sel = State->Selection();
    const qsizetype n = page->Items.size();
    qsizetype at = sel.isEmpty() ? (backwards ? 0 : -1) : page->Items.indexOf(backwards ? sel.first() : sel.last());
    at = (at + (backwards ? n - 1 : 1)) % n;
    const QRect before = State->SelectionArea();
    State->Unselect();
    TqpView *v = page->Items.at(at);
    v->Selected = 1;
    State->RefObject = v;
    repaintArea(before | State->SelectionArea());
    State->SelectionChanged();
    State->ShowPosition();
}

// ---------------------------------------------------------------- status

void TqpDesignerPage::StatusFields(QString &position, QString &size, QString &scale) const
{
    const auto pair = [this](double a, double b) {
        if (State->Units == ruPixels)
            return QString::number(qint64(a)) + QLatin1Char(';') + QString::number(qint64(b));
        return QString::number(PointsToUnits(a, State->Units), 'f', 2) + QStringLiteral("; ")
               + QString::number(PointsToUnits(b, State->Units), 'f', 2);
    };
    position.clear();
    size.clear();
    scale.clear();
    const QList<TqpView *> sel = State->Selection();
    if (m_rubber || (m_outlineShown && insertionTool()) || m_lineDrawing) {
        const TRect r = NormalizeRect(CurRect);
        position = pair(r.Left, r.Top);
        size = pair(r.Width(), r.Height());
    } else if (sel.size() == 1) {
        const TqpView *v = sel.first();
        position = pair(v->Left, v->Top);
        size = pair(v->Width, v->Height);
        if (auto *pic = dynamic_cast<const TqpPictureView *>(v)) {
            const QSize g = pic->Picture.Size();
            if (g.width() > 0 && g.height() > 0)
                scale = QStringLiteral("% ") + QString::number(v->Width * 100 / g.width()) + QLatin1Char(',')
                        + QString::number(v->Height * 100 / g.height());
        }
    } else if (sel.size() > 1) {
        int left = sel.first()->Left, top = sel.first()->Top;
        for (const TqpView *v : sel) {
            left = std::min(left, v->Left);
            top = std::min(top, v->Top);
        }
        position = pair(left, top);
        const QRect s = State->StartGroupRect, g = State->GroupRect;
        const int sw = s.right() - s.left(), sh = s.bottom() - s.top();
        const double kx = sw ? double(m_down ? CurRect.Right - CurRect.Left : g.right() - g.left()) / sw : 1.0;
        const double ky = sh ? double(m_down ? CurRect.Bottom - CurRect.Top : g.bottom() - g.top()) / sh : 1.0;
        scale = QStringLiteral("% ") + QString::number(qpRound(kx * 100)) + QLatin1Char(',')
                + QString::number(qpRound(ky * 100));
    } else if (Tool == dtSelect) {
        position = pair(CurRect.Left, CurRect.Top);
    }
}

// ---------------------------------------------------------------- drawing

void TqpDesignerPage::repaintArea(const QRect &area)
{
    if (!area.isEmpty())
        update(area.intersected(rect()));
}

void TqpDesignerPage::invalidate(const QRect &area)
{
    const QRect a = area.intersected(rect());
    if (a.isEmpty())
        return;
    m_stale += a;
    update(a);
}

void TqpDesignerPage::resizeEvent(QResizeEvent *)
{
    m_layer = QImage();
    m_stale = QRegion();
}

void TqpDesignerPage::setOverlay(Overlay kind)
{
    const QRect before = overlayArea();
    m_overlay = kind;
    repaintArea(before | overlayArea());
}

QRect TqpDesignerPage::overlayArea() const
{
    switch (m_overlay) {
    case ovFocusRect: {
        const TRect r = NormalizeRect(CurRect);
        return QRect(r.Left - 1, r.Top - 1, r.Width() + 3, r.Height() + 3);
    }
    case ovLine: {
        const int w = int(std::ceil(State->Defaults.LineWidth)) + 2;
        const TRect r = NormalizeRect(CurRect);
        return QRect(r.Left - w, r.Top - w, r.Width() + 2 * w, r.Height() + 2 * w);
    }
    case ovSplitter:
        return QRect(m_splitter.Pos - 1, m_splitter.Top - 1, 3, m_splitter.Bottom - m_splitter.Top + 3);
    default:
        return {};
    }
}

void TqpDesignerPage::autoScroll(QPoint p)
{
    if (!ScrollBox)
        return;
    const QPoint c = mapTo(ScrollBox->widget(), p);
    ScrollBox->ensureVisible(c.x(), c.y(), 0, 0);
}

void TqpDesignerPage::drawBackground(QPainter &painter, const QRect &area)
{
    TqpPage *page = State->Page();
    const QColor paper = page && page->PageType == ptDialog ? colorFromRef(page->Color) : QColor(Qt::white);
    if (!State->ShowGrid) {
        painter.fillRect(area, paper);
        return;
    }
    // An opaque tile of paper and dots, so that filling is a plain copy.
    // It is a whole number of grid cells wide; grid 18 has dots every 18
    // units, the other sizes the 8 by 8 pattern of one or four dots.
    const int g = State->GridSize;
    const int cell = g == 18 ? 18 : 8, side = cell * (g == 18 ? 8 : 16);
    const quint64 key = (quint64(paper.rgb()) << 8) | quint64(g);
    if (m_gridKey != key || m_gridTile.isNull()) {
        m_gridKey = key;
        QImage tile(side, side, QImage::Format_RGB32);
        tile.fill(paper);
        for (int y = 0; y < side; y += cell)
            for (int x = 0; x < side; x += cell) {
                tile.setPixel(x, y, 0xFF000000);
                if (g == 4) {
                    tile.setPixel(x + 4, y, 0xFF000000);
                    tile.setPixel(x, y + 4, 0xFF000000);
                    tile.setPixel(x + 4, y + 4, 0xFF000000);
                }
            }
        m_gridTile = QPixmap::fromImage(tile);
    }
    painter.drawTiledPixmap(area, m_gridTile, QPoint(area.left() % side, area.top() % side));
}

void TqpDesignerPage::drawSelection(QPainter &p, TqpView *v, int count)
{
    const int x = v->Left, y = v->Top, w = v->Width, h = v->Height;
    const auto dot = [&p](int cx, int cy, const QColor &c) { p.fillRect(QRect(cx - 2, cy - 2, 5, 5), c); };
    dot(x, y, Qt::white);
    if (w && h) {
        dot(x + w, y, Qt::white);
        dot(x, y + h, Qt::white);
    }
    dot(x + w, y + h, v == State->CornerObject ? kTeal : QColor(Qt::white));
    if (count == 1 && w && h) {
        dot(x + w / 2, y, Qt::white);
        dot(x + w / 2, y + h, Qt::white);
        dot(x, y + h / 2, Qt::white);
        dot(x + w, y + h / 2, Qt::white);
    }
}

void TqpDesignerPage::drawOverlay(QPainter &p)
{
    // What the pointer drags is inverted over the page, as an exclusive-or
    // pen would show it, but painted fresh each time instead of toggled.
    p.setCompositionMode(QPainter::CompositionMode_Difference);
    p.setBrush(Qt::NoBrush);
    if (m_shapes) {
        p.setPen(QPen(kSilver, 1));
        for (TqpView *v : State->Selection())
            p.drawRect(QRect(v->Left, v->Top, v->Width, v->Height));
    }
    switch (m_overlay) {
    case ovFocusRect: {
        const TRect r = NormalizeRect(CurRect);
        p.setPen(QPen(kSilver, 1));
        if (r.Width() <= 1 || r.Height() <= 1)
            p.drawLine(r.Left, r.Top, std::max(r.Left, r.Right - 1), std::max(r.Top, r.Bottom - 1));
        else
            p.drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
        break;
    }
    case ovLine: {
        p.setPen(QPen(Qt::white, std::max(1, qpRound(State->Defaults.LineWidth)), Qt::SolidLine, Qt::FlatCap));
        const TRect r = CurRect;
        if (std::abs(r.Bottom - r.Top) >= std::abs(r.Right - r.Left))
            p.drawLine(r.Left, r.Top, r.Left, r.Bottom);
        else
            p.drawLine(r.Left, r.Top, r.Right, r.Top);
        break;
    }
    case ovSplitter:
        p.setPen(QPen(kSilver, 1));
        p.drawLine(m_splitter.Pos, m_splitter.Top, m_splitter.Pos, m_splitter.Bottom);
        break;
    default:
        break;
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TqpDesignerPage::renderLayer(const QRegion &region)
{
    TqpPage *page = State->Page();
    TCanvas canvas(&m_layer);
    QPainter &painter = canvas.Painter();
    const QRect area = region.boundingRect();
    painter.setClipRegion(region);
    drawBackground(painter, area);
    if (!page)
        return;
    const TqpDocMode mode = DocMode;
    DocMode = dmDesigning;
    qpDesignerPage = page;
    // Earlier objects first, so that a later one lies on top.
    for (TqpView *v : std::as_const(page->Items)) {
        // Dragging in frame mode shows the selection by its outlines only.
        if ((m_shapes && v->Selected) || !region.intersects(State->ObjectArea(v)))
            continue;
        // Whatever clip an object sets for itself, the next one is again
        // bounded by the area being renewed: outside it the layer already
        // shows the page, and drawing there again would thicken its text.
        painter.save();
        v->Draw(&canvas);
        painter.restore();
        if (!v->Script.isEmpty())
            drawMark(painter, v->Left + 1, v->Top + 1, QColor(0x20, 0x60, 0xC0), QLatin1Char('S'));
        if (auto *memo = dynamic_cast<TqpMemoView *>(v); memo && !memo->HighlightCondition.isEmpty())
            drawMark(painter, v->Left + 1, v->Top + 10, QColor(0xD0, 0x90, 0x00), QLatin1Char('H'));
    }
    DocMode = mode;
    painter.setBrush(Qt::NoBrush);
    if (page->PageType == ptReport) {
        if (page->UseMargins) {
            painter.setPen(QColor(0x80, 0x80, 0x80));
            painter.drawRect(QRect(QPoint(page->LeftMargin(), page->TopMargin()),
                                   QPoint(page->RightMargin(), page->BottomMargin())));
        }
        if (page->ColCount >= 2) {
            const int colWidth =
                (page->RightMargin() - page->LeftMargin() - (page->ColCount - 1) * page->ColGap) / page->ColCount;
            painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
            int x = page->LeftMargin();
            for (int i = 0; i < page->ColCount; ++i, x += colWidth + page->ColGap)
                painter.drawRect(QRect(QPoint(x, -1), QPoint(x + colWidth + 1, page->SheetHeight() + 1)));
        }
    }
}

void TqpDesignerPage::paintEvent(QPaintEvent *event)
{
    // The page and its objects are kept drawn in a layer that is brought up
    // to date where objects changed; marks and what the pointer drags are
    // painted over it each time, so they never cost a redraw of objects.
    if (State->DrawingSuspended) {
        QPainter(this).fillRect(event->rect(), Qt::white);
        m_stale += event->region();
        return;
    }
    if (m_layer.size() != size()) {
        m_layer = QImage(size(), QImage::Format_RGB32);
        m_stale = QRegion(rect());
    }
    const QRegion stale = m_stale.intersected(event->region());
    if (!stale.isEmpty()) {
        renderLayer(stale);
        m_stale -= stale;
    }
    QPainter painter(this);
    const QRect area = event->rect();
    for (const QRect &r : event->region())
        painter.drawImage(r.topLeft(), m_layer, r);
    if (!m_down) {
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        const QList<TqpView *> sel = State->Selection();
        for (TqpView *v : sel)
            if (State->ObjectArea(v).intersects(area))
                drawSelection(painter, v, int(sel.size()));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    drawOverlay(painter);
}

// ---------------------------------------------------------------- events

void TqpDesignerPage::mousePressEvent(QMouseEvent *event)
{
    MDown(event->position().toPoint(), event->button(), event->modifiers());
}

void TqpDesignerPage::mouseMoveEvent(QMouseEvent *event)
{
    MMove(event->position().toPoint(), event->buttons(), event->modifiers());
}

void TqpDesignerPage::mouseReleaseEvent(QMouseEvent *event)
{
    MUp(event->position().toPoint(), event->button(), event->modifiers());
}

void TqpDesignerPage::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The platform reports the second press of a double click as this
    // event instead of a press, so there is no press left to ignore.
    if (event->button() == Qt::LeftButton) {
        m_ctrlAtPress = event->modifiers() & Qt::ControlModifier;
        DClick();
    }
}

void TqpDesignerPage::leaveEvent(QEvent *) { CMMouseLeave(); }

// Tab cycles through the objects instead of moving the keyboard focus.
bool TqpDesignerPage::focusNextPrevChild(bool) { return false; }

void TqpDesignerPage::keyPressEvent(QKeyEvent *event)
{
    if (!HandleKey(event->key(), event->modifiers()))
        QWidget::keyPressEvent(event);
}

void TqpDesignerPage::wheelEvent(QWheelEvent *event)
{
    if (!ScrollBox)
        return;
    QScrollBar *bar = ScrollBox->verticalScrollBar();
    bar->setValue(bar->value() - event->angleDelta().y() / 120 * 8);
}

void TqpDesignerPage::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(QLatin1String(qpFieldMimeType)) && DoDragOver(event->position().toPoint()))
        event->acceptProposedAction();
}

void TqpDesignerPage::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasFormat(QLatin1String(qpFieldMimeType)) && DoDragOver(event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TqpDesignerPage::dragLeaveEvent(QDragLeaveEvent *) { CMMouseLeave(); m_fieldDrag = false; }

void TqpDesignerPage::dropEvent(QDropEvent *event)
{
    const QString reference = QString::fromUtf8(event->mimeData()->data(QLatin1String(qpFieldMimeType)));
    DoDragDrop(event->position().toPoint(), reference);
    event->acceptProposedAction();
}
