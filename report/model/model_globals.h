#pragma once
// Process-wide working state of the document model, shared with the
// expression layer and page formation. Only one report is read, written or
// formed at a time, so this state is global and declared together here.

#include "report/core/variant.h"

#include <canvas.h>

#include <QImage>
#include <QStringList>
#include <functional>

class TqpObject;
class TqpView;
class TqpReportBase;
class TqpPageBase;
class TqpBandBase;

enum TqpDocMode { dmDesigning = 0, dmPrinting = 1 };

// A bitmap whose canvas measures text when no real canvas is at hand.
struct TqpBitmap {
    QImage Image{1, 1, QImage::Format_RGB32};
    TCanvas Canvas{&Image};
};

extern TqpReportBase *CurReport;
extern TqpPageBase *CurPage;
extern TqpBandBase *CurBand;
extern TqpView *CurView;
extern TqpPageBase *qpDesignerPage; // the page the designer shows; none without designer
extern TqpDocMode DocMode;
extern bool DisableDrawing;  // the counting pass of a two-pass report
extern QStringList SMemo;    // receives wrapped lines
extern int qpVersion;        // version of the stream being read or written
extern int qpCharset;        // default character set of fonts
extern bool ErrorFlag;
extern QString ErrorStr;
extern quint32 qpNextObjectID;
extern TqpBitmap *TempBitmap;
extern bool ShowBandTitles; // designer option: band titles on tabs outside the strip

// Working values of a report build, read by name resolution and kept by
// the preparation driver and page formation.
extern int PageNo;                   // index of the current prepared page
extern TqpReportBase *MasterReport;  // the report whose build runs (FINALPASS)
extern Variant qpCurValue;           // VALUE: the last value a text object computed
extern double qpStartDate;           // DATE: the day preparation started
extern double qpStartTime;           // TIME: the time of day it started
extern int qpTotalPages;             // TOTALPAGES: pages of the previous pass
extern QString qpRecursionGuard;     // the name being evaluated as an expression
extern bool qpRegisteringAggregates; // aggregate calls are being collected
extern TqpBandBase *qpAggregateTargetBand; // the data band receiving those registrations

// Property editors the designer installs; the model only stores them in the
// property records.
using TqpPropEditor = std::function<void(TqpObject *sender)>;
extern TqpPropEditor qpMemoEditor, qpTagEditor, qpRestrEditor, qpHighlightEditor, qpFieldEditor,
    qpDataSourceEditor, qpCrossDataSourceEditor, qpGroupEditor, qpPictureEditor, qpFontEditor;
// A property record's editor that calls whatever is installed in `slot`
// when it runs: records are often made (a template being read) before a
// designer installs its editors, and outlive the designer that did.
TqpPropEditor qpEditorSlot(const TqpPropEditor &slot);

// Idempotent; needs a GUI application for the measuring canvas.
void qpInitModelGlobals();
void qpDoneModelGlobals();
