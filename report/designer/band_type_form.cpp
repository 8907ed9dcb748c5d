#include "report/designer/band_type_form.h"

#include "report/core/string_table.h"
#include "report/model/band_view.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"
#include "modal_seam.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kCaption = 59701, kGroup = 59702, kOk = 55000, kCancel = 55001;

// Types a page may hold any number of.
bool repeatable(int type)
{
    return (type >= btMasterHeader && type <= btSubDetailFooter) || type == btGroupHeader || type == btGroupFooter
           || type == btChild;
}

// Types that make no sense on a page printed inside a sub-report object.
bool pageLevel(int type)
{
    return type <= btPageFooter || (type >= btColumnHeader && type <= btGroupFooter);
}

} // namespace

TqpBandTypeForm::TqpBandTypeForm(TqpReport *report, TqpPage *page, QWidget *parent)
    : QDialog(parent), m_group(new QButtonGroup(this))
{
    setWindowTitle(qpLoadStr(kCaption));
    bool subReportPage = false;
    int pageIndex = -1;
    for (int i = 0; i < report->Pages.GetCount(); ++i)
        if (report->Pages.GetPages(i) == page)
            pageIndex = i;
    for (int i = 0; i < report->Pages.GetCount(); ++i)
        for (const TqpView *v : std::as_const(report->Pages.GetPages(i)->Items))
            if (auto *sub = dynamic_cast<const TqpSubReportView *>(v); sub && sub->SubPage == pageIndex)
                subReportPage = true;
    auto *box = new QGroupBox(qpLoadStr(kGroup));
    auto *grid = new QGridLayout(box);
    const int half = (btChild + 2) / 2;
    for (int type = 0; type <= btChild; ++type) {
        auto *option = new QRadioButton(qpBandNames().value(type));
        bool enabled = repeatable(type);
        if (!enabled) {
            enabled = true;
            for (const TqpView *v : std::as_const(page->Items))
                if (v->Kind == vkBand && v->FrameTyp == type)
                    enabled = false;
        }
        if (subReportPage && pageLevel(type))
            enabled = false;
        option->setEnabled(enabled);
        m_group->addButton(option, type);
        grid->addWidget(option, type % half, type / half);
    }
    for (QAbstractButton *b : m_group->buttons())
        if (b->isEnabled()) {
            b->setChecked(true);
            break;
        }
    auto *buttons = new QDialogButtonBox;
    buttons->addButton(qpLoadStr(kOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(qpLoadStr(kCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(buttons);
}

int TqpBandTypeForm::BandType() const { return m_group->checkedId(); }

bool TqpBandTypeForm::IsEnabled(int type) const
{
    const QAbstractButton *b = m_group->button(type);
    return b && b->isEnabled();
}

int TqpBandTypeForm::Choose(TqpReport *report, TqpPage *page, QWidget *parent)
{
    TqpBandTypeForm form(report, page, parent);
    return UiSeam::ShowModal(&form) == QDialog::Accepted ? form.BandType() : -1;
}
