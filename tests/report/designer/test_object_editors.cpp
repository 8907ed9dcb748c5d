// The designer's object editors, opened the way the designer opens them and
// answered through the modal seam: what each one writes back into its
// object, that cancelling changes nothing, and that every change can be
// undone through the designer state. The text editor is typed into with
// real key events.

#include "data/table.h"
#include "platform_printers.h"
#include "report/core/string_table.h"
#include "report/designer/band_editors.h"
#include "report/designer/designer_state.h"
#include "report/designer/expression_form.h"
#include "report/designer/field_chooser.h"
#include "report/designer/memo_editor.h"
#include "report/designer/object_editors.h"
#include "report/designer/picture_editor.h"
#include "report/designer/rich_editor.h"
#include "report/designer/subreport_page.h"
#include "report/expr/expr_globals.h"
#include "report/expr/function_library.h"
#include "report/expr/report_dataset.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/rich_view.h"
#include "report/model/subreport_view.h"
#include "report/output/printer.h"
#include "scripted_ui.h"
#include "syntax_memo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <memory>

namespace {

void clickOk(QDialog *dialog)
{
    auto *box = dialog->findChild<QDialogButtonBox *>();
    QVERIFY(box);
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

template <class T> T *child(QDialog *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

// Selects the entry of a list whose text is `text` and activates it as a double click would.
void activate(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    list->setCurrentItem(found.first());
    emit list->itemActivated(found.first());
}

} // namespace

class TestObjectEditors : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QWidget> form; // the component owner, like the registration window
    TqpReport *report = nullptr;
    TqpDesignerState *state = nullptr;
    std::unique_ptr<TScriptedUi> ui;

    TqpPage *page() { return state->Page(); }

    template <class V> V *add(TqpViewKind kind, const QString &name, int top)
    {
        auto *v = static_cast<V *>(qpCreateObject(kind, QString()));
        v->Name = name;
        v->SetBounds(10, top, 200, 20);
        v->OwnerPage = page();
        page()->Items.append(v);
        return v;
    }

    TqpBandView *band(const QString &name, int type, int top)
    {
        auto *b = add<TqpBandView>(vkBand, name, top);
        b->SetBandType(type);
        return b;
    }

    // Undoes the newest recorded change.
    void undo() { state->Undo(state->UndoBuffer); }

private slots:
    void initTestCase()
    {
        qpPrinterStartup();
        qpInitExpressionGlobals();
        qpInitModelGlobals();
        qpInitRichView();
        dir = std::make_unique<QTemporaryDir>();
        TTable::CreateTable(dir->filePath(QStringLiteral("Uye.db")),
                            {{QStringLiteral("AdiSoyadi"), ftString, 40}, {QStringLiteral("KayitNo"), ftFloat},
                             {QStringLiteral("Gizli"), ftString, 10}},
                            -1);
    }

    void init()
    {
        ui = std::make_unique<TScriptedUi>();
        form = std::make_unique<QWidget>();
        form->setObjectName(QStringLiteral("UyeKayitForm1"));
        auto *table = new TTable(form.get());
        table->setObjectName(QStringLiteral("Table1"));
        table->DatabaseName = dir->path();
        table->TableName = QStringLiteral("Uye.db");
        table->Open();
        auto *dataSet = new TqpDBDataSet(form.get());
        dataSet->setObjectName(QStringLiteral("qpDBDataSet1"));
        dataSet->setDataSet(table);
        report = new TqpReport(form.get());
        report->setObjectName(QStringLiteral("qpReport1"));
        CurReport = report;
        report->Pages.Add();
        report->Pages.Add();
        state = new TqpDesignerState(report, form.get());
        state->SetCurPage(0);
        qpInstallObjectEditors(state, form.get());
    }

    void cleanup()
    {
        qpRemoveObjectEditors();
        ui.reset();
        form.reset();
        CurReport = nullptr;
    }

    void errorPositions_data()
    {
        QTest::addColumn<QString>("error");
        QTest::addColumn<QPoint>("pos");
        QTest::newRow("line and column") << "Line 12/7: Beklenmeyen simge" << QPoint(7, 12);
        QTest::newRow("first line") << "Line 1/30: Eksik ;" << QPoint(30, 1);
        QTest::newRow("message with colon") << "Line 3/4: 'then' bekleniyor: x" << QPoint(4, 3);
        QTest::newRow("no slash") << "Betik çok uzun" << QPoint(1, 1);
        QTest::newRow("slash without numbers") << "Line a/b: x" << QPoint(1, 1);
    }

    void errorPositions()
    {
        QFETCH(QString, error);
        QFETCH(QPoint, pos);
        QCOMPARE(qpScriptErrorPos(error), pos);
    }

    void bracketing_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("inserted");
        QTest::newRow("plain") << "UPPERCASE(Table1.\"AdiSoyadi\")" << "[UPPERCASE(Table1.\"AdiSoyadi\")]";
        QTest::newRow("one bracketed") << "[Table1.\"AdiSoyadi\"]" << "[Table1.\"AdiSoyadi\"]";
        QTest::newRow("two bracketed") << "[A] + [B]" << "[[A] + [B]]";
        QTest::newRow("open only") << "[A" << "[[A]";
    }

