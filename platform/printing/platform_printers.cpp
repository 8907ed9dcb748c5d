#include "platform_printers.h"

#include "canvas.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>
#include <memory>

struct TqtPlatformPrinters::State {
    QList<QPrinterInfo> printers;
    std::unique_ptr<QPrinter> printer; // the current one, carrying its settings
    std::unique_ptr<TCanvas> job;      // the open print job's canvas
};

namespace {

// Paper numbers are Windows paper numbers; Qt knows the same table.
QPageSize pageSizeFor(const TqpPlatformPrinters::DeviceMode &mode)
{
    if (mode.paperCode == 256 || mode.customSizeSet)
        return QPageSize(QSizeF(mode.customWidth / 10.0, mode.customLength / 10.0), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    const QPageSize::PageSizeId id = QPageSize::id(mode.paperCode);
    return QPageSize(id == QPageSize::Custom ? QPageSize::A4 : id);
}

int paperCodeOf(const QPageSize &size)
{
    const int code = size.windowsId();
    return code > 0 ? code : 256;
}

} // namespace

TqtPlatformPrinters::TqtPlatformPrinters() : m(new State)
{
    m->printers = QPrinterInfo::availablePrinters();
    const QString def = QPrinterInfo::defaultPrinterName();
    for (int i = 0; i < m->printers.size(); ++i)
        if (m->printers[i].printerName() == def)
            m_current = i;
    if (!m->printers.isEmpty())
        m->printer = std::make_unique<QPrinter>(m->printers[m_current], QPrinter::HighResolution);
}

TqtPlatformPrinters::~TqtPlatformPrinters()
{
    abortJob();
    delete m;
}

QStringList TqtPlatformPrinters::printerNames()
{
    QStringList names;
    for (const QPrinterInfo &p : m->printers)
        names << p.printerName();
    return names;
}

void TqtPlatformPrinters::setCurrentIndex(int index)
{
    if (index < 0 || index >= m->printers.size() || index == m_current || m->job)
        return;
    m_current = index;
    m->printer = std::make_unique<QPrinter>(m->printers[index], QPrinter::HighResolution);
}

QString TqtPlatformPrinters::deviceName() { return m->printer ? m->printer->printerName() : QString(); }
QString TqtPlatformPrinters::driverName() { return m->printer ? m->printers[m_current].makeAndModel() : QString(); }
QString TqtPlatformPrinters::portName() { return m->printer ? m->printers[m_current].location() : QString(); }

std::optional<TqpPlatformPrinters::DeviceMode> TqtPlatformPrinters::deviceMode()
{
    if (!m->printer || !m->printer->isValid())
        return std::nullopt;
    const QPageLayout layout = m->printer->pageLayout();
    DeviceMode mode;
    mode.paperCode = paperCodeOf(layout.pageSize());
    mode.orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
    const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
    mode.customSizeSet = mode.paperCode == 256;
    mode.customWidth = int(std::lround(mm.width() * 10));
    mode.customLength = int(std::lround(mm.height() * 10));
    mode.copies = m->printer->copyCount();
    return mode;
}

bool TqtPlatformPrinters::setDeviceMode(const DeviceMode &mode)
{
    if (!m->printer || !m->printer->isValid())
        return false;
    m->printer->setPageSize(pageSizeFor(mode));
    m->printer->setPageOrientation(mode.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    m->printer->setCopyCount(std::max(mode.copies, 1));
    return true;
}

std::optional<TqpPlatformPrinters::Geometry> TqtPlatformPrinters::geometry()
{
    if (!m->printer || !m->printer->isValid())
        return std::nullopt;
    Geometry g;
    g.dpiX = g.dpiY = m->printer->resolution();
    const QPageLayout layout = m->printer->pageLayout();
    const QRect full = layout.fullRectPixels(g.dpiX);
    const QRect paint = layout.paintRectPixels(g.dpiX);
    g.physicalWidth = full.width();
    g.physicalHeight = full.height();
    g.offsetX = paint.left();
    g.offsetY = paint.top();
    g.printableWidth = paint.width();
    g.printableHeight = paint.height();
    if (g.dpiX <= 0 || g.physicalWidth <= 0 || g.physicalHeight <= 0)
        return std::nullopt;
    return g;
}

TqpPlatformPrinters::CodeList TqtPlatformPrinters::papers()
{
    CodeList list;
    if (!m->printer)
        return list;
    for (const QPageSize &size : m->printers[m_current].supportedPageSizes())
        list.append({paperCodeOf(size), size.name().left(64)});
    return list;
}

TqpPlatformPrinters::CodeList TqtPlatformPrinters::sources()
{
    return {}; // the print system chooses the tray from the job's settings
}

bool TqtPlatformPrinters::propertiesDialog(DeviceMode &mode)
{
    return PropertiesDialogHook && m->printer && PropertiesDialogHook(m->printer->printerName(), mode);
}

bool TqtPlatformPrinters::isPrinting() { return m->job != nullptr; }

void TqtPlatformPrinters::setJobTitle(const QString &title)
{
    if (m->printer)
        m->printer->setDocName(title);
}

TCanvas *TqtPlatformPrinters::beginJob()
{
    if (!m->printer || !m->printer->isValid() || m->job)
        return nullptr;
    // The engine makes collated copies itself; the printer's own copies of
    // a page come one after another.
    m->printer->setCollateCopies(false);
    auto canvas = std::make_unique<TCanvas>(m->printer.get());
    canvas->IsPrinter = true;
    if (!canvas->Painter().isActive())
        return nullptr;
    m->job = std::move(canvas);
    return m->job.get();
}

void TqtPlatformPrinters::newPage()
{
    if (m->job)
        m->printer->newPage();
}

void TqtPlatformPrinters::endJob()
{
    m->job.reset(); // ending the painter hands the job to the print system
}

void TqtPlatformPrinters::abortJob()
{
    if (!m->job)
        return;
    // Qt's CUPS engine cannot withdraw a job it has begun: when abort is
    // refused, the pages drawn before the cancel still go out, nothing after.
    m->printer->abort();
    m->job.reset();
}
