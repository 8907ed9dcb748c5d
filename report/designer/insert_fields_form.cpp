#include "report/designer/insert_fields_form.h"

#include "data/data_source.h"
#include "platform/canvas/canvas.h"
#include "platform/modal_seam.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/designer/designer_commands.h"
#include "report/designer/designer_state.h"
#include "report/designer/dialog_buttons.h"
#include "report/expr/data_access.h"
#include "report/expr/report_dataset.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/report.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace {

// How many characters a field shows, by its kind; text fields their size.
int displayWidth(const TField *field)
{
    if (!field)
        return 0;
    return field->DataType() == ftString ? field->Size() : 10;
}

int textWidth(const TqpMemoView *m, const QString &text)
{
    TCanvas &c = TempBitmap->Canvas;
    c.Font = TFont{m->Font.Name, -qpRound(m->Font.Size * 96.0 / 72.0), m->Font.Style, m->Font.Color, 0};
    return c.TextWidth(text);
}

// The name reports know the report data set bound to `table` by: its own
// name on the report's owner, else its window's name, a full stop and its name.
QString boundDataSetName(TqpReport *report, TDataSet *table)
{
    QObject *owner = report->parent();
    QStringList names;
    qpGetComponents(owner, TqpDBDataSet::staticMetaObject, names);
    for (const QString &name : std::as_const(names)) {
        auto *ds = qobject_cast<TqpDBDataSet *>(qpFindComponent(owner, name));
        if (ds && (ds->DataSet() == table || (ds->DataSource() && ds->DataSource()->DataSet() == table)))
            return name;
    }
    return {};
}

// Band types that stay at the page's bottom or lie over the whole page:
// new bands go below the others, not below these.
bool outOfFlow(int type) { return type == btPageFooter || type == btColumnFooter || type == btOverlay; }

// Room on a page that already has bands for the objects the wizard lays out:
// rows go into existing bands below what they hold, bands grow and what lies
// below them moves down. Every existing object changed is kept as it was, so
// that one undo puts the page back.
class TPageRoom {
public:
    TPageRoom(TqpPage *page, int grid, const QList<TqpView *> &added) : m_page(page), m_grid(grid), m_added(added) {}

    std::vector<TqpUndoObj> Edited;

    bool HasBands() const
    {
        return std::any_of(m_page->Items.cbegin(), m_page->Items.cend(), [this](const TqpView *v) {
            return v->Kind == vkBand && !m_added.contains(v);
        });
    }

    // The topmost band of the type; none when the page has none.
    TqpView *FirstBand(int type) const
    {
        TqpView *found = nullptr;
        for (TqpView *v : std::as_const(m_page->Items))
            if (isOld(v) && v->Kind == vkBand && v->FrameTyp == type && (!found || v->Top < found->Top))
                found = v;
        return found;
    }

    // The band whose strip holds `y`, edges included; of two, the one page
    // formation fills first (the lower type).
    TqpView *BandAt(int y) const
    {
        TqpView *found = nullptr;
        for (TqpView *v : std::as_const(m_page->Items))
            if (isOld(v) && v->Kind == vkBand && !qpIsCrossBand(v->FrameTyp) && y >= v->Top &&
                y <= v->Top + v->Height && (!found || v->FrameTyp < found->FrameTyp))
                found = v;
        return found;
    }

    // The bottom of the lowest band that keeps its place in the flow of the page, or -1.
    int FlowBottom() const
    {
        int bottom = -1;
        for (const TqpView *v : std::as_const(m_page->Items))
            if (isOld(v) && v->Kind == vkBand && !outOfFlow(v->FrameTyp) && !qpIsCrossBand(v->FrameTyp))
                bottom = std::max(bottom, v->Top + v->Height);
        return bottom;
    }

    // Moves `row` into `band`, one grid step below the objects it holds (at
    // its top when it holds none); a band too low for the row grows, and
    // everything below its old bottom moves down as much.
    void PutRow(const QList<TqpView *> &row, TqpView *band)
    {
        if (row.isEmpty() || !band)
            return;
        int contentBottom = -1;
        for (const TqpView *v : std::as_const(m_page->Items))
            if (isOld(v) && v->Kind != vkBand && v->Top >= band->Top && v->Top <= band->Top + band->Height)
                contentBottom = std::max(contentBottom, v->Top + v->Height);
        const int top = contentBottom < 0 ? band->Top : contentBottom + m_grid;
        int rowTop = row.first()->Top, rowBottom = INT_MIN;
        for (const TqpView *v : row)
            rowTop = std::min(rowTop, v->Top);
        for (TqpView *v : row) {
            v->Top += top - rowTop;
            rowBottom = std::max(rowBottom, v->Top + v->Height);
        }
        const int oldBottom = band->Top + band->Height;
        if (rowBottom <= oldBottom)
            return;
        remember(band);
        band->Height += rowBottom - oldBottom;
        ShiftFrom(oldBottom, rowBottom - oldBottom, band);
    }

