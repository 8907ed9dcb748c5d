#pragma once
// What every report benchmark starts with: an offscreen application with the
// engine's globals and the printer set up for the run, and the peak memory.

#include "report/expr/expr_globals.h"
#include "report/model/model_globals.h"
#include "report/output/printer.h"

#include <QApplication>
#include <sys/resource.h>

inline double peakMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

class EngineScope {
public:
    EngineScope(int &argc, char **argv) : m_app(offscreen(argc), argv)
    {
        qpInitExpressionGlobals();
        qpInitModelGlobals();
        qpPrinterStartup();
    }
    ~EngineScope()
    {
        qpPrinterShutdown();
        qpDoneModelGlobals();
        qpDoneExpressionGlobals();
    }
    EngineScope(const EngineScope &) = delete;
    EngineScope &operator=(const EngineScope &) = delete;

private:
    // Set before the application picks its platform.
    static int &offscreen(int &argc)
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc;
    }
    QApplication m_app;
};
