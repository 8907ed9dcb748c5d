// One program for the designer's editing tests: the commands and the
// object inspector, over the engine globals set up once.

#include "report/expr/expr_globals.h"
#include "report/model/model_globals.h"
#include "report/output/printer.h"

#include <QApplication>

int runDesignerCommandTests(int argc, char **argv);
int runInspFormTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    qpPrinterStartup();
    qpInitExpressionGlobals();
    qpInitModelGlobals();
    int failed = runDesignerCommandTests(argc, argv);
    failed |= runInspFormTests(argc, argv);
    qpDoneModelGlobals();
    qpDoneExpressionGlobals();
    qpPrinterShutdown();
    return failed;
}
