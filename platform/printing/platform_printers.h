#pragma once
// The system's printers as the report engine's printer object sees them: a
// list with a current entry, and for the current printer its settings block,
// its device geometry, and the papers and sources its driver offers. The Qt
// implementation asks CUPS; tests put a scripted printer in its place.
// Print jobs go through here as well, so that tests can see what a printer
// receives without paper.

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TCanvas;

class TqpPlatformPrinters {
public:
    // The printer's settings, as a driver's settings block holds them.
    struct DeviceMode {
        int paperCode = 9;      // Windows paper numbers; 256 a custom size
        int orientation = 1;    // 1 portrait, 2 landscape
        int defaultSource = -1;
        bool customSizeSet = false;
        int customWidth = 0;    // tenths of a millimetre, for the custom size
        int customLength = 0;
        int copies = 1;
        // Further choices of the driver's options for the job, keyword to
        // choice ("Duplex" → "DuplexNoTumble"); paper and source have their
        // own fields above.
        QMap<QString, QString> choices;
    };
    // An option of the printer's driver as its properties dialog lists it.
    struct Option {
        QString keyword;                       // "PageSize", "InputSlot", "Duplex"…
        QString text;                          // the driver's caption
        QList<QPair<QString, QString>> choices; // keyword and caption
        QString defaultChoice;
    };
    using OptionList = QList<Option>;
    // The device as a print job would see it, in device pixels.
    struct Geometry {
        int dpiX = 0, dpiY = 0;
        int physicalWidth = 0, physicalHeight = 0;
        int offsetX = 0, offsetY = 0;
        int printableWidth = 0, printableHeight = 0;
    };
    using CodeList = QList<QPair<int, QString>>; // code and name

    virtual ~TqpPlatformPrinters() = default;
    virtual QStringList printerNames() = 0;
    virtual int currentIndex() = 0;
    virtual void setCurrentIndex(int index) = 0;
    virtual bool isPrinting() = 0;
    virtual QString deviceName() = 0;
    virtual QString driverName() = 0;
    virtual QString portName() = 0;
    // No value when the printer's settings cannot be read.
    virtual std::optional<DeviceMode> deviceMode() = 0;
    virtual bool setDeviceMode(const DeviceMode &mode) = 0;
    virtual std::optional<Geometry> geometry() = 0;
    virtual CodeList papers() = 0;
    virtual CodeList sources() = 0;
    // The options of the current printer's driver; none where it has none.
    virtual OptionList options() { return {}; }
    // The driver's own settings dialog over a copy of the block; false when
    // cancelled or not offered. The window layer installs the dialog.
    virtual bool propertiesDialog(DeviceMode &mode) = 0;

    // A print job on the current printer, with the settings and copy count
    // in force when it begins. Its pages are drawn on the canvas beginJob
    // returns, in device pixels with the origin at the printable area's top
    // left; none when the printer refuses the job. isPrinting() holds from
    // beginJob to endJob or abortJob. A platform that cannot print refuses
    // every job.
    virtual void setJobTitle(const QString &title) {}
    virtual TCanvas *beginJob() { return nullptr; }
    virtual void newPage() {}
    virtual void endJob() {}
    // Drops what the job has printed so far.
    virtual void abortJob() {}
};

// No printer at all: the printer object falls back to its virtual printer.
// Headless runs and tests use it so that nothing depends on the printers
// of the machine.
class TqpNoPrinters : public TqpPlatformPrinters {
public:
    QStringList printerNames() override { return {}; }
    int currentIndex() override { return -1; }
    void setCurrentIndex(int) override {}
    bool isPrinting() override { return false; }
    QString deviceName() override { return {}; }
    QString driverName() override { return {}; }
    QString portName() override { return {}; }
    std::optional<DeviceMode> deviceMode() override { return std::nullopt; }
    bool setDeviceMode(const DeviceMode &) override { return false; }
    std::optional<Geometry> geometry() override { return std::nullopt; }
    CodeList papers() override { return {}; }
    CodeList sources() override { return {}; }
    bool propertiesDialog(DeviceMode &) override { return false; }
};

// The installed printers through Qt's print support (CUPS on Linux).
class TqtPlatformPrinters : public TqpPlatformPrinters {
public:
    TqtPlatformPrinters();
    ~TqtPlatformPrinters() override;

    QStringList printerNames() override;
    int currentIndex() override { return m_current; }
    void setCurrentIndex(int index) override;
    bool isPrinting() override;
    QString deviceName() override;
    QString driverName() override;
    QString portName() override;
    std::optional<DeviceMode> deviceMode() override;
    bool setDeviceMode(const DeviceMode &mode) override;
    std::optional<Geometry> geometry() override;
    CodeList papers() override;
    CodeList sources() override;
    OptionList options() override;
    bool propertiesDialog(DeviceMode &mode) override;
    void setJobTitle(const QString &title) override;
    TCanvas *beginJob() override;
    void newPage() override;
    void endJob() override;
    void abortJob() override;
    // The dialog over the driver's options, `choices` holding the current
    // choice of each and taking the operator's; false when cancelled. The
    // window layer installs it; none in a program without windows.
    static inline std::function<bool(const QString &printer, const OptionList &options,
                                     QMap<QString, QString> &choices)>
        PropertiesDialogHook;
    // Source codes of the driver's input slots: this one for its first slot,
    // then one more for each.
    static constexpr int FirstSlotCode = 256;

private:
    struct State;
    State *m;
    int m_current = 0;
};
