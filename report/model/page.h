#pragma once
// Template pages and the page list of a report. A page is either a report
// page with paper, margins and page columns, or a dialog page that describes
// a small window shown before the report is built; both keep the dialog
// fields. The page list reads and writes the pages section of a template.

#include "report/model/band_view.h"
#include "report/output/printer.h"

#include <QIODevice>
#include <memory>

class TqpReport;
class TqpBand; // run-time band of page formation, defined by the engine

enum TqpPageType : quint8 { ptReport = 0, ptDialog = 1 };
enum TqpDialogBorder : quint8 { bsSizeable = 2, bsDialog = 3 };
enum TqpDialogPosition : quint8 { poDesigned = 0, poScreenCenter = 4 };

// Page formation draws (pmNormal) or records the bands it would show, for a
// sub-report page that is replayed into its owner band (pmBuildList).
enum TqpPageMode : quint8 { pmNormal, pmBuildList };
enum TqpBandRecType : quint8 { rtShowBand, rtFirst, rtNext };
struct TqpBandRec {
    TqpBand *Band = nullptr;
    TqpBandRecType Action = rtShowBand;
};

// Page formation's hold on an initialised page: it owns the run-time bands
// (so a page destroyed while initialised frees them) and serves what the
// model asks of formation. The engine implements it, so the model needs no
// link to the engine.
class TqpPageFormation {
public:
    virtual ~TqpPageFormation() = default;
    virtual void ShowBandByName(const QString &name) = 0;
    // Height of the page footer band when it exists, else 0.
    virtual int PageFooterHeight() const = 0;
    // The data set of the page's first band of that type, or none.
    virtual TqpDataset *BandDataSet(TqpBandType type) const = 0;
};

// The paper source that stands for "the printer's default".
constexpr quint32 qpDefaultBin = 0xFFFF;
// The platform's button-face colour: the default of a dialog window.
constexpr quint32 clBtnFace = 0x8000000F;

class TqpPage : public TqpPageBase {
public:
    TqpPage(int paperSize, int paperWidth, int paperHeight, int paperBin, TPrinterOrientation orientation);
    ~TqpPage() override;
    TqpPage(const TqpPage &) = delete;
    TqpPage &operator=(const TqpPage &) = delete;

    int PaperSize = 0;
    int PaperWidth = 0, PaperHeight = 0; // tenths of a millimetre
    TRect Margins;                       // report units; 0 = the unprintable margin of that side
    quint8 Orientation = poPortrait;
    quint32 PaperBin = qpDefaultBin;
    bool PrintToPrevPage = false;
    bool UseMargins = true;
    TqpPrnInfo PrnInfo;
    int ColCount = 0;
    int ColWidth = 0;
    int ColGap = 0;
    quint8 PageType = ptReport;
    QList<TqpView *> Items; // owned; drawing order and file order
    QString Name;
    quint8 BorderStyle = bsDialog;
    QString Caption = QStringLiteral("Form");
    quint32 Color = clBtnFace;
    int Left = 220, Top = 120, Width = 380, Height = 300; // dialog window, screen pixels
    quint8 Position = poScreenCenter;
    QStringList Script;
    bool Visible = true;

    void ChangePaper(int paperSize, int paperWidth, int paperHeight, int paperBin, TPrinterOrientation orientation);
    void Clear();
    void Delete(int index);
    int FindObjectByID(quint32 id) const;
    // "Page" and the first number no page of CurReport carries.
    void CreateUniqueName();

