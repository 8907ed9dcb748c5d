// The designer window driven through its commands: files, the save prompt,
// pages and their tabs, the options dialogs, restrictions and page-edit
// mode. Modal dialogs are answered by the scripted modal seam; settings go
// to a store in the test's temporary folder.

#include "report/core/exceptions.h"
#include "report/core/settings_store.h"
#include "report/core/string_table.h"
#include "report/designer/designer_component.h"
#include "report/designer/designer_form.h"
#include "report/designer/designer_options_form.h"
#include "report/designer/designer_page.h"
#include "report/designer/designer_state.h"
#include "report/designer/memo_editor.h"
#include "report/designer/subreport_page.h"
#include "report/designer/page_options_form.h"
#include "report/designer/template_forms.h"
#include "report/expr/expr_globals.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"
#include "report/output/printer.h"
#include "designer_window_fixture.h"
#include "syntax_memo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QRadioButton>
#include <QSettings>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QXmlStreamReader>
#include <memory>

namespace {

// What the operator does in a file dialog: the file and the filter chosen.
std::function<void(QDialog *)> chooseFile(const QString &path, int filter = 0)
{
    return [path, filter](QDialog *d) {
        auto *dialog = qobject_cast<QFileDialog *>(d);
        QVERIFY(dialog);
        dialog->selectNameFilter(dialog->nameFilters().at(filter));
        // The dialog leaves a focused name box as the operator typed it.
        if (QWidget *focus = QApplication::focusWidget())
            focus->clearFocus();
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    };
}

TqpSubReportView *subReport(TqpPage *page, const QString &name, int subPage)
{
    auto *v = static_cast<TqpSubReportView *>(qpCreateObject(vkSubReport, QString()));
    v->Name = name;
    v->SubPage = subPage;
    v->OwnerPage = page;
    page->Items.append(v);
    return v;
}

TqpMemoView *memo(TqpPage *page, const QString &name)
{
    auto *v = static_cast<TqpMemoView *>(qpCreateObject(vkText, QString()));
    v->Name = name;
    v->SetBounds(40, 40, 100, 20);
    v->Memo = QStringList{name};
    v->OwnerPage = page;
    page->Items.append(v);
    return v;
}

} // namespace

class TestDesignerForm : public QObject, TDesignerWindowFixture {
    Q_OBJECT

    std::unique_ptr<TqpReport> report;
    std::unique_ptr<TqpDesignerForm> form;

    QString path(const QString &name) const { return dir->filePath(name); }

    void open(int pages = 1, bool fullMode = true, const QString &fileName = QString())
    {
        form.reset();
        report = std::make_unique<TqpReport>();
        report->FileName = fileName;
        CurReport = report.get();
        for (int i = 0; i < pages; ++i)
            report->Pages.Add()->CreateUniqueName();
        form = std::make_unique<TqpDesignerForm>(report.get(), fullMode);
        form->show();
    }

    // What the platform delivers for a double click: a click, then the
    // double-click event in place of the second press.
    void doubleClick(QPoint p)
    {
        QTest::mouseClick(form->PageCanvas, Qt::LeftButton, {}, p);
        QTest::mouseDClick(form->PageCanvas, Qt::LeftButton, {}, p);
    }

    QString promptText(const QString &file) const
    {
        return QStringLiteral("Degişiklikleri kaydet ya %1?").arg(file);
    }

private slots:
    void initTestCase() { startGlobals(); }

    void init() { begin(); }

    void cleanup()
    {
        form.reset();
        report.reset();
        end();
    }

    void cleanupTestCase() { stopGlobals(); }

