#pragma once
// What the document model needs to know of the report, the template page and
// the run-time band it works for. The report container, the pages and page
// formation implement these; tests implement them with small stand-ins.

#include "report/model/object.h"

#include <QList>
#include <QRect>
#include <QStringList>

class TqpView;
class TqpDataset;

// A rectangle with exclusive right and bottom edges, as the drawing
// geometry computes it.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    QRect toQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TRect &) const = default;
};


// The report being read, written, designed or built (CurReport).
class TqpReportBase {
public:
    virtual ~TqpReportBase() = default;
    // The object of that name on any page, or none. Names are looked up by
    // hash: unique naming asks for thousands of candidates on big pages.
    virtual TqpView *FindObject(const QString &name) const = 0;
    // Template page by index from 0, or none.
    virtual TqpObject *PageAt(int index) const = 0;
    // The display text of one bracketed expression of CurView (value,
    // display format, hidden zeros).
    virtual void InternalOnGetValue(const QString &name, QString &text) = 0;
    // Before an object is printed: blob binding and the OnBeforePrint event.
    virtual void InternalOnEnterRect(QStringList &lines, TqpView *view) {}
    virtual bool HasOnBeforePrint() const { return false; }
    // The export filter's entries for a whole object and for one text line.
    virtual void InternalOnExportData(TqpView *view) {}
    virtual void InternalOnExportText(const TRect &drawRect, int x, TqpView *view, int frameTyp,
                                      const QString &line, int y) {}
    // The counting pass of a two-pass report is running.
    virtual bool CountingPass() const { return false; }
    // STOPREPORT: the build unwinds at its next termination test.
    virtual void Terminate() {}
};

// A template page as objects see it: its objects and, while drawing, the
// page limits of page formation.
class TqpPageBase : public TqpObject {
public:
    virtual const QList<TqpView *> &Objects() const = 0;
    virtual int LeftMargin() const = 0;
    virtual int RightMargin() const = 0;
    // The sheet in report units; the designer lays band strips across it.
    virtual int SheetWidth() const = 0;
    virtual int SheetHeight() const = 0;

    // Formation state that expressions read (CURY, FREESPACE, PAGEHEIGHT,
    // COLUMN#, CURRENT#); page formation keeps it, elsewhere it is 0.
    virtual int CurY() const { return 0; }
    virtual int CurBottomY() const { return 0; }
    virtual int ColumnNo() const { return 0; }
    virtual int CurPosition() const { return 0; }
    // What scripts do to formation: assign CURY, SHOWBAND(name).
    virtual void SetCurY(int) {}
    virtual void ShowBandByName(const QString &) {}
};

// A band of page formation, as the objects it prints see it (CurBand).
class TqpBandBase {
public:
    virtual ~TqpBandBase() = default;
    virtual int BandTop() const = 0;
    virtual int CalculatedHeight() const = 0;
    virtual int BandWidth() const = 0;
    virtual int BandType() const = 0;
    virtual bool IsStretched() const = 0;

    // What the properties and methods of the band object reach while
    // printing; page formation overrides them, until then they do nothing.
    virtual QRect Geometry() const { return {}; }
    virtual void SetGeometry(const QRect &) {}
    virtual bool IsVisible() const { return true; }
    virtual void SetVisible(bool) {}
    virtual void SetBreakable(bool) {}
    virtual void SetGroupCondition(const QString &) {}
    virtual void SetChildBand(TqpBandBase *) {}
    // Frees the band's data set and initialises it again from the text.
    virtual void ResetDataSet(const QString &) {}
    virtual TqpDataset *DataSet() const { return nullptr; }
    // LINE# and LINETHROUGH# as they stand for this band (a band without
    // data set counts with the start of its chain).
    virtual int LineNumber() const { return 0; }
    virtual int LineThroughNumber() const { return 0; }
    // NEWPAGE and NEWCOLUMN from the band's script, and a CURY assignment
    // made while such a request is pending (the position survives the break).
    virtual void RequestNewPage() {}
    virtual void RequestNewColumn() {}
    virtual bool HasBreakRequests() const { return false; }
    virtual void KeepCurrentY() {}
    // Aggregates: the name keys carry, whether the band has cross-tab cells,
    // the data band whose table it reads, and that table (key -> running
    // value; reading divides averages by the record count).
    virtual QString BandName() const { return {}; }
    virtual bool HasCross() const { return false; }
    virtual TqpBandBase *AggregateBand() const { return nullptr; }
    virtual void SetAggregateBand(TqpBandBase *) {}
    virtual void AddAggregateValue(const QString &key, const Variant &value) {}
    virtual Variant GetAggregateValue(const QString &key) { return 0; }
};

// Band types whose bands run across the page (cross-tab header, data, footer).
inline bool qpIsCrossBand(int bandType) { return bandType >= 18 && bandType <= 20; }

