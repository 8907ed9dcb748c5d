// The designer window's editing commands reached as the operator reaches
// them: shortcuts, toolbar buttons and boxes, the colour selector, the
// alignment palette, the inspector in its dock and the extra tools menu.
// Modal dialogs are answered by the scripted modal seam.

#include "report/core/string_table.h"
#include "report/designer/color_selector.h"
#include "report/designer/designer_commands.h"
#include "report/designer/designer_form.h"
#include "report/designer/designer_page.h"
#include "report/designer/designer_state.h"
#include "report/designer/font_dialog.h"
#include "report/designer/insert_fields_form.h"
#include "report/designer/insp_form.h"
#include "report/expr/expr_globals.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/output/printer.h"
#include "designer_window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QFontDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>

class TestDesignerFormEditing : public QObject, TDesignerWindowFixture {
    Q_OBJECT

    std::unique_ptr<TqpReport> report;
    std::unique_ptr<TqpDesignerForm> form;

    TqpMemoView *memo(int page, const QString &name, int left, int top)
    {
        TqpPage *p = report->Pages.GetPages(page);
        auto *v = static_cast<TqpMemoView *>(qpCreateObject(vkText, QString()));
        v->Name = name;
        v->SetBounds(left, top, 100, 20);
        v->Memo = QStringList{name};
        v->OwnerPage = p;
        p->Items.append(v);
        return v;
    }

    // Three text objects on page 1 of two, the window shown.
    void open()
    {
        report = std::make_unique<TqpReport>();
        CurReport = report.get();
        for (int i = 0; i < 2; ++i)
            report->Pages.Add()->CreateUniqueName();
        memo(0, QStringLiteral("Memo1"), 40, 40);
        memo(0, QStringLiteral("Memo2"), 200, 52);
        memo(0, QStringLiteral("Memo3"), 360, 64);
        form = std::make_unique<TqpDesignerForm>(report.get(), true);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->PageCanvas->setFocus();
    }

    TqpMemoView *item(int page, int index) const
    {
        return static_cast<TqpMemoView *>(report->Pages.GetPages(page)->Items.at(index));
    }

    void key(int k, Qt::KeyboardModifiers mods = Qt::ControlModifier)
    {
        QTest::keyClick(form->PageCanvas, Qt::Key(k), mods);
    }

    void click(QToolBar *bar, QAction *action)
    {
        QWidget *w = bar->widgetForAction(action);
        QVERIFY(w && w->isEnabled());
        QTest::mouseClick(w, Qt::LeftButton);
    }

private slots:
    void initTestCase() { startGlobals(); }

    void init()
    {
        begin();
        QApplication::clipboard()->clear();
    }

    void cleanup()
    {
        form.reset();
        report.reset();
        end();
    }

    void cleanupTestCase() { stopGlobals(); }

