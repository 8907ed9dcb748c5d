// The QP3 XML document of a template: its exact lines where the format is
// fixed (the empty report, escapes, scripts turned into procedures), the
// attributes of every object kind, the bands the successor lacks, the left
// margin shift, and the command-line tool on the shipped templates. Every
// file written here is read by xmllint and by Qt's XML reader.

#include "report/core/string_table.h"
#include "report/expr/expr_globals.h"
#include "report/model/band_view.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_errors.h"
#include "report/model/model_globals.h"
#include "report/model/picture_view.h"
#include "report/model/qp3_writer.h"
#include "report/model/report.h"
#include "report/model/rich_view.h"
#include "report/model/subreport_view.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QXmlStreamReader>

namespace {

// One element of the document: its name and attributes in their order.
struct Element {
    QString name;
    QList<QPair<QString, QString>> attributes;
    QString value(const QString &attribute) const
    {
        for (const auto &a : attributes)
            if (a.first == attribute)
                return a.second;
        return QString();
    }
    bool has(const QString &attribute) const
    {
        return std::any_of(attributes.begin(), attributes.end(), [&](const auto &a) { return a.first == attribute; });
    }
};

} // namespace

class TestQP3 : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // Runs xmllint on the file; its complaint, or empty when well-formed.
    static QString xmllint(const QString &path)
    {
        QProcess p;
        p.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), path});
        if (!p.waitForFinished(60000))
            return QStringLiteral("xmllint did not finish");
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return QString::fromLocal8Bit(p.readAllStandardError()) + QStringLiteral(" (exit %1)").arg(p.exitCode());
        return QString();
    }

    // Every element in document order, read back with Qt's XML reader.
    static QList<Element> elements(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QXmlStreamReader xml(&f);
        QList<Element> out;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            Element e{xml.name().toString(), {}};
            for (const QXmlStreamAttribute &a : xml.attributes())
                e.attributes.append({a.name().toString(), a.value().toString()});
            out << e;
        }
        if (xml.hasError())
            qWarning() << path << xml.errorString();
        return xml.hasError() ? QList<Element>{} : out;
    }

    // Writes the report as QP3 and returns the file's lines (CR LF ended);
    // fails the test when xmllint does not accept the file.
    QList<QByteArray> write(TqpReport &report, const QString &name = QStringLiteral("t.qpf"))
    {
        report.SaveToQP3File(dir.filePath(name));
        const QString path = dir.filePath(QFileInfo(name).completeBaseName() + QStringLiteral(".qp3"));
        lastPath = path;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = f.readAll();
        const QString complaint = xmllint(path);
        if (!complaint.isEmpty())
            qWarning() << complaint;
        lintOk = complaint.isEmpty();
        QList<QByteArray> lines = bytes.split('\n');
        if (lines.takeLast() != QByteArray())
            return {}; // the last line without its line end
        for (QByteArray &l : lines) {
            if (!l.endsWith('\r'))
                return {}; // a line without its carriage return
            l.chop(1);
        }
        return lines;
    }
    QString lastPath;
    bool lintOk = false;

    static TqpPage *reportPage(TqpReport &r)
    {
        TqpPage *page = r.Pages.Add();
        page->Name = QStringLiteral("Page1");
        return page;
    }

    template <class T> static T *add(TqpPage *page, const QString &name, int left, int top, int width, int height)
    {
        auto *v = new T;
        v->Name = name;
        v->SetBounds(left, top, width, height);
        v->OwnerPage = page;
        page->Items.append(v);
        return v;
    }

    static Element find(const QList<Element> &list, const QString &name)
    {
        for (const Element &e : list)
            if (e.value(QStringLiteral("Name")) == name)
                return e;
        return {};
    }

    static QString scriptOf(const QList<Element> &list)
    {
        return list.value(0).value(QStringLiteral("ScriptText.text"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        qpPrinterStartup();
        qpInitExpressionGlobals();
        qpInitModelGlobals();
    }

    void cleanupTestCase()
    {
        qpDoneModelGlobals();
        qpPrinterShutdown();
    }

    void emptyReportIsFourLines()
    {
        TqpReport r;
        TqpPage *page = reportPage(r);
        page->ChangePaper(9, 0, 0, -1, poPortrait);
        page->Margins = TRect{36, 36, 36, 36};
        r.CreateDate = 45000.5;
        r.LastChange = 45001.25;
        const QList<QByteArray> lines = write(r, QStringLiteral("UyeForm.qpf"));
        QVERIFY(lintOk);
        QCOMPARE(QFileInfo(lastPath).fileName(), QStringLiteral("UyeForm.qp3"));
        // Datasets: an empty list; Variables: an empty list.
        const QByteArray propdata = "0844617461736574730E00095661726961626C65730E00";
        const QList<QByteArray> expected{
            "<?xml version=\"1.0\"?>",
            "<TqpReport ScriptLanguage=\"PascalScript\" ScriptText.text=\"begin&#13;&#10;&#13;&#10;end.&#13;&#10;\" "
            "Propdata=\"" + propdata + "\" ReportOptions.Name=\"\" ReportOptions.Author=\"\" "
            "ReportOptions.Description.text=\"\" ReportOptions.CreateDate=\"45000,5\" ReportOptions.LastChange=\"45001,25\" "
            "ReportOptions.VersionMajor=\"\" ReportOptions.VersionMinor=\"\" ReportOptions.VersionRelease=\"\" "
            "ReportOptions.VersionBuild=\"\" ReportOptions.Password=\"\">",
            // A4 as the printer measures it, 758 x 1071 units, is 210 x 297 mm;
            // margins of 36 units are 10 mm.
            "<TqpReportPage Name=\"Page1\" Orientation=\"poPortrait\" PaperWidth=\"210\" PaperHeight=\"297\" PaperSize=\"9\" "
            "LeftMargin=\"10\" RightMargin=\"10\" TopMargin=\"10\" BottomMargin=\"10\" Columns=\"0\" ColumnWidth=\"0\"/>",
            "</TqpReport>"};
        QCOMPARE(lines, expected);
    }

    void qp3FileName_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("written");
        QTest::newRow("extension replaced") << "liste.qpf" << "liste.qp3";
        QTest::newRow("last extension only") << "liste.yedek.qpf" << "liste.yedek.qp3";
        QTest::newRow("none appended") << "liste" << "liste.qp3";
    }

    void qp3FileName()
    {
        QFETCH(QString, given);
        QFETCH(QString, written);
        TqpReport r;
        reportPage(r);
        const QString target = dir.filePath(written);
        QFile::remove(target);
        r.SaveToQP3File(dir.filePath(given));
        QVERIFY(QFile::exists(target));
        QVERIFY(!r.SavingQP3);
        QVERIFY2(xmllint(target).isEmpty(), qPrintable(target));
    }

    void textObjectLineAndEscapes()
    {
        TqpReport r;
        TqpPage *page = reportPage(r);
        page->Margins = TRect{36, 36, 36, 36};
        auto *m = add<TqpMemoView>(page, QStringLiteral("Memo1"), 136, 100, 200, 40);
        m->Memo = QStringList{QStringLiteral("Adı \"Ali\""), QStringLiteral("A & B <c>")};
        m->Tag = QStringLiteral("x\"y");
        const QList<QByteArray> lines = write(r);
        QVERIFY(lintOk);
        QCOMPARE(lines.size(), 6);
        // Left 136 is written from the page's left limit of 36; the default
        // flags (stretched, word wrap) give StretchMode and no WordWrap.
        const QByteArray expected =
            "<TqpMemoView Name=\"Memo1\" Left=\"100\" Top=\"100\" Width=\"200\" Height=\"40\" Color=\"536870911\" "
            "Frame.Typ=\"0\" Frame.Width=\"1\" Frame.Color=\"0\" Frame.Style=\"0\" GapX=\"2\" GapY=\"1\" TagStr=\"x&#34;y\" "
            "Memo.text=\"Ad" + QByteArray("\xFD") + " &#34;Ali&#34;&#13;&#10;A &#38; B &#60;c&#62;&#13;&#10;\" Align=\"0\" "
            "Restrictions=\"0\" StretchMode=\"smMaxHeight\" Font.Name=\"Arial\" Font.Height=\"-13\" Font.Color=\"0\" "
            "Font.Style=\"0\" Highlight.Condition=\"\" Highlight.Font.Style=\"1\" Highlight.Font.Color=\"0\" "
            "Highlight.Color=\"16777215\" LineSpacing=\"2\" CharSpacing=\"0\" HAlign=\"0\" VAlign=\"0\"/>";
        QCOMPARE(lines.at(3), expected);
        QCOMPARE(m->Left, 136);
        // Bytes beyond ASCII: the declaration names their code page, and a
        // reader gets the Turkish text back.
        QCOMPARE(lines.at(0), QByteArray("<?xml version=\"1.0\" encoding=\"windows-1254\"?>"));
        const Element e = find(elements(lastPath), QStringLiteral("Memo1"));
        QCOMPARE(e.value(QStringLiteral("Memo.text")), QStringLiteral("Adı \"Ali\"\r\nA & B <c>\r\n"));
    }

    void textOutsideTheCodePageIsRefused()
    {
        // Nothing is written, not even part of the document, and the report
        // writes its own format again afterwards.
        TqpReport r;
        auto *m = add<TqpMemoView>(reportPage(r), QStringLiteral("Memo1"), 0, 0, 100, 20);
        m->Memo = QStringList{QStringLiteral("tamam \u2713")};
        const QString target = dir.filePath(QStringLiteral("isaret.qp3"));
        QVERIFY_THROWS_EXCEPTION(EWriteError, r.SaveToQP3File(target));
        QVERIFY(!QFile::exists(target));
        QVERIFY(!r.SavingQP3);
        m->Memo = QStringList{QStringLiteral("tamam")};
        QBuffer own;
        own.open(QIODevice::WriteOnly);
        r.SaveToStream(own);
        QCOMPARE(quint8(own.data().at(0)), quint8(qpCurrentVersion));
    }

    void textObjectFlags_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("nothing set") << 0 << 0 << QStringList{"WordWrap=False", "HAlign=0", "VAlign=0"}
                                     << QStringList{"StretchMode", "AutoWidth", "AllowExpressions", "Rotation"};
        QTest::newRow("every flag") << int(int(flStretched) | flWordWrap | flAutoWidth | flTextOnly | flSuppress | flHideZeros |
                                           flUnderlines | flRTLReading)
                                    << int(qptaJustify | qptaVertical | qptaDown)
                                    << QStringList{"StretchMode=smMaxHeight", "AutoWidth=True", "AllowExpressions=False",
                                                   "SuppressRepeated=True", "HideZeros=True", "Underlines=True",
                                                   "RTLReading=True", "HAlign=3", "VAlign=2", "Rotation=90"}
                                    << QStringList{"WordWrap"};
        QTest::newRow("centred") << int(flWordWrap) << int(qptaCenter | qptaMiddle) << QStringList{"HAlign=2", "VAlign=1"}
                                 << QStringList{"StretchMode", "WordWrap", "Rotation"};
    }

    void textObjectFlags()
    {
        QFETCH(int, flags);
        QFETCH(int, alignment);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        TqpReport r;
        auto *m = add<TqpMemoView>(reportPage(r), QStringLiteral("Memo1"), 0, 0, 100, 20);
        m->Flags = quint16(flags);
        m->Alignment = alignment;
        write(r);
        QVERIFY(lintOk);
        const Element e = find(elements(lastPath), QStringLiteral("Memo1"));
        QCOMPARE(e.name, QStringLiteral("TqpMemoView"));
        for (const QString &p : present) {
            const QStringList kv = p.split(QLatin1Char('='));
            QCOMPARE(e.value(kv[0]), kv[1]);
        }
        for (const QString &a : absent)
            QVERIFY2(!e.has(a), qPrintable(a));
    }

    void commonAttributes()
    {
        TqpReport r;
        auto *m = add<TqpLineView>(reportPage(r), QStringLiteral("Line1"), 10, 20, 300, 0);
        m->Visible = false;
        m->FrameTyp = qpftLeft | qpftBottom;
        m->FrameWidth = 2.5f;
        m->FrameColor = 0x8000000F;
        m->FillColor = 0x00FF00;
        m->BandAlign = baRest;
        m->Restrictions = rsNoScript | rsNoMove;
        m->Flags = 0;
        write(r);
        QVERIFY(lintOk);
        const Element e = find(elements(lastPath), QStringLiteral("Line1"));
        QCOMPARE(e.name, QStringLiteral("TqpLineView"));
        const QList<QPair<QString, QString>> expected{
            {"Visible", "False"}, {"Frame.Typ", "9"},      {"Frame.Width", "2,5"}, {"Frame.Color", "-2147483633"},
            {"Color", "65280"},   {"Align", "4"},          {"Restrictions", "5"},  {"Stretched", "False"}};
        for (const auto &[name, value] : expected)
            QCOMPARE(e.value(name), value);
        m->BandAlign = baTop;
        m->Restrictions = rsNoResize | rsNoDelete;
        m->Flags = flStretched;
        write(r);
        const Element again = find(elements(lastPath), QStringLiteral("Line1"));
        QCOMPARE(again.value(QStringLiteral("Align")), QStringLiteral("0"));
        QCOMPARE(again.value(QStringLiteral("Restrictions")), QStringLiteral("10"));
        QVERIFY(!again.has(QStringLiteral("Stretched")));
    }

    void scriptsBecomeProcedures()
    {
        TqpReport r;
        TqpPage *page = reportPage(r);
        page->Script = QStringList{QStringLiteral("a := 1;")};
        auto *wrapped = add<TqpMemoView>(page, QStringLiteral("Memo1"), 0, 0, 100, 20);
        wrapped->Script = QStringList{QStringLiteral("begin"), QStringLiteral("    Memo1.Visible := False;"), QStringLiteral("end")};
        auto *single = add<TqpMemoView>(page, QStringLiteral("Memo2"), 0, 30, 100, 20);
        single->Script = QStringList{QStringLiteral("b := 2;")};
        add<TqpMemoView>(page, QStringLiteral("Memo3"), 0, 60, 100, 20);
        write(r);
        QVERIFY(lintOk);
        const QList<Element> list = elements(lastPath);
        const QStringList expected{
            "procedure Page1OnBeforePrint(Sender: TqpComponent);", "begin", "  with Page1, Engine do", "  begin",
            "a := 1;", "  end", "end;", "",
            "procedure Memo1OnBeforePrint(Sender: TqpComponent);", "begin", "  with Memo1, Engine do", "  begin",
            "    Memo1.Visible := False;", "  end", "end;", "",
            "procedure Memo2OnBeforePrint(Sender: TqpComponent);", "begin", "  with Memo2, Engine do", "  begin",
            "b := 2;", "  end", "end;", "",
            "begin", "", "end.", ""};
        QCOMPARE(scriptOf(list).split(QStringLiteral("\r\n")), expected);
        QCOMPARE(list.value(1).value(QStringLiteral("OnBeforePrint")), QStringLiteral("Page1OnBeforePrint"));
        for (const char *event : {"OnBeforePrint", "OnClick", "OnActivate"}) {
            QCOMPARE(find(list, QStringLiteral("Memo1")).value(QLatin1String(event)), QStringLiteral("Memo1OnBeforePrint"));
            QVERIFY(!find(list, QStringLiteral("Memo3")).has(QLatin1String(event)));
        }
    }

    void scriptEndingKeepsItsLastLine()
    {
        // A script in its own begin and end: its body, the closing "  end",
        // then its last line with a semicolon.
        TqpReport r;
        auto *m = add<TqpMemoView>(reportPage(r), QStringLiteral("Memo1"), 0, 0, 100, 20);
        m->Script = QStringList{QStringLiteral("begin"), QStringLiteral("x := 1;"), QStringLiteral("y := 2;"),
                                QStringLiteral("end")};
        write(r);
        const QStringList lines = scriptOf(elements(lastPath)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(4, 5), (QStringList{"x := 1;", "y := 2;", "  end", "end;", ""}));
    }

    void bands_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("element");
        const QList<QPair<int, QString>> rows{
            {btReportTitle, "TqpReportTitle"}, {btReportSummary, "TqpReportSummary"}, {btPageHeader, "TqpPageHeader"},
            {btPageFooter, "TqpPageFooter"},   {btMasterHeader, "TqpHeader"},         {btMasterData, "TqpMasterData"},
            {btMasterFooter, "TqpFooter"},     {btDetailHeader, "TqpHeader"},         {btDetailData, "TqpDetailData"},
            {btDetailFooter, "TqpFooter"},     {btSubDetailHeader, "TqpHeader"},      {btSubDetailData, "TqpSubDetailData"},
            {btSubDetailFooter, "TqpFooter"},  {btOverlay, ""},                       {btColumnHeader, "TqpColumnHeader"},
            {btColumnFooter, "TqpColumnFooter"}, {btGroupHeader, "TqpGroupHeader"},   {btGroupFooter, "TqpGroupFooter"},
            {btCrossHeader, ""},               {btCrossData, ""},                     {btCrossFooter, ""},
            {btChild, "TqpChild"},             {btNone, ""}};
        for (const auto &[type, element] : rows)
            QTest::newRow(qPrintable(QString::number(type))) << type << element;
    }

    void bands()
    {
        QFETCH(int, type);
        QFETCH(QString, element);
        TqpReport r;
        TqpPage *page = reportPage(r);
        auto *b = add<TqpBandView>(page, QStringLiteral("Band1"), 0, 40, 700, 30);
        b->SetBandType(type);
        b->FormatStr = QStringLiteral("qpDBDataSet1 \"x\"");
        b->Script = QStringList{QStringLiteral("z := 1;")};
        const QList<QByteArray> lines = write(r);
        QVERIFY(lintOk);
        const QList<Element> list = elements(lastPath);
        if (element.isEmpty()) {
            // No element, no "/>", no procedure: the band leaves no trace.
            QCOMPARE(lines.size(), 5);
            QVERIFY(lines.at(3).startsWith("</TqpReportPage"));
            for (const QByteArray &line : lines)
                QVERIFY(!line.contains("Band1"));
            return;
        }
        const Element e = find(list, QStringLiteral("Band1"));
        QCOMPARE(e.name, element);
        QStringList names;
        for (const auto &a : e.attributes)
            names << a.first;
        QStringList expected{"Name", "Left", "Top", "Width", "Height", "Columns", "ColumnWidth", "ColumnGap", "OnBeforePrint"};
        if (type == btMasterData || type == btDetailData || type == btSubDetailData)
            expected << "DataSet";
        if (type == btGroupHeader)
            expected << "Condition";
        QCOMPARE(names, expected);
        if (expected.last() != QLatin1String("OnBeforePrint"))
            QCOMPARE(e.value(expected.last()), QStringLiteral("qpDBDataSet1 \"x\""));
        QVERIFY(scriptOf(list).contains(QStringLiteral("procedure Band1OnBeforePrint")));
    }

    void bandFlags()
    {
        TqpReport r;
        auto *b = add<TqpBandView>(reportPage(r), QStringLiteral("Band1"), 0, 40, 700, 30);
        b->SetBandType(btMasterHeader);
        b->Flags = flRepeatHeader;
        b->Visible = false;
        const QList<QByteArray> lines = write(r);
        QVERIFY(lintOk);
        QCOMPARE(lines.at(3).count("ReprintOnNewPage"), 1);
        const Element e = find(elements(lastPath), QStringLiteral("Band1"));
        QCOMPARE(e.value(QStringLiteral("ReprintOnNewPage")), QStringLiteral("True"));
        QCOMPARE(e.value(QStringLiteral("Visible")), QStringLiteral("False"));
        QCOMPARE(e.value(QStringLiteral("PrintOnFirstPage")), QStringLiteral("False"));
        QCOMPARE(e.value(QStringLiteral("PrintOnLastPage")), QStringLiteral("False"));
        b->Flags = int(flStretched) | flFormNewPage | flPrintIfSubsetEmpty | flBreaked | flOnFirstPage | flOnLastPage |
                   flPrintChildIfInvisible;
        write(r);
        const Element all = find(elements(lastPath), QStringLiteral("Band1"));
        for (const char *name : {"Stretched", "StartNewPage", "PrintIfDetailEmpty", "AllowSplit", "PrintChildIfInvisible"})
            QCOMPARE(all.value(QLatin1String(name)), QStringLiteral("True"));
        for (const char *name : {"PrintOnFirstPage", "PrintOnLastPage", "ReprintOnNewPage"})
            QVERIFY(!all.has(QLatin1String(name)));
    }

    void leftMarginShift()
    {
        TqpReport r;
        TqpPage *page = reportPage(r);
        page->Margins.Left = 30;
        auto *m = add<TqpMemoView>(page, QStringLiteral("Memo1"), 50, 0, 100, 20);
        auto *b = add<TqpBandView>(page, QStringLiteral("Band1"), 0, 40, 700, 30);
        TqpPage *dialog = r.Pages.Add();
        dialog->PageType = ptDialog;
        auto *d = add<TqpMemoView>(dialog, QStringLiteral("Memo2"), 50, 0, 100, 20);
        write(r);
        QVERIFY(lintOk);
        const QList<Element> list = elements(lastPath);
        QCOMPARE(find(list, QStringLiteral("Memo1")).value(QStringLiteral("Left")), QStringLiteral("20"));
        QCOMPARE(find(list, QStringLiteral("Band1")).value(QStringLiteral("Left")), QStringLiteral("-30"));
        QCOMPARE(find(list, QStringLiteral("Memo2")).value(QStringLiteral("Left")), QStringLiteral("50"));
        QCOMPARE(m->Left, 50);
        QCOMPARE(b->Left, 0);
        QCOMPARE(d->Left, 50);
    }

    void pages()
    {
        TqpReport r;
        TqpPage *page = reportPage(r);
        page->ChangePaper(9, 0, 0, -1, poLandscape);
        page->ColCount = 2;
        page->ColWidth = 300;
        page->PrintToPrevPage = true;
        page->Margins = TRect{72, 36, 108, 144};
        TqpPage *dialog = r.Pages.Add();
        dialog->PageType = ptDialog;
        dialog->Caption = QStringLiteral("Seç \"1\"");
        dialog->Script = QStringList{QStringLiteral("x := 1;")};
        add<TqpMemoView>(dialog, QStringLiteral("Memo1"), 0, 0, 10, 10);
        const QList<QByteArray> lines = write(r);
        QVERIFY(lintOk);
        const QList<Element> list = elements(lastPath);
        QCOMPARE(list.size(), 4);
        const Element &rp = list.at(1);
        QCOMPARE(rp.name, QStringLiteral("TqpReportPage"));
        const QList<QPair<QString, QString>> expected{
            {"Name", "Page1"},      {"Orientation", "poLandscape"}, {"PaperWidth", "297"}, {"PaperHeight", "210"},
            {"PaperSize", "9"},     {"LeftMargin", "20"},           {"RightMargin", "30"}, {"TopMargin", "10"},
            {"BottomMargin", "40"}, {"Columns", "2"},               {"ColumnWidth", "300"}, {"PrintOnPreviousPage", "True"}};
        QCOMPARE(rp.attributes, expected);
        // The empty report page is an empty element; the dialog page holds its object.
        QVERIFY(lines.at(2).endsWith("/>"));
        const Element &dp = list.at(2);
        QCOMPARE(dp.name, QStringLiteral("TqpDialogPage"));
        const QList<QPair<QString, QString>> dialogExpected{
            {"Name", "Page2"},   {"Height", "300"},     {"Left", "220"},          {"Top", "120"},  {"Width", "380"},
            {"BorderStyle", "3"}, {"Caption", "Seç \"1\""}, {"Color", "-2147483633"}, {"Position", "4"},
            {"OnActivate", "Page2OnBeforePrint"}};
        QCOMPARE(dp.attributes, dialogExpected);
        QCOMPARE(lines.at(lines.size() - 2), QByteArray("</TqpDialogPage>"));
    }

    void variablesAndOptions()
    {
        TqpReport r;
        reportPage(r);
        r.Dictionary.Variables.SetVariable(QStringLiteral("Baslik"), Variant(QStringLiteral("Üye")));
        r.Dictionary.Variables.SetVariable(QStringLiteral("Uzun"), Variant(QString(300, QLatin1Char('x'))));
        r.ReportName = QStringLiteral("Liste");
        r.Author = QStringLiteral("A&B");
        r.Description = QStringLiteral("iki\r\nsatır");
        r.VersionMajor = QStringLiteral("1");
        r.Password = QStringLiteral("kilit");
        write(r);
        QVERIFY(lintOk);
        const Element e = elements(lastPath).value(0);
        QByteArray block = QByteArray("\x08") + "Datasets" + "\x0E" + QByteArray(1, 0) + "\x09" + "Variables" + "\x0E";
        block += QByteArray("\x0E\x04") + "Name" + "\x06\x06" + "Baslik" + "\x05" + "Value" + "\x06\x03" + "\xDC" + "ye" +
                 QByteArray(1, 0);
        block += QByteArray("\x0E\x04") + "Name" + "\x06\x04" + "Uzun" + "\x05" + "Value" + "\x0C" +
                 QByteArray("\x2C\x01\x00\x00", 4) + QByteArray(300, 'x') + QByteArray(1, 0);
        block += QByteArray(1, 0);
        QCOMPARE(e.value(QStringLiteral("Propdata")), QString::fromLatin1(block.toHex().toUpper()));
        QCOMPARE(e.value(QStringLiteral("ReportOptions.Name")), QStringLiteral("Liste"));
        QCOMPARE(e.value(QStringLiteral("ReportOptions.Author")), QStringLiteral("A&B"));
        QCOMPARE(e.value(QStringLiteral("ReportOptions.Description.text")), QStringLiteral("iki\r\nsatır"));
        QCOMPARE(e.value(QStringLiteral("ReportOptions.VersionMajor")), QStringLiteral("1"));
        // Every code lowered by ten: "kilit" becomes "a_b_j".
        QCOMPARE(e.value(QStringLiteral("ReportOptions.Password")), QStringLiteral("a_b_j"));
    }

    void otherKinds()
    {
        TqpReport r;
        TqpPage *page = reportPage(r);
        auto *sub = add<TqpSubReportView>(page, QStringLiteral("SubReport1"), 0, 0, 100, 50);
        sub->SubPage = 1;
        auto *pic = add<TqpPictureView>(page, QStringLiteral("Picture1"), 0, 60, 40, 40);
        pic->Flags = flPictureCenter;
        auto *rich = add<TqpRichView>(page, QStringLiteral("Rich1"), 0, 120, 200, 40);
        rich->RichEdit.Document().setPlainText(QStringLiteral("Merhaba"));
        rich->Flags = int(flStretched) | flRichTextOnly;
        r.Pages.Add()->Name = QStringLiteral("Page2");
        write(r);
        QVERIFY(lintOk);
        const QList<Element> list = elements(lastPath);
        QCOMPARE(find(list, QStringLiteral("SubReport1")).name, QStringLiteral("TqpSubReportView"));
        QCOMPARE(find(list, QStringLiteral("SubReport1")).value(QStringLiteral("Page")), QStringLiteral("Page2"));
        const Element p = find(list, QStringLiteral("Picture1"));
        QCOMPARE(p.value(QStringLiteral("Stretched")), QStringLiteral("False"));
        QCOMPARE(p.value(QStringLiteral("Center")), QStringLiteral("True"));
        QCOMPARE(p.value(QStringLiteral("KeepAspectRatio")), QStringLiteral("False"));
        QVERIFY(!p.has(QStringLiteral("Picture.Propdata"))); // no graphic
        const Element e = find(list, QStringLiteral("Rich1"));
        QCOMPARE(e.name, QStringLiteral("TqpRichView"));
        QCOMPARE(e.value(QStringLiteral("StretchMode")), QStringLiteral("smMaxHeight"));
        QCOMPARE(e.value(QStringLiteral("AllowExpressions")), QStringLiteral("False"));
        const QByteArray block = QByteArray::fromHex(e.value(QStringLiteral("Propdata")).toLatin1());
        QVERIFY(block.startsWith(QByteArray("\x08RichEdit\x0A")));
        const quint32 n = quint8(block[10]) | quint8(block[11]) << 8 | quint8(block[12]) << 16 | quint32(quint8(block[13])) << 24;
        QCOMPARE(qsizetype(n), block.size() - 14);
        QVERIFY(block.mid(14).startsWith("{\\rtf"));
        QVERIFY(block.contains("Merhaba"));
    }

    void toolWritesShippedTemplates_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("member form") << "UyeForm.qpf";
        QTest::newRow("member list") << "UyeList.qpf";
    }

    void toolWritesShippedTemplates()
    {
        QFETCH(QString, name);
        const QString source = QStringLiteral(ZELVAN_TEMPLATES "/") + name;
        const QString out = dir.filePath(QFileInfo(name).completeBaseName() + QStringLiteral(".qp3"));
        QFile::remove(out);
        QProcess tool;
        tool.start(QStringLiteral(QPREPORT_BIN), {QStringLiteral("qp3"), source, QStringLiteral("-o"), out});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        const QString complaint = xmllint(out);
        QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
        const QList<Element> list = elements(out);
        QVERIFY(list.size() > 3);
        QCOMPARE(list.first().name, QStringLiteral("TqpReport"));
        QCOMPARE(list.at(1).name, QStringLiteral("TqpReportPage"));
        // Every object of the template is there, by the name it has in the template.
        TqpReport r;
        QVERIFY(r.LoadFromFile(source));
        for (const TqpView *view : r.Pages.GetPages(0)->Items)
            QVERIFY2(!find(list, view->Name).name.isEmpty(), qPrintable(view->Name));
        // The member's photograph names its field on the registration window.
        if (name == QLatin1String("UyeForm.qpf")) {
            const Element photo = find(list, QStringLiteral("Resim"));
            QCOMPARE(photo.name, QStringLiteral("TqpPictureView"));
            QCOMPARE(photo.value(QStringLiteral("DataSet")), QStringLiteral("UyeKayitForm1.Table1"));
            QCOMPARE(photo.value(QStringLiteral("DataField")), QStringLiteral("Resim"));
        }
    }

    void toolRefusesWhatItCannotRead()
    {
        const QString bad = dir.filePath(QStringLiteral("bad.qpf"));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x1A\x00", 2);
        f.close();
        for (const QString &input : {bad, dir.filePath(QStringLiteral("yok.qpf"))}) {
            QProcess tool;
            tool.start(QStringLiteral(QPREPORT_BIN), {QStringLiteral("qp3"), input, QStringLiteral("-o"),
                                                       dir.filePath(QStringLiteral("bad.qp3"))});
            QVERIFY(tool.waitForFinished(60000));
            QCOMPARE(tool.exitCode(), 1);
            QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("bad.qp3"))));
        }
    }
};

QTEST_MAIN(TestQP3)
#include "test_qp3.moc"