    void bracketing()
    {
        QFETCH(QString, expression);
        QFETCH(QString, inserted);
        QCOMPARE(qpBracketExpression(expression), inserted);
    }

    // Text typed with keys, a number format and a script: all written back,
    // and one undo brings the object back as it was.
    void textEditorWritesTextFormatAndScript()
    {
        auto *memo = add<TqpMemoView>(vkText, QStringLiteral("Memo1"), 10);
        memo->Memo = {QStringLiteral("Eski")};
        const quint32 oldFormat = memo->Format;
        ui->modalActions << [](QDialog *d) {
            auto *text = child<QPlainTextEdit>(d, "MemoText");
            text->setFocus();
            text->selectAll();
            QTest::keyClicks(text, QStringLiteral("Ad: "));
            QTest::keyClick(text, Qt::Key_Return);
            QTest::keyClicks(text, QStringLiteral("Sayi"));
            child<QComboBox>(d, "FormatCategory")->setCurrentIndex(1);
            child<QComboBox>(d, "FormatVariant")->setCurrentIndex(2);
            child<QSpinBox>(d, "Decimals")->setValue(3);
            auto *script = child<TqpSyntaxMemo>(d, "ScriptMemo");
            QCOMPARE(script->Lines(), qpEmptyScript());
            child<QTabWidget>(d, "")->setCurrentWidget(script); // unnamed: the only tab widget
            script->setFocus();
            script->SetPos(3, 2);
            QTest::keyClicks(script, QStringLiteral("Memo1.Visible := False;"));
            clickOk(d);
        };
        QVERIFY(qpShowMemoEditor(memo, state));
        QCOMPARE(memo->Memo, QStringList({QStringLiteral("Ad: "), QStringLiteral("Sayi")}));
        QCOMPARE(memo->Format, quint32(',') | (3u << 8) | (2u << 16) | (1u << 24));
        QCOMPARE(memo->FormatStr, QString());
        QCOMPARE(memo->Script, QStringList({QStringLiteral("begin"), QStringLiteral("  Memo1.Visible := False;"),
                                            QStringLiteral("end")}));
        undo();
        TqpView *restored = page()->Items.last();
        QCOMPARE(restored->Memo, QStringList{QStringLiteral("Eski")});
        QCOMPARE(restored->Format, oldFormat);
        QVERIFY(restored->Script.isEmpty());
    }

    // Cancelling leaves the object and the undo buffer alone; an untouched
    // empty block is not stored as a script.
    void textEditorCancelAndEmptyBlock()
    {
        auto *memo = add<TqpMemoView>(vkText, QStringLiteral("Memo1"), 10);
        memo->Memo = {QStringLiteral("Kalır")};
        ui->modalActions << [](QDialog *d) {
            QTest::keyClicks(child<QPlainTextEdit>(d, "MemoText"), QStringLiteral("yeni"));
        };
        QVERIFY(!qpShowMemoEditor(memo, state));
        QCOMPARE(memo->Memo, QStringList{QStringLiteral("Kalır")});
        QCOMPARE(state->UndoBuffer.Count(), 0);

        ui->modalActions << [](QDialog *d) { clickOk(d); };
        QVERIFY(qpShowMemoEditor(memo, state));
        QVERIFY(memo->Script.isEmpty());
        QCOMPARE(state->UndoBuffer.Count(), 1);
    }

