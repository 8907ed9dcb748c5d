#include "ilcetanim.h"
#include "ui_ilcetanim.h"

TIlceTanim1::TIlceTanim1(QWidget *parent) : TPlaceWindow(parent), ui(std::make_unique<Ui::TIlceTanim1>())
{
    ui->setupUi(this);
    Bind(ui->DBNavigator1, ui->DBGrid1, QStringLiteral("Ilce.db"), {{QStringLiteral("Ilce1"), QStringLiteral("İlçe"), 198}});
}

TIlceTanim1::~TIlceTanim1() = default;
