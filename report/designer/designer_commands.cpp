#include "report/designer/designer_commands.h"

#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/rounding.h"
#include "report/core/names.h"
#include "report/core/string_table.h"
#include "report/designer/designer_state.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "platform/modal_seam.h"

#include <QBuffer>
#include <QClipboard>
#include <QDataStream>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Kinds whose class allows one object on a page.
constexpr quint16 kOnePerPage = 0x2000;
// The version every copy of an object is written and read in.
constexpr int kCopyVersion = 25;

bool isBand(const TqpView *v) { return v->Kind == vkBand; }

// Band types a page may hold more than once.
bool repeatableBand(int type) { return (type >= 4 && type <= 12) || type == 16 || type == 17; }

// Sets the stream version for one copy or paste and puts it back after.
class CopyVersion {
public:
    CopyVersion() : m_saved(qpVersion) { qpVersion = kCopyVersion; }
    ~CopyVersion() { qpVersion = m_saved; }

private:
    int m_saved;
};

QByteArray objectStream(TqpView *v)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    qpWriteByte(buffer, v->Kind);
    qpWriteString(buffer, v->ClassName());
    v->SaveMode = smQPF;
    v->SaveToStream(buffer);
    return buffer.data();
}

QByteArray packStreams(const QList<QByteArray> &streams)
{
    QByteArray packed;
    QDataStream out(&packed, QIODevice::WriteOnly);
    out << quint32(streams.size());
    for (const QByteArray &s : streams)
        out << s;
    return packed;
}

QList<QByteArray> unpackStreams(const QByteArray &packed)
{
    QDataStream in(packed);
    quint32 count = 0;
    in >> count;
    QList<QByteArray> streams;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QByteArray s;
        in >> s;
        if (in.status() == QDataStream::Ok)
            streams.append(s);
    }
    return streams;
}

struct StreamHead {
    quint8 Kind = 0;
    QString ClassName;
};

// The object a stream holds, or none when it holds nothing we can make.
std::unique_ptr<TqpView> loadStream(const QByteArray &bytes, StreamHead &head)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        head.Kind = qpReadByte(buffer);
        head.ClassName = qpReadString(buffer);
        std::unique_ptr<TqpView> v(qpCreateObject(head.Kind, head.ClassName));
        if (!v)
            return nullptr;
        v->SaveMode = smQPF;
        v->LoadFromStream(buffer);
        return v;
    } catch (const EqpError &) {
        // Another program's damaged or foreign data pastes nothing.
        return nullptr;
    }
}

// Ordered by a coordinate; objects at the same place keep their list order.
QList<TqpView *> orderedBy(QList<TqpView *> list, int TqpView::*coord)
{
    std::stable_sort(list.begin(), list.end(), [coord](TqpView *a, TqpView *b) { return a->*coord < b->*coord; });
    return list;
}

} // namespace

double qpTypedNumber(const QString &text)
{
    return qpTextToFloat(QString(text).replace(QLatin1Char('.'), QLatin1Char(',')));
}

void TqpDesignerCommands::SelectAll()
{
    State->SelectAll();
    State->Redraw();
    State->SelectionChanged();
    State->ShowPosition();
}

void TqpDesignerCommands::Copy()
{
    const QList<TqpView *> sel = State->Selection();
    if (sel.isEmpty())
        return;
    QList<QByteArray> streams;
    QStringList texts;
    {
        const CopyVersion version;
        for (TqpView *v : sel) {
            streams.append(objectStream(v));
            if (!v->Memo.isEmpty())
                texts.append(v->Memo.join(QLatin1Char('\n')));
        }
    }
    qpDesignerClipboard = streams;
    auto *mime = new QMimeData;
    mime->setData(QLatin1String(qpObjectsMimeType), packStreams(streams));
    mime->setText(texts.join(QLatin1Char('\n')));
    QGuiApplication::clipboard()->setMimeData(mime);
    State->SelectionChanged();
}

void TqpDesignerCommands::Cut()
{
    Copy();
    State->DeleteObjects();
    State->RefObject = nullptr;
    State->SelectionChanged();
    State->ShowPosition();
}

QList<QByteArray> TqpDesignerCommands::ClipboardStreams()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (mime && mime->hasFormat(QLatin1String(qpObjectsMimeType)))
        return unpackStreams(mime->data(QLatin1String(qpObjectsMimeType)));
    return qpDesignerClipboard;
}

bool TqpDesignerCommands::CanPaste() const { return !ClipboardStreams().isEmpty(); }

