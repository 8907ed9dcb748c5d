#include "printer.h"

#include "platform_printers.h"
#include "report/core/rounding.h"
#include "report/core/string_table.h"

#include <memory>

TqpPrinter *Prn = nullptr;
int qpDefaultPaper = 9;
bool qpThreadDone = false;

namespace {

const TPaperInfo kPapers[qpStandardPaperCount] = {
    {1, 2159, 2794},  {2, 2159, 2794},  {3, 2794, 4318},   {4, 4318, 2794},   {5, 2159, 3556},
    {6, 1397, 2159},  {7, 1842, 2667},  {8, 2970, 4200},   {9, 2100, 2970},   {10, 2100, 2970},
    {11, 1480, 2100}, {12, 2500, 3540}, {13, 1820, 2570},  {14, 2159, 3302},  {15, 2150, 2750},
    {16, 2540, 3556}, {17, 2794, 4318}, {18, 2159, 2794},  {19, 984, 2254},   {20, 1048, 2413},
    {21, 1143, 2635}, {22, 1207, 2794}, {23, 1270, 2921},  {24, 4318, 5588},  {25, 5588, 8636},
    {26, 8636, 11176}, {27, 1100, 2200}, {28, 1620, 2290}, {29, 3240, 4580},  {30, 2290, 3240},
    {31, 1140, 1620}, {32, 1140, 2290}, {33, 2500, 3530},  {34, 1760, 2500},  {35, 1760, 1250},
    {36, 1100, 2300}, {37, 984, 1905},  {38, 920, 1651},   {39, 3778, 2794},  {40, 2159, 3048},
    {41, 2159, 3302}, {42, 2500, 3530}, {43, 1000, 1480},  {44, 2286, 2794},  {45, 2540, 2794},
    {46, 3810, 2794}, {47, 2200, 2200}, {50, 2355, 3048},  {51, 2355, 3810},  {52, 2969, 4572},
    {53, 2354, 3223}, {54, 2101, 2794}, {55, 2100, 2970},  {56, 2355, 3048},  {57, 2270, 3560},
    {58, 3050, 4870}, {59, 2159, 3223}, {60, 2100, 3300},  {61, 1480, 2100},  {62, 1820, 2570},
    {63, 3220, 4450}, {64, 1740, 2350}, {65, 2010, 2760},  {66, 4200, 5940},  {67, 2970, 4200},
    {68, 3220, 4450}, {256, 0, 0},
};

const int kFirstPaperName = 55008;
const int kVirtualPrinterName = 55007;
const int kDefaultSourceName = 55435;

int nearest(double v) { return qpRound(v); }

} // namespace

const TPaperInfo &qpStandardPaper(int row) { return kPapers[row]; }

TqpPrinter::TqpPrinter() { Localize(); }

TqpPrinter::~TqpPrinter() = default;

void TqpPrinter::Localize()
{
    m_standardNames.clear();
    for (int i = 0; i < qpStandardPaperCount; ++i)
        m_standardNames << qpLoadStr(kFirstPaperName + i);
    if (!PrinterNames.isEmpty())
        PrinterNames.last() = qpLoadStr(kVirtualPrinterName);
    if (IsVirtual() && !PaperTitles.isEmpty())
        PaperTitles = m_standardNames;
}

bool TqpPrinter::hasPlatformPrinters() const { return m_platform && !m_platform->printerNames().isEmpty(); }

void TqpPrinter::SetPrinter(TqpPlatformPrinters *platform)
{
    PrinterNames.clear();
    PrinterIndex = 0;
    m_platform = platform;
    if (hasPlatformPrinters()) {
        PrinterNames = m_platform->printerNames();
        PrinterIndex = m_platform->currentIndex();
    }
    PrinterNames << qpLoadStr(kVirtualPrinterName);
    VirtualPrinterIndex = int(PrinterNames.size()) - 1;
    if (!hasPlatformPrinters())
        SetSettings();
    else
        GetSettings();
}

void TqpPrinter::SetPrinterIndex(int index)
{
    if (index == PrinterIndex || index < 0 || index > VirtualPrinterIndex)
        return;
    PrinterIndex = index;
    if (index == VirtualPrinterIndex) {
        SetSettings();
    } else if (hasPlatformPrinters()) {
        m_platform->setCurrentIndex(index);
        GetSettings();
    }
}

void TqpPrinter::GetSettings()
{
    if (IsVirtual() || !hasPlatformPrinters()) {
        SetSettings();
        return;
    }
    const auto mode = m_platform->deviceMode();
    const auto geometry = m_platform->geometry();
    // A printer that cannot tell its settings is left for the virtual one.
    if (!mode || !geometry || geometry->dpiX <= 0 || geometry->dpiY <= 0) {
        SetPrinterIndex(VirtualPrinterIndex);
        return;
    }
    DeviceName = m_platform->deviceName().left(127);
    DriverName = m_platform->driverName().left(127);
    PortName = m_platform->portName().left(127);
    PaperSize = mode->paperCode;
    PaperWidth = nearest(double(geometry->physicalWidth) / geometry->dpiX * 254);
    PaperHeight = nearest(double(geometry->physicalHeight) / geometry->dpiY * 254);

    // The lists hold what a driver usually offers; a longer offer is cut.
    const auto papers = m_platform->papers().mid(0, 256);
    PaperCodes.clear();
    PaperTitles.clear();
    for (const auto &[code, name] : papers) {
        PaperCodes << code;
        PaperTitles << name.left(64);
    }
    PaperCount = int(PaperCodes.size());

    PaperBin = mode->defaultSource;
    const auto sources = m_platform->sources().mid(0, 64);
    BinCodes = {-1};
    BinTitles = {qpLoadStr(kDefaultSourceName)};
    for (const auto &[code, name] : sources) {
        BinCodes << code;
        BinTitles << name.left(24);
    }
    BinCount = int(BinCodes.size());
    Orientation = mode->orientation == 1 ? poPortrait : poLandscape;
}

