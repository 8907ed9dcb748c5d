#pragma once
// The report container: the template pages with their dictionary, the
// settings that building, preview and printing read, the document
// attributes, and every way a template is loaded and saved (streams, files,
// blob fields, table rows, templates with description and picture, and the
// window's stored form).
//
// The window's stored form: the report is a QObject owned by its window and
// carries the "ReportForm" bytes as the Qt property ReportForm (a
// QByteArray holding exactly those bytes: i32 25, then, with StoreInDFM, the
// byte count and the template). A window that keeps its template with its
// layout ships the bytes as a Qt resource, sets the published properties,
// assigns the resource to ReportForm and calls Loaded().

#include "report/expr/data_dictionary.h"
#include "report/model/page.h"

#include <QBuffer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class TqpDataset;
class TqpEMFPages;
class TqpExportFilter;
class TqpPreview;
class TDataSet;
class TField;

// Ids of the report container's messages.
enum qpReportMessageId : int {
    qpMsgNonPlugged = 59230,
    qpMsgIncludeComponents = 59231,
    qpMsgTooManyPages = 59232, // %1 page count, %2 limit
    qpMsgNoTemplateFields = 59233,
    qpMsgObjectNotSaved = 59234, // %1 page or object name, %2 reason
    qpMsgFileNotSaved = 59235,   // %1 file name, %2 reason
    qpMsgFileNotRead = 59236,    // %1 file name, %2 reason
};

enum TqpPreviewZoom : quint8 { pzDefault, pzPageWidth, pzOnePage, pzTwoPages };
enum TqpPreviewButton : quint8 {
    pbZoom = 0x01,
    pbLoad = 0x02,
    pbSave = 0x04,
    pbPrint = 0x08,
    pbFind = 0x10,
    pbHelp = 0x20,
    pbExit = 0x40,
    pbPageSetup = 0x80,
};
enum TqpReportType : quint8 { rtSimple, rtMultiple };
// Which page numbers of a print run go to the printer.
enum TqpPrintPages : quint8 { qpAll, qpOdd, qpEven };

// The marker byte a report writes (the character "X").
constexpr quint8 qpReportMarker = 88;
// The template version written, and the newest one read.
constexpr int qpCurrentVersion = 25;

// The report's modal interactions. The windowed application installs boxes
// and the password form through its modal seam; without them an error is
// logged and a password prompt counts as cancelled, so a headless run never
// blocks and never opens a protected template.
struct TqpReportUi {
    std::function<void(const QString &text, const QString &caption)> ErrorBox;
    // Shows the password form; true with the typed text when closed with OK.
    std::function<bool(QString &typed)> AskPassword;
};
extern TqpReportUi qpReportUi;

// The progress window that builds, printing and export run inside. The
// window library installs it; without it (the tool, tests) the work runs
// directly and progress goes nowhere.
struct TqpProgressUi {
    // Shows the window modally with the caption, label prefix and label;
    // once it is on screen it calls `work` inside its modal loop. Returns
    // the modal result it was closed with (1 OK, 2 cancel); its cancel
    // button terminates the report.
    std::function<int(TqpReport *report, const QString &caption, const QString &prefix, const QString &label,
                      const std::function<void()> &work)>
        ShowModal;
    // Changes the prefix and label of the window on screen and lets events
    // through (where its cancel button acts).
    std::function<void(const QString &prefix, const QString &label)> SetLabel;
    // Closes the window on screen with that modal result.
    std::function<void(int result)> Close;
};
extern TqpProgressUi qpProgressUi;

// The template designer, installed by the designer library; its modal
// result (mrCancel when it is not installed).
extern std::function<int(TqpReport *report)> qpDesignerHook;
// One prepared page edited in the designer, installed with it; none while
// no designer is installed, and then the preview offers no page editing.
extern std::function<void(TqpReport *report, int pageIndex)> qpPageEditHook;

// Passes prepared page streams through a compression; nothing here
// enables it, the prepared-page file only asks Enabled.
class TqpCompressor {
public:
    virtual ~TqpCompressor() = default;
    bool Enabled = false;
    virtual void Compress(QIODevice &source, QIODevice &destination) {}
    virtual void DeCompress(QIODevice &source, QIODevice &destination) {}
};
extern TqpCompressor *qpCompressor;

// What the objects of a replayed page hand to the export filter of the
// running export: each whole object, and each output line of a text object.
// The export library's filters implement it.
class TqpExportTarget {
public:
    virtual ~TqpExportTarget() = default;
    virtual void OnData(int x, int y, TqpView *view) = 0;
    virtual void OnText(const TRect &drawRect, int x, int y, const QString &text, int frameTyp, TqpView *view) = 0;
};

class TqpReport : public QObject, public TqpReportBase {
    Q_OBJECT
    Q_PROPERTY(QByteArray ReportForm READ ReportForm WRITE SetReportForm)

public:
    explicit TqpReport(QObject *owner = nullptr);
    ~TqpReport() override;

