// Function libraries: the standard functions with their edge cases, the
// dialogs through the scripted seam, FIELDISNULL over a member table, the
// report's dispatch order, the description registry, library registration,
// the band side of the aggregates and the aggregate splitter.

#include "report/core/exceptions.h"
#include "report/core/string_table.h"
#include "report/expr/aggregate_splitter.h"
#include "report/expr/data_access.h"
#include "report/expr/expr_globals.h"
#include "report/expr/function_library.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/std_functions.h"
#include "report/expr/variables.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"

#include "data/member_store.h"
#include "data/table.h"
#include "scripted_ui.h"

#include <QInputDialog>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

QString describe(const Variant &v)
{
    return QLatin1String(Variant::kindName(v.kind())) + QLatin1Char(' ') + v.toString();
}

Variant calc(const QString &expression)
{
    return qpParser->Calc(expression);
}

// An aggregate key: every field followed by the character 1.
QString key(const QStringList &fields)
{
    QString k;
    for (const QString &f : fields)
        k += f + QChar(1);
    return k;
}

QString code(TqpAggregateCode c)
{
    return QString(QChar(c));
}

class StubBand : public TqpBandBase {
public:
    StubBand(int type, const QString &name) : type(type), name(name) {}
    int type;
    QString name;
    bool cross = false;
    TqpBandBase *aggregateBand = nullptr;
    TqpVariables table;
    int newPages = 0;

    int BandTop() const override { return 0; }
    int CalculatedHeight() const override { return 0; }
    int BandWidth() const override { return 0; }
    int BandType() const override { return type; }
    bool IsStretched() const override { return false; }
    QString BandName() const override { return name; }
    bool HasCross() const override { return cross; }
    TqpBandBase *AggregateBand() const override { return aggregateBand; }
    void SetAggregateBand(TqpBandBase *band) override { aggregateBand = band; }
    void AddAggregateValue(const QString &k, const Variant &value) override { table.SetVariable(k, value); }
    Variant GetAggregateValue(const QString &k) override { return table.GetVariable(k); }
    void RequestNewPage() override { ++newPages; }
};

class StubPage : public TqpPageBase {
public:
    QList<TqpView *> objects;
    int column = 0;
    QStringList shown;
    const QList<TqpView *> &Objects() const override { return objects; }
    int LeftMargin() const override { return 0; }
    int RightMargin() const override { return 0; }
    int SheetWidth() const override { return 0; }
    int SheetHeight() const override { return 0; }
    int ColumnNo() const override { return column; }
    void ShowBandByName(const QString &name) override { shown << name; }
};

// A library whose class name and answer are chosen by the test.
class NamedLibrary : public TqpFunctionLibrary {
public:
    NamedLibrary(const QString &className, const QString &answer) : m_class(className), m_answer(answer) {}
    QString ClassName() const override { return m_class; }
    void DoFunction(int, const Variant &, const Variant &, const Variant &, Variant &value) override
    {
        value = m_answer;
    }

private:
    QString m_class, m_answer;
};

TqpFunctionLibraryClass namedLibrary(const QString &className, const QString &function, const QString &answer)
{
    return {className, [=] {
                auto *library = new NamedLibrary(className, answer);
                library->List << function;
                library->AddFunctionDesc(className + QLatin1String("_FN"), QStringLiteral("Deneme"),
                                         className + QLatin1String("_FN()/deneme"));
                return library;
            }};
}

// Records what scripts assign.
class RecordingInterpretator : public TqpInterpretator {
public:
    TqpVariables assigned;
    void SetValue(const QString &name, const Variant &value) override { assigned.SetVariable(name, value); }
};

} // namespace

