// The preparation driver: saves the template, runs one or two passes over
// the template pages (inside the progress window when there is one),
// repeats per record of a multiple report, builds composite reports into one
// sequence of prepared pages, restores the template and reports errors.

#include "report/core/string_table.h"
#include "report/engine/band_engine.h"
#include "report/engine/engine_globals.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/report_dataset.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

#include <QBuffer>
#include <QCoreApplication>
#include <cmath>

namespace {

enum : int { kMsgFrom = 55199, kMsgCaption = 55203, kMsgCountingPass = 55204, kMsgPage = 55205, kMsgError = 55206 };
enum : int { kModalOk = 1, kModalCancel = 2 };

// A dialog page closed with cancel: no report page is formed.
bool gDialogCancelled = false;
// The next report of a composite continues on the last prepared page.
bool gCompositeAppend = false;
// The progress window is on screen, with this label prefix.
bool gProgressShown = false;
QString gProgressPrefix;

void letEventsThrough()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

QString progressCaption(const TqpReport &report)
{
    QString caption = qpLoadStr(kMsgCaption);
    if (!report.Title.isEmpty())
        caption += QStringLiteral(" - ") + report.Title;
    return caption;
}

// Runs the pass inside the progress window; false when it closed with cancel.
bool runInProgressWindow(TqpReport &report, int prefixId)
{
    gProgressPrefix = qpLoadStr(prefixId);
    gProgressShown = true;
    const int result = qpProgressUi.ShowModal(&report, progressCaption(report), gProgressPrefix,
                                              gProgressPrefix + QStringLiteral("  1"),
                                              [&report] { report.BuildBeforeModal(); });
    gProgressShown = false;
    return result != kModalCancel;
}

// A report's template as it was before formation, with its objects' IDs:
// reading the template back makes new objects, and whoever holds IDs (the
// designer's undo records) must still find them.
struct TSavedTemplate {
    QBuffer Stream;
    QList<QList<quint32>> IDs; // per page, in list order
};

void saveTemplate(TqpReport &report, TSavedTemplate &saved)
{
    saved.Stream.open(QIODevice::ReadWrite);
    report.SaveToStream(saved.Stream);
    for (int i = 0; i < report.Pages.GetCount(); ++i) {
        QList<quint32> ids;
        for (const TqpView *v : std::as_const(report.Pages.GetPages(i)->Items))
            ids << v->ID;
        saved.IDs << ids;
    }
}

void restoreTemplate(TqpReport &report, TSavedTemplate &saved)
{
    saved.Stream.seek(0);
    report.LoadFromStream(saved.Stream);
    if (report.Pages.GetCount() != saved.IDs.size())
        return;
    for (int i = 0; i < report.Pages.GetCount(); ++i) {
        QList<TqpView *> &items = report.Pages.GetPages(i)->Items;
        if (items.size() == saved.IDs.at(i).size())
            for (qsizetype k = 0; k < items.size(); ++k)
                items[k]->ID = saved.IDs.at(i).at(k);
    }
}

bool samePaper(int orientation1, int size1, int orientation2, int size2)
{
    return orientation1 == orientation2 && size1 == size2;
}

} // namespace

bool TqpReport::PrepareReport()
{
    if (!PrinterName.isEmpty())
        SetPrinterTo(PrinterName);
    DocMode = dmPrinting;
    const double stamp = qpNow();
    qpStartDate = std::floor(stamp);
    qpStartTime = stamp - qpStartDate;
    Pages.RefreshObjects();
    CurPage = nullptr;
    CurBand = nullptr;
    MasterReport = this;
    CurReport = this;
    SavedDoublePass = DoublePassReport;
    ConnectParserCallbacks();

    // Scripts and formation may change anything; the saved copies undo it.
    auto *composite = qobject_cast<TqpCompositeReport *>(this);
    QList<std::shared_ptr<TSavedTemplate>> saved;
    if (composite) {
        for (TqpReport *r : std::as_const(composite->Reports)) {
            saved << std::make_shared<TSavedTemplate>();
            saveTemplate(*r, *saved.last());
            if (r->OnBeginDoc)
                r->OnBeginDoc();
        }
    } else {
        saved << std::make_shared<TSavedTemplate>();
        saveTemplate(*this, *saved.last());
    }

    if (OnBeginDoc)
        OnBeginDoc();
    bool result = DoPrepareReport();
    if (OnEndDoc)
        OnEndDoc();
    const bool error = ErrorFlag;
    const QString errorText = ErrorStr;

    if (composite) {
        for (int i = 0; i < composite->Reports.size(); ++i) {
            TqpReport *r = composite->Reports.at(i);
            if (r->OnEndDoc)
                r->OnEndDoc();
            restoreTemplate(*r, *saved.at(i));
        }
    } else {
        restoreTemplate(*this, *saved.first());
    }
    // Loading a template makes that report current; the built one stays so.
    CurReport = this;
    FinalPass = false;
    if (gDialogCancelled)
        result = false;
    if (error) {
        if (qpReportUi.ErrorBox)
            qpReportUi.ErrorBox(errorText, qpLoadStr(kMsgError));
        GetEMFPages().Clear();
        result = false;
    } else if (gDialogCancelled) {
        GetEMFPages().Clear();
    }
    DisableDrawing = false;
    CurBand = nullptr;
    return result;
}

