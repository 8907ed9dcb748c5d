#pragma once
// The member list: a grid over the shared member cursor. A double click
// opens the registration window on the chosen row.

#include <QDialog>
#include <memory>

class TDataSource;
class TDBGrid;
namespace Ui {
class TUyeListForm1;
}

class TUyeListForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TUyeListForm1(QWidget *parent = nullptr);
    ~TUyeListForm1() override;

    TDBGrid *DBGrid1;

    // Binds the grid to the registration window's member data source.
    void BindMembers(TDataSource *members);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void DBGrid1DblClick();

    std::unique_ptr<Ui::TUyeListForm1> ui;
};
