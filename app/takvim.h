#pragma once
// The calendar: shown on its own from the main window, and modally as the
// date picker of the registration window, which reads MonthCalendar1's
// selected date however the window was closed.

#include <QDialog>
#include <memory>

class QCalendarWidget;
namespace Ui {
class TTakvim1;
}

class TTakvim1 : public QDialog {
    Q_OBJECT
public:
    explicit TTakvim1(QWidget *parent = nullptr);
    ~TTakvim1() override;

    QCalendarWidget *MonthCalendar1;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormActivate();
    void MonthCalendar1DblClick();

    std::unique_ptr<Ui::TTakvim1> ui;
};
