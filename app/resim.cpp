#include "resim.h"
#include "ui_resim.h"

#include "picture_reader.h"
#include "window_position.h"

#include <QApplication>
#include <QLabel>

TResim1::TResim1(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TResim1>())
{
    ui->setupUi(this);
    Image1 = ui->Image1;
    // Dialog border with the system menu and minimise button only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
}

TResim1::~TResim1() = default;

void TResim1::AssignPicture(const QByteArray &bytes)
{
    const QImage picture = ReadPicture(bytes, [this](int percent) { Image1Progress(percent); });
    if (picture.isNull()) {
        // An empty picture keeps the control's size: nothing to size it by.
        Image1->clear();
        return;
    }
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->setGeometry(0, 0, picture.width(), picture.height());
}

bool TResim1::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TResim1::showEvent(QShowEvent *event)
{
    FormActivate();
    QDialog::showEvent(event);
    CentreOnWindow(this, QApplication::activeWindow());
}

void TResim1::FormActivate()
{
    setFixedSize(Image1->width(), Image1->height());
}

void TResim1::Image1Progress(int percent) { setWindowTitle(QString::number(percent)); }
