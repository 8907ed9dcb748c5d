// The print run: the chosen prepared pages replayed onto the printer through
// Prn, a new print job wherever a page's paper differs from the one in force,
// copies made by the engine (collated) or by the printer (uncollated), inside
// the progress window when one is installed. Also the report's switch to
// another printer.

#include "page_list.h"
#include "platform_printers.h"
#include "printer.h"
#include "report/core/exceptions.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <algorithm>
#include <utility>

namespace {

enum : int {
    kMsgCaption = 55203,
    kMsgError = 55206,
    kMsgUntitled = 55209,
    kMsgPrintedPage = 59300,
    kMsgInvalidPrinter = 59301,
    kMsgJobRefused = 59303,
};
enum : int { kModalOk = 1, kModalCancel = 2 };

// The print runs inside the progress window.
bool gPrintWindowShown = false;

// The paper a prepared page asks for.
struct Paper {
    int code, width, height, bin;
    TPrinterOrientation orientation;
    bool operator==(const Paper &) const = default;
};

Paper paperOf(const TqpPageInfo &info)
{
    return {info.PaperSize, info.PaperWidth, info.PaperHeight, info.PaperBin,
            info.Orientation ? poLandscape : poPortrait};
}

void applyPaper(const Paper &p)
{
    Prn->SetPrinterInfo(p.code, p.width, p.height, p.bin, p.orientation, true);
}

void setCopyCount(TqpPlatformPrinters &printer, int copies)
{
    if (auto mode = printer.deviceMode()) {
        mode->copies = copies;
        printer.setDeviceMode(*mode);
    }
}

// Where a page goes on the printer canvas, in device pixels of the printable
// area. A page that uses its margins is laid over the whole sheet so that
// its coordinates meet the paper; otherwise it is stretched over the
// printable area less its margins.
TRect targetRect(const TqpPageInfo &info)
{
    const TqpPrnInfo &p = info.PrnInfo;
    if (info.UseMargins)
        return {-p.DevOffsetX, -p.DevOffsetY, p.DevSheetWidth - p.DevOffsetX, p.DevSheetHeight - p.DevOffsetY};
    const auto scaled = [](int v, int device, int units) { return units ? qpRound(double(v) * device / units) : 0; };
    return {scaled(info.Margins.Left, p.DevPrintWidth, p.PrintWidth),
            scaled(info.Margins.Top, p.DevPrintHeight, p.PrintHeight),
            p.DevPrintWidth - scaled(info.Margins.Right, p.DevPrintWidth, p.PrintWidth),
            p.DevPrintHeight - scaled(info.Margins.Bottom, p.DevPrintHeight, p.PrintHeight)};
}

bool skippedByParity(int pageNo, TqpPrintPages printPages)
{
    return (printPages == qpOdd && pageNo % 2 == 0) || (printPages == qpEven && pageNo % 2 != 0);
}

// One print run over the prepared pages. A job is begun when its first page
// is about to be drawn, so a selection that chooses nothing, or a paper
// change before any page of the old paper, leaves no empty job behind.
class PrintRun {
public:
    PrintRun(TqpReport &report, TqpPlatformPrinters &printer, const Paper &paper, int copies, bool collate)
        : m_report(report), m_printer(printer), m_paper(paper), m_copies(copies), m_collate(collate)
    {
    }
    ~PrintRun()
    {
        // Only an error can leave a job open here: what was drawn is withdrawn.
        if (m_canvas)
            m_printer.abortJob();
    }

    // Prints page `index`; false when the report was terminated after it.
    bool printPage(int index)
    {
        TqpEMFPages &pages = m_report.GetEMFPages();
        TqpPageInfo &info = pages.GetPages(index);
        const Paper paper = paperOf(info);
        // The printer may have substituted its own values for the last
        // request; the same request again needs no new job.
        if (paper != m_paper && !Prn->IsEqual(paper.code, paper.width, paper.height, paper.bin, paper.orientation)) {
            endJob();
            applyPaper(paper);
            // The paper request wrote a copy count of 1 into the settings.
            if (!m_collate)
                setCopyCount(m_printer, m_copies);
            m_paper = paper;
        }
        if (!m_canvas) {
            m_canvas = m_printer.beginJob();
            if (!m_canvas)
                throw EqpError(qpLoadStr(kMsgJobRefused).arg(Prn->DeviceName));
        } else {
            m_printer.newPage();
        }
        Prn->FillPrnInfo(info.PrnInfo);
        info.OnScreen = true;
        pages.Draw(index, m_canvas, targetRect(info));
        info.OnScreen = false;
        pages.Draw(index, m_canvas, TRect()); // releases the page's objects
        reportPrinted(index + 1);
        if (!m_report.Terminated)
            return true;
        m_printer.abortJob();
        m_canvas = nullptr;
        return false;
    }

