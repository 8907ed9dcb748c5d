#pragma once
// Reads a workbook back with openpyxl (through /usr/bin/python3 and
// read_xlsx.py), a reader none of us wrote, and returns what it saw as JSON.

#include <QJsonObject>
#include <QString>

// Empty, with the reader's complaint in `error`, when the workbook does not load.
QJsonObject qpReadXlsx(const QString &fileName, QString *error = nullptr);
// The cell object of a coordinate ("B3"), empty when the cell does not exist.
QJsonObject qpXlsxCell(const QJsonObject &workbook, const QString &coordinate);
