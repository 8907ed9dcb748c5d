#include "report/designer/dialog_buttons.h"

#include "report/core/string_table.h"

#include <QDialog>
#include <QDialogButtonBox>

namespace {
constexpr int kOk = 55000, kCancel = 55001;
}

QDialogButtonBox *qpOkCancelButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox;
    buttons->addButton(qpLoadStr(kOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(qpLoadStr(kCancel), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
