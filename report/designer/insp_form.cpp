#include "report/designer/insp_form.h"

#include "platform/modal_seam.h"
#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/names.h"
#include "report/core/string_table.h"
#include "report/designer/color_selector.h"
#include "report/designer/designer_state.h"
#include "report/expr/expr_globals.h"
#include "report/model/page.h"
#include "report/model/report.h"

#include <QColorDialog>
#include <QComboBox>
#include <QHash>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr QRgb kValueColour = qRgb(0, 0, 0x80); // navy
constexpr int kButtonWidth = 14;

QString fixed2(double x) { return QString::number(x, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(',')); }

QString general4(double x) { return QString::number(x, 'g', 4).replace(QLatin1Char('.'), QLatin1Char(',')); }


} // namespace

void TProp::SetValue(const Variant &v)
{
    Text = v.toString();
    if (Text.isEmpty())
        return;
    if (Has(qpdtFloat)) {
        double x;
        if (qpTryStrToFloat(Text, QLatin1Char(','), x))
            Text = fixed2(x);
    } else if (Has(qpdtBoolean)) {
        int32_t i;
        if (Text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || (qpTryStrToInt(Text, i) && i != 0))
            Text = QStringLiteral("True");
        else if (Text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || (qpTryStrToInt(Text, i) && i == 0))
            Text = QStringLiteral("False");
    } else if (Has(qpdtColor)) {
        int32_t i;
        if (qpTryStrToInt(Text, i)) {
            const quint32 c = quint32(i);
            const auto it = std::find(qpColors, qpColors + qpColorCount, c);
            Text = it != qpColors + qpColorCount ? QLatin1String(qpColorNames[it - qpColors])
                                                 : QStringLiteral("$%1").arg(c, 6, 16, QLatin1Char('0')).toUpper();
        }
    } else if (Has(qpdtEnum) && !EnumValues.isEmpty()) {
        int32_t i;
        if (qpTryStrToInt(Text, i))
            for (int k = 0; k < EnumValues.size() && k < Enum.size(); ++k)
                if (EnumValues.at(k).toInt() == i) {
                    Text = Enum.at(k);
                    break;
                }
    }
}

Variant TProp::GetValue() const
{
    if (Has(qpdtString) || (Has(qpdtEnum) && EnumValues.isEmpty()))
        return Variant(Text);
    if (Has(qpdtInteger))
        return Variant(qpStrToInt(Text));
    if (Has(qpdtFloat))
        return Variant(qpTypedNumber(Text));
    if (Has(qpdtBoolean))
        return Variant(!(Text.isEmpty() || Text == QLatin1String("0")
                         || Text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0));
    if (Has(qpdtColor)) {
        for (int k = 0; k < qpColorCount; ++k)
            if (Text.compare(QLatin1String(qpColorNames[k]), Qt::CaseInsensitive) == 0)
                return Variant(int(qpColors[k]));
        int32_t i;
        if (!qpTryStrToInt(Text, i))
            throw EConvertError(qpLoadStr(59781).arg(Text));
        return Variant(i);
    }
    if (Has(qpdtEnum)) {
        const int k = Enum.indexOf(Text);
        return k >= 0 && k < EnumValues.size() ? EnumValues.at(k) : Variant(qpStrToInt(Text));
    }
    return Variant::null();
}

