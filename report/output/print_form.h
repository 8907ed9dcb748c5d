#pragma once
// The print dialog: the printer (with its driver's settings), the pages
// (all, the current one, or a list such as "1,3,5-12"), the number of copies
// and whether they are collated, and which page numbers (all, odd, even).
// Choosing a printer takes effect at once; leaving the dialog without OK
// makes the printer current again that was current when it opened.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QRadioButton;
class QToolButton;

class TqpPrintForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpPrintForm(QWidget *parent = nullptr);

    QGroupBox *GroupBox1;
    QLabel *Label4;
    QComboBox *CB1; // the platform's printers, in Prn's order
    QPushButton *PropButton;
    QGroupBox *GroupBox2;
    QRadioButton *RB1, *RB2, *RB3;
    QLineEdit *E2;
    QLabel *Label2;
    QGroupBox *GroupBox3;
    QLabel *Label1;
    QLineEdit *E1;
    QToolButton *qpSpeedButton1, *qpSpeedButton2;
    QCheckBox *CollateCB;
    QLabel *Label3;
    QWidget *PB1;
    QLabel *Label5;
    QComboBox *CB2; // the TqpPrintPages values in order
    QPushButton *Button1, *Button2;

    int OldIndex = 0; // Prn's printer when the dialog opened
    // A slip of the finger must not send thousands of sheets to the printer.
    static constexpr int MaxCopies = 999;
    // The copies in E1, at most MaxCopies.
    int Copies() const;
    void SetCopies(int copies);

    void CB1Click();
    void PropButtonClick();
    void E2Click();
    void RB3Click();
    void qpSpeedButton1Click();
    void qpSpeedButton2Click();
    void Label3Click();
    void CollateCBClick();
    void PB1Paint(QPainter &painter);
    void FormDeactivate();
    // Every way out of the dialog (buttons, Escape, closing) ends here.
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
};