    void endJob()
    {
        if (m_canvas)
            m_printer.endJob();
        m_canvas = nullptr;
    }

private:
    void reportPrinted(int pageNo)
    {
        if (m_report.OnProgress) {
            m_report.OnProgress(pageNo);
        } else if (gPrintWindowShown && m_report.ShowProgress && qpProgressUi.SetLabel) {
            const QString prefix = qpLoadStr(kMsgPrintedPage);
            qpProgressUi.SetLabel(prefix, prefix + QStringLiteral("  ") + QString::number(pageNo));
        }
        // Where the progress window's cancel button acts.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    }

    TqpReport &m_report;
    TqpPlatformPrinters &m_printer;
    Paper m_paper;
    const int m_copies;
    const bool m_collate;
    TCanvas *m_canvas = nullptr;
};

} // namespace

bool TqpReport::PrintPreparedReport(const QString &pageNumbers, int copies, bool collate, TqpPrintPages printPages)
{
    CurReport = this;
    MasterReport = this;
    Terminated = false;
    PrintPageNumbers = pageNumbers;
    PrintCopies = copies;
    PrintCollate = collate;
    PrintPagesMode = printPages;

    if (OnProgress || !ShowProgress || !qpProgressUi.ShowModal) {
        // Hovering over preview objects means nothing while pages print.
        auto mouseOver = std::exchange(OnMouseOverObject, nullptr);
        const auto restore = qScopeGuard([&] { OnMouseOverObject = std::move(mouseOver); });
        return PrintBeforeModal();
    }
    QString caption = qpLoadStr(kMsgCaption);
    if (!Title.isEmpty())
        caption += QStringLiteral(" - ") + Title;
    const QString prefix = qpLoadStr(kMsgPrintedPage);
    bool printed = false;
    gPrintWindowShown = true;
    const auto shown = qScopeGuard([] { gPrintWindowShown = false; });
    const int result =
        qpProgressUi.ShowModal(this, caption, prefix, prefix, [this, &printed] { printed = PrintBeforeModal(); });
    return result == kModalOk && printed;
}

bool TqpReport::PrintBeforeModal()
{
    const bool printed = DoPrintReport(PrintPageNumbers, PrintCopies, PrintCollate, PrintPagesMode);
    if (gPrintWindowShown && qpProgressUi.Close)
        qpProgressUi.Close(Terminated ? kModalCancel : kModalOk);
    return printed;
}

bool TqpReport::DoPrintReport(const QString &pageNumbers, int copies, bool collate, TqpPrintPages printPages)
{
    if (!Prn || !Prn->Platform())
        return false;
    TqpPlatformPrinters &printer = *Prn->Platform();
    Prn->SetPrinter(&printer);
    TqpEMFPages &pages = GetEMFPages();
    // A list that is not one stops the run before any job begins.
    const TqpPageList chosen = TqpPageList::Parse(pageNumbers, pages.GetCount());
    // Nothing to print, or no real printer to print on.
    if (pages.GetCount() == 0 || Prn->IsVirtual())
        return false;
    copies = std::max(copies, 1);

    TqpPageInfo &first = pages.GetPages(0);
    const Paper paper = paperOf(first);
    applyPaper(paper);
    Prn->FillPrnInfo(first.PrnInfo);
    printer.setJobTitle(Title.isEmpty() ? qpLoadStr(kMsgUntitled) : Title);
    if (OnPrintReport)
        OnPrintReport();
    setCopyCount(printer, collate ? 1 : copies);

    PrintRun run(*this, printer, paper, copies, collate);
    for (int copy = 0; copy < (collate ? copies : 1); ++copy)
        for (int i = 0; i < pages.GetCount(); ++i)
            if (chosen.Contains(i + 1) && !skippedByParity(i + 1, printPages) && !run.printPage(i))
                return false;
    run.endJob();
    return true;
}

bool TqpReport::ChangePrinter(int oldIndex, int newIndex)
{
    const auto refit = [this] {
        for (int i = 0; i < Pages.GetCount(); ++i) {
            TqpPage *page = Pages.GetPages(i);
            page->ChangePaper(page->PaperSize, page->PaperWidth, page->PaperHeight, int(page->PaperBin),
                              page->Orientation == poLandscape ? poLandscape : poPortrait);
        }
    };
    const QString oldName = PrinterName;
    bool changed = false;
    try {
        Prn->SetPrinterIndex(newIndex);
        // A printer whose settings cannot be read leaves the virtual one current.
        if (newIndex >= 0 && newIndex < Prn->PrinterNames.size() && Prn->PrinterIndex == newIndex) {
            PrinterName = Prn->PrinterNames.at(newIndex);
            Prn->PaperSize = -1; // the next paper request applies whatever it asks
            refit();
            changed = true;
        }
    } catch (const std::exception &) {
    }
    if (changed)
        return true;
    if (qpReportUi.ErrorBox)
        qpReportUi.ErrorBox(qpLoadStr(kMsgInvalidPrinter), qpLoadStr(kMsgError));
    Prn->SetPrinterIndex(oldIndex);
    PrinterName = oldName;
    refit();
    return false;
}