void TqpDesignerCommands::Paste(QPoint canvasPos)
{
    TqpPage *page = State->Page();
    if (!page || qpDesignerRestricted(qpdrDontCreateObj))
        return;
    const QList<QByteArray> streams = ClipboardStreams();
    if (streams.isEmpty())
        return;
    const QRect before = State->SelectionArea();
    TqpView *target = nullptr;
    for (TqpView *v : State->Selection()) {
        if (isBand(v) && !target)
            target = v;
        // Every band is let go too: what stays selected is what the paste's
        // undo record will take out again.
        v->Selected = 0;
    }
    State->RefObject = nullptr;
    State->Redraw(before);

    const auto refused = [page](const StreamHead &head) {
        return std::any_of(page->Items.cbegin(), page->Items.cend(), [&head](const TqpView *v) {
            return v->Kind == head.Kind && v->ClassName() == head.ClassName && (v->Flags & kOnePerPage);
        });
    };

    const CopyVersion version;
    int leastLeft = 32767, leastTop = 32767;
    std::vector<std::unique_ptr<TqpView>> pasting;
    for (const QByteArray &bytes : streams) {
        StreamHead head;
        std::unique_ptr<TqpView> v = loadStream(bytes, head);
        if (!v || refused(head))
            continue;
        leastLeft = std::min(leastLeft, v->Left);
        leastTop = std::min(leastTop, v->Top);
        pasting.push_back(std::move(v));
    }

    const int g = State->GridSize;
    const auto bandTypeTaken = [page](int type) {
        return std::any_of(page->Items.cbegin(), page->Items.cend(),
                           [type](const TqpView *o) { return isBand(o) && o->FrameTyp == type; });
    };
    QList<TqpView *> pasted;
    CurReport = State->Report;
    for (std::unique_ptr<TqpView> &owned : pasting) {
        TqpView *v = owned.get();
        if (isBand(v) && !repeatableBand(v->FrameTyp) && bandTypeTaken(v->FrameTyp))
            continue;
        if (v->Name.isEmpty() || State->Report->FindObject(v->Name))
            v->CreateUniqueName();
        else
            v->SetPropValue(QStringLiteral("Name"), Variant(v->Name));
        v->Left += (canvasPos.x() < 0 ? g * (-canvasPos.x() / g) : 0) - leastLeft;
        v->Top += (canvasPos.y() < 0 ? g * (-canvasPos.y() / g) : 0) - leastTop;
        if (target)
            v->Top = target->Top;
        v->Selected = 1;
        v->OwnerPage = page;
        page->Items.append(owned.release());
        pasted.append(v);
    }
    if (pasted.isEmpty()) {
        State->SelectionChanged();
        return;
    }
    State->SelectionChanged();
    State->ArrangeBands();
    State->GetMultipleSelected();
    emit State->pageChanged();
    State->Redraw(State->SelectionArea());
    State->AddUndoAction(acInsert);
    State->ShowPosition();
}

void TqpDesignerCommands::BringToFront() { changeZOrder(true); }

void TqpDesignerCommands::SendToBack() { changeZOrder(false); }

void TqpDesignerCommands::changeZOrder(bool toFront)
{
    TqpPage *page = State->Page();
    if (!page || State->SelCount() == 0)
        return;
    State->AddUndoAction(acZOrder);
    QList<TqpView *> moving;
    for (TqpView *v : std::as_const(page->Items))
        if (v->Selected && State->MayMove(v))
            moving.append(v);
    // Each to the end in list order, or each to the front from the last:
    // either way the moved objects keep their order among themselves.
    if (toFront)
        for (TqpView *v : std::as_const(moving))
            page->Items.move(page->Items.indexOf(v), page->Items.size() - 1);
    else
        for (auto it = moving.crbegin(); it != moving.crend(); ++it)
            page->Items.move(page->Items.indexOf(*it), 0);
    State->ArrangeBands();
    State->Redraw();
}

bool TqpDesignerCommands::AlignEnabled(int command) const
{
    const QList<TqpView *> sel = State->Selection();
    const int n = sel.size();
    switch (command) {
    case acAlignLeft:
    case acAlignRight:
        return n >= 2 || std::any_of(sel.cbegin(), sel.cend(), isBand);
    case acCenterHorizontally:
    case acCenterVertically:
        return n >= 1;
    case acSpaceHorizontally:
    case acSpaceVertically:
        return n >= 3;
    case acAlignHCenter:
    case acAlignTop:
    case acAlignVCenter:
    case acAlignBottom:
        return n >= 2;
    default:
        return false;
    }
}

