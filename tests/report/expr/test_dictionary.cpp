// What names in a report's expressions mean and how values become text:
// text objects of a report over a member table resolving fields, dictionary
// variables, built-in and engine names, object properties and constants;
// display formats of every category; the dictionary's designer lists; and
// the dictionary section in templates and .qpd files, including older and
// hostile bytes.

#include "data/format_settings.h"
#include "data/member_store.h"
#include "data/table.h"
#include "platform_printers.h"
#include "report/core/conversions.h"
#include "report/core/exceptions.h"
#include "report/core/formatting.h"
#include "report/core/string_table.h"
#include "report/expr/data_access.h"
#include "report/expr/expr_globals.h"
#include "report/expr/function_library.h"
#include "report/expr/parser.h"
#include "report/expr/report_dataset.h"
#include "report/expr/variables.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_errors.h"
#include "report/model/report.h"
#include "report/model/report_interpreter.h"
#include "report/model/stream_utils.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QtEndian>
#include <cmath>
#include <limits>
#include <memory>

Q_DECLARE_METATYPE(Variant)

namespace {

// Page formation's state as the expressions read it.
class FormingPage : public TqpPageBase {
public:
    QList<TqpView *> none;
    const QList<TqpView *> &Objects() const override { return none; }
    int LeftMargin() const override { return 20; }
    int RightMargin() const override { return 700; }
    int SheetWidth() const override { return 750; }
    int SheetHeight() const override { return 1060; }
    int CurY() const override { return 130; }
    int CurBottomY() const override { return 1000; }
    int ColumnNo() const override { return 2; }
    int CurPosition() const override { return 9; }
};

class FormingBand : public TqpBandBase {
public:
    int BandTop() const override { return 0; }
    int CalculatedHeight() const override { return 0; }
    int BandWidth() const override { return 0; }
    int BandType() const override { return 5; }
    bool IsStretched() const override { return false; }
    int LineNumber() const override { return 4; }
    int LineThroughNumber() const override { return 14; }
};

constexpr quint32 fmt(int category, int variant, char separator = ',', int decimals = 0)
{
    return quint32(category) << 24 | quint32(variant) << 16 | quint32(decimals) << 8 | quint8(separator);
}

Variant date(int y, int m, int d, int h = 0, int n = 0, int s = 0)
{
    return Variant::fromDateTime(qpEncodeDateTime(QDate(y, m, d), QTime(h, n, s)));
}

QByteArray i32(qint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray str(const QString &text) // the template string primitive
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    qpWriteString(b, text);
    return b.data();
}

QByteArray shortStr(const QByteArray &latin) { return char(latin.size()) + latin; }

QStringList entries(const TqpVariables &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.GetName(i) + QLatin1Char('=') + list.GetValue(i).toString();
    return out;
}

// Functions whose names carry Turkish letters, as an application's own
// library might register them.
class TurkishNamedFunctions : public TqpFunctionLibrary {
public:
    static constexpr const char *LibraryClassName = "TTurkishNamedFunctions";
    TurkishNamedFunctions() { List << QStringLiteral("İkiKatı") << QStringLiteral("Yüzdesi"); }
    QString ClassName() const override { return QLatin1String(LibraryClassName); }
    void DoFunction(int functionNo, const Variant &p1, const Variant &, const Variant &, Variant &value) override
    {
        const double x = qpParser->Calc(p1.toString()).toReal();
        value = Variant(functionNo == 0 ? x * 2 : x / 100);
    }
};

QString errorText(const std::function<void()> &f)
{
    try {
        f();
    } catch (const EqpError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestDictionary : public QObject {
    Q_OBJECT

    TqpNoPrinters printers;
    QStringList boxes;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_form; // the registration window
    TTable *m_table = nullptr;
    TqpDBDataSet *m_dataSet = nullptr;
    TqpReport *m_report = nullptr;
    TqpMemoView *m_memo = nullptr;

    QString expand(const QString &text)
    {
        QString t = text;
        m_memo->ExpandVariables(t);
        return t;
    }

    void addMember(double no, const char *name, double dues)
    {
        m_table->Append();
        m_table->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(no);
        m_table->FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(QString::fromUtf8(name));
        m_table->FieldByName(QStringLiteral("Aidat"))->setAsFloat(dues);
        m_table->Post();
    }

    // The component "İlçeler" over the table of Turkish field names.
    void addPlaces()
    {
        auto *places = new TTable(m_form.get());
        places->setObjectName(QStringLiteral("İlçeler"));
        places->DatabaseName = m_dir->path();
        places->TableName = QStringLiteral("Yer.db");
    }

    void setVariables(const QStringList &pairs)
    {
        for (const QString &p : pairs) {
            const auto eq = p.indexOf(QLatin1Char('='));
            m_report->Dictionary.Variables.SetVariable(p.left(eq), Variant(p.mid(eq + 1)));
        }
    }

private slots:
    void initTestCase()
    {
        // The working folder with two members is made once; each test opens
        // its own cursor over it.
        m_dir = std::make_unique<QTemporaryDir>();
        MemberStore::PrepareWorkingFolder(m_dir->path());
        TTable members;
        members.DatabaseName = m_dir->path();
        members.TableName = QStringLiteral("Uye.db");
        MemberStore::ConfigureTable(members);
        members.Open();
        m_table = &members;
        addMember(1, "Ali Şahin", 1250);
        addMember(2, "Berna Öz", 0);
        members.Close();
        // A table whose field names carry the letters that case rules treat
        // differently.
        const QString places = m_dir->filePath(QStringLiteral("Yer.db"));
        TTable::CreateTable(places,
                            {{QStringLiteral("Sayı"), ftFloat}, {QStringLiteral("Şehir"), ftString, 20},
                             {QStringLiteral("İlçe"), ftString, 20}, {QStringLiteral("Ağırlık"), ftFloat}},
                            -1);
        TTable place;
        place.DatabaseName = m_dir->path();
        place.TableName = QStringLiteral("Yer.db");
        place.Open();
        place.Append();
        place.FieldByName(QStringLiteral("Sayı"))->setAsFloat(3);
        place.FieldByName(QStringLiteral("Şehir"))->setAsString(QStringLiteral("Iğdır"));
        place.FieldByName(QStringLiteral("İlçe"))->setAsString(QStringLiteral("Şişli"));
        place.FieldByName(QStringLiteral("Ağırlık"))->setAsFloat(72.5);
        place.Post();
        place.Close();
        qpPrinterStartup(&printers);
        qpInitModelGlobals();
        qpInitExpressionGlobals();
        qpReportUi.ErrorBox = [this](const QString &text, const QString &) { boxes << text; };
    }

    void init()
    {
        boxes.clear();
        m_form = std::make_unique<QWidget>();
        m_form->setObjectName(QStringLiteral("UyeKayitForm1"));
        m_table = new TTable(m_form.get());
        m_table->setObjectName(QStringLiteral("Table1"));
        m_table->DatabaseName = m_dir->path();
        m_table->TableName = QStringLiteral("Uye.db");
        MemberStore::ConfigureTable(*m_table);
        m_table->Open();
        m_dataSet = new TqpDBDataSet(m_form.get());
        m_dataSet->setObjectName(QStringLiteral("qpDBDataSet1"));
        m_dataSet->setDataSet(m_table);
        m_report = new TqpReport(m_form.get());
        m_report->setObjectName(QStringLiteral("qpReport1"));
        m_report->Dataset = m_dataSet;
        m_report->ReportName = QStringLiteral("Üye listesi");
        TqpPage *page = m_report->Pages.Add();
        m_memo = new TqpMemoView;
        m_memo->Name = QStringLiteral("Memo1");
        m_memo->SetBounds(10, 20, 300, 40);
        page->Items << m_memo;
        setVariables({QStringLiteral(" Üye"), QStringLiteral("Adı=Table1.\"AdiSoyadi\""),
                      QStringLiteral("Çift=Table1.KayitNo * 2"), QStringLiteral(" Sabitler"),
                      QStringLiteral("Sıfır=0"), QStringLiteral("Boş=")});
        CurReport = m_report;
        CurView = m_memo;
        CurPage = nullptr;
        CurBand = nullptr;
        MasterReport = nullptr;
        PageNo = 0;
        qpRegisteringAggregates = false;
        m_report->ConnectParserCallbacks();
    }

    void cleanup()
    {
        CurView = nullptr;
        CurPage = nullptr;
        CurBand = nullptr;
        CurReport = nullptr;
        qpVariables->Clear();
        m_form.reset(); // the report disconnects the parser as it goes
        QVERIFY(!qpReportOwner && !qpDefaultDataSet);
    }

    void namesInTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("field of the default data set") << "[AdiSoyadi]" << "Ali Şahin";
        QTest::newRow("data set and quoted field") << "[Table1.\"AdiSoyadi\"]" << "Ali Şahin";
        QTest::newRow("window, data set, field") << "[UyeKayitForm1.Table1.AdiSoyadi]" << "Ali Şahin";
        QTest::newRow("variable bound to a field") << "[Adı]" << "Ali Şahin";
        QTest::newRow("variable holding an expression") << "[Çift]" << "2";
        QTest::newRow("bracketed expression") << "[KayitNo * 10 + Çift]" << "12";
        QTest::newRow("several in one line") << "No [KayitNo]: [adisoyadi]" << "No 1: Ali Şahin";
        QTest::newRow("page number") << "[PAGE#]" << "3";
        QTest::newRow("total pages") << "[TOTALPAGES]" << "7";
        QTest::newRow("report name") << "[REPORTNAME]" << "Üye listesi";
        QTest::newRow("line of the band") << "[LINE#]/[LINETHROUGH#]" << "4/14";
        QTest::newRow("page column and position") << "[COLUMN#] [CURRENT#]" << "2 9";
        QTest::newRow("page geometry") << "[CURY] [FREESPACE] [PAGEHEIGHT] [PAGEWIDTH]" << "130 870 1000 700";
        QTest::newRow("final pass outside a counting pass") << "[FINALPASS]" << "True";
        QTest::newRow("property of an object") << "[Memo1.Left]" << "10";
        QTest::newRow("property of the current object") << "[Width]" << "300";
        QTest::newRow("colour") << "[clRed] [clBtnFace]" << "255 -2147483633";
        QTest::newRow("message box flags") << "[mb_YesNo + mb_IconQuestion]" << "36";
        QTest::newRow("Null constant") << "<[Null]>" << "<>";
        QTest::newRow("free variable") << "[Toplam]" << "5";
        QTest::newRow("current value is reset for each expression") << "[VALUE]" << "0";
    }

    void namesInTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        FormingPage page;
        FormingBand band;
        CurPage = &page;
        CurBand = &band;
        PageNo = 2;
        qpTotalPages = 7;
        qpVariables->SetVariable(QStringLiteral("Toplam"), Variant(5));
        QCOMPARE(expand(text), shown);
    }

    void valuesAreReadAtEachUse()
    {
        QCOMPARE(expand(QStringLiteral("[Adı] [Çift]")), QStringLiteral("Ali Şahin 2"));
        m_table->Next();
        QCOMPARE(expand(QStringLiteral("[Adı] [Çift]")), QStringLiteral("Berna Öz 4"));
        // A closed table is opened on first use.
        m_table->Close();
        QCOMPARE(expand(QStringLiteral("[Table1.AdiSoyadi]")), QStringLiteral("Ali Şahin"));
        // A script's assignment outranks the dictionary's expression.
        qpVariables->SetVariable(QStringLiteral("Çift"), Variant(QStringLiteral("elle")));
        QCOMPARE(expand(QStringLiteral("[Çift]")), QStringLiteral("elle"));
    }

    void applicationEventComesFirst()
    {
        m_report->OnGetValue = [](const QString &name, Variant &value) {
            if (name == QLatin1String("ADISOYADI"))
                value = Variant(QStringLiteral("olaydan"));
        };
        QCOMPARE(expand(QStringLiteral("[AdiSoyadi] [adisoyadi + '!'] [KayitNo]")),
                 QStringLiteral("Ali Şahin olaydan! 1"));
    }

    void aliasesResolve()
    {
        TqpDataDictionary &d = m_report->Dictionary;
        d.FieldAliases.SetVariable(QStringLiteral("Table1"), Variant(QStringLiteral("Üyeler")));
        d.FieldAliases.SetVariable(QStringLiteral("Table1.AdiSoyadi"), Variant(QStringLiteral("Adı Soyadı")));
        QCOMPARE(expand(QStringLiteral("[Üyeler.\"Adı Soyadı\"] [Üyeler.KayitNo]")), QStringLiteral("Ali Şahin 1"));
    }

    void unknownNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reported");
        QTest::newRow("plain") << "[XYZ]" << "XYZ";
        QTest::newRow("lower case comes back upper") << "[xyz]" << "XYZ";
        QTest::newRow("part of an expression") << "[KayitNo + Yok]" << "YOK";
        QTest::newRow("field the table lacks") << "[Table1.Yok]" << "TABLE1.YOK";
        QTest::newRow("table whose file is missing") << "[Table2.AdiSoyadi]" << "TABLE2.ADISOYADI";
        QTest::newRow("five dots") << "[a.b.c.d.e.f]" << "A.B.C.D.E.F";
        QTest::newRow("property of no object") << "[Memo9.Left]" << "MEMO9.LEFT";
    }

