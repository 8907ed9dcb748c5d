#include "window_position.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

void centreIn(QWidget *window, const QRect &area)
{
    const QSize frame = window->frameGeometry().size();
    window->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

} // namespace

void CentreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        centreIn(window, screen->availableGeometry());
}

void CentreOnWindow(QWidget *window, const QWidget *owner)
{
    if (owner && owner != window && owner->isVisible())
        centreIn(window, owner->frameGeometry());
    else
        CentreOnScreen(window);
}
