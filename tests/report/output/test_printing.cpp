// Printing prepared pages: the page list, the print run as a printer
// receives it (jobs, titles, copies, pages), the print dialog and the
// progress window driven through the modal seam, the report's switch to
// another printer, and a round trip through a private CUPS server into a PDF,
// with the printer's trays as paper sources and its driver's options chosen
// in "Özellikler".

#include "cups_fixture.h"
#include "fake_printers.h"
#include "page_list.h"
#include "passw_form.h"
#include "print_form.h"
#include "printer_properties_form.h"
#include "printer.h"
#include "progress_form.h"
#include "report/core/exceptions.h"
#include "report/engine/prepared_pages.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "scripted_ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <memory>

using Pages = QList<int>;
Q_DECLARE_METATYPE(TqpPrintPages)

namespace {

// Appends a prepared page with one text object per entry of `texts`,
// written into the page's stream the way page formation writes objects.
void addPreparedPage(TqpReport &report, const QStringList &texts, TPrinterOrientation orientation = poPortrait,
                     bool useMargins = true, int left = 40, int bin = -1)
{
    // Page formation adds pages while the report is the one being built.
    CurReport = &report;
    MasterReport = &report;
    TqpPage page(9, 0, 0, bin, orientation);
    page.UseMargins = useMargins;
    page.Margins = {20, 20, 20, 20};
    TqpEMFPages &pages = report.GetEMFPages();
    pages.Add(&page);
    int top = 40;
    for (const QString &text : texts) {
        TqpMemoView memo;
        memo.SetBounds(left, top, 400, 30);
        memo.Memo = QStringList{text};
        memo.ExpandedMemo = memo.Memo;
        memo.SaveMode = smQPP;
        memo.WriteEntry(pages.CurrentStream());
        top += 40;
    }
}

// A report of `count` pages, page n saying "Sayfa n".
void fillReport(TqpReport &report, int count)
{
    for (int n = 1; n <= count; ++n)
        addPreparedPage(report, {QStringLiteral("Sayfa %1").arg(n)});
}

// The page numbers each job received, read back from the texts drawn.
QList<Pages> printedPages(const FakePrinters &printer)
{
    static const QRegularExpression pageText(QStringLiteral("^Sayfa (\\d+)$"));
    QList<Pages> jobs;
    for (const FakePrinters::Job &job : printer.jobs) {
        Pages pages;
        for (int i = 0; i < job.pages.size(); ++i)
            for (const QString &text : job.texts(i))
                if (const auto m = pageText.match(text); m.hasMatch())
                    pages << m.captured(1).toInt();
        jobs << pages;
    }
    return jobs;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
    CupsFixture m_cups;
    bool m_cupsRunning = false;
    std::unique_ptr<FakePrinters> m_printer;

private slots:
    void initTestCase()
    {
        // First of all: libcups keeps the server it finds first.
        m_cupsRunning = m_cups.start();
        qpInitModelGlobals();
    }
    void init()
    {
        m_printer = std::make_unique<FakePrinters>();
        qpPrinterStartup(m_printer.get());
    }
    void cleanup()
    {
        // The reports of a test are gone; nothing may point at them.
        CurReport = nullptr;
        MasterReport = nullptr;
        qpFreeProgressForm();
        qpReportUi = TqpReportUi();
        qpPrinterShutdown();
    }

    void pageList_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("all");
        QTest::addColumn<Pages>("pages");
        QTest::newRow("empty") << "" << 20 << true << Pages{};
        QTest::newRow("blanks only") << "   " << 20 << true << Pages{};
        QTest::newRow("numbers and a range") << "1,3,5-12" << 20 << false << Pages{1, 3, 5, 6, 7, 8, 9, 10, 11, 12};
        QTest::newRow("open range") << "5-" << 20 << false
                                    << Pages{5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
        QTest::newRow("reversed range") << "12-5" << 20 << false << Pages{};
        QTest::newRow("blanks around parts") << " 2 , 4 " << 20 << false << Pages{2, 4};
        QTest::newRow("order and repeats") << "3,1,3" << 5 << false << Pages{1, 3};
        QTest::newRow("beyond the report") << "0,21,19-2000000000" << 20 << false << Pages{19, 20};
        QTest::newRow("open range past the end") << "5-" << 3 << false << Pages{};
    }
    void pageList()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(bool, all);
        QFETCH(Pages, pages);
        const TqpPageList list = TqpPageList::Parse(text, count);
        QCOMPARE(list.All, all);
        QCOMPARE(list.Pages, pages);
        for (int n = 1; n <= count; ++n)
            QCOMPARE(list.Contains(n), all || pages.contains(n));
    }

