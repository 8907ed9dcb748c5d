#include "export_ui.h"

#include "export_filter.h"
#include "ole_excel_export.h"
#include "ole_excel_set.h"
#include "preview_form.h"
#include "rtf_export.h"
#include "rtf_export_form.h"
#include "text_export.h"
#include "text_export_form.h"

namespace {

void offerFilters()
{
    qpPreviewExports.clear();
    for (const TqpFilterEntry &e : std::as_const(qpFilters)) {
        TqpExportFilter *filter = e.Filter;
        qpPreviewExports.append({e.Description, e.Mask, filter->Default,
                                 [filter](TqpReport *report, const QString &fileName) {
                                     report->ExportTo(filter, fileName);
                                 }});
    }
}

} // namespace

void qpInstallExportUi()
{
    qpExportDialogs.insert(QStringLiteral("TqpTextExport"),
                           [](TqpExportFilter *f) {
                               return qpRunOptionDialog<TqpTXTExportForm>(*static_cast<TqpTextExport *>(f));
                           });
    qpExportDialogs.insert(QStringLiteral("TqpRtfAdvExport"),
                           [](TqpExportFilter *f) {
                               return qpRunOptionDialog<TqpRtfExpSet>(*static_cast<TqpRtfAdvExport *>(f));
                           });
    qpExportDialogs.insert(QStringLiteral("TqpOLEExcelExport"), [](TqpExportFilter *f) {
        return qpRunOptionDialog<TqpOLEExcelSet>(*static_cast<TqpOLEExcelExport *>(f));
    });
    qpFiltersChanged = offerFilters;
    offerFilters();
}
