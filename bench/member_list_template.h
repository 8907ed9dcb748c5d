#pragma once
// The member list of the report benchmarks: the shipped list with its six
// columns and a second line in the data band holding two more, birth place
// and province, so that 10 000 members fill 435 pages.

#include "member_templates.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

inline void writeMemberListTemplate(const QString &file)
{
    TqpReport report;
    CurReport = &report;
    qpBuildMemberList(report);
    report.DoublePassReport = false;
    TqpPage *page = report.Pages.GetPages(0);
    for (TqpView *v : std::as_const(page->Items))
        if (v->Name == QLatin1String("MasterData1"))
            v->Height = 38;
    int left = 100;
    for (const char *name : {"Dyeri", "Vilayet"}) {
        auto *memo = new TqpMemoView;
        memo->Name = QString::fromLatin1(name);
        memo->Memo = {QStringLiteral("[Table1.\"%1\"]").arg(QLatin1String(name))};
        memo->SetBounds(left, 149, 190, 18);
        left += 200;
        page->Items.append(memo);
    }
    report.SaveToFile(file);
    CurReport = nullptr;
}
