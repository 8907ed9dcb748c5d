// One program for the designer's editing tests: the commands, the object
// inspector and the small widgets, over the engine globals set up once.

#include "report/expr/expr_globals.h"
#include "report/model/model_globals.h"
#include "report/output/printer.h"

#include <QApplication>

int runDesignerCommandTests(int argc, char **argv);
int runInspFormTests(int argc, char **argv);
int runDesignerWidgetTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    qpPrinterStartup();
    qpInitExpressionGlobals();
    qpInitModelGlobals();
    int failed = runDesignerCommandTests(argc, argv);
    failed |= runInspFormTests(argc, argv);
    failed |= runDesignerWidgetTests(argc, argv);
    qpDoneModelGlobals();
    qpDoneExpressionGlobals();
    qpPrinterShutdown();
    return failed;
}
