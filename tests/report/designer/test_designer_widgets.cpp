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
#include "report/engine/prepared_pages.h"
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

namespace {

// A window "UyeKayitForm1" owning the member table "Table1" over a temporary
// folder, opened, with the report data set "qpDBDataSet1" bound to it.
struct TMemberWindow {
    QTemporaryDir dir;
    QWidget form;
    TTable *table = nullptr;
    TqpDBDataSet *reportData = nullptr;

    explicit TMemberWindow(const QList<TColumnDef> &columns)
    {
        TTable::CreateTable(dir.filePath(QStringLiteral("Uye.db")), columns, -1);
        form.setObjectName(QStringLiteral("UyeKayitForm1"));
        table = new TTable(&form);
        table->setObjectName(QStringLiteral("Table1"));
        table->DatabaseName = dir.path();
        table->TableName = QStringLiteral("Uye.db");
        table->Open();
        reportData = new TqpDBDataSet(&form);
        reportData->setObjectName(QStringLiteral("qpDBDataSet1"));
        reportData->setDataSet(table);
    }
};

const QList<TColumnDef> kNameAndDues{{QStringLiteral("AdiSoyadi"), ftString, 30}, {QStringLiteral("Aidat"), ftFloat}};

QRect rectOf(const TqpView *v) { return QRect(v->Left, v->Top, v->Width, v->Height); }

// Whether the object lies within the band's strip, top to bottom.
bool inside(const TqpView *v, const TqpView *band)
{
    return v->Top >= band->Top && v->Top + v->Height <= band->Top + band->Height;
}

} // namespace

class TestDesignerWidgets : public QObject {
    Q_OBJECT

    TDesignerFixture f;
    std::unique_ptr<TScriptedUi> ui;

    // A page built like the member list: a page header with the title and a
    // row of captions, a master data band with a row of fields, the summary,
    // and the page footer at `footerTop`.
    void buildListPage(int footerTop)
    {
        f.band(QStringLiteral("SayfaBasi"), btPageHeader, 40, 76);
        f.text(QStringLiteral("ListeBasligi"), {40, 42, 420, 30});
        f.text(QStringLiteral("KayitNoBaslik"), {40, 92, 60, 22});
        f.text(QStringLiteral("AdiSoyadiBaslik"), {100, 92, 182, 22});
        f.band(QStringLiteral("MasterData1"), btMasterData, 130, 20);
        f.text(QStringLiteral("KayitNo"), {40, 130, 60, 20});
        f.text(QStringLiteral("AdiSoyadi"), {100, 130, 182, 20});
        f.band(QStringLiteral("Ozet"), btReportSummary, 170, 30);
        f.text(QStringLiteral("UyeSayisi"), {40, 176, 676, 22});
        f.band(QStringLiteral("SayfaSonu"), btPageFooter, footerTop, 30);
        f.text(QStringLiteral("SayfaNo"), {40, footerTop + 6, 676, 20});
    }

    QMap<QString, QRect> geometry()
    {
        QMap<QString, QRect> map;
        for (const TqpView *v : std::as_const(f.page()->Items))
            map.insert(v->Name, rectOf(v));
        return map;
    }

    TqpView *object(const QString &name) { return f.page()->FindObject(name); }

    // The band of the page whose strip holds the whole object, by name.
    QString bandHolding(const TqpView *v)
    {
        for (const TqpView *b : std::as_const(f.page()->Items))
            if (b->Kind == vkBand && inside(v, b))
                return b->Name;
        return {};
    }

    // No two bands share a strip, and no inserted text object covers
    // another text object.
    void checkNothingOverlaps(const QStringList &inserted)
    {
        QList<const TqpView *> bands;
        for (const TqpView *v : std::as_const(f.page()->Items))
            if (v->Kind == vkBand)
                bands.append(v);
        std::sort(bands.begin(), bands.end(), [](const TqpView *a, const TqpView *b) { return a->Top < b->Top; });
        for (qsizetype i = 1; i < bands.size(); ++i)
            QVERIFY2(bands[i - 1]->Top + bands[i - 1]->Height < bands[i]->Top,
                     qPrintable(bands[i - 1]->Name + QStringLiteral(" runs into ") + bands[i]->Name));
        for (const TqpView *a : std::as_const(f.page()->Items))
            for (const TqpView *b : std::as_const(f.page()->Items))
                if (a != b && a->Kind != vkBand && b->Kind != vkBand && inserted.contains(a->Name))
                    QVERIFY2(!rectOf(a).intersects(rectOf(b)), qPrintable(a->Name + QStringLiteral(" covers ") + b->Name));
    }

    // One undo puts back every position and height and takes the inserted
    // objects away; redo lays them out again as they were.
    void checkUndoRedo(const QMap<QString, QRect> &before)
    {
        const QMap<QString, QRect> after = geometry();
        QCOMPARE(f.state->UndoBuffer.Count(), 1);
        f.state->Undo(f.state->UndoBuffer);
        QCOMPARE(geometry(), before);
        f.state->Undo(f.state->RedoBuffer);
        QCOMPARE(geometry(), after);
    }

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
        TMemberWindow window(kNameAndDues);
        f.open(1, &window.form);
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

