#pragma once
// The designer window over a report whose data sets live on an owner
// window, as the member list window holds them: two tables in a temporary
// folder (members, dues). Tests derive from it after QObject.

#include "data/table.h"
#include "designer_window_fixture.h"
#include "report/designer/designer_form.h"

struct TOwnerTablesFixture : TDesignerWindowFixture {
    std::unique_ptr<QWidget> owner; // the component owner, like the member list window
    std::unique_ptr<TqpDesignerForm> form;
    TqpReport *report = nullptr;

    // Uye.db (AdiSoyadi, UyeNo, "Adres Satiri") and Aidat.db (Tutar, Yil).
    void makeTables()
    {
        begin();
        TTable::CreateTable(dir->filePath(QStringLiteral("Uye.db")),
                            {{QStringLiteral("AdiSoyadi"), ftString, 40}, {QStringLiteral("UyeNo"), ftFloat},
                             {QStringLiteral("Adres Satiri"), ftString, 60}},
                            -1);
        TTable::CreateTable(dir->filePath(QStringLiteral("Aidat.db")),
                            {{QStringLiteral("Tutar"), ftFloat}, {QStringLiteral("Yil"), ftFloat}}, -1);
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
        end();
    }
};
