#include "uyelist.h"
#include "ui_uyelist.h"

#include "db_grid.h"
#include "forms.h"
#include "uyekayit.h"
#include "window_position.h"

TUyeListForm1::TUyeListForm1(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TUyeListForm1>())
{
    ui->setupUi(this);
    DBGrid1 = ui->DBGrid1;
    DBGrid1->setRowSelect(true);
    DBGrid1->setReadOnly(true);
    DBGrid1->setColumns({{QStringLiteral("KayitNo"), QString(), 47},
                         {QStringLiteral("Tarih"), QString(), 58},
                         {QStringLiteral("AdiSoyadi"), QStringLiteral("Adı Soyadı"), 132},
                         {QStringLiteral("IsTel"), QStringLiteral("İş Telefonu"), 73},
                         {QStringLiteral("EvTel"), QStringLiteral("Ev Telefonu"), 76},
                         {QStringLiteral("Gsm"), QString(), 84},
                         {QStringLiteral("Mahalle"), QString(), 74},
                         {QStringLiteral("KanGrubu"), QStringLiteral("Kan Grubu"), 46}});
    connect(DBGrid1, &TDBGrid::DblClick, this, &TUyeListForm1::DBGrid1DblClick);
}

TUyeListForm1::~TUyeListForm1() = default;

void TUyeListForm1::BindMembers(TDataSource *members) { DBGrid1->setDataSource(members); }

void TUyeListForm1::DBGrid1DblClick()
{
    UyeKayitForm1->show();
    UyeKayitForm1->raise();
    UyeKayitForm1->activateWindow();
}

void TUyeListForm1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
}
