// Editing one prepared page from the preview in the designer: the preview's
// items, Ctrl+E and the double click, the page stored back only when the
// operator keeps the changes, the template untouched, and the edit kept in
// the saved prepared report. The real preview and designer windows run;
// their modal loops are answered by the scripted modal seam.

#include "report/designer/designer_form.h"
#include "report/designer/designer_state.h"
#include "report/designer/memo_editor.h"
#include "report/engine/prepared_pages.h"
#include "report/expr/expr_globals.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/output/preview_form.h"
#include "report/output/preview_search.h"
#include "report/output/printer.h"
#include "scripted_ui.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// A report whose template holds one text "Şablon", with `count` A4 prepared
// pages, each with one text "Sayfa N metni".
std::unique_ptr<TqpReport> makeReport(int count)
{
    auto report = std::make_unique<TqpReport>();
    TqpPage *templatePage = report->Pages.Add();
    templatePage->CreateUniqueName();
    auto *title = static_cast<TqpMemoView *>(qpCreateObject(vkText, QString()));
    title->Name = QStringLiteral("Sablon");
    title->Memo = QStringList{QStringLiteral("Şablon")};
    title->OwnerPage = templatePage;
    templatePage->Items.append(title);
    TqpEMFPages &pages = report->GetEMFPages();
    TqpPage paper(9, 2100, 2970, -1, poPortrait);
    for (int i = 0; i < count; ++i) {
        pages.Add(&paper);
        TqpMemoView view;
        view.Name = QStringLiteral("Memo1");
        view.Memo = QStringList{QStringLiteral("Sayfa %1 metni").arg(i + 1)};
        view.SetBounds(60, 60, 400, 40);
        view.SaveMode = smQPP;
        view.ExpandedMemo = view.Memo;
        view.WriteEntry(pages.CurrentStream());
    }
    return report;
}

std::unique_ptr<TqpPreviewForm> previewOf(TqpReport &report)
{
    auto form = std::make_unique<TqpPreviewForm>();
    form->Connect(&report);
    form->InitButtons();
    form->resize(800, 650);
    form->show();
    form->RedrawAll(true);
    return form;
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The middle of a page in the page box.
QPoint pageCentre(const TqpPreviewForm &form, int page)
{
    const TRect &r = form.Pages()->GetPages(page - 1).PreviewRect;
    return QPoint((r.Left + r.Right) / 2 - form.HScrollBar->value(), (r.Top + r.Bottom) / 2 - form.VScrollBar->value());
}

} // namespace

class TestPreparedPageEdit : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TScriptedUi> ui;

    // The page number the search lands on, 0 when the text is on no page.
    int pageOf(TqpPreviewForm &form, const QString &text)
    {
        ui->modalActions << [text](QDialog *d) {
            auto *f = qobject_cast<TqpPreviewSearchForm *>(d);
            QVERIFY(f);
            f->Edit1->setText(text);
            f->RB1->setChecked(true);
            f->Button1->click();
        };
        form.FindBtnClick();
        return form.Search().FoundFlag ? form.CurrentPage() : 0;
    }

    // What the operator does in the designer: checks it shows the page in
    // page-edit mode, rewrites Memo1 through the text editor, closes it.
    std::function<void(QDialog *)> rewrite(const QString &expected, const QString &text, QString *seen = nullptr)
    {
        return [this, expected, text, seen](QDialog *d) {
            auto *designer = qobject_cast<TqpDesignerForm *>(d);
            QVERIFY(designer);
            QVERIFY(!designer->FullMode);
            QCOMPARE(qpDesigner, designer);
            QCOMPARE(designer->Tab1->count(), 1);
            QCOMPARE(designer->CurDocName, QStringLiteral("İsimsiz"));
            TqpReport *report = designer->Report;
            QCOMPARE(report->Pages.GetCount(), 1);
            QVERIFY(!report->FindObject(QStringLiteral("Sablon")));
            auto *memo = static_cast<TqpMemoView *>(report->FindObject(QStringLiteral("Memo1")));
            QVERIFY(memo);
            QCOMPARE(memo->Memo, QStringList{expected});
            if (seen)
                *seen = memo->Memo.join(QLatin1Char('\n'));
            if (!text.isNull()) {
                designer->SelectObject(QStringLiteral("Memo1"));
                ui->modalActions.prepend([text](QDialog *e) {
                    auto *editor = qobject_cast<TqpMemoEditorForm *>(e);
                    QVERIFY(editor);
                    editor->MemoText->setPlainText(text);
                    editor->accept();
                });
                designer->State->ShowEditor();
                QVERIFY(designer->GetModified());
            }
            designer->ExitBClick();
        };
    }

    void checkTemplateBack(TqpReport &report)
    {
        QCOMPARE(report.Pages.GetCount(), 1);
        QVERIFY(report.FindObject(QStringLiteral("Sablon")));
        QVERIFY(!report.FindObject(QStringLiteral("Memo1")));
        QVERIFY(!qpDesigner);
    }

