// The member list of 10 000 and 100 000 generated members exported to an
// Excel workbook: the replay that collects the objects and their edges
// apart from the sheet built from the cell grid and the workbook written,
// with the sizes of the edge lists and the grid. (bench_export gives the
// figure of a process that only exports.)

#include "engine_scope.h"
#include "member_generator.h"
#include "member_session.h"
#include "member_store.h"
#include "member_list_template.h"
#include "ole_excel_export.h"
#include "report/engine/prepared_pages.h"
#include "report/model/report.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

double ms(QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }
// Processor time: other work on the machine stretches only the wall clock.
double cpuMs() { return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC; }

// Times the replay (OnEndPage of the last page) apart from the sheet (OnEndDoc).
class TimedExcelExport : public TqpOLEExcelExport {
public:
    QElapsedTimer clock;
    double cpuStart = 0;
    double collected = 0, collectedCpu = 0;
    void OnEndDoc() override
    {
        collected = ms(clock);
        collectedCpu = cpuMs() - cpuStart;
        TqpOLEExcelExport::OnEndDoc();
    }
};

void run(int members, const QString &templateFile)
{
    QTemporaryDir dir;
    MemberStore::PrepareWorkingFolder(dir.path());
    generateMembers(QDir(dir.path()).filePath(QStringLiteral("Uye.db")), members);
    TMemberSession session(dir.path());
    const QString error = session.Prepare(templateFile);
    if (!error.isEmpty()) {
        std::printf("%d members: preparation failed: %s\n", members, qPrintable(error));
        return;
    }
    TqpReport &report = *session.qpReport1;
    report.ShowProgress = false;
    const double beforeMB = peakMB();

    TimedExcelExport filter;
    filter.ShowDialog = false;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("liste.xlsx"));
    filter.clock.start();
    filter.cpuStart = cpuMs();
    report.ExportTo(&filter, file);
    const double total = ms(filter.clock);
    const double totalCpu = cpuMs() - filter.cpuStart;
    const TqpExcelLayout &layout = filter.Layout();
    std::printf("%d members: %d pages, %zu objects to .xlsx in %.0f ms, %.0f ms processor time (replay and edges "
                "%.0f ms, grid, sheet and file %.0f ms), %.1f MB file\n",
                members, report.GetEMFPages().GetCount(), filter.Items().size(), total, totalCpu,
                filter.collectedCpu, totalCpu - filter.collectedCpu, double(QFileInfo(file).size()) / (1024.0 * 1024.0));
    std::printf("%d members: %zu X edges, %zu Y edges, grid %d columns x %d rows, peak memory %.0f MB (%.0f MB "
                "before the export)\n",
                members, layout.XEdges().size(), layout.YEdges().size(), layout.ColumnCount(), layout.RowCount(),
                peakMB(), beforeMB);
}

} // namespace

int main(int argc, char **argv)
{
    const EngineScope engine(argc, argv);
    QTemporaryDir dir;
    const QString templateFile = QDir(dir.path()).filePath(QStringLiteral("UyeList.qpf"));
    writeBenchMemberList(templateFile);
    std::printf("target: the 10000-member list to .xlsx in at most 3000 ms and 500 MB\n");
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts << QByteArray(argv[i]).toInt();
    if (counts.isEmpty())
        counts = {10000, 100000};
    for (int members : std::as_const(counts))
        run(members, templateFile);
    return 0;
}
