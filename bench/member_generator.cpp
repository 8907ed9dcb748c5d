#include "member_generator.h"

#include <QDate>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>
#include <functional>

namespace {

// Inserts `count` rows, row(i) giving the values of row i, in one transaction.
void insertRows(const QString &path, const QString &insert, int count, const std::function<QVariantList(int)> &row)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen"));
        db.setDatabaseName(path);
        db.open();
        db.transaction();
        QSqlQuery q(db);
        q.prepare(insert);
        for (int i = 0; i < count; ++i) {
            for (const QVariant &v : row(i))
                q.addBindValue(v);
            q.exec();
        }
        q.finish();
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gen"));
}

} // namespace

void generateMembers(const QString &path, int count)
{
    static const char *const first[] = {"Ahmet", "Ayşe", "Şule", "Çağrı", "İsmail", "Ömer", "Ümit", "Işıl",
                                        "Mehmet", "Zeynep", "Şahin", "Gül", "Burak", "Elif", "Hakan", "Derya"};
    static const char *const last[] = {"Yılmaz", "Kaya", "Demir", "Şahin", "Çelik", "Öztürk", "Aydın",
                                       "Arslan", "Doğan", "Kılıç", "Aslan", "Çetin", "Koç", "Kurt"};
    static const char *const blood[] = {"A rh (+)", "A rh (-)", "B rh (+)", "0 rh (+)", "AB rh (-)"};
    QRandomGenerator rng(42);
    const QString insert = QStringLiteral(
        "INSERT INTO Uye (KayitNo, Tarih, AdiSoyadi, BabaAdi, AnaAdi, Uyrugu, Dyeri, Dyili, EvAdresi, IsAdresi, "
        "Gsm, EvTel, IsTel, KanGrubu, KimlikNo, Vilayet, Kazasi, Nahiyesi, Mahalle, Sokak, EvNo, CiltNo, SayfaNo, "
        "MedeniHali, Referans, Aidat, Alinan, AidatTar, \"Not\") "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    insertRows(path, insert, count, [&rng](int row) {
        const int i = row + 1;
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
        return values;
    });
}

void generateDues(const QString &path, int members, int perMember)
{
    insertRows(path,
               QStringLiteral("INSERT INTO Aidat (KayitNo, Yil, OdemeTarihi, Aidat, Alinan, Kalan) VALUES (?, ?, ?, ?, ?, ?)"),
               members * perMember, [perMember](int row) {
                   const int year = 2024 - perMember + 1 + row % perMember;
                   return QVariantList{row / perMember + 1, QString::number(year),
                                       QDate(year, 3, 1).toString(Qt::ISODate), 120.0, 100.0, 20.0};
               });
}

void changeMembers(const QString &path, const QString &statement, const QVariantList &values)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("change"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.prepare(statement);
        for (const QVariant &v : values)
            q.addBindValue(v);
        q.exec();
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("change"));
}
