#pragma once
// Where a window appears when it is shown.

class QWidget;

// Centres `window` on the screen it is on (the primary screen by default).
void CentreOnScreen(QWidget *window);
// Centres `window` over `owner`; on the screen when there is no owner.
void CentreOnWindow(QWidget *window, const QWidget *owner);
