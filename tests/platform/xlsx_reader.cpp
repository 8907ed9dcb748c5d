#include "xlsx_reader.h"

#include <QJsonDocument>
#include <QProcess>

QJsonObject qpReadXlsx(const QString &fileName, QString *error)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(READ_XLSX_SCRIPT), fileName});
    python.waitForFinished(-1);
    const QByteArray out = python.readAllStandardOutput();
    if (python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        if (error)
            *error = QString::fromUtf8(python.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(out).object();
}

QJsonObject qpXlsxCell(const QJsonObject &workbook, const QString &coordinate)
{
    return workbook.value(QStringLiteral("cells")).toObject().value(coordinate).toObject();
}
