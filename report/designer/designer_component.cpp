#include "report/designer/designer_component.h"

#include "report/core/exceptions.h"

TqpDesigner *qpDesignerComponent = nullptr;
QString qpTemplateDir;

TqpDesigner::TqpDesigner(QObject *owner) : QObject(owner)
{
    if (qpDesignerComponent)
        throw EqpError(QStringLiteral("You already have one TqpDesigner component"));
    qpDesignerComponent = this;
}

TqpDesigner::~TqpDesigner()
{
    if (qpDesignerComponent == this)
        qpDesignerComponent = nullptr;
}