// The painted grid of names and values; the edit box and buttons lie over it.
class TqpInspGrid : public QWidget {
public:
    explicit TqpInspGrid(TqpInspForm *form) : QWidget(form), m_form(form)
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::NoFocus);
    }

    int rowAt(int y) const { return y / m_form->m_rowHeight; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().button());
        const int h = m_form->m_rowHeight, split = m_form->m_splitPos;
        for (int i = 0; i < m_form->RowCount(); ++i) {
            const QRect row(0, i * h, width(), h);
            if (i == m_form->m_itemIndex) {
                // The current row sunken.
                p.setPen(palette().shadow().color());
                p.drawLine(row.topLeft(), row.topRight());
                p.setPen(palette().light().color());
                p.drawLine(row.bottomLeft(), row.bottomRight());
            } else {
                p.setPen(Qt::gray);
                p.drawLine(row.bottomLeft(), row.bottomRight());
            }
            p.setPen(Qt::black);
            p.drawText(QRect(5, row.top(), split - 7, h), Qt::AlignVCenter | Qt::TextSingleLine,
                       m_form->displayName(i));
            p.setPen(QColor(kValueColour));
            p.drawText(QRect(split + 2, row.top(), width() - split - 2, h), Qt::AlignVCenter | Qt::TextSingleLine,
                       m_form->m_props.at(i).Text);
        }
        p.setPen(Qt::gray);
        p.drawLine(split, 0, split, m_form->RowCount() * h);
    }

    void mousePressEvent(QMouseEvent *e) override
    {
        const int x = int(e->position().x());
        if (std::abs(x - m_form->m_splitPos) <= 2) {
            m_dragging = true;
            return;
        }
        const int row = rowAt(int(e->position().y()));
        if (row >= 0 && row < m_form->RowCount()) {
            m_form->SetItemIndex(row);
            m_form->m_edit->setFocus();
        }
    }

    void mouseMoveEvent(QMouseEvent *e) override
    {
        const int x = int(e->position().x());
        if (m_dragging) {
            if (x > 5)
                m_form->SetSplitPos(x);
            return;
        }
        setCursor(std::abs(x - m_form->m_splitPos) <= 2 ? Qt::SplitHCursor : Qt::ArrowCursor);
    }

    void mouseReleaseEvent(QMouseEvent *) override { m_dragging = false; }
    void resizeEvent(QResizeEvent *) override { m_form->placeEditor(); }

    void mouseDoubleClickEvent(QMouseEvent *e) override
    {
        const int row = rowAt(int(e->position().y()));
        if (row >= 0 && row < m_form->RowCount())
            m_form->RowDoubleClick(row);
    }

private:
    TqpInspForm *m_form;
    bool m_dragging = false;
};

TqpInspForm::TqpInspForm(TqpDesignerState *state, QWidget *parent)
    : QWidget(parent), State(state), Commands(state)
{
    setWindowTitle(qpLoadStr(59780));
    setObjectName(QStringLiteral("qpInspForm"));
    m_objectBox = new QComboBox(this);
    m_objectBox->setEditable(true);
    m_objectBox->lineEdit()->setReadOnly(true);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_grid = new TqpInspGrid(this);
    m_scroll->setWidget(m_grid);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_objectBox);
    layout->addWidget(m_scroll, 1);

    m_rowHeight = QFontMetrics(font()).height() + 3;
    m_edit = new QLineEdit(m_grid);
    m_edit->setFrame(false);
    m_edit->hide();
    m_edit->installEventFilter(this);
    m_editorButton = new QToolButton(m_grid);
    m_editorButton->setText(QStringLiteral("…"));
    m_editorButton->setFocusPolicy(Qt::NoFocus);
    m_editorButton->hide();
    m_dropButton = new QToolButton(m_grid);
    m_dropButton->setArrowType(Qt::DownArrow);
    m_dropButton->setFocusPolicy(Qt::NoFocus);
    m_dropButton->hide();
    m_dropList = new QListWidget(this);
    m_dropList->setWindowFlags(Qt::Popup);
    m_dropList->hide();

    connect(m_editorButton, &QToolButton::clicked, this, [this] { openEditor(m_itemIndex); });
    connect(m_dropButton, &QToolButton::clicked, this, [this] {
        if (m_dropList->isVisible())
            m_dropList->hide();
        else
            ShowDropList();
    });
    connect(m_dropList, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        m_dropList->hide();
        SetItemValue(item->text());
    });
    connect(m_objectBox, &QComboBox::activated, this,
            [this](int index) { State->SelectObject(m_objectBox->itemText(index)); });
    connect(State, &TqpDesignerState::selectionChanged, this, &TqpInspForm::FillInspFields);
    connect(State, &TqpDesignerState::positionChanged, this, &TqpInspForm::FillInspFields);
    connect(State, &TqpDesignerState::pageChanged, this, &TqpInspForm::FillInspFields);
    FillInspFields();
}

QWidget *TqpInspForm::Grid() const { return m_grid; }

void TqpInspForm::ClearProperties()
{
    m_props.clear();
    m_names.clear();
}

void TqpInspForm::AddProperty(const QString &name, const Variant &value, TqpDataTypes types,
                              const TqpPropEditor &editor, const QStringList &enumItems,
                              const QList<Variant> &enumValues)
{
    TProp prop;
    prop.DataType = types;
    prop.Editor = editor;
    prop.Enum = enumItems;
    prop.EnumValues = enumValues;
    prop.SetValue(value);
    m_names.append(name);
    m_props.append(prop);
}

