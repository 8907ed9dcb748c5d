#pragma once
// Process-wide state of page formation, shared by the preparation driver and
// the band engine, with the few helpers over it that every formation step
// needs: the report being built, termination and the error report. Only one
// report builds at a time, so this state is global.

#include <QList>
#include <exception>
#include <functional>

class TqpReport;
class TqpView;

// Ids of the formation messages.
enum qpFormationMessageId : int {
    qpMsgCalcError = 55200,   // "Hesaplama sırasında hata oluştu"
    qpMsgErrorReport = 55201, // "Rapor :"
    qpMsgErrorObject = 55202, // "Nesne :"
    qpMsgBandLoop = 59280,    // %1 band name, %2 nesting depth
    qpMsgPageLimit = 59281,   // %1 page limit
    qpMsgNoRoom = 59282,      // %1 band name
    qpMsgSubPageMissing = 59283, // %1 object name, %2 page number
    qpMsgSubPageLoop = 59287,    // %1 object name, %2 page number
    qpMsgSubPageTwice = 59288,   // %1 object name, %2 page number
    qpMsgCrossNoColumns = 59284, // %1 band name
    qpMsgCrossNarrow = 59289,    // %1 band name
    qpMsgScriptError = 59285, // %1 object name, %2 compiler message
    qpMsgCrossPair = 59286,   // %1 the pair as written
};

// Append mode: the next template page continues on the last prepared page
// at the saved current Y, within the saved bottom limit.
extern bool qpAppendMode;
extern int qpSavedCurY;
extern int qpSavedBottomY;
// Page footers were drawn at the end of the previous template page, so an
// appended page neither draws them again nor moves its bottom limit.
extern bool qpFootersDrawn;
// Objects told (OnHook) after each text object is printed; filled by
// TossObjects, emptied by the driver when a build starts.
extern QList<TqpView *> qpHookList;
// Progress of the build with a page number; the driver reports it (the
// OnProgress event or the progress window), unset nothing is reported.
extern std::function<void(int pageNo)> qpProgress;
// A build stops with an error past this many prepared pages: data that
// never ends, or a script asking for a new page in every band, must not
// fill the memory.
extern int qpMaxPreparedPages;
// Bands shown inside the showing of other bands (child bands, SHOWBAND,
// the headers and footers of a new page) nest at most this deep.
constexpr int qpMaxBandNesting = 64;

// CurReport and MasterReport as reports; none outside a build.
TqpReport *qpCurReport();
TqpReport *qpMasterReport();
// The build was stopped (STOPREPORT, cancel, a caught error).
bool qpTerminated();
// Reports an error caught while building: ErrorFlag and ErrorStr (with
// CurView's text and name when set), and the build is terminated.
void qpFormationError(const std::exception &error);
