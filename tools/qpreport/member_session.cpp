#include "member_session.h"

#include "data_source.h"
#include "member_store.h"
#include "report/expr/data_access.h"
#include "report/expr/report_dataset.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "table.h"

TMemberSession::TMemberSession(const QString &folder)
{
    Form.setObjectName(QStringLiteral("UyeKayitForm1"));
    Table1 = new TTable(&Form);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->DatabaseName = folder;
    Table1->TableName = QStringLiteral("Uye.db");
    Table1->ReadOnly = true; // printing never writes
    MemberStore::ConfigureTable(*Table1);
    Table1->Open();
    DataSource1 = new TDataSource(&Form);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Table1);
    qpDBDataSet1 = new TqpDBDataSet(&Form);
    qpDBDataSet1->setObjectName(QStringLiteral("qpDBDataSet1"));
    qpDBDataSet1->setDataSource(DataSource1);
    Table2 = new TTable(&Form);
    Table2->setObjectName(QStringLiteral("Table2"));
    Table2->DatabaseName = folder;
    Table2->TableName = QStringLiteral("Aidat.db");
    Table2->ReadOnly = true;
    Table2->IndexFieldNames = QStringLiteral("KayitNo");
    Table2->MasterFields = QStringLiteral("KayitNo");
    Table2->setMasterSource(DataSource1);
    DataSource2 = new TDataSource(&Form);
    DataSource2->setObjectName(QStringLiteral("DataSource2"));
    DataSource2->setDataSet(Table2);
    qpDBDataSet2 = new TqpDBDataSet(&Form);
    qpDBDataSet2->setObjectName(QStringLiteral("qpDBDataSet2"));
    qpDBDataSet2->setDataSource(DataSource2);
    qpDBDataSet2->CloseDataSource = true;
    qpReport1 = new TqpReport(&Form);
    qpReport1->setObjectName(QStringLiteral("qpReport1"));
    qpReport1->Dataset = qpDBDataSet1;
    qpReport1->Title = QStringLiteral("Üye Formu");
    qpReport1->ShowProgress = false;
    qpRegisterContainer(&Form);
}

TMemberSession::~TMemberSession()
{
    qpUnregisterContainer(&Form);
}

QString TMemberSession::Prepare(const QString &templateFile)
{
    // Loading and building report errors through the report's message box;
    // here they become the text returned.
    QString error;
    const auto box = qpReportUi.ErrorBox;
    qpReportUi.ErrorBox = [&error](const QString &text, const QString &) { error = text; };
    const bool ok = qpReport1->LoadFromFile(templateFile) && qpReport1->PrepareReport();
    qpReportUi.ErrorBox = box;
    if (!error.isEmpty())
        return error;
    return ok ? QString() : QStringLiteral("%1 was not prepared").arg(templateFile);
}
