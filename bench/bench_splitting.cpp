// Bands split across pages and sub-reports over generated members: a
// breakable band per member holding a stretchable note of 40 lines, and a
// band per member with a sub-report of its 10 years of dues. Pages per
// second and peak memory, at two sizes each to show growth with the members.

#include "engine_scope.h"
#include "member_generator.h"
#include "member_session.h"
#include "member_store.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/expr_globals.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"
#include "report/output/printer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

TqpPage *addPage(TqpReport &report)
{
    TqpPage *page = report.Pages.Add();
    page->ChangePaper(9, 0, 0, -1, poPortrait); // A4
    page->Margins = {36, 36, 36, 36};
    return page;
}

template <typename T> T *add(TqpPage *page, const QString &name, int left, int top, int width, int height)
{
    T *v = new T;
    v->Name = name;
    v->SetBounds(left, top, width, height);
    page->Items.append(v);
    return v;
}

TqpBandView *band(TqpPage *page, const QString &name, int type, int top, int height, const QString &source = {})
{
    auto *b = add<TqpBandView>(page, name, 0, top, 744, height);
    b->SetBandType(type);
    b->FormatStr = source;
    return b;
}

TqpMemoView *text(TqpPage *page, const QString &name, const QStringList &lines, int left, int top, int width)
{
    auto *m = add<TqpMemoView>(page, name, left, top, width, 18);
    m->Memo = lines;
    m->Font.Name = QStringLiteral("Arial");
    m->Font.Size = 9;
    return m;
}

// Each member: a name and a note of 40 lines in a band that grows with the
// note and splits across pages.
void writeNoteTemplate(const QString &file)
{
    TqpReport report;
    CurReport = &report;
    TqpPage *page = addPage(report);
    TqpBandView *data = band(page, QStringLiteral("Uye"), btMasterData, 40, 40, QStringLiteral("qpDBDataSet1"));
    data->Flags = quint16(flStretched) | quint16(flBreaked);
    text(page, QStringLiteral("Ad"), {QStringLiteral("[Table1.\"AdiSoyadi\"]")}, 36, 40, 200);
    QStringList note;
    for (int i = 1; i <= 40; ++i)
        note << QStringLiteral("%1. satır: [Table1.\"EvAdresi\"]").arg(i);
    text(page, QStringLiteral("Not"), note, 240, 40, 460)->Flags = flStretched;
    report.SaveToFile(file);
    CurReport = nullptr;
}

// Each member: a name and a sub-report of the member's dues, or of ten
// counted records when `source` says "10" (the engine without the table).
void writeDuesTemplate(const QString &file, const QString &source)
{
    TqpReport report;
    CurReport = &report;
    TqpPage *page = addPage(report);
    band(page, QStringLiteral("Uye"), btMasterData, 40, 40, QStringLiteral("qpDBDataSet1"));
    text(page, QStringLiteral("Ad"), {QStringLiteral("[Table1.\"AdiSoyadi\"]")}, 36, 40, 200);
    add<TqpSubReportView>(page, QStringLiteral("Aidatlar"), 240, 40, 460, 20)->SubPage = 1;
    TqpPage *dues = addPage(report);
    band(dues, QStringLiteral("Aidat"), btMasterData, 0, 20, source);
    text(dues, QStringLiteral("Yil"), {QStringLiteral("[Table2.\"Yil\"]")}, 0, 0, 80);
    text(dues, QStringLiteral("Tutar"), {QStringLiteral("[Table2.\"Aidat\"]")}, 90, 0, 120);
    text(dues, QStringLiteral("Alinan"), {QStringLiteral("[Table2.\"Alinan\"]")}, 220, 0, 120);
    report.SaveToFile(file);
    CurReport = nullptr;
}

void run(const char *what, int members, int dues, const QString &templateFile)
{
    QTemporaryDir dir;
    MemberStore::PrepareWorkingFolder(dir.path());
    generateMembers(QDir(dir.path()).filePath(QStringLiteral("Uye.db")), members);
    if (dues > 0)
        generateDues(QDir(dir.path()).filePath(QStringLiteral("Aidat.db")), members, dues);
    TMemberSession session(dir.path());
    QElapsedTimer t;
    t.start();
    const QString error = session.Prepare(templateFile);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (!error.isEmpty()) {
        std::printf("%s, %d members: preparation failed: %s\n", what, members, qPrintable(error));
        return;
    }
    const int pages = session.qpReport1->GetEMFPages().GetCount();
    std::printf("%s, %d members: %d pages in %.0f ms (%.0f pages/s, %.2f ms per member), peak memory %.0f MB\n",
                what, members, pages, ms, pages / (ms / 1000.0), ms / members, peakMB());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const EngineScope engine(argc, argv);
    QTemporaryDir dir;
    const QString notes = QDir(dir.path()).filePath(QStringLiteral("not.qpf"));
    const QString dues = QDir(dir.path()).filePath(QStringLiteral("aidat.qpf"));
    const QString counted = QDir(dir.path()).filePath(QStringLiteral("sayili.qpf"));
    writeNoteTemplate(notes);
    writeDuesTemplate(dues, QStringLiteral("qpDBDataSet2"));
    writeDuesTemplate(counted, QStringLiteral("10"));
    // Smaller sizes first: the peak memory only grows.
    run("40-line note split across pages", 5000, 0, notes);
    run("40-line note split across pages", 10000, 0, notes);
    run("10-row dues sub-report", 1000, 10, dues);
    run("10-row dues sub-report", 2000, 10, dues);
    run("10-row sub-report of counted records", 1000, 0, counted);
    run("10-row sub-report of counted records", 2000, 0, counted);
    return 0;
}