void TqpPrinter::SetSettings()
{
    if (IsVirtual() || !hasPlatformPrinters()) {
        PaperTitles = m_standardNames;
        PaperCodes.clear();
        for (const TPaperInfo &p : kPapers)
            PaperCodes << p.Code;
        PaperCount = qpStandardPaperCount;
        if (PaperSize != qpPaperCustom)
            for (const TPaperInfo &p : kPapers)
                if (p.Code == PaperSize) {
                    PaperWidth = Orientation == poLandscape ? p.Height : p.Width;
                    PaperHeight = Orientation == poLandscape ? p.Width : p.Height;
                    break;
                }
        return;
    }
    auto mode = m_platform->deviceMode();
    if (!mode) {
        SetPrinterIndex(VirtualPrinterIndex);
        return;
    }
    mode->customSizeSet = PaperSize == qpPaperCustom;
    if (mode->customSizeSet) {
        mode->customLength = PaperHeight;
        mode->customWidth = PaperWidth;
    }
    mode->paperCode = PaperSize;
    mode->orientation = Orientation == poLandscape ? 2 : 1;
    mode->copies = 1; // the engine makes the copies itself
    if (PaperBin != -1)
        mode->defaultSource = PaperBin;
    m_platform->setDeviceMode(*mode);
    GetSettings();
}

bool TqpPrinter::IsEqual(int code, int width, int height, int bin, TPrinterOrientation orientation) const
{
    if (code == qpPaperCustom && PaperSize == qpPaperCustom)
        return std::abs(PaperWidth - width) <= 1 && std::abs(PaperHeight - height) <= 1 && orientation == Orientation;
    return code == PaperSize && orientation == Orientation && (bin == PaperBin || (bin & 0xFFFF) == 0xFFFF);
}

void TqpPrinter::SetPrinterInfo(int code, int width, int height, int bin, TPrinterOrientation orientation, bool applyAlways)
{
    if (m_platform && !IsVirtual() && m_platform->isPrinting())
        return; // the paper cannot change inside a print job
    if (!applyAlways && IsEqual(code, width, height, bin, orientation))
        return;
    PaperSize = code;
    PaperWidth = width;
    PaperHeight = height;
    Orientation = orientation;
    PaperBin = bin;
    SetSettings();
}

void TqpPrinter::FillPrnInfo(TqpPrnInfo &info) const
{
    const double k = qpPrinterUnitsPerInch;
    if (IsVirtual() || !m_platform) {
        info.SheetWidth = nearest(PaperWidth * k / 254);
        info.SheetHeight = nearest(PaperHeight * k / 254);
        info.SheetOffsetX = info.SheetOffsetY = nearest(50 * k / 254);
        info.PrintWidth = info.SheetWidth - 2 * info.SheetOffsetX;
        info.PrintHeight = info.SheetHeight - 2 * info.SheetOffsetY;
        return;
    }
    const auto g = m_platform->geometry();
    if (!g)
        return;
    const double kx = k / g->dpiX, ky = k / g->dpiY;
    info.DevSheetWidth = g->physicalWidth;
    info.SheetWidth = nearest(kx * info.DevSheetWidth);
    info.DevSheetHeight = g->physicalHeight;
    info.SheetHeight = nearest(ky * info.DevSheetHeight);
    info.DevOffsetX = g->offsetX;
    info.SheetOffsetX = nearest(kx * info.DevOffsetX);
    info.DevOffsetY = g->offsetY;
    info.SheetOffsetY = nearest(ky * info.DevOffsetY);
    info.DevPrintWidth = g->printableWidth;
    info.PrintWidth = nearest(kx * info.DevPrintWidth);
    info.DevPrintHeight = g->printableHeight;
    info.PrintHeight = nearest(ky * info.DevPrintHeight);
}

void TqpPrinter::PropertiesDlg()
{
    if (IsVirtual() || !hasPlatformPrinters())
        return;
    auto mode = m_platform->deviceMode();
    if (!mode)
        return;
    TqpPlatformPrinters::DeviceMode copy = *mode;
    if (m_platform->propertiesDialog(copy))
        m_platform->setDeviceMode(copy);
}

int TqpPrinter::GetSizeIndex(int code) const
{
    const auto i = PaperCodes.indexOf(code);
    return i >= 0 ? int(i) : PaperCount - 1;
}

int TqpPrinter::GetBinIndex(int bin) const
{
    const auto i = BinCodes.indexOf(bin);
    return i >= 0 ? int(i) : 0;
}

namespace {
std::unique_ptr<TqpPlatformPrinters> gSystemPrinters;
}

void qpPrinterStartup(TqpPlatformPrinters *platform)
{
    if (Prn)
        return; // started already; qpPrinterShutdown first to change printers
    try {
        Prn = new TqpPrinter;
        if (!platform) {
            gSystemPrinters = std::make_unique<TqtPlatformPrinters>();
            platform = gSystemPrinters.get();
        }
        Prn->SetPrinter(platform);
        // No readable settings (also: no printer at all): the virtual printer,
        // and new pages keep the paper they were given.
        if (!platform->deviceMode()) {
            Prn->SetPrinterIndex(Prn->VirtualPrinterIndex);
            Prn->PaperSize = -1;
        }
        qpDefaultPaper = Prn->PaperSize;
    } catch (...) {
        // A printer problem must never keep the program from starting.
    }
    qpThreadDone = true;
}

void qpPrinterShutdown()
{
    delete Prn;
    Prn = nullptr;
    gSystemPrinters.reset();
    qpThreadDone = false;
}