    void shortcutsSelectCopyPasteAndUndo()
    {
        open();
        QVERIFY(!form->CopyB->isEnabled() && !form->CutB->isEnabled());
        key(Qt::Key_A);
        QCOMPARE(form->State->SelCount(), 3);
        QVERIFY(form->CopyB->isEnabled() && form->CutB->isEnabled() && form->BringToFrontB->isEnabled());
        key(Qt::Key_C);
        QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(QLatin1String(qpObjectsMimeType)));
        QVERIFY(form->PasteB->isEnabled());
        // Pasted onto the second page through its tab, with names of their own.
        QTest::mouseClick(form->Tab1, Qt::LeftButton, {}, form->Tab1->tabRect(1).center());
        QCOMPARE(form->State->CurPageIndex, 1);
        form->PageCanvas->setFocus();
        key(Qt::Key_V);
        TqpPage *second = report->Pages.GetPages(1);
        QCOMPARE(second->Items.size(), 3);
        QStringList names;
        for (TqpView *v : second->Items)
            names << v->Name;
        QCOMPARE(names, (QStringList{"Memo4", "Memo5", "Memo6"}));
        QCOMPARE(item(1, 0)->Memo, QStringList{"Memo1"});
        QVERIFY(form->GetModified());
        key(Qt::Key_Z);
        QCOMPARE(second->Items.size(), 0);
        key(Qt::Key_Y);
        QCOMPARE(second->Items.size(), 3);
        // Cut takes them off, Delete too.
        QTest::mouseClick(form->Tab1, Qt::LeftButton, {}, form->Tab1->tabRect(0).center());
        form->PageCanvas->setFocus();
        form->SelectObject(QStringLiteral("Memo2"));
        key(Qt::Key_X);
        QCOMPARE(report->Pages.GetPages(0)->Items.size(), 2);
        QVERIFY(!form->CutB->isEnabled());
    }

    void zOrderFromTheEditMenu()
    {
        open();
        form->SelectObject(QStringLiteral("Memo1"));
        form->BringToFrontB->trigger();
        QCOMPARE(item(0, 2)->Name, QStringLiteral("Memo1"));
        form->SelectObject(QStringLiteral("Memo3"));
        form->SendToBackB->trigger();
        QCOMPARE(item(0, 0)->Name, QStringLiteral("Memo3"));
    }

    void alignmentPaletteAlignsTopsOfTheSelection()
    {
        open();
        QAction *top = form->AlignActions.value(acAlignTop);
        QVERIFY(!top->isEnabled());
        form->SelectObject(QStringLiteral("Memo1"));
        QVERIFY(!top->isEnabled()); // one object has nothing to align with
        key(Qt::Key_A);
        QVERIFY(top->isEnabled());
        click(form->AlignBar, top);
        const int t = item(0, 0)->Top;
        QCOMPARE(item(0, 1)->Top, t);
        QCOMPARE(item(0, 2)->Top, t);
        QVERIFY(form->UndoB->isEnabled());
        // A property change after the move: undoing both puts the tops back too.
        click(form->TextBar, form->PropActions.value(ptBold));
        QCOMPARE(item(0, 0)->Font.Style & 1, 1);
        form->UndoB->trigger();
        QCOMPARE(item(0, 0)->Font.Style & 1, 0);
        QCOMPARE(item(0, 1)->Top, t);
        form->UndoB->trigger();
        QCOMPARE(QList<int>({item(0, 0)->Top, item(0, 1)->Top, item(0, 2)->Top}), QList<int>({40, 52, 64}));
        // Moving forbidden: the palette is off.
        DesignerRestrictions = 1u << qpdrDontMoveObj;
        key(Qt::Key_A);
        QVERIFY(!top->isEnabled());
        QVERIFY(!form->GB3->isEnabled());
    }

    void toolbarsFollowAndChangeTheSelection()
    {
        open();
        QAction *bold = form->PropActions.value(ptBold);
        QVERIFY(!bold->isEnabled());
        item(0, 1)->Font.Style = 1;
        form->SelectObject(QStringLiteral("Memo2"));
        QVERIFY(bold->isEnabled() && bold->isChecked());
        QCOMPARE(form->FontSizeBox->currentText(), QStringLiteral("10"));
        form->SelectObject(QStringLiteral("Memo1"));
        QVERIFY(!bold->isChecked());
        key(Qt::Key_A);
        click(form->TextBar, bold);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(item(0, i)->Font.Style & 1, 1);
        QVERIFY(bold->isChecked());
        QCOMPARE(form->InspForm->RowCount() > 0, true);
        // A size typed and Enter.
        form->FontSizeBox->lineEdit()->selectAll();
        QTest::keyClicks(form->FontSizeBox->lineEdit(), QStringLiteral("14"));
        QTest::keyClick(form->FontSizeBox->lineEdit(), Qt::Key_Return);
        QCOMPARE(item(0, 2)->Font.Size, 14);
        const int undo = form->State->UndoBuffer.Count();
        // A size that is no number: said so, nothing changed or recorded, the box shows the size again.
        form->FontSizeBox->lineEdit()->selectAll();
        QTest::keyClicks(form->FontSizeBox->lineEdit(), QStringLiteral("abc"));
        QTest::keyClick(form->FontSizeBox->lineEdit(), Qt::Key_Return);
        QCOMPARE(ui->errors().size(), 1);
        QVERIFY(ui->errors().first().contains(QLatin1String("abc")));
        QCOMPARE(item(0, 2)->Font.Size, 14);
        QCOMPARE(form->State->UndoBuffer.Count(), undo);
        QCOMPARE(form->FontSizeBox->currentText(), QStringLiteral("14"));
        // Frame lines and the frame width.
        click(form->FrameBar, form->PropActions.value(ptFrameTop));
        QCOMPARE(item(0, 0)->FrameTyp & qpftTop, int(qpftTop));
        click(form->FrameBar, form->PropActions.value(ptAllFrames));
        QCOMPARE(item(0, 1)->FrameTyp, quint16(15));
        QVERIFY(form->PropActions.value(ptFrameLeft)->isChecked());
        form->FrameWidthBox->lineEdit()->selectAll();
        QTest::keyClicks(form->FrameWidthBox->lineEdit(), QStringLiteral("2,5"));
        QTest::keyClick(form->FrameWidthBox->lineEdit(), Qt::Key_Return);
        QCOMPARE(item(0, 2)->FrameWidth, 2.5f);
        // Centred and vertical.
        click(form->TextBar, form->PropActions.value(ptAlignCenter));
        click(form->TextBar, form->PropActions.value(ptRotation));
        QCOMPARE(item(0, 0)->Alignment, int(qptaCenter | qptaVertical));
    }

    void colourSelectorUnderItsButton()
    {
        open();
        form->SelectObject(QStringLiteral("Memo2"));
        click(form->TextBar, form->ClB2);
        QVERIFY(form->ColorSelector->isVisible());
        QTest::mouseClick(form->ColorSelector->ColorButton(9), Qt::LeftButton);
        QVERIFY(!form->ColorSelector->isVisible());
        QVERIFY(item(0, 1)->Font.Color != 0);
        QCOMPARE(item(0, 0)->Font.Color, 0u);
        // The fill colour's "none".
        item(0, 1)->FillColor = 0xFF;
        click(form->FrameBar, form->ClB1);
        QTest::mouseClick(form->ColorSelector->NoneButton(), Qt::LeftButton);
        QCOMPARE(item(0, 1)->FillColor, quint32(clNone));
    }

    void inspectorInItsDockFollowsTheSelection()
    {
        open();
        QCOMPARE(form->InspectorDock->widget(), form->InspForm);
        QCOMPARE(form->InspectorDock->windowTitle(), QStringLiteral("Nesne bilgileri"));
        QVERIFY(form->InspectorDock->isVisible());
        form->SelectObject(QStringLiteral("Memo3"));
        QCOMPARE(form->InspForm->TitleName(), QStringLiteral("Memo3"));
        // A colour typed in the inspector reaches the object and can be undone.
        const int row = form->InspForm->RowOf(QStringLiteral("FrameColor"));
        QVERIFY(row >= 0);
        form->InspForm->SetItemIndex(row);
        form->InspForm->SetItemValue(QStringLiteral("clRed"));
        QCOMPARE(item(0, 2)->FrameColor, 0xFFu);
        form->UndoB->trigger();
        QCOMPARE(item(0, 2)->FrameColor, 0u);
    }

    // After a preview the inspector shows the page's margins as stored, and
    // an object inserted before the preview is still undone.
    void previewLeavesTheDesignerAsItWas()
    {
        open();
        report->Pages.GetPages(0)->Margins = {40, 40, 40, 40};
        form->SelectObject(QStringLiteral("Memo2"));
        key(Qt::Key_C);
        key(Qt::Key_V);
        QCOMPARE(report->Pages.GetPages(0)->Items.size(), 4);
        ui->modalActions << [](QDialog *d) { d->reject(); };
        form->FileBtn4->trigger();
        QCOMPARE(ui->modalShown.size(), 1);
        form->State->Unselect();
        form->State->SelectionChanged();
        for (const char *name : {"LeftMargin", "TopMargin", "RightMargin", "BottomMargin"})
            QCOMPARE(form->InspForm->Row(form->InspForm->RowOf(QLatin1String(name))).Text, QStringLiteral("40"));
        form->UndoB->trigger();
        QCOMPARE(report->Pages.GetPages(0)->Items.size(), 3);
    }

    void popupMenuOffersTheEditingCommands()
    {
        open();
        form->SelectObject(QStringLiteral("Memo1"));
        form->Popup1Popup();
        const QList<QAction *> items = form->Popup1->actions();
        QVERIFY(items.contains(form->CutB) && items.contains(form->PasteB) && items.contains(form->HlB1));
        QVERIFY(items.contains(form->FontB));
    }

    void extraToolsMenuRunsTheWizard()
    {
        open();
        QVERIFY(form->InsFieldsB->isEnabled());
        QMenu *extra = nullptr;
        for (QAction *a : form->ToolsMenu->actions())
            if (a->menu() && a->menu()->actions().contains(form->InsFieldsB))
                extra = a->menu();
        QVERIFY(extra);
        ui->modalActions << [](QDialog *d) {
            QVERIFY(qobject_cast<TqpInsertFieldsForm *>(d));
            d->reject();
        };
        form->InsFieldsB->trigger();
        QCOMPARE(ui->modalShown.size(), 1);
        DesignerRestrictions = 1u << qpdrDontCreateObj;
        form->SelectObject(QStringLiteral("Memo1"));
        QVERIFY(!form->InsFieldsB->isEnabled());
    }

    void fontDialogChangesOnlyWhatWasChanged()
    {
        open();
        item(0, 1)->Font.Size = 16;
        item(0, 0)->Font.Name = QStringLiteral("Courier New");
        key(Qt::Key_A);
        ui->modalActions << [](QDialog *d) {
            auto *dialog = qobject_cast<TqpFontDialog *>(d);
            QVERIFY(dialog);
            QFont f = dialog->FontBox()->currentFont();
            f.setStyleName(QString()); // a named style ("Regular") would override the flag
            f.setItalic(true);
            dialog->FontBox()->setCurrentFont(f);
            dialog->accept();
        };
        form->C2DblClick();
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(item(0, i)->Font.Style & 2, 2);
            QCOMPARE(item(0, i)->Font.Color, 0u);
        }
        // The size and name the dialog started with were the last one's own:
        // the others keep theirs.
        QCOMPARE(item(0, 1)->Font.Size, 16);
        QCOMPARE(item(0, 0)->Font.Size, 10);
        QCOMPARE(item(0, 0)->Font.Name, QStringLiteral("Courier New"));
        // The chooser showed a stand-in where Arial is not installed; the name
        // the operator left alone stays.
        QCOMPARE(item(0, 2)->Font.Name, QStringLiteral("Arial"));
    }

    // The inspector's "Font" row opens the same dialog; its colour is the
    // only way the inspector changes a text's colour. Cancelled, nothing
    // changes; the change is one undo step.
    void inspectorFontEditorChangesTheTextColour()
    {
        open();
        form->SelectObject(QStringLiteral("Memo2"));
        const int row = form->InspForm->RowOf(QStringLiteral("Font"));
        QVERIFY(row >= 0);
        form->InspForm->SetItemIndex(row);
        QVERIFY(form->InspForm->EditorButton()->isVisible());
        ui->modalActions << [](QDialog *d) { d->reject(); };
        QTest::mouseClick(form->InspForm->EditorButton(), Qt::LeftButton);
        QCOMPARE(ui->modalShown.size(), 1);
        QCOMPARE(form->State->UndoBuffer.Count(), 0);

        ui->modalActions << [](QDialog *d) {
            auto *dialog = qobject_cast<TqpFontDialog *>(d);
            QVERIFY(dialog);
            TqpColorButton *button = dialog->ColorButton();
            QCOMPARE(button->Color(), 0u);
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(button->Selector()->isVisible());
            QVERIFY(button->Selector()->NoneButton()->isHidden()); // a text always has a colour
            QTest::mouseClick(button->Selector()->ColorButton(10), Qt::LeftButton); // red
            QVERIFY(!button->Selector()->isVisible());
            dialog->accept();
        };
        QTest::keyClick(form->InspForm->EditBox(), Qt::Key_Return);
        QCOMPARE(ui->modalShown.size(), 2);
        QCOMPARE(item(0, 1)->Font.Color, 0xFFu);
        QCOMPARE(item(0, 1)->Font.Size, 10);
        QCOMPARE(item(0, 0)->Font.Color, 0u);
        QVERIFY(form->GetModified());
        form->UndoB->trigger();
        QCOMPARE(item(0, 1)->Font.Color, 0u);
        form->RedoB->trigger();
        QCOMPARE(item(0, 1)->Font.Color, 0xFFu);
    }
};

QTEST_MAIN(TestDesignerFormEditing)
#include "test_designer_form_editing.moc"
