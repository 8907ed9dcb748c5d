#include "report/designer/memo_form.h"

#include "platform/modal_seam.h"
#include "report/core/string_table.h"
#include "report/designer/dialog_buttons.h"
#include "report/model/memo_view.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {
constexpr int kCaption = 59929;
}

TqpMemoForm::TqpMemoForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TqpMemoForm"));
    setWindowTitle(qpLoadStr(kCaption));
    auto *layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit;
    layout->addWidget(Memo1);
    layout->addWidget(qpOkCancelButtons(this));
    resize(420, 260);
}

bool TqpMemoForm::Edit(TqpMemoView *view, QWidget *parent, const std::function<void()> &beforeChange)
{
    TqpMemoForm form(parent);
    form.Memo1->setPlainText(view->Memo.join(QLatin1Char('\n')));
    if (UiSeam::ShowModal(&form) != QDialog::Accepted)
        return false;
    beforeChange();
    view->Memo = form.Memo1->toPlainText().split(QLatin1Char('\n'));
    return true;
}
