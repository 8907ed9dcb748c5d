#include "report/designer/line_style_panel.h"

#include "report/model/view.h"

#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QIcon styleIcon(int style)
{
    QPixmap pm(48, 9);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    if (style == psDouble) {
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(0, 2, 47, 2);
        p.drawLine(0, 6, 47, 6);
    } else {
        static const Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                               Qt::DashDotDotLine};
        p.setPen(QPen(Qt::black, 1, kStyles[style]));
        p.drawLine(0, 4, 47, 4);
    }
    return QIcon(pm);
}

} // namespace

TqpLineStylePanel::TqpLineStylePanel(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    for (int style = 0; style < StyleCount; ++style) {
        auto *b = new QToolButton(this);
        b->setIcon(styleIcon(style));
        b->setIconSize(QSize(48, 9));
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [this, style] {
            hide();
            emit StyleSelected(style);
        });
        layout->addWidget(b);
        m_buttons.append(b);
    }
}
