// The designer window's insert-fields window and the inspector's caption,
// reached as the operator reaches them: the data sets and fields of the
// report's owner, a field dragged onto a band, the Ins and F11 keys, and a
// double click on the inspector's caption.

#include "data/table.h"
#include "report/designer/designer_form.h"
#include "report/designer/designer_page.h"
#include "report/designer/designer_state.h"
#include "report/designer/field_chooser.h"
#include "report/designer/ins_fields_form.h"
#include "report/designer/insp_form.h"
#include "report/expr/expr_globals.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/model_globals.h"
#include "report/model/object_registry.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/output/printer.h"
#include "owner_tables_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestInsFieldsForm : public QObject, TOwnerTablesFixture {
    Q_OBJECT

    TqpBandView *masterData = nullptr;

    // A report page with a master data band and a text object, a dialog
    // page, the member table on the owner; the window shown and active.
    void open()
    {
        owner = std::make_unique<QWidget>();
        owner->setObjectName(QStringLiteral("UyeListeForm1"));
        table(QStringLiteral("Table1"), QStringLiteral("Uye.db"));
        report = new TqpReport(owner.get());
        CurReport = report;
        TqpPage *page = report->Pages.Add();
        page->CreateUniqueName();
        masterData = static_cast<TqpBandView *>(qpCreateObject(vkBand, QString()));
        masterData->Name = QStringLiteral("MasterData1");
        masterData->SetBandType(btMasterData);
        masterData->SetBounds(0, 120, page->SheetWidth(), 60);
        masterData->OwnerPage = page;
        page->Items.append(masterData);
        auto *memo = static_cast<TqpMemoView *>(qpCreateObject(vkText, QString()));
        memo->Name = QStringLiteral("Memo1");
        memo->SetBounds(40, 40, 100, 20);
        memo->OwnerPage = page;
        page->Items.append(memo);
        TqpPage *dialog = report->Pages.Add();
        dialog->CreateUniqueName();
        dialog->PageType = ptDialog;
        form = std::make_unique<TqpDesignerForm>(report, true);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->PageCanvas->setFocus();
        QCoreApplication::processEvents();
    }

    TqpFieldList *list() const { return form->InsFieldsForm->List; }

    QStringList texts(const QListWidget *w) const
    {
        QStringList all;
        for (int i = 0; i < w->count(); ++i)
            all << w->item(i)->text();
        return all;
    }

    QStringList dataSets() const
    {
        QStringList all;
        for (int i = 0; i < list()->DataSets->count(); ++i)
            all << list()->DataSets->itemText(i);
        return all;
    }

    // The point of a field's entry in the list, scrolled into view.
    QPoint pointOf(const QString &text) const
    {
        QListWidget *fields = form->InsFieldsForm->FieldList();
        const QList<QListWidgetItem *> found = fields->findItems(text, Qt::MatchExactly);
        if (found.isEmpty())
            return {-1, -1};
        fields->scrollToItem(found.constFirst());
        return fields->visualItemRect(found.constFirst()).center();
    }

    // Lets the dock layout follow hidden contents and new size limits.
    void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    TqpMemoView *memoHolding(const QString &text) const
    {
        for (TqpView *v : std::as_const(report->Pages.GetPages(0)->Items))
            if (auto *m = dynamic_cast<TqpMemoView *>(v); m && m->Memo.join(QLatin1Char('\n')) == text)
                return m;
        return nullptr;
    }

    void doubleClickCaption(int y)
    {
        QTest::mouseDClick(form->InspectorDock, Qt::LeftButton, {}, QPoint(30, y));
        settle();
    }

