// Page formation: templates built here in code over a temporary member table
// are formed into prepared pages by the report's own driver, with scripts run
// by the report's own interpreter, and the pages' objects (texts, places,
// heights, pictures, rich text) are read back. Covers emptiness, headers and
// footers of data levels, groups (repeated on a new page, starting one),
// line numbers, page headers and footers on first and last pages, the
// summary, band edges, band and page columns, stretched objects and bands,
// script-driven page and column breaks, STOPREPORT (also in a composite
// report), the counting pass, child bands (also of invisible bands), the
// order of page and band events, fields bound to pictures and rich text,
// bands split across pages, sub-reports (side by side, nested, following
// their master), cross-tab rows (cells, columns on the pages beside,
// column data sets, events, per-column sums), and bad templates that must
// end in a clear error rather than hang.

#include "data/data_source.h"
#include "data/member_store.h"
#include "data/table.h"
#include "platform_printers.h"
#include "report/core/exceptions.h"
#include "report/core/string_table.h"
#include "report/engine/band_engine.h"
#include "report/engine/engine_globals.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/expr_globals.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/report_dataset.h"
#include "report/expr/variables.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/report_interpreter.h"
#include "report/model/rich_view.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>
#include <memory>

namespace {

struct Member {
    int no;
    const char *name, *province, *blood;
};
const Member kMembers[] = {
    {1, "Ali", "Ankara", "A"},  {2, "Berna", "Ankara", "A"}, {3, "Cem", "Ankara", "B"},
    {4, "Derya", "Bursa", "B"}, {5, "Emre", "Izmir", "0"},
};
// Dues years per member number; members 2 and 4 have none.
const QList<QPair<int, const char *>> kDues = {{1, "2023"}, {1, "2024"}, {3, "2024"}, {5, "2022"}};

constexpr int kSheetWidth = 600, kSheetHeight = 1000;

} // namespace

class TestBandEngine : public QObject {
    Q_OBJECT

    TqpNoPrinters m_printers;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QObject> m_form; // the registration window: owner of tables and report
    TqpReport *m_report = nullptr;

    TTable *table(const QString &name, const QString &file)
    {
        auto *t = new TTable(m_form.get());
        t->setObjectName(name);
        t->DatabaseName = m_dir->path();
        t->TableName = file;
        MemberStore::ConfigureTable(*t);
        return t;
    }
    template <typename T> T *component(const QString &name)
    {
        auto *c = new T(m_form.get());
        c->setObjectName(name);
        return c;
    }

    TqpPage *page()
    {
        TqpPage *p = m_report->Pages.Add();
        p->UseMargins = false;
        p->PrnInfo.SheetWidth = kSheetWidth;
        p->PrnInfo.SheetHeight = kSheetHeight;
        return p;
    }
    static TqpBandView *band(TqpPage *p, TqpBandType type, int top, int height, const QString &name,
                             const QString &source = {})
    {
        auto *b = new TqpBandView;
        b->SetBandType(type);
        b->SetBounds(0, top, kSheetWidth, height);
        b->Name = name;
        b->FormatStr = source;
        b->OwnerPage = p;
        p->Items.append(b);
        return b;
    }
    // A text inside band `b`, at its top unless told otherwise.
    static TqpMemoView *text(TqpPage *p, TqpBandView *b, const QString &line, int left = 0, int dyInBand = 0)
    {
        auto *m = new TqpMemoView;
        m->SetBounds(left, b->Top + dyInBand, 100, std::max(1, std::min(b->Height, 18)));
        m->Memo = QStringList{line};
        m->Name = QStringLiteral("Memo%1").arg(p->Items.size());
        m->OwnerPage = p;
        p->Items.append(m);
        return m;
    }

    // A sub-report in band `b` showing template page `subPage` (from 0).
    static TqpSubReportView *subReport(TqpPage *p, TqpBandView *b, int subPage, int left = 0, int dyInBand = 0)
    {
        auto *sub = new TqpSubReportView;
        sub->Name = QStringLiteral("Alt%1").arg(p->Items.size());
        sub->SetBounds(left, b->Top + dyInBand, 250, 10);
        sub->SubPage = subPage;
        sub->OwnerPage = p;
        p->Items.append(sub);
        return sub;
    }
    // A page holding one data band of `records` empty records, `height`
    // tall, with one text; its script counts the band's showings in `counter`.
    TqpPage *listPage(int records, int height, const QString &line, const QString &counter = {})
    {
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, height, QStringLiteral("Liste%1").arg(m_report->Pages.GetCount()),
                                 QString::number(records));
        if (!counter.isEmpty()) {
            data->Script = QStringList{counter + QStringLiteral(" := ") + counter + QStringLiteral(" + 1")};
            qpVariables->SetVariable(counter, 0);
        }
        text(p, data, line);
        return p;
    }

    // One build by the driver, without the saving and restoring of the
    // template around it, so that the test still holds the pages it made
    // and the prepared pages of a failed build.
    void build()
    {
        CurReport = MasterReport = m_report;
        m_report->SavedDoublePass = m_report->DoublePassReport;
        m_report->ConnectParserCallbacks();
        m_report->DoPrepareReport();
        DocMode = dmDesigning;
    }

    int pageCount() { return m_report->GetEMFPages().GetCount(); }
    // The texts of prepared page i in writing order, as "text@x,y", with
    // " hN" for the object's height when asked.
    QStringList texts(int i, bool heights = false)
    {
        TqpEMFPages &pages = m_report->GetEMFPages();
        pages.ObjectsToPage(i);
        QStringList out;
        for (const TqpView *v : std::as_const(pages.GetPages(i).Page->Items)) {
            out << QStringLiteral("%1@%2,%3").arg(v->Memo.join(QLatin1Char('|'))).arg(v->Left).arg(v->Top);
            if (heights)
                out.last() += QStringLiteral(" h%1").arg(v->Height);
        }
        return out;
    }
    // The field of the first members, in table order, takes these values.
    void setMembers(const QString &field, const QVariantList &values)
    {
        auto *members = m_form->findChild<TTable *>(QStringLiteral("Table1"));
        members->First();
        for (const QVariant &value : values) {
            members->Edit();
            members->FieldByName(field)->setValue(value);
            members->Post();
            members->Next();
        }
    }
    // Every prepared page holds the expected texts and places.
    void comparePages(const QList<QStringList> &expected)
    {
        QCOMPARE(pageCount(), expected.size());
        for (int i = 0; i < pageCount(); ++i)
            QCOMPARE(texts(i), expected.at(i));
    }
    // Visits the objects of every prepared page, page by page.
    static void forEachPrepared(TqpEMFPages &pages, const std::function<void(TqpView *)> &visit)
    {
        for (int i = 0; i < pages.GetCount(); ++i) {
            pages.ObjectsToPage(i);
            for (TqpView *v : std::as_const(pages.GetPages(i).Page->Items))
                visit(v);
        }
    }
    QStringList allTexts()
    {
        QStringList out;
        for (int i = 0; i < pageCount(); ++i)
            out << texts(i);
        return out;
    }
    static QStringList withoutPlaces(const QStringList &texts)
    {
        QStringList out;
        for (const QString &t : texts)
            out << t.left(t.lastIndexOf(QLatin1Char('@')));
        return out;
    }

    // The error report ends with a message of that id (its %n places may
    // hold anything, and more may follow).
    void expectError(int messageId)
    {
        QVERIFY(ErrorFlag);
        QVERIFY2(ErrorStr.startsWith(qpLoadStr(qpMsgCalcError)), qPrintable(ErrorStr));
        const QString message = ErrorStr.mid(ErrorStr.lastIndexOf(QChar(13)) + 1);
        QString pattern = QRegularExpression::escape(qpLoadStr(messageId));
        pattern.replace(QRegularExpression(QStringLiteral("\\\\?%\\d")), QStringLiteral(".+"));
        QVERIFY2(QRegularExpression(QLatin1Char('^') + pattern).match(message).hasMatch(), qPrintable(ErrorStr));
        QVERIFY(m_report->Terminated);
    }

