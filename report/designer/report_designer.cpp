#include "report/designer/report_designer.h"

TqpReportDesignerClass qpDesignerClass;
TqpReportDesigner *qpDesigner = nullptr;
