#include "db_image.h"

#include "application.h"
#include "picture_reader.h"

#include <QPainter>

TDBImage::TDBImage(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    connect(&m_link, &TFieldDataLink::recordChanged, this, [this] { Guarded([this] { reload(); }); });
}

void TDBImage::reload()
{
    const TField *f = m_link.Field();
    const QByteArray data = f && f->IsBlob() ? static_cast<const TBlobField *>(f)->AsBytes() : QByteArray();
    if (data == m_data)
        return;
    m_data = data;
    m_picture = ReadPicture(m_data);
    update();
}

void TDBImage::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setClipRect(area);
    const QSize size = m_picture.size();
    painter.drawImage(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2,
                      m_picture);
}

void TDBImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    QFrame::mouseDoubleClickEvent(event);
    emit doubleClicked();
}
