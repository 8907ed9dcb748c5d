#include "report/designer/ins_fields_form.h"

#include "report/core/string_table.h"
#include "report/designer/designer_state.h"
#include "report/designer/field_chooser.h"
#include "report/model/page.h"
#include "report/model/report.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace {
constexpr int kCaption = 59848;
}

TqpInsFieldsForm::TqpInsFieldsForm(TqpDesignerState *state, QWidget *parent)
    : QWidget(parent), State(state), List(new TqpFieldList(state->Report->Dictionary, this, true))
{
    setObjectName(QStringLiteral("qpInsFieldsForm"));
    setWindowTitle(qpLoadStr(kCaption));
    List->Fields->setDragDropMode(QAbstractItemView::DragOnly);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(List);
    Refresh();
}

QListWidget *TqpInsFieldsForm::FieldList() const { return List->Fields; }

void TqpInsFieldsForm::Refresh()
{
    List->Refresh();
    const TqpPage *page = State->Page();
    List->Fields->setDragEnabled(page && page->PageType == ptReport && !qpDesignerRestricted(qpdrDontCreateObj));
}
