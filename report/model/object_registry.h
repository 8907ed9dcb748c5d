#pragma once
// Creating report objects from the type code a stream stores, and the table
// of classes registered by name (type code 10) that modules fill at start-up.

#include "report/model/view.h"

#include <QImage>
#include <functional>

// What a class reference does here: names the class and creates an object of it.
struct TqpViewClass {
    QString ClassName;
    std::function<TqpView *()> Create;
};

template<typename T>
TqpViewClass qpClassOf()
{
    return {T().ClassName(), [] { return new T; }};
}

struct TqpAddInObjectInfo {
    TqpViewClass ClassRef;
    QImage ButtonBmp;  // toolbar bitmap; may be null
    QString ButtonHint; // a decimal number in it is a message id
    int IsControl = 0;  // 0 report object, 1 dialog control
};

constexpr int qpMaxAddIns = 64;
extern TqpAddInObjectInfo qpAddIns[qpMaxAddIns];
extern int qpAddInsCount;

// Codes 0-4 create the built-in kinds, code 10 the registered class of that
// exact name (EClassNotFound, with the name added to ErrorStr, when there is
// none); other codes create nothing. The object gets the next ID.
TqpView *qpCreateObject(int code, const QString &className);

// Appends an entry unless the class is registered already; a full table
// refuses with EqpError.
void qpRegisterObject(const TqpViewClass &cls, const QImage &bitmap, const QString &hint);
void qpRegisterControl(const TqpViewClass &cls, const QImage &bitmap, const QString &hint);
// Removes the entries of that class, closing the gap.
void qpUnRegisterObject(const TqpViewClass &cls);
