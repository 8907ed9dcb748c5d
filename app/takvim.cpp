#include "takvim.h"
#include "ui_takvim.h"

#include "window_position.h"

#include <QCalendarWidget>
#include <QDate>
#include <QTableView>
#include <QTextCharFormat>

TTakvim1::TTakvim1(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TTakvim1>())
{
    ui->setupUi(this);
    MonthCalendar1 = ui->MonthCalendar1;

    MonthCalendar1->setLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
    // Black text on a silver month and a navy title.
    MonthCalendar1->setStyleSheet(QStringLiteral(
        "QCalendarWidget QWidget#qt_calendar_navigationbar { background-color: navy; }"
        "QCalendarWidget QToolButton { color: white; background-color: navy; }"
        "QCalendarWidget QAbstractItemView { background-color: silver;"
        " selection-background-color: navy; selection-color: white; }"));
    QTextCharFormat weekday;
    weekday.setForeground(Qt::black);
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        MonthCalendar1->setWeekdayTextFormat(Qt::DayOfWeek(day), weekday);
    if (auto *view = MonthCalendar1->findChild<QTableView *>()) {
        // The calendar draws the neighbouring months' days in the disabled
        // text colour: aqua here.
        QPalette palette = view->palette();
        palette.setColor(QPalette::Active, QPalette::Text, Qt::black);
        palette.setColor(QPalette::Inactive, QPalette::Text, Qt::black);
        palette.setColor(QPalette::Disabled, QPalette::Text, Qt::cyan);
        view->setPalette(palette);
        view->viewport()->installEventFilter(this);
        view->viewport()->setCursor(Qt::PointingHandCursor);
    }
}

TTakvim1::~TTakvim1() = default;

bool TTakvim1::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

bool TTakvim1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        // Let the calendar select the day first, then close.
        const bool handled = QDialog::eventFilter(watched, event);
        MonthCalendar1DblClick();
        return handled;
    }
    return QDialog::eventFilter(watched, event);
}

void TTakvim1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

void TTakvim1::FormActivate()
{
    const QDate today = QDate::currentDate();
    MonthCalendar1->setSelectedDate(today);
    MonthCalendar1->setCurrentPage(today.year(), today.month());
}

void TTakvim1::MonthCalendar1DblClick() { close(); }
