#include "report/designer/report_options_form.h"

#include "platform/modal_seam.h"
#include "report/core/string_table.h"
#include "report/designer/dialog_buttons.h"
#include "report/model/report.h"
#include "report/output/passw_form.h"
#include "report/output/printer.h"

#include <QDialogButtonBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
constexpr int kCaption = 53370, kAskPrinter = 53372, kTwoPass = 53374, kProtected = 55657, kRetype = 55655,
              kName = 59900, kAuthor = 59901, kDescription = 59902, kVersion = 59903, kPrinter = 59904;
}

TqpDocOptForm::TqpDocOptForm(TqpReport *report, QWidget *parent) : QDialog(parent), Report(report)
{
    setObjectName(QStringLiteral("TqpDocOptForm"));
    setWindowTitle(qpLoadStr(kCaption));
    auto *form = new QFormLayout(this);
    NameE = new QLineEdit(report->ReportName);
    AuthorE = new QLineEdit(report->Author);
    DescriptionE = new QPlainTextEdit(report->Description);
    auto *versions = new QHBoxLayout;
    const QString parts[4] = {report->VersionMajor, report->VersionMinor, report->VersionRelease,
                              report->VersionBuild};
    for (int i = 0; i < 4; ++i) {
        VersionE[i] = new QLineEdit(parts[i]);
        versions->addWidget(VersionE[i]);
    }
    PrinterCB = new QComboBox;
    PrinterCB->addItems(Prn->PrinterNames);
    PrinterCB->setCurrentIndex(Prn->PrinterIndex);
    CB1 = new QCheckBox(qpLoadStr(kAskPrinter));
    CB1->setChecked(!report->PrintToDefault);
    CB2 = new QCheckBox(qpLoadStr(kTwoPass));
    CB2->setChecked(report->DoublePassReport);
    PasswordCB = new QCheckBox(qpLoadStr(kProtected));
    PasswordCB->setChecked(!report->Password.isEmpty());
    m_password = report->Password;
    connect(PasswordCB, &QCheckBox::clicked, this, [this](bool on) {
        if (on)
            askPassword();
    });
    form->addRow(qpLoadStr(kName), NameE);
    form->addRow(qpLoadStr(kAuthor), AuthorE);
    form->addRow(qpLoadStr(kDescription), DescriptionE);
    form->addRow(qpLoadStr(kVersion), versions);
    form->addRow(qpLoadStr(kPrinter), PrinterCB);
    form->addRow(CB1);
    form->addRow(CB2);
    form->addRow(PasswordCB);
    form->addRow(qpOkCancelButtons(this));
}

void TqpDocOptForm::askPassword()
{
    QString first;
    for (int pass = 0; pass < 2; ++pass) {
        TqpPasswForm prompt(this);
        if (pass == 1)
            prompt.Label1->setText(qpLoadStr(kRetype));
        if (UiSeam::ShowModal(&prompt) != QDialog::Accepted) {
            PasswordCB->setChecked(!m_password.isEmpty());
            return;
        }
        if (pass == 0)
            first = prompt.Edit1->text();
        else if (prompt.Edit1->text() == first && !first.isEmpty())
            m_password = first;
    }
    PasswordCB->setChecked(!m_password.isEmpty());
}

void TqpDocOptForm::Apply()
{
    Report->ReportName = NameE->text();
    Report->Author = AuthorE->text();
    Report->Description = DescriptionE->toPlainText();
    Report->VersionMajor = VersionE[0]->text();
    Report->VersionMinor = VersionE[1]->text();
    Report->VersionRelease = VersionE[2]->text();
    Report->VersionBuild = VersionE[3]->text();
    Report->PrintToDefault = !CB1->isChecked();
    Report->DoublePassReport = CB2->isChecked();
    Report->Password = PasswordCB->isChecked() ? m_password : QString();
    Report->PasswordProtected = !Report->Password.isEmpty();
    if (PrinterCB->currentIndex() >= 0 && PrinterCB->currentIndex() != Prn->PrinterIndex)
        Report->ChangePrinter(Prn->PrinterIndex, PrinterCB->currentIndex());
}