private slots:
    void initTestCase()
    {
        qpPrinterStartup();
        qpInitExpressionGlobals();
        qpInitModelGlobals();
        qpInstallDesigner();
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir->filePath(QStringLiteral("config")));
        ui = std::make_unique<TScriptedUi>();
        SavedZoom = 1;
        SavedZoomMode = mdNone;
    }

    void cleanup()
    {
        ui.reset();
        dir.reset();
        CurReport = MasterReport = nullptr;
        CurPage = nullptr;
    }

    void cleanupTestCase()
    {
        qpDesignerHook = nullptr;
        qpPageEditHook = nullptr;
        qpDesignerClass = nullptr;
        qpDoneModelGlobals();
        qpDoneExpressionGlobals();
    }

    void itemsShowWithADesignerWhereTheReportAllows()
    {
        auto report = makeReport(2);
        auto form = previewOf(*report);
        sendMouse(form->PBox, QEvent::MouseButtonPress, QPoint(5, 5), Qt::RightButton);
        form->ProcMenu->hide();
        for (QAction *a : {form->EditSeparator, form->EditPageItem, form->NewPageItem, form->DelPageItem})
            QVERIFY(a->isVisible());
        QCOMPARE(form->EditPageItem->text(), QStringLiteral("Sayfayı düzelt"));
        // "Sayfa sil" only while more than one page is left.
        QVERIFY(form->DelPageItem->isEnabled());
        ui->answers << QMessageBox::Yes;
        form->DelPageItem->trigger();
        QCOMPARE(form->PageCount(), 1);
        QVERIFY(!form->DelPageItem->isEnabled());
        form->NewPageItem->trigger();
        QCOMPARE(form->PageCount(), 2);
        QVERIFY(form->DelPageItem->isEnabled());
        form->SetCurrentPage(2);
        form->ZoomBtnClick();
        form->ProcMenu->hide();
        QVERIFY(!form->EditPageItem->isVisible());
        // The zoom menu hid the item for a while; Ctrl+E still edits.
        ui->modalActions << rewrite(QStringLiteral("Sayfa 2 metni"), QString());
        QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(ui->modalShown.size(), 1);
        report->ModifyPrepared = false;
        sendMouse(form->PBox, QEvent::MouseButtonPress, QPoint(5, 5), Qt::RightButton);
        form->ProcMenu->hide();
        for (QAction *a : {form->EditSeparator, form->EditPageItem, form->NewPageItem, form->DelPageItem})
            QVERIFY(!a->isVisible());
        QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
        sendMouse(form->PBox, QEvent::MouseButtonDblClick, pageCentre(*form, 1), Qt::LeftButton);
        form->EditBtnClick();
        QCOMPARE(ui->modalShown.size(), 1);
    }

    void editedPageIsStoredAndSaved()
    {
        auto report = makeReport(3);
        auto form = previewOf(*report);
        form->SetCurrentPage(2);
        ui->modalActions << rewrite(QStringLiteral("Sayfa 2 metni"), QStringLiteral("Düzeltilmiş başlık"));
        ui->answers << QMessageBox::Yes;
        QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(ui->boxes.size(), 1);
        QCOMPARE(ui->boxes.at(0).title, QStringLiteral("Onaylama"));
        QCOMPARE(ui->boxes.at(0).text, QStringLiteral("Degişiklikleri kaydet?"));
        QCOMPARE(ui->boxes.at(0).icon, QMessageBox::Question);
        QCOMPARE(ui->boxes.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
        checkTemplateBack(*report);
        QVERIFY(form->Pages());
        QCOMPARE(form->PageCount(), 3);
        QCOMPARE(form->CurrentPage(), 2);
        QCOMPARE(pageOf(*form, QStringLiteral("Düzeltilmiş başlık")), 2);
        QCOMPARE(pageOf(*form, QStringLiteral("Sayfa 2 metni")), 0);
        QCOMPARE(pageOf(*form, QStringLiteral("Sayfa 3 metni")), 3);

        const QString path = dir->filePath(QStringLiteral("liste.qpp"));
        form->SaveToFile(path);
        TqpReport reopened;
        reopened.LoadPreparedReport(path);
        auto again = previewOf(reopened);
        QCOMPARE(again->PageCount(), 3);
        QCOMPARE(pageOf(*again, QStringLiteral("Düzeltilmiş başlık")), 2);
        // The reopened page opens in the designer with the edited text.
        again->SetCurrentPage(2);
        ui->modalActions << rewrite(QStringLiteral("Düzeltilmiş başlık"), QString());
        again->EditBtnClick();
        QCOMPARE(ui->boxes.size(), 1); // unchanged: nothing asked
        QCOMPARE(reopened.Pages.GetCount(), 0); // a report from a file has no template, before and after
    }

    void doubleClickEditsTheClickedPageAndNoKeepsIt()
    {
        auto report = makeReport(3);
        auto form = previewOf(*report);
        QCOMPARE(form->CurrentPage(), 1);
        ui->modalActions << rewrite(QStringLiteral("Sayfa 2 metni"), QStringLiteral("Atılacak metin"));
        ui->answers << QMessageBox::No;
        sendMouse(form->PBox, QEvent::MouseButtonDblClick, pageCentre(*form, 2), Qt::LeftButton);
        QCOMPARE(ui->modalShown.size(), 2); // the designer and its text editor
        QCOMPARE(ui->boxes.size(), 1);
        QCOMPARE(form->CurrentPage(), 2);
        checkTemplateBack(*report);
        QCOMPARE(pageOf(*form, QStringLiteral("Atılacak metin")), 0);
        QCOMPARE(pageOf(*form, QStringLiteral("Sayfa 2 metni")), 2);
    }

    void anOpenDesignerIsCurrentAgainAfterThePageEdit()
    {
        auto report = makeReport(1);
        CurReport = report.get();
        TqpDesignerForm outer(report.get(), true);
        outer.show();
        QCOMPARE(qpDesigner, &outer);
        auto form = previewOf(*report);
        ui->modalActions << rewrite(QStringLiteral("Sayfa 1 metni"), QString());
        form->EditBtnClick();
        QCOMPARE(qpDesigner, &outer);
        QCOMPARE(outer.Page, report->Pages.GetPages(0));
        QVERIFY(report->FindObject(QStringLiteral("Sablon")));
    }
};

QTEST_MAIN(TestPreparedPageEdit)
#include "test_prepared_page_edit.moc"