    // Published properties. The data set and the preview are components of
    // their own windows; when one is deleted the report forgets it.
    QPointer<TqpDataset> Dataset;
    int DefaultCopies = 1;
    bool DefaultCollate = true;
    bool GrayedButtons = false;
    TqpPreviewZoom InitialZoom = pzDefault;
    bool MDIPreview = false;
    bool ModalPreview = true;
    bool ModifyPrepared = true;
    QPointer<TqpPreview> Preview;
    quint8 PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbHelp | pbExit;
    bool PrintIfEmpty = true;
    TqpReportType ReportType = rtSimple;
    bool ShowPrintDialog = true;
    bool ShowProgress = true;
    bool StoreInDFM = false;
    QString Title;
    bool RebuildPrinter = false;
    bool UseDefaultDataSetName = false;

    // Published events; an unassigned one is not called.
    std::function<void()> OnBeginDoc, OnEndDoc;
    std::function<void(int pgNo)> OnBeginPage, OnEndPage;
    std::function<void(TqpBandBase *band)> OnBeginBand, OnEndBand;
    std::function<void(const QString &parName, Variant &parValue)> OnGetValue;
    std::function<void(QStringList &memo, TqpView *view)> OnBeforePrint;
    std::function<void(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3, Variant &val)>
        OnUserFunction;
    std::function<void(int n)> OnProgress;
    std::function<void(TqpBandBase *band)> OnBeginColumn;
    std::function<void(int colNo, int &width)> OnPrintColumn;
    std::function<void(TqpPage *page)> OnManualBuild;
    std::function<void(TqpView *view)> OnObjectClick;
    std::function<void(TqpView *view, int &cursor)> OnMouseOverObject;
    std::function<void()> OnPrintReport;
    std::function<void(QObject *sender)> OnCustomizeObject;

    // Not published.
    TqpPages Pages{this};
    TqpDataDictionary Dictionary{this};
    bool PrintToDefault = false;
    bool DoublePassReport = false;
    QString PrinterName;
    QString FileName;
    QString Description, ReportName, Author;
    QString VersionMajor, VersionMinor, VersionRelease, VersionBuild;
    double CreateDate = 0, LastChange = 0;
    bool PasswordProtected = false;
    QString Password;
    quint8 ReportMarker = qpReportMarker;
    // On while SaveToQP3File runs: the page list writes the QP3 XML document.
    bool SavingQP3 = false;
    std::unique_ptr<QBuffer> StoredTemplate;
    // The prepared pages; created by the engine (GetEMFPages), so the model
    // needs no link to it.
    std::shared_ptr<TqpEMFPages> EMFPages;
    // On after a build; a report loaded from a prepared-report file cannot be built again.
    bool CanRebuild = false;
    // Build state: STOPREPORT, the progress window's cancel or a caught
    // error ends every loop of page formation; the final pass is the last
    // (or only) pass of a build.
    bool Terminated = false;
    bool FinalPass = false;

