#include "place_window.h"

#include "db_navigator.h"
#include "member_store.h"
#include "table.h"
#include "window_position.h"

TPlaceWindow::TPlaceWindow(QWidget *parent) : QDialog(parent) {}

void TPlaceWindow::Bind(TDBNavigator *navigator, TDBGrid *grid, const QString &tableFile, const QList<TColumn> &columns)
{
    Table1 = new TTable(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->TableName = tableFile;
    MemberStore::ConfigureTable(*Table1);
    Table1->Open();
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Table1);
    DBNavigator1 = navigator;
    DBGrid1 = grid;
    navigator->setDataSource(DataSource1);
    grid->setColumns(columns);
    grid->setDataSource(DataSource1);
    // A dialog-style window: fixed width, its height as designed.
    setFixedSize(size());
}

void TPlaceWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
}
