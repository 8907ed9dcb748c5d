#include "report/designer/report_designer.h"

#include "platform/modal_seam.h"
#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

#include <QApplication>
#include <QBuffer>
#include <exception>
#include <memory>

TqpReportDesignerClass qpDesignerClass;
TqpReportDesigner *qpDesigner = nullptr;

namespace {

constexpr int kSaveChanges = 55306, kConfirm = 59801;

// The hourglass while the page is being read; gone also when that fails.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

} // namespace

void qpEditPreparedPage(TqpReport *report, int pageIndex)
{
    TqpEMFPages &prepared = report->GetEMFPages();
    if (!qpDesignerClass || pageIndex < 0 || pageIndex >= prepared.GetCount())
        return;
    WaitCursor wait;
    // The template steps aside while the designer shows the page's objects
    // as the report's only page; it comes back unchanged in every case.
    QBuffer stash;
    stash.open(QIODevice::ReadWrite);
    report->SaveToStream(stash);
    prepared.ObjectsToPage(pageIndex);
    TqpPageInfo &info = prepared.GetPages(pageIndex);
    TqpPage *page = info.Page.release();
    TqpReportDesigner *previous = qpDesigner;
    if (previous)
        previous->Page = nullptr;
    report->Pages.Clear();
    report->Pages.Append(page);
    CurReport = report;
    std::unique_ptr<TqpReportDesigner> designer;
    bool store = false;
    std::exception_ptr failure;
    try {
        designer.reset(qpDesignerClass(false));
        qpDesigner = designer.get();
        wait.restore();
        UiSeam::ShowModal(designer.get());
        store = designer->GetModified() &&
                UiSeam::MessageBox(QApplication::activeWindow(), QMessageBox::Question, qpLoadStr(kConfirm),
                                   qpLoadStr(kSaveChanges) + QLatin1Char('?'),
                                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    } catch (...) {
        failure = std::current_exception();
    }
    designer.reset();
    qpDesigner = previous;
    info.Page.reset(report->Pages.Take(page));
    report->Pages.Clear();
    stash.seek(0);
    report->LoadFromStream(stash);
    if (previous && report->Pages.GetCount())
        previous->Page = report->Pages.GetPages(0);
    if (failure)
        std::rethrow_exception(failure);
    // The objects page goes either way: what is drawn next is the stream.
    try {
        if (store)
            prepared.PageToObjects(pageIndex);
    } catch (...) {
        prepared.ReleaseObjects(pageIndex);
        throw;
    }
    prepared.ReleaseObjects(pageIndex);
}