int TqpInspForm::RowOf(const QString &name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (qpSameName(m_names.at(i), name))
            return i;
    return -1;
}

namespace {

// The alias table: messages from 58001 up to the first missing one, each
// "name=alias"; an entry without an alias is left out.
const QHash<QString, QString> &propertyAliases()
{
    static const QHash<QString, QString> aliases = [] {
        QHash<QString, QString> table;
        for (int id = 58001; qpHasStr(id); ++id) {
            const QString entry = qpLoadStr(id);
            const qsizetype eq = entry.indexOf(QLatin1Char('='));
            if (eq > 0 && eq + 1 < entry.size())
                table.insert(entry.left(eq), entry.mid(eq + 1));
        }
        return table;
    }();
    return aliases;
}

} // namespace

QString TqpInspForm::displayName(int row) const
{
    const QString &name = m_names.at(row);
    return m_localizedNames ? propertyAliases().value(name, name) : name;
}

void TqpInspForm::SetLocalizedNames(bool on)
{
    m_localizedNames = on;
    m_grid->update();
}

void TqpInspForm::FillInspFields()
{
    if (m_applying)
        return;
    TqpPage *page = State->Page();
    ClearProperties();
    m_titleObject = nullptr;
    m_titleName.clear();
    if (!page) {
        ItemsChanged();
        return;
    }
    const QList<TqpView *> sel = State->Selection();
    QList<TqpObject *> objects;
    for (TqpView *v : sel)
        objects.append(v);
    if (objects.isEmpty())
        objects.append(page);

    QStringList names;
    for (const TqpPropRec &rec : objects.first()->PropList())
        if (rec.PropType)
            names.append(rec.PropName);
    for (int i = 1; i < objects.size(); ++i)
        names.erase(std::remove_if(names.begin(), names.end(),
                                   [o = objects.at(i)](const QString &n) { return !o->GetPropRec(n); }),
                    names.end());
    if (objects.size() >= 2)
        names.erase(std::remove_if(names.begin(), names.end(),
                                   [o = objects.first()](const QString &n) {
                                       return o->GetPropRec(n)->PropType & (1u << qpdtOneObject);
                                   }),
                    names.end());
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });

    if (sel.isEmpty()) {
        m_titleObject = page;
        m_titleName = QStringLiteral("Page%1").arg(State->CurPageIndex + 1);
    } else if (sel.size() == 1) {
        m_titleObject = sel.first();
        m_titleName = sel.first()->Name;
    }

    const bool dialog = page->PageType == ptDialog;
    TqpObject *last = objects.last();
    for (const QString &name : std::as_const(names)) {
        const TqpPropRec *rec = last->GetPropRec(name);
        const bool editorOnly = (rec->PropType & (1u << qpdtHasEditor)) && !(rec->PropType & (1u << qpdtString));
        Variant value(QStringLiteral("-"));
        if (editorOnly) {
            value = Variant(QStringLiteral("(") + name + QStringLiteral(")"));
        } else {
            bool first = true;
            for (TqpObject *o : std::as_const(objects)) {
                const Variant read = o->GetPropValue(name);
                if (first)
                    value = read;
                else if (read.toString() != value.toString())
                    value = Variant(QString());
                first = false;
            }
        }
        TqpDataTypes types = rec->PropType;
        const bool size = types & (1u << qpdtSize);
        const bool inUnits = size && !dialog && State->Units != ruPixels;
        if (size && !value.toString().isEmpty()) {
            const double x = value.toReal();
            value = Variant(inUnits ? fixed2(PointsToUnits(x, State->Units)) : general4(x));
        }
        if (types == (1u << qpdtSize))
            types = inUnits ? qpdt({qpdtFloat, qpdtSize}) : qpdt({qpdtInteger, qpdtSize});
        AddProperty(name, value, types, rec->PropEditor, rec->Enum, rec->EnumValues);
        // Sizes are already in their shown form.
        if (size)
            m_props.last().Text = value.toString();
    }
    ItemsChanged();
}

void TqpInspForm::ItemsChanged()
{
    m_grid->setMinimumHeight(RowCount() * m_rowHeight);
    int row = RowOf(m_currentName);
    if (row < 0)
        row = RowCount() > 0 ? 0 : -1;
    m_itemIndex = -1;
    SetItemIndex(row);
    refillObjectBox();
    m_grid->update();
}

