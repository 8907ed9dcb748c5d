#pragma once
// The report engine's printer object `Prn`: the installed printers plus the
// virtual printer "Hayali yazıcı", which lets reports be designed and
// previewed without any printer; the current paper; and the conversion of a
// paper into page geometry in report units.

#include <QStringList>
#include <QVector>
#include <cstdint>

class TqpPlatformPrinters;

enum TPrinterOrientation { poPortrait = 0, poLandscape = 1 };

// Page geometry handed to pages: device pixels and report units.
struct TqpPrnInfo {
    int32_t DevSheetWidth = 0, DevSheetHeight = 0;
    int32_t SheetWidth = 0, SheetHeight = 0;
    int32_t DevOffsetX = 0, DevOffsetY = 0;
    int32_t SheetOffsetX = 0, SheetOffsetY = 0;
    int32_t DevPrintWidth = 0, DevPrintHeight = 0;
    int32_t PrintWidth = 0, PrintHeight = 0;
};

// A row of the virtual printer's paper table (tenths of a millimetre, portrait).
struct TPaperInfo {
    int Code;
    int Width;
    int Height;
};

constexpr int qpPaperCustom = 256;
constexpr int qpStandardPaperCount = 67;
const TPaperInfo &qpStandardPaper(int row);

class TqpPrinter {
public:
    TqpPrinter();
    ~TqpPrinter();

    void Localize();
    // Takes the platform's printers (not owned); none means only the virtual printer.
    void SetPrinter(TqpPlatformPrinters *platform);
    void SetPrinterIndex(int index);
    void GetSettings();
    void SetSettings();
    void Update() { GetSettings(); }
    void SetPrinterInfo(int code, int width, int height, int bin, TPrinterOrientation orientation, bool applyAlways);
    bool IsEqual(int code, int width, int height, int bin, TPrinterOrientation orientation) const;
    void FillPrnInfo(TqpPrnInfo &info) const;
    void PropertiesDlg();
    int GetSizeIndex(int code) const;
    int GetBinIndex(int bin) const;

    bool IsVirtual() const { return PrinterIndex == VirtualPrinterIndex; }
    TqpPlatformPrinters *Platform() const { return m_platform; }

    QString DeviceName, DriverName, PortName;
    QStringList PrinterNames;
    int PrinterIndex = 0;
    int VirtualPrinterIndex = 0;
    TPrinterOrientation Orientation = poPortrait;
    int PaperSize = 9;
    int PaperWidth = 2100;
    int PaperHeight = 2970;
    int PaperBin = -1;
    QVector<int> PaperCodes;
    int PaperCount = 0;
    QStringList PaperTitles;
    QVector<int> BinCodes{-1};
    int BinCount = 1;
    QStringList BinTitles;

private:
    bool hasPlatformPrinters() const;
    QStringList m_standardNames;
    TqpPlatformPrinters *m_platform = nullptr;
};

// Report units per inch of the printer object; kept apart from the 5/18 mm
// report unit on purpose, as stored pages were laid out with it.
constexpr double qpPrinterUnitsPerInch = 93.0 / 1.015;

extern TqpPrinter *Prn;
extern int qpDefaultPaper;
extern bool qpThreadDone;

// Module start-up and shutdown: `Prn` over the given platform printers (the
// system's when none is given). A failure never stops the program; a
// second start-up without shutdown keeps the printers of the first.
void qpPrinterStartup(TqpPlatformPrinters *platform = nullptr);
void qpPrinterShutdown();
