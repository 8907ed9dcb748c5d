#include "member_list_template.h"

#include "member_templates.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

void writeBenchMemberList(const QString &file)
{
    TqpReport report;
    CurReport = &report;
    qpBuildMemberList(report);
    report.DoublePassReport = false;
    TqpPage *page = report.Pages.GetPages(0);
    // A second line in the data band: birth place and province.
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
