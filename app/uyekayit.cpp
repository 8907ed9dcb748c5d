#include "uyekayit.h"
#include "ui_uyekayit.h"

#include "data_source.h"
#include "db_edit.h"
#include "member_store.h"
#include "table.h"
#include "window_position.h"

#include <QDate>

TUyeKayitForm1::TUyeKayitForm1(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TUyeKayitForm1>())
{
    ui->setupUi(this);
    Table1 = new TTable(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->TableName = QStringLiteral("Uye.db");
    MemberStore::ConfigureTable(*Table1);
    Table1->setFilterOptions(foCaseInsensitive);
    Table1->OnNewRecord = [this](TDataSet *) { Table1NewRecord(); };
    Table1->Open();
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Table1);
    for (TDBEdit *edit : findChildren<TDBEdit *>())
        edit->setDataSource(DataSource1);
    setFixedSize(size());
}

TUyeKayitForm1::~TUyeKayitForm1() = default;

void TUyeKayitForm1::Table1NewRecord()
{
    // A new member's defaults. Given here rather than after Append, they do
    // not count as the operator's typing: a row left untouched is dropped
    // when the cursor next settles.
    Table1->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(MemberStore::NextKayitNo(*Table1));
    Table1->FieldByName(QStringLiteral("Tarih"))->setValue(QDate::currentDate());
    Table1->FieldByName(QStringLiteral("Uyrugu"))->setAsString(QStringLiteral("T.C."));
}

void TUyeKayitForm1::done(int result)
{
    // Closing drops what was not saved.
    Table1->Cancel();
    QDialog::done(result);
}

void TUyeKayitForm1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
}
