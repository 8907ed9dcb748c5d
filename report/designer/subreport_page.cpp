#include "report/designer/subreport_page.h"

#include "report/designer/designer_state.h"
#include "report/designer/editor_strings.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"

#include <modal_seam.h>

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

TqpSubReportPageForm::TqpSubReportPageForm(TqpReport *report, int ownPage, int current, QWidget *parent)
    : QDialog(parent), Pages(new QComboBox(this))
{
    setObjectName(QStringLiteral("TqpSubReportPageForm"));
    setWindowTitle(qpLoadStr(qpsSubReportCaption));
    Pages->setObjectName(QStringLiteral("Pages"));
    for (int i = 0; i < report->Pages.GetCount(); ++i) {
        if (i == ownPage)
            continue;
        const QString name = report->Pages.GetPages(i)->Name;
        // Pages are numbered from 1 for the operator, as on the designer's tabs.
        Pages->addItem(QStringLiteral("%1 %2").arg(i + 1).arg(name).trimmed(), i);
    }
    Pages->setCurrentIndex(qMax(0, Pages->findData(current)));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    form->addRow(qpLoadStr(qpsPageLabel), Pages);
    layout->addLayout(form);
    layout->addWidget(qpOkCancelButtons(this));
}

int TqpSubReportPageForm::PageIndex() const { return Pages->count() ? Pages->currentData().toInt() : -1; }

bool qpChooseSubReportPage(TqpSubReportView *view, TqpDesignerState *state, QWidget *parent)
{
    TqpSubReportPageForm form(state->Report, state->CurPageIndex, view->SubPage, parent);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted || form.PageIndex() < 0 || form.PageIndex() == view->SubPage)
        return false;
    state->AddUndoAction(acEdit, {view});
    view->SubPage = form.PageIndex();
    return true;
}
