#include "export_file.h"

#include "report/core/string_table.h"
#include "report/model/model_errors.h"
#include "report/model/report.h"

// Without Commit, QSaveFile removes the temporary file when it goes, so
// an export that stops on an error leaves nothing behind.

TqpExportFile::TqpExportFile(const QString &fileName) : m_file(fileName)
{
    if (!m_file.open(QIODevice::WriteOnly))
        fail();
}

void TqpExportFile::Commit()
{
    // A write that failed on the way (a full disk) shows here as well.
    if (!m_file.commit())
        fail();
}

void TqpExportFile::fail()
{
    QString reason = m_file.errorString();
    reason.replace(QLatin1Char('\n'), QLatin1Char(' '));
    throw EWriteError(qpLoadStr(qpMsgFileNotSaved).arg(m_file.fileName(), reason));
}
