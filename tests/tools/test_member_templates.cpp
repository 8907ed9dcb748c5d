// The two shipped print templates: they are what the generator makes, and
// prepared over the member table they print what the operator expects; the
// tool takes the same path from template to prepared report to PDF, also
// for a treasurer's cross-tab of dues by member and year.

#include "member_generator.h"
#include "member_session.h"
#include "member_store.h"
#include "member_templates.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/expr_globals.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/model/band_view.h"
#include "report/model/subreport_view.h"
#include "report/output/printer.h"
#include "table.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QStringList &args, int *exitCode = nullptr)
{
    QProcess tool;
    tool.start(QStringLiteral(QPREPORT_BIN), args);
    tool.waitForFinished(120000);
    if (exitCode)
        *exitCode = tool.exitCode();
    return QString::fromUtf8(tool.readAllStandardOutput()) + QString::fromUtf8(tool.readAllStandardError());
}

// Prepares a template over a working folder with the tool and writes the
// result as PDF into the same folder; the PDF's path, or empty with the
// tool's message in `error`.
QString toolPdf(const QString &templateFile, const QString &folder, const QString &stem, QString &error)
{
    const QString qpp = QDir(folder).filePath(stem + QStringLiteral(".qpp"));
    const QString pdf = QDir(folder).filePath(stem + QStringLiteral(".pdf"));
    int rc = -1;
    error = run({QStringLiteral("prepare"), templateFile, QStringLiteral("--data"), folder, QStringLiteral("-o"), qpp},
                &rc);
    if (rc != 0)
        return {};
    error = run({QStringLiteral("pdf"), qpp, QStringLiteral("-o"), pdf}, &rc);
    return rc == 0 ? pdf : QString();
}

// Everything but the file's place and the moment of saving.
QString dumpWithoutDates(const QString &file)
{
    QStringList lines = run({QStringLiteral("dump"), file}).split(QLatin1Char('\n'));
    lines.removeIf([](const QString &l) {
        return l.startsWith(QLatin1String("template ")) || l.startsWith(QLatin1String("created "));
    });
    return lines.join(QLatin1Char('\n'));
}

// The texts of every text object of a prepared page, top to bottom.
QStringList pageTexts(TqpEMFPages &pages, int index)
{
    pages.ObjectsToPage(index);
    QList<TqpView *> items = pages.GetPages(index).Page->Items;
    std::stable_sort(items.begin(), items.end(),
                     [](const TqpView *a, const TqpView *b) { return a->Top < b->Top || (a->Top == b->Top && a->Left < b->Left); });
    QStringList texts;
    for (const TqpView *v : std::as_const(items))
        if (dynamic_cast<const TqpMemoView *>(v))
            texts << v->Memo.join(QLatin1Char(' '));
    return texts;
}

// Gives the member on `row` two addresses of more than 2000 characters
// (returned as their words) and thirty years of dues, 1995 to 2024, paid on
// the first of January; the next member number gets a year of 1990.
QStringList seedLongMember(const QString &folder, int row)
{
    TTable members;
    members.DatabaseName = folder;
    members.TableName = QStringLiteral("Uye.db");
    MemberStore::ConfigureTable(members);
    members.Open();
    members.First();
    members.MoveBy(row);
    const double number = members.FieldByName(QStringLiteral("KayitNo"))->AsFloat();
    QStringList words;
    for (int i = 1; words.join(QLatin1Char(' ')).size() < 2000; ++i)
        words << QStringLiteral("adres%1").arg(i, 3, 10, QLatin1Char('0'));
    members.Edit();
    members.FieldByName(QStringLiteral("EvAdresi"))->setAsString(words.join(QLatin1Char(' ')));
    members.FieldByName(QStringLiteral("IsAdresi"))->setAsString(words.join(QLatin1Char(' ')));
    members.Post();
    members.Close();
    TTable dues;
    dues.DatabaseName = folder;
    dues.TableName = QStringLiteral("Aidat.db");
    dues.Open();
    for (int year = 1995; year < 2025; ++year) {
        dues.Append();
        dues.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(number);
        dues.FieldByName(QStringLiteral("Yil"))->setAsString(QString::number(year));
        dues.FieldByName(QStringLiteral("OdemeTarihi"))->setAsDateTime(QDate(year, 1, 1).startOfDay());
        dues.FieldByName(QStringLiteral("Aidat"))->setAsFloat(100);
        dues.FieldByName(QStringLiteral("Alinan"))->setAsFloat(year < 2020 ? 100 : 40);
        dues.FieldByName(QStringLiteral("Kalan"))->setAsFloat(year < 2020 ? 0 : 60);
        dues.Post();
    }
    // Another member's dues stay out of this member's form.
    dues.Append();
    dues.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(number + 1);
    dues.FieldByName(QStringLiteral("Yil"))->setAsString(QStringLiteral("1990"));
    dues.Post();
    dues.Close();
    return words;
}

