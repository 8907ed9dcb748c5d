#pragma once
// The QP3 XML document of a template, written one way only for the engine's
// successor format: the report element with its options, variables and a
// script text gathering every page and object script as a procedure, one
// element per page, and one line per object. Lines end in CR LF and the text
// is in the 8-bit code page; a document that holds bytes beyond ASCII names
// that code page in its declaration so that XML readers take the bytes for
// what they are.
//
// An object writes its element through these helpers in its virtual
// SaveToQP3Stream, without the closing "/>", which the page writer adds.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

class TqpReport;

// Line feeds, carriage returns, quotation marks, "<", ">" and "&" as
// decimal character references.
QString StrToXML(const QString &text);
// Every byte as two upper-case hexadecimal digits.
QString qpStreamToString(const QByteArray &bytes);
// Report units to whole millimetres, as the successor format measures pages.
int qpUnitsToMM(int units);

// The whole document.
void SaveToQP3Stream(TqpReport *report, QIODevice &stream);

// Parts of an element line: "<" and the element name, then attributes, each
// a blank, the name, "=" and the quoted value. Text goes through StrToXML;
// names, numbers and enumeration words are written as they are.
void qp3Begin(QIODevice &stream, const QString &element);
void qp3Attr(QIODevice &stream, const char *name, const QString &value);
void qp3Attr(QIODevice &stream, const char *name, qint64 value);
void qp3Text(QIODevice &stream, const char *name, const QString &text);
void qp3Real(QIODevice &stream, const char *name, double value);
// The text lines, each followed by CR LF, escaped.
void qp3Lines(QIODevice &stream, const char *name, const QStringList &lines);
// "True" or "False" under the name, only when the condition holds.
void qp3Flag(QIODevice &stream, const char *name, bool condition, bool value);
// DataSet and DataField of an object whose first text line names a data
// field: the data set's owner "." the data set, and the field.
void qp3DataField(QIODevice &stream, const QStringList &memo);
