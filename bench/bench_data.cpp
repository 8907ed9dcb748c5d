// Member table at 100 000 members: open, letter filter on and off, a durable
// new member, and the peak memory of the whole run.
#include "member_store.h"
#include "table.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

const int kMembers = 100000;

// Fills Uye.db straight through SQL: making the data is not what is measured.
void generateMembers(const QString &path)
{
    static const char *const first[] = {"Ahmet", "Ayşe", "Şule", "Çağrı", "İsmail", "Ömer", "Ümit", "Işıl",
                                        "Mehmet", "Zeynep", "Şahin", "Gül", "Burak", "Elif", "Hakan", "Derya"};
    static const char *const last[] = {"Yılmaz", "Kaya", "Demir", "Şahin", "Çelik", "Öztürk", "Aydın",
                                       "Arslan", "Doğan", "Kılıç", "Aslan", "Çetin", "Koç", "Kurt"};
    static const char *const blood[] = {"A rh (+)", "A rh (-)", "B rh (+)", "0 rh (+)", "AB rh (-)"};
    QRandomGenerator rng(42);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen"));
        db.setDatabaseName(path);
        db.open();
        db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral(
            "INSERT INTO Uye (KayitNo, Tarih, AdiSoyadi, BabaAdi, AnaAdi, Uyrugu, Dyeri, Dyili, EvAdresi, IsAdresi, "
            "Gsm, EvTel, IsTel, KanGrubu, KimlikNo, Vilayet, Kazasi, Nahiyesi, Mahalle, Sokak, EvNo, CiltNo, SayfaNo, "
            "MedeniHali, Referans, Aidat, Alinan, AidatTar, \"Not\") "
            "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        for (int i = 1; i <= kMembers; ++i) {
            const QString name = QString::fromUtf8(first[rng.bounded(16)]) + QLatin1Char(' ') + QString::fromUtf8(last[rng.bounded(14)]);
            const QVariantList values{
                i, QDate(2000, 1, 1).addDays(rng.bounded(9000)).toString(Qt::ISODate), name,
                QString::fromUtf8(first[rng.bounded(16)]), QString::fromUtf8(first[rng.bounded(16)]), "T.C.",
                QString::fromUtf8("Eskişehir"), 1940 + rng.bounded(60),
                QString::fromUtf8("Atatürk Cad. No: %1 Daire 4\nTepebaşı").arg(i), QString::fromUtf8("Sanayi Sitesi 3. Blok"),
                QStringLiteral("0532%1").arg(rng.bounded(10000000)), QStringLiteral("0222%1").arg(rng.bounded(10000000)),
                QStringLiteral("0222%1").arg(rng.bounded(10000000)), blood[rng.bounded(5)],
                QStringLiteral("%1").arg(10000000000LL + i), QString::fromUtf8("Eskişehir"), QString::fromUtf8("Tepebaşı"),
                QString(), QString::fromUtf8("Hoşnudiye"), QString::fromUtf8("Kızılcıklı Sk."), QString::number(rng.bounded(200)),
                QString::number(rng.bounded(300)), QString::number(rng.bounded(500)), "Evli", QString::fromUtf8("Dernek başkanı"),
                120.0, double(rng.bounded(121)), QDate(2024, 1, 15).toString(Qt::ISODate), QString::fromUtf8("Aidatını düzenli öder")};
            for (const QVariant &v : values)
                q.addBindValue(v);
            q.exec();
        }
        q.finish();
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gen"));
}

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
        generateMembers(dir.filePath(QStringLiteral("Uye.db")));
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