bool TqpReport::DoPrepareReport()
{
    bool result = true;
    Terminated = false;
    qpAppendMode = false;
    DisableDrawing = false;
    FinalPass = true;
    PageNo = 0;
    GetEMFPages().Clear();
    const bool windowed = !OnProgress && ShowProgress && bool(qpProgressUi.ShowModal);

    if (DoublePassReport) {
        // The counting pass writes nothing and learns the page count.
        DisableDrawing = true;
        FinalPass = false;
        if (!windowed)
            BuildBeforeModal();
        else
            result = runInProgressWindow(*this, kMsgCountingPass);
    } else if (!windowed) {
        DoublePassReport = SavedDoublePass;
        BuildBeforeModal();
    } else if (SavedDoublePass && gProgressShown) {
        // The final pass of a two-pass build runs in the window already up.
        gProgressPrefix = qpLoadStr(kMsgPage);
        qpProgressUi.SetLabel(gProgressPrefix, gProgressPrefix + QStringLiteral("  1"));
        DoublePassReport = true;
        BuildBeforeModal();
    } else {
        qpTotalPages = 0;
        result = runInProgressWindow(*this, kMsgPage);
    }
    return result;
}

void TqpReport::BuildBeforeModal()
{
    if (auto *composite = qobject_cast<TqpCompositeReport *>(this))
        composite->DoBuildReport();
    else
        DoBuildReport();
    const bool windowed = gProgressShown && bool(qpProgressUi.Close);
    if (!DoublePassReport || FinalPass) {
        if (windowed)
            qpProgressUi.Close(Terminated ? kModalCancel : kModalOk);
        return;
    }
    // After the counting pass: the page count, then the final pass.
    qpTotalPages = GetEMFPages().GetCount();
    DoublePassReport = false;
    if (Terminated) {
        GetEMFPages().Clear();
        if (windowed)
            qpProgressUi.Close(kModalCancel);
    } else {
        DoPrepareReport();
    }
    DoublePassReport = true;
}

void TqpReport::DoBuildReport()
{
    letEventsThrough();
    CanRebuild = true;
    DocMode = dmPrinting;
    CurReport = this;
    Dictionary.ClearCache();
    ConnectParserCallbacks();
    ErrorFlag = false;
    qpProgress = [this](int pageNo) { qpMasterReport()->InternalOnProgress(pageNo); };

    const bool repeating = Dataset && ReportType == rtMultiple;
    if (repeating) {
        Dataset->Init();
        Dataset->First();
    }
    const bool finalOfTwo = qpMasterReport() && qpMasterReport()->DoublePassReport && qpMasterReport()->FinalPass;
    if (!finalOfTwo) {
        qpHookList.clear();
        gDialogCancelled = false;
        try {
            qpMarkSubReportPages(Pages);
        } catch (const std::exception &e) {
            qpFormationError(e);
        }
    }

    for (int i = 0; i < Pages.GetCount() && !gDialogCancelled; ++i)
        if (Pages.GetPages(i)->PageType == ptDialog)
            Pages.GetPages(i)->InitPage();

    if (!gDialogCancelled) {
        for (int i = 0; i < Pages.GetCount(); ++i)
            if (Pages.GetPages(i)->PageType == ptReport)
                Pages.GetPages(i)->InitPage();
        for (int i = 0; i < Pages.GetCount(); ++i)
            if (Pages.GetPages(i)->PageType == ptReport)
                Pages.GetPages(i)->PrepareObjects();

        TqpEMFPages &prepared = qpMasterReport()->GetEMFPages();
        do {
            InternalOnProgress(PageNo + 1);
            const int count = Pages.GetCount();
            for (int j = 0; j < count; ++j) {
                TqpPage *page = Pages.GetPages(j);
                CurrentTemplatePage = page;
                CurrentTemplatePageNo = j + 1;
                CurPage = page;
                if (!page->Visible) {
                    page->DoScript(page->Script);
                } else if (page->PageType == ptReport && !page->IsSubReportPage) {
                    page->Mode = pmNormal;
                    page->FormPage();
                    qpAppendMode = false;
                }
                const bool last = j == count - 1;
                const bool continues =
                    (last && gCompositeAppend && (!repeating || Dataset->Eof())) ||
                    (!last && Pages.GetPages(j + 1)->PrintToPrevPage);
                if (continues) {
                    qpAppendMode = true;
                    --PageNo;
                } else {
                    PageNo = prepared.GetCount();
                    InternalOnProgress(PageNo);
                }
                if (qpTerminated())
                    break;
            }
            InternalOnProgress(PageNo);
            if (!repeating)
                break;
            Dataset->Next();
        } while (!qpTerminated() && !Dataset->Eof());
    }

    for (int i = 0; i < Pages.GetCount(); ++i)
        if (Pages.GetPages(i)->PageType == ptReport)
            Pages.GetPages(i)->DonePage();
    for (int i = 0; i < Pages.GetCount(); ++i)
        if (Pages.GetPages(i)->PageType == ptDialog)
            Pages.GetPages(i)->DonePage();
    if (repeating)
        Dataset->Exit();
}

