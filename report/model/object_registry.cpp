#include "report/model/object_registry.h"

#include "report/core/string_table.h"
#include "report/model/band_view.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/subreport_view.h"
#include "report/model/model_errors.h"

TqpAddInObjectInfo qpAddIns[qpMaxAddIns];
int qpAddInsCount = 0;

namespace {

using Factory = TqpView *(*)();

template<typename T>
TqpView *create()
{
    return new T;
}

// The built-in kinds by type code; each kind fills its slot as it comes to exist.
constexpr Factory kBuiltIn[] = {
    create<TqpMemoView>,      // vkText
    create<TqpPictureView>,   // vkPicture
    create<TqpBandView>,      // vkBand
    create<TqpSubReportView>, // vkSubReport
    create<TqpLineView>,      // vkLine
};

void addEntry(const TqpViewClass &cls, const QImage &bitmap, const QString &hint, int isControl)
{
    for (int i = 0; i < qpAddInsCount; ++i)
        if (qpAddIns[i].ClassRef.ClassName == cls.ClassName)
            return;
    if (qpAddInsCount == qpMaxAddIns)
        throw EqpError(qpLoadStr(qpMsgTooManyAddIns));
    qpAddIns[qpAddInsCount++] = {cls, bitmap, hint, isControl};
}

} // namespace

TqpView *qpCreateObject(int code, const QString &className)
{
    TqpView *view = nullptr;
    if (code >= 0 && code < int(std::size(kBuiltIn))) {
        if (kBuiltIn[code])
            view = kBuiltIn[code]();
    } else if (code == vkAddIn) {
        for (int i = 0; i < qpAddInsCount && !view; ++i)
            if (qpAddIns[i].ClassRef.ClassName == className)
                view = qpAddIns[i].ClassRef.Create();
        if (!view) {
            ErrorFlag = true;
            ErrorStr += className + QLatin1Char('\r');
            throw EClassNotFound(ErrorStr);
        }
        view->Kind = vkAddIn;
    }
    if (view)
        view->ID = qpNextObjectID++;
    return view;
}

void qpRegisterObject(const TqpViewClass &cls, const QImage &bitmap, const QString &hint)
{
    addEntry(cls, bitmap, hint, 0);
}

void qpRegisterControl(const TqpViewClass &cls, const QImage &bitmap, const QString &hint)
{
    addEntry(cls, bitmap, hint, 1);
}

void qpUnRegisterObject(const TqpViewClass &cls)
{
    int kept = 0;
    for (int i = 0; i < qpAddInsCount; ++i)
        if (qpAddIns[i].ClassRef.ClassName != cls.ClassName)
            qpAddIns[kept++] = std::move(qpAddIns[i]);
    for (int i = kept; i < qpAddInsCount; ++i)
        qpAddIns[i] = TqpAddInObjectInfo();
    qpAddInsCount = kept;
}
