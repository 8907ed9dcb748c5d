#include "db_grid.h"

#include "application.h"
#include "db_error.h"
#include "edit_mask.h"
#include "modal_seam.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <optional>

// The rows and columns of the grid, read from the data set on demand.
class TDBGridModel : public QAbstractTableModel {
public:
    explicit TDBGridModel(QObject *parent) : QAbstractTableModel(parent) {}

    QPointer<TDataSource> source;
    QList<TColumn> columns;
    bool editable = true;

    TDataSet *dataSet() const
    {
        TDataSet *ds = source ? source->DataSet() : nullptr;
        return ds && ds->Active() ? ds : nullptr;
    }

    QList<TColumn> effectiveColumns() const
    {
        if (!columns.isEmpty())
            return columns;
        QList<TColumn> all;
        if (const TDataSet *ds = dataSet())
            for (const TField *f : ds->Fields())
                all.append({f->FieldName(), QString(), 64});
        return all;
    }

    TField *fieldAt(int column) const
    {
        const TDataSet *ds = dataSet();
        const QList<TColumn> cols = effectiveColumns();
        return ds && column >= 0 && column < cols.size() ? ds->FindField(cols[column].FieldName) : nullptr;
    }

    int currentRow() const
    {
        const TDataSet *ds = dataSet();
        return ds ? ds->RecNo() - 1 : -1;
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        const TDataSet *ds = dataSet();
        if (parent.isValid() || !ds)
            return 0;
        return ds->RecordCount() + (ds->InsertPosition() >= 0 ? 1 : 0);
    }

    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(effectiveColumns().size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const TField *f = fieldAt(index.column());
        if (!f)
            return QVariant();
        switch (role) {
        case Qt::DisplayRole:
            return f->displayTextOf(values(index.row()).value(f->Index()));
        case Qt::EditRole:
            return f->textOf(values(index.row()).value(f->Index()));
        case Qt::TextAlignmentRole:
            return f->DataType() == ftFloat || f->DataType() == ftCurrency ? int(Qt::AlignRight | Qt::AlignVCenter)
                                                                           : int(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return QVariant();
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return QVariant();
        if (orientation == Qt::Vertical) {
            if (section != currentRow())
                return QString();
            switch (source ? source->State() : dsInactive) {
            case dsEdit: return QStringLiteral("I");
            case dsInsert: return QStringLiteral("*");
            default: return QStringLiteral("▶");
            }
        }
        const QList<TColumn> cols = effectiveColumns();
        if (section < 0 || section >= cols.size())
            return QVariant();
        if (!cols[section].Title.isEmpty())
            return cols[section].Title;
        const TField *f = fieldAt(section);
        return f && !f->DisplayLabel.isEmpty() ? f->DisplayLabel : cols[section].FieldName;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const TField *f = fieldAt(index.column());
        if (editable && f && !f->Calculated() && !f->IsBlob() && index.row() == currentRow())
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    // Raises when the field refuses the text.
    void writeCell(const QModelIndex &index, const QString &text)
    {
        TField *f = fieldAt(index.column());
        TDataSet *ds = dataSet();
        if (!f || !ds || index.row() != currentRow())
            return;
        if (ds->State() == dsBrowse)
            ds->Edit();
        f->setAsString(text);
    }

    // Follows the data set: a change in the number of rows rebuilds the
    // view; a change of the records repaints it, so an open cell editor
    // survives the record entering edit state; a mere move repaints the row
    // left and the row reached. Only those two row headers ever change (the
    // indicator), so only they are announced: a header change costs the
    // view a walk over every row.
    void refresh()
    {
        m_cache.reset();
        const TDataSet *ds = dataSet();
        const quint64 version = ds ? ds->RecordsVersion() : 0;
        const int indicator = currentRow();
        if (rowCount() != m_rows || columnCount() != m_columns) {
            beginResetModel();
            m_rows = rowCount();
            m_columns = columnCount();
            m_version = version;
            m_indicator = indicator;
            endResetModel();
            return;
        }
        if (version != m_version) {
            m_version = version;
            if (m_rows > 0 && m_columns > 0)
                emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
        } else if (indicator != m_indicator) {
            refreshRow(m_indicator);
            refreshRow(indicator);
        }
        // The indicator's own row is announced even when it stays: its
        // symbol follows the editing state.
        if (m_indicator != indicator && m_indicator >= 0 && m_indicator < m_rows)
            emit headerDataChanged(Qt::Vertical, m_indicator, m_indicator);
        if (indicator >= 0 && indicator < m_rows)
            emit headerDataChanged(Qt::Vertical, indicator, indicator);
        m_indicator = indicator;
    }

    void refreshCurrentRow()
    {
        m_cache.reset();
        refreshRow(currentRow());
    }

private:
    void refreshRow(int row)
    {
        if (row >= 0 && row < m_rows && m_columns > 0)
            emit dataChanged(index(row, 0), index(row, m_columns - 1));
    }

    QVector<QVariant> values(int row) const
    {
        if (!m_cache || m_cache->first != row) {
            TDataSet *ds = dataSet();
            m_cache.emplace(row, ds ? ds->RecordValues(row) : QVector<QVariant>());
        }
        return m_cache->second;
    }

    mutable std::optional<std::pair<int, QVector<QVariant>>> m_cache;
    int m_rows = 0;
    int m_columns = 0;
    quint64 m_version = 0; // the data set's records as last shown
    int m_indicator = -1;  // the row whose header shows the indicator
};

// Cell editors: a line editor carrying the field's edit mask and size.
class TDBGridDelegate : public QStyledItemDelegate {
public:
    TDBGridDelegate(TDBGridModel *model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        const TField *f = m_model->fieldAt(index.column());
        TDataSet *ds = m_model->dataSet();
        if (!f || !ds)
            return nullptr;
        // Opening a cell for typing starts editing the record.
        bool editing = false;
        Guarded([&] {
            if (ds->State() == dsBrowse)
                ds->Edit();
            editing = ds->State() == dsEdit || ds->State() == dsInsert;
        });
        if (!editing)
            return nullptr;
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setInputMask(QtInputMask(f->EditMask));
        if (editor->inputMask().isEmpty() && f->DataType() == ftString && f->Size() > 0)
            editor->setMaxLength(f->Size());
        m_editor = editor;
        m_index = index;
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *line = static_cast<QLineEdit *>(editor);
        if (!line->isModified())
            line->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        Guarded([&] { write(static_cast<QLineEdit *>(editor), index); });
    }

    // Writes the open editor's text, if the operator typed any.
    void writeOpenEditor() const
    {
        if (m_editor && m_index.isValid())
            write(m_editor, m_index);
    }

    QLineEdit *openEditor() const { return m_editor; }
    void editorClosed() { m_editor = nullptr; }

private:
    void write(QLineEdit *editor, const QModelIndex &index) const
    {
        if (!editor->isModified())
            return;
        ValidateMaskedText(*editor);
        m_model->writeCell(index, editor->text());
        editor->setModified(false);
    }

    TDBGridModel *m_model;
    mutable QPointer<QLineEdit> m_editor;
    mutable QPersistentModelIndex m_index;
};

TDBGrid::TDBGrid(QWidget *parent)
    : QTableView(parent), m_model(new TDBGridModel(this)), m_delegate(new TDBGridDelegate(m_model, this))
{
    setModel(m_model);
    setItemDelegate(m_delegate);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumWidth(12);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(false);
    applyOptions();
    connect(m_model, &QAbstractItemModel::modelReset, this, &TDBGrid::applyWidths);
    // A reset drops open editors without a word to the delegate.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_delegate->editorClosed(); });
}

TDBGrid::~TDBGrid() = default;

TDataSet *TDBGrid::dataSet() const { return m_model->dataSet(); }

TDataSource *TDBGrid::DataSource() const { return m_model->source; }

void TDBGrid::setDataSource(TDataSource *source)
{
    if (m_model->source)
        disconnect(m_model->source, nullptr, this, nullptr);
    m_model->source = source;
    if (source) {
        connect(source, &TDataSource::dataChanged, this, [this] {
            // The record under an open cell editor may have moved or been
            // dropped: its text no longer belongs anywhere.
            if (QLineEdit *editor = m_delegate->openEditor(); editor && state() == QAbstractItemView::EditingState)
                closeEditor(editor, QAbstractItemDelegate::NoHint);
            m_model->refresh();
            syncToCursor();
        });
        connect(source, &TDataSource::stateChanged, this, [this] {
            m_model->refresh();
            syncToCursor();
        });
        connect(source, &TDataSource::fieldChanged, this, [this] { m_model->refreshCurrentRow(); });
        connect(source, &TDataSource::updateRecord, this, &TDBGrid::UpdateRecord);
    }
    m_model->refresh();
    // Fitted widths depend on the fields, known only now.
    applyWidths();
    syncToCursor();
}

void TDBGrid::setColumns(const QList<TColumn> &columns)
{
    m_model->columns = columns;
    m_model->refresh();
    applyWidths();
}

void TDBGrid::setRowSelect(bool on)
{
    m_rowSelect = on;
    applyOptions();
}

void TDBGrid::setReadOnly(bool on)
{
    m_readOnly = on;
    applyOptions();
}

void TDBGrid::applyOptions()
{
    m_model->editable = !m_readOnly && !m_rowSelect;
    setSelectionBehavior(m_rowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setEditTriggers(m_model->editable ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                                            | QAbstractItemView::EditKeyPressed
                                      : QAbstractItemView::NoEditTriggers);
}

void TDBGrid::applyWidths()
{
    const QList<TColumn> &cols = m_model->columns;
    for (int i = 0; i < cols.size(); ++i)
        setColumnWidth(i, cols[i].Width == TColumn::FitWidth ? fittingWidth(i) : cols[i].Width);
}

int TDBGrid::fittingWidth(int column) const
{
    const int caption = horizontalHeader()->sectionSizeHint(column);
    const TField *f = m_model->fieldAt(column);
    if (!f)
        return caption;
    QString value;
    switch (f->DataType()) {
    case ftString:
        value = QString(f->Size(), QLatin1Char('0'));
        break;
    case ftDate:
        value = f->displayTextOf(QDate(2000, 12, 28));
        break;
    case ftFloat:
        value = f->displayTextOf(9999999999.0);
        break;
    case ftCurrency:
        value = f->displayTextOf(-9999999.99);
        break;
    case ftMemo:
    case ftGraphic:
        value = QString(10, QLatin1Char('0'));
        break;
    }
    // Measured the way the cells are painted, with room for the grid line.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = value;
    const int cell = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width()
                   + (showGrid() ? 1 : 0);
    return std::max(caption, cell);
}

void TDBGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        applyWidths();
}

void TDBGrid::UpdateRecord() { m_delegate->writeOpenEditor(); }

void TDBGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    m_delegate->editorClosed();
    QTableView::closeEditor(editor, hint);
}

void TDBGrid::syncToCursor()
{
    const int row = m_model->currentRow();
    m_syncing = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const int column = std::max(currentIndex().column(), 0);
        setCurrentIndex(m_model->index(row, column));
        scrollTo(currentIndex());
    } else {
        setCurrentIndex(QModelIndex());
    }
    m_syncing = false;
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid() || current.row() == m_model->currentRow())
        return;
    Guarded([&] { moveCursorTo(current.row()); });
    // Whatever the data set decided (or refused), the grid shows its row.
    syncToCursor();
}

