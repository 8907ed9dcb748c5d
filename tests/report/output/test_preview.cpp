// The preview window over prepared pages built here in code: page layout at
// fixed and fitted zooms, the zoom carried from one preview to the next,
// paging keys, page links and hover hints, saving and reloading prepared
// reports and the export entries of the save dialog, the buttons a report
// asks for, page setup, the embeddable control, the stored window
// placement, and what the page box paints.

#include "fake_printers.h"
#include "report/core/exceptions.h"
#include "report/core/settings_store.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/expr_globals.h"
#include "report/model/memo_view.h"
#include "report/model/rich_view.h"
#include "report/model/model_globals.h"
#include "report/model/report.h"
#include "report/output/preview.h"
#include "report/output/preview_form.h"
#include "report/output/preview_search.h"
#include "report/output/print_form.h"
#include "scripted_ui.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

// A4 portrait under the virtual printer: 758 by 1071 report units.
constexpr int kSheetWidth = 758;

struct PageObject {
    QString name, text, tag;
    int left, top, width, height;
};

// A report with A4 prepared pages; every page carries a text with its
// number, and the objects listed for it.
std::unique_ptr<TqpReport> makePages(const QList<QList<PageObject>> &perPage)
{
    auto report = std::make_unique<TqpReport>();
    TqpEMFPages &pages = report->GetEMFPages();
    TqpPage paper(9, 2100, 2970, -1, poPortrait);
    for (int i = 0; i < perPage.size(); ++i) {
        pages.Add(&paper);
        const QList<PageObject> objects =
            QList<PageObject>{{QStringLiteral("Memo1"), QStringLiteral("Sayfa %1 metni").arg(i + 1), QString(), 60, 60,
                               400, 40}} +
            perPage.at(i);
        for (const PageObject &o : objects) {
            TqpMemoView view;
            view.Name = o.name;
            view.Memo = o.text.split(QLatin1Char('\n'));
            view.Tag = o.tag;
            view.SetBounds(o.left, o.top, o.width, o.height);
            view.FrameTyp = qpftLeft | qpftTop | qpftRight | qpftBottom;
            view.SaveMode = smQPP;
            view.ExpandedMemo = view.Memo;
            view.WriteEntry(pages.CurrentStream());
        }
    }
    return report;
}

// `count` pages; `extra` objects go on the first page.
std::unique_ptr<TqpReport> makeReport(int count, const QList<PageObject> &extra = {})
{
    QList<QList<PageObject>> perPage(count);
    if (count)
        perPage.first() = extra;
    return makePages(perPage);
}

// A preview window shown with a page box of the given size: the vertical
// bar panel (16) beside it, the toolbar (33) and status panel (18) around it.
std::unique_ptr<TqpPreviewForm> previewOf(TqpReport &report, QSize box = QSize(800, 600))
{
    auto form = std::make_unique<TqpPreviewForm>();
    form->Connect(&report);
    form->InitButtons();
    form->resize(box + QSize(16, 33 + 18));
    form->show();
    form->RedrawAll(true);
    return form;
}

TRect rectOf(const TqpPreviewForm &form, int page) { return form.Pages()->GetPages(page - 1).PreviewRect; }

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The operator types a name into the save dialog and confirms it.
void typeFileName(QFileDialog *dialog, const QString &path)
{
    dialog->setDirectory(QFileInfo(path).path());
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(QFileInfo(path).fileName());
    static_cast<QDialog *>(dialog)->accept(); // the file dialog's own checks run
}

// The page box point over report point (x, y) of a page.
QPoint boxPoint(const TqpPreviewForm &form, int page, int x, int y)
{
    const TRect r = rectOf(form, page);
    return QPoint(r.Left + qRound(x * form.Scale()) - form.HScrollBar->value(),
                  r.Top + qRound(y * form.Scale()) - form.VScrollBar->value());
}

} // namespace