// 10 mm in report units (5/18 mm each) and in PDF points.
constexpr int kEdgeUnits = 36;
constexpr double kEdgePoints = 10 * 72 / 25.4;

struct Word {
    QString text;
    QRectF box;
    int page;
};

// Every word of a PDF with its box in points, read by pdftotext; the size of
// each page goes to `pageSizes`.
QList<Word> pdfWords(const QString &pdf, QList<QSizeF> &pageSizes)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    text.waitForFinished(60000);
    const QString html = QString::fromUtf8(text.readAllStandardOutput());
    static const QRegularExpression item(
        QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|"
                       "<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\" xMax=\"([-\\d.]+)\" yMax=\"([-\\d.]+)\">([^<]*)</word>"));
    QList<Word> words;
    for (auto it = item.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(1).isEmpty()) {
            pageSizes << QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
            continue;
        }
        words << Word{m.captured(7), QRectF(QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()),
                                            QPointF(m.captured(5).toDouble(), m.captured(6).toDouble())),
                      int(pageSizes.size())};
    }
    return words;
}

} // namespace

class TestMemberTemplates : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString shipped(const char *name) const { return QDir(QStringLiteral(SHIPPED_TEMPLATES)).filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        qpInitExpressionGlobals();
        qpInitModelGlobals();
        qpPrinterStartup();
        MemberStore::PrepareWorkingFolder(m_dir.path());
        generateMembers(QDir(m_dir.path()).filePath(QStringLiteral("Uye.db")), 50);
    }
    void cleanupTestCase()
    {
        qpPrinterShutdown();
        qpDoneModelGlobals();
        qpDoneExpressionGlobals();
    }

    void shippedTemplatesAreWhatTheGeneratorMakes()
    {
        QTemporaryDir out;
        int rc = -1;
        run({QStringLiteral("templates"), out.path()}, &rc);
        QCOMPARE(rc, 0);
        for (const char *name : {"UyeForm.qpf", "UyeList.qpf"}) {
            const QString fresh = dumpWithoutDates(QDir(out.path()).filePath(QLatin1String(name)));
            QVERIFY2(fresh.contains(QLatin1String("object ")), qPrintable(fresh.left(300)));
            QCOMPARE(dumpWithoutDates(shipped(name)), fresh);
        }
    }

    // Every member in cursor order, a count, the date and "Sayfa n / m".
    void memberListPrintsEveryMember()
    {
        TMemberSession session(m_dir.path());
        QCOMPARE(session.Prepare(shipped("UyeList.qpf")), QString());
        TqpEMFPages &pages = session.qpReport1->GetEMFPages();
        QVERIFY(pages.GetCount() >= 2);
        QStringList all;
        for (int i = 0; i < pages.GetCount(); ++i) {
            const QStringList texts = pageTexts(pages, i);
            QVERIFY2(texts.contains(QStringLiteral("Sayfa %1 / %2").arg(i + 1).arg(pages.GetCount())),
                     qPrintable(texts.join(QLatin1Char('|'))));
            QVERIFY(texts.contains(QStringLiteral("ÜYE LİSTESİ")));
            all << texts;
        }
        QVERIFY(all.contains(QStringLiteral("Toplam üye sayısı: 50")));
        QVERIFY(all.contains(QStringLiteral("Baskı tarihi: ") + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))));
        // The names appear in the cursor's order.
        session.Table1->First();
        int at = 0;
        while (!session.Table1->Eof()) {
            const QString name = session.Table1->FieldByName(QStringLiteral("AdiSoyadi"))->AsString();
            const int found = int(all.indexOf(name, at));
            QVERIFY2(found >= at, qPrintable(name));
            at = found + 1;
            session.Table1->Next();
        }
    }

    void memberListFollowsTheCursorFilter()
    {
        TMemberSession session(m_dir.path());
        session.Table1->setFilter(QStringLiteral("[KayitNo]='7'"));
        session.Table1->setFiltered(true);
        QCOMPARE(session.Prepare(shipped("UyeList.qpf")), QString());
        QCOMPARE(session.qpReport1->GetEMFPages().GetCount(), 1);
        QVERIFY(pageTexts(session.qpReport1->GetEMFPages(), 0).contains(QStringLiteral("Toplam üye sayısı: 1")));
    }

    // The current member only, on one page, money in Turkish form.
    void memberFormPrintsTheCurrentMember()
    {
        TMemberSession session(m_dir.path());
        session.Table1->First();
        session.Table1->MoveBy(11);
        const QString name = session.Table1->FieldByName(QStringLiteral("AdiSoyadi"))->AsString();
        QCOMPARE(session.Prepare(shipped("UyeForm.qpf")), QString());
        QCOMPARE(session.qpReport1->GetEMFPages().GetCount(), 1);
        const QStringList texts = pageTexts(session.qpReport1->GetEMFPages(), 0);
        QVERIFY2(texts.contains(name), qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(texts.contains(QStringLiteral("12")));
        QVERIFY(texts.contains(QStringLiteral("120,00 TL")));
        QVERIFY(texts.contains(QStringLiteral("Nüfus Hüviyet Bilgileri")));
        // The cursor stays on the member that was printed.
        QCOMPARE(session.Table1->FieldByName(QStringLiteral("AdiSoyadi"))->AsString(), name);
    }

    // A member with thirty years of dues and long addresses: the addresses
    // grow and split across pages with every word kept in order, and the
    // dues sub-report prints every year in order and the totals.
    void memberFormPrintsDuesAndLongAddresses()
    {
        const QStringList words = seedLongMember(m_dir.path(), 20);
        TMemberSession session(m_dir.path());
        session.Table1->First();
        session.Table1->MoveBy(20);
        QCOMPARE(session.Prepare(shipped("UyeForm.qpf")), QString());
        TqpEMFPages &pages = session.qpReport1->GetEMFPages();
        QVERIFY(pages.GetCount() >= 2);
        QStringList all;
        QList<int> pageOfText;
        for (int i = 0; i < pages.GetCount(); ++i)
            for (const QString &t : pageTexts(pages, i)) {
                all << QString(t).remove(QChar(1));
                pageOfText << i;
            }
        int at = 0;
        for (int year = 1995; year < 2025; ++year) {
            const int found = int(all.indexOf(QString::number(year), at));
            QVERIFY2(found >= at, qPrintable(QString::number(year)));
            at = found + 1;
        }
        QVERIFY(!all.contains(QStringLiteral("1990")));
        QVERIFY2(all.indexOf(QStringLiteral("Toplam"), at) > 0, qPrintable(all.join(QLatin1Char('|'))));
        QVERIFY(all.contains(QStringLiteral("3.000,00 TL")));
        QVERIFY(all.contains(QStringLiteral("2.700,00 TL")));
        QVERIFY(all.contains(QStringLiteral("300,00 TL")));
        // Both addresses whole and in order; the pieces of one of them lie
        // on two pages.
        QStringList printedWords;
        QSet<int> addressPages;
        for (int i = 0; i < all.size(); ++i)
            if (all.at(i).startsWith(QLatin1String("adres"))) {
                printedWords << all.at(i).split(QLatin1Char(' '), Qt::SkipEmptyParts);
                addressPages.insert(pageOfText.at(i));
            }
        QCOMPARE(printedWords, words + words);
        QVERIFY(addressPages.size() >= 2);
    }

    // The same form through the tool: every year and every address word
    // reaches the PDF, in order.
    void toolPrintsTheMemberFormToPdf()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; make deps installs it");
        QTemporaryDir dir;
        MemberStore::PrepareWorkingFolder(dir.path());
        generateMembers(QDir(dir.path()).filePath(QStringLiteral("Uye.db")), 1);
        const QStringList words = seedLongMember(dir.path(), 0);
        const QString qpp = QDir(dir.path()).filePath(QStringLiteral("form.qpp"));
        const QString pdf = QDir(dir.path()).filePath(QStringLiteral("form.pdf"));
        int rc = -1;
        QString out = run({QStringLiteral("prepare"), shipped("UyeForm.qpf"), QStringLiteral("--data"), dir.path(),
                           QStringLiteral("-o"), qpp},
                          &rc);
        QVERIFY2(rc == 0, qPrintable(out));
        out = run({QStringLiteral("pdf"), qpp, QStringLiteral("-o"), pdf}, &rc);
        QVERIFY2(rc == 0, qPrintable(out));
        QProcess text;
        text.start(pdftotext, {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(60000));
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        QStringList printed;
        for (const QRegularExpressionMatch &m : QRegularExpression(QStringLiteral("\\badres\\d+")).globalMatch(content))
            printed << m.captured();
        QCOMPARE(printed, words + words);
        qsizetype at = 0;
        for (int year = 1995; year < 2025; ++year) {
            at = content.indexOf(QStringLiteral("01.01.%1").arg(year), at);
            QVERIFY2(at >= 0, qPrintable(QString::number(year)));
        }
        QVERIFY(!content.contains(QStringLiteral("1990")));
        QVERIFY(content.indexOf(QStringLiteral("Toplam"), at) > at);
        QVERIFY(content.count(QStringLiteral("\f")) >= 2); // more than one page
    }

    void toolPreparesAndWritesPdf()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        const QString qpp = QDir(m_dir.path()).filePath(QStringLiteral("liste.qpp"));
        const QString pdf = QDir(m_dir.path()).filePath(QStringLiteral("liste.pdf"));
        int rc = -1;
        QString out = run({QStringLiteral("prepare"), shipped("UyeList.qpf"), QStringLiteral("--data"), m_dir.path(),
                           QStringLiteral("-o"), qpp},
                          &rc);
        QVERIFY2(rc == 0, qPrintable(out));
        out = run({QStringLiteral("pdf"), qpp, QStringLiteral("-o"), pdf}, &rc);
        QVERIFY2(rc == 0, qPrintable(out));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; make deps installs it");
        QProcess text;
        text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(60000));
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(content.contains(QStringLiteral("ÜYE LİSTESİ")), qPrintable(content.left(500)));
        QVERIFY(content.contains(QRegularExpression(QStringLiteral("Sayfa 1 / \\d"))));
        QVERIFY(content.contains(QStringLiteral("Toplam üye sayısı: 50")));

        // A template that is not there is a one-line error.
        out = run({QStringLiteral("prepare"), QStringLiteral("/yok/UyeList.qpf"), QStringLiteral("--data"), m_dir.path(),
                   QStringLiteral("-o"), qpp},
                  &rc);
        QCOMPARE(rc, 1);
        QVERIFY(out.contains(QLatin1String("qpreport:")));
    }

    // Data the Turkish code page cannot hold prints with "?" in its place,
    // one per character, and stops nothing; a member without dates or dues
    // prints those places blank, not as 30.12.1899 or 0,00 TL.
    void membersBeyondTheCodePageAndBlankValuesPrint()
    {
        QTemporaryDir folder;
        MemberStore::PrepareWorkingFolder(folder.path());
        {
            TTable members;
            members.DatabaseName = folder.path();
            members.TableName = QStringLiteral("Uye.db");
            MemberStore::ConfigureTable(members);
            members.Open();
            int no = 0;
            for (const QString &name : {QStringLiteral("Ayşe Yılmaz"), QStringLiteral("Əli Ünal 😀"), QStringLiteral("Zeynep Kaya")}) {
                members.Append();
                members.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(++no);
                members.FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(name);
                members.Post();
            }
        }
        const QStringList printed{QStringLiteral("Ayşe Yılmaz"), QStringLiteral("?li Ünal ?"), QStringLiteral("Zeynep Kaya")};
        {
            TMemberSession session(folder.path());
            QCOMPARE(session.Prepare(shipped("UyeList.qpf")), QString());
            const QStringList texts = pageTexts(session.qpReport1->GetEMFPages(), 0);
            for (const QString &name : printed)
                QVERIFY2(texts.contains(name), qPrintable(texts.join(QLatin1Char('|'))));
            QVERIFY(texts.contains(QStringLiteral("Toplam üye sayısı: 3")));
        }
        {
            TMemberSession session(folder.path());
            session.Table1->First();
            session.Table1->Next();
            QCOMPARE(session.Prepare(shipped("UyeForm.qpf")), QString());
            const QStringList texts = pageTexts(session.qpReport1->GetEMFPages(), 0);
            QVERIFY2(texts.contains(printed.at(1)), qPrintable(texts.join(QLatin1Char('|'))));
            for (const QString &text : texts)
                QVERIFY2(!text.contains(QLatin1String("1899")), qPrintable(text));
            // Dues and paid are blank; only the computed balance is a zero.
            QCOMPARE(texts.count(QStringLiteral("0,00 TL")), 1);
        }
        // The tool writes the same into a prepared-report file.
        const QString qpp = QDir(folder.path()).filePath(QStringLiteral("liste.qpp"));
        int rc = -1;
        const QString out = run({QStringLiteral("prepare"), shipped("UyeList.qpf"), QStringLiteral("--data"),
                                 folder.path(), QStringLiteral("-o"), qpp},
                                &rc);
        QVERIFY2(rc == 0, qPrintable(out));
        TqpReport loaded;
        loaded.GetEMFPages().LoadFromFile(qpp);
        const QStringList texts = pageTexts(loaded.GetEMFPages(), 0);
        for (const QString &name : printed)
            QVERIFY2(texts.contains(name), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // A real printer leaves a border of a few millimetres unprinted: every
    // object of both templates lies inside the printable area of A4 and at
    // least 10 mm from every edge of the paper.
    void templatesStayInsideThePaper_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("member form") << QStringLiteral("UyeForm.qpf");
        QTest::newRow("member list") << QStringLiteral("UyeList.qpf");
    }
    void templatesStayInsideThePaper()
    {
        QFETCH(QString, name);
        TqpReport report;
        report.LoadFromFile(QDir(QStringLiteral(SHIPPED_TEMPLATES)).filePath(name));
        const TqpPage &page = *report.Pages.GetPages(0);
        QCOMPARE(QSize(page.PaperWidth, page.PaperHeight), QSize(2100, 2970)); // A4, tenths of a millimetre
        // The paper in report units of 5/18 mm: 756 x 1069.
        const QRect paper = QRect(0, 0, 756, 1069).adjusted(kEdgeUnits, kEdgeUnits, -kEdgeUnits, -kEdgeUnits);
        const TqpPrnInfo &prn = page.PrnInfo;
        const QRect printable(prn.SheetOffsetX, prn.SheetOffsetY, prn.PrintWidth, prn.PrintHeight);
        QVERIFY(page.Items.size() > 10);
        for (const TqpView *v : page.Items) {
            // Lines have no height: their box is their length.
            const QRect box(v->Left, v->Top, std::max(v->Width, 1), std::max(v->Height, 1));
            QVERIFY2(paper.contains(box) && printable.contains(box),
                     qPrintable(QStringLiteral("%1 at %2,%3 size %4x%5").arg(v->Name).arg(v->Left).arg(v->Top)
                                    .arg(v->Width).arg(v->Height)));
        }
        // The other pages print inside the sub-report objects that show
        // them, so they must fit those objects' width.
        for (const TqpView *v : page.Items) {
            const auto *sub = dynamic_cast<const TqpSubReportView *>(v);
            if (!sub)
                continue;
            QVERIFY(sub->SubPage > 0 && sub->SubPage < report.Pages.GetCount());
            for (const TqpView *inner : report.Pages.GetPages(sub->SubPage)->Items)
                if (!dynamic_cast<const TqpBandView *>(inner)) // a band is a frame in the designer only
                    QVERIFY2(inner->Left >= 0 && inner->Left + inner->Width <= sub->Width,
                             qPrintable(QStringLiteral("%1 at %2 width %3 in %4 wide").arg(inner->Name).arg(inner->Left)
                                            .arg(inner->Width).arg(sub->Width)));
        }
    }

    // The same from the printed result: every word of the PDF that the
    // tool writes lies at least 10 mm inside the paper's edges.
    void printedWordsStayInsideThePaper_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("member form") << QStringLiteral("UyeForm.qpf");
        QTest::newRow("member list") << QStringLiteral("UyeList.qpf");
    }
    void printedWordsStayInsideThePaper()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; make deps installs it");
        QFETCH(QString, name);
        QString error;
        const QString pdf = toolPdf(shipped(name.toLatin1().constData()), m_dir.path(), name, error);
        QVERIFY2(!pdf.isEmpty(), qPrintable(error));
        QList<QSizeF> pages;
        const QList<Word> words = pdfWords(pdf, pages);
        QVERIFY(!pages.isEmpty());
        QVERIFY(words.size() > 40);
        for (const QSizeF &size : std::as_const(pages)) // A4 in points
            QVERIFY2(qAbs(size.width() - 595.3) < 1 && qAbs(size.height() - 841.9) < 1,
                     qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
        for (const Word &w : words) {
            const QSizeF paper = pages.at(w.page - 1);
            const QRectF inside(kEdgePoints, kEdgePoints, paper.width() - 2 * kEdgePoints, paper.height() - 2 * kEdgePoints);
            QVERIFY2(inside.contains(w.box), qPrintable(QStringLiteral("\"%1\" on page %2 at %3,%4 - %5,%6")
                                                          .arg(w.text).arg(w.page).arg(w.box.left()).arg(w.box.top())
                                                          .arg(w.box.right()).arg(w.box.bottom())));
        }
    }

    // The treasurer's table through the tool: twelve members down the page,
    // the years 2015 to 2024 across, so wide that the last four years and
    // the members' totals go to the page beside the first, at the same
    // heights and after the repeated names. Every cell, every year's total
    // and every member's total is read back from the PDF.
    void duesTableThroughTheTool()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; make deps installs it");
        QTemporaryDir data;
        MemberStore::PrepareWorkingFolder(data.path());
        constexpr int members = 12, firstYear = 2015, years = 10;
        generateMembers(QDir(data.path()).filePath(QStringLiteral("Uye.db")), members);
        // Member m pays 10·m + the year's last two digits, except in the
        // years where m + year divides by 3; member 1 paid 2016 in two parts.
        const auto amount = [](int m, int year) { return (m + year) % 3 == 0 ? 0 : 10 * m + year % 100; };
        {
            TTable dues;
            dues.DatabaseName = data.path();
            dues.TableName = QStringLiteral("Aidat.db");
            dues.Open();
            for (int m = 1; m <= members; ++m)
                for (int year = firstYear; year < firstYear + years; ++year) {
                    const int paid = amount(m, year);
                    if (paid == 0)
                        continue;
                    const QList<int> parts = m == 1 && year == 2016 ? QList<int>{paid - 5, 5} : QList<int>{paid};
                    for (int part : parts) {
                        dues.Append();
                        dues.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(m);
                        dues.FieldByName(QStringLiteral("Yil"))->setAsString(QString::number(year));
                        dues.FieldByName(QStringLiteral("Alinan"))->setAsFloat(part);
                        dues.Post();
                    }
                }
            // A year outside the table counts nowhere.
            dues.Append();
            dues.FieldByName(QStringLiteral("KayitNo"))->setAsFloat(2);
            dues.FieldByName(QStringLiteral("Yil"))->setAsString(QStringLiteral("2010"));
            dues.FieldByName(QStringLiteral("Alinan"))->setAsFloat(999);
            dues.Post();
        }
        const QString qpf = QDir(data.path()).filePath(QStringLiteral("AidatTablosu.qpf"));
        {
            TqpReport report;
            CurReport = &report;
            qpBuildDuesTable(report, firstYear, years);
            report.SaveToFile(qpf);
            CurReport = nullptr;
        }
        QString error;
        const QString pdf = toolPdf(qpf, data.path(), QStringLiteral("aidat"), error);
        QVERIFY2(!pdf.isEmpty(), qPrintable(error));
        QList<QSizeF> pages;
        const QList<Word> words = pdfWords(pdf, pages);
        QCOMPARE(pages.size(), 2);

        // Rows by the member's name on each page, in the order printed.
        TTable names;
        names.DatabaseName = data.path();
        names.TableName = QStringLiteral("Uye.db");
        MemberStore::ConfigureTable(names);
        names.Open();
        QStringList memberNames;
        for (names.First(); !names.Eof(); names.Next())
            memberNames << names.FieldByName(QStringLiteral("AdiSoyadi"))->AsString();
        QCOMPARE(memberNames.size(), members);
        // The words of one printed line (same baseline) of a page, left to right.
        const auto line = [&](int page, double y) {
            QList<Word> row;
            for (const Word &w : words)
                if (w.page == page && qAbs(w.box.bottom() - y) < 0.5)
                    row << w;
            std::sort(row.begin(), row.end(), [](const Word &a, const Word &b) { return a.box.left() < b.box.left(); });
            QStringList texts;
            for (const Word &w : row)
                texts << w.text;
            return texts;
        };
        const auto money = [](int value) {
            return QLocale(QLocale::Turkish).toString(double(value), 'f', 2);
        };
        double headerY = -1;
        for (const Word &w : words)
            if (w.page == 1 && w.text == QStringLiteral("Üye"))
                headerY = w.box.bottom();
        QVERIFY(headerY > 0);
        QCOMPARE(line(1, headerY), (QStringList{"Üye", "2015", "2016", "2017", "2018", "2019", "2020"}));
        QCOMPARE(line(2, headerY), (QStringList{"Üye", "2021", "2022", "2023", "2024", "Toplam"}));

        // Each member's row: the same baseline on both pages.
        QList<int> yearTotals(years);
        int grandTotal = 0;
        for (int m = 1; m <= members; ++m) {
            const QString name = memberNames.at(m - 1);
            double y = -1;
            for (const Word &w : words)
                if (w.page == 1 && name.startsWith(w.text) && w.box.left() < 100 && w.box.bottom() > headerY &&
                    line(1, w.box.bottom()).join(QLatin1Char(' ')).startsWith(name))
                    y = w.box.bottom();
            QVERIFY2(y > 0, qPrintable(name));
            QStringList left = name.split(QLatin1Char(' ')), right = left;
            int total = 0;
            for (int i = 0; i < years; ++i) {
                const int paid = amount(m, firstYear + i);
                total += paid;
                yearTotals[i] += paid;
                if (paid)
                    (i < 6 ? left : right) << money(paid);
            }
            grandTotal += total;
            right << money(total);
            QCOMPARE(line(1, y), left);
            QCOMPARE(line(2, y), right);
        }
        // The totals row under the last member.
        double footerY = -1;
        for (const Word &w : words)
            if (w.page == 1 && w.text == QStringLiteral("toplamı"))
                footerY = w.box.bottom();
        QVERIFY(footerY > 0);
        QStringList left{"Yıl", "toplamı"}, right = left;
        for (int i = 0; i < years; ++i)
            (i < 6 ? left : right) << money(yearTotals.at(i));
        right << money(grandTotal);
        QCOMPARE(line(1, footerY), left);
        QCOMPARE(line(2, footerY), right);
    }

    // The photo field holds whatever picture file the operator chose; the
    // tool prepares the shipped member form with it, and the prepared page
    // carries the photo's own bytes.
    void memberFormPrintsThePhoto_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("kind");
        QTest::newRow("camera JPEG") << QByteArray("JPEG") << int(gkJPEG);
        QTest::newRow("PNG") << QByteArray("PNG") << int(gkBitmap);
    }
    void memberFormPrintsThePhoto()
    {
        QFETCH(QByteArray, format);
        QFETCH(int, kind);
        QTemporaryDir data;
        MemberStore::PrepareWorkingFolder(data.path());
        generateMembers(QDir(data.path()).filePath(QStringLiteral("Uye.db")), 3);
        QImage image(80, 60, QImage::Format_RGB32);
        image.fill(QColor(0x20, 0x60, 0xA0));
        QByteArray photo;
        QBuffer buffer(&photo);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, format.constData()));
        {
            TTable members;
            members.DatabaseName = data.path();
            members.TableName = QStringLiteral("Uye.db");
            members.Open();
            members.First();
            members.Edit();
            static_cast<TBlobField *>(members.FieldByName(QStringLiteral("Resim")))->setAsBytes(photo);
            members.Post();
        }
        const QString qpp = QDir(data.path()).filePath(QStringLiteral("form.qpp"));
        int rc = -1;
        const QString out = run({QStringLiteral("prepare"), shipped("UyeForm.qpf"), QStringLiteral("--data"), data.path(),
                                 QStringLiteral("-o"), qpp},
                                &rc);
        QVERIFY2(rc == 0, qPrintable(out));
        TqpReport prepared;
        prepared.LoadPreparedReport(qpp);
        TqpEMFPages &pages = prepared.GetEMFPages();
        QCOMPARE(pages.GetCount(), 1);
        pages.ObjectsToPage(0);
        const TqpPictureView *printed = nullptr;
        for (const TqpView *v : std::as_const(pages.GetPages(0).Page->Items))
            if (const auto *p = dynamic_cast<const TqpPictureView *>(v))
                printed = p;
        QVERIFY(printed);
        QCOMPARE(int(printed->Picture.Kind()), kind);
        QCOMPARE(printed->Picture.Data(), photo);
        QCOMPARE(printed->Picture.Size(), QSize(80, 60));
    }
};

QTEST_MAIN(TestMemberTemplates)
#include "test_member_templates.moc"
