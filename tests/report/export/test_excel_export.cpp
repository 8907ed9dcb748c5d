// The Excel export: the cell grid from object edges (checked on the layout
// itself and on the workbook), and whole exports through TqpReport::ExportTo
// read back with openpyxl.

#include "export_fixtures.h"
#include "export_tests.h"
#include "export_ui.h"
#include "ole_excel_export.h"
#include "ole_excel_set.h"
#include "report/output/preview_form.h"
#include "report/core/exceptions.h"
#include "report/core/string_table.h"
#include "report/model/line_view.h"
#include "scripted_ui.h"
#include "xlsx_reader.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList strings(const QJsonValue &array)
{
    QStringList out;
    for (const QJsonValue &v : array.toArray())
        out << (v.isDouble() ? QString::number(v.toDouble()) : v.toString());
    return out;
}

std::vector<TObjCell> edges(std::initializer_list<int> positions)
{
    std::vector<TObjCell> out;
    for (int p : positions)
        out.push_back({p});
    return out;
}

} // namespace

class TestExcelExport : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

    // Exports the report with the filter's options as set and reads the workbook.
    QJsonObject exported(TqpReport &report, TqpOLEExcelExport &filter, const QString &name)
    {
        filter.ShowDialog = false;
        if (!report.ExportTo(&filter, path(name)))
            return {};
        QString error;
        const QJsonObject book = qpReadXlsx(path(name), &error);
        if (book.isEmpty())
            qWarning() << "openpyxl:" << error;
        return book;
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void registersAsWorkbook()
    {
        TqpOLEExcelExport filter;
        QCOMPARE(qpFindExportFilter(QStringLiteral("xlsx")), &filter);
        QCOMPARE(qpFilters.last().Description, QStringLiteral("Excel file OLE (*.xlsx)"));
        QVERIFY(filter.ShowDialog);
    }

    // Spans: whole edge intervals up to the far side less 10 units; a
    // narrow object still addresses the cell it starts in.
    void placeSpans_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("span");
        // X edges 0 100 200 205 300
        QTest::newRow("one interval") << 0 << 100 << 0 << 1;
        QTest::newRow("two intervals") << 0 << 200 << 0 << 2;
        QTest::newRow("sliver of 5 at the end not counted") << 0 << 205 << 0 << 2;
        QTest::newRow("to the last edge") << 100 << 200 << 1 << 3;
        QTest::newRow("10 units wide: its own cell") << 200 << 5 << 2 << 1;
        QTest::newRow("no such edge") << 50 << 100 << 0 << 1;
    }
    void placeSpans()
    {
        QFETCH(int, left);
        QFETCH(int, width);
        QFETCH(int, col);
        QFETCH(int, span);
        TqpExcelLayout layout;
        for (auto [l, w] : {std::pair{0, 100}, {100, 100}, {200, 5}, {0, 300}})
            layout.AddObject(l, 0, w, 20);
        layout.SortEdges();
        QCOMPARE(layout.XEdges(), edges({0, 100, 200, 205, 300}));
        const TObjPos pos = layout.Place(7, left, 0, width, 20);
        QCOMPARE(pos.ObjIndex, 7);
        QCOMPARE(pos.Col, col);
        QCOMPARE(pos.ColSpan, span);
        QCOMPARE(pos.Row, 0);
        QCOMPARE(pos.RowSpan, 1);
    }

    // Pages stack below each other; tall gaps get rows of their own; each
    // page marks a break below its lowest object.
    void pagesStackWithGapsAndBreaks()
    {
        TqpExcelLayout layout;
        QCOMPARE(layout.AddObject(0, 40, 100, 20), 40);
        // 1300 units below: 1000 points at scale 1.
        QCOMPARE(layout.AddObject(0, 1360, 100, 20), 1360);
        layout.EndPage(true);
        QCOMPARE(layout.PageOffset(), 1380);
        QCOMPARE(layout.AddObject(0, 40, 100, 20), 1420);
        layout.EndPage(true);
        layout.EndPage(true); // an empty page adds no second break at the same place
        layout.SortEdges();
        QCOMPARE(layout.YEdges(), edges({40, 60, 60 + 531, 60 + 1062, 1360, 1380, 1420, 1440}));
        QCOMPARE(layout.PageBreakMarks(), QList<int>({1380, 1440}));
        // Row 5 ends at 1380: the next page starts with row 6.
        QCOMPARE(layout.PageBreakRows(), QList<int>({6, 8}));
        for (size_t r = 1; r < layout.YEdges().size(); ++r)
            QVERIFY((layout.YEdges()[r].Pos - layout.YEdges()[r - 1].Pos) / 1.3 <= TqpExcelLayout::MaxRowPoints);
    }

    // A merge stops where a later object starts inside it.
    void mergeSpans_data()
    {
        QTest::addColumn<QList<int>>("cells"); // col,row,colSpan,rowSpan per object, placement order
        QTest::addColumn<int>("colSpan");
        QTest::addColumn<int>("rowSpan");
        QTest::newRow("nothing inside") << QList<int>{0, 0, 3, 2, 3, 0, 1, 1} << 3 << 2;
        QTest::newRow("beside on the same row") << QList<int>{0, 0, 3, 2, 2, 0, 1, 1} << 2 << 1;
        QTest::newRow("below inside") << QList<int>{0, 0, 3, 3, 1, 2, 1, 1} << 3 << 2;
        QTest::newRow("same anchor") << QList<int>{0, 0, 3, 1, 0, 0, 1, 1} << 0 << 1;
        QTest::newRow("below the rectangle") << QList<int>{0, 0, 2, 1, 0, 1, 1, 1} << 2 << 1;
    }
    void mergeSpans()
    {
        QFETCH(QList<int>, cells);
        QFETCH(int, colSpan);
        QFETCH(int, rowSpan);
        std::vector<TObjPos> list;
        for (qsizetype i = 0; i < cells.size(); i += 4)
            list.push_back({int(i / 4), cells[i], cells[i + 1], cells[i + 2], cells[i + 3]});
        TqpExcelLayout layout;
        int c = -1, r = -1;
        layout.MergeSpans(list, 0, c, r);
        QCOMPARE(c, colSpan);
        QCOMPARE(r, rowSpan);
    }

    // Printed numbers and dates keep their kind; the format code shows
    // them as they were printed. Anything that could lose a character stays text.
    void cellValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("code");
        QTest::newRow("money with suffix") << "1.234,50 TL" << QVariant(1234.5) << "#,##0.00\" TL\"";
        QTest::newRow("negative") << "-12,25" << QVariant(-12.25) << "#,##0.00";
        QTest::newRow("whole number") << "42" << QVariant(42.0) << "#,##0";
        QTest::newRow("printed without grouping") << "12345" << QVariant(12345.0) << "0";
        QTest::newRow("below one") << "0,50" << QVariant(0.5) << "#,##0.00";
        QTest::newRow("percent") << "15%" << QVariant(15.0) << "#,##0\"%\"";
        QTest::newRow("words before") << "Toplam: 7" << QVariant("Toplam: 7") << "";
        QTest::newRow("telephone") << "0532 111 22 33" << QVariant("0532 111 22 33") << "";
        QTest::newRow("leading zero") << "05321112233" << QVariant("05321112233") << "";
        QTest::newRow("two numbers") << "3 / 12" << QVariant("3 / 12") << "";
        QTest::newRow("bad grouping") << "1.23,5" << QVariant("1.23,5") << "";
        QTest::newRow("more digits than a real") << "12345678901234567" << QVariant("12345678901234567") << "";
        QTest::newRow("blood group") << "0 Rh+" << QVariant("0 Rh+") << "";
        QTest::newRow("date") << "05.03.2024" << QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0)))
                              << "dd.mm.yyyy";
        QTest::newRow("no such day") << "31.02.2024" << QVariant("31.02.2024") << "";
        QTest::newRow("two lines") << "1\n2" << QVariant("1\n2") << "";
    }
    void cellValues()
    {
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        QFETCH(QString, code);
        TqpOLEExcelExport::Item item;
        item.IsText = true;
        item.Text = text;
        QString numberFormat;
        const QVariant got = TqpOLEExcelExport::CellValue(item, numberFormat);
        QCOMPARE(got.typeId(), value.typeId());
        QCOMPARE(got, value);
        QCOMPARE(numberFormat, code);
    }

    // Two objects side by side: two columns of 12.5, one row of 20 / 1.3
    // points, no merging; the wide one above both spans and merges them.
    void gridFromEdges()
    {
        TqpReport report;
        auto a = memoAt(0, 60, 100, 20, QStringLiteral("birinci"));
        auto b = memoAt(100, 60, 200, 20, QStringLiteral("ikinci"));
        auto wide = memoAt(0, 40, 300, 20, QStringLiteral("başlık"));
        auto lines = memoAt(0, 80, 100, 40, QStringLiteral("a\nb\n"));
        addPage(report, {a.get(), b.get(), wide.get(), lines.get()});
        TqpOLEExcelExport filter;
        filter.PageBreaks = false;
        const QJsonObject book = exported(report, filter, QStringLiteral("grid.xlsx"));
        QVERIFY(!book.isEmpty());
        QCOMPARE(filter.Layout().XEdges(), edges({0, 100, 300}));
        QCOMPARE(filter.Layout().YEdges(), edges({40, 60, 80, 120}));
        QCOMPARE(qpXlsxCell(book, "A1")["v"].toString(), QStringLiteral("başlık"));
        QCOMPARE(qpXlsxCell(book, "A2")["v"].toString(), QStringLiteral("birinci"));
        QCOMPARE(qpXlsxCell(book, "B2")["v"].toString(), QStringLiteral("ikinci"));
        QCOMPARE(qpXlsxCell(book, "A3")["v"].toString(), QStringLiteral("a\nb"));
        QCOMPARE(strings(book["merged"]), QStringList({"A1:B1"}));
        QVERIFY(qAbs(book["cols"]["A"].toDouble() - 5.0 / 7 - 12.5) < 0.1);
        QVERIFY(qAbs(book["cols"]["B"].toDouble() - 5.0 / 7 - 25) < 0.1);
        QVERIFY(qAbs(book["rows"]["1"].toDouble() - 20 / 1.3) < 0.01);
        QVERIFY(qAbs(book["rows"]["3"].toDouble() - 40 / 1.3) < 0.01);
        QCOMPARE(book["breaks"].toArray().size(), 0);
    }

    // Alignment, frame lines, fill, font and rotation of text cells.
    void cellFormats()
    {
        TqpReport report;
        std::vector<std::unique_ptr<TqpMemoView>> memos;
        const QList<int> alignments = {0, qptaRight, qptaCenter, qptaJustify, qptaMiddle, qptaDown, qptaVertical};
        for (int i = 0; i < alignments.size(); ++i) {
            memos.push_back(memoAt(i * 100, 40, 100, 20, QStringLiteral("metin %1").arg(i)));
            memos.back()->Alignment = alignments[i];
        }
        TqpMemoView *framed = memos[0].get();
        framed->FrameTyp = qpftLeft | qpftTop | qpftBottom;
        framed->FillColor = 0xEEE4D9;
        framed->Font.Name = QStringLiteral("Times New Roman");
        framed->Font.Size = 14;
        framed->Font.Style = fsBold | fsItalic;
        framed->Font.Color = 0x0000FF;
        auto emptyFramed = memoAt(0, 60, 200, 20, QString());
        emptyFramed->FrameTyp = qpftTop | qpftBottom | qpftLeft | qpftRight;
        auto emptyBare = memoAt(300, 60, 100, 20, QString()); // nothing in the sheet
        std::vector<TqpView *> objects;
        for (auto &m : memos)
            objects.push_back(m.get());
        objects.push_back(emptyFramed.get());
        objects.push_back(emptyBare.get());
        addPage(report, objects);

        TqpOLEExcelExport filter;
        const QJsonObject book = exported(report, filter, QStringLiteral("formats.xlsx"));
        QVERIFY(!book.isEmpty());
        const QStringList horizontal = {"left", "right", "center", "justify", "left", "left", "left"};
        const QStringList vertical = {"top", "top", "top", "top", "center", "", "top"};
        for (int i = 0; i < alignments.size(); ++i) {
            const QJsonObject cell = qpXlsxCell(book, TQpExcel::IntToCoord(i + 1, 1));
            QCOMPARE(cell["v"].toString(), QStringLiteral("metin %1").arg(i));
            QCOMPARE(cell["h"].toString(), horizontal[i]);
            // Bottom is the spreadsheet's own default and is not written.
            QCOMPARE(cell["v_align"].toString(), vertical[i]);
            QCOMPARE(cell["rot"].toInt(), i == 6 ? 90 : 0);
        }
        const QJsonObject a1 = qpXlsxCell(book, "A1");
        QCOMPARE(a1["border"].toString(), QStringLiteral("ltb"));
        QCOMPARE(a1["fill"].toString(), QStringLiteral("D9E4EE"));
        QCOMPARE(a1["font"]["name"].toString(), QStringLiteral("Times New Roman"));
        QCOMPARE(a1["font"]["size"].toDouble(), 14.0);
        QVERIFY(a1["font"]["b"].toBool() && a1["font"]["i"].toBool());
        QCOMPARE(a1["font"]["color"].toString(), QStringLiteral("FF0000"));
        QCOMPARE(qpXlsxCell(book, "B1")["font"].toObject()["size"].toDouble(), 10.0);
        QCOMPARE(qpXlsxCell(book, "B1")["fill"].toString(), QString());
        // The empty framed object is a framed, merged, empty range.
        // openpyxl reports a merged range's frame on its first cell.
        QCOMPARE(qpXlsxCell(book, "A2")["border"].toString(), QStringLiteral("lrtb"));
        QVERIFY(qpXlsxCell(book, "A2")["v"].isNull());
        QCOMPARE(strings(book["merged"]), QStringList({"A2:B2"}));
        QVERIFY(qpXlsxCell(book, "D2")["v"].isNull());

        // With the options off the cells get the plain values.
        filter.CellsBorders = filter.CellsFillColor = filter.CellsFontName = filter.CellsFontSize = false;
        filter.CellsFontStyle = filter.CellsFontColor = filter.CellsAlign = filter.CellsMerged = false;
        const QJsonObject plain = exported(report, filter, QStringLiteral("plain.xlsx"));
        const QJsonObject p1 = qpXlsxCell(plain, "A1");
        QCOMPARE(p1["border"].toString(), QString());
        QCOMPARE(p1["fill"].toString(), QString());
        QCOMPARE(p1["font"]["size"].toDouble(), 10.0);
        QVERIFY(!p1["font"]["b"].toBool());
        QCOMPARE(p1["font"]["color"].toString(), QString());
        QCOMPARE(qpXlsxCell(plain, "B1")["h"].toString(), QStringLiteral("left"));
        QCOMPARE(plain["merged"].toArray().size(), 0);
    }

    // Pages stack; each exported page ends in a manual break; a chosen page
    // starts at the top of the sheet.
    void pagesAndBreaks()
    {
        auto report = numberedReport(3);
        TqpOLEExcelExport filter;
        const QJsonObject book = exported(*report, filter, QStringLiteral("pages.xlsx"));
        QVERIFY(!book.isEmpty());
        // Y edges 60 80 | 140 160 | 220 240: the page text rows are 1, 3, 5.
        QCOMPARE(qpXlsxCell(book, "A1")["v"].toString(), QStringLiteral("Sayfa 1"));
        QCOMPARE(qpXlsxCell(book, "A3")["v"].toString(), QStringLiteral("Sayfa 2"));
        QCOMPARE(qpXlsxCell(book, "A5")["v"].toString(), QStringLiteral("Sayfa 3"));
        // Stored after the last row of each page.
        QCOMPARE(strings(book["breaks"]), QStringList({"1", "3", "5"}));
        // The paper of the last page.
        QCOMPARE(book["paper"].toInt(), 9);
        QCOMPARE(book["orientation"].toString(), QStringLiteral("portrait"));

        filter.PageRange = QStringLiteral("2");
        const QJsonObject second = exported(*report, filter, QStringLiteral("page2.xlsx"));
        QCOMPARE(qpXlsxCell(second, "A1")["v"].toString(), QStringLiteral("Sayfa 2"));
        QCOMPARE(second["max_row"].toInt(), 1);

        // A range choosing no page gives an empty sheet.
        filter.PageRange = QStringLiteral("7-5");
        const QJsonObject none = exported(*report, filter, QStringLiteral("none.xlsx"));
        QVERIFY(!none.isEmpty());
        QCOMPARE(none["max_row"].toInt(), 1);
        QVERIFY(qpXlsxCell(none, "A1")["v"].isNull());

        filter.PageRange.clear();
        filter.PageBreaks = false;
        QCOMPARE(exported(*report, filter, QStringLiteral("nobreaks.xlsx"))["breaks"].toArray().size(), 0);
    }

    // Objects that are not text arrive as pictures at their cells.
    void picturesAtTheirCells()
    {
        TqpReport report;
        auto label = memoAt(0, 40, 100, 20, QStringLiteral("çizgi"));
        TqpLineView line;
        line.SetBounds(100, 60, 150, 30);
        line.FrameTyp = qpftTop;
        addPage(report, {label.get(), &line});
        TqpOLEExcelExport filter;
        const QJsonObject book = exported(report, filter, QStringLiteral("pictures.xlsx"));
        const QJsonArray pictures = book["pictures"].toArray();
        QCOMPARE(pictures.size(), 1);
        QCOMPARE(pictures[0]["col"].toInt(), 2);
        QCOMPARE(pictures[0]["row"].toInt(), 2);
        // 150 by 30 units at 1.5 units a point, 96 pixels to 72 points.
        QCOMPARE(pictures[0]["w"].toInt(), 133);
        QCOMPARE(pictures[0]["h"].toInt(), 27);
        QVERIFY(!filter.Items().back().Picture.isNull());

        filter.ExportPictures = false;
        QCOMPARE(exported(report, filter, QStringLiteral("nopictures.xlsx"))["pictures"].toArray().size(), 0);
    }

    // Dues printed as money add up in the sheet; a date is a date.
    void numbersSum()
    {
        TqpReport report;
        std::vector<std::unique_ptr<TqpMemoView>> memos;
        const QStringList dues = {"125,50 TL", "1.000,00 TL", "74,50 TL", "05.03.2024"};
        std::vector<TqpView *> objects;
        for (int i = 0; i < dues.size(); ++i) {
            memos.push_back(memoAt(0, 40 + 20 * i, 100, 20, dues[i]));
            objects.push_back(memos.back().get());
        }
        addPage(report, objects);
        TqpOLEExcelExport filter;
        const QJsonObject book = exported(report, filter, QStringLiteral("sum.xlsx"));
        double sum = 0;
        for (int row = 1; row <= 3; ++row) {
            const QJsonObject cell = qpXlsxCell(book, QStringLiteral("A%1").arg(row));
            QCOMPARE(cell["t"].toString(), QStringLiteral("n"));
            QCOMPARE(cell["nf"].toString(), QStringLiteral("#,##0.00\" TL\""));
            sum += cell["v"].toDouble();
        }
        QCOMPARE(sum, 1200.0);
        QCOMPARE(qpXlsxCell(book, "A4")["t"].toString(), QStringLiteral("d"));
        QCOMPARE(qpXlsxCell(book, "A4")["v"].toString(), QStringLiteral("2024-03-05T00:00:00"));
    }

    // Overlapping objects: the workbook is finished, merges never overlap.
    void overlappingObjects()
    {
        TqpReport report;
        auto tall = memoAt(100, 40, 100, 60, QStringLiteral("uzun"));
        auto wide = memoAt(0, 60, 300, 20, QStringLiteral("geniş"));
        auto same = memoAt(0, 60, 300, 20, QStringLiteral("aynı yer"));
        addPage(report, {tall.get(), wide.get(), same.get()});
        TqpOLEExcelExport filter;
        const QJsonObject book = exported(report, filter, QStringLiteral("overlap.xlsx"));
        QVERIFY(!book.isEmpty());
        QCOMPARE(qpXlsxCell(book, "B1")["v"].toString(), QStringLiteral("uzun"));
        const QStringList merged = strings(book["merged"]);
        QCOMPARE(merged, QStringList({"B1:B3"}));
        // The later of two objects on one cell is what it shows.
        QCOMPARE(qpXlsxCell(book, "A2")["v"].toString(), QStringLiteral("aynı yer"));
    }

    // 10 000 distinct X edges still make a workbook; more columns than the
    // sheet has give a clear error and keep the earlier file.
    void manyColumns()
    {
        for (const int objects : {5000, 9000}) {
            TqpReport report;
            std::vector<std::unique_ptr<TqpMemoView>> memos;
            std::vector<TqpView *> views;
            for (int i = 0; i < objects; ++i) {
                memos.push_back(memoAt(i * 2, 40, 1, 20, QStringLiteral("n%1").arg(i)));
                views.push_back(memos.back().get());
            }
            addPage(report, views);
            TqpOLEExcelExport filter;
            const QString name = path(QStringLiteral("columns%1.xlsx").arg(objects));
            QFile old(name);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("earlier");
            old.close();
            filter.ShowDialog = false;
            if (objects == 5000) {
                QVERIFY(report.ExportTo(&filter, name));
                QCOMPARE(filter.Layout().ColumnCount(), 10000 - 1);
                const QJsonObject book = qpReadXlsx(name);
                QCOMPARE(book["max_col"].toInt(), 9999);
                QCOMPARE(qpXlsxCell(book, TQpExcel::IntToCoord(9999, 1))["v"].toString(), QStringLiteral("n4999"));
            } else {
                try {
                    report.ExportTo(&filter, name);
                    QFAIL("18 000 columns were accepted");
                } catch (const EqpError &e) {
                    QCOMPARE(e.message(), qpLoadStr(qpMsgExcelTooLarge).arg(17999).arg(1));
                }
                QCOMPARE(fileBytes(name), QByteArray("earlier"));
            }
        }
    }

    // A folder that cannot be written: a clear error, nothing else touched.
    void unwritableTarget()
    {
        auto report = numberedReport(1);
        TqpOLEExcelExport filter;
        filter.ShowDialog = false;
        const QString name = path(QStringLiteral("missing folder/liste.xlsx"));
        try {
            report->ExportTo(&filter, name);
            QFAIL("exported into a missing folder");
        } catch (const EqpError &e) {
            QVERIFY(e.message().contains(name));
        }
        QVERIFY(!QFileInfo::exists(name));
    }

    // The option dialog: filled from the filter, the presets, read back.
    void optionDialog()
    {
        TqpOLEExcelExport filter;
        filter.CellsFontName = false;
        filter.OpenExcelAfterExport = true;
        filter.ScaleX = 1.5;
        filter.PageRange = QStringLiteral("2");
        TqpOLEExcelSet form;
        form.Fill(filter);
        QCOMPARE(form.windowTitle(), QStringLiteral("Export to Excel"));
        QCOMPARE(form.GroupBox3->title(), QStringLiteral(" Quality settings "));
        QVERIFY(!form.CB_FontName->isChecked());
        QVERIFY(form.CB_FontSize->isChecked());
        QVERIFY(form.CB_OpenExcel->isChecked());
        QCOMPARE(form.E_ScaleX->text(), QStringLiteral("150"));
        QCOMPARE(form.E_Range->text(), QStringLiteral("2"));

        form.FasterButton->click();
        const QList<QCheckBox *> boxes = {form.CB_Merged,   form.CB_Align,      form.CB_FillColor, form.CB_Borders,
                                          form.CB_WrapWords, form.CB_FontName,  form.CB_FontSize,  form.CB_FontStyle,
                                          form.CB_FontColor, form.CB_PageBreaks, form.CB_Pictures};
        QStringList ticked;
        for (QCheckBox *b : boxes)
            if (b->isChecked())
                ticked << b->text();
        QCOMPARE(ticked, QStringList({"Merged", "Words wrap", "Page breaks"}));
        QVERIFY(form.CB_OpenExcel->isChecked()); // the presets leave it alone
        form.E_ScaleY->setText(QStringLiteral("80"));
        form.ReadBack(filter);
        QVERIFY(filter.CellsMerged && filter.CellsWrapWords && filter.PageBreaks);
        QVERIFY(!filter.CellsAlign && !filter.CellsFillColor && !filter.CellsBorders && !filter.CellsFontName);
        QVERIFY(!filter.CellsFontSize && !filter.CellsFontStyle && !filter.CellsFontColor && !filter.ExportPictures);
        QCOMPARE(filter.ScaleY, 0.8);

        form.BetterButton->click();
        for (QCheckBox *b : boxes)
            QVERIFY(b->isChecked());
        form.E_ScaleX->setText(QStringLiteral("yüz"));
        QVERIFY_THROWS_EXCEPTION(EConvertError, form.ReadBack(filter));
    }

    // As an operator does it: the preview's save dialog offers the workbook
    // type, the option dialog follows, the workbook holds the pages chosen.
    void savedFromThePreview()
    {
        qpInstallExportUi();
        TScriptedUi ui;
        auto report = numberedReport(3);
        TqpOLEExcelExport excel;
        TqpPreviewForm form;
        form.Connect(report.get());
        form.InitButtons();
        form.show();
        const QString type = QStringLiteral("Excel file OLE (*.xlsx)");
        QStringList types;
        ui.modalActions << [&](QDialog *d) {
            auto *dialog = static_cast<QFileDialog *>(d);
            types = dialog->nameFilters();
            dialog->selectNameFilter(type);
            dialog->setDirectory(dir.path());
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("liste"));
            static_cast<QDialog *>(dialog)->accept();
        };
        ui.modalActions << [](QDialog *d) {
            auto *options = qobject_cast<TqpOLEExcelSet *>(d);
            QVERIFY(options);
            options->E_Range->setText(QStringLiteral("2-3"));
            options->OkButton->click();
        };
        form.SaveBtnClick();
        QVERIFY(types.contains(type));
        const QJsonObject book = qpReadXlsx(path(QStringLiteral("liste.xlsx")));
        QCOMPARE(qpXlsxCell(book, "A1")["v"].toString(), QStringLiteral("Sayfa 2"));
        QCOMPARE(qpXlsxCell(book, "A3")["v"].toString(), QStringLiteral("Sayfa 3"));
        QCOMPARE(form.PageCount(), 3);
    }

    // Open after export: the saved workbook goes to the desktop, and the
    // owner's own handler still hears of the export.
    void openAfterExport()
    {
        TScriptedUi ui;
        auto report = numberedReport(1);
        TqpOLEExcelExport filter;
        QStringList heard;
        filter.OnAfterExport = [&heard](const QString &name) { heard << name; };
        const QString name = path(QStringLiteral("open.xlsx"));
        exported(*report, filter, QStringLiteral("open.xlsx"));
        QVERIFY(ui.urls.isEmpty());
        filter.OpenExcelAfterExport = true;
        exported(*report, filter, QStringLiteral("open.xlsx"));
        QCOMPARE(ui.urls, QList<QUrl>({QUrl::fromLocalFile(name)}));
        QCOMPARE(heard, QStringList({name, name}));
    }
};

EXPORT_TEST(TestExcelExport)

#include "test_excel_export.moc"
