// The designer's data dictionary dialog, opened from its File menu item as
// the operator opens it, with the report's owner holding the data sets: the
// variables in their categories, names refused, the data sets and fields
// hidden or shown under another name, and what the window does on OK.

#include "report/designer/designer_form.h"
#include "report/designer/designer_state.h"
#include "report/designer/dict_form.h"
#include "report/designer/expression_form.h"
#include "report/designer/field_chooser.h"
#include "report/designer/ins_fields_form.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "owner_tables_fixture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <memory>

namespace {

QStringList names(const TqpVariables &list)
{
    QStringList all;
    for (int i = 0; i < list.Count(); ++i)
        all << list.GetName(i) + QLatin1Char('=') + list.GetValue(i).toString();
    return all;
}

QTreeWidgetItem *entry(QTreeWidget *tree, const QString &text)
{
    const QList<QTreeWidgetItem *> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.constFirst();
}

void click(QTreeWidget *tree, const QString &text)
{
    QTreeWidgetItem *item = entry(tree, text);
    QVERIFY2(item, qPrintable(text));
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    QCOMPARE(tree->currentItem(), item);
}

void typeName(TqpDictForm *f, const QString &name, QPushButton *button)
{
    f->NameEdit->selectAll();
    QTest::keyClicks(f->NameEdit, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Types over the alias column of an entry, as a double click opens it.
void typeAlias(QTreeWidget *tree, const QString &text, const QString &alias)
{
    QTreeWidgetItem *item = entry(tree, text);
    QVERIFY2(item, qPrintable(text));
    tree->scrollToItem(item);
    const QPoint aliasCell(tree->columnWidth(0) + tree->columnWidth(1) / 2, tree->visualItemRect(item).center().y());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, aliasCell);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, aliasCell);
    QLineEdit *editor = nullptr; // an editor closed before waits for its deletion, hidden
    for (QLineEdit *e : tree->viewport()->findChildren<QLineEdit *>())
        if (e->isVisible())
            editor = e;
    QVERIFY(editor);
    editor->selectAll();
    editor->insert(alias); // typed, as far as the editor can tell; QTest types no letters beyond ASCII
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits Return's edit from its queue
    QCOMPARE(item->text(1), alias);
}

void ok(QDialog *d) { QTest::mouseClick(d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton); }

} // namespace

class TestDictForm : public QObject, TOwnerTablesFixture {
    Q_OBJECT

