// The member data store: tables on disk, the cursor's states and settling,
// the row filter with Turkish letter case, numbering, durability, bad files.

#include "data_source.h"
#include "db_error.h"
#include "error_of.h"
#include "member_store.h"
#include "table.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include <csignal>

namespace {

const QString kName = QStringLiteral("AdiSoyadi");

std::unique_ptr<TTable> openTable(const QString &dir, const QString &file, int lockTimeoutMs = 2000)
{
    auto t = std::make_unique<TTable>();
    t->DatabaseName = dir;
    t->TableName = file;
    t->LockTimeoutMs = lockTimeoutMs;
    MemberStore::ConfigureTable(*t);
    t->Open();
    return t;
}

// The dues table following the members shown through `members`.
std::unique_ptr<TTable> openDues(const QString &dir, TDataSource &members)
{
    auto dues = openTable(dir, QStringLiteral("Aidat.db"));
    dues->MasterFields = QStringLiteral("KayitNo");
    dues->IndexFieldNames = QStringLiteral("KayitNo");
    dues->setMasterSource(&members);
    return dues;
}

void addMember(TTable &t, double no, const QString &name)
{
    t.Append();
    t.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(no);
    if (!name.isNull())
        t.FieldByName(kName)->setAsString(name);
    t.Post();
}

QStringList visibleNames(TTable &t)
{
    QStringList names;
    for (t.First(); !t.Eof(); t.Next())
        names << t.FieldByName(kName)->AsString();
    return names;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestData : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString dir() const { return m_dir->path(); }
    QString path(const QString &file) const { return m_dir->filePath(file); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        MemberStore::PrepareWorkingFolder(dir());
    }

    void firstStartCreatesAndSeedsTables()
    {
        for (const QString &file : MemberStore::TableFiles())
            QVERIFY2(QFile::exists(path(file)), qPrintable(file));
        auto members = openTable(dir(), QStringLiteral("Uye.db"));
        QCOMPARE(members->FieldNames(),
                 QStringList({"KayitNo", "Tarih", "AdiSoyadi", "BabaAdi", "AnaAdi", "Uyrugu", "Dyeri", "Dyili",
                              "EvAdresi", "IsAdresi", "Gsm", "EvTel", "IsTel", "KanGrubu", "KimlikNo", "Vilayet",
                              "Kazasi", "Nahiyesi", "Mahalle", "Sokak", "EvNo", "CiltNo", "SayfaNo", "MedeniHali",
                              "Referans", "Aidat", "Alinan", "Kalan", "AidatTar", "Not", "Resim"}));
        QCOMPARE(members->FieldByName(kName)->Size(), 50);
        QCOMPARE(members->FieldByName(QStringLiteral("Referans"))->Size(), 100);
        QCOMPARE(members->FieldByName(QStringLiteral("Tarih"))->EditMask, QStringLiteral("!99/99/0000;1;_"));
        QCOMPARE(members->FieldByName(QStringLiteral("Aidat"))->DataType(), ftCurrency);
        QCOMPARE(members->FieldByName(QStringLiteral("Resim"))->DataType(), ftGraphic);
        QVERIFY(members->FieldByName(QStringLiteral("Kalan"))->Calculated());
        QVERIFY(members->IsEmpty());

        auto provinces = openTable(dir(), QStringLiteral("Sehir.db"));
        QCOMPARE(provinces->RecordCount(), 81);
        provinces->First();
        QCOMPARE(provinces->FieldByName(QStringLiteral("Plaka"))->AsString(), QStringLiteral("01"));
        QCOMPARE(provinces->FieldByName(QStringLiteral("Sehir"))->AsString(), QStringLiteral("Adana"));
        provinces->setRecNo(34);
        QCOMPARE(provinces->FieldByName(QStringLiteral("Sehir"))->AsString(), QStringLiteral("İstanbul"));
        provinces->Last();
        QCOMPARE(provinces->FieldByName(QStringLiteral("Plaka"))->AsString(), QStringLiteral("81"));

        // A second start finds everything in place and changes nothing.
        const QByteArray before = fileBytes(path(QStringLiteral("Sehir.db")));
        MemberStore::PrepareWorkingFolder(dir());
        QCOMPARE(fileBytes(path(QStringLiteral("Sehir.db"))), before);
    }

    void missingTableIsNotRecreated()
    {
        QVERIFY(QFile::remove(path(QStringLiteral("Aidat.db"))));
        const QString error = errorOf([&] { MemberStore::PrepareWorkingFolder(dir()); });
        QVERIFY2(error.contains(QStringLiteral("Aidat.db")), qPrintable(error));
        QVERIFY(!QFile::exists(path(QStringLiteral("Aidat.db"))));

        const QString openError = errorOf([&] { openTable(dir(), QStringLiteral("Aidat.db")); });
        QVERIFY2(openError.contains(QStringLiteral("Aidat.db")) && openError.contains(QStringLiteral("bulunamadı")),
                 qPrintable(openError));
    }

    void badTableFilesAreRefusedUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("paradox file") << QByteArray("\x1a\x00\x00\x08PARADOX table of old", 24) << QStringLiteral("başka bir biçimde");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("başka bir biçimde");
        QTest::newRow("truncated database") << QByteArray("truncate") << QStringLiteral("bozuk");
    }