void TqpInspForm::refillObjectBox()
{
    const QSignalBlocker block(m_objectBox);
    m_objectBox->clear();
    if (TqpPage *page = State->Page())
        for (const TqpView *v : std::as_const(page->Items))
            m_objectBox->addItem(v->Name);
    for (int i = 1; i <= State->Report->Pages.GetCount(); ++i)
        m_objectBox->addItem(QStringLiteral("Page%1").arg(i));
    QString shown;
    if (auto *v = dynamic_cast<TqpView *>(m_titleObject))
        shown = m_titleName + QStringLiteral(": ") + v->ClassName();
    else if (m_titleObject)
        shown = m_titleName + QStringLiteral(": TqpPage");
    m_objectBox->setEditText(shown);
}

QSize TqpInspForm::sizeHint() const
{
    return QSize(m_splitPos + 150, QWidget::sizeHint().height());
}

void TqpInspForm::Grow()
{
    show();
    raise();
    SetFolded(false);
}

void TqpInspForm::SetFolded(bool folded)
{
    m_folded = folded;
    m_objectBox->setVisible(!folded);
    m_scroll->setVisible(!folded);
    emit heightChanged();
}

void TqpInspForm::SetSplitPos(int pos)
{
    m_splitPos = std::max(pos, 20);
    placeEditor();
    m_grid->update();
}

bool TqpInspForm::typedRow(int row) const
{
    const TProp &p = m_props.at(row);
    const bool editorOnly = p.Has(qpdtHasEditor) && !p.Has(qpdtString);
    return !(p.Has(qpdtBoolean) || p.Has(qpdtColor) || p.Has(qpdtEnum) || editorOnly);
}

void TqpInspForm::SetItemIndex(int index)
{
    if (index >= RowCount())
        index = RowCount() - 1;
    if (m_itemIndex >= 0 && m_itemIndex < RowCount() && m_edit->isModified() && index != m_itemIndex)
        applyEdit();
    m_itemIndex = index;
    m_dropList->hide();
    if (index < 0) {
        m_edit->hide();
        m_editorButton->hide();
        m_dropButton->hide();
        return;
    }
    m_currentName = m_names.at(index);
    const TProp &p = m_props.at(index);
    m_edit->setText(p.Text);
    m_edit->setModified(false);
    m_edit->selectAll();
    m_edit->setReadOnly(p.Has(qpdtHasEditor) && !p.Has(qpdtString));
    m_editorButton->setVisible(p.Has(qpdtHasEditor));
    m_dropButton->setVisible(p.Has(qpdtBoolean) || p.Has(qpdtColor) || p.Has(qpdtEnum));
    placeEditor();
    m_edit->show();
    m_scroll->ensureVisible(0, index * m_rowHeight + m_rowHeight / 2, 0, m_rowHeight);
    m_grid->update();
}

void TqpInspForm::placeEditor()
{
    if (m_itemIndex < 0)
        return;
    const int top = m_itemIndex * m_rowHeight + 1, h = m_rowHeight - 2;
    int right = m_grid->width();
    for (QToolButton *b : {m_editorButton, m_dropButton})
        if (!b->isHidden()) {
            right -= kButtonWidth;
            b->setGeometry(right, top, kButtonWidth, h);
        }
    m_edit->setGeometry(m_splitPos + 2, top, std::max(right - m_splitPos - 2, 10), h);
}

void TqpInspForm::applyEdit() { SetItemValue(m_edit->text()); }

void TqpInspForm::SetItemValue(const QString &text)
{
    const int row = m_itemIndex;
    if (row < 0)
        return;
    m_edit->setModified(false);
    const QString name = m_names.at(row);
    TProp &p = m_props[row];
    if (!(text.isEmpty() && qpSameName(name, QStringLiteral("Name"))))
        p.Text = text;
    try {
        const Variant value = p.GetValue();
        m_applying = true;
        Commands.OnModify(name, p.DataType, value);
        m_applying = false;
    } catch (const EqpError &e) {
        m_applying = false;
        UiSeam::MessageBox(this, QMessageBox::Warning, qpLoadStr(59784), e.message(), QMessageBox::Ok);
    }
    // The grid shows what the objects hold now, whether the value was taken or not.
    m_currentName = name;
    FillInspFields();
    SetItemIndex(row < RowCount() ? row : 0);
}