    // Moves down every existing object whose top is at `y` or below, but `except`.
    void ShiftFrom(int y, int dy, const TqpView *except = nullptr)
    {
        for (TqpView *v : std::as_const(m_page->Items))
            if (isOld(v) && v != except && v->Top >= y) {
                remember(v);
                v->Top += dy;
            }
    }

    // Moves what lies at `top` or below down just enough to start a grid
    // step below `bottom`.
    void ClearBelow(int top, int bottom)
    {
        int first = INT_MAX;
        for (const TqpView *v : std::as_const(m_page->Items))
            if (isOld(v) && v->Top >= top)
                first = std::min(first, v->Top);
        if (first != INT_MAX && first < bottom + m_grid)
            ShiftFrom(top, bottom + m_grid - first);
    }

private:
    bool isOld(const TqpView *v) const { return !m_added.contains(v); }

    void remember(TqpView *v)
    {
        for (const TqpUndoObj &rec : Edited)
            if (rec.ID == v->ID)
                return;
        Edited.push_back(TqpUndoObj{v->ID, qpCopyObject(v), int(m_page->Items.indexOf(v))});
    }

    TqpPage *m_page;
    int m_grid;
    const QList<TqpView *> &m_added;
};

} // namespace

TqpInsertFieldsForm::TqpInsertFieldsForm(TqpDesignerCommands &commands, QWidget *parent)
    : QDialog(parent), m_commands(commands)
{
    setWindowTitle(qpLoadStr(59795));
    m_dataSets = new QComboBox(this);
    m_fields = new QListWidget(this);
    m_fields->setSelectionMode(QAbstractItemView::MultiSelection);
    auto *arrangement = new QGroupBox(qpLoadStr(59796), this);
    m_horizontal = new QRadioButton(qpLoadStr(59797), arrangement);
    m_vertical = new QRadioButton(qpLoadStr(59798), arrangement);
    m_horizontal->setChecked(true);
    auto *arrangementLayout = new QVBoxLayout(arrangement);
    arrangementLayout->addWidget(m_horizontal);
    arrangementLayout->addWidget(m_vertical);
    m_headers = new QCheckBox(qpLoadStr(59799), this);
    m_headers->setChecked(true);
    m_bands = new QCheckBox(qpLoadStr(59779), this);
    QDialogButtonBox *buttons = qpOkCancelButtons(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_dataSets);
    layout->addWidget(m_fields, 1);
    layout->addWidget(arrangement);
    layout->addWidget(m_headers);
    layout->addWidget(m_bands);
    layout->addWidget(buttons);

    QStringList dataSets;
    commands.State->Report->Dictionary.GetDatasetList(dataSets);
    m_dataSets->addItems(dataSets);
    connect(m_dataSets, &QComboBox::currentIndexChanged, this, &TqpInsertFieldsForm::fillFields);
    fillFields();
}

void TqpInsertFieldsForm::fillFields()
{
    m_fields->clear();
    QStringList fields;
    if (!m_dataSets->currentText().isEmpty())
        m_commands.State->Report->Dictionary.GetFieldList(m_dataSets->currentText(), fields);
    m_fields->addItems(fields);
}

void TqpInsertFieldsForm::Run(TqpDesignerCommands &commands, QWidget *parent)
{
    TqpPage *page = commands.State->Page();
    if (!page || page->PageType == ptDialog || qpDesignerRestricted(qpdrDontCreateObj))
        return;
    TqpInsertFieldsForm form(commands, parent);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return;
    QStringList fields;
    for (int i = 0; i < form.m_fields->count(); ++i)
        if (form.m_fields->item(i)->isSelected())
            fields.append(form.m_fields->item(i)->text());
    if (form.m_dataSets->currentText().isEmpty() || fields.isEmpty())
        return;
    InsertFields(commands, form.m_dataSets->currentText(), fields, form.m_vertical->isChecked(),
                 form.m_headers->isChecked(), form.m_bands->isChecked());
}