    void pageListErrors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty part") << "1,,3";
        QTest::newRow("leading dash") << "-3";
        QTest::newRow("letters") << "1,a";
        QTest::newRow("range to letters") << "2-x";
        QTest::newRow("too large") << "99999999999";
    }
    void pageListErrors()
    {
        QFETCH(QString, text);
        QVERIFY_THROWS_EXCEPTION(EConvertError, TqpPageList::Parse(text, 20));
    }

    void printRun_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("pageNumbers");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("collate");
        QTest::addColumn<TqpPrintPages>("printPages");
        QTest::addColumn<QList<Pages>>("jobs");
        QTest::addColumn<int>("printerCopies");
        QTest::newRow("collated copies") << 3 << "" << 2 << true << qpAll << QList<Pages>{{1, 2, 3, 1, 2, 3}} << 1;
        QTest::newRow("uncollated copies") << 3 << "" << 2 << false << qpAll << QList<Pages>{{1, 2, 3}} << 2;
        QTest::newRow("even of a range") << 6 << "1-5" << 1 << true << qpEven << QList<Pages>{{2, 4}} << 1;
        QTest::newRow("odd pages") << 5 << "" << 1 << true << qpOdd << QList<Pages>{{1, 3, 5}} << 1;
        QTest::newRow("prepared order") << 5 << "3,1" << 1 << true << qpAll << QList<Pages>{{1, 3}} << 1;
        QTest::newRow("no copies count as one") << 2 << "" << 0 << false << qpAll << QList<Pages>{{1, 2}} << 1;
        QTest::newRow("nothing chosen") << 20 << "12-5" << 1 << true << qpAll << QList<Pages>{} << 0;
    }
    void printRun()
    {
        QFETCH(int, count);
        QFETCH(QString, pageNumbers);
        QFETCH(int, copies);
        QFETCH(bool, collate);
        QFETCH(TqpPrintPages, printPages);
        QFETCH(QList<Pages>, jobs);
        QFETCH(int, printerCopies);
        TqpReport report;
        fillReport(report, count);
        QVERIFY(report.PrintPreparedReport(pageNumbers, copies, collate, printPages));
        QCOMPARE(printedPages(*m_printer), jobs);
        for (const FakePrinters::Job &job : m_printer->jobs) {
            QCOMPARE(job.copies, printerCopies);
            QVERIFY(job.ended);
            QVERIFY(!job.aborted);
            QCOMPARE(job.printer, QStringLiteral("Depo"));
            // Every sheet carries exactly one page.
            for (int i = 0; i < job.pages.size(); ++i)
                QCOMPARE(job.texts(i).size(), 1);
        }
    }

    void jobTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("jobName");
        QTest::newRow("untitled") << "" << "İsimsiz";
        QTest::newRow("titled") << "Üye Formu" << "Üye Formu";
    }
    void jobTitle()
    {
        QFETCH(QString, title);
        QFETCH(QString, jobName);
        TqpReport report;
        report.Title = title;
        fillReport(report, 2);
        int jobsBeforeEvent = -1;
        report.OnPrintReport = [&] { jobsBeforeEvent = int(m_printer->jobs.size()); };
        QVERIFY(report.PrintPreparedReport(QString(), 1, true, qpAll));
        QCOMPARE(jobsBeforeEvent, 0);
        QCOMPARE(m_printer->jobs.size(), 1);
        QCOMPARE(m_printer->jobs.first().title, jobName);
    }

    void paperChangeStartsNewJob_data()
    {
        QTest::addColumn<QList<int>>("orientations");
        QTest::addColumn<QList<Pages>>("jobs");
        QTest::newRow("alternating") << QList<int>{poPortrait, poLandscape, poPortrait, poLandscape}
                                     << QList<Pages>{{1}, {2}, {3}, {4}};
        QTest::newRow("two runs") << QList<int>{poPortrait, poPortrait, poLandscape, poLandscape}
                                  << QList<Pages>{{1, 2}, {3, 4}};
        QTest::newRow("landscape first") << QList<int>{poLandscape, poPortrait} << QList<Pages>{{1}, {2}};
    }
    void paperChangeStartsNewJob()
    {
        QFETCH(QList<int>, orientations);
        QFETCH(QList<Pages>, jobs);
        TqpReport report;
        report.Title = QStringLiteral("Üye Formu");
        for (int i = 0; i < orientations.size(); ++i)
            addPreparedPage(report, {QStringLiteral("Sayfa %1").arg(i + 1)}, TPrinterOrientation(orientations.at(i)));
        QVERIFY(report.PrintPreparedReport(QString(), 1, true, qpAll));
        QCOMPARE(printedPages(*m_printer), jobs);
        for (const FakePrinters::Job &job : m_printer->jobs) {
            QCOMPARE(job.title, QStringLiteral("Üye Formu"));
            QVERIFY(job.ended);
        }
        // Each job on the paper of its pages (2 = landscape in the settings block).
        for (int j = 0; j < jobs.size(); ++j) {
            const bool landscape = orientations.at(jobs.at(j).first() - 1) == poLandscape;
            QCOMPARE(m_printer->jobs.at(j).paper.orientation, landscape ? 2 : 1);
        }
    }

    void uncollatedCopiesSurvivePaperChange()
    {
        TqpReport report;
        addPreparedPage(report, {QStringLiteral("Sayfa 1")}, poPortrait);
        addPreparedPage(report, {QStringLiteral("Sayfa 2")}, poLandscape);
        QVERIFY(report.PrintPreparedReport(QString(), 3, false, qpAll));
        QCOMPARE(printedPages(*m_printer), (QList<Pages>{{1}, {2}}));
        QCOMPARE(m_printer->jobs.at(0).copies, 3);
        QCOMPARE(m_printer->jobs.at(1).copies, 3);
    }

    void pagePlacement_data()
    {
        // The fake printer: 600 dpi, A4 of 4961 x 7016 pixels, the printable
        // area 100 pixels in from the left (758 x 1071 units, printable 727 wide).
        QTest::addColumn<bool>("useMargins");
        QTest::addColumn<int>("sheetLeft"); // where report x = 0 lands, in canvas pixels
        QTest::addColumn<double>("scale");  // canvas pixels per report unit
        QTest::newRow("margins in use: the whole sheet") << true << -100 << 4961.0 / 758;
        // Margins of 20 units: nearest(20 * 4761 / 727) = 131 on each side.
        QTest::newRow("stretched inside the margins") << false << 131 << (4761.0 - 2 * 131) / 758;
    }
    void pagePlacement()
    {
        QFETCH(bool, useMargins);
        QFETCH(int, sheetLeft);
        QFETCH(double, scale);
        TqpReport report;
        addPreparedPage(report, {QStringLiteral("Sayfa 1")}, poPortrait, useMargins, 0);
        addPreparedPage(report, {QStringLiteral("Sayfa 2")}, poPortrait, useMargins, 300);
        QVERIFY(report.PrintPreparedReport(QString(), 1, true, qpAll));
        const FakePrinters::Job &job = m_printer->jobs.first();
        const int x1 = job.pages.at(0).first().pos.x(), x2 = job.pages.at(1).first().pos.x();
        // The text sits a few units inside its object.
        QVERIFY2(x1 >= sheetLeft && x1 < sheetLeft + 10 * scale, qPrintable(QString::number(x1)));
        QVERIFY2(std::abs(x2 - x1 - 300 * scale) <= 2, qPrintable(QString::number(x2 - x1)));
    }

    void emptyPreparedReport()
    {
        TScriptedUi ui;
        TqpReport report;
        report.GetEMFPages();
        QVERIFY(!report.DoPrintReport(QString(), 1, true, qpAll));
        QVERIFY(!report.PrintPreparedReport(QString(), 1, true, qpAll));
        report.PrintPreparedReportDlg();
        QVERIFY(ui.modalShown.isEmpty());
        QCOMPARE(ui.boxes.size(), 1);
        QCOMPARE(ui.boxes.first().text, QStringLiteral("Raporda yazdırılacak sayfa yok."));
        QVERIFY(m_printer->jobs.isEmpty());
    }

    void badPageListPrintsNothing()
    {
        TScriptedUi ui;
        qpInstallProgressForm();
        TqpReport report;
        fillReport(report, 3);
        QVERIFY_THROWS_EXCEPTION(EConvertError, report.DoPrintReport(QStringLiteral("1,,3"), 1, true, qpAll));
        // Inside the progress window the error closes it and reaches the caller.
        QVERIFY_THROWS_EXCEPTION(EConvertError, report.PrintPreparedReport(QStringLiteral("-2"), 1, true, qpAll));
        QCOMPARE(ui.modalShown.size(), 1);
        QVERIFY(!qpProgressForm->isVisible());
        QVERIFY(m_printer->jobs.isEmpty());
    }

    void refusedJob()
    {
        m_printer->refuseJobs = true;
        TqpReport report;
        fillReport(report, 2);
        try {
            report.DoPrintReport(QString(), 1, true, qpAll);
            QFAIL("a refused job must be reported");
        } catch (const EqpError &e) {
            QCOMPARE(e.message(), QStringLiteral("\"Depo\" yazıcısı yazdırma işini başlatmadı."));
        }
    }

    void printDialog()
    {
        TScriptedUi ui;
        TqpReport report;
        fillReport(report, 5);
        bool currentPageOffered = true;
        int printerWhileOpen = -1;
        ui.modalActions << [&](QDialog *dialog) {
            auto *form = qobject_cast<TqpPrintForm *>(dialog);
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QStringLiteral("Yaz"));
            QCOMPARE(form->CB1->count(), 2); // the virtual printer is not offered
            QCOMPARE(form->CB1->currentIndex(), 1);
            QCOMPARE(form->CB2->currentIndex(), 0);
            QVERIFY(form->RB1->isChecked());
            currentPageOffered = form->RB2->isEnabled();
            form->CB1->setCurrentIndex(0);
            emit form->CB1->activated(0);
            printerWhileOpen = Prn->PrinterIndex;
            QTest::mouseClick(form->E2, Qt::LeftButton); // entering the list selects it
            QVERIFY(form->RB3->isChecked());
            form->E2->setText(QStringLiteral("2-4"));
            QTest::mouseClick(form->qpSpeedButton1, Qt::LeftButton);
            QTest::mouseClick(form->qpSpeedButton1, Qt::LeftButton);
            QTest::mouseClick(form->qpSpeedButton2, Qt::LeftButton);
            QCOMPARE(form->E1->text(), QStringLiteral("2"));
            QTest::mouseClick(form->Label3, Qt::LeftButton);
            QVERIFY(!form->CollateCB->isChecked());
            QTest::mouseClick(form->Button1, Qt::LeftButton);
        };
        report.PrintPreparedReportDlg();
        QCOMPARE(ui.modalShown.size(), 1);
        QVERIFY(!currentPageOffered);
        QCOMPARE(printerWhileOpen, 0);
        QCOMPARE(Prn->PrinterIndex, 0);
        QCOMPARE(printedPages(*m_printer), (QList<Pages>{{2, 3, 4}}));
        QCOMPARE(m_printer->jobs.first().printer, QStringLiteral("Ofis"));
        QCOMPARE(m_printer->jobs.first().copies, 2);
    }

    void printDialogDefaults_data()
    {
        QTest::addColumn<bool>("showDialog");
        QTest::addColumn<int>("printPages"); // chosen in CB2 when the dialog is shown
        QTest::addColumn<QList<Pages>>("jobs");
        QTest::newRow("without the dialog") << false << 0 << QList<Pages>{{1, 2, 3, 1, 2, 3}};
        QTest::newRow("even pages from the dialog") << true << 2 << QList<Pages>{{2, 2}};
    }
    void printDialogDefaults()
    {
        QFETCH(bool, showDialog);
        QFETCH(int, printPages);
        QFETCH(QList<Pages>, jobs);
        TScriptedUi ui;
        TqpReport report;
        report.ShowPrintDialog = showDialog;
        report.DefaultCopies = 2;
        report.DefaultCollate = true;
        fillReport(report, 3);
        ui.modalActions << [&](QDialog *dialog) {
            auto *form = static_cast<TqpPrintForm *>(dialog);
            QCOMPARE(form->E1->text(), QStringLiteral("2"));
            QVERIFY(form->CollateCB->isChecked());
            form->CB2->setCurrentIndex(printPages);
            form->Button1->click();
        };
        report.PrintPreparedReportDlg();
        QCOMPARE(ui.modalShown.size(), showDialog ? 1 : 0);
        QCOMPARE(printedPages(*m_printer), jobs);
    }

    void printDialogCancelRestoresPrinter()
    {
        TScriptedUi ui;
        TqpReport report;
        fillReport(report, 2);
        ui.modalActions << [](QDialog *dialog) {
            auto *form = static_cast<TqpPrintForm *>(dialog);
            form->CB1->setCurrentIndex(0);
            emit form->CB1->activated(0);
            QCOMPARE(Prn->PrinterIndex, 0);
            QTest::keyClick(form, Qt::Key_Escape);
        };
        report.PrintPreparedReportDlg();
        QCOMPARE(Prn->PrinterIndex, 1);
        QCOMPARE(m_printer->current, 1);
        QVERIFY(m_printer->jobs.isEmpty());
    }

    void copiesDownStopsAtOne()
    {
        TqpPrintForm form;
        form.E1->setText(QStringLiteral("1"));
        form.qpSpeedButton2->click();
        QCOMPARE(form.E1->text(), QStringLiteral("1"));
        form.qpSpeedButton1->click();
        QCOMPARE(form.E1->text(), QStringLiteral("2"));
    }

    // A typo in the copies must not send thousands of sheets.
    void copiesCappedAt999()
    {
        TqpPrintForm form;
        form.E1->clear();
        QTest::keyClicks(form.E1, QStringLiteral("5000"));
        QCOMPARE(form.E1->text(), QStringLiteral("500"));
        form.E1->setText(QStringLiteral("999"));
        form.qpSpeedButton1->click();
        QCOMPARE(form.E1->text(), QStringLiteral("999"));

        // A report asking for more gets the most the dialog allows.
        TScriptedUi ui;
        TqpReport report;
        report.ShowPrintDialog = false;
        report.ShowProgress = false;
        report.DefaultCopies = 5000;
        report.DefaultCollate = false;
        fillReport(report, 1);
        report.PrintPreparedReportDlg();
        QCOMPARE(m_printer->jobs.size(), 1);
        QCOMPARE(m_printer->jobs.first().copies, 999);
    }

    void collatePicture()
    {
        TqpPrintForm form;
        const QColor face = form.palette().color(QPalette::Button);
        const auto blankRows = [&](const QImage &image, int rows) {
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y) != face)
                        return false;
            return true;
        };
        const auto blankColumns = [&](const QImage &image, int columns) {
            for (int x = 0; x < columns; ++x)
                for (int y = 0; y < image.height(); ++y)
                    if (image.pixelColor(x, y) != face)
                        return false;
            return true;
        };
        form.CollateCB->setChecked(true);
        const QImage collated = form.PB1->grab().toImage();
        QCOMPARE(collated.size(), QSize(92, 53));
        QVERIFY(blankColumns(collated, 8)); // the collated sheets start at x 8
        QVERIFY(!blankRows(collated, 8));
        QTest::mouseDClick(form.Label3, Qt::LeftButton); // a double click toggles as well
        QVERIFY(!form.CollateCB->isChecked());
        const QImage uncollated = form.PB1->grab().toImage();
        QVERIFY(blankRows(uncollated, 8)); // the uncollated ones start at y 8
        QVERIFY(!blankColumns(uncollated, 8));
    }

    void progressWindow_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::newRow("untitled") << "" << "Rapor hazırlanıyor";
        QTest::newRow("titled") << "Üye Formu" << "Rapor hazırlanıyor - Üye Formu";
    }
    void progressWindow()
    {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        TScriptedUi ui;
        qpInstallProgressForm();
        TqpReport report;
        report.Title = title;
        fillReport(report, 3);
        QStringList labels;
        report.OnPrintReport = [&] { labels << qpProgressForm->Label1->text(); };
        m_printer->onBeginJob = [&] {
            QVERIFY(qpProgressForm->isVisible());
            QCOMPARE(qpProgressForm->windowTitle(), caption);
            QCOMPARE(qpProgressForm->Button1->text(), QStringLiteral("Vazgeç"));
        };
        report.OnMouseOverObject = [](TqpView *, int &) {};
        QVERIFY(report.PrintPreparedReport(QString(), 1, true, qpAll));
        labels << qpProgressForm->Label1->text();
        QCOMPARE(labels, (QStringList{"Yazılan sayfa :", "Yazılan sayfa :  3"}));
        QCOMPARE(ui.modalShown.size(), 1);
        QVERIFY(!qpProgressForm->isVisible());
        QCOMPARE(qpProgressForm->result(), 1);
        QCOMPARE(printedPages(*m_printer), (QList<Pages>{{1, 2, 3}}));
        QVERIFY(report.OnMouseOverObject);
    }

    void progressWindowCancel_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("button") << false;
        QTest::newRow("escape key") << true;
    }
    void progressWindowCancel()
    {
        QFETCH(bool, escape);
        TScriptedUi ui;
        qpInstallProgressForm();
        TqpReport report;
        fillReport(report, 3);
        // The operator cancels while the first page is going out.
        m_printer->onBeginJob = [&] {
            if (escape)
                QTest::keyClick(qpProgressForm, Qt::Key_Escape);
            else
                QTest::mouseClick(qpProgressForm->Button1, Qt::LeftButton);
        };
        QVERIFY(!report.PrintPreparedReport(QString(), 2, true, qpAll));
        QVERIFY(report.Terminated);
        QCOMPARE(qpProgressForm->result(), 2);
        QVERIFY(!qpProgressForm->isVisible());
        QCOMPARE(printedPages(*m_printer), (QList<Pages>{{1}}));
        QVERIFY(m_printer->jobs.first().aborted);
        QVERIFY(!m_printer->jobs.first().ended);
    }

    void withoutProgressWindow()
    {
        // An OnProgress handler, or ShowProgress off, prints without the window.
        TScriptedUi ui;
        qpInstallProgressForm();
        TqpReport report;
        fillReport(report, 3);
        QList<int> progress;
        bool hoverDetached = true;
        report.OnMouseOverObject = [](TqpView *, int &) {};
        report.OnProgress = [&](int n) {
            progress << n;
            hoverDetached = hoverDetached && !report.OnMouseOverObject;
        };
        QVERIFY(report.PrintPreparedReport(QStringLiteral("2-3"), 1, true, qpAll));
        QCOMPARE(progress, (QList<int>{2, 3}));
        QVERIFY(hoverDetached);
        QVERIFY(report.OnMouseOverObject);
        report.OnProgress = nullptr;
        report.ShowProgress = false;
        QVERIFY(report.PrintPreparedReport(QString(), 1, true, qpAll));
        QVERIFY(ui.modalShown.isEmpty());
        QCOMPARE(printedPages(*m_printer), (QList<Pages>{{2, 3}, {1, 2, 3}}));
    }

    void changePrinter()
    {
        TScriptedUi ui;
        qpInstallReportUi();
        TqpReport report;
        TqpPage *page = report.Pages.Add();
        report.PrinterName = QStringLiteral("Depo");

        QVERIFY(report.ChangePrinter(1, 0));
        QCOMPARE(Prn->PrinterIndex, 0);
        QCOMPARE(m_printer->current, 0);
        QCOMPARE(report.PrinterName, QStringLiteral("Ofis"));
        QCOMPARE(page->PrnInfo.DevSheetWidth, 4961); // re-fitted on the new printer

        QVERIFY(report.ChangePrinter(0, 2));
        QCOMPARE(report.PrinterName, QStringLiteral("Hayali yazıcı"));
        QVERIFY(Prn->IsVirtual());

        // A printer that cannot be read is refused and the old one stays.
        m_printer->unreadable = {1};
        QVERIFY(ui.boxes.isEmpty());
        QVERIFY(!report.ChangePrinter(2, 1));
        QCOMPARE(ui.boxes.size(), 1);
        QCOMPARE(ui.boxes.first().text, QStringLiteral("Seçilen yazıcı geçersiz"));
        QCOMPARE(ui.boxes.first().title, QStringLiteral("Hata"));
        QCOMPARE(ui.boxes.first().icon, QMessageBox::Critical);
        QCOMPARE(Prn->PrinterIndex, 2);
        QCOMPARE(report.PrinterName, QStringLiteral("Hayali yazıcı"));
    }

    void cupsRoundTrip()
    {
        if (!m_cupsRunning)
            QSKIP(qPrintable(QStringLiteral("no private CUPS server: ") + m_cups.whyNot()));
        qpPrinterShutdown();
        qpPrinterStartup(); // the system's printers: the private server's PDF queue
        QVERIFY2(Prn->PrinterNames.contains(m_cups.queue()), qPrintable(Prn->PrinterNames.join(", ")));
        Prn->SetPrinterIndex(int(Prn->PrinterNames.indexOf(m_cups.queue())));
        QVERIFY(!Prn->IsVirtual());

        TqpReport report;
        report.Title = QStringLiteral("Üye Formu");
        addPreparedPage(report, {QStringLiteral("Zelvan üye listesi"), QStringLiteral("Ahmet Yılmaz")});
        addPreparedPage(report, {QStringLiteral("İkinci sayfa"), QStringLiteral("Şule Güneş")});
        addPreparedPage(report, {QStringLiteral("Enine sayfa")}, poLandscape);
        QVERIFY(report.PrintPreparedReport(QString(), 1, true, qpAll));

        // The landscape page went out as a job of its own.
        const QStringList pdfs = m_cups.finishedPdfs(120);
        QCOMPARE(pdfs.size(), 2);
        const QStringList sent = m_cups.spooledDocuments();
        QCOMPARE(sent.size(), 2);
        // What the print system received holds every text as drawn, a form
        // feed ending each page.
        const QString portrait = CupsFixture::pdfText(sent.at(0)), landscape = CupsFixture::pdfText(sent.at(1));
        QCOMPARE(portrait.count(QLatin1Char('\f')), 2);
        QCOMPARE(landscape.count(QLatin1Char('\f')), 1);
        for (const char *expected : {"Zelvan üye listesi", "Ahmet Yılmaz", "İkinci sayfa", "Şule Güneş"})
            QVERIFY2(portrait.contains(QString::fromUtf8(expected)), qPrintable(portrait));
        QVERIFY2(landscape.contains(QLatin1String("Enine sayfa")), qPrintable(landscape));
        // The PDF printer's own files, named after the job's title. Its
        // PostScript step keeps the text of Latin letters extractable only.
        const QString printed = CupsFixture::pdfText(pdfs.at(0)) + CupsFixture::pdfText(pdfs.at(1));
        QCOMPARE(printed.count(QLatin1Char('\f')), 3);
        for (const char *expected : {"Zelvan", "Ahmet", "Enine sayfa"})
            QVERIFY2(printed.contains(QLatin1String(expected)), qPrintable(printed));
        for (const QString &pdf : pdfs)
            QVERIFY2(QFileInfo(pdf).fileName().contains(QLatin1String("ye_Formu")), qPrintable(pdf));
    }

    // The queue's trays are the paper sources; "Özellikler" lists the
    // driver's options, and what is chosen there goes with the job, as does
    // the tray a page asks for.
    void cupsSourcesAndProperties()
    {
        if (!m_cupsRunning)
            QSKIP(qPrintable(QStringLiteral("no private CUPS server: ") + m_cups.whyNot()));
        qpPrinterShutdown();
        qpPrinterStartup();
        Prn->SetPrinterIndex(int(Prn->PrinterNames.indexOf(m_cups.queue())));
        QVERIFY(!Prn->IsVirtual());
        QCOMPARE(Prn->BinTitles, (QStringList{QStringLiteral("Varsayılan"), QStringLiteral("Tray 1"),
                                              QStringLiteral("Tray 2"), QStringLiteral("Manual Feed")}));
        QCOMPARE(Prn->BinCodes, (QVector<int>{-1, 256, 257, 258}));
        QCOMPARE(Prn->BinCount, 4);

        // Jobs of earlier tests stay in the server's history.
        const qsizetype pdfsBefore = m_cups.finishedPdfs(120).size();
        const qsizetype jobsBefore = m_cups.jobAttributes().size();
        TScriptedUi ui;
        TqpReport report;
        report.ShowProgress = false;
        addPreparedPage(report, {QStringLiteral("Elle beslenen sayfa")});
        addPreparedPage(report, {QStringLiteral("İkinci kasetten")}, poPortrait, true, 40, 257);
        QStringList captions, pdfVersions;
        ui.modalActions << [&](QDialog *dialog) {
            auto *form = qobject_cast<TqpPrintForm *>(dialog);
            QVERIFY(form);
            form->PropButton->click();
            form->Button1->click();
        };
        ui.modalActions << [&](QDialog *dialog) {
            auto *form = qobject_cast<TqpPrinterPropertiesForm *>(dialog);
            QVERIFY(form);
            QVERIFY(form->windowTitle().endsWith(m_cups.queue()));
            for (const QLabel *label : form->findChildren<QLabel *>())
                captions << label->text();
            QComboBox *source = form->Choices(QStringLiteral("InputSlot"));
            QComboBox *pdf = form->Choices(QStringLiteral("PDFVer"));
            QVERIFY(source && pdf && form->Choices(QStringLiteral("Duplex")) &&
                    form->Choices(QStringLiteral("Resolution")) && form->Choices(QStringLiteral("PageSize")));
            QVERIFY(!form->Choices(QStringLiteral("PageRegion")));
            // The tray the last page asked for as it was laid out.
            QCOMPARE(source->currentText(), QStringLiteral("Tray 2"));
            QCOMPARE(form->Choices(QStringLiteral("PageSize"))->currentData().toString(), QStringLiteral("A4"));
            for (int i = 0; i < pdf->count(); ++i)
                pdfVersions << pdf->itemData(i).toString();
            source->setCurrentIndex(source->findData(QStringLiteral("Manual")));
            pdf->setCurrentIndex(pdf->findData(QStringLiteral("1.4")));
            form->Button1->click();
        };
        report.PrintPreparedReportDlg();
        QCOMPARE(ui.modalShown.size(), 2);
        for (const char *caption : {"Kağıt:", "Kağıt kaynağı:", "Çift taraflı:", "Çözünürlük:"})
            QVERIFY2(captions.contains(QString::fromUtf8(caption)), qPrintable(captions.join(", ")));
        QVERIFY2(pdfVersions.contains(QStringLiteral("1.4")), qPrintable(pdfVersions.join(", ")));

        // The second page's tray differs: a job of its own.
        QCOMPARE(m_cups.finishedPdfs(120).size(), pdfsBefore + 2);
        const QList<QByteArray> jobs = m_cups.jobAttributes().mid(jobsBefore);
        QCOMPARE(jobs.size(), 2);
        for (const QByteArray &job : jobs) {
            QVERIFY(job.contains("InputSlot"));
            QVERIFY(job.contains("PDFVer"));
        }
        QVERIFY2(jobs.at(0).contains("Manual") && !jobs.at(0).contains("Tray2"), jobs.at(0).constData());
        QVERIFY(jobs.at(1).contains("Tray2") && !jobs.at(1).contains("Manual"));
        // Cancelled, the dialog changes nothing.
        Prn->Update();
        QCOMPARE(Prn->PaperBin, 257);
        ui.modalActions << [](QDialog *dialog) { static_cast<TqpPrinterPropertiesForm *>(dialog)->Button2->click(); };
        Prn->PropertiesDlg();
        Prn->Update();
        QCOMPARE(Prn->PaperBin, 257);
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