void TDBGrid::moveCursorTo(int row)
{
    TDataSet *ds = dataSet();
    if (!ds)
        return;
    if (ds->State() == dsInsert) {
        // The inserted row leaves the grid's numbering when it is settled. A
        // posted row stays current; a dropped one gives way to the target.
        const int pending = ds->InsertPosition();
        const int before = ds->RecordCount();
        ds->CheckBrowseMode();
        if (ds->RecordCount() != before)
            return;
        if (row > pending)
            --row;
    }
    ds->setRecNo(row + 1);
}

void TDBGrid::keyPressEvent(QKeyEvent *event)
{
    TDataSet *ds = dataSet();
    const bool editable = m_model->editable && ds;
    if (ds && state() != QAbstractItemView::EditingState) {
        if (event->key() == Qt::Key_Escape && (ds->State() == dsEdit || ds->State() == dsInsert)) {
            Guarded([ds] { ds->Cancel(); });
            return;
        }
        if (editable && event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
            Guarded([ds] { ds->Insert(); });
            return;
        }
        if (editable && event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
            Guarded([&] {
                if (ConfirmDelete
                    && UiSeam::MessageBox(this, QMessageBox::Question, window()->windowTitle(),
                                          QStringLiteral("Kayıt silinsin mi?"), QMessageBox::Yes | QMessageBox::No)
                           != QMessageBox::Yes)
                    return;
                ds->Delete();
            });
            return;
        }
        if (editable && event->key() == Qt::Key_Down && ds->State() == dsBrowse
            && m_model->currentRow() == m_model->rowCount() - 1) {
            // Going down from the last row opens a new one, as in any data grid.
            Guarded([ds] { ds->Append(); });
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit DblClick();
}
