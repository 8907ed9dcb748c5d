#pragma once
// Where a window appears when it is shown.

class QSettings;
class QString;
class QWidget;

// Windows call these each time they are shown. Only the first showing in a
// run places the window; after that it stays where the operator moved it.

// Centres `window` on the screen it is on (the primary screen by default).
void CentreOnScreen(QWidget *window);
// Centres `window` over `owner`; on the screen when there is no owner.
void CentreOnWindow(QWidget *window, const QWidget *owner);

// Run once `window` is shown: a maximised window fills the available area
// of its screen also where no window manager applies the state (a bare X
// server); its normal bounds stay its restored size.
void FillScreenWhenMaximized(QWidget *window);

// Stored placement of a window under `key`: "XPosition", "YPosition",
// "Width", "Height" (the normal bounds, also while maximised) and
// "Maximized".
void SaveWindowPlacement(QSettings &settings, const QString &key, const QWidget *window);
// Reads "Maximized" (default true) into the window state, then the bounds
// (defaults: the window's current ones). The window is not shown.
void RestoreWindowPlacement(QSettings &settings, const QString &key, QWidget *window);
