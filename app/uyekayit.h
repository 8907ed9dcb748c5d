#pragma once
// The registration window. It owns the member cursor `Table1` over
// "Uye.db" and its data source `DataSource1`, which the member list and the
// new-member command share. Its layout shows a few fields of the current row
// so far; the full form grows on this class.

#include <QDialog>
#include <memory>

class TDataSource;
class TTable;
namespace Ui {
class TUyeKayitForm1;
}

class TUyeKayitForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TUyeKayitForm1(QWidget *parent = nullptr);
    ~TUyeKayitForm1() override;

    TTable *Table1;
    TDataSource *DataSource1;

    // Every way of closing the window (close button, Esc, a command) ends here.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Table1NewRecord();

    std::unique_ptr<Ui::TUyeKayitForm1> ui;
};