QList<TqpView *> TqpDesignerCommands::packedObjects(TqpView *band) const
{
    QList<TqpView *> list;
    for (TqpView *v : std::as_const(State->Page()->Items))
        if (!isBand(v) && v->Top >= band->Top && v->Top + v->Height <= band->Top + band->Height)
            list.append(v);
    return orderedBy(list, &TqpView::Left);
}

void TqpDesignerCommands::packBand(TqpView *band, bool fromLeft)
{
    TqpPage *page = State->Page();
    const QList<TqpView *> sel = State->Selection();
    // The row's top comes from the selected object furthest out on the side
    // packing starts from: in practice the band.
    TqpView *edge = sel.first();
    for (TqpView *v : sel)
        if (fromLeft ? v->Left < edge->Left : v->Left + v->Width > edge->Left + edge->Width)
            edge = v;
    const int top = edge->Top;
    QList<TqpView *> row = packedObjects(band);
    // Unselected objects move too, so they go into the undo record with the selection.
    QList<TqpView *> recorded = sel;
    for (TqpView *v : std::as_const(row))
        if (!recorded.contains(v))
            recorded.append(v);
    State->AddUndoAction(acEdit, recorded);
    if (fromLeft) {
        int x = page->LeftMargin();
        for (TqpView *v : std::as_const(row)) {
            if (State->MayMove(v)) {
                v->Left = x;
                v->Top = top;
            }
            x += v->Width;
        }
    } else {
        int x = page->RightMargin();
        for (auto it = row.crbegin(); it != row.crend(); ++it) {
            TqpView *v = *it;
            if (State->MayMove(v)) {
                v->Left = x - v->Width;
                v->Top = top;
            }
            x -= v->Width;
        }
    }
}

void TqpDesignerCommands::Align(int command)
{
    TqpPage *page = State->Page();
    if (!page || qpDesignerRestricted(qpdrDontMoveObj) || !AlignEnabled(command))
        return;
    const QList<TqpView *> sel = State->Selection();
    QRect area = State->SelectionArea();
    TqpView *band = nullptr;
    for (TqpView *v : sel)
        if (isBand(v)) {
            band = v;
            break;
        }
    if ((command == acAlignLeft || command == acAlignRight) && band) {
        const QList<TqpView *> row = packedObjects(band);
        for (TqpView *v : row)
            area |= State->ObjectArea(v);
        packBand(band, command == acAlignLeft);
        for (TqpView *v : row)
            area |= State->ObjectArea(v);
    } else {
        State->BeforeChange();
        TqpView *R = State->RefObject && State->RefObject->Selected ? State->RefObject : sel.last();
        int least = INT_MAX, greatest = INT_MIN;
        const bool horizontal = command == acCenterHorizontally;
        for (TqpView *v : sel) {
            least = std::min(least, horizontal ? v->Left : v->Top);
            greatest = std::max(greatest, horizontal ? v->Left + v->Width : v->Top + v->Height);
        }
        if (command == acSpaceHorizontally || command == acSpaceVertically) {
            int TqpView::*coord = command == acSpaceHorizontally ? &TqpView::Left : &TqpView::Top;
            const QList<TqpView *> ordered = orderedBy(sel, coord);
            const int step = (ordered.last()->*coord - ordered.first()->*coord) / (int(ordered.size()) - 1);
            for (int i = 1; i + 1 < ordered.size(); ++i)
                if (State->MayMove(ordered.at(i)))
                    ordered.at(i)->*coord = ordered.at(i - 1)->*coord + step;
        } else {
            for (TqpView *o : sel) {
                if (!State->MayMove(o))
                    continue;
                switch (command) {
                case acAlignLeft:
                    o->Left = R->Left;
                    break;
                case acAlignHCenter:
                    o->Left = R->Left + R->Width / 2 - o->Width / 2;
                    break;
                case acCenterHorizontally:
                    o->Left -= least + (greatest - least - page->SheetWidth()) / 2;
                    break;
                case acAlignRight:
                    o->Left = R->Left + R->Width - o->Width;
                    break;
                case acAlignTop:
                    o->Top = R->Top;
                    break;
                case acAlignVCenter:
                    o->Top = R->Top + R->Height / 2 - o->Height / 2;
                    break;
                case acCenterVertically:
                    o->Top -= least + (greatest - least - page->SheetHeight()) / 2;
                    break;
                case acAlignBottom:
                    o->Top = R->Top + R->Height - o->Height;
                    break;
                }
            }
        }
    }
    area |= State->SelectionArea();
    State->GetMultipleSelected();
    State->ShowPosition();
    State->Redraw(area);
}

