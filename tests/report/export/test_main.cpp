#include "export_tests.h"
#include "report/expr/expr_globals.h"
#include "report/model/model_globals.h"
#include "report/output/printer.h"

#include <QApplication>
#include <QTest>

std::vector<std::function<std::unique_ptr<QObject>()>> &exportTests()
{
    static std::vector<std::function<std::unique_ptr<QObject>()>> tests;
    return tests;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    qpPrinterStartup();
    qpInitModelGlobals();
    qpInitExpressionGlobals();
    int failed = 0;
    for (const auto &make : exportTests()) {
        const std::unique_ptr<QObject> test = make();
        failed += QTest::qExec(test.get(), argc, argv);
    }
    qpDoneExpressionGlobals();
    qpDoneModelGlobals();
    qpPrinterShutdown();
    return failed ? 1 : 0;
}
