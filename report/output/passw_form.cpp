#include "passw_form.h"

#include "modal_seam.h"
#include "report/core/string_table.h"
#include "report/model/report.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TqpPasswForm::TqpPasswForm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(qpLoadStr(55653));
    Label1 = new QLabel(qpLoadStr(55654), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setEchoMode(QLineEdit::Password);
    // Said plainly, as the file format cannot do better: the password only
    // keeps the designer's dialog shut, it does not encrypt the template.
    Edit1->setToolTip(QStringLiteral("Parola şablon dosyasında şifrelenmeden, onaltılık metin olarak saklanır; "
                                     "şablonu yalnızca bu programda açılmaya karşı korur."));
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(qpLoadStr(55000), QDialogButtonBox::AcceptRole);
    buttons->addButton(qpLoadStr(55001), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addWidget(buttons);
}

void qpInstallReportUi()
{
    qpReportUi.ErrorBox = [](const QString &text, const QString &caption) {
        UiSeam::MessageBox(nullptr, QMessageBox::Critical, caption, text, QMessageBox::Ok);
    };
    qpReportUi.AskPassword = [](QString &typed) {
        TqpPasswForm form;
        if (UiSeam::ShowModal(&form) != QDialog::Accepted)
            return false;
        typed = form.Edit1->text();
        return true;
    };
}