void TqpDesignerCommands::FitToGrid()
{
    const QList<TqpView *> sel = State->Selection();
    if (sel.isEmpty())
        return;
    State->AddUndoAction(acEdit);
    QRect area = State->SelectionArea();
    const int g = State->GridSize;
    const auto snap = [g](int x) { return g * qpRound(double(x) / g); };
    for (TqpView *v : sel) {
        if (State->MayMove(v)) {
            v->Left = snap(v->Left);
            v->Top = snap(v->Top);
        }
        if (State->MayResize(v)) {
            v->Width = snap(v->Width);
            v->Height = snap(v->Height);
            if (v->Width == 0)
                v->Width = g;
            if (v->Height == 0)
                v->Height = g;
        }
    }
    area |= State->SelectionArea();
    State->Redraw(area);
    State->ShowPosition();
    State->GetMultipleSelected();
}

void TqpDesignerCommands::OnModify(const QString &name, TqpDataTypes types, const Variant &value)
{
    TqpPage *page = State->Page();
    if (!page)
        return;
    const bool dialog = page->PageType == ptDialog;
    Variant v = value;
    const bool size = types & (1u << qpdtSize);
    if (size && !dialog && State->Units != ruPixels) {
        const double points = UnitsToPoints(v.toReal(), State->Units);
        v = types & (1u << qpdtFloat) ? Variant(points) : Variant(qpRound(points));
    }
    // Lengths that cannot be below nothing; refused before anything is recorded.
    static const QStringList kNonNegative{QStringLiteral("Width"), QStringLiteral("Height"),
                                          QStringLiteral("FrameWidth")};
    if (kNonNegative.contains(name, Qt::CaseInsensitive) && v.toReal() < 0)
        throw EConvertError(qpLoadStr(59782).arg(name));

    const QList<TqpView *> sel = State->Selection();
    if (sel.isEmpty()) {
        if (qpDesignerRestricted(qpdrDontEditPage))
            return;
        if (qpSameName(name, QStringLiteral("Type")) && !page->Items.isEmpty() && v.toInt() != page->PageType) {
            if (UiSeam::MessageBox(nullptr, QMessageBox::Warning, qpLoadStr(59784), qpLoadStr(59783),
                                   QMessageBox::Yes | QMessageBox::No)
                != QMessageBox::Yes)
                return;
            page->Clear();
            State->ClearUndoBuffer();
            State->ClearRedoBuffer();
        }
        page->SetPropValue(name, v);
        State->SetModified(true);
        page->ChangePaper(page->PaperSize, page->PaperWidth, page->PaperHeight, int(page->PaperBin),
                          TPrinterOrientation(page->Orientation));
        State->SetCurPage(State->CurPageIndex);
        return;
    }
    if (qpDesignerRestricted(qpdrDontModifyObj))
        return;
    const bool isName = qpSameName(name, QStringLiteral("Name"));
    const bool position = qpSameName(name, QStringLiteral("Left")) || qpSameName(name, QStringLiteral("Top"));
    const bool extent = qpSameName(name, QStringLiteral("Width")) || qpSameName(name, QStringLiteral("Height"));
    QList<TqpView *> changing;
    for (TqpView *o : sel) {
        if (!State->MayModify(o) || (position && !State->MayMove(o)) || (extent && !State->MayResize(o)))
            continue;
        if (isName && State->Report->FindObject(v.toString()))
            continue;
        changing.append(o);
    }
    if (changing.isEmpty())
        return;
    QRect area = State->SelectionArea();
    State->AddUndoAction(acEdit, changing);
    for (TqpView *o : std::as_const(changing)) {
        if (isName)
            for (TqpView *b : std::as_const(page->Items))
                if (auto *band = dynamic_cast<TqpBandView *>(b); band && qpSameName(band->ChildBand, o->Name))
                    band->ChildBand = v.toString();
        o->SetPropValue(name, v);
    }
    area |= State->SelectionArea();
    emit State->pageChanged();
    State->Redraw(area);
    State->ShowPosition();
}

