#pragma once
// The membership program's report components without its windows: a
// container named "UyeKayitForm1" owning the member cursor "Table1" over the
// working folder's Uye.db, "DataSource1", the report data set "qpDBDataSet1"
// and the report "qpReport1" whose main data set it is, and the member's dues
// "Table2" over Aidat.db following the member by number, "DataSource2" and
// "qpDBDataSet2" (the dues table opens only when a template walks it). A template prepares
// the same here as in the program.

#include <QObject>
#include <QString>

class TTable;
class TDataSource;
class TqpDBDataSet;
class TqpReport;

class TMemberSession {
public:
    // Opens the member table of the folder (EDatabaseError when it cannot).
    explicit TMemberSession(const QString &folder);
    ~TMemberSession();
    TMemberSession(const TMemberSession &) = delete;
    TMemberSession &operator=(const TMemberSession &) = delete;

    QObject Form;
    TTable *Table1 = nullptr;
    TDataSource *DataSource1 = nullptr;
    TqpDBDataSet *qpDBDataSet1 = nullptr;
    TTable *Table2 = nullptr;
    TDataSource *DataSource2 = nullptr;
    TqpDBDataSet *qpDBDataSet2 = nullptr;
    TqpReport *qpReport1 = nullptr;

    // Loads the template and prepares it; the error text when it fails.
    QString Prepare(const QString &templateFile);
};
