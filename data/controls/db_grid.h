#pragma once
// A grid over the records of a data source: one row per visible record, a
// row indicator (current record, edit, insert), columns with titles and
// widths. Moving the selection moves the cursor (settling a pending record
// first); where editing is allowed, typing into a cell edits the current
// record in place.

#include <QTableView>

#include "data_source.h"

class TDBGridModel;
class TDBGridDelegate;

struct TColumn {
    // A width that fits the column to its caption and to a value of its
    // field's full size (every character a field holds, a whole date), in
    // the fonts the grid actually shows them in.
    static constexpr int FitWidth = 0;

    QString FieldName;
    QString Title; // empty: the field name
    int Width = 64;
};

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);
    ~TDBGrid() override;

    TDataSource *DataSource() const;
    void setDataSource(TDataSource *source);
    // Without columns every field of the data set has one.
    void setColumns(const QList<TColumn> &columns);

    // Whole rows are selected (dgRowSelect) and nothing is edited in place.
    bool RowSelect() const { return m_rowSelect; }
    void setRowSelect(bool on);
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool on);
    bool ConfirmDelete = true;

    // Writes the text of an open cell editor into its field; raises when the
    // field refuses it.
    void UpdateRecord();

signals:
    void DblClick();

protected:
    void changeEvent(QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void syncToCursor();
    void moveCursorTo(int row);
    void applyOptions();
    void applyWidths();
    int fittingWidth(int column) const;
    TDataSet *dataSet() const;

    TDBGridModel *m_model;
    TDBGridDelegate *m_delegate;
    bool m_rowSelect = false;
    bool m_readOnly = false;
    bool m_syncing = false;
};