    // A script that does not compile keeps the window open, shows the
    // message in the footer and puts the caret where it points; once fixed,
    // OK closes the window.
    void textEditorScriptErrorMovesCaret()
    {
        auto *memo = add<TqpMemoView>(vkText, QStringLiteral("Memo1"), 10);
        memo->Script = {QStringLiteral("begin"), QStringLiteral("  if then x := 1;"), QStringLiteral("end")};
        QString footer;
        QPoint caret;
        bool stayedOpen = false;
        ui->modalActions << [&](QDialog *d) {
            auto *script = child<TqpSyntaxMemo>(d, "ScriptMemo");
            clickOk(d);
            stayedOpen = d->isVisible() && d->result() != QDialog::Accepted;
            footer = script->FooterText();
            caret = script->GetPos();
            // Fix the line with keys: remove it and type a sound statement.
            script->SetPos(1, 2);
            QTest::keyClick(script, Qt::Key_End, Qt::ShiftModifier);
            QTest::keyClick(script, Qt::Key_Delete);
            QTest::keyClicks(script, QStringLiteral("  if 1 = 1 then Memo1.Visible := True;"));
            clickOk(d);
        };
        QVERIFY(qpShowMemoEditor(memo, state));
        QVERIFY(stayedOpen);
        QVERIFY2(footer.startsWith(QLatin1String("Line 2/")), qPrintable(footer));
        QCOMPARE(caret, qpScriptErrorPos(footer));
        QCOMPARE(caret.y(), 2);
        QVERIFY(caret.x() > 1);
        QCOMPARE(memo->Script.value(1), QStringLiteral("  if 1 = 1 then Memo1.Visible := True;"));
    }

    // A compilation that fails without naming a line still keeps the
    // window open and says so, rather than storing a broken script.
    void textEditorSilentCompileFailure()
    {
        auto *memo = add<TqpMemoView>(vkText, QStringLiteral("Memo1"), 10);
        memo->Script = {QStringLiteral("begin"), QStringLiteral("  x := ;"), QStringLiteral("end")};
        QString footer;
        bool stayedOpen = false;
        ui->modalActions << [&](QDialog *d) {
            clickOk(d);
            stayedOpen = d->isVisible();
            footer = child<TqpSyntaxMemo>(d, "ScriptMemo")->FooterText();
        };
        QVERIFY(!qpShowMemoEditor(memo, state));
        QVERIFY(stayedOpen);
        QCOMPARE(footer, qpLoadStr(53953));
        QCOMPARE(state->UndoBuffer.Count(), 0);
    }

    // The expression dialog, opened from the text editor: a function from
    // its category with its syntax and description, a field with its
    // alias, and an operator; the result goes into the text in brackets.
    void expressionInsertedIntoText()
    {
        report->Dictionary.FieldAliases.SetVariable(QStringLiteral("Table1"), Variant(QStringLiteral("Üyeler")));
        report->Dictionary.FieldAliases.SetVariable(QStringLiteral("Table1.AdiSoyadi"),
                                                    Variant(QStringLiteral("Adı Soyadı")));
        auto *memo = add<TqpMemoView>(vkText, QStringLiteral("Memo1"), 10);
        QString syntax, description;
        QStringList fields;
        ui->modalActions << [](QDialog *d) {
            QTest::mouseClick(child<QPushButton>(d, "InsertExpressionButton"), Qt::LeftButton);
            clickOk(d);
        };
        ui->modalActions << [&](QDialog *d) {
            auto *categories = child<QListWidget>(d, "Categories");
            QStringList expected;
            qpInstalledFunctions.GetCategoryList(expected);
            QCOMPARE(categories->count(), expected.size());
            QList<QListWidgetItem *> text = categories->findItems(qpLoadStr(55351), Qt::MatchExactly);
            QVERIFY(!text.isEmpty());
            categories->setCurrentItem(text.first());
            activate(child<QListWidget>(d, "Functions"), QStringLiteral("UPPERCASE"));
            syntax = child<QLabel>(d, "Syntax")->text();
            description = child<QLabel>(d, "Description")->text();
            auto *fieldList = d->findChild<TqpFieldList *>();
            fieldList->DataSets->setCurrentText(QStringLiteral("Üyeler"));
            for (int i = 0; i < fieldList->Fields->count(); ++i)
                fields << fieldList->Fields->item(i)->text();
            activate(fieldList->Fields, QStringLiteral("Adı Soyadı"));
            auto *expression = child<QLineEdit>(d, "Expression");
            expression->end(false);
            QTest::mouseClick(child<QPushButton>(d, "Op+"), Qt::LeftButton);
            QTest::keyClicks(expression, QStringLiteral("'!'"));
            clickOk(d);
        };
        QVERIFY(qpShowMemoEditor(memo, state));
        const QString desc = qpInstalledFunctions.GetFunctionDesc(QStringLiteral("UPPERCASE"));
        QCOMPARE(syntax, desc.section(QLatin1Char('/'), 0, 0));
        QCOMPARE(description, desc.section(QLatin1Char('/'), 1));
        QVERIFY(syntax.startsWith(QLatin1String("UPPERCASE(")));
        QCOMPARE(fields, QStringList({QStringLiteral("Adı Soyadı"), QStringLiteral("KayitNo"), QStringLiteral("Gizli")}));
        QCOMPARE(memo->Memo, QStringList{QStringLiteral("[UPPERCASE(Üyeler.\"Adı Soyadı\")+'!']")});
    }

