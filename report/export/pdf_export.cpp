#include "pdf_export.h"

#include "report/core/string_table.h"
#include "report/engine/prepared_pages.h"
#include "report/model/model_errors.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <canvas.h>

namespace {

enum : int { kMsgNoPage = 59640, kMsgDescription = 59641 };
constexpr int kPdfResolution = 600;

QPageLayout layoutOf(const TqpPageInfo &page)
{
    // Paper sizes are kept in tenths of a millimetre, portrait.
    const QPageSize size(QSizeF(page.PaperWidth / 10.0, page.PaperHeight / 10.0), QPageSize::Millimeter);
    return QPageLayout(size, page.Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF());
}

} // namespace

TqpPdfExport::TqpPdfExport(QObject *owner) : TqpExportFilter(owner)
{
    qpRegisterExportFilter(this, qpLoadStr(kMsgDescription), QStringLiteral("*.pdf"));
}

TqpPdfExport::~TqpPdfExport() = default;

void TqpPdfExport::OnBeginDoc()
{
    m_canvas.reset();
    m_writer.reset();
}

void TqpPdfExport::OnEndPage()
{
    TqpEMFPages &pages = Report->GetEMFPages();
    TqpPageInfo &page = pages.GetPages(PageIndex);
    if (!m_writer) {
        // The first page's paper must be set before painting begins.
        m_writer = std::make_unique<QPdfWriter>(Stream);
        m_writer->setResolution(kPdfResolution);
        m_writer->setCreator(QStringLiteral("Quillpress"));
        m_writer->setPageLayout(layoutOf(page));
        m_canvas = std::make_unique<TCanvas>(m_writer.get());
        if (!m_canvas->Painter().isActive())
            throw EWriteError(qpLoadStr(qpMsgFileNotSaved).arg(FileName, QStringLiteral("PDF")));
    } else {
        m_writer->setPageLayout(layoutOf(page));
        m_writer->newPage();
    }
    const TRect dest{0, 0, m_writer->width(), m_writer->height()};
    // Drawn as a page on screen would be, then released again.
    const bool onScreen = page.OnScreen;
    page.OnScreen = true;
    pages.Draw(PageIndex, m_canvas.get(), dest);
    page.OnScreen = onScreen;
    if (!onScreen)
        pages.ReleaseObjects(PageIndex);
}

void TqpPdfExport::OnEndDoc()
{
    if (!m_writer)
        throw EWriteError(qpLoadStr(kMsgNoPage).arg(FileName));
    // Ending the painting writes the document into the stream.
    m_canvas.reset();
    m_writer.reset();
}
