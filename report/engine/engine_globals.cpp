#include "report/engine/engine_globals.h"

#include "report/core/exceptions.h"
#include "report/core/string_table.h"
#include "report/model/report.h"

bool qpAppendMode = false;
int qpSavedCurY = 0;
int qpSavedBottomY = 0;
bool qpFootersDrawn = false;
QList<TqpView *> qpHookList;
std::function<void(int)> qpProgress;
int qpMaxPreparedPages = 100000;

TqpReport *qpCurReport() { return dynamic_cast<TqpReport *>(CurReport); }

TqpReport *qpMasterReport() { return dynamic_cast<TqpReport *>(MasterReport); }

bool qpTerminated()
{
    // STOPREPORT in a report of a composite stops the report it runs in;
    // the composite stops with it (see TqpCompositeReport::DoBuildReport).
    const TqpReport *master = qpMasterReport();
    const TqpReport *current = qpCurReport();
    return (master && master->Terminated) || (current && current->Terminated);
}

void qpFormationError(const std::exception &error)
{
    const auto *own = dynamic_cast<const EqpError *>(&error);
    const QString message = own ? own->message() : QString::fromUtf8(error.what());
    const QChar cr(13);
    QString text = qpLoadStr(qpMsgCalcError);
    if (CurView)
        for (const QString &line : std::as_const(CurView->Memo))
            text += cr + line;
    const TqpReport *report = qpCurReport();
    text += QString(cr) + cr + qpLoadStr(qpMsgErrorReport) + QLatin1Char(' ') +
            (report ? report->objectName() : QString()) + cr;
    if (CurView)
        text += qpLoadStr(qpMsgErrorObject) + QLatin1Char(' ') + CurView->Name + cr;
    text += cr + message;
    ErrorFlag = true;
    ErrorStr = text;
    if (MasterReport)
        MasterReport->Terminate();
}
