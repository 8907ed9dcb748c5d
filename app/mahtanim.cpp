#include "mahtanim.h"
#include "ui_mahtanim.h"

TMahalleTanim1::TMahalleTanim1(QWidget *parent) : TPlaceWindow(parent), ui(std::make_unique<Ui::TMahalleTanim1>())
{
    ui->setupUi(this);
    Bind(ui->DBNavigator1, ui->DBGrid1, QStringLiteral("Mahal.db"), {{QStringLiteral("Mahalle"), QString(), 206}});
}

TMahalleTanim1::~TMahalleTanim1() = default;