    void unknownNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, reported);
        auto *missing = new TTable(m_form.get());
        missing->setObjectName(QStringLiteral("Table2"));
        missing->DatabaseName = m_dir->path();
        missing->TableName = QStringLiteral("Yok.db");
        const QString expected = qpLoadStr(55439) + QStringLiteral(" \"") + reported + QLatin1Char('"');
        QCOMPARE(qpLoadStr(55439), QStringLiteral("Tanınmayan işaret"));
        try {
            expand(text);
            QFAIL("no error");
        } catch (const EParserError &e) {
            QCOMPARE(e.message(), expected);
        }
        QVERIFY(!missing->Active());
    }

    void unknownNameWhileRegisteringAggregates()
    {
        qpRegisteringAggregates = true;
        QCOMPARE(expand(QStringLiteral("<[XYZ]>")), QStringLiteral("<>"));
        Variant v(1);
        m_report->GetVariableValue(QStringLiteral("XYZ"), v);
        QVERIFY(v.isEmpty());
        qpRegisteringAggregates = false;
    }

    void selfReferenceEndsInAnError()
    {
        setVariables({QStringLiteral("Döngü=Döngü + 1")});
        QVERIFY(!errorText([&] { expand(QStringLiteral("[Döngü]")); }).isEmpty());
    }

    void calcWidth()
    {
        m_memo->Memo = QStringList{QStringLiteral("Ad [CALCWIDTH]")};
        m_memo->ExpandedMemo = QStringList{QStringLiteral("önceki")};
        // While the width is measured, the text's own CALCWIDTH has none yet.
        const int width = m_memo->CalcWidth({QStringLiteral("Ad 0")});
        QVERIFY(width > 0);
        QCOMPARE(expand(QStringLiteral("[CALCWIDTH]")), QString::number(width));
        QCOMPARE(m_memo->ExpandedMemo, QStringList{QStringLiteral("önceki")});
        TqpLineView line;
        line.Width = 77;
        CurView = &line;
        QCOMPARE(expand(QStringLiteral("[CALCWIDTH]")), QStringLiteral("77"));
        CurView = nullptr;
        QCOMPARE(expand(QStringLiteral("[CALCWIDTH]")), QStringLiteral("0"));
    }

    void inlineFormats_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("custom picture with a point") << "[Sum #N##0.00]" << "12.50";
        QTest::newRow("fixed decimals with a comma") << "[Sum #N12,2]" << "12,50";
        QTest::newRow("leading digit") << "[Aidat #12-3]" << "1250-000";
        // The separator is the format's, the grouping stays the platform's.
        QTest::newRow("grouped picture") << "[Aidat #N#,##0.00 'TL']" << "1.250.00 TL";
        QTest::newRow("no separator keeps the platform's") << "[Sum #N]" << "12,5";
        QTest::newRow("absurd decimals are capped") << "[Sum #N1,99999999999]" << "12,500000000000000000";
        QTest::newRow("date picture") << "[Gün #Ddd.mm.yyyy]" << "05.03.2024";
        QTest::newRow("time picture") << "[Gün #thh:nn]" << "14:07";
        QTest::newRow("Boolean words") << "[Ödendi #BHayır;Evet] [Sıfır #bYok;Var]" << "Evet Yok";
        QTest::newRow("other letter: format string only") << "[Sum #Xabc]" << "12,5";
    }

    void inlineFormats()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        qpVariables->SetVariable(QStringLiteral("Sum"), Variant(12.5));
        qpVariables->SetVariable(QStringLiteral("Gün"), date(2024, 3, 5, 14, 7, 9));
        qpVariables->SetVariable(QStringLiteral("Ödendi"), Variant(true));
        QCOMPARE(expand(text), shown);
        QCOMPARE(formatSettings().DecimalSeparator, QLatin1Char(','));
    }

    void viewFormatAndHiddenZeros()
    {
        m_memo->Format = fmt(1, 3, ',', 2);
        QCOMPARE(expand(QStringLiteral("[Aidat] [Sıfır]")), QStringLiteral("1.250,00 0,00"));
        m_memo->Flags |= 0x40;
        QCOMPARE(expand(QStringLiteral("[Aidat]|[Sıfır]|[Boş]")), QStringLiteral("1.250,00||"));
        QVERIFY(qpCurValue.isString() && qpCurValue.stringValue().isEmpty());
        m_memo->Format = fmt(4, 1);
        QCOMPARE(expand(QStringLiteral("[Sıfır]")), QString()); // hidden before the words
    }

    void formatValue_data()
    {
        QTest::addColumn<Variant>("value");
        QTest::addColumn<quint32>("format");
        QTest::addColumn<QString>("formatStr");
        QTest::addColumn<QString>("shown");
        const Variant n(1234.5), day = date(2024, 3, 5, 9, 5, 3);
        QTest::newRow("text") << n << fmt(0, 0) << QString() << "1234,5";
        QTest::newRow("text of an integer") << Variant(-7) << fmt(0, 3) << QString() << "-7";
        QTest::newRow("number at most d decimals") << n << fmt(1, 0, ',', 2) << QString() << "1234,5";
        QTest::newRow("number rounds half away") << Variant(2.345) << fmt(1, 0, '.', 2) << QString() << "2.35";
        QTest::newRow("number fixed") << n << fmt(1, 1, ',', 2) << QString() << "1234,50";
        QTest::newRow("number grouped") << n << fmt(1, 2, ',', 2) << QString() << "1.234,5";
        QTest::newRow("number style") << Variant(-1234567.891) << fmt(1, 3, ',', 2) << QString() << "-1.234.567,89";
        QTest::newRow("number style no decimals") << n << fmt(1, 3, ',', 0) << QString() << "1.235";
        QTest::newRow("number custom") << Variant(12.5) << fmt(1, 4, '.') << "##0.00" << "12.50";
        QTest::newRow("number custom zero section") << Variant(0) << fmt(1, 4, ',') << "#,##0.00;-#,##0.00;sıfır"
                                                    << "sıfır";
        QTest::newRow("number custom negative") << Variant(-3.5) << fmt(1, 4, ',') << "0.0;(0.0)" << "(3,5)";
        QTest::newRow("currency value") << Variant::fromCurrency(99.125) << fmt(1, 1, ',', 2) << QString() << "99,13";
        QTest::newRow("numeric text") << Variant(QStringLiteral("12,5")) << fmt(1, 1, '.', 2) << QString() << "12.50";
        QTest::newRow("number variant beyond the table") << n << fmt(1, 5) << QString() << "";
        QTest::newRow("no number under a number format") << Variant(QStringLiteral("abc")) << fmt(1, 1, ',', 2)
                                                         << QString() << "abc";
        QTest::newRow("date mm.dd.yy") << day << fmt(2, 0) << QString() << "03.05.24";
        QTest::newRow("date mm.dd.yyyy") << day << fmt(2, 1) << QString() << "03.05.2024";
        QTest::newRow("date d mmm yyyy") << day << fmt(2, 2) << QString() << "5 Mar 2024";
        QTest::newRow("date long form") << day << fmt(2, 3) << QString() << "5 Mart 2024 Salı";
        QTest::newRow("date custom") << date(2024, 8, 19) << fmt(2, 4) << "dd mmmm yyyy, dddd" << "19 Ağustos 2024, Pazartesi";
        QTest::newRow("date of a text") << Variant(QStringLiteral("29.02.2024")) << fmt(2, 3) << QString()
                                        << "29 Şubat 2024 Perşembe";
        QTest::newRow("date variant beyond the table") << day << fmt(2, 7) << QString() << "";
        QTest::newRow("date no date text") << Variant(QStringLiteral("dün")) << fmt(2, 1) << QString() << "dün";
        QTest::newRow("date far outside the calendar") << Variant(1e300) << fmt(2, 1) << QString() << "1E300";
        QTest::newRow("date not a number") << Variant(std::nan("")) << fmt(2, 4) << "dd.mm.yyyy" << "NAN";
        QTest::newRow("time hh:nn:ss") << day << fmt(3, 0) << QString() << "09:05:03";
        QTest::newRow("time h:nn:ss") << day << fmt(3, 1) << QString() << "9:05:03";
        QTest::newRow("time hh:nn") << day << fmt(3, 2) << QString() << "09:05";
        QTest::newRow("time h:nn") << day << fmt(3, 3) << QString() << "9:05";
        QTest::newRow("time custom") << day << fmt(3, 4) << "hh 'saat' nn" << "09 saat 05";
        QTest::newRow("time variant beyond the table") << day << fmt(3, 9) << QString() << "";
        QTest::newRow("bool 0;1 false") << Variant(0) << fmt(4, 0) << QString() << "0";
        QTest::newRow("bool Hayır;Evet 0") << Variant(0) << fmt(4, 1) << QString() << "Hayır";
        QTest::newRow("bool Hayır;Evet 1") << Variant(1) << fmt(4, 1) << QString() << "Evet";
        QTest::newRow("bool Hayır;Evet -1") << Variant(-1) << fmt(4, 1) << QString() << "Evet";
        QTest::newRow("bool Hayır;Evet true") << Variant(true) << fmt(4, 1) << QString() << "Evet";
        QTest::newRow("bool _;x") << Variant(5) << fmt(4, 2) << QString() << "x";
        QTest::newRow("bool Sahte;Gerçek") << Variant(false) << fmt(4, 3) << QString() << "Sahte";
        QTest::newRow("bool custom") << Variant(1) << fmt(4, 4) << "Yok;Var" << "Var";
        QTest::newRow("bool custom without true text") << Variant(1) << fmt(4, 4) << "Tek" << "";
        QTest::newRow("bool custom 300 characters") << Variant(1) << fmt(4, 4) << ";" + QString(300, QLatin1Char('e'))
                                                    << QString(255, QLatin1Char('e'));
        QTest::newRow("bool no number") << Variant(QStringLiteral("belki")) << fmt(4, 1) << QString() << "belki";
        QTest::newRow("unknown category") << n << fmt(9, 0) << QString() << "1234,5";
        QTest::newRow("zero separator byte") << n << fmt(1, 1, 0, 1) << QString() << "1234,5";
        QTest::newRow("unbalanced quote") << n << fmt(1, 4, ',') << "#,##0.00 'TL" << "1.234,50 TL";
        QTest::newRow("300 zeros") << Variant(1.5) << fmt(1, 4, '.') << "0." + QString(300, QLatin1Char('0'))
                                   << "1.5" + QString(299, QLatin1Char('0'));
    }

    void formatValue()
    {
        QFETCH(Variant, value);
        QFETCH(quint32, format);
        QFETCH(QString, formatStr);
        QFETCH(QString, shown);
        QCOMPARE(TqpReport::FormatValue(value, format, formatStr), shown);
        QCOMPARE(formatSettings().DecimalSeparator, QLatin1Char(','));
    }

    void nothingShowsAsNothing()
    {
        const QList<Variant> nothing{Variant(), Variant::null(), Variant(QString()), Variant(QStringLiteral("   "))};
        for (int category = 0; category <= 4; ++category)
            for (int variant = 0; variant <= 4; ++variant)
                for (const Variant &v : nothing)
                    QCOMPARE(TqpReport::FormatValue(v, fmt(category, variant, ',', 2), QStringLiteral("0.00;;x")),
                             QString());
        QCOMPARE(qpFormatMaskText(QString(), QStringLiteral("abc")), QString());
    }

    // A field with no value prints as nothing under every display format;
    // what an expression computes from it is an ordinary value. Ali Şahin
    // has no registration date and nothing paid.
    void blankFieldsPrintBlank_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("format");
        QTest::addColumn<QString>("formatStr");
        QTest::addColumn<QString>("shown");
        const QString money = QStringLiteral("#,##0.00 'TL'");
        QTest::newRow("date picture") << "[Tarih]" << fmt(2, 4) << "dd.mm.yyyy" << "";
        QTest::newRow("date from the table") << "[Tarih]" << fmt(2, 1) << QString() << "";
        QTest::newRow("long date") << "[Tarih]" << fmt(2, 3) << QString() << "";
        QTest::newRow("time") << "[Tarih]" << fmt(3, 0) << QString() << "";
        QTest::newRow("money") << "[Alinan]" << fmt(1, 4, ',') << money << "";
        QTest::newRow("number style") << "[Alinan]" << fmt(1, 3, ',', 2) << QString() << "";
        QTest::newRow("number fixed") << "[Alinan]" << fmt(1, 1, ',', 2) << QString() << "";
        QTest::newRow("no format") << "[Alinan]" << fmt(0, 0) << QString() << "";
        QTest::newRow("Boolean words") << "[Alinan]" << fmt(4, 1) << QString() << "";
        QTest::newRow("blank text") << "<[BabaAdi]>" << fmt(0, 0) << QString() << "<>";
        QTest::newRow("data set and field") << "[Table1.\"Tarih\"]" << fmt(2, 4) << "dd.mm.yyyy" << "";
        QTest::newRow("dictionary variable bound to the field") << "[Kayıt]" << fmt(2, 4) << "dd.mm.yyyy" << "";
        QTest::newRow("inline date format") << "[Tarih #Ddd.mm.yyyy]" << fmt(0, 0) << QString() << "";
        QTest::newRow("computed from a blank") << "[Alinan + 0]" << fmt(1, 3, ',', 2) << QString() << "0,00";
        QTest::newRow("explicit zero by arithmetic") << "[Aidat - 1250]" << fmt(1, 4, ',') << money << "0,00 TL";
        QTest::newRow("value beside a blank") << "[Aidat]|[Alinan]" << fmt(1, 4, ',') << money << "1.250,00 TL|";
    }
    void blankFieldsPrintBlank()
    {
        QFETCH(QString, text);
        QFETCH(quint32, format);
        QFETCH(QString, formatStr);
        QFETCH(QString, shown);
        setVariables({QStringLiteral("Kayıt=Table1.Tarih")});
        m_memo->Format = format;
        m_memo->FormatStr = formatStr;
        QCOMPARE(expand(text), shown);
    }

    // Berna Öz owes nothing: an explicit zero prints as zero, and "HideZeros"
    // still hides it.
    void explicitZeroStillPrints()
    {
        m_table->Next();
        m_memo->Format = fmt(1, 4, ',');
        m_memo->FormatStr = QStringLiteral("#,##0.00 'TL'");
        QCOMPARE(expand(QStringLiteral("[Aidat]|[Alinan]")), QStringLiteral("0,00 TL|"));
        m_memo->Format = fmt(4, 1);
        QCOMPARE(expand(QStringLiteral("[Aidat]|[Alinan]")), QStringLiteral("Hayır|"));
        m_memo->Flags |= 0x40;
        QCOMPARE(expand(QStringLiteral("[Aidat]|[Alinan]")), QStringLiteral("|"));
        // Expressions still meet the blank as 0.
        m_memo->Format = fmt(0, 0);
        QCOMPARE(expand(QStringLiteral("[Alinan + 5]")), QStringLiteral("5"));
    }

    // Every kind of name compares under one rule: ı, i, I and İ are one
    // letter, ş, ğ, ç pair with their capitals, whatever the machine's locale.
    void turkishLettersInNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("free variable with ı as written") << "[Toplamı * 2]" << "14";
        QTest::newRow("free variable with ı in capitals") << "[TOPLAMI]" << "7";
        QTest::newRow("free variable with ı typed as i") << "[toplami]" << "7";
        QTest::newRow("free variable with İ typed as i") << "[ilk + 1]" << "2";
        QTest::newRow("free variable with ş ğ İ") << "[DEĞİŞKEN]" << "ş";
        QTest::newRow("dictionary variable with ı") << "[SAYISI]" << "30";
        QTest::newRow("dictionary variable in an expression") << "[sayisi + 1]" << "31";
        QTest::newRow("dictionary variable bound to a field with ş") << "[ŞEHRİ]" << "Iğdır";
        QTest::newRow("data set with İ, field with ı") << "[ilçeler.SAYI]" << "3";
        QTest::newRow("data set in capitals, field typed with i") << "[İLÇELER.sayi]" << "3";
        QTest::newRow("quoted field with ş and İ") << "[Ilçeler.\"ŞEHİR\"]" << "Iğdır";
        QTest::newRow("field with ğ and ı") << "[İlçeler.AĞIRLIK]" << "72,5";
        QTest::newRow("field with İ and ç") << "[ilçeler.İLÇE]" << "Şişli";
        QTest::newRow("window, data set, field") << "[UYEKAYITFORM1.İlçeler.ağirlik * 2]" << "145";
        QTest::newRow("object with İ and ı") << "[imzaalani.Left]" << "42";
        QTest::newRow("object in capitals") << "[İMZAALANI.Width]" << "120";
        QTest::newRow("property typed with İ") << "[İmzaAlanı.WİDTH]" << "120";
        QTest::newRow("function with İ and ı") << "[ikikatı(4)]" << "8";
        QTest::newRow("function in capitals") << "[IKIKATI(4)]" << "8";
        QTest::newRow("function with ü and İ") << "[YÜZDESİ(50)]" << "0,5";
    }
    void turkishLettersInNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        addPlaces();
        auto *signature = new TqpMemoView;
        signature->Name = QStringLiteral("İmzaAlanı");
        signature->SetBounds(42, 20, 120, 40);
        m_report->Pages.GetPages(0)->Items << signature;
        qpRegisterFunctionLibrary(qpLibraryClassOf<TurkishNamedFunctions>());
        qpVariables->SetVariable(QStringLiteral("Toplamı"), Variant(7));
        qpVariables->SetVariable(QStringLiteral("İlk"), Variant(1));
        qpVariables->SetVariable(QStringLiteral("Değişken"), Variant(QStringLiteral("ş")));
        setVariables({QStringLiteral("Sayısı=İlçeler.Sayı * 10"), QStringLiteral("Şehri=İlçeler.\"Şehir\"")});
        const QString error = errorText([&] { QCOMPARE(expand(text), shown); });
        qpUnRegisterFunctionLibrary(qpLibraryClassOf<TurkishNamedFunctions>());
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    // A script reads and writes names under the same rule.
    void scriptsUseTurkishNames()
    {
        addPlaces();
        m_memo->Name = QStringLiteral("Başlık");
        TInterpretator script; // the report's own interpreter
        QStringList compiled, errors;
        script.PrepareScript({QStringLiteral("Sayı := 4;"), QStringLiteral("Sonuç := SAYI * 3 + sayi;"),
                              QStringLiteral("BAŞLIK.Left := sonuç + ilçeler.sayı;"),
                              QStringLiteral("başlık.wİdth := 77;")},
                             compiled, errors);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('|'))));
        script.DoScript(compiled);
        QCOMPARE(qpVariables->GetVariable(QStringLiteral("SONUÇ")).toInt(), 16);
        QCOMPARE(m_memo->Left, 19);
        QCOMPARE(m_memo->Width, 77);
        QCOMPARE(expand(QStringLiteral("[Sonuç] [başlık.LEFT]")), QStringLiteral("16 19"));
    }

    void constantsAndTables()
    {
        QCOMPARE(qpColorNames[16], "clTransparent");
        QCOMPARE(qpConsts->GetVariable(QStringLiteral("CLTRANSPARENT")).toInt(), 0x1FFFFFFF);
        QCOMPARE(quint32(qpConsts->GetVariable(QStringLiteral("clInfoBk")).toInt()), 0x80000018u);
        QCOMPARE(quint32(qpConsts->GetVariable(QStringLiteral("clScrollBar")).toInt()), 0x80000000u);
        QCOMPARE(qpConsts->GetVariable(QStringLiteral("clNavy")).toInt(), 0x800000);
        QCOMPARE(qpConsts->GetVariable(QStringLiteral("fsItalic")).toInt(), 1);
        QCOMPARE(qpConsts->GetVariable(QStringLiteral("mb_IconWarning")).toInt(), 48);
        QCOMPARE(qpConsts->GetVariable(QStringLiteral("baRest")).toInt(), 7);
        QCOMPARE(qpConsts->GetVariable(QStringLiteral("CRLF")).toString(), QStringLiteral("\r\n"));
        QVERIFY(qpConsts->GetVariable(QStringLiteral("Null")).isNull());
        QVERIFY(qpConsts->IndexOf(QStringLiteral("Null")) >= 0);
        QCOMPARE(qpDateFormats, (QStringList{"mm.dd.yy", "mm.dd.yyyy", "d mmm yyyy", "d mmmm yyyy"}));
        QCOMPARE(qpTimeFormats, (QStringList{"hh:nn:ss", "h:nn:ss", "hh:nn", "h:nn"}));
        QCOMPARE(qpBoolFormats, (QStringList{"0;1", "Hayır;Evet", "_;x", "Sahte;Gerçek"}));
    }

    void designerLists()
    {
        TqpDataDictionary &d = m_report->Dictionary;
        auto *second = new TTable(m_form.get());
        second->setObjectName(QStringLiteral("Table2"));
        second->DatabaseName = m_dir->path();
        second->TableName = QStringLiteral("Sehir.db");
        auto *user = new TqpUserDataset(m_form.get());
        user->setObjectName(QStringLiteral("qpUserDataset1"));
        QStringList list;
        d.GetDatasetList(list);
        QCOMPARE(list, (QStringList{"Table1", "Table2"}));
        d.DisabledDatasets = QStringList{QStringLiteral("Table2*")};
        d.GetDatasetList(list);
        QCOMPARE(list, QStringList{"Table1"});
        QVERIFY(!d.DatasetEnabled(QStringLiteral("Table22")));
        QVERIFY(d.DatasetEnabled(QStringLiteral("table2"))); // the prefix compares with case
        d.FieldAliases.SetVariable(QStringLiteral("Table1"), Variant(QStringLiteral("Üyeler")));
        d.FieldAliases.SetVariable(QStringLiteral("Table1.AdiSoyadi"), Variant(QStringLiteral("Adı Soyadı")));
        d.FieldAliases.SetVariable(QStringLiteral("Table1.Resim"), Variant(QString()));
        d.GetDatasetList(list);
        QCOMPARE(list, QStringList{"Üyeler"});
        d.GetFieldList(QStringLiteral("Üyeler"), list);
        QVERIFY(list.contains(QStringLiteral("Adı Soyadı")) && list.contains(QStringLiteral("KayitNo")));
        QVERIFY(!list.contains(QStringLiteral("AdiSoyadi")) && !list.contains(QStringLiteral("Resim")));
        QCOMPARE(d.GetRealDataSetName(QStringLiteral("üyeler")), QStringLiteral("Table1"));
        QCOMPARE(d.GetRealDataSetName(QStringLiteral("Başka")), QStringLiteral("Başka"));
        QCOMPARE(d.GetRealFieldName(QStringLiteral("Adı Soyadı")), QStringLiteral("AdiSoyadi"));
        QCOMPARE(d.GetAliasName(QStringLiteral("Table1")), QStringLiteral("Üyeler"));
        QCOMPARE(d.GetAliasName(QStringLiteral("Table9")), QStringLiteral("Table9"));
        d.GetBandDatasourceList(list);
        QCOMPARE(list, (QStringList{"qpDBDataSet1", "qpUserDataset1"}));
        d.BandDatasources.SetVariable(QStringLiteral("qpUserDataset1"), Variant(QStringLiteral("Sayaç")));
        d.GetBandDatasourceList(list);
        QCOMPARE(list, QStringList{"Sayaç"});
        QCOMPARE(d.GetRealDataSourceName(QStringLiteral("SAYAÇ")), QStringLiteral("qpUserDataset1"));
        QCOMPARE(d.GetAliasName(QStringLiteral("qpUserDataset1")), QStringLiteral("Sayaç"));
        d.GetCategoryList(list);
        QCOMPARE(list, (QStringList{"Üye", "Sabitler"}));
        d.GetVariablesList(QStringLiteral("üye"), list);
        QCOMPARE(list, (QStringList{"Adı", "Çift"}));
        d.GetVariablesList(QStringLiteral("Sabitler"), list);
        QCOMPARE(list, (QStringList{"Sıfır", "Boş"}));
    }

    void extractFieldName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("dataSet");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "Table1.AdiSoyadi" << "Table1" << "AdiSoyadi";
        QTest::newRow("quoted field with a dot") << "Table1.\"Ad.Soyad\"" << "Table1" << "Ad.Soyad";
        QTest::newRow("window path") << "UyeKayitForm1.Table1.\"No\"" << "UyeKayitForm1.Table1" << "No";
        QTest::newRow("no dot") << "\"KayitNo\"" << "" << "KayitNo";
    }

    void extractFieldName()
    {
        QFETCH(QString, text);
        QString dataSet = QStringLiteral("önceki"), field;
        TqpDataDictionary::ExtractFieldName(text, dataSet, field);
        QTEST(dataSet, "dataSet");
        QTEST(field, "field");
    }

    void cacheFollowsItsDataSet()
    {
        TqpDataDictionary &d = m_report->Dictionary;
        QVERIFY(d.IsVariable(QStringLiteral("Adı")));
        TDataSet *ds = nullptr;
        QString field;
        QVERIFY(d.FindCacheItem(QStringLiteral("ADI"), ds, field));
        QCOMPARE(ds, m_table);
        QCOMPARE(field, QStringLiteral("AdiSoyadi"));
        QVERIFY(!d.FindCacheItem(QStringLiteral("Çift"), ds, field)); // an expression is not a field
        delete m_table;
        QVERIFY(!d.FindCacheItem(QStringLiteral("Adı"), ds, field));
        d.ClearCache();
        QVERIFY(!d.IsVariable(QStringLiteral("AdiSoyadi")));
    }

    void dictionaryInTemplateAndFile()
    {
        TqpDataDictionary &d = m_report->Dictionary;
        d.FieldAliases.SetVariable(QStringLiteral("Table1.AdiSoyadi"), Variant(QStringLiteral("Adı Soyadı")));
        d.BandDatasources.SetVariable(QStringLiteral("qpDBDataSet1"), Variant(QStringLiteral("Üyeler")));
        const QStringList vars = entries(d.Variables), aliases = entries(d.FieldAliases),
                          sources = entries(d.BandDatasources);
        QBuffer bytes;
        bytes.open(QIODevice::ReadWrite);
        m_report->SaveToStream(bytes);
        bytes.seek(0);
        TqpReport loaded(m_form.get());
        loaded.LoadFromStream(bytes);
        QCOMPARE(boxes, QStringList());
        QCOMPARE(entries(loaded.Dictionary.Variables), vars);
        QCOMPARE(entries(loaded.Dictionary.FieldAliases), aliases);
        QCOMPARE(entries(loaded.Dictionary.BandDatasources), sources);

        const QString path = m_dir->filePath(QStringLiteral("uye.qpd"));
        d.SaveToFile(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QCOMPARE(saved.left(3), QByteArray("\x19\xFE\xFF", 3));
        TqpDataDictionary fromFile;
        fromFile.LoadFromFile(path);
        QCOMPARE(entries(fromFile.Variables), vars);
        QCOMPARE(entries(fromFile.FieldAliases), aliases);
        QCOMPARE(entries(fromFile.BandDatasources), sources);
    }

    void checkedLayoutDropsWhatStandsForNothing()
    {
        const QByteArray section = QByteArray("\xFF\xFF", 2) + i32(2) + str(QStringLiteral("Grup")) + str(QString())
                                   + str(QStringLiteral(" Adı")) + str(QStringLiteral("Table1.KayitNo")) + i32(3)
                                   + str(QStringLiteral("Table1.AdiSoyadi")) + str(QString())
                                   + str(QStringLiteral("Table1.Yok")) + str(QString())
                                   + str(QStringLiteral("Table1.KayitNo")) + str(QStringLiteral("No")) + i32(2)
                                   + str(QStringLiteral("qpDBDataSet1")) + str(QString())
                                   + str(QStringLiteral("X")) + str(QStringLiteral("Y"));
        QBuffer in;
        in.setData(section);
        in.open(QIODevice::ReadOnly);
        TqpDataDictionary &d = m_report->Dictionary;
        d.LoadFromStream(in);
        QCOMPARE(in.pos(), in.size());
        // The variables were marked, not the categories: the marks turn round.
        QCOMPARE(entries(d.Variables), (QStringList{" Grup=", "Adı=Table1.KayitNo"}));
        QCOMPARE(entries(d.FieldAliases), (QStringList{"Table1.AdiSoyadi=", "Table1.KayitNo=No"}));
        QCOMPARE(entries(d.BandDatasources), QStringList{"X=Y"});
    }

    void olderLayout()
    {
        QBuffer lines;
        lines.open(QIODevice::WriteOnly);
        qpVersion = 25;
        qpWriteMemo(lines, {QStringLiteral("Üye"), QStringLiteral(" Adı"), QStringLiteral(" Sayfa"),
                            QStringLiteral(" Çift"), QStringLiteral(" Boş")});
        const QByteArray section = i32(3) + '\x01' + i32(0) + shortStr("Table1") + shortStr("AdiSoyadi")
                                   + shortStr("Ad\xFD") + '\x02' + i32(2) + shortStr("") + shortStr("")
                                   + shortStr("Sayfa") + '\x02' + i32(1) + shortStr("")
                                   + shortStr("Table1.KayitNo * 2") + shortStr("\xC7ift") + lines.data();
        QBuffer in;
        in.setData(section);
        in.open(QIODevice::ReadOnly);
        TqpDataDictionary &d = m_report->Dictionary;
        d.LoadFromStream(in);
        QCOMPARE(in.pos(), in.size());
        QCOMPARE(entries(d.Variables), (QStringList{" Üye=", "Adı=Table1.\"AdiSoyadi\"", "Sayfa=PAGE#",
                                                    "Çift=Table1.KayitNo * 2", "Boş="}));
        QCOMPARE(d.FieldAliases.Count(), 0);
        QCOMPARE(expand(QStringLiteral("[Adı] [Sayfa] [Çift]")), QStringLiteral("Ali Şahin 1 2"));
    }

    void hostileSections_data()
    {
        QTest::addColumn<QByteArray>("section");
        const QByteArray marker("\xFE\xFF", 2);
        QTest::newRow("huge count") << marker + i32(0x7FFFFFFF) + str(QStringLiteral("a")) + str(QString());
        QTest::newRow("negative count") << marker + i32(-1) + i32(0) + i32(0);
        QTest::newRow("cut inside a pair") << marker + i32(1) + str(QStringLiteral("a"));
        QTest::newRow("cut before the last list") << marker + i32(0) + i32(0);
        QTest::newRow("older layout huge count") << i32(0x10000000) + QByteArray(16, '\0');
        QTest::newRow("older layout short string past the end") << i32(1) + '\x01' + i32(0) + shortStr("ab").left(2);
        QTest::newRow("empty") << QByteArray();
    }

    void hostileSections()
    {
        QFETCH(QByteArray, section);
        TqpDataDictionary &d = m_report->Dictionary;
        QBuffer in;
        in.setData(section);
        in.open(QIODevice::ReadOnly);
        QCOMPARE(errorText([&] { d.LoadFromStream(in); }), qpLoadStr(qpMsgStreamRead));

        // A damaged .qpd file leaves the dictionary as it was.
        const QStringList before = entries(d.Variables);
        const QString path = m_dir->filePath(QStringLiteral("bozuk.qpd"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write('\x19' + section);
        file.close();
        QVERIFY(!errorText([&] { d.LoadFromFile(path); }).isEmpty());
        QCOMPARE(entries(d.Variables), before);
    }

    void templateWithALyingDictionary()
    {
        m_report->Dictionary.Clear();
        QBuffer bytes;
        bytes.open(QIODevice::ReadWrite);
        m_report->SaveToStream(bytes);
        QByteArray b = bytes.data();
        const QByteArray emptySection = QByteArray("\xFE\xFE\xFF", 3) + i32(0) + i32(0) + i32(0) + '\xFC';
        const auto at = b.indexOf(emptySection);
        QVERIFY(at > 0);
        b.replace(at + 3, 4, i32(0x7FFFFFF0));
        QBuffer in;
        in.setData(b);
        in.open(QIODevice::ReadOnly);
        TqpReport loaded(m_form.get());
        loaded.LoadFromStream(in);
        QCOMPARE(boxes, QStringList{qpLoadStr(55345)});
        QCOMPARE(loaded.Dictionary.Variables.Count(), 0);
        QCOMPARE(loaded.Pages.GetCount(), 1);
    }

    void missingQpdFile()
    {
        QVERIFY(!errorText([&] { m_report->Dictionary.LoadFromFile(m_dir->filePath(QStringLiteral("yok.qpd"))); })
                     .isEmpty());
        QCOMPARE(m_report->Dictionary.Variables.Count(), 6);
    }
};

QTEST_MAIN(TestDictionary)
#include "test_dictionary.moc"
