#pragma once
// The membership register's five tables: their layout, the first start in an
// empty working folder, and the registration numbering.

#include <QString>
#include <QStringList>

#include "dataset.h"

class TDataSet;
class TTable;

namespace MemberStore {

// The table files, in the order they are created.
const QStringList &TableFiles();

// The fields of one of the register's tables (a name from TableFiles), in
// their stored order, and the column that keys it (-1: none).
const QList<TColumnDef> &Columns(const QString &file);
int KeyColumn(const QString &file);

// Creates one empty table of the register in `folder`.
void CreateTable(const QString &folder, const QString &file);

// Makes `folder` ready: when it holds none of the tables they are created
// empty and the province table is filled with the 81 provinces. When only
// some exist, the missing ones are an error: recreating them silently could
// hide lost data. True when the tables were created now.
bool PrepareWorkingFolder(const QString &folder);

// Gives a table of the register its edit masks and, for the members, the
// calculated remainder `Kalan`. Call before opening.
void ConfigureTable(TTable &table);

// `Kalan` := `Aidat` - `Alinan`, blanks counting 0.
void CalcKalan(TDataSet *members);

// The next registration number: the largest `KayitNo` of the whole table
// plus 1, whatever filter the cursor has, so no number is handed out twice.
double NextKayitNo(const TDataSet &members);

} // namespace MemberStore
