#include "report/output/preview.h"

#include "application.h"
#include "report/core/rounding.h"
#include "report/output/preview_form.h"

#include <QFileInfo>
#include <QVBoxLayout>
#include <QWheelEvent>

TqpPreview::TqpPreview(QWidget *parent) : QFrame(parent), m_window(std::make_unique<TqpPreviewForm>())
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(1, 1, 1, 1);
    m_layout->setSpacing(0);
    m_window->Host = this;
    m_window->WheelFactor = 3;
}

TqpPreview::~TqpPreview()
{
    // The area goes back to its window, which frees it with itself.
    m_window->Panel1->setParent(m_window.get());
    m_window->ScrollBox->setParent(m_window.get());
}

void TqpPreview::SetScrollBars(TScrollStyle style)
{
    m_scrollBars = style;
    applyScrollBars();
}

void TqpPreview::applyScrollBars()
{
    m_window->BPanel->setVisible(m_scrollBars == ssHorizontal || m_scrollBars == ssBoth);
    m_window->RPanel->setVisible(m_scrollBars == ssVertical || m_scrollBars == ssBoth);
    m_window->FormResize();
}

void TqpPreview::SetShowToolbar(bool show)
{
    m_showToolbar = show;
    if (m_window->ScrollBox->parentWidget() != this)
        return;
    if (show) {
        if (m_window->Panel1->parentWidget() != this)
            m_layout->insertWidget(0, m_window->Panel1);
        m_window->Panel1->show();
    } else {
        m_window->Panel1->setParent(m_window.get());
    }
}

void TqpPreview::Connect(TqpReport *report)
{
    m_window->Connect(report);
    if (m_window->ScrollBox->parentWidget() != this)
        m_layout->addWidget(m_window->ScrollBox, 1);
    SetShowToolbar(m_showToolbar);
    if (QWidget *form = window(); form != m_wheelSource) {
        if (m_wheelSource)
            m_wheelSource->removeEventFilter(this);
        m_wheelSource = form;
        if (form != this)
            form->installEventFilter(this);
    }
    m_window->InitButtons();
    m_window->ScrollBox->show();
    applyScrollBars();
    m_window->RedrawAll(true);
}

void TqpPreview::Disconnect() { m_window->ConnectBack(); }

bool TqpPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_wheelSource && event->type() == QEvent::Wheel && m_window->PageCount()) {
        const int dy = static_cast<QWheelEvent *>(event)->angleDelta().y();
        m_window->WheelScroll(dy > 0 ? -1 : dy < 0 ? 1 : 0);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

int TqpPreview::GetPage() const { return m_window->CurrentPage(); }

void TqpPreview::SetPage(int page) { m_window->SetCurrentPage(page); }

int TqpPreview::GetZoom() const { return qpRound(m_window->Scale() * 100); }

void TqpPreview::SetZoom(int percent) { m_window->SetScale(percent / 100.0, mdNone); }

int TqpPreview::GetAllPages() const { return m_window->PageCount(); }

void TqpPreview::OnePage() { m_window->SetScale(0, mdOnePage); }

void TqpPreview::TwoPages() { m_window->SetScale(0, mdTwoPages); }

void TqpPreview::PageWidth() { m_window->SetScale(0, mdPageWidth); }

void TqpPreview::First() { SetPage(1); }

void TqpPreview::Next() { m_window->PgDownClick(); }

void TqpPreview::Prev() { m_window->PgUpClick(); }

void TqpPreview::Last() { SetPage(GetAllPages()); }

void TqpPreview::SaveToFile() { m_window->SaveBtnClick(); }

void TqpPreview::LoadFromFile() { m_window->LoadBtnClick(); }

void TqpPreview::Print() { m_window->PrintBtnClick(); }

void TqpPreview::PageSetupDlg() { m_window->PageSetupBtnClick(); }

void TqpPreview::Find() { m_window->FindBtnClick(); }

void TqpPreview::Clear()
{
    m_window->FreePages();
    m_window->ScrollBox->hide();
    m_window->RedrawAll(true);
}

void TqpPreview::LoadFile(const QString &fileName)
{
    if (!QFileInfo::exists(fileName)) {
        Clear();
        return;
    }
    m_window->LoadFromFile(fileName);
    m_window->ScrollBox->show();
}
