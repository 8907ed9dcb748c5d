#pragma once
// How expressions reach table fields: component look-up by name
// ("Table1", "UyeKayitForm1.Table1"), field references with data set and
// field parts, field values for the parser (never Null), blobs, bookmarks,
// and the small text helpers the data code shares.

#include "report/core/variant.h"

#include "data/dataset.h"

#include <QStringList>
#include <functional>

class QIODevice;
class QObject;

// The components a dotted name may start from: the program's windows and
// any registered container (a data module, or the headless tool's tables).
void qpRegisterContainer(QObject *container);
void qpUnregisterContainer(QObject *container);

// The owner of the current report, whose components plain names are looked
// up in, and the data set that names without a data set part refer to. The
// report installs both; without one, lookups find nothing.
extern std::function<QObject *()> qpReportOwner;
extern std::function<TDataSet *()> qpDefaultDataSet;
// Whether names without a data set part use the default data set.
extern std::function<bool()> qpUseDefaultDataSetName;

QObject *qpFindComponent(QObject *owner, const QString &name);
// Names of every component of the class on the owner and on every window
// and registered container (except skip), sorted: the owner's own by name,
// the others as container "." name. Components are found at any depth of a
// container, so those of nested frames are listed with their container.
void qpGetComponents(QObject *owner, const QMetaObject &cls, QStringList &list, QObject *skip = nullptr);
TDataSet *qpGetDataSet(const QString &name);
// Resolves `name` into a data set and field name; `dataSet` comes in as the
// default. The field name is empty unless the data set has that field.
void qpGetDataSetAndField(const QString &name, TDataSet *&dataSet, QString &field);
Variant qpGetFieldValue(TField *field);
bool qpFieldIsNull(const QString &name);
bool qpIsDataSet(QObject *component);
bool qpIsBlob(const TField *field);
// A blob into a text list, a byte array, or a stream rewound to its start.
void qpAssignBlobTo(TField *field, QStringList &lines);
void qpAssignBlobTo(TField *field, QByteArray &bytes);
void qpAssignBlobTo(TField *field, QIODevice &stream);
void qpGetFieldNames(TDataSet *dataSet, QStringList &names);

TBookmark qpGetBookmark(TDataSet *dataSet);
void qpGotoBookmark(TDataSet *dataSet, const TBookmark &bookmark);
void qpFreeBookmark(TDataSet *dataSet, TBookmark &bookmark);
bool qpIsBookmarksEqual(TDataSet *dataSet, const TBookmark &a, const TBookmark &b);

// Text with either "," or "." as the decimal separator to a real.
double qpStrToFloat(const QString &text);
QString qpRemoveQuotes(const QString &text);
void qpSetCommaText(const QString &text, QStringList &list);