private slots:
    void initTestCase() { startGlobals(); }
    void init() { makeTables(); }
    void cleanup() { closeAll(); }
    void cleanupTestCase() { stopGlobals(); }

    void windowListsDataSetsAndFields()
    {
        open();
        QVERIFY(form->InsFieldsDock->isVisible());
        QCOMPARE(form->InsFieldsDock->widget(), form->InsFieldsForm);
        QCOMPARE(dataSets(), QStringList{QStringLiteral("Table1")});
        QCOMPARE(texts(form->InsFieldsForm->FieldList()),
                 (QStringList{QStringLiteral("AdiSoyadi"), QStringLiteral("UyeNo"), QStringLiteral("Adres Satiri")}));
        QVERIFY(form->InsFieldsForm->FieldList()->dragEnabled());
    }

    // An entry dragged from the list and dropped on the master data band
    // becomes a text object there holding the entry's reference.
    void draggedEntryBecomesTextObject_data()
    {
        QTest::addColumn<QString>("dataSet");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("memo");
        QTest::newRow("field") << QStringLiteral("Table1") << QStringLiteral("UyeNo")
                               << QStringLiteral("[Table1.\"UyeNo\"]");
        QTest::newRow("field with a blank") << QStringLiteral("Table1") << QStringLiteral("Adres Satiri")
                                            << QStringLiteral("[Table1.\"Adres Satiri\"]");
        QTest::newRow("aliased data set and field") << QStringLiteral("Üyeler") << QStringLiteral("Adı Soyadı")
                                                    << QStringLiteral("[Üyeler.\"Adı Soyadı\"]");
        QTest::newRow("variable") << QStringLiteral("Değişkenler: Toplamlar") << QStringLiteral("UyeSayisi")
                                  << QStringLiteral("[UyeSayisi]");
    }

    void draggedEntryBecomesTextObject()
    {
        QFETCH(QString, dataSet);
        QFETCH(QString, entry);
        QFETCH(QString, memo);
        open();
        // The dictionary's aliases and variables, read by the next refresh
        // (switching to the dialog page and back).
        report->Dictionary.FieldAliases.SetVariable(QStringLiteral("Table1"), Variant(QStringLiteral("Üyeler")));
        report->Dictionary.FieldAliases.SetVariable(QStringLiteral("Table1.AdiSoyadi"),
                                                    Variant(QStringLiteral("Adı Soyadı")));
        if (dataSet != QStringLiteral("Üyeler")) {
            report->Dictionary.FieldAliases.Delete(report->Dictionary.FieldAliases.IndexOf(QStringLiteral("Table1")));
            report->Dictionary.FieldAliases.Delete(
                report->Dictionary.FieldAliases.IndexOf(QStringLiteral("Table1.AdiSoyadi")));
        }
        report->Dictionary.Variables.SetVariable(QStringLiteral(" Toplamlar"), Variant());
        report->Dictionary.Variables.SetVariable(QStringLiteral("UyeSayisi"), Variant(QStringLiteral("COUNT(1)")));
        form->SetCurPage(1);
        form->SetCurPage(0);

        const int setIndex = list()->DataSets->findText(dataSet);
        QVERIFY2(setIndex >= 0, qPrintable(dataSets().join(QLatin1Char('|'))));
        list()->DataSets->setCurrentIndex(setIndex);
        QListWidget *fields = form->InsFieldsForm->FieldList();
        const QPoint at = pointOf(entry);
        QVERIFY2(at.x() >= 0, qPrintable(texts(fields).join(QLatin1Char('|'))));
        QTest::mouseClick(fields->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(fields->currentItem()->text(), entry);

        // What a drag of the selected entry carries, made by the list
        // itself, delivered to the canvas as the platform delivers it.
        std::unique_ptr<QMimeData> data(fields->model()->mimeData(fields->selectionModel()->selectedIndexes()));
        QVERIFY(data);
        QVERIFY(data->hasFormat(QLatin1String(qpFieldMimeType)));
        TqpDesignerPage *canvas = form->PageCanvas;
        const QPoint drop(masterData->Left + 200, masterData->Top + 24);
        QDragEnterEvent enter(drop, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent move(drop, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &move);
        QVERIFY(move.isAccepted());
        QDropEvent dropped(QPointF(drop), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(canvas, &dropped);

        TqpMemoView *made = memoHolding(memo);
        QVERIFY2(made, qPrintable(memo));
        const int grid = form->State->GridSize;
        QVERIFY2(qAbs(made->Left - (drop.x() - 4)) <= grid && qAbs(made->Top - (drop.y() - 4)) <= grid,
                 qPrintable(QStringLiteral("%1,%2").arg(made->Left).arg(made->Top)));
        QVERIFY(made->Top >= masterData->Top && made->Top < masterData->Top + masterData->Height);
        QVERIFY(form->GetModified());
    }

    void dialogPageOffersNoDrag()
    {
        open();
        form->SetCurPage(1);
        QVERIFY(!form->InsFieldsForm->FieldList()->dragEnabled());
        form->SetCurPage(0);
        QVERIFY(form->InsFieldsForm->FieldList()->dragEnabled());
    }

    // Ins shows the window and puts the focus in its field list, only on a
    // report page and only without Shift, Ctrl or Alt.
    void insShowsWindow_data()
    {
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("shown");
        QTest::newRow("Ins") << int(Qt::NoModifier) << 0 << true;
        QTest::newRow("Shift+Ins") << int(Qt::ShiftModifier) << 0 << false;
        QTest::newRow("Ctrl+Ins") << int(Qt::ControlModifier) << 0 << false;
        QTest::newRow("Alt+Ins") << int(Qt::AltModifier) << 0 << false;
        QTest::newRow("dialog page") << int(Qt::NoModifier) << 1 << false;
    }

    void insShowsWindow()
    {
        QFETCH(int, mods);
        QFETCH(int, page);
        QFETCH(bool, shown);
        open();
        form->SetCurPage(page);
        form->InsFieldsDock->hide();
        form->PageCanvas->setFocus();
        QTest::keyClick(form->PageCanvas, Qt::Key_Insert, Qt::KeyboardModifiers(mods));
        QCOMPARE(form->InsFieldsDock->isVisible(), shown);
        QCOMPARE(form->InsFieldsForm->FieldList()->hasFocus(), shown);
    }

    void insFocusesVisibleWindow()
    {
        open();
        QVERIFY(form->InsFieldsDock->isVisible());
        // Typed into the inspector's edit box the key still reaches the window.
        form->InspForm->SetItemIndex(0);
        form->InspForm->EditBox()->setFocus();
        QTest::keyClick(form->InspForm->EditBox(), Qt::Key_Insert);
        QVERIFY(form->InsFieldsForm->FieldList()->hasFocus());
    }

    void captionDoubleClickFoldsAndUnfolds()
    {
        open();
        QDockWidget *dock = form->InspectorDock;
        const int height = dock->height();
        QVERIFY(height >= 31);
        const int caption = form->InspForm->y();
        QVERIFY(caption > 0);

        // Within the contents nothing folds.
        doubleClickCaption(caption + 20);
        QVERIFY(!form->InspForm->IsFolded());
        QCOMPARE(dock->height(), height);

        doubleClickCaption(caption / 2);
        QVERIFY(form->InspForm->IsFolded());
        QVERIFY(!dock->isFloating());
        QVERIFY2(dock->height() < 31, qPrintable(QString::number(dock->height())));
        QVERIFY(form->InspForm->ObjectBox()->isHidden());
        QVERIFY(form->InspForm->Grid()->isHidden() || !form->InspForm->Grid()->isVisible());

        doubleClickCaption(caption / 2);
        QVERIFY(!form->InspForm->IsFolded());
        QVERIFY(!dock->isFloating());
        QVERIFY(form->InspForm->ObjectBox()->isVisible());
        QVERIFY2(qAbs(dock->height() - height) <= 2,
                 qPrintable(QStringLiteral("%1 -> %2").arg(height).arg(dock->height())));
    }

    void f11GrowsInspector()
    {
        open();
        QDockWidget *dock = form->InspectorDock;
        const int height = dock->height();
        doubleClickCaption(form->InspForm->y() / 2);
        QVERIFY(form->InspForm->IsFolded());
        dock->hide();
        form->PageCanvas->setFocus();
        QTest::keyClick(form->PageCanvas, Qt::Key_F11);
        settle();
        QVERIFY(dock->isVisible());
        QVERIFY(!form->InspForm->IsFolded());
        QVERIFY(form->InspForm->ObjectBox()->isVisible());
        QVERIFY2(qAbs(dock->height() - height) <= 2,
                 qPrintable(QStringLiteral("%1 -> %2").arg(height).arg(dock->height())));
    }

    // After an inspector edit the window reads the dictionary again: a new
    // data set appears and the chosen one stays chosen while it exists.
    void inspectorEditRefreshesWindow()
    {
        open();
        QCOMPARE(dataSets(), QStringList{QStringLiteral("Table1")});
        table(QStringLiteral("Table2"), QStringLiteral("Aidat.db"));
        QCOMPARE(dataSets(), QStringList{QStringLiteral("Table1")}); // nothing read yet

        const auto editLeft = [this](const QString &value) {
            const QPoint memo(60, 50);
            QTest::mouseClick(form->PageCanvas, Qt::LeftButton, {}, memo);
            QCOMPARE(form->State->SelCount(), 1);
            form->InspForm->SetItemIndex(form->InspForm->RowOf(QStringLiteral("Left")));
            QLineEdit *edit = form->InspForm->EditBox();
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, value);
            QTest::keyClick(edit, Qt::Key_Return);
        };
        editLeft(QStringLiteral("44"));
        QCOMPARE(dataSets(), (QStringList{QStringLiteral("Table1"), QStringLiteral("Table2")}));

        list()->DataSets->setCurrentIndex(1);
        QCOMPARE(texts(form->InsFieldsForm->FieldList()), (QStringList{QStringLiteral("Tutar"), QStringLiteral("Yil")}));
        table(QStringLiteral("Table0"), QStringLiteral("Aidat.db"));
        editLeft(QStringLiteral("48"));
        QCOMPARE(dataSets().size(), 3);
        QCOMPARE(list()->DataSets->currentText(), QStringLiteral("Table2"));
        QCOMPARE(texts(form->InsFieldsForm->FieldList()), (QStringList{QStringLiteral("Tutar"), QStringLiteral("Yil")}));

        // The chosen data set gone: the first one is chosen.
        delete owner->findChild<QObject *>(QStringLiteral("Table2"));
        editLeft(QStringLiteral("52"));
        QCOMPARE(dataSets().size(), 2);
        QCOMPARE(list()->DataSets->currentIndex(), 0);
        QVERIFY(!texts(form->InsFieldsForm->FieldList()).isEmpty());
    }
};

QTEST_MAIN(TestInsFieldsForm)
#include "test_ins_fields_form.moc"
