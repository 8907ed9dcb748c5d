// Preparing the member list over 10 000 and 100 000 generated members: a
// page header with title and date, a master data band of eight text fields,
// a page footer with the page number and a summary with COUNT. Then saving
// and loading the prepared report, and the peak memory.

#include "engine_scope.h"
#include "member_generator.h"
#include "member_list_template.h"
#include "member_session.h"
#include "member_store.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/expr_globals.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/output/printer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

double ms(QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

void run(int members, const QString &templateFile)
{
    QTemporaryDir dir;
    MemberStore::PrepareWorkingFolder(dir.path());
    generateMembers(QDir(dir.path()).filePath(QStringLiteral("Uye.db")), members);

    TMemberSession session(dir.path());
    QElapsedTimer t;
    t.start();
    const QString error = session.Prepare(templateFile);
    const double prepare = ms(t);
    if (!error.isEmpty()) {
        std::printf("%d members: preparation failed: %s\n", members, qPrintable(error));
        return;
    }
    TqpEMFPages &pages = session.qpReport1->GetEMFPages();
    std::printf("%d members: prepared %d pages in %.0f ms (%.0f pages/s), peak memory %.0f MB\n", members,
                pages.GetCount(), prepare, pages.GetCount() / (prepare / 1000.0), peakMB());

    const QString qpp = QDir(dir.path()).filePath(QStringLiteral("liste.qpp"));
    t.restart();
    session.qpReport1->SavePreparedReport(qpp);
    const double save = ms(t);
    TqpReport loaded;
    t.restart();
    loaded.LoadPreparedReport(qpp);
    const double load = ms(t);
    std::printf("%d members: .qpp of %.1f MB saved in %.0f ms, loaded in %.0f ms (%d pages)\n", members,
                double(QFileInfo(qpp).size()) / (1024.0 * 1024.0), save, load, loaded.GetEMFPages().GetCount());
}

} // namespace

int main(int argc, char **argv)
{
    const EngineScope engine(argc, argv);
    QTemporaryDir dir;
    const QString templateFile = QDir(dir.path()).filePath(QStringLiteral("liste.qpf"));
    writeMemberListTemplate(templateFile);
    std::printf("target: 10000 members in at most 2000 ms and 300 MB\n");
    run(10000, templateFile);
    run(100000, templateFile);
    return 0;
}