class TestFunctions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qpInitExpressionGlobals();
        qpInitModelGlobals();
    }

    void cleanupTestCase()
    {
        qpDoneModelGlobals();
        qpDoneExpressionGlobals();
    }

    void cleanup()
    {
        qpParser->OnFunction = qpCallFunctionLibraries;
        qpParser->OnGetValue = nullptr;
        CurReport = nullptr;
        CurPage = nullptr;
        CurBand = nullptr;
        CurView = nullptr;
        qpRegisteringAggregates = false;
        qpAggregateTargetBand = nullptr;
        qpVariables->Clear();
    }

    void standardFunctions_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *e, const QString &x) { QTest::newRow(e) << QString::fromUtf8(e) << x; };
        row("UPPERCASE('abc')", "String ABC");
        row("UPPERCASE('istanbul ığdır')", QString::fromUtf8("String İSTANBUL IĞDIR"));
        row("LOWERCASE('IŞIK İZMİR')", QString::fromUtf8("String ışık izmir"));
        row("LENGTH('')", "Integer 0");
        row("LENGTH('çağrı')", "Integer 5");
        row("LENGTH(12.5)", "Integer 4");  // the text of the value, 12,5
        row("POS('b', 'abc')", "Integer 2");
        row("POS('x', 'abc')", "Integer 0");
        row("POS('', 'abc')", "Integer 0");
        row("POS('B', 'abc')", "Integer 0");  // case counts
        // Only the first character is capitalised, in Turkish letter case.
        row("NAMECASE('aYŞE ILGIN')", QString::fromUtf8("String Ayşe ılgın"));
        row("NAMECASE('iSTANBUL')", QString::fromUtf8("String İstanbul"));
        row("NAMECASE('')", "String ");
        // Ties give the second argument: a number and a string that compare equal.
        row("MAXNUM(2, '2')", "String 2");
        row("MINNUM('2', 2)", "Double 2");
        row("MAXNUM(3, 10)", "Double 10");
        row("MINNUM('a', 'b')", "String a");
        row("MAXNUM('a', 'b')", "String b");
        row("TRIM('\t\x01  a b \x02 ')", "String a b");
        row("TRIM('')", "String ");
        row("DAYOF(STRTODATE('05.03.2004'))", "Integer 5");
        row("MONTHOF(STRTODATE('05.03.2004'))", "Integer 3");
        row("YEAROF(STRTODATE('05.03.2004'))", "Integer 2004");
        row("DAYOF('29.02.2004')", "Integer 29");
        row("FORMATDATETIME('dd.mm.yyyy hh:nn', STRTODATE('05.03.2004') + STRTOTIME('14:30'))",
            "String 05.03.2004 14:30");
        // A missing argument evaluates to 0: the date-time 0.
        row("FORMATDATETIME('dd.mm.yyyy')", "String 30.12.1899");
        row("FORMATFLOAT('#,##0.00', 1234.5)", "String 1.234,50");
        row("FORMATFLOAT('0.0', '2,25')", "String 2,3");
        row("FORMATTEXT('000-00-00', '1234567')", "String 123-45-67");
        row("FORMATTEXT('(999) 999', '312555')", "String (312) 555");
        // A name no library knows is not taken: without a report nothing answers.
        row("NOSUCHFUNCTION(1)", "Null ");
    }

    void standardFunctions()
    {
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        QCOMPARE(describe(calc(expression)), expected);
    }

    void argumentsThatDoNotConvertRaise_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::newRow("number") << QStringLiteral("FORMATFLOAT('0.00', 'abc')");
        QTest::newRow("date") << QStringLiteral("DAYOF('31.02.2004')");
        QTest::newRow("buttons") << QStringLiteral("MESSAGEBOX('a', 'b', 'c')");
        QTest::newRow("expression") << QStringLiteral("LENGTH(2abc)");
    }

    void argumentsThatDoNotConvertRaise()
    {
        QFETCH(QString, expression);
        TScriptedUi ui;
        QVERIFY_THROWS_EXCEPTION(EqpError, calc(expression));
        QVERIFY(ui.boxes.isEmpty());
    }

    void inputAsksThroughTheSeam()
    {
        TScriptedUi ui;
        QString label, shownDefault, caption;
        ui.modalActions << [&](QDialog *d) {
            auto *input = qobject_cast<QInputDialog *>(d);
            QVERIFY(input);
            label = input->labelText();
            shownDefault = input->textValue();
            caption = input->windowTitle();
            input->setTextValue(QStringLiteral("Veli"));
            input->accept();
        };
        QCOMPARE(describe(calc(QStringLiteral("INPUT('Adınız' + ':', 'Ali')"))), QStringLiteral("String Veli"));
        QCOMPARE(label, QStringLiteral("Adınız:"));
        QCOMPARE(shownDefault, QStringLiteral("Ali"));
        QCOMPARE(caption, QString());

        // Cancelled: the default text; without a default the box starts empty.
        QCOMPARE(describe(calc(QStringLiteral("INPUT('Ad', 'Ali')"))), QStringLiteral("String Ali"));
        ui.modalActions << [&](QDialog *d) { shownDefault = qobject_cast<QInputDialog *>(d)->textValue(); };
        QCOMPARE(describe(calc(QStringLiteral("INPUT('Ad')"))), QStringLiteral("String "));
        QCOMPARE(shownDefault, QString());
        QCOMPARE(ui.modalShown.size(), 3);
    }

    void messageBoxAsksThroughTheSeam_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("result");
        using B = QMessageBox;
        QTest::newRow("mb_Ok") << 0 << int(B::Ok) << int(B::Ok) << int(B::NoIcon) << 1;
        QTest::newRow("mb_OkCancel+error") << 17 << int(B::Cancel) << int(B::Ok | B::Cancel) << int(B::Critical) << 2;
        QTest::newRow("mb_YesNo+question") << 36 << int(B::Yes) << int(B::Yes | B::No) << int(B::Question) << 6;
        QTest::newRow("mb_YesNoCancel+warning")
            << 51 << int(B::No) << int(B::Yes | B::No | B::Cancel) << int(B::Warning) << 7;
        QTest::newRow("information") << 64 << int(B::Ok) << int(B::Ok) << int(B::Information) << 1;
    }

    void messageBoxAsksThroughTheSeam()
    {
        QFETCH(int, flags);
        QFETCH(int, answer);
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(int, result);
        TScriptedUi ui;
        ui.answers << QMessageBox::StandardButton(answer);
        const Variant v = calc(QStringLiteral("MESSAGEBOX('Emin misiniz?', 'Soru', %1)").arg(flags));
        QCOMPARE(describe(v), QStringLiteral("Integer %1").arg(result));
        QCOMPARE(ui.boxes.size(), 1);
        QCOMPARE(ui.boxes[0].text, QStringLiteral("Emin misiniz?"));
        QCOMPARE(ui.boxes[0].title, QStringLiteral("Soru"));
        QCOMPARE(int(ui.boxes[0].buttons), buttons);
        QCOMPARE(int(ui.boxes[0].icon), icon);
    }

    void messageBoxWithoutTitle()
    {
        TScriptedUi ui;
        QCOMPARE(describe(calc(QStringLiteral("MESSAGEBOX('Bitti')"))), QStringLiteral("Integer 1"));
        QCOMPARE(ui.boxes.size(), 1);
        QCOMPARE(ui.boxes[0].title, QString());
    }

    void fieldIsNullOverAMemberTable()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        MemberStore::PrepareWorkingFolder(dir.path());
        QObject form;
        form.setObjectName(QStringLiteral("UyeKayitForm1"));
        auto *table = new TTable(&form);
        table->setObjectName(QStringLiteral("Table1"));
        table->DatabaseName = dir.path();
        table->TableName = QStringLiteral("Uye.db");
        MemberStore::ConfigureTable(*table);
        table->Open();
        table->Append();
        table->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(1);
        table->FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(QStringLiteral("Ali"));
        table->Post();
        qpRegisterContainer(&form);
        qpReportOwner = [&] { return &form; };
        qpDefaultDataSet = [&] { return table; };
        qpUseDefaultDataSetName = [] { return true; };
        // [NAME] hands the field's name over as a value.
        qpParser->OnGetValue = [](const QString &name, Variant &v) {
            if (name == QLatin1String("NAME"))
                v = QStringLiteral("Table1.AdiSoyadi");
        };

        QCOMPARE(describe(calc(QStringLiteral("FIELDISNULL('Table1.BabaAdi')"))), QStringLiteral("Boolean True"));
        QCOMPARE(describe(calc(QStringLiteral("FIELDISNULL('Table1.AdiSoyadi')"))), QStringLiteral("Boolean False"));
        QCOMPARE(describe(calc(QStringLiteral("FIELDISNULL('BabaAdi')"))), QStringLiteral("Boolean True"));
        QCOMPARE(describe(calc(QStringLiteral("FIELDISNULL([NAME])"))), QStringLiteral("Boolean False"));
        QVERIFY(calc(QStringLiteral("IF(FIELDISNULL('Table1.BabaAdi'), 'boş', 'dolu')")).toString()
                == QStringLiteral("boş"));

        qpReportOwner = nullptr;
        qpDefaultDataSet = nullptr;
        qpUseDefaultDataSetName = nullptr;
        qpUnregisterContainer(&form);
    }

    void dispatchOrder()
    {
        TqpReport report;
        QStringList userCalls;
        report.OnUserFunction = [&](const QString &name, const Variant &p1, const Variant &, const Variant &,
                                    Variant &value) {
            userCalls << name + QLatin1Char('=') + describe(value);
            if (name == QLatin1String("ASK"))
                value = p1.toString().trimmed();
        };
        qpParser->OnFunction = [&](const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                                   Variant &value) { report.OnGetParsFunction(name, p1, p2, p3, value); };
        StubBand band(btMasterData, QStringLiteral("MasterData1"));
        CurBand = &band;

        // A library function ends the dispatch.
        QCOMPARE(describe(calc(QStringLiteral("UPPERCASE('x')"))), QStringLiteral("String X"));
        QVERIFY(userCalls.isEmpty());

        // A script function, then the event with the result so far.
        calc(QStringLiteral("NEWPAGE(0)"));
        QCOMPARE(band.newPages, 1);
        QCOMPARE(userCalls, QStringList{QStringLiteral("NEWPAGE=String 0")});

        // Nothing knows it and there is no current view: the string "0",
        // unless the event answers.
        userCalls.clear();
        QCOMPARE(describe(calc(QStringLiteral("NOSUCH(1)"))), QStringLiteral("String 0"));
        QCOMPARE(describe(calc(QStringLiteral("ASK(42)"))), QStringLiteral("String 42"));
        QCOMPARE(userCalls, (QStringList{QStringLiteral("NOSUCH=String 0"), QStringLiteral("ASK=String 0")}));

        // With a current view, a method of the view; one it lacks gives Null.
        TqpMemoView memo;
        memo.Memo = QStringList{QStringLiteral("a")};
        CurView = &memo;
        userCalls.clear();
        QCOMPARE(describe(calc(QStringLiteral("HIDE(0)"))), QStringLiteral("Null "));
        QVERIFY(!memo.GetPropValue(QStringLiteral("Visible")).toBool());
        QCOMPARE(describe(calc(QStringLiteral("MEMO.INDEXOF('a')"))), QStringLiteral("Integer 0"));
        QCOMPARE(userCalls, (QStringList{QStringLiteral("HIDE=Null "), QStringLiteral("MEMO.INDEXOF=Integer 0")}));

        // A library takes precedence over a script function of the same name.
        qpRegisterFunctionLibrary(namedLibrary(QStringLiteral("TPageLibrary"), QStringLiteral("NEWPAGE"),
                                               QStringLiteral("kitaplık")));
        QCOMPARE(describe(calc(QStringLiteral("NEWPAGE(0)"))), QStringLiteral("String kitaplık"));
        QCOMPARE(band.newPages, 1);
        qpUnRegisterFunctionLibrary(namedLibrary(QStringLiteral("TPageLibrary"), {}, {}));
    }

    void scriptFunctions()
    {
        TqpReport report;
        qpParser->OnFunction = [&](const QString &name, const Variant &p1, const Variant &p2, const Variant &p3,
                                   Variant &value) { report.OnGetParsFunction(name, p1, p2, p3, value); };
        class : public TqpReportBase {
        public:
            bool terminated = false;
            TqpView *FindObject(const QString &) const override { return nullptr; }
            TqpObject *PageAt(int) const override { return nullptr; }
            void InternalOnGetValue(const QString &, QString &) override {}
            void Terminate() override { terminated = true; }
        } current;
        CurReport = &current;
        StubPage page;
        CurPage = &page;

        calc(QStringLiteral("STOPREPORT(0)"));
        QVERIFY(current.terminated);
        calc(QStringLiteral("SHOWBAND(Footer1)"));
        QCOMPARE(page.shown, QStringList{QStringLiteral("Footer1")});

        // Arrays live in the free variables, a string index unchanged.
        calc(QStringLiteral("SETARRAY(Total, 3, 2 * 5)"));
        calc(QStringLiteral("SETARRAY(Total, 'x', 'y')"));
        QCOMPARE(describe(qpVariables->GetVariable(QStringLiteral("Arr_Total_3"))), QStringLiteral("Double 10"));
        QCOMPARE(describe(calc(QStringLiteral("Total[1 + 2]"))), QStringLiteral("Double 10"));
        QCOMPARE(describe(calc(QStringLiteral("Total['x']"))), QStringLiteral("String y"));
        QCOMPARE(describe(calc(QStringLiteral("Total[4]"))), QStringLiteral("Null "));

        // INC and DEC read like expressions and assign like scripts.
        RecordingInterpretator recorder;
        TqpInterpretator *previous = qpInterpretator;
        qpInterpretator = &recorder;
        qpParser->OnGetValue = [](const QString &name, Variant &v) {
            if (name == QLatin1String("Count"))
                v = 41;
        };
        calc(QStringLiteral("INC(Count)"));
        QCOMPARE(describe(recorder.assigned.GetVariable(QStringLiteral("Count"))), QStringLiteral("Integer 42"));
        calc(QStringLiteral("DEC(Count)"));
        QCOMPARE(describe(recorder.assigned.GetVariable(QStringLiteral("Count"))), QStringLiteral("Integer 40"));
        qpInterpretator = previous;
    }

    // LOOKUPSUM over a dues table: the sum of one member's payments of a
    // year, every year without a key, the cursor back where it was, and
    // names that are no field of a data set as clear errors.
    void lookupSumOverADuesTable()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        MemberStore::PrepareWorkingFolder(dir.path());
        QObject form;
        form.setObjectName(QStringLiteral("UyeKayitForm1"));
        auto *dues = new TTable(&form);
        dues->setObjectName(QStringLiteral("Table2"));
        dues->DatabaseName = dir.path();
        dues->TableName = QStringLiteral("Aidat.db");
        dues->Open();
        const QList<QPair<const char *, double>> paid{{"2023", 40}, {"2024", 25.5}, {"2023", 60}, {"2022", 10}};
        for (const auto &[year, amount] : paid) {
            dues->Append();
            dues->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(1);
            dues->FieldByName(QStringLiteral("Yil"))->setAsString(QString::fromLatin1(year));
            dues->FieldByName(QStringLiteral("Alinan"))->setAsFloat(amount);
            dues->Post();
        }
        dues->First();
        dues->Next();
        const double current = dues->FieldByName(QStringLiteral("Alinan"))->AsFloat();
        qpRegisterContainer(&form);
        qpReportOwner = [&] { return &form; };
        qpDefaultDataSet = nullptr;
        qpUseDefaultDataSetName = nullptr;

        QCOMPARE(calc(QStringLiteral("LOOKUPSUM('Table2.Alinan', 'Yil', 2023)")).toReal(), 100.0);
        QCOMPARE(calc(QStringLiteral("LOOKUPSUM('Table2.Alinan', 'Yil', '2024')")).toReal(), 25.5);
        QCOMPARE(calc(QStringLiteral("LOOKUPSUM('Table2.Alinan', 'Yil', 2020 + 2)")).toReal(), 10.0);
        QCOMPARE(calc(QStringLiteral("LOOKUPSUM('Table2.Alinan', 'Yil', 1999)")).toReal(), 0.0);
        QCOMPARE(calc(QStringLiteral("LOOKUPSUM('Table2.Alinan', '', 0)")).toReal(), 135.5);
        QCOMPARE(dues->FieldByName(QStringLiteral("Alinan"))->AsFloat(), current);
        for (const char *bad : {"LOOKUPSUM('Alinan', 'Yil', 2023)", "LOOKUPSUM('Table2.Yok', 'Yil', 2023)",
                                "LOOKUPSUM('Table2.Alinan', 'Yok', 2023)"})
            QVERIFY_THROWS_EXCEPTION(std::exception, calc(QString::fromLatin1(bad)));
        QCOMPARE(dues->FieldByName(QStringLiteral("Alinan"))->AsFloat(), current);
        // A walk that had reached the end stays at the end.
        dues->Last();
        dues->Next();
        QVERIFY(dues->Eof());
        QCOMPARE(calc(QStringLiteral("LOOKUPSUM('Table2.Alinan', 'Yil', 2023)")).toReal(), 100.0);
        QVERIFY(dues->Eof());

        qpReportOwner = nullptr;
        qpUnregisterContainer(&form);
    }

    void descriptionsByCategory()
    {
        QStringList categories;
        qpInstalledFunctions.GetCategoryList(categories);
        QCOMPARE(categories, QString::fromUtf8("Database|Digerleri|Mantıksal|Matemetiksel|Metin|Report info|"
                                               "Tarih ve Saat|Ünite|Yorumlamalar")
                                 .split(QLatin1Char('|')));

        QStringList names;
        qpInstalledFunctions.GetFunctionList(QString::fromUtf8("ünite"), names);
        QCOMPARE(names, QStringList({"AVG", "COUNT", "MAX", "MIN", "SUM"}));
        qpInstalledFunctions.GetFunctionList(QStringLiteral("Database"), names);
        QCOMPARE(names, QStringList({"FIELDISNULL", "LOOKUPSUM"}));
        qpInstalledFunctions.GetFunctionList(QStringLiteral("Mantıksal"), names);
        QCOMPARE(names, QStringList({"AND", "FALSE", "NOT", "OR", "TRUE"}));
        qpInstalledFunctions.GetFunctionList(QStringLiteral("Tarih ve Saat"), names);
        QCOMPARE(names, QStringList({"DATE", "DAYOF", "MONTHOF", "STRTODATE", "STRTOTIME", "TIME", "YEAROF"}));

        // Every name, from either the all-functions category or none; each
        // description's syntax part names its function.
        QStringList all, none;
        qpInstalledFunctions.GetFunctionList(qpLoadStr(qpMsgAllFunctions), all);
        qpInstalledFunctions.GetFunctionList(QString(), none);
        QCOMPARE(all, none);
        for (const char *n : {"IF", "INPUT", "PAGE#", "REPORTLASTCHANGE", "DEC", "FIELDISNULL", "MESSAGEBOX"})
            QVERIFY2(all.contains(QLatin1String(n)), n);
        for (const QString &name : std::as_const(all)) {
            const QString desc = qpInstalledFunctions.GetFunctionDesc(name);
            const qsizetype slash = desc.indexOf(QLatin1Char('/'));
            QVERIFY2(slash > 0 && desc.left(slash).contains(name), qPrintable(name + QLatin1String(": ") + desc));
        }
        QCOMPARE(qpInstalledFunctions.GetFunctionDesc(QStringLiteral("length")),
                 QString::fromUtf8("LENGTH(<Metin>)/Metnin kaç harf oldugunu hesaplama <Metin>."));
        QCOMPARE(qpInstalledFunctions.GetFunctionDesc(QStringLiteral("STOPREPORT")),
                 QString::fromUtf8("STOPREPORT/Raporun hazırlanmasını durdurur."));
        QCOMPARE(qpInstalledFunctions.GetFunctionDesc(QStringLiteral("TOTALPAGES")),
                 QStringLiteral("TOTALPAGES/Toplam sayfa sayisi."));
        QCOMPARE(qpInstalledFunctions.GetFunctionDesc(QStringLiteral("FIELDISNULL")),
                 QStringLiteral("FIELDISNULL(<FieldName>)/Returns 'true' if DB-field is null"));
        QCOMPARE(qpInstalledFunctions.GetFunctionDesc(QStringLiteral("NOSUCH")), QString());
    }

    void descriptionRules()
    {
        TqpInstalledFunctions registry;
        registry.Add(nullptr, QStringLiteral("F"), QString(), QStringLiteral("F/no category"));
        registry.Add(nullptr, QStringLiteral("G"), QStringLiteral("C"), QStringLiteral("G/first"));
        registry.Add(nullptr, QStringLiteral("G"), QStringLiteral("D"), QStringLiteral("G/second"));
        registry.Add(nullptr, QStringLiteral("g"), QStringLiteral("D"), QStringLiteral("g/other case"));
        QCOMPARE(registry.GetFunctionDesc(QStringLiteral("F")), QString());
        QCOMPARE(registry.GetFunctionDesc(QStringLiteral("g")), QStringLiteral("G/first"));
        QStringList list;
        registry.GetFunctionList(QStringLiteral("d"), list);
        QCOMPARE(list, QStringList{QStringLiteral("g")});
    }

    void registrationKeepsOrder()
    {
        const int base = qpFunctionsCount;
        QCOMPARE(base, 2);
        QCOMPARE(qpFunctions[0]->ClassName(), QStringLiteral("TqpStdFunctionLibrary"));
        QCOMPARE(qpFunctions[1]->ClassName(), QStringLiteral("TDatabaseFunctionLibrary"));

        // The same class a second time changes nothing.
        QStringList before, after;
        qpInstalledFunctions.GetFunctionList(QString(), before);
        qpRegisterFunctionLibrary(qpLibraryClassOf<TqpStdFunctionLibrary>());
        qpInstalledFunctions.GetFunctionList(QString(), after);
        QCOMPARE(qpFunctionsCount, base);
        QCOMPARE(after, before);

        // The first registered library that knows a name computes it.
        const auto a = namedLibrary(QStringLiteral("TLibA"), QStringLiteral("ONE"), QStringLiteral("a"));
        const auto b = namedLibrary(QStringLiteral("TLibB"), QStringLiteral("one"), QStringLiteral("b"));
        qpRegisterFunctionLibrary(a);
        qpRegisterFunctionLibrary(b);
        qpRegisterFunctionLibrary(a);
        QCOMPARE(qpFunctionsCount, base + 2);
        QCOMPARE(describe(calc(QStringLiteral("ONE()"))), QStringLiteral("String a"));
        QVERIFY(!qpInstalledFunctions.GetFunctionDesc(QStringLiteral("TLibA_FN")).isEmpty());

        // Unregistering removes the descriptions and closes the gap in order.
        qpUnRegisterFunctionLibrary(a);
        QCOMPARE(qpFunctionsCount, base + 1);
        QCOMPARE(qpFunctions[base]->ClassName(), QStringLiteral("TLibB"));
        QCOMPARE(qpInstalledFunctions.GetFunctionDesc(QStringLiteral("TLibA_FN")), QString());
        QVERIFY(!qpInstalledFunctions.GetFunctionDesc(QStringLiteral("TLibB_FN")).isEmpty());
        QCOMPARE(describe(calc(QStringLiteral("ONE()"))), QStringLiteral("String b"));
        qpUnRegisterFunctionLibrary(a);  // not registered: nothing
        qpUnRegisterFunctionLibrary(b);
        QCOMPARE(qpFunctionsCount, base);
        QCOMPARE(describe(calc(QStringLiteral("UPPERCASE('a')"))), QStringLiteral("String A"));
    }

    void registryHoldsSixtyFourLibraries()
    {
        QList<TqpFunctionLibraryClass> extra;
        for (int i = qpFunctionsCount; i < qpMaxFunctionLibraries; ++i) {
            extra << namedLibrary(QStringLiteral("TLib%1").arg(i), QStringLiteral("F%1").arg(i), QString());
            qpRegisterFunctionLibrary(extra.last());
        }
        QCOMPARE(qpFunctionsCount, qpMaxFunctionLibraries);
        const auto overflow = namedLibrary(QStringLiteral("TOverflow"), QStringLiteral("X"), QString());
        QVERIFY_THROWS_EXCEPTION(EqpError, qpRegisterFunctionLibrary(overflow));
        QCOMPARE(qpFunctionsCount, qpMaxFunctionLibraries);
        QCOMPARE(qpInstalledFunctions.GetFunctionDesc(QStringLiteral("TOverflow_FN")), QString());
        for (const TqpFunctionLibraryClass &cls : std::as_const(extra))
            qpUnRegisterFunctionLibrary(cls);
        QCOMPARE(qpFunctionsCount, 2);
    }

    void globalsRegisterAndUnregisterTheLibraries()
    {
        qpDoneExpressionGlobals();
        QCOMPARE(qpFunctionsCount, 0);
        QStringList list;
        qpInstalledFunctions.GetCategoryList(list);
        QVERIFY(list.isEmpty());
        qpInitExpressionGlobals();
        QCOMPARE(qpFunctionsCount, 2);
        QCOMPARE(qpFunctions[0]->ClassName(), QStringLiteral("TqpStdFunctionLibrary"));
        QCOMPARE(qpFunctions[1]->ClassName(), QStringLiteral("TDatabaseFunctionLibrary"));
        QCOMPARE(describe(calc(QStringLiteral("UPPERCASE('i')"))), QString::fromUtf8("String İ"));
    }

    void aggregatesRegister_data()
    {
        QTest::addColumn<int>("footerType");
        QTest::addColumn<bool>("footerCross");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expectedKey");  // empty: nothing registered
        QTest::addColumn<QString>("expectedValue");
        const QString f = QStringLiteral("MasterFooter1");
        QTest::newRow("sum") << int(btMasterFooter) << false << QStringLiteral("SUM([Qty])")
                             << key({f, code(qpAggSum), QStringLiteral("[Qty]"), QString()}) << "Integer 0";
        QTest::newRow("min starts high") << int(btMasterFooter) << false << QStringLiteral("MIN([Qty])")
                                         << key({f, code(qpAggMin), QStringLiteral("[Qty]"), QString()})
                                         << "Double 1E300";
        QTest::newRow("named band, invisible too")
            << int(btMasterFooter) << false << QStringLiteral("AVG([Qty] * 2, masterdata1 , 1)")
            << key({f, code(qpAggAvg), QStringLiteral("[Qty] * 2"), QStringLiteral(" 1")}) << "Integer 0";
        QTest::newRow("count") << int(btMasterFooter) << false << QStringLiteral("COUNT(MasterData1, 1)")
                               << key({f, code(qpAggCount), QStringLiteral("MasterData1"), QStringLiteral(" 1")})
                               << "Integer 0";
        QTest::newRow("another band") << int(btMasterFooter) << false << QStringLiteral("SUM([Qty], DetailData1)")
                                       << QString() << QString();
        QTest::newRow("summary defaults to master data")
            << int(btReportSummary) << false << QStringLiteral("MAX([Qty])")
            << key({f, code(qpAggMax), QStringLiteral("[Qty]"), QString()}) << "Integer 0";
        QTest::newRow("detail footer defaults to detail data")
            << int(btDetailFooter) << false << QStringLiteral("SUM([Qty])") << QString() << QString();
        QTest::newRow("page header has no default") << int(btPageHeader) << false << QStringLiteral("SUM([Qty])")
                                                    << QString() << QString();
        QTest::newRow("cross-tab cells") << int(btMasterFooter) << true << QStringLiteral("SUM([Qty])")
                                         << key({QStringLiteral("0"), f, code(qpAggSum), QStringLiteral("[Qty]"),
                                                 QString()})
                                         << "Integer 0";
    }

    void aggregatesRegister()
    {
        QFETCH(int, footerType);
        QFETCH(bool, footerCross);
        QFETCH(QString, expression);
        QFETCH(QString, expectedKey);
        QFETCH(QString, expectedValue);
        StubBand data(btMasterData, QStringLiteral("MasterData1"));
        StubBand footer(footerType, QStringLiteral("MasterFooter1"));
        footer.cross = footerCross;
        qpRegisteringAggregates = true;
        qpAggregateTargetBand = &data;
        CurBand = &footer;
        QCOMPARE(describe(calc(expression)), QStringLiteral("String 0"));
        if (expectedKey.isEmpty()) {
            QCOMPARE(data.table.Count(), 0);
            QVERIFY(!footer.aggregateBand);
            return;
        }
        QCOMPARE(data.table.Count(), 1);
        QCOMPARE(data.table.GetName(0), expectedKey);
        QCOMPARE(describe(data.table.GetValue(0)), expectedValue);
        QCOMPARE(footer.aggregateBand, &data);
    }

    void aggregatesReadWhileBuilding()
    {
        StubBand data(btMasterData, QStringLiteral("MasterData1"));
        StubBand footer(btMasterFooter, QStringLiteral("Footer1"));
        CurBand = &footer;
        // No aggregate band yet: the string "0".
        QCOMPARE(describe(calc(QStringLiteral("SUM([Qty])"))), QStringLiteral("String 0"));

        footer.aggregateBand = &data;
        data.table.SetVariable(key({QStringLiteral("Footer1"), code(qpAggSum), QStringLiteral("[Qty]"), QString()}),
                               Variant(12.5));
        data.table.SetVariable(key({QStringLiteral("Footer1"), code(qpAggCount), QStringLiteral("MasterData1"),
                                    QString()}),
                               Variant(3));
        QCOMPARE(describe(calc(QStringLiteral("SUM([Qty]) * 2"))), QStringLiteral("Double 25"));
        QCOMPARE(describe(calc(QStringLiteral("COUNT(MasterData1)"))), QStringLiteral("Integer 3"));

        // A cross data band reads through its row band, per column.
        StubBand row(btMasterData, QStringLiteral("Row1"));
        StubBand cross(btCrossData, QStringLiteral("Cross1"));
        row.aggregateBand = &data;
        cross.aggregateBand = &row;
        StubPage page;
        page.column = 3;
        CurPage = &page;
        CurBand = &cross;
        data.table.SetVariable(
            key({QStringLiteral("3"), QStringLiteral("Row1"), code(qpAggSum), QStringLiteral("[Qty]"), QString()}),
            Variant(7));
        QCOMPARE(describe(calc(QStringLiteral("SUM([Qty])"))), QStringLiteral("Integer 7"));
        row.aggregateBand = nullptr;
        QCOMPARE(describe(calc(QStringLiteral("SUM([Qty])"))), QStringLiteral("String 0"));
    }

    void splitterFindsAggregatesInTexts()
    {
        TqpVariables dictionary;
        dictionary.SetVariable(QStringLiteral("Toplam"), QStringLiteral("SUM([Tutar])"));
        dictionary.SetVariable(QStringLiteral("Ortalama"), QStringLiteral("Toplam / COUNT(MasterData1)"));
        QStringList found;
        TAggregateFunctionsSplitter splitter(&found, &dictionary);
        splitter.SplitMemo({QStringLiteral("Adet: [SUM([Qty])] [Name] [x"),
                            QStringLiteral("[AVG([Price], MasterData1)]/[MAX(MIN([a]) + max([b]))]"),
                            QStringLiteral("['SUM(1)'] [Toplam] [Ortalama * 2]"), QString()});
        QCOMPARE(found, QStringList({"SUM([Qty])", "AVG([Price], MasterData1)", "MIN([a])", " max([b])",
                                     "MAX(MIN([a]) + max([b]))", "SUM([Tutar])", "SUM([Tutar])",
                                     " COUNT(MasterData1)"}));
    }

    void splitterFindsAggregatesInScripts()
    {
        TqpVariables dictionary;
        dictionary.SetVariable(QStringLiteral("Toplam"), QStringLiteral("SUM([Tutar])"));
        QStringList compiled, errors, found;
        TqpInterpretator compiler;
        compiler.PrepareScript({QStringLiteral("begin"), QStringLiteral("  if SUM([a]) > 0 then x := AVG([b], Band1);"),
                                QStringLiteral("  y := Toplam + 1; NewPage"), QStringLiteral("end")},
                               compiled, errors);
        QCOMPARE(errors, QStringList());
        TAggregateFunctionsSplitter splitter(&found, &dictionary);
        splitter.SplitScript(compiled);
        QCOMPARE(found, QStringList({"SUM([a])", "AVG([b], Band1)", "SUM([Tutar])"}));
        splitter.SplitScript({});
        QCOMPARE(found.size(), 3);
    }
};

QTEST_MAIN(TestFunctions)
#include "test_functions.moc"
