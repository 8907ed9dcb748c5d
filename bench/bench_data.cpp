// Member table at 100 000 members: open, letter filter on and off, a durable
// new member, and the peak memory of the whole run. Then a walk over the
// members with their dues following, at two sizes, to show it grows with
// the members only.
#include "member_generator.h"
#include "data_source.h"
#include "member_store.h"
#include "table.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

const int kMembers = 100000;

double ms(QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// Every member once, reading each of the member's 10 dues rows, as a
// report with a dues sub-report does.
void walkWithDues(int count)
{
    QTemporaryDir dir;
    MemberStore::PrepareWorkingFolder(dir.path());
    generateMembers(QDir(dir.path()).filePath(QStringLiteral("Uye.db")), count);
    generateDues(QDir(dir.path()).filePath(QStringLiteral("Aidat.db")), count, 10);
    auto open = [&](TTable &t, const char *file) {
        t.DatabaseName = dir.path();
        t.TableName = QString::fromLatin1(file);
        MemberStore::ConfigureTable(t);
        t.Open();
    };
    TTable members, dues;
    open(members, "Uye.db");
    open(dues, "Aidat.db");
    TDataSource source;
    source.setDataSet(&members);
    dues.MasterFields = dues.IndexFieldNames = QStringLiteral("KayitNo");
    dues.setMasterSource(&source);
    QElapsedTimer t;
    t.start();
    long rows = 0;
    for (members.First(); !members.Eof(); members.Next())
        for (dues.First(); !dues.Eof(); dues.Next())
            rows += dues.FieldByName(QStringLiteral("Yil"))->AsString().isEmpty() ? 0 : 1;
    const double took = ms(t);
    std::printf("members walked with their dues following, %d members, %ld dues rows: %.1f ms (%.1f us per member)\n",
                count, rows, took, took * 1000.0 / count);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // An optional folder keeps the generated tables, for trying the program on them.
    QTemporaryDir temporary;
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path());
    if (!dir.exists(QStringLiteral("Uye.db"))) {
        QDir().mkpath(dir.path());
        MemberStore::PrepareWorkingFolder(dir.path());
        generateMembers(dir.filePath(QStringLiteral("Uye.db")), kMembers);
    }

    TTable members;
    members.DatabaseName = dir.path();
    members.TableName = QStringLiteral("Uye.db");
    MemberStore::ConfigureTable(members);
    QElapsedTimer t;
    t.start();
    members.Open();
    std::printf("member table open, %d rows: %.1f ms (target 500 ms)\n", members.RecordCount(), ms(t));

    members.setFilterOptions(foCaseInsensitive);
    double on = 0, off = 0;
    const int rounds = 5;
    for (int i = 0; i < rounds; ++i) {
        t.restart();
        members.setFilter(QStringLiteral("[AdiSoyadi]='Ş*'"));
        members.setFiltered(true);
        on += ms(t);
        t.restart();
        members.setFiltered(false);
        off += ms(t);
    }
    members.setFiltered(true);
    std::printf("letter filter on ([AdiSoyadi]='Ş*', %d rows shown): %.1f ms (target 50 ms)\n", members.RecordCount(), on / rounds);
    std::printf("letter filter off: %.1f ms (target 50 ms)\n", off / rounds);
    members.setFiltered(false);

    const int posts = 20;
    double worst = 0, total = 0;
    for (int i = 0; i < posts; ++i) {
        t.restart();
        members.Last();
        const double no = MemberStore::NextKayitNo(members);
        members.Append();
        members.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(no);
        members.FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(QStringLiteral("Yeni Üye %1").arg(i));
        members.Post();
        const double took = ms(t);
        total += took;
        worst = std::max(worst, took);
    }
    std::printf("Last + Append + Post (durable), mean of %d: %.1f ms, worst %.1f ms (target 20 ms)\n", posts, total / posts, worst);

    walkWithDues(1000);
    walkWithDues(4000);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MB (target 200 MB)\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