    void badTableFilesAreRefusedUntouched()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const QString file = path(QStringLiteral("Uye.db"));
        if (content == "truncate") {
            {
                auto members = openTable(dir(), QStringLiteral("Uye.db"));
                for (int i = 1; i <= 300; ++i)
                    addMember(*members, i, QStringLiteral("Üye %1 ").arg(i).repeated(3));
            }
            content = fileBytes(file).left(3000);
        }
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content);
        }
        TTable t;
        t.DatabaseName = dir();
        t.TableName = QStringLiteral("Uye.db");
        const QString error = errorOf([&] { t.Open(); });
        QVERIFY2(error.contains(expected) && error.contains(QStringLiteral("Uye.db")), qPrintable(error));
        QVERIFY(!t.Active());
        QCOMPARE(fileBytes(file), content);
    }

    void cursorStatesAndSettling()
    {
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        QCOMPARE(t->State(), dsBrowse);

        // An untouched new record is dropped by moving.
        t->Append();
        QCOMPARE(t->State(), dsInsert);
        t->Last();
        QCOMPARE(t->State(), dsBrowse);
        QCOMPARE(t->RecordCount(), 0);

        // A modified one is posted by moving.
        t->Append();
        t->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(1);
        t->FieldByName(kName)->setAsString(QStringLiteral("Ayşe Yılmaz"));
        t->Last();
        QCOMPARE(t->State(), dsBrowse);
        QCOMPARE(t->RecordCount(), 1);

        // Writing while browsing is refused and changes nothing.
        const QString error = errorOf([&] { t->FieldByName(kName)->setAsString(QStringLiteral("x")); });
        QVERIFY2(error.contains(QStringLiteral("düzenleme")), qPrintable(error));
        QVERIFY(!errorOf([&] { t->FieldByName(QStringLiteral("Resim"))->Clear(); }).isEmpty());
        QCOMPARE(t->FieldByName(kName)->AsString(), QStringLiteral("Ayşe Yılmaz"));

        // Edit then Cancel restores; Edit twice is harmless.
        t->Edit();
        t->Edit();
        t->FieldByName(kName)->setAsString(QStringLiteral("Başka"));
        t->Cancel();
        QCOMPARE(t->FieldByName(kName)->AsString(), QStringLiteral("Ayşe Yılmaz"));

        // A value longer than the field is cut to its size.
        t->Edit();
        t->FieldByName(kName)->setAsString(QString(60, QLatin1Char('x')));
        t->Post();
        auto again = openTable(dir(), QStringLiteral("Uye.db"));
        QCOMPARE(again->FieldByName(kName)->AsString(), QString(50, QLatin1Char('x')));

        // Edit on an empty view starts a new record.
        t->setFilter(QStringLiteral("[AdiSoyadi]='zzz*'"));
        t->setFiltered(true);
        t->Edit();
        QCOMPARE(t->State(), dsInsert);
        t->Cancel();
    }

    void fieldValuesAndRemainder()
    {
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        t->Append();
        t->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(1);
        t->FieldByName(QStringLiteral("Aidat"))->setAsFloat(100);
        QCOMPARE(t->FieldByName(QStringLiteral("Kalan"))->AsFloat(), 100.0);
        QVERIFY(t->FieldByName(QStringLiteral("Alinan"))->IsNull());
        QCOMPARE(t->FieldByName(QStringLiteral("Alinan"))->AsFloat(), 0.0);
        QCOMPARE(t->FieldByName(QStringLiteral("Dyili"))->AsFloat(), 0.0);
        t->FieldByName(QStringLiteral("Alinan"))->setAsString(QStringLiteral("12,5"));
        QCOMPARE(t->FieldByName(QStringLiteral("Kalan"))->DisplayText(), QStringLiteral("87,50 TL"));
        t->FieldByName(QStringLiteral("Tarih"))->setAsString(QStringLiteral("05.03.2024"));
        t->FieldByName(QStringLiteral("AidatTar"))->setAsString(QStringLiteral("  .  .    "));
        QVERIFY(t->FieldByName(QStringLiteral("AidatTar"))->IsNull());
        // A refused conversion leaves the old value.
        QVERIFY(errorOf([&] { t->FieldByName(QStringLiteral("Tarih"))->setAsString(QStringLiteral("31.02.2024")); })
                    .contains(QStringLiteral("tarih")));
        QVERIFY(!errorOf([&] { t->FieldByName(QStringLiteral("Aidat"))->setAsString(QStringLiteral("yüz")); }).isEmpty());
        t->Post();

        auto again = openTable(dir(), QStringLiteral("Uye.db"));
        QCOMPARE(again->FieldByName(QStringLiteral("Tarih"))->AsString(), QStringLiteral("05.03.2024"));
        QCOMPARE(again->FieldByName(QStringLiteral("Tarih"))->AsDateTime().date(), QDate(2024, 3, 5));
        QCOMPARE(again->FieldByName(QStringLiteral("Aidat"))->DisplayText(), QStringLiteral("100,00 TL"));
        QCOMPARE(again->FieldByName(QStringLiteral("Kalan"))->AsFloat(), 87.5);
        QCOMPARE(again->FieldByName(QStringLiteral("Alinan"))->AsString(), QStringLiteral("12,5"));
    }

    void filterFindsRows_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("caseInsensitive");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("dotless I") << "[AdiSoyadi]='I*'" << true << QStringList{"Işık", "ılgaz"};
        QTest::newRow("dotted İ") << "[AdiSoyadi]='İ*'" << true << QStringList{"İnci", "irem"};
        QTest::newRow("Ş") << "[AdiSoyadi]='Ş*'" << true << QStringList{"Şule", "şahin"};
        QTest::newRow("Ç") << "[AdiSoyadi]='Ç*'" << true << QStringList{"Çelik", "çağla"};
        QTest::newRow("A any case") << "[AdiSoyadi]='A*'" << true << QStringList{"Ahmet", "ahu", "Ahmetcan"};
        QTest::newRow("a exact case") << "[AdiSoyadi]='a*'" << false << QStringList{"ahu"};
        QTest::newRow("whole value") << "[AdiSoyadi]='ahmet'" << true << QStringList{"Ahmet"};
        QTest::newRow("doubled quote") << "[AdiSoyadi]='O''Br*'" << true << QStringList{"O'Brien"};
        QTest::newRow("blank names") << "[AdiSoyadi]=NULL" << true << QStringList{""};
        QTest::newRow("digits with or") << "[AdiSoyadi]='1*' or [AdiSoyadi]='2*' or [AdiSoyadi]='3*'" << true
                                        << QStringList{"1.Kişi", "2Ali"};
        QTest::newRow("star alone") << "[AdiSoyadi]='*'" << true
                                    << QStringList{"Işık", "ılgaz", "İnci", "irem", "Şule", "şahin", "Çelik", "çağla",
                                                   "Ahmet", "ahu", "Ahmetcan", "O'Brien", "1.Kişi", "2Ali"};
        QTest::newRow("and, not equal") << "[AdiSoyadi]='A*' and [AdiSoyadi]<>'ahu'" << true
                                        << QStringList{"Ahmet", "Ahmetcan"};
    }

    void filterFindsRows()
    {
        QFETCH(QString, filter);
        QFETCH(bool, caseInsensitive);
        QFETCH(QStringList, expected);
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        const QStringList names{"Işık", "ılgaz", "İnci", "irem", "Şule", "şahin", "Çelik", "çağla", "Ahmet",
                                "ahu", "Ahmetcan", "O'Brien", "", "1.Kişi", "2Ali"};
        for (int i = 0; i < names.size(); ++i)
            addMember(*t, i + 1, names[i]);
        t->setFilterOptions(caseInsensitive ? foCaseInsensitive : 0);
        t->setFilter(filter);
        t->setFiltered(true);
        QCOMPARE(visibleNames(*t), expected);
        t->setFiltered(false);
        QCOMPARE(t->RecordCount(), names.size());
        QCOMPARE(t->Filter(), filter);
    }

    void refusedFilterKeepsThePreviousOne_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown field") << "[Telefon]='5*'" << "'Telefon' alanı bulunamadı";
        QTest::newRow("unterminated quote") << "[AdiSoyadi]='Ah*" << "kapanmamış";
        QTest::newRow("unclosed bracket") << "[AdiSoyadi='Ah*'" << "]";
        QTest::newRow("no value") << "[AdiSoyadi]=" << "değer";
        QTest::newRow("dangling or") << "[AdiSoyadi]='A*' or" << "alan";
        QTest::newRow("garbage after") << "[AdiSoyadi]='A*' xyz" << "beklenmeyen";
    }

    void refusedFilterKeepsThePreviousOne()
    {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        addMember(*t, 1, QStringLiteral("Ahmet"));
        addMember(*t, 2, QStringLiteral("Büşra"));
        t->setFilterOptions(foCaseInsensitive);
        t->setFilter(QStringLiteral("[AdiSoyadi]='B*'"));
        t->setFiltered(true);
        const QString error = errorOf([&] { t->setFilter(filter); });
        QVERIFY2(error.contains(expected), qPrintable(error));
        QCOMPARE(t->Filter(), QStringLiteral("[AdiSoyadi]='B*'"));
        QVERIFY(t->Filtered());
        QCOMPARE(visibleNames(*t), QStringList{"Büşra"});
    }

    void filterSettlesAndRepositions()
    {
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        t->setFilterOptions(foCaseInsensitive);
        for (const auto &[no, name] : {std::pair{1, "Ali"}, {2, "Ayla"}, {3, "Berk"}, {4, "Aras"}})
            addMember(*t, no, QString::fromUtf8(name));
        t->setFilter(QStringLiteral("[AdiSoyadi]='A*'"));
        t->setFiltered(true);
        t->Last();
        QCOMPARE(t->FieldByName(kName)->AsString(), QStringLiteral("Aras"));
        // Switching on again, though already on, goes back to the first row.
        t->setFiltered(true);
        QCOMPARE(t->FieldByName(kName)->AsString(), QStringLiteral("Ali"));

        // A pending edit is posted before the new expression applies.
        t->Edit();
        t->FieldByName(kName)->setAsString(QStringLiteral("Bora"));
        t->setFilter(QStringLiteral("[AdiSoyadi]='B*'"));
        QCOMPARE(t->State(), dsBrowse);
        QCOMPARE(visibleNames(*t), (QStringList{"Bora", "Berk"}));

        // A new member the filter does not let through is saved but not shown.
        t->Append();
        t->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(MemberStore::NextKayitNo(*t));
        t->FieldByName(kName)->setAsString(QStringLiteral("Zeki"));
        t->Post();
        QCOMPARE(visibleNames(*t), (QStringList{"Bora", "Berk"}));
        t->setFiltered(false);
        QCOMPARE(t->RecordCount(), 5);
    }

    void numberingUsesTheWholeTable()
    {
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        QCOMPARE(MemberStore::NextKayitNo(*t), 1.0);
        addMember(*t, 1, QStringLiteral("Ali"));
        addMember(*t, 5, QStringLiteral("Zafer"));
        addMember(*t, 2, QStringLiteral("Ayşe"));
        t->setFilterOptions(foCaseInsensitive);
        t->setFilter(QStringLiteral("[AdiSoyadi]='A*'"));
        t->setFiltered(true);
        QCOMPARE(MemberStore::NextKayitNo(*t), 6.0);
        // The cursor runs in registration-number order.
        t->setFiltered(false);
        QStringList order;
        for (t->First(); !t->Eof(); t->Next())
            order << t->FieldByName(QStringLiteral("KayitNo"))->AsString();
        QCOMPARE(order, (QStringList{"1", "2", "5"}));
    }

    void duplicateNumberIsRefused()
    {
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        addMember(*t, 7, QStringLiteral("Asıl"));
        t->Append();
        t->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(7);
        t->FieldByName(kName)->setAsString(QStringLiteral("Kopya"));
        const QString error = errorOf([&] { t->Post(); });
        QVERIFY2(error.contains(QStringLiteral("Anahtar ihlali")), qPrintable(error));
        QCOMPARE(t->State(), dsInsert); // the operator's typing is not lost
        t->Cancel();
        auto again = openTable(dir(), QStringLiteral("Uye.db"));
        QCOMPARE(visibleNames(*again), QStringList{"Asıl"});

        t->Append();
        t->FieldByName(kName)->setAsString(QStringLiteral("Numarasız"));
        QVERIFY(errorOf([&] { t->Post(); }).contains(QStringLiteral("KayitNo")));
    }

    void deleteAndBookmarks()
    {
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        QVERIFY(errorOf([&] { t->Delete(); }).contains(QStringLiteral("Boş")));
        for (int i = 1; i <= 4; ++i)
            addMember(*t, i, QStringLiteral("Üye %1").arg(i));
        t->setRecNo(2);
        const TBookmark second = t->GetBookmark();
        t->setRecNo(3);
        const TBookmark third = t->GetBookmark();
        QCOMPARE(t->CompareBookmarks(second, third), -1);
        t->Delete();
        QCOMPARE(t->FieldByName(kName)->AsString(), QStringLiteral("Üye 4"));
        QVERIFY(!t->BookmarkValid(third));
        QVERIFY(!errorOf([&] { t->GotoBookmark(third); }).isEmpty());
        t->GotoBookmark(second);
        QCOMPARE(t->FieldByName(kName)->AsString(), QStringLiteral("Üye 2"));
        t->setFilter(QStringLiteral("[AdiSoyadi]='Üye 4'"));
        t->setFiltered(true);
        QVERIFY(!t->BookmarkValid(second));
        auto again = openTable(dir(), QStringLiteral("Uye.db"));
        QCOMPARE(again->RecordCount(), 3);
    }

    void photoIsStoredAndCleared()
    {
        const QByteArray photo = QByteArray("\xff\xd8\xff\xe0 not really a jpeg", 24).repeated(1000);
        const QString photoFile = path(QStringLiteral("foto.jpg"));
        {
            QFile f(photoFile);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(photo);
        }
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        addMember(*t, 1, QStringLiteral("Fotoğraflı"));
        t->Edit();
        static_cast<TBlobField *>(t->FieldByName(QStringLiteral("Resim")))->LoadFromFile(photoFile);
        t->Post();
        auto again = openTable(dir(), QStringLiteral("Uye.db"));
        auto *resim = static_cast<TBlobField *>(again->FieldByName(QStringLiteral("Resim")));
        QCOMPARE(resim->DisplayText(), QStringLiteral("(GRAPHIC)"));
        QCOMPARE(resim->AsBytes(), photo);
        // Editing another field leaves the picture alone.
        again->Edit();
        again->FieldByName(kName)->setAsString(QStringLiteral("Yine"));
        again->Post();
        QCOMPARE(openTable(dir(), QStringLiteral("Uye.db"))->FieldByName(QStringLiteral("Resim"))->Value().toByteArray(), photo);
        again->Edit();
        resim->Clear();
        again->Post();
        QVERIFY(openTable(dir(), QStringLiteral("Uye.db"))->FieldByName(QStringLiteral("Resim"))->IsNull());
        QVERIFY(!errorOf([&] { resim->LoadFromFile(path(QStringLiteral("yok.jpg"))); }).isEmpty());
    }

    // A report walks the members with their controls disabled; the dues of
    // each member must follow all the same.
    void duesHistoryFollowsTheMember_data()
    {
        QTest::addColumn<bool>("controlsDisabled");
        QTest::newRow("controls enabled") << false;
        QTest::newRow("controls disabled") << true;
    }
    void duesHistoryFollowsTheMember()
    {
        QFETCH(bool, controlsDisabled);
        auto members = openTable(dir(), QStringLiteral("Uye.db"));
        addMember(*members, 1, QStringLiteral("Ali"));
        addMember(*members, 2, QStringLiteral("Veli"));
        TDataSource source;
        source.setDataSet(members.get());
        auto dues = openDues(dir(), source);
        QCOMPARE(dues->RecordCount(), 0);
        for (const char *year : {"2023", "2024"}) {
            dues->Append(); // the link field comes from the master
            dues->FieldByName(QStringLiteral("Yil"))->setAsString(QString::fromLatin1(year));
            dues->Post();
        }
        QSignalSpy heard(&source, &TDataSource::dataChanged);
        if (controlsDisabled)
            members->DisableControls();
        members->First();
        QCOMPARE(dues->RecordCount(), 0);
        members->Last();
        QCOMPARE(dues->RecordCount(), 2);
        QCOMPARE(dues->FieldByName(QStringLiteral("KayitNo"))->AsFloat(), 2.0);
        if (controlsDisabled) {
            QCOMPARE(heard.count(), 0);
            members->EnableControls();
            QCOMPARE(heard.count(), 1);
        }
    }

    // The detail must show exactly the rows of the master's record, in the
    // order they arrived, after every kind of change to the detail rows.
    void duesFollowTheMemberThroughChanges()
    {
        auto members = openTable(dir(), QStringLiteral("Uye.db"));
        for (int no : {1, 2, 3})
            addMember(*members, no, QStringLiteral("Üye %1").arg(no));
        TDataSource source;
        source.setDataSet(members.get());
        auto dues = openDues(dir(), source);
        TField *year = nullptr, *key = nullptr;
        auto findFields = [&] { // a reopened cursor has new fields
            year = dues->FieldByName(QStringLiteral("Yil"));
            key = dues->FieldByName(QStringLiteral("KayitNo"));
        };
        findFields();
        // Posts a year while the master stands on `member`; `owner` moves it elsewhere.
        auto post = [&](int member, const QString &y, double owner = 0) {
            members->setRecNo(member);
            dues->Append();
            if (owner)
                key->setAsFloat(owner);
            year->setAsString(y);
            dues->Post();
        };
        auto atYear = [&](int member, const QString &y) {
            members->setRecNo(member);
            for (dues->First(); !dues->Eof() && year->AsString() != y; dues->Next()) {}
            QCOMPARE(year->AsString(), y);
        };
        // Walks the members the way a report does and lists each one's dues.
        auto byMember = [&] {
            QStringList out;
            for (members->First(); !members->Eof(); members->Next()) {
                QStringList years;
                for (dues->First(); !dues->Eof(); dues->Next())
                    years << year->AsString();
                out << members->FieldByName(QStringLiteral("KayitNo"))->AsString() + QLatin1Char(':') + years.join(QLatin1Char(','));
            }
            return out;
        };
        const QList<std::tuple<const char *, std::function<void()>, QStringList>> steps{
            {"posted for the current member",
             [&] { post(1, "2020"); post(2, "2021"); post(1, "2022"); },
             {"1:2020,2022", "2:2021", "3:"}},
            {"posted for another member", [&] { post(1, "2023", 3); }, {"1:2020,2022", "2:2021", "3:2023"}},
            {"key edited to another member",
             [&] {
                 atYear(1, "2022");
                 dues->Edit();
                 key->setAsFloat(2);
                 dues->Post();
                 QCOMPARE(dues->RecordCount(), 1);
             },
             {"1:2020", "2:2021,2022", "3:2023"}},
            {"other field edited", [&] { atYear(2, "2021"); dues->Edit(); dues->FieldByName(QStringLiteral("Odeyen"))->setAsString(QStringLiteral("Şükrü")); dues->Post(); },
             {"1:2020", "2:2021,2022", "3:2023"}},
            {"deleted", [&] { atYear(1, "2020"); dues->Delete(); QVERIFY(dues->IsEmpty()); }, {"1:", "2:2021,2022", "3:2023"}},
            {"filter on top of the link",
             [&] {
                 dues->setFilter(QStringLiteral("[Yil]<>'2021'"));
                 dues->setFiltered(true);
             },
             {"1:", "2:2022", "3:2023"}},
            {"posted while filtered", [&] { post(2, "2024"); post(2, "2021"); }, {"1:", "2:2022,2024", "3:2023"}},
            {"filter off", [&] { dues->setFiltered(false); }, {"1:", "2:2021,2022,2024,2021", "3:2023"}},
            {"table re-read after another program wrote",
             [&] {
                 dues->Close();
                 auto other = openTable(dir(), QStringLiteral("Aidat.db"));
                 other->setRecNo(3);
                 QCOMPARE(other->FieldByName(QStringLiteral("Yil"))->AsString(), QStringLiteral("2023"));
                 other->Delete();
                 other->Append();
                 other->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(1);
                 other->FieldByName(QStringLiteral("Yil"))->setAsString(QStringLiteral("2025"));
                 other->Post();
                 dues->Open();
                 findFields();
             },
             {"1:2025", "2:2021,2022,2024,2021", "3:"}},
            {"another cursor on the file",
             [&] {
                 dues = openDues(dir(), source);
                 findFields();
             },
             {"1:2025", "2:2021,2022,2024,2021", "3:"}},
        };
        for (const auto &[name, step, expected] : steps) {
            step();
            const QStringList seen = byMember();
            QVERIFY2(seen == expected, qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(name), seen.join(QLatin1String(" | ")))));
        }
    }

    // The link compares keys as stored values: texts letter for letter (no
    // Turkish case folding), numbers by value, and a text against a number
    // as it always has.
    void linkComparesKeys_data()
    {
        QTest::addColumn<int>("masterType");
        QTest::addColumn<int>("detailType");
        QTest::addColumn<QVariantList>("masterKeys");
        QTest::addColumn<QVariantList>("detailKeys");
        QTest::addColumn<QStringList>("expected"); // detail rows (by position) per master row
        const QVariant none;
        QTest::newRow("Turkish letters")
            << int(ftString) << int(ftString) << QVariantList{"Işık", "IŞIK", "ışık", "İzmir", "izmir"}
            << QVariantList{"ışık", "İzmir", "Işık", "izmir", "IŞIK", "Işık", "IsIk", "Izmir"}
            << QStringList{"3,6", "5", "1", "2", "4"};
        QTest::newRow("numbers") << int(ftFloat) << int(ftFloat) << QVariantList{1.0, 2.5, 0.0, 10.0}
                                 << QVariantList{2.5, 1.0, 10.0, 1.0, 0.0, none, 100.0}
                                 << QStringList{"2,4", "1", "5", "3"};
        QTest::newRow("no key") << int(ftFloat) << int(ftFloat) << QVariantList{none, 7.0}
                                << QVariantList{none, 7.0, none} << QStringList{"1,3", "2"};
        QTest::newRow("number master, text detail")
            << int(ftFloat) << int(ftString) << QVariantList{1.0, 2.0, none} << QVariantList{"1", "2", "x", none}
            << QStringList{"1,3", "2,3", "4"};
        QTest::newRow("text master, number detail")
            << int(ftString) << int(ftFloat) << QVariantList{"1", "x", none} << QVariantList{1.0, 2.0, none}
            << QStringList{"1", "1,2", "3"};
        QTest::newRow("dates") << int(ftDate) << int(ftDate)
                               << QVariantList{QDate(2024, 2, 29), QDate(2023, 1, 1)}
                               << QVariantList{QDate(2023, 1, 1), QDate(2024, 2, 29), QDate(2023, 1, 1)}
                               << QStringList{"2", "1,3"};
    }
    void linkComparesKeys()
    {
        QFETCH(int, masterType);
        QFETCH(int, detailType);
        QFETCH(QVariantList, masterKeys);
        QFETCH(QVariantList, detailKeys);
        QFETCH(QStringList, expected);
        TTable::CreateTable(path(QStringLiteral("Ana.db")), {{"Kod", TFieldType(masterType), 20}}, -1);
        TTable::CreateTable(path(QStringLiteral("Alt.db")), {{"Kod", TFieldType(detailType), 20}, {"Sira", ftString, 5}}, -1);
        auto open = [&](const char *file) {
            auto t = std::make_unique<TTable>();
            t->DatabaseName = dir();
            t->TableName = QString::fromLatin1(file);
            t->Open();
            return t;
        };
        auto master = open("Ana.db");
        for (const QVariant &k : masterKeys) {
            master->Append();
            master->FieldByName(QStringLiteral("Kod"))->setValue(k);
            master->Post();
        }
        TDataSource source;
        source.setDataSet(master.get());
        auto detail = open("Alt.db");
        detail->MasterFields = QStringLiteral("Kod");
        detail->setMasterSource(&source);
        for (int i = 0; i < detailKeys.size(); ++i) {
            detail->Append();
            detail->FieldByName(QStringLiteral("Kod"))->setValue(detailKeys[i]);
            detail->FieldByName(QStringLiteral("Sira"))->setAsString(QString::number(i + 1));
            detail->Post();
        }
        for (int pass = 0; pass < 2; ++pass) { // as posted, then as read back
            QStringList seen;
            for (master->First(); !master->Eof(); master->Next()) {
                QStringList rows;
                for (detail->First(); !detail->Eof(); detail->Next())
                    rows << detail->FieldByName(QStringLiteral("Sira"))->AsString();
                seen << rows.join(QLatin1Char(','));
            }
            QVERIFY2(seen == expected, qPrintable(seen.join(QLatin1String(" | "))));
            detail->Close();
            detail->Open();
        }
    }

    // What a view needs to tell a move from a change of the records.
    void recordsVersionTellsMovesFromChanges()
    {
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        addMember(*t, 1, QStringLiteral("Ali"));
        addMember(*t, 2, QStringLiteral("Can"));
        addMember(*t, 3, QStringLiteral("Cem"));
        const QList<std::pair<const char *, std::function<void()>>> steps{
            {"First", [&] { t->First(); }},
            {"Next", [&] { t->Next(); }},
            {"Last", [&] { t->Last(); }},
            {"RecNo", [&] { t->setRecNo(2); }},
            {"Edit", [&] { t->Edit(); }},
            {"assign", [&] { t->FieldByName(kName)->setAsString(QStringLiteral("Cenk")); }},
            {"Post", [&] { t->Post(); }},
            {"Append", [&] { t->Append(); }},
            {"Cancel", [&] { t->Cancel(); }},
            {"filter on",
             [&] {
                 t->setFilter(QStringLiteral("[AdiSoyadi]='C*'"));
                 t->setFiltered(true);
             }},
            {"Delete", [&] { t->Delete(); }},
        };
        const QStringList moves{"First", "Next", "Last", "RecNo", "Edit"};
        for (const auto &[name, step] : steps) {
            const quint64 before = t->RecordsVersion();
            step();
            QVERIFY2((t->RecordsVersion() == before) == moves.contains(QLatin1String(name)), name);
        }
    }

    void dataSourceRelaysChanges()
    {
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        addMember(*t, 1, QStringLiteral("Ali"));
        addMember(*t, 2, QStringLiteral("Can"));
        TDataSource source;
        source.setDataSet(t.get());
        QSignalSpy moved(&source, &TDataSource::dataChanged);
        QSignalSpy field(&source, &TDataSource::fieldChanged);
        QSignalSpy state(&source, &TDataSource::stateChanged);
        t->First();
        QCOMPARE(moved.count(), 1);
        t->Edit();
        QCOMPARE(state.count(), 1);
        t->FieldByName(kName)->setAsString(QStringLiteral("Alp"));
        // The assigned field, then the calculated remainder that follows it.
        QCOMPARE(field.count(), 2);
        QCOMPARE(field.at(0).at(0).value<TField *>(), t->FieldByName(kName));
        QCOMPARE(field.at(1).at(0).value<TField *>(), t->FieldByName(QStringLiteral("Kalan")));
        t->DisableControls();
        t->Next();
        QCOMPARE(moved.count(), 1);
        t->EnableControls();
        QCOMPARE(moved.count(), 2);
    }

    void readOnlyAndLockedTables()
    {
        auto writer = openTable(dir(), QStringLiteral("Uye.db"));
        addMember(*writer, 1, QStringLiteral("Ali"));

        TTable reader;
        reader.DatabaseName = dir();
        reader.TableName = QStringLiteral("Uye.db");
        reader.ReadOnly = true;
        reader.Open();
        reader.Edit();
        reader.FieldByName(kName)->setAsString(QStringLiteral("Değişmez"));
        QVERIFY(errorOf([&] { reader.Post(); }).contains(QStringLiteral("salt okunur")));
        QCOMPARE(reader.State(), dsEdit);
        reader.Cancel();

        // Another program holds the file locked for writing.
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
            other.setDatabaseName(path(QStringLiteral("Uye.db")));
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            writer->LockTimeoutMs = 50;
            writer->Close();
            const QString openError = errorOf([&] { writer->Open(); });
            QVERIFY2(openError.contains(QStringLiteral("kilitli")), qPrintable(openError));
            QVERIFY(lock.exec(QStringLiteral("COMMIT")));
            writer->Open();
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            writer->Append();
            writer->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(2);
            QVERIFY(errorOf([&] { writer->Post(); }).contains(QStringLiteral("kilitli")));
            QCOMPARE(writer->State(), dsInsert);
            QVERIFY(lock.exec(QStringLiteral("COMMIT")));
            writer->Post();
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        QCOMPARE(openTable(dir(), QStringLiteral("Uye.db"))->RecordCount(), 2);
    }

    void postedMemberSurvivesAKill()
    {
        QProcess child;
        child.start(QStringLiteral(POST_AND_WAIT), {dir(), QStringLiteral("Kalıcı Üye")});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(20000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("posted"));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        auto t = openTable(dir(), QStringLiteral("Uye.db"));
        QCOMPARE(visibleNames(*t), QStringList{"Kalıcı Üye"});
        QCOMPARE(t->FieldByName(QStringLiteral("KayitNo"))->AsFloat(), 1.0);
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "test_data.moc"
