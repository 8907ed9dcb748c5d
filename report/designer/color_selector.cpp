#include "report/designer/color_selector.h"

#include "platform/modal_seam.h"
#include "report/core/string_table.h"
#include "report/expr/expr_globals.h"
#include "platform/canvas/canvas.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QPainter>
#include <QToolButton>

namespace {

constexpr int kBasicColours = 16;
constexpr int kCell = 18;

QIcon swatch(quint32 color)
{
    QPixmap pm(kCell - 4, kCell - 4);
    pm.fill(qpToQColor(color));
    QPainter p(&pm);
    p.setPen(Qt::gray);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}

} // namespace

QColor qpToQColor(quint32 c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

quint32 qpFromQColor(const QColor &c)
{
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

TqpColorSelector::TqpColorSelector(QWidget *parent) : QFrame(parent), m_color(clNone)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(1);
    for (int i = 0; i < kBasicColours; ++i) {
        auto *b = new QToolButton(this);
        b->setIcon(swatch(qpColors[i]));
        b->setToolTip(QLatin1String(qpColorNames[i]));
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setFixedSize(kCell, kCell);
        connect(b, &QToolButton::clicked, this, [this, i] { choose(qpColors[i]); });
        grid->addWidget(b, i / 4, i % 4);
        m_buttons.append(b);
    }
    m_none = new QToolButton(this);
    m_none->setText(qpLoadStr(59786));
    m_none->setCheckable(true);
    m_none->setAutoRaise(true);
    m_none->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_none, &QToolButton::clicked, this, [this] { choose(clNone); });
    grid->addWidget(m_none, 4, 0, 1, 4);
    m_other = new QToolButton(this);
    m_other->setText(qpLoadStr(59787));
    m_other->setAutoRaise(true);
    m_other->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_other, &QToolButton::clicked, this, [this] {
        QColorDialog dialog(this);
        if (m_color != clNone)
            dialog.setCurrentColor(qpToQColor(m_color));
        if (UiSeam::ShowModal(&dialog) == QDialog::Accepted)
            choose(qpFromQColor(dialog.selectedColor()));
    });
    grid->addWidget(m_other, 5, 0, 1, 4);
    SetColor(clNone);
}

void TqpColorSelector::SetColor(quint32 color)
{
    m_color = color;
    for (int i = 0; i < kBasicColours; ++i)
        m_buttons.at(i)->setChecked(qpColors[i] == color);
    m_none->setChecked(color == clNone);
}

void TqpColorSelector::choose(quint32 color)
{
    SetColor(color);
    hide();
    emit ColorSelected(color);
}

TqpColorButton::TqpColorButton(bool allowNone, QWidget *parent)
    : QToolButton(parent), m_selector(new TqpColorSelector(this))
{
    m_selector->setWindowFlags(Qt::Popup);
    m_selector->NoneButton()->setVisible(allowNone);
    m_selector->hide();
    connect(m_selector, &TqpColorSelector::ColorSelected, this, [this](quint32 color) {
        SetColor(color);
        emit ColorChanged(color);
    });
    connect(this, &QToolButton::clicked, this, [this] {
        m_selector->SetColor(m_color);
        m_selector->move(mapToGlobal(QPoint(0, height())));
        m_selector->show();
    });
    SetColor(0);
}

void TqpColorButton::SetColor(quint32 color)
{
    m_color = color;
    QPixmap pm(40, 12);
    pm.fill(color == clNone ? palette().button().color() : qpToQColor(color));
    QPainter p(&pm);
    p.setPen(Qt::gray);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    setIcon(QIcon(pm));
    setIconSize(pm.size());
}
