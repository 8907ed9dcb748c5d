#include "platform_printers.h"

#include "canvas.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <cmath>
#include <memory>

// The driver's options come from the queue's PPD: CUPS names a job's
// options by its keywords (InputSlot, Duplex…), and the IPP attributes that
// replace it in libcups do not carry a driver's own options (PDFVer of the
// PDF printer). Debian's libcups still offers it, only marked old.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

struct TqtPlatformPrinters::State {
    QList<QPrinterInfo> printers;
    std::unique_ptr<QPrinter> printer; // the current one, carrying its settings
    std::unique_ptr<TCanvas> job;      // the open print job's canvas
    int source = -1;                   // the chosen input slot; -1 the driver's default
    QMap<QString, QString> choices;    // further driver options for the job
    std::optional<OptionList> options; // the current printer's, read once
};

namespace {

// Qt's CUPS print engine hands this property's name and value pairs to the
// job as its options.
const auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
const QString kInputSlot = QStringLiteral("InputSlot");
const QString kPageSize = QStringLiteral("PageSize");
const QString kDuplex = QStringLiteral("Duplex");

// PPD texts are UTF-8 in new drivers and Latin-1 in old ones.
QString ppdText(const char *text)
{
    const QString utf8 = QString::fromUtf8(text);
    return utf8.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(text) : utf8;
}

void collectOptions(const ppd_group_t &group, TqpPlatformPrinters::OptionList &list)
{
    // Installable options describe the machine, not a job.
    if (qstrcmp(group.name, "InstallableOptions") == 0)
        return;
    for (int i = 0; i < group.num_options; ++i) {
        const ppd_option_t &o = group.options[i];
        // The page region follows the page size; a custom size needs figures
        // the list of choices cannot give.
        if (qstrcmp(o.keyword, "PageRegion") == 0 || o.num_choices == 0)
            continue;
        TqpPlatformPrinters::Option option;
        option.keyword = QString::fromLatin1(o.keyword);
        option.text = ppdText(o.text[0] ? o.text : o.keyword);
        option.defaultChoice = QString::fromLatin1(o.defchoice);
        for (int c = 0; c < o.num_choices; ++c)
            if (qstrcmp(o.choices[c].choice, "Custom") != 0)
                option.choices.append({QString::fromLatin1(o.choices[c].choice),
                                       ppdText(o.choices[c].text[0] ? o.choices[c].text : o.choices[c].choice)});
        if (!option.choices.isEmpty())
            list.append(option);
    }
    for (int i = 0; i < group.num_subgroups; ++i)
        collectOptions(group.subgroups[i], list);
}

TqpPlatformPrinters::OptionList readDriverOptions(const QString &printer)
{
    TqpPlatformPrinters::OptionList list;
    const char *file = cupsGetPPD(printer.toLocal8Bit().constData());
    if (!file)
        return list; // a queue without a driver description
    const QByteArray path(file);
    ppd_file_t *ppd = ppdOpenFile(path.constData());
    ::unlink(path.constData());
    if (!ppd)
        return list;
    for (int g = 0; g < ppd->num_groups; ++g)
        collectOptions(ppd->groups[g], list);
    ppdClose(ppd);
    return list;
}
#pragma GCC diagnostic pop

const TqpPlatformPrinters::Option *findOption(const TqpPlatformPrinters::OptionList &list, const QString &keyword)
{
    for (const auto &o : list)
        if (o.keyword == keyword)
            return &o;
    return nullptr;
}

qsizetype choiceIndex(const TqpPlatformPrinters::Option &option, const QString &choice)
{
    for (qsizetype i = 0; i < option.choices.size(); ++i)
        if (option.choices[i].first == choice)
            return i;
    return -1;
}

// The paper of a PPD page size keyword ("A4", "Letter"), 0 when Qt has no
// Windows number for it.
int paperCodeOfKey(const QString &key)
{
    for (int id = 0; id <= QPageSize::LastPageSize; ++id)
        if (QPageSize::key(QPageSize::PageSizeId(id)) == key)
            return QPageSize::windowsId(QPageSize::PageSizeId(id));
    return 0;
}

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
    // Slots and options belong to the driver of the printer left behind.
    m->source = -1;
    m->choices.clear();
    m->options.reset();
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
    mode.defaultSource = m->source;
    mode.choices = m->choices;
    return mode;
}

