#pragma once
// The OK and Cancel buttons of the designer's dialogs, captioned from the
// string table and wired to accept and reject.

class QDialog;
class QDialogButtonBox;

QDialogButtonBox *qpOkCancelButtons(QDialog *dialog);
