// The report's export: the filter's options, then the chosen prepared pages
// replayed object by object through the filter into the output file,
// inside the progress window when there is one.

#include "export_file.h"
#include "export_filter.h"
#include "page_list.h"
#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

#include <QCoreApplication>
#include <QScopeGuard>

namespace {

enum : int { kMsgFrom = 55199, kMsgCaption = 55203, kMsgPage = 55205 };

void letEventsThrough()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

class ExportRun {
public:
    ExportRun(TqpReport &report, TqpExportFilter &filter, const TqpPageList &chosen, bool inWindow)
        : m_report(report), m_filter(filter), m_chosen(chosen), m_inWindow(inWindow)
    {
    }

    // Every chosen page, then the end of the document; the progress
    // window's cancel stops it after the page in hand.
    void Replay()
    {
        TqpEMFPages &pages = m_report.GetEMFPages();
        letEventsThrough();
        for (int i = 0; i < pages.GetCount() && !m_report.Terminated; ++i) {
            if (!m_chosen.Contains(i + 1))
                continue;
            m_filter.PageIndex = i;
            m_filter.OnBeginPage();
            if (m_filter.ReplaysObjects())
                pages.ExportData(i);
            progress(i + 1, pages.GetCount());
            letEventsThrough();
            m_filter.OnEndPage();
        }
        if (!m_report.Terminated)
            m_filter.OnEndDoc();
        if (m_inWindow && qpProgressUi.Close)
            qpProgressUi.Close(m_report.Terminated ? mrCancel : mrOk);
    }

private:
    void progress(int pageNo, int total)
    {
        if (m_report.OnProgress) {
            m_report.OnProgress(pageNo);
            return;
        }
        if (!m_inWindow || !qpProgressUi.SetLabel)
            return;
        const QString prefix = qpLoadStr(kMsgPage);
        qpProgressUi.SetLabel(prefix, prefix + QStringLiteral("  ") + QString::number(pageNo) + QLatin1Char(' ') +
                                          qpLoadStr(kMsgFrom) + QLatin1Char(' ') + QString::number(total));
    }

    TqpReport &m_report;
    TqpExportFilter &m_filter;
    const TqpPageList &m_chosen;
    const bool m_inWindow;
};

} // namespace

bool TqpReport::ExportTo(TqpExportFilter *filter, const QString &fileName)
{
    DocMode = dmPrinting;
    ExportFilter = filter;
    filter->FileName = fileName;
    filter->Report = this;
    const auto forget = qScopeGuard([this, filter] {
        ExportFilter = nullptr;
        filter->Report = nullptr;
        filter->Stream = nullptr;
        filter->PageIndex = -1;
    });

    bool continueExport = true;
    if (filter->OnBeforeExport)
        filter->OnBeforeExport(filter->FileName, continueExport);
    if (!continueExport || filter->ShowModal() != mrOk)
        return false;
    // A page list that is not one ends the export before the file exists.
    TqpEMFPages &pages = GetEMFPages();
    const TqpPageList chosen = TqpPageList::Parse(filter->PageRange, pages.GetCount());

    // The name given here is the one written, whatever OnBeforeExport made
    // of the filter's.
    TqpExportFile file(fileName);
    filter->Stream = &file.Device();
    CurReport = this;
    MasterReport = this;
    qpTotalPages = pages.GetCount();
    Terminated = false;
    filter->OnBeginDoc();

    const bool inWindow = ShowProgress && !OnProgress && qpProgressUi.ShowModal;
    ExportRun run(*this, *filter, chosen, inWindow);
    if (inWindow) {
        QString caption = qpLoadStr(kMsgCaption);
        if (!Title.isEmpty())
            caption += QStringLiteral(" - ") + Title;
        const QString prefix = qpLoadStr(kMsgPage);
        qpProgressUi.ShowModal(this, caption, prefix, prefix + QStringLiteral("  1"), [&run] { run.Replay(); });
    } else {
        run.Replay();
    }
    // A cancelled export leaves no file: the earlier one stays.
    if (Terminated)
        return false;
    file.Commit();
    filter->Stream = nullptr;
    if (filter->OnAfterExport)
        filter->OnAfterExport(filter->FileName);
    return true;
}
