#pragma once
// The report's password form and the installation of the report's modal
// interactions (error boxes, the password prompt) through the program's
// modal seam. The headless engine has neither; windowed programs call
// qpInstallReportUi once at start-up.

#include <QDialog>

class QLabel;
class QLineEdit;

class TqpPasswForm : public QDialog {
    Q_OBJECT
public:
    explicit TqpPasswForm(QWidget *parent = nullptr);
    QLabel *Label1;
    QLineEdit *Edit1; // shows "*" for every character
};

void qpInstallReportUi();
