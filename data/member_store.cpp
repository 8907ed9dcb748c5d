#include "member_store.h"

#include "db_error.h"
#include "table.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const char *const kDateMask = "!99/99/0000;1;_";

struct TableLayout {
    const char *file;
    QList<TColumnDef> columns;
    int keyColumn;
};

const QList<TableLayout> &layouts()
{
    static const QList<TableLayout> tables{
        {"Uye.db",
         {{"KayitNo", ftFloat}, {"Tarih", ftDate}, {"AdiSoyadi", ftString, 50}, {"BabaAdi", ftString, 30},
          {"AnaAdi", ftString, 30}, {"Uyrugu", ftString, 10}, {"Dyeri", ftString, 30}, {"Dyili", ftFloat},
          {"EvAdresi", ftMemo}, {"IsAdresi", ftMemo}, {"Gsm", ftString, 20}, {"EvTel", ftString, 20},
          {"IsTel", ftString, 20}, {"KanGrubu", ftString, 10}, {"KimlikNo", ftString, 13},
          {"Vilayet", ftString, 30}, {"Kazasi", ftString, 30}, {"Nahiyesi", ftString, 30},
          {"Mahalle", ftString, 30}, {"Sokak", ftString, 30}, {"EvNo", ftString, 10}, {"CiltNo", ftString, 10},
          {"SayfaNo", ftString, 10}, {"MedeniHali", ftString, 10}, {"Referans", ftString, 100},
          {"Aidat", ftCurrency}, {"Alinan", ftCurrency}, {"AidatTar", ftDate}, {"Not", ftString, 255},
          {"Resim", ftGraphic}},
         0},
        {"Aidat.db",
         {{"KayitNo", ftFloat}, {"Yil", ftString, 5}, {"OdemeTarihi", ftDate}, {"Aidat", ftCurrency},
          {"Alinan", ftCurrency}, {"Kalan", ftCurrency}, {"Odeyen", ftString, 50}, {"Oran", ftFloat}},
         -1},
        {"Sehir.db", {{"Plaka", ftString, 2}, {"Sehir", ftString, 30}, {"Ilce", ftString, 50}}, 0},
        {"Ilce.db", {{"Ilce", ftString, 50}, {"Ilce1", ftString, 50}, {"Sehir", ftString, 30}, {"Plaka", ftFloat}}, -1},
        {"Mahal.db", {{"Ilce", ftString, 50}, {"Mahalle", ftString, 50}, {"Plaka", ftFloat}, {"Sehir", ftString, 30}}, -1},
    };
    return tables;
}

// Plate codes 01 to 81 in order.
const char *const kProvinces[] = {
    "Adana", "Adıyaman", "Afyonkarahisar", "Ağrı", "Amasya", "Ankara", "Antalya", "Artvin", "Aydın",
    "Balıkesir", "Bilecik", "Bingöl", "Bitlis", "Bolu", "Burdur", "Bursa", "Çanakkale", "Çankırı", "Çorum",
    "Denizli", "Diyarbakır", "Edirne", "Elazığ", "Erzincan", "Erzurum", "Eskişehir", "Gaziantep", "Giresun",
    "Gümüşhane", "Hakkari", "Hatay", "Isparta", "Mersin", "İstanbul", "İzmir", "Kars", "Kastamonu", "Kayseri",
    "Kırklareli", "Kırşehir", "Kocaeli", "Konya", "Kütahya", "Malatya", "Manisa", "Kahramanmaraş", "Mardin",
    "Muğla", "Muş", "Nevşehir", "Niğde", "Ordu", "Rize", "Sakarya", "Samsun", "Siirt", "Sinop", "Sivas",
    "Tekirdağ", "Tokat", "Trabzon", "Tunceli", "Şanlıurfa", "Uşak", "Van", "Yozgat", "Zonguldak", "Aksaray",
    "Bayburt", "Karaman", "Kırıkkale", "Batman", "Şırnak", "Bartın", "Ardahan", "Iğdır", "Yalova", "Karabük",
    "Kilis", "Osmaniye", "Düzce"};
static_assert(std::size(kProvinces) == 81);

