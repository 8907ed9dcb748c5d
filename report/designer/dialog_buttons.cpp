#include "report/designer/dialog_buttons.h"

#include "report/core/string_table.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace {
constexpr int kOk = 55000, kCancel = 55001;
}

QDialogButtonBox *qpOkCancelButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox;
    // Standard buttons with our own texts, so the platform's keys (Enter,
    // Esc) and look-ups by button find them.
    buttons->addButton(QDialogButtonBox::Ok)->setText(qpLoadStr(kOk));
    buttons->addButton(QDialogButtonBox::Cancel)->setText(qpLoadStr(kCancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
