#pragma once
// TqpBand: the run-time band of page formation. One is built for every band
// object of a template page (plus one per band type the page does not use);
// it carries the band object's settings, the objects it prints, its data set
// and its links to the bands it works with (chain of the same type, header,
// footer, groups, child). Showing a band runs its script, measures it, moves
// to a new column or page when it does not fit and writes its objects into
// the current prepared page.

#include "report/expr/report_dataset.h"
#include "report/expr/variables.h"
#include "report/model/page.h"

#include <QPointer>

// Band types of the three data levels: header, data, footer.
struct TqpLevelTypes {
    TqpBandType Header, Data, Footer;
};
constexpr TqpLevelTypes qpLevelTypes[3] = {
    {btMasterHeader, btMasterData, btMasterFooter},
    {btDetailHeader, btDetailData, btDetailFooter},
    {btSubDetailHeader, btSubDetailData, btSubDetailFooter},
};
inline bool qpIsDataBand(int type) { return type == btMasterData || type == btDetailData || type == btSubDetailData; }

// The data set a band's data source names, told Init: a text starting with a
// digit 1-9 makes that many empty records (owned by the caller), any other
// text names a data set component of the report's owner; none for the rest.
TqpDataset *qpResolveDataSet(const QString &name, bool &owned);

// Adds a prepared page for the template page, within the page limit.
void qpAddPreparedPage(TqpPage &page);

// Marks the pages that sub-report objects show, which are formed only
// through them. A sub-report naming no report page, or pages that show
// themselves through sub-reports, is an error (with CurView on the object).
void qpMarkSubReportPages(TqpPages &pages);

class TqpBand : public TqpBandBase {
public:
    TqpBand(TqpBandType type, TqpPage *page);
    // Destroys the rest of the chain and releases the data sets.
    ~TqpBand() override;
    TqpBand(const TqpBand &) = delete;
    TqpBand &operator=(const TqpBand &) = delete;

    TqpPage *const Parent;
    TqpBandView *View = nullptr; // none for a type the page does not use and for the free objects
    quint16 Flags = 0;
    TqpBand *Next = nullptr, *Prev = nullptr;           // bands of the same type, by top
    TqpBand *NextGroup = nullptr, *PrevGroup = nullptr; // group headers of one data band, outermost first
    TqpBand *FirstGroup = nullptr, *LastGroup = nullptr;
    TqpBand *Child = nullptr;
    TqpBand *AggrBand = nullptr;
    int SubReportStart = 0;
    int SubReportBottom = 0;
    bool Finished = false;
    QList<bool> SubReportFinished;
    int LineNo = 1;
    int LineThroughNo = 1;
    Variant LastGroupValue;
    TqpBand *HeaderBand = nullptr, *FooterBand = nullptr;
    TqpBand *DataBand = nullptr;
    TqpBand *LastBand = nullptr; // on the first band of a chain
    TqpVariables Values;         // aggregate keys and running values
    int Count = 0;               // records accumulated since the last reset
    bool KeepValues = false;
    int CalcDY = -1; // height measured for this showing; -1 before
    int BandColumn = 1;
    int SavedXShift = 0;
    bool KeepCurY = false;
    int MaxColumns = 0;
    bool SkipScriptOnce = false;
    int x = 0, y = 0, dx = 0, dy = 0;
    int DrawnDY = 0;
    TqpBandType Typ;
    QString Name;
    bool PrintIfSubsetEmpty = false, NewPageAfter = false, Stretched = false, Breakable = false,
         PrintChildIfInvisible = false, Visible = true;
    QList<TqpView *> Objects;
    QStringList Memo, Script;
    QPointer<TqpDataset> BandDataSet;
    bool OwnsDataSet = false;
    QPointer<TqpDataset> ColumnDataSet;
    bool OwnsColumnDataSet = false;
    QString GroupCondition;
    int NewPageRequests = 0, NewColumnRequests = 0;

