#include "report/designer/status_box.h"

#include "report/designer/designer_page.h"

#include <QPainter>

TqpStatusBox::TqpStatusBox(TqpDesignerPage *canvas, QWidget *parent) : QWidget(parent), m_canvas(canvas)
{
    connect(canvas, &TqpDesignerPage::statusChanged, this, &TqpStatusBox::Refresh);
}

void TqpStatusBox::Refresh()
{
    QString position, size, scale;
    m_canvas->StatusFields(position, size, scale);
    if (position == Position && size == Size && scale == Scale)
        return;
    Position = position;
    Size = size;
    Scale = scale;
    update();
}

void TqpStatusBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const int base = (height() + fontMetrics().ascent() - fontMetrics().descent()) / 2;
    // Two small glyphs mark the fields: a cross for the place, a corner for the size.
    p.setPen(palette().windowText().color());
    p.drawLine(6, height() / 2, 14, height() / 2);
    p.drawLine(10, height() / 2 - 4, 10, height() / 2 + 4);
    p.drawRect(96, height() / 2 - 4, 8, 8);
    p.drawText(20, base, Position);
    p.drawText(110, base, Size);
    p.drawText(170, base, Scale);
}
