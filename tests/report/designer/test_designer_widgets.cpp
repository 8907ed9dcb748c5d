// The designer's small widgets operated with real pointer events: the
// colour selector with its "none" entry and the colour dialog, the
// line-style panel, and the highlight dialog applied to the selection.

#include "designer_fixture.h"
#include "report/designer/color_selector.h"
#include "report/designer/designer_commands.h"
#include "data/table.h"
#include "report/designer/highlight_form.h"
#include "report/designer/insert_fields_form.h"
#include "report/expr/report_dataset.h"
#include "report/designer/line_style_panel.h"
#include "scripted_ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QColorDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>

class TestDesignerWidgets : public QObject {
    Q_OBJECT

    TDesignerFixture f;
    std::unique_ptr<TScriptedUi> ui;

private slots:
    void init()
    {
        DesignerRestrictions = 0;
        ui = std::make_unique<TScriptedUi>();
    }

    void cleanup()
    {
        f.close();
        ui.reset();
    }

    void colourSelectorChooses()
    {
        TqpColorSelector selector;
        selector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&selector));
        QSignalSpy chosen(&selector, &TqpColorSelector::ColorSelected);
        QVERIFY(selector.NoneButton()->isChecked());
        QCOMPARE(selector.ColorButton(10)->toolTip(), QStringLiteral("clRed"));
        QTest::mouseClick(selector.ColorButton(10), Qt::LeftButton);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.last().at(0).value<quint32>(), 0xFFu);
        QVERIFY(!selector.isVisible());
        selector.show();
        QVERIFY(selector.ColorButton(10)->isChecked());
        QTest::mouseClick(selector.NoneButton(), Qt::LeftButton);
        QCOMPARE(chosen.last().at(0).value<quint32>(), 0x1FFFFFFFu);
        // Any other colour through the desktop's colour dialog.
        selector.show();
        ui->modalActions.append([](QDialog *d) {
            auto *dialog = qobject_cast<QColorDialog *>(d);
            QVERIFY(dialog);
            dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
            dialog->accept();
        });
        QTest::mouseClick(selector.OtherButton(), Qt::LeftButton);
        QCOMPARE(chosen.last().at(0).value<quint32>(), 0x563412u);
        // A cancelled dialog chooses nothing.
        const int before = chosen.count();
        selector.show();
        QTest::mouseClick(selector.OtherButton(), Qt::LeftButton);
        QCOMPARE(chosen.count(), before);
    }

    void lineStylePanelChooses()
    {
        TqpLineStylePanel panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QSignalSpy chosen(&panel, &TqpLineStylePanel::StyleSelected);
        QTest::mouseClick(panel.StyleButton(5), Qt::LeftButton);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.last().at(0).toInt(), 5);
        QVERIFY(!panel.isVisible());
    }

    void highlightDialogAppliesToSelectedTexts()
    {
        f.open(1);
        TqpDesignerCommands commands(f.state);
        auto *a = f.text(QStringLiteral("Memo1"), {10, 10, 50, 20});
        auto *b = f.text(QStringLiteral("Memo2"), {10, 40, 50, 20});
        b->HighlightCondition = QStringLiteral("Value > 10");
        b->Highlight.FontStyle = 2 | 8; // bold and strikeout
        f.select({a, b});
        ui->modalActions.append([](QDialog *d) {
            auto *form = qobject_cast<TqpHighlightForm *>(d);
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QStringLiteral("Belirti durumu"));
            // It starts from the last selected object.
            QCOMPARE(form->ConditionEdit()->text(), QStringLiteral("Value > 10"));
            QVERIFY(form->BoldBox()->isChecked());
            QTest::mouseClick(form->ItalicBox(), Qt::LeftButton, {}, QPoint(4, form->ItalicBox()->height() / 2));
            form->ConditionEdit()->selectAll();
            QTest::keyClicks(form->ConditionEdit(), QStringLiteral("[Aidat] < 0"));
            QTest::mouseClick(form->FillColorButton(), Qt::LeftButton);
            QVERIFY(form->FillColorButton()->Selector()->isVisible());
            QTest::mouseClick(form->FillColorButton()->Selector()->NoneButton(), Qt::LeftButton);
            form->accept();
        });
        TqpHighlightForm::Edit(commands);
        for (TqpMemoView *m : {a, b}) {
            QCOMPARE(m->HighlightCondition, QStringLiteral("[Aidat] < 0"));
            QCOMPARE(m->Highlight.FontStyle, quint16(3));
            QCOMPARE(m->Highlight.FillColor, 0x1FFFFFFFu);
        }
        QCOMPARE(f.state->UndoBuffer.Count(), 1);
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(static_cast<TqpMemoView *>(f.page()->Items.at(1))->HighlightCondition, QStringLiteral("Value > 10"));
        // Cancelled: nothing changes and nothing is recorded.
        f.select({a});
        TqpHighlightForm::Edit(commands);
        QCOMPARE(f.state->UndoBuffer.Count(), 0);
    }

    void insertFieldsWizardLaysOutCaptionsAndFields()
    {
        QTemporaryDir dir;
        TTable::CreateTable(dir.filePath(QStringLiteral("Uye.db")),
                            {{QStringLiteral("AdiSoyadi"), ftString, 30}, {QStringLiteral("Aidat"), ftFloat}}, -1);
        QWidget form;
        form.setObjectName(QStringLiteral("UyeKayitForm1"));
        auto *table = new TTable(&form);
        table->setObjectName(QStringLiteral("Table1"));
        table->DatabaseName = dir.path();
        table->TableName = QStringLiteral("Uye.db");
        table->Open();
        auto *reportData = new TqpDBDataSet(&form);
        reportData->setObjectName(QStringLiteral("qpDBDataSet1"));
        reportData->setDataSet(table);
        f.open(1, &form);
        // The report belongs to the window: it goes first, whatever happens.
        const auto closeFirst = qScopeGuard([this] { f.close(); });
        TqpDesignerCommands commands(f.state);
        ui->modalActions.append([](QDialog *d) {
            auto *wizard = qobject_cast<TqpInsertFieldsForm *>(d);
            QVERIFY(wizard);
            QCOMPARE(wizard->windowTitle(), QStringLiteral("Tablodan rapora alan ekleme (sihirbaz)"));
            QCOMPARE(wizard->DataSetBox()->currentText(), QStringLiteral("Table1"));
            QListWidget *fields = wizard->FieldList();
            QCOMPARE(fields->count(), 2);
            for (int i = 0; i < 2; ++i)
                QTest::mouseClick(fields->viewport(), Qt::LeftButton, {}, fields->visualItemRect(fields->item(i)).center());
            QVERIFY(wizard->HeadersBox()->isChecked());
            wizard->BandsBox()->setChecked(true);
            wizard->accept();
        });
        TqpInsertFieldsForm::Run(commands);
        TqpPage *page = f.page();
        const int lm = page->LeftMargin(), tm = page->TopMargin();
        QCOMPARE(f.names(), (QStringList{"Band1", "Band2", "Memo1", "Memo2", "Memo3", "Memo4"}));
        auto *header = static_cast<TqpMemoView *>(page->Items.at(2));
        auto *name = static_cast<TqpMemoView *>(page->Items.at(3));
        auto *dues = static_cast<TqpMemoView *>(page->Items.at(5));
        QCOMPARE(header->Memo, QStringList{"AdiSoyadi"});
        QCOMPARE(qpGetFontStyle(header->Font.Style) & 2, 2);
        QCOMPARE(QPoint(header->Left, header->Top), QPoint(lm, tm));
        QVERIFY(header->Width > 0 && header->Width % 4 == 0);
        QCOMPARE(name->Memo, QStringList{"[Table1.\"AdiSoyadi\"]"});
        QCOMPARE(QPoint(name->Left, name->Top), QPoint(lm, tm + 72));
        // Thirty characters against ten: three times as wide, give or take the grid.
        QVERIFY(name->Width > 0 && name->Width % 4 == 0);
        QVERIFY(std::abs(name->Width - 3 * dues->Width) <= 12);
        QCOMPARE(dues->Left, lm + 4 + name->Width);
        QCOMPARE(dues->Memo, QStringList{"[Table1.\"Aidat\"]"});
        TqpView *pageHeader = page->Items.at(0), *data = page->Items.at(1);
        QCOMPARE(pageHeader->FrameTyp, quint16(btPageHeader));
        QCOMPARE(pageHeader->Top, tm);
        QCOMPARE(pageHeader->Height, header->Height);
        QCOMPARE(data->FrameTyp, quint16(btMasterData));
        QCOMPARE(data->Top, tm + 72);
        QCOMPARE(data->FormatStr, QStringLiteral("qpDBDataSet1"));
        // The text objects are the selection; the bands come along in the undo record.
        QCOMPARE(f.state->SelCount(), 4);
        // One undo takes the whole layout away.
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(page->Items.size(), 0);

        // One under the other without captions or bands.
        TqpInsertFieldsForm::InsertFields(commands, QStringLiteral("Table1"), {QStringLiteral("AdiSoyadi"),
                                          QStringLiteral("Aidat")}, true, false, false);
        QCOMPARE(page->Items.size(), 2);
        QCOMPARE(page->Items.at(1)->Top, tm + 4 + page->Items.at(0)->Height);
        QCOMPARE(page->Items.at(1)->Left, lm);
    }
};

#include "test_designer_widgets.moc"

int runDesignerWidgetTests(int argc, char **argv)
{
    TestDesignerWidgets t;
    return QTest::qExec(&t, argc, argv);
}
