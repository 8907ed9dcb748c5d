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

#include "report/model/dictionary_section.h"
#include "report/model/page.h"

#include <QBuffer>
#include <QImage>
#include <QObject>
#include <functional>
#include <memory>

class TqpDataset;
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

class TqpReport : public QObject, public TqpReportBase {
    Q_OBJECT
    Q_PROPERTY(QByteArray ReportForm READ ReportForm WRITE SetReportForm)

public:
    explicit TqpReport(QObject *owner = nullptr);
    ~TqpReport() override;

    // Published properties.
    TqpDataset *Dataset = nullptr;
    int DefaultCopies = 1;
    bool DefaultCollate = true;
    bool GrayedButtons = false;
    TqpPreviewZoom InitialZoom = pzDefault;
    bool MDIPreview = false;
    bool ModalPreview = true;
    bool ModifyPrepared = true;
    TqpPreview *Preview = nullptr;
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
    TqpDataDictionary Dictionary;
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
    std::unique_ptr<QBuffer> StoredTemplate;

    void Clear();
    void ClearAttribs();
    // Never throws: errors end in a message box (qpReportUi).
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream);
    bool LoadFromFile(const QString &fileName);
    // Writes a temporary file next to the target and renames it over the
    // target, so a failed save leaves the previous file as it was.
    void SaveToFile(const QString &fileName);
    void LoadFromBlobField(TField *field);
    void SaveToBlobField(TField *field);
    void LoadFromDB(TDataSet *dataSet, int docNumber);
    void SaveToDB(TDataSet *dataSet, int docNumber);
    void SaveTemplate(const QString &fileName, const QStringList &description, const QImage &picture);
    void LoadTemplate(const QString &fileName, QStringList &description, QImage &picture, bool load);
    void SetPrinterTo(const QString &printerName);

    // The window's stored form.
    QByteArray ReportForm();
    void SetReportForm(const QByteArray &bytes);
    void Loaded();

    TqpView *FindObject(const QString &name) const override;
    TqpObject *PageAt(int index) const override;
    void InternalOnGetValue(const QString &name, QString &text) override;
    void InternalOnEnterRect(QStringList &lines, TqpView *view) override;
    bool HasOnBeforePrint() const override { return bool(OnBeforePrint); }

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
};

// The current time as the engine stores dates.
double qpNow();