bool TqtPlatformPrinters::setDeviceMode(const DeviceMode &mode)
{
    if (!m->printer || !m->printer->isValid())
        return false;
    m->printer->setPageSize(pageSizeFor(mode));
    m->printer->setPageOrientation(mode.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    m->printer->setCopyCount(std::max(mode.copies, 1));
    m->source = mode.defaultSource;
    m->choices = mode.choices;
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

TqpPlatformPrinters::OptionList TqtPlatformPrinters::options()
{
    if (!m->printer)
        return {};
    if (!m->options)
        m->options = readDriverOptions(m->printer->printerName());
    return *m->options;
}

TqpPlatformPrinters::CodeList TqtPlatformPrinters::sources()
{
    CodeList list;
    const OptionList all = options();
    if (const Option *inputSlots = findOption(all, kInputSlot))
        for (qsizetype i = 0; i < inputSlots->choices.size(); ++i)
            list.append({FirstSlotCode + int(i), inputSlots->choices[i].second});
    return list;
}

bool TqtPlatformPrinters::propertiesDialog(DeviceMode &mode)
{
    if (!PropertiesDialogHook || !m->printer)
        return false;
    const OptionList all = options();
    QMap<QString, QString> choices;
    for (const Option &o : all)
        choices[o.keyword] = mode.choices.value(o.keyword, o.defaultChoice);
    // Paper and source show what the settings hold.
    if (const Option *paper = findOption(all, kPageSize)) {
        const QString key = pageSizeFor(mode).key();
        if (choiceIndex(*paper, key) >= 0)
            choices[kPageSize] = key;
    }
    const Option *inputSlots = findOption(all, kInputSlot);
    if (inputSlots && mode.defaultSource >= FirstSlotCode && mode.defaultSource - FirstSlotCode < inputSlots->choices.size())
        choices[kInputSlot] = inputSlots->choices[mode.defaultSource - FirstSlotCode].first;
    if (!PropertiesDialogHook(m->printer->printerName(), all, choices))
        return false;

    mode.choices.clear();
    for (const Option &o : all) {
        const QString chosen = choices.value(o.keyword);
        if (choiceIndex(o, chosen) < 0)
            continue;
        if (o.keyword == kPageSize) {
            if (const int code = paperCodeOfKey(chosen); code > 0) {
                mode.paperCode = code;
                mode.customSizeSet = false;
            }
        } else if (o.keyword == kInputSlot) {
            mode.defaultSource = FirstSlotCode + int(choiceIndex(o, chosen));
        } else if (chosen != o.defaultChoice) {
            mode.choices[o.keyword] = chosen;
        }
    }
    return true;
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
    // The chosen slot and driver options go with the job.
    QStringList jobOptions;
    for (auto it = m->choices.cbegin(); it != m->choices.cend(); ++it)
        jobOptions << it.key() << it.value();
    if (m->source >= FirstSlotCode) {
        const OptionList all = options();
        const Option *inputSlots = findOption(all, kInputSlot);
        if (inputSlots && m->source - FirstSlotCode < inputSlots->choices.size())
            jobOptions << kInputSlot << inputSlots->choices[m->source - FirstSlotCode].first;
    }
    // Qt names the sides of the sheet itself; they must agree with the driver's duplex.
    if (const QString duplex = m->choices.value(kDuplex); !duplex.isEmpty())
        m->printer->setDuplex(duplex == QLatin1String("DuplexNoTumble") ? QPrinter::DuplexLongSide
                              : duplex == QLatin1String("DuplexTumble") ? QPrinter::DuplexShortSide
                                                                        : QPrinter::DuplexNone);
    m->printer->printEngine()->setProperty(kCupsOptions, jobOptions);
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
