#include "resim.h"
#include "ui_resim.h"

#include "picture_reader.h"
#include "window_position.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>

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
    // A camera's photo is decoded no larger than the screen, never whole.
    m_picture = ReadPicture(bytes, [this](int percent) { Image1Progress(percent); }, clientBounds());
    if (m_picture.isNull()) {
        // An empty picture keeps the control's size: nothing to size it by.
        Image1->clear();
        return;
    }
    showPicture();
}

QSize TResim1::clientBounds() const
{
    // The frame is known once the window manager has framed the window;
    // before that it counts as none, and activation fits the picture again.
    const QSize frame = frameGeometry().size() - geometry().size();
    return screen()->availableGeometry().size() - frame;
}

void TResim1::showPicture()
{
    const QSize fitted = FittedSize(m_picture.size(), clientBounds());
    const QImage shown =
        fitted == m_picture.size() ? m_picture : m_picture.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Image1->setPixmap(QPixmap::fromImage(shown));
    Image1->setGeometry(0, 0, shown.width(), shown.height());
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
    // Centred over a window near the screen's edge, a large picture would
    // hang off the screen.
    const QRect area = screen()->availableGeometry();
    const QRect frame = frameGeometry();
    move(std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())),
         std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
}

void TResim1::FormActivate()
{
    if (!m_picture.isNull() && Image1->size() != FittedSize(m_picture.size(), clientBounds()))
        showPicture();
    setFixedSize(Image1->width(), Image1->height());
}

void TResim1::Image1Progress(int percent) { setWindowTitle(QString::number(percent)); }