    void open(bool fullMode = true)
    {
        owner = std::make_unique<QWidget>();
        owner->setObjectName(QStringLiteral("UyeListeForm1"));
        table(QStringLiteral("Table1"), QStringLiteral("Uye.db"));
        table(QStringLiteral("Table2"), QStringLiteral("Aidat.db"));
        table(QStringLiteral("GizliTablo"), QStringLiteral("Aidat.db"));
        report = new TqpReport(owner.get());
        CurReport = report;
        report->Pages.Add()->CreateUniqueName();
        report->Dictionary.Variables.SetVariable(QStringLiteral(" Toplamlar"), Variant(QString()));
        report->Dictionary.Variables.SetVariable(QStringLiteral("UyeSayisi"), Variant(QStringLiteral("COUNT(1)")));
        report->Dictionary.Variables.SetVariable(QStringLiteral(" Diger"), Variant(QString()));
        report->Dictionary.DisabledDatasets << QStringLiteral("Gizli*");
        form = std::make_unique<TqpDesignerForm>(report, fullMode);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    // Runs the dialog from the menu item with `action` as the operator.
    void runDialog(std::function<void(TqpDictForm *)> action)
    {
        bool ran = false;
        ui->modalActions << [action, &ran](QDialog *d) {
            auto *f = qobject_cast<TqpDictForm *>(d);
            QVERIFY(f);
            ran = true;
            action(f);
        };
        form->N42->trigger();
        QVERIFY(ran);
    }

    QStringList insertWindowDataSets() const
    {
        QStringList all;
        QComboBox *box = form->InsFieldsForm->List->DataSets;
        for (int i = 0; i < box->count(); ++i)
            all << box->itemText(i);
        return all;
    }

private slots:
    void initTestCase() { startGlobals(); }
    void init() { makeTables(); }
    void cleanup() { closeAll(); }
    void cleanupTestCase() { stopGlobals(); }

    // A category and variables made in the dialog land in the report in
    // the order shown, each after its category's last variable.
    void variablesAddedInOrder()
    {
        open();
        runDialog([this](TqpDictForm *f) {
            QCOMPARE(f->windowTitle(), QStringLiteral("Veri sözlüğü"));
            typeName(f, QStringLiteral("Yeni"), f->AddCategoryB);
            typeName(f, QStringLiteral("Iki"), f->AddVariableB);
            QVERIFY(f->ExpressionEdit->isEnabled());
            QTest::keyClicks(f->ExpressionEdit, QStringLiteral("2+3"));
            // Into the first category, before the next one.
            click(f->VarTree, QStringLiteral("Toplamlar"));
            typeName(f, QStringLiteral("Ucret"), f->AddVariableB);
            // The expression dialog knows the variable made a moment ago.
            ui->modalActions << [](QDialog *d) {
                auto *e = qobject_cast<TqpExpressionForm *>(d);
                QVERIFY(e);
                e->Expression->setText(QStringLiteral("Iki * 2"));
                e->accept();
            };
            QTest::mouseClick(f->ExpressionB, Qt::LeftButton);
            QCOMPARE(f->ExpressionEdit->text(), QStringLiteral("Iki * 2"));
            // A field reference from the chooser goes in at the caret.
            click(f->VarTree, QStringLiteral("UyeSayisi"));
            f->ExpressionEdit->setText(QString());
            ui->modalActions << [](QDialog *d) {
                auto *c = qobject_cast<TqpFieldsForm *>(d);
                QVERIFY(c);
                c->List->Fields->setCurrentRow(1);
                c->accept();
            };
            QTest::mouseClick(f->FieldB, Qt::LeftButton);
            ok(f);
        });
        QCOMPARE(names(report->Dictionary.Variables),
                 (QStringList{QStringLiteral(" Toplamlar="), QStringLiteral("UyeSayisi=Table1.\"UyeNo\""),
                              QStringLiteral("Ucret=Iki * 2"), QStringLiteral(" Diger="), QStringLiteral(" Yeni="),
                              QStringLiteral("Iki=2+3")}));
        QVERIFY(form->GetModified());
        // The insert-fields window offers the new category.
        QVERIFY(insertWindowDataSets().contains(QStringLiteral("Değişkenler: Yeni")));
        // And the variable is worked out as an expression, as when printing.
        report->ConnectParserCallbacks();
        QVERIFY(report->Dictionary.IsVariable(QStringLiteral("Ucret")));
        QCOMPARE(report->Dictionary.GetValue(QStringLiteral("Ucret")).toString(), QStringLiteral("10"));
    }

    // A name empty or already used is refused with a message; nothing
    // changes, and Cancel leaves the report as it was.
    void badNameRefused_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("button"); // 0 category, 1 variable, 2 rename
        QTest::addColumn<QString>("message");
        QTest::newRow("empty category") << QString() << QStringLiteral("  ") << 0 << QStringLiteral("Ad boş olamaz.");
        QTest::newRow("category used") << QString() << QStringLiteral("toplamlar") << 0
                                       << QStringLiteral("\"toplamlar\" adı zaten kullanılıyor.");
        QTest::newRow("variable used") << QStringLiteral("Diger") << QStringLiteral("UYESAYISI") << 1
                                       << QStringLiteral("\"UYESAYISI\" adı zaten kullanılıyor.");
        QTest::newRow("no category") << QString() << QStringLiteral("Yeni") << 1
                                     << QStringLiteral("Önce bir kategori seçin.");
        QTest::newRow("renamed to used") << QStringLiteral("Diger") << QStringLiteral("Toplamlar") << 2
                                         << QStringLiteral("\"Toplamlar\" adı zaten kullanılıyor.");
        QTest::newRow("renamed empty") << QStringLiteral("UyeSayisi") << QString() << 2
                                       << QStringLiteral("Ad boş olamaz.");
    }

