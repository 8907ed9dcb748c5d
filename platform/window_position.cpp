#include "window_position.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <climits>

namespace {

// Set on a window once it has been placed in this run.
const char *const kPlaced = "zelvanPlaced";

// True the first time it is asked for `window`.
bool firstPlacing(QWidget *window)
{
    if (window->property(kPlaced).toBool())
        return false;
    window->setProperty(kPlaced, true);
    return true;
}

void centreIn(QWidget *window, const QRect &area)
{
    const QSize frame = window->frameGeometry().size();
    window->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        centreIn(window, screen->availableGeometry());
}

} // namespace

void CentreOnScreen(QWidget *window)
{
    if (firstPlacing(window))
        centreOnScreen(window);
}

void CentreOnWindow(QWidget *window, const QWidget *owner)
{
    if (!firstPlacing(window))
        return;
    if (owner && owner != window && owner->isVisible())
        centreIn(window, owner->frameGeometry());
    else
        centreOnScreen(window);
}

void FillScreenWhenMaximized(QWidget *window)
{
    // Maximising is the window manager's job; without one the window would
    // stay at its restored size, so it fills the screen itself once the
    // show has gone through.
    QTimer::singleShot(0, window, [window] {
        const QScreen *screen = window->screen();
        if (window->isMaximized() && screen && window->frameGeometry().size() != screen->availableGeometry().size())
            window->setGeometry(screen->availableGeometry());
    });
}

void SaveWindowPlacement(QSettings &settings, const QString &key, const QWidget *window)
{
    const bool maximized = window->isMaximized();
    const QRect bounds = maximized ? window->normalGeometry() : window->geometry();
    const QString prefix = key + QLatin1Char('/');
    settings.setValue(prefix + QLatin1String("XPosition"), bounds.x());
    settings.setValue(prefix + QLatin1String("YPosition"), bounds.y());
    settings.setValue(prefix + QLatin1String("Width"), bounds.width());
    settings.setValue(prefix + QLatin1String("Height"), bounds.height());
    settings.setValue(prefix + QLatin1String("Maximized"), maximized);
}

void RestoreWindowPlacement(QSettings &settings, const QString &key, QWidget *window)
{
    const QString prefix = key + QLatin1Char('/');
    const bool maximized = settings.value(prefix + QLatin1String("Maximized"), true).toBool();
    const QRect current = window->geometry();
    // A damaged value reads as 0; a window without size would be lost.
    const auto number = [&](const char *name, int fallback, int least) {
        bool ok = false;
        const int v = settings.value(prefix + QLatin1String(name), fallback).toInt(&ok);
        return ok && v >= least ? v : fallback;
    };
    window->setGeometry(number("XPosition", current.x(), INT_MIN), number("YPosition", current.y(), INT_MIN),
                        number("Width", current.width(), 1), number("Height", current.height(), 1));
    window->setWindowState(maximized ? (window->windowState() | Qt::WindowMaximized)
                                     : (window->windowState() & ~Qt::WindowMaximized));
}