    // The data-field chooser lists the data sets and fields as the
    // dictionary shows them (aliases, hidden ones left out) and inserts
    // "[data set."field"]"; cancelling inserts nothing.
    void fieldChooserInsertsField()
    {
        // An empty alias keeps a data set's own name and hides a field.
        report->Dictionary.FieldAliases.SetVariable(QStringLiteral("Table1"), Variant(QString()));
        report->Dictionary.FieldAliases.SetVariable(QStringLiteral("Table1.Gizli"), Variant(QString()));
        auto *memo = add<TqpMemoView>(vkText, QStringLiteral("Memo1"), 10);
        QStringList dataSets, fields;
        ui->modalActions << [](QDialog *d) {
            QTest::mouseClick(child<QPushButton>(d, "InsertFieldButton"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(d, "InsertFieldButton"), Qt::LeftButton);
            clickOk(d);
        };
        ui->modalActions << [&](QDialog *d) {
            auto *list = d->findChild<TqpFieldList *>();
            for (int i = 0; i < list->DataSets->count(); ++i)
                dataSets << list->DataSets->itemText(i);
            for (int i = 0; i < list->Fields->count(); ++i)
                fields << list->Fields->item(i)->text();
            list->Fields->setCurrentRow(1);
            clickOk(d);
        };
        ui->modalActions << [](QDialog *d) { d->reject(); };
        QVERIFY(qpShowMemoEditor(memo, state));
        QCOMPARE(dataSets, QStringList{QStringLiteral("Table1")});
        QCOMPARE(fields, QStringList({QStringLiteral("AdiSoyadi"), QStringLiteral("KayitNo")}));
        QCOMPARE(memo->Memo, QStringList{QStringLiteral("[Table1.\"KayitNo\"]")});
    }

    // The designer's insert operations: a chosen field in brackets, an
    // expression bracketed once; nothing when cancelled or left empty.
    void insertResults()
    {
        ui->modalActions << [](QDialog *d) {
            d->findChild<TqpFieldList *>()->Fields->setCurrentRow(0);
            clickOk(d);
        };
        ui->modalActions << [](QDialog *d) { d->reject(); };
        ui->modalActions << [](QDialog *d) {
            child<QLineEdit>(d, "Expression")->setText(QStringLiteral("[Table1.\"KayitNo\"]"));
            clickOk(d);
        };
        ui->modalActions << [](QDialog *d) {
            child<QLineEdit>(d, "Expression")->setText(QStringLiteral("  "));
            clickOk(d);
        };
        ui->modalActions << [](QDialog *d) {
            child<QLineEdit>(d, "Expression")->setText(QStringLiteral("1"));
            d->reject();
        };
        const TqpDataDictionary &dict = report->Dictionary;
        QCOMPARE(qpInsertDBField(dict), QStringLiteral("[Table1.\"AdiSoyadi\"]"));
        QCOMPARE(qpInsertDBField(dict), QString());
        QCOMPARE(qpInsertExpression(dict), QStringLiteral("[Table1.\"KayitNo\"]"));
        QCOMPARE(qpInsertExpression(dict), QString());
        QCOMPARE(qpInsertExpression(dict), QString());
    }

    // A picture's data field, chosen from the inspector's field editor.
    void pictureDataField()
    {
        auto *picture = add<TqpPictureView>(vkPicture, QStringLiteral("Picture1"), 10);
        picture->Selected = 1;
        ui->modalActions << [](QDialog *d) {
            d->findChild<TqpFieldList *>()->Fields->setCurrentRow(1);
            clickOk(d);
        };
        qpFieldEditor(picture);
        QCOMPARE(picture->GetPropValue(QStringLiteral("DataField")).toString(), QStringLiteral("Table1.\"KayitNo\""));
        undo();
        QVERIFY(page()->Items.last()->Memo.isEmpty());
    }

    // The variables of the dictionary, by category, beside the built-in ones.
    void variablesByCategory()
    {
        report->Dictionary.Variables.SetVariable(QStringLiteral(" Üye"), Variant(QString()));
        report->Dictionary.Variables.SetVariable(QStringLiteral("Adı"), Variant(QStringLiteral("Table1.AdiSoyadi")));
        auto *memo = add<TqpMemoView>(vkText, QStringLiteral("Memo1"), 10);
        QStringList builtIn;
        ui->modalActions << [](QDialog *d) {
            QTest::mouseClick(child<QPushButton>(d, "InsertVariableButton"), Qt::LeftButton);
            clickOk(d);
        };
        ui->modalActions << [&](QDialog *d) {
            auto *categories = child<QListWidget>(d, "VarCategories");
            auto *variables = child<QListWidget>(d, "Variables");
            QCOMPARE(child<QTabWidget>(d, "")->currentIndex(), 1);
            for (int i = 0; i < variables->count(); ++i)
                builtIn << variables->item(i)->text();
            categories->setCurrentRow(1);
            QCOMPARE(categories->currentItem()->text(), QStringLiteral("Üye"));
            activate(variables, QStringLiteral("Adı"));
            clickOk(d);
        };
        QVERIFY(qpShowMemoEditor(memo, state));
        QVERIFY(builtIn.contains(QStringLiteral("PAGE#")));
        QVERIFY(builtIn.contains(QStringLiteral("TOTALPAGES")));
        QCOMPARE(memo->Memo, QStringList{QStringLiteral("[Adı]")});
    }

    // The band editor: a data band's data set (the real name behind its
    // alias), a count of empty records, the child band; undone in one step.
    void bandEditorDataSourceAndChild()
    {
        report->Dictionary.BandDatasources.SetVariable(QStringLiteral("qpDBDataSet1"), Variant(QStringLiteral("Üyeler")));
        TqpBandView *data = band(QStringLiteral("Band1"), btMasterData, 40);
        band(QStringLiteral("Band2"), btChild, 80);
        band(QStringLiteral("Band3"), btPageFooter, 120);
        QStringList sources, children;
        ui->modalActions << [&](QDialog *d) {
            auto *source = child<QComboBox>(d, "DataSource");
            auto *childBand = child<QComboBox>(d, "ChildBand");
            for (int i = 0; i < source->count(); ++i)
                sources << source->itemText(i);
            for (int i = 0; i < childBand->count(); ++i)
                children << childBand->itemText(i);
            source->setCurrentText(QStringLiteral("Üyeler"));
            childBand->setCurrentText(QStringLiteral("Band2"));
            clickOk(d);
        };
        state->Unselect();
        data->Selected = 1;
        state->ShowEditor();
        QCOMPARE(sources, QStringList({qpLoadStr(53928), QStringLiteral("Üyeler")}));
        QCOMPARE(children, QStringList({qpLoadStr(53928), QStringLiteral("Band2")}));
        QCOMPARE(data->FormatStr, QStringLiteral("qpDBDataSet1"));
        QCOMPARE(data->ChildBand, QStringLiteral("Band2"));

        ui->modalActions << [](QDialog *d) {
            QTest::mouseClick(child<QCheckBox>(d, "Virtual"), Qt::LeftButton);
            child<QSpinBox>(d, "RecordCount")->setValue(12);
            child<QComboBox>(d, "ChildBand")->setCurrentIndex(0);
            clickOk(d);
        };
        state->ShowEditor();
        QCOMPARE(data->FormatStr, QStringLiteral("12"));
        QVERIFY(data->ChildBand.isEmpty());

        // Reopened, it shows what is stored.
        ui->modalActions << [](QDialog *d) {
            QVERIFY(child<QCheckBox>(d, "Virtual")->isChecked());
            QCOMPARE(child<QSpinBox>(d, "RecordCount")->value(), 12);
        };
        state->ShowEditor();
        undo();
        auto *restored = static_cast<TqpBandView *>(page()->Items.value(page()->Items.indexOf(data)));
        QVERIFY(restored);
        QCOMPARE(restored->FormatStr, QStringLiteral("qpDBDataSet1"));
        QCOMPARE(restored->ChildBand, QStringLiteral("Band2"));
    }

    void groupEditorConditionAndMaster()
    {
        band(QStringLiteral("Veri"), btMasterData, 40);
        TqpBandView *group = band(QStringLiteral("Grup"), btGroupHeader, 20);
        ui->modalActions << [](QDialog *d) {
            QTest::mouseClick(child<QPushButton>(d, "ConditionButton"), Qt::LeftButton);
            child<QComboBox>(d, "Master")->setCurrentText(QStringLiteral("Veri"));
            clickOk(d);
        };
        ui->modalActions << [](QDialog *d) {
            child<QLineEdit>(d, "Expression")->setText(QStringLiteral("Table1.\"KayitNo\" div 10"));
            clickOk(d);
        };
        state->Unselect();
        group->Selected = 1;
        state->ShowEditor();
        QCOMPARE(group->FormatStr, QStringLiteral("Table1.\"KayitNo\" div 10"));
        QCOMPARE(group->Master, QStringLiteral("Veri"));
    }

    // The cross-tab band: its own data set, or a list of column data sets
    // for the horizontal bands, which replaces it.
    void crossTabEditor()
    {
        band(QStringLiteral("Veri"), btMasterData, 40);
        TqpBandView *cross = band(QStringLiteral("Capraz"), btCrossData, 0);
        ui->modalActions << [](QDialog *d) {
            child<QComboBox>(d, "DataSource")->setCurrentIndex(1);
            clickOk(d);
        };
        state->Unselect();
        cross->Selected = 1;
        state->ShowEditor();
        QCOMPARE(cross->FormatStr, QStringLiteral("qpDBDataSet1"));
        QVERIFY(cross->ChildBand.isEmpty());

        int rows = 0;
        ui->modalActions << [&](QDialog *d) {
            auto *table = child<QTableWidget>(d, "ColumnDataSets");
            rows = table->rowCount();
            QCOMPARE(table->item(0, 0)->text(), QStringLiteral("Veri"));
            static_cast<QComboBox *>(table->cellWidget(0, 1))->setCurrentIndex(1);
            clickOk(d);
        };
        state->ShowEditor();
        QCOMPARE(rows, 1);
        QCOMPARE(cross->FormatStr, QStringLiteral("Veri=qpDBDataSet1;"));
    }

    // Loading a picture from a file, the drawing options, clearing, and an
    // unreadable file that changes nothing but says so.
    void pictureEditor()
    {
        auto *picture = add<TqpPictureView>(vkPicture, QStringLiteral("Picture1"), 10);
        const QString bmp = dir->filePath(QStringLiteral("resim.bmp"));
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(bmp));
        const QString junk = dir->filePath(QStringLiteral("bozuk.bmp"));
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
        f.close();
        ui->fileNames << bmp << junk;
        ui->modalActions << [](QDialog *d) {
            QTest::mouseClick(child<QPushButton>(d, "LoadButton"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(d, "LoadButton"), Qt::LeftButton); // unreadable: kept
            QTest::mouseClick(child<QCheckBox>(d, "Stretched"), Qt::LeftButton);
            QTest::mouseClick(child<QCheckBox>(d, "Center"), Qt::LeftButton);
            QTest::mouseClick(child<QCheckBox>(d, "KeepAspect"), Qt::LeftButton);
            clickOk(d);
        };
        const quint16 flagsBefore = picture->Flags;
        QCOMPARE(flagsBefore, quint16(int(flStretched) | flKeepAspect));
        picture->Selected = 1;
        state->ShowEditor();
        QCOMPARE(picture->Picture.Size(), QSize(30, 20));
        QCOMPARE(picture->Flags & (int(flStretched) | flPictureCenter | flKeepAspect), int(flPictureCenter));
        QCOMPARE(ui->errors().size(), 1);
        QVERIFY(ui->errors().first().contains(QLatin1String("bozuk.bmp")));

        ui->modalActions << [](QDialog *d) {
            QTest::mouseClick(child<QPushButton>(d, "ClearButton"), Qt::LeftButton);
            clickOk(d);
        };
        state->ShowEditor();
        QVERIFY(picture->Picture.IsEmpty());
        undo();
        auto *restored = static_cast<TqpPictureView *>(page()->Items.last());
        QCOMPARE(restored->Picture.Size(), QSize(30, 20));
    }

    void subReportPageChoice()
    {
        report->Pages.Add();
        auto *sub = add<TqpSubReportView>(vkSubReport, QStringLiteral("SubReport1"), 10);
        sub->SubPage = 1;
        QList<int> offered;
        ui->modalActions << [&](QDialog *d) {
            auto *pages = child<QComboBox>(d, "Pages");
            for (int i = 0; i < pages->count(); ++i)
                offered << pages->itemData(i).toInt();
            QCOMPARE(pages->currentData().toInt(), 1);
            pages->setCurrentIndex(1);
            clickOk(d);
        };
        QVERIFY(qpChooseSubReportPage(sub, state));
        QCOMPARE(offered, QList<int>({1, 2}));
        QCOMPARE(sub->SubPage, 2);
        undo();
        QCOMPARE(static_cast<TqpSubReportView *>(page()->Items.last())->SubPage, 1);
    }

    // Bold over the selection, a field at the end, centred: what the object
    // gets back is RTF that says so.
    void richTextEditor()
    {
        auto *rich = static_cast<TqpRichView *>(qpCreateObject(vkAddIn, QStringLiteral("TqpRichView")));
        rich->Name = QStringLiteral("Rich1");
        rich->SetBounds(10, 10, 300, 60);
        page()->Items.append(rich);
        rich->RichEdit.Replace(0, 0, QStringLiteral("Sayın"));
        ui->modalActions << [](QDialog *d) {
            QTest::mouseClick(child<QToolButton>(d, "InsertField"), Qt::LeftButton);
            auto *editor = child<QTextEdit>(d, "Editor");
            editor->selectAll();
            QTest::mouseClick(child<QToolButton>(d, "Bold"), Qt::LeftButton);
            QTest::mouseClick(child<QToolButton>(d, "AlignCenter"), Qt::LeftButton);
            child<QSpinBox>(d, "FontSize")->setValue(14);
            child<QComboBox>(d, "FontColor")->setCurrentIndex(10); // red
            clickOk(d);
        };
        ui->modalActions << [](QDialog *d) {
            auto *list = d->findChild<TqpFieldList *>();
            list->Fields->setCurrentRow(0);
            clickOk(d);
        };
        rich->Selected = 1;
        state->ShowEditor();
        const QString text = rich->RichEdit.Text();
        QVERIFY2(text.contains(QLatin1String("[Table1.\"AdiSoyadi\"]")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Sayın")));
        const QByteArray rtf = rich->RichEdit.SaveToRtf();
        QVERIFY2(rtf.contains("\\b"), rtf.constData());
        QVERIFY(rtf.contains("\\qc"));
        QVERIFY(rtf.contains("\\fs28"));
        QVERIFY(rtf.contains("\\red255\\green0\\blue0"));
        undo();
        QCOMPARE(static_cast<TqpRichView *>(page()->Items.last())->RichEdit.Text(), QStringLiteral("Sayın"));
    }

    // Ctrl+double click opens the text editor on a band as well; the
    // designer's own call reaches it through the state.
    void memoEditorFromDesignerState()
    {
        auto *memo = add<TqpMemoView>(vkText, QStringLiteral("Memo1"), 10);
        memo->Selected = 1;
        ui->modalActions << [](QDialog *d) {
            QCOMPARE(d->objectName(), QStringLiteral("TqpMemoEditorForm"));
            QVERIFY(d->findChild<QComboBox *>(QStringLiteral("FormatCategory")));
            QTest::keyClicks(child<QPlainTextEdit>(d, "MemoText"), QStringLiteral("x"));
            clickOk(d);
        };
        state->ShowMemoEditor(nullptr);
        QCOMPARE(memo->Memo, QStringList{QStringLiteral("x")});
        TqpBandView *b = band(QStringLiteral("Band1"), btReportTitle, 100);
        ui->modalActions << [](QDialog *d) {
            QVERIFY(!d->findChild<QComboBox *>(QStringLiteral("FormatCategory")));
            clickOk(d);
        };
        state->ShowMemoEditor(b);
        QCOMPARE(ui->modalShown.size(), 2);
    }
};

QTEST_MAIN(TestObjectEditors)
#include "test_object_editors.moc"
