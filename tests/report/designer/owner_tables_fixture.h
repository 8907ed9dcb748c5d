#pragma once
// The designer window over a report whose data sets live on an owner
// window, as the member list window holds them: two tables in a temporary
// folder (members, dues), settings kept there too, and the modal seam
// answered from a script. Tests derive from it after QObject.

#include "data/table.h"
#include "report/designer/designer_form.h"
#include "report/designer/designer_state.h"
#include "report/expr/expr_globals.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/output/printer.h"
#include "scripted_ui.h"

#include <QSettings>
#include <QTemporaryDir>
#include <memory>

struct TOwnerTablesFixture {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QWidget> owner; // the component owner, like the member list window
    std::unique_ptr<TqpDesignerForm> form;
    std::unique_ptr<TScriptedUi> ui;
    TqpReport *report = nullptr;

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

    // Uye.db (AdiSoyadi, UyeNo, "Adres Satiri") and Aidat.db (Tutar, Yil).
    void makeTables()
    {
        dir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir->filePath(QStringLiteral("config")));
        TTable::CreateTable(dir->filePath(QStringLiteral("Uye.db")),
                            {{QStringLiteral("AdiSoyadi"), ftString, 40}, {QStringLiteral("UyeNo"), ftFloat},
                             {QStringLiteral("Adres Satiri"), ftString, 60}},
                            -1);
        TTable::CreateTable(dir->filePath(QStringLiteral("Aidat.db")),
                            {{QStringLiteral("Tutar"), ftFloat}, {QStringLiteral("Yil"), ftFloat}}, -1);
        ui = std::make_unique<TScriptedUi>();
        DesignerRestrictions = 0;
    }

    // An open table component named `name` on the owner.
    void table(const QString &name, const QString &file)
    {
        auto *t = new TTable(owner.get());
        t->setObjectName(name);
        t->DatabaseName = dir->path();
        t->TableName = file;
        t->Open();
    }

    void closeAll()
    {
        form.reset();
        owner.reset(); // and the report with it
        report = nullptr;
        CurReport = nullptr;
        CurPage = nullptr;
        qpDesignerPage = nullptr;
        ui.reset();
        dir.reset();
        DesignerRestrictions = 0;
    }
};
