#include "sehirtanim.h"
#include "ui_sehirtanim.h"

TSehirTanim1::TSehirTanim1(QWidget *parent) : TPlaceWindow(parent), ui(std::make_unique<Ui::TSehirTanim1>())
{
    ui->setupUi(this);
    Bind(ui->DBNavigator1, ui->DBGrid1, QStringLiteral("Sehir.db"), {{QStringLiteral("Plaka"), QString(), 34}, {QStringLiteral("Sehir"), QStringLiteral("Şehir"), 162}});
}

TSehirTanim1::~TSehirTanim1() = default;