    void SetPropValue(const QString &name, const Variant &value) override;
    Variant GetPropValue(const QString &name) override;
    void DefineProperties() override;

    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream);

    // Page limits in report units, from the margins and the printable area;
    // while printing, the bottom one leaves room for the page footer.
    int TopMargin() const;
    int BottomMargin() const;
    const QList<TqpView *> &Objects() const override { return Items; }
    int LeftMargin() const override;
    int RightMargin() const override;
    int SheetWidth() const override { return PrnInfo.SheetWidth; }
    int SheetHeight() const override { return PrnInfo.SheetHeight; }

    // Formation state, kept by page formation while the page is built.
    TqpBand *Bands[qpBandTypeCount] = {}; // first band of each type; all exist while initialised
    bool IsSubReportPage = false;         // formed only inside a sub-report object
    bool Initialised = false;
    int CurColumn = 0;        // page column being filled, from 0
    int ColumnStartY = 0;     // where the column header was last drawn
    int XShift = 0;           // added to every object's x when written
    QList<TqpBandRec> BandRecs;
    TqpPageMode Mode = pmNormal;
    int ReplayPosition = 0;
    TqpBand *SuspendedBand = nullptr;
    int ColumnNumber = 0;     // COLUMN#
    int RecordNumber = 0;     // CURRENT#
    TqpBand *LastDrawnBand = nullptr;
    bool NoRepeatedHeaders = false;
    int CurrentY = 0;         // top of the next band
    int BottomLimit = 0;      // lowest y a band may reach on this page
    // Declared after Bands: it frees the chains they point to.
    std::unique_ptr<TqpPageFormation> Formation;

    int CurY() const override { return CurrentY; }
    int CurBottomY() const override { return BottomLimit; }
    int ColumnNo() const override { return ColumnNumber; }
    int CurPosition() const override { return RecordNumber; }
    void SetCurY(int y) override { CurrentY = y; }
    void ShowBandByName(const QString &name) override;

    // Page formation (defined by the engine library; the model never calls
    // them). Built once per build, formed once per pass or per record of a
    // repeating report, released at the end.
    void InitPage();
    // Binds objects that show one data field to it and registers the
    // aggregate calls of footers with their data bands.
    void PrepareObjects();
    void TossObjects();
    void FormPage();
    void DonePage();
    // pmNormal draws the band, pmBuildList records it; none does nothing.
    void ShowBand(TqpBand *band);
    // Draws the first band of the type, whatever the mode.
    void ShowBandByType(TqpBandType type);
    void NewPage();
    // Closes the page column (or the page, after the last column).
    void NewColumn(TqpBand *band);
    // Page footers on every prepared page from PageNo to the last.
    void DrawPageFooters();
    int LeftOffset() const { return 0; }
    bool BandExists(const TqpBand *band) const;
    void ResetPosition(TqpBand *band, int lineNumber);
    // The first object of the page with that name, ignoring case.
    TqpView *FindObject(const QString &name) const;
    // OnHook(CurView) on every object of the hook list.
    void AfterPrint();
    // Compiles the lines into a fresh list and runs it; empty text does nothing.
    void DoScript(const QStringList &script);
    // The band record list of a sub-report page.
    void AddRecord(TqpBand *band, TqpBandRecType action);
    void ClearRecList();
    // Replays from the replay position; true when the page is full.
    bool PlayRecList();

private:
    void ScriptEditor();
};

class TqpPages {
public:
    explicit TqpPages(TqpReport *parent) : Parent(parent) {}
    ~TqpPages() { Clear(); }
    TqpPages(const TqpPages &) = delete;
    TqpPages &operator=(const TqpPages &) = delete;

    TqpReport *const Parent;

    int GetCount() const { return int(m_pages.size()); }
    TqpPage *GetPages(int index) const { return m_pages.at(index); }
    TqpPage *Add();
    void Delete(int index);
    void Move(int from, int to);
    void Clear();
    // Takes a page made elsewhere (a prepared page opened for editing)...
    void Append(TqpPage *page);
    // ...and gives it back without freeing it; null when it is not here.
    TqpPage *Take(TqpPage *page);
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream);
    void RefreshObjects();

private:
    void readObjectEntry(QIODevice &stream, quint8 code);
    QList<TqpPage *> m_pages;
};

// The pages section can hold at most this many pages: objects name their page in one byte.
constexpr int qpMaxPages = 256;