void TqpInspForm::openEditor(int row)
{
    if (row < 0 || !m_props.at(row).Editor || !m_titleObject)
        return;
    m_props.at(row).Editor(m_titleObject);
    State->AfterChange();
    FillInspFields();
}

void TqpInspForm::RowDoubleClick(int row)
{
    SetItemIndex(row);
    const TProp &p = m_props.at(row);
    if (p.Has(qpdtHasEditor)) {
        openEditor(row);
    } else if (p.Has(qpdtColor)) {
        QColorDialog dialog(this);
        try {
            dialog.setCurrentColor(qpToQColor(quint32(p.GetValue().toInt())));
        } catch (const EqpError &) {
            // A colour the objects do not share starts the dialog at black.
        }
        if (UiSeam::ShowModal(&dialog) == QDialog::Accepted)
            SetItemValue(
                QStringLiteral("$%1").arg(qpFromQColor(dialog.selectedColor()), 6, 16, QLatin1Char('0')).toUpper());
    } else if (p.Has(qpdtBoolean)) {
        SetItemValue(p.Text == QLatin1String("True") ? QStringLiteral("False") : QStringLiteral("True"));
    } else if (p.Has(qpdtEnum) && !p.Enum.isEmpty()) {
        const int k = p.Enum.indexOf(p.Text);
        SetItemValue(p.Enum.at(k < 0 || k + 1 >= p.Enum.size() ? 0 : k + 1));
    }
}

void TqpInspForm::ShowDropList()
{
    if (m_itemIndex < 0)
        return;
    const TProp &p = m_props.at(m_itemIndex);
    QStringList items;
    if (p.Has(qpdtBoolean))
        items = {QStringLiteral("False"), QStringLiteral("True")};
    else if (p.Has(qpdtColor))
        for (int k = 0; k < qpColorCount; ++k)
            items.append(QLatin1String(qpColorNames[k]));
    else if (p.Has(qpdtEnum))
        items = p.Enum;
    if (items.isEmpty())
        return;
    m_dropList->clear();
    m_dropList->addItems(items);
    const int current = items.indexOf(m_edit->text());
    if (current >= 0)
        m_dropList->setCurrentRow(current);
    int widest = 0;
    for (const QString &s : std::as_const(items))
        widest = std::max(widest, m_dropList->fontMetrics().horizontalAdvance(s));
    const int rowH = m_dropList->sizeHintForRow(0);
    const bool scrolled = items.size() > 8;
    const int w = widest + 8 + (scrolled ? 16 : 0);
    const int h = rowH * int(scrolled ? 8 : items.size()) + 4;
    const QPoint under = m_edit->mapToGlobal(QPoint(0, m_edit->height()));
    int x = m_grid->mapToGlobal(QPoint(m_splitPos, 0)).x();
    if (w > m_grid->width() - m_splitPos)
        x = m_grid->mapToGlobal(QPoint(m_grid->width(), 0)).x() - w;
    m_dropList->setGeometry(std::max(x, 0), under.y(), w, h);
    m_dropList->show();
    m_dropList->setFocus();
}

bool TqpInspForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit || m_itemIndex < 0)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const TProp &p = m_props.at(m_itemIndex);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (p.Has(qpdtHasEditor))
                openEditor(m_itemIndex);
            else if (m_edit->isModified())
                applyEdit();
            return true;
        case Qt::Key_Escape:
            m_edit->setText(p.Text);
            m_edit->setModified(false);
            m_edit->selectAll();
            return true;
        case Qt::Key_Up:
            if (m_itemIndex > 0)
                SetItemIndex(m_itemIndex - 1);
            return true;
        case Qt::Key_Down:
            if (m_itemIndex + 1 < RowCount())
                SetItemIndex(m_itemIndex + 1);
            return true;
        default:
            break;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        RowDoubleClick(m_itemIndex);
        return true;
    } else if (event->type() == QEvent::FocusOut) {
        auto *focus = static_cast<QFocusEvent *>(event);
        // Leaving for the drop-down list is not leaving the inspector.
        if (focus->reason() != Qt::PopupFocusReason && m_edit->isModified() && typedRow(m_itemIndex))
            applyEdit();
    }
    return QWidget::eventFilter(watched, event);
}