class TestPreview : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir;
    FakePrinters printers;
    std::unique_ptr<TScriptedUi> ui;

    void usePrinters(bool installed)
    {
        printers.names = installed ? QStringList{QStringLiteral("Ofis"), QStringLiteral("Depo")} : QStringList{};
        printers.mode = {};
        printers.jobs.clear();
        Prn->SetPrinter(&printers);
    }

    // Runs the search dialog as the operator fills it.
    void find(TqpPreviewForm &form, const QString &text, bool caseSensitive = false, bool fromCurrent = false)
    {
        ui->modalActions << [=](QDialog *d) {
            auto *f = qobject_cast<TqpPreviewSearchForm *>(d);
            QVERIFY(f);
            f->Edit1->setText(text);
            f->CB1->setChecked(caseSensitive);
            (fromCurrent ? f->RB2 : f->RB1)->setChecked(true);
            f->Button1->click();
        };
        form.FindBtnClick();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(settingsDir.isValid());
        QApplication::setApplicationName(QStringLiteral("Zelvan"));
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        qpPrinterStartup(&printers);
        qpInitModelGlobals();
        qpInitExpressionGlobals();
    }

    void init()
    {
        usePrinters(false);
        SavedZoom = 1;
        SavedZoomMode = mdNone;
        qpPreviewExports.clear();
        ui = std::make_unique<TScriptedUi>();
    }

    void cleanup()
    {
        ui.reset();
        // Showing makes the report current and master; it is gone now.
        CurReport = MasterReport = nullptr;
    }

    void cleanupTestCase()
    {
        qpDoneExpressionGlobals();
        qpDoneModelGlobals();
        qpPrinterShutdown();
    }

    void layoutAtFixedZoom_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QList<QRect>>("rects"); // left, top, width, height of pages 1 to 3
        QTest::addColumn<QString>("caption");
        // One page a row, centred: (800 - 758) div 2 = 21.
        QTest::newRow("100%") << 1.0
                              << QList<QRect>{{21, 10, 758, 1071}, {21, 1091, 758, 1071}, {21, 2172, 758, 1071}}
                              << QStringLiteral("100%");
        // 379 + 10 + 379 + 10 + 10 fits into 800: two a row.
        QTest::newRow("50%") << 0.5 << QList<QRect>{{10, 10, 379, 536}, {399, 10, 379, 536}, {10, 556, 379, 536}}
                             << QStringLiteral("50%");
    }

    void layoutAtFixedZoom()
    {
        QFETCH(double, zoom);
        QFETCH(QList<QRect>, rects);
        QFETCH(QString, caption);
        SavedZoom = zoom;
        auto report = makeReport(3);
        auto form = previewOf(*report);
        QCOMPARE(form->PBox->size(), QSize(800, 600));
        for (int page = 1; page <= 3; ++page)
            QCOMPARE(rectOf(*form, page).toQRect(), rects[page - 1]);
        QCOMPARE(form->ZoomBtn->text(), caption);
        QVERIFY(!form->HScrollBar->isEnabled());
        // The bottom of the last page, less the box height, plus the 10-pixel margin.
        QCOMPARE(form->VScrollBar->maximum(), rects[2].bottom() + 1 - 600 + 10);
        QCOMPARE(form->Label1->text(), QStringLiteral("Sayfa 1/3"));
    }

    void twoPagesZoom()
    {
        auto report = makeReport(3);
        auto form = previewOf(*report);
        form->N3Click(mdTwoPages);
        QCOMPARE(form->Scale(), (800 - 30) / (2.0 * kSheetWidth));
        QCOMPARE(form->ScaleMode(), mdTwoPages);
        QCOMPARE(form->ZoomBtn->text(), QStringLiteral("51%"));
        QCOMPARE(form->ZoomGroup->checkedAction()->data().toInt(), int(mdTwoPages));
        QCOMPARE(rectOf(*form, 1).Left, 10);
        QCOMPARE(rectOf(*form, 2).Left, 10 + rectOf(*form, 1).Width() + 10);
        QCOMPARE(rectOf(*form, 3).Left, 10);
        QCOMPARE(SavedZoomMode, mdTwoPages);
    }

    void zoomCarriedToNextPreview()
    {
        // The operator picks 75 % in one preview and closes it.
        auto first = makeReport(2);
        ui->modalActions << [](QDialog *d) {
            auto *form = qobject_cast<TqpPreviewForm *>(d);
            QVERIFY(form);
            form->N3Click(75);
            form->ExitBtnClick();
        };
        first->ShowPreparedReport();
        QCOMPARE(ui->modalShown.size(), 1);
        // The window freed the pages it showed; the report holds an empty store.
        QVERIFY(first->EMFPages);
        QCOMPARE(first->EMFPages->GetCount(), 0);

        // The next preview opens at 75 %.
        auto second = makeReport(2);
        double scale = 0;
        QString caption;
        ui->modalActions << [&](QDialog *d) {
            auto *form = static_cast<TqpPreviewForm *>(d);
            scale = form->Scale();
            caption = form->ZoomBtn->text();
        };
        second->ShowPreparedReport();
        QCOMPARE(scale, 0.75);
        QCOMPARE(caption, QStringLiteral("75%"));

        // InitialZoom of the report wins over the carried zoom.
        auto third = makeReport(2);
        third->InitialZoom = pzPageWidth;
        TqpScaleMode mode = mdNone;
        int boxWidth = 0;
        ui->modalActions << [&](QDialog *d) {
            auto *form = static_cast<TqpPreviewForm *>(d);
            mode = form->ScaleMode();
            scale = form->Scale();
            boxWidth = form->PBox->width();
        };
        third->ShowPreparedReport();
        QCOMPARE(mode, mdPageWidth);
        QCOMPARE(scale, (boxWidth - 20) / double(kSheetWidth));
    }

    void captionAndEmptyReport()
    {
        auto report = makeReport(1);
        report->Title = QStringLiteral("Üye Formu");
        QString title;
        ui->modalActions << [&](QDialog *d) { title = d->windowTitle(); };
        report->ShowPreparedReport();
        QCOMPARE(title, QStringLiteral("Ön izleme - Üye Formu"));

        // Without prepared pages nothing is shown and nothing is said.
        auto empty = makeReport(0);
        empty->ShowPreparedReport();
        QCOMPARE(ui->modalShown.size(), 1);
        QVERIFY(ui->boxes.isEmpty());
    }

    void pagingKeys()
    {
        auto report = makeReport(5);
        auto form = previewOf(*report);
        QTest::keyClick(form->PBox, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(form->CurrentPage(), 5);
        QCOMPARE(form->VScrollBar->value(), rectOf(*form, 5).Top - 10);
        QCOMPARE(form->Label1->text(), QStringLiteral("Sayfa 5/5"));

        // Home without Ctrl is left alone; with Ctrl it goes to the top.
        QTest::keyClick(form->PBox, Qt::Key_Home);
        QCOMPARE(form->CurrentPage(), 5);
        QTest::keyClick(form->PBox, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(form->VScrollBar->value(), 0);
        QCOMPARE(form->CurrentPage(), 1);

        QTest::keyClick(form->PBox, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(form->CurrentPage(), 2);
        QCOMPARE(form->VScrollBar->value(), rectOf(*form, 2).Top - 10);
        QTest::keyClick(form->PBox, Qt::Key_PageDown);
        QCOMPARE(form->VScrollBar->value(), rectOf(*form, 2).Top - 10 + 200);
        QTest::keyClick(form->PBox, Qt::Key_Up);
        QCOMPARE(form->VScrollBar->value(), rectOf(*form, 2).Top - 10 + 190);
        // Space opens the zoom menu, whose own keys stay its own.
        const int before = form->VScrollBar->value();
        QTest::keyClick(form->PBox, Qt::Key_Space);
        QVERIFY(form->ProcMenu->isVisible());
        QTest::keyClick(form->ProcMenu, Qt::Key_Down);
        QTest::keyClick(form->ProcMenu, Qt::Key_Escape);
        QVERIFY(!form->ProcMenu->isVisible());
        QVERIFY(form->isVisible());
        QCOMPARE(form->VScrollBar->value(), before);

        // Scrolling makes the page crossing the top edge current.
        form->VScrollBar->setValue(rectOf(*form, 4).Top - 30);
        QCOMPARE(form->CurrentPage(), 3);
        QCOMPARE(form->Label1->text(), QStringLiteral("Sayfa 3/5"));
    }

    void hoverAndClickOnLinks_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("pageAfterClick");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("error"); // shown by the error handler at the click
        QTest::newRow("page link") << QStringLiteral("@3") << QStringLiteral("Sayfa 3") << 3 << QString() << QString();
        QTest::newRow("page 0 is page 1") << QStringLiteral("@0") << QStringLiteral("Sayfa 0") << 1 << QString()
                                          << QString();
        QTest::newRow("beyond the last page") << QStringLiteral("@9") << QStringLiteral("Sayfa 9") << 1 << QString()
                                              << QString();
        QTest::newRow("mail address") << QStringLiteral("mailto:ali@ornek.com") << QStringLiteral("mailto:ali@ornek.com")
                                      << 1 << QStringLiteral("mailto:ali@ornek.com") << QString();
        // No page number after the at sign: the conversion error, no mail program.
        QTest::newRow("no page number") << QStringLiteral("ali@ornek.com") << QStringLiteral("ali@ornek.com") << 1
                                        << QString() << QStringLiteral("'ornek.com' geçerli bir tamsayı değil");
    }

    void hoverAndClickOnLinks()
    {
        QFETCH(QString, tag);
        QFETCH(QString, hint);
        QFETCH(int, pageAfterClick);
        QFETCH(QString, url);
        QFETCH(QString, error);
        auto report = makeReport(4, {{QStringLiteral("URL1"), QStringLiteral("bağlantı"), tag, 100, 200, 200, 40}});
        auto form = previewOf(*report, QSize(800, 500));
        const QPoint over = boxPoint(*form, 1, 150, 220);
        sendMouse(form->PBox, QEvent::MouseMove, over);
        QCOMPARE(form->PBox->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form->Label2->text(), hint);

        // Off the link: the plain pointer and no hint.
        sendMouse(form->PBox, QEvent::MouseMove, boxPoint(*form, 1, 500, 600));
        QCOMPARE(form->PBox->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(form->Label2->text(), QString());

        sendMouse(form->PBox, QEvent::MouseButtonPress, over, Qt::LeftButton);
        sendMouse(form->PBox, QEvent::MouseButtonRelease, over, Qt::LeftButton);
        QCOMPARE(form->CurrentPage(), pageAfterClick);
        if (pageAfterClick > 1)
            QCOMPARE(form->VScrollBar->value(), rectOf(*form, pageAfterClick).Top - 10);
        QCOMPARE(ui->urls.isEmpty() ? QString() : ui->urls.first().toString(), url);
        QCOMPARE(ui->errors(), error.isEmpty() ? QStringList() : QStringList{error});
    }

    // "Sayfa 1200/1200" fits the page field; a short report keeps its design width.
    void pageFieldFitsThePageCount()
    {
        auto few = makeReport(3);
        auto small = previewOf(*few);
        QCOMPARE(small->Label1->width(), 100);
        auto many = makeReport(12000);
        auto form = previewOf(*many, QSize(800, 500));
        QCOMPARE(form->Label1->text(), QStringLiteral("Sayfa 1/12000"));
        const QFontMetrics metrics = form->Label1->fontMetrics();
        // A framed label keeps half an "x" free before its text.
        const int room = form->Label1->contentsRect().width() - metrics.horizontalAdvance(QLatin1Char('x')) / 2;
        QVERIFY2(room >= metrics.horizontalAdvance(QStringLiteral("Sayfa 12000/12000")),
                 qPrintable(QString::number(room)));
    }

    void dragPansThePages()
    {
        auto report = makeReport(3);
        SavedZoom = 2;
        auto form = previewOf(*report);
        QVERIFY(form->HScrollBar->isEnabled());
        const QPoint from = boxPoint(*form, 1, 300, 200); // no object there
        sendMouse(form->PBox, QEvent::MouseButtonPress, from, Qt::LeftButton);
        sendMouse(form->PBox, QEvent::MouseMove, from - QPoint(40, 70), Qt::LeftButton);
        QCOMPARE(form->HScrollBar->value(), 40);
        QCOMPARE(form->VScrollBar->value(), 70);
        sendMouse(form->PBox, QEvent::MouseButtonRelease, from - QPoint(40, 70), Qt::LeftButton);
        sendMouse(form->PBox, QEvent::MouseMove, from);
        QCOMPARE(form->HScrollBar->value(), 40);
    }

    void saveAsPreparedReportAndReload()
    {
        QTemporaryDir dir;
        auto report = makeReport(3);
        auto form = previewOf(*report);
        QStringList filters;
        ui->modalActions << [&](QDialog *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            QVERIFY(dialog);
            filters = dialog->nameFilters();
            typeFileName(dialog, dir.filePath(QStringLiteral("liste.dat")));
        };
        form->SaveBtnClick();
        QCOMPARE(filters, QStringList{QStringLiteral("Rapor dosyasi (*.qpp)")});
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("liste.qpp"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("liste.dat"))));
        // The window has its pages again; the report's store is empty.
        QCOMPARE(form->PageCount(), 3);
        QCOMPARE(report->EMFPages->GetCount(), 0);

        // Opening the file shows its pages from the first one.
        form->SetCurrentPage(3);
        ui->fileNames << dir.filePath(QStringLiteral("liste.qpp"));
        form->LoadBtnClick();
        QCOMPARE(form->PageCount(), 3);
        QCOMPARE(form->CurrentPage(), 1);
        QVERIFY(!report->CanRebuild);

        // A file that cannot be read leaves the pages shown as they were.
        QFile bad(dir.filePath(QStringLiteral("bozuk.qpp")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(QByteArray("\x19\x00\x05\x00ab", 6));
        bad.close();
        QVERIFY_THROWS_EXCEPTION(EqpError, form->LoadFromFile(bad.fileName()));
        QCOMPARE(form->PageCount(), 3);

        // A cancelled dialog changes nothing.
        form->SaveBtnClick();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }

    void saveOffersExportFilters()
    {
        QTemporaryDir dir;
        QStringList exported;
        int pagesLent = -1;
        TqpReport *exportedReport = nullptr;
        qpPreviewExports << TqpPreviewExport{QStringLiteral("Metin dosyası (*.txt)"), QStringLiteral("*.txt"), false, {}}
                         << TqpPreviewExport{QStringLiteral("RTF dosyası"), QStringLiteral("*.rtf"), true,
                                             [&](TqpReport *r, const QString &name) {
                                                 exported << name;
                                                 exportedReport = r;
                                                 pagesLent = r->EMFPages->GetCount();
                                             }};
        auto report = makeReport(2);
        auto form = previewOf(*report);
        QStringList filters;
        QString preselected;
        ui->modalActions << [&](QDialog *d) {
            auto *dialog = static_cast<QFileDialog *>(d);
            filters = dialog->nameFilters();
            preselected = dialog->selectedNameFilter();
            typeFileName(dialog, dir.filePath(QStringLiteral("liste.dat")));
        };
        form->SaveBtnClick();
        QCOMPARE(filters, (QStringList{QStringLiteral("Rapor dosyasi (*.qpp)"), QStringLiteral("Metin dosyası (*.txt)"),
                                       QStringLiteral("RTF dosyası (*.rtf)")}));
        QCOMPARE(preselected, QStringLiteral("RTF dosyası (*.rtf)"));
        QCOMPARE(exported, QStringList{dir.filePath(QStringLiteral("liste.rtf"))});
        QCOMPARE(exportedReport, report.get());
        // The export ran on the report's own pages, which came back afterwards.
        QCOMPARE(pagesLent, 2);
        QCOMPARE(form->PageCount(), 2);
    }

    void buttonsByPreviewButtons_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<bool>("printers");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("printEnabled");
        const QStringList all{"ZoomBtn", "LoadBtn", "SaveBtn", "PrintBtn", "FindBtn", "HelpBtn", "ExitBtn"};
        // The default set has no page setup.
        QTest::newRow("default, no printer") << int(TqpReport().PreviewButtons) << false << all << false;
        QTest::newRow("page setup, a printer")
            << int(pbPageSetup | pbPrint) << true << QStringList{"PrintBtn", "PageSetupBtn"} << true;
        QTest::newRow("nothing") << 0 << true << QStringList{} << true;
        QTest::newRow("find alone") << int(pbFind) << true << QStringList{"FindBtn"} << true;
    }

    void buttonsByPreviewButtons()
    {
        QFETCH(int, buttons);
        QFETCH(bool, printers);
        QFETCH(QStringList, shown);
        QFETCH(bool, printEnabled);
        usePrinters(printers);
        auto report = makeReport(1);
        report->PreviewButtons = quint8(buttons);
        auto form = previewOf(*report);
        QStringList visible;
        for (QToolButton *b : form->Panel1->findChildren<QToolButton *>())
            if (b->isVisibleTo(form.get()))
                visible << b->objectName();
        QCOMPARE(visible, shown);
        QCOMPARE(form->Separator1->isVisibleTo(form.get()), bool(buttons & pbZoom));
        QCOMPARE(form->Separator3->isVisibleTo(form.get()), bool(buttons & (pbHelp | pbFind)));
        QCOMPARE(form->PrintBtn->isEnabled(), printEnabled);
        QCOMPARE(form->PageSetupBtn->isEnabled(), printEnabled);
        // A hidden button's key does nothing either.
        QTest::keyClick(form->PBox, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ui->modalShown.size(), shown.contains("SaveBtn") ? 1 : 0);
    }

    void printsThroughThePrintDialog()
    {
        usePrinters(true);
        auto report = makeReport(3);
        report->ShowProgress = false;
        auto form = previewOf(*report);
        form->SetCurrentPage(2);
        int pagesWhilePrinting = -1;
        report->OnPrintReport = [&] { pagesWhilePrinting = report->EMFPages->GetCount(); };
        ui->modalActions << [](QDialog *d) {
            auto *dialog = qobject_cast<TqpPrintForm *>(d);
            QVERIFY(dialog);
            QVERIFY(dialog->RB2->isEnabled());
            dialog->RB2->setChecked(true); // "Geçerli sayfa"
            dialog->Button1->click();
        };
        form->PrintBtnClick();
        QCOMPARE(printers.jobs.size(), 1);
        QCOMPARE(printers.jobs[0].pages.size(), 1);
        QVERIFY(printers.jobs[0].texts(0).contains(QStringLiteral("Sayfa 2 metni")));
        // The run printed the report's own pages, which the window has again.
        QCOMPARE(pagesWhilePrinting, 3);
        QCOMPARE(form->PageCount(), 3);
        QCOMPARE(report->EMFPages->GetCount(), 0);

        // Cancelled: nothing printed.
        form->PrintBtnClick();
        QCOMPARE(printers.jobs.size(), 1);
        // Without the dialog every page goes out in one job.
        report->ShowPrintDialog = false;
        form->PrintBtnClick();
        QCOMPARE(printers.jobs.size(), 2);
        QCOMPARE(printers.jobs[1].pages.size(), 3);
    }

    void pageSetupRefitsTheTemplate()
    {
        usePrinters(true);
        auto report = makeReport(2);
        report->Pages.Add();
        report->GetEMFPages().GetPages(0).Margins = TRect{36, 72, 36, 72}; // 10 and 20 mm
        auto form = previewOf(*report);
        QMarginsF shownMargins;
        ui->modalActions << [&](QDialog *d) {
            auto *dialog = qobject_cast<QPageSetupDialog *>(d);
            QVERIFY(dialog);
            shownMargins = dialog->printer()->pageLayout().margins(QPageLayout::Millimeter);
            dialog->printer()->setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape,
                                                         QMarginsF(15, 20, 25, 30), QPageLayout::Millimeter));
            dialog->done(QDialog::Accepted);
        };
        form->PageSetupBtnClick();
        QCOMPARE(shownMargins, QMarginsF(10, 20, 10, 20));
        QCOMPARE(Prn->PaperSize, 11);
        QCOMPARE(Prn->Orientation, poLandscape);
        const TqpPage *page = report->Pages.GetPages(0);
        QCOMPARE(page->PaperSize, 11);
        QCOMPARE(page->Orientation, quint8(poLandscape));
        // Hundredths of a millimetre times 18 / 500: 1500 -> 54, 2000 -> 72, 2500 -> 90, 3000 -> 108.
        QCOMPARE(page->Margins, (TRect{54, 72, 90, 108}));
        // Pages that were not built from the template (CanRebuild off) stay.
        QCOMPARE(form->PageCount(), 2);

        // A cancelled dialog changes nothing.
        form->PageSetupBtnClick();
        QCOMPARE(page->PaperSize, 11);
        QCOMPARE(page->Margins, (TRect{54, 72, 90, 108}));
    }

    void pageSetupRebuildsABuiltReport()
    {
        usePrinters(true);
        TqpReport report;
        report.Pages.Add();
        QVERIFY(report.PrepareReport());
        QVERIFY(report.CanRebuild);
        const int built = report.EMFPages->GetCount();
        QVERIFY(built > 0);
        QCOMPARE(report.EMFPages->GetPages(0).PaperSize, quint16(9));
        auto form = previewOf(report);
        ui->modalActions << [&](QDialog *d) {
            static_cast<QPageSetupDialog *>(d)->printer()->setPageLayout(
                QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF(), QPageLayout::Millimeter));
            d->done(QDialog::Accepted);
        };
        form->PageSetupBtnClick();
        // The pages shown are the new build, on the new paper.
        QCOMPARE(form->PageCount(), built);
        QCOMPARE(form->Pages()->GetPages(0).PaperSize, quint16(11));
        QCOMPARE(form->Pages()->GetPages(0).Orientation, quint8(poLandscape));
        QCOMPARE(report.EMFPages->GetCount(), 0);
    }

    void embeddedPreview()
    {
        QWidget host;
        auto *preview = new TqpPreview(&host);
        host.resize(700, 500);
        preview->resize(700, 500);
        QList<int> changes;
        preview->OnPageChanged = [&](TqpPreview *p, int page) {
            QCOMPARE(p, preview);
            changes << page;
        };
        auto report = makeReport(4);
        report->Preview = preview;
        report->ShowPreparedReport();
        QVERIFY(ui->modalShown.isEmpty());
        QCOMPARE(preview->GetAllPages(), 4);
        QCOMPARE(report->EMFPages->GetCount(), 0);
        QVERIFY(preview->Window()->ScrollBox->parentWidget() == preview);
        QVERIFY(!preview->Window()->ExitBtn->isVisibleTo(preview->Window()));

        changes.clear();
        preview->SetPage(3);
        QCOMPARE(preview->GetPage(), 3);
        QCOMPARE(changes.first(), 3);
        preview->SetPage(9);
        QCOMPARE(preview->GetPage(), 3);
        preview->SetZoom(50);
        QCOMPARE(preview->GetZoom(), 50);
        QCOMPARE(SavedZoom, 0.5);

        // The wheel moves three lines a notch here.
        preview->Window()->VScrollBar->setValue(0);
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(preview->Window()->PBox, &wheel);
        QCOMPARE(preview->Window()->VScrollBar->value(), 30);

        preview->Disconnect();
        QCOMPARE(report->EMFPages->GetCount(), 4);
        preview->Connect(report.get());
        preview->LoadFile(QStringLiteral("/yok/boyle.qpp"));
        QCOMPARE(preview->GetAllPages(), 0);
        QVERIFY(!preview->Window()->ScrollBox->isVisibleTo(preview));
    }

    void windowPlacementIsStored()
    {
        const QString key = QStringLiteral("Software/Quillpress/Zelvan/Form/TqpPreviewForm/");
        QCOMPARE(qpRegRootKey(), QStringLiteral("Software/Quillpress/Zelvan"));
        qpOpenSettings()->remove(QStringLiteral("Software"));
        auto report = makeReport(1);
        bool maximizedAtStart = false;
        ui->modalActions << [&](QDialog *d) {
            maximizedAtStart = d->isMaximized();
            d->showNormal();
            d->setGeometry(50, 60, 640, 480);
        };
        report->ShowPreparedReport();
        QVERIFY(maximizedAtStart);
        const auto settings = qpOpenSettings();
        QVERIFY(settings->fileName().startsWith(settingsDir.path()));
        QCOMPARE(settings->value(key + "Width").toInt(), 640);
        QCOMPARE(settings->value(key + "Height").toInt(), 480);
        QCOMPARE(settings->value(key + "XPosition").toInt(), 50);
        QCOMPARE(settings->value(key + "YPosition").toInt(), 60);
        QCOMPARE(settings->value(key + "Maximized").toBool(), false);

        auto again = makeReport(1);
        QRect geometry;
        bool maximized = true;
        ui->modalActions << [&](QDialog *d) {
            geometry = d->geometry();
            maximized = d->isMaximized();
        };
        again->ShowPreparedReport();
        QCOMPARE(geometry, QRect(50, 60, 640, 480));
        QVERIFY(!maximized);
    }

    void modelessWindowClosesAndFreesItsPages()
    {
        auto report = makeReport(2);
        report->ModalPreview = false;
        report->ShowPreparedReport();
        QVERIFY(ui->modalShown.isEmpty());
        QPointer<TqpPreviewForm> form;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<TqpPreviewForm *>(w); f && f->isVisible())
                form = f;
        QVERIFY(form);
        QCOMPARE(form->PageCount(), 2);
        QTest::keyClick(form->PBox, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form);
        QCOMPARE(report->EMFPages->GetCount(), 0);

        // A window still open goes with its report.
        auto other = makeReport(1);
        other->ModalPreview = false;
        other->ShowPreparedReport();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<TqpPreviewForm *>(w); f && f->isVisible())
                form = f;
        QVERIFY(form);
        other.reset();
        QVERIFY(!form);
    }

    void contextHelpNamesTheTopic()
    {
        auto report = makeReport(1);
        auto form = previewOf(*report);
        form->HelpBtnClick();
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
        sendMouse(form.get(), QEvent::MouseButtonPress, form->ZoomBtn->geometry().center() + form->Panel1->pos(),
                  Qt::LeftButton);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!form->HelpBtn->isChecked());
        QCOMPARE(ui->boxes.size(), 1);
        QVERIFY(ui->boxes.first().text.contains(QStringLiteral("200")));
    }

    void pageBoxPaintsPages()
    {
        auto report = makeReport(2);
        auto form = previewOf(*report, QSize(800, 600));
        const QImage shot = form->PBox->grab().toImage();
        const TRect r = rectOf(*form, 1);
        QCOMPARE(shot.pixelColor(3, 3), QColor(128, 128, 128));
        QCOMPARE(shot.pixelColor(r.Left, r.Top + 300), QColor(Qt::black));        // the border
        QCOMPARE(shot.pixelColor(r.Right, r.Top + 300), QColor(Qt::black));       // the shadow
        QCOMPARE(shot.pixelColor(r.Left + 700, r.Top + 500), QColor(Qt::white));  // an empty part of the sheet
        // The first page's text object: its frame and some dark ink inside.
        int ink = 0;
        for (int y = r.Top + 61; y < r.Top + 99; ++y)
            for (int x = r.Left + 61; x < r.Left + 459; ++x)
                ink += shot.pixelColor(x, y).lightness() < 100;
        QVERIFY(ink > 20);
        QCOMPARE(shot.pixelColor(r.Left + 60, r.Top + 80).lightness() < 100, true);
        // Only the pages painted keep their objects.
        QVERIFY(form->Pages()->GetPages(0).OnScreen);
        QVERIFY(form->Pages()->GetPages(0).Page);
        QVERIFY(!form->Pages()->GetPages(1).OnScreen);
        QVERIFY(!form->Pages()->GetPages(1).Page);
    }

    // ---------------------------------------------------------------- search

    void searchDialog()
    {
        auto report = makeReport(2);
        auto form = previewOf(*report);
        QPointer<TqpPreviewSearchForm> shown;
        ui->modalActions << [&](QDialog *d) {
            shown = qobject_cast<TqpPreviewSearchForm *>(d);
            QVERIFY(shown);
            QCOMPARE(shown->windowTitle(), QStringLiteral("Metin arama"));
            QCOMPARE(shown->Label1->text(), QStringLiteral("Aranacak &metin"));
            QCOMPARE(shown->GroupBox1->title(), QStringLiteral("Seçenekler"));
            QCOMPARE(shown->CB1->text(), QStringLiteral("&Büyük küçük harf ayrımı"));
            QCOMPARE(shown->GroupBox2->title(), QStringLiteral("Başlangıç"));
            QCOMPARE(shown->RB1->text(), QStringLiteral("&1 sayfadan itibaren"));
            QCOMPARE(shown->RB2->text(), QStringLiteral("Bulunulan &sayfadan itibaren"));
            QCOMPARE(shown->Button1->text(), QStringLiteral("Tamam"));
            QCOMPARE(shown->Button2->text(), QStringLiteral("Vazgeç"));
            QVERIFY(shown->Edit1->text().isEmpty());
            QVERIFY(shown->RB1->isChecked());
            QVERIFY(!shown->CB1->isChecked());
            shown->Edit1->setText(QStringLiteral("Sayfa 2"));
            shown->Button2->click();
        };
        // Ctrl+F opens it; cancelling searches nothing, and the dialog is gone.
        QTest::keyClick(form->PBox, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(ui->modalShown.size(), 1);
        QVERIFY(!shown);
        QVERIFY(form->Search().Text.isEmpty());
        QCOMPARE(form->CurrentPage(), 1);
        // F3 without a search text is not the preview's.
        QTest::keyClick(form->PBox, Qt::Key_F3);
        QCOMPARE(form->CurrentPage(), 1);
    }

    void searchCase_data()
    {
        QTest::addColumn<QString>("onPage");
        QTest::addColumn<QString>("sought");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("found");
        QTest::newRow("capitals, case ignored") << "ÜYE LİSTESİ" << "liste" << false << true;
        QTest::newRow("capitals, case counts") << "ÜYE LİSTESİ" << "liste" << true << false;
        QTest::newRow("as typed, case counts") << "Üye listesi" << "liste" << true << true;
        QTest::newRow("dotless i pairs with I") << "ILIK" << "ılık" << false << true;
        QTest::newRow("dotted i does not pair with I") << "ILIK" << "ilik" << false << false;
        QTest::newRow("absent") << "Ankara" << "İzmir" << false << false;
    }

    void searchCase()
    {
        QFETCH(QString, onPage);
        QFETCH(QString, sought);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, found);
        auto report = makePages({{}, {{QStringLiteral("Memo2"), onPage, QString(), 60, 300, 400, 40}}});
        auto form = previewOf(*report);
        find(*form, sought, caseSensitive);
        QCOMPARE(form->Search().FoundFlag, found);
        QCOMPARE(form->CurrentPage(), found ? 2 : 1);
        QCOMPARE(form->Search().Page, found ? 1 : 2);
        QCOMPARE(form->MarkRect().isEmpty(), !found);
    }

    // A rich text's lines are found like any text, each where it stands.
    void searchFindsRichText()
    {
        auto report = makePages({{}});
        TqpRichView rich;
        rich.Name = QStringLiteral("Rich1");
        rich.SetBounds(60, 300, 400, 120);
        rich.RichEdit.LoadFromBytes("{\\rtf1\\ansi Birinci paragraf\\par \\b Ikinci\\b0  paragraf: Ankara\\par}");
        rich.SaveMode = smQPP;
        rich.WriteEntry(report->GetEMFPages().CurrentStream());
        auto form = previewOf(*report);
        find(*form, QStringLiteral("ankara"));
        QVERIFY(form->Search().FoundFlag);
        const QRect found = form->Search().Found;
        // On the second line of the object, not its first.
        QVERIFY2(found.top() >= 310 && found.bottom() < 420 && found.left() >= 60 && found.right() <= 460,
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(found.left()).arg(found.top()).arg(found.width()).arg(found.height())));
        find(*form, QStringLiteral("birinci"));
        QVERIFY(form->Search().FoundFlag);
        QVERIFY(form->Search().Found.top() < found.top());
    }

    void searchWalksMatchesThenPages()
    {
        auto report = makePages({{{QStringLiteral("Memo2"), QStringLiteral("Ali Veli"), QString(), 60, 200, 400, 40},
                                  {QStringLiteral("Memo3"), QStringLiteral("Ali Can"), QString(), 60, 400, 400, 40}},
                                 {},
                                 {{QStringLiteral("Memo2"), QStringLiteral("Ali Kaya"), QString(), 60, 900, 400, 40}}});
        auto form = previewOf(*report, QSize(800, 600));
        find(*form, QStringLiteral("ali"));
        QCOMPARE(form->CurrentPage(), 1);
        const QRect first = form->Search().Found;
        QVERIFY2(first.top() >= 200 && first.bottom() < 240 && first.left() >= 60 && first.left() < 70,
                 qPrintable(QStringLiteral("%1,%2").arg(first.left()).arg(first.top())));
        QVERIFY(first.width() > 20 && first.height() > 8);
        // F3: the second match on the same page.
        QTest::keyClick(form->PBox, Qt::Key_F3);
        QCOMPARE(form->CurrentPage(), 1);
        QVERIFY(form->Search().Found.top() >= 400 && form->Search().Found.top() < 440);
        // F3: past the page without one, to the third page. The text lies low
        // on the page, so the view scrolls until its mark sits at the bottom.
        QTest::keyClick(form->PBox, Qt::Key_F3);
        QCOMPARE(form->CurrentPage(), 3);
        QVERIFY(form->Search().Found.top() >= 900);
        const QRect mark = form->MarkRect();
        QCOMPARE(mark.top(), form->PBox->height() - mark.height() + 1);
        QVERIFY(mark.left() > 0 && mark.right() < form->PBox->width());
        QCOMPARE(form->Label1->text(), QStringLiteral("Sayfa 3/3"));
        // The mark is painted inverted: white ink on the page turns dark.
        const QImage shot = form->PBox->grab().toImage();
        QCOMPARE(shot.pixelColor(mark.right() - 1, mark.top() + 1).lightness() < 128, true);
        // Nothing more: nothing changes, then F3 starts over on the current page.
        QTest::keyClick(form->PBox, Qt::Key_F3);
        QVERIFY(!form->Search().FoundFlag);
        QCOMPARE(form->Search().Page, 3);
        QCOMPARE(form->CurrentPage(), 3);
        QTest::keyClick(form->PBox, Qt::Key_F3);
        QVERIFY(form->Search().FoundFlag);
        QCOMPARE(form->CurrentPage(), 3);
    }

    void searchFromCurrentPage()
    {
        auto report = makePages({{{QStringLiteral("Memo2"), QStringLiteral("Ali Veli"), QString(), 60, 200, 400, 40},
                                  {QStringLiteral("Memo3"), QStringLiteral("Ali Can"), QString(), 60, 400, 400, 40}},
                                 {},
                                 {{QStringLiteral("Memo2"), QStringLiteral("Ali Kaya"), QString(), 60, 300, 400, 40}}});
        auto form = previewOf(*report, QSize(800, 600));
        find(*form, QStringLiteral("Ali"), true);
        QCOMPARE(form->CurrentPage(), 1);
        // With page 3 current the search starts at its first output, not
        // after the last match on page 1; the page comes into view.
        form->SetCurrentPage(3);
        find(*form, QStringLiteral("Ali"), true, true);
        QCOMPARE(form->CurrentPage(), 3);
        QVERIFY(form->Search().Found.top() >= 300 && form->Search().Found.top() < 340);
        QCOMPARE(form->VScrollBar->value(), rectOf(*form, 3).Top - 10);
        // From page 1 again, the dialog's own default.
        find(*form, QStringLiteral("Ali"), true);
        QCOMPARE(form->CurrentPage(), 1);
        QVERIFY(form->Search().Found.top() < 240);
    }

    void textSplitOverTwoOutputs()
    {
        // Two lines are two text outputs: a text running over the line break
        // is not found, each part is.
        auto report = makePages({{}, {{QStringLiteral("Memo2"), QStringLiteral("Ahmet\nYılmaz"), QString(), 60, 300, 400, 60}}});
        auto form = previewOf(*report);
        find(*form, QStringLiteral("Ahmet Yılmaz"));
        QVERIFY(!form->Search().FoundFlag);
        QCOMPARE(form->CurrentPage(), 1);
        find(*form, QStringLiteral("Yılmaz"));
        QVERIFY(form->Search().FoundFlag);
        QCOMPARE(form->CurrentPage(), 2);
        find(*form, QStringLiteral("Ahmet"));
        QVERIFY(form->Search().Found.top() < form->Search().Found.bottom());
        const int ahmetTop = form->Search().Found.top();
        find(*form, QStringLiteral("Yılmaz"));
        QVERIFY(form->Search().Found.top() > ahmetTop);
    }

    void searchFromTheEmbeddedControl()
    {
        auto report = makeReport(3);
        TqpPreview preview;
        preview.resize(600, 500);
        preview.show();
        preview.Connect(report.get());
        ui->modalActions << [](QDialog *d) {
            auto *f = qobject_cast<TqpPreviewSearchForm *>(d);
            f->Edit1->setText(QStringLiteral("sayfa 3"));
            f->Button1->click();
        };
        preview.Find();
        QCOMPARE(preview.GetPage(), 3);
    }

    // ---------------------------------------------------------------- page editing

    void noPageEditingItemsWithoutADesigner()
    {
        // This program installs no designer: the right click offers no page
        // editing, and neither Ctrl+E nor a double click edits.
        QVERIFY(!qpPageEditHook);
        auto report = makeReport(3);
        auto form = previewOf(*report);
        sendMouse(form->PBox, QEvent::MouseButtonPress, QPoint(5, 5), Qt::RightButton);
        form->ProcMenu->hide();
        for (QAction *a : {form->EditSeparator, form->EditPageItem, form->NewPageItem, form->DelPageItem})
            QVERIFY(!a->isVisible());
        QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
        sendMouse(form->PBox, QEvent::MouseButtonDblClick, boxPoint(*form, 1, 100, 100), Qt::LeftButton);
        QVERIFY(form->Pages());
        QCOMPARE(form->PageCount(), 3);
        QVERIFY(ui->modalShown.isEmpty());
    }

    void insertPage()
    {
        auto report = makeReport(3);
        auto form = previewOf(*report);
        form->SetCurrentPage(2);
        form->NewPageBtnClick();
        QCOMPARE(form->PageCount(), 4);
        QCOMPARE(form->CurrentPage(), 2);
        QCOMPARE(form->Label1->text(), QStringLiteral("Sayfa 2/4"));
        // The new page is empty, of the first template page's... here the
        // neighbour's paper, and the page that was second is third now.
        QCOMPARE(form->Pages()->GetPages(1).Stream->size(), 1);
        QCOMPARE(form->Pages()->GetPages(1).PrnInfo.SheetWidth, kSheetWidth);
        find(*form, QStringLiteral("Sayfa 2 metni"));
        QCOMPARE(form->CurrentPage(), 3);
    }

    void deletePage()
    {
        auto report = makeReport(5);
        auto form = previewOf(*report);
        form->SetCurrentPage(3);
        ui->answers << QMessageBox::No;
        form->DelPageBtnClick();
        QCOMPARE(form->PageCount(), 5);
        QCOMPARE(ui->boxes.size(), 1);
        QCOMPARE(ui->boxes.at(0).title, QStringLiteral("Onaylama"));
        QCOMPARE(ui->boxes.at(0).text, QStringLiteral("Bu sayfayı sil?"));
        QCOMPARE(ui->boxes.at(0).icon, QMessageBox::Question);
        QCOMPARE(ui->boxes.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
        ui->answers << QMessageBox::Yes;
        form->DelPageBtnClick();
        QCOMPARE(form->PageCount(), 4);
        QCOMPARE(form->CurrentPage(), 1);
        QCOMPARE(form->Label1->text(), QStringLiteral("Sayfa 1/4"));
        find(*form, QStringLiteral("Sayfa 3 metni"));
        QVERIFY(!form->Search().FoundFlag);
        find(*form, QStringLiteral("Sayfa 4 metni"));
        QCOMPARE(form->CurrentPage(), 3);
    }

    void lastPageIsNotDeleted()
    {
        auto report = makeReport(2);
        auto form = previewOf(*report);
        ui->answers << QMessageBox::Yes;
        form->DelPageBtnClick();
        QCOMPARE(form->PageCount(), 1);
        form->DelPageBtnClick();
        QCOMPARE(form->PageCount(), 1);
        QCOMPARE(ui->boxes.size(), 1);
    }

    void editedPagesAreSaved()
    {
        QTemporaryDir dir;
        auto report = makeReport(3);
        auto form = previewOf(*report);
        ui->answers << QMessageBox::Yes;
        form->DelPageBtnClick(); // page 1 goes
        form->SetCurrentPage(2);
        form->NewPageBtnClick(); // an empty page before "Sayfa 3"
        const QString path = dir.filePath(QStringLiteral("liste.qpp"));
        form->SaveToFile(path);
        QCOMPARE(form->PageCount(), 3);
        TqpReport reopened;
        reopened.LoadPreparedReport(path);
        auto again = previewOf(reopened);
        QCOMPARE(again->PageCount(), 3);
        QCOMPARE(again->Pages()->GetPages(1).Stream->size(), 1);
        find(*again, QStringLiteral("Sayfa 1 metni"));
        QVERIFY(!again->Search().FoundFlag);
        find(*again, QStringLiteral("Sayfa 3 metni"));
        QCOMPARE(again->CurrentPage(), 3);
    }

    void pageWithoutTemplateTakesItsNeighboursPaper()
    {
        // A prepared report opened from a file has no template pages.
        auto report = makeReport(2);
        TqpPage landscape(9, 2100, 2970, -1, poLandscape);
        report->GetEMFPages().Insert(1, &landscape);
        QCOMPARE(report->Pages.GetCount(), 0);
        auto form = previewOf(*report);
        form->SetCurrentPage(2);
        form->NewPageBtnClick();
        QCOMPARE(form->PageCount(), 4);
        QCOMPARE(form->Pages()->GetPages(1).Orientation, quint8(poLandscape));
        QCOMPARE(form->Pages()->GetPages(1).PrnInfo.SheetHeight, kSheetWidth);
    }
};

QTEST_MAIN(TestPreview)
#include "test_preview.moc"
