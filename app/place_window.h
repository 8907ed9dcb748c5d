#pragma once
// What the three place definition windows share: a place table opened at
// creation, a data source over it, a navigator and an editable grid. Closing
// the window only hides it: its position and any pending edit stay for the
// next move or Post in that table to settle.

#include <QDialog>

#include "db_grid.h"

class TDBNavigator;
class TTable;

class TPlaceWindow : public QDialog {
    Q_OBJECT
public:
    TTable *Table1 = nullptr;
    TDataSource *DataSource1 = nullptr;
    TDBNavigator *DBNavigator1 = nullptr;
    TDBGrid *DBGrid1 = nullptr;

protected:
    explicit TPlaceWindow(QWidget *parent = nullptr);
    // Opens `tableFile` (raising when it cannot be opened) and binds the
    // window's navigator and grid to it.
    void Bind(TDBNavigator *navigator, TDBGrid *grid, const QString &tableFile, const QList<TColumn> &columns);

    void showEvent(QShowEvent *event) override;
};
