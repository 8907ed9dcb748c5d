#pragma once
// The registration window. It owns the member cursor `Table1` over "Uye.db"
// and its data source `DataSource1`, which the member list and the
// new-member command share, and the dues history `Table2` (a detail of the
// member cursor, kept closed). It never moves the cursor itself: it shows
// and edits whatever row the cursor is on; closing it with unsaved changes
// asks whether to save them.

#include <QDialog>
#include <memory>

class TDataSource;
class TField;
class TTable;
class TqpDBDataSet;
class TqpReport;
class TqpOLEExcelExport;
class TqpPdfExport;
class TqpRtfAdvExport;
class TqpTextExport;
class TqpDesigner;
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
    TTable *Table2;
    TDataSource *DataSource2;
    // The program's one report component, over the member cursor as it is
    // filtered; both windows print through it.
    TqpReport *qpReport1;
    TqpDesigner *qpDesigner1;
    TqpDBDataSet *qpDBDataSet1;
    // The member's dues for templates; a print opens Table2 and closes it again.
    TqpDBDataSet *qpDBDataSet2;
    // The export filters: while they exist the preview's save dialog offers
    // their formats, in this order.
    TqpOLEExcelExport *qpOLEExcelExport1;
    TqpTextExport *qpTextExport1;
    TqpRtfAdvExport *qpRtfAdvExport1;
    TqpPdfExport *qpPdfExport1;

    // Binds the three place look-up lists to the place windows' data sources,
    // which exist only once those windows have been created.
    void BindPlaces(TDataSource *provinces, TDataSource *districts, TDataSource *neighbourhoods);

    // Loads the template from the working folder and prepares and previews
    // it; a missing template is said first, and the report goes on with
    // what it holds.
    void PrintTemplate(const QString &fileName);
    // Loads the template and opens the designer on it.
    void EditTemplate(const QString &fileName);

    // Asks whether a member row the operator changed is to be saved, before
    // the window closes or the program ends. True when the caller may go on:
    // nothing was changed, the row was saved, or its changes were dropped.
    // False when the operator chose to stay or the save was refused; the
    // row then keeps everything typed.
    bool SettleChanges();

    // Every way of closing the window (close button, Esc, a command) ends here.
    void done(int result) override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void ToolButton1Click(); // save
    void ToolButton2Click(); // cancel
    void ToolButton3Click(); // delete
    void ToolButton7Click(); // print the member
    void Dzenle1Click();     // edit the member template
    void ToolButton9Click(); // close
    void SpeedButton1Click(); // application date from the calendar
    void SpeedButton2Click(); // dues date from the calendar
    void DBImage1DblClick(); // add a photo
    void ResimSil1Click();
    void Gster1Click();
    void FormActivate();
    void Table1NewRecord();
    void Table1BeforePost();

    void saveRow();
    // The caption of the control that edits `field`, for messages.
    QWidget *controlOf(const TField *field) const;
    QString captionOf(const TField *field) const;

    void pickDate(const char *fieldName);

    std::unique_ptr<Ui::TUyeKayitForm1> ui;
};
