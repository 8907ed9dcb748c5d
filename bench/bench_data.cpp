// Member table at 100 000 members: open, letter filter on and off, a durable
// new member, and the peak memory of the whole run.
#include "member_generator.h"
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

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MB (target 200 MB)\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