private slots:
    void initTestCase()
    {
        qpPrinterStartup(&m_printers);
        qpInitExpressionGlobals();
        qpInitModelGlobals();
        // Scripts run through the report's own interpreter.
        QVERIFY(dynamic_cast<TInterpretator *>(qpInterpretator));
    }

    void cleanupTestCase()
    {
        qpDoneExpressionGlobals();
        qpDoneModelGlobals();
        qpPrinterShutdown();
    }

    void init()
    {
        // Reading prepared pages back sets the printer's paper; each test
        // starts from the printer as it was.
        qpPrinterShutdown();
        qpPrinterStartup(&m_printers);
        m_dir = std::make_unique<QTemporaryDir>();
        MemberStore::PrepareWorkingFolder(m_dir->path());
        m_form = std::make_unique<QObject>();
        m_form->setObjectName(QStringLiteral("UyeKayitForm1"));
        TTable *members = table(QStringLiteral("Table1"), QStringLiteral("Uye.db"));
        members->Open();
        for (const Member &m : kMembers) {
            members->Append();
            members->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(m.no);
            members->FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(QString::fromUtf8(m.name));
            members->FieldByName(QStringLiteral("Vilayet"))->setAsString(QString::fromUtf8(m.province));
            members->FieldByName(QStringLiteral("KanGrubu"))->setAsString(QString::fromUtf8(m.blood));
            members->Post();
        }
        auto *memberSource = component<TDataSource>(QStringLiteral("DataSource1"));
        memberSource->setDataSet(members);
        component<TqpDBDataSet>(QStringLiteral("qpUyeler"))->setDataSource(memberSource);

        TTable *dues = table(QStringLiteral("Table2"), QStringLiteral("Aidat.db"));
        dues->Open();
        for (const auto &[no, year] : kDues) {
            dues->Append();
            dues->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(no);
            dues->FieldByName(QStringLiteral("Yil"))->setAsString(QString::fromLatin1(year));
            dues->Post();
        }
        dues->MasterFields = QStringLiteral("KayitNo");
        dues->IndexFieldNames = QStringLiteral("KayitNo");
        dues->setMasterSource(memberSource);
        auto *duesSource = component<TDataSource>(QStringLiteral("DataSource2"));
        duesSource->setDataSet(dues);
        component<TqpDBDataSet>(QStringLiteral("qpAidat"))->setDataSource(duesSource);

        auto *none = component<TqpUserDataset>(QStringLiteral("qpBos"));
        none->RangeEnd = reCount;
        none->RangeEndCount = 0;

        m_report = new TqpReport(m_form.get());
        m_report->setObjectName(QStringLiteral("qpReport1"));
        m_report->ConnectParserCallbacks();
        qpVariables->Clear();
        qpMaxPreparedPages = 100000;
    }

    void cleanup()
    {
        CurReport = MasterReport = nullptr;
        CurPage = nullptr;
        CurBand = nullptr;
        CurView = nullptr;
        m_form.reset();
        m_report = nullptr;
    }

    void printIfEmpty_data()
    {
        QTest::addColumn<bool>("printIfEmpty");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("expected");
        const QStringList nothing;
        const QStringList frame{"Başlık@0,0", "Özet@0,40"};
        QTest::newRow("off, no data set") << false << QString() << nothing;
        QTest::newRow("off, empty data set") << false << QStringLiteral("qpBos") << nothing;
        QTest::newRow("on, no data set") << true << QString() << frame;
        QTest::newRow("on, empty data set") << true << QStringLiteral("qpBos") << frame;
        QTest::newRow("off, records") << false << QStringLiteral("2")
                                      << QStringList{"Başlık@0,0", "Kayıt@0,40", "Kayıt@0,60", "Özet@0,80"};
    }
    void printIfEmpty()
    {
        QFETCH(bool, printIfEmpty);
        QFETCH(QString, source);
        QFETCH(QStringList, expected);
        m_report->PrintIfEmpty = printIfEmpty;
        TqpPage *p = page();
        text(p, band(p, btReportTitle, 0, 40, QStringLiteral("Baslik")), QStringLiteral("Başlık"));
        // A data band view with a data source, the only kind that may be empty.
        text(p, band(p, btMasterData, 100, 20, QStringLiteral("Veri"), source), QStringLiteral("Kayıt"));
        text(p, band(p, btReportSummary, 200, 30, QStringLiteral("Ozet")), QStringLiteral("Özet"));
        build();
        QVERIFY(!ErrorFlag);
        QCOMPARE(pageCount(), expected.isEmpty() ? 0 : 1);
        QCOMPARE(allTexts(), expected);
    }

    void emptyDataHidesHeaderAndFooter()
    {
        TqpPage *p = page();
        text(p, band(p, btMasterHeader, 0, 20, QStringLiteral("Ust")), QStringLiteral("Üst"));
        text(p, band(p, btMasterData, 30, 20, QStringLiteral("Veri"), QStringLiteral("qpBos")),
             QStringLiteral("Kayıt"));
        text(p, band(p, btMasterFooter, 60, 20, QStringLiteral("Alt")), QStringLiteral("Alt"));
        // A second data band with records keeps its own header and footer.
        text(p, band(p, btMasterHeader, 90, 20, QStringLiteral("Ust2")), QStringLiteral("Üst2"));
        text(p, band(p, btMasterData, 120, 20, QStringLiteral("Veri2"), QStringLiteral("1")), QStringLiteral("Kayıt2"));
        text(p, band(p, btMasterFooter, 150, 20, QStringLiteral("Alt2")), QStringLiteral("Alt2"));
        build();
        QVERIFY(!ErrorFlag);
        QCOMPARE(allTexts(), (QStringList{"Üst2@0,0", "Kayıt2@0,20", "Alt2@0,40"}));
    }

    void masterWithoutDetails_data()
    {
        QTest::addColumn<bool>("printIfSubsetEmpty");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("skipped") << false
                                 << QStringList{"1 Ali", "2023", "2024", "2 Cem", "2024", "3 Emre", "2022", "Son"};
        QTest::newRow("PrintIfSubsetEmpty") << true << QStringList{"1 Ali", "2023",    "2024",   "2 Berna", "3 Cem",
                                                                   "2024",  "4 Derya", "5 Emre", "2022",    "Son"};
    }
    void masterWithoutDetails()
    {
        QFETCH(bool, printIfSubsetEmpty);
        QFETCH(QStringList, expected);
        TqpPage *p = page();
        TqpBandView *master = band(p, btMasterData, 0, 20, QStringLiteral("Uye"), QStringLiteral("qpUyeler"));
        if (printIfSubsetEmpty)
            master->Flags |= flPrintIfSubsetEmpty;
        text(p, master, QStringLiteral("[LINE#] [Table1.AdiSoyadi]"));
        text(p, band(p, btDetailData, 40, 20, QStringLiteral("Aidat"), QStringLiteral("qpAidat")),
             QStringLiteral("[Table2.Yil]"));
        text(p, band(p, btMasterFooter, 80, 20, QStringLiteral("UyeSonu")), QStringLiteral("Son"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(withoutPlaces(allTexts()), expected);
        // Every printed band directly below the previous one.
        const QStringList placed = allTexts();
        for (int i = 0; i < placed.size(); ++i)
            QVERIFY2(placed.at(i).endsWith(QStringLiteral(",%1").arg(20 * i)), qPrintable(placed.at(i)));
    }

    void groupsCloseInnermostFirst()
    {
        TqpPage *p = page();
        TqpBandView *outer = band(p, btGroupHeader, 0, 20, QStringLiteral("Il"), QStringLiteral("[Table1.Vilayet]"));
        text(p, outer, QStringLiteral("G1 [Table1.Vilayet]"));
        TqpBandView *inner = band(p, btGroupHeader, 30, 20, QStringLiteral("Kan"), QStringLiteral("[Table1.KanGrubu]"));
        text(p, inner, QStringLiteral("G2 [Table1.KanGrubu]"));
        text(p, band(p, btMasterData, 60, 20, QStringLiteral("Uye"), QStringLiteral("qpUyeler")),
             QStringLiteral("[LINE#]/[LINETHROUGH#] [Table1.AdiSoyadi]"));
        // Footers pair from the inside out: the higher one closes the inner group.
        text(p, band(p, btGroupFooter, 90, 20, QStringLiteral("KanSonu")), QStringLiteral("F2 [Table1.KanGrubu]"));
        text(p, band(p, btGroupFooter, 120, 20, QStringLiteral("IlSonu")), QStringLiteral("F1 [Table1.Vilayet]"));
        text(p, band(p, btMasterFooter, 150, 20, QStringLiteral("UyeSonu")), QStringLiteral("MF"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        // Footers print with the last record of their group; the first record
        // after any change is line 1 while the running line goes on.
        QCOMPARE(withoutPlaces(allTexts()),
                 (QStringList{"G1 Ankara", "G2 A",      "1/1 Ali",  "2/2 Berna", "F2 A",      "G2 B", "1/3 Cem",
                              "F2 B",      "F1 Ankara", "G1 Bursa", "G2 B",      "1/4 Derya", "F2 B", "F1 Bursa",
                              "G1 Izmir",  "G2 0",      "1/5 Emre", "F2 0",      "F1 Izmir",  "MF"}));
    }

    void firstAndLastPage_data()
    {
        QTest::addColumn<int>("headerFlags");
        QTest::addColumn<int>("footerFlags");
        QTest::addColumn<int>("records");
        QTest::addColumn<QList<QStringList>>("expected");
        const int both = flOnFirstPage | flOnLastPage;
        QTest::newRow("one page, header and footer on first")
            << int(flOnFirstPage) << int(flOnFirstPage) << 2
            << QList<QStringList>{{"Başlık@0,0", "Sayfa başı@0,40", "K1@0,70", "K2@0,370", "Sayfa 1@0,960"}};
        QTest::newRow("one page, neither on first, footer on last")
            << 0 << int(flOnLastPage) << 2
            << QList<QStringList>{{"Başlık@0,0", "K1@0,40", "K2@0,340", "Sayfa 1@0,960"}};
        QTest::newRow("one page, footer on neither")
            << 0 << 0 << 2 << QList<QStringList>{{"Başlık@0,0", "K1@0,40", "K2@0,340"}};
        QTest::newRow("two pages, header and footer not on first")
            << 0 << int(flOnLastPage) << 5
            << QList<QStringList>{{"Başlık@0,0", "K1@0,40", "K2@0,340", "K3@0,640"},
                                  {"Sayfa başı@0,0", "K4@0,30", "K5@0,330", "Sayfa 2@0,960"}};
        QTest::newRow("two pages, footer only on the first")
            << both << int(flOnFirstPage) << 4
            << QList<QStringList>{{"Başlık@0,0", "Sayfa başı@0,40", "K1@0,70", "K2@0,370", "Sayfa 1@0,960"},
                                  {"Sayfa başı@0,0", "K3@0,30", "K4@0,330"}};
    }
    void firstAndLastPage()
    {
        QFETCH(int, headerFlags);
        QFETCH(int, footerFlags);
        QFETCH(int, records);
        QFETCH(QList<QStringList>, expected);
        TqpPage *p = page();
        text(p, band(p, btReportTitle, 0, 40, QStringLiteral("Baslik")), QStringLiteral("Başlık"));
        TqpBandView *header = band(p, btPageHeader, 50, 30, QStringLiteral("SayfaBasi"));
        header->Flags = quint16(headerFlags);
        text(p, header, QStringLiteral("Sayfa başı"));
        text(p, band(p, btMasterData, 100, 300, QStringLiteral("Veri"), QString::number(records)),
             QStringLiteral("K[LINE#]"));
        TqpBandView *footer = band(p, btPageFooter, 900, 40, QStringLiteral("SayfaSonu"));
        footer->Flags = quint16(footerFlags);
        text(p, footer, QStringLiteral("Sayfa [PAGE#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        comparePages(expected);
    }

    void summaryIgnoresColumnFooterHeight()
    {
        TqpPage *p = page();
        text(p, band(p, btMasterData, 0, 85, QStringLiteral("Veri"), QStringLiteral("10")), QStringLiteral("K[LINE#]"));
        text(p, band(p, btColumnFooter, 100, 50, QStringLiteral("KolonSonu")), QStringLiteral("Kolon sonu"));
        text(p, band(p, btReportSummary, 200, 90, QStringLiteral("Ozet")), QStringLiteral("Özet"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        // 10 records end at 850, the column footer at 900: the summary's 90
        // fit only because the footer's 50 no longer count.
        QCOMPARE(pageCount(), 1);
        const QStringList placed = texts(0);
        QCOMPARE(placed.mid(9), (QStringList{"K10@0,765", "Kolon sonu@0,850", "Özet@0,900"}));
    }

    void objectOnABandEdge()
    {
        TqpPage *p = page();
        TqpBandView *title = band(p, btReportTitle, 0, 30, QStringLiteral("Baslik"));
        text(p, title, QStringLiteral("Başlık"));
        TqpBandView *data = band(p, btMasterData, 30, 20, QStringLiteral("Veri"), QStringLiteral("3"));
        text(p, data, QStringLiteral("K[LINE#]"), 0, 5);
        // On the edge between title (type 0) and data (type 5): the title's,
        // so it prints once and not with every record.
        text(p, data, QStringLiteral("Kenar"), 200);
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(texts(0), (QStringList{"Başlık@0,0", "Kenar@200,30", "K1@0,35", "K2@0,55", "K3@0,75"}));
    }

    void threeBandColumns()
    {
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("5"));
        data->Columns = 3;
        data->ColumnWidth = 150;
        data->ColumnGap = 10;
        text(p, data, QStringLiteral("K[LINE#]"), 5);
        text(p, band(p, btMasterFooter, 40, 20, QStringLiteral("Alt")), QStringLiteral("Son"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        // Three side by side, a new row, and the footer below the unfinished row.
        QCOMPARE(texts(0), (QStringList{"K1@5,0", "K2@165,0", "K3@325,0", "K4@5,20", "K5@165,20", "Son@0,40"}));
    }

    void scriptBreaksPages()
    {
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("3"));
        data->Script = QStringList{QStringLiteral("if [LINE#] = 2 then begin NEWPAGE; NEWPAGE; CURY := 500 end")};
        text(p, data, QStringLiteral("K[LINE#] [PAGE#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 3);
        QCOMPARE(texts(0), QStringList{"K1 1@0,0"});
        QCOMPARE(texts(1), QStringList{});
        QCOMPARE(texts(2), (QStringList{"K2 3@0,500", "K3 3@0,520"}));
    }

    void tallBandIsSplit_data()
    {
        QTest::addColumn<bool>("titleFirst");
        QTest::addColumn<QList<QStringList>>("expected");
        const QList<QStringList> split{{"A@0,0", "B@0,600"}, {"C@0,202", "Son@0,220"}};
        QTest::newRow("met at the top of a page") << false << split;
        QTest::newRow("met lower, moves to a new page first") << true << (QList<QStringList>{{"Başlık@0,0"}} + split);
    }
    void tallBandIsSplit()
    {
        QFETCH(bool, titleFirst);
        QFETCH(QList<QStringList>, expected);
        TqpPage *p = page();
        TqpBandView *title = band(p, btReportTitle, 0, 40, QStringLiteral("Baslik"));
        text(p, title, QStringLiteral("Başlık"));
        title->Visible = titleFirst;
        // Taller than the page, and not marked as breakable.
        TqpBandView *data = band(p, btMasterData, 100, 1500, QStringLiteral("Veri"), QStringLiteral("1"));
        text(p, data, QStringLiteral("A"));
        text(p, data, QStringLiteral("B"), 0, 600);
        text(p, data, QStringLiteral("C"), 0, 1200);
        text(p, band(p, btMasterFooter, 1700, 20, QStringLiteral("Alt")), QStringLiteral("Son"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        comparePages(expected);
    }

    // A breakable data band of one record starting at y 800, 198 units above
    // the bottom of the first page (2 units are kept free).
    TqpBandView *bandLowOnThePage(TqpPage *p, int height)
    {
        text(p, band(p, btReportTitle, 0, 800, QStringLiteral("Baslik")), QStringLiteral("Başlık"));
        TqpBandView *data = band(p, btMasterData, 1000, height, QStringLiteral("Veri"), QStringLiteral("1"));
        data->Flags = (data->Flags | flBreaked) & ~flStretched;
        return data;
    }
    // The lines a text printed on one prepared page, without paragraph marks.
    static QStringList printedLines(const QString &placed)
    {
        QString t = placed.left(placed.lastIndexOf(QLatin1Char('@')));
        t.remove(QChar(1));
        return t.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    }

    // A breakable band that fits where it is drawn is written exactly as a
    // band that may not be split.
    void splittableBandThatFits_data()
    {
        QTest::addColumn<bool>("breakable");
        QTest::newRow("not breakable") << false;
        QTest::newRow("breakable") << true;
    }
    void splittableBandThatFits()
    {
        QFETCH(bool, breakable);
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 100, QStringLiteral("Veri"), QStringLiteral("3"));
        if (breakable)
            data->Flags |= flBreaked;
        data->Flags &= ~flStretched;
        text(p, data, QStringLiteral("A[LINE#]"), 0, 10);
        text(p, data, QStringLiteral("K[LINE#]"), 200, 40);
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        comparePages({{"A1@0,10", "K1@200,40", "A2@0,110", "K2@200,140", "A3@0,210", "K3@200,240"}});
    }

    // A text cut at the bottom of a page continues at the top of the next;
    // what lies below it within its width moves down by the space the cut
    // added, what lies beside it keeps its place, and the band ends below
    // its last piece.
    void textCutAcrossPages()
    {
        TqpPage *p = page();
        TqpBandView *data = bandLowOnThePage(p, 400);
        TqpMemoView *note = text(p, data, QStringLiteral("L1"));
        for (int i = 2; i <= 20; ++i)
            note->Memo << QStringLiteral("L%1").arg(i);
        note->Height = 302; // twenty lines of 15 and the gaps
        text(p, data, QStringLiteral("Alt"), 0, 310)->Flags &= ~flStretched;
        text(p, data, QStringLiteral("Yan"), 300, 310)->Flags &= ~flStretched;
        text(p, band(p, btMasterFooter, 1500, 20, QStringLiteral("Son")), QStringLiteral("Son"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 2);
        const QStringList first = texts(0, true), second = texts(1, true);
        // Room 198 + 1: the piece is cut there and writes the 13 lines that
        // fit; (199 - 4) mod 15 + 4 = 4 units are lost under them.
        QCOMPARE(first.size(), 2);
        QVERIFY2(first.at(1).endsWith(QStringLiteral("@0,800 h199")), qPrintable(first.at(1)));
        QCOMPARE(printedLines(first.at(1)).size(), 13);
        // The rest (302 + 4 - 198 = 108 high) starts the next page; the text
        // below it keeps its distance from the end of the text.
        QCOMPARE(second.size(), 4);
        QCOMPARE(second.at(0), QStringLiteral("Alt@0,116 h18"));
        QCOMPARE(second.at(1), QStringLiteral("Yan@300,112 h18"));
        // A stretched object's last piece takes the band's final height.
        QVERIFY2(second.at(2).endsWith(QStringLiteral("@0,0 h134")), qPrintable(second.at(2)));
        QCOMPARE(second.at(3), QStringLiteral("Son@0,134 h18"));
        QStringList all = printedLines(first.at(1)) + printedLines(second.at(2));
        QStringList wanted;
        for (int i = 1; i <= 20; ++i)
            wanted << QStringLiteral("L%1").arg(i);
        QCOMPARE(all, wanted);
        // The object gets back its place in the band and its height.
        QCOMPARE(note->Top, 0);
        QCOMPARE(note->Height, 302);
    }

    // A bottom-aligned object of a split band ends at the bottom of the
    // band's calculated height; one taller than the band starts at its top
    // and is printed once, whole, instead of adding pages without end.
    void bottomAlignedInASplitBand_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<QStringList>("second");
        QTest::newRow("ends at the band's bottom") << 18 << QStringList{"K@0,0 h18", "@300,184 h18"};
        QTest::newRow("taller than the band") << 600 << QStringList{"K@0,0 h18", "@300,0 h600"};
    }
    void bottomAlignedInASplitBand()
    {
        QFETCH(int, height);
        QFETCH(QStringList, second);
        qpMaxPreparedPages = 20;
        TqpPage *p = page();
        TqpBandView *data = bandLowOnThePage(p, 400);
        text(p, data, QStringLiteral("K"), 0, 198)->Flags &= ~flStretched;
        // A picture cannot be cut; aligned to the bottom it is too low for page one.
        auto *bottom = new TqpPictureView;
        bottom->Name = QStringLiteral("Dip");
        bottom->SetBounds(300, 1005, 60, height);
        bottom->BandAlign = baBottom;
        bottom->OwnerPage = p;
        p->Items.append(bottom);
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 2);
        QCOMPARE(texts(1, true), second);
        QCOMPARE(bottom->Top, 5);
        QCOMPARE(bottom->BandAlign, quint8(baBottom));
    }

    // STOPREPORT in an object of the second slice ends the split after that
    // slice: the third slice is never written.
    void terminationInTheMiddleOfASplit()
    {
        TqpPage *p = page();
        TqpBandView *data = bandLowOnThePage(p, 1500);
        text(p, data, QStringLiteral("A"));
        TqpMemoView *stop = text(p, data, QStringLiteral("B"), 0, 300);
        stop->Script = QStringList{QStringLiteral("STOPREPORT")};
        text(p, data, QStringLiteral("C"), 0, 320);
        text(p, data, QStringLiteral("D"), 0, 1400);
        text(p, band(p, btMasterFooter, 2600, 20, QStringLiteral("Son")), QStringLiteral("Son"));
        build();
        QVERIFY(!ErrorFlag);
        QVERIFY(m_report->Terminated);
        comparePages({{"Başlık@0,0", "A@0,800"}, {"B@0,102", "C@0,122"}});
    }

    // Two sub-reports side by side: when one runs out of room both go on
    // at the top of the next page, one that already ended is not replayed,
    // and the band ends below the lower of the two. A band that did not fit
    // ran its script once, not again when it is shown on the next page.
    void subReportsSideBySide_data()
    {
        QTest::addColumn<int>("leftRecords");
        QTest::addColumn<QList<QStringList>>("expected");
        const QStringList first{"Üst@0,0", "A1@0,20", "A2@0,320", "A3@0,620", "B1@300,20", "B2@300,170",
                                "B3@300,320", "B4@300,470", "B5@300,620", "B6@300,770"};
        QTest::newRow("both continue") << 5
                                       << QList<QStringList>{first, {"A4@0,0", "A5@0,300", "B7@300,0", "B8@300,150",
                                                                     "Son@0,600"}};
        QTest::newRow("the left one ended") << 3
                                            << QList<QStringList>{first, {"B7@300,0", "B8@300,150", "Son@0,300"}};
    }
    void subReportsSideBySide()
    {
        QFETCH(int, leftRecords);
        QFETCH(QList<QStringList>, expected);
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 40, QStringLiteral("Veri"), QStringLiteral("1"));
        text(p, data, QStringLiteral("Üst"));
        subReport(p, data, 1, 0, 20);
        subReport(p, data, 2, 300, 20);
        text(p, band(p, btMasterFooter, 100, 20, QStringLiteral("Alt")), QStringLiteral("Son"));
        listPage(leftRecords, 300, QStringLiteral("A[LINE#]"), QStringLiteral("NA"));
        listPage(8, 150, QStringLiteral("B[LINE#]"), QStringLiteral("NB"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        comparePages(expected);
        QCOMPARE(qpVariables->GetVariable(QStringLiteral("NA")).toInt(), leftRecords);
        QCOMPARE(qpVariables->GetVariable(QStringLiteral("NB")).toInt(), 8);
    }

    // A sub-report that ends on its page leaves the next band below the
    // larger of its owner band's height and the sub-report's bottom.
    void subReportEndsOnThePage_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("next");
        QTest::newRow("shorter than the band") << 1 << QStringLiteral("Son@0,100");
        QTest::newRow("longer than the band") << 5 << QStringLiteral("Son@0,120");
    }
    void subReportEndsOnThePage()
    {
        QFETCH(int, records);
        QFETCH(QString, next);
        TqpPage *p = page();
        subReport(p, band(p, btMasterData, 0, 100, QStringLiteral("Veri"), QStringLiteral("1")), 1, 0, 20);
        text(p, band(p, btMasterFooter, 200, 20, QStringLiteral("Alt")), QStringLiteral("Son"));
        listPage(records, 20, QStringLiteral("S[LINE#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 1);
        QCOMPARE(texts(0).last(), next);
        QCOMPARE(texts(0).size(), records + 1);
    }

    // A sub-report's rows continued on a new page get their headings again
    // when the data band's header repeats, and only then.
    void subReportHeaderRepeatsOnANewPage_data()
    {
        QTest::addColumn<int>("headerFlags");
        QTest::addColumn<QString>("secondPageStart");
        QTest::newRow("repeating header") << int(flRepeatHeader) << QStringLiteral("Başlık@0,0|S50@0,20");
        QTest::newRow("plain header") << 0 << QStringLiteral("S50@0,0|S51@0,20");
    }
    void subReportHeaderRepeatsOnANewPage()
    {
        QFETCH(int, headerFlags);
        QFETCH(QString, secondPageStart);
        TqpPage *p = page();
        subReport(p, band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("1")), 1);
        TqpPage *list = listPage(60, 20, QStringLiteral("S[LINE#]"));
        for (TqpView *v : std::as_const(list->Items))
            v->Top += 30; // the header above the rows
        TqpBandView *header = band(list, btMasterHeader, 0, 20, QStringLiteral("Basliklar"));
        header->Flags = quint16(headerFlags);
        text(list, header, QStringLiteral("Başlık"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 2);
        QCOMPARE(texts(0).first(), QStringLiteral("Başlık@0,0"));
        QCOMPARE(texts(1).mid(0, 2).join(QLatin1Char('|')), secondPageStart);
        QCOMPARE(texts(1).count(QStringLiteral("Başlık@0,0")), headerFlags ? 1 : 0);
        QCOMPARE(texts(1).last(), QStringLiteral("S60@0,") + QString::number((headerFlags ? 20 : 0) + 10 * 20));
    }

    // A breakable band holding a sub-report is not cut into slices: it
    // moves to the next page and its sub-report prints there, no place
    // holder of the sub-report object in the pages.
    void breakableBandWithASubReport()
    {
        TqpPage *p = page();
        TqpBandView *data = bandLowOnThePage(p, 400);
        text(p, data, QStringLiteral("Üst"));
        subReport(p, data, 1, 0, 300);
        listPage(2, 20, QStringLiteral("S[LINE#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        comparePages({{"Başlık@0,0"}, {"Üst@0,0", "S1@0,300", "S2@0,320"}});
    }

    // A sub-report inside a sub-report: the inner band suspends, the outer
    // replay stops, and after the owner's new page both go on where they
    // stopped. Replaying the inner list again restarts LINE# only.
    void subReportInsideASubReport()
    {
        TqpPage *p = page();
        subReport(p, band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("1")), 1);
        text(p, band(p, btMasterFooter, 100, 20, QStringLiteral("Alt")), QStringLiteral("Son"));
        TqpPage *outer = listPage(2, 100, QStringLiteral("D[LINE#]"));
        subReport(outer, static_cast<TqpBandView *>(outer->Items.first()), 2, 100, 20);
        listPage(6, 300, QStringLiteral("E[LINE#]/[LINETHROUGH#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        // D2 fits exactly under E6; its first E waits for the next page.
        comparePages({{"D1@0,0", "E1/1@100,20", "E2/2@100,320", "E3/3@100,620"},
                      {"E4/4@100,0", "E5/5@100,300", "E6/6@100,600", "D2@0,900"},
                      {"E1/7@100,0", "E2/8@100,300", "E3/9@100,600"},
                      {"E4/10@100,0", "E5/11@100,300", "E6/12@100,600", "Son@0,900"}});
    }

    // The dues of each member through a sub-report following the member
    // table, with a group header on the sub-report's page.
    void subReportFollowsItsMaster()
    {
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 20, QStringLiteral("Uye"), QStringLiteral("qpUyeler"));
        text(p, data, QStringLiteral("[Table1.AdiSoyadi]"));
        subReport(p, data, 1, 200);
        TqpPage *dues = page();
        text(dues, band(dues, btGroupHeader, 0, 20, QStringLiteral("Yil"), QStringLiteral("[Table2.Yil]")),
             QStringLiteral("G [Table2.Yil]"));
        text(dues, band(dues, btMasterData, 30, 20, QStringLiteral("Aidat"), QStringLiteral("qpAidat")),
             QStringLiteral("[LINE#] [Table2.Yil]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(allTexts(), (QStringList{"Ali@0,0", "G 2023@200,0", "1 2023@200,20", "G 2024@200,40",
                                          "1 2024@200,60", "Berna@0,80", "Cem@0,100", "G 2024@200,100",
                                          "1 2024@200,120", "Derya@0,140", "Emre@0,160", "G 2022@200,160",
                                          "1 2022@200,180"}));
    }

    void pageColumns()
    {
        TqpPage *p = page();
        p->ColCount = 2;
        p->ColGap = 20; // columns (600 - 20) / 2 = 290 wide
        text(p, band(p, btColumnHeader, 0, 20, QStringLiteral("KolonBasi")), QStringLiteral("KB"));
        TqpBandView *header = band(p, btMasterHeader, 30, 20, QStringLiteral("Ust"));
        header->Flags |= flRepeatHeader;
        text(p, header, QStringLiteral("Üst"));
        text(p, band(p, btMasterData, 60, 300, QStringLiteral("Veri"), QStringLiteral("5")),
             QStringLiteral("K[LINE#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 1);
        QCOMPARE(texts(0), (QStringList{"KB@0,0", "Üst@0,20", "K1@0,40", "K2@0,340", "K3@0,640", "KB@310,0",
                                        "Üst@310,20", "K4@310,40", "K5@310,340"}));
    }

    void appendedPage_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QList<QStringList>>("expected");
        // The footer drawn at the end of the first template page stays the
        // only one; the second continues where the first ended.
        QTest::newRow("room left") << 2
                                   << QList<QStringList>{{"K1@0,0", "K2@0,20", "Son@0,960", "İki@0,40", "L1@0,60"}};
        QStringList full;
        for (int i = 1; i <= 48; ++i)
            full << QStringLiteral("K%1@0,%2").arg(i).arg(20 * (i - 1));
        QTest::newRow("first page full") << 48 << QList<QStringList>{full << "Son@0,960", {"İki@0,0", "L1@0,20"}};
    }
    void appendedPage()
    {
        QFETCH(int, records);
        QFETCH(QList<QStringList>, expected);
        TqpPage *first = page();
        text(first, band(first, btMasterData, 0, 20, QStringLiteral("Veri"), QString::number(records)),
             QStringLiteral("K[LINE#]"));
        text(first, band(first, btPageFooter, 900, 40, QStringLiteral("SayfaSonu")), QStringLiteral("Son"));
        TqpPage *second = page();
        second->PrintToPrevPage = true;
        text(second, band(second, btReportTitle, 0, 20, QStringLiteral("Baslik2")), QStringLiteral("İki"));
        text(second, band(second, btMasterData, 30, 20, QStringLiteral("Veri2"), QStringLiteral("1")),
             QStringLiteral("L[LINE#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        comparePages(expected);
    }

    void millionRecordsIntoOnePageFooter()
    {
        // Records that take no room all land on one page; the footer counts them.
        TqpPage *p = page();
        band(p, btMasterData, 0, 0, QStringLiteral("Veri"), QStringLiteral("1000000"));
        text(p, band(p, btPageFooter, 900, 40, QStringLiteral("SayfaSonu")), QStringLiteral("[CURRENT#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(allTexts(), QStringList{"1000001@0,960"});
    }

    void showBandFromScript()
    {
        TqpPage *p = page();
        TqpBandView *title = band(p, btReportTitle, 0, 40, QStringLiteral("Baslik"));
        title->Script = QStringList{QStringLiteral("SHOWBAND(Ek)")};
        text(p, title, QStringLiteral("Başlık"));
        text(p, band(p, btChild, 300, 25, QStringLiteral("Ek")), QStringLiteral("Ek"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(texts(0), (QStringList{"Ek@0,0", "Başlık@0,25"}));
    }

    void countingPassWritesOnlyBreakableBands()
    {
        m_report->DoublePassReport = true;
        TqpPage *p = page();
        TqpBandView *title = band(p, btReportTitle, 0, 30, QStringLiteral("Baslik"));
        title->Flags |= flBreaked;
        text(p, title, QStringLiteral("Başlık"));
        TqpMemoView *counted =
            text(p, band(p, btMasterData, 40, 20, QStringLiteral("Veri"), QStringLiteral("qpUyeler")),
                 QStringLiteral("[Table1.AdiSoyadi]"));
        counted->Script = QStringList{QStringLiteral("N := N + 1")};
        qpVariables->SetVariable(QStringLiteral("N"), 0);
        // What the counting pass wrote, seen when its summary would show,
        // and the run-time title band of each pass.
        QStringList countedTexts;
        int countedN = -1;
        QList<TqpBandBase *> titles;
        m_report->OnBeginBand = [&](TqpBandBase *b) {
            if (b->BandType() == btReportTitle)
                titles << b;
            if (b->BandType() == btReportSummary && !m_report->FinalPass) {
                countedTexts = allTexts();
                countedN = qpVariables->GetVariable(QStringLiteral("N")).toInt();
            }
        };
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(countedN, 5);
        QCOMPARE(countedTexts, QStringList{"Başlık@0,0"});
        // The bands live on from the counting pass into the final pass.
        QCOMPARE(titles.size(), 2);
        QCOMPARE(titles.first(), titles.last());
        QVERIFY(!p->Initialised);
        QCOMPARE(qpVariables->GetVariable(QStringLiteral("N")).toInt(), 10);
        QCOMPARE(withoutPlaces(allTexts()), (QStringList{"Başlık", "Ali", "Berna", "Cem", "Derya", "Emre"}));
    }

    // A child band prints after its band; the child of a band hidden by its
    // own script prints only with PrintChildIfInvisible.
    void childBands_data()
    {
        QTest::addColumn<QString>("child");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<bool>("printChild");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("names a band") << QStringLiteral("cocuk") << false << false
                                      << QStringList{"Başlık@0,0", "Çocuk@0,40", "K1@0,65"};
        QTest::newRow("names nothing") << QStringLiteral("Yok") << false << false
                                       << QStringList{"Başlık@0,0", "K1@0,40"};
        QTest::newRow("hidden, PrintChildIfInvisible") << QStringLiteral("Cocuk") << true << true
                                                       << QStringList{"Çocuk@0,0", "K1@0,25"};
        QTest::newRow("hidden, child hidden with it") << QStringLiteral("Cocuk") << true << false
                                                      << QStringList{"K1@0,0"};
    }
    void childBands()
    {
        QFETCH(QString, child);
        QFETCH(bool, hidden);
        QFETCH(bool, printChild);
        QFETCH(QStringList, expected);
        TqpPage *p = page();
        TqpBandView *title = band(p, btReportTitle, 0, 40, QStringLiteral("Baslik"));
        title->ChildBand = child;
        if (printChild)
            title->Flags |= flPrintChildIfInvisible;
        if (hidden)
            title->Script = QStringList{QStringLiteral("Visible := False")};
        text(p, title, QStringLiteral("Başlık"));
        text(p, band(p, btChild, 300, 25, QStringLiteral("Cocuk")), QStringLiteral("Çocuk"));
        text(p, band(p, btMasterData, 100, 20, QStringLiteral("Veri"), QStringLiteral("1")),
             QStringLiteral("K[LINE#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(allTexts(), expected);
    }

    void errorText()
    {
        TqpPage *p = page();
        TqpMemoView *m = text(p, band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("2")),
                              QStringLiteral("[Yok.Alan]"));
        m->Memo.append(QStringLiteral("ikinci satır"));
        m->Name = QStringLiteral("Hatali");
        build();
        QVERIFY(ErrorFlag);
        const QChar cr(13);
        const QString head = qpLoadStr(qpMsgCalcError) + cr + QStringLiteral("[Yok.Alan]") + cr +
                             QStringLiteral("ikinci satır") + cr + cr + QStringLiteral("Rapor : qpReport1") + cr +
                             QStringLiteral("Nesne : Hatali") + cr + cr;
        QVERIFY2(ErrorStr.startsWith(head), qPrintable(ErrorStr));
        QVERIFY(ErrorStr.size() > head.size()); // the error's own message follows
        QVERIFY(m_report->Terminated);
        QCOMPARE(pageCount(), 1);
        QCOMPARE(texts(0), QStringList{}); // nothing written after the error
    }

    void badTemplatesEndWithAnError_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("message");
        QTest::newRow("child bands in a loop") << QStringLiteral("childLoop") << int(qpMsgBandLoop);
        QTest::newRow("group condition fails") << QStringLiteral("badGroup") << int(qpMsgUnknownName);
        QTest::newRow("data set fails on Next") << QStringLiteral("badNext") << 0;
        QTest::newRow("NEWPAGE in every band") << QStringLiteral("newPageEverywhere") << int(qpMsgBandLoop);
        QTest::newRow("data that never ends") << QStringLiteral("endless") << int(qpMsgPageLimit);
        QTest::newRow("a million records, footer fills the page") << QStringLiteral("noRoom") << int(qpMsgNoRoom);
        QTest::newRow("script that does not compile") << QStringLiteral("badScript") << int(qpMsgScriptError);
        QTest::newRow("a sub-report of a missing page") << QStringLiteral("subMissing") << int(qpMsgSubPageMissing);
        QTest::newRow("a sub-report of its own page") << QStringLiteral("subOwnPage") << int(qpMsgSubPageLoop);
        QTest::newRow("sub-reports in a circle of pages") << QStringLiteral("subCycle") << int(qpMsgSubPageLoop);
        QTest::newRow("a sub-report band taller than a page") << QStringLiteral("subTooTall") << int(qpMsgNoRoom);
        QTest::newRow("two sub-reports of one page in a band") << QStringLiteral("subTwice")
                                                               << int(qpMsgSubPageTwice);
    }
    void badTemplatesEndWithAnError()
    {
        QFETCH(QString, kind);
        QFETCH(int, message);
        TqpPage *p = page();
        TqpBandView *title = band(p, btReportTitle, 0, 30, QStringLiteral("Baslik"));
        text(p, title, QStringLiteral("Başlık"));
        TqpBandView *data = band(p, btMasterData, 40, 20, QStringLiteral("Veri"), QStringLiteral("qpUyeler"));
        text(p, data, QStringLiteral("[Table1.AdiSoyadi]"));
        if (kind == QLatin1String("childLoop")) {
            title->ChildBand = QStringLiteral("Cocuk");
            band(p, btChild, 300, 20, QStringLiteral("Cocuk"))->ChildBand = QStringLiteral("Baslik");
        } else if (kind == QLatin1String("badGroup")) {
            band(p, btGroupHeader, 35, 2, QStringLiteral("Grup"), QStringLiteral("[Table1.Yok]"));
        } else if (kind == QLatin1String("badNext")) {
            auto *broken = component<TqpUserDataset>(QStringLiteral("qpBozuk"));
            broken->OnNext = [](TqpDataset *) { throw EqpError(QStringLiteral("Disk okunamadı")); };
            data->FormatStr = QStringLiteral("qpBozuk");
        } else if (kind == QLatin1String("newPageEverywhere")) {
            text(p, band(p, btPageHeader, 100, 20, QStringLiteral("SayfaBasi")), QStringLiteral("Sayfa başı"));
            text(p, band(p, btPageFooter, 900, 20, QStringLiteral("SayfaSonu")), QStringLiteral("Sayfa sonu"));
            for (TqpView *v : std::as_const(p->Items))
                if (v->Kind == vkBand)
                    v->Script = QStringList{QStringLiteral("NEWPAGE")};
        } else if (kind == QLatin1String("endless")) {
            qpMaxPreparedPages = 40;
            component<TqpUserDataset>(QStringLiteral("qpSonsuz"));
            data->FormatStr = QStringLiteral("qpSonsuz");
            data->Flags |= flFormNewPage;
        } else if (kind == QLatin1String("noRoom")) {
            title->Visible = false;
            data->FormatStr = QStringLiteral("1000000");
            band(p, btPageFooter, 500, kSheetHeight, QStringLiteral("SayfaSonu"));
        } else if (kind == QLatin1String("badScript")) {
            data->Script = QStringList{QStringLiteral("if then")};
        } else if (kind == QLatin1String("subMissing")) {
            subReport(p, data, 5);
        } else if (kind == QLatin1String("subOwnPage")) {
            subReport(p, data, 0);
        } else if (kind == QLatin1String("subCycle")) {
            subReport(p, data, 1);
            TqpPage *second = page();
            subReport(second, band(second, btMasterData, 0, 20, QStringLiteral("Veri2"), QStringLiteral("1")), 0);
        } else if (kind == QLatin1String("subTooTall")) {
            subReport(p, data, 1);
            listPage(1, 2 * kSheetHeight, QStringLiteral("Uzun"));
        } else if (kind == QLatin1String("subTwice")) {
            subReport(p, data, 1);
            subReport(p, data, 1, 200);
            TqpPage *second = page();
            text(second, band(second, btMasterData, 0, 20, QStringLiteral("Veri2"), QStringLiteral("1")),
                 QStringLiteral("İki"));
        }
        build();
        if (message)
            expectError(message);
        else
            QVERIFY2(ErrorFlag && ErrorStr.endsWith(QChar(13) + QStringLiteral("Disk okunamadı")),
                     qPrintable(ErrorStr));
        QVERIFY(m_report->Terminated);
        QVERIFY(!p->Initialised);
        QVERIFY(pageCount() <= qpMaxPreparedPages);
    }

    // Totals per group and for the report, restarting after each footer;
    // a hidden record counts only where the "1" argument asks for it.
    void aggregatesOverGroupsAndSummary()
    {
        TqpPage *p = page();
        band(p, btGroupHeader, 0, 20, QStringLiteral("Il"), QStringLiteral("[Table1.Vilayet]"));
        band(p, btMasterData, 30, 20, QStringLiteral("Uye"), QStringLiteral("qpUyeler"));
        const QString totals = QStringLiteral("[SUM(Table1.KayitNo)] [AVG(Table1.KayitNo)] [MIN(Table1.KayitNo)] "
                                              "[MAX(Table1.KayitNo)] [COUNT(Uye)] [SUM(Table1.KayitNo, Uye, 1)] "
                                              "[COUNT(Uye, 1)]");
        text(p, band(p, btGroupFooter, 60, 20, QStringLiteral("IlSonu")), QStringLiteral("G ") + totals);
        text(p, band(p, btReportSummary, 100, 20, QStringLiteral("Ozet")), QStringLiteral("R ") + totals);
        // Cem (3) is hidden; every record counts for the averages' divisor,
        // and each group footer restarts the divisor the summary uses too.
        m_report->OnBeginBand = [](TqpBandBase *b) {
            if (b->BandType() == btMasterData)
                b->SetVisible(qpParser->Calc(QStringLiteral("Table1.KayitNo")).toInt() != 3);
        };
        QVERIFY2(m_report->PrepareReport(), qPrintable(ErrorStr));
        QCOMPARE(withoutPlaces(allTexts()), (QStringList{"G 3 1 1 2 2 6 3", "G 4 4 4 4 1 4 1", "G 5 5 5 5 1 5 1",
                                                         "R 12 0 1 5 4 15 5"}));
    }

    // The driver's passes: the progress window's labels, TOTALPAGES known
    // in the final pass only, and the template as it was afterwards.
    void twoPassBuild_data()
    {
        QTest::addColumn<bool>("twoPasses");
        QTest::newRow("one pass") << false;
        QTest::newRow("two passes") << true;
    }
    void twoPassBuild()
    {
        QFETCH(bool, twoPasses);
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 300, QStringLiteral("Veri"), QStringLiteral("7"));
        text(p, data, QStringLiteral("K[LINE#]"));
        TqpBandView *footer = band(p, btPageFooter, 960, 20, QStringLiteral("Alt"));
        footer->Flags = flOnFirstPage | flOnLastPage;
        text(p, footer, QStringLiteral("[PAGE#]/[TOTALPAGES]"));
        m_report->DoublePassReport = twoPasses;
        m_report->OnBeforePrint = [](QStringList &, TqpView *view) { view->Left = 99; }; // changes the template
        QStringList captions, labels;
        int closed = -1;
        qpProgressUi.ShowModal = [&](TqpReport *, const QString &caption, const QString &, const QString &label,
                                     const std::function<void()> &work) {
            captions << caption;
            labels << label;
            work();
            return closed;
        };
        qpProgressUi.SetLabel = [&](const QString &, const QString &label) { labels << label; };
        qpProgressUi.Close = [&](int result) { closed = result; };
        m_report->Title = QStringLiteral("Liste");
        const bool ok = m_report->PrepareReport();
        qpProgressUi = TqpProgressUi();
        QVERIFY(ok);
        QCOMPARE(captions, QStringList{QStringLiteral("Rapor hazırlanıyor - Liste")});
        QCOMPARE(pageCount(), 3);
        QCOMPARE(closed, 1);
        const QString total = twoPasses ? QStringLiteral("3") : QStringLiteral("0");
        QCOMPARE(withoutPlaces(texts(2)), (QStringList{"K7", "3/" + total}));
        if (twoPasses) {
            QCOMPARE(labels.first(), QStringLiteral("Bırıncı geöiş yapılıyor :  1"));
            QVERIFY2(labels.contains(QStringLiteral("İşlem gören sayfa :  3 from 3")), qPrintable(labels.join(QLatin1Char('|'))));
        } else {
            QCOMPARE(labels.first(), QStringLiteral("İşlem gören sayfa :  1"));
            QVERIFY(labels.contains(QStringLiteral("İşlem gören sayfa :  3")));
        }
        // The script's change to the template was undone.
        for (const TqpView *v : std::as_const(m_report->Pages.GetPages(0)->Items))
            QCOMPARE(v->Left, 0);
    }

    // A report repeated per record forms its pages in turn for each record;
    // a page that continues the previous one shares its prepared page.
    void multipleAndContinuedPages()
    {
        auto *three = component<TqpUserDataset>(QStringLiteral("qpUc"));
        three->RangeEnd = reCount;
        three->RangeEndCount = 3;
        for (const char *name : {"P1", "P2"}) {
            TqpPage *p = page();
            text(p, band(p, btReportTitle, 0, 20, QStringLiteral("B") + QLatin1String(name)), QLatin1String(name));
        }
        m_report->Dataset = three;
        m_report->ReportType = rtMultiple;
        QVERIFY2(m_report->PrepareReport(), qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 6);
        QStringList order;
        for (int i = 0; i < pageCount(); ++i)
            order << withoutPlaces(texts(i));
        QCOMPARE(order, (QStringList{"P1", "P2", "P1", "P2", "P1", "P2"}));

        m_report->ReportType = rtSimple;
        m_report->Pages.GetPages(1)->PrintToPrevPage = true;
        QVERIFY2(m_report->PrepareReport(), qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 1);
        QCOMPARE(texts(0), (QStringList{"P1@0,0", "P2@0,20"}));
    }

    // A composite report continues on the previous page only on paper of
    // the same kind: a landscape second report starts a page of its own.
    void compositeReport()
    {
        TqpReport second(m_form.get());
        TqpCompositeReport composite(m_form.get());
        TqpPage *first = page();
        text(first, band(first, btReportTitle, 0, 20, QStringLiteral("Bir")), QStringLiteral("Birinci"));
        TqpPage *other = second.Pages.Add();
        other->UseMargins = false;
        other->PrintToPrevPage = true;
        other->ChangePaper(other->PaperSize, other->PaperWidth, other->PaperHeight, -1, poLandscape);
        other->PrnInfo.SheetWidth = kSheetHeight;
        other->PrnInfo.SheetHeight = kSheetWidth;
        auto *b = new TqpBandView;
        b->SetBandType(btReportTitle);
        b->SetBounds(0, 0, 400, 20);
        b->Name = QStringLiteral("Iki");
        other->Items.append(b);
        auto *m = new TqpMemoView;
        m->SetBounds(0, 0, 100, 18);
        m->Memo = QStringList{QStringLiteral("İkinci")};
        m->Name = QStringLiteral("MemoIki");
        other->Items.append(m);
        composite.Reports = {m_report, &second};
        QVERIFY2(composite.PrepareReport(), qPrintable(ErrorStr));
        TqpEMFPages &pages = composite.GetEMFPages();
        QCOMPARE(pages.GetCount(), 2);
        QCOMPARE(int(pages.GetPages(1).Orientation), int(poLandscape));
        QCOMPARE(int(pages.GetPages(0).Orientation), int(poPortrait));
    }

    // A composite repeated per record reloads each report's template after
    // building it; the error of a failed report must still end the build.
    void compositeReportKeepsAContainedFailure()
    {
        auto *once = component<TqpUserDataset>(QStringLiteral("qpBir"));
        once->RangeEnd = reCount;
        once->RangeEndCount = 1;
        TqpReport second(m_form.get());
        TqpCompositeReport composite(m_form.get());
        TqpPage *first = page();
        text(first, band(first, btReportTitle, 0, 20, QStringLiteral("Bir")), QStringLiteral("Birinci"));
        TqpPage *other = second.Pages.Add();
        auto *b = new TqpBandView;
        b->SetBandType(btReportTitle);
        b->SetBounds(0, 0, 400, 20);
        b->Name = QStringLiteral("Iki");
        other->Items.append(b);
        auto *m = new TqpMemoView;
        m->SetBounds(0, 0, 100, 18);
        m->Memo = QStringList{QStringLiteral("[BoyleBirAdYok]")};
        m->Name = QStringLiteral("MemoIki");
        other->Items.append(m);
        composite.Reports = {m_report, &second};
        composite.Dataset = once;
        QString shown;
        qpReportUi.ErrorBox = [&](const QString &text, const QString &) { shown = text; };
        const bool ok = composite.PrepareReport();
        qpReportUi = TqpReportUi();
        QVERIFY(!ok);
        QVERIFY2(shown.contains(QStringLiteral("MemoIki")), qPrintable(shown));
        QCOMPARE(composite.GetEMFPages().GetCount(), 0);
    }

    // Names without a data set part follow the data band of the band being
    // shown: the members in the master band, the dues in the detail band.
    void plainFieldNamesFollowTheBand()
    {
        TqpPage *p = page();
        text(p, band(p, btMasterData, 0, 20, QStringLiteral("Uye"), QStringLiteral("qpUyeler")),
             QStringLiteral("[AdiSoyadi]"));
        text(p, band(p, btDetailData, 30, 20, QStringLiteral("Aidat"), QStringLiteral("qpAidat")),
             QStringLiteral("- [Yil]"));
        QVERIFY2(m_report->PrepareReport(), qPrintable(ErrorStr));
        QCOMPARE(withoutPlaces(allTexts()), (QStringList{"Ali", "- 2023", "- 2024", "Cem", "- 2024", "Emre", "- 2022"}));
    }

    void stopReportEndsFormation()
    {
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("qpUyeler"));
        data->Script = QStringList{QStringLiteral("if [LINE#] = 3 then STOPREPORT")};
        text(p, data, QStringLiteral("[Table1.AdiSoyadi]"));
        text(p, band(p, btReportSummary, 100, 20, QStringLiteral("Ozet")), QStringLiteral("Özet"));
        build();
        QVERIFY(!ErrorFlag);
        QVERIFY(m_report->Terminated);
        QCOMPARE(withoutPlaces(allTexts()), (QStringList{"Ali", "Berna"}));
    }

    // STOPREPORT in a report of a composite ends the whole build: the
    // report it runs in stops at once and the next report is not built.
    void stopReportInACompositeReport()
    {
        TqpReport second(m_form.get());
        TqpCompositeReport composite(m_form.get());
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("qpUyeler"));
        data->Script = QStringList{QStringLiteral("if [LINE#] = 3 then STOPREPORT")};
        text(p, data, QStringLiteral("[Table1.AdiSoyadi]"));
        TqpPage *other = second.Pages.Add();
        other->UseMargins = false;
        text(other, band(other, btReportTitle, 0, 20, QStringLiteral("Iki")), QStringLiteral("İkinci"));
        composite.Reports = {m_report, &second};
        composite.PrepareReport();
        QVERIFY(!ErrorFlag);
        QVERIFY(composite.Terminated);
        QStringList printed;
        forEachPrepared(composite.GetEMFPages(), [&](TqpView *v) { printed << v->Memo.join(QLatin1Char('|')); });
        QCOMPARE(printed, (QStringList{"Ali", "Berna"}));
    }

    // A stretched text grows its stretched band, the band's other stretched
    // objects follow the band's height, and the next band starts below.
    void stretchedObjectsAndBands_data()
    {
        QTest::addColumn<bool>("bandStretched");
        QTest::addColumn<QStringList>("expected");
        // Measured text is written wrapped, each line with its paragraph mark.
        const QString kMarked = QStringLiteral("a\u0001|b\u0001|c\u0001");
        // Three lines: 3 × 15 (Arial 10 on the screen, 13 pixels, plus
        // the line spacing 2) and the two gaps of 1.
        QTest::newRow("stretched band") << true
                                        << QStringList{kMarked + "@0,0 h47", "Yan\u0001@200,0 h47", "Son@0,47 h18"};
        QTest::newRow("band of fixed height") << false
                                              << QStringList{"a|b|c@0,0 h18", "Yan@200,0 h18", "Son@0,30 h18"};
    }
    void stretchedObjectsAndBands()
    {
        QFETCH(bool, bandStretched);
        QFETCH(QStringList, expected);
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 30, QStringLiteral("Veri"), QStringLiteral("1"));
        if (bandStretched)
            data->Flags |= flStretched;
        else
            data->Flags &= ~flStretched;
        TqpMemoView *lines = text(p, data, QStringLiteral("a"));
        lines->Memo << QStringLiteral("b") << QStringLiteral("c");
        text(p, data, QStringLiteral("Yan"), 200);
        text(p, band(p, btMasterFooter, 100, 20, QStringLiteral("Alt")), QStringLiteral("Son"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(texts(0, true), expected);
    }

    // A group header with RepeatHeader shows again at the top of the next
    // page, with the group's value; one with FormNewPage starts a page for
    // each new group.
    void groupHeaderOnANewPage_data()
    {
        QTest::addColumn<int>("groupFlags");
        QTest::addColumn<QList<QStringList>>("expected");
        QTest::newRow("repeated") << int(flRepeatHeader)
                                  << QList<QStringList>{{"Ankara@0,0", "Ali@0,20", "Berna@0,320", "Cem@0,620",
                                                         "Bursa@0,920"},
                                                        {"Bursa@0,0", "Derya@0,20", "Izmir@0,320", "Emre@0,340"}};
        QTest::newRow("not repeated") << 0
                                      << QList<QStringList>{{"Ankara@0,0", "Ali@0,20", "Berna@0,320", "Cem@0,620",
                                                             "Bursa@0,920"},
                                                            {"Derya@0,0", "Izmir@0,300", "Emre@0,320"}};
        QTest::newRow("new page per group")
            << int(flFormNewPage)
            << QList<QStringList>{{"Ankara@0,0", "Ali@0,20", "Berna@0,320", "Cem@0,620"},
                                  {"Bursa@0,0", "Derya@0,20"},
                                  {"Izmir@0,0", "Emre@0,20"}};
    }
    void groupHeaderOnANewPage()
    {
        QFETCH(int, groupFlags);
        QFETCH(QList<QStringList>, expected);
        TqpPage *p = page();
        TqpBandView *group = band(p, btGroupHeader, 0, 20, QStringLiteral("Il"), QStringLiteral("[Table1.Vilayet]"));
        group->Flags = quint16(groupFlags);
        text(p, group, QStringLiteral("[Table1.Vilayet]"));
        text(p, band(p, btMasterData, 30, 300, QStringLiteral("Uye"), QStringLiteral("qpUyeler")),
             QStringLiteral("[Table1.AdiSoyadi]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        comparePages(expected);
    }

    // NEWCOLUMN from a band's script moves the band to the next page column
    // (at the column-start Y, under the column header), and past the last
    // column to a new page.
    void newColumnFromScript()
    {
        TqpPage *p = page();
        p->ColCount = 2;
        p->ColGap = 20; // columns 290 wide
        text(p, band(p, btColumnHeader, 0, 20, QStringLiteral("KolonBasi")), QStringLiteral("KB"));
        TqpBandView *data = band(p, btMasterData, 30, 20, QStringLiteral("Veri"), QStringLiteral("4"));
        data->Script = QStringList{QStringLiteral("if [LINE#] >= 2 then NEWCOLUMN")};
        text(p, data, QStringLiteral("K[LINE#] [PAGE#]"));
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 2);
        QCOMPARE(texts(0), (QStringList{"KB@0,0", "K1 1@0,20", "KB@310,0", "K2 1@310,20"}));
        QCOMPARE(texts(1), (QStringList{"KB@0,0", "K3 2@0,20", "KB@310,0", "K4 2@310,20"}));
    }

    // The report's page and band events, in the order formation fires them,
    // over two pages.
    void eventOrder()
    {
        TqpPage *p = page();
        text(p, band(p, btReportTitle, 0, 40, QStringLiteral("Baslik")), QStringLiteral("Başlık"));
        TqpBandView *header = band(p, btPageHeader, 50, 30, QStringLiteral("SayfaBasi"));
        text(p, header, QStringLiteral("Sayfa başı"));
        text(p, band(p, btMasterData, 100, 500, QStringLiteral("Veri"), QStringLiteral("2")),
             QStringLiteral("K[LINE#]"));
        TqpBandView *footer = band(p, btPageFooter, 900, 40, QStringLiteral("SayfaSonu"));
        footer->Flags = flOnFirstPage | flOnLastPage;
        text(p, footer, QStringLiteral("[PAGE#]"));
        text(p, band(p, btReportSummary, 700, 20, QStringLiteral("Ozet")), QStringLiteral("Özet"));
        QStringList events;
        const auto name = [](TqpBandBase *b) {
            const auto *band = static_cast<TqpBand *>(b);
            return band->View ? band->View->Name : QStringLiteral("(%1)").arg(int(b->BandType()));
        };
        m_report->OnBeginPage = [&](int n) { events << QStringLiteral("page %1").arg(n); };
        m_report->OnEndPage = [&](int n) { events << QStringLiteral("end page %1").arg(n); };
        m_report->OnBeginBand = [&](TqpBandBase *b) { events << QStringLiteral("+") + name(b); };
        m_report->OnEndBand = [&](TqpBandBase *b) { events << QStringLiteral("-") + name(b); };
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(pageCount(), 2);
        // Bands the page does not use (overlay 13, free objects 22, column
        // header 14 and footer 15) are shown too; the second record opens
        // the second page from inside its own showing.
        const QString expected =
            QStringLiteral("page 0 +(13) -(13) +(22) -(22) +Baslik -Baslik +SayfaBasi -SayfaBasi +(14) -(14) "
                           "+Veri -Veri "
                           "+Veri +(15) -(15) end page 0 +SayfaSonu -SayfaSonu "
                           "page 1 +(13) -(13) +SayfaBasi -SayfaBasi +(14) -(14) -Veri "
                           "+(15) -(15) +Ozet -Ozet end page 1 +SayfaSonu -SayfaSonu");
        QCOMPARE(events.join(QLatin1Char(' ')), expected);
    }

    // The member's photo, a picture bound to the photo field, prints from
    // the field for each member; a member without a photo prints an empty
    // picture.
    void memberPhotoFromTheBoundField()
    {
        QImage photo(12, 8, QImage::Format_RGB32);
        photo.fill(QColor(200, 30, 40));
        QByteArray bmp;
        {
            QBuffer buffer(&bmp);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(photo.save(&buffer, "BMP"));
        }
        setMembers(QStringLiteral("Resim"), {bmp});

        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 100, QStringLiteral("Veri"), QStringLiteral("qpUyeler"));
        text(p, data, QStringLiteral("[Table1.AdiSoyadi]"));
        auto *picture = new TqpPictureView;
        picture->Name = QStringLiteral("Resim1");
        picture->SetBounds(200, 0, 60, 80);
        picture->Memo = QStringList{QStringLiteral("[Table1.Resim]")};
        picture->OwnerPage = p;
        p->Items.append(picture);
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QList<QSize> sizes;
        QList<QColor> colours;
        forEachPrepared(m_report->GetEMFPages(), [&](TqpView *v) {
            if (const auto *pv = dynamic_cast<const TqpPictureView *>(v)) {
                sizes << pv->Picture.Size();
                if (!pv->Picture.IsEmpty())
                    colours << pv->Picture.Image().pixelColor(3, 3);
            }
        });
        QCOMPARE(colours, QList<QColor>{QColor(200, 30, 40)});
        QCOMPARE(sizes, (QList<QSize>{QSize(12, 8), QSize(0, 0), QSize(0, 0), QSize(0, 0), QSize(0, 0)}));
    }

    // A rich-text object whose text is one data field prints the field's
    // content: RTF with its formatting, plain text as text, an empty field
    // as nothing; never the content it was designed with. A memo field holds
    // characters; a blob field holds bytes, its plain text in the Turkish
    // code page.
    void boundRichText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariantList>("values");
        const QString rtf = QStringLiteral("{\\rtf1\\ansi\\ansicpg1254{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 "
                                           "{\\b Kal\\'fdn} sokak, \\u1241? No 5}");
        QTest::newRow("memo field") << QStringLiteral("EvAdresi")
                                    << QVariantList{rtf, QStringLiteral("Düz metin\r\nikinci satır"), QVariant()};
        QTest::newRow("blob field") << QStringLiteral("Resim")
                                    << QVariantList{rtf.toLatin1(), QByteArray("D\xfcz metin\r\nikinci sat\xfdr"),
                                                    QVariant()};
    }
    void boundRichText()
    {
        QFETCH(QString, field);
        QFETCH(QVariantList, values);
        setMembers(field, values);
        TqpPage *p = page();
        band(p, btMasterData, 0, 100, QStringLiteral("Veri"), QStringLiteral("qpUyeler"));
        auto *rich = new TqpRichView;
        rich->Name = QStringLiteral("Rich1");
        rich->SetBounds(0, 0, 400, 40);
        rich->Memo = QStringList{QStringLiteral("[Table1.%1]").arg(field)};
        rich->RichEdit.Replace(0, 0, QStringLiteral("Tasarım metni"));
        rich->OwnerPage = p;
        p->Items.append(rich);
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QStringList printed;
        bool boldKept = false;
        forEachPrepared(m_report->GetEMFPages(), [&](TqpView *v) {
            if (auto *r = dynamic_cast<TqpRichView *>(v)) {
                printed << r->RichEdit.Text();
                if (printed.size() == 1) {
                    QTextCursor c(&r->RichEdit.Document());
                    c.setPosition(2);
                    boldKept = c.charFormat().fontWeight() == QFont::Bold;
                }
            }
        });
        const QChar par(QChar::ParagraphSeparator);
        QCOMPARE(printed, (QStringList{QStringLiteral("Kalın sokak, ") + QChar(0x04D9) + QStringLiteral(" No 5"),
                                       QStringLiteral("Düz metin") + par + QStringLiteral("ikinci satır"), QString(),
                                       QString(), QString()}));
        QVERIFY(boldKept);
    }

    // Scripts of objects and bands reach the objects through the report's
    // interpreter: a text's own properties, another object by name, and
    // free variables that count across records.
    void scriptsChangeObjects_data()
    {
        QTest::addColumn<QString>("memoScript");
        QTest::addColumn<QString>("bandScript");
        QTest::addColumn<QStringList>("expected");
        // What a script changes stays changed for the rest of the build.
        QTest::newRow("own visibility") << QStringLiteral("Visible := [LINE#] <> 2") << QString()
                                        << QStringList{"K1@0,0", "Yan@200,0", "Yan@200,20", "K3@0,40", "Yan@200,40"};
        QTest::newRow("own place") << QStringLiteral("Left := [LINE#] * 10") << QString()
                                   << QStringList{"K1@10,0", "Yan@200,0", "K2@20,20", "Yan@200,20", "K3@30,40",
                                                  "Yan@200,40"};
        QTest::newRow("another object by name from the band")
            << QString() << QStringLiteral("begin Sayac := Sayac + 2; Yan.Memo := [Sayac] end")
            << QStringList{"K1@0,0", "2@200,0", "K2@0,20", "4@200,20", "K3@0,40", "6@200,40"};
    }
    void scriptsChangeObjects()
    {
        QFETCH(QString, memoScript);
        QFETCH(QString, bandScript);
        QFETCH(QStringList, expected);
        qpVariables->SetVariable(QStringLiteral("Sayac"), 0);
        TqpPage *p = page();
        TqpBandView *data = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("3"));
        TqpMemoView *line = text(p, data, QStringLiteral("K[LINE#]"));
        TqpMemoView *side = text(p, data, QStringLiteral("Yan"), 200);
        side->Name = QStringLiteral("Yan");
        if (!memoScript.isEmpty())
            line->Script = QStringList{memoScript};
        if (!bandScript.isEmpty())
            data->Script = QStringList{bandScript};
        // The scripts travel in the template file, as the designer stores them.
        const QString file = m_dir->filePath(QStringLiteral("betik.qpf"));
        m_report->SaveToFile(file);
        m_report->Pages.Clear();
        QVERIFY(m_report->LoadFromFile(file));
        QCOMPARE(m_report->FindObject(QStringLiteral("Veri"))->Script.join(QString()), bandScript);
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(allTexts(), expected);
    }

    // ------------------------------------------------------------ cross-tab

    // A vertical cross-tab strip from `left`, `width` wide.
    static TqpBandView *crossBand(TqpPage *p, TqpBandType type, int left, int width, const QString &name,
                                  const QString &source = {})
    {
        TqpBandView *b = band(p, type, 0, 10, name, source);
        b->SetBounds(left, 0, width, kSheetHeight);
        return b;
    }
    // The cell at the crossing of strip `cross` and row band `row`, 2 units
    // inside the strip.
    static TqpMemoView *cell(TqpPage *p, TqpBandView *cross, TqpBandView *row, const QString &line)
    {
        TqpMemoView *m = text(p, row, line, cross->Left + 2);
        m->Width = cross->Width - 4;
        return m;
    }

    // Rows of three kinds with a cell in every strip: the header row shows
    // the column numbers, each record its line and column, the footer the
    // per-column sums; the cross footer sums each row across and starts
    // again for the next row. A summary counts each record once, however
    // many columns it has. Rows that may be split are written whole, with
    // their cells, as a split has no place for columns.
    void cellAtEveryCrossing_data()
    {
        QTest::addColumn<bool>("breakable");
        QTest::newRow("rows of fixed height") << false;
        QTest::newRow("rows that may be split") << true;
    }
    void cellAtEveryCrossing()
    {
        QFETCH(bool, breakable);
        TqpPage *p = page();
        TqpBandView *header = crossBand(p, btCrossHeader, 0, 100, QStringLiteral("CaprazBasi"));
        TqpBandView *data = crossBand(p, btCrossData, 100, 50, QStringLiteral("Capraz"), QStringLiteral("4"));
        TqpBandView *footer = crossBand(p, btCrossFooter, 150, 60, QStringLiteral("CaprazSonu"));
        TqpBandView *top = band(p, btMasterHeader, 0, 20, QStringLiteral("Ust"));
        TqpBandView *rows = band(p, btMasterData, 40, 20, QStringLiteral("Veri"), QStringLiteral("3"));
        TqpBandView *bottom = band(p, btMasterFooter, 80, 20, QStringLiteral("Alt"));
        text(p, top, QStringLiteral("Başlık"), 400);
        cell(p, header, top, QStringLiteral("Üye"));
        cell(p, data, top, QStringLiteral("Y[COLUMN#]"));
        cell(p, footer, top, QStringLiteral("Toplam"));
        cell(p, header, rows, QStringLiteral("Ü[LINE#]"));
        cell(p, data, rows, QStringLiteral("[LINE#].[COLUMN#]"));
        cell(p, footer, rows, QStringLiteral("[SUM(COLUMN#)]"));
        cell(p, header, bottom, QStringLiteral("Son"));
        cell(p, data, bottom, QStringLiteral("[SUM(COLUMN# * LINE#)]"));
        cell(p, footer, bottom, QStringLiteral("[SUM(COLUMN#)]"));
        if (breakable)
            rows->Flags |= flBreaked;
        text(p, band(p, btReportSummary, 120, 20, QStringLiteral("Ozet")), QStringLiteral("[COUNT(Veri)] kayıt"), 400);
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QStringList expected{"Başlık@400,0", "Üye@2,0", "Y1@102,0", "Y2@152,0", "Y3@202,0", "Y4@252,0",
                             "Toplam@302,0"};
        for (int line = 1; line <= 3; ++line) {
            const int y = 20 * line;
            expected << QStringLiteral("Ü%1@2,%2").arg(line).arg(y);
            for (int column = 1; column <= 4; ++column)
                expected << QStringLiteral("%1.%2@%3,%4").arg(line).arg(column).arg(52 + 50 * column).arg(y);
            expected << QStringLiteral("10@302,%1").arg(y);
        }
        // Per column: 1·k + 2·k + 3·k.
        expected << "Son@2,80" << "6@102,80" << "12@152,80" << "18@202,80" << "24@252,80" << "10@302,80"
                 << "3 kayıt@400,100";
        comparePages({expected});
    }

    // Twelve columns 100 wide beside a 100 wide header: five fit on a page,
    // the rest go to the pages beside it at the same height, after the
    // repeated header; the second row fills the pages the first one made,
    // and the summary comes back to the first page. A two-pass build counts
    // the pages beside as pages of the report.
    void columnsContinueOnTheNextPage_data()
    {
        QTest::addColumn<bool>("twoPasses");
        QTest::newRow("one pass") << false;
        QTest::newRow("two passes") << true;
    }
    void columnsContinueOnTheNextPage()
    {
        QFETCH(bool, twoPasses);
        m_report->DoublePassReport = twoPasses;
        TqpPage *p = page();
        TqpBandView *header = crossBand(p, btCrossHeader, 0, 100, QStringLiteral("CaprazBasi"));
        header->Flags |= flRepeatHeader;
        TqpBandView *data = crossBand(p, btCrossData, 100, 100, QStringLiteral("Capraz"), QStringLiteral("12"));
        TqpBandView *pageHeader = band(p, btPageHeader, 0, 20, QStringLiteral("SayfaBasi"));
        pageHeader->Flags |= flOnFirstPage;
        // Only the final pass of a two-pass build knows the page count.
        text(p, pageHeader, twoPasses ? QStringLiteral("S[PAGE#]/[TOTALPAGES]") : QStringLiteral("S[PAGE#]"), 300);
        TqpBandView *rows = band(p, btMasterData, 40, 20, QStringLiteral("Veri"), QStringLiteral("2"));
        cell(p, header, rows, QStringLiteral("Ü[LINE#]"));
        cell(p, data, rows, QStringLiteral("[LINE#].[COLUMN#]"));
        text(p, band(p, btReportSummary, 80, 20, QStringLiteral("Ozet")), QStringLiteral("Özet"), 300);
        TqpBandView *pageFooter = band(p, btPageFooter, 900, 20, QStringLiteral("SayfaSonu"));
        pageFooter->Flags |= flOnFirstPage | flOnLastPage;
        text(p, pageFooter, QStringLiteral("F[PAGE#]"), 300);
        QList<int> progress;
        m_report->OnProgress = [&progress](int pageNo) { progress << pageNo; };
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QList<QStringList> expected(3);
        for (int i = 0; i < 3; ++i)
            expected[i] << (twoPasses ? QStringLiteral("S%1/3@300,0") : QStringLiteral("S%1@300,0")).arg(i + 1);
        for (int line = 1; line <= 2; ++line) {
            const int y = 20 * line;
            for (int column = 1; column <= 12; ++column) {
                QStringList &onPage = expected[(column - 1) / 5];
                if ((column - 1) % 5 == 0)
                    onPage << QStringLiteral("Ü%1@2,%2").arg(line).arg(y);
                onPage << QStringLiteral("%1.%2@%3,%4").arg(line).arg(column).arg(102 + 100 * ((column - 1) % 5)).arg(y);
            }
        }
        expected[0] << "Özet@300,60";
        // Every page gets its footer when the row's pages are closed.
        for (int i = 0; i < 3; ++i)
            expected[i] << QStringLiteral("F%1@300,980").arg(i + 1);
        comparePages(expected);
        QVERIFY2(progress.contains(1) && progress.contains(2), qPrintable(QString::number(progress.size())));
    }

    // The column walk: the cross data band's own data set, or the one its
    // "Band=DataSet;" list names for a row; an empty one leaves the header
    // and footer cells side by side; a master footer without columns of its
    // own gets as many as the widest row before it.
    void columnDataSets_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty data set")
            << QStringLiteral("qpBos")
            << QStringList{"Ü1@2,0", "T@102,0", "Ü2@2,20", "T@102,20", "Son@2,40", "T@102,40"};
        QTest::newRow("a data set per row")
            << QStringLiteral("Veri=3; Alt=qpBos;")
            << QStringList{"Ü1@2,0", "1@102,0", "2@152,0", "3@202,0", "T@252,0", "Ü2@2,20", "1@102,20",
                           "2@152,20", "3@202,20", "T@252,20", "Son@2,40", "1@102,40", "2@152,40", "3@202,40",
                           "T@252,40"};
        QTest::newRow("last pair without a semicolon")
            << QStringLiteral("Veri=qpBos; Alt=2")
            << QStringList{"Ü1@2,0", "T@102,0", "Ü2@2,20", "T@102,20", "Son@2,40", "1@102,40", "2@152,40",
                           "T@202,40"};
    }
    void columnDataSets()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, expected);
        TqpPage *p = page();
        TqpBandView *header = crossBand(p, btCrossHeader, 0, 100, QStringLiteral("CaprazBasi"));
        TqpBandView *data = crossBand(p, btCrossData, 100, 50, QStringLiteral("Capraz"), source);
        TqpBandView *footer = crossBand(p, btCrossFooter, 150, 60, QStringLiteral("CaprazSonu"));
        TqpBandView *rows = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("2"));
        TqpBandView *bottom = band(p, btMasterFooter, 40, 20, QStringLiteral("Alt"));
        for (TqpBandView *row : {rows, bottom}) {
            cell(p, header, row, row == rows ? QStringLiteral("Ü[LINE#]") : QStringLiteral("Son"));
            cell(p, data, row, QStringLiteral("[COLUMN#]"));
            cell(p, footer, row, QStringLiteral("T"));
        }
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        comparePages({expected});
    }

    // A stretched row is as tall as its tallest cell, wherever that is: here
    // the third column wraps into three lines; every column's cell stretches
    // to the row's height.
    void tallestCellInALaterColumn()
    {
        TqpPage *p = page();
        TqpBandView *data = crossBand(p, btCrossData, 0, 30, QStringLiteral("Capraz"), QStringLiteral("4"));
        TqpBandView *rows = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("2"));
        rows->Flags |= flStretched;
        TqpMemoView *c = cell(p, data, rows, QStringLiteral("[IF(COLUMN# = 3, 'a b c', 'a')]"));
        c->Width = 12; // one letter a line
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        const QStringList written = texts(0, true);
        QCOMPARE(written.size(), 8);
        // Three lines of 15 and two gaps of 1 (Arial 10 on the screen); the
        // cells are expanded again when written, and wrap when drawn.
        QCOMPARE(written.at(2), QStringLiteral("a b c@62,0 h47"));
        QCOMPARE(written.at(0), QStringLiteral("a@2,0 h47"));
        QCOMPARE(written.at(4), QStringLiteral("a@2,47 h47"));
    }
    // Without a column the header's cells are still measured.
    void tallHeaderCellWithoutColumns()
    {
        TqpPage *p = page();
        TqpBandView *header = crossBand(p, btCrossHeader, 0, 30, QStringLiteral("CaprazBasi"));
        crossBand(p, btCrossData, 30, 30, QStringLiteral("Capraz"), QStringLiteral("qpBos"));
        TqpBandView *rows = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("2"));
        rows->Flags |= flStretched;
        cell(p, header, rows, QStringLiteral("a b c"))->Width = 12;
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        QCOMPARE(texts(0, true), (QStringList{"a b c@2,0 h47", "a b c@2,47 h47"}));
    }

    // The column events: OnBeginColumn for each row (measuring and drawing),
    // OnPrintColumn before each column with the width by reference; a width
    // of 0 puts the next column at the same place.
    void columnEvents()
    {
        TqpPage *p = page();
        TqpBandView *data = crossBand(p, btCrossData, 100, 50, QStringLiteral("Capraz"), QStringLiteral("3"));
        TqpBandView *rows = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("2"));
        rows->Flags |= flStretched;
        cell(p, data, rows, QStringLiteral("[COLUMN#]"));
        QStringList events;
        m_report->OnBeginColumn = [&events](TqpBandBase *band) { events << QStringLiteral("B ") + band->BandName(); };
        m_report->OnPrintColumn = [&events](int column, int &width) {
            events << QStringLiteral("P%1 %2").arg(column).arg(width);
            if (column == 1 && width > 0)
                width = 0;
            else if (column == 2 && width == 0)
                width = 70;
        };
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        // Measuring passes a scratch width of 0; drawing the band's own,
        // which a handler's change keeps for the columns after.
        const QStringList row{"B Veri", "P1 0", "P2 0", "P3 0", "B Veri"};
        QCOMPARE(events, (row + QStringList{"P1 50", "P2 0", "P3 70"} + row + QStringList{"P1 70", "P2 0", "P3 70"}));
        QCOMPARE(texts(0).mid(0, 3), (QStringList{"1@102,0", "2@102,0", "3@172,0"}));
    }

    // Each group footer shows the per-column sums of its own group; they
    // start again after it was printed. Members go down, the columns are
    // the years 2022 to 2024 of a user data set driven by its events, and
    // each cell is 1 when the member paid that year.
    void perColumnSumsRestartWithTheirFooter()
    {
        auto *years = component<TqpUserDataset>(QStringLiteral("qpYillar"));
        int year = 0;
        years->OnFirst = [&year](TqpDataset *) { year = 2022; };
        years->OnNext = [&year](TqpDataset *) { ++year; };
        years->OnCheckEOF = [&year](TqpDataset *, bool &eof) { eof = year > 2024; };
        TqpPage *p = page();
        TqpBandView *header = crossBand(p, btCrossHeader, 0, 100, QStringLiteral("CaprazBasi"));
        TqpBandView *data = crossBand(p, btCrossData, 100, 60, QStringLiteral("Capraz"), QStringLiteral("qpYillar"));
        band(p, btGroupHeader, 0, 2, QStringLiteral("Il"), QStringLiteral("[Table1.Vilayet]"));
        TqpBandView *rows = band(p, btMasterData, 10, 20, QStringLiteral("Uye"), QStringLiteral("qpUyeler"));
        TqpBandView *groupFooter = band(p, btGroupFooter, 40, 20, QStringLiteral("IlSonu"));
        cell(p, header, rows, QStringLiteral("[Table1.AdiSoyadi]"));
        cell(p, data, rows, QStringLiteral("[Odedi]"));
        cell(p, header, groupFooter, QStringLiteral("[Table1.Vilayet]"));
        cell(p, data, groupFooter, QStringLiteral("[SUM(Odedi)]"));
        // Paid: Ali 2023 and 2024, Cem 2024, Emre 2022 (the dues table).
        const QList<QPair<int, int>> paid{{1, 2023}, {1, 2024}, {3, 2024}, {5, 2022}};
        m_report->OnGetValue = [&](const QString &name, Variant &value) {
            if (name.compare(QLatin1String("Odedi"), Qt::CaseInsensitive) != 0)
                return;
            const int no = qpParser->Calc(QStringLiteral("Table1.KayitNo")).toInt();
            value = paid.contains({no, year}) ? 1 : 0;
        };
        build();
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        const QStringList rowsWritten = withoutPlaces(allTexts());
        QCOMPARE(rowsWritten.join(QLatin1Char(' ')),
                 QStringLiteral("Ali 0 1 1 Berna 0 0 0 Cem 0 0 1 Ankara 0 1 2 "
                                "Derya 0 0 0 Bursa 0 0 0 Emre 1 0 0 Izmir 1 0 0"));
    }

    // Templates a cross-tab cannot print as they are end in a clear error;
    // the others print, however many columns they have.
    void crossTabBadInput_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("message");
        QTest::newRow("10 000 columns") << QStringLiteral("manyColumns") << 0;
        QTest::newRow("a strip narrower than one unit") << QStringLiteral("narrow") << int(qpMsgCrossNarrow);
        QTest::newRow("a cell across two strips") << QStringLiteral("across") << 0;
        QTest::newRow("cross data band without a data set") << QString() << int(qpMsgCrossNoColumns);
        QTest::newRow("cross data band naming no component") << QStringLiteral("missing") << int(qpMsgCrossNoColumns);
    }
    void crossTabBadInput()
    {
        QFETCH(QString, kind);
        QFETCH(int, message);
        TqpPage *p = page();
        TqpBandView *header = crossBand(p, btCrossHeader, 0, 100, QStringLiteral("CaprazBasi"));
        TqpBandView *data = crossBand(p, btCrossData, 100, 50, QStringLiteral("Capraz"));
        TqpBandView *rows = band(p, btMasterData, 0, 20, QStringLiteral("Veri"), QStringLiteral("2"));
        cell(p, header, rows, QStringLiteral("Ü[LINE#]"));
        cell(p, data, rows, QStringLiteral("[COLUMN#]"));
        if (kind == QLatin1String("manyColumns"))
            data->FormatStr = QStringLiteral("10000");
        else if (kind == QLatin1String("narrow"))
            data->Width = 0;
        else if (kind == QLatin1String("missing"))
            data->FormatStr = QStringLiteral("qpYok");
        else if (kind == QLatin1String("across"))
            data->FormatStr = QStringLiteral("2");
        if (kind == QLatin1String("across") || kind == QLatin1String("narrow")) {
            TqpMemoView *wide = text(p, rows, QStringLiteral("Geniş"), 90);
            wide->Width = 40;
        }
        build();
        if (message) {
            expectError(message);
            return;
        }
        QVERIFY2(!ErrorFlag, qPrintable(ErrorStr));
        const QStringList written = withoutPlaces(allTexts());
        if (kind == QLatin1String("manyColumns")) {
            // Ten columns beside the header, then twelve a page; six on the last.
            QCOMPARE(pageCount(), 1 + (10000 - 10 + 11) / 12);
            QCOMPARE(written.size(), 2 * (1 + 10000));
            QCOMPARE(written.count(QStringLiteral("10000")), 2);
            QCOMPARE(texts(pageCount() - 1).last(), QStringLiteral("10000@252,20"));
        } else {
            // Not inside one strip: an ordinary object of the row, once a row.
            QCOMPARE(texts(0), (QStringList{"Geniş@90,0", "Ü1@2,0", "1@102,0", "2@152,0", "Geniş@90,20", "Ü2@2,20",
                                            "1@102,20", "2@152,20"}));
        }
    }
};

QTEST_MAIN(TestBandEngine)
#include "test_band_engine.moc"