void TqpDesignerCommands::DoClick(int tag, const Variant &value)
{
    // Box texts are read before anything is recorded, so a refused one changes nothing.
    float frameWidth = 0;
    int fontSize = 0;
    if (tag == ptFrameWidth) {
        frameWidth = float(qpTypedNumber(value.toString()));
        if (frameWidth < 0)
            throw EConvertError(qpLoadStr(59782).arg(QStringLiteral("FrameWidth")));
    } else if (tag == ptFontSize) {
        fontSize = qpStrToInt(value.toString().trimmed());
        if (fontSize <= 0)
            throw EConvertError(qpLoadStr(59785).arg(QStringLiteral("Font.Size")));
    }
    QList<TqpView *> changing;
    for (TqpView *v : State->Selection())
        if (State->MayModify(v) && !isBand(v))
            changing.append(v);
    TqpObjectDefaults &d = State->Defaults;
    if (!changing.isEmpty())
        State->AddUndoAction(acEdit, changing);
    const auto frameBit = [&](quint16 bit) {
        for (TqpView *v : std::as_const(changing))
            v->FrameTyp = value.toBool() ? v->FrameTyp | bit : v->FrameTyp & ~bit;
    };
    const auto eachText = [&](const std::function<void(TqpMemoView *)> &change) {
        for (TqpView *v : std::as_const(changing))
            if (auto *m = dynamic_cast<TqpMemoView *>(v))
                change(m);
    };
    const auto styleBit = [&](int codeBit) {
        eachText([&](TqpMemoView *m) {
            int code = qpGetFontStyle(m->Font.Style);
            code = value.toBool() ? code | codeBit : code & ~codeBit;
            m->Font.Style = qpSetFontStyle(code);
            d.FontStyle = m->Font.Style;
        });
    };
    const auto alignment = [&](int mask, int bits) {
        eachText([&](TqpMemoView *m) {
            m->Alignment = (m->Alignment & ~mask) | bits;
            d.Alignment = m->Alignment;
        });
    };
    switch (tag) {
    case ptFrameTop: frameBit(qpftTop); break;
    case ptFrameLeft: frameBit(qpftLeft); break;
    case ptFrameBottom: frameBit(qpftBottom); break;
    case ptFrameRight: frameBit(qpftRight); break;
    case ptFillColor:
        for (TqpView *v : std::as_const(changing))
            v->FillColor = quint32(value.toInt());
        d.FillColor = quint32(value.toInt());
        break;
    case ptFrameWidth:
        for (TqpView *v : std::as_const(changing)) {
            v->FrameWidth = frameWidth;
            (v->Kind == vkLine ? d.LineWidth : d.FrameWidth) = frameWidth;
        }
        break;
    case ptFontName:
        eachText([&](TqpMemoView *m) { m->Font.Name = value.toString(); });
        d.FontName = value.toString();
        break;
    case ptFontSize:
        eachText([&](TqpMemoView *m) { m->Font.Size = fontSize; });
        d.FontSize = fontSize;
        break;
    case ptBold: styleBit(2); break;
    case ptItalic: styleBit(1); break;
    case ptUnderline: styleBit(4); break;
    case ptAlignLeft: alignment(3, 0); break;
    case ptAlignRight: alignment(3, qptaRight); break;
    case ptAlignCenter: alignment(3, qptaCenter); break;
    case ptAlignJustify: alignment(3, qptaJustify); break;
    case ptRotation: alignment(qptaVertical, value.toBool() ? qptaVertical : 0); break;
    case ptVertical: alignment(qptaMiddle | qptaDown, value.toInt() & (qptaMiddle | qptaDown)); break;
    case ptFontColor:
        eachText([&](TqpMemoView *m) { m->Font.Color = quint32(value.toInt()); });
        d.FontColor = quint32(value.toInt());
        break;
    case ptFrameColor:
        for (TqpView *v : std::as_const(changing))
            v->FrameColor = quint32(value.toInt());
        d.FrameColor = quint32(value.toInt());
        break;
    case ptAllFrames:
        for (TqpView *v : std::as_const(changing))
            v->FrameTyp |= 0x0F;
        d.FrameTyp = 15;
        break;
    case ptNoFrames:
        for (TqpView *v : std::as_const(changing))
            v->FrameTyp &= 0xFFF0;
        d.FrameTyp = 0;
        break;
    default:
        if (tag >= ptLineStyle && tag <= ptLineStyle + 5)
            for (TqpView *v : std::as_const(changing))
                v->FrameStyle = quint16(tag - ptLineStyle);
        break;
    }
    State->Redraw(State->SelectionArea());
    State->ShowPosition();
    if (tag == ptAllFrames || tag == ptNoFrames)
        State->SelectionChanged();
}
