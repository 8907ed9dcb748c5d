// Report data sets and the way expressions reach table fields: ranges of a
// walk, user data sets driven by counts and events, a data set over the
// member table, field references in every written form, and the helpers.

#include "report/expr/data_access.h"
#include "report/expr/report_dataset.h"


#include "data/member_store.h"
#include "data/table.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestReportData : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QObject> m_form; // stands for the registration window
    TTable *m_table = nullptr;

    QString currentName() const { return m_table->FieldByName(QStringLiteral("AdiSoyadi"))->AsString(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        MemberStore::PrepareWorkingFolder(m_dir->path());
        m_form = std::make_unique<QObject>();
        m_form->setObjectName(QStringLiteral("UyeKayitForm1"));
        m_table = new TTable(m_form.get());
        m_table->setObjectName(QStringLiteral("Table1"));
        m_table->DatabaseName = m_dir->path();
        m_table->TableName = QStringLiteral("Uye.db");
        MemberStore::ConfigureTable(*m_table);
        m_table->Open();
        const char *names[] = {"Ali", "Berna", "Cem"};
        for (int i = 0; i < 3; ++i) {
            m_table->Append();
            m_table->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(i + 1);
            m_table->FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(QString::fromLatin1(names[i]));
            m_table->Post();
        }
        qpRegisterContainer(m_form.get());
        qpReportOwner = [this] { return m_form.get(); };
        qpDefaultDataSet = [this] { return m_table; };
        qpUseDefaultDataSetName = [] { return true; };
    }

    void cleanup()
    {
        qpReportOwner = nullptr;
        qpDefaultDataSet = nullptr;
        qpUseDefaultDataSetName = nullptr;
        qpUnregisterContainer(m_form.get());
        m_form.reset();
    }

    void userDataSetWithACount()
    {
        TqpUserDataset ds;
        ds.RangeEnd = reCount;
        ds.RangeEndCount = 3;
        int nexts = 0;
        ds.OnNext = [&](TqpDataset *) { ++nexts; };
        ds.First();
        QVERIFY(!ds.Eof());
        ds.Next();
        QVERIFY(!ds.Eof());
        ds.Next();
        QVERIFY(!ds.Eof());
        ds.Next();
        QVERIFY(ds.Eof());
        QCOMPARE(nexts, 2);
        QCOMPARE(ds.RecNo(), 3);
    }

    void userDataSetEndsOnlyWhenTold()
    {
        TqpUserDataset ds;
        ds.First();
        for (int i = 0; i < 100; ++i)
            ds.Next();
        QVERIFY(!ds.Eof());
        ds.OnCheckEOF = [](TqpDataset *d, bool &eof) { eof = d->RecNo() >= 5; };
        QVERIFY(ds.Eof());
    }

    void tableWalks()
    {
        TDataSource source;
        source.setDataSet(m_table);
        TqpDBDataSet ds;
        ds.setDataSource(&source);
        QStringList walked;
        ds.Init();
        for (ds.First(); !ds.Eof(); ds.Next())
            walked << currentName();
        ds.Exit();
        QCOMPARE(walked, (QStringList{"Ali", "Berna", "Cem"}));
        QVERIFY(m_table->Active()); // the member table stays open for the program

        // The current record alone, and the cursor put back afterwards.
        m_table->setRecNo(2);
        ds.RangeBegin = rbCurrent;
        ds.RangeEnd = reCurrent;
        walked.clear();
        ds.Init();
        m_table->First();
        for (ds.First(); !ds.Eof(); ds.Next())
            walked << currentName();
        QCOMPARE(walked, QStringList{"Berna"});
        m_table->Last();
        ds.Exit();
        QCOMPARE(currentName(), QStringLiteral("Berna"));
    }

    // A walk keeps the table's windows still from the first Init to the
    // last Exit, tells them once at the end, and leaves the operator's
    // record current; a walk never ended ends with its data set.
    void walkKeepsTheControlsStill()
    {
        TDataSource source;
        source.setDataSet(m_table);
        m_table->setRecNo(2);
        QSignalSpy heard(&source, &TDataSource::dataChanged);
        {
            TqpDBDataSet ds;
            ds.setDataSource(&source);
            ds.Init();
            QVERIFY(m_table->ControlsDisabled());
            ds.Init(); // a second band over the same data set
            for (ds.First(); !ds.Eof(); ds.Next())
                QVERIFY(m_table->ControlsDisabled());
            ds.Exit();
            QVERIFY(m_table->ControlsDisabled());
            ds.Exit();
            QVERIFY(!m_table->ControlsDisabled());
            QCOMPARE(currentName(), QStringLiteral("Berna"));
            QCOMPARE(heard.count(), 1);

            ds.Init();
            ds.First();
            ds.Next();
            ds.Next();
            QCOMPARE(currentName(), QStringLiteral("Cem"));
        }
        QVERIFY(!m_table->ControlsDisabled());
        QCOMPARE(currentName(), QStringLiteral("Berna"));

        // A new member not yet saved is saved first and is the one come back to.
        m_table->Append();
        m_table->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(4);
        m_table->FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(QStringLiteral("Deniz"));
        TqpDBDataSet ds;
        ds.setDataSource(&source);
        ds.Init();
        for (ds.First(); !ds.Eof(); ds.Next()) {
        }
        ds.Exit();
        QCOMPARE(m_table->State(), dsBrowse);
        QCOMPARE(currentName(), QStringLiteral("Deniz"));
    }

    void unlinkedDataSetSaysSo()
    {
        TqpDBDataSet ds;
        ds.setObjectName(QStringLiteral("qpDBDataSet1"));
        try {
            ds.Init();
            QFAIL("no error");
        } catch (const EDSError &e) {
            QCOMPARE(e.message(), QStringLiteral("Unable to open dataset qpDBDataSet1"));
        }
        // A link to a component that goes away is cleared.
        auto source = std::make_unique<TDataSource>();
        source->setDataSet(m_table);
        ds.setDataSource(source.get());
        QCOMPARE(ds.GetDataSet(), m_table);
        source.reset();
        QVERIFY(!ds.DataSource());
        QVERIFY_THROWS_EXCEPTION(EDSError, ds.GetDataSet());
    }

    void fieldReferences_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("withDefault");
        QTest::addColumn<QString>("field");
        QTest::newRow("quoted field") << "Table1.\"AdiSoyadi\"" << false << "AdiSoyadi";
        QTest::newRow("plain") << "Table1.AdiSoyadi" << false << "AdiSoyadi";
        QTest::newRow("any case") << "table1.adisoyadi" << false << "AdiSoyadi";
        QTest::newRow("with the window") << "UyeKayitForm1.Table1.AdiSoyadi" << false << "AdiSoyadi";
        QTest::newRow("default data set") << "AdiSoyadi" << true << "AdiSoyadi";
        QTest::newRow("no default") << "AdiSoyadi" << false << "";
        QTest::newRow("unknown field") << "Table1.Telefon" << false << "";
        QTest::newRow("unknown data set") << "Table9.AdiSoyadi" << false << "";
        QTest::newRow("ends with a dot") << "Table1." << false << "";
        QTest::newRow("too many dots") << "A.B.C.D.E" << false << "";
    }
    void fieldReferences()
    {
        QFETCH(QString, name);
        QFETCH(bool, withDefault);
        QFETCH(QString, field);
        TDataSet *ds = withDefault ? m_table : nullptr;
        QString resolved;
        qpGetDataSetAndField(name, ds, resolved);
        QCOMPARE(resolved, field);
        if (!field.isEmpty())
            QCOMPARE(ds, m_table);
    }

    void fieldValuesAreNeverNull()
    {
        m_table->First();
        QCOMPARE(qpGetFieldValue(m_table->FieldByName(QStringLiteral("AdiSoyadi"))).stringValue(), QStringLiteral("Ali"));
        const Variant blankText = qpGetFieldValue(m_table->FieldByName(QStringLiteral("BabaAdi")));
        QCOMPARE(blankText.kind(), Variant::String);
        QVERIFY(blankText.stringValue().isEmpty());
        const Variant blankNumber = qpGetFieldValue(m_table->FieldByName(QStringLiteral("Aidat")));
        QCOMPARE(blankNumber.kind(), Variant::Integer);
        QCOMPARE(blankNumber.integerValue(), 0);
        QCOMPARE(qpGetFieldValue(m_table->FieldByName(QStringLiteral("KayitNo"))).realValue(), 1.0);
        m_table->Edit();
        m_table->FieldByName(QStringLiteral("Tarih"))->setAsString(QStringLiteral("31.12.1899"));
        m_table->Post();
        const Variant date = qpGetFieldValue(m_table->FieldByName(QStringLiteral("Tarih")));
        QCOMPARE(date.kind(), Variant::DateTime);
        QCOMPARE(date.realValue(), 1.0);

        QVERIFY(qpFieldIsNull(QStringLiteral("Table1.BabaAdi")));
        QVERIFY(!qpFieldIsNull(QStringLiteral("AdiSoyadi")));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, qpFieldIsNull(QStringLiteral("Table1.Telefon")));
    }

    void blobsAndNames()
    {
        m_table->First();
        m_table->Edit();
        m_table->FieldByName(QStringLiteral("EvAdresi"))->setAsString(QStringLiteral("Atatürk Cad. 5\r\nTepebaşı"));
        m_table->Post();
        QStringList lines;
        qpAssignBlobTo(m_table->FieldByName(QStringLiteral("EvAdresi")), lines);
        QCOMPARE(lines, (QStringList{"Atatürk Cad. 5", "Tepebaşı"}));
        QBuffer stream;
        stream.open(QIODevice::ReadWrite);
        qpAssignBlobTo(m_table->FieldByName(QStringLiteral("EvAdresi")), stream);
        QCOMPARE(stream.pos(), 0);
        QVERIFY(stream.readAll().startsWith("Atatürk"));
        QVERIFY(qpIsBlob(m_table->FieldByName(QStringLiteral("Resim"))));
        QVERIFY(!qpIsBlob(m_table->FieldByName(QStringLiteral("Gsm"))));
        QVERIFY(qpIsDataSet(m_table));
        QStringList names;
        qpGetFieldNames(m_table, names);
        QCOMPARE(names.size(), 31);
    }

    void textHelpers()
    {
        QCOMPARE(qpRemoveQuotes(QStringLiteral("\"\"")), QStringLiteral("\"\""));
        QCOMPARE(qpRemoveQuotes(QStringLiteral("\"a\"")), QStringLiteral("a"));
        QCOMPARE(qpRemoveQuotes(QStringLiteral("\"a")), QStringLiteral("\"a"));
        QStringList list{QStringLiteral("eski")};
        qpSetCommaText(QStringLiteral("a;;b;"), list);
        QCOMPARE(list, (QStringList{"a", "", "b"}));
        qpSetCommaText(QString(), list);
        QVERIFY(list.isEmpty());
        QCOMPARE(qpStrToFloat(QStringLiteral(" 1.5 ")), 1.5);
        QCOMPARE(qpStrToFloat(QStringLiteral("2,25")), 2.25);
        QVERIFY_THROWS_EXCEPTION(EConvertError, qpStrToFloat(QStringLiteral("bir")));
    }
};

QTEST_MAIN(TestReportData)
#include "test_report_data.moc"