    void badNameRefused()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, typed);
        QFETCH(int, button);
        QFETCH(QString, message);
        open();
        const QStringList before = names(report->Dictionary.Variables);
        runDialog([&](TqpDictForm *f) {
            if (chosen.isEmpty())
                f->VarTree->setCurrentItem(nullptr);
            else
                click(f->VarTree, chosen);
            f->NameEdit->selectAll();
            if (typed.isEmpty())
                QTest::keyClick(f->NameEdit, Qt::Key_Delete);
            QTest::keyClicks(f->NameEdit, typed);
            QPushButton *buttons[] = {f->AddCategoryB, f->AddVariableB, f->RenameB};
            QTest::mouseClick(buttons[button], Qt::LeftButton);
            QCOMPARE(ui->errors(), QStringList{message});
            QCOMPARE(names(f->Dictionary().Variables), before);
            // Something allowed, then Cancel.
            typeName(f, QStringLiteral("Baska"), f->AddCategoryB);
            QCOMPARE(f->Dictionary().Variables.Count(), before.size() + 1);
            f->reject();
        });
        QCOMPARE(names(report->Dictionary.Variables), before);
        QVERIFY(!form->GetModified());
    }

    void renameAndDelete()
    {
        open();
        runDialog([](TqpDictForm *f) {
            click(f->VarTree, QStringLiteral("UyeSayisi"));
            QCOMPARE(f->NameEdit->text(), QStringLiteral("UyeSayisi"));
            typeName(f, QStringLiteral("Sayi"), f->RenameB);
            click(f->VarTree, QStringLiteral("Diger"));
            typeName(f, QStringLiteral("Baska"), f->RenameB);
            typeName(f, QStringLiteral("Bos"), f->AddVariableB);
            // A category goes with its variables.
            click(f->VarTree, QStringLiteral("Toplamlar"));
            QTest::mouseClick(f->DeleteB, Qt::LeftButton);
            ok(f);
        });
        QCOMPARE(names(report->Dictionary.Variables), (QStringList{QStringLiteral(" Baska="), QStringLiteral("Bos=")}));
        QVERIFY(form->GetModified());
    }

    // Hidden data sets and fields, and aliases, stored only where they
    // differ from what the lists show anyway, and where aliases make the
    // lists leave out a data set without an entry.
    void dataSetsHiddenAndAliased()
    {
        open();
        table(QStringLiteral("Table3"), QStringLiteral("Aidat.db"));
        runDialog([](TqpDictForm *f) {
            f->Pages->setCurrentIndex(1);
            QCOMPARE(f->Pages->tabText(1), QStringLiteral("Veri kümeleri"));
            QTreeWidgetItem *hidden = entry(f->DataSets, QStringLiteral("GizliTablo"));
            QVERIFY(hidden);
            QCOMPARE(hidden->checkState(0), Qt::Unchecked);
            QVERIFY(!(hidden->flags() & Qt::ItemIsUserCheckable));
            entry(f->DataSets, QStringLiteral("Table2"))->setCheckState(0, Qt::Unchecked);
            typeAlias(f->DataSets, QStringLiteral("Table1"), QStringLiteral("Üyeler"));
            click(f->DataSets, QStringLiteral("Table1"));
            typeAlias(f->Fields, QStringLiteral("AdiSoyadi"), QStringLiteral("Adı Soyadı"));
            typeAlias(f->Fields, QStringLiteral("Adres Satiri"), QStringLiteral("Adres Satiri"));
            entry(f->Fields, QStringLiteral("UyeNo"))->setCheckState(0, Qt::Unchecked);
            ok(f);
        });
        QCOMPARE(names(report->Dictionary.FieldAliases),
                 (QStringList{QStringLiteral("Table1=Üyeler"), QStringLiteral("Table3="),
                              QStringLiteral("Table1.AdiSoyadi=Adı Soyadı"), QStringLiteral("Table1.UyeNo=")}));
        QCOMPARE(report->Dictionary.DisabledDatasets, (QStringList{QStringLiteral("Gizli*"), QStringLiteral("Table2")}));
        QStringList visible;
        report->Dictionary.GetDatasetList(visible);
        QCOMPARE(visible, (QStringList{QStringLiteral("Table3"), QStringLiteral("Üyeler")}));
        QCOMPARE(insertWindowDataSets(),
                 (QStringList{QStringLiteral("Table3"), QStringLiteral("Üyeler"),
                              QStringLiteral("Değişkenler: Toplamlar"), QStringLiteral("Değişkenler: Diger")}));
        form->InsFieldsForm->List->DataSets->setCurrentIndex(1);
        QListWidget *fields = form->InsFieldsForm->List->Fields;
        QCOMPARE(fields->count(), 2);
        QCOMPARE(fields->item(0)->text(), QStringLiteral("Adı Soyadı"));
        QCOMPARE(fields->item(1)->text(), QStringLiteral("Adres Satiri"));
        QVERIFY(form->GetModified());

        // Opened again it shows what is stored; shown again, the hides go
        // and the pattern stays.
        runDialog([](TqpDictForm *f) {
            f->Pages->setCurrentIndex(1);
            QTreeWidgetItem *second = entry(f->DataSets, QStringLiteral("Table2"));
            QCOMPARE(second->checkState(0), Qt::Unchecked);
            QCOMPARE(entry(f->DataSets, QStringLiteral("Table1"))->text(1), QStringLiteral("Üyeler"));
            click(f->DataSets, QStringLiteral("Table1"));
            QCOMPARE(entry(f->Fields, QStringLiteral("UyeNo"))->checkState(0), Qt::Unchecked);
            QCOMPARE(entry(f->Fields, QStringLiteral("AdiSoyadi"))->text(1), QStringLiteral("Adı Soyadı"));
            entry(f->Fields, QStringLiteral("UyeNo"))->setCheckState(0, Qt::Checked);
            typeAlias(f->Fields, QStringLiteral("AdiSoyadi"), QStringLiteral("AdiSoyadi"));
            second->setCheckState(0, Qt::Checked);
            QCOMPARE(names(f->Dictionary().FieldAliases),
                     (QStringList{QStringLiteral("Table1=Üyeler"), QStringLiteral("Table3="),
                                  QStringLiteral("Table2=")}));
            // Nothing aliased: no entries needed to keep data sets listed.
            typeAlias(f->DataSets, QStringLiteral("Table1"), QStringLiteral("Table1"));
            ok(f);
        });
        QCOMPARE(report->Dictionary.FieldAliases.Count(), 0);
        QCOMPARE(report->Dictionary.DisabledDatasets, QStringList{QStringLiteral("Gizli*")});
        QCOMPARE(insertWindowDataSets().mid(0, 3),
                 (QStringList{QStringLiteral("Table1"), QStringLiteral("Table2"), QStringLiteral("Table3")}));
    }

    void cancelChangesNothing()
    {
        open();
        // Aliases stored: a data set without an entry is not listed.
        report->Dictionary.FieldAliases.SetVariable(QStringLiteral("Table1"), Variant(QStringLiteral("Üyeler")));
        runDialog([](TqpDictForm *f) {
            typeName(f, QStringLiteral("Yeni"), f->AddCategoryB);
            f->Pages->setCurrentIndex(1);
            QCOMPARE(entry(f->DataSets, QStringLiteral("Table1"))->checkState(0), Qt::Checked);
            QCOMPARE(entry(f->DataSets, QStringLiteral("Table2"))->checkState(0), Qt::Unchecked);
            entry(f->DataSets, QStringLiteral("Table1"))->setCheckState(0, Qt::Unchecked);
            typeAlias(f->DataSets, QStringLiteral("Table2"), QStringLiteral("Aidatlar"));
            f->reject();
        });
        QCOMPARE(report->Dictionary.Variables.Count(), 3);
        QCOMPARE(names(report->Dictionary.FieldAliases), QStringList{QStringLiteral("Table1=Üyeler")});
        QCOMPARE(report->Dictionary.DisabledDatasets, QStringList{QStringLiteral("Gizli*")});
        QVERIFY(!form->GetModified());
    }

    void menuItemAvailability_data()
    {
        QTest::addColumn<bool>("fullMode");
        QTest::addColumn<bool>("restricted");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("full mode") << true << false << true;
        QTest::newRow("variables locked") << true << true << false;
        QTest::newRow("not full mode") << false << false << false;
    }

    void menuItemAvailability()
    {
        QFETCH(bool, fullMode);
        QFETCH(bool, restricted);
        QFETCH(bool, enabled);
        if (restricted)
            DesignerRestrictions = 1u << qpdrDontEditVariables;
        open(fullMode);
        QCOMPARE(form->N42->isEnabled(), enabled);
        QCOMPARE(form->N42->text(), QStringLiteral("&Veri sözlüğü..."));
        ui->modalActions << [](QDialog *d) { d->reject(); };
        form->N42Click();
        QCOMPARE(ui->modalShown.size(), enabled ? 1 : 0);
    }
};

QTEST_MAIN(TestDictForm)
#include "test_dict_form.moc"
