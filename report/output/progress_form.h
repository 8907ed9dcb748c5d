#pragma once
// The progress window that building, printing and export run inside: a
// caption, a line telling which page is being worked on, and a cancel
// button that terminates the report. The work itself is started by the
// window once it is on screen, inside its own modal loop, so the cancel
// button can act whenever the work lets events through.

#include <QDialog>
#include <exception>
#include <functional>

class QLabel;
class QPushButton;
class TqpReport;

class TqpProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpProgressForm(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QPushButton *Button1;
    QString FirstCaption;               // the label's prefix
    std::function<void()> OnBeforeModal; // the work, run once the window is on screen

    TqpReport *Report() const { return m_report; }
    // Shows the window modally while it serves `report` and returns its
    // modal result (1 OK, 2 cancel). An error the work raises closes the
    // window and is raised again here.
    int Show_Modal(TqpReport *report);
    // Cancel: terminates the report and closes the window.
    void Button1Click();

protected:
    void customEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // Escape and closing the window cancel like the button.
    void reject() override;

private:
    void CMBeforeModal();

    TqpReport *m_report = nullptr;
    std::exception_ptr m_error;
};

// The single progress window; none until qpInstallProgressForm.
extern TqpProgressForm *qpProgressForm;

// Creates the window and makes it the engine's progress window
// (qpProgressUi); windowed programs call it once at start-up.
void qpInstallProgressForm();
void qpFreeProgressForm();
