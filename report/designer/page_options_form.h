#pragma once
// TqpPgoptForm: the page options dialog of the designer: paper from the
// printer object's table, orientation, source, margins, page columns and
// the page's printing switches. It reads a page and writes it back.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class TqpPage;

class TqpPgoptForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpPgoptForm(QWidget *parent = nullptr);

    QCheckBox *CB1, *CB2, *CB3; // print to previous page, no margins, unlimited height
    QRadioButton *RB1, *RB2;    // portrait, landscape
    QComboBox *ComboBox1;       // papers of Prn
    QLineEdit *E1, *E2;         // custom width and height, mm
    QComboBox *ComboBox2;       // paper sources of Prn
    QLineEdit *E3, *E4, *E5, *E6; // margins left, top, right, bottom, mm
    QLineEdit *E7;              // column gap, mm
    QLineEdit *E8;              // column count

    void Load(const TqpPage *page, bool unlimitedHeight);
    // Writes the dialog's values into `page`. An unreadable custom size
    // falls back to paper 9, unreadable margins to none; an unreadable
    // column count raises EConvertError before anything is written.
    void Apply(TqpPage *page, bool &unlimitedHeight) const;

private:
    void paperChanged();
};