    void opensOnTheReportsFile()
    {
        open(2, true, path(QStringLiteral("UyeList.qpf")));
        QCOMPARE(form->windowTitle(), QStringLiteral("Rapor düzenleyici - UyeList.qpf"));
        QCOMPARE(form->Tab1->count(), 2);
        QCOMPARE(form->Tab1->tabText(1), QStringLiteral("Sayfa2"));
        QVERIFY(!form->GetModified());
        QVERIFY(!form->FileBtn3->isEnabled());
        QCOMPARE(qpDesigner, form.get());
        QCOMPARE(form->FileBtn3->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(form->N23->text(), QStringLiteral("&Yeni..."));
    }

    void savingANewReportGoesToSaveAs()
    {
        open();
        form->FileBtn1Click();
        QCOMPARE(form->CurDocName, QStringLiteral("İsimsiz"));
        memo(report->Pages.GetPages(0), QStringLiteral("Memo1"));
        form->SetModified(true);
        QVERIFY(form->FileBtn3->isEnabled());
        ui->modalActions << chooseFile(path(QStringLiteral("yeni.txt")));
        QVERIFY(form->FileBtn3Click());
        // The form filter gives the file its extension.
        QCOMPARE(form->CurDocName, path(QStringLiteral("yeni.qpf")));
        QVERIFY(!form->GetModified());
        TqpReport reread;
        QVERIFY(reread.LoadFromFile(path(QStringLiteral("yeni.qpf"))));
        QVERIFY(reread.FindObject(QStringLiteral("Memo1")));
    }

    void saveAsQP3WritesTheXmlFormAndStaysQP3()
    {
        open();
        memo(report->Pages.GetPages(0), QStringLiteral("Baslik"));
        form->SetModified(true);
        ui->modalActions << [choose = chooseFile(path(QStringLiteral("liste.qpf")), 1)](QDialog *d) {
            auto *dialog = qobject_cast<QFileDialog *>(d);
            QVERIFY(dialog);
            QCOMPARE(dialog->nameFilters(),
                     (QStringList{QStringLiteral("Quillpress formu (*.qpf)"), QStringLiteral("Quillpress3 formu (*.qp3)"),
                                  QStringLiteral("Quillpress şablonu (*.qpt)"),
                                  QStringLiteral("Quillpress sözlüğü (*.qpd)")}));
            QCOMPARE(dialog->selectedNameFilter(), dialog->nameFilters().first());
            choose(d);
        };
        QVERIFY(form->N20Click());
        const QString qp3 = path(QStringLiteral("liste.qp3"));
        QCOMPARE(form->CurDocName, qp3);
        QVERIFY(!form->GetModified());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("liste.qpf"))));
        const auto names = [&] {
            QStringList found;
            QProcess lint;
            lint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), qp3});
            if (!lint.waitForFinished(60000) || lint.exitCode() != 0)
                return QStringList{QStringLiteral("xmllint: ") + QString::fromLocal8Bit(lint.readAllStandardError())};
            QFile f(qp3);
            if (!f.open(QIODevice::ReadOnly))
                return QStringList{QStringLiteral("unreadable")};
            QXmlStreamReader xml(&f);
            while (!xml.atEnd())
                if (xml.readNext() == QXmlStreamReader::StartElement && xml.attributes().hasAttribute(QStringLiteral("Name")))
                    found << xml.attributes().value(QStringLiteral("Name")).toString();
            if (xml.hasError())
                found << xml.errorString();
            return found;
        };
        QVERIFY(names().contains(QStringLiteral("Baslik")));
        // A later plain save writes the same XML form again, never the binary one over it.
        memo(report->Pages.GetPages(0), QStringLiteral("Ikinci"));
        form->SetModified(true);
        QVERIFY(form->FileBtn3Click());
        const QStringList again = names();
        QVERIFY2(again.contains(QStringLiteral("Baslik")) && again.contains(QStringLiteral("Ikinci")),
                 qPrintable(again.join(QLatin1Char(','))));
    }

    void saveAsDictionaryLeavesTheReportModified()
    {
        open();
        form->SetModified(true);
        ui->modalActions << chooseFile(path(QStringLiteral("sozluk")), 3);
        QVERIFY(!form->N20Click());
        QVERIFY(QFileInfo::exists(path(QStringLiteral("sozluk.qpd"))));
        QVERIFY(form->GetModified());
        QCOMPARE(form->CurDocName, QStringLiteral("İsimsiz"));
    }

    void saveAsTemplateWithDescriptionThenNewFromIt()
    {
        open();
        memo(report->Pages.GetPages(0), QStringLiteral("Baslik"));
        form->SetModified(true);
        ui->modalActions << chooseFile(path(QStringLiteral("sablon")), 2) << [](QDialog *d) {
            auto *describe = qobject_cast<TqpTemplNewForm *>(d);
            QVERIFY(describe);
            describe->Memo1->setPlainText(QStringLiteral("Üye listesi\nikinci satır"));
            describe->accept();
        };
        QVERIFY(form->N20Click());
        QCOMPARE(form->CurDocName, QStringLiteral("İsimsiz")); // a template does not become the document
        QStringList description;
        QImage picture;
        report->LoadTemplate(path(QStringLiteral("sablon.qpt")), description, picture, false);
        QCOMPARE(description, (QStringList{QStringLiteral("Üye listesi"), QStringLiteral("ikinci satır")}));

        // A new report from that template: the chooser lists it by name.
        TqpDesigner component;
        component.TemplateDir = dir->path();
        form->FileBtn1Click();
        QCOMPARE(report->Pages.GetPages(0)->Items.size(), 0);
        ui->modalActions << [](QDialog *d) {
            auto *chooser = qobject_cast<TqpTemplForm *>(d);
            QVERIFY(chooser);
            QCOMPARE(chooser->LB1->count(), 1);
            QCOMPARE(chooser->LB1->item(0)->text(), QStringLiteral("sablon"));
            chooser->LB1->setCurrentRow(0);
            QCOMPARE(chooser->DescriptionL->text(), QStringLiteral("Üye listesi\nikinci satır"));
            chooser->accept();
        };
        form->N23Click();
        QVERIFY(report->FindObject(QStringLiteral("Baslik")));
        QCOMPARE(form->CurDocName, QStringLiteral("İsimsiz"));
    }

    void closingAsksToSave_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("fileChanged");
        QTest::addColumn<int>("result");
        QTest::newRow("cancel keeps everything") << int(QMessageBox::Cancel) << false << false << -1;
        QTest::newRow("no closes without saving") << int(QMessageBox::No) << true << false << int(QDialog::Rejected);
        QTest::newRow("yes saves and closes") << int(QMessageBox::Yes) << true << true << int(QDialog::Accepted);
    }

    void closingAsksToSave()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(bool, fileChanged);
        QFETCH(int, result);
        open();
        const QString file = path(QStringLiteral("UyeForm.qpf"));
        report->SaveToFile(file);
        const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        form->SetCurDocName(file);
        memo(report->Pages.GetPages(0), QStringLiteral("Yeni"));
        form->SetModified(true);
        ui->answers << QMessageBox::StandardButton(answer);
        form->ExitBClick();
        QCOMPARE(ui->boxes.size(), 1);
        QCOMPARE(ui->boxes.first().title, QStringLiteral("Onaylama"));
        QCOMPARE(ui->boxes.first().text, promptText(QStringLiteral("UyeForm.qpf")));
        QCOMPARE(ui->boxes.first().icon, QMessageBox::Question);
        QCOMPARE(form->isVisible(), !closed);
        QCOMPARE(form->GetModified(), !fileChanged);
        const QByteArray after = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        QCOMPARE(after != before, fileChanged);
        if (closed)
            QCOMPARE(form->result(), result);
        else
            QVERIFY(report->FindObject(QStringLiteral("Yeni")));
    }

    void aFailedSaveSaysWhyAndKeepsTheDesignerOpen()
    {
        open();
        QDir(dir->path()).mkdir(QStringLiteral("gone"));
        const QString file = path(QStringLiteral("gone/UyeList.qpf"));
        form->SetCurDocName(file);
        QDir(path(QStringLiteral("gone"))).removeRecursively();
        form->SetModified(true);
        ui->answers << QMessageBox::Yes;
        form->ExitBClick();
        QVERIFY(form->isVisible());
        QVERIFY(form->GetModified());
        QCOMPARE(ui->errors().size(), 1);
        QVERIFY(ui->errors().first().contains(QStringLiteral("UyeList.qpf")));
    }

    void closingUnmodifiedOrInPageEditModeNeverAsks_data()
    {
        QTest::addColumn<bool>("fullMode");
        QTest::addColumn<bool>("modified");
        QTest::newRow("unmodified") << true << false;
        QTest::newRow("page-edit mode") << false << true;
    }

    void closingUnmodifiedOrInPageEditModeNeverAsks()
    {
        QFETCH(bool, fullMode);
        QFETCH(bool, modified);
        open(1, fullMode);
        form->SetModified(modified);
        form->ExitBClick();
        QVERIFY(ui->boxes.isEmpty());
        QVERIFY(!form->isVisible());
    }

    void openAsksFirstAndLoadsTheChosenFile()
    {
        TqpReport other;
        other.Pages.Add()->CreateUniqueName();
        other.Pages.Add()->CreateUniqueName();
        memo(other.Pages.GetPages(1), QStringLiteral("Diger"));
        other.SaveToFile(path(QStringLiteral("diger.qpf")));
        open();
        form->SetModified(true);
        ui->answers << QMessageBox::Cancel;
        form->FileBtn2Click();
        QVERIFY(ui->modalShown.isEmpty()); // cancelled at the prompt
        ui->answers << QMessageBox::No;
        ui->modalActions << chooseFile(path(QStringLiteral("diger.qpf")));
        form->FileBtn2Click();
        QCOMPARE(form->CurDocName, path(QStringLiteral("diger.qpf")));
        QCOMPARE(form->Tab1->count(), 2);
        QVERIFY(report->FindObject(QStringLiteral("Diger")));
        QVERIFY(!form->GetModified());
        QCOMPARE(form->State->CurPageIndex, 0);
    }

    void deletingTheOnlyPageEmptiesIt()
    {
        open();
        memo(report->Pages.GetPages(0), QStringLiteral("Memo1"));
        form->RemovePage(0);
        QCOMPARE(report->Pages.GetCount(), 1);
        QVERIFY(report->Pages.GetPages(0)->Items.isEmpty());
        QVERIFY(form->GetModified());
        // The command itself does not even ask with one page.
        form->PgB2Click();
        QVERIFY(ui->boxes.isEmpty());
    }

    void deletingPage2Of3FixesTheSubReports()
    {
        open(3);
        TqpPage *first = report->Pages.GetPages(0);
        subReport(first, QStringLiteral("SubToTwo"), 1);
        auto *toThree = subReport(first, QStringLiteral("SubToThree"), 2);
        form->SetCurPage(1);
        ui->answers << QMessageBox::Yes;
        form->PgB2Click();
        QCOMPARE(ui->boxes.first().text, QStringLiteral("Bu sayfayı sil?"));
        QCOMPARE(report->Pages.GetCount(), 2);
        QVERIFY(!report->FindObject(QStringLiteral("SubToTwo")));
        QCOMPARE(toThree->SubPage, 1);
        QCOMPARE(form->State->CurPageIndex, 0);
        QCOMPARE(form->Tab1->count(), 2);
        QCOMPARE(form->Tab1->tabText(1), QStringLiteral("SubToThree"));
    }

    void movingTheTabOfPage3BeforePage1()
    {
        open(3);
        TqpPage *p1 = report->Pages.GetPages(0), *p2 = report->Pages.GetPages(1), *p3 = report->Pages.GetPages(2);
        auto *toTwo = subReport(p1, QStringLiteral("SubToTwo"), 1);
        auto *toThree = subReport(p2, QStringLiteral("SubToThree"), 2);
        memo(p3, QStringLiteral("Memo3"));
        form->SetCurPage(2);
        form->State->SelectAll();
        form->State->AddUndoAction(acEdit);
        QVERIFY(form->State->UndoBuffer.Count() > 0);
        form->Tab1->moveTab(2, 0);
        QCOMPARE(report->Pages.GetPages(0), p3);
        QCOMPARE(report->Pages.GetPages(1), p1);
        QCOMPARE(report->Pages.GetPages(2), p2);
        QCOMPARE(toThree->SubPage, 0);
        QCOMPARE(toTwo->SubPage, 2);
        QCOMPARE(form->State->UndoBuffer.Count(), 0);
        QCOMPARE(form->State->RedoBuffer.Count(), 0);
        QVERIFY(form->GetModified());
        QCOMPARE(form->Tab1->tabText(0), QStringLiteral("SubToThree"));
    }

    void anAddedPageCancelledInItsOptionsDisappears()
    {
        open();
        ui->modalActions << [](QDialog *d) { d->reject(); };
        form->PgB1Click();
        QCOMPARE(report->Pages.GetCount(), 1);
        QCOMPARE(form->Tab1->count(), 1);
        QVERIFY(!form->GetModified());
        ui->modalActions << [](QDialog *d) { d->accept(); };
        form->PgB1Click();
        QCOMPARE(report->Pages.GetCount(), 2);
        QCOMPARE(form->State->CurPageIndex, 1);
        QVERIFY(form->GetModified());
        // A page has a sheet also where no printer reports its paper.
        QVERIFY(report->Pages.GetPages(1)->SheetWidth() > 0);
        QVERIFY(report->Pages.GetPages(1)->SheetHeight() > 0);
        form->PgB4Click();
        QCOMPARE(report->Pages.GetPages(2)->PageType, quint8(ptDialog));
        QCOMPARE(form->Tab1->currentIndex(), 2);
    }

    void pageOptionsChangeThePaper()
    {
        open();
        const int a5 = Prn->PaperCodes.indexOf(11);
        QVERIFY(a5 >= 0);
        ui->modalActions << [a5](QDialog *d) {
            auto *f = qobject_cast<TqpPgoptForm *>(d);
            QVERIFY(f);
            f->ComboBox1->setCurrentIndex(a5);
            f->RB2->setChecked(true);
            f->E3->setText(QStringLiteral("12,5"));
            f->E8->setText(QStringLiteral("2"));
            f->E7->setText(QStringLiteral("5"));
            f->CB1->setChecked(true);
            f->accept();
        };
        QVERIFY(form->PgB3Click());
        TqpPage *page = report->Pages.GetPages(0);
        QCOMPARE(page->PaperSize, 11);
        QCOMPARE(int(page->Orientation), int(poLandscape));
        QCOMPARE(page->Margins.Left, 45); // 12,5 mm = 45 units
        QCOMPARE(page->ColCount, 2);
        QCOMPARE(page->ColGap, 18);
        QVERIFY(page->PrintToPrevPage);
        QVERIFY(page->SheetWidth() > page->SheetHeight());
        // Unreadable margins fall back to none; an unreadable custom size to A4.
        const int custom = Prn->PaperCodes.indexOf(qpPaperCustom);
        ui->modalActions << [custom](QDialog *d) {
            auto *f = qobject_cast<TqpPgoptForm *>(d);
            f->ComboBox1->setCurrentIndex(custom);
            f->E1->setText(QStringLiteral("abc"));
            f->E4->setText(QStringLiteral("x"));
            f->accept();
        };
        QVERIFY(form->PgB3Click());
        QCOMPARE(page->PaperSize, 9);
        QCOMPARE(page->Margins.Left, 0);
    }

    void pageEditModeOffersNoFileOrPageCommands()
    {
        open(1, false);
        for (QAction *a : {form->FileBtn1, form->N23, form->FileBtn2, form->FileBtn4, form->PgB1, form->PgB4,
                           form->PgB2, form->PgB3, form->N42, form->N8, form->ToolActions.value(dtBand),
                           form->ToolActions.value(dtSubReport)})
            QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
        QVERIFY(form->ToolActions.value(dtText)->isEnabled());
        QCOMPARE(form->CurDocName, QStringLiteral("İsimsiz"));
        // Reached anyway, they do nothing.
        form->PgB4Click();
        form->FileBtn1Click();
        QCOMPARE(report->Pages.GetCount(), 1);
        QVERIFY(ui->modalShown.isEmpty());
    }

    void restrictionsHideOrDisableButtons_data()
    {
        QTest::addColumn<bool>("hide");
        QTest::newRow("hidden") << true;
        QTest::newRow("disabled but shown") << false;
    }

    void restrictionsHideOrDisableButtons()
    {
        QFETCH(bool, hide);
        TqpDesigner component;
        component.HideDisabledButtons = hide;
        DesignerRestrictions = (1u << qpdrDontCreatePage) | (1u << qpdrDontLoadReport);
        open();
        for (QAction *a : {form->PgB1, form->PgB4, form->FileBtn2}) {
            QVERIFY(!a->isEnabled());
            QVERIFY(!form->ButtonOf(a)->isEnabled());
            QCOMPARE(form->ButtonOf(a)->isVisible(), !hide);
            QVERIFY(a->isVisible()); // the menu item stays, disabled
        }
        QVERIFY(form->ButtonOf(form->PgB3)->isEnabled());
        QVERIFY(form->ButtonOf(form->PgB3)->isVisible());
        form->PgB1Click();
        QCOMPARE(report->Pages.GetCount(), 1);
        // Saving is not forbidden: the unmodified report's save button is
        // greyed but stays, so the buttons beside it keep their places.
        QAction *save = form->ButtonOf(form->FileBtn3);
        QVERIFY(save->isVisible() && !save->isEnabled());
        form->SetModified(true);
        QVERIFY(save->isVisible() && save->isEnabled());
        form->SetModified(false);
        QVERIFY(save->isVisible() && !save->isEnabled());
    }

    void aSecondDesignerComponentIsRefused()
    {
        TqpDesigner first;
        QCOMPARE(qpDesignerComponent, &first);
        QVERIFY_THROWS_EXCEPTION(EqpError, TqpDesigner());
    }

    void designerOptionsAreKeptBetweenWindows()
    {
        open();
        ui->modalActions << [](QDialog *d) {
            auto *f = qobject_cast<TqpDesOptionsForm *>(d);
            QVERIFY(f);
            f->GridSizeCB->setCurrentText(QStringLiteral("18"));
            f->UnitsCB->setCurrentIndex(1);
            f->ShowGridCB->setChecked(false);
            f->SyntaxCB->setChecked(false);
            f->accept();
        };
        form->N14Click();
        QCOMPARE(form->State->GridSize, 18);
        QCOMPARE(form->StatusPanels[0]->text(), QStringLiteral("Milimetre"));
        QVERIFY(!form->GB1->isChecked());
        form->ExitBClick();
        form.reset(); // settings are written as the window goes, after it was closed
        form = std::make_unique<TqpDesignerForm>(report.get(), true);
        form->show();
        QCOMPARE(form->State->GridSize, 18);
        QCOMPARE(int(form->State->Units), int(ruMM));
        QVERIFY(!form->State->ShowGrid);
        QVERIFY(!form->Options.SyntaxHighlight);
        QVERIFY(!form->InspectorDock->isHidden()); // a dock open at closing is open again
        // Without syntax highlighting the text editor's script pane is plain.
        memo(report->Pages.GetPages(0), QStringLiteral("Memo1"));
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        ui->modalActions << [](QDialog *d) {
            auto *editor = qobject_cast<TqpMemoEditorForm *>(d);
            QVERIFY(editor);
            QCOMPARE(int(editor->ScriptMemo->SyntaxType()), int(stText));
            d->reject();
        };
        doubleClick(QPoint(60, 50));
        QCOMPARE(ui->modalShown.size(), 2);
        const auto settings = qpOpenSettings();
        QCOMPARE(settings->value(qpRegRootKey() + QStringLiteral("/Form/TqpDesignerForm/GridSize")).toInt(), 18);
    }

    // A double click on a text object opens the text editor; what is typed
    // there comes back into the object and can be undone. Enter on the
    // selected object opens it again, and cancelling changes nothing.
    void textObjectsOpenTheTextEditor()
    {
        open();
        TqpMemoView *m = memo(report->Pages.GetPages(0), QStringLiteral("Memo1"));
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        ui->modalActions << [](QDialog *d) {
            auto *editor = qobject_cast<TqpMemoEditorForm *>(d);
            QVERIFY2(editor, d->metaObject()->className());
            QCOMPARE(int(editor->ScriptMemo->SyntaxType()), int(stPascal));
            QCOMPARE(editor->MemoText->toPlainText(), QStringLiteral("Memo1"));
            editor->MemoText->selectAll();
            QTest::keyClicks(editor->MemoText, QStringLiteral("Baski: [DATE]"));
            QTest::keyClick(editor->MemoText, Qt::Key_Return);
            QTest::keyClicks(editor->MemoText, QStringLiteral("ikinci"));
            QTest::mouseClick(editor->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        };
        doubleClick(QPoint(60, 50));
        QCOMPARE(ui->modalShown.size(), 1);
        QCOMPARE(m->Memo, (QStringList{QStringLiteral("Baski: [DATE]"), QStringLiteral("ikinci")}));
        QCOMPARE(form->StatusPanels[2]->text(), QStringLiteral("Memo1: Baski: [DATE]"));
        QVERIFY(form->GetModified());
        QVERIFY(form->FileBtn3->isEnabled());
        form->UndoB->trigger();
        m = static_cast<TqpMemoView *>(report->FindObject(QStringLiteral("Memo1")));
        QCOMPARE(m->Memo, QStringList{QStringLiteral("Memo1")});

        form->SetModified(false);
        form->SelectObject(QStringLiteral("Memo1"));
        ui->modalActions << [](QDialog *d) {
            QVERIFY(qobject_cast<TqpMemoEditorForm *>(d));
            static_cast<TqpMemoEditorForm *>(d)->MemoText->setPlainText(QStringLiteral("vazgeçildi"));
            d->reject();
        };
        QTest::keyClick(form->PageCanvas, Qt::Key_Return);
        QCOMPARE(ui->modalShown.size(), 2);
        QCOMPARE(m->Memo, QStringList{QStringLiteral("Memo1")});
        QVERIFY(!form->GetModified());
        form.reset();
        QVERIFY(!qpMemoEditor); // the window's editors leave with it
    }

    // A script with a mistake keeps the editor open with the caret where the
    // message points; once mended it is stored with the text.
    void aScriptErrorPutsTheCaretThere()
    {
        open();
        TqpMemoView *m = memo(report->Pages.GetPages(0), QStringLiteral("Memo1"));
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QString footer;
        QPoint caret;
        bool stillOpen = false;
        ui->modalActions << [&](QDialog *d) {
            auto *editor = qobject_cast<TqpMemoEditorForm *>(d);
            QVERIFY(editor);
            editor->Pages->setCurrentWidget(editor->ScriptMemo);
            QCOMPARE(editor->ScriptMemo->Lines(), qpEmptyScript()); // a new script's empty block
            editor->ScriptMemo->setFocus();
            editor->ScriptMemo->SetPos(3, 2);
            QTest::keyClicks(editor->ScriptMemo, QStringLiteral("if 1 = then"));
            auto *ok = editor->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
            QTest::mouseClick(ok, Qt::LeftButton);
            stillOpen = editor->isVisible() && editor->result() != QDialog::Accepted;
            caret = QPoint(editor->ScriptMemo->GetPos());
            footer = editor->ScriptMemo->FooterText();
            editor->ScriptMemo->SetText({QStringLiteral("begin"), QStringLiteral("  if 1 = 1 then Memo1.Visible := True"),
                                         QStringLiteral("end")});
            QTest::mouseClick(ok, Qt::LeftButton);
        };
        doubleClick(QPoint(60, 50));
        QVERIFY(stillOpen);
        QVERIFY2(!footer.isEmpty(), "the error is shown in the footer");
        QCOMPARE(caret, qpScriptErrorPos(footer));
        QVERIFY2(caret.y() > 1, qPrintable(footer)); // below "begin", where the mistake was noticed
        QCOMPARE(m->Script.value(1), QStringLiteral("  if 1 = 1 then Memo1.Visible := True"));
    }

    // What the window's insert commands give: the chosen field or expression
    // in brackets, nothing when cancelled.
    void insertCommandsGoThroughTheirDialogs()
    {
        open();
        ui->modalActions << [](QDialog *d) {
            auto *line = d->findChild<QLineEdit *>(QStringLiteral("Expression"));
            QVERIFY(line);
            QTest::keyClicks(line, QStringLiteral("UPPERCASE('ab')"));
            QTest::mouseClick(d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        };
        ui->modalActions << [](QDialog *d) { d->reject(); };
        ui->modalActions << [](QDialog *d) {
            QCOMPARE(d->objectName(), QStringLiteral("TqpFieldsForm"));
            d->reject();
        };
        QCOMPARE(form->InsertExpression(), QStringLiteral("[UPPERCASE('ab')]"));
        QCOMPARE(form->InsertExpression(), QString());
        QCOMPARE(form->InsertDBField(), QString());
        QCOMPARE(ui->modalShown.size(), 3);
    }

    // Inserting a sub-report offers the pages the report already has; one
    // chosen there is shown instead of a fresh empty page, which goes again.
    void insertingASubReportOffersThePages_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("choice"); // -1: cancelled
        QTest::addColumn<int>("subPage");
        QTest::addColumn<int>("pagesAfter");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("only its own page: no choice") << 1 << -1 << 1 << 2 << 0;
        QTest::newRow("an existing page chosen") << 3 << 2 << 2 << 3 << 1;
        QTest::newRow("the fresh page kept") << 3 << 3 << 3 << 4 << 1;
        QTest::newRow("choice cancelled") << 3 << -1 << 3 << 4 << 1;
    }

    void insertingASubReportOffersThePages()
    {
        QFETCH(int, pages);
        QFETCH(int, choice);
        QFETCH(int, subPage);
        QFETCH(int, pagesAfter);
        QFETCH(int, dialogs);
        open(pages);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QList<int> offered;
        ui->modalActions << [&](QDialog *d) {
            auto *box = d->findChild<QComboBox *>(QStringLiteral("Pages"));
            QVERIFY(box);
            for (int i = 0; i < box->count(); ++i)
                offered << box->itemData(i).toInt();
            QCOMPARE(box->currentData().toInt(), pages); // the fresh page first
            if (choice < 0) {
                d->reject();
                return;
            }
            box->setCurrentIndex(box->findData(choice));
            QTest::mouseClick(d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        };
        form->ToolActions.value(dtSubReport)->trigger();
        QTest::mouseClick(form->PageCanvas, Qt::LeftButton, {}, QPoint(60, 200));
        QCOMPARE(ui->modalShown.size(), dialogs);
        QVERIFY(form->ToolActions.value(dtSelect)->isChecked()); // the tool buttons follow the canvas
        if (dialogs) {
            QList<int> expected;
            for (int i = 1; i <= pages; ++i)
                expected << i;
            QCOMPARE(offered, expected);
        }
        auto *sub = dynamic_cast<TqpSubReportView *>(report->FindObject(QStringLiteral("SubReport1")));
        QVERIFY(sub);
        QCOMPARE(sub->SubPage, subPage);
        QCOMPARE(report->Pages.GetCount(), pagesAfter);
        // A fresh page is named and has a sheet to draw on, even with no printer.
        if (subPage == pages) {
            QVERIFY(!report->Pages.GetPages(subPage)->Name.isEmpty());
            QVERIFY(report->Pages.GetPages(subPage)->SheetWidth() > 0);
            QVERIFY(form->PageCanvas->width() > 0 && form->PageCanvas->height() > 0);
        }
        // Editing after insertion shows the sub-report's page, tabs included.
        QCOMPARE(form->State->CurPageIndex, subPage);
        QCOMPARE(form->Tab1->count(), pagesAfter);
        QCOMPARE(form->Tab1->currentIndex(), subPage);
        QCOMPARE(form->Tab1->tabText(subPage), QStringLiteral("SubReport1"));
    }

    void designReportShowsTheDesignerThroughTheHook()
    {
        qpInstallDesigner();
        TqpReport r;
        r.FileName = path(QStringLiteral("UyeList.qpf"));
        QString title;
        int pages = 0;
        ui->modalActions << [&](QDialog *d) {
            title = d->windowTitle();
            pages = static_cast<TqpDesignerForm *>(d)->Tab1->count();
            static_cast<TqpDesignerForm *>(d)->ExitBClick();
        };
        QCOMPARE(r.DesignReport(), int(QDialog::Accepted));
        QCOMPARE(title, QStringLiteral("Rapor düzenleyici - UyeList.qpf"));
        QCOMPARE(pages, 1); // an empty report gets its first page
        qpDesignerHook = nullptr;
        qpDesignerClass = nullptr;
    }
};

QTEST_MAIN(TestDesignerForm)
#include "test_designer_form.moc"
