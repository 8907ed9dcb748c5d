#pragma once
// What every test of the designer window sets up: the engine's globals once
// per program, and per test a settings folder of its own, the modal seam
// answered from a script and no restrictions. Tests derive from it after
// QObject.

#include "report/designer/designer_state.h"
#include "report/expr/expr_globals.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/output/printer.h"
#include "scripted_ui.h"

#include <QSettings>
#include <QTemporaryDir>
#include <memory>

struct TDesignerWindowFixture {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TScriptedUi> ui;

    static void startGlobals()
    {
        qpPrinterStartup();
        qpInitExpressionGlobals();
        qpInitModelGlobals();
    }

    static void stopGlobals()
    {
        qpDoneModelGlobals();
        qpDoneExpressionGlobals();
    }

    void begin()
    {
        dir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir->filePath(QStringLiteral("config")));
        ui = std::make_unique<TScriptedUi>();
        DesignerRestrictions = 0;
    }

    // After the window and its report have gone.
    void end()
    {
        CurReport = nullptr;
        CurPage = nullptr;
        qpDesignerPage = nullptr;
        ui.reset();
        dir.reset();
        DesignerRestrictions = 0;
    }
};
