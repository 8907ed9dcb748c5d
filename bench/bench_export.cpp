// Exporting the shipped member list over 10 000 and 100 000 generated
// members to every registered format: the time of the export and the peak
// memory of a process that loads the prepared report and exports it. Each
// export runs in a process of its own, so each figure is its own peak.

#include "engine_scope.h"
#include "export_filter.h"
#include "member_generator.h"
#include "member_session.h"
#include "member_store.h"
#include "member_list_template.h"
#include "ole_excel_export.h"
#include "pdf_export.h"
#include "report/engine/prepared_pages.h"
#include "report/model/report.h"
#include "rtf_export.h"
#include "text_export.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

double ms(QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// Processor time of this process: other work on the machine stretches the
// wall-clock figure, not this one.
double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The child: loads the prepared report, exports it, prints its figures.
int exportOnce(int argc, char **argv)
{
    const EngineScope engine(argc, argv);
    const QString qpp = QString::fromLocal8Bit(argv[2]);
    const QString format = QString::fromLocal8Bit(argv[3]);
    const QString output = QString::fromLocal8Bit(argv[4]);
    TqpTextExport text;
    TqpRtfAdvExport rtf;
    TqpPdfExport pdf;
    TqpOLEExcelExport excel;
    TqpExportFilter *filter = qpFindExportFilter(format);
    if (!filter)
        return 1;
    filter->ShowDialog = false;
    TqpReport report;
    report.ShowProgress = false;
    report.LoadPreparedReport(qpp);
    QElapsedTimer t;
    const double cpuBefore = cpuMs();
    t.start();
    report.ExportTo(filter, output);
    const double elapsed = ms(t);
    std::printf("%.0f %.0f %.0f %lld\n", elapsed, cpuMs() - cpuBefore, peakMB(),
                qlonglong(QFileInfo(output).size()));
    return 0;
}

void run(const char *self, int members)
{
    QTemporaryDir dir;
    MemberStore::PrepareWorkingFolder(dir.path());
    generateMembers(QDir(dir.path()).filePath(QStringLiteral("Uye.db")), members);
    const QString templateFile = QDir(dir.path()).filePath(QStringLiteral("liste.qpf"));
    writeBenchMemberList(templateFile);
    const QString qpp = QDir(dir.path()).filePath(QStringLiteral("liste.qpp"));
    int pages = 0;
    {
        TMemberSession session(dir.path());
        const QString error = session.Prepare(templateFile);
        if (!error.isEmpty()) {
            std::printf("%d members: preparation failed: %s\n", members, qPrintable(error));
            return;
        }
        pages = session.qpReport1->GetEMFPages().GetCount();
        session.qpReport1->SavePreparedReport(qpp);
    }
    for (const char *format : {"txt", "rtf", "pdf", "xlsx"}) {
        const QString output = QDir(dir.path()).filePath(QStringLiteral("liste.") + QLatin1String(format));
        QProcess child;
        child.start(QString::fromLocal8Bit(self),
                    {QStringLiteral("--export"), qpp, QLatin1String(format), output});
        child.waitForFinished(-1);
        const QStringList figures = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
        if (child.exitCode() != 0 || figures.size() != 4) {
            std::printf("%d members: %s export failed\n", members, format);
            continue;
        }
        std::printf("%d members (%d pages): %s export in %s ms (%s ms processor time), peak memory %s MB, "
                    "file %.1f MB\n",
                    members, pages, format, qPrintable(figures[0]), qPrintable(figures[1]), qPrintable(figures[2]),
                    figures[3].trimmed().toDouble() / (1024.0 * 1024.0));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--export") == 0)
        return exportOnce(argc, argv);
    const EngineScope engine(argc, argv);
    std::printf("target: 10000 members, each format in at most 2000 ms and 300 MB\n");
    std::fflush(stdout);
    // Member counts may be named on the command line; 10 000 and 100 000 otherwise.
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts << QByteArray(argv[i]).toInt();
    if (counts.isEmpty())
        counts = {10000, 100000};
    for (const int members : std::as_const(counts))
        run(argv[0], members);
    return 0;
}