void TqpCompositeReport::DoBuildReport()
{
    CanRebuild = true;
    PageNo = 0;
    TqpEMFPages &prepared = GetEMFPages();
    if (Dataset) {
        Dataset->Init();
        Dataset->First();
    }
    do {
        for (int i = 0; i < Reports.size(); ++i) {
            TqpReport *r = Reports.at(i);
            TSavedTemplate saved;
            if (Dataset)
                saveTemplate(*r, saved);
            gCompositeAppend = false;
            if (i + 1 < Reports.size() && Reports.at(i + 1)->Pages.GetCount() > 0 &&
                r->Pages.GetCount() > 0) {
                const TqpPage *next = Reports.at(i + 1)->Pages.GetPages(0);
                if (next->PrintToPrevPage) {
                    // Continuing is only possible on paper of the same kind.
                    if (prepared.GetCount() == 0) {
                        const TqpPage *own = r->Pages.GetPages(r->Pages.GetCount() - 1);
                        gCompositeAppend =
                            samePaper(own->Orientation, own->PaperSize, next->Orientation, next->PaperSize);
                    } else {
                        const TqpPageInfo &last = prepared.GetPages(prepared.GetCount() - 1);
                        gCompositeAppend =
                            samePaper(last.Orientation, last.PaperSize, next->Orientation, next->PaperSize);
                    }
                }
            }
            // A stop from an earlier build of the report on its own is over.
            r->Terminated = false;
            r->DoBuildReport();
            // STOPREPORT in a contained report ends the whole composite build.
            if (r->Terminated)
                Terminated = true;
            if (Dataset) {
                // Restoring reloads the template, which clears the error of
                // the build just made: keep it for the composite's caller.
                const bool failed = ErrorFlag;
                const QString failure = ErrorStr;
                restoreTemplate(*r, saved);
                ErrorFlag = failed;
                ErrorStr = failure;
            }
            qpAppendMode = gCompositeAppend;
            gCompositeAppend = false;
            if (Terminated)
                break;
        }
        if (!Dataset || Terminated)
            break;
        Dataset->Next();
    } while (!Dataset->Eof());
    if (Dataset)
        Dataset->Exit();
}

void TqpReport::InternalOnProgress(int pageNo)
{
    if (OnProgress) {
        OnProgress(pageNo);
        return;
    }
    if (!ShowProgress || !gProgressShown || !qpProgressUi.SetLabel)
        return;
    QString label = gProgressPrefix + QStringLiteral("  ") + QString::number(pageNo);
    if (DoublePassReport && FinalPass)
        label += QLatin1Char(' ') + qpLoadStr(kMsgFrom) + QLatin1Char(' ') + QString::number(qpTotalPages);
    qpProgressUi.SetLabel(gProgressPrefix, label);
}

int TqpReport::DesignReport()
{
    if (!PrinterName.isEmpty())
        SetPrinterTo(PrinterName);
    if (Pages.GetCount() == 0)
        Pages.Add();
    CurReport = this;
    return qpDesignerHook ? qpDesignerHook(this) : kModalCancel;
}

void TqpReport::EditPreparedReport(int pageIndex)
{
    if (qpPageEditHook)
        qpPageEditHook(this, pageIndex);
}
