// The treasurer's cross-tab at size: 1 000 members down the page and 60 dues
// years across, so that every row spreads over eleven pages side by side.
// Each cell looks the member's payment of its year up in the dues table
// (60 rows a member), the years and the members are totalled. Prints the
// pages prepared per second and the peak memory; then the same table with
// cells that only show their column number, which leaves the engine alone.

#include "engine_scope.h"
#include "member_generator.h"
#include "member_session.h"
#include "member_store.h"
#include "member_templates.h"
#include "report/engine/prepared_pages.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kMembers = 1000, kYears = 60, kFirstYear = 2024 - kYears + 1;

// The dues table, or the same layout whose cells need no look-up.
void writeTemplate(const QString &file, bool lookUps)
{
    TqpReport report;
    CurReport = &report;
    qpBuildDuesTable(report, kFirstYear, kYears);
    if (!lookUps)
        for (TqpView *v : std::as_const(report.Pages.GetPages(0)->Items))
            if (auto *m = dynamic_cast<TqpMemoView *>(v); m && m->Memo.join(QString()).contains(QLatin1String("LOOKUPSUM")))
                m->Memo = {m->Memo.join(QString()).contains(QLatin1String("SUM(LOOKUPSUM")) ? QStringLiteral("[SUM(COLUMN#)]")
                                                                                        : QStringLiteral("[COLUMN#]")};
    report.SaveToFile(file);
    CurReport = nullptr;
}

void run(const QString &label, const QString &folder, const QString &templateFile)
{
    TMemberSession session(folder);
    QElapsedTimer t;
    t.start();
    const QString error = session.Prepare(templateFile);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (!error.isEmpty()) {
        std::printf("%s: preparation failed: %s\n", qPrintable(label), qPrintable(error));
        return;
    }
    const int pages = session.qpReport1->GetEMFPages().GetCount();
    std::printf("%s, %d rows x %d columns: prepared %d pages in %.0f ms (%.1f pages/s, %.0f cells/s), peak memory %.0f MB\n",
                qPrintable(label), kMembers, kYears, pages, ms, pages / (ms / 1000.0),
                double(kMembers) * kYears / (ms / 1000.0), peakMB());
}

} // namespace

int main(int argc, char **argv)
{
    const EngineScope engine(argc, argv);
    QTemporaryDir dir;
    MemberStore::PrepareWorkingFolder(dir.path());
    generateMembers(QDir(dir.path()).filePath(QStringLiteral("Uye.db")), kMembers);
    generateDues(QDir(dir.path()).filePath(QStringLiteral("Aidat.db")), kMembers, kYears);
    const QString plain = QDir(dir.path()).filePath(QStringLiteral("sutunlar.qpf"));
    const QString dues = QDir(dir.path()).filePath(QStringLiteral("aidat.qpf"));
    writeTemplate(plain, false);
    writeTemplate(dues, true);
    run(QStringLiteral("cross-tab, column numbers only"), dir.path(), plain);
    run(QStringLiteral("dues table, a look-up per cell"), dir.path(), dues);
    return 0;
}