void seedProvinces(const QString &path)
{
    const QString connection = QStringLiteral("zelvan-seed");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        QString error;
        if (db.open() && db.transaction()) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("INSERT INTO Sehir (Plaka, Sehir) VALUES (?, ?)"));
            for (int i = 0; i < 81 && error.isEmpty(); ++i) {
                q.addBindValue(QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')));
                q.addBindValue(QString::fromUtf8(kProvinces[i]));
                if (!q.exec())
                    error = q.lastError().text();
            }
            q.finish();
            if (error.isEmpty() && !db.commit())
                error = db.lastError().text();
        } else {
            error = db.lastError().text();
        }
        db.close();
        if (!error.isEmpty()) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connection);
            throw EDatabaseError(QStringLiteral("İller tablosu doldurulamadı: %1").arg(error));
        }
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace

namespace MemberStore {

const QStringList &TableFiles()
{
    static const QStringList files = [] {
        QStringList f;
        for (const TableLayout &t : layouts())
            f << QString::fromLatin1(t.file);
        return f;
    }();
    return files;
}

namespace {

const TableLayout &layoutOf(const QString &file)
{
    for (const TableLayout &t : layouts())
        if (file.compare(QLatin1String(t.file), Qt::CaseInsensitive) == 0)
            return t;
    throw EDatabaseError(QStringLiteral("'%1' kayıt defterinin bir tablosu değil.").arg(file));
}

} // namespace

const QList<TColumnDef> &Columns(const QString &file) { return layoutOf(file).columns; }

int KeyColumn(const QString &file) { return layoutOf(file).keyColumn; }

void CreateTable(const QString &folder, const QString &file)
{
    const TableLayout &t = layoutOf(file);
    TTable::CreateTable(QDir(folder).filePath(QString::fromLatin1(t.file)), t.columns, t.keyColumn);
}

bool PrepareWorkingFolder(const QString &folder)
{
    const QDir dir(folder);
    QStringList missing;
    for (const QString &file : TableFiles())
        if (!QFileInfo::exists(dir.filePath(file)))
            missing << file;
    if (missing.isEmpty())
        return false;
    if (missing.size() != TableFiles().size())
        throw EDatabaseError(QStringLiteral("Tablo dosyası bulunamadı: %1 (%2). Diğer tablolar yerinde olduğu için "
                                            "eksik tablo yeniden oluşturulmadı.")
                                 .arg(missing.join(QStringLiteral(", ")), dir.absolutePath()));
    if (!dir.exists() && !QDir().mkpath(dir.absolutePath()))
        throw EDatabaseError(QStringLiteral("Çalışma klasörü oluşturulamadı: %1").arg(dir.absolutePath()));
    for (const QString &file : TableFiles())
        CreateTable(dir.path(), file);
    seedProvinces(dir.filePath(QStringLiteral("Sehir.db")));
    return true;
}

void ConfigureTable(TTable &table)
{
    const QString file = QFileInfo(table.TableName).fileName();
    if (file.compare(QLatin1String("Uye.db"), Qt::CaseInsensitive) == 0) {
        table.AddCalcField(QStringLiteral("Kalan"), ftCurrency, QStringLiteral("Alinan"));
        table.SetFieldEditMask(QStringLiteral("Tarih"), QLatin1String(kDateMask));
        table.SetFieldEditMask(QStringLiteral("AidatTar"), QLatin1String(kDateMask));
        table.OnCalcFields = CalcKalan;
    } else if (file.compare(QLatin1String("Sehir.db"), Qt::CaseInsensitive) == 0) {
        table.SetFieldEditMask(QStringLiteral("Plaka"), QStringLiteral("00"));
    }
}

void CalcKalan(TDataSet *members)
{
    members->FieldByName(QStringLiteral("Kalan"))
        ->setAsFloat(members->FieldByName(QStringLiteral("Aidat"))->AsFloat()
                     - members->FieldByName(QStringLiteral("Alinan"))->AsFloat());
}

double NextKayitNo(const TDataSet &members)
{
    return members.MaxValue(QStringLiteral("KayitNo")) + 1.0;
}

} // namespace MemberStore
