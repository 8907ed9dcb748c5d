#include "hakkinda.h"
#include "ui_hakkinda.h"

#include "window_position.h"

THakkinda::THakkinda(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::THakkinda>())
{
    ui->setupUi(this);
    setFixedSize(size());
    // The product name is 19 pixels high whatever the screen's resolution.
    QFont name = ui->Label1->font();
    name.setPixelSize(19);
    ui->Label1->setFont(name);
    // The credits panel in the pale information colour.
    QPalette palette = ui->Bevel1->palette();
    palette.setColor(QPalette::Window, QColor(0xff, 0xff, 0xe1));
    ui->Bevel1->setPalette(palette);
}

THakkinda::~THakkinda() = default;

void THakkinda::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
}
