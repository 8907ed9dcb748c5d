#pragma once
// The member list: a read-only grid over the shared member cursor, narrowed
// by the first letter of the name through a strip of letter tabs or searched
// by the beginning of a chosen field. The filter it sets lives on the member
// cursor itself, so the registration window, the numbering of new members
// and every print see the same rows; closing the list keeps it. A double
// click opens the registration window on the chosen row.

#include <QDialog>
#include <memory>

class TDataSet;
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
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void TabSet1Change(int newTab);
    void ToolButton1Click(); // search
    void ToolButton2Click(); // print the list
    void Dzenle1Click();     // edit the list template
    void ToolButton5Click(); // close
    void DBGrid1DblClick();

    TDataSet *members() const;

    std::unique_ptr<Ui::TUyeListForm1> ui;
    int m_chosenItem = -1; // the chooser item picked from its list, -1 once text is typed
    int m_filterTab = 0;   // the tab whose filter is in force
    bool m_searching = false; // a search's filter is in force instead
};