    // The band object's data source text (a group header's condition).
    void InitDataSet(const QString &text);
    // The cross-tab column data set this row band walks, by name.
    void InitColumnDataSet(const QString &name);
    void FreeDataSet();
    // Shows the band; true when it was not completely placed on this page.
    bool Draw();
    void DoDraw();
    int DoCalcHeight();
    int CalcHeight();
    void StretchObjects(int height);
    void UnStretchObjects();
    // Whether `height` fits below `y`; when not and not breaking, a new
    // column or page is opened. True when it did not fit.
    bool CheckPageBreak(int y, int height, bool breaking);
    // True when sub-reports were formed.
    bool DrawObjects();
    void DrawObject(TqpView *view);
    // Resets what showing the band closes (a group header's value).
    void InitValues();
    // Adds the current record to the band's aggregates. A band with
    // cross-tab cells keeps per-column totals apart: `column` adds to those
    // of the page's current column, otherwise the totals kept once a record.
    void DoAggregate(bool column = false);
    // Writes the cross-tab cells of this row band: the cross header's, one
    // column per record of the column data set, the cross footer's.
    void DrawCross();
    // Writes this cross band's cells that belong to row band `row`, at x.
    void DrawCrossCell(TqpBand *row, int atX);
    // Writes a band that may not fit in slices across pages; the drawn height.
    int DrawPageBreak();
    // Records the pages of the band's visible sub-reports from SubReportStart.
    void PrepareSubReports();
    // Replays them into the band's area, on new pages while they continue.
    void DoSubReports();
    // The band object's name, or the type's name for a band without one.
    QString DisplayName() const;

    int BandTop() const override { return y; }
    int CalculatedHeight() const override { return CalcDY; }
    int BandWidth() const override { return dx; }
    int BandType() const override { return Typ; }
    bool IsStretched() const override { return Stretched; }
    QRect Geometry() const override { return {x, y, dx, dy}; }
    void SetGeometry(const QRect &r) override;
    bool IsVisible() const override { return Visible; }
    void SetVisible(bool visible) override { Visible = visible; }
    void SetBreakable(bool breakable) override { Breakable = breakable; }
    void SetGroupCondition(const QString &text) override;
    void SetChildBand(TqpBandBase *child) override { Child = dynamic_cast<TqpBand *>(child); }
    void ResetDataSet(const QString &text) override;
    TqpDataset *DataSet() const override { return BandDataSet; }
    int LineNumber() const override { return chainStart()->LineNo; }
    int LineThroughNumber() const override { return chainStart()->LineThroughNo; }
    void RequestNewPage() override { ++NewPageRequests; }
    void RequestNewColumn() override { ++NewColumnRequests; }
    bool HasBreakRequests() const override { return NewPageRequests > 0 || NewColumnRequests > 0; }
    void KeepCurrentY() override { KeepCurY = true; }
    QString BandName() const override { return Name; }
    // An object of the band is a cross-tab cell.
    bool HasCross() const override;
    TqpBandBase *AggregateBand() const override { return AggrBand; }
    void SetAggregateBand(TqpBandBase *band) override { AggrBand = dynamic_cast<TqpBand *>(band); }
    void AddAggregateValue(const QString &key, const Variant &value) override { Values.SetVariable(key, value); }
    Variant GetAggregateValue(const QString &key) override;
    // Field n (from 1) of an aggregate key: the text before the n-th code-1 character.
    static QString ExtractField(const QString &key, int n);

private:
    // A band without data set counts lines with the start of its chain.
    const TqpBand *chainStart() const;
    // A data band followed by bands without data set draws them with itself.
    bool drawsChain() const;
    bool isFixed() const { return Typ == btPageFooter || Typ == btOverlay || Typ == btNone; }
    // The data set whose records are this row's cross-tab columns.
    TqpDataset *columnDataSet() const;
    // CurBand becomes this cross band, drawn for row band `row`.
    void enterCell(TqpBand *row);
    // The height the row's objects need, cells measured in every column.
    int measureCross();
    // Moves column x to the next prepared page when `width` does not fit.
    void fitCrossColumn(int &atX, int width, int startPage);

    QList<int> m_savedHeights; // object heights before stretching, in object order
};
