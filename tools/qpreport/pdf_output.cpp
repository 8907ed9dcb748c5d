#include "pdf_output.h"

#include "report/core/exceptions.h"
#include "report/engine/prepared_pages.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <canvas.h>

namespace {

constexpr int kPdfResolution = 600;

QPageLayout layoutOf(const TqpPageInfo &page)
{
    // Paper sizes are kept in tenths of a millimetre, portrait.
    const QPageSize size(QSizeF(page.PaperWidth / 10.0, page.PaperHeight / 10.0), QPageSize::Millimeter);
    return QPageLayout(size, page.Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF());
}

} // namespace

void qpWritePdf(TqpEMFPages &pages, const QString &fileName)
{
    if (pages.GetCount() == 0)
        throw EqpError(QStringLiteral("%1: the report has no prepared page").arg(fileName));
    QPdfWriter writer(fileName);
    writer.setResolution(kPdfResolution);
    writer.setCreator(QStringLiteral("Quillpress"));
    writer.setPageLayout(layoutOf(pages.GetPages(0)));
    TCanvas canvas(&writer);
    if (!canvas.Painter().isActive())
        throw EqpError(QStringLiteral("cannot write %1").arg(fileName));
    for (int i = 0; i < pages.GetCount(); ++i) {
        TqpPageInfo &page = pages.GetPages(i);
        if (i > 0) {
            writer.setPageLayout(layoutOf(page));
            writer.newPage();
        }
        const TRect dest{0, 0, writer.width(), writer.height()};
        page.OnScreen = true;
        pages.Draw(i, &canvas, dest);
        // Off screen again, which releases the page's objects.
        page.OnScreen = false;
        pages.Draw(i, &canvas, dest);
    }
}