    void Clear();
    void ClearAttribs();
    // Never throws: errors end in a message box (qpReportUi).
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream);
    bool LoadFromFile(const QString &fileName);
    // Writes a temporary file next to the target and renames it over the
    // target, so a failed save leaves the previous file as it was.
    void SaveToFile(const QString &fileName);
    // The template as a QP3 XML document, in the file of that name with the
    // extension ".qp3".
    void SaveToQP3File(const QString &fileName);
    void LoadFromBlobField(TField *field);
    void SaveToBlobField(TField *field);
    void LoadFromDB(TDataSet *dataSet, int docNumber);
    void SaveToDB(TDataSet *dataSet, int docNumber);
    void SaveTemplate(const QString &fileName, const QStringList &description, const QImage &picture);
    void LoadTemplate(const QString &fileName, QStringList &description, QImage &picture, bool load);
    void SetPrinterTo(const QString &printerName);

    // Prepared pages (defined with the engine).
    TqpEMFPages &GetEMFPages();
    // Reads the objects of prepared page `index` into its objects page.
    void BuildPage(int index);
    // The prepared-report file (.qpp); errors raise EqpError.
    void SavePreparedReport(const QString &fileName);
    void LoadPreparedReport(const QString &fileName);

    // Building (defined with the engine). The template is saved before and
    // restored after, so scripts leave no trace; true when the build ran to
    // its end. Errors end in a message box and leave no prepared pages.
    bool PrepareReport();
    // One build, one or two passes, with or without the progress window;
    // false when the progress window was cancelled.
    bool DoPrepareReport();
    // One pass, then the next one or closing the progress window.
    void BuildBeforeModal();
    // One pass over the template pages. Not virtual: the model library holds
    // the report's virtual table and must not depend on the engine, so the
    // driver picks the composite's own pass itself.
    void DoBuildReport();
    void InternalOnProgress(int pageNo);
    // Prepares, then shows the prepared pages (defined with the preview).
    void ShowReport();
    // Shows the prepared pages in the attached preview control or in a
    // preview window of its own; nothing without prepared pages.
    void ShowPreparedReport();
    // The designer's modal result; cancel while no designer is installed.
    int DesignReport();
    // Prepared page `pageIndex` (from 0) in the designer in page-edit mode;
    // nothing while no designer is installed.
    void EditPreparedReport(int pageIndex);
    bool SavedDoublePass = false; // DoublePassReport when the build started
    TqpPage *CurrentTemplatePage = nullptr;
    int CurrentTemplatePageNo = 0; // 1-based

    // Printing the prepared pages (defined with the print run and the print
    // dialog). The parameters are held between the request and the run.
    QString PrintPageNumbers; // empty: every page; else a list such as "1,3,5-12"
    int PrintCopies = 1;
    bool PrintCollate = true;
    TqpPrintPages PrintPagesMode = qpAll;
    // The report's own print entry: the print dialog, then PrintPreparedReport.
    void PrintPreparedReportDlg();
    // Stores the parameters and prints, inside the progress window when one
    // is installed; true when the run went to its end.
    bool PrintPreparedReport(const QString &pageNumbers, int copies, bool collate, TqpPrintPages printPages);
    bool PrintBeforeModal();
    // The print run; false when there is nothing to print, no printer, or
    // the run was cancelled. A page list that is not one raises EConvertError.
    bool DoPrintReport(const QString &pageNumbers, int copies, bool collate, TqpPrintPages printPages);
    // Makes printer `newIndex` of Prn current and re-fits every template
    // page; false, after an error box, when that printer cannot be used.
    bool ChangePrinter(int oldIndex, int newIndex);

    // Export (defined with the export filters): the filter's options, then
    // every chosen prepared page replayed through it into the file, which is
    // written under a temporary name and put in place only when complete.
    // False when the export was called off (OnBeforeExport, the option
    // dialog, the progress window's cancel); errors raise EqpError.
    bool ExportTo(TqpExportFilter *filter, const QString &fileName);
    // The filter of the running export; none otherwise.
    TqpExportTarget *ExportFilter = nullptr;

    // The window's stored form.
    QByteArray ReportForm();
    void SetReportForm(const QByteArray &bytes);
    void Loaded();

    TqpView *FindObject(const QString &name) const override;
    TqpObject *PageAt(int index) const override;
    void InternalOnGetValue(const QString &name, QString &text) override;
    // Name resolution (report_values.cpp): the parser's name callback, the
    // engine names, object properties and constants, and display formats.
    void GetVariableValue(const QString &name, Variant &value);
    void GetIntrpValue(const QString &name, Variant &value);
    static QString FormatValue(const Variant &value, quint32 format, const QString &formatStr);
    // Before a build: the parser resolves names through this report, and
    // field references start from its owner and its default data set.
    void ConnectParserCallbacks();
    // Undoes the connection when it is this report's (the report is going away).
    void DisconnectParserCallbacks();
    // The table that names without a data set part refer to: the one behind
    // the report's Dataset when that is a TqpDBDataSet.
    TDataSet *GetDefaultDataSet() const;
    // Function calls (report_functions.cpp), the parser's function callback:
    // the registered libraries in turn, else the script functions and object
    // methods, then the OnUserFunction event. The result starts as "0".
    void OnGetParsFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                           Variant &value);
    // STOPREPORT, NEWPAGE, NEWCOLUMN, SHOWBAND, INC, DEC, SETARRAY, GETARRAY;
    // any other name is a method of the object it names (CurView without a dot).
    void GetIntrpFunction(const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                          Variant &value);
    void InternalOnEnterRect(QStringList &lines, TqpView *view) override;
    void InternalOnExportData(TqpView *view) override;
    void InternalOnExportText(const TRect &drawRect, int x, TqpView *view, int frameTyp, const QString &line,
                              int y) override;
    bool HasOnBeforePrint() const override { return bool(OnBeforePrint); }
    bool CountingPass() const override { return DoublePassReport && !FinalPass; }
    void Terminate() override { Terminated = true; }

private:
    void resetAttributes();
    void readAttributes(QIODevice &stream);
    void writeAttributes(QIODevice &stream);
    void askPassword(const QIODevice &stream);
};

class TqpCompositeReport : public TqpReport {
    Q_OBJECT
public:
    using TqpReport::TqpReport;
    QList<TqpReport *> Reports; // built one after another; not owned
    // Empties the list of reports and nothing else.
    void Clear() { Reports.clear(); }
    // Builds every report of the list into this report's prepared pages.
    void DoBuildReport();
};

// The current time as the engine stores dates.
double qpNow();