void TqpInsertFieldsForm::InsertFields(TqpDesignerCommands &commands, const QString &dataSet,
                                       const QStringList &fields, bool vertical, bool headers, bool bands)
{
    TqpDesignerState *state = commands.State;
    TqpPage *page = state->Page();
    TqpReport *report = state->Report;
    if (!page)
        return;
    state->Unselect();
    CurReport = report;
    const TqpDataDictionary &dict = report->Dictionary;
    QObject *owner = report->parent();
    auto *table = qobject_cast<TDataSet *>(qpFindComponent(owner, dataSet));
    if (!table)
        table = qobject_cast<TDataSet *>(qpFindComponent(owner, dict.GetRealDataSetName(dataSet)));
    const int g = state->GridSize;
    const int lm = page->LeftMargin(), tm = page->TopMargin();
    int x = lm, y = tm;
    int defW, defH;
    state->GetDefaultSize(defW, defH);
    const TqpObjectDefaults &d = state->Defaults;
    QList<TqpView *> created;

    const auto newText = [&](int left, int top) {
        auto *m = static_cast<TqpMemoView *>(qpCreateObject(vkText, QString()));
        m->CreateUniqueName();
        m->SetBounds(left, top, defW, defH);
        m->FrameTyp = d.FrameTyp;
        m->FrameWidth = d.FrameWidth;
        m->FrameColor = d.FrameColor;
        m->FillColor = d.FillColor;
        m->Font = TqpFont{d.FontName, d.FontSize, d.FontStyle, d.FontColor, d.Charset};
        m->Alignment = d.Alignment;
        m->Selected = 1;
        m->OwnerPage = page;
        page->Items.append(m);
        created.append(m);
        return m;
    };

    QList<QPair<TqpMemoView *, TqpMemoView *>> placed; // header (or none), data object
    for (const QString &f : fields) {
        const TField *field = table ? table->FindField(dict.GetRealFieldName(dataSet + QLatin1Char('.') + f)) : nullptr;
        if (!field && table)
            field = table->FindField(f);
        int dw = displayWidth(field);
        if (dw == 0 || dw >= 256)
            dw = 6;
        const QString shownName = field && !field->DisplayLabel.isEmpty() ? field->DisplayLabel : f;
        const QString reference = QStringLiteral("[%1.\"%2\"]").arg(dataSet, f);
        TqpMemoView *first = newText(x, y);
        TqpMemoView *last = first;
        if (headers) {
            first->Font.Style = qpSetFontStyle(qpGetFontStyle(first->Font.Style) | 2);
            first->Memo = QStringList{shownName};
            first->Width = g * (textWidth(first, shownName + QStringLiteral("   ")) / g);
            last = vertical ? newText(x + 2 * g + first->Width, y) : newText(x, y + 72);
            last->Memo = QStringList{reference};
            last->Width = dw * textWidth(last, QStringLiteral("=")) / g * g;
            placed.append(qMakePair(first, last));
        } else {
            first->Memo = QStringList{reference};
            first->Width = g * ((dw * textWidth(first, QStringLiteral("="))) / g);
            placed.append(qMakePair(static_cast<TqpMemoView *>(nullptr), first));
        }
        if (vertical)
            y += g + last->Height;
        else
            x += g + last->Width;
    }

    const int available = page->RightMargin() - lm;
    const int extent = placed.last().second->Left + placed.last().second->Width;
    if (!vertical && extent > available && available > 0) {
        const double k = double(extent) / available;
        for (auto &[header, data] : placed) {
            const int left = lm + qpRound((data->Left - lm) / k);
            data->Width = qpRound(data->Width / k);
            data->Left = left;
            if (header) {
                header->Left = lm + qpRound((header->Left - lm) / k);
                header->Width = std::min(header->Width, data->Width);
            }
        }
    }

    // On a page that already has bands the layout must not land on them:
    // with bands of its own it goes below them, else into them.
    TPageRoom room(page, g, created);
    const bool hadBands = room.HasBands();
    if (bands) {
        int base = tm;
        if (hadBands) {
            const int bottom = room.FlowBottom();
            base = bottom < 0 ? tm : bottom + g;
            for (TqpView *v : std::as_const(created))
                v->Top += base - tm;
        }
        const TqpView *bottomObject = headers ? placed.last().first : placed.last().second;
        const int height = bottomObject->Top + bottomObject->Height - base;
        const bool pageHeader = headers && !vertical;
        const auto newBand = [&](int type, int top) {
            auto *b = static_cast<TqpBandView *>(qpCreateObject(vkBand, QString()));
            b->SetBandType(type);
            b->CreateUniqueName();
            b->SetBounds(0, top, page->SheetWidth(), height);
            b->OwnerPage = page;
            page->Items.append(b);
            created.append(b);
            return b;
        };
        // A page has one page header; the captions then print above the
        // records in a master header instead of in no band at all.
        if (pageHeader)
            newBand(room.FirstBand(btPageHeader) ? btMasterHeader : btPageHeader, base);
        TqpBandView *data = newBand(btMasterData, pageHeader ? base + 72 : base);
        if (table) {
            const QString name = boundDataSetName(report, table);
            if (!name.isEmpty())
                data->FormatStr = name;
        }
        if (hadBands) {
            int bottom = base;
            for (const TqpView *v : std::as_const(created))
                bottom = std::max(bottom, v->Top + v->Height);
            room.ClearBelow(base, bottom);
        }
    } else if (hadBands) {
        // Captions above the records in the page header, the data objects
        // in the master data band, so that they print once per record.
        QList<TqpView *> captions, data;
        for (const auto &[header, object] : std::as_const(placed)) {
            if (header)
                (vertical ? data : captions).append(header);
            data.append(object);
        }
        if (!captions.isEmpty()) {
            TqpView *band = room.FirstBand(btPageHeader);
            room.PutRow(captions, band ? band : room.BandAt(captions.first()->Top));
        }
        TqpView *band = room.FirstBand(btMasterData);
        room.PutRow(data, band ? band : room.BandAt(data.first()->Top));
    }
    state->SelectionChanged();
    state->ArrangeBands();
    state->GetMultipleSelected();
    emit state->pageChanged();
    state->Redraw();
    state->AddUndoAction(acInsert, created, std::move(room.Edited));
}
