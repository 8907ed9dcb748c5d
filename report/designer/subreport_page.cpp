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

namespace {

// The page the operator chose for the view, or -1 when the choice was
// cancelled or left as it was.
int choosePage(TqpSubReportView *view, TqpDesignerState *state, QWidget *parent)
{
    TqpSubReportPageForm form(state->Report, state->CurPageIndex, view->SubPage, parent);
    if (UiSeam::ShowModal(&form) != QDialog::Accepted || form.PageIndex() < 0 || form.PageIndex() == view->SubPage)
        return -1;
    return form.PageIndex();
}

} // namespace

bool qpChooseSubReportPage(TqpSubReportView *view, TqpDesignerState *state, QWidget *parent)
{
    const int chosen = choosePage(view, state, parent);
    if (chosen < 0)
        return false;
    state->AddUndoAction(acEdit, {view});
    view->SubPage = chosen;
    return true;
}

bool qpChooseInsertedSubReportPage(TqpSubReportView *view, TqpDesignerState *state, QWidget *parent)
{
    TqpPages &pages = state->Report->Pages;
    const int fresh = view->SubPage;
    // Only the object's own page and its fresh one: nothing else to show.
    if (pages.GetCount() <= 2)
        return false;
    const int chosen = choosePage(view, state, parent);
    if (chosen < 0)
        return false;
    // No undo record of its own: undoing the insertion takes the object away,
    // and a record pointing back at the dropped page would dangle.
    view->SubPage = chosen;
    if (fresh == pages.GetCount() - 1 && pages.GetPages(fresh)->Items.isEmpty())
        pages.Delete(fresh);
    return true;
}