    void insertFieldsWizardFillsTheBandsOfAListPage_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("headers");
        QTest::addColumn<QString>("captionBand");
        QTest::newRow("side by side with captions") << false << true << "SayfaBasi";
        QTest::newRow("one under the other with captions") << true << true << "MasterData1";
        QTest::newRow("side by side without captions") << false << false << "";
    }

    void insertFieldsWizardFillsTheBandsOfAListPage()
    {
        QFETCH(bool, vertical);
        QFETCH(bool, headers);
        QFETCH(QString, captionBand);
        TMemberWindow window(kNameAndDues);
        f.open(1, &window.form);
        const auto closeFirst = qScopeGuard([this] { f.close(); });
        buildListPage(999);
        const QMap<QString, QRect> before = geometry();
        QMap<QString, QString> bandOf;
        for (const TqpView *v : std::as_const(f.page()->Items))
            if (v->Kind != vkBand)
                bandOf.insert(v->Name, bandHolding(v));
        TqpDesignerCommands commands(f.state);
        TqpInsertFieldsForm::InsertFields(commands, QStringLiteral("Table1"),
                                          {QStringLiteral("AdiSoyadi"), QStringLiteral("Aidat")}, vertical, headers, false);

        QStringList inserted;
        int captions = 0, data = 0;
        for (const TqpView *v : std::as_const(f.page()->Items)) {
            if (before.contains(v->Name))
                continue;
            inserted << v->Name;
            QCOMPARE(v->Kind, quint8(vkText));
            const bool isData = v->Memo.join(QString()).startsWith(QStringLiteral("[Table1."));
            (isData ? data : captions)++;
            // Captions under the existing captions, data objects under the
            // existing fields, so that they print once per record.
            QCOMPARE(bandHolding(v), isData ? QStringLiteral("MasterData1") : captionBand);
            QVERIFY(v->Top >= (isData || vertical ? 150 : 114));
        }
        QCOMPARE(data, 2);
        QCOMPARE(captions, headers ? 2 : 0);
        checkNothingOverlaps(inserted);
        // Whatever was in a band stays in it.
        for (auto it = bandOf.cbegin(); it != bandOf.cend(); ++it)
            QCOMPARE(bandHolding(object(it.key())), it.value());
        // The page header grows only for captions; each band grown pushes
        // everything under it down by as much.
        const int headerGrowth = object(QStringLiteral("SayfaBasi"))->Height - 76;
        const int dataGrowth = object(QStringLiteral("MasterData1"))->Height - 20;
        QCOMPARE(headerGrowth > 0, captionBand == QStringLiteral("SayfaBasi"));
        QVERIFY(dataGrowth > 0);
        QCOMPARE(object(QStringLiteral("ListeBasligi"))->Top, 42);
        QCOMPARE(object(QStringLiteral("MasterData1"))->Top, 130 + headerGrowth);
        QCOMPARE(object(QStringLiteral("KayitNo"))->Top, 130 + headerGrowth);
        for (const char *name : {"Ozet", "UyeSayisi", "SayfaSonu", "SayfaNo"})
            QCOMPARE(object(QLatin1String(name))->Top, before.value(QLatin1String(name)).top() + headerGrowth + dataGrowth);
        checkUndoRedo(before);
    }

    void insertFieldsWizardPutsNewBandsBelowTheContent_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("footerTop");
        QTest::addColumn<bool>("footerMoves");
        QTest::newRow("footer far below") << false << 999 << false;
        QTest::newRow("footer in the way") << false << 220 << true;
        QTest::newRow("one under the other, footer in the way") << true << 220 << true;
    }

    void insertFieldsWizardPutsNewBandsBelowTheContent()
    {
        QFETCH(bool, vertical);
        QFETCH(int, footerTop);
        QFETCH(bool, footerMoves);
        TMemberWindow window(kNameAndDues);
        f.open(1, &window.form);
        const auto closeFirst = qScopeGuard([this] { f.close(); });
        buildListPage(footerTop);
        const QMap<QString, QRect> before = geometry();
        TqpDesignerCommands commands(f.state);
        TqpInsertFieldsForm::InsertFields(commands, QStringLiteral("Table1"),
                                          {QStringLiteral("AdiSoyadi"), QStringLiteral("Aidat")}, vertical, true, true);

        QStringList inserted;
        TqpView *masterHeader = nullptr, *masterData = nullptr;
        int bottom = 0;
        for (TqpView *v : std::as_const(f.page()->Items)) {
            if (before.contains(v->Name))
                continue;
            inserted << v->Name;
            bottom = std::max(bottom, v->Top + v->Height);
            // Nothing new above the summary's bottom and a grid step.
            QVERIFY(v->Top >= 204);
            if (v->Kind == vkBand) {
                QVERIFY(v->FrameTyp == btMasterHeader || v->FrameTyp == btMasterData);
                (v->FrameTyp == btMasterHeader ? masterHeader : masterData) = v;
            }
        }
        QVERIFY(masterData);
        QCOMPARE(masterData->FormatStr, QStringLiteral("qpDBDataSet1"));
        QCOMPARE(masterData->Top, vertical ? 204 : 204 + 72);
        // The page already has its page header: side by side, the captions
        // get a master header of their own.
        QCOMPARE(masterHeader != nullptr, !vertical);
        for (const TqpView *v : std::as_const(f.page()->Items))
            if (inserted.contains(v->Name) && v->Kind != vkBand) {
                const bool isData = v->Memo.join(QString()).startsWith(QStringLiteral("[Table1."));
                QCOMPARE(bandHolding(v), (isData || vertical ? masterData : masterHeader)->Name);
            }
        checkNothingOverlaps(inserted);
        // The bands above stay; the footer moves only as far as it must.
        for (const char *name : {"SayfaBasi", "ListeBasligi", "MasterData1", "AdiSoyadi", "Ozet", "UyeSayisi"})
            QCOMPARE(rectOf(object(QLatin1String(name))), before.value(QLatin1String(name)));
        const int footerNow = object(QStringLiteral("SayfaSonu"))->Top;
        QCOMPARE(footerNow, footerMoves ? bottom + 4 : footerTop);
        QCOMPARE(object(QStringLiteral("SayfaNo"))->Top, footerNow + 6);
        checkUndoRedo(before);
    }

    // The shipped member list with two more columns from the wizard prints
    // them in every record's row, and their captions once above the rows.
    void insertFieldsWizardColumnsPrintOncePerRecord()
    {
        TMemberWindow window({{QStringLiteral("KayitNo"), ftFloat}, {QStringLiteral("AdiSoyadi"), ftString, 30},
                              {QStringLiteral("EvTel"), ftString, 15}, {QStringLiteral("Gsm"), ftString, 15},
                              {QStringLiteral("Mahalle"), ftString, 30}, {QStringLiteral("KanGrubu"), ftString, 6},
                              {QStringLiteral("Meslek"), ftString, 20}});
        const QStringList names{"Ayşe Kaya", "Mehmet Demir", "Zeynep Çelik"};
        const QStringList jobs{"Öğretmen", "Çiftçi", "Eczacı"};
        for (int i = 0; i < names.size(); ++i) {
            window.table->Append();
            window.table->FieldByName(QStringLiteral("KayitNo"))->setAsFloat(i + 1);
            window.table->FieldByName(QStringLiteral("AdiSoyadi"))->setAsString(names[i]);
            window.table->FieldByName(QStringLiteral("Meslek"))->setAsString(jobs[i]);
            window.table->Post();
        }
        f.open(1, &window.form);
        const auto closeFirst = qScopeGuard([this] { f.close(); });
        f.report->Dataset = window.reportData;
        QVERIFY(f.report->LoadFromFile(QStringLiteral(ZELVAN_TEMPLATES "/UyeList.qpf")));
        f.state->CurPageIndex = -1;
        f.state->SetCurPage(0);
        TqpDesignerCommands commands(f.state);
        TqpInsertFieldsForm::InsertFields(commands, QStringLiteral("Table1"),
                                          {QStringLiteral("Meslek"), QStringLiteral("Gsm")}, false, true, false);

        QVERIFY2(f.report->PrepareReport(), qPrintable(ErrorStr));
        TqpEMFPages &pages = f.report->GetEMFPages();
        QCOMPARE(pages.GetCount(), 1);
        pages.ObjectsToPage(0);
        QList<TqpView *> printed = pages.GetPages(0).Page->Items;
        std::stable_sort(printed.begin(), printed.end(), [](const TqpView *a, const TqpView *b) {
            return a->Top < b->Top || (a->Top == b->Top && a->Left < b->Left);
        });
        QStringList texts;
        for (const TqpView *v : std::as_const(printed))
            if (dynamic_cast<const TqpMemoView *>(v))
                texts << v->Memo.join(QLatin1Char(' '));
        QCOMPARE(texts.count(QStringLiteral("Meslek")), 1);
        QVERIFY(texts.indexOf(QStringLiteral("Meslek")) < texts.indexOf(names[0]));
        // Each job once, in its member's row: after the name, before the next.
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(texts.count(jobs[i]), 1);
            QVERIFY(texts.indexOf(names[i]) < texts.indexOf(jobs[i]));
            if (i + 1 < names.size())
                QVERIFY(texts.indexOf(jobs[i]) < texts.indexOf(names[i + 1]));
        }
        QVERIFY(texts.contains(QStringLiteral("Toplam üye sayısı: 3")));
    }
};

#include "test_designer_widgets.moc"

int runDesignerWidgetTests(int argc, char **argv)
{
    TestDesignerWidgets t;
    return QTest::qExec(&t, argc, argv);
}
