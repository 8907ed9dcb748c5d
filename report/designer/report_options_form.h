#pragma once
// TqpDocOptForm: the report options dialog: the document attributes, where
// the report prints, two passes, the password and the printer.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class TqpReport;

class TqpDocOptForm : public QDialog {
    Q_OBJECT
public:
    TqpDocOptForm(TqpReport *report, QWidget *parent = nullptr);

    TqpReport *const Report;
    QLineEdit *NameE, *AuthorE, *VersionE[4];
    QPlainTextEdit *DescriptionE;
    QCheckBox *CB1; // ask for the printer: the negation of PrintToDefault
    QCheckBox *CB2; // two passes
    QCheckBox *PasswordCB;
    QComboBox *PrinterCB;

    // Writes the values into the report and makes the chosen printer current.
    void Apply();

private:
    // The password typed twice; stored only when both agree.
    void askPassword();
    QString m_password;
};
