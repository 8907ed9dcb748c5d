#include "report/model/property_path.h"

#include "report/core/conversions.h"
#include "report/model/report_links.h"
#include "report/model/view.h"

void ResolvePropertyPath(const QString &name, TqpObject *&object, QString &propName)
{
    object = CurView;
    propName = name;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const QString objectName = name.left(dot);
        propName = name.mid(dot + 1).left(255);
        const QString upper = qpUpperCase(objectName);
        if (upper.startsWith(QLatin1String("PAGE")) && upper.size() > 4 && upper.at(4).isDigit()) {
            qsizetype end = 4;
            while (end < upper.size() && upper.at(end).isDigit())
                ++end;
            bool ok = false;
            const int number = upper.mid(4, end - 4).toInt(&ok);
            object = ok && CurReport ? CurReport->PageAt(number - 1) : nullptr;
        } else {
            object = CurReport ? static_cast<TqpObject *>(CurReport->FindObject(objectName)) : nullptr;
            if (!object) {
                if (CurView && CurView->GetPropRec(objectName)) {
                    object = CurView;
                    propName = name;
                } else {
                    object = nullptr;
                }
            }
        }
    }
    if (object) {
        object->PropList(); // defines the properties of an object not yet asked
        // The property as its object names it, however the name was typed.
        if (const TqpPropRec *rec = object->GetPropRec(propName))
            propName = rec->PropName;
    }
}
